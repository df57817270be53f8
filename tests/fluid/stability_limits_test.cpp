// Time-step limits of the FLT routines: the residence time of the fluid in
// the links (SGCOUR), the layout of the hydraulic work arrays (FHDYAR) and
// the start-of-run limits with the first hydraulic state (FFCSGM, CSGHYD).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "core/global_records.h"
#include "fluid/ordering.h"
#include "fluid/stability_limits.h"
#include "fluid_fixture.h"
#include "properties/properties.h"

namespace fluid_test {
namespace {

TEST(HydraulicLayout, ArraysFollowOneAnotherAboveTheTop) {
  int top = 41, o1 = 0, o2 = 0, o3 = 0, o4 = 0, o5 = 0, o6 = 0;
  FHDYAR(3, 5, 12, top, o1, o2, o3, o4, o5, o6);
  EXPECT_EQ(o4, 41);
  EXPECT_EQ(o1, 41);
  EXPECT_EQ(o2, 53);
  EXPECT_EQ(o3, 58);
  EXPECT_EQ(o5, 61);
  EXPECT_EQ(o6, 64);
  EXPECT_EQ(top, 69);  // 41 + 12 + 2 x 5 + 2 x 3
}

using CourantTest = FluidTest;

// Two-phase water (quality 0.5) at 2 bar: its density comes from the
// saturation densities.
tna_test::FluidModel two_phase_chain(int n) {
  tna_test::FluidModel fm = tna_test::chain(n);
  for (int k = 1; k <= n; ++k) {
    fm.node(k).vq = 0.5;
    fm.node(k).t = 100.0 + 5.0 * k;
  }
  return fm;
}

TEST_F(CourantTest, ResidenceTimeOfTheNarrowerNode) {
  // Links 1 -> 2 (0.01 kg/s), 2 -> 3 (at rest), 3 -> 4 (-0.004 kg/s); the
  // narrower node of each link governs.
  tna_test::FluidModel fm = two_phase_chain(4);
  const double fla[4] = {2.0e-4, 1.0e-4, 3.0e-4, 5.0e-4}, fl[4] = {1.0, 2.0, 4.0, 0.5};
  for (int k = 1; k <= 4; ++k) {
    fm.node(k).fla = fla[k - 1];
    fm.node(k).fl = fl[k - 1];
  }
  fm.link_spec(1).flow = 0.0;
  fm.link_spec(2).flow = -0.004;
  build(fm);
  auto rho = [&](int k) { return XRHO(net.p(k), net.tf(k), net.vq(k), 2, k); };
  const double t1 = 0.5 * (1.0 + 2.0) * 0.5 * (rho(1) + rho(2)) * 1.0e-4 / 0.01;
  const double t3 = 0.5 * (4.0 + 0.5) * 0.5 * (rho(3) + rho(4)) * 3.0e-4 / 0.004;
  double dtcour = 1.0e38;
  SGCOUR(net, dtcour);
  EXPECT_DOUBLE_EQ(dtcour, std::min(t1, t3));
  // The caller's value stays when it is already smaller, and with no
  // flowing link.
  double small = 1.0e-3;
  SGCOUR(net, small);
  EXPECT_EQ(small, 1.0e-3);
  net.m(1) = 0.0;
  net.m(3) = 1.0e-38;
  double none = 1.0e38;
  SGCOUR(net, none);
  EXPECT_EQ(none, 1.0e38);
  // A residence time that is not a number leaves it alone.
  net.m(1) = 0.01;
  gar_fluidnodelengths(1) = std::numeric_limits<double>::quiet_NaN();
  double nan_case = 5.0;
  SGCOUR(net, nan_case);
  EXPECT_EQ(nan_case, 5.0);
}

class StartLimitsTest : public FluidTest {
 protected:
  // Builds the model, orders it and runs FFCSGM (or CSGHYD) with the
  // presence flags of the model; checks that both core tops come back.
  void run(tna_test::FluidModel& fm, bool csghyd = false) {
    build(fm);
    limits(csghyd);
  }
  void limits(bool csghyd) {
    block.assign(5 * static_cast<std::size_t>(net.nf1), 0);
    hflg.assign(static_cast<std::size_t>(net.nl1), 0);
    FlOrdering ord = fl_ordering(FlInts(block.data(), static_cast<std::int64_t>(block.size())), net.nf);
    if (net.nf >= 1) FPNTRS(net, ord);
    const std::string present = std::string(net.nt >= 1 ? "Y" : "N") + (net.nf >= 1 ? "Y" : "N");
    const int rtop = FLAGS(FLAGS_NEXTDYNAMICCOREREAL), itop = FLAGS(FLAGS_NEXTDYNAMICCOREINT);
    const FlInts flags(hflg.data(), net.nl1);
    if (csghyd) CSGHYD(net, ord, flags, present);
    else FFCSGM(net, ord, flags, present);
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), rtop);
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), itop);
  }
  double rho(int k) { return XRHO(net.p(k), net.tf(k), net.vq(k), 2, 0); }
  double cp(int k) { return XCP(net.p(k), net.tf(k), net.vq(k), 2, 0); }
  std::vector<std::int32_t> block, hflg;
};

TEST_F(StartLimitsTest, ThermalNodesWithCapacityAndConductance) {
  // Node 2: C 10, GL 2 (ratio 5); node 3: C 100 radiating (GR 1) to a
  // boundary at 300 K; node 4 arithmetic; node 5 only an inactive
  // conductor; node 6 boundary.
  GLOR.TABS = 0.0;
  tna_test::FluidModel fm;
  fm.thermal(1, 'B', 300.0)
      .thermal(2, 'D', 300.0, 10.0)
      .thermal(3, 'D', 300.0, 100.0)
      .thermal(4, 'D', 300.0)
      .thermal(5, 'D', 300.0, 1.0e-3)
      .thermal(6, 'B', 300.0, 1.0e-4);
  fm.gl(1, 2, 2.0);
  fm.gr(1, 3, 1.0);
  fm.gl(1, 4, 1.0e6);
  fm.gl(1, 5, 1.0e6, 'I');
  fm.gl(1, 6, 1.0e6);
  build(fm);
  const double g3 = GLOR.STEFAN * (2.0 * 300.0 * 300.0) * 600.0;
  limits(false);
  EXPECT_DOUBLE_EQ(GLOR.CSGMIN, std::min(5.0, 100.0 / g3));
  EXPECT_EQ(GLOI.NCSGMN, 100.0 / g3 < 5.0 ? 3 : 2);
  // Nothing that qualifies: 1.0E38 and the node left alone.
  gar_thermalnodestatuses(2) = "B";
  gar_thermalnodestatuses(3) = "B";
  GLOI.NCSGMN = -4;
  limits(false);
  EXPECT_EQ(GLOR.CSGMIN, 1.0e38);
  EXPECT_EQ(GLOI.NCSGMN, -4);
}

TEST_F(StartLimitsTest, FluidNodesWithoutLinksStopAfterTheThermalMinimum) {
  // A fluid node of tiny capacity (no links) does not enter the minimum;
  // DTCOUR is not touched.
  tna_test::FluidModel fm = tna_test::chain(1);
  fm.node(1).fla = 1.0e-9;
  fm.thermal(10, 'B', 0.0).thermal(11, 'D', 0.0, 50.0);
  fm.gl(10, 11, 1.0);
  fm.gl(1, 10, 10.0);
  GLOR.DTCOUR = 3.0;
  run(fm);
  EXPECT_DOUBLE_EQ(GLOR.CSGMIN, 50.0);
  EXPECT_EQ(GLOI.NCSGMN, 2);
  EXPECT_EQ(GLOR.DTCOUR, 3.0);
  EXPECT_EQ(GLOI.SUMFLL, 0);
}

// Two-phase water (quality 0.5) in a chain 1 -> 2 -> 3 -> 4, each node
// tied to a wall at 150 C by GL 5 W/K; links closed (no fitting loss).
tna_test::FluidModel walled_chain() {
  tna_test::FluidModel fm = two_phase_chain(4);
  fm.thermal(100, 'B', 150.0);
  for (int k = 1; k <= 4; ++k) {
    fm.node(k).fla = 1.0e-4 * k;
    fm.node(k).fl = 1.0;
    fm.node(k).vol = 1.0e-4 * k;  // as FINITS leaves it: the hydraulic solution keeps VOL
    fm.gl(100, k, 5.0);
  }
  return fm;
}

TEST_F(StartLimitsTest, FluidCapacityRatiosAndTheFirstHydraulicState) {
  // Node 2 is "H" (no capacity) and stays out; then node 4 loses its
  // length: capacity 0 gives the minimum 0 at node 4.
  tna_test::FluidModel fm = walled_chain();
  fm.node(2).status = 'H';
  fm.node(2).fla = fm.node(2).vol = 1.0e-6;  // the smallest capacity, were it one
  build(fm);
  const double ratio1 = rho(1) * 1.0e-4 * 1.0 * cp(1) / 5.0;
  const double ratio3 = rho(3) * 3.0e-4 * 1.0 * cp(3) / 5.0;
  GLOR.DTCOUR = 3.0;
  limits(false);
  EXPECT_DOUBLE_EQ(GLOR.CSGMIN, std::min(ratio1, ratio3));
  EXPECT_EQ(GLOI.NCSGMN, net.nt + (ratio1 < ratio3 ? 1 : 3));  // global node numbers
  // The hydraulic solution ran (closed links carry no flow) and its passes
  // count in SUMFLL; no flowing link leaves DTCOUR at 1.0E38.
  EXPECT_GE(GLOI.SUMFLL, 1);
  for (int l = 1; l <= 3; ++l) EXPECT_EQ(net.m(l), 0.0);
  EXPECT_EQ(GLOR.DTCOUR, 1.0e38);
  gar_fluidnodelengths(4) = 0.0;
  gar_fluidnodevolumes(4) = 0.0;
  const int sumfll = GLOI.SUMFLL;
  limits(false);
  EXPECT_EQ(GLOR.CSGMIN, 0.0);
  EXPECT_EQ(GLOI.NCSGMN, net.nt + 4);
  EXPECT_GT(GLOI.SUMFLL, sumfll);
  // CSGHYD keeps the fluid nodes apart and does not count the passes.
  tna_test::FluidModel mixed = walled_chain();
  mixed.thermal(101, 'D', 0.0, 1.0e9);
  mixed.gl(100, 101, 1.0);
  build(mixed);
  GLOI.SUMFLL = 7;
  GLOI.FNCSGM = 0;
  limits(true);
  EXPECT_DOUBLE_EQ(GLOR.CSGMIN, 1.0e9);
  EXPECT_EQ(GLOI.NCSGMN, 2);
  EXPECT_DOUBLE_EQ(GLOR.FCSGMN, rho(1) * 1.0e-4 * cp(1) / 5.0);
  EXPECT_EQ(GLOI.FNCSGM, net.nt + 1);
  EXPECT_EQ(GLOI.SUMFLL, 7);
}

TEST_F(StartLimitsTest, SmallFlowsAreCleared) {
  // Pairs of held-pressure nodes at equal pressure, their links without a
  // usable resistance (MINDP huge): the hydraulic solution keeps their
  // flows, and a flow not above MINFLO is then cleared.
  tna_test::FluidModel fm;
  for (int k = 1; k <= 6; ++k) {
    tna_test::FluidNodeSpec& n = fm.fluid(k);
    n.status = 'R';
    n.vq = 0.5;
    n.t = 120.0;
    n.fla = k <= 2 ? 1.0e-6 : 1.0e-4;  // the first pair narrow
    n.vol = n.fla;
  }
  const double minflo = 1.0e-3;
  const int a = fm.link(1, 2, minflo), b = fm.link(3, 4, -2.0 * minflo), c = fm.link(5, 6, 0.5 * minflo);
  for (int h : {a, b, c}) fm.link_spec(h).gp = 1.0;
  build(fm);
  GLOR.MINFLO = minflo;
  GLOR.MINDP = 1.0e30;
  limits(false);
  EXPECT_EQ(net.m(fm.link_index(a)), 0.0);
  EXPECT_EQ(net.m(fm.link_index(b)), -2.0 * minflo);
  EXPECT_EQ(net.m(fm.link_index(c)), 0.0);
  // DTCOUR is the residence time of the flows the hydraulic solution left,
  // before the clearing: here that of the narrow first pair.
  double dtcour = 1.0e38;
  net.m(fm.link_index(a)) = minflo;
  SGCOUR(net, dtcour);
  EXPECT_DOUBLE_EQ(GLOR.DTCOUR, dtcour);
  EXPECT_NEAR(dtcour, 0.5 * (rho(1) + rho(2)) * 1.0e-6 / minflo, 1e-9 * dtcour);
}

}  // namespace
}  // namespace fluid_test
