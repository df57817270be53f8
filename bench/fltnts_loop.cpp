// Speed of FLTNTS on the pumped water loop of examples/loop scaled up.
//
// Usage: bench_fltnts_loop [--steps STEPS] [FLUID_NODES ...]
//
// The model at N fluid nodes (1,000 unless sizes are given): a ring of N
// fluid nodes (1 m of 20 mm pipe each, water at 2 bar, node 1 of status "J",
// a pump on link 1); fluid nodes 2..N/2 are a cold plate, each joined by a GL
// to one node of an electronics panel of 10 N - 1 thermal nodes (a GL grid of
// 100 columns, 50 J/K and 0.2 W each), nodes N/2 + 1..N - 1 a radiator, each
// joined by a GR to deep space (thermal node 10 N, a boundary at -270 C). It
// is written as a model database and loaded as a run loads it, FINITS
// completes the fluid states, and FLTNTS runs STEPS steps of 10 s (20 unless
// given). Each size runs in a process of its own.
//
// Per step (the first step left out) it reports the time and its split
// (all times are the thread's processor time, which a loaded machine
// inflates far less than the wall clock),
// taken from the clock at the generated blocks FLTNTS calls: the hydraulic
// part of the pass (from the first to the second VARIABLES1 of the pass), the
// thermal-fluid iteration (from there to VARIABLES2) and the rest; then the
// property calls of a pass (two SNFE, SCPRHO and the density and viscosity of
// the hydraulic solution, timed on their own on the final state), which the
// first two parts contain. The reference is one plain Gauss-Seidel sweep of
// the thermal network (GL and linearised GR sums over the compact connection
// list, no marks, no damping); the last line prints the step time over that
// sweep, and a hash of the final state (every temperature, pressure, quality
// and flow) to check that a change left the results as they were. After all
// sizes a table gives the step time per size and the growth exponent of the
// step time between neighbouring sizes and over the whole range; the last
// line prints the step time over one plain sweep at the size nearest to
// 1,000 fluid nodes.
//
// This program is its own model program: it supplies the five blocks.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/support/clock.h"
#include "bench/support/loop_model.h"
#include "bench/support/state_hash.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "fluid/fluid_network.h"
#include "fluid/fluid_services.h"
#include "fluid/node_properties.h"
#include "model/generated_program.h"
#include "modeldata/global_arrays.h"
#include "modeldata/mdb_load.h"
#include "platform/process.h"
#include "properties/properties.h"
#include "tools/acd_writer.h"
#include "tools/mdb_writer.h"

namespace {

using Clock = bench::ThreadClock;
using bench::seconds_since;

constexpr const char* kModel = "BLOOP";  // at most 8 characters: the file name
constexpr int kColumns = 100;
// The sizes of the model being run (set from the fluid node count N).
int kFluid = 1000;       // fluid nodes, user numbers kGrid + 2..
int kGrid = 9999;        // panel nodes 10 N - 1; node kGrid + 1 is deep space
int kPlateEnd = 500;     // fluid nodes 2..N/2 cool the panel
int kRadiatorEnd = 999;  // fluid nodes N/2 + 1..N - 1 radiate

void set_sizes(int n) {
  kFluid = n;
  kGrid = 10 * n - 1;
  kPlateEnd = n / 2;
  kRadiatorEnd = n - 1;
}

// The clock at the blocks: per pass the first and second VARIABLES1 with
// SOLTYP blank (the hydraulic solution calls it with "FLUID", the sweeps
// with "THERMAL"), and VARIABLES2 at the end of an accepted step.
struct Marks {
  bool on = false;
  int blank = 0;  // blank VARIABLES1 calls of the current pass
  int steps = 0;
  Clock::time_point pass_start, first, second;
  double hydraulics = 0, iteration = 0, rest = 0;
  long long sweeps = 0, passes = 0;
} marks;

std::vector<double> control_constants() {
  return bench::control_constants(
      kGrid + 1 + kFluid,
      {{"MODEL", 1},   {"NLOOP", 100},  {"LENGTH", 60},  {"WIDTH", 132}, {"MLEVEL", 3},         {"METHOD", 0},
       {"FSTEPS", 1},  {"NLOOPH", 0},   {"NLOOPT", 0},   {"DAMPT", 1.0}, {"STEFAN", 5.6704e-8}, {"TABS", 273.15},
       {"PABS", 0.0},  {"DAMPM", 0.5},  {"GRAVX", 0.0},  {"GRAVY", 0.0}, {"GRAVZ", 0.0},        {"MINFLO", 1.0e-6},
       {"MINDP", 0.0}, {"RLCOUR", 0.5}, {"ENBNDM", 0.0}, {"INBNDM", 0.0}});
}

// Writes the model database and sets the sizes its generated program would
// have.
void write_model() {
  const int nt = kGrid + 1, space = kGrid + 1;
  std::vector<std::int32_t> tnum(nt), fnum(kFluid), links, glpairs, grpairs;
  std::vector<double> t(nt, 20.0), c(nt, 50.0), qi(nt, 0.2), zt(nt, 0.0), gl, gr;
  std::vector<std::string> tlab(nt), tstat(nt, "D"), flab(kFluid), fstat(kFluid, "F");
  for (int i = 1; i <= nt; ++i) {
    tnum[i - 1] = i;
    tlab[i - 1] = "PANEL " + std::to_string(i);
  }
  t[space - 1] = -270.0;
  c[space - 1] = 0.0;
  qi[space - 1] = 0.0;
  tstat[space - 1] = "B";
  tlab[space - 1] = "DEEP SPACE";
  for (int i = 1; i <= kGrid; ++i) {
    if (i % kColumns != 0 && i + 1 <= kGrid) {
      glpairs.insert(glpairs.end(), {i, i + 1});
      gl.push_back(1.0);
    }
    if (i + kColumns <= kGrid) {
      glpairs.insert(glpairs.end(), {i, i + kColumns});
      gl.push_back(1.0);
    }
  }
  for (int k = 1; k <= kFluid; ++k) {
    fnum[k - 1] = kGrid + 1 + k;
    flab[k - 1] = "LOOP " + std::to_string(k);
    links.insert(links.end(), {fnum[k - 1], k == kFluid ? fnum[0] : fnum[k - 1] + 1});
    if (k >= 2 && k <= kPlateEnd) {
      glpairs.insert(glpairs.end(), {1 + (k - 2) * 20, fnum[k - 1]});
      gl.push_back(10.0);
    } else if (k > kPlateEnd && k <= kRadiatorEnd) {
      grpairs.insert(grpairs.end(), {space, fnum[k - 1]});
      gr.push_back(0.009);
    }
  }
  fstat[0] = "J";
  const int ngl = static_cast<int>(gl.size()), ngr = static_cast<int>(gr.size());
  auto all = [](double v) { return std::vector<double>(kFluid, v); };
  auto texts = [](const char* v) { return std::vector<std::string>(kFluid, v); };
  mdbw::Database db;
  db.name = kModel;
  auto& m = db.add_model(kModel, 0);
  m.ints(1, tnum).reals(2, t).reals(3, c).reals(4, zt).reals(5, zt).reals(6, qi).reals(7, zt).reals(8, zt);
  m.reals(9, zt).reals(10, zt).reals(11, zt).texts(12, 24, tlab).texts(13, 1, tstat);
  m.reals(14, gl).reals(15, gr).texts(18, 1, std::vector<std::string>(ngl, "A"));
  m.texts(19, 1, std::vector<std::string>(ngr, "A"));
  m.id_card({kPlateEnd - 1, kRadiatorEnd - kPlateEnd, 0}).control_constants(control_constants());
  m.ints(69, glpairs).ints(70, grpairs);
  m.reals(72, zt).reals(73, zt).reals(74, zt).reals(96, zt).reals(97, zt).reals(98, zt);
  m.ints(201, fnum).reals(202, all(0.0)).reals(203, all(0.02)).reals(204, all(1.0)).reals(205, all(2.0e5));
  m.reals(206, all(0.0)).reals(207, all(20.0)).reals(208, all(1.0e-5));
  for (int k = 209; k <= 215; ++k) m.reals(k, all(0.0));
  m.texts(216, 24, texts("WATER")).texts(217, 24, flab).texts(218, 1, fstat);
  m.ints(219, links).reals(220, all(0.05)).reals(222, all(1.0e20)).texts(223, 1, texts("A"));
  m.reals(231, all(0.0)).texts(232, 4, texts("LIQ")).reals(233, all(bench::undefined_real()));
  for (int k = 234; k <= 238; ++k) m.reals(k, all(0.0));
  m.texts(239, 4, texts("P&T"));
  db.write(std::string(kModel) + ".MDB");
  acdw::write_empty_case(std::string(kModel) + ".acd");

  // Sizes: thermal ends of the conductors 2 per grid GL, 1 per fluid GL and GR.
  const int ends_t = 2 * (ngl - (kPlateEnd - 1)) + (kPlateEnd - 1) + ngr;
  const int ends_f = (kPlateEnd - 1) + ngr;
  bench::set_loop_sizes(nt, ngl, ngr, kFluid, kFluid, ends_t, ends_f);
}

}  // namespace

// The blocks of this model: no user statements; VARIABLES1 and VARIABLES2
// read the clock.
void IN0001() {}
void EXECTN() {}
void V10001() {
  if (!marks.on || GLOC.SOLTYP.view().substr(0, 1) != " ") return;  // only the blank SOLTYP
  const auto now = Clock::now();
  if (++marks.blank == 1) {
    marks.first = now;
  } else if (marks.blank == 2) {
    marks.second = now;
  }
}
void V20001() {
  if (!marks.on) return;
  const auto now = Clock::now();
  if (marks.steps > 0 && marks.blank == 2) {
    marks.hydraulics += std::chrono::duration<double>(marks.second - marks.first).count();
    marks.iteration += std::chrono::duration<double>(now - marks.second).count();
    marks.rest += std::chrono::duration<double>(marks.first - marks.pass_start).count();
    marks.sweeps += GLOI.SUMTHL;
    marks.passes += GLOI.SUMFLL;
  }
  ++marks.steps;
  marks.blank = 0;
  marks.pass_start = now;
}
void OUTPUT() {}
void GM0001(bool&) {}

namespace {

// What one size's run hands back to the parent process.
struct SizeResult {
  int fluid = 0, thermal = 0;
  double step = 0.0, sweep = 0.0;
};

// Runs the model at the sizes set; prints its rows and fills r. Non-zero when
// the model did not load.
int run_size(int steps, SizeResult& r) {
  const bool loaded = bench::write_and_load(kModel, [&] { write_model(); });
  if (!loaded) {
    std::printf("the model database did not load (%d fluid nodes)\n", kFluid);
    return 1;
  }
  bench::start_loop_run(steps, 2.0e4);  // the pump, Pa

  marks.on = true;
  auto t0 = Clock::now();
  FLTNTS();
  const double total = seconds_since(t0);
  marks.on = false;
  const std::uint64_t hash = bench::state_hash();
  const int timed = marks.steps - 1;
  const double per_step = (marks.hydraulics + marks.iteration + marks.rest) / timed;

  // Property calls of one pass, on the final state.
  const FlNetwork net = fl_network();
  const int nf = net.nf;
  std::vector<double> x(nf), rho(nf), cp(nf), visc(nf);
  const FlReals vx(x.data(), nf), vrho(rho.data(), nf), vcp(cp.data(), nf);
  const int reps = 20;
  t0 = Clock::now();
  for (int r = 0; r < reps; ++r) SNFE(net, vx);
  const double t_snfe = seconds_since(t0) / reps;
  t0 = Clock::now();
  for (int r = 0; r < reps; ++r) SCPRHO(net, vrho, vcp);
  const double t_scprho = seconds_since(t0) / reps;
  t0 = Clock::now();
  for (int r = 0; r < reps; ++r)
    for (int i = 1; i <= nf; ++i) {
      const int code = net.fluid_code(i), node = net.global(i);
      visc[static_cast<std::size_t>(i - 1)] = XVISC(net.p(i), net.tf(i), net.vq(i), code, node);
      rho[static_cast<std::size_t>(i - 1)] = XRHO(net.p(i), net.tf(i), net.vq(i), code, node);
    }
  const double t_rv = seconds_since(t0) / reps;
  const double t_props = 2.0 * t_snfe + t_scprho + t_rv;

  // The reference: one plain sweep of the thermal network.
  std::vector<double> keep(static_cast<std::size_t>(FLAGS(1)));
  for (int i = 1; i <= FLAGS(1); ++i) keep[static_cast<std::size_t>(i - 1)] = gar_thermalnodetemps(i);
  const int sweeps = 50;
  t0 = Clock::now();
  volatile double sink = 0.0;
  for (int r = 0; r < sweeps; ++r) sink = sink + bench::plain_sweep();
  const double t_sweep = seconds_since(t0) / sweeps;
  for (int i = 1; i <= FLAGS(1); ++i) gar_thermalnodetemps(i) = keep[static_cast<std::size_t>(i - 1)];

  std::printf(
      "%d thermal nodes, %d fluid nodes, %d links; %d steps of %.0f s in %.3f s (loop flow %.4f kg/s, "
      "box panel node 1 at %.2f C)\n",
      FLAGS(1), nf, net.nl, marks.steps, GLOR.DTIMEI, total, net.m(1), keep[0]);
  std::printf("per step (%d timed): %8.3f ms; thermal-fluid sweeps %.1f, hydraulic passes %.1f\n", timed,
              1e3 * per_step, static_cast<double>(marks.sweeps) / timed, static_cast<double>(marks.passes) / timed);
  std::printf("  hydraulic part       %8.3f ms\n", 1e3 * marks.hydraulics / timed);
  std::printf("  thermal-fluid iteration %5.3f ms\n", 1e3 * marks.iteration / timed);
  std::printf("  rest (first SNFE)    %8.3f ms\n", 1e3 * marks.rest / timed);
  std::printf(
      "  property calls of a pass %6.3f ms (SNFE %.3f x 2, SCPRHO %.3f, density and viscosity %.3f), "
      "inside the parts above\n",
      1e3 * t_props, 1e3 * t_snfe, 1e3 * t_scprho, 1e3 * t_rv);
  std::printf("plain Gauss-Seidel sweep of the thermal network: %.3f ms\n", 1e3 * t_sweep);
  std::printf("state hash %016llx; step time / one plain thermal sweep: %.1f\n",
              static_cast<unsigned long long>(hash), per_step / t_sweep);
  r.fluid = nf;
  r.thermal = FLAGS(1);
  r.step = per_step;
  r.sweep = t_sweep;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int steps = 20;
  std::vector<int> sizes;
  for (int a = 1; a < argc; ++a) {
    if (std::strcmp(argv[a], "--steps") == 0 && a + 1 < argc) {
      steps = std::max(2, std::atoi(argv[++a]));
    } else {
      const int n = std::atoi(argv[a]);
      if (n < 10) {
        std::fprintf(stderr, "usage: bench_fltnts_loop [--steps STEPS] [FLUID_NODES (10 or more) ...]\n");
        return 2;
      }
      sizes.push_back(n);
    }
  }
  if (sizes.empty()) sizes.push_back(1000);
  std::vector<SizeResult> results;
  if (!bench::run_sizes(sizes, results, [steps](int n, SizeResult& r) {
        set_sizes(n);
        return run_size(steps, r);
      }))
    return 1;
  if (results.size() > 1) {
    std::printf("\n%12s %14s %12s %12s %12s %10s\n", "fluid nodes", "thermal nodes", "step ms", "sweep ms",
                "step/sweep", "exponent");
    for (std::size_t i = 0; i < results.size(); ++i) {
      const SizeResult& r = results[i];
      std::printf("%12d %14d %12.3f %12.4f %12.1f", r.fluid, r.thermal, 1e3 * r.step, 1e3 * r.sweep, r.step / r.sweep);
      if (i > 0) {
        const SizeResult& q = results[i - 1];
        std::printf(" %10.2f", bench::growth(q.step, r.step, q.fluid, r.fluid));
      }
      std::printf("\n");
    }
    const SizeResult &a = results.front(), &b = results.back();
    std::printf("growth exponent of the step time from %d to %d fluid nodes: %.2f\n", a.fluid, b.fluid,
                bench::growth(a.step, b.step, a.fluid, b.fluid));
  }
  const SizeResult* near = &results.front();
  for (const SizeResult& r : results)
    if (std::abs(std::log(r.fluid / 1000.0)) < std::abs(std::log(near->fluid / 1000.0))) near = &r;
  std::printf("step time / one plain thermal sweep at %d fluid nodes: %.1f\n", near->fluid, near->step / near->sweep);
  return 0;
}
