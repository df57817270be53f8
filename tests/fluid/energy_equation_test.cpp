// Energy equation of the two-phase iteration (FCNGTK with PHSCHT and
// MHXSET): assembled, solved by the profile solver and checked against the
// energy balances it states, and the carried states of the links,
// separated phases included. WATER at 1 bar in the two-phase range, where
// every property the equation uses is served.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "fgenfi_pass.h"
#include "fluid/energy_equation.h"
#include "fluid/profile_solver.h"
#include "fluid_fixture.h"
#include "platform/process.h"
#include "properties/properties.h"

namespace fluid_test {
namespace {

constexpr double kP = 1.0e5;

class EnergyEquationTest : public FluidTest {
 protected:
  void SetUp() override {
    FluidTest::SetUp();
    GLOR.DTIMEU = 2.0;
  }
  // Builds the model with every node two-phase at quality x (node num at
  // qualities(num) when given) and the work vectors at the start of a step.
  void setup(tna_test::FluidModel& f, double x = 0.3) {
    build(f);
    const int code = FTYPEI("WATER");
    ts = XTEMPS(kP, code, 0);
    hl = XENTHS(kP, ts, 0.0, code, 0);
    hv = XENTHS(kP, ts, 1.0, code, 0);
    store = std::make_unique<PassStore>(net);
    for (int i = 1; i <= net.nf; ++i) {
      net.p(i) = kP;
      net.tf(i) = ts;
      net.vq(i) = x;
      net.fe(i) = hl + x * (hv - hl);
      if (SDUNDF(net.fla(i))) net.fla(i) = 1.0e-2;
      net.vol(i) = net.fla(i) * net.fl(i);
    }
    refresh();
  }
  // Work vectors from the node states: the start of the step is now.
  void refresh() {
    FgPass& w = store->w;
    for (int i = 1; i <= net.nf; ++i) {
      w.rho(i) = w.rhoold(i) = XRHO(net.p(i), net.tf(i), net.vq(i), net.fluid_code(i), 0);
      w.pold(i) = w.pnew(i) = net.p(i);
      w.hold(i) = w.hnew(i) = net.fe(i);
      w.flaold(i) = net.fla(i);
      w.fmold(i) = net.fm(i);
    }
    for (int k = 1; k <= net.nl; ++k) w.mold(k) = net.m(k);
  }
  // Assembles and solves; the new enthalpies are in hnew.
  void solve() {
    FgPass& w = store->w;
    FCNGTK(net, w);
    double dmax = 0.0;
    int ierr = 0;
    plat::Text<6> routine;
    FHSKS1(w.amat, w.id, w.jl, w.ir, net.nf, w.perm, w.ju, w.lprof, w.bvec, w.hnew, dmax, ierr, routine);
    ASSERT_EQ(ierr, 0);
  }
  double h(const tna_test::FluidModel& f, int num) const { return store->w.hnew(f.findex(num)); }
  // Entry (row of node a, column of node b) after FCNGTK.
  double entry(int a, int b) const {
    const FgPass& w = store->w;
    const int r = w.pos(a);
    return w.amat(w.id(r) - r + w.pos(b));
  }

  std::unique_ptr<PassStore> store;
  double ts = 0.0, hl = 0.0, hv = 0.0;
};

// ---------------------------------------------------------------------------
// Storage, sources and conductors of a node on its own.

TEST_F(EnergyEquationTest, OneNodeStoresItsHeatInflows) {
  // One node heated by FQ, by GL, GR and GF conductors from a wall at 150 C
  // and a GF whose upstream end it is (which counts nowhere), and fed by a
  // mass source or drained by a negative one.
  struct Case {
    double fm, fh;
    const char* what;
  };
  const Case cases[] = {{0.0, 0.0, "no source"}, {1.0e-3, 2.9e6, "mass source in"}, {-1.0e-3, 0.0, "mass sink"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    tna_test::FluidModel f;
    f.thermal(100, 'B', 150.0);
    f.fluid(1).fq = 40.0;
    f.node(1).fm = c.fm;
    f.node(1).fh = c.fh;
    f.gl(100, 1, 2.0);
    f.gr(100, 1, 0.5);
    f.gf(100, 1, 3.0);
    f.gf(1, 100, 7.0);
    setup(f);
    const FgPass& w = store->w;
    solve();
    const double tw = 150.0 + 273.15, tn = ts + 273.15;
    const double q = 40.0 + (2.0 + 3.0) * (150.0 - ts) + 0.5 * 5.670374e-8 * (tw * tw * tw * tw - tn * tn * tn * tn);
    const double m = w.rho(1) * net.vol(1) / GLOR.DTIMEU;  // stored mass per unit time
    const double u = c.fm / (w.rho(1) * net.fla(1));
    double expect;
    if (c.fm > 0.0) expect = (m * w.hold(1) + c.fm * c.fh + 0.5 * c.fm * u * u + q) / (m + c.fm);
    else expect = w.hold(1) + (q - 0.5 * std::fabs(c.fm) * u * u) / m;
    EXPECT_NEAR(w.hnew(1), expect, 1e-9 * expect);
  }
}

TEST_F(EnergyEquationTest, FluidNodesOfTwoModelsExchangeHeatThroughTheirConductors) {
  // Fluid node 1 of the main model at 1 bar and fluid node 2 of submodel SUB
  // at 2 bar (both two-phase, so at their saturation temperatures) joined by
  // an inter-model GL and GR; node 1 also sees a wall (thermal node 100) by
  // a GL. The far end of an inter-model conductor is the other fluid node at
  // its own temperature: what one node gains the other loses.
  tna_test::FluidModel f;
  const int sub = f.submodel("SUB");
  f.thermal(100, 'B', 150.0);
  f.fluid(1);
  f.fluid(2, sub);
  f.gl(100, 1, 2.0);
  f.gl(1, 2, 3.0);
  f.gr(2, 1, 0.5);
  setup(f);
  const int k1 = f.findex(1), k2 = f.findex(2), code = net.fluid_code(k2);
  const double p2 = 2.0e5, ts2 = XTEMPS(p2, code, 0);
  const double hl2 = XENTHS(p2, ts2, 0.0, code, 0), hv2 = XENTHS(p2, ts2, 1.0, code, 0);
  net.p(k2) = p2;
  net.tf(k2) = ts2;
  net.fe(k2) = hl2 + 0.3 * (hv2 - hl2);
  refresh();
  solve();
  const FgPass& w = store->w;
  auto fourth = [](double t) { return t * t * t * t; };
  const double t1 = ts + 273.15, t2 = ts2 + 273.15;
  const double exchange = 3.0 * (ts2 - ts) + 0.5 * 5.670374e-8 * (fourth(t2) - fourth(t1));
  ASSERT_GT(exchange, 10.0);
  auto gained = [&](int k) { return (w.hnew(k) - w.hold(k)) * w.rho(k) * net.vol(k) / GLOR.DTIMEU; };
  EXPECT_NEAR(gained(k1), exchange + 2.0 * (150.0 - ts), 1e-9 * exchange);
  EXPECT_NEAR(gained(k2), -exchange, 1e-9 * exchange);
}

TEST_F(EnergyEquationTest, NodeWithoutStorageOrFlowKeepsItsEnthalpy) {
  tna_test::FluidModel f;
  f.fluid(1).status = 'H';
  f.node(1).fq = 50.0;
  setup(f);
  const double before = net.fe(1);
  solve();
  EXPECT_EQ(store->w.hnew(1), before);
}

// ---------------------------------------------------------------------------
// Through-flow: upwind enthalpies and the nodes that hold theirs.

TEST_F(EnergyEquationTest, ThroughFlowAddsHeatOverFlow) {
  // A chain 1 -> 2 -> 3 -> 4 without storage ("H") fed by node 1: each node
  // leaves at its inflow's enthalpy plus its heat over the flow (the kinetic
  // energies of equal nodes cancel, except at the end of the chain, where
  // the inflow's remains). The feed node holds its enthalpy ("R" or "K"),
  // and its enthalpy then enters the next row as a known value, not as a
  // coefficient; a feed of status "F" with storage enters as a coefficient.
  for (char feed : {'R', 'K', 'F'}) {
    SCOPED_TRACE(feed);
    gar_deallocate_all();
    tna_test::FluidModel f = tna_test::chain(4);
    f.node(1).status = feed;
    for (int i = 2; i <= 4; ++i) {
      f.node(i).status = 'H';
      f.node(i).fq = 100.0 * i;
    }
    setup(f);
    const double m = 0.01, u = m / (store->w.rho(4) * net.fla(4));
    FCNGTK(net, store->w);
    if (feed == 'F') EXPECT_EQ(entry(2, 1), -m);
    else EXPECT_EQ(entry(2, 1), 0.0);
    EXPECT_EQ(entry(3, 2), -m);
    std::fill(store->w.amat.data(), store->w.amat.data() + store->w.lprof, 0.0);
    solve();
    const double h1 = h(f, 1);
    if (feed != 'F') {
      EXPECT_EQ(h1, net.fe(1));
    }
    EXPECT_NEAR(h(f, 2), h1 + 200.0 / m, 1e-6);
    EXPECT_NEAR(h(f, 3), h1 + 500.0 / m, 1e-6);
    EXPECT_NEAR(h(f, 4), h1 + 900.0 / m + 0.5 * u * u, 1e-6);
  }
}

TEST_F(EnergyEquationTest, ReversedFlowTakesTheOtherUpstreamNode) {
  // The same chain with negative flows: node 4 feeds.
  tna_test::FluidModel f = tna_test::chain(4);
  for (int k = 0; k < 3; ++k) f.link_spec(k).flow = -0.02;
  f.node(4).status = 'R';
  for (int i = 1; i <= 3; ++i) {
    f.node(i).status = 'H';
    f.node(i).fq = 10.0;
  }
  setup(f);
  solve();
  const double u = 0.02 / (store->w.rho(1) * net.fla(1));
  EXPECT_NEAR(h(f, 3), net.fe(4) + 10.0 / 0.02, 1e-6);
  EXPECT_NEAR(h(f, 1), net.fe(4) + 30.0 / 0.02 + 0.5 * u * u, 1e-6);
  // Every link carries the state of the node it leaves (its second node).
  for (int k = 1; k <= 3; ++k) EXPECT_EQ(net.lh(k), net.fe(net.second(k))) << k;
}

TEST_F(EnergyEquationTest, EvaporativeLinkBringsSaturatedVapour) {
  // Node 2 (no storage) receives only an evaporative link: it leaves with
  // saturated vapour at its own pressure.
  tna_test::FluidModel f = tna_test::chain(2);
  f.node(1).status = 'R';
  f.node(2).status = 'H';
  f.link_spec(0).type = 2;
  setup(f);
  net.p(2) = 2.0e5;
  const double ts2 = XTEMPS(2.0e5, net.fluid_code(2), 0);
  net.tf(2) = ts2;
  solve();
  EXPECT_NEAR(h(f, 2), XENTHS(2.0e5, ts2, 1.0, net.fluid_code(2), 0), 1e-6);
}

TEST_F(EnergyEquationTest, UnknownLinkTypeEndsTheRun) {
  tna_test::FluidModel f = tna_test::chain(2);
  f.link_spec(0).type = 3;
  setup(f);
  EXPECT_THROW(FCNGTK(net, store->w), plat::ProcessExit);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, "Unrecognised mass flow link type@Allowed types: momentum, evaporative.")) << l;
  EXPECT_TRUE(has_reference(l, "FCNGTK", 1)) << l;
}

// ---------------------------------------------------------------------------
// Phase separation.

// A separator: node 1 feeds node 2, which is drained by a liquid link (to
// node 3, separation quality 0) and a vapour link (to node 4, quality 1).
tna_test::FluidModel separator(char status, double m_liquid, double m_vapour) {
  tna_test::FluidModel f;
  for (int i = 1; i <= 4; ++i) f.fluid(i);
  f.node(1).status = 'R';
  f.node(2).status = status;
  f.link(1, 2, m_liquid + m_vapour);
  f.link(2, 3, m_liquid);
  f.link(2, 4, m_vapour);
  return f;
}

TEST_F(EnergyEquationTest, SeparatorAtAHeldNodeGivesTheSeparationQualities) {
  tna_test::FluidModel f = separator('R', 0.01, 0.01);
  setup(f, 0.4);
  gar_massflowlinkphasesepflags(1, 2) = 1;
  gar_massflowlinkphasesepvapquals(1, 2) = 0.0;
  gar_massflowlinkphasesepflags(1, 3) = 1;
  gar_massflowlinkphasesepvapquals(1, 3) = 1.0;
  FCNGTK(net, store->w);
  EXPECT_EQ(net.lvq(2), 0.0);
  EXPECT_EQ(net.lvq(3), 1.0);
  EXPECT_EQ(net.lh(2), hl);
  EXPECT_EQ(net.lh(3), hv);
  // The link without a flag carries the node's own state.
  EXPECT_EQ(net.lh(1), net.fe(1));
  EXPECT_EQ(net.lvq(1), net.vq(1));
}

TEST_F(EnergyEquationTest, SeparatorDrawsNoMoreLiquidThanItHas) {
  // A long step: the liquid link asks for more liquid than the node holds
  // plus what flows in, so its quality rises until it draws exactly the
  // liquid there is; the vapour link keeps quality 1. With a short step both
  // links draw their pure phases, and the separated enthalpies enter their
  // receiving nodes as known values.
  tna_test::FluidModel f = separator('F', 0.05, 0.001);
  setup(f, 0.5);
  gar_massflowlinkphasesepflags(1, 2) = 1;
  gar_massflowlinkphasesepvapquals(1, 2) = 0.0;
  gar_massflowlinkphasesepflags(1, 3) = 1;
  gar_massflowlinkphasesepvapquals(1, 3) = 1.0;
  // Node 1 feeds at the carried state of link 1 (node 1's own).
  net.lh(1) = net.fe(1);
  GLOR.DTIMEU = 1000.0;
  refresh();
  FCNGTK(net, store->w);
  const FgPass& w = store->w;
  const double dt = GLOR.DTIMEU, mass = w.rho(2) * net.vol(2);
  const double in = 0.051 * dt;
  const double hm = (in * net.fe(1) + mass * net.fe(2)) / (in + mass);
  const double liquid = (1.0 - (hm - hl) / (hv - hl)) * (in + mass);
  ASSERT_GT(0.05 * dt, liquid);
  EXPECT_GT(net.lvq(2), 0.0);
  EXPECT_NEAR((1.0 - net.lvq(2)) * 0.05 * dt, liquid, 1e-9 * liquid);
  EXPECT_NEAR(net.lh(2), hl + net.lvq(2) * (hv - hl), 1e-6);
  EXPECT_EQ(net.lvq(3), 1.0);
  EXPECT_EQ(entry(3, 2), 0.0);  // the separated enthalpy is known, not a coefficient

  std::fill(store->w.amat.data(), store->w.amat.data() + store->w.lprof, 0.0);
  GLOR.DTIMEU = 0.1;
  refresh();
  FCNGTK(net, store->w);
  EXPECT_EQ(net.lvq(2), 0.0);
  EXPECT_EQ(net.lh(2), hl);
  EXPECT_EQ(net.lh(3), hv);
}

TEST_F(EnergyEquationTest, PhaseFiguresOfANodeOutsideTheTwoPhaseRange) {
  // A subcooled mixture has no separating outflow; a held node has an
  // unlimited supply.
  tna_test::FluidModel f = separator('F', 0.01, 0.01);
  setup(f, 0.5);
  gar_massflowlinkphasesepflags(1, 2) = 1;
  net.lh(1) = net.fe(1);
  const FgPhases two = PHSCHT(net, 2, net.fe(2), hl, hv, 1.0);
  EXPECT_EQ(two.s, 1);
  EXPECT_NEAR(two.la, 0.5 * (1.0 + 0.02 * GLOR.DTIMEU), 1e-12);
  EXPECT_NEAR(two.ld, 0.01 * GLOR.DTIMEU, 1e-15);
  net.lh(1) = hl - 1000.0;
  const FgPhases cold = PHSCHT(net, 2, hl - 1000.0, hl, hv, 1.0);
  EXPECT_EQ(cold.s, 0);
  EXPECT_EQ(cold.lok, 1);
  EXPECT_EQ(cold.vok, 1);
}

}  // namespace
}  // namespace fluid_test
