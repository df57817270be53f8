// Conductivity, specific heat and viscosity tables of the saturated liquid and
// vapour (PCNDnn, PCPnn, PVSCnn): one reading of the generated table, and the
// family's range warning with the routine's own name.
#include "properties/data/tables.h"
#include "properties/library.h"
#include "properties/table_lookup.h"

namespace {

constexpr std::string_view kConductivityText = "Temperature out of range for conductivity function@";
constexpr std::string_view kSpecificHeatText = "Temperature out of range for specific heat function@";
constexpr std::string_view kLiquidViscosityText = "Temperature out of range for liquid viscosity function@";
constexpr std::string_view kVapourViscosityText = "Temperature out of range for vapour viscosity function@";

inline double read(const prop_data::TemperatureTable& tab, int node, double t, double tabs, std::string_view text,
                   std::string_view routine) {
  bool outside;
  const double v = prop_data::temperature_reading(tab, t + tabs, outside);
  if (outside) prop_range_warning(node, text, routine);
  return v;
}

}  // namespace

#define TNA_TEMPERATURE_TABLE(name, routine, text) \
  double name(int node, double t, double tabs) { return read(prop_data::k##name, node, t, tabs, text, routine); }

TNA_TEMPERATURE_TABLE(PCND01, "PCND01", kConductivityText)
TNA_TEMPERATURE_TABLE(PCND02, "PCND02", kConductivityText)
TNA_TEMPERATURE_TABLE(PCND03, "PCND03", kConductivityText)
TNA_TEMPERATURE_TABLE(PCND04, "PCND04", kConductivityText)
TNA_TEMPERATURE_TABLE(PCND05, "PCND05", kConductivityText)
TNA_TEMPERATURE_TABLE(PCND06, "PCND06", kConductivityText)
TNA_TEMPERATURE_TABLE(PCND07, "PCND07", kConductivityText)
TNA_TEMPERATURE_TABLE(PCND08, "PCND08", kConductivityText)
TNA_TEMPERATURE_TABLE(PCND09, "PCND09", kConductivityText)
TNA_TEMPERATURE_TABLE(PCND10, "PCND10", kConductivityText)
TNA_TEMPERATURE_TABLE(PCND11, "PCND11", kConductivityText)
TNA_TEMPERATURE_TABLE(PCND12, "PCND12", kConductivityText)
TNA_TEMPERATURE_TABLE(PCND13, "PCND13", kConductivityText)
TNA_TEMPERATURE_TABLE(PCND14, "PCND14", kConductivityText)
TNA_TEMPERATURE_TABLE(PCND15, "PCND15", kConductivityText)
TNA_TEMPERATURE_TABLE(PCND16, "PCND16", kConductivityText)

// Routine names are blank-padded to six characters.
TNA_TEMPERATURE_TABLE(PCP01, "PCP01 ", kSpecificHeatText)
TNA_TEMPERATURE_TABLE(PCP02, "PCP02 ", kSpecificHeatText)
TNA_TEMPERATURE_TABLE(PCP03, "PCP03 ", kSpecificHeatText)
TNA_TEMPERATURE_TABLE(PCP05, "PCP05 ", kSpecificHeatText)
TNA_TEMPERATURE_TABLE(PCP07, "PCP07 ", kSpecificHeatText)
TNA_TEMPERATURE_TABLE(PCP08, "PCP08 ", kSpecificHeatText)
TNA_TEMPERATURE_TABLE(PCP09, "PCP09 ", kSpecificHeatText)
TNA_TEMPERATURE_TABLE(PCP11, "PCP11 ", kSpecificHeatText)
TNA_TEMPERATURE_TABLE(PCP13, "PCP13 ", kSpecificHeatText)
TNA_TEMPERATURE_TABLE(PCP15, "PCP15 ", kSpecificHeatText)
TNA_TEMPERATURE_TABLE(PCP16, "PCP16 ", kSpecificHeatText)

TNA_TEMPERATURE_TABLE(PVSC01, "PVSC01", kLiquidViscosityText)
TNA_TEMPERATURE_TABLE(PVSC02, "PVSC02", kVapourViscosityText)
TNA_TEMPERATURE_TABLE(PVSC03, "PVSC03", kLiquidViscosityText)
TNA_TEMPERATURE_TABLE(PVSC04, "PVSC04", kVapourViscosityText)
TNA_TEMPERATURE_TABLE(PVSC05, "PVSC05", kLiquidViscosityText)
TNA_TEMPERATURE_TABLE(PVSC06, "PVSC06", kVapourViscosityText)
TNA_TEMPERATURE_TABLE(PVSC07, "PVSC07", kLiquidViscosityText)
TNA_TEMPERATURE_TABLE(PVSC08, "PVSC08", kVapourViscosityText)
TNA_TEMPERATURE_TABLE(PVSC09, "PVSC09", kLiquidViscosityText)
TNA_TEMPERATURE_TABLE(PVSC10, "PVSC10", kVapourViscosityText)
TNA_TEMPERATURE_TABLE(PVSC11, "PVSC11", kLiquidViscosityText)
TNA_TEMPERATURE_TABLE(PVSC12, "PVSC12", kVapourViscosityText)
TNA_TEMPERATURE_TABLE(PVSC13, "PVSC13", kLiquidViscosityText)
TNA_TEMPERATURE_TABLE(PVSC14, "PVSC14", kVapourViscosityText)
TNA_TEMPERATURE_TABLE(PVSC15, "PVSC15", kLiquidViscosityText)
TNA_TEMPERATURE_TABLE(PVSC16, "PVSC16", kVapourViscosityText)

#undef TNA_TEMPERATURE_TABLE
