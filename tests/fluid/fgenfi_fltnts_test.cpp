// The two-phase solution FGENFI and the single-phase solution FLTNTS on the
// same subcooled WATER networks: each run to its steady state must give
// every node the rise of its heat over the heat-capacity rate of the flow
// that enters it, and the two must agree with each other node by node.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fluid/fluid_services.h"
#include "fluid_fixture.h"
#include "platform/process.h"
#include "properties/properties.h"

namespace fluid_test {
namespace {

// Steady state of one routine on the pipe.
struct Steady {
  std::vector<double> t, h, p, m;  // nodes 1..5 and links 1..4 at [i - 1]
  std::vector<double> rise;        // Q/(m cp) of nodes 2..5 at [i - 1]
};

class FgenfiAgainstFltnts : public FluidTest {
 protected:
  void SetUp() override {
    FluidTest::SetUp();
    log.install();
  }
  // A pipe of five nodes of 10 mm bore and 1 m: the inlet (node 1, "R") at
  // 20 C and 200 Pa above the outlet (node 5, "J") at 2 bar, heat on nodes
  // 2..5, no fitting loss and gravity off. Runs `solve` from 0 to 2000 s in
  // steps of at most 10 s (the residence time of a node is about 8 s) after
  // FINITS has completed the states.
  template <class Solve>
  Steady run(Solve solve) {
    fresh_listing();
    tna_test::FluidModel fm = tna_test::chain(5);
    fm.node(1).status = 'R';
    fm.node(1).p = 2.0e5 + 200.0;
    fm.node(5).status = 'J';
    for (int i = 2; i <= 5; ++i) fm.node(i).fq = q[i - 1];
    for (int h = 0; h < fm.nl(); ++h) fm.link_spec(h).gp = 1.0e20;
    build(fm);
    tna_test::fluid_controls();
    FINITS(" ", -1);
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = 2000.0;
    GLOR.OUTINT = 2000.0;
    GLOR.DTIMEI = 10.0;
    GLOR.DTMAX = 10.0;
    GLOR.DTMIN = 1.0e-3;
    GLOI.NLOOP = 200;
    try {
      solve();
    } catch (const plat::ProcessExit&) {
      ADD_FAILURE() << "the run ended:\n" << listing();
    }
    EXPECT_EQ(listing(), "");
    EXPECT_EQ(GLOR.TIMEO, 2000.0);
    Steady s;
    for (int i = 1; i <= 5; ++i) {
      s.t.push_back(net.tf(i));
      s.h.push_back(net.fe(i));
      s.p.push_back(net.p(i));
    }
    for (int l = 1; l <= 4; ++l) s.m.push_back(net.m(l));
    s.rise.push_back(0.0);
    for (int i = 2; i <= 5; ++i) {
      const double cp = 0.5 * (cp_of(i - 1) + cp_of(i));
      s.rise.push_back(q[i - 1] / (std::fabs(net.m(i - 1)) * cp));
    }
    return s;
  }
  double cp_of(int k) const {
    return XCP(net.p(k), net.tf(k), net.vq(k), FTYPEI(net.ftypes(k).view()), net.global(k));
  }

  const double q[5] = {0.0, 40.0, 80.0, 20.0, 60.0};  // W on nodes 1..5
  tna_test::BlockLog log;
};

// FLTNTS balances temperatures, FGENFI enthalpies. A converged pass of
// either changes no node by FRLXCA (a temperature: FGENFI divides its
// enthalpy change by cp), so after many residence times each node's rise is
// within FRLXCA of the solution of its own equations. What FGENFI adds and
// FLTNTS leaves out is well below that: the friction heating of the
// isenthalpic pressure drop of about 50 Pa a node (2E-5 K with the WATER
// enthalpy's pressure slope), the kinetic energy of the flow that the outlet
// receives and does not pass on (u^2/2 of 0.013 J/kg, 3E-6 K), and the
// difference between the WATER cp and the temperature slope of the
// enthalpy (under 1E-5 K a node). So every rise must match Q/(m cp) within
// FRLXCA in both, the rises of the two within FRLXCA of each other and each
// node's temperature within FRLXCA for every heated node up to it.
TEST_F(FgenfiAgainstFltnts, HeatedSubcooledPipeHasTheSameSteadyState) {
  const Steady a = run([] { FLTNTS(); });
  const Steady b = run([] { FGENFI(); });
  const double tol = GLOR.FRLXCA;
  ASSERT_EQ(tol, 1.0e-4);
  for (const Steady* s : {&a, &b}) {
    SCOPED_TRACE(s == &a ? "FLTNTS" : "FGENFI");
    EXPECT_NEAR(s->t[0], 20.0, 1.0e-5);  // FGENFI takes it back from (p, h)
    for (int l = 1; l <= 4; ++l) EXPECT_NEAR(s->m[l - 1], s->m[0], 1.0e-12);
    EXPECT_GT(s->m[0], 0.01);
    for (int i = 2; i <= 5; ++i) EXPECT_NEAR(s->t[i - 1] - s->t[i - 2], s->rise[i - 1], tol) << "node " << i;
  }
  // Both hydraulic solutions stop at a relative flow change below RELXMA;
  // the densities and viscosities they use differ by the states' 1E-4 K.
  EXPECT_NEAR(b.m[0], a.m[0], 10.0 * GLOR.RELXMA * a.m[0]);
  for (int i = 1; i <= 5; ++i) EXPECT_NEAR(b.p[i - 1], a.p[i - 1], 1.0e-3) << "node " << i;
  for (int i = 2; i <= 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(b.t[i - 1] - b.t[i - 2], a.t[i - 1] - a.t[i - 2], tol);
    EXPECT_NEAR(b.t[i - 1], a.t[i - 1], (i - 1) * tol);
  }

  // FGENFI's own balance is exact: each node gains its heat over the flow,
  // and the outlet besides the kinetic energy its inflow brings.
  const double u4 = b.m[3] / (XRHO(b.p[3], b.t[3], 0.0, net.fluid_code(4), 0) * net.fla(4));
  for (int i = 2; i <= 5; ++i) {
    SCOPED_TRACE(i);
    const double gain = q[i - 1] / b.m[i - 2] + (i == 5 ? 0.5 * u4 * u4 : 0.0);
    EXPECT_NEAR(b.h[i - 1] - b.h[i - 2], gain, 1.0e-6 * gain);
  }
}

// Two streams in two models: a hot one in the main model (nodes 1 -> 2 -> 3,
// inlet at 60 C) and a cold one in submodel COLD (nodes 11 -> 12 -> 13,
// inlet at 20 C), each driven by 20 Pa from its inlet ("R") to its outlet
// ("J", 2 bar; the flows are laminar), exchanging heat between nodes 2 and
// 12 through an inter-model GL of 5 W/K. At the steady state the hot stream
// gives up what the cold one takes, GL (T2 - T12), and each exchanging node
// lies between the two inlets; both routines agree.
TEST_F(FgenfiAgainstFltnts, StreamsOfTwoModelsExchangeHeatThroughAnInterModelConductor) {
  struct Result {
    double t2, t12, hot, cold, exchange;
  };
  auto run_streams = [&](auto solve) {
    fresh_listing();
    tna_test::FluidModel fm;
    const int cold = fm.submodel("COLD");
    for (int base : {0, 10}) {
      for (int i = 1; i <= 3; ++i) fm.fluid(base + i, base == 0 ? 1 : cold);
      fm.node(base + 1).status = 'R';
      fm.node(base + 1).p = 2.0e5 + 20.0;
      fm.node(base + 1).t = base == 0 ? 60.0 : 20.0;
      fm.node(base + 3).status = 'J';
      fm.link_spec(fm.link(base + 1, base + 2, 0.01)).gp = 1.0e20;
      fm.link_spec(fm.link(base + 2, base + 3, 0.01)).gp = 1.0e20;
    }
    fm.gl(2, 12, 5.0);
    build(fm);
    tna_test::fluid_controls();
    FINITS(" ", 1);
    GLOR.TIMEND = 2000.0;
    GLOR.OUTINT = 2000.0;
    GLOR.DTIMEI = 10.0;
    GLOR.DTMAX = 10.0;
    GLOR.DTMIN = 1.0e-3;
    GLOI.NLOOP = 200;
    try {
      solve();
    } catch (const plat::ProcessExit&) {
      ADD_FAILURE() << "the run ended:\n" << listing();
    }
    EXPECT_EQ(listing(), "");
    const int k1 = fm.findex(1), k2 = fm.findex(2), k11 = fm.findex(11), k12 = fm.findex(12);
    auto cp = [&](int a, int b) { return 0.5 * (cp_of(a) + cp_of(b)); };
    Result r;
    r.t2 = net.tf(k2);
    r.t12 = net.tf(k12);
    r.hot = net.m(fm.link_index(0)) * cp(k1, k2) * (net.tf(k1) - r.t2);
    r.cold = net.m(fm.link_index(2)) * cp(k11, k12) * (r.t12 - net.tf(k11));
    r.exchange = 5.0 * (r.t2 - r.t12);
    return r;
  };
  const Result a = run_streams([] { FLTNTS(); });
  const Result b = run_streams([] { FGENFI(); });
  for (const Result* r : {&a, &b}) {
    SCOPED_TRACE(r == &a ? "FLTNTS" : "FGENFI");
    EXPECT_GT(r->t12, 20.0);
    EXPECT_LT(r->t2, 60.0);
    EXPECT_GT(r->t2, r->t12);
    EXPECT_GT(r->exchange, 50.0);
    EXPECT_NEAR(r->hot, r->exchange, 1.0e-3 * r->exchange);
    EXPECT_NEAR(r->cold, r->exchange, 1.0e-3 * r->exchange);
  }
  EXPECT_NEAR(b.t2, a.t2, 1.0e-3);
  EXPECT_NEAR(b.t12, a.t12, 1.0e-3);
}

}  // namespace
}  // namespace fluid_test
