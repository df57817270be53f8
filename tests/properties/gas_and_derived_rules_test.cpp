// The rules of the dispatch that compute their value: dry air and humid air,
// the Joule-Thomson coefficient and the isothermal compressibility, against
// their formulas and against the physics of water (IAPWS-95).
#include <cmath>
#include <string>

#include "core/control_constants.h"
#include "properties/library.h"
#include "properties/properties.h"
#include "property_fixture.h"

namespace {

using prop_test::PropertyTest;

enum Fluid { kAmmonia = 1, kWater, kAir, kHumidAir, kR11, kR114, kR12, kR21, kR22, kR502 };

using GasRules = PropertyTest;

TEST_F(GasRules, SaturatedStatesOfTheGases) {
  offsets(273.15, 0.0);
  for (double p : {-5e4, 0.0, 1e5, 3e6}) {
    EXPECT_EQ(XTEMPS(p, kAir, 0), 1.0 - 273.15);
    EXPECT_EQ(XTEMPS(p, kHumidAir, 0), 273.16 - 273.15);
  }
  EXPECT_NEAR(XTEMPS(1e5, kAir, 0), -272.15, 1e-12);
  EXPECT_NEAR(XTEMPS(1e5, kHumidAir, 0), 0.01, 1e-12);
  EXPECT_EQ(XENTHS(1e5, 20.0, 0.0, kAir, 0), 0.0);
  EXPECT_EQ(XENTHS(1e5, 20.0, 1.0, kAir, 0), 1111.5554);
  EXPECT_EQ(XCPS(1e5, 20.0, 1.0, kAir, 0), 1111.5554);
  // Humid air with X = 1: the mean of the two specific heats, and that
  // times 273.16 K; X = 0.25 as the humidity of the saturated vapour.
  EXPECT_EQ(XCPS(1e5, 20.0, 1.0, kHumidAir, 0), (1868.07 + 1011.57) / 2.0);
  EXPECT_EQ(XENTHS(1e5, 20.0, 1.0, kHumidAir, 0), (1868.07 + 1011.57) / 2.0 * 273.16);
  EXPECT_EQ(XENTHS(1e5, 20.0, -1.0, kHumidAir, 0), 0.0);
  EXPECT_EQ(XCPS(1e5, 20.0, 3.0, kHumidAir, 0), (1868.07 * 3.0 + 1011.57) / 4.0);
}

TEST_F(GasRules, DryAirIsAnIdealGas) {
  offsets(273.15, 100000.0);
  const std::string out = printed([&] {
    EXPECT_NEAR(XRHO(0.0, 20.0, 1.0, kAir, 0), 100000.0 / (287.04 * 293.15), 1e-12);
    EXPECT_NEAR(XRHO(0.0, 20.0, 1.0, kAir, 0), 1.18841, 5e-6);
    for (double p : {-5e4, 0.0, 2e5}) {
      EXPECT_EQ(XKT(p, 20.0, 1.0, kAir, 0), 1.0 / (p + 100000.0));
      EXPECT_EQ(XKT(p, 20.0, 0.3, kHumidAir, 0), 1.0 / (p + 100000.0));
      EXPECT_EQ(XJT(p, 20.0, 1.0, kAir, 0), 0.0);
      EXPECT_EQ(XJT(p, 20.0, 0.3, kHumidAir, 0), 0.0);
    }
  });
  EXPECT_EQ(out, "");
}

TEST_F(GasRules, HumidAirMixesAirAndWaterVapour) {
  offsets(273.15, 0.0);
  const double p = 1e5, t = 30.0;
  const std::string out = printed([&] {
    // Dry: the air at the full pressure plus vapour at none.
    EXPECT_EQ(XRHO(p, t, 0.0, kHumidAir, 0), PRHO00(p, 0.0, t, 273.15) + 0.0);
    for (double w : {0.0, 0.01, 0.027}) {
      SCOPED_TRACE(w);
      const double pv = w * p / (w + 0.6221);
      EXPECT_EQ(XRHO(p, t, w, kHumidAir, 0), PROS02(0.0, pv, 273.15, t) + PRHO00(p - pv, 0.0, t, 273.15));
      EXPECT_EQ(XCP(p, t, w, kHumidAir, 0), (PCP02(0, t, 273.15) * w + PCP00(t, 273.15)) / (w + 1.0));
      EXPECT_EQ(XCOND(p, t, w, kHumidAir, 0),
                (PCND02(0, t, 273.15) * w + PCND00(t, 273.15) * 0.6221) / (0.6221 + w));
      EXPECT_EQ(XVISC(p, t, w, kHumidAir, 0),
                (PVSC02(0, t, 273.15) * w + PVSC00(t, 273.15) * 0.6221) / (0.6221 + w));
    }
    // Moist air is lighter than dry air at the same pressure.
    EXPECT_LT(XRHO(p, t, 0.02, kHumidAir, 0), XRHO(p, t, 0.0, kHumidAir, 0));
  });
  EXPECT_EQ(out, "");
}

using DerivedRules = PropertyTest;

TEST_F(DerivedRules, WaterAgainstIapws) {
  offsets(273.15, 0.0);
  const std::string out = printed([&] {
    // Liquid water at 20 C and 1e5 Pa: IAPWS-95 gives a compressibility of
    // 4.589e-10 1/Pa and a Joule-Thomson coefficient of -2.249e-7 K/Pa.
    EXPECT_NEAR(XKT(1e5, 20.0, 0.0, kWater, 0), 4.589e-10, 0.05e-10);
    EXPECT_NEAR(XJT(1e5, 20.0, 0.0, kWater, 0), -2.249e-7, 0.1e-7);
    // Steam at one atmosphere and 150 C: positive, of order 1e-5 K/Pa
    // (IAPWS-95: 3.69e-5).
    const double mu = XJT(101325.0, 150.0, 1.0, kWater, 0);
    EXPECT_GT(mu, 1e-5);
    EXPECT_LT(mu, 1e-4);
    // The saturated vapour: the vapour rule with quality 1.
    EXPECT_EQ(XJTS(101325.0, 150.0, 7.0, kWater, 0), XJT(101325.0, 150.0, 1.0, kWater, 0));
    // The liquid water rule: 1.01 / (u^2 rho).
    const double u = PSND01(1e5, 20.0);
    EXPECT_EQ(XKT(1e5, 20.0, 0.0, kWater, 0), 1.01 / ((u * u) * XRHO(1e5, 20.0, 0.0, kWater, 0)));
  });
  EXPECT_EQ(out, "");
}

TEST_F(DerivedRules, OneSidedDifferencesOfDensityAndTheirSigns) {
  offsets(273.15, 101325.0);
  const double tabs = 273.15, pabs = 101325.0;
  const std::string out = printed([&] {
    struct Case {
      int ff;
      double p, t;  // relative, liquid side; the vapour 60 K hotter
    };
    const Case cases[] = {{kAmmonia, 1e6, 0.0}, {kWater, 1e6, 50.0}, {kR11, 1e6, 20.0},  {kR114, 1e6, 20.0},
                          {kR12, 1e6, 0.0},     {kR21, 1e6, 20.0},   {kR22, 1e6, -10.0}, {kR502, 1e6, -10.0}};
    for (const Case& c : cases) {
      SCOPED_TRACE(c.ff);
      for (bool liquid : {true, false}) {
        const double x = liquid ? 0.0 : 1.0;
        const double p = liquid ? c.p : 0.0, t = liquid ? c.t : c.t + 60.0;
        const double tk = t + tabs, pk = p + pabs;
        const double rho0 = XRHO(p, t, x, c.ff, 0);
        // Joule-Thomson: 0.001 K colder for the liquid, hotter for the vapour.
        const double dt = liquid ? -0.001 : 0.001;
        const double rho_t = XRHO(p, (tk + dt) - tabs, x, c.ff, 0);
        EXPECT_EQ(XJT(p, t, x, c.ff, 0),
                  -(1.0 + tk * (rho_t - rho0) / (dt * rho0)) / (rho0 * XCP(p, t, x, c.ff, 0)));
        // Compressibility: 0.1 % higher for the liquid, lower for the vapour
        // (but liquid ammonia's table and liquid water's speed of sound).
        if (!liquid || (c.ff != kAmmonia && c.ff != kWater)) {
          const double dp = (liquid ? 0.001 : -0.001) * pk;
          const double rho_p = XRHO((pk + dp) - pabs, t, x, c.ff, 0);
          EXPECT_EQ(XKT(p, t, x, c.ff, 0), (rho_p - rho0) / (dp * rho0));
        }
        // Both signed steps give a compressibility with its proper sign
        // (R502's liquid has no pressure in its density: zero).
        const double kt = XKT(p, t, x, c.ff, 0);
        if (liquid && c.ff == kR502) {
          EXPECT_EQ(kt, 0.0);
        } else {
          EXPECT_GT(kt, 0.0);
        }
        // A vapour is far more compressible than its liquid; a vapour
        // near the ideal gas about 1/P.
        if (!liquid) {
          EXPECT_GT(kt, 100.0 * XKT(c.p, c.t, 0.0, c.ff, 0));
          EXPECT_NEAR(kt * pk, 1.0, 0.1);
        }
      }
    }
    // Liquid ammonia: its compressibility table.
    EXPECT_EQ(XKT(1e6, 0.0, 0.0, kAmmonia, 0), PKT15(0, 0.0, tabs));
  });
  EXPECT_EQ(out, "");
}

}  // namespace
