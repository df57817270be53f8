// The node properties' link kernels of the fluid-loop steps (SGMCIM,
// SGCOIM) beside SGMCAL, and the mass-source heat flow of SFCDHF.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "fluid/link_conductances.h"
#include "fluid/node_properties.h"
#include "fluid_fixture.h"
#include "platform/process.h"
#include "properties/properties.h"

namespace fluid_test {
namespace {

constexpr int kWater = 2, kAir = 3;

FlCReals cview(const std::vector<double>& v) { return FlCReals(v.data(), static_cast<std::int64_t>(v.size())); }

class StepKernels : public FluidTest {};

// ---------------------------------------------------------------------------
// Link conductances.

TEST_F(StepKernels, LinkConductanceIsTheFlowTimesTheMeanSpecificHeat) {
  // Links: 1 -> 2 forward, 2 -> 3 reversed, 3 -> 4 at rest, 4 -> 1 inactive;
  // node 4 holds air, the others liquid water at different temperatures.
  tna_test::FluidModel fm = tna_test::chain(4);
  fm.node(2).t = 60.0;
  fm.node(3).t = 90.0;
  fm.node(4).fluid = "AIR";
  fm.node(4).t = 40.0;
  fm.node(4).vq = 1.0;
  const int back = fm.link(4, 1, 0.03, 'I');
  build(fm);
  net.m(2) = -0.01;
  net.m(3) = 0.0;
  for (int l = 1; l <= net.nl; ++l) net.lcond(l) = -1.0;
  SGMCAL(net);
  auto cp = [&](int k) { return XCP(net.p(k), net.tf(k), net.vq(k), net.fluid_code(k), 0); };
  EXPECT_DOUBLE_EQ(net.lcond(1), 0.01 * ((cp(1) + cp(2)) * 0.5));
  EXPECT_DOUBLE_EQ(net.lcond(2), 0.01 * ((cp(2) + cp(3)) * 0.5));  // the sign of the flow plays no part
  EXPECT_EQ(net.lcond(3), 0.0);
  // Each end counts with its own fluid; the status plays no part.
  EXPECT_DOUBLE_EQ(net.lcond(fm.link_index(back)), 0.03 * ((cp(4) + cp(1)) * 0.5));
  EXPECT_GT(cp(1), 4000.0);
  EXPECT_LT(cp(4), 1100.0);

  // SGMCIM from the stored specific heats gives the same conductances.
  std::vector<double> cps(5, 0.0);
  for (int k = 1; k <= 4; ++k) cps[static_cast<std::size_t>(k - 1)] = cp(k);
  std::vector<double> g(net.lcond.begin(), net.lcond.end());
  for (int l = 1; l <= net.nl; ++l) net.lcond(l) = -1.0;
  SGMCIM(net, cview(cps));
  for (int l = 1; l <= net.nl; ++l) EXPECT_DOUBLE_EQ(net.lcond(l), g[static_cast<std::size_t>(l - 1)]) << l;
}

TEST_F(StepKernels, MassSourceHeatFlow) {
  // A source of 0.02 kg/s at 80 C into a node at 20 C: FM cp(50 C) (FR - T);
  // a zero or negative source brings nothing, whatever FR is.
  tna_test::FluidModel fm = tna_test::chain(1);
  build(fm);
  auto qsrc = [&](double source) {
    net.fm(1) = source;
    net.fr(1) = 80.0;
    const FlNodeHeats q = SFCDHF(net, 1, kWater);
    EXPECT_EQ(q.qgf + q.qgl + q.qlink + q.qgr, 0.0);
    return q.qsrc;
  };
  const double cp = XCP(net.p(1), 50.0, 0.0, kWater, 0);
  EXPECT_DOUBLE_EQ(qsrc(0.02), 0.02 * cp * 60.0);
  EXPECT_EQ(qsrc(0.0), 0.0);
  EXPECT_EQ(qsrc(-0.02), 0.0);
}

TEST_F(StepKernels, TransitTimeOfTheLinks) {
  // Two links: 1 -> 2 at 0.01 kg/s and 2 -> 3 at rest; densities 1000, 800,
  // 600; lengths 1, 3, 1; areas 2e-4, 1e-4, 1e-4.
  tna_test::FluidModel fm = tna_test::chain(3);
  fm.node(2).fl = 3.0;
  build(fm);
  net.fla(1) = 2.0e-4;
  net.fla(2) = 1.0e-4;
  net.fla(3) = 1.0e-4;
  net.m(2) = 0.0;
  const std::vector<double> rho = {1000.0, 800.0, 600.0};
  const double t1 = (1000.0 + 800.0) * 0.5 * (1.0 + 3.0) * 0.5 * 1.0e-4 / 0.01;
  double dtcour = 1.0e38;
  GLOR.MINFLO = 0.0;
  SGCOIM(net, cview(rho), dtcour);
  EXPECT_DOUBLE_EQ(dtcour, t1);  // the link at rest takes an infinite time
  // MINFLO is the smallest flow the time is taken with.
  GLOR.MINFLO = 1.0;
  dtcour = 1.0e38;
  SGCOIM(net, cview(rho), dtcour);
  EXPECT_DOUBLE_EQ(dtcour, (800.0 + 600.0) * 0.5 * (3.0 + 1.0) * 0.5 * 1.0e-4 / 1.0);
  // A smaller time given stays.
  dtcour = 1.0e-3;
  SGCOIM(net, cview(rho), dtcour);
  EXPECT_EQ(dtcour, 1.0e-3);
  // A time that is not a number is passed over.
  const std::vector<double> bad = {std::numeric_limits<double>::quiet_NaN(), 800.0, 600.0};
  GLOR.MINFLO = 0.0;
  net.m(2) = 0.01;
  dtcour = 1.0e38;
  SGCOIM(net, cview(bad), dtcour);
  EXPECT_DOUBLE_EQ(dtcour, (800.0 + 600.0) * 0.5 * (3.0 + 1.0) * 0.5 * 1.0e-4 / 0.01);
}

}  // namespace
}  // namespace fluid_test
