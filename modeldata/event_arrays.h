// The event arrays of the model: user arrays of type 5 (step ends only) and
// 6 (step ends and output times) whose values are event times. The transient
// and fluid-loop solution routines collect them once (SGTEVT) and pull every
// step end and output time back onto the next event (LEVTIM).
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/array.h"

class gar_CoreGuard;

// Collects the numbers of the user arrays of type 5 or 6 (event arrays) in
// ascending order into list(1..count); list needs avail words. On a shortage
// (more event arrays than avail): "<caller>: Insufficient dynamic core@
// Increase DYSTOR setting on $EXECUTION statement", severity 4, code 1,
// routine "SGTEVT"; status 1 and count 0. Otherwise status 0.
void SGTEVT(int avail, std::string_view caller, int& count, plat::Vec1<std::int32_t> list, int& status);

// The event list of a solution routine at the integer top of the dynamic
// core: SGTEVT over the room from the top to DYSTOR (none when the top lies
// outside the integer store), then the top raised past the count numbers
// through `core`, which gives them back with the routine's other blocks.
// events views the list. False after SGTEVT's shortage (count 0, the top
// unchanged).
bool take_event_list(gar_CoreGuard& core, std::string_view caller, plat::Vec1<const std::int32_t>& events,
                     int& count);

// Pulls tnext back to the earliest event time strictly between tnow and
// tnext over the count event arrays of `events`. Mode "OUTPUT" skips the
// type-5 arrays (they move step ends only); "TIMESTEP" takes all. Arrays
// whose descriptor is invalid are skipped. A periodic array (first time,
// interval) walks e, e + d, ...; a walk of 2,000,000,000 events stops
// through ERROR naming "LEVTIM" (a non-positive interval with a first time
// below tnext never advances, so it ends there).
void LEVTIM(plat::Vec1<const std::int32_t> events, std::string_view mode, int count, double tnow, double& tnext);
