// Helpers of the whole-run tests: a run ends its process, so each runs in a
// child process whose standard output and error go to files, and the test
// reads them back.
#pragma once

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
  int status = -1;  // exit status of the child
  std::string out;  // its standard output
  std::string err;  // its standard error
};

// Runs fn in a child process (standard output and error to files in the
// working directory) and returns how it ended. A child that returns from fn
// instead of ending its process exits with 98.
inline Outcome in_child(const std::function<void()>& fn) {
  std::fflush(stdout);
  std::fflush(stderr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (!std::freopen("child.out", "w", stdout) || !std::freopen("child.err", "w", stderr)) ::_exit(99);
    fn();
    std::fflush(stdout);
    ::_exit(98);  // the run must end its process itself
  }
  Outcome o;
  int ws = 0;
  ::waitpid(pid, &ws, 0);
  if (WIFEXITED(ws)) o.status = WEXITSTATUS(ws);
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

// The lines of a text, without their line ends.
inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

}  // namespace runtest
