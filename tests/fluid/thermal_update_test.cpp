// Thermal update of the two-phase solution: the sums of a thermal node
// (SNGSUM with the masks of SLOGST), the explicit pre-step and stability
// figure (TSTAB2) and the Crank-Nicolson passes (FWBKT3, FBTCL3), against
// hand balances of small networks.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fluid/thermal_update.h"
#include "fluid_fixture.h"
#include "platform/process.h"

namespace fluid_test {
namespace {

constexpr double kTabs = 273.15, kSigma = 5.670374e-8;

double abs4(double t) {
  const double a = t + kTabs;
  return a * a * a * a;
}

class ThermalUpdateTest : public FluidTest {
 protected:
  void SetUp() override {
    FluidTest::SetUp();
    GLOR.DTIMEU = 10.0;
  }
  void setup(tna_test::FluidModel& f) {
    build(f);
    auto size = [](int n) { return static_cast<std::size_t>(n); };
    for (auto* v : {&tthold_, &qthold_, &gflprv_, &qflprv_, &tthprv_, &t3_, &t4_}) v->assign(size(net.nt1), 0.0);
    gf_.assign(size(net.ngf1), 0);
    gl_.assign(size(net.ngl1), 0);
    gr_.assign(size(net.ngr1), 0);
    nodes_.assign(size(net.nt1), 0);
    auto R = [](std::vector<double>& v) { return FlReals(v.data(), static_cast<std::int64_t>(v.size())); };
    auto I = [](std::vector<std::int32_t>& v) { return FlInts(v.data(), static_cast<std::int64_t>(v.size())); };
    th.tthold = R(tthold_);
    th.qthold = R(qthold_);
    th.gflprv = R(gflprv_);
    th.qflprv = R(qflprv_);
    th.tthprv = R(tthprv_);
    th.t3 = R(t3_);
    th.t4 = R(t4_);
    th.gfmask = I(gf_);
    th.glmask = I(gl_);
    th.grmask = I(gr_);
    th.nodemask = I(nodes_);
    start_step();
  }
  // The start of a step at the current temperatures.
  void start_step() {
    for (int i = 1; i <= net.nt; ++i) {
      tthold_[i - 1] = net.t(i);
      t3_[i - 1] = std::pow(net.t(i) + kTabs, 3);
      t4_[i - 1] = abs4(net.t(i));
    }
    tfold_.assign(net.tf.data(), net.tf.data() + net.nf);
    SLOGST(net, th);
  }
  FlCReals tfold() const { return FlCReals(tfold_.data(), static_cast<std::int64_t>(tfold_.size())); }
  FgSums sums(int i) {
    return SNGSUM(net, th, i, FlCReals(net.t.data(), net.t.size()), FlCReals(net.tf.data(), net.tf.size()));
  }

  FgThermal th;

 private:
  std::vector<double> tthold_, qthold_, gflprv_, qflprv_, tthprv_, t3_, t4_, tfold_;
  std::vector<std::int32_t> gf_, gl_, gr_, nodes_;
};

TEST_F(ThermalUpdateTest, SumsCountActiveConductorsToLiveNeighbours) {
  // Node 1 ("D") to a boundary 2, an inactive node 3 ("X"), a node 4 of
  // status "C", fluid node 10, and to node 5 ("D") by a GF into node 1 and
  // a GF out of it; GR to node 2 and to the fluid node; an inactive GL.
  tna_test::FluidModel f;
  f.thermal(1, 'D', 50.0, 100.0).thermal(2, 'B', 10.0).thermal(3, 'X', 70.0).thermal(4, 'C', 90.0);
  f.thermal(5, 'D', 30.0, 100.0);
  f.fluid(10).t = 20.0;
  f.gl(1, 2, 2.0);
  f.gl(1, 3, 5.0);
  f.gl(1, 4, 7.0);
  f.gl(1, 10, 3.0);
  f.gl(1, 10, 11.0, 'I');
  f.gf(5, 1, 4.0);
  f.gf(1, 5, 13.0);
  f.gr(1, 2, 0.5);
  f.gr(1, 10, 0.25);
  setup(f);
  const FgSums s = sums(f.tindex(1));
  EXPECT_DOUBLE_EQ(s.gth, 2.0 + 4.0);
  EXPECT_DOUBLE_EQ(s.qth, 2.0 * (10.0 + kTabs) + 4.0 * (30.0 + kTabs));
  EXPECT_DOUBLE_EQ(s.gfl, 3.0);
  EXPECT_DOUBLE_EQ(s.qfl, 3.0 * (20.0 + kTabs));
  EXPECT_DOUBLE_EQ(s.grs, kSigma * 0.75);
  EXPECT_NEAR(s.qrs, kSigma * (0.5 * abs4(10.0) + 0.25 * abs4(20.0)), 1e-12 * s.qrs);
  // The masks are refreshed: the GL to the fluid node switched off drops out.
  gar_linearcondacts(f.gl_index(3)) = "I";
  SLOGST(net, th);
  EXPECT_EQ(sums(f.tindex(1)).gfl, 0.0);
}

TEST_F(ThermalUpdateTest, CrankNicolsonStepOfAnRcNode) {
  // Node 1 (C = 100) joined to a boundary at 0 (GL 2) and a fluid node at 20
  // (GL 3), with a heat source of 10 W, and a radiator node 3 of its own.
  tna_test::FluidModel f;
  f.thermal(1, 'D', 50.0, 100.0).thermal(2, 'B', 0.0).thermal(3, 'D', 200.0, 40.0);
  f.fluid(10).t = 20.0;
  f.gl(1, 2, 2.0);
  f.gl(1, 10, 3.0);
  f.gr(3, 2, 0.2);
  setup(f);
  const int n1 = f.tindex(1), n3 = f.tindex(3);
  gar_thermalnodeheatsourcesinternal(n1) = 4.0;
  gar_thermalnodeheatsourcessolar(n1) = 6.0;
  const double dt = GLOR.DTIMEU, c = 100.0, g = 5.0, q = 10.0;
  const double t0 = 50.0 + kTabs, tb = kTabs, tf = 20.0 + kTabs;
  const double q0 = 2.0 * (tb - t0) + 3.0 * (tf - t0);

  TSTAB2(net, th, tfold());
  EXPECT_NEAR(th.qthold(n1), q0, 1e-9);
  EXPECT_NEAR(net.t(n1), 50.0 + (q0 + q) * dt / c, 1e-9);
  // The stability figure counts the radiator's linearised conductance.
  const double gr3 = 4.0 * kSigma * 0.2 * std::pow(200.0 + kTabs, 3);
  EXPECT_NEAR(GLOR.CSGMIN, 40.0 / gr3, 1e-12 * GLOR.CSGMIN);
  EXPECT_EQ(GLOI.NCSGMN, n3);

  // The passes reach the Crank-Nicolson temperature of the linear node in
  // one update; the second finds nothing to correct.
  GLOI.NLOOPT = 10;
  int converged = 0, passes = 0;
  FWBKT3(net, th, 0, converged, passes);
  const double w = c / dt;
  const double cn = (q + 0.5 * (2.0 * tb + 3.0 * tf + q0) + w * t0) / (w + 0.5 * g) - kTabs;
  EXPECT_NEAR(net.t(n1), cn, 1e-9);
  EXPECT_EQ(converged, 1);
  EXPECT_GE(passes, 2);
  EXPECT_EQ(net.t(f.tindex(2)), 0.0);  // a boundary keeps its temperature
  EXPECT_EQ(GLOC.SOLTYP.trimmed(), "");

  // NLOOPT = 1 makes exactly one pass.
  GLOI.NLOOPT = 1;
  FWBKT3(net, th, 0, converged, passes);
  EXPECT_EQ(passes, 1);
}

TEST_F(ThermalUpdateTest, ZeroCapacityNodes) {
  // Node 1 without capacitance, only radiating to a boundary at 0, with 50
  // W: its balance temperature, in the pre-step and in the passes.
  tna_test::FluidModel f;
  f.thermal(1, 'D', 0.0, 0.0).thermal(2, 'B', 0.0);
  f.gr(1, 2, 0.1);
  setup(f);
  gar_thermalnodeheatsourcesinternal(1) = 50.0;
  const double grs = kSigma * 0.1;
  const double expect = std::pow((50.0 + grs * abs4(0.0)) / grs, 0.25) - kTabs;
  TSTAB2(net, th, tfold());
  EXPECT_NEAR(net.t(1), expect, 1e-9);
  net.t(1) = 0.0;
  int converged = 0, passes = 0;
  GLOI.NLOOPT = 5;
  FWBKT3(net, th, 0, converged, passes);
  EXPECT_NEAR(net.t(1), expect, 1e-9);
}

TEST_F(ThermalUpdateTest, HeatedNodeWithoutConductorsEndsTheRun) {
  // A zero-capacity node with a heat source and no conductor jumps by 1e20
  // in the pre-step; the first thermal pass reports it.
  tna_test::FluidModel f;
  f.thermal(1, 'D', 20.0, 0.0).thermal(2, 'B', 0.0);
  f.gl(1, 2, 1.0, 'I');
  setup(f);
  gar_thermalnodeheatsourcesinternal(1) = 5.0;
  TSTAB2(net, th, tfold());
  EXPECT_EQ(net.t(1), 20.0 + 1.0e20);
  net.t(1) = 20.0;
  int converged = 0, passes = 0;
  EXPECT_THROW(FWBKT3(net, th, 0, converged, passes), plat::ProcessExit);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, "FGENFI: Temperature > 1.0D10 detected@ Node 1 in main model")) << l;
  EXPECT_TRUE(has_reference(l, "Fbtcl3", 1)) << l;
}

TEST_F(ThermalUpdateTest, RadiationAloneWithALargerSinkEndsTheRun) {
  // A zero-capacity node that only radiates, to a boundary at 20 C (about
  // 4.2 W in), with a sink of 10 W: its balance has no root (the fourth root
  // of a negative number). The pre-step and a thermal pass each end the run
  // with the node, not with a temperature that is not a number.
  tna_test::FluidModel f;
  f.thermal(1, 'D', 20.0, 0.0).thermal(2, 'B', 20.0);
  f.gr(1, 2, 0.01);
  setup(f);
  gar_thermalnodeheatsourcesinternal(1) = -10.0;
  EXPECT_THROW(TSTAB2(net, th, tfold()), plat::ProcessExit);
  std::string l = listing();
  EXPECT_TRUE(has_message(l, "FGENFI: Temperature > 1.0D10 detected@ Node 1 in main model")) << l;
  EXPECT_TRUE(has_reference(l, "Tstab2", 1)) << l;
  EXPECT_EQ(net.t(1), 20.0);  // left as it was
  fresh_listing();
  int converged = 0, passes = 0;
  GLOI.NLOOPT = 5;
  EXPECT_THROW(FWBKT3(net, th, 0, converged, passes), plat::ProcessExit);
  l = listing();
  EXPECT_TRUE(has_message(l, "FGENFI: Temperature > 1.0D10 detected@ Node 1 in main model")) << l;
  EXPECT_TRUE(has_reference(l, "Fbtcl3", 1)) << l;
  EXPECT_EQ(net.t(1), 20.0);
}

}  // namespace
}  // namespace fluid_test
