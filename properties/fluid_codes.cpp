// Fluid codes and names.
#include <array>

#include "properties/properties.h"

namespace {

// Fluid names in code order.
constexpr std::array<std::string_view, 10> kFluidNames = {"AMMONIA", "WATER", "AIR", "AIRW", "R11",
                                                          "R114",    "R12",   "R21", "R22",  "R502"};

}  // namespace

int FTYPEI(std::string_view name) {
  for (std::size_t k = 0; k < kFluidNames.size(); ++k)
    if (plat::text_eq(name, kFluidNames[k])) return static_cast<int>(k) + 1;
  return 0;
}

plat::Text<24> FTYPEC(int icode) {
  plat::Text<24> name;
  if (icode >= 1 && icode <= 10) name = kFluidNames[static_cast<std::size_t>(icode - 1)];
  return name;
}
