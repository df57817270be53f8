#include "casedata/heaters.h"

// No heater is defined until the heater manager holds one; the update then
// has nothing to measure or switch.
void HEATER_UPDATE() {}
