// Whole runs of the two-phase solution FGENFI on small WATER networks:
// energy and mass balances, two-phase states, phase separation, the run
// without fluid nodes, and the step control seen through the blocks. The
// frame's checks and shortage messages are rows of the contract tables of
// the fluid routines (fluid/solver_contract_test.cpp).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "core/char_pool.h"
#include "fluid/fluid_services.h"
#include "fluid_fixture.h"
#include "platform/process.h"
#include "properties/properties.h"
#include "two_phase_pipe.h"

namespace fluid_test {
namespace {

class FgenfiRun : public FluidTest {
 protected:
  void SetUp() override {
    FluidTest::SetUp();
    log.install();
  }
  // FGENFI; a run that ends shows its listing.
  void run() {
    try {
      FGENFI();
    } catch (const plat::ProcessExit&) {
      ADD_FAILURE() << "the run ended:\n" << listing();
    }
  }
  // Two-phase state of fluid node num at pressure p and quality x.
  void two_phase(const tna_test::FluidModel& fm, int num, double p, double x) {
    fluid_test::two_phase(net, fm, num, p, x);
  }
  double hl(double p) const {
    const int code = FTYPEI("WATER");
    return XENTHS(p, XTEMPS(p, code, 0), 0.0, code, 0);
  }
  double hv(double p) const {
    const int code = FTYPEI("WATER");
    return XENTHS(p, XTEMPS(p, code, 0), 1.0, code, 0);
  }
  // Fluid mass of the model at its node states.
  double mass() const {
    double m = 0.0;
    for (int i = 1; i <= net.nf; ++i) m += net.vol(i) * XRHO(net.p(i), net.tf(i), net.vq(i), net.fluid_code(i), 0);
    return m;
  }
  // TIMEN of every call of `block`.
  std::vector<double> times(const std::string& block) const {
    std::vector<double> t;
    for (const tna_test::BlockCall& c : log.calls)
      if (c.block == block) t.push_back(c.timen);
    return t;
  }
  int occurrences(const std::string& text) {
    const std::string l = listing();
    int n = 0;
    for (std::size_t at = l.find(text); at != std::string::npos; at = l.find(text, at + 1)) ++n;
    return n;
  }

  tna_test::BlockLog log;
};

// ---------------------------------------------------------------------------
// Balances and states.

TEST_F(FgenfiRun, HeatedPipeGainsItsHeatOverItsFlow) {
  // Large equal areas make the kinetic energy negligible; at the steady state
  // the outlet enthalpy exceeds the inlet's by the heat over the flow.
  for (const char* qtrsol : {"YES", "NO"}) {
    SCOPED_TRACE(qtrsol);
    gar_deallocate_all();
    tna_test::FluidModel fm = pipe(5, 1.0, 1000.0);
    build(fm);
    for (int i = 1; i <= 5; ++i) two_phase(fm, i, 1.0e5 + 10.0 * (5 - i), 0.1);
    GLOC.QTRSOL = qtrsol;
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = 300.0;
    GLOR.OUTINT = 100.0;
    run();
    const double m = net.m(4);
    for (int k = 1; k <= 3; ++k) EXPECT_NEAR(net.m(k), m, 1e-9 * m) << k;
    EXPECT_NEAR(net.fe(5) - net.fe(1), 3000.0 / m, 1e-6 * 3000.0 / m);
    EXPECT_EQ(GLOR.TIMEO, 300.0);
    EXPECT_EQ(GLOR.TIMEN, 300.0);
    EXPECT_EQ(GLOR.TIMEM, 300.0);
    EXPECT_EQ(GLOC.SOLVER.trimmed(), "");
    EXPECT_EQ(GLOC.SOLTYP.trimmed(), "");
  }
}

TEST_F(FgenfiRun, EvaporatorOutletIsAHomogeneousMixture) {
  // Saturated liquid enters a heated node; the outlet holds the mixture of
  // the inlet enthalpy and the heat over the flow, at the saturation
  // temperature, regime "HEM", with a density that falls with enthalpy.
  tna_test::FluidModel fm = pipe(3, 1.0, 0.0);
  build(fm);
  two_phase(fm, 1, 1.0e5 + 40.0, 1.0e-9);
  two_phase(fm, 2, 1.0e5 + 20.0, 0.5);
  two_phase(fm, 3, 1.0e5, 0.5);
  // A heat that evaporates about half the flow.
  gar_fluidnodeheatsources(2) = 0.010 * 0.5 * (hv(1.0e5) - hl(1.0e5));
  GLOR.TIMEND = 200.0;
  GLOR.OUTINT = 200.0;
  double drdh = 0.0;
  log.variables2 = [&] { drdh = gar_dynamiccorereal(net.nf + 3); };  // the drdh block, node 3
  run();
  const double p = net.p(3), m = net.m(2);
  const double x = (net.fe(1) + gar_fluidnodeheatsources(2) / m - hl(p)) / (hv(p) - hl(p));
  EXPECT_GT(x, 0.3);
  EXPECT_LT(x, 0.7);
  EXPECT_NEAR(net.vq(3), x, 1e-6);
  EXPECT_NEAR(net.tf(3), XTEMPS(p, net.fluid_code(3), 0), 1e-12);
  EXPECT_EQ(net.frg(3).trimmed(), "HEM");
  EXPECT_LT(drdh, 0.0);
}

TEST_F(FgenfiRun, SeparatingLinkCarriesItsPhase) {
  // Node 2 takes a two-phase flow from node 1 and sends wet liquid down link
  // 2 (separation quality 0.02 at its first end) and the rest down link 3.
  // The liquid link carries exactly its separation quality; at the steady
  // state the node has dried to the quality at which link 3 takes the rest.
  tna_test::FluidModel fm;
  for (int i = 1; i <= 4; ++i) {
    fm.fluid(i).fla = 0.01;
    fm.node(i).fl = 0.01;
    fm.node(i).vol = 1.0e-4;
  }
  fm.node(1).status = 'R';
  fm.node(3).status = 'J';
  fm.node(4).status = 'J';
  fm.link(1, 2, 0.01);
  fm.link(2, 3, 0.005);
  fm.link(2, 4, 0.005);
  for (int k = 0; k < 3; ++k) fm.link_spec(k).gp = 1.0e-6;
  fm.link_spec(1).gp = 1.0e-8;
  build(fm);
  two_phase(fm, 1, 1.0e5 + 40.0, 0.2);
  for (int i = 2; i <= 4; ++i) two_phase(fm, i, 1.0e5, 0.2);
  gar_massflowlinkphasesepflags(1, 2) = 1;
  gar_massflowlinkphasesepvapquals(1, 2) = 0.02;
  GLOR.TIMEND = 100.0;
  GLOR.OUTINT = 100.0;
  run();
  const int code = net.fluid_code(2);
  const double hl2 = XENTHS(net.p(2), net.tf(2), 0.0, code, 0), hv2 = XENTHS(net.p(2), net.tf(2), 1.0, code, 0);
  EXPECT_EQ(net.lvq(2), 0.02);
  // (The carried states are those of the last pass's start.)
  EXPECT_NEAR(net.lh(2), hl2 + 0.02 * (hv2 - hl2), 1e-9 * hl2);
  EXPECT_NEAR(net.lvq(3), net.vq(2), 1e-9);
  EXPECT_NEAR(net.m(1), net.m(2) + net.m(3), 1e-9);
  // The enthalpy that enters leaves by the two links.
  const double in = net.m(1) * net.fe(1);
  EXPECT_NEAR(net.m(2) * net.lh(2) + net.m(3) * net.fe(2), in, 1e-6 * in);
  EXPECT_GT(net.vq(2), 0.25);
}

TEST_F(FgenfiRun, ClosedRingKeepsItsMass) {
  // A pumped ring, heated at node 1 and cooled at node 3 by a wall at 90 C:
  // with QTRSOL "YES" the loop's mass stays what it was at the start of
  // every step.
  tna_test::FluidModel fm = tna_test::ring(4, false);
  fm.thermal(100, 'B', 90.0);
  fm.gl(100, 3, 20.0);
  for (int i = 1; i <= 4; ++i) {
    fm.node(i).fla = 0.01;
    fm.node(i).fl = 0.1;
    fm.node(i).vol = 1.0e-3;
  }
  fm.node(1).fq = 300.0;
  for (int k = 0; k < 4; ++k) fm.link_spec(k).gp = 1.0e-4;
  build(fm);
  for (int i = 1; i <= 4; ++i) two_phase(fm, i, 1.0e5, 0.05 * i);
  gar_massflowlinkpressuresources(1) = 50.0;
  GLOR.TIMEND = 20.0;
  GLOR.OUTINT = 20.0;
  const double m0 = mass();
  int steps = 0;
  double worst = 0.0;
  log.variables2 = [&] {
    ++steps;
    worst = std::max(worst, std::fabs(mass() - m0) / m0);
  };
  run();
  EXPECT_EQ(steps, 20);
  EXPECT_LT(worst, 1e-6);
  EXPECT_GT(std::fabs(net.m(1)), 1e-4);  // the ring flows
}

TEST_F(FgenfiRun, RingWithoutHeldPressureNeedsTheLoopMass) {
  // A ring of three nodes without storage and without a held pressure, at
  // rest: with QTRSOL "YES" the loop's mass fixes its pressures; otherwise
  // the pressure equations are singular (exactly, for three nodes): the step
  // is halved down to DTMIN, and there the run ends naming the node of the
  // last row.
  for (const char* qtrsol : {"YES", "NO"}) {
    SCOPED_TRACE(qtrsol);
    gar_deallocate_all();
    fresh_listing();
    tna_test::FluidModel fm = tna_test::ring(3, false);
    for (int i = 1; i <= 3; ++i) {
      fm.node(i).status = 'H';
      fm.node(i).fla = 0.01;
      fm.node(i).vol = 0.01;
    }
    for (int k = 0; k < 3; ++k) {
      fm.link_spec(k).flow = 0.0;
      fm.link_spec(k).gp = 1.0;
    }
    build(fm);
    for (int i = 1; i <= 3; ++i) two_phase(fm, i, 1.0e5, 0.3);
    GLOC.QTRSOL = qtrsol;
    GLOR.TIMEO = 0.0;
    if (std::string(qtrsol) == "YES") {
      run();
      for (int i = 1; i <= 3; ++i) EXPECT_NEAR(net.p(i), 1.0e5, 1e-6) << i;
      continue;
    }
    EXPECT_THROW(FGENFI(), plat::ProcessExit);
    const std::string l = listing();
    char node[16];
    std::snprintf(node, sizeof node, "%9d", 3);
    std::string model = "MAIN";
    model.resize(24, ' ');
    EXPECT_TRUE(has_message(l,
                            "FGENFI : Zero divide in matrix solution for pressure@Error ocurred in routine FHSFCT. "
                            "Check boundary node definitions: Model = " +
                                model + ", node =" + node))
        << l;
    EXPECT_TRUE(has_reference(l, "Fgfitr", 2)) << l;
    EXPECT_EQ(GLOR.DTIMEU, GLOR.DTMIN);
  }
}

TEST_F(FgenfiRun, ClosedTwoPhaseLoopCutsTheStepsItCannotSolve) {
  // Eight water nodes in a ring at 2 bar, qualities 0 to 0.1, no held
  // pressure (QTRSOL "YES": the loop-mass row sets the pressure), a pump of
  // 3 kPa, 200 W into each of nodes 2 and 3, nodes 6 and 7 cooled by GL of
  // 10 W/K to a sink at 80 C; short nodes (FL 0.1 m) of 10 mm. With 2 s steps
  // from the start, the pressure passes of an early step swing below zero:
  // the step is cut, the run goes on. The loop keeps its mass as closely as
  // the tolerances ask (the loop-mass row holds it to the last correction of
  // the converged iteration: RELXMA 1e-9, FRLXCA 1e-8 K), and at the steady
  // state the condensers give back the 400 W: their mean temperature is
  // 100 C. Steps of 0.5 s reach the same state.
  struct Result {
    double worst = 0.0, p = 0.0, q = 0.0;
    std::size_t boxes = 0;
    int rejected = 0;
  };
  auto loop = [this](double dtimei) {
    gar_deallocate_all();
    tna_test::fluid_controls();
    fresh_listing();
    log.calls.clear();
    tna_test::FluidModel fm = tna_test::ring(8, false);
    for (int i = 1; i <= 8; ++i) {
      fm.node(i).fst = "P&VQ";
      fm.node(i).p = 2.0e5;
      fm.node(i).vq = 0.1 * (i - 1) / 7.0;
      fm.node(i).fl = 0.1;
    }
    for (int k = 0; k < 8; ++k) fm.link_spec(k).gp = 1.0e20;
    fm.node(2).fq = 200.0;
    fm.node(3).fq = 200.0;
    fm.thermal(100, 'B', 80.0);
    fm.gl(100, 6, 10.0);
    fm.gl(100, 7, 10.0);
    build(fm);
    FINITS(" ", -1);
    gar_massflowlinkpressuresources(1) = 3000.0;
    GLOC.QTRSOL = "YES";
    GLOR.DTIMEI = dtimei;
    GLOR.TIMEND = 200.0;
    GLOR.OUTINT = 50.0;
    GLOR.FRLXCA = 1.0e-8;
    GLOR.RELXMA = 1.0e-9;
    const double m0 = mass();
    Result r;
    int attempts = 0, steps = 0;
    log.variables1 = [&] { attempts += GLOI.LOOPCT == 1 && GLOC.SOLTYP.trimmed().empty(); };
    log.variables2 = [&] {
      ++steps;
      r.worst = std::max(r.worst, std::fabs(mass() - m0) / m0);
    };
    run();
    log.variables1 = nullptr;
    log.variables2 = nullptr;
    r.rejected = attempts - steps;
    r.boxes = count_boxes(listing());
    r.p = net.p(fm.findex(6));
    r.q = 10.0 * (net.tf(fm.findex(6)) - 80.0) + 10.0 * (net.tf(fm.findex(7)) - 80.0);
    EXPECT_EQ(GLOR.TIMEO, 200.0);
    return r;
  };
  const Result coarse = loop(2.0);
  EXPECT_GT(coarse.rejected, 0);  // the cut steps
  EXPECT_EQ(coarse.boxes, 0u) << listing();
  EXPECT_LT(coarse.worst, 1e-9);
  EXPECT_NEAR(coarse.q, 400.0, 0.5);
  const Result fine = loop(0.5);
  EXPECT_EQ(fine.boxes, 0u) << listing();
  EXPECT_LT(fine.worst, 1e-9);
  EXPECT_NEAR(coarse.p, fine.p, 1e-4 * fine.p);
}

// ---------------------------------------------------------------------------
// Step control, seen through the blocks.

class FgenfiSteps : public FgenfiRun {
 protected:
  void setup(tna_test::FluidModel&& fm) { setup(fm); }
  void setup(tna_test::FluidModel& fm) {
    build(fm);
    two_phase_states(net, fm);
  }
  // (TIMEO, DTIMEU) of every step the coupled iteration starts.
  std::vector<std::pair<double, double>> attempts;
  void record_attempts(std::function<void()> more = {}) {
    log.variables1 = [this, more] {
      if (GLOI.LOOPCT == 1 && GLOC.SOLTYP.trimmed().empty()) attempts.emplace_back(GLOR.TIMEO, GLOR.DTIMEU);
      if (more) more();
    };
  }
};

TEST_F(FgenfiSteps, StepsReachTheOutputTimes) {
  struct Case {
    double dtimei, timend;
    std::vector<double> steps, outputs;
  };
  const double undefined = tna_test::undefined_real();
  const Case cases[] = {
      {4.0, 20.0, {4, 7, 10, 14, 17, 20}, {0, 10, 20}},
      {6.0, 20.0, {5, 10, 15, 20}, {0, 10, 20}},
      {10.0, 20.0, {10, 20}, {0, 10, 20}},
      {25.0, 20.0, {10, 20}, {0, 10, 20}},                             // DTMAX
      {undefined, 20.0, {10, 20}, {0, 10, 20}},                        // RLCOUR x DTCOUR, then DTMAX
      {4.0, 25.0, {4, 7, 10, 14, 17, 20, 22.5, 25}, {0, 10, 20, 25}},  // the end is an output time
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dtimei);
    gar_deallocate_all();
    log.calls.clear();
    setup(small_pipe());
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = c.timend;
    GLOR.OUTINT = 10.0;
    GLOR.DTIMEI = c.dtimei;
    GLOR.RLCOUR = 1.0e9;
    run();
    EXPECT_EQ(times("VARIABLES2"), c.steps);
    EXPECT_EQ(times("OUTPUTS"), c.outputs);
  }
}

TEST_F(FgenfiSteps, EventTimesEndStepsAndAddOutputs) {
  // An event array of type 6 at 5 s adds an output there; one of type 5
  // only ends a step there. Both pull the steps around them back.
  struct Case {
    const char* what;
    int type;
    std::vector<double> steps, outputs;
  };
  const Case cases[] = {
      {"type 6", 6, {2.5, 5, 7.5, 10, 14, 17, 20}, {0, 5, 10, 20}},
      {"type 5", 5, {2.5, 5, 7.5, 10, 14, 17, 20}, {0, 10, 20}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    gar_deallocate_all();
    log.calls.clear();
    setup(small_pipe());
    // One user array: its type, its one value (the event time) at 1.
    gar_arraynames.allocate(1);
    gar_arrayinfopointers.allocate(1);
    gar_arrayinfolist.allocate(5);
    gar_arrayvaluesreal.allocate(1);
    gar_arrayinfopointers(1) = 1;
    gar_arrayinfolist(1) = c.type;
    gar_arrayinfolist(2) = 1;
    gar_arrayinfolist(3) = 1;
    gar_arrayinfolist(4) = 1;
    gar_arrayinfolist(5) = 1;
    gar_arrayvaluesreal(1) = 5.0;
    FLAGS(18) = 5;
    FLAGS(19) = 1;
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = 20.0;
    GLOR.OUTINT = 10.0;
    GLOR.DTIMEI = 4.0;
    const int itop = FLAGS(36);
    run();
    EXPECT_EQ(times("VARIABLES2"), c.steps);
    EXPECT_EQ(times("OUTPUTS"), c.outputs);
    EXPECT_EQ(FLAGS(36), itop);  // the event list given back
  }
}

TEST_F(FgenfiSteps, WithoutLinksTheStepIsDtmax) {
  tna_test::FluidModel fm;
  fm.fluid(1).fla = 1.0;
  fm.node(1).vol = 0.01;
  fm.node(1).fq = 10.0;
  setup(fm);
  GLOR.DTIMEI = tna_test::undefined_real();
  GLOR.DTMAX = 4.0;
  GLOR.OUTINT = 10.0;
  run();
  EXPECT_EQ(times("VARIABLES2"), (std::vector<double>{4, 7, 10}));
  EXPECT_EQ(GLOR.DTCOUR, 0.0);
}

TEST_F(FgenfiSteps, RejectedStepsHalveAndGrowBackByHalfAtMost) {
  // The step from 4 fails while it is longer than 0.5: it is retried at 2, 1
  // and 0.5 from the same start; then the step grows by 1.5 per step until
  // DTIMEI (4) is within that bound.
  setup(small_pipe());
  GLOR.TIMEND = 30.0;
  GLOR.OUTINT = 100.0;
  GLOR.DTIMEI = 4.0;
  GLOR.DTMIN = 0.01;
  record_attempts([] { GLOR.FRLXCA = (GLOR.TIMEO == 4.0 && GLOR.DTIMEU > 0.5) ? -1.0 : 1.0e-4; });
  run();
  ASSERT_GE(attempts.size(), 5u);
  EXPECT_EQ(attempts[1], std::make_pair(4.0, 4.0));
  EXPECT_EQ(attempts[2], std::make_pair(4.0, 2.0));
  EXPECT_EQ(attempts[3], std::make_pair(4.0, 1.0));
  EXPECT_EQ(attempts[4], std::make_pair(4.0, 0.5));
  const std::vector<double> steps = times("VARIABLES2");
  const std::vector<double> expect{4, 4.5, 5.25, 6.375, 8.0625, 10.59375, 14.390625, 18.390625};
  ASSERT_GE(steps.size(), expect.size());
  EXPECT_EQ(std::vector<double>(steps.begin(), steps.begin() + 8), expect);
  EXPECT_EQ(steps.back(), 30.0);
  EXPECT_EQ(occurrences("Non-convergence"), 0);
}

TEST_F(FgenfiSteps, StepAtTheMinimumIsAcceptedWithAWarning) {
  // Nothing converges: every step is at DTMIN and is accepted with one
  // warning each.
  setup(small_pipe());
  GLOR.TIMEND = 3.0;
  GLOR.DTIMEI = 1.0;
  GLOR.DTMIN = 1.0;
  GLOI.NLOOP = 2;
  GLOR.FRLXCA = -1.0;
  run();
  EXPECT_EQ(times("VARIABLES2"), (std::vector<double>{1, 2, 3}));
  EXPECT_TRUE(has_message(listing(),
                          "Non-convergence in FGENFI@Timestep at minimum, solution cannot converge within "
                          "NLOOP iterations"));
  EXPECT_TRUE(has_reference(listing(), "FFITST", 1));
  EXPECT_EQ(occurrences("Non-convergence in FGENFI"), 3);
}

TEST_F(FgenfiSteps, PassCountsOfAStep) {
  // Without thermal nodes every pass counts once in SUMFLL and SUMTHL; with
  // NLOOP = 1 each step makes exactly one pass.
  setup(small_pipe());
  GLOI.NLOOP = 1;
  GLOR.FRLXCA = -1.0;
  GLOR.DTMIN = 1.0;
  int bad = 0;
  log.variables2 = [&] { bad += GLOI.LOOPCT != 1 || GLOI.SUMFLL != 1 || GLOI.SUMTHL != 1; };
  run();
  EXPECT_EQ(log.count("VARIABLES2"), 10);
  EXPECT_EQ(bad, 0);
}

// ---------------------------------------------------------------------------
// The frame: the run that makes no step, the loop limits.

TEST_F(FgenfiSteps, WithoutFluidNodesThereIsNoStep) {
  tna_test::FluidModel fm;
  fm.thermal(1, 'D', 50.0, 10.0).thermal(2, 'B', 0.0);
  fm.gl(1, 2, 1.0);
  build(fm);
  run();
  EXPECT_EQ(log.count("VARIABLES1"), 2);
  EXPECT_EQ(log.count("VARIABLES2"), 0);
  EXPECT_EQ(log.count("OUTPUTS"), 0);
  EXPECT_EQ(net.t(1), 50.0);
  EXPECT_EQ(GLOR.TIMEO, GLOR.TIMEND);
  EXPECT_EQ(GLOR.CSGMIN, 10.0);
  // The clock moved without a step: a warning says so, once.
  const std::string l = listing();
  EXPECT_TRUE(has_message(l,
                          "FGENFI: No fluid nodes in the model@No time step was made: the thermal network is not "
                          "advanced, TIMEO is set to TIMEND"))
      << l;
  EXPECT_TRUE(has_reference(l, "FGENFI", 12)) << l;
  EXPECT_EQ(count_boxes(l), 1u) << l;
  EXPECT_EQ(l.find("FATAL"), std::string::npos) << l;
}

TEST_F(FgenfiSteps, LoopLimitsOfZeroBecomeNloop) {
  // NLOOPH and NLOOPT of 0 become NLOOP, an undefined one stays.
  setup(small_pipe());
  GLOI.NLOOPT = SKUNDF();
  run();
  EXPECT_EQ(GLOI.NLOOPH, GLOI.NLOOP);
  EXPECT_EQ(GLOI.NLOOPT, SKUNDF());
}

TEST_F(FgenfiSteps, RejectedStepRestoresTheHydraulicDiameter) {
  // A compliant node whose area follows its volume: its diameter goes with
  // the square root of the area. Steps rejected while the pressures move
  // must put the diameter back with the area.
  tna_test::FluidModel fm = pipe(5, 1.0, 1000.0);
  fm.node(3).cmp = 1.0e-3;
  fm.node(3).fd = 0.5;
  setup(fm);
  const int k = fm.findex(3);
  const double ratio = net.fd(k) * net.fd(k) / net.fla(k);
  GLOR.TIMEND = 10.0;
  GLOR.DTIMEI = 1.0;
  GLOR.DTMIN = 0.01;
  record_attempts([] { GLOR.FRLXCA = (GLOR.DTIMEU > 0.3) ? -1.0 : 1.0e-4; });
  double moved = 0.0;
  log.variables2 = [&] { moved = std::max(moved, std::fabs(net.fla(k) - 1.0)); };
  run();
  EXPECT_GT(attempts.size(), 20u);  // every step was rejected twice
  EXPECT_GT(moved, 1e-6);           // the area did follow the pressure
  EXPECT_NEAR(net.fd(k) * net.fd(k) / net.fla(k), ratio, 1e-12 * ratio);
}

// ---------------------------------------------------------------------------
// Values that are not numbers, or no state of the fluid: never convergence;
// the end of the run with the node or link they belong to, once the step has
// been cut to DTMIN where a shorter step might have helped.

TEST_F(FgenfiSteps, UnusableValuesEndTheRunNamingTheirNode) {
  // Each row spoils a valid run of the small pipe with a wall, thermal node
  // 100 of no capacity that only radiates to fluid node 2 (0.01 m2, about
  // 11 W in). The run ends with exit status 1 and its one fatal box, and
  // leaves no non-number in the model's states.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Row {
    const char* what;
    std::function<void()> spoil;  // in VARIABLES1
    std::vector<std::string> box;
    const char* routine;
    int code;
    double dtimeu;       // the step that ends the run
    bool alone = true;   // the fatal box is the only one (else the property
                         // functions warn about the states on the way)
  };
  const std::vector<Row> rows = {
      // No step can mend the thermal balance: the first step ends the run.
      {"radiation alone with a larger sink", [] { gar_thermalnodeheatsourcesinternal(1) = -50.0; },
       {"FGENFI: Temperature > 1.0D10 detected@ Node 100 in main model"}, "Tstab2", 1, 1.0},
      {"heat into a fluid node not a number, from the third second",
       [nan] {
         if (GLOR.TIMEO >= 2.0) gar_fluidnodeheatsources(2) = nan;
       },
       // The energy solution spreads it over the loop: the first node is
       // named. The step is halved down to DTMIN (1e-6) before the run ends.
       {"FGENFI: Fluid state is not a finite number", "Step from TIMEO = 2.00000 of DTIMEU = 0.100000E-05",
        "FE = NaN", "Node 1 in main model"},
       "Fgfitr", 3, 1.0e-6},
      {"a sink no enthalpy can follow", [] { gar_fluidnodeheatsources(2) = -1.0e15; },
       {"FGENFI: Fluid temperature not above absolute zero", "T + TABS must be above zero"}, "Fgfitr", 6, 1.0e-6,
       false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    gar_deallocate_all();
    tna_test::fluid_controls();
    fresh_listing();
    log.calls.clear();
    tna_test::FluidModel fm = small_pipe();
    fm.thermal(100, 'D', 100.0, 0.0);
    fm.gr(100, 2, 0.01);
    setup(fm);
    GLOR.TIMEND = 5.0;
    log.variables1 = r.spoil;
    int status = -1;
    try {
      FGENFI();
    } catch (const plat::ProcessExit& e) {
      status = e.status;
    }
    EXPECT_EQ(status, 1);
    const std::string l = listing();
    if (r.alone) {
      EXPECT_EQ(count_boxes(l), 1u) << l;
    }
    EXPECT_EQ(l.find("@@@@  FATAL ERROR"), l.rfind("@@@@  ")) << l;  // the last box
    for (const std::string& part : r.box) EXPECT_TRUE(has_message(l, part)) << part << "\n" << l;
    EXPECT_TRUE(has_reference(l, r.routine, r.code)) << l;
    EXPECT_NEAR(GLOR.DTIMEU, r.dtimeu, 1e-6 * r.dtimeu);
    for (int i = 1; i <= net.nf; ++i) {
      EXPECT_TRUE(std::isfinite(net.p(i)) && std::isfinite(net.fe(i)) && std::isfinite(net.tf(i))) << i;
      EXPECT_TRUE(std::isfinite(net.vq(i))) << i;
    }
    for (int k = 1; k <= net.nl; ++k) EXPECT_TRUE(std::isfinite(net.m(k))) << k;
    EXPECT_TRUE(std::isfinite(net.t(1)));
  }
}

}  // namespace
}  // namespace fluid_test
