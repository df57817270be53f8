// Friction factor (FLFRLS) against Colebrook and at its regime bounds, and
// the through-flows of the momentum flux at nodes of status "Q" and "S"
// (SGFLIN, SMFLX1, SMFLX2 and the hydraulic form SFMOFL).
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "fluid/hydraulics.h"
#include "fluid/momentum.h"
#include "fluid_fixture.h"
#include "support/state_test.h"

namespace fluid_test {
namespace {

constexpr double kD = 0.01;  // m
constexpr double kA = 3.141592653589793 * kD * kD / 4.0;
constexpr double kMu = 1.0e-3;  // Pa s

// Mass flow of Reynolds number re in the pipe above.
double flow_of(double re) { return re * kMu * kA / kD; }

double fanning(double re, double e) {
  double f = -1.0;
  FLFRLS(kA, kD, flow_of(re), e, kMu, f);
  return f;
}

// Colebrook's equation in Fanning form, 1 / sqrt(f) = -4 log10(e / (3.7 D) +
// 1.256 / (Re sqrt(f))), solved by fixed-point iteration.
double colebrook(double re, double e) {
  double f = 0.005;
  for (int i = 0; i < 200; ++i) {
    const double y = -4.0 * std::log10(e / (3.7 * kD) + 1.256 / (re * std::sqrt(f)));
    f = 1.0 / (y * y);
  }
  return f;
}

struct ColebrookCase {
  double re, e;
};

class FrictionColebrook : public tna_test::StateTestWithParam<ColebrookCase> {};

TEST_P(FrictionColebrook, WithinThreePercent) {
  const auto c = GetParam();
  const double f = fanning(c.re, c.e), ref = colebrook(c.re, c.e);
  EXPECT_NEAR(f / ref, 1.0, 0.03) << "f " << f << " Colebrook " << ref;
}

INSTANTIATE_TEST_SUITE_P(ReAndRoughness, FrictionColebrook,
                         ::testing::Values(ColebrookCase{1e5, 1e-6}, ColebrookCase{1e5, 1e-5},
                                           ColebrookCase{1e5, 1e-4}, ColebrookCase{1e6, 1e-6},
                                           ColebrookCase{1e6, 1e-5}, ColebrookCase{1e6, 1e-4}),
                         [](const auto& info) {
                           return "Re" + std::to_string(static_cast<int>(std::log10(info.param.re))) + "_eD" +
                                  std::to_string(static_cast<int>(-std::log10(info.param.e / kD) + 0.5));
                         });

TEST(Friction, LaminarAndTransition) {
  const double e = 1.0e-5;
  EXPECT_NEAR(fanning(1999.0, e), 16.0 / 1999.0, 1e-15);
  EXPECT_NEAR(fanning(500.0, e), 16.0 / 500.0, 1e-14);
  EXPECT_NEAR(fanning(2000.0, e), 0.008, 1e-15);
  // Halfway between 0.008 at Re = 2000 and the turbulent value at 4000.
  const double f4000 = fanning(4000.0, e);
  EXPECT_NEAR(fanning(3000.0, e), 0.5 * (0.008 + f4000), 1e-15);
  // The blend uses the Re = 4000 correlation value throughout.
  EXPECT_NEAR(fanning(3999.0, e), 0.008 + (3999.0 / 2000.0 - 1.0) * (f4000 - 0.008), 1e-15);
  EXPECT_GT(f4000, 0.008);
  // Negative flows: the same factor.
  double f = 0.0;
  FLFRLS(kA, kD, -flow_of(1e5), e, kMu, f);
  EXPECT_EQ(f, fanning(1e5, e));
}

TEST(Friction, SmoothWallIsTheSmoothLimitOfTheLaw) {
  // Roughness 0 is a drawn tube, not a frictionless one: laminar friction
  // does not depend on the roughness, and the turbulent correlation takes
  // X = log10(Re / 5.02) (its roughness term vanishes).
  for (double re : {100.0, 1999.0}) EXPECT_NEAR(fanning(re, 0.0), 16.0 / re, 1e-15) << re;
  EXPECT_NEAR(fanning(2000.0, 0.0), 0.008, 1e-15);
  // The correlation's smooth form at Re = 1e5: X = 4.2995 (step 0.044).
  const double x = std::log10(1.0e5 / 5.02);
  const double y = 0.044 + std::log10(1.0e5 / (5.02 * x));
  EXPECT_NEAR(fanning(1.0e5, 0.0), 1.0 / (16.0 * y * y), 1e-15);
  // Halfway through the blend at Re = 3000.
  EXPECT_NEAR(fanning(3000.0, 0.0), 0.5 * (0.008 + fanning(4000.0, 0.0)), 1e-15);
  // Within 1.61 % of Colebrook's smooth pipe over the turbulent range (the
  // most at Re = 4000), and below every rough wall's factor.
  for (double re = 4000.0; re < 1.0e8; re *= 1.5) {
    const double f = fanning(re, 0.0);
    EXPECT_NEAR(f / colebrook(re, 0.0), 1.0, 0.0161) << re;
    EXPECT_LT(f, fanning(re, 1.0e-6)) << re;
  }
}

TEST(Friction, NoFlowLeavesTheFactor) {
  for (double e : {1.0e-5, 0.0}) {
    double f = 0.0123;
    FLFRLS(kA, kD, 0.0, e, kMu, f);
    EXPECT_EQ(f, 0.0123) << e;
  }
}

// ---- Through-flows ---------------------------------------------------------
//
// Link 1 joins node 1 to node 2; node 1 also has link 2 from node 3 (0.2
// kg/s into node 1), node 2 link 3 to node 4 (0.25 kg/s out of it). Mass
// sources: node 1 +0.05, node 2 +0.07.

constexpr double kRho1 = 1000.0, kA1 = 1.0e-4, kRho2 = 800.0, kA2 = 2.0e-4;

struct FluxCase {
  char s1, s2;    // statuses of nodes 1 and 2
  double m1;      // flow of link 1
  double g1, g2;  // through-flows expected at ends 1 and 2 (NAN: none)
};

class ThroughFlows : public FluidTest, public ::testing::WithParamInterface<FluxCase> {};

TEST_P(ThroughFlows, Table) {
  const FluxCase c = GetParam();
  tna_test::FluidModel fm;
  for (int i = 1; i <= 4; ++i) fm.fluid(i);
  fm.node(1).status = c.s1;
  fm.node(2).status = c.s2;
  fm.node(1).fm = 0.05;
  fm.node(2).fm = 0.07;
  fm.link(1, 2, c.m1);
  fm.link(3, 1, 0.2);
  fm.link(2, 4, 0.25);
  build(fm);
  double phi1 = -1, psi1 = -1, phi2 = -1, psi2 = -1;
  int other = -1;
  if (c.m1 >= 0.0) SMFLX1(net, 1, kA1, kRho1, kA2, kRho2, phi1, psi1, phi2, psi2, other);
  else SMFLX2(net, 1, kA1, kRho1, kA2, kRho2, phi1, psi1, phi2, psi2, other);
  auto check = [](double g, double rho, double a, double phi, double psi, const char* end) {
    if (std::isnan(g)) {
      EXPECT_EQ(phi, 0.0) << end;
      EXPECT_EQ(psi, 0.0) << end;
    } else {
      EXPECT_NEAR(phi, g / (rho * a * a), 1e-9 * std::fabs(g / (rho * a * a)) + 1e-15) << end;
      EXPECT_NEAR(psi, g * phi, 1e-9 * std::fabs(g * phi) + 1e-15) << end;
    }
  };
  check(c.g1, kRho1, kA1, phi1, psi1, "end 1");
  check(c.g2, kRho2, kA2, phi2, psi2, "end 2");
}

// SGFLIN: for M(1) > 0 the flows of the links whose second node is the
// node; for M(1) <= 0 minus those whose first node it is.
//   node 1, M > 0: link 2 (0.2);       node 2, M > 0: link 1 (M)
//   node 1, M < 0: -link 1 (-M);       node 2, M < 0: -link 3 (-0.25)
const double kNone = NAN;
INSTANTIATE_TEST_SUITE_P(
    StatusPairs, ThroughFlows,
    ::testing::Values(
        // Upstream node 1 (M >= 0); the other link of node 1 is link 2,
        // which flows into it.
        FluxCase{'Q', 'S', 0.3, kNone, 0.07 + 0.3}, FluxCase{'S', 'Q', 0.3, 0.05 + 0.2, kNone},
        FluxCase{'Q', 'F', 0.3, 0.05 + 0.2, 0.07 + 0.3}, FluxCase{'S', 'F', 0.3, 0.05 + 0.2, 0.07 + 0.3},
        FluxCase{'F', 'Q', 0.3, 0.05 + 0.2, 0.07 + 0.3}, FluxCase{'Q', 'Q', 0.3, 0.05 + 0.2, 0.07 + 0.3},
        FluxCase{'F', 'S', 0.3, 0.05 + 0.2, 0.07 + 0.3}, FluxCase{'S', 'S', 0.3, 0.05 + 0.2, 0.07 + 0.3},
        FluxCase{'F', 'F', 0.3, 0.05 + 0.2, 0.07 + 0.3},
        // Upstream node 2 (M < 0); its other link is link 3, which leaves
        // it (0.25 > 0, node 2 its first node): "Q" upstream adds nothing.
        FluxCase{'S', 'Q', -0.3, 0.05 - 0.3, kNone}, FluxCase{'Q', 'S', -0.3, kNone, 0.07 + 0.25},
        FluxCase{'F', 'Q', -0.3, 0.05 + 0.3, 0.07}, FluxCase{'F', 'S', -0.3, 0.05 + 0.3, 0.07 + 0.25},
        FluxCase{'Q', 'F', -0.3, 0.05 - 0.3, 0.07 - 0.25}, FluxCase{'F', 'F', -0.3, 0.05 + 0.3, 0.07 - 0.25}),
    [](const auto& info) {
      return std::string(1, info.param.s1) + std::string(1, info.param.s2) + (info.param.m1 < 0 ? "_back" : "_fwd");
    });

class OtherLink : public FluidTest {};

TEST_F(OtherLink, QNodePassesOverALinkFromAnSNode) {
  // Node 1 ("Q") feeds link 1 to node 2; its other links, in list order:
  // link 2 from node 3 ("S", 0.4 into node 1), link 3 from node 4 (0.1
  // into node 1). The first other link comes from an "S" node, so link 3
  // is used.
  tna_test::FluidModel fm;
  for (int i = 1; i <= 4; ++i) fm.fluid(i);
  fm.node(1).status = 'Q';
  fm.node(3).status = 'S';
  fm.link(1, 2, 0.5);
  fm.link(3, 1, 0.4);
  fm.link(4, 1, 0.1);
  build(fm);
  double phi1, psi1, phi2, psi2;
  int other = 0;
  SMFLX1(net, 1, kA1, kRho1, kA2, kRho2, phi1, psi1, phi2, psi2, other);
  EXPECT_EQ(other, 3);
  EXPECT_NEAR(phi1, 0.1 / (kRho1 * kA1 * kA1), 1e-6);
  // SFMOFL takes the same link: alpha 0 and beta M(o)^2 / (rho A^2) at the
  // "Q" end, 1 / (rho A^2) downstream.
  double al1, be1, al2, be2;
  SFMOFL(net, 1, kA1, kRho1, kA2, kRho2, al1, be1, al2, be2);
  EXPECT_EQ(al1, 0.0);
  EXPECT_NEAR(be1, 0.1 * 0.1 / (kRho1 * kA1 * kA1), 1e-9);
  EXPECT_NEAR(al2, 1.0 / (kRho2 * kA2 * kA2), 1e-9);
  EXPECT_EQ(be2, 0.0);
  // Node 4 "S" too: the next other link is still taken.
  EXPECT_EQ(fl_other_link(net, 1, 1, true, "TEST"), 3);
  EXPECT_EQ(fl_other_link(net, 1, 1, false, "TEST"), 2);
  EXPECT_EQ(fl_other_link(net, 2, 1, false, "TEST"), 0);
}

TEST_F(OtherLink, SfmoflStatusPairs) {
  tna_test::FluidModel fm;
  for (int i = 1; i <= 3; ++i) fm.fluid(i);
  fm.link(1, 2, 0.5);
  fm.link(3, 1, 0.2);
  build(fm);
  const double d1 = kRho1 * kA1 * kA1, d2 = kRho2 * kA2 * kA2;
  struct Row {
    char s1, s2;
    double m;
    double al1, be1, al2;
  };
  const Row rows[] = {
      {'F', 'F', 0.5, 1 / d1, 0.0, 1 / d2},  {'Q', 'S', 0.5, 0.0, 0.0, 1 / d2},
      {'S', 'Q', 0.5, 1 / d1, 0.0, 0.0},     {'Q', 'F', 0.5, 0.0, 0.2 * 0.2 / d1, 1 / d2},
      {'S', 'F', 0.5, 1 / d1, 0.0, 1 / d2},  {'F', 'Q', -0.5, 1 / d1, 0.0, 0.0},
      {'F', 'S', -0.5, 1 / d1, 0.0, 1 / d2},  // upstream node 2 "S", downstream "F": the default
  };
  for (const Row& r : rows) {
    gar_fluidnodestatuses(1) = std::string(1, r.s1);
    gar_fluidnodestatuses(2) = std::string(1, r.s2);
    net.m(1) = r.m;
    double al1, be1, al2, be2;
    SFMOFL(net, 1, kA1, kRho1, kA2, kRho2, al1, be1, al2, be2);
    const std::string what = std::string(1, r.s1) + r.s2 + (r.m < 0 ? " back" : " fwd");
    EXPECT_NEAR(al1, r.al1, 1e-9) << what;
    EXPECT_NEAR(be1, r.be1, 1e-9) << what;
    EXPECT_NEAR(al2, r.al2, 1e-9) << what;
    EXPECT_EQ(be2, 0.0) << what;
  }
}

}  // namespace
}  // namespace fluid_test
