// Liquid density off saturation (PROLnn): the saturated-liquid density at the
// liquid's temperature, corrected for the difference between the pressure
// and the saturation pressure at that temperature: through the speed of
// sound for water (PSND01), the compressibility table for ammonia (PKT15),
// the compressed-liquid correlation of Thomson, Brobst and Hankinson for
// R11, R12, R21, R22 and R114 (PRHOL); R502 has no correction.
#include <cmath>
#include <string>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "platform/format.h"
#include "platform/text.h"
#include "properties/data/tables.h"
#include "properties/library.h"
#include "properties/library_constants.h"
#include "properties/table_lookup.h"

namespace {

using namespace prop_const;

// A number written by a Fortran edit descriptor into a field of W characters.
template <int W>
std::string field(std::string_view format, double v) {
  plat::Text<W> text;
  plat::write_internal(text, format, v);
  return std::string(text.view());
}

[[gnu::cold]] [[gnu::noinline]] double above_critical(double tk, double vs) {
  plat::Text<kLiquidMessageLength> msg(
      "Temperature greater than critical temperature@Temperature too high for calculation of liquid density. "
      "Temperature =" +
      field<10>("(F10.2)", tk) + " . Critical temperature assumed.");
  SETERX(msg.view(), 2, 1, "PRHOL ");
  return 1.0 / vs;
}

// The correlation gives no density: the logarithm's argument is not a
// positive number, or the volume it yields is not.
[[gnu::cold]] [[gnu::noinline]] double no_correction(double pk, double tk, double vs) {
  plat::Text<kLiquidMessageLength> msg(
      "Compressed liquid density undefined@No correction of the saturated liquid density at pressure =" +
      field<12>("(G12.6)", pk) + " and temperature =" + field<10>("(F10.2)", tk) +
      ". Saturated liquid density assumed.");
  SETERX(msg.view(), 2, 2, "PRHOL ");
  return 1.0 / vs;
}

// The corrected density of a refrigerant liquid: its saturation pressure
// and saturated-liquid density at T, then PRHOL.
inline double compressed(const CompressedLiquid& c, double (*psat)(double, double, double),
                         double (*rhos)(int, double, double), int node, double pabs, double p, double tabs,
                         double t) {
  const double psk = psat(pabs, tabs, t) + pabs;
  const double rho = rhos(node, t, tabs);
  return PRHOL(c.omega, p + pabs, c.pc, psk, t + tabs, c.tc, 1.0 / rho);
}

}  // namespace

double PRHOL(double omega, double pk, double pc, double psk, double tk, double tc, double vs) {
  if (!(tk < tc)) [[unlikely]]
    return above_critical(tk, vs);
  const double tau = std::pow(1.0 - tk / tc, kLiquidTauExponent);
  const double e = std::exp(kLiquidE[0] + kLiquidE[1] * omega + kLiquidE[2] * (omega * omega));
  const double beta = tau * (((e * tau - kLiquidBeta[2]) * tau + kLiquidBeta[1]) * tau - kLiquidBeta[0]) - 1.0;
  const double ct = kLiquidC[0] + kLiquidC[1] * omega;
  const double ratio = (pk + beta * pc) / (psk + beta * pc);
  if (!(ratio > 0.0 && std::isfinite(ratio))) [[unlikely]]
    return no_correction(pk, tk, vs);
  const double v = vs * (1.0 - ct * std::log(ratio));
  if (!(v > 0.0)) [[unlikely]]
    return no_correction(pk, tk, vs);
  return 1.0 / v;
}

double PSND01(double p, double t) {
  // The polynomial is a fit to about 100 C; it falls ever faster than the
  // speed of sound above and crosses zero at 537.6 K. From where its
  // 1.01 / u^2 meets the isothermal slope of the saturated liquid (the
  // continuation's first temperature) it is held at that temperature, with
  // its pressure dependence there, and the continuation adds the change of
  // that slope's speed along the saturation line (its last value held).
  const prop_data::StepTable& c = prop_data::kPSND01;
  const double x = (p + GLOR.PABS) * kSoundPsiPerPascal;
  const double tk = t + GLOR.TABS;
  const bool above = tk > c.x0;
  const double tc = (above ? c.x0 : tk) - kCelsiusZero;
  double q[5];
  for (int i = 0; i < 5; ++i) q[i] = ((kSound[i][3] * x + kSound[i][2]) * x + kSound[i][1]) * x + kSound[i][0];
  const double u = (((q[4] * tc + q[3]) * tc + q[2]) * tc + q[1]) * tc + q[0];
  if (!above) return u;
  const int i = static_cast<int>((tk - c.x0) / c.step);
  if (i >= c.n - 1) return u + c.y[c.n - 1];
  return u + (c.y[i] + (c.y[i + 1] - c.y[i]) * (tk - (c.x0 + i * c.step)) / c.step);
}

double PKT15(int node, double t, double tabs) {
  const double tc = t + tabs - kCelsiusZero;
  double value;
  if (tc < kKtTmin) [[unlikely]] {
    prop_range_warning(node, "Temperature out of range for compressibility function@", "PKT15 ");
    value = prop_data::kPKT15_1.y[0];
  } else if (tc < kKtSwitch) {
    const double* a = prop_data::kPKT15_1.y;
    int i = static_cast<int>(tc - kKtTmin);
    if (i > kKtLastInterval1) i = kKtLastInterval1;
    value = a[i] + (a[i + 1] - a[i]) * (tc - (i + kKtTmin));
  } else if (tc <= kKtTmax) {
    const double* b = prop_data::kPKT15_2.y;
    const int i = static_cast<int>(tc - kKtSwitch);
    // At 91 C exactly the last entry itself.
    value = i > kKtLastInterval2 ? b[kKtLastInterval2 + 1] : b[i] + (b[i + 1] - b[i]) * (tc - (kKtSwitch + i));
  } else [[unlikely]] {  // above the table, or a non-number
    prop_range_warning(node, "Temperature out of range for compressibility function@", "PKT15 ");
    value = prop_data::kPKT15_2.y[prop_data::kPKT15_2.n - 1];
  }
  return value * kKtUnit;
}

double PROL01(double p, double pabs, double t, double tabs) {
  const double ps = PSAT02(pabs, tabs, t);
  const double u = PSND01(ps, t);
  const double rhos = PRHO01(0, t, tabs);
  return rhos + (p - ps) * kWaterSoundFactor / (u * u);
}

double PROL15(int node, double pabs, double p, double tabs, double t) {
  const double ps = PSAT16(pabs, tabs, t);
  const double rhos = PRHO15(node, t, tabs);
  const double kappa = PKT15(node, t, tabs);
  return (1.0 + (p - ps) * kappa) * rhos;
}

double PROL03(int node, double pabs, double p, double tabs, double t) {
  return compressed(kLiquidR11, PSAT04, PRHO03, node, pabs, p, tabs, t);
}
double PROL05(int node, double pabs, double p, double tabs, double t) {
  return compressed(kLiquidR12, PSAT06, PRHO05, node, pabs, p, tabs, t);
}
double PROL07(int node, double pabs, double p, double tabs, double t) {
  return compressed(kLiquidR21, PSAT08, PRHO07, node, pabs, p, tabs, t);
}
double PROL09(int node, double pabs, double p, double tabs, double t) {
  return compressed(kLiquidR22, PSAT10, PRHO09, node, pabs, p, tabs, t);
}
double PROL11(int node, double pabs, double p, double tabs, double t) {
  return compressed(kLiquidR114, PSAT12, PRHO11, node, pabs, p, tabs, t);
}
double PROL13(int node, double, double, double tabs, double t) { return PRHO13(node, t, tabs); }
