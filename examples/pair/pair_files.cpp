// The model database and the analysis-case file of PAIR, as the outside
// preprocessor would write them from the user's model file: "pair_files"
// writes PAIR.MDB and PAIR.acd into the working directory. It stands in for
// the preprocessor and uses the library's test writers (tools/), so it is
// built only in the library's tree.
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
  // clang-format off
  const std::map<std::string, double> given = {
      // integers
      {"LOOPCT", 0}, {"MODEL", 1}, {"NLOOP", 100}, {"LENGTH", 60}, {"WIDTH", 132}, {"MSHORT", 0},
      {"TRACE", 0}, {"MLEVEL", 0}, {"METHOD", 0}, {"PRGFBK", 0}, {"STEPCT", 0}, {"NCSGMN", 0},
      {"NRLXCC", 0}, {"NDTROC", 0},
      // reals
      {"CSGMIN", 0.0}, {"DAMPT", 1.0}, {"RELXCA", 0.01}, {"RELXCC", 0.0}, {"STEFAN", 5.6704e-8},
      {"TABS", 273.15}, {"TIMEO", 0.0}, {"TIMEN", 0.0}, {"TIMEM", 0.0}, {"TIMEND", 0.0},
      {"INBALA", 0.01}, {"INBALR", 0.001}, {"ARITH", 0.0}, {"DTROCC", 0.0}, {"ENBNDM", 0.0},
      {"INBNDM", 0.0}};
  // clang-format on
  return mdbw::control_constant_values({2, 0}, given);  // NODES, NODESM, then the globals
}

}  // namespace

int main() {
  // Node 1, the block: 20 C, 500 J/K. Node 2, the sink: a boundary at 0 C.
  // GL(1, 2) = 0.5 W/K. The real user constant QHEAT = 10 W.
  const std::vector<double> zeros(2, 0.0);
  mdbw::Database db;
  db.name = "PAIR";
  auto& m = db.add_model("PAIR", 0);
  m.ints(1, {1, 2})
      .reals(2, {20.0, 0.0})
      .reals(3, {500.0, 0.0})
      .reals(4, zeros)
      .reals(5, zeros)
      .reals(6, zeros)
      .reals(7, zeros)
      .reals(8, zeros)
      .reals(9, zeros)
      .reals(10, zeros)
      .reals(11, zeros)
      .texts(12, 24, {"BLOCK", "SINK"})
      .texts(13, 1, {"D", "B"})
      .reals(14, {0.5})
      .texts(18, 1, {"A"})
      .texts(47, 18, {"QHEAT"})
      .reals(48, {10.0})
      .control_constants(control_constants())
      .ints(69, {1, 2})
      .reals(72, zeros)
      .reals(73, zeros)
      .reals(74, zeros)
      .reals(96, zeros)
      .reals(97, zeros)
      .reals(98, zeros);
  try {
    db.write("PAIR.MDB");
    acdw::write_empty_case("PAIR.acd");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "pair_files: %s\n", e.what());
    return 1;
  }
  std::puts("PAIR.MDB and PAIR.acd written");
  return 0;
}
