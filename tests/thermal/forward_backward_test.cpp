// Forward-backward transient solution: the trapezoidal recurrence of an RC
// decay, step control by DTPMAX, output times and the moments of the blocks,
// zero-capacitance nodes, status changes, messages, the dynamic core, and
// agreement with the steady state.
#include "thermal/forward_backward.h"

#include <gtest/gtest.h>

#include <cmath>
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
#include "thermal/explicit_forward.h"
#include "thermal/steady_state.h"
#include "transient_fixture.h"

namespace {

using cn_test::box_text;
using cn_test::has_message;
using cn_test::has_reference;
using cn_test::kSigma;
using cn_test::kTabs;
using cn_test::rc;
using cn_test::Seen;

int count_of(const std::string& hay, const std::string& needle) {
  int n = 0;
  for (std::size_t p = hay.find(needle); p != std::string::npos; p = hay.find(needle, p + 1)) ++n;
  return n;
}

class Fwbk : public cn_test::Stepping {
 protected:
  Fwbk() : Stepping("fwbk") {}
};

// ---------------------------------------------------------------------------
// RC decay.

TEST_F(Fwbk, RcDecayFollowsTheTrapezoidalRecurrenceStepByStep) {
  tna_test::Network net;
  rc(net, 100.0, 20.0, 2.0);
  build(net, {{1, 10.0}});
  record();
  SLFWBK();

  // Fixed steps of DTIMEI (DTPMAX >= 1.0E9), output every 2: 20 steps.
  ASSERT_EQ(v2.size(), 20u);
  double told = 100.0, tprev = 0.0;
  for (std::size_t s = 0; s < v2.size(); ++s) {
    const double dt = v2[s].timen - tprev;
    EXPECT_NEAR(dt, 0.5, 1e-12) << s;
    const double a = 2.0 * dt / 10.0;
    const double expect = 20.0 + (told - 20.0) * (1.0 - a / 2.0) / (1.0 + a / 2.0);
    EXPECT_NEAR(v2[s].t[0], expect, 1e-10) << s;
    EXPECT_EQ(v2[s].t[1], 20.0);
    told = v2[s].t[0];
    tprev = v2[s].timen;
  }
  // Second-order accurate against the exponential.
  const double exact = 20.0 + 80.0 * std::exp(-0.2 * 10.0);
  EXPECT_NEAR(T(net, 1), exact, 0.03);
  EXPECT_EQ(GLOR.TIMEO, 10.0);
  EXPECT_EQ(GLOR.TIMEN, 10.0);
  EXPECT_EQ(GLOR.TIMEM, 10.0);
  EXPECT_EQ(GLOC.MODULE, "SLFWBK");
  EXPECT_TRUE(GLOC.SOLVER.blank());
  // The linear step converges at the second Newton pass (change 0).
  EXPECT_EQ(GLOI.LOOPCT, 3);
  EXPECT_EQ(GLOR.CSGMIN, 5.0);
  EXPECT_EQ(GLOI.NCSGMN, 1);
  EXPECT_TRUE(box_text(listing()).empty()) << listing();
}

TEST_F(Fwbk, HalvingTheStepQuartersTheError) {
  double err[2];
  for (int k = 0; k < 2; ++k) {
    tna_test::Network net;
    rc(net, 100.0, 0.0, 2.0);
    build(net, {{1, 10.0}});
    GLOR.DTIMEI = k == 0 ? 0.5 : 0.25;
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = 10.0;
    SLFWBK();
    err[k] = std::fabs(T(net, 1) - 100.0 * std::exp(-2.0));
  }
  EXPECT_NEAR(err[0] / err[1], 4.0, 0.05);
}

TEST_F(Fwbk, FluidNeighbourActsAsABoundary) {
  tna_test::Network net;
  net.node(1, 'D', 0.0).fluid(50, 40.0);
  net.gl(1, 50, 2.0);
  build(net, {{1, 10.0}});
  GLOR.TIMEND = 100.0;
  GLOR.OUTINT = 100.0;
  SLFWBK();
  EXPECT_NEAR(T(net, 1), 40.0, 1e-6);
  EXPECT_EQ(gar_fluidnodetemps(1), 40.0);
}

// ---------------------------------------------------------------------------
// Step control.

TEST_F(Fwbk, LargeChangeRejectsTheStepAndRepeatsItShorter) {
  tna_test::Network net;
  rc(net, 100.0, 0.0, 2.0);
  build(net, {{1, 10.0}});
  GLOR.DTIMEI = 5.0;
  GLOR.DTPMAX = 1.0;
  GLOR.OUTINT = 100.0;
  GLOR.TIMEND = 100.0;
  record();
  SLFWBK();

  // Before the first step VARIABLES1 already sees the middle of it.
  ASSERT_GE(v1.size(), 4u);
  EXPECT_EQ(v1[0].timeo, 0.0);
  EXPECT_EQ(v1[0].timen, 5.0);
  EXPECT_EQ(v1[0].timem, 2.5);
  // First attempt: 5 long, change 100 - 100/3 > DTPMAX: rejected; the repeat
  // is 0.95 * 5 * 1 / (200/3) long and VARIABLES1 runs again for it.
  EXPECT_EQ(v1[1].timen, 5.0);
  const double dt2 = 0.95 * 5.0 * 1.0 / (100.0 - 100.0 / 3.0);
  EXPECT_NEAR(v1[2].timen, dt2, 1e-15);
  EXPECT_NEAR(v1[2].timem, dt2 / 2.0, 1e-15);
  EXPECT_EQ(v1[2].timeo, 0.0);
  EXPECT_EQ(v1[2].t[0], 100.0);  // the start temperatures again
  // Every accepted step changes by at most DTPMAX, and each next step is
  // DTPMAX * 0.95 * DTIMEU / dmax (below DTMAX and the output time).
  double told = 100.0;
  for (std::size_t s = 0; s < v2.size(); ++s) {
    EXPECT_LE(std::fabs(v2[s].t[0] - told), 1.0) << s;
    told = v2[s].t[0];
  }
  ASSERT_GE(v2.size(), 3u);
  const double dmax = v2[0].t[0] - v2[1].t[0];
  const double dt1 = v2[1].timen - v2[0].timen;
  const double grow = 1.0 * (0.95 * dt1) / dmax;
  if (v2[1].timen + 2.0 * grow < 100.0) {
    EXPECT_NEAR(v2[2].timen - v2[1].timen, grow, 1e-12);
  }
  // Rejected attempts count in the step-attempt figures but not in VARIABLES2.
  EXPECT_EQ(v1.size(), v2.size() + 1 + 2);
  EXPECT_TRUE(box_text(listing()).empty()) << listing();
}

TEST_F(Fwbk, ChangeOverDtpmaxAtTheSmallestStepIsAcceptedAndCounted) {
  tna_test::Network net;
  rc(net, 100.0, 0.0, 2.0);
  build(net, {{1, 10.0}});
  GLOR.DTIMEI = 1.0;
  GLOR.DTMIN = 1.0;
  GLOR.DTMAX = 1.0;
  GLOR.DTPMAX = 0.5;
  GLOR.OUTINT = 5.0;
  GLOR.TIMEND = 5.0;
  record();
  SLFWBK();
  EXPECT_EQ(v2.size(), 5u);
  EXPECT_EQ(v1.size(), 6u);  // no repeat
  const std::string l = listing();
  // Every step changes by more than 0.5 (the first by 18).
  EXPECT_TRUE(has_message(l, "SLFWBK: DTPMAX exceeded in more than 10% of time steps")) << l;
  EXPECT_TRUE(has_reference(l, "S4SLVE", 5));
}

TEST_F(Fwbk, StepAfterNoChangeIsDtmaxAndOutputsCutIt) {
  tna_test::Network net;
  net.node(1, 'B', 5.0).node(2, 'B', 7.0);
  net.gl(1, 2, 1.0);
  build(net, {});
  GLOR.DTIMEI = 0.25;
  GLOR.DTPMAX = 2.0;
  GLOR.DTMAX = 4.0;
  GLOR.OUTINT = 10.0;
  GLOR.TIMEND = 20.0;
  record();
  SLFWBK();
  // First step DTIMEI; then DTMAX at once, cut to the output times (halved
  // when the output lies within two steps).
  std::vector<double> ends;
  for (const Seen& s : v2) ends.push_back(s.timen);
  const std::vector<double> expect = {0.25, 4.25, 7.125, 10.0, 14.0, 17.0, 20.0};
  ASSERT_EQ(ends.size(), expect.size());
  for (std::size_t k = 0; k < ends.size(); ++k) EXPECT_DOUBLE_EQ(ends[k], expect[k]) << k;
  EXPECT_EQ(T(net, 1), 5.0);
  EXPECT_EQ(T(net, 2), 7.0);
}

// ---------------------------------------------------------------------------
// Output times and the moments of the blocks.

TEST_F(Fwbk, OutputTimesHalvingAndBlockOrder) {
  tna_test::Network net;
  rc(net, 100.0, 0.0, 2.0);
  build(net, {{1, 10.0}});
  GLOR.DTIMEI = 2.0;
  GLOR.OUTINT = 3.0;
  GLOR.TIMEND = 10.0;
  record();
  tna_test::model.record = true;
  SLFWBK();

  std::vector<double> ends;
  for (const Seen& s : v2) ends.push_back(s.timen);
  const std::vector<double> expect = {1.5, 3.0, 4.5, 6.0, 7.5, 9.0, 10.0};
  ASSERT_EQ(ends.size(), expect.size());
  for (std::size_t k = 0; k < ends.size(); ++k) EXPECT_DOUBLE_EQ(ends[k], expect[k]) << k;

  // OUTPUTS at the start (TIMEN reading TIMEO), then at 3, 6, 9 and TIMEND.
  std::vector<double> outs;
  for (const Seen& s : out) outs.push_back(s.timen);
  const std::vector<double> expect_out = {0.0, 3.0, 6.0, 9.0, 10.0};
  ASSERT_EQ(outs.size(), expect_out.size());
  for (std::size_t k = 0; k < outs.size(); ++k) EXPECT_DOUBLE_EQ(outs[k], expect_out[k]) << k;
  EXPECT_EQ(out[0].timeo, 0.0);

  // VARIABLES1 always sees the middle of the step being attempted.
  for (const Seen& s : v1) EXPECT_DOUBLE_EQ(s.timem, 0.5 * (s.timeo + s.timen));
  // VARIABLES2 sees the accepted step: TIMEO its start, TIMEN its end.
  EXPECT_EQ(v2[0].timeo, 0.0);
  EXPECT_EQ(v2[1].timeo, 1.5);

  // Order: VARIABLES1 and OUTPUTS before the first step; then per step
  // VARIABLES1, VARIABLES2 and OUTPUTS when an output time is reached.
  const auto& c = tna_test::model.calls;
  ASSERT_GE(c.size(), 6u);
  EXPECT_EQ(c[0], "VARIABLES1");
  EXPECT_EQ(c[1], "OUTPUTS");
  EXPECT_EQ(c[2], "VARIABLES1");
  EXPECT_EQ(c[3], "VARIABLES2");
  EXPECT_EQ(c[4], "VARIABLES1");
  EXPECT_EQ(c[5], "VARIABLES2");
  EXPECT_EQ(c[6], "OUTPUTS");
  EXPECT_EQ(c.back(), "OUTPUTS");
}

// ---------------------------------------------------------------------------
// Zero-capacitance nodes, radiation, status changes.

TEST_F(Fwbk, ZeroCapacitanceNodeStaysBalancedAtEveryStep) {
  for (int method : {0, 1024}) {
    tna_test::Network net;
    // Node 2 starts balanced, so the first step's start flow is the
    // reduced network's.
    net.node(1, 'D', 100.0).node(2, 'D', 50.0).node(3, 'B', 0.0);
    net.gl(1, 2, 1.0);
    net.gl(2, 3, 1.0);
    build(net, {{1, 10.0}});
    GLOI.METHOD = method;
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = 10.0;
    v2.clear();
    record();
    SLFWBK();
    for (const Seen& s : v2) EXPECT_NEAR(s.t[1], 0.5 * (s.t[0] + s.t[2]), 1e-8) << method;
    // The series pair acts as one conductance of 0.5.
    EXPECT_NEAR(T(net, 1), 100.0 * std::exp(-0.05 * 10.0), 0.01) << method;
  }
}

TEST_F(Fwbk, RadiativeZeroCapacitanceNodeBalancesItsFourthPowers) {
  for (int method : {0, 1024}) {
    tna_test::Network net;
    net.node(1, 'D', 50.0).node(2, 'D', 0.0).node(3, 'B', -100.0);
    net.gr(1, 2, 1.0);
    net.gl(2, 3, 0.5);
    build(net, {{1, 1000.0}});
    GLOI.METHOD = method;
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = 20.0;
    GLOR.DTIMEI = 1.0;
    GLOR.OUTINT = 20.0;
    SLFWBK();
    const double x1 = T(net, 1) + kTabs, x2 = T(net, 2) + kTabs;
    const double net_in = kSigma * (x1 * x1 * x1 * x1 - x2 * x2 * x2 * x2) + 0.5 * (-100.0 - T(net, 2));
    EXPECT_NEAR(net_in, 0.0, 1e-6) << method;
  }
}

// A zero-capacitance node with both linear and radiative conductors to a
// boundary: each step makes one damped Newton step in the first pass,
// T + DAMPT (X - x (S + G)) / (G + 4 S) with the damping factor taken into
// the numerator, then one correction in the Newton pass; the result is
// that recurrence to the bit, with the METHOD bit 1024 (one step) and
// without it (inner iteration, ended at once by a wide RELXCA).
TEST_F(Fwbk, ZeroCapacitanceNodeFollowsItsDampedNewtonRecurrenceToTheBit) {
  const double gl = 0.3, gr = 0.7, tb = 100.0, dampt = 0.7, t0 = 0.0;
  for (int method : {1024, 0}) {
    SCOPED_TRACE(method);
    tna_test::Network net;
    net.node(1, 'D', t0).node(2, 'B', tb);
    net.gl(1, 2, gl);
    net.gr(1, 2, gr);
    build(net, {});
    GLOI.METHOD = method;
    GLOR.DAMPT = dampt;
    GLOR.RELXCA = 1e10;
    GLOR.DTIMEI = 0.5;
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = 4.0;
    GLOR.OUTINT = 2.0;
    v2.clear();
    record();
    SLFWBK();
    ASSERT_EQ(v2.size(), 8u) << listing();

    // The sums of node 1 (the boundary does not move).
    const double tabs = kTabs, xb = tb + tabs;
    const double r = (0.0 + gr) * kSigma, rt = (0.0 + gr * (((xb * xb) * xb) * xb)) * kSigma;
    const double g = 0.0 + gl, gt = 0.0 + gl * xb;
    const double big = (0.0 + gt) + rt;
    double y = t0;
    for (std::size_t k = 0; k < v2.size(); ++k) {
      // First pass.
      double x = y + tabs;
      double s = r * (x * x * x);
      y = y + dampt * (big - x * (s + g)) / (g + 4.0 * s);
      // Newton pass.
      x = y + tabs;
      double d;
      if (method == 1024) {
        s = r * ((x * x) * x);
        d = dampt * (big - x * (s + g)) / (g + 4.0 * s);
      } else {
        double yy = y;
        const double xy = yy + tabs;
        s = r * ((xy * xy) * xy);
        const double e = (big - xy * (s + g)) / (4.0 * s + g);
        yy += dampt * e;
        d = yy - y;
      }
      y = y + dampt * d;
      EXPECT_EQ(v2[k].t[0], y) << "step " << k + 1;
    }
  }
}

TEST_F(Fwbk, StatusChangeInVariables1RebuildsTheMasks) {
  tna_test::Network net;
  rc(net, 100.0, 0.0, 2.0);
  build(net, {{1, 10.0}});
  double frozen = 0.0;
  tna_test::model.variables1 = [&] {
    if (GLOR.TIMEO >= 5.0 && gar_thermalnodestatuses(1) == "D") {
      gar_thermalnodestatuses(1) = "B";
      frozen = gar_thermalnodetemps(1);
      stat_setstatst(1);
    }
  };
  SLFWBK();
  EXPECT_EQ(T(net, 1), frozen);
  EXPECT_NEAR(frozen, 100.0 * std::pow(0.95 / 1.05, 10), 1e-9);
  EXPECT_EQ(stat_getstatst(), 0);
}

// ---------------------------------------------------------------------------
// Convergence messages and end warnings.

TEST_F(Fwbk, NloopReachedReportsEveryStepAndTheShareAtTheEnd) {
  struct Case {
    int nloop;
    int failures;
  } cases[] = {{1, 20}, {2, 20}, {3, 0}};
  for (const Case& c : cases) {
    tna_test::Network net;
    rc(net, 100.0, 0.0, 2.0);
    build(net, {{1, 10.0}});
    GLOI.NLOOP = c.nloop;
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = 10.0;
    fresh_listing();
    SLFWBK();
    const std::string l = listing();
    EXPECT_EQ(count_of(l, "(S4NEWT,   2)"), c.failures) << c.nloop;
    const bool warned = has_message(l, "SLFWBK: RELXCA exceeded in more than 10% of time steps");
    EXPECT_EQ(warned, c.failures > 0) << c.nloop;
    if (c.failures > 0) {
      EXPECT_TRUE(has_message(l, "SLFWBK: Solution failed to converge for this time step@NLOOP count exceeded"));
      EXPECT_TRUE(has_reference(l, "S4SLVE", 3));
      EXPECT_EQ(GLOI.LOOPCT, 2);
    }
    // Unconverged or not, a linear step lands on the trapezoidal value after
    // its one Newton pass.
    EXPECT_NEAR(T(net, 1), 100.0 * std::pow(0.95 / 1.05, 20), 1e-9) << c.nloop;
  }
}

TEST_F(Fwbk, FewUnconvergedStepsGiveTheUpToTenPercentWarning) {
  tna_test::Network net;
  rc(net, 100.0, 0.0, 2.0);
  build(net, {{1, 10.0}});
  GLOR.DTIMEI = 0.05;
  GLOR.OUTINT = 10.0;
  GLOI.NLOOP = 3;
  // One step in 200 is left unconverged: NLOOP drops to 1 for it.
  tna_test::model.variables1 = [] { GLOI.NLOOP = (GLOR.TIMEO > 4.99 && GLOR.TIMEO < 5.01) ? 1 : 3; };
  SLFWBK();
  const std::string l = listing();
  EXPECT_EQ(count_of(l, "(S4NEWT,   2)"), 1);
  EXPECT_TRUE(has_message(l, "SLFWBK: RELXCA exceeded in up to 10% of time steps")) << l;
  EXPECT_TRUE(has_reference(l, "S4SLVE", 2));
}

// ---------------------------------------------------------------------------
// Checks, temperature errors, the dynamic core.

TEST_F(Fwbk, TimendNotAfterTimeoComputesNothing) {
  tna_test::Network net;
  rc(net, 100.0, 0.0, 2.0);
  build(net, {{1, 10.0}});
  GLOR.TIMEO = 10.0;
  GLOR.TIMEND = 10.0;
  GLOR.TIMEN = 3.0;
  GLOR.TIMEM = 4.0;
  tna_test::model.record = true;
  SLFWBK();
  EXPECT_TRUE(tna_test::model.calls.empty());
  EXPECT_EQ(GLOR.TIMEO, 10.0);
  EXPECT_EQ(GLOR.TIMEN, 3.0);
  EXPECT_EQ(GLOR.TIMEM, 4.0);
  EXPECT_EQ(T(net, 1), 100.0);
  EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), 7);
  EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), 11);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l,
                          "SLFWBK: TIMEND is not greater than TIMEO@See Engineering Manual for control constant "
                          "definitions"));
  EXPECT_TRUE(has_reference(l, "SLFWBK", 1));
  EXPECT_TRUE(GLOC.SOLVER.blank());
}

TEST_F(Fwbk, CoreTopsStandAboveTheBlocksWhileRunningAndReturn) {
  tna_test::Network net;
  net.node(1, 'D', 1.0).node(2, 'D', 2.0).node(3, 'B', 0.0);
  net.gl(1, 3, 1.0);
  net.gl(2, 3, 1.0);
  net.gr(1, 2, 0.1);
  build(net, {{1, 1.0}, {2, 1.0}});
  int rseen = 0, iseen = 0;
  tna_test::model.variables2 = [&] {
    rseen = FLAGS(FLAGS_NEXTDYNAMICCOREREAL);
    iseen = FLAGS(FLAGS_NEXTDYNAMICCOREINT);
  };
  SLFWBK();
  // NT = 3, NGL = 2, NGR = 1, NGF = 0 (extent 1): no event arrays.
  EXPECT_EQ(rseen, 7 + 4 * 3 + 2);
  EXPECT_EQ(iseen, 11 + 1 + 2 + 1 + 3 + 2);
  EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), 7);
  EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), 11);
}

TEST_F(Fwbk, ZeroCapacitanceNodeWithoutConductorsAndWithSourceIsFatal) {
  tna_test::Network net;
  net.node(1, 'D', 10.0).node(2, 'D', 5.0, 3.0).node(3, 'B', 0.0);
  net.gl(1, 3, 1.0);
  build(net, {{1, 1.0}});
  EXPECT_THROW(SLFWBK(), plat::ProcessExit);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, "SLFWBK: Temperature > 1.0D10 detected@ Node 2 in main model")) << l;
  EXPECT_TRUE(has_reference(l, "S4LOP1", 2));
  EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), 7);

  // Without a source it keeps its temperature.
  tna_test::Network quiet;
  quiet.node(1, 'D', 10.0).node(2, 'D', 5.0).node(3, 'B', 0.0);
  quiet.gl(1, 3, 1.0);
  build(quiet, {{1, 1.0}});
  fresh_listing();
  SLFWBK();
  EXPECT_EQ(T(quiet, 2), 5.0);
}

TEST_F(Fwbk, ZeroStepFromZeroLimitsIsAFatalTemperatureErrorNotAHang) {
  // DTPMAX = 0 and DTMIN = 0 make every step after the first of zero length;
  // the zero step would give temperatures that are not numbers.
  tna_test::Network net;
  rc(net, 100.0, 0.0, 2.0);
  build(net, {{1, 10.0}});
  GLOR.DTPMAX = 0.0;
  GLOR.DTMIN = 0.0;
  EXPECT_THROW(SLFWBK(), plat::ProcessExit);
  EXPECT_TRUE(has_reference(listing(), "S4LOP1", 1)) << listing();
}

// ---------------------------------------------------------------------------
// Agreement with the steady state and repeatability.

TEST_F(Fwbk, LongRunReachesTheSteadyStateOfSolvfm) {
  auto network = [](tna_test::Network& net) {
    net.node(1, 'D', 20.0, 50.0).node(2, 'D', 0.0).node(3, 'D', -20.0, 5.0).node(4, 'B', -50.0);
    net.gl(1, 2, 0.8);
    net.gr(2, 3, 2.0);
    net.gl(3, 4, 0.6);
    net.gr(1, 4, 0.5);
  };
  tna_test::Network a;
  network(a);
  build(a, {{1, 40.0}, {3, 25.0}});
  GLOR.INBALA = 1e-6;
  GLOR.INBALR = 1e-6;
  GLOR.RELXCA = 1e-10;
  GLOI.NLOOP = 500;
  SOLVFM();
  const std::vector<double> steady = {T(a, 1), T(a, 2), T(a, 3)};

  tna_test::Network b;
  network(b);
  build(b, {{1, 40.0}, {3, 25.0}});
  GLOR.TIMEO = 0.0;
  GLOR.TIMEND = 5000.0;
  GLOR.OUTINT = 5000.0;
  GLOR.DTPMAX = 2.0;
  GLOR.DTIMEI = 1.0;
  GLOR.DTMAX = 200.0;
  GLOI.NLOOP = 50;
  SLFWBK();
  for (int n = 1; n <= 3; ++n) EXPECT_NEAR(T(b, n), steady[static_cast<std::size_t>(n - 1)], 1e-6) << n;
}

}  // namespace
