// Enthalpy off saturation and the temperature from it: round trips on both
// sides of saturation for every fluid that has them, the integral of the
// specific heat, the shortcuts of the inversion, humid air at a humidity
// from 0 up to 1 and its mixing, and the inversion that meets a non-number.
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
    // Given enthalpies above the saturated vapour's, there and back. R114 at
    // 5.369e5 Pa and 200 kJ/kg: the Newton steps change sign three times
    // within 0.004 K (near 564 K), the one state known to end in the
    // bisection on the last step's bracket.
    struct Given {
      int ff;
      double p, dh;  // Pa, J/kg above the saturated vapour
    };
    const Given given[] = {{kR114, 5.369e5, 200e3},
                           {kR114, 5.369e5, 100e3},
                           {kWater, 1e5, 400e3},
                           {kAmmonia, 5e5, 60e3},
                           {kR12, 3e5, 150e3}};
    for (const Given& g : given) {
      SCOPED_TRACE(std::to_string(g.ff) + " dh " + std::to_string(g.dh));
      const double ts = XTEMPS(g.p, g.ff, 0);
      const double h = XENTHS(g.p, ts, 1.0, g.ff, 0) + g.dh;
      const double t = XTEMP(g.p, h, 1.0, g.ff, 0);
      EXPECT_GT(t, ts + 10.0);
      EXPECT_NEAR(XENTH(g.p, t, 1.0, g.ff, 0), h, 0.01 * XCP(g.p, t, 1.0, g.ff, 0));
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

TEST_F(EnthalpyOffSaturation, HumidAirBelowOneStartsWhereDryAirStarts) {
  // For a specific humidity from 0 up to 1 the enthalpy starts from dry
  // humid air's zero at 273.16 K, and the temperature from enthalpy takes
  // the saturated vapour's specific heat at that humidity as its first
  // slope, at w = 0 too. (The integral starts a few microkelvin below the
  // first point of the water vapour's specific-heat table, 273.16 in single
  // precision: that is the table's end, not outside it, so nothing is
  // reported.)
  offsets(0.0, 0.0);
  bool ended;
  const std::string out = run(
      [&] {
        for (double w : {0.0, 0.005, 0.02, 0.5}) {
          SCOPED_TRACE(w);
          for (double t : {280.0, 300.0, 350.0}) {
            const double h = XENTH(1e5, t, w, kHumidAir, 0);
            EXPECT_NEAR(h, INTCP(1e5, 273.16, t, w, kHumidAir, 0), 1e-9 * h);
            EXPECT_NEAR(XTEMP(1e5, h, w, kHumidAir, 0), t, 0.01);
          }
          // A small step from 273.16 K takes the saturated vapour's
          // specific heat as it is.
          const double cps = ((1868.07 * w) + 1011.57) / (w + 1.0);
          EXPECT_EQ(XTEMP(1e5, 0.5e-3 * cps, w, kHumidAir, 0), 273.16 + 0.5e-3);
        }
        // Continuous as the humidity goes to zero: at 300 K 27,137 J/kg
        // both (w = 1e-9 once gave 303,457).
        const double dry = XENTH(1e5, 300.0, 0.0, kHumidAir, 0);
        EXPECT_NEAR(dry, 27137.0, 1.0);
        EXPECT_NEAR(XENTH(1e5, 300.0, 1e-9, kHumidAir, 0), dry, 1e-3);
        // X >= 1 as before: the saturated vapour's form with X as the
        // humidity.
        const double h = XENTH(1e5, 300.0, 1.5, kHumidAir, 0);
        EXPECT_NEAR(h, ((1868.07 * 1.5) + 1011.57) / 2.5 * 273.16 + INTCP(1e5, 273.16, 300.0, 1.5, kHumidAir, 0),
                    1e-6);
        EXPECT_NEAR(XTEMP(1e5, h, 1.5, kHumidAir, 0), 300.0, 0.01);
      },
      ended);
  EXPECT_FALSE(ended);
  EXPECT_EQ(out, "");
  // A negative humidity has no specific heat of the saturated liquid to
  // start from: the temperature ends the run there.
  EXPECT_EQ(run([&] { XTEMP(1e5, 3e5, -0.01, kHumidAir, 0); }, ended),
            fatal_box("Fluid property undefined.@Property required: saturation specific heat of liquid AIRW", 12,
                      "XCPS  "));
  EXPECT_TRUE(ended);
}

TEST_F(EnthalpyOffSaturation, DryAndHumidStreamsMixAtTheirTemperature) {
  // Enthalpy per kilogram of mixture is linear in the vapour's mass
  // fraction at one temperature, so mixing two streams of one temperature
  // by mass reads that temperature back (a dry and a humid 300 K stream
  // once read back 165 K).
  offsets(0.0, 0.0);
  struct Mix {
    double w1, m1, w2, m2, t;  // humidity ratios, kg/s, K
  };
  const Mix mixes[] = {{0.0, 1.0, 0.02, 1.0, 300.0}, {0.0, 3.0, 0.01, 1.0, 290.0}, {0.005, 1.0, 0.03, 2.0, 320.0}};
  const std::string out = printed([&] {
    for (const Mix& m : mixes) {
      const double y1 = m.w1 / (1.0 + m.w1), y2 = m.w2 / (1.0 + m.w2);
      const double y = (m.m1 * y1 + m.m2 * y2) / (m.m1 + m.m2);
      const double h =
          (m.m1 * XENTH(1e5, m.t, m.w1, kHumidAir, 0) + m.m2 * XENTH(1e5, m.t, m.w2, kHumidAir, 0)) / (m.m1 + m.m2);
      EXPECT_NEAR(XTEMP(1e5, h, y / (1.0 - y), kHumidAir, 0), m.t, 0.01) << m.w1 << " " << m.w2;
    }
  });
  EXPECT_EQ(out, "");
}

TEST_F(EnthalpyOffSaturation, HumidAirAtOrdinaryConditionsGivesNoRangeWarning) {
  // Room air on the usual scales: the enthalpy integral and the temperature
  // search start at the humid-air saturation temperature, 0.01 C, the first
  // point of the water-vapour tables; nothing is outside a range.
  offsets(273.15, 0.0);
  bool ended;
  const std::string out = run(
      [&] {
        for (const double w : {0.0, 0.008, 0.02}) {
          SCOPED_TRACE(w);
          for (const double t : {0.01, 5.0, 25.0, 60.0}) {
            const double h = XENTH(101325.0, t, w, kHumidAir, 3);
            EXPECT_NEAR(XTEMP(101325.0, h, w, kHumidAir, 3), t, 0.01);
          }
          XCP(101325.0, 0.01, w, kHumidAir, 3);
          XCOND(101325.0, 0.01, w, kHumidAir, 3);
          XVISC(101325.0, 0.01, w, kHumidAir, 3);
        }
      },
      ended);
  EXPECT_FALSE(ended);
  EXPECT_EQ(out, "");
  // A temperature below the table still warns, with the node's context.
  EXPECT_EQ(
      printed([&] { XCP(101325.0, -5.0, 0.01, kHumidAir, 3); }),
      box("Temperature out of range for specific heat function@ Node 30 in model SUB1 (MAIN:SUB1)", 2, 1, "PCP02 "));
  EXPECT_NE(printed([&] { XENTH(101325.0, -5.0, 0.01, kHumidAir, 3); }).find("(PCP02 ,"), std::string::npos);
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
