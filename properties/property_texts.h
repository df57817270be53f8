// Texts of the property functions' messages.
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

}  // namespace prop_text
