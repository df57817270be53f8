// The one test the fluid-loop solution makes of a value it has computed
// before it stores or trusts it: a value that is not a number (0 / 0, a
// conductance or temperature of the model that is itself not a number) or
// that is infinite (a vanishing denominator). Such a value compares false
// with everything, so a range test alone lets it through and a "below the
// tolerance" test alone counts it as converged; every guard of a result, a
// change or a convergence measure in the fluid routines asks this first.
#pragma once

#include <cmath>

inline bool fl_not_finite(double x) { return !std::isfinite(x); }
