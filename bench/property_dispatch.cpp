// Property functions: calls per second of XRHO, XCP, XENTH, XTEMP, XVISC and
// XCOND per fluid and phase, and of a direct call of the library routine
// underneath (for the two-phase mixture: both routines and the mixing rule),
// with the same arguments. The ratio direct / property function is the cost
// of the fluid-code test, the phase choice, the dispatch and the conversions
// through the absolute scale. The last line gives its geometric mean over
// every case and the worst case (goal: 1.5 or less).
//
// Combinations whose library routines this build does not hold yet (the
// densities and enthalpies off saturation, the temperature from enthalpy,
// the equation-of-state vapour specific heats, humid air) are listed as such.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/control_constants.h"
#include "properties/library.h"
#include "properties/properties.h"

namespace {

constexpr int kArgs = 2048;
constexpr int kRounds = 100;
constexpr double kTabs = 273.15;

using ByT = double (*)(int, double, double);  // (node, t, tabs)
using ByP = double (*)(int, double, double);  // (node, pabs, p)
using Property = double (*)(double, double, double, int, int);

struct Args {
  std::vector<double> p, t;
};

// Pressures (Pa) and temperatures (C) spread over the given ranges in a
// fixed pseudo-random order.
Args arguments(double p_lo, double p_hi, double t_lo, double t_hi) {
  Args a;
  std::uint64_t s = 12345;
  auto next = [&s] {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(s >> 11) / 9007199254740992.0;
  };
  for (int i = 0; i < kArgs; ++i) {
    a.p.push_back(p_lo * std::pow(p_hi / p_lo, next()));
    a.t.push_back(t_lo + (t_hi - t_lo) * next());
  }
  return a;
}

// The best of several timings, so that a busy machine disturbs the figures less.
template <class F>
double calls_per_second(const Args& a, F f) {
  constexpr int kTrials = 5;
  volatile double sink = 0.0;
  double best = 0.0;
  for (int trial = 0; trial < kTrials; ++trial) {
    const auto t0 = std::chrono::steady_clock::now();
    for (int r = 0; r < kRounds; ++r) {
      double sum = 0.0;
      for (int i = 0; i < kArgs; ++i) sum += f(a.p[i], a.t[i]);
      sink = sink + sum;
    }
    const auto t1 = std::chrono::steady_clock::now();
    best = std::max(best, static_cast<double>(kRounds) * kArgs / std::chrono::duration<double>(t1 - t0).count());
  }
  return best;
}

// The substance routines behind one fluid code; nullptr where the build
// does not hold the routine yet. rho_v_t: the vapour density that follows T
// (ammonia), else rho_v by P.
struct Fluid {
  const char* name;
  int code;
  double p_lo, p_hi, t_lo, t_hi;  // Pa, C: inside every table below
  ByT cnd_l, cnd_v, vsc_l, vsc_v, cp_l, cp_v, rho_l, rho_v_t;
  ByP rho_v, eth_l, eth_v;
};

const Fluid kFluids[] = {
    {"AMMONIA", 1, 2e4, 5e6, -70.0, 85.0, PCND15, PCND16, PVSC15, PVSC16, PCP15, PCP16, PRHO15, PRHO16, nullptr, PETH15,
     PETH16},
    {"WATER", 2, 1e3, 1e7, 5.0, 340.0, PCND01, PCND02, PVSC01, PVSC02, PCP01, PCP02, PRHO01, nullptr, PRHO02, PETH01,
     PETH02},
    {"R11", 5, 1e3, 4e6, 20.0, 190.0, PCND03, PCND04, PVSC03, PVSC04, PCP03, nullptr, PRHO03, nullptr, PRHO04, PETH03,
     PETH04},
    {"R114", 6, 1e3, 3e6, 10.0, 140.0, PCND11, PCND12, PVSC11, PVSC12, PCP11, nullptr, PRHO11, nullptr, PRHO12, PETH11,
     PETH12},
    {"R12", 7, 1e3, 3.9e6, -25.0, 105.0, PCND05, PCND06, PVSC05, PVSC06, PCP05, nullptr, PRHO05, nullptr, PRHO06,
     PETH05, PETH06},
    {"R21", 8, 1e3, 5e6, 20.0, 175.0, PCND07, PCND08, PVSC07, PVSC08, PCP07, PCP08, PRHO07, nullptr, PRHO08, PETH07,
     PETH08},
    {"R22", 9, 1e3, 4.7e6, -35.0, 90.0, PCND09, PCND10, PVSC09, PVSC10, PCP09, nullptr, PRHO09, nullptr, PRHO10, PETH09,
     PETH10},
    {"R502", 10, 1e3, 3.9e6, -50.0, 78.0, PCND13, PCND14, PVSC13, PVSC14, PCP13, nullptr, PRHO13, nullptr, PRHO14,
     PETH13, PETH14},
};

struct Result {
  std::vector<double> ratios;
  void row(const char* function, const char* fluid, const char* phase, double property, double direct) {
    const double ratio = direct / property;
    ratios.push_back(ratio);
    std::printf("%-6s %-8s %-9s %10.1f %10.1f %8.2f\n", function, fluid, phase, property * 1e-6, direct * 1e-6, ratio);
  }
  static void pending(const char* function, const char* fluid, const char* phase) {
    std::printf("%-6s %-8s %-9s %10s %10s %8s\n", function, fluid, phase, "-", "-", "not built yet");
  }
};

// One property of a fluid whose liquid and vapour routines follow T: liquid,
// two-phase and vapour through the property function against the routines.
void by_temperature(Result& res, const char* function, Property f, const Fluid& fl, const Args& a, ByT liquid,
                    ByT vapour) {
  const int code = fl.code;
  res.row(function, fl.name, "liquid", calls_per_second(a, [&](double p, double t) { return f(p, t, 0.0, code, 0); }),
          calls_per_second(a, [&](double, double t) { return liquid(0, t, kTabs); }));
  if (vapour == nullptr) {
    Result::pending(function, fl.name, "two-phase");
    Result::pending(function, fl.name, "vapour");
    return;
  }
  res.row(function, fl.name, "two-phase",
          calls_per_second(a, [&](double p, double t) { return f(p, t, 0.3, code, 0); }),
          calls_per_second(a, [&](double, double t) {
            const double sl = liquid(0, t, kTabs), sv = vapour(0, t, kTabs);
            return ((sv - sl) * 0.3) + sl;
          }));
  res.row(function, fl.name, "vapour", calls_per_second(a, [&](double p, double t) { return f(p, t, 1.0, code, 0); }),
          calls_per_second(a, [&](double, double t) { return vapour(0, t, kTabs); }));
}

}  // namespace

int main() {
  GLOR.TABS = kTabs;
  GLOR.PABS = 0.0;
  Result res;
  std::printf("%-6s %-8s %-9s %10s %10s %8s\n", "", "fluid", "phase", "function", "direct", "ratio");
  std::printf("%-6s %-8s %-9s %10s %10s %8s\n", "", "", "", "M calls/s", "M calls/s", "");
  for (const Fluid& fl : kFluids) {
    const Args a = arguments(fl.p_lo, fl.p_hi, fl.t_lo, fl.t_hi);
    const int code = fl.code;
    by_temperature(res, "XCOND", XCOND, fl, a, fl.cnd_l, fl.cnd_v);
    by_temperature(res, "XVISC", XVISC, fl, a, fl.vsc_l, fl.vsc_v);
    by_temperature(res, "XCP", XCP, fl, a, fl.cp_l, fl.cp_v);

    // Density: the saturated liquid by T, the saturated vapour by P (by T
    // for ammonia), mixed homogeneously.
    Result::pending("XRHO", fl.name, "liquid");
    res.row("XRHO", fl.name, "two-phase",
            calls_per_second(a, [&](double p, double t) { return XRHO(p, t, 0.3, code, 0); }),
            calls_per_second(a, [&](double p, double t) {
              const double rl = fl.rho_l(0, t, kTabs);
              const double rv = fl.rho_v != nullptr ? fl.rho_v(0, 0.0, p) : fl.rho_v_t(0, t, kTabs);
              return 1.0 / (0.3 / rv + (1.0 - 0.3) / rl);
            }));
    Result::pending("XRHO", fl.name, "vapour");

    // Enthalpy: the saturated enthalpies by P, mixed linearly.
    Result::pending("XENTH", fl.name, "liquid");
    res.row("XENTH", fl.name, "two-phase",
            calls_per_second(a, [&](double p, double t) { return XENTH(p, t, 0.3, code, 0); }),
            calls_per_second(a, [&](double p, double) {
              const double hl = fl.eth_l(0, 0.0, p), hv = fl.eth_v(0, 0.0, p);
              return ((hv - hl) * 0.3) + hl;
            }));
    Result::pending("XENTH", fl.name, "vapour");
    Result::pending("XTEMP", fl.name, "liquid");
    Result::pending("XTEMP", fl.name, "vapour");
  }
  // Dry air: the gas correlations.
  const Args air = arguments(1e4, 1e6, -50.0, 500.0);
  const struct {
    const char* name;
    Property f;
    double (*direct)(double, double);
  } gas[] = {{"XCOND", XCOND, PCND00}, {"XVISC", XVISC, PVSC00}, {"XCP", XCP, PCP00}};
  for (const auto& g : gas)
    res.row(g.name, "AIR", "gas", calls_per_second(air, [&](double p, double t) { return g.f(p, t, 1.0, 3, 0); }),
            calls_per_second(air, [&](double, double t) { return g.direct(t, kTabs); }));
  Result::pending("XRHO", "AIR", "gas");
  Result::pending("XENTH", "AIR", "gas");
  Result::pending("XTEMP", "AIR", "gas");
  Result::pending("all", "AIRW", "any");

  double log_sum = 0.0, worst = 0.0;
  for (double r : res.ratios) log_sum += std::log(r), worst = std::max(worst, r);
  std::printf("Property function / direct library call, time ratio over %zu cases: geometric mean %.2f, worst %.2f\n",
              res.ratios.size(), std::exp(log_sum / static_cast<double>(res.ratios.size())), worst);
  return 0;
}
