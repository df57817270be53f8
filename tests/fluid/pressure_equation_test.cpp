// Pressure equation of the two-phase iteration (FGFIPS, FSUMGP): assembled,
// solved by the profile solver and checked against the mass balance it
// states, against the new flows of FMCALC, and with the loop-mass row.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "fgenfi_pass.h"
#include "fluid/continuity.h"
#include "fluid/pressure_equation.h"
#include "fluid/profile_solver.h"
#include "fluid_fixture.h"
#include "platform/process.h"

namespace fluid_test {
namespace {

class PressureEquationTest : public FluidTest {
 protected:
  void setup(tna_test::FluidModel& f, unsigned seed) {
    build(f);
    store = std::make_unique<PassStore>(net);
    FgPass& w = store->w;
    std::mt19937 rng(seed);
    auto u = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); };
    GLOR.DTIMEU = 0.1;
    for (int i = 1; i <= net.nf; ++i) {
      net.fla(i) = 7.0e-5;
      net.vol(i) = 7.0e-5 * net.fl(i);
      net.p(i) = 2.0e5 + u(-1e3, 1e3);
      net.fe(i) = 8.0e4 + u(-1e3, 1e3);
      w.rho(i) = u(990.0, 1000.0);
      w.rhoold(i) = w.rho(i) + u(-0.5, 0.5);
      w.drdp(i) = u(3e-7, 5e-7);
      w.drdh(i) = u(-5e-4, -3e-4);
      w.pold(i) = net.p(i) + u(-100.0, 100.0);
      w.hold(i) = net.fe(i) + u(-100.0, 100.0);
      w.hnew(i) = net.fe(i) + u(-100.0, 100.0);
      w.pnew(i) = net.p(i);
    }
    for (int k = 1; k <= net.nl; ++k) {
      w.lnkcp(k) = u(1e-5, 1e-4);
      w.lnkc1(k) = u(-1e-5, 1e-5);
      w.lnkc2(k) = u(-1e-5, 1e-5);
      w.lnkc0(k) = u(0.0, 0.02);
      w.lnkflg(k) = 1;
    }
  }
  // Density constant: the new density of node n is rc(n) + drdp(n) p(n).
  double rc(int n) const {
    const FgPass& w = store->w;
    return (w.hnew(n) - net.fe(n)) * w.drdh(n) + w.rho(n) - net.p(n) * w.drdp(n);
  }
  double rho_new(int n) const { return rc(n) + store->w.drdp(n) * store->w.pnew(n); }
  // The flow of link k that the pressure equation counts.
  double row_flow(int k) const {
    const FgPass& w = store->w;
    const int a = net.first(k), b = net.second(k);
    if (net.ltype(k) == 2) return w.lnkc0(k) - w.lnkcp(k) * w.pnew(b);
    return w.lnkcp(k) * (w.pnew(a) - w.pnew(b)) + w.lnkc1(k) * rho_new(a) + w.lnkc2(k) * rho_new(b) + w.lnkc0(k);
  }
  void solve() {
    FgPass& w = store->w;
    FGFIPS(net, w);
    double dmax = 0.0;
    int ierr = 0;
    plat::Text<6> routine;
    FHSKS1(w.amat, w.id, w.jl, w.ir, net.nf, w.perm, w.ju, w.lprof, w.bvec, w.pnew, dmax, ierr, routine);
    ASSERT_EQ(ierr, 0);
  }
  // Storage of free node i over the step minus the flows into it, which the
  // row sets to zero.
  double imbalance(int i) const {
    const FgPass& w = store->w;
    const double v = net.vol(i) / GLOR.DTIMEU;
    const double s = net.cmp(i) * w.rho(i);
    double storage = v * s * (w.pnew(i) - w.pold(i));
    if (net.fstat(i).c[0] != 'H' && w.loopflag == 0) storage += v * (rho_new(i) - w.rhoold(i));
    double in = net.fm(i) - w.rho(i) * net.vdt(i);
    for (int k = 1; k <= net.nl; ++k) {
      if (!net.link_active(k)) continue;
      if (net.second(k) == i) in += row_flow(k);
      if (net.first(k) == i) in -= row_flow(k);
    }
    return storage - in;
  }
  std::unique_ptr<PassStore> store;
};

TEST_F(PressureEquationTest, LayoutOfTheTestOrdering) {
  tna_test::FluidModel f = tna_test::chain(3);
  build(f);
  PassStore s(net);
  auto v = [](FlInts a) { return std::vector<int>(a.data(), a.data() + a.size()); };
  EXPECT_EQ(v(s.w.jl), (std::vector<int>{1, 1, 1}));
  EXPECT_EQ(v(s.w.ju), (std::vector<int>{1, 1, 2}));
  EXPECT_EQ(v(s.w.ir), (std::vector<int>{2, 3, 3}));
  EXPECT_EQ(v(s.w.id), (std::vector<int>{1, 4, 8}));
  EXPECT_EQ(s.w.lprof, 8);
  EXPECT_EQ(s.w.nlp, 1);
}

TEST_F(PressureEquationTest, SolutionBalancesEveryFreeNodeAndAgreesWithFmcalc) {
  // The split-and-merge network with an evaporative link (3 -> 5), a node
  // without capacity (3), compliances, a mass source and a volume change.
  tna_test::FluidModel f = tna_test::branch();
  f.node(3).status = 'H';
  f.node(2).cmp = 1.0e-8;
  f.node(3).cmp = 2.0e-8;
  f.node(4).fm = 0.001;
  f.node(5).vdt = 1.0e-7;
  f.link_spec(4).type = 2;
  setup(f, 11);
  solve();
  const FgPass& w = store->w;
  EXPECT_EQ(w.pnew(1), net.p(1));  // held ("R", "J")
  EXPECT_EQ(w.pnew(6), net.p(6));
  for (int i = 2; i <= 5; ++i) EXPECT_NEAR(imbalance(i), 0.0, 1e-14) << "node " << i;
  // FMCALC (DAMPM 1) gives the momentum links the same flows; the
  // evaporative link takes lnkc2.
  std::vector<double> expect(7);
  for (int k = 1; k <= 6; ++k) expect[k] = net.ltype(k) == 2 ? w.lnkc2(k) : row_flow(k);
  FMCALC(net, w);
  for (int k = 1; k <= 6; ++k) EXPECT_NEAR(net.m(k), expect[k], 1e-15) << "link " << k;
}

TEST_F(PressureEquationTest, LoopMassRowKeepsTheMassOfAClosedLoop) {
  // A ring of three nodes with no held pressure and no source (QTRSOL "YES"):
  // the last row of the loop states its linearised mass.
  tna_test::FluidModel f = tna_test::ring(3, false);
  setup(f, 5);
  FgPass& w = store->w;
  w.loopflag = 1;
  double mass = 0.0;
  for (int i = 1; i <= 3; ++i) mass += w.rhoold(i) * net.vol(i);
  w.loopmass(1) = mass;
  solve();
  double now = 0.0;
  for (int i = 1; i <= 3; ++i) now += net.vol(i) * rho_new(i);
  EXPECT_NEAR(now, mass, 1e-15 * mass);
  // The other two rows are steady balances (compliance only).
  for (int r = 1; r <= 2; ++r) EXPECT_NEAR(imbalance(w.perm(r)), 0.0, 1e-14) << r;
}

TEST_F(PressureEquationTest, LoopWithAHeldPressureKeepsItsRows) {
  tna_test::FluidModel f = tna_test::ring(4, true);
  f.node(3).cmp = 1.0e-8;
  setup(f, 7);
  store->w.loopflag = 1;
  store->w.loopmass(1) = 123.0;  // not used
  solve();
  EXPECT_EQ(store->w.pnew(1), net.p(1));
  for (int i = 2; i <= 4; ++i) EXPECT_NEAR(imbalance(i), 0.0, 1e-14) << i;
}

TEST_F(PressureEquationTest, TwoLoopsEachWithItsMassRow) {
  // Two separate rings: nodes 1-2-3 and 4-5-6.
  tna_test::FluidModel f;
  for (int i = 1; i <= 6; ++i) f.fluid(i);
  f.link(1, 2, 0.01);
  f.link(2, 3, 0.01);
  f.link(3, 1, 0.01);
  f.link(4, 5, 0.01);
  f.link(5, 6, 0.01);
  f.link(6, 4, 0.01);
  setup(f, 9);
  FgPass& w = store->w;
  ASSERT_EQ(w.nlp, 2);
  w.loopflag = 1;
  w.loopmass(1) = 0.2;
  w.loopmass(2) = 0.3;
  solve();
  for (int g = 0; g < 2; ++g) {
    double now = 0.0;
    for (int i = 3 * g + 1; i <= 3 * g + 3; ++i) now += net.vol(i) * rho_new(i);
    EXPECT_NEAR(now, g == 0 ? 0.2 : 0.3, 1e-15) << g;
  }
}

TEST_F(PressureEquationTest, NodeWithoutCapacityKeepsOnlyCompliance) {
  tna_test::FluidModel f = tna_test::chain(2);
  f.node(1).status = 'H';
  f.node(1).cmp = 1.0e-8;
  f.node(1).vdt = 2.0e-7;
  f.node(1).fm = 0.004;
  setup(f, 3);
  gar_massflowlinkstatuses(1) = "I";
  FgPass& w = store->w;
  FSUMGP(net, w, 1);
  const int d = w.id(w.pos(1));
  const double v = net.vol(1) / 0.1, s = 1.0e-8 * w.rho(1);
  EXPECT_DOUBLE_EQ(w.amat(d), v * s);
  EXPECT_DOUBLE_EQ(w.bvec(w.pos(1)), v * s * w.pold(1) - w.rho(1) * 2.0e-7 + 0.004);
}

TEST_F(PressureEquationTest, UnknownLinkTypeEndsTheRun) {
  tna_test::FluidModel f = tna_test::chain(2);
  f.link_spec(0).type = 7;
  setup(f, 1);
  EXPECT_THROW(FGFIPS(net, store->w), plat::ProcessExit);
  EXPECT_TRUE(has_message(listing(), "Unrecognised mass flow link type@Allowed types: momentum, evaporative."));
  EXPECT_TRUE(has_reference(listing(), "FSUMGP", 1));
}

}  // namespace
}  // namespace fluid_test
