// Library routines the property dispatch calls that this build does not
// hold yet: the refrigerant vapour specific heat, the densities off
// saturation, the liquid ammonia compressibility, the speed of sound in
// water and the enthalpy and temperature off saturation. Each ends the run
// with a fatal diagnostic naming itself.
#include <string>

#include "core/diagnostics.h"
#include "platform/text.h"
#include "properties/library.h"
#include "properties/property_texts.h"

double prop_not_built(std::string_view routine, std::string_view what) {
  std::string text("Fluid property not available in this build@");
  text.append(plat::trimmed(routine)).append(": ").append(what);
  SETERX(text, 4, 1, routine);
  return 0.0;
}

namespace {
constexpr std::string_view kVapourCp = "specific heat of a refrigerant vapour (equation of state)";
constexpr std::string_view kVapourRho = "vapour density off saturation";
constexpr std::string_view kLiquidRho = "liquid density off saturation";
}  // namespace

double PCP04(double, double, int) { return prop_not_built("PCP04 ", kVapourCp); }
double PCP06(double, double, int) { return prop_not_built("PCP06 ", kVapourCp); }
double PCP10(double, double, int) { return prop_not_built("PCP10 ", kVapourCp); }
double PCP12(double, double, int) { return prop_not_built("PCP12 ", kVapourCp); }
double PCP14(double, double, int) { return prop_not_built("PCP14 ", kVapourCp); }

double PRHO00(double, double, double, double) { return prop_not_built("PRHO00", "air density"); }
double PROS02(double, double, double, double) { return prop_not_built("PROS02", kVapourRho); }
double PROS04(double, double, double, double) { return prop_not_built("PROS04", kVapourRho); }
double PROS06(double, double, double, double) { return prop_not_built("PROS06", kVapourRho); }
double PROS08(double, double, double, double) { return prop_not_built("PROS08", kVapourRho); }
double PROS10(double, double, double, double) { return prop_not_built("PROS10", kVapourRho); }
double PROS12(double, double, double, double) { return prop_not_built("PROS12", kVapourRho); }
double PROS14(double, double, double, double) { return prop_not_built("PROS14", kVapourRho); }
double PROS16(int, double, double, double, double) { return prop_not_built("PROS16", kVapourRho); }

double PROL01(double, double, double, double) { return prop_not_built("PROL01", kLiquidRho); }
double PROL03(int, double, double, double, double) { return prop_not_built("PROL03", kLiquidRho); }
double PROL05(int, double, double, double, double) { return prop_not_built("PROL05", kLiquidRho); }
double PROL07(int, double, double, double, double) { return prop_not_built("PROL07", kLiquidRho); }
double PROL09(int, double, double, double, double) { return prop_not_built("PROL09", kLiquidRho); }
double PROL11(int, double, double, double, double) { return prop_not_built("PROL11", kLiquidRho); }
double PROL13(int, double, double, double, double) { return prop_not_built("PROL13", kLiquidRho); }
double PROL15(int, double, double, double, double) { return prop_not_built("PROL15", kLiquidRho); }

double PKT15(int, double, double) { return prop_not_built("PKT15 ", "isothermal compressibility of liquid ammonia"); }
double PSND01(double, double) { return prop_not_built("PSND01", "speed of sound in liquid water"); }

double XGHPT1(double, double, double, int, int) { return prop_not_built("XGHPT1", "enthalpy off saturation"); }
double XGTPH1(double, double, double, int, int) {
  return prop_not_built("XGTPH1", "temperature from pressure and enthalpy");
}
