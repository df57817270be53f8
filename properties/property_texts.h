// Texts the property functions and the dispatch share in their messages.
#pragma once

#include <string_view>

namespace prop_text {

// The property words of each kind (1..10), as the messages spell them.
inline constexpr std::string_view kPropertyWords[10] = {"density",
                                                        "specific heat",
                                                        "conductivity",
                                                        "viscosity",
                                                        "surface tension",
                                                        "enthalpy",
                                                        "temperature",
                                                        "pressure",
                                                        "Joule-Thompson coefficient",
                                                        "isothermal compressibility"};

// Phases 1..5 in words.
inline constexpr std::string_view kPhaseWords[5] = {"liquid", "saturated liquid", "two-phase", "saturated vapour",
                                                    "vapour"};

}  // namespace prop_text

// Ends the run: a fatal diagnostic (code 1, reference `routine`) saying that
// `what`, the work of `routine`, is not available in this build. Returns
// 0.0 only when the diagnostic service returns (tests).
double prop_not_built(std::string_view routine, std::string_view what);
