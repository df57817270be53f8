// Specific heat of the refrigerant vapours R11, R12, R22, R114 and R502
// (PCP04, PCP06, PCP10, PCP12, PCP14): the Martin-Hou equation of state with
// an ideal-gas heat capacity, at the vapour density the property functions
// give for the same pressure and temperature.
#include <cmath>
#include <string>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "modeldata/submodel_refs.h"
#include "platform/format.h"
#include "platform/text.h"
#include "properties/library.h"
#include "properties/library_constants.h"
#include "properties/properties.h"

namespace {

using prop_const::MartinHou;

// The fatal report of a specific volume at the co-volume: the relative
// pressure and temperature as 1PE12.4, the fluid's name, node context;
// every fluid reports under PCP04.
[[gnu::cold]] [[gnu::noinline]] double singular(double p, double t, int ifluid, int node) {
  plat::Text<12> pt, tt;
  plat::write_internal(pt, "(1PE12.4)", p);
  plat::write_internal(tt, "(1PE12.4)", t);
  std::string text("Problem in Cp calculation@Pressure( = ");
  text.append(pt.view()).append(") and/or temperature( = ").append(tt.view());
  text.append(") out of range in Cp calculation for ").append(FTYPEC(ifluid).view());
  plat::Text<prop_const::kTableMessageLength> msg(text);
  MESBLD(node, msg);
  SETERX(msg.view(), 4, 1, "PCP04 ");
  return 0.0;
}

// cp from the reciprocal excess volume u = 1/(v - b) and tk.
double cp_at(const MartinHou& c, double u, double tk) {
  const double e = std::exp(-c.k * tk / c.tc);
  const double ai[4] = {c.a2, c.a3, c.a4, c.a5};
  const double bi[4] = {c.b2, c.b3, c.b4, c.b5};
  const double ci[4] = {c.c2, c.c3, c.c4, c.c5};
  // Slopes of the pressure at constant volume and at constant temperature,
  // and the departure of cv from the ideal gas, summed over the powers
  // u^2 .. u^5.
  double dpdt = c.r * u;
  double dpdv = -c.r * tk * (u * u);
  double cvd = 0.0;
  double ui = u;  // u^(i - 1)
  for (int k = 0; k < 4; ++k) {
    const int i = k + 2;
    cvd += ci[k] * ui / (i - 1);
    ui *= u;  // u^i
    dpdt += (bi[k] - (c.k / c.tc) * ci[k] * e) * ui;
    dpdv -= i * (ai[k] + bi[k] * tk + ci[k] * e) * (ui * u);
  }
  const double t2 = tk * tk;
  const double cv0 = c.e0 + c.e1 * tk + c.e2 * t2 + c.e3 * (t2 * tk) + c.e4 / t2;
  const double cv = cv0 - (c.k * c.k * tk / (c.tc * c.tc)) * e * cvd;
  return cv - tk * (dpdt * dpdt) / dpdv;
}

}  // namespace

double prop_martin_hou_cp(const MartinHou& c, double rho, double tk) {
  return cp_at(c, 1.0 / (1.0 / rho - c.b), tk);
}

double CPMAHO(double p, double t, int ifluid, int node, const MartinHou& c) {
  const double rho = XRHO(p, t, 1.0, ifluid, node);
  const double w = 1.0 / rho - c.b;
  if (std::fabs(w) < prop_const::kCpVolumeTiny) [[unlikely]]
    return singular(p, t, ifluid, node);
  return cp_at(c, 1.0 / w, t + GLOR.TABS);
}

double PCP04(double p, double t, int node) { return CPMAHO(p, t, FTYPEI("R11"), node, prop_const::kCpR11); }
double PCP06(double p, double t, int node) { return CPMAHO(p, t, FTYPEI("R12"), node, prop_const::kCpR12); }
double PCP10(double p, double t, int node) { return CPMAHO(p, t, FTYPEI("R22"), node, prop_const::kCpR22); }
double PCP12(double p, double t, int node) { return CPMAHO(p, t, FTYPEI("R114"), node, prop_const::kCpR114); }
double PCP14(double p, double t, int node) { return CPMAHO(p, t, FTYPEI("R502"), node, prop_const::kCpR502); }
