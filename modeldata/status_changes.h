// Storage of the status-changed flag and the status generation.
//
// The flag (`status_changed`) is read and written through stat_getstatst /
// stat_setstatst (casedata/status_flag.h), which keep its interface; it
// lives here so that the model-data services below casedata can see the
// same signal. The status generation counts the occasions on which node
// statuses may have changed: stat_setstatst moves it on each time it sets
// the flag to a non-zero value (clearing the flag to 0 does not move it
// back), and the changes made between solutions that do not set the flag
// move it on themselves (parameter-case status changes, the snapshot
// restore). A result computed from node statuses remembers the generation
// it was computed at and is stale once the generation has moved.
#pragma once

#include <cstdint>

// The status-changed flag: 0 at start; non-zero after a change the solution
// routines have not seen.
extern std::int32_t status_changed;

// The current status generation; 0 at start, never decreasing.
std::uint64_t status_generation();
// Moves the status generation on by one.
void advance_status_generation();
