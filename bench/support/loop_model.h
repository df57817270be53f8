// What the fluid-loop benchmarks share: the control constants of a model
// database (list 68), the sizes a generated program would have for the
// model, the load as a run does it, the plain Gauss-Seidel sweep of the
// thermal network that serves as their reference, and running each size in
// a process of its own.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "bench/support/allocate.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "fluid/fluid_services.h"
#include "modeldata/global_arrays.h"
#include "modeldata/mdb_load.h"
#include "platform/process.h"

namespace bench {

inline double undefined_real() {
  double v = 0.0;
  const std::int32_t marker = 2147483647;
  std::memcpy(&v, &marker, sizeof marker);
  return v;
}

// List 68 of the main model: NODES, NODESM, then every global integer and
// real control constant, the given ones set and the others undefined
// (LOOPCT 0).
inline std::vector<double> control_constants(int nodes, const std::map<std::string, double>& given) {
  std::vector<double> v = {static_cast<double>(nodes), 0};  // NODES, NODESM
  auto value = [&](const char* name) {
    auto it = given.find(name);
    if (it != given.end()) return it->second;
    return std::string(name) == "LOOPCT" ? 0.0 : undefined_real();
  };
#define TNA_X(U, l) v.push_back(value(#U));
  TNA_GLOI_LIST(TNA_X)
  TNA_GLOR_LIST(TNA_X)
#undef TNA_X
  return v;
}

// FLAGS and SPRSIZ of a one-model program with nt thermal nodes, ngl GL and
// ngr GR conductors, nf fluid nodes and nl links; ends_t and ends_f are the
// conductor ends in the thermal and the fluid lists.
inline void set_loop_sizes(int nt, int ngl, int ngr, int nf, int nl, int ends_t, int ends_f) {
  const int w25 = 2, w24 = 6 * nt + 2 * ends_t + w25, w35 = 5 * nf + 4 * nf + 2 * ends_f;
  const int dystor = std::max(400000, 20 * (nt + nf));  // dynamic storage words
  const int flags[41] = {nt, ngl, 0,   ngr, 0, 0,   0,      0, 0, 0, 2,  0,  49, 25,  16, 0, 92, 0, 0, 0, 0,
                         0,  0,   w24, w25, 1, 133, dystor, 1, 0, 0, nf, nl, 0,  w35, 1,  0, 0,  0, 0, 0};
  FLAGS = FlagsRecord{};
  for (int i = 0; i < 41; ++i) FLAGS(i + 1) = flags[i];
  SPRSIZ = SprsizRecord{};
  SPRSIZ(1) = 1;
  SPRSIZ(2) = 3;
}

// Allocates from FLAGS and loads the database of `model` in the working
// directory as a run does; false when the load did not succeed.
inline bool load_model(const char* model) {
  allocate_from_flags();
  reset_message_counters();
  JOBINF.jobname = model;
  SLDINC();
  int status = 0;
  try {
    SCOMLD(10, status);
  } catch (const plat::ProcessExit&) {
    return false;
  }
  FLAGS(FLAGS_NEXTDYNAMICCOREREAL) = 1;
  FLAGS(FLAGS_NEXTDYNAMICCOREINT) = 1;
  return status == 0;
}

// Writes the model database of `model` with write() in a scratch folder of
// its own (the print record set as a run sets it) and loads it as a run
// does; false when the load failed.
template <class Write>
bool write_and_load(const char* model, Write write) {
  namespace fs = std::filesystem;
  const fs::path dir =
      fs::temp_directory_path() / ("tna_bench_" + std::string(model) + "_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  fs::current_path(dir);
  PRTINF(1) = 60;
  PRTINF(2) = 1;
  PRTINF(3) = 6;
  PRTINF(4) = 1;
  write();
  const bool loaded = load_model(model);
  fs::current_path(dir.parent_path());
  fs::remove_all(dir);
  return loaded;
}

// The start of a loop benchmark's run after the load: FINITS completes the
// fluid states, `pump` Pa on link 1, and the control constants of `steps`
// steps of 10 s.
inline void start_loop_run(int steps, double pump) {
  FINITS(" ", -1);
  gar_massflowlinkpressuresources(1) = pump;
  GLOR.TIMEO = 0.0;
  GLOR.TIMEND = 10.0 * steps;
  GLOR.OUTINT = GLOR.TIMEND;
  GLOR.DTIMEI = 10.0;
  GLOR.DTMAX = 10.0;
  GLOR.DTMIN = 1.0e-3;
  GLOR.DTPMAX = 1.0e30;
  GLOR.RELXCA = 1.0e-3;
  GLOR.FRLXCA = 1.0e-3;
  GLOR.RELXMA = 1.0e-4;
  GLOC.OUTIME = "";
  GLOC.TIMELA = "NO";
}

// One plain Gauss-Seidel sweep of the thermal network over the compact
// connection list: GL sums and GR linearised at the current temperatures.
inline double plain_sweep() {
  const int nt = FLAGS(1);
  const double tabs = GLOR.TABS, sigma = GLOR.STEFAN;
  double largest = 0.0;
  for (int i = 1; i <= nt; ++i) {
    if (gar_thermalnodestatuses(i).c[0] != 'D') continue;
    const double ti = gar_thermalnodetemps(i) + tabs;
    double sg = 0.0, sgt = gar_thermalnodeheatsourcesinternal(i);
    for (int kind = 1; kind <= 2; ++kind) {
      const int start = gar_pcsptrsthermal(2 * kind - 1, i), count = gar_pcsptrsthermal(2 * kind, i);
      for (int e = 0; e < count; ++e) {
        const int j = gar_pcsthermal(start + 2 * e), c = gar_pcsthermal(start + 2 * e + 1);
        const double tj = (j <= nt ? gar_thermalnodetemps(j) : gar_fluidnodetemps(j - nt)) + tabs;
        const double g =
            kind == 1 ? gar_linearconds(c) : sigma * gar_radiativeconds(c) * (ti * ti + tj * tj) * (ti + tj);
        sg += g;
        sgt += g * tj;
      }
    }
    if (sg <= 0.0) continue;
    const double tnew = sgt / sg - tabs;
    largest = std::max(largest, std::fabs(tnew - gar_thermalnodetemps(i)));
    gar_thermalnodetemps(i) = tnew;
  }
  return largest;
}

// Runs run(n, r) for each size n in a child process of its own (each loads
// its own model into fresh globals) and collects the R each hands back;
// false when a run failed.
template <class R, class Run>
bool run_sizes(const std::vector<int>& sizes, std::vector<R>& results, Run run) {
  for (int n : sizes) {
    int fd[2];
    if (::pipe(fd) != 0) return false;
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
      ::close(fd[0]);
      R r{};
      const int rc = run(n, r);
      std::fflush(stdout);
      if (rc == 0 && ::write(fd[1], &r, sizeof r) != static_cast<ssize_t>(sizeof r)) ::_exit(1);
      ::_exit(rc);
    }
    ::close(fd[1]);
    R r{};
    const bool got = ::read(fd[0], &r, sizeof r) == static_cast<ssize_t>(sizeof r);
    ::close(fd[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!got || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
    results.push_back(r);
  }
  return true;
}

// Growth exponent of y between sizes n0 and n1 (y ~ n^exponent).
inline double growth(double y0, double y1, double n0, double n1) { return std::log(y1 / y0) / std::log(n1 / n0); }

}  // namespace bench
