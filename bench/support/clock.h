// Timing for the benchmarks: the wall clock, and the processor time of the
// calling thread, which a loaded machine inflates far less (time the thread
// waits for a processor is not counted).
#pragma once

#include <chrono>
#include <ctime>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double seconds_since(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

// A clock of the calling thread's processor time, usable as Clock is.
struct ThreadClock {
  using duration = std::chrono::nanoseconds;
  using rep = duration::rep;
  using period = duration::period;
  using time_point = std::chrono::time_point<ThreadClock>;
  static constexpr bool is_steady = true;
  static time_point now() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return time_point(duration(static_cast<rep>(ts.tv_sec) * 1000000000 + ts.tv_nsec));
  }
};

inline double seconds_since(ThreadClock::time_point t0) {
  return std::chrono::duration<double>(ThreadClock::now() - t0).count();
}

}  // namespace bench
