// Saturation temperature (PTSnn): the generated tables of degrees Celsius over
// absolute pressure, returned on the model's relative scale.
#include "properties/data/tables.h"
#include "properties/library.h"
#include "properties/library_constants.h"
#include "properties/table_lookup.h"

namespace {

constexpr std::string_view kText = "Pressure out of range for saturation temperature function@";

inline double read(const prop_data::PressureTable& tab, int node, double pabs, double p, double tabs,
                   std::string_view routine) {
  bool outside;
  const double v = prop_data::pressure_reading(tab, p + pabs, outside);
  if (outside) prop_range_warning(node, kText, routine);
  return v + prop_const::kCelsiusZero - tabs;
}

}  // namespace

// Routine names are blank-padded to six characters.
double PTS02(int node, double pabs, double p, double tabs) {
  return read(prop_data::kPTS02, node, pabs, p, tabs, "PTS02 ");
}
double PTS04(int node, double pabs, double p, double tabs) {
  return read(prop_data::kPTS04, node, pabs, p, tabs, "PTS04 ");
}
double PTS06(int node, double pabs, double p, double tabs) {
  return read(prop_data::kPTS06, node, pabs, p, tabs, "PTS06 ");
}
double PTS08(int node, double pabs, double p, double tabs) {
  return read(prop_data::kPTS08, node, pabs, p, tabs, "PTS08 ");
}
double PTS10(int node, double pabs, double p, double tabs) {
  return read(prop_data::kPTS10, node, pabs, p, tabs, "PTS10 ");
}
double PTS12(int node, double pabs, double p, double tabs) {
  return read(prop_data::kPTS12, node, pabs, p, tabs, "PTS12 ");
}
double PTS14(int node, double pabs, double p, double tabs) {
  return read(prop_data::kPTS14, node, pabs, p, tabs, "PTS14 ");
}
double PTS16(int node, double pabs, double p, double tabs) {
  return read(prop_data::kPTS16, node, pabs, p, tabs, "PTS16 ");
}
