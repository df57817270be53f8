// stat_StatstActions_m: the one flag that tells the solution routines that
// node statuses or conductor activities changed while a solution runs, so
// that they derive their masks again before their next pass.
//
// Writer: the heater update, when steady mode 3 makes its power nodes
// boundary nodes (first VARIABLES1 update of a steady solution) and when it
// releases them (VARIABLES2), once per such heater. Readers: the solution
// routines, right after each VARIABLES1 call; they derive their masks again
// and store 0. Changes made between solutions do not set it: every solution
// routine derives its masks when it starts. Not part of the state snapshot.
#pragma once

#include <cstdint>

// 0 at start; non-zero after a change the solution routines have not seen.
extern std::int32_t status_changed;

std::int32_t stat_getstatst();
// Stores value unchecked (any non-zero value counts as set).
void stat_setstatst(std::int32_t value);
