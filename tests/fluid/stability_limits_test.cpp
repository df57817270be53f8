// Time-step limits of the FLT routines: the residence time of the fluid in
// the links (SGCOUR), the layout of the hydraulic work arrays (FHDYAR) and
// the start-of-run limits with the first hydraulic state (FFCSGM, CSGHYD).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

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

}  // namespace
}  // namespace fluid_test
