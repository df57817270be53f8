// Property functions: calls per second of XRHO, XCP, XENTH, XTEMP, XVISC and
// XCOND per fluid and phase, and of a direct call of the library routine
// underneath (for the two-phase mixture: both routines and the mixing rule;
// for humid air: the library routines and the mixing formula), with the same
// arguments. The ratio direct / property function is the cost of the
// fluid-code test, the phase choice, the dispatch and the conversions
// through the absolute scale.
//
// The paths off saturation (densities of the subcooled liquid and the
// superheated vapour, enthalpy and the temperature from enthalpy) are timed
// near saturation, 5 to 30 K from it on the side their quality selects, at
// the pressures of a fluid loop; for the iterative ones the work per call is
// listed too: secant or Newton steps of the vapour density, steps and
// specific-heat evaluations of the temperature from enthalpy.
//
// Humid air's enthalpy and temperature integrate its specific heat from
// 273.16 K, a few microkelvin below the first point of the water vapour's
// table (273.16 in single precision): every call warns (PCP02), and the
// time of those warnings is in their rows. The bench prints no boxes of
// warnings (MLEVEL 2).
//
// The last line gives the geometric mean of the time ratios over every case
// and the worst case (goal: 1.5 or less).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/control_constants.h"
#include "properties/library.h"
#include "properties/properties.h"

namespace {

constexpr int kArgs = 2048;
constexpr int kRounds = 100;   // table and saturation paths
constexpr int kRoundsOff = 5;  // paths off saturation
constexpr double kTabs = 273.15;

using ByT = double (*)(int, double, double);  // (node, t, tabs)
using ByP = double (*)(int, double, double);  // (node, pabs, p)
using PT = double (*)(double, double);        // (p, t), with PABS 0 and TABS kTabs
using Property = double (*)(double, double, double, int, int);

struct Args {
  std::vector<double> p, t;
};

// A fixed pseudo-random sequence in [0, 1).
struct Random {
  std::uint64_t s = 12345;
  double next() {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(s >> 11) / 9007199254740992.0;
  }
};

// Pressures (Pa) and temperatures (C) spread over the given ranges.
Args arguments(double p_lo, double p_hi, double t_lo, double t_hi) {
  Args a;
  Random r;
  for (int i = 0; i < kArgs; ++i) {
    a.p.push_back(p_lo * std::pow(p_hi / p_lo, r.next()));
    a.t.push_back(t_lo + (t_hi - t_lo) * r.next());
  }
  return a;
}

// Pressures (Pa) spread over the given range, each with a temperature 5 to
// 30 K below (side < 0) or above (side > 0) its saturation temperature.
Args near_saturation(int code, double p_lo, double p_hi, int side) {
  Args a;
  Random r;
  for (int i = 0; i < kArgs; ++i) {
    const double p = p_lo * std::pow(p_hi / p_lo, r.next());
    a.p.push_back(p);
    a.t.push_back(XTEMPS(p, code, 0) + side * (5.0 + 25.0 * r.next()));
  }
  return a;
}

// The best of several timings, so that a busy machine disturbs the figures less.
template <class F>
double calls_per_second(const Args& a, F f, int rounds = kRounds) {
  constexpr int kTrials = 5;
  volatile double sink = 0.0;
  double best = 0.0;
  for (int trial = 0; trial < kTrials; ++trial) {
    const auto t0 = std::chrono::steady_clock::now();
    for (int r = 0; r < rounds; ++r) {
      double sum = 0.0;
      for (int i = 0; i < kArgs; ++i) sum += f(a.p[i], a.t[i]);
      sink = sink + sum;
    }
    const auto t1 = std::chrono::steady_clock::now();
    best = std::max(best, static_cast<double>(rounds) * kArgs / std::chrono::duration<double>(t1 - t0).count());
  }
  return best;
}

// Direct calls of the library routines in their own call forms.
template <double (*F)(int, double, double, double, double)>
double node_pt(double p, double t) {
  return F(0, 0.0, p, kTabs, t);
}
template <double (*F)(double, double, double, double)>
double vapour_pt(double p, double t) {
  return F(0.0, p, kTabs, t);
}
double water_liquid(double p, double t) { return PROL01(p, 0.0, t, kTabs); }
template <double (*F)(double, double, int)>
double eos_cp(double p, double t) {
  return F(p, t, 0);
}

// The substance routines behind one fluid code. rho_v_t: the saturated
// vapour density that follows T (ammonia), else rho_v by P; cp_v: the vapour
// specific heat table, or cp_eos, the equation of state's.
struct Fluid {
  const char* name;
  int code;
  double p_lo, p_hi, t_lo, t_hi;  // Pa, C: inside every table below
  double loop_lo, loop_hi;        // Pa: the paths off saturation
  ByT cnd_l, cnd_v, vsc_l, vsc_v, cp_l, cp_v, rho_l, rho_v_t;
  ByP rho_v, eth_l, eth_v;
  PT cp_eos, rho_liquid, rho_vapour;
  const prop_const::RefrigerantEos* eos;  // nullptr: not a secant inversion
};

const Fluid kFluids[] = {
    {"AMMONIA", 1,     2e4,   5e6,    -70.0,  85.0,    1e5,    2e6,    PCND15,  PCND16,          PVSC15,
     PVSC16,    PCP15, PCP16, PRHO15, PRHO16, nullptr, PETH15, PETH16, nullptr, node_pt<PROL15>, node_pt<PROS16>,
     nullptr},
    {"WATER", 2,     1e3,   1e7,    5.0,     340.0,  2e4,    5e6,    PCND01,  PCND02,       PVSC01,
     PVSC02,  PCP01, PCP02, PRHO01, nullptr, PRHO02, PETH01, PETH02, nullptr, water_liquid, vapour_pt<PROS02>,
     nullptr},
    {"R11",
     5,
     1e3,
     4e6,
     20.0,
     190.0,
     5e4,
     1e6,
     PCND03,
     PCND04,
     PVSC03,
     PVSC04,
     PCP03,
     nullptr,
     PRHO03,
     nullptr,
     PRHO04,
     PETH03,
     PETH04,
     eos_cp<PCP04>,
     node_pt<PROL03>,
     vapour_pt<PROS04>,
     &prop_const::kEosR11},
    {"R114",
     6,
     1e3,
     3e6,
     10.0,
     140.0,
     5e4,
     1e6,
     PCND11,
     PCND12,
     PVSC11,
     PVSC12,
     PCP11,
     nullptr,
     PRHO11,
     nullptr,
     PRHO12,
     PETH11,
     PETH12,
     eos_cp<PCP12>,
     node_pt<PROL11>,
     vapour_pt<PROS12>,
     &prop_const::kEosR114},
    {"R12",
     7,
     1e3,
     3.9e6,
     -25.0,
     105.0,
     1e5,
     2e6,
     PCND05,
     PCND06,
     PVSC05,
     PVSC06,
     PCP05,
     nullptr,
     PRHO05,
     nullptr,
     PRHO06,
     PETH05,
     PETH06,
     eos_cp<PCP06>,
     node_pt<PROL05>,
     vapour_pt<PROS06>,
     &prop_const::kEosR12},
    {"R21",
     8,
     1e3,
     5e6,
     20.0,
     175.0,
     2e5,
     1e6,
     PCND07,
     PCND08,
     PVSC07,
     PVSC08,
     PCP07,
     PCP08,
     PRHO07,
     nullptr,
     PRHO08,
     PETH07,
     PETH08,
     nullptr,
     node_pt<PROL07>,
     vapour_pt<PROS08>,
     &prop_const::kEosR21},
    {"R22",
     9,
     1e3,
     4.7e6,
     -35.0,
     90.0,
     1e5,
     2e6,
     PCND09,
     PCND10,
     PVSC09,
     PVSC10,
     PCP09,
     nullptr,
     PRHO09,
     nullptr,
     PRHO10,
     PETH09,
     PETH10,
     eos_cp<PCP10>,
     node_pt<PROL09>,
     vapour_pt<PROS10>,
     &prop_const::kEosR22},
    {"R502",
     10,
     1e3,
     3.9e6,
     -50.0,
     78.0,
     1.5e5,
     2e6,
     PCND13,
     PCND14,
     PVSC13,
     PVSC14,
     PCP13,
     nullptr,
     PRHO13,
     nullptr,
     PRHO14,
     PETH13,
     PETH14,
     eos_cp<PCP14>,
     node_pt<PROL13>,
     vapour_pt<PROS14>,
     &prop_const::kEosR502},
};

struct Result {
  std::vector<double> ratios;
  void row(const char* function, const char* fluid, const char* phase, double property, double direct) {
    const double ratio = direct / property;
    ratios.push_back(ratio);
    std::printf("%-6s %-8s %-9s %10.3f %10.3f %8.2f\n", function, fluid, phase, property * 1e-6, direct * 1e-6,
                ratio);
  }
};

// One property of a fluid whose liquid and vapour routines follow T (the
// vapour of the equation-of-state fluids follows P and T): liquid,
// two-phase and vapour through the property function against the routines.
void by_temperature(Result& res, const char* function, Property f, const Fluid& fl, const Args& a, ByT liquid,
                    ByT vapour, PT vapour_pt = nullptr) {
  const int code = fl.code;
  auto sv = [&](double p, double t) { return vapour != nullptr ? vapour(0, t, kTabs) : vapour_pt(p, t); };
  res.row(function, fl.name, "liquid",
          calls_per_second(a, [&](double p, double t) { return f(p, t, 0.0, code, 0); }),
          calls_per_second(a, [&](double, double t) { return liquid(0, t, kTabs); }));
  res.row(function, fl.name, "two-phase",
          calls_per_second(a, [&](double p, double t) { return f(p, t, 0.3, code, 0); }),
          calls_per_second(a, [&](double p, double t) {
            const double sl = liquid(0, t, kTabs), v = sv(p, t);
            return ((v - sl) * 0.3) + sl;
          }));
  res.row(function, fl.name, "vapour",
          calls_per_second(a, [&](double p, double t) { return f(p, t, 1.0, code, 0); }), calls_per_second(a, sv));
}

// Enthalpies of the arguments on the side x selects, for the temperature
// from enthalpy.
Args enthalpies(const Args& a, double x, int code) {
  Args h = a;
  for (int i = 0; i < kArgs; ++i) h.t[i] = XENTH(a.p[i], a.t[i], x, code, 0);
  return h;
}

// Work per call of the iterative paths, over the arguments.
struct Work {
  std::string what;
  double steps, evaluations;
};
std::vector<Work> work;

void count_xtemp(const char* fluid, const char* phase, const Args& h, double x, int code) {
  PropWork w;
  for (int i = 0; i < kArgs; ++i) prop_xgtph1(h.p[i], h.t[i], x, code, 0, &w);
  work.push_back({std::string("XTEMP  ") + fluid + " " + phase, static_cast<double>(w.steps) / kArgs,
                  static_cast<double>(w.evaluations) / kArgs});
}

// The paths off saturation of one fluid (or gas): density, enthalpy and the
// temperature from enthalpy on one side.
void off_saturation(Result& res, const char* fluid, const char* phase, int code, double x, const Args& a, PT rho) {
  res.row("XRHO", fluid, phase,
          calls_per_second(
              a, [&](double p, double t) { return XRHO(p, t, x, code, 0); }, kRoundsOff),
          calls_per_second(a, rho, kRoundsOff));
  res.row("XENTH", fluid, phase,
          calls_per_second(
              a, [&](double p, double t) { return XENTH(p, t, x, code, 0); }, kRoundsOff),
          calls_per_second(
              a, [&](double p, double t) { return XGHPT1(p, t, x, code, 0); }, kRoundsOff));
  const Args h = enthalpies(a, x, code);
  res.row("XTEMP", fluid, phase,
          calls_per_second(
              h, [&](double p, double hh) { return XTEMP(p, hh, x, code, 0); }, kRoundsOff),
          calls_per_second(
              h, [&](double p, double hh) { return XGTPH1(p, hh, x, code, 0); }, kRoundsOff));
  count_xtemp(fluid, phase, h, x, code);
}

}  // namespace

int main() {
  GLOR.TABS = kTabs;
  GLOR.PABS = 0.0;
  GLOI.MLEVEL = 2;
  Result res;
  std::printf("%-6s %-8s %-9s %10s %10s %8s\n", "", "fluid", "phase", "function", "direct", "ratio");
  std::printf("%-6s %-8s %-9s %10s %10s %8s\n", "", "", "", "M calls/s", "M calls/s", "");
  for (const Fluid& fl : kFluids) {
    const Args a = arguments(fl.p_lo, fl.p_hi, fl.t_lo, fl.t_hi);
    const int code = fl.code;
    by_temperature(res, "XCOND", XCOND, fl, a, fl.cnd_l, fl.cnd_v);
    by_temperature(res, "XVISC", XVISC, fl, a, fl.vsc_l, fl.vsc_v);

    // Density and enthalpy of the mixture: the saturated liquid density by
    // T, the saturated vapour by P (by T for ammonia), mixed homogeneously;
    // the saturated enthalpies by P, mixed linearly.
    res.row("XRHO", fl.name, "two-phase",
            calls_per_second(a, [&](double p, double t) { return XRHO(p, t, 0.3, code, 0); }),
            calls_per_second(a, [&](double p, double t) {
              const double rl = fl.rho_l(0, t, kTabs);
              const double rv = fl.rho_v != nullptr ? fl.rho_v(0, 0.0, p) : fl.rho_v_t(0, t, kTabs);
              return 1.0 / (0.3 / rv + (1.0 - 0.3) / rl);
            }));
    res.row("XENTH", fl.name, "two-phase",
            calls_per_second(a, [&](double p, double t) { return XENTH(p, t, 0.3, code, 0); }),
            calls_per_second(a, [&](double p, double) {
              const double hl = fl.eth_l(0, 0.0, p), hv = fl.eth_v(0, 0.0, p);
              return ((hv - hl) * 0.3) + hl;
            }));

    // Off saturation: the subcooled liquid and the superheated vapour.
    const Args liquid = near_saturation(code, fl.loop_lo, fl.loop_hi, -1);
    const Args vapour = near_saturation(code, fl.loop_lo, fl.loop_hi, 1);
    by_temperature(res, "XCP", XCP, fl, vapour, fl.cp_l, fl.cp_v, fl.cp_eos);
    off_saturation(res, fl.name, "liquid", code, 0.0, liquid, fl.rho_liquid);
    off_saturation(res, fl.name, "vapour", code, 1.0, vapour, fl.rho_vapour);
    if (fl.eos != nullptr) {
      PropWork w;
      for (int i = 0; i < kArgs; ++i) PFRHOV(*fl.eos, vapour.p[i], vapour.t[i] + kTabs, &w);
      work.push_back({std::string("XRHO   ") + fl.name + " vapour", static_cast<double>(w.steps) / kArgs, 0.0});
    } else if (code == 2) {
      PropWork w;
      for (int i = 0; i < kArgs; ++i) prop_pros02(0.0, vapour.p[i], kTabs, vapour.t[i], &w);
      work.push_back({"XRHO   WATER vapour", static_cast<double>(w.steps) / kArgs, 0.0});
    }
  }

  // Dry air, the gas: the correlations, the ideal gas and the enthalpy from
  // its saturation at 1 K.
  const Args air = arguments(1e4, 1e6, -50.0, 500.0);
  const struct {
    const char* name;
    Property f;
    double (*direct)(double, double);
  } gas[] = {{"XCOND", XCOND, PCND00}, {"XVISC", XVISC, PVSC00}, {"XCP", XCP, PCP00}};
  for (const auto& g : gas)
    res.row(g.name, "AIR", "gas", calls_per_second(air, [&](double p, double t) { return g.f(p, t, 1.0, 3, 0); }),
            calls_per_second(air, [&](double, double t) { return g.direct(t, kTabs); }));
  off_saturation(res, "AIR", "gas", 3, 1.0, air, [](double p, double t) { return PRHO00(p, 0.0, t, kTabs); });

  // Humid air of 1 % humidity, 5 to 150 C: the mixing rules against the
  // library routines and the formulas; the enthalpy from 273.16 K.
  const Args humid = arguments(5e4, 5e5, 5.0, 150.0);
  constexpr double w = 0.01;
  res.row("XCP", "AIRW", "gas", calls_per_second(humid, [](double p, double t) { return XCP(p, t, w, 4, 0); }),
          calls_per_second(humid,
                           [](double, double t) { return (PCP02(0, t, kTabs) * w + PCP00(t, kTabs)) / (w + 1.0); }));
  res.row("XCOND", "AIRW", "gas", calls_per_second(humid, [](double p, double t) { return XCOND(p, t, w, 4, 0); }),
          calls_per_second(humid, [](double, double t) {
            return (PCND02(0, t, kTabs) * w + PCND00(t, kTabs) * 0.6221) / (0.6221 + w);
          }));
  off_saturation(res, "AIRW", "gas", 4, w, humid, [](double p, double t) {
    const double pv = w * p / (w + 0.6221);
    return PROS02(0.0, pv, kTabs, t) + PRHO00(p - pv, 0.0, t, kTabs);
  });

  std::printf("\nWork per call of the iterative paths (mean over %d calls):\n", kArgs);
  std::printf("%-24s %8s %14s\n", "", "steps", "cp evaluations");
  for (const Work& k : work) {
    if (k.evaluations > 0.0) std::printf("%-24s %8.2f %14.2f\n", k.what.c_str(), k.steps, k.evaluations);
    else std::printf("%-24s %8.2f %14s\n", k.what.c_str(), k.steps, "-");
  }

  double log_sum = 0.0, worst = 0.0;
  for (double r : res.ratios) log_sum += std::log(r), worst = std::max(worst, r);
  std::printf(
      "Property function / direct library call, time ratio over %zu cases: geometric mean %.2f, worst %.2f\n",
      res.ratios.size(), std::exp(log_sum / static_cast<double>(res.ratios.size())), worst);
  return 0;
}
