// The model database and the analysis-case file of PLATE, as the outside
// preprocessor would write them from the model file: "plate_files" writes
// PLATE.MDB and PLATE.acd into the working directory. It stands in for the
// preprocessor and uses the library's test writers (tools/), so it is built
// only in the library's tree; the model program itself (plate.cpp) needs
// nothing but the installed library.
#include <cstdint>
#include <cstdio>
#include <exception>
#include <map>
#include <string>
#include <vector>

#include "tools/acd_writer.h"
#include "tools/mdb_writer.h"

namespace {

// Control-constant values of the main model: local integers NODES, NODESM,
// then the global integers and the global reals in slot order. Constants the
// model file leaves out stay undefined.
std::vector<double> control_constants() {
  const std::map<std::string, double> given = {// integers
                                               {"LOOPCT", 0},
                                               {"MODEL", 1},
                                               {"NLOOP", 100},
                                               {"LENGTH", 60},
                                               {"WIDTH", 132},
                                               {"MSHORT", 0},
                                               {"TRACE", 0},
                                               {"MLEVEL", 0},
                                               {"METHOD", 0},
                                               {"PRGFBK", 0},
                                               {"STEPCT", 0},
                                               {"NCSGMN", 0},
                                               {"NRLXCC", 0},
                                               {"NDTROC", 0},
                                               // reals
                                               {"CSGMIN", 0.0},
                                               {"DAMPT", 1.0},
                                               {"RELXCA", 0.01},
                                               {"RELXCC", 0.0},
                                               {"STEFAN", 5.6704e-8},
                                               {"TABS", 273.15},
                                               {"TIMEO", 0.0},
                                               {"TIMEN", 0.0},
                                               {"TIMEM", 0.0},
                                               {"TIMEND", 0.0},
                                               {"INBALA", 0.01},
                                               {"INBALR", 0.001},
                                               {"ARITH", 0.0},
                                               {"DTROCC", 0.0},
                                               {"ENBNDM", 0.0},
                                               {"INBNDM", 0.0}};
  return mdbw::control_constant_values({5, 0}, given);  // NODES, NODESM, then the globals
}

}  // namespace

int main() {
  // Four aluminium strips of 250 x 62.5 x 2 mm and deep space.
  const std::vector<std::int32_t> nodes = {1, 2, 3, 4, 99};
  const double cap = 2700.0 * 900.0 * 0.25 * 0.0625 * 0.002;  // J/K
  const double gl = 160.0 * 0.25 * 0.002 / 0.0625;            // W/K
  const double gr = 0.85 * 0.25 * 0.0625;                     // m2
  const std::vector<double> zeros(5, 0.0);

  mdbw::Database db;
  db.name = "PLATE";
  auto& m = db.add_model("PLATE", 0);
  m.ints(1, nodes)
      .reals(2, {20.0, 20.0, 20.0, 20.0, -270.0})
      .reals(3, {cap, cap, cap, cap, 0.0})
      .reals(4, zeros)
      .reals(5, zeros)
      .reals(6, zeros)
      .reals(7, zeros)
      .reals(8, zeros)
      .reals(9, {0.015625, 0.015625, 0.015625, 0.015625, 0.0})
      .reals(10, {0.3, 0.3, 0.3, 0.3, 0.0})
      .reals(11, {0.85, 0.85, 0.85, 0.85, 1.0})
      .texts(12, 24, {"EDGE STRIP", "STRIP 2", "STRIP 3", "FREE STRIP", "DEEP SPACE"})
      .texts(13, 1, {"D", "D", "D", "D", "B"})
      .reals(14, {gl, gl, gl})
      .reals(15, {gr, gr, gr, gr})
      .texts(18, 1, {"A", "A", "A"})
      .texts(19, 1, {"A", "A", "A", "A"})
      .texts(47, 18, {"TEND"})
      .reals(48, {7200.0})
      .control_constants(control_constants())
      .ints(69, {1, 2, 2, 3, 3, 4})
      .ints(70, {1, 99, 2, 99, 3, 99, 4, 99})
      .reals(72, zeros)
      .reals(73, zeros)
      .reals(74, zeros)
      .reals(96, {0.03125, 0.09375, 0.15625, 0.21875, 0.0})
      .reals(97, zeros)
      .reals(98, zeros);
  try {
    db.write("PLATE.MDB");
    acdw::write_empty_case("PLATE.acd");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "plate_files: %s\n", e.what());
    return 1;
  }
  std::puts("PLATE.MDB and PLATE.acd written");
  return 0;
}
