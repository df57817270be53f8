// FLTNTS on water loops, against physics: a heated pipe in its steady state
// (the rise of each node is its heat over the heat-capacity rate of the flow
// that enters it), a pipe cooled by walls through GL conductors (the
// upwind balance of every node), the order of accuracy of the implicit step
// for a capacity fed from a fixed inlet, the hydraulic part of every pass,
// and energy conservation over a transient of a closed loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "fluid/fluid_services.h"
#include "fluid_fixture.h"
#include "properties/properties.h"

namespace fluid_test {
namespace {

class FltntsWater : public FluidTest {
 protected:
  void SetUp() override {
    FluidTest::SetUp();
    log.install();
  }
  // Runs FLTNTS from 0 to tend in steps of dt after FINITS has completed the
  // states.
  void run(double tend, double dt, int nloop = 200) {
    FINITS(" ", -1);
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = tend;
    GLOR.OUTINT = tend;
    GLOR.DTIMEI = dt;
    GLOR.DTMAX = dt;
    GLOR.DTMIN = 1.0e-3;
    GLOI.NLOOP = nloop;
    FLTNTS();
  }
  // Specific heat of fluid node k at its state.
  double cp(int k) const { return XCP(net.p(k), net.tf(k), net.vq(k), FTYPEI(net.ftypes(k).view()), net.global(k)); }
  // Mean specific heat of the two ends of link l, times its flow.
  double capacity_rate(int l) const { return std::fabs(net.m(l)) * 0.5 * (cp(net.first(l)) + cp(net.second(l))); }

  tna_test::BlockLog log;
};

// ---------------------------------------------------------------------------
// Steady states.

// A pipe of five nodes: an inlet (node 1) at 20 C, heat on nodes 2-5, the
// outlet (node 5) held at 2 bar. Inlet "R" holds its pressure 200 Pa above
// the outlet's; inlet "K" holds its temperature and is fed 0.01 kg/s by a
// mass source. With walls (thermal nodes 101-104 of status "B" at 60 C, each
// joined to its node by a GL of 2 W/K) the balance of node i is
// G (T(i-1) - T(i)) + GL (Tw - T(i)) + Q(i) = 0.
TEST_F(FltntsWater, HeatedPipeInItsSteadyState) {
  struct Case {
    const char* what;
    char inlet;
    bool walls;
  };
  const Case cases[] = {{"inlet R", 'R', false}, {"inlet K", 'K', false}, {"inlet R, walls", 'R', true}};
  const double q[] = {0.0, 40.0, 80.0, 20.0, 60.0};  // W on nodes 1..5
  const double gl = 2.0, tw = 60.0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fresh_listing();
    tna_test::FluidModel fm = tna_test::chain(5);
    fm.node(1).status = c.inlet;
    fm.node(5).status = 'J';
    if (c.inlet == 'R') {
      fm.node(1).p = 2.0e5 + 200.0;
    } else {
      fm.node(1).fm = 0.01;
      fm.node(1).fr = 20.0;
    }
    for (int i = 2; i <= 5; ++i) fm.node(i).fq = q[i - 1];
    for (int h = 0; h < fm.nl(); ++h) fm.link_spec(h).gp = 1.0e20;  // no fitting loss
    if (c.walls) {
      for (int i = 2; i <= 5; ++i) {
        fm.thermal(99 + i, 'B', tw);
        fm.gl(99 + i, i, gl);
      }
    }
    build(fm);
    tna_test::fluid_controls();
    // Residence time of a node about 8 s; 2000 s are more than 50 times that
    // of the whole pipe.
    run(2000.0, 10.0);
    EXPECT_EQ(listing(), "");
    const double tol = 10.0 * GLOR.FRLXCA;
    EXPECT_EQ(net.tf(1), 20.0);  // the inlet keeps its temperature
    if (c.inlet == 'K') {
      EXPECT_NEAR(net.m(1), 0.01, 1.0e-9);
    }
    for (int i = 2; i <= 5; ++i) {
      SCOPED_TRACE(i);
      EXPECT_NEAR(net.m(i - 1), net.m(1), 1.0e-9);  // continuity along the pipe
      EXPECT_GT(net.m(i - 1), 0.005);
      const double g = capacity_rate(i - 1);
      if (c.walls) {
        EXPECT_NEAR(net.tf(i), (g * net.tf(i - 1) + gl * tw + q[i - 1]) / (g + gl), tol);
      } else {
        EXPECT_NEAR(net.tf(i) - net.tf(i - 1), q[i - 1] / g, tol);
      }
    }
    // The pressures fall along the flow, the outlet keeps its own.
    EXPECT_EQ(net.p(5), 2.0e5);
    for (int i = 2; i <= 5; ++i) EXPECT_LT(net.p(i), net.p(i - 1));
  }
}

// A drawn tube: 2 mm water pipe of three nodes of 1 m, wall roughness 0,
// between two held pressures 1 kPa apart, from a first guess of 0.01 kg/s
// (turbulent). Laminar friction does not depend on the roughness: after a
// step of 1 s both links carry Hagen-Poiseuille's flow, m = dp D^2 A / (32 nu
// L) over the 2 m the two links act on (1.955e-4 kg/s at 20 C), also when
// each step is held to 3 passes.
TEST_F(FltntsWater, SmoothLaminarPipeCarriesTheHagenPoiseuilleFlow) {
  for (int nloop : {200, 3}) {
    SCOPED_TRACE("NLOOP " + std::to_string(nloop));
    fresh_listing();
    tna_test::FluidModel fm = tna_test::chain(3);
    for (int i = 1; i <= 3; ++i) {
      fm.node(i).fd = 0.002;
      fm.node(i).ff = 0.0;
      fm.node(i).p = 2.0e5 + 500.0 * (3 - i);
    }
    fm.node(1).status = 'J';
    fm.node(3).status = 'J';
    for (int h = 0; h < fm.nl(); ++h) fm.link_spec(h).gp = 1.0e20;  // no fitting loss
    build(fm);
    tna_test::fluid_controls();  // DAMPM 1, MINDP 0
    run(1.0, 1.0, nloop);
    // Each link acts over half of each end node's length, with the mean
    // kinematic viscosity of its ends.
    double sum_nu = 0.0;
    for (int i = 1; i <= 3; ++i) {
      const int code = FTYPEI(net.ftypes(i).view());
      const double nu = XVISC(net.p(i), net.tf(i), net.vq(i), code, net.global(i)) /
                        XRHO(net.p(i), net.tf(i), net.vq(i), code, net.global(i));
      sum_nu += (i == 2 ? 2.0 : 1.0) * nu;
    }
    const double area = net.fla(1), expect = 1000.0 * 0.002 * 0.002 * area / (32.0 * (sum_nu / 4.0) * 2.0);
    EXPECT_NEAR(expect, 1.955e-4, 0.001e-4);
    for (int k = 1; k <= 2; ++k) EXPECT_NEAR(net.m(k) / expect, 1.0, 1e-6) << "link " << k;
    EXPECT_NEAR(net.p(2), 2.0e5 + 500.0, 0.01);
  }
}

// ---------------------------------------------------------------------------
// Order of the implicit step.

// Node 2 (1 m of 10 mm pipe, 0.08 kg of water) starts at 20 C and is fed
// through one link by the inlet "K" at 30 C with a mass source of 0.01 kg/s;
// node 3, the outlet, holds the pressure. Over 40 s (five residence times)
// the converged iteration is a Crank-Nicolson step: the difference of
// successive halvings of the step falls by four each time.
TEST_F(FltntsWater, CapacityFedFromAFixedInletIsSecondOrderInTheStep) {
  std::vector<double> t2;
  for (double dt : {4.0, 2.0, 1.0, 0.5}) {
    SCOPED_TRACE(dt);
    tna_test::FluidModel fm = tna_test::chain(3);
    fm.node(1).status = 'K';
    fm.node(1).t = 30.0;
    fm.node(1).fm = 0.01;
    fm.node(1).fr = 30.0;
    fm.node(3).status = 'J';
    for (int h = 0; h < fm.nl(); ++h) fm.link_spec(h).gp = 1.0e20;
    build(fm);
    tna_test::fluid_controls();
    GLOR.FRLXCA = 1.0e-12;
    GLOR.RELXMA = 1.0e-12;
    run(40.0, dt);
    t2.push_back(net.tf(2));
    EXPECT_GT(net.tf(2), 20.0);
    EXPECT_LT(net.tf(2), 30.0);
  }
  const double d1 = t2[0] - t2[1], d2 = t2[1] - t2[2], d3 = t2[2] - t2[3];
  EXPECT_NEAR(d1 / d2, 4.0, 0.2) << d1 << " " << d2;
  EXPECT_NEAR(d2 / d3, 4.0, 0.2) << d2 << " " << d3;
}

// ---------------------------------------------------------------------------
// The hydraulic part of a pass.

// Each pass: VARIABLES1 with SOLTYP blank, the hydraulic solution (its own
// VARIABLES1 calls with "FLUID"), VARIABLES1 blank again, the sweeps with
// "THERMAL", then VARIABLES2 with SOLTYP blank. After the run the link
// conductances are the flows' heat-capacity rates, DTCOUR the shortest
// transit time and SUMFLL the hydraulic passes of the last step.
TEST_F(FltntsWater, PassesRunTheHydraulicSolutionFirst) {
  tna_test::FluidModel fm = tna_test::chain(4);
  fm.node(1).status = 'R';
  fm.node(1).p = 2.0e5 + 100.0;  // laminar flow, well below Re 2000
  fm.node(4).status = 'J';
  fm.node(2).fq = 50.0;
  for (int h = 0; h < fm.nl(); ++h) fm.link_spec(h).gp = 1.0e20;
  build(fm);
  tna_test::fluid_controls();
  GLOR.RELXMA = 1.0e-4;
  run(30.0, 10.0);
  EXPECT_EQ(listing(), "");
  // The first step: from the initial OUTPUTS to the first VARIABLES2.
  std::vector<std::string> seq;
  bool started = false;
  for (const tna_test::BlockCall& c : log.calls) {
    if (c.block == "VARIABLES2") break;
    if (started) seq.push_back(c.block + " " + c.soltyp);
    if (c.block == "OUTPUTS") started = true;
  }
  ASSERT_GE(seq.size(), 5u);
  std::size_t i = 0;
  EXPECT_EQ(seq[i++], "VARIABLES1 ");
  int fluid = 0;
  while (i < seq.size() && seq[i] == "VARIABLES1 FLUID") ++fluid, ++i;
  EXPECT_GE(fluid, 2);  // at least two hydraulic passes in a step
  ASSERT_LT(i, seq.size());
  EXPECT_EQ(seq[i++], "VARIABLES1 ");
  int sweeps = 0;
  while (i < seq.size() && seq[i] == "VARIABLES1 THERMAL") ++sweeps, ++i;
  EXPECT_GE(sweeps, 1);
  EXPECT_EQ(i, seq.size());  // then VARIABLES2
  EXPECT_EQ(log.count("VARIABLES2"), 3);
  EXPECT_EQ(log.count("VARIABLES2", ""), 3);

  EXPECT_GT(GLOI.SUMFLL, 0);
  double transit = 1.0e38;
  for (int l = 1; l <= net.nl; ++l) {
    SCOPED_TRACE(l);
    // From the specific heats at the start of the last pass.
    EXPECT_NEAR(net.lcond(l), capacity_rate(l), 1.0e-4 * capacity_rate(l));
    const int a = net.first(l), b = net.second(l);
    const int fa = FTYPEI(net.ftypes(a).view()), fb = FTYPEI(net.ftypes(b).view());
    const double rho = 0.5 * (XRHO(net.p(a), net.tf(a), net.vq(a), fa, net.global(a)) +
                              XRHO(net.p(b), net.tf(b), net.vq(b), fb, net.global(b)));
    transit = std::min(transit,
                       rho * 0.5 * (net.fl(a) + net.fl(b)) * std::min(net.fla(a), net.fla(b)) / std::fabs(net.m(l)));
  }
  // DTCOUR comes from the densities at the start of the last pass.
  EXPECT_NEAR(GLOR.DTCOUR, transit, 1.0e-3 * transit);
}

// A hydraulic solution held to one pass against a tolerance it cannot meet
// counts in every step: the RELXMA warning of more than 10% of the steps.
TEST_F(FltntsWater, UnconvergedHydraulicsGiveTheRelxmaWarning) {
  tna_test::FluidModel fm = tna_test::chain(3);
  fm.node(1).status = 'R';
  fm.node(1).p = 2.0e5 + 300.0;
  fm.node(3).status = 'J';
  for (int h = 0; h < fm.nl(); ++h) fm.link_spec(h).gp = 1.0e20;
  build(fm);
  tna_test::fluid_controls();
  GLOI.NLOOPH = 1;
  GLOR.RELXMA = 1.0e-30;
  run(30.0, 10.0);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, "FLTNTS: RELXMA exceeded in more than 10% of time steps")) << l;
  EXPECT_TRUE(has_reference(l, "FLTSIT", 6));
  EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), 1);
  EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), 1);
}

}  // namespace
}  // namespace fluid_test
