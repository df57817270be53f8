// Modal solution: exact decay of linear networks, energy growth of a floating
// group, arithmetic nodes, step and output times, the order of the blocks,
// messages and codes, the work space given back (the shared refusals and
// repeatability: solver_contract_test.cpp).
#include "thermal/modal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
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
#include "transient_fixture.h"

namespace {

using cn_test::box_text;
using cn_test::has_message;
using cn_test::has_reference;
using cn_test::kSigma;
using cn_test::kTabs;
using cn_test::undefined_real;

class Modal : public thermal_test::ListingTest {
 protected:
  Modal() : ListingTest("modal") {}
  void SetUp() override {
    reset_run();
    GLOR.RELXCA = 1e-6;
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = 10.0;
    GLOR.OUTINT = 2.5;
    GLOR.DTIMEI = 123.0;  // replaced at the start
    GLOR.DTMIN = 1e-6;
    GLOR.DTMAX = 1e6;
    GLOR.DTPMAX = 1e6;
    GLOI.NLOOP = 100;
    GLOC.OUTIME = "ALL";
    JOBINF.jobname = "MAIN";
    fresh_listing();
  }
  // Builds the network, gives the nodes their capacitances (by user number)
  // and a dynamic core of `dystor` words with both tops at `top`.
  void build(tna_test::Network& net, const std::vector<std::pair<int, double>>& caps, int dystor = 4000,
             int top = 5) {
    cn_test::build_with_caps(net, caps);
    cn_test::give_core(dystor, top, top);
  }
};

// Two independent RC nodes to one boundary: K is diagonal, so the modes are
// the nodes and every step is the exact exponential.
TEST_F(Modal, RcDecayIsExactAtEveryOutput) {
  tna_test::Network net;
  net.node(1, 'D', 100.0).node(2, 'D', -40.0).node(3, 'B', 20.0);
  net.gl(1, 3, 2.0);
  net.gl(2, 3, 0.5);
  build(net, {{1, 10.0}, {2, 5.0}});
  std::vector<double> times, t1, t2;
  tna_test::model.outputs = [&] {
    times.push_back(GLOR.TIMEN);
    t1.push_back(T(net, 1));
    t2.push_back(T(net, 2));
  };
  SLMODE();
  ASSERT_EQ(times.size(), 5u);
  for (std::size_t k = 0; k < times.size(); ++k) {
    EXPECT_DOUBLE_EQ(times[k], 2.5 * static_cast<double>(k));
    EXPECT_NEAR(t1[k], 20.0 + 80.0 * std::exp(-0.2 * times[k]), 1e-9) << times[k];
    EXPECT_NEAR(t2[k], 20.0 - 60.0 * std::exp(-0.1 * times[k]), 1e-9) << times[k];
  }
  // The start time constant is C/G = 5 (node 1): DTIMEI = 0.95 x 5 in single precision.
  EXPECT_EQ(GLOR.DTIMEI, static_cast<double>(0.95f) * 5.0);
  EXPECT_EQ(GLOR.TIMEO, 10.0);
  EXPECT_EQ(GLOR.TIMEN, 10.0);
  EXPECT_EQ(GLOR.TIMEM, 10.0);
  EXPECT_EQ(GLOC.SOLVER.view().substr(0, 4), "    ");
  EXPECT_EQ(GLOC.MODULE.view(), "SLMODE");
}

// A chain of three capacitive nodes, a heat source and a boundary, compared
// with a fine Runge-Kutta integration of C dT/dt = Q - K T: the modal steps
// are exact for a linear network, in relative and in absolute temperatures.
TEST_F(Modal, SmallNetworkFollowsTheExactSolution) {
  for (const auto& [tabs, tol] : {std::pair{0.0, 1e-8}, std::pair{kTabs, 1e-8}}) {
    SCOPED_TRACE(tabs);
    SetUp();
    tna_test::Network net;
    net.node(1, 'D', 50.0, 3.0).node(2, 'D', 0.0).node(3, 'D', 10.0).node(4, 'B', 0.0);
    net.gl(1, 2, 1.0);
    net.gl(2, 3, 0.7);
    net.gl(3, 4, 0.4);
    net.gl(1, 4, 0.2);
    const double c[3] = {4.0, 2.0, 3.0};
    build(net, {{1, c[0]}, {2, c[1]}, {3, c[2]}});
    GLOR.TABS = tabs;
    GLOR.TIMEND = 30.0;
    GLOR.OUTINT = 3.0;
    std::vector<double> times;
    std::vector<std::vector<double>> temps;
    tna_test::model.outputs = [&] {
      times.push_back(GLOR.TIMEN);
      temps.push_back({T(net, 1), T(net, 2), T(net, 3)});
    };
    SLMODE();

    auto rhs = [&](const double* y, double* dy) {
      dy[0] = (3.0 - 1.0 * (y[0] - y[1]) - 0.2 * y[0]) / c[0];
      dy[1] = (-1.0 * (y[1] - y[0]) - 0.7 * (y[1] - y[2])) / c[1];
      dy[2] = (-0.7 * (y[2] - y[1]) - 0.4 * y[2]) / c[2];
    };
    double y[3] = {50.0, 0.0, 10.0}, tnow = 0.0;
    const double h = 1e-3;
    ASSERT_EQ(times.size(), 11u);
    for (std::size_t k = 0; k < times.size(); ++k) {
      while (tnow < times[k] - h / 2) {
        double k1[3], k2[3], k3[3], k4[3], z[3];
        rhs(y, k1);
        for (int i = 0; i < 3; ++i) z[i] = y[i] + h / 2 * k1[i];
        rhs(z, k2);
        for (int i = 0; i < 3; ++i) z[i] = y[i] + h / 2 * k2[i];
        rhs(z, k3);
        for (int i = 0; i < 3; ++i) z[i] = y[i] + h * k3[i];
        rhs(z, k4);
        for (int i = 0; i < 3; ++i) y[i] += h / 6 * (k1[i] + 2 * k2[i] + 2 * k3[i] + k4[i]);
        tnow += h;
      }
      for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(temps[k][static_cast<std::size_t>(i)], y[i], tol) << times[k] << " " << i;
    }
  }
}

// Exact temperatures of a linear two-node network C dT/dt = b - K.T at time
// t: T(t) = Tinf + exp(-M t).(T0 - Tinf), M = C^-1.K, with exp(-M t) from
// the two eigenvalues of M (in long double, the smaller one as det / larger,
// so that a stiff pair keeps its slow eigenvalue).
std::array<double, 2> two_node_exact(const double k[2][2], const double c[2], const double b[2], const double t0[2],
                                     double t) {
  using L = long double;
  const L m11 = k[0][0] / static_cast<L>(c[0]), m12 = k[0][1] / static_cast<L>(c[0]);
  const L m21 = k[1][0] / static_cast<L>(c[1]), m22 = k[1][1] / static_cast<L>(c[1]);
  const L det = m11 * m22 - m12 * m21;
  const L big = 0.5L * (m11 + m22) + std::sqrt(0.25L * (m11 - m22) * (m11 - m22) + m12 * m21);
  const L small = det / big;
  const L detk = static_cast<L>(k[0][0]) * k[1][1] - static_cast<L>(k[0][1]) * k[1][0];
  const L inf1 = (k[1][1] * static_cast<L>(b[0]) - k[0][1] * static_cast<L>(b[1])) / detk;
  const L inf2 = (k[0][0] * static_cast<L>(b[1]) - k[1][0] * static_cast<L>(b[0])) / detk;
  const L d1 = t0[0] - inf1, d2 = t0[1] - inf2;
  // exp(-M t) = (f(small).(big I - M) + f(big).(M - small I)) / (big - small).
  const L fs = std::exp(-small * t), fb = std::exp(-big * t), gap = big - small;
  const L e11 = (fs * (big - m11) + fb * (m11 - small)) / gap, e12 = (fb - fs) * m12 / gap;
  const L e21 = (fb - fs) * m21 / gap, e22 = (fs * (big - m22) + fb * (m22 - small)) / gap;
  return {static_cast<double>(inf1 + e11 * d1 + e12 * d2), static_cast<double>(inf2 + e21 * d1 + e22 * d2)};
}

// Linear two-node networks, on which modal superposition is exact whatever
// the step: a stiff node between a slow one and the boundary (a graded
// spectrum), two identical nodes weakly coupled (nearly equal eigenvalues),
// and an ordinary pair, each against the exact solution at every output.
TEST_F(Modal, LinearTwoNodeNetworksAreExact) {
  struct Case {
    const char* what;
    double c1, c2, g12, g1b, g2b, t1, t2, tb;
    // clang-format off
  } cases[] = {
      {"stiff node 1 (C 1E-6) between slow node 2 (C 10) and the boundary", 1e-6, 10.0, 1.0, 1.0, 0.0, 100.0,
       100.0, 0.0},
      {"identical nodes coupled by 0.01", 10.0, 10.0, 0.01, 1.0, 1.0, 100.0, 0.0, 0.0},
      {"an ordinary pair", 4.0, 1.5, 0.8, 0.5, 0.2, 80.0, -20.0, 10.0},
  };
  // clang-format on
  for (const Case& t : cases) {
    SCOPED_TRACE(t.what);
    SetUp();
    tna_test::Network net;
    net.node(1, 'D', t.t1).node(2, 'D', t.t2).node(3, 'B', t.tb);
    net.gl(1, 2, t.g12);
    if (t.g1b != 0.0) net.gl(1, 3, t.g1b);
    if (t.g2b != 0.0) net.gl(2, 3, t.g2b);
    build(net, {{1, t.c1}, {2, t.c2}});
    // Every step is exact: steps of at least 0.5 keep the stiff pair short.
    GLOR.DTMIN = 0.5;
    std::vector<double> times, t1, t2;
    tna_test::model.outputs = [&] {
      times.push_back(GLOR.TIMEN);
      t1.push_back(T(net, 1));
      t2.push_back(T(net, 2));
    };
    try {
      SLMODE();
    } catch (const plat::ProcessExit&) {
      ADD_FAILURE() << listing();
      continue;
    }
    const double k[2][2] = {{t.g12 + t.g1b, -t.g12}, {-t.g12, t.g12 + t.g2b}};
    const double c[2] = {t.c1, t.c2}, b[2] = {t.g1b * t.tb, t.g2b * t.tb}, t0[2] = {t.t1, t.t2};
    ASSERT_EQ(times.size(), 5u);
    for (std::size_t n = 0; n < times.size(); ++n) {
      const std::array<double, 2> want = two_node_exact(k, c, b, t0, times[n]);
      EXPECT_NEAR(t1[n], want[0], 1e-9) << times[n];
      EXPECT_NEAR(t2[n], want[1], 1e-9) << times[n];
    }
    // The stiff pair's slow node sees the two conductors in series: 100
    // exp(-10 / 20) at the end, up to the capacitance ratio 1E-7.
    if (t.c1 == 1e-6) {
      EXPECT_NEAR(t2.back(), 100.0 * std::exp(-0.5), 1e-4);
    }
    EXPECT_TRUE(box_text(listing()).empty()) << listing();
  }
}

// Two modal nodes linked to each other only: one mode has lambda = 0 and
// takes the heat load linearly, so the stored energy grows exactly as Q t.
TEST_F(Modal, FloatingGroupStoresItsLoad) {
  tna_test::Network net;
  net.node(1, 'D', 10.0, 6.0).node(2, 'D', 30.0);
  net.gl(1, 2, 1.5);
  build(net, {{1, 2.0}, {2, 4.0}});
  SLMODE();
  const double e0 = 2.0 * 10.0 + 4.0 * 30.0;
  EXPECT_NEAR(2.0 * T(net, 1) + 4.0 * T(net, 2), e0 + 6.0 * 10.0, 1e-6);
}

// Radiation, a fluid boundary and an arithmetic node: the load carries what
// K does not, and an arithmetic node coupled only radiatively sits at its
// radiative equilibrium after every step.
TEST_F(Modal, ArithmeticNodeAndRadiation) {
  tna_test::Network net;
  net.node(1, 'D', 50.0).node(2, 'D', 20.0).node(3, 'D', 0.0, 5.0).node(4, 'B', -100.0);
  net.fluid(10, 40.0);
  net.gl(1, 2, 1.0);
  net.gr(1, 4, 0.5);
  net.gf(10, 2, 0.3);
  net.gr(3, 4, 0.2);  // node 3 has no capacitance: arithmetic
  build(net, {{1, 50.0}, {2, 30.0}});
  int passes_seen = 0;
  tna_test::model.variables2 = [&] {
    passes_seen = std::max(passes_seen, GLOI.LOOPCT);
    const double tb = -100.0 + kTabs;
    const double want = std::sqrt(std::sqrt((5.0 + kSigma * 0.2 * tb * tb * tb * tb) / (kSigma * 0.2))) - kTabs;
    EXPECT_NEAR(T(net, 3), want, 1e-9);
  };
  SLMODE();
  // One pass places it; the second finds no change.
  EXPECT_EQ(passes_seen, 2);
  EXPECT_TRUE(std::isfinite(T(net, 1)));
  EXPECT_TRUE(std::isfinite(T(net, 2)));
}

// A capacitance raised after the decomposition acts through the load, with
// the change of the step just finished as its dT/dt: a first-order lag, so
// the agreement is loose, but without the term node 1 would cool as with
// its old capacitance, several degrees away.
TEST_F(Modal, ChangedCapacitanceActsThroughTheLoad) {
  tna_test::Network net;
  net.node(1, 'D', 100.0).node(2, 'D', 0.0).node(3, 'B', 0.0);
  net.gl(1, 2, 1.0);
  net.gl(2, 3, 1.0);
  build(net, {{1, 4.0}, {2, 0.8}});
  GLOR.TABS = 0.0;
  GLOR.TIMEND = 12.0;
  GLOR.OUTINT = 1.0;
  double tchange = -1.0;
  tna_test::model.variables1 = [&] {
    if (GLOR.TIMEO > 0.0 && tchange < 0.0) {
      tchange = GLOR.TIMEO;
      gar_thermalnodecapacitances(net.index(1)) = 5.0;
    }
  };
  std::vector<double> times, t1;
  tna_test::model.outputs = [&] {
    times.push_back(GLOR.TIMEN);
    t1.push_back(T(net, 1));
  };
  SLMODE();
  ASSERT_GT(tchange, 0.0);
  // Reference: C1 = 4 up to the end of the first step, 5 afterwards.
  double y[2] = {100.0, 0.0}, tnow = 0.0;
  const double h = 1e-4;
  auto rhs = [&](const double* v, double* dv, double c1) {
    dv[0] = (-(v[0] - v[1])) / c1;
    dv[1] = (-(v[1] - v[0]) - v[1]) / 0.8;
  };
  for (std::size_t k = 0; k < times.size(); ++k) {
    while (tnow < times[k] - h / 2) {
      const double c1 = tnow < tchange - h / 2 ? 4.0 : 5.0;
      double k1[2], k2[2], k3[2], k4[2], z[2];
      rhs(y, k1, c1);
      for (int i = 0; i < 2; ++i) z[i] = y[i] + h / 2 * k1[i];
      rhs(z, k2, c1);
      for (int i = 0; i < 2; ++i) z[i] = y[i] + h / 2 * k2[i];
      rhs(z, k3, c1);
      for (int i = 0; i < 2; ++i) z[i] = y[i] + h * k3[i];
      rhs(z, k4, c1);
      for (int i = 0; i < 2; ++i) y[i] += h / 6 * (k1[i] + 2 * k2[i] + 2 * k3[i] + k4[i]);
      tnow += h;
    }
    EXPECT_NEAR(t1[k], y[0], 1.5) << times[k];
  }
}

// ---------------------------------------------------------------------------
// Times and blocks.

TEST_F(Modal, BlocksRunAtTheirMoments) {
  tna_test::Network net;
  net.node(1, 'D', 100.0).node(2, 'D', 0.0).node(3, 'B', 0.0);
  net.gl(1, 3, 1.0);
  net.gl(2, 3, 1.0);
  build(net, {{1, 4.0}, {2, 4.0}});  // CSGMIN 4: DTIMEI 3.8
  GLOR.TIMEND = 4.0;
  GLOR.OUTINT = 4.0;
  tna_test::model.record = true;
  std::vector<double> ends, mids;
  tna_test::model.variables2 = [&] { ends.push_back(GLOR.TIMEN); };
  tna_test::model.variables1 = [&] { mids.push_back(GLOR.TIMEM); };
  SLMODE();
  // 4 lies within two steps of 3.8: two halves of 2.
  const std::vector<std::string> want = {"VARIABLES1", "OUTPUTS",    "VARIABLES1", "VARIABLES2",
                                         "VARIABLES1", "VARIABLES2", "OUTPUTS",    "VARIABLES1"};
  EXPECT_EQ(tna_test::model.calls, want);
  EXPECT_EQ(ends, (std::vector<double>{2.0, 4.0}));
  EXPECT_EQ(mids, (std::vector<double>{0.0, 1.0, 3.0, 3.0}));
}

TEST_F(Modal, StepsEndOnOutputsAndStartAgainFromDtimei) {
  tna_test::Network net;
  net.node(1, 'D', 100.0).node(2, 'D', 0.0).node(3, 'B', 0.0);
  net.gl(1, 3, 1.0);
  net.gl(2, 3, 1.0);
  build(net, {{1, 1.0}, {2, 1.0}});  // DTIMEI 0.95 (single precision)
  GLOR.TIMEND = 5.0;
  GLOR.OUTINT = 2.0;
  std::vector<double> ends, outs;
  tna_test::model.variables2 = [&] { ends.push_back(GLOR.TIMEN); };
  tna_test::model.outputs = [&] { outs.push_back(GLOR.TIMEN); };
  SLMODE();
  const double d = static_cast<double>(0.95f);
  EXPECT_EQ(outs, (std::vector<double>{0.0, 2.0, 4.0, 5.0}));
  ASSERT_GE(ends.size(), 4u);
  // 2 lies within two steps of 0.95: two equal halves end on the output.
  EXPECT_EQ(ends[0], d);
  EXPECT_EQ(ends[1], (2.0 + d) * 0.5);
  EXPECT_EQ(ends[2], 2.0);
  // The step after the output starts again from DTIMEI.
  EXPECT_EQ(ends[3], ((2.0 + 2.0 * d) + 2.0) * 0.5);
  for (double t : outs)
    if (t > 0.0) {
      EXPECT_NE(std::find(ends.begin(), ends.end(), t), ends.end()) << t;
    }
  EXPECT_EQ(GLOR.DTIMEI, d);
}

TEST_F(Modal, DtpmaxRejectsThenAcceptsAtTheSmallestStep) {
  tna_test::Network net;
  net.node(1, 'D', 100.0).node(2, 'D', 0.0).node(3, 'B', 0.0);
  net.gl(1, 3, 1.0);
  net.gl(2, 3, 1.0);
  build(net, {{1, 1.0}, {2, 1.0}});
  GLOR.TIMEND = 1.0;
  GLOR.OUTINT = 1.0;
  GLOR.DTPMAX = 1.0;
  GLOR.DTMIN = 0.25;
  std::vector<double> ends;
  tna_test::model.variables2 = [&] { ends.push_back(GLOR.TIMEN); };
  SLMODE();
  // Node 1 falls by far more than 1 degree in 0.25: every step is rejected
  // down to DTMIN, then accepted and counted.
  EXPECT_EQ(ends, (std::vector<double>{0.25, 0.5, 0.75, 1.0}));
  const std::string out = listing();
  EXPECT_TRUE(has_message(out, "SLMODE: DTPMAX exceeded in more than 10% of time steps")) << out;
  EXPECT_TRUE(has_reference(out, "S8SLVE", 7)) << out;
}

// ---------------------------------------------------------------------------
// Messages.

TEST_F(Modal, TimendNotAfterTimeo) {
  tna_test::Network net;
  net.node(1, 'D', 1.0).node(2, 'D', 2.0);
  net.gl(1, 2, 1.0);
  build(net, {{1, 1.0}, {2, 1.0}});
  GLOR.TIMEO = 5.0;
  GLOR.TIMEND = 5.0;
  GLOR.TIMEN = 7.0;
  tna_test::model.record = true;
  SLMODE();
  EXPECT_TRUE(tna_test::model.calls.empty());
  EXPECT_EQ(GLOR.TIMEN, 7.0);
  EXPECT_EQ(FLAGS(29), 5);
  EXPECT_EQ(FLAGS(36), 5);
  const std::string out = listing();
  EXPECT_TRUE(has_message(out,
                          "SLMODE: TIMEND is not greater than TIMEO@See Engineering Manual for control "
                          "constant definitions"));
  EXPECT_TRUE(has_reference(out, "SLMODE", 1));
}

TEST_F(Modal, WorkSpaceJustEnoughAndGivenBack) {
  tna_test::Network net;
  for (int i = 1; i <= 10; ++i) net.node(i, 'D', 1.0 * i);
  for (int i = 1; i < 10; ++i) net.gl(i, i + 1, 1.0);
  std::vector<std::pair<int, double>> caps;
  for (int i = 1; i <= 10; ++i) caps.push_back({i, 1.0});
  build(net, caps, 400, 69);  // 69 + 330 = 399 < 400
  GLOR.TIMEND = 1.0;
  SLMODE();
  EXPECT_EQ(FLAGS(29), 69);
  EXPECT_EQ(FLAGS(36), 69);
  EXPECT_TRUE(box_text(listing()).empty()) << listing();
}

TEST_F(Modal, NoModalNode) {
  tna_test::Network net;
  net.node(1, 'D', 1.0).node(2, 'B', 2.0);
  net.gl(1, 2, 1.0);
  build(net, {});
  EXPECT_THROW(SLMODE(), plat::ProcessExit);
  const std::string out = listing();
  EXPECT_TRUE(has_message(out, "SLMODE: Error copying conductance array to work space")) << out;
  EXPECT_TRUE(has_reference(out, "S8SLVE", 2));
  EXPECT_EQ(FLAGS(29), 5);
}

TEST_F(Modal, OneModalNodeIsRefused) {
  tna_test::Network net;
  net.node(1, 'D', 1.0).node(2, 'B', 2.0);
  net.gl(1, 2, 1.0);
  build(net, {{1, 3.0}});
  EXPECT_THROW(SLMODE(), plat::ProcessExit);
  const std::string out = listing();
  EXPECT_TRUE(has_message(out, "SLMODE: Invalid dimension of conductivity matrix")) << out;
  EXPECT_TRUE(has_reference(out, "LEIGEN", 2));
}

TEST_F(Modal, IsolatedArithmeticNode) {
  // With a load it jumps by 1.0E20 and ends the run; without one it keeps its temperature.
  for (double q : {0.0, 2.0}) {
    SCOPED_TRACE(q);
    SetUp();
    tna_test::Network net;
    net.node(1, 'D', 1.0).node(2, 'D', 2.0).node(3, 'D', 7.0, q);
    net.gl(1, 2, 1.0);
    build(net, {{1, 1.0}, {2, 1.0}});
    if (q == 0.0) {
      SLMODE();
      EXPECT_EQ(T(net, 3), 7.0);
    } else {
      EXPECT_THROW(SLMODE(), plat::ProcessExit);
      const std::string out = listing();
      EXPECT_TRUE(has_message(out, "SLMODE: Temperature > 1.0D10 detected")) << out;
      EXPECT_NE(box_text(out).find("Node 3 in main model"), std::string::npos) << out;
      EXPECT_TRUE(has_reference(out, "S8ARTH", 1));
    }
  }
}

TEST_F(Modal, RelxcaWarnings) {
  // A chain of two arithmetic nodes between the modal pair and a boundary
  // needs several Gauss-Seidel passes; NLOOP 0 allows one.
  tna_test::Network net;
  net.node(1, 'D', 100.0).node(2, 'D', 0.0).node(3, 'D', 0.0).node(4, 'D', 0.0).node(5, 'B', 0.0);
  net.gl(1, 2, 1.0);
  net.gl(2, 3, 1.0);
  net.gl(3, 4, 1.0);
  net.gl(4, 5, 1.0);
  build(net, {{1, 1.0}, {2, 1.0}});
  GLOI.NLOOP = 0;
  SLMODE();
  const std::string out = listing();
  EXPECT_TRUE(has_message(out, "SLMODE: RELXCA exceeded in more than 10% of time steps")) << out;
  EXPECT_TRUE(has_reference(out, "S8SLVE", 5));
}

TEST_F(Modal, EndWarningsAtExactlyOneStepInTen) {
  // Nine steps of 1 (NS = 10); a heat pulse in the fifth makes that step
  // the only one whose change exceeds DTPMAX (43 against 35, then 28) and
  // whose arithmetic node moves by more than RELXCA in its single pass (22
  // against 18, then 14). Both ratios are 1 / 10 exactly: below the
  // single-precision 0.1 of the RELXCA warning, not below the double 0.1 of
  // the DTPMAX warning.
  tna_test::Network net;
  net.node(1, 'D', 0.0).node(2, 'D', 0.0).node(3, 'D', 0.0).node(4, 'B', 0.0);
  net.gl(1, 4, 1.0);
  net.gl(2, 4, 1.0);
  net.gl(1, 3, 1.0);
  net.gl(3, 4, 1.0);
  build(net, {{1, 1.0}, {2, 1.0}});
  GLOR.DTMIN = 1.0;
  GLOR.DTMAX = 1.0;
  GLOR.TIMEND = 9.0;
  GLOR.OUTINT = 9.0;
  GLOR.DTPMAX = 35.0;
  GLOR.RELXCA = 18.0;
  GLOI.NLOOP = 0;
  tna_test::model.variables1 = [&] {
    gar_thermalnodeheatsourcesinternal(net.index(1)) = (GLOR.TIMEM > 4.0 && GLOR.TIMEM < 5.0) ? 100.0 : 0.0;
  };
  int steps = 0;
  tna_test::model.variables2 = [&] { ++steps; };
  SLMODE();
  EXPECT_EQ(steps, 9);
  const std::string out = listing();
  EXPECT_TRUE(has_message(out, "SLMODE: RELXCA exceeded in up to 10% of time steps")) << out;
  EXPECT_TRUE(has_reference(out, "S8SLVE", 4)) << out;
  EXPECT_TRUE(has_message(out, "SLMODE: DTPMAX exceeded in more than 10% of time steps")) << out;
  EXPECT_TRUE(has_reference(out, "S8SLVE", 7)) << out;
}

TEST_F(Modal, NonPositiveOutintIsRefused) {
  tna_test::Network net;
  net.node(1, 'D', 1.0).node(2, 'D', 2.0);
  net.gl(1, 2, 1.0);
  build(net, {{1, 1.0}, {2, 1.0}});
  GLOR.OUTINT = 0.0;
  EXPECT_THROW(SLMODE(), plat::ProcessExit);
  EXPECT_TRUE(has_reference(listing(), "SLMODE", 8));
}

TEST_F(Modal, OutintNotANumberIsRefusedBeforeAnyOutput) {
  tna_test::Network net;
  net.node(1, 'D', 1.0).node(2, 'D', 2.0).node(3, 'B', 0.0);
  net.gl(1, 2, 1.0);
  net.gl(2, 3, 1.0);
  build(net, {{1, 1.0}, {2, 1.0}});
  GLOR.OUTINT = std::nan("");
  std::vector<double> outs;
  tna_test::model.outputs = [&] { outs.push_back(GLOR.TIMEN); };
  EXPECT_THROW(SLMODE(), plat::ProcessExit);
  EXPECT_TRUE(outs.empty());
  EXPECT_TRUE(has_message(listing(),
                          "SLMODE: Control constant OUTINT not specified@See User Manual description of "
                          "SLMODE for a list of required control constants"));
  EXPECT_TRUE(has_reference(listing(), "SLMODE", 9));
}

}  // namespace
