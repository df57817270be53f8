// Enthalpy off saturation and the temperature from it (XGHPT1, INTCP,
// XGTPH1): the saturated enthalpy of one side at P plus the integral of the
// specific heat from the saturation temperature, and its inversion by
// Newton steps that fall back to bisection. All three work through the
// property functions, so the fluid and phase rules apply inside them.
#include <cmath>
#include <string>

#include "core/diagnostics.h"
#include "modeldata/submodel_refs.h"
#include "platform/format.h"
#include "platform/text.h"
#include "properties/dispatch.h"
#include "properties/library.h"
#include "properties/library_constants.h"
#include "properties/properties.h"

namespace {

using namespace prop_const;

constexpr int kHumidAir = 4;

// Humid air's X is the specific humidity; the saturation functions would
// refuse one between 0 and 1 as a vapour quality, and serve its specific
// heat only for X >= 1. For 0 <= X < 1 the enthalpy starts from the form of
// dry humid air, 0.0 at 273.16 K, as it does at X = 0, and the first step of
// the inversion takes the saturated vapour's specific heat at X (also at
// X = 0): the enthalpy is then continuous as the humidity goes to zero.
// X >= 1 keeps the saturated-vapour forms.
inline bool humidity_below_one(int ifluid, double x) { return ifluid == kHumidAir && x >= 0.0 && x < 1.0; }

inline double saturated_enthalpy(double p, double ts, double x, int ifluid, int node) {
  if (humidity_below_one(ifluid, x)) [[unlikely]]
    return prop_dispatch::routine(kHumidAir, prop_dispatch::kEnthalpy, prop_dispatch::kSaturatedLiquid)(
        p, ts, 0.0, x, ifluid, node);
  return XENTHS(p, ts, x, ifluid, node);
}

inline double saturated_cp(double p, double ts, double x, int ifluid, int node) {
  if (humidity_below_one(ifluid, x)) [[unlikely]]
    return prop_dispatch::routine(kHumidAir, prop_dispatch::kSpecificHeat, prop_dispatch::kSaturatedVapour)(
        p, ts, 0.0, x, ifluid, node);
  return XCPS(p, ts, x, ifluid, node);
}

// The end of the inversion when a step has no slope (a zero specific heat)
// or meets a non-number: pressure, enthalpy and fluid, node context.
[[gnu::cold]] [[gnu::noinline]] double inversion_failed(double p, double h, int ifluid, int node) {
  plat::Text<12> pt, ht;
  plat::write_internal(pt, "(G12.6)", p);
  plat::write_internal(ht, "(G12.6)", h);
  std::string text("Temperature from enthalpy failed@A step met a zero specific heat or a non-number@Pressure = ");
  text.append(pt.view()).append(", enthalpy = ").append(ht.view()).append(", fluid ");
  text.append(FTYPEC(ifluid).trimmed()).append("@");
  plat::Text<kIterationMessageLength> msg(text);
  MESBLD(node, msg);
  SETERX(msg.view(), 4, 1, "XGTPH1");
  return 0.0;
}

}  // namespace

double XGHPT1(double p, double t, double x, int ifluid, int node) {
  const double ts = XTEMPS(p, ifluid, node);
  const double hs = saturated_enthalpy(p, ts, x, ifluid, node);
  return hs + INTCP(p, ts, t, x, ifluid, node);
}

double INTCP(double p, double t1, double t2, double x, int ifluid, int node) {
  return prop_intcp(p, t1, t2, x, ifluid, node, nullptr);
}

double prop_intcp(double p, double t1, double t2, double x, int ifluid, int node, PropWork* work) {
  if (std::fabs(t1 - t2) < kIntegralTiny) return 0.0;
  const double d = t2 - t1;
  const double c1 = XCP(p, t1, x, ifluid, node);
  const double c2 = XCP(p, t2, x, ifluid, node);
  double s = d * 0.5 * (c1 + c2);  // trapezoid
  double q = 0.0;                  // Simpson, previous level
  int n = 1;
  int evaluations = 2;
  double result = 0.0;
  for (int level = 1;; ++level) {
    // The n midpoints of the present intervals, each one interval on.
    const double step = d / n;
    double t = t1 + step / 2;
    double sum = 0.0;
    for (int j = 0; j < n; ++j) {
      sum += XCP(p, t, x, ifluid, node);
      t += step;
    }
    evaluations += n;
    const double s1 = (sum * d * (1.0 / n) + s) * 0.5;
    const double q1 = (4.0 * s1 - s) * (1.0 / 3.0);
    if (std::fabs(q) * kIntegralTolerance >= std::fabs(q1 - q) || level == kIntegralLevels) {
      result = q1;
      break;
    }
    n *= 2;
    s = s1;
    q = q1;
  }
  if (work != nullptr) work->evaluations += evaluations;
  return result;
}

double XGTPH1(double p, double h, double x, int ifluid, int node) {
  return prop_xgtph1(p, h, x, ifluid, node, nullptr);
}

double prop_xgtph1(double p, double h, double x, int ifluid, int node, PropWork* work) {
  const double ts = XTEMPS(p, ifluid, node);
  const double hs = saturated_enthalpy(p, ts, x, ifluid, node);
  const double dh = h - hs;
  // First step with the saturation specific heat as the slope.
  double delta = dh / saturated_cp(p, ts, x, ifluid, node);
  if (work != nullptr) ++work->steps, ++work->evaluations;
  if (!std::isfinite(delta)) [[unlikely]]
    return inversion_failed(p, h, ifluid, node);
  double t = ts + delta;
  if (std::fabs(delta) < kTemperatureStep) return t;

  // Newton steps on the residual dh - (enthalpy gained from ts), the gain
  // growing by the integral over each step only.
  double f = prop_intcp(p, ts, t, x, ifluid, node, work);
  double r = dh - f;
  int changes = dh * r < 0.0 ? 1 : 0;
  double t1, r1;
  LoopGuard newton("XGTPH1");
  for (;;) {
    newton.pass();
    t1 = t;
    delta = r / XCP(p, t1, x, ifluid, node);
    if (work != nullptr) ++work->steps, ++work->evaluations;
    if (!std::isfinite(delta)) [[unlikely]]
      return inversion_failed(p, h, ifluid, node);
    t = t1 + delta;
    if (std::fabs(delta) < kTemperatureStep) return t;
    f += prop_intcp(p, t1, t, x, ifluid, node, work);
    r1 = dh - f;
    if (r * r1 < 0.0) ++changes;
    if (changes >= 3) break;
    r = r1;
  }

  // Bisection on the last step's bracket; b is the end with the positive
  // residual. The running gain holds the integral up to tf.
  double a = t1, b = t;
  if (r1 < 0.0) a = t, b = t1;
  double tf = t;
  LoopGuard bisection("XGTPH1");
  for (;;) {
    bisection.pass();
    const double m = (a + b) * 0.5;
    f += prop_intcp(p, tf, m, x, ifluid, node, work);
    tf = m;
    r = dh - f;
    if (work != nullptr) ++work->steps;
    if (!std::isfinite(r)) [[unlikely]]
      return inversion_failed(p, h, ifluid, node);
    if (r > 0.0) b = m;
    else a = m;
    if (std::fabs(b - a) < kTemperatureBracket) return (a + b) * 0.5;
  }
}
