#include "fluid/required_constants.h"

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
  RequiredValue values[6];
  std::size_t n = 0;
  values[n++] = {"TIMEO", GLOR.TIMEO};
  values[n++] = {"TIMEND", GLOR.TIMEND};
  if (dtimei) values[n++] = {"DTIMEI", GLOR.DTIMEI};
  values[n++] = {"OUTINT", GLOR.OUTINT};
  values[n++] = {"DTMIN", GLOR.DTMIN};
  values[n++] = {"DTMAX", GLOR.DTMAX};
  return require_finite_constants(routine, std::span<const RequiredValue>(values, n), code);
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
