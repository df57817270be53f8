// The constant tables of the substance library and their readings.
//
// The point values are generated data (properties/data/, written by
// tools/property_tables/generate.py); the types and readings live here. A
// reading computes its interval directly from the argument: no search, no
// allocation. Outside a table's valid range a reading returns the value at
// the nearest end and says so through `outside`; the library routine then
// reports with its own text (prop_range_warning).
#pragma once

#include <string_view>

namespace prop_data {

// Two adjacent ranges with a uniform step each: range 1 from t0 to t1 with n1
// points, range 2 from t1 to t2 with n2 points; the last point of range 1
// and the first of range 2 lie at t1 and hold the same value. Valid range
// t0 <= T < t2. Points are single-precision values.
struct TemperatureTable {
  double t0, t1, t2;
  double step1, step2;
  int n1, n2;
  const float* y1;
  const float* y2;
};

// One range of a table over pressure: used from `lower` up to (not
// including) `upper`; its n points lie at origin + k * step.
struct PressureRange {
  double lower, upper, origin, step;
  int n;
  const float* y;
};

// Up to six ranges in increasing order, each beginning where the one before
// ends; valid range ranges[0].lower <= x < ranges[count - 1].upper.
struct PressureTable {
  int count;
  PressureRange ranges[6];
};

// Linear interpolation between the two points of the interval that holds
// tk (the interval index at most points - 2, also when rounding of the
// quotient reaches the number of intervals just below a range's end).
inline double temperature_reading(const TemperatureTable& tab, double tk, bool& outside) {
  outside = false;
  double t0, step;
  int n;
  const float* y;
  if (tk < tab.t0) {
    outside = true;
    return tab.y1[0];
  }
  if (tk < tab.t1) {
    t0 = tab.t0, step = tab.step1, n = tab.n1, y = tab.y1;
  } else if (tk < tab.t2) {
    t0 = tab.t1, step = tab.step2, n = tab.n2, y = tab.y2;
  } else {
    outside = true;
    return tab.y2[tab.n2 - 1];
  }
  int i = static_cast<int>((tk - t0) / step);
  if (i > n - 2) i = n - 2;
  const double a = y[i], b = y[i + 1];
  return a + (tk - (t0 + i * step)) * (b - a) / step;
}

// The parabola through three neighbouring points: those from the interval
// that holds x on, or the last three of the range in its last interval.
inline double pressure_reading(const PressureTable& tab, double x, bool& outside) {
  outside = false;
  if (x < tab.ranges[0].lower) {
    outside = true;
    return tab.ranges[0].y[0];
  }
  const PressureRange* r = nullptr;
  for (int k = 0; k < tab.count; ++k) {
    if (x < tab.ranges[k].upper) {
      r = &tab.ranges[k];
      break;
    }
  }
  if (r == nullptr) {
    outside = true;
    const PressureRange& last = tab.ranges[tab.count - 1];
    return last.y[last.n - 1];
  }
  const double h = r->step;
  int i = static_cast<int>((x - r->origin) / h);
  if (!(x < r->upper - h) || i > r->n - 3) i = r->n - 3;
  const double s = x - (r->origin + i * h);
  const double p0 = r->y[i], p1 = r->y[i + 1], p2 = r->y[i + 2];
  return (p0 * (s - h) * (s - 2.0 * h) - 2.0 * p1 * s * (s - 2.0 * h) + p2 * s * (s - h)) / (2.0 * (h * h));
}

}  // namespace prop_data

// The library's warning for an argument outside a routine's valid range: the
// problem text (ending in "@") in a 500-character message, the node context
// of `node` (none for 0), severity 2, code 1, the routine's name as reference.
void prop_range_warning(int node, std::string_view text, std::string_view routine);
