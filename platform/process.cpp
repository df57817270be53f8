#include "platform/process.h"
#include "platform/process_state.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "platform/units.h"

namespace plat {
namespace {
bool g_exit_throws = false;
std::optional<DateTime> g_fixed_clock;
}  // namespace

void set_exit_throws(bool on) { g_exit_throws = on; }
bool exit_throws() { return g_exit_throws; }

void exit_process(int status) {
  io::close_all();
  std::fflush(stdout);
  std::fflush(stderr);
  if (g_exit_throws) throw ProcessExit{status};
  std::exit(status);
}

void consistency_stop(std::string_view text, int status) {
  io::flush_all();
  std::string line = "STOP ";
  line.append(text);
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  if (g_exit_throws) throw ProcessExit{status};
  std::_Exit(status);
}

DateTime now() {
  if (g_fixed_clock) return *g_fixed_clock;
  const auto tp = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(tp);
  std::tm tm{};
  localtime_r(&t, &tm);
  DateTime d;
  d.year = tm.tm_year + 1900;
  d.month = tm.tm_mon + 1;
  d.day = tm.tm_mday;
  d.hour = tm.tm_hour;
  d.minute = tm.tm_min;
  d.second = tm.tm_sec;
  d.millisecond =
      static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(tp.time_since_epoch()).count() % 1000);
  return d;
}

void set_fixed_clock(const DateTime* dt) {
  if (dt) g_fixed_clock = *dt;
  else g_fixed_clock.reset();
}

double cpu_seconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

}  // namespace plat

namespace {
void reset_process_flags() {
  plat::set_exit_throws(false);
  plat::set_fixed_clock(nullptr);
}
}  // namespace
TNA_PROCESS_STATE("platform/process", reset_process_flags)
