// Impossible fluid-loop inputs are refused where they enter: by FINITS when
// it completes a node, and by each fluid-loop solution routine before its
// first step. One table: each row spoils one field of a valid model (a
// pumped water ring with a heated wall and a radiator, or a humid-air duct)
// and names the routine, the box it must end the run with, and its code.
// Every row ends the run with exit status 1 and its one fatal box; no value
// that was a number before the call is a non-number after it, and a
// solution routine refuses before it changes any model array.
//
// The phase warning of the single-phase routines is tested here too: a node
// given as vapour that cools below its saturation temperature is named once.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "fluid/fluid_services.h"
#include "fluid_fixture.h"
#include "platform/process.h"
#include "properties/properties.h"

namespace fluid_test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

using Spoil = std::function<void(const FlNetwork&)>;

enum class Base { kRing, kHumid };

// The routines a row runs through.
enum Routines : unsigned {
  kFinits = 1,
  kFltnts = 2,
  kFltntf = 4,
  kFltmts = 8,
  kFgenfi = 16,
  kFlt = kFltnts | kFltntf | kFltmts,
  kAll = kFlt | kFgenfi,
};

struct Row {
  const char* field;  // what is spoiled
  unsigned routines;
  Base base;
  Spoil spoil;
  std::vector<std::string> box;     // fragments of the box, in any order
  int code;                         // 0: the routine's code for constants not finite
  const char* reference = nullptr;  // routine of the Reference row, when not the one run
};

struct Routine {
  const char* name;
  unsigned bit;
  void (*call)();
};
const Routine kRuns[] = {{"FLTNTS", kFltnts, FLTNTS},
                         {"FLTNTF", kFltntf, FLTNTF},
                         {"FLTMTS", kFltmts, FLTMTS},
                         {"FGENFI", kFgenfi, FGENFI}};

// Node k of the ring or duct: global node 2 + k (two thermal nodes first).
const std::string kNode2 = "Node 2 in main model";
const std::string kNode3 = "Node 3 in main model";

std::vector<Row> rows() {
  // clang-format off
  return {
      // ---- FINITS: the values the descriptor gives, geometry, sources.
      {"VQ 1.5 of P&VQ", kFinits, Base::kRing,
       [](const FlNetwork& n) { gar_fluidnodestatedescriptors(2) = "P&VQ"; n.vq(2) = 1.5; },
       {"Fluid node value out of range", "VQ = 1.50000", "must lie between 0 and 1", kNode2}, 22},
      {"VQ 2 of T&VQ", kFinits, Base::kRing,
       [](const FlNetwork& n) { gar_fluidnodestatedescriptors(2) = "T&VQ"; n.vq(2) = 2.0; },
       {"Fluid node value out of range", "VQ = 2.00000", kNode2}, 22},
      {"VQ -0.5 of VQ&P", kFinits, Base::kRing,
       [](const FlNetwork& n) { gar_fluidnodestatedescriptors(3) = "VQ&P"; n.vq(3) = -0.5; },
       {"Fluid node value out of range", "VQ = -.500000", kNode3}, 22},
      {"P + PABS below zero", kFinits, Base::kRing, [](const FlNetwork& n) { n.p(2) = -3.0e5; },
       {"Fluid node value out of range", "P = -300000.", "P + PABS must be above zero", kNode2}, 22},
      {"T + TABS below zero", kFinits, Base::kRing, [](const FlNetwork& n) { n.tf(3) = -300.0; },
       {"Fluid node value out of range", "T = -300.000", "T + TABS must be above zero", kNode3}, 22},
      {"T not a number", kFinits, Base::kRing, [](const FlNetwork& n) { n.tf(2) = kNaN; },
       {"Fluid node value is not a finite number", "Initialising the fluid state", "T = NaN", kNode2}, 21},
      {"P infinite", kFinits, Base::kRing, [](const FlNetwork& n) { n.p(3) = kInf; },
       {"Fluid node value is not a finite number", "P = Infinity", kNode3}, 21},
      {"FE of P&FE", kFinits, Base::kRing,
       [](const FlNetwork& n) { gar_fluidnodestatedescriptors(2) = "P&FE"; n.fe(2) = kNaN; },
       {"Fluid node value is not a finite number", "FE = NaN", kNode2}, 21},
      {"VQ of T&VQ", kFinits, Base::kRing,
       [](const FlNetwork& n) { gar_fluidnodestatedescriptors(2) = "T&VQ"; n.vq(2) = kNaN; },
       {"VQ = NaN", kNode2}, 21},
      {"FM", kFinits, Base::kRing, [](const FlNetwork& n) { n.fm(2) = kNaN; }, {"FM = NaN", kNode2}, 21},
      {"FQ", kFinits, Base::kRing, [](const FlNetwork&) { gar_fluidnodeheatsources(3) = -kInf; }, {"FQ = -Infinity", kNode3}, 21},
      {"FR of a source", kFinits, Base::kRing,
       [](const FlNetwork& n) { n.fm(2) = 0.01; n.fr(2) = kNaN; }, {"FR = NaN", kNode2}, 21},
      {"FD zero, FLA from it", kFinits, Base::kRing, [](const FlNetwork& n) { n.fd(2) = 0.0; },
       {"Fluid node geometry impossible", "FD = 0.00000", "must be above zero where FLA is not given", kNode2}, 23},
      {"FD negative, FLA from it", kFinits, Base::kRing, [](const FlNetwork& n) { n.fd(3) = -0.01; },
       {"Fluid node geometry impossible", "FD = -.100000E-01", kNode3}, 23},
      {"FD undefined, FLA from it", kFinits, Base::kRing,
       [](const FlNetwork& n) { n.fd(2) = tna_test::undefined_real(); },
       {"Fluid node geometry impossible", "must be above zero where FLA is not given", kNode2}, 23},
      {"FLA zero", kFinits, Base::kRing, [](const FlNetwork& n) { n.fla(2) = 0.0; },
       {"Fluid node geometry impossible", "FLA = 0.00000", "must be above zero", kNode2}, 23},
      {"FLA negative", kFinits, Base::kRing, [](const FlNetwork& n) { n.fla(3) = -1.0e-4; },
       {"FLA = -.100000E-03", kNode3}, 23},
      {"FL negative", kFinits, Base::kRing, [](const FlNetwork& n) { n.fl(2) = -1.0; },
       {"Fluid node geometry impossible", "FL = -1.00000", "must not be negative", kNode2}, 23},
      {"FD not a number", kFinits, Base::kRing, [](const FlNetwork& n) { n.fd(2) = kNaN; },
       {"Fluid node value is not a finite number", "FD = NaN", kNode2}, 21},
      {"FL infinite", kFinits, Base::kRing, [](const FlNetwork& n) { n.fl(3) = kInf; }, {"FL = Infinity"}, 21},
      {"FLA not a number", kFinits, Base::kRing, [](const FlNetwork& n) { n.fla(2) = kNaN; }, {"FLA = NaN"}, 21},
      {"GP not a number", kFinits, Base::kRing,
       [](const FlNetwork&) { gar_massflowlinkfittinglosses(2) = kNaN; },
       {"Mass-flow link value impossible", "GP = NaN", "must be a finite number", "Link 2 in main model"}, 25},
      {"GP negative", kFinits, Base::kRing, [](const FlNetwork&) { gar_massflowlinkfittinglosses(3) = -1.0; },
       {"Mass-flow link value impossible", "GP = -1.00000", "a fitting loss must not be negative",
        "Link 3 in main model"}, 25},
      {"link to itself", kFinits, Base::kRing, [](const FlNetwork&) { gar_massflowlinkcondnodepairs(4) = 2; },
       {"Mass-flow link joins impossible nodes", "Both ends are node 2", "Link 2 in main model"}, 24},
      {"link to no node", kFinits, Base::kRing, [](const FlNetwork&) { gar_massflowlinkcondnodepairs(1) = 9; },
       {"Mass-flow link joins impossible nodes", "First end no fluid node (index 9 of 4)", "second end node 2",
        "Link 1 in main model"}, 24},
      {"unknown fluid", kFinits, Base::kRing, [](const FlNetwork&) { gar_fluidnodefluidtypes(3) = "WASSER"; },
       {"Unrecognised fluid type.", "Fluid specified: WASSER", kNode3}, 11, "XTEMPS"},
      {"PHI not a number", kFinits, Base::kHumid, [](const FlNetwork& n) { n.phi(2) = kNaN; },
       {"PHI = NaN", kNode2}, 21},
      {"PHI above 1", kFinits, Base::kHumid, [](const FlNetwork& n) { n.phi(2) = 1.5; },
       {"Fluid node value out of range", "PHI = 1.50000", "must lie between 0 and 1", kNode2}, 22},
      {"PHI negative", kFinits, Base::kHumid, [](const FlNetwork& n) { n.phi(3) = -0.1; },
       {"PHI = -.100000", kNode3}, 22},
      {"saturated air hotter than boiling", kFinits, Base::kHumid,
       [](const FlNetwork& n) { n.phi(2) = 1.0; n.tf(2) = 150.0; },
       {"Fluid node value out of range", "W = -", "PHI times the saturation pressure of water reaches P + PABS",
        kNode2}, 22},

      // ---- The solution routines, on the state FINITS completed.
      {"T not a number", kAll, Base::kRing, [](const FlNetwork& n) { n.tf(2) = kNaN; },
       {"Fluid node value is not a finite number", "T = NaN", kNode2}, 21},
      {"P infinite", kAll, Base::kRing, [](const FlNetwork& n) { n.p(3) = kInf; }, {"P = Infinity", kNode3}, 21},
      {"FE not a number", kAll, Base::kRing, [](const FlNetwork& n) { n.fe(2) = kNaN; }, {"FE = NaN", kNode2}, 21},
      {"VQ not a number", kAll, Base::kRing, [](const FlNetwork& n) { n.vq(2) = kNaN; }, {"VQ = NaN", kNode2}, 21},
      {"FM not a number", kAll, Base::kRing, [](const FlNetwork& n) { n.fm(2) = kNaN; }, {"FM = NaN"}, 21},
      {"FQ infinite", kAll, Base::kRing, [](const FlNetwork&) { gar_fluidnodeheatsources(3) = kInf; }, {"FQ = Infinity"}, 21},
      {"FR of a source", kAll, Base::kRing, [](const FlNetwork& n) { n.fm(3) = 0.01; n.fr(3) = kNaN; },
       {"FR = NaN", kNode3}, 21},
      {"VQ 1.5", kAll, Base::kRing, [](const FlNetwork& n) { n.vq(2) = 1.5; },
       {"Fluid node value out of range", "VQ = 1.50000", "must lie between 0 and 1", kNode2}, 22},
      {"P + PABS below zero", kAll, Base::kRing, [](const FlNetwork& n) { n.p(3) = -1.0e6; },
       {"P + PABS must be above zero", kNode3}, 22},
      {"T + TABS below zero", kAll, Base::kRing, [](const FlNetwork& n) { n.tf(2) = -274.0; },
       {"T + TABS must be above zero", kNode2}, 22},
      {"FLA zero", kAll, Base::kRing, [](const FlNetwork& n) { n.fla(2) = 0.0; },
       {"Fluid node geometry impossible", "FLA = 0.00000", kNode2}, 23},
      {"FLA undefined", kAll, Base::kRing, [](const FlNetwork& n) { n.fla(3) = tna_test::undefined_real(); },
       {"Fluid node geometry impossible", "FLA is not defined: FINITS has not completed the node", kNode3}, 23},
      {"FL negative", kAll, Base::kRing, [](const FlNetwork& n) { n.fl(2) = -0.5; }, {"FL = -.500000"}, 23},
      {"link to itself", kAll, Base::kRing, [](const FlNetwork&) { gar_massflowlinkcondnodepairs(3) = 3; },
       {"Mass-flow link joins impossible nodes", "Both ends are node 3", "Link 2 in main model"}, 24},
      {"link to no node", kAll, Base::kRing, [](const FlNetwork&) { gar_massflowlinkcondnodepairs(8) = 0; },
       {"Mass-flow link joins impossible nodes", "second end no fluid node (index 0 of 4)",
        "Link 4 in main model"}, 24},
      {"M not a number", kAll, Base::kRing, [](const FlNetwork& n) { n.m(3) = kNaN; },
       {"Mass-flow link value impossible", "M = NaN", "Link 3 in main model"}, 25},
      {"GP not a number", kAll, Base::kRing, [](const FlNetwork&) { gar_massflowlinkfittinglosses(1) = kNaN; },
       {"GP = NaN", "Link 1 in main model"}, 25},
      {"GP negative", kAll, Base::kRing, [](const FlNetwork&) { gar_massflowlinkfittinglosses(4) = -5.0; },
       {"a fitting loss must not be negative", "Link 4 in main model"}, 25},
      {"pump source", kAll, Base::kRing, [](const FlNetwork& n) { n.psrc(1) = kNaN; },
       {"Mass-flow link value impossible", "Pressure source = NaN", "Link 1 in main model"}, 25},
      {"GL to a fluid node", kAll, Base::kRing, [](const FlNetwork&) { gar_linearconds(1) = kNaN; },
       {"Conductor of a fluid node is not a finite number", "GL = NaN on the conductor to node 100", kNode2}, 26},
      {"GR to a fluid node", kAll, Base::kRing, [](const FlNetwork&) { gar_radiativeconds(1) = kInf; },
       {"Conductor of a fluid node is not a finite number", "GR = Infinity on the conductor to node 101",
        kNode3}, 26},
      {"C of the wall", kAll, Base::kRing, [](const FlNetwork&) { gar_thermalnodecapacitances(1) = kNaN; },
       {"Thermal node next to a fluid node is not a finite number", "C = NaN", "Node 100 in main model"}, 27},
      {"T of the radiator's sink", kAll, Base::kRing, [](const FlNetwork&) { gar_thermalnodetemps(2) = kNaN; },
       {"Thermal node next to a fluid node is not a finite number", "T = NaN", "Node 101 in main model"}, 27},
      {"DAMPM zero", kFlt, Base::kRing, [](const FlNetwork&) { GLOR.DAMPM = 0.0; },
       {"Control constant DAMPM is not in (0, 1]", "DAMPM = 0.00000"}, 28},
      {"DAMPM above 1", kFlt, Base::kRing, [](const FlNetwork&) { GLOR.DAMPM = 1.5; }, {"DAMPM = 1.50000"}, 28},
      {"DAMPM not a number", kFlt, Base::kRing, [](const FlNetwork&) { GLOR.DAMPM = kNaN; }, {"DAMPM = NaN"}, 28},
      {"DAMPM undefined", kFlt, Base::kRing, [](const FlNetwork&) { GLOR.DAMPM = tna_test::undefined_real(); },
       {"DAMPM = undefined"}, 28},
      {"DTIMEI and DTMIN zero", kFltnts | kFltmts | kFgenfi, Base::kRing,
       [](const FlNetwork&) { GLOR.DTIMEI = 0.0; GLOR.DTMIN = 0.0; },
       {"Control constant DTIMEI is not greater than zero", "With DTMIN not greater than zero either"}, 29},
      {"DTIMEI negative", kFltnts | kFltmts, Base::kRing,
       [](const FlNetwork&) { GLOR.DTIMEI = -1.0; GLOR.DTMIN = -1.0; },
       {"Control constant DTIMEI is not greater than zero"}, 29},
      {"DTMAX and DTMIN zero", kFltntf, Base::kRing, [](const FlNetwork&) { GLOR.DTMAX = 0.0; GLOR.DTMIN = 0.0; },
       {"Control constant DTMAX is not greater than zero"}, 29},
      // Constants that are not finite: the routine's refusal of non-finite
      // times (code 0: 10 for FLTNTS, 9 for FLTNTF and FGENFI, 12 for FLTMTS).
      {"GRAVZ not a number", kFlt, Base::kRing, [](const FlNetwork&) { GLOR.GRAVZ = kNaN; },
       {"Control constant GRAVZ not specified"}, 0},
      {"GRAVZ not a number", kFgenfi, Base::kRing, [](const FlNetwork&) { GLOR.GRAVZ = kNaN; },
       {"FGENFI: Control constant gravz not specified"}, 0},
      {"DAMPT infinite", kFlt, Base::kRing, [](const FlNetwork&) { GLOR.DAMPT = kInf; },
       {"Control constant DAMPT not specified"}, 0},
      {"RELXCA not a number", kFlt, Base::kRing, [](const FlNetwork&) { GLOR.RELXCA = kNaN; },
       {"Control constant RELXCA not specified"}, 0},
      {"PABS not a number", kFgenfi, Base::kRing, [](const FlNetwork&) { GLOR.PABS = kNaN; },
       {"Control constant pabs not specified"}, 0},
      {"DTPMAX not a number", kFlt, Base::kRing, [](const FlNetwork&) { GLOR.DTPMAX = kNaN; },
       {"Control constant DTPMAX not specified"}, 0},
      {"RLCOUR not a number", kFltntf, Base::kRing, [](const FlNetwork&) { GLOR.RLCOUR = kNaN; },
       {"FLTNTF: Control constant RLCOUR not specified"}, 0},
      {"PHI not a number", kFlt, Base::kHumid, [](const FlNetwork& n) { n.phi(2) = kNaN; },
       {"Fluid node value is not a finite number", "PHI = NaN", kNode2}, 21},
      {"PHI negative", kFlt, Base::kHumid, [](const FlNetwork& n) { n.phi(3) = -0.5; },
       {"Fluid node value out of range", "PHI = -.500000", "must not be negative", kNode3}, 22},
      {"W negative", kFlt, Base::kHumid, [](const FlNetwork& n) { n.w(2) = -0.01; },
       {"Fluid node value out of range", "W = -.100000E-01", kNode2}, 22},
      {"W not a number", kFlt, Base::kHumid, [](const FlNetwork& n) { n.w(3) = kNaN; }, {"W = NaN", kNode3}, 21},
  };
  // clang-format on
}

// The code of a routine's refusal of a constant that is not finite.
int finite_code(unsigned routine) {
  switch (routine) {
    case kFltnts: return 10;
    case kFltmts: return 12;
    default: return 9;
  }
}

// Every real of the fluid nodes, links and thermal nodes.
std::vector<double> reals(const FlNetwork& n) {
  std::vector<double> out;
  for (FlReals v : {n.tf,  n.p, n.fe,   n.vq, n.fd,    n.fl,   n.fla,   n.vol, n.fm, n.fr, n.fh, n.fw,
                    n.phi, n.w, n.sink, n.m,  n.lcond, n.psrc, n.psrcd, n.lvq, n.lh, n.t,  n.qr})
    for (int i = 1; i <= v.size(); ++i) out.push_back(v(i));
  for (FlCReals v : {n.fq, n.gp, n.cap, n.gl, n.gr, n.gf})
    for (int i = 1; i <= v.size(); ++i) out.push_back(v(i));
  return out;
}

std::size_t non_numbers(const std::vector<double>& v) {
  std::size_t n = 0;
  for (double x : v) n += std::isfinite(x) ? 0 : 1;
  return n;
}

class HostileInputs : public FluidTest {
 protected:
  // A water ring of four nodes (node 1 "J", its pressure held), pumped by
  // 2000 Pa on link 1; thermal node 100 (a wall, 500 J/K, heated by 50 W) by
  // a GL of 5 W/K to fluid node 2, and thermal node 101 (a boundary at 0 C)
  // by a GR of 0.01 m2 to fluid node 3.
  void ring() {
    tna_test::FluidModel fm = tna_test::ring(4, true);
    fm.thermal(100, 'D', 30.0, 500.0).thermal(101, 'B', 0.0);
    fm.gl(100, 2, 5.0);
    fm.gr(101, 3, 0.01);
    for (int h = 0; h < 4; ++h) fm.link_spec(h).gp = 1.0e20;
    build(fm);
    gar_thermalnodeheatsourcesinternal(1) = 50.0;
    gar_massflowlinkpressuresources(1) = 2000.0;
  }
  // humid_duct(4) of the shapes.
  void humid() {
    tna_test::FluidModel fm = tna_test::humid_duct(4);
    build(fm);
  }
  // Controls for one step of every routine.
  static void controls() {
    tna_test::fluid_controls();
    GLOR.TIMEND = 1.0;
    GLOR.OUTINT = 1.0;
    GLOR.DTIMEI = 1.0;
    GLOR.DTMAX = 1.0;
    GLOR.RLCOUR = 1.0;
    GLOR.DTCOUR = 1.0e38;
    GLOR.DAMPM = 0.5;
  }
  void start(Base base) {
    gar_deallocate_all();
    fresh_listing();
    if (base == Base::kRing) ring();
    else humid();
    controls();
  }
};

TEST_F(HostileInputs, ValidBasesRunOneStepOfEveryRoutineWithoutABox) {
  for (Base base : {Base::kRing, Base::kHumid}) {
    for (const Routine& r : kRuns) {
      if (base == Base::kHumid && r.bit == kFgenfi) continue;
      SCOPED_TRACE(r.name);
      start(base);
      FINITS(" ", -1);
      r.call();
      EXPECT_EQ(GLOR.TIMEO, 1.0);
      EXPECT_EQ(listing().find("@@@@"), std::string::npos) << listing();
      EXPECT_EQ(non_numbers(reals(net)), 0u);
    }
  }
}

TEST_F(HostileInputs, EachIsRefusedWhereItEntersWithItsBox) {
  for (const Row& row : rows()) {
    for (const Routine& r : kRuns) {
      const bool finits = row.routines == kFinits;
      if (!finits && (row.routines & r.bit) == 0) continue;
      if (finits && r.bit != kFltnts) continue;  // once
      const std::string routine = finits ? "FINITS" : r.name;
      SCOPED_TRACE(routine + ": " + row.field);
      start(row.base);
      if (!finits) FINITS(" ", -1);
      ASSERT_EQ(listing().find("@@@@"), std::string::npos) << listing();
      row.spoil(net);
      const std::vector<double> before = reals(net);
      int status = -1;
      try {
        if (finits) FINITS(" ", -1);
        else r.call();
      } catch (const plat::ProcessExit& e) {
        status = e.status;
      }
      EXPECT_EQ(status, 1);
      const std::string out = listing();
      EXPECT_EQ(count_boxes(out), 1u) << out;
      EXPECT_NE(out.find("@@@@  FATAL ERROR"), std::string::npos) << out;
      for (const std::string& part : row.box) EXPECT_TRUE(has_message(out, part)) << part << "\n" << out;
      const int code = row.code != 0 ? row.code : finite_code(r.bit);
      EXPECT_TRUE(has_reference(out, row.reference != nullptr ? row.reference : routine, code)) << out;
      const std::vector<double> after = reals(net);
      EXPECT_EQ(non_numbers(after), non_numbers(before));
      // A solution routine refuses before it changes any model array.
      if (!finits) {
        EXPECT_EQ(std::memcmp(after.data(), before.data(), after.size() * sizeof(double)), 0);
      }
    }
  }
}

TEST_F(HostileInputs, VapourThatCoolsBelowSaturationIsNamedOnce) {
  // Node 2 of the ring starts at 150 C, vapour at 2 bar (saturation at
  // 120.2 C), among liquid at 20 C: the liquid coming in cools it far below
  // its saturation temperature within the run. The single-phase routines go
  // on with its vapour properties, and say so once for that node.
  for (const Routine& r : kRuns) {
    if (r.bit == kFgenfi) continue;
    SCOPED_TRACE(r.name);
    start(Base::kRing);
    net.tf(2) = 150.0;
    FINITS(" ", -1);
    ASSERT_EQ(net.vq(2), 1.0);
    GLOR.TIMEND = 60.0;
    GLOR.OUTINT = 60.0;
    r.call();
    EXPECT_EQ(GLOR.TIMEO, 60.0);
    EXPECT_LT(net.tf(2), 100.0);
    EXPECT_EQ(net.vq(2), 1.0);  // the quality is kept
    // One phase warning; the property functions' range warnings of the
    // vapour below its range come besides it (per call, as they are made).
    const std::string out = listing();
    const std::string reference = std::string("(") + r.name + ",  30)";
    EXPECT_EQ(out.find(reference), out.rfind(reference)) << out;
    EXPECT_EQ(out.find("FATAL"), std::string::npos);
    for (const char* part :
         {"Fluid node leaves the phase of its quality", "the single-phase solution cannot follow a change of phase",
          "VQ = 1.00000", "is liquid", "Node 2 in main model"})
      EXPECT_TRUE(has_message(out, part)) << part << "\n" << out;
    EXPECT_TRUE(has_reference(out, r.name, 30)) << out;
    EXPECT_EQ(non_numbers(reals(net)), 0u);
  }
}

TEST_F(HostileInputs, SaturatedVapourAtItsSaturationTemperatureStaysVapour) {
  // "P&VQ" with VQ 1 puts the node exactly at its saturation temperature,
  // which the quality test counts as liquid: no warning for it while it
  // stays there (an adiabatic ring of saturated vapour, no flow).
  for (const Routine& r : kRuns) {
    if (r.bit == kFgenfi) continue;
    SCOPED_TRACE(r.name);
    gar_deallocate_all();
    fresh_listing();
    tna_test::FluidModel fm = tna_test::ring(3, true);
    for (int i = 1; i <= 3; ++i) {
      fm.node(i).fst = "P&VQ";
      fm.node(i).vq = 1.0;
    }
    for (int h = 0; h < 3; ++h) fm.link_spec(h).flow = 0.0;
    build(fm);
    controls();
    FINITS(" ", -1);
    r.call();
    EXPECT_EQ(GLOR.TIMEO, 1.0);
    EXPECT_EQ(listing().find("@@@@"), std::string::npos) << listing();
  }
}

}  // namespace
}  // namespace fluid_test
