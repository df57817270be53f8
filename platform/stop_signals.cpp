#include "platform/stop_signals.h"
#include "platform/process_state.h"

#include <csignal>

#include <signal.h>

namespace plat {
namespace {

// Written only by the handler, read by the run between two steps.
volatile std::sig_atomic_t g_stop_signal = 0;
bool g_watching = false;

// Async-signal-safe: it sets the flag, or on a second signal restores the
// default action and raises the signal again, which then ends the process as
// soon as the handler returns (the signal is blocked while it runs).
extern "C" void on_stop_signal(int sig) {
  if (g_stop_signal != 0) {
    std::signal(sig, SIG_DFL);
    std::raise(sig);
    return;
  }
  g_stop_signal = sig;
}

void watch(int sig) {
  struct sigaction old {};
  if (::sigaction(sig, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) return;
  struct sigaction act {};
  act.sa_handler = on_stop_signal;
  sigemptyset(&act.sa_mask);
  // Restart interrupted reads and writes: a signal must not turn into an I/O
  // error of the file being written.
  act.sa_flags = SA_RESTART;
  ::sigaction(sig, &act, nullptr);
}

}  // namespace

void watch_stop_signals() {
  if (g_watching) return;
  g_watching = true;
  watch(SIGTERM);
  watch(SIGINT);
}

int stop_signal() { return g_stop_signal; }

std::string_view signal_name(int sig) {
  switch (sig) {
    case SIGTERM: return "SIGTERM";
    case SIGINT: return "SIGINT";
    default: return "signal";
  }
}

}  // namespace plat

// The handlers, once installed, stay: they only set the flag.
namespace {
void reset_stop_signal() { plat::g_stop_signal = 0; }
}  // namespace
TNA_PROCESS_STATE("platform/stop_signals", reset_stop_signal)
