// stat_StatstActions_m: the one flag that tells the solution routines that
// node statuses or conductor activities changed while a solution runs, so
// that they derive their masks again before their next pass.
#pragma once

#include <cstdint>

// 0 at start; non-zero after a change the solution routines have not seen.
extern std::int32_t status_changed;

std::int32_t stat_getstatst();
// Stores value unchecked (any non-zero value counts as set).
void stat_setstatst(std::int32_t value);
