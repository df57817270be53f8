// stat_StatstActions_m: the one flag that tells the solution routines that
// node statuses or conductor activities changed while a solution runs, so
// that they derive their masks again before their next pass.
//
// Writers: the heater update, when steady mode 3 makes its power nodes
// boundary nodes (first VARIABLES1 update of a steady solution) and when it
// releases them (VARIABLES2), once per such heater; user statements that
// change a status or an activity letter, after the change. Readers: the
// solution routines, right after each VARIABLES1 call; they derive their
// masks again and store 0. Changes made between solutions need not set it:
// every solution routine derives its masks when it starts. Not part of the
// state snapshot.
//
// The flag's storage (`status_changed`) and the status generation beside it
// live in modeldata/status_changes.h, where the node lists can see them.
#pragma once

#include <cstdint>

#include "modeldata/status_changes.h"

std::int32_t stat_getstatst();
// Stores value unchecked (any non-zero value counts as set). A non-zero
// value also moves the status generation on, so that node lists that leave
// out inactive nodes are evaluated again; 0 leaves the generation as it is.
void stat_setstatst(std::int32_t value);
