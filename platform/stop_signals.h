// Termination signals as a stop request.
//
// A batch system's time limit (SIGTERM) or Ctrl-C (SIGINT) must not kill a
// run in the middle of a write: after watch_stop_signals() the first such
// signal only records its number, and the run ends at its next stop-request
// check through the normal close-down. A second signal ends the process at
// once, with the signal's own default action. A signal that was ignored when
// the process started (a job started with nohup or in the background) stays
// ignored.
#pragma once

#include <string_view>

namespace plat {

// Installs the handlers of SIGTERM and SIGINT. Calling it again does nothing
// more.
void watch_stop_signals();

// The number of the first termination signal received since the handlers
// were installed; 0 when none arrived.
int stop_signal();

// The usual name of a signal number ("SIGTERM", "SIGINT"); "signal" for any
// other.
std::string_view signal_name(int sig);

}  // namespace plat
