// Saturation density tables: the grids and end values the tables must hold,
// range ends and switches, the quadratic reading (the linear one of PRHO11),
// the warnings with the ammonia vapour's own texts, and the tables against
// the physics they come from.
#include <cmath>
#include <string>
#include <vector>

#include "properties/data/tables.h"
#include "properties/library.h"
#include "property_fixture.h"

namespace {

using prop_test::PropertyTest;

const std::string kLiquid = "Temperature out of range for liquid density function@";
const std::string kVapour = "Pressure out of range for saturated vapour density function@";

struct Case {
  const char* routine;
  bool by_temperature;
  double (*by_t)(int, double, double);  // (node, t, tabs)
  double (*by_p)(int, double, double);  // (node, pabs, p)
  const prop_data::DensityTable* table;
  std::vector<double> ends;   // range ends
  std::vector<int> points;    // per range
  std::vector<float> values;  // at the range ends
};

// The reading at absolute x.
double read(const Case& c, double x, int node = 0) {
  return c.by_temperature ? c.by_t(node, x, 0.0) : c.by_p(node, 0.0, x);
}

const std::vector<Case>& cases() {
  using namespace prop_data;
  const std::vector<double> water_p = {610, 39616, 999616, 2999616};
  auto as_water = [&](double last) {
    std::vector<double> e = water_p;
    e.push_back(last);
    return e;
  };
  const std::vector<int> n4 = {100, 101, 101, 101};
  // clang-format off
  static const std::vector<Case> c = {
      {"PRHO01", true, PRHO01, nullptr, &kPRHO01, {273.16, 497.33, 623.45}, {80, 83}, {1000.06f, 834.76f, 573.13f}},
      {"PRHO02",
       false,
       nullptr,
       PRHO02,
       &kPRHO02,
       as_water(10999616),
       n4,
       {0.0048f, 0.2482f, 5.1476f, 15.0074f, 63.4171f}},
      {"PRHO03", true, PRHO03, nullptr, &kPRHO03, {199.95, 401.4, 469.952}, {80, 83}, {1692.15f, 1182.3f, 690.39f}},
      {"PRHO04",
       false,
       nullptr,
       PRHO04,
       &kPRHO04,
       as_water(4199616),
       n4,
       {0.0495f, 2.4467f, 52.563f, 186.2457f, 365.1137f}},
      {"PRHO05",
       true,
       PRHO05,
       nullptr,
       &kPRHO05,
       {177.6, 347.845, 384.973},
       {80, 85},
       {1699.059f, 1207.598f, 722.928f}},
      {"PRHO06",
       false,
       nullptr,
       PRHO06,
       &kPRHO06,
       as_water(3999616),
       n4,
       {0.0533f, 2.6385f, 57.2961f, 212.4724f, 416.7801f}},
      {"PRHO07", true, PRHO07, nullptr, &kPRHO07, {188.15, 319.29, 451.21}, {80, 81}, {1603.68f, 1313.16f, 930.74f}},
      {"PRHO08",
       false,
       nullptr,
       PRHO08,
       &kPRHO08,
       {610, 40000, 1000000, 3000000, 5200000},
       {101, 101, 101, 101},
       {0.0384f, 1.9261f, 40.9664f, 140.058f, 230.1676f}},
      {"PRHO09", true, PRHO09, nullptr, &kPRHO09, {199.85, 348.123, 369.09}, {80, 88}, {1502.03f, 935.63f, 582.52f}},
      {"PRHO10",
       false,
       nullptr,
       PRHO10,
       &kPRHO10,
       as_water(4799616),
       n4,
       {0.0395f, 1.9589f, 42.2732f, 145.0651f, 356.9586f}},
      {"PRHO11", true, PRHO11, nullptr, &kPRHO11, {199.85, 373.65, 418.47}, {80, 84}, {1771.35f, 1273.81f, 765.49f}},
      {"PRHO12",
       false,
       nullptr,
       PRHO12,
       &kPRHO12,
       {610, 39616, 999616, 2799616, 3199616},
       n4,
       {0.0659f, 3.2604f, 73.1088f, 284.6924f, 433.1685f}},
      {"PRHO13", true, PRHO13, nullptr, &kPRHO13, {199.15, 328.52, 355.064}, {80, 85}, {1569.55f, 1045.29f, 643.82f}},
      {"PRHO14",
       false,
       nullptr,
       PRHO14,
       &kPRHO14,
       as_water(3999616),
       n4,
       {0.0527f, 2.5902f, 56.8075f, 210.9728f, 414.0651f}},
      {"PRHO15", true, PRHO15, nullptr, &kPRHO15, {195.45, 278.105, 362.905}, {80, 81}, {732.71f, 632.35f, 482.83f}},
      {"PRHO16",
       true,
       PRHO16,
       nullptr,
       &kPRHO16,
       {195.45, 300, 370, 395, 405.15},
       {101, 101, 101, 101},
       {0.063f, 8.248f, 51.672f, 106.464f, 197.996f}},
  };
  // clang-format on
  return c;
}

// The window of points k, k+1, k+2 of range g read at x (the library's
// parabola: which window a reading takes is what the tests look at).
double parabola(const prop_data::DensityRange& g, int k, double x) {
  return prop_data::parabola(g.y + k, x - (g.x0 + k * g.step), g.step);
}

using SaturationDensity = PropertyTest;

TEST_F(SaturationDensity, TablesHoldTheirGridsAndEndValues) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.routine);
    const prop_data::DensityTable& t = *c.table;
    ASSERT_EQ(t.count, static_cast<int>(c.points.size()));
    EXPECT_EQ(t.linear, std::string(c.routine) == "PRHO11");
    for (int r = 0; r < t.count; ++r) {
      const prop_data::DensityRange& g = t.ranges[r];
      EXPECT_EQ(g.x0, c.ends[r]) << r;
      EXPECT_EQ(g.x1, c.ends[r + 1]) << r;
      EXPECT_EQ(g.n, c.points[r]) << r;
      EXPECT_EQ(g.step, (g.x1 - g.x0) / (g.n - 1)) << r;
      EXPECT_EQ(g.y[0], c.values[r]) << r;
      EXPECT_EQ(g.y[g.n - 1], c.values[r + 1]) << r;
      for (int k = 0; k < g.n; ++k) EXPECT_GT(g.y[k], 0.0f) << r << " " << k;
    }
  }
}

TEST_F(SaturationDensity, EndsSwitchesAndGridPoints) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.routine);
    const prop_data::DensityTable& t = *c.table;
    const std::string text = c.by_temperature ? kLiquid : kVapour;
    const bool ammonia = std::string(c.routine) == "PRHO16";
    const prop_data::DensityRange& first = t.ranges[0];
    const prop_data::DensityRange& last = t.ranges[t.count - 1];
    // The first lower bound is inside, the last upper bound outside.
    EXPECT_EQ(printed([&] { EXPECT_EQ(read(c, first.x0), first.y[0]); }), "");
    std::string below = printed([&] { EXPECT_EQ(read(c, std::nextafter(first.x0, 0.0)), first.y[0]); });
    std::string above = printed([&] { EXPECT_EQ(read(c, last.x1), last.y[last.n - 1]); });
    if (!ammonia) {
      EXPECT_EQ(below, box(text, 2, 1, c.routine));
      EXPECT_EQ(above, box(text, 2, 1, c.routine));
    }
    EXPECT_EQ(printed([&] { EXPECT_NEAR(read(c, std::nextafter(last.x1, 0.0)), last.y[last.n - 1], 1e-9); }), "");
    for (int r = 0; r < t.count; ++r) {
      const prop_data::DensityRange& g = t.ranges[r];
      // Every grid point gives its value, whichever window serves it.
      for (int k = 0; k + 1 < g.n; ++k)
        EXPECT_NEAR(read(c, g.x0 + k * g.step), g.y[k], 1e-12 * g.y[k]) << r << " " << k;
      if (r > 0) {
        // The switch belongs to the next range and gives the shared entry;
        // just below it the previous range's own last three points.
        const prop_data::DensityRange& prev = t.ranges[r - 1];
        EXPECT_EQ(prev.y[prev.n - 1], g.y[0]);
        EXPECT_EQ(read(c, g.x0), g.y[0]) << r;
        const double x = std::nextafter(g.x0, 0.0);
        if (!t.linear) {
          EXPECT_EQ(read(c, x), parabola(prev, prev.n - 3, x)) << r;
        }
      }
      // Mid-interval: the straight line for PRHO11, else the parabola of the
      // interval and the next one (in the last interval, the previous one
      // and that one).
      const double mid = g.x0 + 10.5 * g.step, end = g.x0 + (g.n - 1.5) * g.step;
      if (t.linear) {
        EXPECT_NEAR(read(c, mid), 0.5 * (double(g.y[10]) + g.y[11]), 1e-12 * g.y[10]);
        EXPECT_NEAR(read(c, end), 0.5 * (double(g.y[g.n - 2]) + g.y[g.n - 1]), 1e-12 * g.y[g.n - 1]);
      } else {
        EXPECT_NEAR(read(c, mid), parabola(g, 10, mid), 1e-12 * g.y[10]);
        EXPECT_NEAR(read(c, end), parabola(g, g.n - 3, end), 1e-12 * g.y[g.n - 1]);
      }
    }
  }
}

TEST_F(SaturationDensity, TemperatureOffsetAtTheFirstPoint) {
  // TABS 0: 273.16 K is in range, 273.15 K not; with TABS 273.15 the sum
  // 0.01 + 273.15 falls just below 273.16, so T = 0.01 already reports.
  EXPECT_EQ(printed([&] { EXPECT_EQ(PRHO01(0, 273.16, 0.0), double(1000.06f)); }), "");
  EXPECT_EQ(printed([&] { EXPECT_EQ(PRHO01(0, 273.15, 0.0), double(1000.06f)); }), box(kLiquid, 2, 1, "PRHO01"));
  EXPECT_EQ(printed([&] { EXPECT_EQ(PRHO01(2, 0.01, 273.15), double(1000.06f)); }),
            box(kLiquid + " Node 20 in main model", 2, 1, "PRHO01"));
  EXPECT_EQ(printed([&] { EXPECT_EQ(PRHO02(4, 10999616.0, 0.0), double(63.4171f)); }),
            box(kVapour + " Node 7 in model SUB1 (MAIN:SUB1)", 2, 1, "PRHO02"));
}

TEST_F(SaturationDensity, AmmoniaVapourReportsTooLowAndTooHigh) {
  const std::string low = "Temperature too low for saturated vapour density of ammonia@Temperature =";
  const std::string high = "Temperature too high for saturated vapour density of ammonia@Temperature =";
  EXPECT_EQ(printed([&] { EXPECT_EQ(PRHO16(0, -100.0, 273.15), double(0.063f)); }),
            box(low + "    -100.00", 2, 1, "PRHO16"));
  EXPECT_EQ(printed([&] { EXPECT_EQ(PRHO16(4, 405.15, 0.0), double(197.996f)); }),
            box(high + "     405.15 Node 7 in model SUB1 (MAIN:SUB1)", 2, 2, "PRHO16"));
  EXPECT_EQ(printed([&] { EXPECT_EQ(PRHO16(0, 1e7, 0.0), double(197.996f)); }),
            box(high + " **********", 2, 2, "PRHO16"));
  EXPECT_EQ(printed([&] { EXPECT_EQ(PRHO16(0, 195.45, 0.0), double(0.063f)); }), "");
}

TEST_F(SaturationDensity, PhysicsOfTheSaturationLine) {
  // Liquids fall with temperature (water from its density maximum at 4 C
  // on), vapours rise with pressure (ammonia's with temperature), at every
  // grid point and interval midpoint up to the last point (read just below
  // the end, which is outside); water at 100 C and ammonia at its normal
  // boiling point against iapws.
  const std::string out = printed([&] {
    for (const Case& c : cases()) {
      const prop_data::DensityTable& t = *c.table;
      const bool falling = c.by_temperature && std::string(c.routine) != "PRHO16";
      double prev = 0.0, prev_x = -1.0;
      for (int r = 0; r < t.count; ++r) {
        const prop_data::DensityRange& g = t.ranges[r];
        for (int k = 0; k <= 2 * (g.n - 1); ++k) {
          double x = k == 2 * (g.n - 1) ? g.x1 : g.x0 + 0.5 * k * g.step;
          if (r == t.count - 1 && x == g.x1) x = std::nextafter(x, 0.0);
          if (x <= prev_x || (c.table == &prop_data::kPRHO01 && x < 277.2)) continue;
          const double v = read(c, x);
          if (prev_x > 0.0) {
            EXPECT_TRUE(falling ? v < prev : v > prev) << c.routine << " " << x;
          }
          prev = v;
          prev_x = x;
        }
      }
      // The walk ended at the last point.
      const prop_data::DensityRange& last = t.ranges[t.count - 1];
      EXPECT_NEAR(prev, last.y[last.n - 1], 1e-6 * last.y[last.n - 1]) << c.routine;
    }
    EXPECT_NEAR(PRHO01(0, 100.0, 273.15), 958.35, 958.35 * 2e-3);
    EXPECT_NEAR(PRHO02(0, 0.0, 101325.0), 0.598, 0.598 * 5e-3);
    EXPECT_NEAR(PRHO15(0, -33.33, 273.15), 682.0, 682.0 * 5e-3);
    EXPECT_NEAR(PRHO16(0, -33.33, 273.15), 0.890, 0.890 * 1e-2);
  });
  EXPECT_EQ(out, "");
}

}  // namespace
