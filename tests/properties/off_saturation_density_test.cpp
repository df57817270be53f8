// Densities off saturation: the worked values of the gas, vapour and liquid
// routines with their iteration counts, their diagnostics, continuity with
// the saturated densities, the iterations that stop on a non-number, and the
// compressed-liquid correction where it gives no density.
#include <cmath>
#include <limits>
#include <string>

#include "core/control_constants.h"
#include "properties/data/tables.h"
#include "properties/library.h"
#include "properties/properties.h"
#include "property_fixture.h"

namespace {

using prop_test::PropertyTest;

enum Fluid { kAmmonia = 1, kWater, kAir, kHumidAir, kR11, kR114, kR12, kR21, kR22, kR502 };
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

using VapourDensity = PropertyTest;

TEST_F(VapourDensity, WorkedValuesWithTheirIterations) {
  struct Case {
    const char* what;
    double (*f)(PropWork*);
    double expected, tolerance;
    int steps;  // -1: not iterative
  };
  const Case cases[] = {
      // Air: 1e5 / (287.04 x 293.15) with PABS 1e5, P = 0, TABS 273.15, T = 20.
      {"PRHO00", [](PropWork*) { return PRHO00(0.0, 100000.0, 20.0, 273.15); }, 1.18841, 5e-6, -1},
      // Water vapour at 1e5 Pa and 400 K: one Newton correction (ideal gas 0.5417).
      {"PROS02", [](PropWork* w) { return prop_pros02(0.0, 1e5, 0.0, 400.0, w); }, 0.5478, 5e-5, 1},
      // R11 at 1e5 Pa and 300 K after two secant steps, R22 at 1e6 Pa and 320 K after three.
      {"PROS04", [](PropWork* w) { return PFRHOV(prop_const::kEosR11, 1e5, 300.0, w); }, 5.7165, 5e-5, 2},
      {"PROS10", [](PropWork* w) { return PFRHOV(prop_const::kEosR22, 1e6, 320.0, w); }, 37.149, 5e-4, 3},
  };
  const std::string out = printed([&] {
    for (const Case& c : cases) {
      PropWork work;
      EXPECT_NEAR(c.f(&work), c.expected, c.tolerance) << c.what;
      if (c.steps >= 0) {
        EXPECT_EQ(work.steps, c.steps) << c.what;
      }
    }
    // The routines behind the dispatch give the same values.
    EXPECT_EQ(PROS04(0.0, 1e5, 0.0, 300.0), PFRHOV(prop_const::kEosR11, 1e5, 300.0));
    EXPECT_EQ(PROS10(1e5, 9e5, 273.15, 46.85), PFRHOV(prop_const::kEosR22, 1e6, 320.0));
    EXPECT_EQ(PROS02(1e5, 0.0, 273.15, 126.85), prop_pros02(0.0, 1e5, 0.0, 400.0, nullptr));
  });
  EXPECT_EQ(out, "");
}

TEST_F(VapourDensity, EquationOfStateOfR21HasThreeTerms) {
  // b = 0, K = 0 and every Ci = 0: R TR/v + (A2 + B2 TR)/v^2 + (A3 + B3 TR)/v^3.
  const auto& c = prop_const::kEosR21;
  for (double tr : {500.0, 700.0})
    for (double v : {0.5, 3.0, 20.0}) {
      const double expected =
          c.r * tr / v + (c.a[0] + c.bt[0] * tr) / (v * v) + (c.a[1] + c.bt[1] * tr) / (v * v * v);
      EXPECT_NEAR(PEOS(c, tr, v), expected, 1e-12 * std::fabs(expected));
    }
  // The inversion meets the pressure it was asked for.
  const double rho = PFRHOV(c, 2e5, 350.0);
  const double v = 1.0 / (rho * prop_const::kEosLbFt3PerKgM3);
  const double ppsi = prop_const::kEosPsiPerPascal * 2e5;
  EXPECT_NEAR(PEOS(c, prop_const::kEosRankinePerKelvin * 350.0, v) / ppsi, 1.0, 1e-5);
}

TEST_F(VapourDensity, RangeDiagnosticsAndTheValuesThatFollow) {
  // Air below 1 K: divided by 287.04 alone.
  double rho = 0.0;
  EXPECT_EQ(printed([&] { rho = PRHO00(2e5, 0.0, 0.5, 0.0); }),
            box("Temperature less than minimum temperature@ Temperature =       0.50: Minimum temperature assumed.",
                2, 1, "PRHO00"));
  EXPECT_EQ(rho, 2e5 / 287.04);

  // Water vapour: the computation goes on at the limit; pressure first.
  const double at_limit_t = prop_pros02(0.0, 1e5, 0.0, 1073.15, nullptr);
  EXPECT_EQ(printed([&] { rho = PROS02(0.0, 1e5, 0.0, 1200.0); }),
            box("Temperature out of range for fluid property function@Superheated water density: temperature =  "
                "    1200.00",
                2, 3, "PROS02"));
  EXPECT_EQ(rho, at_limit_t);
  const double at_limit_p = prop_pros02(0.0, 1e7, 0.0, 700.0, nullptr);
  EXPECT_EQ(printed([&] { rho = PROS02(0.0, 2e7, 0.0, 700.0); }),
            box("Pressure out of range for fluid property function@Superheated water density: pressure = "
                "0.200000E+08",
                2, 1, "PROS02"));
  EXPECT_EQ(rho, at_limit_p);
  EXPECT_EQ(printed([&] { PROS02(1e5, 1e5, 273.15, -10.0); }),
            box("Temperature out of range for fluid property function@Superheated water density: temperature =  "
                "     -10.00",
                2, 2, "PROS02"));
  const std::string both = printed([&] { PROS02(0.0, 3e7, 0.0, 200.0); });
  EXPECT_LT(both.find("(PROS02,   1)"), both.find("(PROS02,   2)"));

  // The second virial coefficient: the ends of its table.
  const std::string ctx = " Node 7 in model SUB1 (MAIN:SUB1)";
  double b = 0.0;
  EXPECT_EQ(printed([&] { b = PB16(4, 700.0, 0.0); }),
            box("Temperature too high for 2nd Virial Coefficient of ammonia@Temperature =     700.00" + ctx, 2, 2,
                "PB16  "));
  EXPECT_EQ(b, -0.0334);
  EXPECT_EQ(
      printed([&] { b = PB16(0, -80.0, 273.15); }),
      box("Temperature too low for 2nd Virial Coefficient of ammonia@Temperature =     -80.00", 2, 1, "PB16  "));
  EXPECT_EQ(b, -1.020038);
}

TEST_F(VapourDensity, VirialCoefficientHoldsItsFixedRowsAndInterpolates) {
  struct Row {
    double tk, b;  // cm3/mol
  };
  const Row rows[] = {{195, -1020.038}, {200, -945.484}, {250, -447.638}, {300, -249.264}, {350, -161.655},
                      {400, -113.828},  {500, -62.518},  {600, -39.619},  {650, -34.863}};
  const std::string out = printed([&] {
    for (const Row& r : rows) EXPECT_NEAR(PB16(0, r.tk, 0.0), r.b * 0.001, 1e-15) << r.tk;
    // Between two points: the straight line; just below 700 K the last interval.
    const double* y = prop_data::kPB16.y;
    EXPECT_NEAR(PB16(0, 302.5, 0.0), 0.5 * (y[21] + y[22]) * 0.001, 1e-15);
    EXPECT_NEAR(PB16(0, 699.999, 0.0), -0.0334, 1e-6);
    // The table rises towards zero with temperature.
    for (int k = 0; k + 1 < prop_data::kPB16.n; ++k) EXPECT_LT(y[k], y[k + 1]) << k;
  });
  EXPECT_EQ(out, "");
  EXPECT_EQ(prop_data::kPB16.n, 102);
}

TEST_F(VapourDensity, AmmoniaMeetsItsSaturatedDensityAndLeavesItAboveTheBand) {
  offsets(273.15, 0.0);
  const std::string out = printed([&] {
    for (double pk : {2e4, 1e5, 5e5, 2e6}) {
      const double ts = XTEMPS(pk, kAmmonia, 0);
      const double rhos = XRHOS(pk, ts, 1.0, kAmmonia, 0);
      // At the saturation temperature: the saturated density.
      EXPECT_NEAR(XRHO(pk, ts, 1.0, kAmmonia, 0), rhos, 1e-12 * rhos) << pk;
      // At and beyond the band's edge: the plain second-virial gas.
      const double w0 = pk * 0.6 / 100000.0 + 5.0;
      for (double dt : {w0, w0 + 20.0}) {
        const double t = ts + dt;
        const double plain = 17.03 / (8314.4 * (t + 273.15) / pk + PB16(0, t, 273.15));
        EXPECT_NEAR(PROS16(0, 0.0, pk, 273.15, t), plain, 1e-12 * plain) << pk << " " << dt;
      }
      // Superheating lowers the density; slightly below saturation the
      // blend goes on smoothly.
      EXPECT_LT(XRHO(pk, ts + 3.0, 1.0, kAmmonia, 0), rhos);
      EXPECT_GT(XRHO(pk, ts - 0.5, 1.0, kAmmonia, 0), rhos);
    }
  });
  EXPECT_EQ(out, "");
}

TEST_F(VapourDensity, AmmoniaJouleThomsonJustAboveSaturation) {
  // The blend into the saturated density near saturation turned a
  // difference between the saturated-vapour table and the virial gas into a
  // false slope: -1.3e-3 K/Pa at 20 kPa and 2 K superheat. Against
  // iapws ammonia at the library's saturation temperature plus dt; the
  // library's virial gas and vapour specific heat give about 0.83 of it
  // beyond the band as well (at 100 kPa and 10 K).
  struct Row {
    double pk, dt, mu;  // Pa, K, K/Pa
  };
  const Row rows[] = {{2e4, 0.5, 1.14e-4}, {2e4, 2.0, 1.10e-4}, {2e4, 5.0, 1.04e-4}, {5e4, 2.0, 8.08e-5},
                      {1e5, 0.5, 6.48e-5}, {1e5, 2.0, 6.32e-5}, {1e5, 5.0, 6.01e-5}, {1e5, 10.0, 5.54e-5}};
  offsets(0.0, 0.0);
  const std::string out = printed([&] {
    for (const Row& r : rows) {
      const double mu = XJT(r.pk, XTEMPS(r.pk, kAmmonia, 0) + r.dt, 1.0, kAmmonia, 0);
      EXPECT_NEAR(mu / r.mu, 1.0, 0.25) << r.pk << " " << r.dt;
    }
  });
  EXPECT_EQ(out, "");
}

TEST_F(VapourDensity, RefrigerantAndWaterVapourMeetTheirSaturatedDensities) {
  // The equation of state at the saturation temperature against the
  // saturated-vapour table of the same substance.
  offsets(273.15, 0.0);
  struct Case {
    int ff;
    double tolerance;
  };
  const Case cases[] = {{kR11, 5e-3}, {kR114, 5e-3}, {kR12, 5e-3},  {kR21, 5e-3},
                        {kR22, 5e-3}, {kR502, 5e-3}, {kWater, 1e-2}};
  const std::string out = printed([&] {
    for (const Case& c : cases)
      for (double pk : {2e4, 1e5, 5e5, 1.5e6}) {
        const double ts = XTEMPS(pk, c.ff, 0);
        const double rhos = XRHOS(pk, ts, 1.0, c.ff, 0);
        EXPECT_NEAR(XRHO(pk, ts, 1.0, c.ff, 0) / rhos, 1.0, c.tolerance) << c.ff << " at " << pk;
      }
  });
  EXPECT_EQ(out, "");
}

TEST_F(VapourDensity, WaterVapourBelowSaturationStaysPositive) {
  // Cold and dense, where the virial equation has no positive root, Newton
  // steps end at a negative density (they gave -40.4 and -337 kg/m3 for the
  // first two) or wander on (the third, until the run-away guard): a
  // warning and the ideal-gas density instead.
  struct Case {
    double pk, tk;
    const char* numbers;  // pressure and temperature as the message writes them
  };
  const Case cases[] = {{1e6, 350.0, "0.100000E+07, temperature =       350.00"},
                        {1e7, 500.0, "0.100000E+08, temperature =       500.00"},
                        {1e7, 440.0, "0.100000E+08, temperature =       440.00"}};
  for (const Case& c : cases) {
    double rho = 0.0;
    EXPECT_EQ(printed([&] { rho = PROS02(0.0, c.pk, 0.0, c.tk); }),
              box(std::string("Vapour density not positive@No positive root of the virial equation of superheated "
                              "water: ideal-gas density assumed@Pressure = ") +
                      c.numbers,
                  2, 5, "PROS02"))
        << c.pk;
    EXPECT_EQ(rho, c.pk / (461.5 * c.tk)) << c.pk;
  }
  // Across the whole range every density is positive and finite, and above
  // the saturation temperature nothing is reported.
  offsets(0.0, 0.0);
  for (double pk : {1e3, 1e4, 1e5, 1e6, 3e6, 1e7})
    for (double tk = 275.0; tk <= 1070.0; tk += 15.0) {
      double rho = 0.0;
      const std::string out = printed([&] { rho = PROS02(0.0, pk, 0.0, tk); });
      EXPECT_TRUE(std::isfinite(rho) && rho > 0.0) << pk << " " << tk;
      if (tk > PTS02(0, 0.0, pk, 0.0) + 1.0) {
        EXPECT_EQ(out, "") << pk << " " << tk;
      }
    }
  // Humid air at a humidity far above saturation (its vapour at 1 MPa and
  // 350 K, where it was -40.4 kg/m3): the vapour part stays positive too.
  const double pa = 1.6221e6, pv = (1.0 * pa) / (1.0 + 0.6221);
  double rho = 0.0;
  const std::string out = printed([&] { rho = XRHO(pa, 350.0, 1.0, kHumidAir, 0); });
  EXPECT_NE(out.find("(PROS02,   5)"), std::string::npos) << out;
  EXPECT_EQ(rho, pv / (461.5 * 350.0) + PRHO00(pa - pv, 0.0, 350.0, 0.0));
}

TEST_F(VapourDensity, IterationsStopAtOnceOnANonNumber) {
  bool ended;
  // Zero absolute pressure: the first volume of the secant steps is infinite.
  EXPECT_EQ(
      run([&] { PFRHOV(prop_const::kEosR12, 0.0, 300.0); }, ended),
      fatal_box("Vapour density iteration failed@Secant steps on the refrigerant equation of state met two equal "
                "pressures or a non-number@Absolute pressure =  0.00000    , absolute temperature =       300.00",
                1, "PFRHOV"));
  EXPECT_TRUE(ended);
  EXPECT_EQ(run([&] { PROS06(0.0, kNaN, 0.0, 300.0); }, ended).find("(PFRHOV,   1)") != std::string::npos, true);
  EXPECT_TRUE(ended);
  // Water vapour at a pressure that is not a number.
  EXPECT_EQ(
      run([&] { PROS02(0.0, kNaN, 0.0, 400.0); }, ended),
      fatal_box("Vapour density iteration failed@Newton steps on the superheated water density met a zero slope "
                "or a non-number@Pressure =          NaN, temperature =       400.00",
                4, "PROS02"));
  EXPECT_TRUE(ended);
}

using LiquidDensity = PropertyTest;

TEST_F(LiquidDensity, SpeedOfSoundAndCompressibilityWorkedValues) {
  offsets(273.15, 0.0);
  const std::string out = printed([&] {
    // 0 C at zero absolute pressure: the constant term alone.
    EXPECT_EQ(PSND01(0.0, 0.0), 1402.859);
    EXPECT_NEAR(PSND01(1e5, 20.0), 1482.92, 0.01);
    // Above its crossing with the isothermal speed (near 467 K) the
    // polynomial is continued: continuous there at every pressure, and
    // positive where the polynomial itself crossed zero (537.6 K).
    const double tx = prop_data::kPSND01.x0 - 273.15;
    for (double p : {1e5, 2e6, 1e7, 3e7}) {
      EXPECT_NEAR(PSND01(p, std::nextafter(tx, 1e9)), PSND01(p, tx), 1e-9) << p;
      EXPECT_GT(PSND01(p, 537.6 - 273.15), 700.0) << p;
      EXPECT_GT(PSND01(p, 700.0 - 273.15), 250.0) << p;  // beyond the tables: held
    }
    EXPECT_NEAR(XRHO(6e6, 537.0 - 273.15, 0.0, kWater, 0), 779.0, 779.0 * 1e-3);
    // Liquid ammonia: the table's fixed rows, 1/bar to 1/Pa.
    struct Row {
      double t, kappa;
    };
    const Row rows[] = {{-77, 4.5e-05}, {-67, 6.1e-05},  {-57, 7.3e-05}, {-47, 8.2e-05}, {-37, 8.9e-05},
                        {-27, 9.5e-05}, {-17, 0.000102}, {-7, 0.000112}, {3, 0.000124},  {13, 0.000141},
                        {23, 0.000162}, {31, 0.000183},  {41, 0.000217}, {51, 0.000263}, {61, 0.000325},
                        {71, 0.000414}, {81, 0.000548},  {91, 0.000767}};
    for (const Row& r : rows) EXPECT_NEAR(PKT15(0, r.t, 273.15), r.kappa * 1e-5, 1e-22) << r.t;
    EXPECT_EQ(PKT15(0, 364.15, 0.0), 0.000767 * 1e-5);  // 91 C exactly: the last entry
    // Halfway between two entries: their mean.
    const double* a = prop_data::kPKT15_1.y;
    EXPECT_NEAR(PKT15(0, 196.65, 0.0), 0.5 * (a[0] + a[1]) * 1e-5, 1e-20);
  });
  EXPECT_EQ(out, "");
  EXPECT_EQ(prop_data::kPKT15_1.n, 109);
  EXPECT_EQ(prop_data::kPKT15_2.n, 61);
  EXPECT_EQ(prop_data::kPKT15_1.y[108], prop_data::kPKT15_2.y[0]);

  double k = 0.0;
  const std::string text = "Temperature out of range for compressibility function@ Node 20 in main model";
  EXPECT_EQ(printed([&] { k = PKT15(2, -78.0, 273.15); }), box(text, 2, 1, "PKT15 "));
  EXPECT_EQ(k, 4.5e-05 * 1e-5);
  EXPECT_EQ(printed([&] { k = PKT15(2, 92.0, 273.15); }), box(text, 2, 1, "PKT15 "));
  EXPECT_EQ(k, 0.000767 * 1e-5);
}

TEST_F(LiquidDensity, AtTheSaturationPressureEveryLiquidHasItsSaturatedDensity) {
  offsets(273.15, 101325.0);
  struct Case {
    int ff;
    double t;  // C
  };
  const Case cases[] = {{kAmmonia, -20.0}, {kAmmonia, 40.0}, {kWater, 20.0}, {kWater, 150.0}, {kR11, 20.0},
                        {kR114, 30.0},     {kR12, 0.0},      {kR21, 20.0},   {kR22, -10.0},   {kR502, 0.0}};
  const std::string out = printed([&] {
    for (const Case& c : cases) {
      const double ps = XPRESS(c.t, c.ff, 0);
      const double rhos = XRHOS(ps, c.t, 0.0, c.ff, 0);
      EXPECT_NEAR(XRHO(ps, c.t, 0.0, c.ff, 0), rhos, 1e-12 * rhos) << c.ff << " " << c.t;
      // Compressed by 5 MPa the liquid is denser (but R502, which has no
      // correction); below the saturation pressure there is no clamp.
      const double up = XRHO(ps + 5e6, c.t, 0.0, c.ff, 0);
      if (c.ff == kR502) {
        EXPECT_EQ(up, rhos);
      } else {
        EXPECT_GT(up, rhos) << c.ff << " " << c.t;
        EXPECT_LT(up, 1.1 * rhos) << c.ff << " " << c.t;
        EXPECT_LT(XRHO(ps - 1000.0, c.t, 0.0, c.ff, 0), rhos) << c.ff << " " << c.t;
      }
    }
  });
  EXPECT_EQ(out, "");
}

TEST_F(LiquidDensity, WaterAndAmmoniaCorrections) {
  // Water at 20 C, 1e7 Pa: rho_s + (P - Ps) 1.01 / u^2 with u at Ps; the
  // compressibility of water (about 4.6e-10 1/Pa) makes it some 0.46 % denser.
  offsets(273.15, 0.0);
  const std::string out = printed([&] {
    const double ps = PSAT02(0.0, 273.15, 20.0);
    const double u = PSND01(ps, 20.0);
    const double rhos = PRHO01(0, 20.0, 273.15);
    EXPECT_EQ(PROL01(1e7, 0.0, 20.0, 273.15), rhos + (1e7 - ps) * 1.01 / (u * u));
    EXPECT_NEAR(PROL01(1e7, 0.0, 20.0, 273.15) / rhos - 1.0, 4.6e-3, 0.1e-3);
    // Ammonia: (1 + (P - Ps) kappa) rho_s.
    const double pa = PSAT16(0.0, 273.15, 0.0);
    EXPECT_EQ(PROL15(3, 0.0, 2e6, 273.15, 0.0), (1.0 + (2e6 - pa) * PKT15(3, 0.0, 273.15)) * PRHO15(3, 0.0, 273.15));
    // R502: the saturated density at every pressure.
    EXPECT_EQ(PROL13(0, 0.0, 1e5, 273.15, 0.0), PROL13(0, 0.0, 3e6, 273.15, 0.0));
  });
  EXPECT_EQ(out, "");
}

TEST_F(LiquidDensity, CompressedWaterFollowsIapwsToTheEndOfItsTables) {
  // Every 50 K from 300 K to the end of the liquid tables, 1 and 5 MPa above
  // the library's saturation pressure: IAPWS-95 densities, and its
  // isothermal compressibility at 1 MPa above. The speed of sound once fell
  // to zero at 537.6 K (4,401 kg/m3 at 6 MPa and 537 K).
  struct Row {
    double tk;
    double rho1, rho5;  // kg/m3, IAPWS-95 at Ps + 1 MPa and Ps + 5 MPa
    double kappa;       // 1/Pa at Ps + 1 MPa
    double tolerance;   // relative, of the density
  };
  const Row rows[] = {
      {300.0, 996.962, 998.746, 4.495e-10, 5e-4}, {350.0, 974.147, 975.918, 4.568e-10, 5e-4},
      {400.0, 937.999, 940.035, 5.462e-10, 5e-4}, {450.0, 890.996, 893.585, 7.339e-10, 5e-4},
      {500.0, 832.249, 835.916, 1.121e-09, 5e-4}, {550.0, 757.390, 763.473, 2.078e-09, 5e-4},
      // The slope at saturation, continued to 5 MPa, gives a little too
      // much compression close to the critical point.
      {600.0, 653.326, 667.164, 5.858e-09, 4e-3}, {620.0, 594.450, 617.728, 1.198e-08, 2e-2},
  };
  offsets(0.0, 0.0);
  const std::string out = printed([&] {
    for (const Row& r : rows) {
      const double ps = XPRESS(r.tk, kWater, 0);
      const double rhos = XRHOS(ps, r.tk, 0.0, kWater, 0);
      const double rho1 = XRHO(ps + 1e6, r.tk, 0.0, kWater, 0), rho5 = XRHO(ps + 5e6, r.tk, 0.0, kWater, 0);
      EXPECT_NEAR(rho1 / r.rho1, 1.0, r.tolerance) << r.tk;
      EXPECT_NEAR(rho5 / r.rho5, 1.0, r.tolerance) << r.tk;
      EXPECT_GT(rho1, rhos) << r.tk;
      EXPECT_GT(rho5, rho1) << r.tk;
      EXPECT_NEAR(XKT(ps + 1e6, r.tk, 0.0, kWater, 0) / r.kappa, 1.0, 0.15) << r.tk;
    }
  });
  EXPECT_EQ(out, "");
}

TEST_F(LiquidDensity, CompressedLiquidCorrelationEndsWithTheSaturatedDensity) {
  const auto& c = prop_const::kLiquidR22;
  const double vs = 1.0 / 600.0;
  double rho = 0.0;
  // At the critical temperature exactly.
  EXPECT_EQ(printed([&] { rho = PRHOL(c.omega, 6e6, c.pc, 4.9e6, c.tc, c.tc, vs); }),
            box("Temperature greater than critical temperature@Temperature too high for calculation of liquid "
                "density. Temperature =    369.30 . Critical temperature assumed.",
                2, 1, "PRHOL "));
  EXPECT_EQ(rho, 600.0);
  // Just below it, at a pressure above the critical one and a saturation
  // pressure below it: the two sides of the ratio have opposite signs and
  // the correlation has no logarithm to take.
  EXPECT_EQ(printed([&] { rho = PRHOL(c.omega, 7e6, c.pc, 4.97e6, 369.2, c.tc, vs); }),
            box("Compressed liquid density undefined@No correction of the saturated liquid density at pressure ="
                "0.700000E+07 and temperature =    369.20. Saturated liquid density assumed.",
                2, 2, "PRHOL "));
  EXPECT_EQ(rho, 600.0);
  // The same state through the property function of liquid R22.
  offsets(0.0, 0.0);
  const std::string out = printed([&] { rho = XRHO(7e6, 369.2, 0.0, kR22, 0); });
  EXPECT_NE(out.find("(PRHOL ,   2)"), std::string::npos) << out;
  EXPECT_EQ(rho, PRHO09(0, 369.2, 0.0));
  // Far from the critical point the correction is small and positive.
  EXPECT_GT(PRHOL(c.omega, 3e6, c.pc, 5e5, 270.0, c.tc, vs), 600.0);
  EXPECT_LT(PRHOL(c.omega, 3e6, c.pc, 5e5, 270.0, c.tc, vs), 606.0);
}

}  // namespace
