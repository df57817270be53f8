// The model database and the analysis-case file of LOOP, as the outside
// preprocessor would write them from the model file: "loop_files" writes
// LOOP.MDB and LOOP.acd into the working directory. It stands in for the
// preprocessor and uses the library's test writers (tools/), so it is built
// only in the library's tree; the model program itself (loop.cpp) needs
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
                                               {"FLLPCT", 0},
                                               {"NRLXMC", 0},
                                               {"SUMFLL", 0},
                                               {"SUMTHL", 0},
                                               {"THLPCT", 0},
                                               {"NFRLXC", 0},
                                               {"NLOOPH", 0},
                                               {"NLOOPT", 0},
                                               {"FSTEPS", 1},
                                               {"FNCSGM", 0},
                                               // reals
                                               {"CSGMIN", 0.0},
                                               {"DAMPT", 1.0},
                                               {"RELXCA", 0.01},
                                               {"RELXCC", 0.0},
                                               {"STEFAN", 5.6704e-8},
                                               {"TABS", 273.15},
                                               {"PABS", 0.0},
                                               {"TIMEO", 0.0},
                                               {"TIMEN", 0.0},
                                               {"TIMEM", 0.0},
                                               {"TIMEND", 0.0},
                                               {"DTMIN", 0.0},
                                               {"INBALA", 0.01},
                                               {"INBALR", 0.001},
                                               {"ARITH", 0.0},
                                               {"DTROCC", 0.0},
                                               {"ENBNDM", 0.0},
                                               {"INBNDM", 0.0},
                                               {"DAMPM", 1.0},
                                               {"GRAVX", 0.0},
                                               {"GRAVY", 0.0},
                                               {"GRAVZ", 0.0},
                                               {"RELXMC", 0.0},
                                               {"DTCOUR", 0.0},
                                               {"RLCOUR", 0.5},
                                               {"FRLXCC", 0.0},
                                               {"MINFLO", 0.0},
                                               {"MINDP", 0.0},
                                               {"FCSGMN", 0.0},
                                               {"DTIMIF", 0.0},
                                               {"DTIMUT", 0.0},
                                               {"TIMENT", 0.0},
                                               {"TIMEOT", 0.0}};
  return mdbw::control_constant_values({12, 0}, given);  // NODES, NODESM, then the globals
}

}  // namespace

int main() {
  // Thermal nodes: the electronics box (4000 J/K) and deep space.
  const std::vector<std::int32_t> thermal = {100, 999};
  const std::vector<double> tzeros(2, 0.0);
  // Fluid nodes: a ring of 1 m lengths of 10 mm pipe, water at 2 bar and
  // 20 C. Node 1 holds the loop's pressure.
  const int nf = 10;
  std::vector<std::int32_t> fluid, links;
  std::vector<std::string> labels, statuses;
  for (int i = 1; i <= nf; ++i) {
    fluid.push_back(i);
    statuses.push_back(i == 1 ? "J" : "F");
    if (i == 1) labels.push_back("ACCUMULATOR");
    else if (i <= 5) labels.push_back("COLD PLATE " + std::to_string(i - 1));
    else if (i <= 9) labels.push_back("RADIATOR " + std::to_string(i - 5));
    else labels.push_back("RETURN LINE");
    links.push_back(i);
    links.push_back(i == nf ? 1 : i + 1);
  }
  auto all = [&](double v) { return std::vector<double>(nf, v); };
  auto texts = [&](const char* v) { return std::vector<std::string>(nf, v); };
  const double gl = 25.0;  // W/K, box to each cold-plate node
  const double gr = 0.25;  // m2, emissivity x area of each radiator node

  mdbw::Database db;
  db.name = "LOOP";
  auto& m = db.add_model("LOOP", 0);
  m.ints(1, thermal)
      .reals(2, {20.0, -270.0})
      .reals(3, {4000.0, 0.0})
      .reals(4, tzeros)
      .reals(5, tzeros)
      .reals(6, tzeros)
      .reals(7, tzeros)
      .reals(8, tzeros)
      .reals(9, tzeros)
      .reals(10, tzeros)
      .reals(11, {0.0, 1.0})
      .texts(12, 24, {"ELECTRONICS BOX", "DEEP SPACE"})
      .texts(13, 1, {"D", "B"})
      .reals(14, {gl, gl, gl, gl})
      .reals(15, {gr, gr, gr, gr})
      .texts(18, 1, {"A", "A", "A", "A"})
      .texts(19, 1, {"A", "A", "A", "A"})
      .texts(47, 18, {"POWER", "PUMP", "TEND"})  // user constants, names in sorted order
      .reals(48, {400.0, 600.0, 14400.0})
      .id_card({4, 4, 0})  // GL and GR conductors that touch fluid nodes
      .control_constants(control_constants())
      .ints(69, {100, 2, 100, 3, 100, 4, 100, 5})  // GL: box to cold-plate nodes 2-5
      .ints(70, {999, 6, 999, 7, 999, 8, 999, 9})  // GR: deep space to radiator nodes 6-9
      .reals(72, tzeros)
      .reals(73, tzeros)
      .reals(74, tzeros)
      .reals(96, tzeros)
      .reals(97, tzeros)
      .reals(98, tzeros)
      .ints(201, fluid)
      .reals(202, all(0.0))     // heat-transfer areas
      .reals(203, all(0.01))    // hydraulic diameters
      .reals(204, all(1.0))     // lengths
      .reals(205, all(2.0e5))   // pressures
      .reals(206, all(0.0))     // specific enthalpies (from the state)
      .reals(207, all(20.0))    // temperatures
      .reals(208, all(1.0e-5))  // wall roughnesses
      .reals(209, all(0.0))     // heat sources
      .reals(210, all(0.0))     // mass sources
      .reals(211, all(0.0))
      .reals(212, all(0.0))
      .reals(213, all(0.0))  // coordinates
      .reals(214, all(0.0))
      .reals(215, all(0.0))
      .texts(216, 24, texts("WATER"))
      .texts(217, 24, labels)
      .texts(218, 1, statuses)
      .ints(219, links)
      .reals(220, all(0.01))    // first guess of the flows, kg/s
      .reals(222, all(1.0e20))  // fitting-loss coefficients: no fitting loss
      .texts(223, 1, texts("A"))
      .reals(231, all(0.0))  // liquid
      .texts(232, 4, texts("LIQ"))
      .reals(233, all(mdbw::undefined_real()))  // flow areas from the diameters
      .reals(234, all(0.0))
      .reals(235, all(0.0))
      .reals(236, all(0.0))
      .reals(237, all(0.0))
      .reals(238, all(0.0))
      .texts(239, 4, texts("P&T"));
  try {
    db.write("LOOP.MDB");
    acdw::write_empty_case("LOOP.acd");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "loop_files: %s\n", e.what());
    return 1;
  }
  std::puts("LOOP.MDB and LOOP.acd written");
  return 0;
}
