// Momentum linearisation of the two-phase pass (FCMOMK) and the pass as a
// whole: FCMOMK, FGFIPS with the profile solver and FMCALC find the same
// steady flows and pressures as the hydraulic solution of the single-phase
// routines (FLHYSL) when nothing stores mass (QTRSOL "YES").
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "fgenfi_pass.h"
#include "fluid/continuity.h"
#include "fluid/hydraulics.h"
#include "fluid/momentum.h"
#include "fluid/pressure_equation.h"
#include "fluid/profile_solver.h"
#include "fluid_fixture.h"
#include "hydraulic_store.h"
#include "platform/process.h"
#include "properties/properties.h"

namespace fluid_test {
namespace {

constexpr double kQuality = 1.0e-9;
constexpr double kArea = 3.1415927 * 0.01 * 0.25 * 0.01;

class TwoPhasePassTest : public FluidTest {
 protected:
  void SetUp() override {
    FluidTest::SetUp();
    GLOR.DAMPM = 1.0;
    GLOR.MINDP = 1.0e-6;
    GLOR.RELXMA = 1.0e-10;
    GLOR.DTIMEU = 0.1;
    GLOI.NLOOPH = 100;
  }
  void setup(tna_test::FluidModel& f) {
    build(f);
    for (int i = 1; i <= net.nf; ++i) {
      net.fla(i) = kArea;
      net.vol(i) = kArea * net.fl(i);
      net.vq(i) = kQuality;
    }
    for (int k = 1; k <= net.nl; ++k) gar_massflowlinkfittinglosses(k) = 1.0e20;
    store = std::make_unique<PassStore>(net);
    store->w.loopflag = 1;
    densities();
  }
  // Densities of the iterate at the nodes' states; nothing depends on
  // enthalpy or pressure in the linearisation.
  void densities() {
    for (int i = 1; i <= net.nf; ++i) {
      const double r = XRHO(net.p(i), net.tf(i), net.vq(i), net.fluid_code(i), 0);
      store->w.rho(i) = store->w.rhoold(i) = r;
      store->w.drdp(i) = store->w.drdh(i) = 0.0;
      store->w.pold(i) = store->w.pnew(i) = net.p(i);
      store->w.hold(i) = store->w.hnew(i) = net.fe(i);
    }
  }
  // Passes of momentum, pressure and flows until the flows settle.
  int iterate(int limit) {
    FgPass& w = store->w;
    for (int pass = 1; pass <= limit; ++pass) {
      FCMOMK(net, w);
      FGFIPS(net, w);
      double dmax = 0.0;
      int ierr = 0;
      plat::Text<6> routine;
      FHSKS1(w.amat, w.id, w.jl, w.ir, net.nf, w.perm, w.ju, w.lprof, w.bvec, w.pnew, dmax, ierr, routine);
      EXPECT_EQ(ierr, 0);
      FMCALC(net, w);
      for (int i = 1; i <= net.nf; ++i) net.p(i) = w.pnew(i);
      densities();
      if (GLOR.RELXMC < GLOR.RELXMA) return pass;
    }
    return limit + 1;
  }
  // Dn of link k from its pressure coefficient.
  double dn(int k) const { return 1.0 / store->w.lnkcp(k); }
  std::unique_ptr<PassStore> store;
};

// A pipe of five nodes with held pressures at its ends.
tna_test::FluidModel pipe(double p_in, double p_out) {
  tna_test::FluidModel f = tna_test::chain(5);
  f.node(1).status = 'J';
  f.node(5).status = 'J';
  f.node(1).p = p_in;
  f.node(5).p = p_out;
  return f;
}

TEST_F(TwoPhasePassTest, SteadyPassesAgreeWithTheHydraulicSolution) {
  struct Case {
    double dp, dampm, gravz;
    const char* what;
  };
  const Case cases[] = {{20.0, 1.0, 0.0, "laminar"}, {4.0e5, 0.5, 0.0, "turbulent"}, {300.0, 0.5, 9.81, "uphill"}};
  for (const Case& c : cases) {
    GLOR.GRAVZ = c.gravz;
    GLOR.DAMPM = c.dampm;
    // The hydraulic solution of the single-phase routines.
    tna_test::FluidModel a = pipe(2.0e5 + c.dp, 2.0e5);
    for (int i = 1; i <= 5; ++i) a.node(i).fz = 0.25 * (i - 1);
    setup(a);
    HydraulicStore hs(net);
    int ierr = 0, converged = 0, passes = 0;
    FLHYSL(net, hs.w, 0, ierr, converged, passes);
    ASSERT_EQ(converged, 1) << c.what;
    std::vector<double> m(5), p(6);
    for (int k = 1; k <= 4; ++k) m[k] = net.m(k);
    for (int i = 1; i <= 5; ++i) p[i] = net.p(i);
    // The same pipe through the two-phase pass.
    gar_deallocate_all();
    tna_test::FluidModel b = pipe(2.0e5 + c.dp, 2.0e5);
    for (int i = 1; i <= 5; ++i) b.node(i).fz = 0.25 * (i - 1);
    setup(b);
    // FMCALC relaxes by DAMPM squared: the same step as DAMPM in FLMSFL.
    GLOR.DAMPM = std::sqrt(c.dampm);
    EXPECT_LT(iterate(200), 200) << c.what;
    for (int k = 1; k <= 4; ++k) EXPECT_NEAR(net.m(k) / m[k], 1.0, 1e-6) << c.what << " link " << k;
    for (int i = 2; i <= 4; ++i) EXPECT_NEAR(net.p(i) - p[i], 0.0, 1e-6 * c.dp) << c.what << " node " << i;
    gar_deallocate_all();
  }
}

TEST_F(TwoPhasePassTest, InertiaOnlyWithoutTheLoopMassFlag) {
  // Dn gains the inertance 0.5 (L1 / A1 + L2 / A2) over DTIMEU when QTRSOL
  // is not "YES", and the constant the previous flow's momentum.
  tna_test::FluidModel f = pipe(2.0e5 + 100.0, 2.0e5);
  f.node(3).status = 'H';  // no inertia at a node without capacity
  setup(f);
  FgPass& w = store->w;
  FCMOMK(net, w);
  const double dn_steady[] = {0.0, dn(1), dn(2), dn(3), dn(4)};
  const double c0_steady[] = {0.0, w.lnkc0(1), w.lnkc0(2), w.lnkc0(3), w.lnkc0(4)};
  w.loopflag = 0;
  for (int k = 1; k <= 4; ++k) w.mold(k) = 0.02;
  FCMOMK(net, w);
  const double half = 0.5 * (1.0 / kArea), dt = 0.1;
  EXPECT_NEAR(dn(1) - dn_steady[1], (half + half) / dt, 1e-6 * dn(1));
  EXPECT_NEAR(dn(2) - dn_steady[2], half / dt, 1e-6 * dn(2));  // node 3 is "H"
  EXPECT_NEAR(dn(3) - dn_steady[3], half / dt, 1e-6 * dn(3));
  EXPECT_NE(w.lnkc0(1), c0_steady[1]);
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(w.lnkflg(k), 1);
  // With the loop-mass flag the terms over the step are absent, not 0 / 0,
  // whatever DTIMEU holds.
  w.loopflag = 1;
  GLOR.DTIMEU = 0.0;
  FCMOMK(net, w);
  for (int k = 1; k <= 4; ++k) {
    EXPECT_NEAR(dn(k), dn_steady[k], 1e-12 * dn(k)) << k;
    EXPECT_EQ(w.lnkc0(k), c0_steady[k]) << k;
    EXPECT_TRUE(std::isfinite(w.lnkc1(k)) && std::isfinite(w.lnkc2(k))) << k;
  }
}

TEST_F(TwoPhasePassTest, ClosedSmoothPumpedAndInactiveLinks) {
  tna_test::FluidModel f = pipe(2.0e5, 2.0e5);
  f.node(4).fl = 0.0;
  f.node(5).fl = 0.0;
  f.link_spec(1).status = 'I';
  setup(f);
  FgPass& w = store->w;
  gar_massflowlinkfittinglosses(1) = 0.0;  // closed
  gar_massflowlinkfittinglosses(4) = 2.0;  // a real fitting loss
  w.lnkflg(2) = 9;
  w.lnkcp(2) = 3.0;
  FCMOMK(net, w);
  EXPECT_EQ(w.lnkflg(1), 0);
  EXPECT_EQ(w.lnkcp(1), 0.0);
  EXPECT_EQ(w.lnkc0(1), 0.0);
  // Inactive: coefficients cleared, flag kept.
  EXPECT_EQ(w.lnkflg(2), 9);
  EXPECT_EQ(w.lnkcp(2), 0.0);
  // No wall length at either end: only the fitting loss 0.5 |m| / (GP rho
  // A^2).
  const double m = net.m(4), rho = w.rho(4);
  EXPECT_NEAR(dn(4), 0.5 * m / (2.0 * rho * kArea * kArea), 1e-9 * dn(4));
  // A head falling with the flow (dps < 0) adds |dps| / rho upstream.
  const double before = dn(4);
  net.psrc(4) = 1000.0;
  net.psrcd(4) = -2.0e6;
  FCMOMK(net, w);
  EXPECT_NEAR(dn(4) - before, 2.0e6 / rho, 1e-9 * dn(4));
  EXPECT_NEAR(w.lnkc0(4), (1000.0 + m * 2.0e6 / rho) / dn(4), 1e-12);
}

TEST_F(TwoPhasePassTest, SeparatedPhaseTakesTheLinkQuality) {
  // No wall length and no storage: Dn is the fitting loss alone, 0.5 |m| /
  // (GP rhou A^2), so the upstream density shows.
  tna_test::FluidModel f = pipe(2.0e5, 2.0e5);
  for (int i = 1; i <= 5; ++i) {
    f.node(i).fl = 0.0;
    f.node(i).vq = 0.2;
    f.node(i).t = 120.0;
  }
  setup(f);
  for (int i = 1; i <= 5; ++i) net.vq(i) = 0.2;
  densities();
  for (int k = 1; k <= 4; ++k) gar_massflowlinkfittinglosses(k) = 5.0;
  FgPass& w = store->w;
  gar_massflowlinkphasesepflags(1, 2) = 1;  // link 2 draws from its first node
  gar_massflowlinkvapquals(2) = 0.0001;     // almost only liquid
  gar_massflowlinkvapquals(3) = 0.0001;     // not separating: ignored
  FCMOMK(net, w);
  const double m = 0.01;
  const double rho_sep = XRHO(net.p(2), net.tf(2), 0.0001, 2, 0);
  EXPECT_NEAR(dn(2), 0.5 * m / (5.0 * rho_sep * kArea * kArea), 1e-9 * dn(2));
  EXPECT_NEAR(dn(3), 0.5 * m / (5.0 * w.rho(3) * kArea * kArea), 1e-9 * dn(3));
  EXPECT_GT(rho_sep, 50.0 * w.rho(2));
  // Flowing backwards the link draws from its second node: flag 2.
  net.m(2) = -m;
  FCMOMK(net, w);
  EXPECT_NEAR(dn(2), 0.5 * m / (5.0 * w.rho(3) * kArea * kArea), 1e-9 * dn(2));
}

TEST_F(TwoPhasePassTest, ThroughFlowAtAQNode) {
  // Node 2 of status "Q": the momentum flux at its end of link 2 uses its
  // through-flow (G of SMFLX1) instead of the link's own flow.
  tna_test::FluidModel f = pipe(2.0e5, 2.0e5);
  f.node(2).status = 'Q';
  f.node(2).fm = 0.004;
  for (int i = 1; i <= 5; ++i) f.node(i).fl = 0.0;  // no wall friction
  setup(f);
  FgPass& w = store->w;
  for (int k = 1; k <= 4; ++k) gar_massflowlinkfittinglosses(k) = 5.0;
  net.m(1) = 0.006;
  FCMOMK(net, w);
  // Link 2 (2 -> 3): U = node 2 "Q", W = node 3: G at U = FM + the flow of
  // link 1 into it; phi1 = G / A^2, phi2 = m / A^2.
  const double m = net.m(2), g = 0.004 + 0.006, a2 = kArea * kArea;
  const double rhof = w.rho(2);  // no lengths: the face lies at node 2
  const double r = 0.5 * m / (5.0 * w.rho(2) * a2);
  EXPECT_NEAR(dn(2), (m / a2 - g / a2) * 2.0 / rhof + r, 1e-9 * std::fabs(dn(2)));
}

TEST_F(TwoPhasePassTest, EvaporativeLinkWithoutHeatCarriesNothing) {
  tna_test::FluidModel f = pipe(2.0e5, 2.0e5);
  f.link_spec(1).type = 2;
  setup(f);
  store->w.lnkcp(2) = store->w.lnkc0(2) = 4.0;
  FCMOMK(net, store->w);
  EXPECT_EQ(store->w.lnkcp(2), 0.0);
  EXPECT_EQ(store->w.lnkc1(2), 0.0);
  EXPECT_EQ(store->w.lnkc2(2), 0.0);
  EXPECT_EQ(store->w.lnkc0(2), 0.0);
}

TEST_F(TwoPhasePassTest, LinkWithoutUsableResistanceAtTinyFlows) {
  // With QTRSOL "YES" nothing but friction and the fitting loss (GP 1) is
  // left in Dn. Walls keep their laminar resistance down to no flow, even
  // below the smallest flow the friction law evaluates (1e-37): Dn = 16 mu
  // (L1 + L2) / (rho D^2 A). Without walls (no length) Dn = 0.5 |m| / (GP
  // rho A^2) shrinks with the flow: at 1e-170 kg/s the linearised drop m Dn
  // underflows to 0 and at no flow Dn is 0, a link without usable
  // resistance (flag -1, Cm 1) also with MINDP 0.
  struct Row {
    double fl, m;
    int flag;
  };
  const Row rows[] = {{1.0, 1.0e-40, 1}, {1.0, 0.0, 1}, {0.0, 1.0e-100, 1}, {0.0, 1.0e-170, -1}, {0.0, 0.0, -1}};
  for (const Row& r : rows) {
    SCOPED_TRACE("FL " + std::to_string(r.fl) + ", m " + std::to_string(r.m));
    tna_test::FluidModel f = pipe(2.0e5, 2.0e5);
    for (int i = 1; i <= 5; ++i) f.node(i).fl = r.fl;
    setup(f);
    GLOR.MINDP = 0.0;
    for (int k = 1; k <= 4; ++k) gar_massflowlinkfittinglosses(k) = 1.0;
    net.m(2) = r.m;
    FgPass& w = store->w;
    FCMOMK(net, w);
    EXPECT_EQ(w.lnkflg(2), r.flag);
    if (r.flag == -1) {
      EXPECT_EQ(w.lnkcp(2), 1.0);
    } else {
      const double rho = w.rho(2), mu = XVISC(net.p(2), net.tf(2), net.vq(2), 2, 0);
      const double loss = 0.5 * r.m / (rho * kArea * kArea);
      const double walls = r.fl > 0.0 ? 16.0 * mu * 2.0 / (rho * 0.01 * 0.01 * kArea) : 0.0;
      EXPECT_NEAR(dn(2), walls + loss, 1e-9 * (walls + loss));
    }
    for (double c : {w.lnkcp(2), w.lnkc1(2), w.lnkc2(2), w.lnkc0(2)}) EXPECT_TRUE(std::isfinite(c));
    gar_deallocate_all();
  }
}

TEST_F(TwoPhasePassTest, ResistanceNotANumberEndsTheRun) {
  tna_test::FluidModel f = pipe(2.0e5, 2.0e5);
  setup(f);
  gar_massflowlinkfittinglosses(3) = std::numeric_limits<double>::quiet_NaN();
  EXPECT_THROW(FCMOMK(net, store->w), plat::ProcessExit);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, "Mass-flow link resistance is not a number@Linearising the flow of the link@Dn = NaN"))
      << l;
  EXPECT_NE(l.find("Link 3 in main model"), std::string::npos) << l;
  EXPECT_TRUE(has_reference(l, "FCMOMK", 31)) << l;
}

TEST_F(TwoPhasePassTest, EvaporativeLinkCarriesItsEvaporatedFlow) {
  // Link 2 of a two-phase pipe (node 2 subcooled at 100 C, node 3 boiling
  // at 2 bar) evaporates 2 kW: its flow is Q / (hv - h1), hv the saturated
  // vapour's enthalpy at node 3's pressure and h1 node 2's enthalpy, and
  // its pressure coefficient the slope of hv with pressure (LDHSDP) times
  // that flow squared over Q.
  tna_test::FluidModel f = pipe(2.0e5, 2.0e5);
  f.link_spec(1).type = 2;
  setup(f);
  const double p3 = net.p(3), q = 2000.0;
  net.fe(2) = 4.0e5;  // J/kg, liquid below saturation at 2 bar
  net.m(2) = 0.0007;
  gar_massflowlinkevapheatfluxes(2) = q;
  FgPass& w = store->w;
  FCMOMK(net, w);
  const double ts = XTEMPS(p3, 2, 0), hv = XENTHS(p3, ts, 1.0, 2, 0);
  const double evaporated = q / (hv - 4.0e5);
  EXPECT_NEAR(w.lnkc2(2), evaporated, 1e-12 * evaporated);
  EXPECT_GT(evaporated, 2000.0 / 2.8e6);
  const double slope = LDHSDP(2, net.global(3), p3, 1.0);
  EXPECT_GT(slope, 0.0);  // hv rises with pressure at 2 bar
  EXPECT_NEAR(w.lnkcp(2), slope * evaporated * evaporated / q, 1e-12 * w.lnkcp(2));
  EXPECT_EQ(w.lnkc1(2), 0.0);
  EXPECT_NEAR(w.lnkc0(2), p3 * w.lnkcp(2) + 0.0007, 1e-12 * std::fabs(w.lnkc0(2)));
  // The slope is the Clausius-Clapeyron slope of the saturation temperature
  // less the Joule-Thomson coefficient, times the specific heat: against a
  // central difference of hv over +-100 Pa.
  const double dp = 100.0;
  const double hv_up = XENTHS(p3 + dp, XTEMPS(p3 + dp, 2, 0), 1.0, 2, 0);
  const double hv_dn = XENTHS(p3 - dp, XTEMPS(p3 - dp, 2, 0), 1.0, 2, 0);
  EXPECT_NEAR(slope, (hv_up - hv_dn) / (2.0 * dp), 0.05 * slope);
  // The pass takes the evaporated flow, relaxed by DAMPM squared.
  GLOR.DAMPM = 0.5;
  FMCALC(net, w);
  EXPECT_NEAR(net.m(2), 0.0007 + 0.25 * (evaporated - 0.0007), 1e-15);
}

TEST_F(TwoPhasePassTest, UnknownLinkTypeEndsTheRun) {
  tna_test::FluidModel f = pipe(2.0e5, 2.0e5);
  f.link_spec(2).type = 0;
  setup(f);
  EXPECT_THROW(FCMOMK(net, store->w), plat::ProcessExit);
  EXPECT_TRUE(has_message(listing(), "Unrecognised mass flow link type@Allowed types: momentum, evaporative."));
  EXPECT_TRUE(has_reference(listing(), "FCMOMK", 1));
}

}  // namespace
}  // namespace fluid_test
