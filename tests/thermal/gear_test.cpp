// The Gear solution SLGEAR: analytic decays, a stiff pair, energy
// conservation, outputs and blocks at their moments, the step and order
// control and the messages (the work space, required constants, OUTINT
// default and repeatability: solver_contract_test.cpp).
#include "thermal/gear.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "casedata/status_flag.h"
#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/network_builder.h"
#include "support/test_env.h"
#include "support/test_model.h"
#include "thermal/gear_jacobian.h"
#include "thermal/slgrdj.h"
#include "transient_fixture.h"

namespace {

using cn_test::has_message;
using cn_test::has_reference;

// One output as the OUTPUTS block sees it.
struct Out {
  double time, dtimeu;
  std::vector<double> t;
};

class GearSolution : public thermal_test::ListingTest {
 protected:
  GearSolution() : ListingTest("gear", "gear_listing") {}
  void SetUp() override {
    reset_run();
    SLDINC();
    GLOR.RELXCA = 1e-4;
    GLOI.NLOOP = 50;
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = 50.0;
    GLOR.OUTINT = 5.0;
    GLOR.DTIMEI = 1e-3;
    GLOR.DTMIN = 1e-6;
    GLOR.DTMAX = 1e6;
    fresh_listing();
  }
  // Builds the network with capacitances (by node number) and a dynamic core
  // of `dystor` words, both stacks free from word 1 (integer from word 20).
  void build(tna_test::Network& net, std::vector<std::pair<int, double>> caps, int dystor = 4000) {
    cn_test::build_with_caps(net, caps);
    cn_test::give_core(dystor, 1, 20);
  }
  // Records every output (time, DTIMEU, temperatures).
  void record_outputs() {
    tna_test::model.outputs = [this] {
      Out o{GLOR.TIMEN, GLOR.DTIMEU, {}};
      for (int i = 1; i <= FLAGS(1); ++i) o.t.push_back(gar_thermalnodetemps(i));
      outs_.push_back(o);
    };
  }

  std::vector<Out> outs_;
};

// One node decaying through a conductor to a boundary at 0: T = T0 exp(-t/tau).
void rc_network(tna_test::Network& net) {
  net.node(1, 'D', 100.0).node(2, 'B', 0.0);
  net.gl(1, 2, 1.0);
}

// ---------------------------------------------------------------------------
// Integration against analytic solutions.

TEST_F(GearSolution, RcDecayMatchesTheExponentialAtEveryOutput) {
  for (double relxca : {1e-3, 1e-5}) {
    outs_.clear();
    SetUp();
    GLOR.RELXCA = relxca;
    tna_test::Network net;
    rc_network(net);
    build(net, {{1, 10.0}});
    record_outputs();
    SLGEAR();
    ASSERT_EQ(outs_.size(), 11u) << relxca;
    for (std::size_t n = 0; n < outs_.size(); ++n) {
      EXPECT_DOUBLE_EQ(outs_[n].time, 5.0 * static_cast<double>(n));
      const double exact = 100.0 * std::exp(-outs_[n].time / 10.0);
      // Local errors are controlled against RELXCA times the weights (the
      // largest absolute temperatures, 373 K here); the global error stays
      // within a few local ones.
      EXPECT_NEAR(outs_[n].t[0], exact, 5.0 * 373.15 * relxca) << relxca << " at " << outs_[n].time;
      EXPECT_EQ(outs_[n].t[1], 0.0);
    }
    // The start output shows DTIMEU = CSGMIN = C / G.
    EXPECT_DOUBLE_EQ(outs_[0].dtimeu, 10.0);
    EXPECT_DOUBLE_EQ(GLOR.CSGMIN, 10.0);
    EXPECT_EQ(GLOI.NCSGMN, 1);
    EXPECT_EQ(GLOR.TIMEO, 50.0);
    EXPECT_EQ(GLOR.TIMEN, 50.0);
    EXPECT_EQ(GLOR.TIMEM, 50.0);
    EXPECT_NEAR(gar_thermalnodetemps(1), 100.0 * std::exp(-5.0), 5.0 * 373.15 * relxca);
    EXPECT_TRUE(GLOC.SOLVER.blank());
    EXPECT_EQ(GLOC.MODULE, "SLGEAR");
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), 1);
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), 20);
    TearDown();
  }
}

// The end of the integration and the outputs are judged against the step,
// not against the time itself: far from time zero (TIMEO = 1E5, a span of
// 10) the run still goes to TIMEND and hits its output times, for both Gear
// routines and on either side of zero.
TEST_F(GearSolution, RunFarFromTimeZeroReachesTimendAndItsOutputs) {
  struct Case {
    const char* name;
    void (*run)();
  } routines[] = {{"SLGEAR", SLGEAR}, {"SLGRDJ", SLGRDJ}};
  for (const Case& r : routines) {
    for (double t0 : {0.0, 1e5, -1e5, 1e9}) {
      SCOPED_TRACE(std::string(r.name) + " from " + std::to_string(t0));
      outs_.clear();
      SetUp();
      tna_test::Network net;
      rc_network(net);
      build(net, {{1, 5.0}});
      GLOR.RELXCA = 1e-6;
      GLOR.TIMEO = t0;
      GLOR.TIMEND = t0 + 10.0;
      GLOR.OUTINT = 2.5;
      GLOR.DTIMEI = 0.1;
      record_outputs();
      std::vector<double> ends;
      tna_test::model.variables2 = [&] { ends.push_back(GLOR.TIMEN); };
      r.run();
      // Local errors are held to 10 RELXCA times the weights (373 K): some
      // 4E-3 K per step, a few hundredths over the run.
      const double tol = 0.05;
      ASSERT_EQ(outs_.size(), 5u);
      for (std::size_t n = 0; n < outs_.size(); ++n) {
        EXPECT_EQ(outs_[n].time, t0 + 2.5 * static_cast<double>(n));
        EXPECT_NEAR(outs_[n].t[0], 100.0 * std::exp(-0.5 * static_cast<double>(n)), tol) << n;
      }
      // Many steps, the last one ending on TIMEND; the state there is the
      // exact 100 exp(-2) = 13.53 to the method's accuracy.
      ASSERT_GT(ends.size(), 10u);
      EXPECT_EQ(ends.back(), t0 + 10.0);
      EXPECT_NEAR(gar_thermalnodetemps(1), 100.0 * std::exp(-2.0), tol);
      EXPECT_EQ(GLOR.TIMEO, t0 + 10.0);
      EXPECT_TRUE(cn_test::box_text(listing()).empty()) << listing();
      TearDown();
    }
  }
}

TEST_F(GearSolution, TighterAccuracyGivesSmallerErrorsAndMoreSteps) {
  double err[2];
  int steps[2];
  int n = 0;
  for (double relxca : {1e-3, 1e-6}) {
    outs_.clear();
    SetUp();
    GLOR.RELXCA = relxca;
    tna_test::Network net;
    rc_network(net);
    build(net, {{1, 10.0}});
    record_outputs();
    GLOI.STEPCT = 0;
    SLGEAR();
    double e = 0.0;
    for (const Out& o : outs_) e = std::max(e, std::fabs(o.t[0] - 100.0 * std::exp(-o.time / 10.0)));
    err[n] = e;
    steps[n] = GLOI.STEPCT;
    ++n;
    TearDown();
  }
  EXPECT_LT(err[1], err[0] / 10.0);
  EXPECT_GT(steps[1], steps[0]);
}

TEST_F(GearSolution, StiffPairFollowsBothTimeConstantsWithLongSteps) {
  // Node 1 (C 1) tightly coupled to node 2 (C 1000), which leaks to a
  // boundary at 0: time constants near 0.01 and 2000.
  tna_test::Network net;
  net.node(1, 'D', 100.0).node(2, 'D', 0.0).node(3, 'B', 0.0);
  net.gl(1, 2, 100.0);
  net.gl(2, 3, 1.0);
  build(net, {{1, 1.0}, {2, 1000.0}});
  GLOR.TIMEND = 4000.0;
  GLOR.OUTINT = 500.0;
  GLOR.DTIMEI = 0.001;
  GLOR.RELXCA = 1e-5;
  record_outputs();
  GLOI.STEPCT = 0;
  SLGEAR();
  // Analytic solution of dT/dt = A T by the eigenvectors of A.
  const double a11 = -100.0, a12 = 100.0, a21 = 0.1, a22 = -0.101;
  const double tr = a11 + a22, det = a11 * a22 - a12 * a21;
  const double l1 = tr / 2 + std::sqrt(tr * tr / 4 - det), l2 = tr / 2 - std::sqrt(tr * tr / 4 - det);
  // Eigenvectors (a12, l - a11); T0 = (100, 0) = c1 v1 + c2 v2.
  const double v1x = a12, v1y = l1 - a11, v2x = a12, v2y = l2 - a11;
  const double dv = v1x * v2y - v2x * v1y;
  const double c1 = (100.0 * v2y) / dv, c2 = -(100.0 * v1y) / dv;
  ASSERT_EQ(outs_.size(), 9u);
  for (const Out& o : outs_) {
    const double e1 = c1 * std::exp(l1 * o.time), e2 = c2 * std::exp(l2 * o.time);
    EXPECT_NEAR(o.t[0], e1 * v1x + e2 * v2x, 0.05) << o.time;
    EXPECT_NEAR(o.t[1], e1 * v1y + e2 * v2y, 0.05) << o.time;
  }
  // Far fewer steps than the fast time constant would allow an explicit
  // method (4000 / 0.01).
  EXPECT_LT(GLOI.STEPCT, 2000);
  EXPECT_GT(GLOI.STEPCT, 10);
  EXPECT_EQ(GLOI.NCSGMN, 1);
}

TEST_F(GearSolution, RadiativeExchangeConservesEnergyToRoundoff) {
  // Two solved nodes exchanging by radiation and conduction, nothing else:
  // each Newton pass keeps sum C T equal to the history's, so the stored
  // energy stays put at every output, also between steps.
  tna_test::Network net;
  net.node(1, 'D', 500.0).node(2, 'D', -100.0).node(3, 'D', 20.0);
  net.gr(1, 2, 1e-3);
  net.gr(2, 3, 5e-4);
  net.gl(1, 3, 0.05);
  build(net, {{1, 2.0}, {2, 5.0}, {3, 3.0}});
  GLOR.TIMEND = 200.0;
  GLOR.OUTINT = 7.0;
  record_outputs();
  SLGEAR();
  const double e0 = 2.0 * 500.0 + 5.0 * -100.0 + 3.0 * 20.0;
  ASSERT_GE(outs_.size(), 20u);
  for (const Out& o : outs_) EXPECT_NEAR(2.0 * o.t[0] + 5.0 * o.t[1] + 3.0 * o.t[2], e0, 1e-8) << o.time;
  // It moves toward a common temperature.
  EXPECT_LT(std::fabs(outs_.back().t[0] - outs_.back().t[1]), 500.0);
}

TEST_F(GearSolution, FluidNeighbourIsABoundaryAndFluidicConductorsActDownstreamOnly) {
  // Node 1 sees a fluid node at 40 through GL; node 2 receives GF from node
  // 1 and leaks to a boundary. Steady limits: T1 = 40; T2 = (GF T1) / (GF + G).
  tna_test::Network net;
  net.node(1, 'D', 0.0).node(2, 'D', 0.0).node(3, 'B', 0.0).fluid(50, 40.0);
  net.gl(1, 50, 2.0);
  net.gf(1, 2, 1.0);
  net.gl(2, 3, 1.0);
  build(net, {{1, 1.0}, {2, 1.0}});
  GLOR.TIMEND = 200.0;
  GLOR.OUTINT = 200.0;
  SLGEAR();
  EXPECT_NEAR(gar_thermalnodetemps(1), 40.0, 1e-3);
  EXPECT_NEAR(gar_thermalnodetemps(2), 20.0, 1e-3);
  EXPECT_EQ(gar_fluidnodetemps(1), 40.0);
}

// ---------------------------------------------------------------------------
// Blocks, outputs and step control.

TEST_F(GearSolution, BlocksAreCalledAtTheirMoments) {
  tna_test::Network net;
  rc_network(net);
  build(net, {{1, 10.0}});
  GLOR.TIMEND = 2.0;
  GLOR.OUTINT = 1.0;
  GLOR.DTIMEI = 0.5;
  tna_test::model.record = true;
  std::vector<double> v1times;
  tna_test::model.variables1 = [&] { v1times.push_back(GLOR.TIMEN); };
  SLGEAR();
  const auto& calls = tna_test::model.calls;
  ASSERT_GE(calls.size(), 4u);
  EXPECT_EQ(calls[0], "VARIABLES1");
  EXPECT_EQ(calls[1], "OUTPUTS");
  EXPECT_EQ(calls.back(), "OUTPUTS");
  // Every OUTPUTS after the first follows a VARIABLES1 that follows a
  // VARIABLES2 or another output; each step's corrector passes (VARIABLES1)
  // come before its VARIABLES2.
  int outputs = 0, v2 = 0;
  for (std::size_t n = 2; n < calls.size(); ++n) {
    if (calls[n] == "OUTPUTS") {
      ++outputs;
      EXPECT_EQ(calls[n - 1], "VARIABLES1");
      EXPECT_TRUE(calls[n - 2] == "VARIABLES2" || calls[n - 2] == "OUTPUTS") << n;
    }
    if (calls[n] == "VARIABLES2") {
      ++v2;
      EXPECT_EQ(calls[n - 1], "VARIABLES1");
    }
  }
  EXPECT_EQ(outputs, 2);
  EXPECT_GE(v2, 2);
  // The first VARIABLES1 sees TIMEN = TIMEO.
  EXPECT_EQ(v1times[0], 0.0);
}

TEST_F(GearSolution, FirstStepIsBackwardEulerAndLinearPassesEndAtTwo) {
  // DTIMEI 10 and OUTINT 15: the first step ends at 7.5 (half the 15 left).
  tna_test::Network net;
  rc_network(net);
  build(net, {{1, 10.0}});
  GLOR.DTIMEI = 10.0;
  GLOR.DTMIN = 1.0;
  GLOR.DTMAX = 100.0;
  GLOR.OUTINT = 15.0;
  GLOR.TIMEND = 15.0;
  std::vector<double> t2, times, timem;
  std::vector<int> loops;
  tna_test::model.variables2 = [&] {
    times.push_back(GLOR.TIMEN);
    timem.push_back(GLOR.TIMEM);
    t2.push_back(gar_thermalnodetemps(1));
    loops.push_back(GLOI.LOOPCT);
  };
  SLGEAR();
  ASSERT_GE(times.size(), 2u);
  EXPECT_EQ(times[0], 7.5);
  EXPECT_EQ(timem[0], 3.75);
  // Backward Euler: T1 = T0 / (1 + h / tau) (to the corrector's accuracy).
  EXPECT_NEAR(t2[0], 100.0 / 1.75, 1e-9);
  // A linear network: the second pass finds only roundoff.
  EXPECT_EQ(loops[0], 2);
  for (int l : loops) EXPECT_LE(l, 2);
}

TEST_F(GearSolution, OrderAndStepEvaluationEveryKPlusTwoSteps) {
  // Steps of a slow decay: the step grows only at evaluations, the first on
  // the third accepted step, and never by more than tenfold.
  tna_test::Network net;
  rc_network(net);
  build(net, {{1, 1000.0}});
  GLOR.TIMEND = 5000.0;
  GLOR.OUTINT = 5000.0;
  GLOR.DTIMEI = 0.01;
  GLOR.RELXCA = 1e-6;
  std::vector<double> steps;
  tna_test::model.variables2 = [&] { steps.push_back(GLOR.DTIMEU); };
  SLGEAR();
  ASSERT_GT(steps.size(), 6u);
  for (int n = 0; n < 3; ++n) EXPECT_NEAR(steps[n], 0.01, 1e-15) << n;
  EXPECT_GT(steps[3], 0.011);
  for (std::size_t n = 1; n < steps.size(); ++n) EXPECT_LE(steps[n], 10.0 * steps[n - 1] * (1 + 1e-12)) << n;
}

TEST_F(GearSolution, SeveralOutputsInOneStepAreInterpolated) {
  tna_test::Network net;
  rc_network(net);
  build(net, {{1, 10.0}});
  GLOR.TIMEND = 40.0;
  GLOR.OUTINT = 0.25;
  GLOR.RELXCA = 1e-6;
  record_outputs();
  SLGEAR();
  ASSERT_EQ(outs_.size(), 161u);
  for (std::size_t n = 0; n < outs_.size(); ++n) {
    EXPECT_NEAR(outs_[n].time, 0.25 * static_cast<double>(n), 1e-12);
    EXPECT_NEAR(outs_[n].t[0], 100.0 * std::exp(-outs_[n].time / 10.0), 2e-3) << outs_[n].time;
  }
}

TEST_F(GearSolution, NonPositiveOutintOutputsAtStartAndEndOnly) {
  tna_test::Network net;
  rc_network(net);
  build(net, {{1, 10.0}});
  GLOR.OUTINT = -1.0;
  record_outputs();
  SLGEAR();
  ASSERT_EQ(outs_.size(), 2u);
  EXPECT_EQ(outs_[1].time, 50.0);
}

TEST_F(GearSolution, NegativeEndTimeEndsTheIntegrationAndOutputs) {
  tna_test::Network net;
  rc_network(net);
  build(net, {{1, 10.0}});
  GLOR.TIMEO = -20.0;
  GLOR.TIMEND = -5.0;
  GLOR.OUTINT = 5.0;
  record_outputs();
  SLGEAR();
  ASSERT_EQ(outs_.size(), 4u);
  EXPECT_EQ(outs_.back().time, -5.0);
  EXPECT_EQ(GLOR.TIMEO, -5.0);
  EXPECT_NEAR(gar_thermalnodetemps(1), 100.0 * std::exp(-1.5), 5.0 * 373.15 * GLOR.RELXCA);
}

TEST_F(GearSolution, OutputAtNegativeTimeIsDueWhenTheStepReachesIt) {
  // The first step ends exactly on the output time -5: the output comes
  // with that step, before TIMEO moves on, and shows the step's own
  // solution (the interpolation adds nothing at the step end).
  tna_test::Network net;
  rc_network(net);
  build(net, {{1, 10.0}});
  GLOR.TIMEO = -10.0;
  GLOR.TIMEND = 10.0;
  GLOR.OUTINT = 5.0;
  GLOR.DTIMEI = 10.0;
  std::vector<double> ends, ends_t;
  tna_test::model.variables2 = [&] {
    ends.push_back(GLOR.TIMEN);
    ends_t.push_back(gar_thermalnodetemps(1));
  };
  std::vector<double> starts;
  tna_test::model.outputs = [&] {
    outs_.push_back(Out{GLOR.TIMEN, GLOR.DTIMEU, {gar_thermalnodetemps(1)}});
    starts.push_back(GLOR.TIMEO);
  };
  SLGEAR();
  ASSERT_GE(ends.size(), 2u);
  EXPECT_EQ(ends[0], -5.0);
  ASSERT_GE(outs_.size(), 2u);
  EXPECT_EQ(outs_[1].time, -5.0);
  EXPECT_EQ(starts[1], -10.0);
  EXPECT_EQ(outs_[1].t[0], ends_t[0]);
  EXPECT_EQ(outs_.back().time, 10.0);
  EXPECT_EQ(outs_.size(), 5u);
}

TEST_F(GearSolution, ModelWithoutSolvedNodesGrowsTheStepTenfoldToDtmax) {
  tna_test::Network net;
  net.node(1, 'B', 5.0).node(2, 'B', 7.0);
  net.gl(1, 2, 1.0);
  build(net, {});
  GLOR.DTIMEI = 1e-3;
  GLOR.DTMAX = 2.0;
  GLOR.TIMEND = 100.0;
  std::vector<double> steps;
  tna_test::model.variables2 = [&] { steps.push_back(GLOR.DTIMEU); };
  SLGEAR();
  ASSERT_GT(steps.size(), 9u);
  EXPECT_DOUBLE_EQ(steps[3], 1e-2);
  EXPECT_DOUBLE_EQ(steps[6], 1e-1);
  EXPECT_DOUBLE_EQ(steps[9], 1.0);
  for (double s : steps) EXPECT_LE(s, 2.0);
  EXPECT_EQ(gar_thermalnodetemps(1), 5.0);
  EXPECT_EQ(GLOR.TIMEO, 100.0);
}

// ---------------------------------------------------------------------------
// Messages, failures and the work space.

TEST_F(GearSolution, EndNotAfterStartCallsNoBlockAndKeepsEverything) {
  tna_test::Network net;
  rc_network(net);
  build(net, {{1, 10.0}});
  GLOR.TIMEO = 10.0;
  GLOR.TIMEND = 10.0;
  tna_test::model.record = true;
  SLGEAR();
  EXPECT_TRUE(tna_test::model.calls.empty());
  EXPECT_EQ(GLOR.TIMEO, 10.0);
  EXPECT_EQ(GLOR.TIMEN, 0.0);
  EXPECT_EQ(gar_thermalnodetemps(1), 100.0);
  EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), 1);
  EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), 20);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l,
                          "SLGEAR: TIMEND is not greater than TIMEO@See Engineering Manual for control constant "
                          "definitions"));
  EXPECT_TRUE(has_reference(l, "SLGEAR", 1));
}

TEST_F(GearSolution, NloopOneEndsTheRunWhenTheFirstIncrementIsLarge) {
  tna_test::Network net;
  rc_network(net);
  build(net, {{1, 10.0}});
  GLOI.NLOOP = 1;
  EXPECT_THROW(SLGEAR(), plat::ProcessExit);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, "SLGEAR: Failed to converge within NLOOP iterations"));
  EXPECT_TRUE(has_reference(l, "S5CONV", 1));
  EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), 1);
  EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), 20);
}

TEST_F(GearSolution, SingularNetworkIsAFailureNotConvergence) {
  // A solved node without capacitance and without any conductor: a zero
  // pivot. Its increment is not finite; the run ends with the corrector's
  // failure and the temperature stays finite.
  tna_test::Network net;
  net.node(1, 'D', 10.0).node(2, 'D', 50.0).node(3, 'B', 0.0);
  net.gl(1, 3, 1.0);
  build(net, {{1, 1.0}, {2, 0.0}});
  EXPECT_THROW(SLGEAR(), plat::ProcessExit);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, "SLGEAR: Failed to converge within NLOOP iterations"));
  EXPECT_TRUE(has_reference(l, "S5CONV", 1));
  EXPECT_TRUE(std::isfinite(gar_thermalnodetemps(2)));
}

}  // namespace
