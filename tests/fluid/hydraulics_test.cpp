// Hydraulic solution of the single-phase routines: the link linearisation
// and assembly (FLHYCF, FAMATY) and the new flows (FLMSFL), with densities
// and viscosities given; the whole solution with the property functions is
// in hydraulic_solution_test.cpp.
#include <gtest/gtest.h>

#include <cmath>

#include "fluid/hydraulics.h"
#include "fluid/profile_solver.h"
#include "fluid_fixture.h"
#include "hydraulic_store.h"

namespace fluid_test {
namespace {

class HydraulicsTest : public FluidTest {
 protected:
  void setup(tna_test::FluidModel& f) {
    build(f);
    store = std::make_unique<HydraulicStore>(net);
    for (int i = 1; i <= net.nf; ++i) {
      store->w.hrho(i) = 998.0;
      store->w.hvisc(i) = 1.0e-3;
      store->w.hpsol(i) = net.p(i);
      net.fla(i) = 7.85e-5;
      net.vol(i) = 7.85e-5 * net.fl(i);
    }
  }
  // One pass without the property update: assemble, solve, take the
  // pressures, new flows.
  void pass(int rate_flag = 0) {
    FLHYCF(net, store->w, rate_flag);
    double dmax = 0.0;
    int ierr = 0;
    plat::Text<6> routine;
    FHSKSV(store->w.amat, net.nf, store->w.ord.lprof, store->w.bvec, store->w.hpsol, dmax, ierr, routine,
           store->w.ord);
    ASSERT_EQ(ierr, 0);
    for (int i = 1; i <= net.nf; ++i) net.p(i) = store->w.hpsol(i);
    FLMSFL(net, store->w);
  }
  std::unique_ptr<HydraulicStore> store;
};

TEST_F(HydraulicsTest, UnconnectedNodeKeepsItsPressure) {
  // Node 3 has no link; node 2's only link is closed (GP 0).
  tna_test::FluidModel f;
  for (int i = 1; i <= 4; ++i) f.fluid(i).p = 1.0e5 * i;
  f.node(1).status = 'J';
  f.link(1, 2, 0.01);
  f.link(4, 1, 0.01);
  f.link_spec(0).gp = 0.0;
  f.link_spec(1).gp = 1.0e6;
  setup(f);
  pass();
  EXPECT_EQ(net.p(1), 1.0e5);
  EXPECT_EQ(net.p(2), 2.0e5);
  EXPECT_EQ(net.p(3), 3.0e5);
  EXPECT_EQ(store->w.hflg(1), 0);
  EXPECT_EQ(store->w.hcp(1), 0.0);
  EXPECT_EQ(net.m(1), 0.0);
}

TEST_F(HydraulicsTest, LowResistanceLinkHasCpMinusOne) {
  // No wall length (no wall friction) and no fitting loss worth speaking
  // of: at 0.01 kg/s the linearised drop |m Dn| is below MINDP = 1 Pa.
  tna_test::FluidModel f = tna_test::chain(3);
  f.node(1).status = 'J';
  f.node(3).status = 'J';
  for (int i = 1; i <= 3; ++i) f.node(i).fl = 0.0;
  f.link_spec(0).gp = 1.0e12;
  f.link_spec(1).gp = 1.0e12;
  setup(f);
  GLOR.MINDP = 1.0;
  FLHYCF(net, store->w, 0);
  EXPECT_EQ(store->w.hflg(1), -1);
  EXPECT_EQ(store->w.hcp(1), -1.0);
  // Row of free node 2: diagonal -= Cp for both links; M(k) enters with
  // a = M(k): b(2) = (C0 + Cp P1 + a) from link 1 ... both C0 are 0 here.
  const int r2 = store->w.ord.pos(2);
  EXPECT_EQ(store->entry(r2, r2), 2.0);
  EXPECT_DOUBLE_EQ(store->w.bvec(r2), -(-net.p(1) + 0.01) + (-(-net.p(3)) + 0.01));
}

TEST_F(HydraulicsTest, HeldPressuresWithoutResistanceGetTheBigFlow) {
  // Two held pressures 50 Pa apart joined by a link of no resistance: 1e10
  // in the direction of the difference (then raised by (50 - 10) / 1000).
  for (double dp : {50.0, -50.0, 5.0}) {
    tna_test::FluidModel f = tna_test::chain(2);
    f.node(1).status = 'J';
    f.node(2).status = 'J';
    f.node(1).p = 2.0e5 + dp;
    f.link_spec(0).gp = 1.0e12;
    for (int i = 1; i <= 2; ++i) f.node(i).fl = 0.0;  // no wall friction
    setup(f);
    GLOR.MINDP = 10.0;
    pass();
    const double expect = std::fabs(dp) < 10.0 ? 0.01 : std::copysign(1.0e10 * 1.04, dp);
    EXPECT_DOUBLE_EQ(net.m(1), expect) << dp;
  }
}

TEST_F(HydraulicsTest, LinkAtRestKeepsItsLaminarWallResistance) {
  // Two links at rest between held pressures 100 Pa apart. Their walls keep
  // the laminar resistance at no flow (Dn = 16 mu (L1 + L2) / (rho D^2 A)
  // for each link): with MINDP 0 they are normal links, and since laminar
  // resistance does not depend on the flow one pass gives Hagen-Poiseuille's
  // flow over the 2 m they act on. Without walls (no length) a link at
  // rest has no resistance at all (Dn = 0): it is taken as a link without
  // usable resistance, not given an infinite coefficient.
  for (bool walls : {true, false}) {
    SCOPED_TRACE(walls ? "walls" : "no walls");
    tna_test::FluidModel f = tna_test::chain(3);
    f.node(1).status = 'J';
    f.node(3).status = 'J';
    f.node(1).p = 2.0e5 + 100.0;
    for (int i = 1; i <= 3; ++i) f.node(i).fl = walls ? 1.0 : 0.0;
    f.link_spec(0).flow = 0.0;
    f.link_spec(1).flow = 0.0;
    f.link_spec(0).gp = 1.0e20;
    f.link_spec(1).gp = 1.0e20;
    setup(f);
    GLOR.MINDP = 0.0;
    pass();
    const double hagen_poiseuille = 100.0 * 998.0 * 0.01 * 0.01 * 7.85e-5 / (32.0 * 1.0e-3 * 2.0);
    for (int k = 1; k <= 2; ++k) {
      EXPECT_EQ(store->w.hflg(k), walls ? 1 : -1) << k;
      EXPECT_TRUE(std::isfinite(net.m(k))) << k;
      if (walls) {
        EXPECT_NEAR(net.m(k) / hagen_poiseuille, 1.0, 1e-12) << k;
      }
    }
    for (int i = 1; i <= 3; ++i) EXPECT_TRUE(std::isfinite(net.p(i))) << i;
  }
}

TEST_F(HydraulicsTest, InactiveLinksAreLeftAlone) {
  // FLMSFL treats only active links: an inactive link keeps its flow, and
  // its flag word (never set by the assembly) is not read.
  tna_test::FluidModel f = tna_test::chain(3);
  f.node(1).status = 'J';
  f.node(3).status = 'J';
  f.node(1).p = 2.0e5 + 100.0;
  f.link_spec(0).gp = 1.0e6;
  f.link_spec(1).gp = 1.0e6;
  f.link_spec(1).status = 'I';
  f.link_spec(1).flow = 0.123;
  setup(f);
  store->w.hflg(2) = 1;
  store->w.hcp(2) = 5.0;
  store->w.hc0(2) = 7.0;
  pass();
  EXPECT_EQ(net.m(2), 0.123);
  EXPECT_EQ(store->w.hcp(2), 5.0);  // not assembled
}

TEST_F(HydraulicsTest, ResidualMovesALowResistanceFlowInItsOwnDirection) {
  // Free nodes 1 and 2 joined by link 1 without usable resistance (flag
  // -1), node 1 losing 0.03 kg/s through its mass source, link 2 closed:
  // continuity gives link 1 -0.015 kg/s. A residual pressure difference of
  // 30 Pa above MINDP 10 moves that flow by 2 % of its size in the
  // residual's direction (positive: from node 1 to node 2): a flow against
  // the pressure difference turns towards 0 instead of growing.
  struct Row {
    double dp, expect;
  };
  const Row rows[] = {{30.0, -0.015 * 0.98}, {-30.0, -0.015 * 1.02}};
  for (const Row& r : rows) {
    tna_test::FluidModel f = tna_test::chain(3);
    f.node(3).status = 'J';
    f.node(1).fm = -0.03;
    setup(f);
    GLOR.MINDP = 10.0;
    store->w.hflg(1) = -1;
    store->w.hc0(1) = 0.0;
    store->w.hflg(2) = 0;
    net.p(1) = net.p(2) + r.dp;
    FLMSFL(net, store->w);
    EXPECT_NEAR(net.m(1), r.expect, 1e-15) << r.dp;
  }
}

}  // namespace
}  // namespace fluid_test
