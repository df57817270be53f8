// Helpers of the analysis-case update: the black-body fraction against an
// independent integration of Planck's law, the grey-body conductor over
// wavebands, relative equality and the effective time on orbital arcs.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "casedata/acd_solution.h"
#include "core/diagnostics.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/listing.h"
#include "support/state_test.h"
#include "support/test_env.h"

namespace {

// F(0 -> x) = 15/pi^4 * integral from c2/x to infinity of u^3/(e^u - 1) du,
// by Simpson's rule on [z, z + 60] (the rest is below 1e-20).
double planck_by_integration(double x) {
  const double c2 = 0.01438775, z = c2 / x, span = 60.0;
  const int n = 20000;
  const double h = span / n;
  auto f = [](double u) { return u * u * u / std::expm1(u); };
  double s = f(z) + f(z + span);
  for (int i = 1; i < n; ++i) s += (i % 2 ? 4.0 : 2.0) * f(z + i * h);
  const double pi4 = std::pow(std::numbers::pi, 4);
  return 15.0 / pi4 * s * h / 3.0;
}

TEST(BlackBodyFraction, TableRowsAndPlanckLaw) {
  struct Row {
    double x, v;
  };
  const Row rows[] = {{0.0, 0.0},          {0.001, 0.000320774597}, {0.0029, 0.250560931},      {0.005, 0.633726635},
                      {0.01, 0.914157218}, {0.05, 0.998903881},     {0.0999999999, 0.999855211}};
  for (const Row& r : rows) EXPECT_NEAR(BLACKBODYFRACPOWER(r.x), r.v, 1e-10) << r.x;
  // Between the points: the straight line between Planck's law at the two.
  for (double x : {0.0007, 0.00123, 0.0025, 0.00413, 0.0078, 0.0155, 0.037, 0.0842}) {
    const double lo = std::floor(x * 10000.0) * 0.0001, hi = lo + 0.0001;
    const double line =
        planck_by_integration(lo) + (planck_by_integration(hi) - planck_by_integration(lo)) * (x - lo) / 0.0001;
    EXPECT_NEAR(BLACKBODYFRACPOWER(x), line, 1e-8) << x;
  }
  // At the points themselves to eight digits.
  for (int j = 2; j <= 1000; j += 37) {
    const double x = (j - 1) * 0.0001;
    EXPECT_NEAR(BLACKBODYFRACPOWER(x), planck_by_integration(x), 1e-8) << j;
  }
}

TEST(BlackBodyFraction, EndsAndInterpolation) {
  EXPECT_EQ(BLACKBODYFRACPOWER(0.1), 1.0);
  EXPECT_EQ(BLACKBODYFRACPOWER(0.5), 1.0);
  EXPECT_EQ(BLACKBODYFRACPOWER(INFINITY), 1.0);
  EXPECT_EQ(BLACKBODYFRACPOWER(0.0), 0.0);
  EXPECT_EQ(BLACKBODYFRACPOWER(-0.002), 0.0);
  EXPECT_TRUE(std::isnan(BLACKBODYFRACPOWER(NAN)));
  // Half-way between two points: the mean of the two table values.
  for (double x : {0.00015, 0.00505, 0.02345, 0.09995}) {
    const double lo = std::floor(x * 10000.0 + 1e-9) * 0.0001, hi = lo + 0.0001;
    const double mean = 0.5 * (BLACKBODYFRACPOWER(lo) + (hi >= 0.1 ? 0.999855211 : BLACKBODYFRACPOWER(hi)));
    EXPECT_NEAR(BLACKBODYFRACPOWER(x), mean, 1e-12) << x;
  }
  double last = 0.0;
  for (int i = 0; i <= 2000; ++i) {
    const double v = BLACKBODYFRACPOWER(i * 0.00005);
    EXPECT_GE(v, last) << i;
    last = v;
  }
}

double RADCOND(double ti, double tj, int n, const std::vector<double>& lambda, const std::vector<double>& g) {
  return RADCONDPIECEWISEGREYBODY(ti, tj, n,
                                  plat::Vec1<const double>(lambda.data(), static_cast<std::int64_t>(lambda.size())),
                                  plat::Vec1<const double>(g.data(), static_cast<std::int64_t>(g.size())));
}

TEST(GreyBodyConductor, BandsTemperaturesAndSymmetry) {
  const std::vector<double> all = {0.0, 1.0}, none = {0.0};
  const std::vector<double> g1 = {0.7};
  EXPECT_NEAR(RADCOND(300.0, 250.0, 1, all, g1), 0.7, 1e-14);
  EXPECT_EQ(RADCOND(300.0, 250.0, 0, none, {}), 0.0);
  // Equal band values make a grey body whatever the limits.
  const std::vector<double> limits = {0.0, 5e-6, 12e-6, 30e-6, 1.0};
  const std::vector<double> equal = {0.4, 0.4, 0.4, 0.4};
  EXPECT_NEAR(RADCOND(400.0, 150.0, 4, limits, equal), 0.4, 1e-12);
  // Two bands: the band fractions of each spectrum, by the definition.
  const std::vector<double> two = {0.0, 10e-6, 1.0}, g = {0.1, 0.8};
  for (auto [ti, tj] : {std::pair{300.0, 200.0}, {150.0, 600.0}, {1000.0, 999.0}}) {
    auto s = [&](double t) {
      return 0.1 * BLACKBODYFRACPOWER(10e-6 * t) + 0.8 * (1.0 - BLACKBODYFRACPOWER(10e-6 * t));
    };
    const double expect = (s(ti) * std::pow(ti, 4) - s(tj) * std::pow(tj, 4)) / (std::pow(ti, 4) - std::pow(tj, 4));
    EXPECT_NEAR(RADCOND(ti, tj, 2, two, g), expect, 1e-12) << ti << " " << tj;
    EXPECT_NEAR(RADCOND(tj, ti, 2, two, g), expect, 1e-12) << ti << " " << tj;
  }
  // Equal temperatures: TJ is moved by 1e-6 K, the result is the value at
  // the limit (the band mix of the spectrum's derivative).
  const double at = RADCOND(300.0, 300.0, 2, two, g);
  EXPECT_TRUE(std::isfinite(at));
  EXPECT_NEAR(at, RADCOND(300.0, 300.01, 2, two, g), 1e-4);
  EXPECT_EQ(at, RADCOND(300.0, 300.000001, 2, two, g));
}

TEST(Seqtol, RelativeEquality) {
  struct Case {
    double a, b, tol;
    bool eq;
  };
  const Case cases[] = {{1.0, 1.0 + 5e-8, 1e-7, true},    {1.0, 1.0 + 2e-7, 1e-7, false}, {0.0, 0.0, 1e-7, true},
                        {-300.0, -300.00002, 1e-7, true}, {1e-30, 0.0, 1e-7, false},      {0.0, 1e-30, 1e-7, false},
                        {NAN, 1.0, 1e-7, false},          {5.0, -5.0, 1e-7, false}};
  for (const Case& c : cases) EXPECT_EQ(SEQTOL(c.a, c.b, c.tol), c.eq) << c.a << " " << c.b;
}

class Timin1 : public tna_test::StateTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
    plat::set_exit_throws(true);
  }
  void TearDown() override {
    plat::set_exit_throws(false);
    plat::io::close_all();
  }
  double teff(const std::vector<double>& arcs, const std::vector<double>& times, double timem) {
    double t = 0.0;
    TIMIN1(plat::Mat2<const double>(arcs.data(), 4, static_cast<std::int64_t>(arcs.size() / 4)),
           static_cast<int>(arcs.size() / 4), static_cast<int>(times.size()),
           plat::Vec1<const double>(times.data(), static_cast<std::int64_t>(times.size())), timem, t);
    return t;
  }
  std::string listing() { return tna_test::close_listing(dir_); }
  tna_test::ScratchDir dir_{"timin1"};
};

TEST_F(Timin1, EveryRuleOfTheArcs) {
  struct Case {
    const char* rule;
    std::vector<double> arcs, times;
    double timem, teff;
  };
  const std::vector<double> two = {0, 10, 60, 300, 400, 400, 450, 500};
  const std::vector<double> t2 = {0, 10, 60, 100, 400, 450};
  const std::vector<double> gap = {0, 10, 60, 300, 400, 420, 470, 600};
  const std::vector<double> joined = {0, 10, 60, 300, 300, 300, 350, 400};
  const Case cases[] = {
      {"before the first orbit of the first arc", two, t2, 5, 5},
      {"first orbit", two, t2, 35, 35},
      {"repeated orbit", two, t2, 185, 35},
      {"just before endAll", two, t2, 299.5, 49.5},
      {"endAll, next arc later", two, t2, 300, 50},
      {"between arcs", two, t2, 350, 230},
      {"second arc", two, t2, 480, 430},
      {"endAll of the last arc", two, t2, 500, 450},
      {"endAll of the last arc that ends with its orbit", {0, 10, 60, 60}, {0, 10, 60}, 60, 60},
      {"approach after a table time", gap, {0, 10, 60, 300, 400, 420, 470}, 410, 410},
      {"approach mapped onto the gap", gap, {0, 10, 60, 100, 400, 420, 470}, 410, 390},
      {"endAll at the next start, a table time", joined, {0, 10, 60, 300, 350}, 300, 300},
      {"endAll at the next start, no table time", joined, {0, 10, 60, 290, 350}, 300, 50},
  };
  for (const Case& c : cases) EXPECT_NEAR(teff(c.arcs, c.times, c.timem), c.teff, 1e-9) << c.rule;
  EXPECT_EQ(listing(), "");
}

TEST_F(Timin1, WarningsOutsideTheArcs) {
  const std::vector<double> arcs = {0, 10, 60, 300, 400, 400, 450, 500};
  const std::vector<double> times = {0, 10, 60, 100, 400, 450};
  EXPECT_EQ(teff(arcs, times, -5), 0.0);
  EXPECT_EQ(teff(arcs, times, 600), 450.0);
  // Margins and blanks taken out, so the box's line breaks do not matter.
  std::string l;
  for (char c : listing()) {
    if (c != ' ' && c != '\n') l.push_back(c);
  }
  const auto first = l.find(
      "@@@@WARNING@@Problem............:TIMINT:TIMEMbeforestartoffirstarc.@@"
      "Reference..........:(TIMIN1,1)");
  const auto second = l.find(
      "@@@@WARNING@@Problem............:TIMINT:TIMEMexceededendtimeoflast@orbitarc.@@"
      "Reference..........:(TIMIN1,2)");
  ASSERT_NE(first, std::string::npos) << l;
  ASSERT_NE(second, std::string::npos) << l;
  EXPECT_LT(first, second);
}

TEST_F(Timin1, TimesOutsideTheTableStop) {
  struct Case {
    std::vector<double> arcs, times;
    double timem;
  };
  // clang-format off
  const Case cases[] = {
      {{0, 10, 60, 300}, {0, 10, 30}, 55},  // the orbit runs past the table
      {{}, {0, 10}, 5},                     // no arcs
      {{0, 10, 60, 300}, {}, 5},            // no times
      {{0, 10, 60, 300}, {0, 10, 60}, NAN}, // a time that is not a number, without a warning
  };
  // clang-format on
  for (const Case& c : cases) {
    testing::internal::CaptureStderr();
    EXPECT_THROW(teff(c.arcs, c.times, c.timem), plat::ProcessExit);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "STOP TIMIN1 1\n");
  }
  EXPECT_EQ(listing(), "");
}

}  // namespace
