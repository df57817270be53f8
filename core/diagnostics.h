// Numbered diagnostics and the fatal-error path.
//
// A message is one text whose parts are separated by "@": Problem, Current
// action, Info, Context (text after a fourth "@" is dropped); "<NL>" inside a
// part forces a new line. Trailing blanks of the message are ignored.
//
// The control constants MLEVEL (boxes of severity <= MLEVEL are not printed;
// a value outside 0..3 is reset to 0), MSHORT (1: Problem part only) and
// TRACE (1: boxes go to the trace file, unit 13, while it is open) are read at
// every call.
#pragma once

#include <span>
#include <string_view>

#include "platform/text.h"

// Prints the numbered diagnostic box; severity 1 diagnostic, 2 warning,
// 3 failure, 4 (or any other value) fatal: the run ends through fatal_end.
void SETERX(std::string_view message, int severity, int code, std::string_view routine);
// Prints the file-error box on the listing (unit 6) with its own counter;
// type 1 system, 2 syntax, 3 semantic error, 4 warning (any other value
// counts as 1); never filtered, always returns.
void ERRNEW(std::string_view message, int type, int code, std::string_view routine);
// Unrecoverable condition: prints its text and ends the run through
// fatal_end.
[[noreturn]] void ERROR(std::string_view routine);

// The fatal end of a run: the close-down of the run files, then exit status
// 1. The close-down is the run driver's (FAILUR, executive/run_driver.h),
// which sits above every folder that reports a fatal condition, so the
// driver hands it in here: MAINA registers FAILUR before it does anything
// else, and fatal_end calls it. Before that (a program that never ran MAINA,
// such as a unit test) fatal_end ends with plat::exit_process(1): every unit
// closed, exit status 1, the run files left as they are.
using FatalEnd = void (*)();
void set_fatal_end(FatalEnd end);
[[noreturn]] void fatal_end();

// Pass counter of a loop whose number of passes depends on data: after
// 2,000,000,000 passes the run ends through ERROR naming the routine.
class LoopGuard {
 public:
  static constexpr long long kLimit = 2000000000LL;
  explicit LoopGuard(std::string_view routine) : routine_(routine) {}
  void pass() {
    if (++passes_ > kLimit) ERROR(routine_);
  }
  long long passes() const { return passes_; }

 private:
  std::string_view routine_;
  long long passes_ = 0;
};

// A control constant and the value a solution routine is about to use for it.
struct RequiredValue {
  std::string_view name;
  double value = 0.0;
};

// The first of `values` that is not a finite number is refused:
// "<routine>: Control constant <name> not specified@See User Manual
// description of <routine> for a list of required control constants",
// severity 4 with `code`, naming the routine (the run ends). True when every
// value is finite. Shared by the thermal and fluid-loop solution routines.
bool require_finite_constants(std::string_view routine, std::span<const RequiredValue> values, int code);

// Sets both message counters (SETERX and ERRNEW) back to 0. Only tests call
// this: in a run the numbering goes on from the first message to the last.
void reset_message_counters();
