// Humid air: fraction and ratio (HUMFSP), the mass balance around the
// hydraulic solution (SFMCON) and the vapour transport of a step (WVMCON).
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fluid/humid_air.h"
#include "fluid_fixture.h"

namespace fluid_test {
namespace {

FlReals view(std::vector<double>& v) { return FlReals(v.data(), static_cast<std::int64_t>(v.size())); }
FlCReals cview(const std::vector<double>& v) { return FlCReals(v.data(), static_cast<std::int64_t>(v.size())); }

TEST(HumidityFraction, RatioAndFractionTable) {
  struct Case {
    double q, w;
  };
  // Fraction to ratio.
  const double cap = static_cast<double>(1.0e15f);
  const std::vector<Case> to_ratio{{0.5, 1.0}, {0.0, 0.0},  {-0.2, 0.0},        {1.0, cap},
                                   {1.5, cap}, {0.2, 0.25}, {0.01, 0.01 / 0.99}};
  std::vector<double> q, w(to_ratio.size(), -9.0);
  for (const Case& c : to_ratio) q.push_back(c.q);
  HUMFSP(static_cast<int>(q.size()), 1, view(q), view(w));
  for (std::size_t i = 0; i < to_ratio.size(); ++i) EXPECT_DOUBLE_EQ(w[i], to_ratio[i].w) << "q = " << q[i];
  // Ratio to fraction, and back.
  std::vector<double> w2{1.0, 0.0, 0.25, 0.0123}, q2(4, -9.0), w3(4);
  HUMFSP(4, 0, view(q2), view(w2));
  EXPECT_DOUBLE_EQ(q2[0], 0.5);
  EXPECT_EQ(q2[1], 0.0);
  EXPECT_DOUBLE_EQ(q2[2], 0.2);
  HUMFSP(4, 1, view(q2), view(w3));
  for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(w3[i], w2[i]);
  // n < 1 converts nothing.
  HUMFSP(0, 1, view(q2), view(w3));
  EXPECT_DOUBLE_EQ(w3[0], 1.0);
}

using HumidAirTest = FluidTest;

TEST_F(HumidAirTest, MassBalanceAroundTheHydraulicSolution) {
  // Node 1 "AIRW", node 2 "WATER": only node 1 changes.
  tna_test::FluidModel fm = tna_test::chain(2);
  fm.node(1).fluid = "AIRW";
  for (int k : {1, 2}) {
    fm.node(k).w = 0.01 * k;
    fm.node(k).vq = 0.5;
    fm.node(k).fm = 0.2;
    fm.node(k).sink = 0.003;
  }
  build(fm);
  const std::vector<double> r1{0.004, 0.004};
  SFMCON(net, cview(r1), 1);
  EXPECT_EQ(net.vq(1), 0.01);
  EXPECT_EQ(net.fm(1), 0.2);
  SFMCON(net, cview(r1), 2);
  EXPECT_EQ(net.vq(1), 0.01);
  EXPECT_DOUBLE_EQ(net.fm(1), 0.2 - 0.004 - 0.003);
  SFMCON(net, cview(r1), 3);
  EXPECT_DOUBLE_EQ(net.fm(1), 0.2);
  EXPECT_EQ(net.vq(2), 0.5);
  EXPECT_EQ(net.fm(2), 0.2);
}

class VapourTransportTest : public FluidTest {
 protected:
  // Runs WVMCON with qnew starting as a copy of qold.
  std::vector<double> transport(double dt, int mix, const std::vector<double>& qold, const std::vector<double>& r1,
                                const std::vector<double>& rho, const std::vector<double>& vdot) {
    std::vector<double> qnew = qold;
    WVMCON(net, dt, cview(vdot), cview(r1), cview(rho), mix, cview(qold), view(qnew));
    return qnew;
  }
};

TEST_F(VapourTransportTest, UpwindBalanceOfOneNode) {
  // Chain 1 -> 2 -> 3 with 0.1 kg/s; node 2 (mass 2 kg) receives q1 and
  // loses q2 through its outlet; a source of 0.05 kg/s at FW 0.02 and the
  // condensation and sink rates come in too.
  tna_test::FluidModel fm = tna_test::chain(3);
  for (int k : {1, 2, 3}) fm.node(k).vol = 2.0;
  fm.link_spec(0).flow = 0.1;
  fm.link_spec(1).flow = 0.1;
  fm.node(2).fm = 0.05;
  fm.node(2).fw = 0.02;
  fm.node(2).sink = 1.0e-5;
  build(fm);
  const std::vector<double> qold{0.02, 0.01, 0.005}, r1{0.0, 2.0e-5, 0.0}, rho(3, 1.0), vdot(3, 0.0);
  const double dt = 3.0, m = 2.0;
  const double src = 0.02 * 0.05 / 1.02;
  const double sum = 0.02 * 0.1 + src - 2.0e-5 - 1.0e-5;
  // Explicit (mix 0): outflow 0.1 kg/s only (the source enters).
  std::vector<double> q0 = transport(dt, 0, qold, r1, rho, vdot);
  EXPECT_NEAR(q0[1], (dt * (sum - 0.1 * 0.01) + m * 0.01) / m, 1e-15);
  // Half old, half new (mix 1): the upstream node's new value is its old
  // one (it has no inflow and nothing else changes it here, so compute it
  // the same way).
  std::vector<double> q1 = transport(dt, 1, qold, r1, rho, vdot);
  const double q1new = (m * 0.02 + (0.0 - 0.5 * 0.1 * 0.02) * dt) / (m + 0.5 * 0.1 * dt);
  EXPECT_NEAR(q1[0], q1new, 1e-15);
  const double sum1 = 0.5 * (0.02 + q1new) * 0.1 + src - 2.0e-5 - 1.0e-5;
  EXPECT_NEAR(q1[1], (m * 0.01 + (sum1 - 0.5 * 0.1 * 0.01) * dt) / (m + 0.5 * 0.1 * dt), 1e-15);
  // An outflow source (FM < 0) counts as an outflow.
  net.fm(2) = -0.05;
  const double sum_out = 0.02 * 0.1 - 2.0e-5 - 1.0e-5;
  q0 = transport(dt, 0, qold, r1, rho, vdot);
  EXPECT_NEAR(q0[1], (dt * (sum_out - 0.15 * 0.01) + m * 0.01) / m, 1e-15);
  // An inactive link carries nothing.
  gar_massflowlinkstatuses(1) = "I";
  q0 = transport(dt, 0, qold, r1, rho, vdot);
  EXPECT_NEAR(q0[1], (dt * (-2.0e-5 - 1.0e-5 - 0.15 * 0.01) + m * 0.01) / m, 1e-15);
}

TEST_F(VapourTransportTest, ClosedRingConservesTheVapour) {
  // A ring of five nodes of different masses and fractions with one flow:
  // the vapour mass sum(VOL rho q) is the same after an explicit step.
  tna_test::FluidModel fm = tna_test::ring(5, false);
  for (int k = 1; k <= 5; ++k) fm.node(k).vol = 0.5 * k;
  build(fm);
  const std::vector<double> qold{0.001, 0.02, 0.005, 0.013, 0.0}, r1(5, 0.0), rho{1.2, 1.1, 1.0, 1.3, 0.9},
      vdot(5, 0.0);
  const std::vector<double> qnew = transport(0.7, 0, qold, r1, rho, vdot);
  double before = 0.0, after = 0.0;
  for (int k = 0; k < 5; ++k) {
    before += 0.5 * (k + 1) * rho[k] * qold[k];
    after += 0.5 * (k + 1) * rho[k] * qnew[k];
  }
  EXPECT_NEAR(after, before, 1e-15);
  EXPECT_NE(qnew[1], qold[1]);
}

TEST_F(VapourTransportTest, HeldNodesAndIsolatedNodes) {
  // Node 1 "R" keeps its fraction whatever flows in; node 4 has no link, no
  // source and no volume change and keeps its fraction; node 3 "J" counts
  // its entering link and its source as outflow terms and keeps R1 and S.
  tna_test::FluidModel fm = tna_test::chain(4);
  fm.node(1).status = 'R';
  fm.node(3).status = 'J';
  fm.node(3).fm = 0.02;
  fm.node(3).fw = 0.01;
  fm.node(3).sink = 0.5;
  fm.link_spec(2).status = 'I';
  fm.link(3, 1, 0.1);  // into the "R" node
  for (int k = 1; k <= 4; ++k) fm.node(k).vol = 1.0;
  build(fm);
  const std::vector<double> qold{0.004, 0.01, 0.02, 0.03}, r1{0.0, 0.0, 0.7, 0.0}, rho(4, 1.0), vdot(4, 0.0);
  for (int mix : {0, 1}) {
    const std::vector<double> qnew = transport(2.0, mix, qold, r1, rho, vdot);
    EXPECT_EQ(qnew[0], 0.004);
    EXPECT_EQ(qnew[3], 0.03);
  }
  // Node 3: inflow 0.01 kg/s at q2 = 0.01, g = 0.01 (entering) - 0.02 (the
  // source); its outflow to node 1 does not count.
  const double sum = 0.01 * 0.01 + 0.01 * 0.02 / 1.01, g = 0.01 - 0.02;
  const std::vector<double> qnew = transport(2.0, 0, qold, r1, rho, vdot);
  EXPECT_NEAR(qnew[2], (2.0 * (sum - g * 0.02) + 1.0 * 0.02) / 1.0, 1e-15);
  // A node whose volume grew over the step (VDOT) held less mass before.
  const std::vector<double> grow{0.0, 0.0, 0.0, 0.1};
  const std::vector<double> q4 = transport(2.0, 0, qold, r1, rho, grow);
  EXPECT_NEAR(q4[3], (1.0 - 0.2) * 0.03, 1e-15);
}

}  // namespace
}  // namespace fluid_test
