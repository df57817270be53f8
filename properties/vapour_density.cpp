// Gas and vapour density off saturation: air as an ideal gas (PRHO00), water
// vapour by a virial equation (PROS02), the refrigerant vapours by their
// equation of state (PEOS) inverted by secant steps (PFRHOV, PROS04 ...
// PROS14), and ammonia vapour by the second virial coefficient (PB16),
// blended into the saturated density near saturation (PROS16).
#include <cmath>
#include <string>

#include "core/diagnostics.h"
#include "modeldata/submodel_refs.h"
#include "platform/format.h"
#include "platform/text.h"
#include "properties/data/tables.h"
#include "properties/library.h"
#include "properties/library_constants.h"
#include "properties/properties.h"

namespace {

using namespace prop_const;

// ---- Messages, composed only when one is issued.

// A number written by a Fortran edit descriptor into a field of W characters.
template <int W>
std::string field(std::string_view format, double v) {
  plat::Text<W> text;
  plat::write_internal(text, format, v);
  return std::string(text.view());
}

// The text in a field of 255 characters, node context when node is not 0.
[[gnu::cold]] [[gnu::noinline]] void report(const std::string& text, int node, int severity, int code,
                                            std::string_view routine) {
  plat::Text<kVapourMessageLength> msg(text);
  MESBLD(node, msg);
  SETERX(msg.view(), severity, code, routine);
}

[[gnu::cold]] [[gnu::noinline]] void air_too_cold(double t) {
  report("Temperature less than minimum temperature@ Temperature = " + field<10>("(F10.2)", t) +
             ": Minimum temperature assumed.",
         0, 2, 1, "PRHO00");
}

[[gnu::cold]] [[gnu::noinline]] void water_pressure_high(double p) {
  report("Pressure out of range for fluid property function@Superheated water density: pressure = " +
             field<12>("(G12.6)", p),
         0, 2, 1, "PROS02");
}

[[gnu::cold]] [[gnu::noinline]] void water_temperature(double t, int code) {
  report("Temperature out of range for fluid property function@Superheated water density: temperature = " +
             field<12>("(F12.2)", t),
         0, 2, code, "PROS02");
}

// The end of an iteration that has lost its way: a step without a slope
// (two equal pressures, a zero derivative) or a non-number.
[[gnu::cold]] [[gnu::noinline]] double water_iteration_failed(double p, double t) {
  report(
      "Vapour density iteration failed@Newton steps on the superheated water density met a zero slope or a "
      "non-number@Pressure = " +
          field<12>("(G12.6)", p) + ", temperature = " + field<12>("(F12.2)", t),
      0, 4, 4, "PROS02");
  return 0.0;
}

// No positive root of the virial equation (cold and dense: the state is no
// vapour). The ideal gas stands in.
[[gnu::cold]] [[gnu::noinline]] double water_not_positive(double p, double t, double pk, double tk) {
  report("Vapour density not positive@No positive root of the virial equation of superheated water: ideal-gas "
         "density assumed@Pressure = " +
             field<12>("(G12.6)", p) + ", temperature = " + field<12>("(F12.2)", t),
         0, 2, 5, "PROS02");
  return pk / (kWaterGasConstant * tk);
}

// Whether rt rho (1 + b rho + c rho^2) reaches pk at a positive density: it
// rises from zero and grows without bound unless c < 0 (or c = 0 and
// b < 0); then it turns at the positive root of its slope,
// 1 + 2 b rho + 3 c rho^2 = 0, and must reach pk there.
bool water_has_root(double rt, double b, double c, double pk) {
  double turn;
  if (c < 0.0) {
    turn = (-2.0 * b - std::sqrt(4.0 * b * b - 12.0 * c)) / (6.0 * c);
  } else if (c == 0.0 && b < 0.0) {
    turn = -1.0 / (2.0 * b);
  } else {
    return true;
  }
  return !(rt * turn * (1.0 + b * turn + c * (turn * turn)) < pk);  // a non-number goes on to the steps
}

[[gnu::cold]] [[gnu::noinline]] double secant_failed(double pk, double tk) {
  report(
      "Vapour density iteration failed@Secant steps on the refrigerant equation of state met two equal "
      "pressures or a non-number@Absolute pressure = " +
          field<12>("(G12.6)", pk) + ", absolute temperature = " + field<12>("(F12.2)", tk),
      0, 4, 1, "PFRHOV");
  return 0.0;
}

[[gnu::cold]] [[gnu::noinline]] void virial_range(double t, bool low, int node) {
  report(std::string(low ? "Temperature too low" : "Temperature too high") +
             " for 2nd Virial Coefficient of ammonia@Temperature = " + field<10>("(F10.2)", t),
         node, 2, low ? 1 : 2, "PB16  ");
}

// ---- The refrigerant equation of state at one temperature: the
// numerators Ai + Bi TR + Ci e of the powers 2 .. 5 formed once.
struct EosAt {
  double r_tr, b, n[4];
  EosAt(const RefrigerantEos& c, double tr) : r_tr(c.r * tr), b(c.b) {
    const double e = std::exp(-c.k * tr / c.tc);
    for (int k = 0; k < 4; ++k) n[k] = c.a[k] + c.bt[k] * tr + c.c[k] * e;
  }
  double pressure(double v) const {
    const double w = v - b;
    double s = r_tr / w;
    double wi = w;
    for (int k = 0; k < 4; ++k) {
      wi *= w;
      s += n[k] / wi;
    }
    return s;
  }
};

inline bool finite(double a, double b) { return std::isfinite(a) && std::isfinite(b); }

}  // namespace

double PRHO00(double p, double pabs, double t, double tabs) {
  const double pk = p + pabs;
  double tk = t + tabs;
  if (tk < kAirMinimumTemperature) [[unlikely]] {
    air_too_cold(t);
    tk = kAirMinimumTemperature;
  }
  return pk / (kAirGasConstant * tk);
}

double PEOS(const RefrigerantEos& c, double tr, double v) { return EosAt(c, tr).pressure(v); }

double PFRHOV(const RefrigerantEos& c, double pk, double tk, PropWork* work) {
  const double tr = kEosRankinePerKelvin * tk;
  const double ppsi = kEosPsiPerPascal * pk;
  const EosAt eos(c, tr);
  // The ideal-gas volume plus the co-volume, then the volume scaled by the
  // pressure it gives.
  double v_old = c.r * tr / ppsi + c.b;
  double p_old = eos.pressure(v_old);
  double v_cur = v_old * p_old / ppsi;
  double p_cur = eos.pressure(v_cur);
  if (!finite(v_old, p_old) || !finite(v_cur, p_cur)) [[unlikely]]
    return secant_failed(pk, tk);
  LoopGuard guard("PFRHOV");
  double v_new;
  for (;;) {
    guard.pass();
    if (p_cur == p_old) [[unlikely]]
      return secant_failed(pk, tk);
    v_new = (ppsi - p_old) * (v_cur - v_old) / (p_cur - p_old) + v_old;
    const double p_new = eos.pressure(v_new);
    if (!finite(v_new, p_new)) [[unlikely]]
      return secant_failed(pk, tk);
    if (work != nullptr) ++work->steps;
    if (std::fabs(p_new / ppsi - 1.0) < kEosTolerance) break;
    v_old = v_cur, p_old = p_cur;
    v_cur = v_new, p_cur = p_new;
  }
  return (1.0 / v_new) / kEosLbFt3PerKgM3;
}

double PROS04(double pabs, double p, double tabs, double t) { return PFRHOV(kEosR11, p + pabs, t + tabs); }
double PROS06(double pabs, double p, double tabs, double t) { return PFRHOV(kEosR12, p + pabs, t + tabs); }
double PROS08(double pabs, double p, double tabs, double t) { return PFRHOV(kEosR21, p + pabs, t + tabs); }
double PROS10(double pabs, double p, double tabs, double t) { return PFRHOV(kEosR22, p + pabs, t + tabs); }
double PROS12(double pabs, double p, double tabs, double t) { return PFRHOV(kEosR114, p + pabs, t + tabs); }
double PROS14(double pabs, double p, double tabs, double t) { return PFRHOV(kEosR502, p + pabs, t + tabs); }

double PROS02(double pabs, double p, double tabs, double t) { return prop_pros02(pabs, p, tabs, t, nullptr); }

double prop_pros02(double pabs, double p, double tabs, double t, PropWork* work) {
  double pk = p + pabs;
  double tk = t + tabs;
  if (pk > kWaterPressureMax) [[unlikely]] {
    water_pressure_high(p);
    pk = kWaterPressureMax;
  }
  if (tk < kWaterTemperatureMin) [[unlikely]] {
    water_temperature(t, 2);
    tk = kWaterTemperatureMin;
  } else if (tk > kWaterTemperatureMax) [[unlikely]] {
    water_temperature(t, 3);
    tk = kWaterTemperatureMax;
  }
  const double tau = kWaterVirialTau / tk;
  const double theta = tk / kWaterVirialTc;
  const double bv = -kWaterB1 * tau +
                    std::pow(1.0 - std::exp(-tau), kWaterBExponent) * (-kWaterB2 * std::exp(tau)) / std::sqrt(tau) +
                    kWaterB3 / (1.0 + tk / kWaterB4);
  const double cv = kWaterC1 + (theta - kWaterC2) * kWaterC3 * std::exp(-kWaterC4 * theta);
  // Start from the root of the equation without its third coefficient.
  const double rt = kWaterGasConstant * tk;
  // Without a positive root the Newton steps would end at a negative
  // density or wander without end.
  if (!water_has_root(rt, bv, cv, pk)) [[unlikely]]
    return water_not_positive(p, t, pk, tk);
  const double q = 1.0 + 4.0 * bv * pk / rt;
  double rho = q > 0.0 ? (std::sqrt(q) - 1.0) / (2.0 * bv) : -1.0 / (2.0 * bv);
  LoopGuard guard("PROS02");
  for (;;) {
    guard.pass();
    const double f = rt * rho * (1.0 + bv * rho + cv * (rho * rho)) - pk;
    const double df = rt + kWaterDerivative2 * tk * bv * rho + kWaterDerivative3 * tk * cv * (rho * rho);
    const double delta = f / df;
    if (!std::isfinite(delta)) [[unlikely]]
      return water_iteration_failed(p, t);
    rho -= delta;
    if (work != nullptr) ++work->steps;
    if (std::fabs(delta) <= kWaterNewtonTolerance) {
      // (No vapour at all at zero pressure: the density 0 is right there.)
      if (!(rho > 0.0) && pk > 0.0) [[unlikely]]
        return water_not_positive(p, t, pk, tk);
      return rho;
    }
  }
}

double PROS16(int node, double pabs, double p, double tabs, double t) {
  const int code = FTYPEI("AMMONIA");
  const double tsat = XTEMPS(p, code, node);
  const double pk = p + pabs;
  const double tk = t + tabs;
  const double w0 = pk * kAmmoniaBandFactor / kAmmoniaBandPressure + kAmmoniaBandBase;
  double f = 1.0;
  if (w0 > std::fabs(t - tsat)) {
    // Within the band: the correction that makes the density meet the
    // saturated value at the saturation temperature, weighted by the
    // square of the distance from the band's edge.
    const double rhos = XRHOS(p, tsat, 1.0, code, node);
    const double bs = PB16(node, tsat, tabs);
    const double w = (tsat + w0 - t) / w0;
    f = w * w * ((kAmmoniaMolarMass / rhos - kUniversalGasConstant * (tsat + tabs) / pk) / bs - 1.0) + 1.0;
  }
  return kAmmoniaMolarMass / (kUniversalGasConstant * tk / pk + PB16(node, t, tabs) * f);
}

double PB16(int node, double t, double tabs) {
  const double tk = t + tabs;
  if (tk < kVirialTmin) [[unlikely]] {
    virial_range(t, true, node);
    return kVirialBelow;
  }
  if (!(tk < kVirialTmax)) [[unlikely]] {  // a non-number too
    virial_range(t, false, node);
    return kVirialAbove;
  }
  const double* y = prop_data::kPB16.y;
  int i = static_cast<int>((tk - kVirialTmin) / kVirialStep);
  if (i > kVirialLastInterval) i = kVirialLastInterval;
  return (y[i] + (y[i + 1] - y[i]) / kVirialStep * (tk - (kVirialTmin + kVirialStep * i))) * kVirialUnit;
}
