// The constant tables of the substance library and their readings.
//
// The point values are generated data (properties/data/, written by
// tools/property_tables/generate.py); the types and readings live here. A
// reading computes its interval directly from the argument: no search, no
// allocation. Outside a table's valid range a reading returns the value at
// the nearest end and says so through `outside`; the library routine then
// reports with its own text (prop_range_warning).
#pragma once

#include <cmath>
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

// Saturated densities: two or four consecutive ranges of the argument x
// (absolute temperature or pressure), range k from x0 to x1 with n points at
// x0 + i * step, step = (x1 - x0) / (n - 1) in double precision; the last
// point of a range and the first of the next lie at the same x and hold the
// same value. Valid range ranges[0].x0 <= x < ranges[count - 1].x1. Points
// are single-precision values; `linear` selects the straight-line reading.
struct DensityRange {
  double x0, x1, step;
  int n;
  const float* y;
};

struct DensityTable {
  int count;
  bool linear;
  DensityRange ranges[4];
};

// Points of one uniform grid: n values at x0 + k * step, k = 0 .. n - 1, in
// double precision (the ammonia virial coefficient and compressibility, the
// continuation of the speed of sound of liquid water; their routines read
// them by straight lines, each with its own ends).
struct StepTable {
  double x0, step;
  int n;
  const double* y;
};

// The parabola through y[0], y[1], y[2] at s = 0, h, 2h, read at s:
// [y0 (s - h)(s - 2h) - 2 y1 s (s - 2h) + y2 s (s - h)] / (2h^2), each point
// times its weight, so that a grid point (s = 0 or h) gives its value exactly.
inline double parabola(const float* y, double s, double h) {
  const double d = 2.0 * (h * h);
  return y[0] * ((s - h) * (s - 2.0 * h) / d) - y[1] * (2.0 * s * (s - 2.0 * h) / d) + y[2] * (s * (s - h) / d);
}

// Linear interpolation between the two points of the interval that holds
// tk (the interval index at most points - 2, also when rounding of the
// quotient reaches the number of intervals just below a range's end).
//
// The lower end t0 is a single-precision value: a temperature that rounds
// to it in single precision (less than half a single-precision step below
// it) lies at the end, not outside, and reads the first point without a
// warning. The water tables begin at the triple point, 273.16 in single
// precision, a few microkelvin above the double 273.16 that humid air takes
// as its saturation temperature and from which its enthalpy integrals start.
inline double temperature_reading(const TemperatureTable& tab, double tk, bool& outside) {
  outside = false;
  double t0, step;
  int n;
  const float* y;
  if (tk < tab.t0) {
    const float end = static_cast<float>(tab.t0);
    const double half_step = 0.5 * (tab.t0 - static_cast<double>(std::nextafter(end, -HUGE_VALF)));
    outside = tk < tab.t0 - half_step;
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
  return parabola(r->y + i, x - (r->origin + i * h), h);
}

// The straight line of the interval that holds x, or the parabola through
// the points i, i+1, i+2 from that interval on, or, in the range's last
// interval, through the points i-1, i, i+1 (no point of the next range is
// read). `side` is 0 inside the valid range, -1 below it and +1 at or above
// its upper end (and for a NaN), where the reading is the nearest end value.
inline double density_reading(const DensityTable& tab, double x, int& side) {
  side = 0;
  if (x < tab.ranges[0].x0) {
    side = -1;
    return tab.ranges[0].y[0];
  }
  const DensityRange* r = nullptr;
  for (int k = 0; k < tab.count; ++k) {
    if (x < tab.ranges[k].x1) {
      r = &tab.ranges[k];
      break;
    }
  }
  if (r == nullptr) {
    side = 1;
    const DensityRange& last = tab.ranges[tab.count - 1];
    return last.y[last.n - 1];
  }
  const double h = r->step;
  int i = static_cast<int>((x - r->x0) / h);
  if (tab.linear) {
    if (i > r->n - 2) i = r->n - 2;
    return r->y[i] + (r->y[i + 1] - r->y[i]) * (x - (r->x0 + i * h)) / h;
  }
  if (x < r->x0 + (r->n - 2) * h) {
    if (i > r->n - 3) i = r->n - 3;
  } else {
    // Last interval: the window starts one point before the interval.
    if (i > r->n - 2) i = r->n - 2;
    if (i < 1) i = 1;
    i -= 1;
  }
  return parabola(r->y + i, x - (r->x0 + i * h), h);
}

}  // namespace prop_data

// The library's warning for an argument outside a routine's valid range: the
// problem text (ending in "@") in a 500-character message, the node context
// of `node` (none for 0), severity 2, code 1, the routine's name as reference.
void prop_range_warning(int node, std::string_view text, std::string_view routine);
