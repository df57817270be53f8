// Saturation enthalpy tables: the grids and end values the tables must hold,
// range ends and switches (the origin rule of PETH16), grid points, the
// warnings, and the tables against the physics they come from.
#include <cmath>
#include <string>
#include <vector>

#include "properties/data/tables.h"
#include "properties/library.h"
#include "property_fixture.h"

namespace {

using prop_test::PropertyTest;
using Peth = double (*)(int, double, double);

const std::string kLiquid = "Pressure out of range for liquid enthalpy function@";
const std::string kVapour = "Pressure out of range for vapour enthalpy function@";

// One range as the table must hold it: lower end, upper end, origin, step,
// points, value at the origin, value at the upper end.
struct Range {
  double lower, upper, origin, step;
  int n;
  float first, last;
};

struct Case {
  Peth f;
  const char* routine;
  const prop_data::PressureTable* table;
  std::vector<Range> ranges;
};

const std::vector<Case>& cases() {
  using namespace prop_data;
  // clang-format off
  static const std::vector<Case> c = {
      {PETH01,
       "PETH01",
       &kPETH01,
       {{610, 20810, 610, 200, 102, 746.8f, 255029.4f},
        {20810, 110810, 20810, 900, 101, 255029.4f, 429689.6f},
        {110810, 2090810, 110810, 20000, 100, 429689.6f, 919153.8f},
        {2090810, 20090810, 2090810, 200000, 91, 919153.8f, 1833800.4f}}},
      {PETH02,
       "PETH02",
       &kPETH02,
       {{610, 20810, 610, 200, 102, 2503786, 2609773},
        {20810, 110810, 20810, 900, 101, 2609773, 2681181},
        {110810, 2090810, 110810, 20000, 100, 2681181, 2798401},
        {2090810, 20090810, 2090810, 200000, 91, 2798401, 2402141.5f}}},
      {PETH03,
       "PETH03",
       &kPETH03,
       {{610, 9710, 610, 100, 92, -24833.2f, 9176},
        {9710, 199710, 9710, 1900, 101, 9176, 72741.1f},
        {199710, 983710, 199710, 8000, 99, 72741.1f, 131326},
        {983710, 4183710, 983710, 32000, 101, 131326, 239503.7f}}},
      {PETH04,
       "PETH04",
       &kPETH04,
       {{610, 150610, 610, 1500, 101, 188636.6f, 240668}, {150610, 4209610, 150610, 41000, 100, 240668, 279611.6f}}},
      {PETH05,
       "PETH05",
       &kPETH05,
       {{610, 46588, 610, 474, 98, -57576.7f, -5833.2f},
        {46588, 69908, 46588, 220, 107, -5833.2f, 1584.5f},
        {69908, 491308, 69908, 4300, 99, 1584.5f, 49882},
        {491308, 4091308, 491308, 36000, 101, 49882, 168810}}},
      {PETH06,
       "PETH06",
       &kPETH06,
       {{610, 150610, 610, 1500, 101, 139086, 178705.9f}, {150610, 4045610, 150610, 41000, 96, 178705.9f, 193913.5f}}},
      {PETH07,
       "PETH07",
       &kPETH07,
       {{610, 20000, 610, 193.9, 101, -36233.7f, 12983.2f},
        {20000, 200000, 20000, 1800, 101, 12983.2f, 68585.6f},
        {200000, 1000000, 200000, 8000, 101, 68585.6f, 135879.6f},
        {1000000, 5200000, 1000000, 42000, 101, 135879.6f, 224353.2f}}},
      {PETH08,
       "PETH08",
       &kPETH08,
       {{610, 100000, 610, 993.9, 101, 248732.8f, 290824},
        {100000, 1000000, 100000, 9000, 101, 290824, 326018.7f},
        {1000000, 2000000, 1000000, 10000, 101, 326018.7f, 334356.9f},
        {2000000, 5200000, 2000000, 32000, 101, 334356.9f, 334554.5f}}},
      {PETH09,
       "PETH09",
       &kPETH09,
       {{610, 147610, 610, 1500, 99, -68476.4f, 16343.9f}, {147610, 4899610, 147610, 48000, 100, 16343.9f, 226854.4f}}},
      {PETH10,
       "PETH10",
       &kPETH10,
       {{610, 150610, 610, 1500, 101, 200671.9f, 245132.4f},
        {150610, 4900610, 150610, 50000, 96, 245132.4f, 259511.2f}}},
      {PETH11,
       "PETH11",
       &kPETH11,
       {{610, 37240, 610, 370, 100, -34665.5f, 17621.4f},
        {37240, 150240, 37240, 1130, 101, 17621.4f, 50240.4f},
        {150240, 1190645, 150240, 9545, 110, 50240.4f, 132844},
        {1190645, 3190645, 1190645, 20000, 101, 132844, 206225}}},
      {PETH12,
       "PETH12",
       &kPETH12,
       {{610, 150610, 610, 1500, 101, 124599.4f, 182671.3f},
        {150610, 3188610, 150610, 31000, 99, 182671.3f, 233736.1f}}},
      {PETH13,
       "PETH13",
       &kPETH13,
       {{610, 9710, 610, 100, 92, -59987.5f, -38451.8f},
        {9710, 199710, 9710, 1900, 101, -38451.8f, 10384.8f},
        {199710, 983710, 199710, 8000, 99, 10384.8f, 63957.4f},
        {983710, 3983710, 983710, 30000, 101, 63957.4f, 159439.5f}}},
      {PETH14,
       "PETH14",
       &kPETH14,
       {{610, 150610, 610, 1500, 101, 132011.5f, 172103.9f}, {150610, 4070610, 150610, 40000, 99, 172103.9f, 180154}}},
      {PETH15,
       "PETH15",
       &kPETH15,
       {{10000, 490000, 10000, 5000, 97, -435268.9f, -101176.1f},
        {490000, 900000, 490000, 5000, 83, -101176.1f, -16877},
        {900000, 1300000, 900000, 4000, 101, -16877, 41824.4f},
        {1300000, 3300000, 1300000, 20000, 101, 41824.4f, 227280.4f},
        {3300000, 8400000, 3300000, 50000, 103, 227280.4f, 485827.1f},
        {8400000, 11000000, 8400000, 50000, 53, 485827.1f, 449505.9f}}},
      {PETH16,
       "PETH16",
       &kPETH16,
       {{10000, 598000, 10000, 6000, 99, 1036835.5f, 1152691.5f},
        {598000, 3328000, 598000, 30000, 92, 1152691.5f, 1166813.2f},
        {3328000, 8400000, 3300000, 50000, 103, 1167081.2f, 1026618.5f},
        {8400000, 11000000, 8400000, 50000, 53, 1026618.5f, 655644.7f}}},
  };
  // clang-format on
  return c;
}

bool liquid(const Case& c) { return (c.routine[5] - '0') % 2 == 1; }

// The window of points k, k+1, k+2 of range g read at x (the library's
// parabola: which window a reading takes is what the tests look at).
double parabola(const prop_data::PressureRange& g, int k, double x) {
  return prop_data::parabola(g.y + k, x - (g.origin + k * g.step), g.step);
}

using SaturationEnthalpy = PropertyTest;

TEST_F(SaturationEnthalpy, TablesHoldTheirGridsAndEndValues) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.routine);
    const prop_data::PressureTable& t = *c.table;
    ASSERT_EQ(t.count, static_cast<int>(c.ranges.size()));
    for (int r = 0; r < t.count; ++r) {
      const prop_data::PressureRange& g = t.ranges[r];
      const Range& e = c.ranges[r];
      EXPECT_EQ(g.lower, e.lower) << r;
      EXPECT_EQ(g.upper, e.upper) << r;
      EXPECT_EQ(g.origin, e.origin) << r;
      EXPECT_EQ(g.step, e.step) << r;
      EXPECT_EQ(g.n, e.n) << r;
      EXPECT_EQ(g.y[0], e.first) << r;
      EXPECT_EQ(g.y[g.n - 1], e.last) << r;
      EXPECT_NEAR(g.origin + (g.n - 1) * g.step, g.upper, 1e-6) << r;
      for (int k = 0; k < g.n; ++k) EXPECT_TRUE(std::isfinite(g.y[k])) << r << " " << k;
    }
  }
}

TEST_F(SaturationEnthalpy, EndsOfTheValidRangeAndTheWarnings) {
  // PETH02 at 610 Pa exactly: the first point, no message; at its last upper
  // end the last point with the vapour-side warning; PETH01 below 610 Pa the
  // first point with the liquid-side warning, with node context.
  EXPECT_EQ(printed([&] { EXPECT_EQ(PETH02(0, 0.0, 610.0), 2503786.0); }), "");
  EXPECT_EQ(printed([&] { EXPECT_EQ(PETH02(0, 0.0, 20090810.0), double(2402141.5f)); }),
            box(kVapour, 2, 1, "PETH02"));
  EXPECT_EQ(printed([&] { EXPECT_EQ(PETH01(4, 100.0, 500.0), double(746.8f)); }),
            box(kLiquid + " Node 7 in model SUB1 (MAIN:SUB1)", 2, 1, "PETH01"));
  // PABS carries the pressure: the same absolute pressure, the same value.
  EXPECT_EQ(PETH04(0, 100000.0, 2345.0), PETH04(0, 0.0, 102345.0));

  for (const Case& c : cases()) {
    SCOPED_TRACE(c.routine);
    const std::string& text = liquid(c) ? kLiquid : kVapour;
    const prop_data::PressureTable& t = *c.table;
    const prop_data::PressureRange& first = t.ranges[0];
    const prop_data::PressureRange& last = t.ranges[t.count - 1];
    EXPECT_EQ(printed([&] { EXPECT_EQ(c.f(0, 0.0, first.lower), first.y[0]); }), "");
    EXPECT_EQ(printed([&] { EXPECT_EQ(c.f(0, 0.0, std::nextafter(first.lower, 0.0)), first.y[0]); }),
              box(text, 2, 1, c.routine));
    EXPECT_EQ(printed([&] { EXPECT_EQ(c.f(0, 0.0, last.upper), last.y[last.n - 1]); }), box(text, 2, 1, c.routine));
    EXPECT_EQ(printed([&] { EXPECT_NEAR(c.f(0, 0.0, std::nextafter(last.upper, 0.0)), last.y[last.n - 1], 1e-6); }),
              "");
    EXPECT_EQ(printed([&] { EXPECT_EQ(c.f(0, 0.0, std::nan("")), last.y[last.n - 1]); }),
              box(text, 2, 1, c.routine));
  }
}

TEST_F(SaturationEnthalpy, SwitchesAndGridPoints) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.routine);
    const prop_data::PressureTable& t = *c.table;
    for (int r = 0; r < t.count; ++r) {
      const prop_data::PressureRange& g = t.ranges[r];
      // A grid point gives its value, whichever window serves it.
      for (int k = 0; k < g.n; ++k) {
        const double x = g.origin + k * g.step;
        if (x < g.lower || x >= g.upper) continue;
        EXPECT_NEAR(c.f(0, 0.0, x), g.y[k], 1e-9 * std::max(1.0, std::fabs(double(g.y[k])))) << r << " " << k;
      }
      if (r == 0) continue;
      const prop_data::PressureRange& prev = t.ranges[r - 1];
      // Just below the switch: the last three points of the range before.
      const double below = std::nextafter(g.lower, 0.0);
      EXPECT_EQ(c.f(0, 0.0, below), parabola(prev, prev.n - 3, below)) << r;
      if (g.origin == g.lower) {
        // Neighbouring ranges share their end; the switch gives it.
        EXPECT_EQ(prev.y[prev.n - 1], g.y[0]) << r;
        EXPECT_EQ(c.f(0, 0.0, g.lower), g.y[0]) << r;
      }
    }
  }
}

TEST_F(SaturationEnthalpy, PETH16RangeThreeBeginsBeforeItIsUsed) {
  // Range 3 holds points from 3,300,000 Pa but serves from 3,328,000 Pa.
  const prop_data::PressureRange& r2 = prop_data::kPETH16.ranges[1];
  const prop_data::PressureRange& r3 = prop_data::kPETH16.ranges[2];
  for (double x : {3300000.0, 3310000.0, 3327999.0}) EXPECT_EQ(PETH16(0, 0.0, x), parabola(r2, r2.n - 3, x)) << x;
  for (double x : {3328000.0, 3340000.0, 3349999.0}) EXPECT_EQ(PETH16(0, 0.0, x), parabola(r3, 0, x)) << x;
  // The switch is not a shared point: the two ranges disagree there by
  // about the 268 J/kg their anchors differ.
  EXPECT_GT(std::fabs(PETH16(0, 0.0, 3328000.0) - PETH16(0, 0.0, 3327999.0)), 100.0);
  // PETH05 at its switch: the shared value; just below from range 1.
  EXPECT_EQ(PETH05(0, 0.0, 46588.0), double(-5833.2f));
}

TEST_F(SaturationEnthalpy, PhysicsOfTheSaturationLine) {
  // Vapour above liquid at every pressure both sides cover below the
  // critical point, by at least the latent heat's order.
  struct Pair {
    Peth liquid, vapour;
    double p_lo, p_hi;  // Pa
  };
  const Pair pairs[] = {{PETH01, PETH02, 700.0, 2.0e7}, {PETH03, PETH04, 700.0, 4.1e6},
                        {PETH05, PETH06, 700.0, 4.0e6}, {PETH07, PETH08, 700.0, 5.0e6},
                        {PETH09, PETH10, 700.0, 4.8e6}, {PETH11, PETH12, 700.0, 3.1e6},
                        {PETH13, PETH14, 700.0, 3.9e6}, {PETH15, PETH16, 11000.0, 8.3e6}};
  const std::string out = printed([&] {
    for (const Pair& q : pairs) {
      for (int k = 0; k <= 200; ++k) {
        const double p = q.p_lo * std::pow(q.p_hi / q.p_lo, k / 200.0);
        EXPECT_GT(q.vapour(0, 0.0, p) - q.liquid(0, 0.0, p), 1e4) << p;
      }
    }
  });
  EXPECT_EQ(out, "");
  // Water at one atmosphere: IAPWS-95 gives 419.1 and 2675.6 kJ/kg.
  EXPECT_NEAR(PETH01(0, 0.0, 101325.0), 419.1e3, 1.5e3);
  EXPECT_NEAR(PETH02(0, 0.0, 101325.0), 2675.6e3, 2.5e3);
}

TEST_F(SaturationEnthalpy, LiquidRisesAndVapourTurnsOnceUpToTheLastPoint) {
  // Every grid point and interval midpoint from the first point to the
  // last: a saturated liquid's enthalpy rises with pressure, a saturated
  // vapour's rises to one maximum and falls from it. Ammonia's liquid
  // anchors fall from 8.4 to 11 MPa, so its check ends at 8.4 MPa. (The R12
  // liquid once dipped by 23 kJ/kg at 4.055 MPa, its second-last point.)
  const std::string out = printed([&] {
    for (const Case& c : cases()) {
      SCOPED_TRACE(c.routine);
      const prop_data::PressureTable& t = *c.table;
      std::vector<double> xs, hs;
      for (int r = 0; r < t.count; ++r) {
        const prop_data::PressureRange& g = t.ranges[r];
        for (int k = 0; k < 2 * (g.n - 1); ++k) {
          const double x = g.origin + 0.5 * k * g.step;
          if (x < g.lower || (!xs.empty() && x <= xs.back())) continue;
          if (c.f == PETH15 && x > 8.4e6) break;
          xs.push_back(x);
          hs.push_back(c.f(0, 0.0, x));
        }
      }
      if (c.f != PETH15) {
        const prop_data::PressureRange& last = t.ranges[t.count - 1];
        xs.push_back(last.upper);
        hs.push_back(last.y[last.n - 1]);
      }
      bool falling = false;
      for (std::size_t k = 1; k < hs.size(); ++k) {
        if (liquid(c)) {
          EXPECT_GE(hs[k], hs[k - 1]) << xs[k];
        } else if (hs[k] < hs[k - 1]) {
          falling = true;
        } else if (falling) {
          EXPECT_EQ(hs[k], hs[k - 1]) << "rises again at " << xs[k];
        }
      }
    }
  });
  EXPECT_EQ(out, "");
}

}  // namespace
