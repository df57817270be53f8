// Saturation density (PRHOnn): the generated tables of kg/m3 over absolute
// temperature (liquids, ammonia vapour) or pressure (the other vapours).
#include <string>

#include "core/diagnostics.h"
#include "modeldata/submodel_refs.h"
#include "platform/format.h"
#include "platform/text.h"
#include "properties/data/tables.h"
#include "properties/library.h"
#include "properties/library_constants.h"
#include "properties/table_lookup.h"

namespace {

constexpr std::string_view kLiquidText = "Temperature out of range for liquid density function@";
constexpr std::string_view kVapourText = "Pressure out of range for saturated vapour density function@";

inline double read(const prop_data::DensityTable& tab, int node, double x, std::string_view text,
                   std::string_view routine) {
  int side;
  const double v = prop_data::density_reading(tab, x, side);
  if (side != 0) prop_range_warning(node, text, routine);
  return v;
}

// The ammonia vapour's warning: its own text with the relative temperature
// as F10.2, node context, code 1 below the table and 2 above it.
[[gnu::cold]] void ammonia_vapour_warning(int node, int side, double t) {
  plat::Text<10> number;
  plat::write_internal(number, "(F10.2)", t);
  std::string text(side < 0 ? "Temperature too low for saturated vapour density of ammonia@Temperature ="
                            : "Temperature too high for saturated vapour density of ammonia@Temperature =");
  text.append(" ").append(number.view());
  plat::Text<prop_const::kTableMessageLength> msg(text);
  MESBLD(node, msg);
  SETERX(msg.view(), 2, side < 0 ? 1 : 2, "PRHO16");
}

}  // namespace

#define TNA_LIQUID_DENSITY(name) \
  double name(int node, double t, double tabs) { \
    return read(prop_data::k##name, node, t + tabs, kLiquidText, #name); \
  }
#define TNA_VAPOUR_DENSITY(name) \
  double name(int node, double pabs, double p) { \
    return read(prop_data::k##name, node, p + pabs, kVapourText, #name); \
  }

TNA_LIQUID_DENSITY(PRHO01)
TNA_VAPOUR_DENSITY(PRHO02)
TNA_LIQUID_DENSITY(PRHO03)
TNA_VAPOUR_DENSITY(PRHO04)
TNA_LIQUID_DENSITY(PRHO05)
TNA_VAPOUR_DENSITY(PRHO06)
TNA_LIQUID_DENSITY(PRHO07)
TNA_VAPOUR_DENSITY(PRHO08)
TNA_LIQUID_DENSITY(PRHO09)
TNA_VAPOUR_DENSITY(PRHO10)
TNA_LIQUID_DENSITY(PRHO11)
TNA_VAPOUR_DENSITY(PRHO12)
TNA_LIQUID_DENSITY(PRHO13)
TNA_VAPOUR_DENSITY(PRHO14)
TNA_LIQUID_DENSITY(PRHO15)

#undef TNA_LIQUID_DENSITY
#undef TNA_VAPOUR_DENSITY

double PRHO16(int node, double t, double tabs) {
  int side;
  const double v = prop_data::density_reading(prop_data::kPRHO16, t + tabs, side);
  if (side != 0) ammonia_vapour_warning(node, side, t);
  return v;
}
