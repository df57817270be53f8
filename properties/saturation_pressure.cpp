// Saturation pressure (PSATnn): closed-form vapour-pressure equations of
// water, ammonia and the refrigerants, returned as relative pressure.
#include <cmath>
#include <string>
#include <string_view>

#include "core/diagnostics.h"
#include "platform/format.h"
#include "platform/text.h"
#include "properties/library.h"
#include "properties/library_constants.h"

namespace {

using namespace prop_const;

// The diagnostic of a temperature outside the equation's range: head, the
// relative temperature as F10.2, tail, in a 255-character field; severity 1,
// no node context.
[[gnu::cold]] void report(std::string_view head, double t, std::string_view tail, int code,
                          std::string_view routine) {
  plat::Text<10> number;
  plat::write_internal(number, "(F10.2)", t);
  std::string text(head);
  text.append(number.view()).append(tail);
  plat::Text<kSatPressureMessageLength> msg(text);
  SETERX(msg.view(), 1, code, routine);
}

double refrigerant(const RefrigerantPsat& c, std::string_view name, std::string_view routine, double pabs,
                   double tabs, double t) {
  const double tk = t + tabs;
  if (tk > c.tc) {
    report(std::string("Temperature greater than critical temperature@Temperature too high for calculation of "
                       "saturation pressure of ")
               .append(name)
               .append(". Temperature = "),
           t, "; critical pressure assumed.", 2, routine);
    return c.p_above_tc - pabs;
  }
  if (tk <= 0.0) {
    report(std::string("Temperature is less than absolute zero@Temperature too low for calculation of saturation "
                       "pressure of ")
               .append(name)
               .append(". Temperature = "),
           t, "; zero pressure assumed.", 1, routine);
    return 0.0 - pabs;
  }
  const double tr = kRankinePerKelvin * tk;
  const double fr = c.f - tr;
  const double l = c.a + c.b / tr + c.c * std::log10(tr) + c.d * tr + c.e * fr / tr * std::log10(std::fabs(fr));
  return std::pow(10.0, l) * kPsiScale / kPsiDivisor - pabs;
}

}  // namespace

double PSAT02(double pabs, double tabs, double t) {
  const double tk = t + tabs;
  if (tk > kWaterTc) {
    report(
        "Temperature greater than critical temperature@Temperature too high for calculation of saturation "
        "pressure of water. Temperature = ",
        t, "; critical pressure assumed.", 1, "PSAT02");
    return kWaterPc - pabs;
  }
  if (tk <= 0.0) {
    report(
        "Temperature less than absolute zero@Temperature too low for calculation of saturation pressure of "
        "water. Temperature = ",
        t, "; zero pressure assumed.", 2, "PSAT02");
    return 0.0 - pabs;
  }
  const double* c = kWaterPsat;
  const double tr = tk / kWaterTc;
  const double x = 1.0 - tr;
  const double x2 = x * x;
  const double x5 = x2 * x2 * x;
  const double ln = (x / tr) * (c[0] + std::sqrt(x) * (c[1] - c[2] * x + x5 * (c[3] * x - c[4])));
  return kWaterPc * std::exp(ln) - pabs;
}

double PSAT16(double pabs, double tabs, double t) {
  const double tk = t + tabs;
  if (tk > kAmmoniaTc) {
    report(
        "Temperature greater than critical temperature@Temperature too high for calculation of saturated "
        "pressure of ammonia. Temperature = ",
        t, "; critical pressure assumed.", 1, "PSAT16");
    return kAmmoniaPc - pabs;
  }
  if (tk <= 0.0) {
    report(
        "Temperature is less than absolute zero@Temperature too low for calculation of saturated pressure of "
        "ammonia. Temperature =  ",
        t, "; Zero pressure assumed.", 2, "PSAT16");
    return 0.0 - pabs;
  }
  const double* c = kAmmoniaPsat;
  const double tr = tk / kAmmoniaTc;
  const double x = 1.0 - tr;
  const double x3 = x * x * x;
  const double ln = (c[0] * x + c[1] * std::pow(x, kAmmoniaPsatExponent) + c[2] * x3 + c[3] * (x3 * x3)) / tr;
  return kAmmoniaPc * std::exp(ln) - pabs;
}

double PSAT04(double pabs, double tabs, double t) { return refrigerant(kPsatR11, "R11", "PSAT04", pabs, tabs, t); }
double PSAT06(double pabs, double tabs, double t) { return refrigerant(kPsatR12, "R12", "PSAT06", pabs, tabs, t); }
double PSAT08(double pabs, double tabs, double t) { return refrigerant(kPsatR21, "R21", "PSAT08", pabs, tabs, t); }
double PSAT10(double pabs, double tabs, double t) { return refrigerant(kPsatR22, "R22", "PSAT10", pabs, tabs, t); }
double PSAT12(double pabs, double tabs, double t) { return refrigerant(kPsatR114, "R114", "PSAT12", pabs, tabs, t); }
double PSAT14(double pabs, double tabs, double t) { return refrigerant(kPsatR502, "R502", "PSAT14", pabs, tabs, t); }
