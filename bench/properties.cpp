// Substance library: calls per second of the table and saturation routines.
// Reference on the last line: the temperature table read by a plain linear
// interpolation that finds its interval by binary search over the same points.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "properties/data/tables.h"
#include "properties/library.h"

namespace {

constexpr int kArgs = 4096;
constexpr int kRounds = 200;

// Arguments spread over [lo, hi) in a fixed pseudo-random order.
std::vector<double> arguments(double lo, double hi) {
  std::vector<double> a(kArgs);
  std::uint64_t s = 12345;
  for (double& x : a) {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    x = lo + (hi - lo) * static_cast<double>(s >> 11) / 9007199254740992.0;
  }
  return a;
}

// The best of several timings, so that a busy machine disturbs the figures less.
template <class F>
double calls_per_second(const std::vector<double>& args, F f) {
  constexpr int kTrials = 7;
  volatile double sink = 0.0;
  double best = 0.0;
  for (int trial = 0; trial < kTrials; ++trial) {
    const auto t0 = std::chrono::steady_clock::now();
    for (int r = 0; r < kRounds; ++r) {
      double sum = 0.0;
      for (double x : args) sum += f(x);
      sink = sink + sum;
    }
    const auto t1 = std::chrono::steady_clock::now();
    best = std::max(best, static_cast<double>(kRounds) * kArgs / std::chrono::duration<double>(t1 - t0).count());
  }
  return best;
}

// The same table as points (x, y), read by binary search and a straight line.
struct PlainTable {
  std::vector<double> x, y;
  explicit PlainTable(const prop_data::TemperatureTable& t) {
    for (int i = 0; i < t.n1; ++i) x.push_back(t.t0 + i * t.step1), y.push_back(t.y1[i]);
    for (int i = 1; i < t.n2; ++i) x.push_back(t.t1 + i * t.step2), y.push_back(t.y2[i]);
  }
  double operator()(double tk) const {
    if (tk <= x.front()) return y.front();
    if (tk >= x.back()) return y.back();
    const std::size_t k = static_cast<std::size_t>(std::upper_bound(x.begin(), x.end(), tk) - x.begin());
    return y[k - 1] + (tk - x[k - 1]) * (y[k] - y[k - 1]) / (x[k] - x[k - 1]);
  }
};

}  // namespace

int main() {
  const prop_data::TemperatureTable& w = prop_data::kPCND01;
  const std::vector<double> temps = arguments(w.t0, w.t2);
  const std::vector<double> water_p = arguments(610.0, 20090810.0);
  const std::vector<double> ammonia_t = arguments(prop_data::kPVSC16.t0, prop_data::kPVSC16.t2);

  const double pcnd01 = calls_per_second(temps, [](double t) { return PCND01(0, t, 0.0); });
  const double pvsc16 = calls_per_second(ammonia_t, [](double t) { return PVSC16(0, t, 0.0); });
  const double pts02 = calls_per_second(water_p, [](double p) { return PTS02(0, 0.0, p, 273.15); });
  const double pts16 =
      calls_per_second(arguments(10000.0, 11100000.0), [](double p) { return PTS16(0, 0.0, p, 0.0); });
  const double psat02 = calls_per_second(temps, [](double t) { return PSAT02(0.0, 0.0, t); });
  const double psat06 = calls_per_second(arguments(150.0, 385.0), [](double t) { return PSAT06(0.0, 0.0, t); });
  const double psig01 = calls_per_second(temps, [](double t) { return PSIG01(t, 0.0); });
  const double pcp00 = calls_per_second(temps, [](double t) { return PCP00(t, 0.0); });
  const PlainTable plain(w);
  const double reference = calls_per_second(temps, [&](double t) { return plain(t); });

  std::printf("%-44s %8.1f M calls/s\n", "PCND01 (temperature table)", pcnd01 * 1e-6);
  std::printf("%-44s %8.1f M calls/s\n", "PVSC16 (temperature table)", pvsc16 * 1e-6);
  std::printf("%-44s %8.1f M calls/s\n", "PTS02 (saturation temperature, 4 ranges)", pts02 * 1e-6);
  std::printf("%-44s %8.1f M calls/s\n", "PTS16 (saturation temperature, 6 ranges)", pts16 * 1e-6);
  std::printf("%-44s %8.1f M calls/s\n", "PSAT02 (saturation pressure, water)", psat02 * 1e-6);
  std::printf("%-44s %8.1f M calls/s\n", "PSAT06 (saturation pressure, R12)", psat06 * 1e-6);
  std::printf("%-44s %8.1f M calls/s\n", "PSIG01 (surface tension)", psig01 * 1e-6);
  std::printf("%-44s %8.1f M calls/s\n", "PCP00 (air polynomial)", pcp00 * 1e-6);
  std::printf("%-44s %8.1f M calls/s\n", "binary-search linear interpolation", reference * 1e-6);
  std::printf("PCND01 / binary-search linear interpolation of the same table: %.2f\n", pcnd01 / reference);
  return 0;
}
