// Helpers of the whole-run tests: a run ends its process, so each runs in a
// child process whose standard output and error go to files, and the test
// reads them back.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace runtest {

struct Outcome {
  int status = -1;  // exit status of the child (-1 when a signal ended it)
  int signal = 0;   // the signal that ended it, 0 when it exited
  std::string out;  // its standard output
  std::string err;  // its standard error
};

// Runs fn in a child process (standard output and error to files in the
// working directory) and returns how it ended. A child that returns from fn
// instead of ending its process exits with 98. While the child runs the
// parent calls meanwhile(pid) when given; the child is then given
// `limit_seconds` to end before it is killed (status -1, signal SIGKILL).
inline Outcome in_child_while(const std::function<void()>& fn, const std::function<void(pid_t)>& meanwhile,
                              int limit_seconds = 120) {
  std::fflush(stdout);
  std::fflush(stderr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (!std::freopen("child.out", "w", stdout) || !std::freopen("child.err", "w", stderr)) ::_exit(99);
    fn();
    std::fflush(stdout);
    ::_exit(98);  // the run must end its process itself
  }
  if (meanwhile) meanwhile(pid);
  Outcome o;
  int ws = 0;
  if (meanwhile) {
    // Bounded wait: a child that does not end is killed, not waited for.
    pid_t done = 0;
    for (int waited = 0; (done = ::waitpid(pid, &ws, WNOHANG)) == 0 && waited < limit_seconds * 100; ++waited) {
      ::usleep(10000);
    }
    if (done == 0) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &ws, 0);
    }
  } else {
    ::waitpid(pid, &ws, 0);
  }
  if (WIFEXITED(ws)) o.status = WEXITSTATUS(ws);
  if (WIFSIGNALED(ws)) o.signal = WTERMSIG(ws);
  auto slurp = [](const char* f) {
    std::ifstream in(f, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
  };
  o.out = slurp("child.out");
  o.err = slurp("child.err");
  std::remove("child.out");
  std::remove("child.err");
  return o;
}

inline Outcome in_child(const std::function<void()>& fn) { return in_child_while(fn, nullptr); }

// The lines of a text, without their line ends.
inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

}  // namespace runtest
