#include "fluid/required_constants.h"

#include <cctype>
#include <cmath>
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

bool fl_require_finite_controls(std::string_view routine, int code, int nt, int nf, bool dtpmax, bool rlcour,
                                bool lower) {
  const RequiredValue all[] = {{"RELXCA", nt >= 1 ? GLOR.RELXCA : 0.0},
                               {"FRLXCA", nf >= 1 ? GLOR.FRLXCA : 0.0},
                               {"RELXMA", nf >= 1 ? GLOR.RELXMA : 0.0},
                               {"DAMPT", GLOR.DAMPT},
                               {"MINFLO", GLOR.MINFLO},
                               {"MINDP", GLOR.MINDP},
                               {"GRAVX", GLOR.GRAVX},
                               {"GRAVY", GLOR.GRAVY},
                               {"GRAVZ", GLOR.GRAVZ},
                               {"TABS", GLOR.TABS},
                               {"PABS", GLOR.PABS},
                               {"STEFAN", GLOR.STEFAN},
                               {"DTPMAX", dtpmax ? GLOR.DTPMAX : 0.0},
                               {"RLCOUR", rlcour ? GLOR.RLCOUR : 0.0}};
  for (const RequiredValue& v : all) {
    if (std::isfinite(v.value)) continue;
    std::string name(v.name);
    if (lower)
      for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const RequiredValue named{name, v.value};
    return require_finite_constants(routine, std::span<const RequiredValue>(&named, 1), code);
  }
  return true;
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
