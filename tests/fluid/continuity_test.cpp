// New link flows and continuity (MFCHK, MFCONS, MFCONT, FMCALC) and the
// compliant node volumes (CVOLSP, CVOLST).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fgenfi_pass.h"
#include "fluid/continuity.h"
#include "fluid_fixture.h"
#include "platform/process.h"

namespace fluid_test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(Mfchk, RelativeChangeTable) {
  struct Row {
    double minflo, mnew, mcur, expect;
  };
  const Row rows[] = {
      {0.0, 1.5, 1.0, 0.5},   // against the current flow
      {0.0, -1.0, 2.0, 1.5},  // reversal
      {0.1, 0.5, 0.05, 0.9},  // current flow not above MINFLO: against the new one
      {0.1, 0.5, 0.1, 0.8},   // MINFLO itself does not count as a flow
      {0.1, 0.1, 0.05, 0.0},  // both at or below MINFLO: unchanged
      {0.0, 0.0, 0.0, 0.0},   // no flow at all
      {0.0, 0.0, 3.0, 1.0},   // closed
      // A flow that is not a number is a change without bound, also where
      // the other flow is at or below MINFLO.
      {0.1, kNaN, 0.05, kInf}, {0.0, kNaN, 1.0, kInf}, {0.0, 1.0, kNaN, kInf}, {0.1, 0.0, kInf, kInf},
  };
  for (const Row& r : rows) {
    std::int32_t n = 0;
    double rel = 0.0;
    MFCHK(4, r.minflo, r.mnew, r.mcur, n, rel);
    if (std::isinf(r.expect)) EXPECT_EQ(rel, r.expect) << r.mnew << " from " << r.mcur;
    else EXPECT_NEAR(rel, r.expect, 1e-15) << r.mnew << " from " << r.mcur;
    EXPECT_EQ(n, r.expect > 0.0 ? 4 : 0);
  }
  // Only a larger change takes over; a tie keeps the first link.
  std::int32_t n = 2;
  double rel = 0.5;
  MFCHK(5, 0.0, 1.5, 1.0, n, rel);
  EXPECT_EQ(n, 2);
  MFCHK(6, 0.0, 1.6, 1.0, n, rel);
  EXPECT_EQ(n, 6);
}

class ContinuityTest : public FluidTest {
 protected:
  // A chain 1 - 2 - 3 (links 1: 1 -> 2, 2: 2 -> 3) with the given statuses.
  void chain3(char s1, char s2, char s3) {
    fm = tna_test::chain(3);
    fm.node(1).status = s1;
    fm.node(2).status = s2;
    fm.node(3).status = s3;
    build(fm);
    for (int i = 1; i <= 3; ++i) {
      net.fla(i) = 1.0e-4;
      net.vol(i) = 1.0e-4;
    }
    store = std::make_unique<PassStore>(net);
    for (int i = 1; i <= 3; ++i) {
      store->w.rho(i) = 1000.0;
      store->w.pnew(i) = net.p(i);
      store->w.hnew(i) = net.fe(i);
      store->w.pold(i) = net.p(i);
      store->w.hold(i) = net.fe(i);
    }
  }
  tna_test::FluidModel fm;
  std::unique_ptr<PassStore> store;
};

TEST_F(ContinuityTest, NormalLinkMovesByTheSquareOfTheRelaxation) {
  chain3('J', 'F', 'J');
  FgPass& w = store->w;
  GLOR.DAMPM = 0.5;
  // Link 1: m = 1e-4 (pnew1 - pnew2) + 1e-5 rho*1 - 2e-5 rho*2 + 0.003.
  w.lnkcp(1) = 1.0e-4;
  w.lnkc1(1) = 1.0e-5;
  w.lnkc2(1) = -2.0e-5;
  w.lnkc0(1) = 0.003;
  w.pnew(1) = net.p(1) + 500.0;
  w.drdp(1) = 1.0e-3;  // rho*1 = 1000.5
  w.hnew(2) = net.fe(2) + 100.0;
  w.drdh(2) = -0.01;  // rho*2 = 999
  // Link 2 is closed.
  w.lnkflg(2) = 0;
  net.m(2) = 0.02;
  const double m = 1.0e-4 * (net.p(1) + 500.0 - net.p(2)) + 1.0e-5 * 1000.5 - 2.0e-5 * 999.0 + 0.003;
  FMCALC(net, w);
  EXPECT_NEAR(net.m(1), 0.01 + 0.25 * (m - 0.01), 1e-15);
  EXPECT_EQ(net.m(2), 0.0);
  // The change is measured before the relaxation: link 1's (m - 0.01) /
  // 0.01 beats the closed link's 1.
  EXPECT_DOUBLE_EQ(GLOR.RELXMC, (m - 0.01) / 0.01);
  EXPECT_GT(GLOR.RELXMC, 1.0);
  EXPECT_EQ(GLOI.NRLXMC, 1);
}

TEST_F(ContinuityTest, EvaporativeLinkTakesItsEvaporatedFlow) {
  chain3('J', 'F', 'J');
  gar_massflowlinktypes(1) = 2;
  store->w.lnkc2(1) = 0.05;
  GLOR.DAMPM = 0.5;
  FMCALC(net, store->w);
  EXPECT_NEAR(net.m(1), 0.01 + 0.25 * 0.04, 1e-15);
  EXPECT_NEAR(GLOR.RELXMC, 4.0, 1e-12);
  EXPECT_EQ(GLOI.NRLXMC, 1);
}

TEST_F(ContinuityTest, LowResistanceLinkBalancesItsFreeNode) {
  for (int loopflag : {1, 0}) {
    chain3('J', 'F', 'F');
    FgPass& w = store->w;
    w.loopflag = loopflag;
    GLOR.DTIMEU = 0.5;
    gar_fluidnodemassflowsources(2) = 0.004;
    // Link 1 has no usable resistance; link 2 carries 0.015 kg/s.
    w.lnkflg(1) = -1;
    w.lnkflg(2) = 1;
    w.lnkc0(2) = 0.015;
    // Node 2 gains mass: (pnew - pold) drdp VOL / DTIMEU = 200 x 1e-3 x 1e-4 / 0.5.
    w.pnew(2) = w.pold(2) + 200.0;
    w.pnew(1) = w.pnew(2);  // no pressure difference over link 1
    w.drdp(2) = 1.0e-3;
    FMCALC(net, w);
    const double storage = loopflag ? 0.0 : 200.0 * 1.0e-3 * 1.0e-4 / 0.5;
    EXPECT_NEAR(net.m(1) + 0.004 - net.m(2), storage, 1e-15) << loopflag;
    EXPECT_NEAR(net.m(2), 0.015, 1e-15);
  }
}

TEST_F(ContinuityTest, LowResistanceLinkBetweenHeldPressures) {
  struct Row {
    double dp, mindp, expect;
  };
  // The residual (pnew1 - pnew2 here) reaches MINDP: 1e10 with its sign,
  // then raised by (residual - MINDP) / 1000; below MINDP the flow stays.
  const Row rows[] = {{50.0, 10.0, 1.0e10 * 1.04},
                      {-50.0, 10.0, -1.0e10 * 1.04},
                      {5.0, 10.0, 0.01},
                      // No difference with MINDP 0 is no missing resistance.
                      {0.0, 0.0, 0.01}};
  for (const Row& r : rows) {
    chain3('J', 'J', 'F');
    GLOR.MINDP = r.mindp;
    store->w.lnkflg(1) = -1;
    store->w.lnkflg(2) = 0;
    store->w.pnew(1) = net.p(2) + r.dp;
    FMCALC(net, store->w);
    EXPECT_DOUBLE_EQ(net.m(1), r.expect) << r.dp;
  }
}

TEST_F(ContinuityTest, ResidualRaisesTheContinuityFlow) {
  // Free - free link 1 with flag -1 balances (C(1) - C(2)) / 2; its residual
  // of 30 Pa above MINDP 10 then raises it by 2 %, relaxed by DAMPM.
  chain3('F', 'F', 'J');
  FgPass& w = store->w;
  GLOR.MINDP = 10.0;
  GLOR.DAMPM = 0.5;
  w.loopflag = 1;
  gar_fluidnodemassflowsources(1) = 0.03;
  w.lnkflg(1) = -1;
  w.lnkflg(2) = 0;  // link 2 closed: node 2 has only link 1
  w.lnkc0(1) = 30.0;
  FMCALC(net, w);
  // C(1) = 0.03, C(2) = 0 (link 2 is active but closed, flow 0 after step 2).
  const double m = 0.015;
  EXPECT_NEAR(net.m(1), m + (m * 1.02 - m) * 0.5, 1e-15);
  // Without sources the sweeps leave it at 0, at or below MINFLO: a
  // residual of at least MINDP restarts it at 100 MINFLO in the residual's
  // direction.
  for (double dp : {0.0, -5.0, -10.0}) {
    chain3('F', 'F', 'J');
    GLOR.MINDP = 1.0;
    GLOR.MINFLO = 1.0e-3;
    GLOR.DAMPM = 1.0;
    store->w.loopflag = 1;
    store->w.lnkflg(1) = -1;
    store->w.lnkflg(2) = 0;
    store->w.lnkc0(1) = 5.0;
    store->w.pnew(1) = store->w.pnew(2) + dp;  // residual 5 + dp
    FMCALC(net, store->w);
    EXPECT_DOUBLE_EQ(net.m(1), dp == 0.0 ? 0.1 : dp == -5.0 ? 0.0 : -0.1) << dp;
  }
}

TEST_F(ContinuityTest, ResidualMovesTheFlowInItsOwnDirection) {
  // Node 1 loses 0.03 kg/s through its mass source: continuity gives link 1
  // (1 -> 2, no usable resistance) -0.015 kg/s. A residual of 30 Pa above
  // MINDP 10 moves that flow by 2 % of its size in the residual's direction:
  // one driving from node 1 to node 2 turns it towards 0 (a flow against
  // the pressure difference must not grow), one driving back raises it.
  struct Row {
    double residual, expect;
  };
  const Row rows[] = {{30.0, -0.015 * 0.98}, {-30.0, -0.015 * 1.02}};
  for (const Row& r : rows) {
    chain3('F', 'F', 'J');
    FgPass& w = store->w;
    GLOR.MINDP = 10.0;
    w.loopflag = 1;
    gar_fluidnodemassflowsources(1) = -0.03;
    w.lnkflg(1) = -1;
    w.lnkflg(2) = 0;
    w.lnkc0(1) = r.residual;
    FMCALC(net, w);
    EXPECT_NEAR(net.m(1), r.expect, 1e-15) << r.residual;
  }
  // Two held pressures: the 1e10 of the sweeps already has the residual's
  // sign and keeps growing with it.
  chain3('J', 'J', 'F');
  GLOR.MINDP = 10.0;
  store->w.lnkflg(1) = -1;
  store->w.lnkflg(2) = 0;
  store->w.pnew(1) = net.p(2) + 50.0;
  net.m(1) = -0.5;
  FMCALC(net, store->w);
  EXPECT_DOUBLE_EQ(net.m(1), 1.0e10 * 1.04);
}

TEST_F(ContinuityTest, UnknownLinkTypeEndsTheRun) {
  chain3('J', 'F', 'J');
  gar_massflowlinktypes(2) = 3;
  EXPECT_THROW(FMCALC(net, store->w), plat::ProcessExit);
  EXPECT_TRUE(has_message(listing(), "Unrecognised mass flow link type@Allowed types: momentum, evaporative."));
  EXPECT_TRUE(has_reference(listing(), "FMCALC", 1));
}

TEST_F(ContinuityTest, MfconsAndMfcont) {
  tna_test::FluidModel f = tna_test::branch();
  f.node(2).fm = 0.005;
  build(f);
  // Node 2: in 1 (0.02), out 2 and 3 (0.01 each), source 0.005.
  EXPECT_NEAR(MFCONS(net, 0, 2), 0.005 + 0.02 - 0.02, 1e-15);
  EXPECT_NEAR(MFCONS(net, 2, 2), 0.005 + 0.02 - 0.01, 1e-15);
  gar_massflowlinkstatuses(3) = "I";
  EXPECT_NEAR(MFCONS(net, 2, 2), 0.005 + 0.02, 1e-15);
  PassStore s(net);
  GLOR.DTIMEU = 2.0;
  net.vol(2) = 3.0e-4;
  s.w.pnew(2) = 10.0;
  s.w.pold(2) = 4.0;
  s.w.drdp(2) = 0.5;
  s.w.hnew(2) = 7.0;
  s.w.hold(2) = 2.0;
  s.w.drdh(2) = -0.1;
  EXPECT_NEAR(MFCONT(net, s.w, 2, 2), 0.025 - (6.0 * 0.5 - 5.0 * 0.1) * 3.0e-4 / 2.0, 1e-15);
}

TEST_F(ContinuityTest, ComplianceMovesVolumeAndGeometry) {
  tna_test::FluidModel f = tna_test::chain(4);
  f.node(2).vcf = 'L';
  f.node(3).vcf = 'X';
  for (int i = 1; i <= 4; ++i) f.node(i).cmp = 1.0e-6;
  build(f);
  for (int i = 1; i <= 4; ++i) {
    net.fl(i) = 2.0;
    net.fla(i) = 1.0e-4;
    net.vol(i) = 2.0e-4;
    net.fd(i) = 0.01;
  }
  net.fla(4) = 0.0;  // a node without flow area
  net.vol(4) = 0.0;
  std::vector<double> pnew(4), vrate(4, 0.25);
  for (int i = 1; i <= 4; ++i) pnew[i - 1] = net.p(i) + 1.0e5;
  GLOR.DTIMEU = 0.5;
  CVOLSP(net, FlCReals(pnew.data(), 4), 1, FlReals(vrate.data(), 4));
  const double dv = 1.0e5 * 1.0e-6 * 2.0e-4;  // 2e-5
  // "A": the area follows, the diameter by the square root of the ratio.
  EXPECT_NEAR(net.vol(1), 2.2e-4, 1e-18);
  EXPECT_NEAR(net.fla(1), 1.1e-4, 1e-18);
  EXPECT_NEAR(net.fd(1), 0.01 * std::sqrt(1.1), 1e-15);
  EXPECT_EQ(net.fl(1), 2.0);
  // "L": the length follows.
  EXPECT_NEAR(net.fl(2), 2.2, 1e-14);
  EXPECT_EQ(net.fla(2), 1.0e-4);
  EXPECT_EQ(net.fd(2), 0.01);
  // Any other flag: volume only.
  EXPECT_NEAR(net.vol(3), 2.2e-4, 1e-18);
  EXPECT_EQ(net.fla(3), 1.0e-4);
  EXPECT_EQ(net.fl(3), 2.0);
  // No volume, no change, and no NaN in its geometry.
  EXPECT_EQ(net.vol(4), 0.0);
  EXPECT_EQ(net.fd(4), 0.01);
  EXPECT_EQ(net.fla(4), 0.0);
  for (int i = 1; i <= 3; ++i) EXPECT_NEAR(vrate[i - 1], 0.25 + dv / 0.5, 1e-15) << i;
  EXPECT_EQ(vrate[3], 0.25);
  // Without the rate flag the rates stay.
  CVOLSP(net, FlCReals(pnew.data(), 4), 0, FlReals(vrate.data(), 4));
  EXPECT_EQ(vrate[3], 0.25);
  EXPECT_NEAR(vrate[0], 0.25 + dv / 0.5, 1e-15);
  // A length-controlled node of zero area keeps a finite length.
  gar_fluidnodevolumecontrolflags(4) = "L";
  pnew[3] += 1.0e5;
  CVOLSP(net, FlCReals(pnew.data(), 4), 0, FlReals(vrate.data(), 4));
  EXPECT_EQ(net.fl(4), 2.0);
}

TEST_F(ContinuityTest, StartOfStepVolumeChange) {
  tna_test::FluidModel f = tna_test::chain(2);
  f.node(1).vdt = 1.0e-5;
  f.node(2).vdt = -1.0e-5;
  f.node(2).vcf = 'L';
  build(f);
  for (int i = 1; i <= 2; ++i) {
    net.fl(i) = 2.0;
    net.fla(i) = 1.0e-4;
    net.vol(i) = 2.0e-4;
  }
  std::vector<double> vrate(2, 9.0);
  GLOR.DTIMEU = 2.0;
  CVOLST(net, FlReals(vrate.data(), 2));
  EXPECT_NEAR(net.vol(1), 2.2e-4, 1e-18);
  EXPECT_NEAR(net.fla(1), 1.1e-4, 1e-18);
  EXPECT_NEAR(net.vol(2), 1.8e-4, 1e-18);
  EXPECT_NEAR(net.fl(2), 1.8, 1e-14);
  EXPECT_EQ(vrate, (std::vector<double>{1.0e-5, -1.0e-5}));
}

}  // namespace
}  // namespace fluid_test
