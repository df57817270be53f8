#include "fluid/required_constants.h"

#include <cmath>
#include <string>

#include "core/diagnostics.h"

bool fl_require_finite(std::string_view routine, std::string_view manual, std::span<const FlValue> values,
                       int code) {
  for (const FlValue& v : values) {
    if (std::isfinite(v.value)) continue;
    std::string text = std::string(routine) + ": Control constant " + std::string(v.name) +
                       " not specified@See User Manual description of " + std::string(manual) +
                       " for a list of required control constants";
    text.resize(250, ' ');
    SETERX(text, 4, code, routine);
    return false;
  }
  return true;
}
