// Humid air: fraction and ratio (HUMFSP), the mass balance around the
// hydraulic solution (SFMCON) and the vapour transport of a step (WVMCON).
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fluid/humid_air.h"
#include "fluid_fixture.h"
#include "platform/process.h"
#include "properties/properties.h"

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

TEST_F(VapourTransportTest, NodeWithoutMassPassesWhatFlowsThrough) {
  // Node 2 of an "AIRW" chain 1 -> 2 -> 3 has no volume: it stores no
  // vapour, and what enters leaves (q2 = q1 with 0.1 kg/s through it), with
  // either weighting; without any flow its fraction stays.
  tna_test::FluidModel fm = tna_test::chain(3);
  for (int k : {1, 2, 3}) {
    fm.node(k).fluid = "AIRW";
    fm.node(k).vol = 2.0;
  }
  fm.node(2).vol = 0.0;
  build(fm);
  const std::vector<double> qold{0.02, 0.01, 0.005}, r1(3, 0.0), rho(3, 1.0), vdot(3, 0.0);
  for (int mix : {0, 1}) {
    const std::vector<double> qnew = transport(3.0, mix, qold, r1, rho, vdot);
    EXPECT_NEAR(qnew[1], mix == 0 ? 0.02 : 0.5 * (0.02 + qnew[0]), 1e-15) << mix;
    EXPECT_TRUE(std::isfinite(qnew[2]));
  }
  net.m(1) = net.m(2) = 0.0;
  EXPECT_EQ(transport(3.0, 0, qold, r1, rho, vdot)[1], 0.01);
}

TEST_F(VapourTransportTest, VapourWithNowhereToGoOrNotANumberEndsTheRun) {
  // Node 2 without mass and without outflow, fed vapour by a source; node 2
  // with a density that is not a number. Neither may hand on a fraction
  // that is not a number: the run ends naming the node.
  struct Case {
    const char* what;
    double vol, rho;
    int code;
    const char* text;
  };
  const Case cases[] = {
      {"no mass, no outflow", 0.0, 1.0, 1,
       "WVMCON: Water vapour enters a humid-air node without mass that lets nothing out@Balancing the water "
       "vapour of a step@Give the node a volume or an outflow Node 2 in main model"},
      {"density not a number", 2.0, std::nan(""), 2,
       "WVMCON: Vapour fraction of a node is not a number@Balancing the water vapour of a step@Check the volume, "
       "density, flows and sources of the node Node 2 in main model"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fresh_listing();
    tna_test::FluidModel fm = tna_test::chain(2);
    for (int k : {1, 2}) {
      fm.node(k).fluid = "AIRW";
      fm.node(k).vol = 2.0;
    }
    fm.node(2).vol = c.vol;
    fm.node(2).fm = 0.01;
    fm.node(2).fw = 0.01;
    build(fm);
    net.m(1) = 0.0;
    const std::vector<double> qold{0.02, 0.01}, r1(2, 0.0), rho{1.0, c.rho}, vdot(2, 0.0);
    EXPECT_THROW(transport(1.0, 0, qold, r1, rho, vdot), plat::ProcessExit);
    EXPECT_TRUE(has_message(listing(), c.text)) << listing();
    EXPECT_TRUE(has_reference(listing(), "WVMCON", c.code)) << listing();
  }
  // A water node's fraction is not used: it never ends the run.
  tna_test::FluidModel fm = tna_test::chain(2);
  fm.node(2).vol = 0.0;
  fm.node(2).fm = 0.01;
  fm.node(2).fw = 0.01;
  build(fm);
  net.m(1) = 0.0;
  const std::vector<double> qold{0.0, 0.0}, r1(2, 0.0), rho{1.0, std::nan("")}, vdot(2, 0.0);
  EXPECT_NO_THROW(transport(1.0, 0, qold, r1, rho, vdot));
}

// ---- With the water properties -------------------------------------------

TEST_F(HumidAirTest, RelativeHumidityAndRatioAgainstPsychrometricValues) {
  // Humidity ratios at 101325 Pa from the IAPWS-IF97 saturation pressure
  // (0.6221 phi ps / (p - phi ps)); the library's saturation pressure is
  // within 0.1% of it.
  struct Case {
    double t, phi, w;
  };
  const std::vector<Case> cases{
      {5.0, 0.3, 0.0016113541},  {5.0, 1.0, 0.0054038399},  {10.0, 0.6, 0.0045575168}, {25.0, 0.3, 0.0058936518},
      {25.0, 0.6, 0.0119000423}, {25.0, 1.0, 0.0200895974}, {40.0, 0.6, 0.0284465667}, {40.0, 0.0, 0.0},
  };
  tna_test::FluidModel fm;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    tna_test::FluidNodeSpec& n = fm.fluid(static_cast<int>(i) + 1);
    n.fluid = "AIRW";
    n.p = 101325.0;
    n.t = cases[i].t;
    n.phi = cases[i].phi;
    n.w = -1.0;
  }
  fm.fluid(99).phi = 0.5;  // water: untouched
  build(fm);
  net.w(net.nf) = 7.0;
  HUMRSP(net, 1, net.tf);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const int k = static_cast<int>(i) + 1;
    EXPECT_NEAR(net.w(k), cases[i].w, 2e-3 * cases[i].w) << cases[i].t << " C, phi " << cases[i].phi;
  }
  EXPECT_EQ(net.w(net.nf), 7.0);
  // Back to the relative humidity at the same state.
  for (int k = 1; k <= net.nf; ++k) net.phi(k) = -1.0;
  net.phi(net.nf) = 0.5;
  HUMRSP(net, 0, net.tf);
  for (std::size_t i = 0; i < cases.size(); ++i)
    EXPECT_NEAR(net.phi(static_cast<int>(i) + 1), cases[i].phi, 1e-12) << i;
  EXPECT_EQ(net.phi(net.nf), 0.5);
  // The temperature is the one handed over, not the model's.
  std::vector<double> warmer(net.tf.begin(), net.tf.end());
  for (double& t : warmer) t += 15.0;
  net.w(5) = 0.0119;
  HUMRSP(net, 0, cview(warmer));
  EXPECT_LT(net.phi(5), 0.6 * 0.5);
}

TEST_F(HumidAirTest, ConversionWithoutAMeaningEndsTheRun) {
  // Below absolute zero water has no saturation pressure (either mode); at
  // 120 C and 1 atm a PHI of 0.9 asks for a vapour pressure above the
  // node's own (mode 1). Each ends the run naming the humid-air node
  // instead of handing on a ratio or humidity that is infinite, negative or
  // not a number.
  struct Case {
    const char* what;
    double t, phi;
    int mode, code;
    const char* text;
  };
  const char* cold =
      "HUMRSP: No saturation pressure of water at the temperature of a humid-air node@Converting between relative "
      "humidity and humidity ratio@Check the temperature of the node Node 2 in main model";
  const Case cases[] = {
      {"below absolute zero, to W", -300.0, 0.5, 1, 1, cold},
      {"below absolute zero, to PHI", -300.0, 0.5, 0, 1, cold},
      {"above the boiling point", 120.0, 0.9, 1, 2,
       "HUMRSP: Vapour pressure not below the pressure of a humid-air node@Converting relative humidity to humidity "
       "ratio@PHI x saturation pressure reaches the node pressure; check PHI, P and T of the node Node 2 in main "
       "model"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fresh_listing();
    tna_test::FluidModel fm;
    fm.fluid(1).phi = 0.5;  // water: untouched
    tna_test::FluidNodeSpec& n = fm.fluid(2);
    n.fluid = "AIRW";
    n.p = 101325.0;
    n.phi = c.phi;
    n.w = 0.01;
    build(fm);
    std::vector<double> t{20.0, c.t};
    EXPECT_THROW(HUMRSP(net, c.mode, cview(t)), plat::ProcessExit);
    EXPECT_TRUE(has_message(listing(), c.text)) << listing();
    EXPECT_TRUE(has_reference(listing(), "HUMRSP", c.code)) << listing();
  }
  // At 120 C a PHI of 0.5 still fits: vapour pressure 99 kPa.
  tna_test::FluidModel fm;
  tna_test::FluidNodeSpec& n = fm.fluid(1);
  n.fluid = "AIRW";
  n.p = 101325.0;
  n.t = 120.0;
  n.phi = 0.5;
  build(fm);
  HUMRSP(net, 1, net.tf);
  EXPECT_GT(net.w(1), 1.0);
  EXPECT_TRUE(std::isfinite(net.w(1)));
}

class CondensationTest : public FluidTest {
 protected:
  void condense(double g) { CNDNSE(net, g, net.t, net.tf, view(r1), view(r2)); }
  // Whether the humid-air specific heat is available in this build (the
  // condensation rate needs it).
  static bool humid_cp_available() {
    try {
      XCP(1.0e5, 20.0, 0.01, 4, 0);
    } catch (const plat::ProcessExit&) {
      return false;
    }
    return true;
  }
  tna_test::FluidModel fm_;
  std::vector<double> r1, r2;
};

TEST_F(CondensationTest, WallAboveTheDewPointTakesNoLatentHeat) {
  // 25 C, 60% has its dew point at 16.7 C: a wall at 20 C stays dry. The
  // rate of every node relaxes towards 0 with g^2.
  fm_ = tna_test::humid_duct(2);
  build(fm_);
  gar_thermalnodetemps(1) = 20.0;
  HUMRSP(net, 1, net.tf);
  r1 = {0.4, 0.8};
  r2 = {-5.0};
  condense(0.5);
  EXPECT_EQ(r2[0], 0.0);
  EXPECT_DOUBLE_EQ(r1[0], 0.4 * 0.75);
  EXPECT_DOUBLE_EQ(r1[1], 0.8 * 0.75);
  condense(1.0);
  EXPECT_EQ(r1[0], 0.0);
  EXPECT_EQ(r1[1], 0.0);
}

TEST_F(CondensationTest, InactiveConductorsCondenseNothing) {
  // The wall at 5 C is below the dew point, but its conductors are
  // inactive.
  fm_ = tna_test::humid_duct(2);
  build(fm_);
  gar_linearcondacts(fm_.gl_index(0)) = "I";
  gar_linearcondacts(fm_.gl_index(1)) = "I";
  HUMRSP(net, 1, net.tf);
  r1 = {0.0, 0.0};
  r2 = {-5.0};
  condense(1.0);
  EXPECT_EQ(r2[0], 0.0);
  EXPECT_EQ(r1[0], 0.0);
  EXPECT_EQ(r1[1], 0.0);
}

TEST_F(CondensationTest, ColdWallReceivesTheLatentHeat) {
  // Node 1 (25 C, 60%) on a wall at 5 C through GL 2 W/K: mc = GL / (p cp)
  // (pv - ps(wall)), R2 = (hv - hl) mc at pv; node 2 is dry air at the same
  // state with a warm wall and adds nothing.
  if (!humid_cp_available()) GTEST_SKIP() << "humid-air specific heat not in this build";
  fm_ = tna_test::humid_duct(2);
  fm_.thermal(101, 'B', 40.0);
  fm_.gl(2, 101, 1.0);
  build(fm_);
  gar_linearcondacts(fm_.gl_index(1)) = "I";
  HUMRSP(net, 1, net.tf);
  r1 = {0.0, 0.0};
  r2 = {-5.0, -5.0};
  condense(1.0);
  const double p = 1.01325e5, w = net.w(1);
  const double pv = p * w / (w + 0.6221);
  const double cp = XCP(p, 25.0, w, 4, 0);
  const double mc = 2.0 / (p * cp) * (pv - XPRESS(5.0, 2, 0));
  const double latent = XENTHS(pv, 25.0, 1.0, 2, 0) - XENTHS(pv, 25.0, 0.0, 2, 0);
  EXPECT_GT(mc, 0.0);
  EXPECT_NEAR(r1[0], mc, 1e-12 * mc);
  EXPECT_NEAR(r2[0], latent * mc, 1e-9 * latent * mc);
  EXPECT_EQ(r2[1], 0.0);
  EXPECT_EQ(r1[1], 0.0);
  // With g = 0.5 the rate moves a quarter of the way.
  r1 = {0.0, 0.0};
  condense(0.5);
  EXPECT_NEAR(r1[0], 0.25 * mc, 1e-12 * mc);
}

class HumidityUpdateTest : public CondensationTest {
 protected:
  // A duct of three "AIRW" nodes with the flow running from node 3 to node
  // 1 (node 3 "R", the inlet; node 1 "J"), humidity ratios 0.004, 0.006 and
  // 0.011, and its wall at 30 C (dry).
  void reversed_duct(bool links = true) {
    fm_ = tna_test::humid_duct(3);
    fm_.node(1).status = 'J';
    fm_.node(3).status = 'R';
    for (int k = 1; k <= 3; ++k) fm_.node(k).vol = 0.01;
    for (int h = 0; h < 2; ++h) fm_.link_spec(h).flow = links ? -0.05 : 0.0;
    build(fm_);
    gar_thermalnodetemps(1) = 30.0;
    const double w[3] = {0.004, 0.006, 0.011};
    for (int k = 1; k <= 3; ++k) net.w(k) = w[k - 1];
    r1.assign(3, 0.0);
    r2.assign(1, 0.0);
    rho.assign(3, 1.2);
    vdot.assign(3, 0.0);
    q.assign(static_cast<std::size_t>(fl_humid_work_words(net.nf, true)), 0.3);  // not yet filled
  }
  void iterated(double dt) {
    HMDIPT(net, GLOR.DAMPM, dt, cview(vdot), cview(rho), net.t, net.tf, view(r1), view(r2),
           FlReals(q.data() + net.nf, net.nf), FlReals(q.data(), net.nf));
  }
  void single(double dt) {
    HMDNTF(net, dt, cview(vdot), cview(rho), net.t, net.tf, view(r1), view(r2), FlReals(q.data() + net.nf, net.nf),
           FlReals(q.data(), net.nf));
  }
  std::vector<double> rho, vdot, q;
  tna_test::BlockLog log;
};

TEST_F(HumidityUpdateTest, IteratedUpdateCarriesTheInletHumidity) {
  reversed_duct();
  log.install();
  iterated(0.1);
  // Passes until the summed fractions settle: node 2 is renewed in the first
  // pass, node 1 follows its new value in the second and is steady in the
  // third.
  EXPECT_EQ(log.count("VARIABLES1"), 3);
  EXPECT_EQ(log.count("VARIABLES1", "HUMID"), 3);
  EXPECT_TRUE(GLOC.SOLTYP == "HUMID");
  // The inlet keeps its humidity; the others move towards it.
  EXPECT_DOUBLE_EQ(net.w(3), 0.011);
  EXPECT_GT(net.w(2), 0.006);
  EXPECT_LT(net.w(2), 0.011);
  EXPECT_GT(net.w(1), 0.004);
  // PHI follows W at each node's temperature.
  const double ps = XPRESS(25.0, 2, 0);
  EXPECT_NEAR(net.phi(2), 1.01325e5 * net.w(2) / (ps * (net.w(2) + 0.6221)), 1e-12);
  EXPECT_TRUE(listing().find("HMDIPT") == std::string::npos);
}

TEST_F(HumidityUpdateTest, IteratedUpdateStartsFromTheNodesHumidity) {
  // The fraction arrays hold garbage on entry (0.3, a humidity ratio of
  // 0.43): the update starts from the nodes' W, so nodes that nothing
  // reaches keep it.
  reversed_duct(false);
  iterated(1.0);
  EXPECT_DOUBLE_EQ(net.w(1), 0.004);
  EXPECT_DOUBLE_EQ(net.w(2), 0.006);
  EXPECT_DOUBLE_EQ(net.w(3), 0.011);
}

TEST_F(HumidityUpdateTest, UpdateRunsWithoutLinks) {
  // Humid air in a model without mass-flow links: the fraction arrays are
  // reserved with the humid-air flag alone, and a source brings vapour.
  fm_ = tna_test::humid_duct(2);
  fm_.node(1).status = 'F';
  fm_.node(1).vol = 0.5;
  fm_.node(2).vol = 0.5;
  fm_.link_spec(0).status = 'I';
  build(fm_);
  gar_thermalnodetemps(1) = 30.0;
  net.w(1) = 0.005;
  net.w(2) = 0.005;
  net.fm(1) = 0.01;
  net.fw(1) = 0.02;
  r1.assign(2, 0.0);
  r2.assign(1, 0.0);
  rho.assign(2, 1.0);
  vdot.assign(2, 0.0);
  q.assign(static_cast<std::size_t>(fl_humid_work_words(2, true)), 0.0);
  EXPECT_EQ(q.size(), 4u);
  EXPECT_EQ(fl_humid_work_words(2, false), 0);
  iterated(2.0);
  EXPECT_GT(net.w(1), 0.005);
  EXPECT_DOUBLE_EQ(net.w(2), 0.005);
  single(2.0);
  EXPECT_GT(net.w(1), 0.005);
}

TEST_F(HumidityUpdateTest, PassLimitEndsTheIterationWithAWarning) {
  reversed_duct();
  GLOI.NLOOP = 2;
  log.install();
  iterated(1.0);
  EXPECT_EQ(log.count("VARIABLES1", "HUMID"), 2);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, "HMDIPT: Humidity update not converged in NLOOP passes")) << l;
  EXPECT_TRUE(has_reference(l, "HMDIPT", 1)) << l;
  EXPECT_NE(l.find("WARNING"), std::string::npos);
}

TEST_F(HumidityUpdateTest, SinglePassUpdateUsesTheOldFractions) {
  reversed_duct();
  log.install();
  const double q2 = 0.006 / 1.006, q3 = 0.011 / 1.011, m = 0.01 * 1.2, dt = 0.1;
  single(dt);
  EXPECT_EQ(log.count("VARIABLES1", "HUMID"), 1);
  const double q2new = (dt * (q3 * 0.05 - 0.05 * q2) + m * q2) / m;
  EXPECT_NEAR(net.w(2), q2new / (1.0 - q2new), 1e-14);
  EXPECT_DOUBLE_EQ(net.w(3), 0.011);
}

}  // namespace
}  // namespace fluid_test
