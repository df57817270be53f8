// The check of the run-time control constants of the fluid-loop solution
// routines. A time that is not a finite number is never reached and a step
// that is not finite never ends a run, so a routine refuses such a TIMEO,
// TIMEND, DTIMEI, OUTINT, DTMIN or DTMAX before it takes work space, in the
// form of its own "not specified" diagnostic.
#pragma once

#include <span>
#include <string_view>

// A control constant as a routine's messages name it, and the value the
// routine is about to use.
struct FlValue {
  std::string_view name;
  double value = 0.0;
};

// The first of `values` that is not a finite number is refused:
// "<routine>: Control constant <name> not specified@See User Manual
// description of <manual> for a list of required control constants" (the
// text blank-padded to 250 characters), severity 4 with `code`, naming
// `routine` (the run ends). True when every value is finite.
bool fl_require_finite(std::string_view routine, std::string_view manual, std::span<const FlValue> values, int code);
