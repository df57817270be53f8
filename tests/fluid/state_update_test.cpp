// State update of the two-phase pass (FGUPDT, XDRHO), the quality of a
// pressure-enthalpy pair (XGXPH, XGXPT) and SMODND, with WATER from the
// property functions. Only two-phase states are exercised: the single-phase
// branches need XTEMP, XJT and XKT of water, which end the run in this
// build.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "fgenfi_pass.h"
#include "fluid/fluid_state.h"
#include "fluid/state_update.h"
#include "fluid_fixture.h"
#include "properties/properties.h"

namespace fluid_test {
namespace {

constexpr int kWater = 2;

class StateUpdateTest : public FluidTest {
 protected:
  // Density of water at pressure p and enthalpy h in the two-phase region.
  static double rho_ph(double p, double h) {
    const double ts = XTEMPS(p, kWater, 0);
    const double x = XGXPH(p, h, kWater, 0);
    return XRHO(p, ts, x, kWater, 0);
  }
  static double hl(double p) { return XENTHS(p, XTEMPS(p, kWater, 0), 0.0, kWater, 0); }
  static double hv(double p) { return XENTHS(p, XTEMPS(p, kWater, 0), 1.0, kWater, 0); }
};

TEST_F(StateUpdateTest, QualityOfPressureAndEnthalpy) {
  const double p = 2.0e5, l = hl(p), v = hv(p);
  EXPECT_EQ(XGXPH(p, l, kWater, 0), 0.0);
  EXPECT_EQ(XGXPH(p, l - 1.0, kWater, 0), 0.0);
  EXPECT_EQ(XGXPH(p, v, kWater, 0), 1.0);
  EXPECT_EQ(XGXPH(p, v + 1.0e5, kWater, 0), 1.0);
  EXPECT_DOUBLE_EQ(XGXPH(p, l + 0.25 * (v - l), kWater, 0), 0.25);
  const double ts = XTEMPS(p, kWater, 0);
  EXPECT_EQ(XGXPT(p, ts, kWater, 0), 0.0);  // at saturation: liquid
  EXPECT_EQ(XGXPT(p, ts + 0.01, kWater, 0), 1.0);
  EXPECT_EQ(XGXPT(p, 20.0, kWater, 0), 0.0);
}

struct TwoPhaseCase {
  double p, x;
};

class TwoPhaseDerivatives : public StateUpdateTest, public ::testing::WithParamInterface<TwoPhaseCase> {};

TEST_P(TwoPhaseDerivatives, AgreeWithDifferencesOfThePropertyFunctions) {
  const auto c = GetParam();
  const double p = c.p, ts = XTEMPS(p, kWater, 0);
  const double h = hl(p) + c.x * (hv(p) - hl(p));
  double drdh = 0.0, drdp = 0.0, rho = 0.0;
  XDRHO(h, kWater, 0, GLOR.PABS, p, c.x, GLOR.TABS, ts, drdh, drdp, rho);
  EXPECT_EQ(rho, XRHO(p, ts, c.x, kWater, 0));
  EXPECT_NEAR(rho, rho_ph(p, h), 1e-12 * rho);
  // At constant pressure the homogeneous density is 1 / (a + b h): a central
  // difference agrees closely.
  const double dh = 1.0e-4 * (hv(p) - hl(p));
  const double fd_h = (rho_ph(p, h + dh) - rho_ph(p, h - dh)) / (2.0 * dh);
  EXPECT_NEAR(drdh / fd_h, 1.0, 1e-6);
  // At constant enthalpy: exactly the one-sided step of 0.1 % of the absolute
  // pressure, downwards below a quality of 0.5, upwards from it on ...
  const double step = 0.001 * (GLOR.PABS + p) * (c.x < 0.5 ? -1.0 : 1.0);
  EXPECT_DOUBLE_EQ(drdp, (rho_ph(p + step, h) - rho) / step);
  EXPECT_NE(drdp, (rho_ph(p - step, h) - rho) / -step);
  // ... close to the derivative itself.
  const double dp = 1.0e-6 * p;
  const double fd_p = (rho_ph(p + dp, h) - rho_ph(p - dp, h)) / (2.0 * dp);
  EXPECT_NEAR(drdp / fd_p, 1.0, 0.01);
  EXPECT_GT(drdp, 0.0);  // a mixture is compressed by pressure
  EXPECT_LT(drdh, 0.0);  // and thinned by heat
}

INSTANTIATE_TEST_SUITE_P(Water, TwoPhaseDerivatives,
                         ::testing::Values(TwoPhaseCase{1.0e5, 0.1}, TwoPhaseCase{2.0e5, 0.3},
                                           TwoPhaseCase{2.0e5, 0.5}, TwoPhaseCase{5.0e5, 0.7},
                                           TwoPhaseCase{1.0e6, 0.95}),
                         [](const auto& info) {
                           return "P" + std::to_string(static_cast<int>(info.param.p / 1000.0)) + "kPa_X" +
                                  std::to_string(static_cast<int>(info.param.x * 100.0 + 0.5));
                         });

class FgupdtTest : public StateUpdateTest {
 protected:
  void setup(int n) {
    tna_test::FluidModel f = tna_test::chain(n);
    build(f);
    store = std::make_unique<PassStore>(net);
    GLOR.DAMPM = 0.5;
    GLOR.FRLXCA = 1.0e-4;
    GLOR.RELXMA = 1.0e-6;
    GLOR.RELXMC = 0.0;
  }
  std::unique_ptr<PassStore> store;
};

TEST_F(FgupdtTest, TwoPhaseNodesAndTheLargestChange) {
  setup(3);
  FgPass& w = store->w;
  const double ps[] = {1.0e5, 2.0e5, 5.0e5}, xs[] = {0.2, 0.6, 0.9};
  // Enthalpy changes chosen so that nodes 2 and 3 tie for the largest change
  // expressed as a temperature: |dh| / (DAMPM cp).
  double cp[3];
  for (int i = 1; i <= 3; ++i) {
    const double p = ps[i - 1];
    w.pnew(i) = p;
    w.hnew(i) = hl(p) + xs[i - 1] * (hv(p) - hl(p));
    cp[i - 1] = XCP(p, XTEMPS(p, kWater, 0), XGXPH(p, w.hnew(i), kWater, 0), kWater, 0);
  }
  net.fe(1) = w.hnew(1) - 0.5 * cp[0] * 1.0;  // 1 K
  net.fe(2) = w.hnew(2) + 0.5 * cp[1] * 2.0;  // 2 K
  net.fe(3) = w.hnew(3) - 0.5 * cp[2] * 2.0;  // 2 K, a tie
  int converged = -1;
  FGUPDT(net, w, converged);
  for (int i = 1; i <= 3; ++i) {
    const double p = ps[i - 1], ts = XTEMPS(p, kWater, 0);
    EXPECT_DOUBLE_EQ(net.vq(i), XGXPH(p, w.hnew(i), kWater, 0)) << i;
    EXPECT_NEAR(net.vq(i), xs[i - 1], 1e-12) << i;
    EXPECT_EQ(net.tf(i), ts) << i;
    EXPECT_EQ(net.frg(i), "HEM") << i;
    double drdh, drdp, rho;
    XDRHO(w.hnew(i), kWater, net.global(i), 0.0, p, net.vq(i), GLOR.TABS, ts, drdh, drdp, rho);
    EXPECT_EQ(w.rho(i), rho) << i;
    EXPECT_EQ(w.drdh(i), drdh) << i;
    EXPECT_EQ(w.drdp(i), drdp) << i;
    // The pressure and the previous enthalpy are left alone.
    EXPECT_EQ(net.p(i), 2.0e5) << i;
  }
  EXPECT_NEAR(GLOR.FRLXCC, 2.0, 1e-9);
  EXPECT_EQ(GLOI.NFRLXC, 2);  // the first of the tie
  EXPECT_EQ(converged, 0);
}

TEST_F(FgupdtTest, ConvergedNeedsBothCriteria) {
  setup(1);
  FgPass& w = store->w;
  w.pnew(1) = 2.0e5;
  w.hnew(1) = hl(2.0e5) + 0.5 * (hv(2.0e5) - hl(2.0e5));
  net.fe(1) = w.hnew(1);  // no change
  struct Row {
    double relxmc, frlxca;
    int expect;
  };
  const Row rows[] = {{0.0, 1.0e-4, 1}, {1.0e-6, 1.0e-4, 0}, {2.0e-6, 1.0e-4, 0}, {0.0, 0.0, 0}};
  for (const Row& r : rows) {
    GLOR.RELXMC = r.relxmc;
    GLOR.FRLXCA = r.frlxca;
    int converged = -1;
    FGUPDT(net, w, converged);
    EXPECT_EQ(GLOR.FRLXCC, 0.0);
    EXPECT_EQ(GLOI.NFRLXC, 0);
    EXPECT_EQ(converged, r.expect) << r.relxmc << " " << r.frlxca;
  }
  // Without fluid nodes only the two criteria decide.
  gar_deallocate_all();
  tna_test::FluidModel empty;
  empty.thermal(1, 'D', 20.0);
  build(empty);
  PassStore none(net);
  GLOR.RELXMC = 0.0;
  GLOR.FRLXCA = 1.0e-4;
  int converged = -1;
  FGUPDT(net, none.w, converged);
  EXPECT_EQ(converged, 1);
  GLOR.FRLXCA = 0.0;
  FGUPDT(net, none.w, converged);
  EXPECT_EQ(converged, 0);
}

TEST_F(FgupdtTest, StateThatIsNotANumberNeverConverges) {
  // A non-number compares false with the tolerance: it must still count as
  // a change without bound. Node 2 of two, so that the node is named; the
  // pressure, the new or the previous enthalpy not a number.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Row {
    const char* what;
    double p, h, fe;
  };
  const double h0 = hl(2.0e5) + 0.5 * (hv(2.0e5) - hl(2.0e5));
  const Row rows[] = {{"new enthalpy", 2.0e5, nan, h0}, {"previous enthalpy", 2.0e5, h0, nan}, {"pressure", nan, h0, h0}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    gar_deallocate_all();
    setup(2);
    FgPass& w = store->w;
    for (int i = 1; i <= 2; ++i) {
      w.pnew(i) = 2.0e5;
      w.hnew(i) = h0;
      net.fe(i) = h0;
    }
    w.pnew(2) = r.p;
    w.hnew(2) = r.h;
    net.fe(2) = r.fe;
    int converged = -1;
    FGUPDT(net, w, converged);
    EXPECT_EQ(converged, 0);
    EXPECT_EQ(GLOR.FRLXCC, std::numeric_limits<double>::infinity());
    EXPECT_EQ(GLOI.NFRLXC, 2);
  }
}

TEST_F(FgupdtTest, SubmodelOfAFluidNode) {
  tna_test::FluidModel f;
  const int sub = f.submodel("PUMP");
  f.fluid(1);
  f.fluid(2, sub);
  f.fluid(3);
  build(f);
  EXPECT_EQ(SMODND(f.findex(1)), 1);
  EXPECT_EQ(SMODND(f.findex(2)), sub);
  EXPECT_EQ(SMODND(f.findex(3)), 1);
}

}  // namespace
}  // namespace fluid_test
