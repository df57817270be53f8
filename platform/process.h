// Ending the process, the internal consistency stop, and the wall clock.
#pragma once

#include <functional>
#include <string_view>

namespace plat {

// Thrown by exit_process/consistency_stop instead of ending the process when
// set_exit_throws(true) is in force (tests and fuzzers observe the end of a run
// without dying). Ordinary runs never see it.
struct ProcessExit {
  int status;
};

// Flushes and closes every open unit (keeping the files) and ends the process
// with the given status.
[[noreturn]] void exit_process(int status);

// Internal consistency stop: writes "STOP " and the text on standard error and
// ends the process with the given status without closing the units.
[[noreturn]] void consistency_stop(std::string_view text, int status = 1);

// When on, the two routines above throw ProcessExit (after their output)
// instead of ending the process.
void set_exit_throws(bool on);
bool exit_throws();

// Wall-clock date and time of the local zone.
struct DateTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};
DateTime now();
// Seam for tests: fixes the clock to the given value; nullptr restores the real clock.
void set_fixed_clock(const DateTime* dt);

// Processor time used so far, in seconds.
double cpu_seconds();

}  // namespace plat
