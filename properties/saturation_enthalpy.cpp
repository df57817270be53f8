// Saturation enthalpy (PETHnn): the generated tables of J/kg over absolute
// pressure, read like the saturation temperatures.
#include "properties/data/tables.h"
#include "properties/library.h"
#include "properties/table_lookup.h"

namespace {

constexpr std::string_view kLiquidText = "Pressure out of range for liquid enthalpy function@";
constexpr std::string_view kVapourText = "Pressure out of range for vapour enthalpy function@";

inline double read(const prop_data::PressureTable& tab, int node, double pabs, double p, std::string_view text,
                   std::string_view routine) {
  bool outside;
  const double v = prop_data::pressure_reading(tab, p + pabs, outside);
  if (outside) prop_range_warning(node, text, routine);
  return v;
}

}  // namespace

#define TNA_SATURATION_ENTHALPY(name, text) \
  double name(int node, double pabs, double p) { return read(prop_data::k##name, node, pabs, p, text, #name); }

TNA_SATURATION_ENTHALPY(PETH01, kLiquidText)
TNA_SATURATION_ENTHALPY(PETH02, kVapourText)
TNA_SATURATION_ENTHALPY(PETH03, kLiquidText)
TNA_SATURATION_ENTHALPY(PETH04, kVapourText)
TNA_SATURATION_ENTHALPY(PETH05, kLiquidText)
TNA_SATURATION_ENTHALPY(PETH06, kVapourText)
TNA_SATURATION_ENTHALPY(PETH07, kLiquidText)
TNA_SATURATION_ENTHALPY(PETH08, kVapourText)
TNA_SATURATION_ENTHALPY(PETH09, kLiquidText)
TNA_SATURATION_ENTHALPY(PETH10, kVapourText)
TNA_SATURATION_ENTHALPY(PETH11, kLiquidText)
TNA_SATURATION_ENTHALPY(PETH12, kVapourText)
TNA_SATURATION_ENTHALPY(PETH13, kLiquidText)
TNA_SATURATION_ENTHALPY(PETH14, kVapourText)
TNA_SATURATION_ENTHALPY(PETH15, kLiquidText)
TNA_SATURATION_ENTHALPY(PETH16, kVapourText)

#undef TNA_SATURATION_ENTHALPY
