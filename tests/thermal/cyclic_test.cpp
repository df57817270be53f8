// Cyclic solution: the periodic state of an RC node under a sinusoidal
// source against the analytic periodic solution for every thermal transient
// routine, periodicity of the converged cycle, the blocks and OUTIME during
// the cycles, the state restored at return, the cycle report, the rate
// functions, messages, fluid codes and couplings (work space and
// repeatability: solver_contract_test.cpp).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "fluid/fluid_network.h"
#include "fluid/fluid_services.h"
#include "fluid/link_conductances.h"
#include "modeldata/submodel_refs.h"
#include "output/page_headers.h"
#include "platform/format.h"
#include "properties/properties.h"
#include "thermal/crank_nicolson.h"
#include "thermal/cyclic.h"
#include "thermal/explicit_forward.h"
#include "thermal/forward_backward.h"
#include "thermal/gear.h"
#include "thermal/modal.h"
#include "thermal/slgrdj.h"
#include "thermal/thermal_network.h"
#include "transient_fixture.h"

namespace {

using cn_test::has_message;
using cn_test::has_reference;

// C dT/dt = Q0 sin(w t) - G T has the periodic solution
// T(t) = (Q0 / (G^2 + C^2 w^2)) (G sin(w t) - C w cos(w t)).
struct Rc {
  double c = 10.0, g = 2.0, q0 = 10.0, period = 20.0;
  double w() const { return 2.0 * std::numbers::pi / period; }
  double periodic(double t) const {
    const double d = g * g + c * c * w() * w();
    return q0 / d * (g * std::sin(w() * t) - c * w() * std::cos(w() * t));
  }
};

class Cyclic : public cn_test::Transient {
 protected:
  void SetUp() override {
    cn_test::Transient::SetUp();
    ndssmd_reset_for_tests();
  }
  // Nodes 1 and 3, each joined to the boundary 2 at 0, their source a sine
  // of TIMEM set by VARIABLES1: two copies of one RC node (the modal
  // solution needs two nodes), node 3 starting elsewhere.
  tna_test::Network rc(const Rc& m, double t0 = 0.0) {
    tna_test::Network net;
    net.node(1, 'D', t0).node(2, 'B', 0.0).node(3, 'D', t0 + 5.0);
    net.gl(1, 2, m.g);
    net.gl(3, 2, m.g);
    build(net, 20000);
    gar_thermalnodecapacitances(1) = m.c;
    gar_thermalnodecapacitances(3) = m.c;
    tna_test::model.variables1 = [m] {
      gar_thermalnodeheatsourcesinternal(1) = m.q0 * std::sin(m.w() * GLOR.TIMEM);
      gar_thermalnodeheatsourcesinternal(3) = m.q0 * std::sin(m.w() * GLOR.TIMEM);
    };
    return net;
  }
  // Small steps so that every routine resolves the sine.
  void small_steps(double h) {
    GLOR.DTIMEI = h;
    GLOR.DTMAX = h;
    GLOR.DTMIN = h * 1e-3;
    GLOR.OUTINT = 5.0;
  }
  int count(const std::string& text) {
    const std::string l = listing();
    int n = 0;
    for (std::size_t p = l.find(text); p != std::string::npos; p = l.find(text, p + 1)) ++n;
    return n;
  }
};

// ---------------------------------------------------------------------------
// Periodic state of an RC node, every thermal routine.

TEST_F(Cyclic, EveryThermalRoutineReachesTheAnalyticPeriodicState) {
  struct Case {
    const char* name;
    void (*run)();
    double tol;  // error of the routine's discrete cycle against the exact one
  };
  const Case cases[] = {
      // First order in the step (h = 0.01 against an amplitude of 2.3).
      {"SLFRWD", SLFRWD, 3e-3},
      // Second order: the trapezoidal balances and the modal steps.
      {"SLFWBK", SLFWBK, 2e-5},
      {"SLCRNC", SLCRNC, 2e-5},
      {"SLMODE", SLMODE, 2e-5},
      // Step and order chosen by the Gear routines' own error control.
      {"SLGEAR", SLGEAR, 5e-3},
      {"SLGRDJ", SLGRDJ, 5e-3},
  };
  const Rc m;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tna_test::Network net = rc(m);
    small_steps(0.01);
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = 123.0;
    GLOC.OUTIME = "ALL";
    std::vector<std::string> solvers;
    int outputs = 0;
    tna_test::model.variables2 = [&] {
      if (solvers.empty() || solvers.back() != GLOC.SOLVER.trimmed()) solvers.emplace_back(GLOC.SOLVER.trimmed());
    };
    tna_test::model.outputs = [&] { ++outputs; };
    fresh_listing();
    const double tconv = 1e-6, dtconv = 1e10, period = m.period;
    const int maxcyc = 50;
    const std::string name = std::string(c.name) + "   ";
    try {
      SOLCYC(name, tconv, dtconv, period, maxcyc, " ", "NONE");
    } catch (const plat::ProcessExit&) {
      ADD_FAILURE() << listing();
      continue;
    }

    // The state at the period end agrees with the exact periodic solution.
    const double t_end = gar_thermalnodetemps(1);
    EXPECT_NEAR(t_end, m.periodic(m.period), c.tol);
    EXPECT_NEAR(gar_thermalnodetemps(3), t_end, 1e-5);
    // The clock, OUTIME and SOLVER are back; the core top too.
    EXPECT_EQ(GLOR.TIMEO, 0.0);
    EXPECT_EQ(GLOR.TIMEND, 123.0);
    EXPECT_EQ(GLOC.OUTIME.trimmed(), "ALL");
    EXPECT_EQ(GLOC.SOLVER.trimmed(), "");
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), 101);
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), 101);
    // The cycles ran as a cyclic run with OUTPUTS silent.
    EXPECT_EQ(solvers, std::vector<std::string>{"CYTH"});
    EXPECT_EQ(outputs, 0);
    // Error decays by exp(-G P / C) = 0.018 per cycle: a few cycles, each reported.
    const int cycles = count("SOLCYC cycle number: ");
    EXPECT_GE(cycles, 3);
    EXPECT_LE(cycles, 8);
    EXPECT_EQ(count("  Max delta T = "), cycles);
    EXPECT_EQ(count("  Max delta dT/dt = Not calculated "), cycles);
    EXPECT_EQ(box_count(), 0) << listing();

    // The converged cycle is periodic: one more period with the routine
    // itself returns to the same state, and follows the exact solution
    // inside the period.
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = m.period;
    std::vector<std::pair<double, double>> path;
    tna_test::model.variables2 = [&] { path.emplace_back(GLOR.TIMEN, gar_thermalnodetemps(1)); };
    c.run();
    EXPECT_NEAR(gar_thermalnodetemps(1), t_end, 10 * tconv);
    for (const auto& [t, v] : path) EXPECT_NEAR(v, m.periodic(t), c.tol) << "t = " << t;
    tna_test::model.reset();
  }
}

// Far from time zero (TIMEO = 1E5, 5,000 periods on) the Gear routines
// still integrate each cycle to its end: the same periodic state, found in
// as few cycles, with no report of a cycle that failed to converge.
TEST_F(Cyclic, GearRoutinesFarFromTimeZero) {
  struct Case {
    const char* name;
    void (*run)();
  } cases[] = {{"SLGEAR", SLGEAR}, {"SLGRDJ", SLGRDJ}};
  const Rc m;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tna_test::Network net = rc(m);
    small_steps(0.01);
    const double t0 = 5000.0 * m.period;
    GLOR.TIMEO = t0;
    GLOR.TIMEND = t0 + 123.0;
    fresh_listing();
    const double tconv = 1e-6, dtconv = 1e10, period = m.period;
    const int maxcyc = 50;
    try {
      SOLCYC(std::string(c.name) + "   ", tconv, dtconv, period, maxcyc, " ", "NONE");
    } catch (const plat::ProcessExit&) {
      ADD_FAILURE() << listing();
      continue;
    }
    EXPECT_NEAR(gar_thermalnodetemps(1), m.periodic(m.period), 5e-3);
    EXPECT_NEAR(gar_thermalnodetemps(3), gar_thermalnodetemps(1), 1e-5);
    EXPECT_EQ(GLOR.TIMEO, t0);
    const int cycles = count("SOLCYC cycle number: ");
    EXPECT_GE(cycles, 3);
    EXPECT_LE(cycles, 8);
    EXPECT_EQ(box_count(), 0) << listing();
  }
}

// ---------------------------------------------------------------------------
// Convergence rules, the node list, the rate test.

TEST_F(Cyclic, ConvergenceRulesAndReport) {
  // A node at its steady state under a constant source: nothing changes, so
  // the first cycle converges, also with the rate test on.
  auto steady = [&] {
    tna_test::Network net;
    net.node(1, 'D', 5.0, 10.0).node(2, 'B', 0.0);
    net.gl(1, 2, 2.0);
    build(net);
    gar_thermalnodecapacitances(1) = 10.0;
    GLOR.TIMEO = 7.0;
    GLOR.TIMEND = 8.0;
    fresh_listing();
  };
  struct Case {
    const char* what;
    double tconv, dtconv;
    std::string zlabel;
    int maxcyc;
    int cycles;  // cycles reported
    bool maxcyc_message;
    const char* t_line;  // line after the cycle number
    const char* r_line;
  };
  // clang-format off
  const Case cases[] = {
      {"temperatures only", 1e-9, 1e10, " ", 5, 1, false, "   Max delta T =  0.0000E+00", "   Max delta dT/dt = Not calculated "},
      {"rate test on", 1e-9, 1e-9, " ", 5, 1, false, "   Max delta T =  0.0000E+00", "   Max delta dT/dt =  0.0000E+00"},
      {"no node listed", -1.0, -1.0, "NOSUCH", 5, 1, false, "   Max delta T = Not calculated ",
       "   Max delta dT/dt = Not calculated "},
      {"tolerance never met", -1.0, 1e10, " ", 3, 3, true, "   Max delta T =  0.0000E+00", "   Max delta dT/dt = Not calculated "},
      {"MAXCYC 0 runs one cycle", -1.0, 1e10, " ", 0, 1, true, "   Max delta T =  0.0000E+00",
       "   Max delta dT/dt = Not calculated "},
      {"rate test decides", 1e3, -1.0, " ", 2, 2, true, "   Max delta T =  0.0000E+00",
       "   Max delta dT/dt =  0.0000E+00"},
      {"change equal to the tolerance", 0.0, 0.0, "NODE 1", 5, 1, false, "   Max delta T =  0.0000E+00",
       "   Max delta dT/dt =  0.0000E+00"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    steady();
    GLOC.OUTIME = "ALL";
    SOLCYC("SLCRNC", c.tconv, c.dtconv, 5.0, c.maxcyc, c.zlabel, "NONE");
    EXPECT_NEAR(gar_thermalnodetemps(1), 5.0, 1e-12);
    EXPECT_EQ(count("SOLCYC cycle number: "), c.cycles);
    EXPECT_EQ(has_message(listing(), "SOLCYC: Failed to converge within MAXCYC iterations"), c.maxcyc_message);
    if (c.maxcyc_message) {
      EXPECT_TRUE(has_reference(listing(), "SOLCYC", 4));
    }
    const std::string l = listing();
    EXPECT_NE(l.find(std::string(" SOLCYC cycle number: 1\n") + c.t_line + "\n"), std::string::npos) << l;
    EXPECT_NE(l.find(std::string("\n") + c.r_line + "\n"), std::string::npos) << l;
    // Restored also after the MAXCYC failure.
    EXPECT_EQ(GLOR.TIMEO, 7.0);
    EXPECT_EQ(GLOR.TIMEND, 8.0);
    EXPECT_EQ(GLOC.OUTIME.trimmed(), "ALL");
    EXPECT_EQ(GLOC.SOLVER.trimmed(), "");
    EXPECT_EQ(GLOR.TIMEN, 12.0);  // the last cycle's end is kept
  }
}

TEST_F(Cyclic, BlocksAndOutimeDuringTheCycles) {
  tna_test::Network net;
  net.node(1, 'D', 5.0, 10.0).node(2, 'B', 0.0);
  net.gl(1, 2, 2.0);
  build(net);
  gar_thermalnodecapacitances(1) = 10.0;
  GLOR.TIMEO = 3.0;
  GLOR.TIMEND = 100.0;
  GLOR.OUTINT = 1.0;
  GLOC.OUTIME = "NONE";
  struct Seen {
    double timeo, timen, timem, timend;
    std::string outime, solver;
  };
  std::vector<Seen> v1, out;
  auto seen = [] {
    return Seen{GLOR.TIMEO,
                GLOR.TIMEN,
                GLOR.TIMEM,
                GLOR.TIMEND,
                std::string(GLOC.OUTIME.trimmed()),
                std::string(GLOC.SOLVER.trimmed())};
  };
  tna_test::model.variables1 = [&] { v1.push_back(seen()); };
  tna_test::model.outputs = [&] { out.push_back(seen()); };
  double period = 2.0;
  SOLCYC("SLFWBK", 1e-9, 1e10, period, 3, " ", "ALL");
  // SOLCYC's own VARIABLES1 first: the clock at the start time, TIMEND one
  // period on, OUTIME and SOLVER not yet set.
  ASSERT_FALSE(v1.empty());
  EXPECT_EQ(v1[0].timeo, 3.0);
  EXPECT_EQ(v1[0].timen, 3.0);
  EXPECT_EQ(v1[0].timem, 3.0);
  EXPECT_EQ(v1[0].timend, 5.0);
  EXPECT_EQ(v1[0].outime, "NONE");
  EXPECT_EQ(v1[0].solver, "");
  // With zout "ALL" OUTPUTS runs at the start and every OUTINT of the cycle.
  ASSERT_EQ(out.size(), 3u) << "one cycle converges at once";
  for (std::size_t k = 0; k < out.size(); ++k) {
    EXPECT_EQ(out[k].timen, 3.0 + static_cast<double>(k));
    EXPECT_EQ(out[k].outime, "ALL");
    EXPECT_EQ(out[k].solver, "CYTH");
  }
  EXPECT_EQ(GLOC.OUTIME.trimmed(), "NONE");
  EXPECT_EQ(GLOR.TIMEO, 3.0);
  EXPECT_EQ(GLOR.TIMEND, 100.0);
}

TEST_F(Cyclic, LargestChangesNameTheirNodes) {
  // Two independent RC nodes relaxing from different starts: node 3 moves
  // most; its rate change is also the largest. The boundary never counts.
  tna_test::Network net;
  net.node(1, 'D', 1.0).node(2, 'B', 0.0).node(3, 'D', 50.0);
  net.gl(1, 2, 1.0);
  net.gl(3, 2, 1.0);
  build(net);
  gar_thermalnodecapacitances(1) = 10.0;
  gar_thermalnodecapacitances(3) = 10.0;
  GLOR.TIMEO = 0.0;
  GLOR.TIMEND = 1.0;
  GLOR.DTIMEI = 0.1;
  const double t3 = 50.0, r3 = -5.0;  // start temperature and rate of node 3
  SOLCYC("SLCRNC", 1e-12, 1e-12, 1.0, 1, " ", "NONE");
  const double dt = std::fabs(gar_thermalnodetemps(3) - t3);
  const double dr = std::fabs(-gar_thermalnodetemps(3) / 10.0 - r3);
  const std::string l = listing();
  auto line = [](double v) {
    std::vector<std::string> r = plat::format_records("(1PE11.4)", v);
    return r.at(0);
  };
  EXPECT_NE(l.find(" SOLCYC cycle number: 1\n   Max delta T = " + line(dt) +
                   "\n     at node 3\n     in submodel MAIN\n   Max delta dT/dt = " + line(dr) +
                   "\n     at node 3\n     in submodel MAIN\n"),
            std::string::npos)
      << l;
  EXPECT_TRUE(has_message(l, "SOLCYC: Failed to converge within MAXCYC iterations"));
}

TEST_F(Cyclic, FluidNodesAreMeasuredAsGlobalNodes) {
  // A thermal node at its steady state and a fluid node whose temperature
  // the user's VARIABLES2 raises by 1 at every call: only the fluid node
  // (global node NT + 1) changes, and it counts only when the list names it.
  struct Case {
    const char* zlabel;
    int cycles;
    bool fluid_named;
  };
  const Case cases[] = {{" ", 2, true}, {"#10", 2, true}, {"#1", 1, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zlabel);
    tna_test::Network net;
    net.node(1, 'D', 5.0, 10.0).node(2, 'B', 0.0).fluid(10, 20.0);
    net.gl(1, 2, 2.0);
    build(net);
    gar_thermalnodecapacitances(1) = 10.0;
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = 1.0;
    GLOR.DTIMEI = 0.25;
    fresh_listing();
    tna_test::model.variables2 = [] { gar_fluidnodetemps(1) += 1.0; };
    SOLCYC("SLCRNC", 0.5, 1e10, 1.0, 2, c.zlabel, "NONE");
    EXPECT_EQ(count("SOLCYC cycle number: "), c.cycles);
    const std::string l = listing();
    EXPECT_EQ(l.find("     at node 10\n     in submodel MAIN\n") != std::string::npos, c.fluid_named) << l;
    tna_test::model.reset();
  }
}

TEST_F(Cyclic, ChangeThatIsNotANumberNeverConverges) {
  // An unconnected boundary node that the user's statements set to NaN: its
  // change is not a number, which must not pass for convergence.
  tna_test::Network net;
  net.node(1, 'D', 5.0, 10.0).node(2, 'B', 0.0).node(3, 'B', 1.0);
  net.gl(1, 2, 2.0);
  build(net);
  gar_thermalnodecapacitances(1) = 10.0;
  tna_test::model.variables2 = [] { gar_thermalnodetemps(3) = std::nan(""); };
  SOLCYC("SLCRNC", 1e3, 1e10, 1.0, 2, " ", "NONE");
  const std::string l = listing();
  EXPECT_EQ(count("SOLCYC cycle number: "), 2);
  EXPECT_NE(l.find("   Max delta T = " + std::string(8, ' ') + "NaN\n     at node 3\n"), std::string::npos) << l;
  EXPECT_TRUE(has_message(l, "SOLCYC: Failed to converge within MAXCYC iterations"));
}

TEST_F(Cyclic, ThermalRate) {
  // rate = (sources + conducted + radiated) / C for a "D" node; 0 otherwise.
  tna_test::Network net;
  net.node(1, 'D', 20.0).node(2, 'B', 10.0).node(3, 'B', 100.0).node(4, 'B', 40.0).node(5, 'X', 1000.0);
  net.gl(1, 2, 2.0);
  net.gr(1, 3, 0.5);
  net.gf(4, 1, 3.0);
  net.gl(1, 5, 7.0);  // an "X" neighbour counts nothing
  build(net);
  gar_thermalnodecapacitances(1) = 4.0;
  gar_thermalnodeheatsourcesalbedo(1) = 1.0;
  gar_thermalnodeheatsourcesplanet(1) = 2.0;
  gar_thermalnodeheatsourcesinternal(1) = 3.0;
  gar_thermalnodeheatsourcesother(1) = 4.0;
  gar_thermalnodeheatsourcessolar(1) = 5.0;
  auto rate = [&](int i) {
    double r = -1.0;
    LPDTTM(th_network(), i, r);
    return r;
  };
  const double ta = 20.0 + cn_test::kTabs, tr = 100.0 + cn_test::kTabs;
  const double radiated = (tr * tr * tr * tr - ta * ta * ta * ta) * 0.5 * cn_test::kSigma;
  const double expect = (15.0 + (radiated + (3.0 * 20.0 + 2.0 * -10.0))) / 4.0;
  EXPECT_NEAR(rate(1), expect, 1e-12 * std::fabs(expect));
  EXPECT_EQ(rate(2), 0.0);                   // boundary
  gar_thermalnodecapacitances(1) = 9.0e-38;  // below 1.0E-37 in single precision
  EXPECT_EQ(rate(1), 0.0);
}

// ---------------------------------------------------------------------------
// Messages and work space.

TEST_F(Cyclic, SolverNameMustMatchOverSixCharacters) {
  tna_test::Network net;
  net.node(1, 'D', 5.0).node(2, 'B', 0.0);
  net.gl(1, 2, 1.0);
  build(net);
  gar_thermalnodecapacitances(1) = 1.0;
  for (const char* bad : {"slcrnc", "SOLVFM", " SLCRNC", ""}) {
    SCOPED_TRACE(bad);
    fresh_listing();
    EXPECT_THROW(SOLCYC(bad, 1.0, 1e10, 1.0, 3, " ", "NONE"), plat::ProcessExit);
    const std::string l = listing();
    EXPECT_TRUE(has_message(
        l, "SOLCYC: Solver name incorrect@ Only transient solver can be used for cycle analysis with SOLCYC"))
        << l;
    EXPECT_TRUE(has_reference(l, "SOLCYC", 2));
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), 101);
  }
}

// ---------------------------------------------------------------------------
// The cycle report.

TEST_F(Cyclic, CycleReportLinesAndPages) {
  tna_test::Network net;
  net.node(4, 'D', 1.0).node(7, 'B', 0.0);
  build(net);
  PRTINF(2) = 10;
  LPRCYC(-2.5e-3, 12, 2, 1, 0.125);
  LPRCYC(0.0, 3, 0, 0, 0.0);
  EXPECT_EQ(listing(),
            "\n SOLCYC cycle number: 12\n   Max delta T =  1.2500E-01\n     at node 4\n     in submodel MAIN\n"
            "   Max delta dT/dt = -2.5000E-03\n     at node 7\n     in submodel MAIN\n"
            "\n SOLCYC cycle number: 3\n   Max delta T = Not calculated \n"
            "   Max delta dT/dt = Not calculated \n");
  EXPECT_EQ(PRTINF(2), 22);

  // A new page when line count + 5 reaches the page length; then 6 more.
  fresh_listing();
  PRTINF(1) = 60;
  PRTINF(2) = 55;
  LPRCYC(0.0, 1, 0, 0, 0.0);
  EXPECT_EQ(listing().substr(0, 2), "1\n");
  EXPECT_EQ(PRTINF(2), 7 + 6);
  EXPECT_EQ(PRTINF(4), 2);
  fresh_listing();
  PRTINF(2) = 54;
  LPRCYC(0.0, 1, 0, 0, 0.0);
  EXPECT_EQ(listing().substr(0, 2), "\n ");
  EXPECT_EQ(PRTINF(2), 60);

  // TRACE 1: the trace file, no page handling, the line count untouched.
  fresh_listing();
  GLOI.TRACE = 1;
  ASSERT_EQ(plat::io::open_unit(13, (dir_.path() / "run.TRA").string(), plat::io::Form::Formatted, "UNKNOWN"), 0);
  PRTINF(2) = 59;
  LPRCYC(0.0, 5, 0, 0, 0.0);
  plat::io::close_unit(13);
  EXPECT_EQ(listing(), "");
  EXPECT_EQ(PRTINF(2), 59);
  EXPECT_EQ(cn_test::read_file((dir_.path() / "run.TRA").string()),
            "\n SOLCYC cycle number: 5\n   Max delta T = Not calculated \n   Max delta dT/dt = Not calculated \n");
  GLOI.TRACE = 0;
}

// ---------------------------------------------------------------------------
// Fluid couplings.

TEST_F(Cyclic, TwoPhaseRoutineKeepsTheCyclicRunType) {
  // Without fluid nodes FGENFI makes no step; the cycle sees an unchanged
  // network and converges at once, FGENFI running under "CYFL2P".
  tna_test::Network net;
  net.node(1, 'D', 5.0).node(2, 'B', 0.0);
  net.gl(1, 2, 1.0);
  build(net);
  std::string seen;
  tna_test::model.variables1 = [&] {
    if (GLOC.MODULE.trimmed() == "FGENFI") seen = std::string(GLOC.SOLVER.trimmed());
  };
  SOLCYC("FGENFI", 1.0, 1e10, 1.0, 3, " ", "NONE");
  EXPECT_EQ(seen, "CYFL2P");
  EXPECT_EQ(gar_thermalnodetemps(1), 5.0);
}

TEST_F(Cyclic, FluidNodeHeatFlows) {
  // Fluid node 1 joined to thermal node 1 by GL 2, GR 0.5 and a GF 3 into
  // the fluid node, and by an inactive GL; no mass source, no link.
  tna_test::Network net;
  net.node(1, 'D', 60.0).node(2, 'B', 0.0).fluid(10, 20.0);
  net.gl(1, 10, 2.0);
  net.gr(1, 10, 0.5);
  net.gf(1, 10, 3.0);
  net.gl(2, 10, 5.0, 'I');
  build(net);
  const auto [qsrc, qgf, qgl, qlink, qgr] = SFCDHF(fl_network(), 1, 2);
  const double th = 60.0 + cn_test::kTabs, tf = 20.0 + cn_test::kTabs;
  EXPECT_EQ(qsrc, 0.0);
  EXPECT_NEAR(qgf, 3.0 * 40.0, 1e-9);
  EXPECT_NEAR(qgl, 2.0 * 40.0, 1e-9);
  EXPECT_EQ(qlink, 0.0);
  EXPECT_NEAR(qgr, (th * th * th * th - tf * tf * tf * tf) * 0.5 * cn_test::kSigma, 1e-9);
}

TEST_F(Cyclic, FluidNodeHeatFlowsOverLinksAndInterModelConductors) {
  // A fluid list written by hand: fluid node 1 of three, two thermal nodes
  // (node 2 of status "X"). Links enter the node only when their flow
  // carries fluid into it; inter-model conductors may join it to another
  // fluid node, written nt + its fluid index, whose fluid temperature counts.
  using I = std::int32_t;
  using L = plat::Text<1>;
  const int nt = 2;
  const double tabs = 273.15, sigma = 5.67e-8;
  plat::Array1<double> t(2), tf(3), p(3, 1e5), x(3, 0.0), fm(3, 0.0), fr(3, 0.0);
  t(1) = 60.0;
  t(2) = 1000.0;
  tf(1) = 20.0;
  tf(2) = 80.0;
  tf(3) = 35.0;
  plat::Array1<L> st(2, L("D"));
  st(2) = "X";
  // Links: 1 (2 -> 1, +0.5, enters), 2 (1 -> 3, +1, leaves), 3 (1 -> 2, -2,
  // would enter but inactive), 4 (1 -> 3, -1, enters from 3).
  plat::Array1<I> pairs(8);
  const I pv[] = {2, 1, 1, 3, 1, 2, 1, 3};
  for (int k = 1; k <= 8; ++k) pairs(k) = pv[k - 1];
  plat::Array1<double> flows(4), g(4);
  const double fv[] = {0.5, 1.0, -2.0, -1.0}, gv[] = {4.0, 100.0, 100.0, 6.0};
  for (int k = 1; k <= 4; ++k) flows(k) = fv[k - 1], g(k) = gv[k - 1];
  plat::Array1<L> lst(4, L("A"));
  lst(3) = "I";
  plat::Array1<double> gl(3), gr(1, 0.5), gf(2);
  gl(1) = 2.0;
  gl(2) = 7.0;
  gl(3) = 5.0;
  gf(1) = 9.0;
  gf(2) = 3.0;
  plat::Array1<L> glacts(3, L("A")), gracts(1, L("A")), gfacts(2, L("A"));
  // Sub-lists: links; GL (thermal 1, "X" thermal 2, fluid 3); GR (fluid 2);
  // GF (its first node's negative entry, then fluid 3); each closed by a
  // jump to the next word and the end word 0.
  const std::vector<I> words = {2,      1,  3,      2, 2,      3, 3,   4, -10, 0,  // links, jump at 9
                                1,      1,  2,      2, nt + 3, 3, -18, 0,          // GL, jump at 17
                                nt + 2, 1,  -22,    0,                             // GR, jump at 21
                                1,      -1, nt + 3, 2, -28,    0};                 // GF, jump at 27
  plat::Array1<I> pcs(static_cast<std::int64_t>(words.size()));
  for (std::size_t k = 0; k < words.size(); ++k) pcs(static_cast<std::int64_t>(k) + 1) = words[k];
  plat::Array1<I> ptrs(3, 0);
  ptrs(1) = 1;
  FlNetwork net;
  net.nt = nt;
  net.nf = 3;
  net.nl = 4;
  net.t = t.view();
  net.tstat = st.view();
  net.tf = tf.view();
  net.p = p.view();
  net.vq = x.view();
  net.fm = fm.view();
  net.fr = fr.view();
  net.pairs = pairs.view();
  net.m = flows.view();
  net.lstat = lst.view();
  net.lcond = g.view();
  net.gl = gl.view();
  net.gr = gr.view();
  net.gf = gf.view();
  net.glacts = glacts.view();
  net.gracts = gracts.view();
  net.gfacts = gfacts.view();
  net.fpcs = pcs.view();
  net.fptrs = ptrs.view();
  GLOR.TABS = tabs;
  GLOR.STEFAN = sigma;
  const auto [qsrc, qgf, qgl, qlink, qgr] = SFCDHF(net, 1, 2);
  const double d = 20.0 + tabs, f2 = 80.0 + tabs;
  EXPECT_EQ(qsrc, 0.0);
  EXPECT_NEAR(qlink, 60.0 * 4.0 + 15.0 * 6.0, 1e-9);
  EXPECT_NEAR(qgl, 40.0 * 2.0 + 15.0 * 5.0, 1e-9);
  EXPECT_NEAR(qgr, (f2 * f2 * f2 * f2 - d * d * d * d) * 0.5 * sigma, 1e-9);
  EXPECT_NEAR(qgf, 15.0 * 3.0, 1e-9);

  // A node without a list: all zero.
  const FlNodeHeats none = SFCDHF(net, 2, 2);
  EXPECT_EQ(none.qsrc + none.qgf + none.qgl + none.qlink + none.qgr, 0.0);
}

}  // namespace
