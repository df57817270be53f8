#include "fluid/required_constants.h"

#include <limits>
#include <string>

#include "core/control_constants.h"
#include "core/diagnostics.h"

void fl_not_specified(std::string_view routine, std::string_view name, int code) {
  // The shared refusal of a control constant, given a value it refuses.
  const RequiredValue value{name, std::numeric_limits<double>::quiet_NaN()};
  require_finite_constants(routine, std::span<const RequiredValue>(&value, 1), code);
}

bool fl_require_finite(std::string_view routine, int code, bool dtimei) {
  const RequiredValue all[] = {{"TIMEO", GLOR.TIMEO},   {"TIMEND", GLOR.TIMEND}, {"DTIMEI", GLOR.DTIMEI},
                               {"OUTINT", GLOR.OUTINT}, {"DTMIN", GLOR.DTMIN},   {"DTMAX", GLOR.DTMAX}};
  if (dtimei) return require_finite_constants(routine, all, code);
  const RequiredValue without[] = {all[0], all[1], all[3], all[4], all[5]};
  return require_finite_constants(routine, without, code);
}

bool fl_require_positive_outint(std::string_view routine, int code) {
  if (GLOR.OUTINT > 0.0) return true;
  const std::string r(routine);
  std::string text = r +
                     ": Control constant OUTINT is not greater than zero@Output times would never advance, see "
                     "User Manual description of " +
                     r + " for a list of control constants";
  text.resize(170, ' ');
  SETERX(text, 4, code, r);
  return false;
}
