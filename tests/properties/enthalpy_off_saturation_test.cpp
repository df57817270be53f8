// Enthalpy off saturation and the temperature from it: round trips on both
// sides of saturation for every fluid that has them, the integral of the
// specific heat, the shortcuts of the inversion, humid air at a humidity
// between 0 and 1, and the inversion that meets a non-number.
#include <cmath>
#include <limits>
#include <string>

#include "core/control_constants.h"
#include "properties/library.h"
#include "properties/properties.h"
#include "property_fixture.h"

namespace {

using prop_test::PropertyTest;

enum Fluid { kAmmonia = 1, kWater, kAir, kHumidAir, kR11, kR114, kR12, kR21, kR22, kR502 };

using EnthalpyOffSaturation = PropertyTest;

// A pressure and, relative to its saturation temperature, a subcooled and a
// superheated temperature inside every table the fluid's routines read.
struct Side {
  int ff;
  double p;             // Pa
  double below, above;  // K from the saturation temperature
};
const Side kSides[] = {{kAmmonia, 5e5, -30.0, 15.0}, {kWater, 1e5, -60.0, 20.0}, {kR11, 1e5, -40.0, 25.0},
                       {kR114, 2e5, -40.0, 20.0},    {kR12, 3e5, -30.0, 20.0},   {kR21, 3e5, -40.0, 15.0},
                       {kR22, 5e5, -30.0, 20.0},     {kR502, 5e5, -30.0, 20.0}};

TEST_F(EnthalpyOffSaturation, RoundTripsOnBothSidesOfSaturation) {
  offsets(273.15, 0.0);
  const std::string out = printed([&] {
    for (const Side& s : kSides) {
      const double ts = XTEMPS(s.p, s.ff, 0);
      struct Leg {
        double x, dt;
      };
      for (const Leg leg :
           {Leg{0.0, s.below}, Leg{-1.0, 0.5 * s.below}, Leg{1.0, s.above}, Leg{2.0, 0.5 * s.above}}) {
        SCOPED_TRACE(std::to_string(s.ff) + " X " + std::to_string(leg.x) + " dT " + std::to_string(leg.dt));
        const double t = ts + leg.dt;
        const double h = XENTH(s.p, t, leg.x, s.ff, 0);
        EXPECT_NEAR(XTEMP(s.p, h, leg.x, s.ff, 0), t, 0.01);
        // The subcooled liquid lies below the saturated one, the
        // superheated vapour above.
        const double hs = XENTHS(s.p, ts, leg.x, s.ff, 0);
        EXPECT_TRUE(leg.x <= 0.0 ? h < hs : h > hs) << h << " " << hs;
      }
      // At the saturation temperature: the saturated enthalpy.
      EXPECT_NEAR(XENTH(s.p, ts, 0.0, s.ff, 0), XENTHS(s.p, ts, 0.0, s.ff, 0), 1e-6);
      EXPECT_NEAR(XENTH(s.p, ts, 1.0, s.ff, 0), XENTHS(s.p, ts, 1.0, s.ff, 0), 1e-6);
    }
    // Dry air, the gas: from its saturation at 1 K.
    for (double t : {-50.0, 20.0, 300.0}) {
      const double h = XENTH(1e5, t, 1.0, kAir, 0);
      EXPECT_NEAR(XTEMP(1e5, h, 1.0, kAir, 0), t, 0.01) << t;
    }
    EXPECT_NEAR(XENTH(1e5, 1.0 - 273.15, 1.0, kAir, 0), 1111.5554, 1e-6);
  });
  EXPECT_EQ(out, "");
}

TEST_F(EnthalpyOffSaturation, IntegralOfTheSpecificHeat) {
  offsets(0.0, 0.0);
  const std::string out = printed([&] {
    // Exchanged ends: the negated value.
    for (const Side& s : kSides) {
      const double ts = XTEMPS(s.p, s.ff, 0);
      const double a = ts + s.below, b = ts;
      const double up = INTCP(s.p, a, b, 0.0, s.ff, 0), down = INTCP(s.p, b, a, 0.0, s.ff, 0);
      EXPECT_NEAR(up, -down, 1e-9 * std::fabs(up)) << s.ff;
      EXPECT_GT(up, 0.0) << s.ff;
    }
    // Equal ends: 0 without a specific heat.
    PropWork none;
    EXPECT_EQ(prop_intcp(1e5, 350.0, 350.0, 1.0, kWater, 0, &none), 0.0);
    EXPECT_EQ(none.evaluations, 0);
    // Within one interval of a table (R21 vapour, 302.15 to 303.55 K) the
    // specific heat is a straight line: the Simpson estimates of the first
    // two levels agree, after five evaluations, on the trapezoid.
    PropWork work;
    const double t1 = 302.3, t2 = 303.4;
    const double q = prop_intcp(1e5, t1, t2, 1.0, kR21, 0, &work);
    EXPECT_EQ(work.evaluations, 5);
    EXPECT_NEAR(q, (t2 - t1) * 0.5 * (XCP(1e5, t1, 1.0, kR21, 0) + XCP(1e5, t2, 1.0, kR21, 0)), 1e-9);
    // Dry air over a wide span: the polynomial's integral.
    const double* a = prop_const::kAirSpecificHeat;
    auto primitive = [&](double t) {
      double s = 0.0;
      for (int i = 5; i >= 0; --i) s = (s + a[i] / (i + 1)) * (i > 0 ? t : t);
      return s;
    };
    const double exact = primitive(900.0) - primitive(250.0);
    EXPECT_NEAR(INTCP(1e5, 250.0, 900.0, 1.0, kAir, 0), exact, 1e-6 * exact);
  });
  EXPECT_EQ(out, "");
}

TEST_F(EnthalpyOffSaturation, TemperatureFromEnthalpyNearSaturation) {
  offsets(273.15, 0.0);
  const std::string out = printed([&] {
    const double p = 1e5;
    const double ts = XTEMPS(p, kWater, 0);
    const double hs = XENTHS(p, ts, 1.0, kWater, 0);
    const double cps = XCPS(p, ts, 1.0, kWater, 0);
    // The saturated enthalpy: the saturation temperature.
    EXPECT_EQ(XTEMP(p, hs, 1.0, kWater, 0), ts);
    // Within 0.001 K of it: one step with the saturation specific heat, no
    // integral.
    PropWork work;
    const double dh = 0.0005 * cps;
    EXPECT_EQ(prop_xgtph1(p, hs + dh, 1.0, kWater, 0, &work), ts + ((hs + dh) - hs) / cps);
    EXPECT_EQ(work.evaluations, 1);
    // Nothing compares H with the side: a liquid enthalpy above the
    // saturated liquid's gives a temperature above saturation.
    const double hl = XENTHS(p, ts, 0.0, kWater, 0);
    EXPECT_GT(XTEMP(p, hl + 20e3, 0.0, kWater, 0), ts);
    // Superheating by 50 K takes a few Newton steps.
    PropWork far;
    const double h = XENTH(p, ts + 50.0, 1.0, kWater, 0);
    EXPECT_NEAR(prop_xgtph1(p, h, 1.0, kWater, 0, &far), ts + 50.0, 0.01);
    EXPECT_LE(far.steps, 6);
  });
  EXPECT_EQ(out, "");
}

TEST_F(EnthalpyOffSaturation, HumidAirBetweenZeroAndOneUsesTheHumidityAsGiven) {
  // The specific humidity of humid air is a fraction of a kilogram per
  // kilogram: the saturated forms of the gas take it as it is. (The
  // integral starts at 273.16 K, a few microkelvin below the first point of
  // the water vapour's specific-heat table, 273.16 in single precision, so
  // PCP02 warns on the way; nothing ends the run.)
  offsets(0.0, 0.0);
  bool ended;
  const std::string out = run(
      [&] {
        for (double w : {0.005, 0.02, 0.5}) {
          SCOPED_TRACE(w);
          const double hs = ((1868.07 * w) + 1011.57) / (w + 1.0) * 273.16;
          for (double t : {280.0, 300.0, 350.0}) {
            const double h = XENTH(1e5, t, w, kHumidAir, 0);
            EXPECT_NEAR(h, hs + INTCP(1e5, 273.16, t, w, kHumidAir, 0), 1e-9 * h);
            EXPECT_NEAR(XTEMP(1e5, h, w, kHumidAir, 0), t, 0.01);
          }
        }
        // X <= 0 and X >= 1 as before: the saturated liquid's zero, and the
        // saturated vapour's form with X as the humidity.
        EXPECT_NEAR(XENTH(1e5, 300.0, 0.0, kHumidAir, 0), INTCP(1e5, 273.16, 300.0, 0.0, kHumidAir, 0), 1e-9);
        const double h = XENTH(1e5, 300.0, 1.5, kHumidAir, 0);
        EXPECT_NEAR(h, ((1868.07 * 1.5) + 1011.57) / 2.5 * 273.16 + INTCP(1e5, 273.16, 300.0, 1.5, kHumidAir, 0),
                    1e-6);
        EXPECT_NEAR(XTEMP(1e5, h, 1.5, kHumidAir, 0), 300.0, 0.01);
      },
      ended);
  EXPECT_FALSE(ended);
  EXPECT_EQ(out.find("FATAL"), std::string::npos);
  EXPECT_EQ(out.find("(XENTHS,"), std::string::npos);
  // Humid air has no saturation specific heat of the liquid: the
  // temperature of a humidity at or below 0 ends the run there.
  EXPECT_EQ(run([&] { XTEMP(1e5, 3e5, 0.0, kHumidAir, 0); }, ended),
            fatal_box("Fluid property undefined.@Property required: saturation specific heat of liquid AIRW", 12,
                      "XCPS  "));
  EXPECT_TRUE(ended);
}

TEST_F(EnthalpyOffSaturation, InversionStopsAtOnceOnANonNumber) {
  offsets(273.15, 0.0);
  bool ended;
  EXPECT_EQ(run([&] { XTEMP(1e5, std::numeric_limits<double>::quiet_NaN(), 1.0, kWater, 4); }, ended),
            fatal_box("Temperature from enthalpy failed@A step met a zero specific heat or a non-number@Pressure =  "
                      "100000.    , enthalpy =          NaN, fluid WATER@ Node 7 in model SUB1 (MAIN:SUB1)",
                      1, "XGTPH1"));
  EXPECT_TRUE(ended);
}

}  // namespace
