#include "fluid/required_constants.h"

#include <cmath>
#include <string>

#include "core/control_constants.h"
#include "core/diagnostics.h"

void fl_not_specified(std::string_view routine, std::string_view name, int code) {
  const std::string r(routine);
  std::string text = r + ": Control constant " + std::string(name) +
                     " not specified@See User Manual description of " + r +
                     " for a list of required control constants";
  text.resize(170, ' ');
  SETERX(text, 4, code, r);
}

bool fl_require_finite(std::string_view routine, int code, bool dtimei) {
  struct Value {
    std::string_view name;
    double value;
    bool checked;
  };
  const Value values[] = {{"TIMEO", GLOR.TIMEO, true},     {"TIMEND", GLOR.TIMEND, true},
                          {"DTIMEI", GLOR.DTIMEI, dtimei}, {"OUTINT", GLOR.OUTINT, true},
                          {"DTMIN", GLOR.DTMIN, true},     {"DTMAX", GLOR.DTMAX, true}};
  for (const Value& v : values) {
    if (!v.checked || std::isfinite(v.value)) continue;
    fl_not_specified(routine, v.name, code);
    return false;
  }
  return true;
}
