// Thermostatic heaters: the update the generated VARIABLES1 and VARIABLES2
// blocks run for the block named in OPBLOK and the run type in SOLVER.
#pragma once

void HEATER_UPDATE();
