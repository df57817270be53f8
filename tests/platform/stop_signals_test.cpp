// Termination signals as a stop request: the first only records its number,
// a second ends the process at once, an ignored signal stays ignored. Each
// case runs in a child process, for the handlers are process-wide.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>

#include "platform/stop_signals.h"

namespace {

// Runs fn in a child; returns its exit status, or 1000 + the signal that
// ended it.
int in_child(const std::function<int()>& fn) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(fn());
  int ws = 0;
  ::waitpid(pid, &ws, 0);
  if (WIFSIGNALED(ws)) return 1000 + WTERMSIG(ws);
  return WIFEXITED(ws) ? WEXITSTATUS(ws) : -1;
}

TEST(StopSignals, FirstSignalIsRecordedNotFatal) {
  for (const int sig : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(sig);
    EXPECT_EQ(in_child([sig] {
                plat::watch_stop_signals();
                if (plat::stop_signal() != 0) return 2;
                std::raise(sig);
                return plat::stop_signal() == sig ? 0 : 3;
              }),
              0);
  }
}

TEST(StopSignals, SecondSignalEndsTheProcessAtOnce) {
  struct Case {
    int first, second;
  };
  for (const Case c : {Case{SIGTERM, SIGTERM}, Case{SIGTERM, SIGINT}, Case{SIGINT, SIGTERM}}) {
    SCOPED_TRACE(c.second);
    EXPECT_EQ(in_child([c] {
                plat::watch_stop_signals();
                std::raise(c.first);
                std::raise(c.second);
                return 4;  // still alive
              }),
              1000 + c.second);
  }
}

TEST(StopSignals, IgnoredSignalStaysIgnored) {
  EXPECT_EQ(in_child([] {
              std::signal(SIGINT, SIG_IGN);
              plat::watch_stop_signals();
              std::raise(SIGINT);
              return plat::stop_signal();
            }),
            0);
}

TEST(StopSignals, Names) {
  EXPECT_EQ(plat::signal_name(SIGTERM), "SIGTERM");
  EXPECT_EQ(plat::signal_name(SIGINT), "SIGINT");
  EXPECT_EQ(plat::signal_name(SIGHUP), "signal");
}

}  // namespace
