// The hydraulic solution (FLHYSL, FLHYAS) with WATER from the property
// functions, against physics: Hagen-Poiseuille flow, the turbulent drop with
// Colebrook's factor, a static column, a pumped ring, a buoyancy loop; and
// its passes, the zero-pivot report and the node balances.
//
// The water is taken at a vapour quality of 1e-9: its homogeneous density
// and viscosity are those of the saturated liquid at the node's temperature
// to about nine digits (the single-phase liquid density of water is not in
// this build's property library).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <numeric>
#include <string>

#include "fluid/hydraulics.h"
#include "fluid/momentum.h"
#include "fluid_fixture.h"
#include "hydraulic_store.h"
#include "platform/process.h"
#include "properties/properties.h"

namespace fluid_test {
namespace {

constexpr double kQuality = 1.0e-9;
constexpr double kD = 0.01;
constexpr double kArea = 3.1415927 * kD * 0.25 * kD;  // FINITS's flow area of FD

class HydraulicSolutionTest : public FluidTest {
 protected:
  void SetUp() override {
    FluidTest::SetUp();
    GLOR.PABS = 0.0;
    GLOR.DAMPM = 1.0;
    GLOR.MINDP = 1.0e-6;
    GLOR.RELXMA = 1.0e-10;
    GLOI.NLOOPH = 100;
    GLOC.MODULE = "FLTNTS";
  }
  // Water nodes with the flow area of FINITS, a rough wall and a fitting
  // loss too small to matter.
  void setup(tna_test::FluidModel& f) {
    build(f);
    for (int i = 1; i <= net.nf; ++i) {
      net.fla(i) = kArea;
      net.vol(i) = kArea * net.fl(i);
      net.vq(i) = kQuality;
    }
    for (int k = 1; k <= net.nl; ++k) gar_massflowlinkfittinglosses(k) = 1.0e20;
    store = std::make_unique<HydraulicStore>(net);
  }
  void solve(int rate_flag = 0) {
    ierr = converged = passes = -1;
    FLHYSL(net, store->w, rate_flag, ierr, converged, passes);
    ASSERT_EQ(ierr, 0);
  }
  double rho(int i) const { return XRHO(net.p(i), net.tf(i), net.vq(i), 2, 0); }
  double nu(int i) const { return XVISC(net.p(i), net.tf(i), net.vq(i), 2, 0) / rho(i); }
  // Every free node balances its flows: sum in - sum out + FM = hrho x vrate
  // (0 without the rate flag).
  void expect_balanced(int rate_flag = 0) {
    for (int i = 1; i <= net.nf; ++i) {
      const char s = net.fstat(i).c[0];
      if (s == 'J' || s == 'R') continue;
      double net_in = net.fm(i);
      for (int k = 1; k <= net.nl; ++k) {
        if (!net.link_active(k)) continue;
        if (net.second(k) == i) net_in += net.m(k);
        if (net.first(k) == i) net_in -= net.m(k);
      }
      const double storage = rate_flag ? store->w.hrho(i) * store->w.vrate(i) : 0.0;
      EXPECT_NEAR(net_in, storage, 1e-9) << "node " << i;
    }
  }
  std::unique_ptr<HydraulicStore> store;
  int ierr = 0, converged = 0, passes = 0;
};

// A straight pipe of n nodes 1 m long at 20 C and of wall roughness e,
// held pressures at its ends.
tna_test::FluidModel pipe(int n, double p_in, double p_out, double e = 1.0e-5) {
  tna_test::FluidModel f = tna_test::chain(n);
  for (int i = 1; i <= n; ++i) f.node(i).ff = e;
  f.node(1).status = 'J';
  f.node(n).status = 'J';
  f.node(1).p = p_in;
  f.node(n).p = p_out;
  for (int i = 2; i < n; ++i) f.node(i).p = 0.5 * (p_in + p_out);
  return f;
}

// Both a rough wall and a smooth one (roughness 0, a drawn tube).
constexpr double kRoughnesses[] = {1.0e-5, 0.0};

TEST_F(HydraulicSolutionTest, LaminarPipeIsHagenPoiseuille) {
  // Laminar friction does not depend on the roughness: the smooth pipe
  // carries the same flow.
  for (double e : kRoughnesses) {
    SCOPED_TRACE("roughness " + std::to_string(e));
    const int n = 5;
    tna_test::FluidModel f = pipe(n, 2.0e5 + 20.0, 2.0e5, e);
    setup(f);
    solve();
    EXPECT_EQ(converged, 1);
    // Each link holds half of each end node's length: the pipe acts over
    // (n - 1) x 1 m, dp = 32 mu L m / (rho D^2 A) with the nodes' mean mu /
    // rho.
    double sum_nu = 0.0;
    for (int i = 1; i <= n; ++i) sum_nu += (i == 1 || i == n ? 1.0 : 2.0) * nu(i);
    const double mean_nu = sum_nu / (2.0 * (n - 1));
    const double expect = 20.0 * kD * kD * kArea / (32.0 * mean_nu * (n - 1) * 1.0);
    for (int k = 1; k < n; ++k) EXPECT_NEAR(net.m(k) / expect, 1.0, 1e-4) << "link " << k;
    EXPECT_LT(net.m(1) * kD / (kArea * XVISC(net.p(1), 20.0, kQuality, 2, 0)), 2000.0);  // laminar
    // Pressures fall linearly along the pipe.
    for (int i = 2; i < n; ++i) EXPECT_NEAR(net.p(i), 2.0e5 + 20.0 * (n - i) / (n - 1), 1e-3) << i;
    expect_balanced();
  }
}

// The friction law's smooth limit in the turbulent range, written out: X =
// log10(Re / 5.02), step 0.044 for 2 < X <= 10 (502 < Re <= 5e10), f = 1 /
// (16 (0.044 + log10(Re / (5.02 X)))^2).
double smooth_limit(double re) {
  const double x = std::log10(re / 5.02);
  EXPECT_TRUE(x > 2.0 && x <= 10.0) << re;
  const double y = 0.044 + std::log10(re / (5.02 * x));
  return 1.0 / (16.0 * y * y);
}

TEST_F(HydraulicSolutionTest, TurbulentPipeDropIsTwoFLMSquaredOverRhoA2D) {
  for (double e : kRoughnesses) {
    SCOPED_TRACE("roughness " + std::to_string(e));
    const int n = 5;
    tna_test::FluidModel f = pipe(n, 6.0e5, 2.0e5, e);  // e / D = 1e-3 or 0
    setup(f);
    GLOR.DAMPM = 0.5;  // the flow of a quadratic drop converges relaxed
    solve();
    EXPECT_EQ(converged, 1);
    const double m = net.m(1);
    for (int k = 2; k < n; ++k) EXPECT_NEAR(net.m(k), m, 1e-12 * m) << k;
    const double mu = XVISC(net.p(1), 20.0, kQuality, 2, 0);
    const double re = m * kD / (kArea * mu);
    EXPECT_GT(re, 4.0e4);
    // The drop of every link from its end factors (FLFRLS) is the pressure
    // difference the solution left over it; a smooth wall's factors are the
    // law's smooth limit.
    double total = 0.0;
    for (int k = 1; k < n; ++k) {
      const int a = net.first(k), b = net.second(k);
      double fa = 0.0, fb = 0.0;
      const double mua = XVISC(net.p(a), 20.0, kQuality, 2, 0), mub = XVISC(net.p(b), 20.0, kQuality, 2, 0);
      FLFRLS(kArea, kD, m, e, mua, fa);
      FLFRLS(kArea, kD, m, e, mub, fb);
      if (e == 0.0) {
        EXPECT_NEAR(fa, smooth_limit(m * kD / (kArea * mua)), 1e-12) << k;
        EXPECT_NEAR(fb, smooth_limit(m * kD / (kArea * mub)), 1e-12) << k;
      }
      const double drop = (fa / rho(a) + fb / rho(b)) * 1.0 * m * m / (kD * kArea * kArea);
      EXPECT_NEAR(drop / (net.p(a) - net.p(b)), 1.0, 1e-6) << k;
      total += drop;
    }
    // Colebrook: dp = 2 f L m^2 / (rho A^2 D) over (n - 1) m, within 3 %
    // (1.61 % for the smooth pipe).
    double fc = 0.005;
    for (int i = 0; i < 100; ++i) {
      const double y = -4.0 * std::log10(e / (3.7 * kD) + 1.256 / (re * std::sqrt(fc)));
      fc = 1.0 / (y * y);
    }
    const double colebrook = 2.0 * fc * (n - 1) * m * m / (rho(1) * kArea * kArea * kD);
    EXPECT_NEAR(total / colebrook, 1.0, e == 0.0 ? 0.0161 : 0.03);
    // Friction takes all of the 4e5 Pa but the acceleration of the fluid as
    // its density falls with the pressure (below 0.1 Pa).
    EXPECT_NEAR(total, 4.0e5, 0.1);
    expect_balanced();
  }
}

TEST_F(HydraulicSolutionTest, StaticColumnHoldsRhoGDz) {
  // A dead-end column above a held pressure, nodes 1 m apart in z, at rest:
  // each node lies rho g dz below the one beneath it (GRAVZ > 0 is gravity
  // acting towards -z).
  tna_test::FluidModel f = tna_test::chain(5);
  f.node(1).status = 'J';
  for (int i = 1; i <= 5; ++i) {
    f.node(i).fz = i - 1.0;
    f.node(i).ff = 1.0e-5;
  }
  for (int h = 0; h < 4; ++h) f.link_spec(h).flow = 0.0;
  setup(f);
  GLOR.GRAVZ = 9.81;
  solve();
  EXPECT_EQ(converged, 1);
  // The first pass moves nothing, so the solution stops with the densities
  // of the starting pressures (hrho); the water's density barely depends on
  // its pressure.
  for (int i = 1; i < 5; ++i) {
    const double dp = net.p(i) - net.p(i + 1);
    EXPECT_NEAR(dp / (9.81 * 0.5 * (store->w.hrho(i) + store->w.hrho(i + 1))), 1.0, 1e-12) << i;
    EXPECT_NEAR(dp / (9.81 * 0.5 * (rho(i) + rho(i + 1))), 1.0, 1e-6) << i;
    EXPECT_EQ(net.m(i), 0.0);
  }
  EXPECT_EQ(passes, 1);
  EXPECT_EQ(net.p(1), 2.0e5);
  EXPECT_NEAR((net.p(1) - net.p(5)) / (4.0 * 9.81 * 998.2), 1.0, 1e-3);  // water at 20 C
}

TEST_F(HydraulicSolutionTest, PumpedRingWithOneHeldNodeHasEqualFlows) {
  tna_test::FluidModel f = tna_test::ring(6, true);
  for (int i = 1; i <= 6; ++i) f.node(i).ff = 1.0e-5;
  setup(f);
  net.psrc(1) = 5000.0;  // the pump on link 1
  GLOR.DAMPM = 0.5;
  solve();
  EXPECT_EQ(converged, 1);
  const double m = net.m(1);
  EXPECT_GT(m, 0.0);
  for (int k = 2; k <= 6; ++k) EXPECT_NEAR(net.m(k), m, 1e-12 * m) << k;
  // The pump's head is spent in friction around the ring.
  double friction = 0.0;
  for (int k = 1; k <= 6; ++k) {
    const int a = net.first(k), b = net.second(k);
    double fa = 0.0, fb = 0.0;
    FLFRLS(kArea, kD, m, 1.0e-5, XVISC(net.p(a), 20.0, kQuality, 2, 0), fa);
    FLFRLS(kArea, kD, m, 1.0e-5, XVISC(net.p(b), 20.0, kQuality, 2, 0), fb);
    friction += (fa / rho(a) + fb / rho(b)) * m * m / (kD * kArea * kArea);
  }
  EXPECT_NEAR(friction / 5000.0, 1.0, 1e-6);
  EXPECT_EQ(net.p(1), 2.0e5);
  expect_balanced();
}

TEST_F(HydraulicSolutionTest, BuoyancyAlongXDrivesALoop) {
  // A square loop in the x-y plane: the leg at y = 0 (nodes 1, 2) hot, the
  // leg at y = 1 (nodes 3, 4) cold; links 1 -> 2 (up in x), 2 -> 3, 3 -> 4
  // (down in x), 4 -> 1. Gravity along x lifts the hot leg: positive flow.
  // With gravity along z the plane is level and nothing moves.
  for (int axis = 0; axis < 2; ++axis) {
    tna_test::FluidModel f = tna_test::ring(4, true);
    const double x[] = {0.0, 1.0, 1.0, 0.0}, y[] = {0.0, 0.0, 1.0, 1.0}, t[] = {80.0, 80.0, 20.0, 20.0};
    for (int i = 1; i <= 4; ++i) {
      f.node(i).fx = x[i - 1];
      f.node(i).fy = y[i - 1];
      f.node(i).t = t[i - 1];
      f.node(i).ff = 1.0e-5;
    }
    for (int h = 0; h < 4; ++h) f.link_spec(h).flow = 1.0e-3;
    setup(f);
    GLOR.GRAVX = axis == 0 ? 9.81 : 0.0;
    GLOR.GRAVZ = axis == 0 ? 0.0 : 9.81;
    GLOR.DAMPM = 0.5;
    GLOI.NLOOPH = 200;
    solve();
    EXPECT_EQ(converged, 1) << axis;
    for (int k = 1; k <= 4; ++k) {
      if (axis == 0) EXPECT_GT(net.m(k), 1.0e-3) << k;
      else EXPECT_LT(std::fabs(net.m(k)), 1.0e-9) << k;  // from 1e-3 at the start
    }
    expect_balanced();
  }
}

TEST_F(HydraulicSolutionTest, PassesAndTheRateFlag) {
  // Nothing to move: the first pass converges.
  tna_test::FluidModel f = pipe(3, 2.0e5, 2.0e5);
  for (int h = 0; h < 2; ++h) f.link_spec(h).flow = 0.0;
  setup(f);
  tna_test::BlockLog log;
  log.install();
  GLOI.NLOOPH = 5;
  solve(0);
  EXPECT_EQ(passes, 1);
  EXPECT_EQ(converged, 1);
  // With the rate flag at least two passes, unless NLOOPH is below 2 (the
  // step loops that set it have a step length).
  GLOR.DTIMEU = 1.0;
  solve(1);
  EXPECT_EQ(passes, 2);
  GLOI.NLOOPH = 1;
  solve(1);
  EXPECT_EQ(passes, 1);
  // Every pass runs VARIABLES1 with SOLTYP "FLUID"; SOLTYP is blank after.
  EXPECT_EQ(log.count("VARIABLES1"), 4);
  EXPECT_EQ(log.count("VARIABLES1", "FLUID"), 4);
  EXPECT_EQ(plat::trimmed(GLOC.SOLTYP.view()), "");
  // A pass limit stops an unconverged solution, which says so.
  tna_test::FluidModel g = pipe(5, 6.0e5, 2.0e5);
  setup(g);
  GLOI.NLOOPH = 3;
  GLOR.DAMPM = 0.5;
  solve(0);
  EXPECT_EQ(passes, 3);
  EXPECT_EQ(converged, 0);
  EXPECT_GE(GLOR.RELXMC, GLOR.RELXMA);
}

TEST_F(HydraulicSolutionTest, VolumeChangesEnterContinuityWithTheRateFlag) {
  tna_test::FluidModel f = pipe(4, 2.0e5 + 50.0, 2.0e5);
  f.node(2).cmp = 1.0e-9;
  setup(f);
  GLOR.DTIMEU = 1.0;
  store->w.vrate(2) = 2.0e-6;  // node 2 grows: it keeps some of what enters
  store->w.vrate(3) = -1.0e-6;
  GLOI.NLOOPH = 1;
  FLHYSL(net, store->w, 1, ierr, converged, passes);
  // The balance of the pass holds with the rates the assembly used; the
  // compliance then added its own change to node 2's rate.
  const double p2 = net.p(2);
  EXPECT_NE(store->w.vrate(2), 2.0e-6);
  store->w.vrate(2) = 2.0e-6;
  expect_balanced(1);
  EXPECT_NEAR(net.vol(2), kArea * 1.0 * (1.0 + (p2 - 2.0e5 - 25.0) * 1.0e-9), 1e-18);
}

TEST_F(HydraulicSolutionTest, ZeroPivotIsReportedWithItsNode) {
  // Two free nodes joined by one link and nothing to hold a pressure.
  tna_test::FluidModel f;
  f.fluid(31);
  f.fluid(47);
  f.link(31, 47, 0.01);
  setup(f);
  EXPECT_THROW(FLHYSL(net, store->w, 0, ierr, converged, passes), plat::ProcessExit);
  EXPECT_EQ(ierr, 1);
  const std::string text =
      "FLTNTS: Zero divide in matrix solution for pressure@Error ocurred in routine FHSFCT : Check boundary node "
      "definitions : Model=MAIN                    ,Node=       47";
  EXPECT_TRUE(has_message(listing(), text));
  EXPECT_TRUE(has_reference(listing(), "FLHYAS", 1));
  for (int i = 1; i <= store->w.ord.lprof; ++i) EXPECT_EQ(store->w.amat(i), 0.0);
}

TEST_F(HydraulicSolutionTest, ValuesThatAreNotNumbersEndTheRunWithTheirContext) {
  // A link whose resistance is not a number is the fault it is, not a link
  // without resistance; a pressure or flow that leaves a pass not finite
  // ends the solution at once. Each box names the node or link.
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* what;
    int nodes;                         // a pipe of 2 or 3 nodes, ends held
    std::function<void(FlNetwork&)> spoil;
    const char* problem;
    const char* info;                  // start of the Info part
    const char* context;
    const char* routine;
    int code;
  };
  const Case cases[] = {
      {"fitting loss", 3, [nan](FlNetwork&) { gar_massflowlinkfittinglosses(2) = nan; },
       "Mass-flow link resistance is not a number", "Dn = NaN with M = 0.100000E-01, GP = NaN",
       "Link 2 in main model", "FLHYCF", 31},
      {"no flow area", 3, [](FlNetwork& n) { n.fla(2) = 0.0; }, "Mass-flow link resistance is not a number",
       "Dn = NaN", "Link 1 in main model", "FLHYCF", 31},
      {"pressure source", 2, [inf](FlNetwork& n) { n.psrc(1) = inf; },
       "Hydraulic solution gave a flow that is not a finite number", "M = Inf", "Link 1 in main model", "FLHYAS",
       32},
      {"mass source", 3, [nan](FlNetwork& n) { n.fm(2) = nan; },
       "Hydraulic solution gave a pressure that is not a finite number", "P = NaN", "Node 2 in main model",
       "FLHYAS", 33},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fresh_listing();
    tna_test::FluidModel f = pipe(c.nodes, 2.0e5 + 20.0, 2.0e5);
    f.link_spec(0).flow = 0.01;
    setup(f);
    c.spoil(net);
    EXPECT_THROW(FLHYSL(net, store->w, 0, ierr, converged, passes), plat::ProcessExit);
    const std::string l = listing();
    const std::string action = c.code == 31 ? "Linearising the flow of the link"
                                            : "Solving the flows and pressures of the fluid network";
    EXPECT_TRUE(has_message(l, std::string(c.problem) + "@" + action + "@" + c.info)) << l;
    EXPECT_NE(l.find(c.context), std::string::npos) << l;
    EXPECT_TRUE(has_reference(l, c.routine, c.code)) << l;
  }
}

}  // namespace
}  // namespace fluid_test
