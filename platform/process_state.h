// The one reset of the process-wide state. Every source file that keeps state
// across calls at file level (records, arrays, open files, counters, caches,
// the state of a file being read or written) registers a reset of it here
// with TNA_PROCESS_STATE; reset_process_state() runs them all, and so puts the
// library back as it was when the program started. The tests run it before
// and after every test; tools/check-process-state fails the build's tests on a
// library file that holds writable file-level data and registers no reset.
#pragma once

#include <string>
#include <vector>

namespace plat {

using StateReset = void (*)();

// Adds the reset of the file `owner` ("core/diagnostics"). Returns true, so
// that it can initialise a namespace-scope constant (TNA_PROCESS_STATE).
bool register_state_reset(const char* owner, StateReset reset);

// Runs every registered reset, in the order of their owners' names. A reset
// touches only its own file's state, so the order does not matter.
void reset_process_state();

// The owners registered so far, sorted.
std::vector<std::string> process_state_owners();

}  // namespace plat

// Registers `reset` (a function of no arguments) as the reset of this file's
// process-wide state. Use once, at namespace scope, in the source file that
// defines the state; registration happens when the program starts, for every
// file linked into it.
#define TNA_PROCESS_STATE(owner, reset) \
  namespace { \
  [[maybe_unused]] const bool tna_process_state_registered_ = ::plat::register_state_reset(owner, reset); \
  }
