// Air polynomials, surface tension and saturation pressure: the worked values,
// the ends of their ranges and their diagnostics.
#include <cmath>
#include <limits>
#include <string>

#include "properties/library.h"
#include "property_fixture.h"

namespace {

using prop_test::PropertyTest;

// Agreement to six significant figures (half a unit of the sixth).
::testing::AssertionResult six_figures(double value, double expected) {
  const double unit = std::pow(10.0, std::floor(std::log10(std::fabs(expected))) - 5.0);
  if (std::fabs(value - expected) <= 0.5 * unit) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << value << " is not " << expected << " to six figures";
}

using Air = PropertyTest;

TEST_F(Air, WorkedValuesAtAnyTemperatureWithoutMessages) {
  struct Case {
    double tk, k, cp, mu;
  };
  const Case cases[] = {{300.0, 0.0266573, 1010.75, 1.85120e-5}, {273.15, 0.0246121, 1011.57, 1.73248e-5}};
  const std::string out = printed([&] {
    for (const Case& c : cases) {
      EXPECT_TRUE(six_figures(PCND00(c.tk, 0.0), c.k)) << c.tk;
      EXPECT_TRUE(six_figures(PCP00(c.tk, 0.0), c.cp)) << c.tk;
      EXPECT_TRUE(six_figures(PVSC00(c.tk, 0.0), c.mu)) << c.tk;
      // Relative temperature in degrees Celsius: the same air.
      EXPECT_NEAR(PCP00(c.tk - 273.15, 273.15), PCP00(c.tk, 0.0), 1e-9 * c.cp);
    }
    // Far outside every table of the library: still the polynomial.
    EXPECT_TRUE(six_figures(PCP00(1000.0, 0.0), 1142.83));
  });
  EXPECT_EQ(out, "");
}

TEST_F(Air, PolynomialSumsAscendingPowers) {
  const double a[6] = {1.5, -2.0, 0.25, 3.0, -0.5, 0.125};
  for (double x : {-2.0, 0.0, 0.5, 3.0}) {
    EXPECT_EQ(PPOLY(x, a, 1), 1.5) << x;
    EXPECT_EQ(PPOLY(x, a, 2), 1.5 + -2.0 * x) << x;
    double direct = 0.0;
    for (int i = 5; i >= 0; --i) direct = direct * x + a[i];
    EXPECT_NEAR(PPOLY(x, a, 6), direct, 1e-12 * (1.0 + std::fabs(direct))) << x;
  }
  // Powers are formed by one multiplication each, from X*X on.
  EXPECT_EQ(PPOLY(3.0, a, 4), ((1.5 + -2.0 * 3.0) + 0.25 * 9.0) + 3.0 * 27.0);
  EXPECT_EQ(PPOLY(3.0, a, 0), 0.0);
}

using SurfaceTension = PropertyTest;

TEST_F(SurfaceTension, WorkedValuesAndTheCriticalPoint) {
  struct Case {
    double (*f)(double, double);
    const char* name;
    double tk, sigma;
  };
  const Case cases[] = {
      {PSIG01, "water", 273.15, 0.0756509}, {PSIG01, "water", 373.15, 0.0589179},
      {PSIG01, "water", 250.0, 0.0787230},  {PSIG03, "R11", 298.15, 0.0208758},
      {PSIG05, "R12", 298.15, 0.0140418},   {PSIG07, "R21", 298.15, 0.0209078},
      {PSIG09, "R22", 298.15, 0.0121457},   {PSIG11, "R114", 298.15, 0.0150704},
      {PSIG13, "R502", 298.15, 0.00781527}, {PSIG15, "ammonia", 298.15, 0.0204496},
  };
  const std::string out = printed([&] {
    for (const Case& c : cases) EXPECT_TRUE(six_figures(c.f(c.tk, 0.0), c.sigma)) << c.name << " " << c.tk;
  });
  EXPECT_EQ(out, "");

  struct Critical {
    double (*f)(double, double);
    double tc;
  };
  const Critical crit[] = {{PSIG01, 647.15}, {PSIG03, 471.15}, {PSIG05, 385.17}, {PSIG07, 451.61},
                           {PSIG09, 369.17}, {PSIG11, 418.86}, {PSIG13, 355.31}, {PSIG15, 405.4}};
  const std::string above = printed([&] {
    for (const Critical& c : crit) {
      EXPECT_EQ(c.f(c.tc, 0.0), 0.0) << c.tc;
      EXPECT_GT(c.f(c.tc - 1.0, 0.0), 0.0) << c.tc;
      // Above the critical temperature: 0, not a non-number.
      EXPECT_EQ(c.f(c.tc + 0.01, 0.0), 0.0) << c.tc;
      EXPECT_EQ(c.f(c.tc + 500.0, 0.0), 0.0) << c.tc;
    }
  });
  EXPECT_EQ(above, "");
}

using SaturationPressure = PropertyTest;

using Psat = double (*)(double, double, double);

struct PsatCase {
  Psat f;
  const char* routine;
  const char* name;  // in the texts
  double tc, pc;     // K, Pa (the pressure returned above tc)
  int code_high, code_low;
};

const PsatCase kPsat[] = {
    {PSAT02, "PSAT02", "water", 647.25, 2.2093e7, 1, 2},
    {PSAT04, "PSAT04", "R11", 471.15, 4410866.026700566, 2, 1},
    {PSAT06, "PSAT06", "R12", 385.15, 4115482.3937187004, 2, 1},
    {PSAT08, "PSAT08", "R21", 451.6, 5133058.629312248, 2, 1},
    {PSAT10, "PSAT10", "R22", 369.17, 4978482.861197563, 2, 1},
    {PSAT12, "PSAT12", "R114", 418.86, 3263303.8527741577, 2, 1},
    {PSAT14, "PSAT14", "R502", 355.31, 4075718.556003048, 2, 1},
    {PSAT16, "PSAT16", "ammonia", 405.4, 11333000.0, 1, 2},
};

std::string high_text(const PsatCase& c, const std::string& temperature) {
  const std::string name = c.name;
  if (name == "water")
    return "Temperature greater than critical temperature@Temperature too high for calculation of saturation "
           "pressure of water. Temperature = " +
           temperature + "; critical pressure assumed.";
  if (name == "ammonia")
    return "Temperature greater than critical temperature@Temperature too high for calculation of saturated "
           "pressure of ammonia. Temperature = " +
           temperature + "; critical pressure assumed.";
  return "Temperature greater than critical temperature@Temperature too high for calculation of saturation "
         "pressure of " +
         name + ". Temperature = " + temperature + "; critical pressure assumed.";
}

std::string low_text(const PsatCase& c, const std::string& temperature) {
  const std::string name = c.name;
  if (name == "water")
    return "Temperature less than absolute zero@Temperature too low for calculation of saturation pressure of "
           "water. Temperature = " +
           temperature + "; zero pressure assumed.";
  if (name == "ammonia")
    return "Temperature is less than absolute zero@Temperature too low for calculation of saturated pressure of "
           "ammonia. Temperature =  " +
           temperature + "; Zero pressure assumed.";
  return "Temperature is less than absolute zero@Temperature too low for calculation of saturation pressure of " +
         name + ". Temperature = " + temperature + "; zero pressure assumed.";
}

TEST_F(SaturationPressure, WorkedValues) {
  const std::string out = printed([&] {
    EXPECT_TRUE(six_figures(PSAT02(0.0, 273.15, 100.0), 1.01325e5));
    EXPECT_TRUE(six_figures(PSAT16(0.0, 273.15, -33.33), 1.01335e5));
    EXPECT_TRUE(six_figures(PSAT06(0.0, 273.15, -29.75), 1.01445e5));
  });
  EXPECT_EQ(out, "");
}

TEST_F(SaturationPressure, CriticalPointAndBeyond) {
  for (const PsatCase& c : kPsat) {
    SCOPED_TRACE(c.routine);
    // Exactly at Tc the equation itself, equal to the pressure above Tc.
    EXPECT_EQ(printed([&] { EXPECT_NEAR(c.f(1000.0, 0.0, c.tc), c.pc - 1000.0, 1e-12 * c.pc); }), "");
    // Above Tc the fixed pressure and a severity-1 diagnostic with the
    // relative temperature as F10.2, without node context.
    std::string out = printed([&] { EXPECT_EQ(c.f(1000.0, 273.15, c.tc - 273.15 + 0.5), c.pc - 1000.0); });
    char number[32];
    std::snprintf(number, sizeof number, "%10.2f", c.tc - 273.15 + 0.5);
    EXPECT_EQ(out, box(high_text(c, number), 1, c.code_high, c.routine));
    // A temperature that does not fit the field prints asterisks.
    out = printed([&] { c.f(0.0, 0.0, 1e9); });
    EXPECT_EQ(out, box(high_text(c, "**********"), 1, c.code_high, c.routine));
  }
}

TEST_F(SaturationPressure, AbsoluteZeroAndBelow) {
  for (const PsatCase& c : kPsat) {
    SCOPED_TRACE(c.routine);
    std::string out = printed([&] { EXPECT_EQ(c.f(500.0, 0.0, 0.0), -500.0); });
    EXPECT_EQ(out, box(low_text(c, "      0.00"), 1, c.code_low, c.routine));
    out = printed([&] { EXPECT_EQ(c.f(0.0, 273.15, -300.0), 0.0); });
    EXPECT_EQ(out, box(low_text(c, "   -300.00"), 1, c.code_low, c.routine));
  }
}

TEST_F(SaturationPressure, PabsShiftsOnlyTheResultAndTheCurveRises) {
  for (const PsatCase& c : kPsat) {
    SCOPED_TRACE(c.routine);
    double last = 0.0;
    for (double tk = 0.3 * c.tc; tk <= c.tc; tk += 0.05 * c.tc) {
      const double p = c.f(0.0, 0.0, tk);
      EXPECT_NEAR(c.f(101325.0, 0.0, tk) + 101325.0, p, 1e-9 * (p + 101325.0)) << tk;
      EXPECT_GT(p, last) << tk;
      last = p;
    }
  }
  // R12 and R21 have no last term: the equation without it gives the same.
  const double tr = 1.8 * 300.0;
  const double l = 39.88382 + -3436.632 / tr + -12.47152 * std::log10(tr) + 0.004730442 * tr;
  EXPECT_NEAR(PSAT06(0.0, 0.0, 300.0), std::pow(10.0, l) * 100000.0 / 14.5, 1e-9 * PSAT06(0.0, 0.0, 300.0));
}

}  // namespace
