// Explicit forward solution: the Euler recurrence at the stability limit,
// the step rule (0.95 C / G, DTMIN, DTMAX, output times), zero-capacitance
// relaxation, messages, the dynamic core, and agreement with the
// forward-backward solution at mid-transient and in the steady state.
#include "thermal/explicit_forward.h"

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
#include "thermal/forward_backward.h"
#include "transient_fixture.h"

namespace {

using cn_test::box_text;
using cn_test::has_message;
using cn_test::has_reference;
using cn_test::kSigma;
using cn_test::kTabs;
using cn_test::rc;
using cn_test::Seen;

class Frwd : public cn_test::Stepping {
 protected:
  Frwd() : Stepping("frwd") {}
};

std::vector<double> step_lengths(const std::vector<Seen>& v2, double t0) {
  std::vector<double> d;
  for (const Seen& s : v2) {
    d.push_back(s.timen - t0);
    t0 = s.timen;
  }
  return d;
}

// ---------------------------------------------------------------------------
// The Euler recurrence and the step rule.

TEST_F(Frwd, RcDecayStepsAtTheStabilityLimitWithTheEulerRecurrence) {
  tna_test::Network net;
  rc(net, 100.0, 20.0, 2.0);
  build(net, {{1, 10.0}});
  GLOR.OUTINT = 100.0;
  GLOR.TIMEND = 100.0;
  record();
  SLFRWD();

  // C / G = 5: every step is 0.95 * 5 = 4.75, cut only at the end.
  const std::vector<double> d = step_lengths(v2, 0.0);
  ASSERT_GE(d.size(), 20u);
  for (std::size_t s = 0; s + 2 < d.size(); ++s) EXPECT_DOUBLE_EQ(d[s], 4.75) << s;
  double told = 100.0;
  for (std::size_t s = 0; s < v2.size(); ++s) {
    EXPECT_LE(d[s], 4.75 + 1e-12);
    const double expect = 20.0 + (told - 20.0) * (1.0 - 2.0 * d[s] / 10.0);
    EXPECT_NEAR(v2[s].t[0], expect, 1e-10) << s;
    // At the limit the amplification 1 - 0.95 stays positive: no overshoot.
    EXPECT_GE(v2[s].t[0], 20.0);
    EXPECT_LE(v2[s].t[0], told);
    told = v2[s].t[0];
  }
  EXPECT_EQ(GLOR.CSGMIN, 5.0);
  EXPECT_EQ(GLOI.NCSGMN, 1);
  EXPECT_EQ(GLOR.DTIMEI, 0.95 * 5.0);
  EXPECT_EQ(GLOR.TIMEO, 100.0);
  EXPECT_EQ(GLOR.TIMEN, 100.0);
  EXPECT_EQ(GLOR.TIMEM, 100.0);
  EXPECT_EQ(GLOC.MODULE, "SLFRWD");
  EXPECT_TRUE(GLOC.SOLVER.blank());
  EXPECT_TRUE(box_text(listing()).empty()) << listing();
  // VARIABLES1 sees the middle of each step; the first call, before the
  // first step is chosen, sees TIMEO.
  ASSERT_GE(v1.size(), 2u);
  EXPECT_EQ(v1[0].timem, 0.0);
  EXPECT_EQ(v1[0].timen, 0.0);
  for (std::size_t k = 1; k < v1.size(); ++k) EXPECT_DOUBLE_EQ(v1[k].timem, 0.5 * (v1[k].timeo + v1[k].timen));
  EXPECT_EQ(v1[1].timen, 4.75);
}

TEST_F(Frwd, UserDtimeiHasNoEffect) {
  std::vector<double> ends[2];
  const double dtimei[2] = {0.5, 123.0};
  for (int k = 0; k < 2; ++k) {
    tna_test::Network net;
    rc(net, 100.0, 0.0, 2.0);
    build(net, {{1, 10.0}});
    GLOR.DTIMEI = dtimei[k];
    GLOR.TIMEO = 0.0;
    v2.clear();
    record();
    SLFRWD();
    for (const Seen& s : v2) ends[k].push_back(s.timen);
    ends[k].push_back(gar_thermalnodetemps(1));
  }
  ASSERT_EQ(ends[0].size(), ends[1].size());
  EXPECT_EQ(std::memcmp(ends[0].data(), ends[1].data(), ends[0].size() * sizeof(double)), 0);
}

TEST_F(Frwd, DoublingEveryCapacitanceDoublesTheSteps) {
  std::vector<double> d[2];
  for (int k = 0; k < 2; ++k) {
    tna_test::Network net;
    net.node(1, 'D', 100.0).node(2, 'D', 0.0).node(3, 'B', 0.0);
    net.gl(1, 2, 1.0);
    net.gr(2, 3, 0.05);
    const double f = k == 0 ? 1.0 : 2.0;
    build(net, {{1, 7.0 * f}, {2, 3.0 * f}});
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = 1000.0;
    GLOR.OUTINT = 1000.0;
    v2.clear();
    record();
    SLFRWD();
    d[k] = step_lengths(v2, 0.0);
  }
  ASSERT_GT(d[1].size(), 12u);
  // Same temperatures at corresponding step ends (the rates halve, the steps
  // double), so the same limits: every step doubles.
  for (std::size_t s = 0; s < 10; ++s) EXPECT_NEAR(d[1][s], 2.0 * d[0][s], 1e-12 * d[0][s]) << s;
}

TEST_F(Frwd, DtminAboveTheLimitForcesLargerStepsThatOscillate) {
  tna_test::Network net;
  rc(net, 100.0, 0.0, 2.0);
  build(net, {{1, 10.0}});
  GLOR.DTMIN = 15.0;  // G dt / C = 3: amplification -2
  GLOR.OUTINT = 60.0;
  GLOR.TIMEND = 60.0;
  record();
  SLFRWD();
  ASSERT_EQ(v2.size(), 4u);
  const double expect[] = {-200.0, 400.0, -800.0, 1600.0};
  for (std::size_t s = 0; s < 4; ++s) {
    EXPECT_DOUBLE_EQ(v2[s].timen, 15.0 * static_cast<double>(s + 1));
    EXPECT_NEAR(v2[s].t[0], expect[s], 1e-12 * std::fabs(expect[s])) << s;
  }
}

TEST_F(Frwd, WithoutConductorsTheStepsRunAtDtmaxCutToOutputs) {
  tna_test::Network net;
  net.node(1, 'D', 0.0, 1.0).node(2, 'B', 0.0);
  build(net, {{1, 10.0}});
  GLOR.DTMAX = 3.0;
  GLOR.OUTINT = 10.0;
  GLOR.TIMEND = 20.0;
  record();
  SLFRWD();
  std::vector<double> ends;
  for (const Seen& s : v2) ends.push_back(s.timen);
  const std::vector<double> expect = {3.0, 6.0, 8.0, 10.0, 13.0, 16.0, 18.0, 20.0};
  ASSERT_EQ(ends.size(), expect.size());
  for (std::size_t k = 0; k < ends.size(); ++k) EXPECT_DOUBLE_EQ(ends[k], expect[k]) << k;
  EXPECT_EQ(GLOR.CSGMIN, 1.0e38);
  // A constant source integrates exactly: q t / C.
  EXPECT_NEAR(gar_thermalnodetemps(1), 2.0, 1e-12);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[1].timen, 10.0);
  EXPECT_EQ(out[2].timen, 20.0);
}

// ---------------------------------------------------------------------------
// Zero-capacitance nodes.

TEST_F(Frwd, LinearZeroCapacitanceNodeBalancesInOnePass) {
  tna_test::Network net;
  net.node(1, 'D', 100.0).node(2, 'D', 0.0).node(3, 'D', 10.0).node(4, 'B', 0.0);
  net.gl(1, 2, 1.0);
  net.gl(2, 3, 3.0);
  net.gl(3, 4, 0.5);
  build(net, {{1, 10.0}, {3, 20.0}});
  record();
  SLFRWD();
  for (const Seen& s : v2) EXPECT_NEAR(s.t[1], (1.0 * s.t[0] + 3.0 * s.t[2]) / 4.0, 1e-12);
  // The second pass finds nothing left to correct.
  EXPECT_EQ(GLOI.LOOPCT, 2);
  EXPECT_LE(GLOR.RELXCC, 1e-12);
  EXPECT_TRUE(box_text(listing()).empty()) << listing();
}

TEST_F(Frwd, RadiativeZeroCapacitanceNodeTakesOneNewtonStepPerPass) {
  auto network = [](tna_test::Network& net) {
    net.node(1, 'D', 150.0).node(2, 'D', 0.0).node(3, 'B', -100.0);
    net.gr(1, 2, 2.0);
    net.gl(2, 3, 0.1);
  };
  // Enough passes: balanced at every step end.
  {
    tna_test::Network net;
    network(net);
    build(net, {{1, 500.0}});
    GLOR.TIMEND = 50.0;
    GLOR.OUTINT = 50.0;
    record();
    SLFRWD();
    for (const Seen& s : v2) {
      const double x1 = s.t[0] + kTabs, x2 = s.t[1] + kTabs;
      EXPECT_NEAR(kSigma * 2.0 * (x1 * x1 * x1 * x1 - x2 * x2 * x2 * x2) + 0.1 * (-100.0 - s.t[1]), 0.0, 1e-6);
    }
    EXPECT_TRUE(box_text(listing()).empty()) << listing();
  }
  // One pass per step: the correction left over counts at every step.
  tna_test::Network net;
  network(net);
  build(net, {{1, 500.0}});
  GLOR.TIMEO = 0.0;
  GLOR.TIMEND = 50.0;
  GLOI.NLOOP = 1;
  fresh_listing();
  SLFRWD();
  EXPECT_EQ(GLOI.LOOPCT, 1);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, "SLFRWD: RELXCA exceeded in more than 10% of time steps")) << l;
  EXPECT_TRUE(has_reference(l, "S7SLVE", 3));
}

TEST_F(Frwd, UndefinedNloopMeansOnePassAndNoWarning) {
  tna_test::Network net;
  net.node(1, 'D', 150.0).node(2, 'D', 0.0).node(3, 'B', -100.0);
  net.gr(1, 2, 2.0);
  net.gl(2, 3, 0.1);
  build(net, {{1, 500.0}});
  GLOI.NLOOP = kUndefined;
  SLFRWD();
  EXPECT_EQ(GLOI.NLOOP, 1);
  EXPECT_EQ(GLOR.RELXCA, 1.0e10);
  EXPECT_EQ(GLOI.LOOPCT, 1);
  EXPECT_TRUE(box_text(listing()).empty()) << listing();

  // Also when no solution is computed.
  GLOI.NLOOP = kUndefined;
  GLOR.RELXCA = 1e-9;
  GLOR.TIMEO = 5.0;
  GLOR.TIMEND = 5.0;
  GLOR.TIMEN = 1.0;
  GLOR.TIMEM = 2.0;
  const double t1 = gar_thermalnodetemps(1);
  fresh_listing();
  tna_test::model.record = true;
  SLFRWD();
  EXPECT_EQ(GLOI.NLOOP, 1);
  EXPECT_EQ(GLOR.RELXCA, 1.0e10);
  EXPECT_TRUE(tna_test::model.calls.empty());
  EXPECT_EQ(gar_thermalnodetemps(1), t1);
  EXPECT_EQ(GLOR.TIMEO, 5.0);
  EXPECT_EQ(GLOR.TIMEN, 1.0);
  EXPECT_EQ(GLOR.TIMEM, 2.0);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l,
                          "SLFRWD: TIMEND is not greater than TIMEO@See Engineering Manual for control constant "
                          "definitions"))
      << l;
  EXPECT_TRUE(has_reference(l, "SLFRWD", 1));
  EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), 7);
  EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), 11);
}

// ---------------------------------------------------------------------------
// Messages and the dynamic core.

TEST_F(Frwd, TemperatureErrorsOfBothKernels) {
  {
    // A zero-capacitance node with a source and no conductor.
    tna_test::Network net;
    net.node(1, 'D', 10.0).node(2, 'D', 5.0, 3.0).node(3, 'B', 0.0);
    net.gl(1, 3, 1.0);
    build(net, {{1, 1.0}});
    EXPECT_THROW(SLFRWD(), plat::ProcessExit);
    const std::string l = listing();
    EXPECT_TRUE(has_message(l, "SLFRWD: Temperature > 1.0D10 detected@ Node 2 in main model")) << l;
    EXPECT_TRUE(has_reference(l, "S7ARTH", 1));
  }
  // Steps forced beyond the limit grow until the explicit update overflows.
  tna_test::Network net;
  rc(net, 100.0, 0.0, 2.0);
  build(net, {{1, 10.0}});
  GLOR.TIMEO = 0.0;
  GLOR.DTMIN = 15.0;
  GLOR.TIMEND = 2000.0;
  GLOR.OUTINT = 2000.0;
  fresh_listing();
  EXPECT_THROW(SLFRWD(), plat::ProcessExit);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, "SLFRWD: Temperature > 1.0E10 detected@ Node 1 in main model")) << l;
  EXPECT_TRUE(has_reference(l, "S7DIFF", 1));
  EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), 7);
}

// ---------------------------------------------------------------------------
// Agreement with the forward-backward solution; repeatability.

void smooth_network(tna_test::Network& net) {
  net.node(1, 'D', 80.0, 20.0).node(2, 'D', 10.0).node(3, 'D', 30.0).node(4, 'B', -20.0);
  net.gl(1, 2, 0.5);
  net.gr(2, 3, 3.0);
  net.gl(3, 4, 0.4);
  net.gl(1, 4, 0.1);
}

TEST_F(Frwd, AgreesWithForwardBackwardAndTheSteadyState) {
  const std::vector<std::pair<int, double>> caps = {{1, 60.0}, {2, 15.0}, {3, 40.0}};
  // At 100 (mid-transient): explicit steps limited to 0.1, forward-backward
  // steps limited by a change of 0.02 per step.
  tna_test::Network a;
  smooth_network(a);
  build(a, caps);
  GLOR.TIMEND = 100.0;
  GLOR.OUTINT = 100.0;
  GLOR.DTMAX = 0.1;
  SLFRWD();
  std::vector<double> explicit_t = {gar_thermalnodetemps(1), gar_thermalnodetemps(2), gar_thermalnodetemps(3)};

  tna_test::Network b;
  smooth_network(b);
  build(b, caps);
  GLOR.TIMEO = 0.0;
  GLOR.DTPMAX = 0.02;
  GLOR.DTIMEI = 0.1;
  SLFWBK();
  for (int n = 1; n <= 3; ++n) {
    EXPECT_NEAR(gar_thermalnodetemps(n), explicit_t[static_cast<std::size_t>(n - 1)], 0.02) << n;
    // Both moved well away from the start.
    EXPECT_GT(std::fabs(gar_thermalnodetemps(n) - (n == 1 ? 80.0 : n == 2 ? 10.0 : 30.0)), 1.0) << n;
  }

  // Long runs of both routines reach the same steady state, where the
  // heat flows of every node balance.
  std::vector<double> settled[2];
  for (int k = 0; k < 2; ++k) {
    tna_test::Network c;
    smooth_network(c);
    build(c, caps);
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = 6000.0;
    GLOR.OUTINT = 6000.0;
    GLOR.DTMAX = 100.0;
    GLOR.DTPMAX = 1.0;
    GLOR.RELXCA = 1e-10;
    if (k == 0) {
      SLFRWD();
    } else {
      SLFWBK();
    }
    settled[k] = {gar_thermalnodetemps(1), gar_thermalnodetemps(2), gar_thermalnodetemps(3)};
  }
  // (The trapezoidal steps, long against the fast radiative mode, damp it
  // only slowly: the forward-backward result still carries a trace of it.)
  for (std::size_t n = 0; n < 3; ++n) EXPECT_NEAR(settled[0][n], settled[1][n], 1e-4) << n;
  const double t1 = settled[0][0], t2 = settled[0][1], t3 = settled[0][2];
  const double x2 = t2 + kTabs, x3 = t3 + kTabs;
  const double rad = kSigma * 3.0 * (x2 * x2 * x2 * x2 - x3 * x3 * x3 * x3);
  EXPECT_NEAR(20.0 + 0.5 * (t2 - t1) + 0.1 * (-20.0 - t1), 0.0, 1e-6);
  EXPECT_NEAR(0.5 * (t1 - t2) - rad, 0.0, 1e-6);
  EXPECT_NEAR(rad + 0.4 * (-20.0 - t3), 0.0, 1e-6);
}

}  // namespace
