// Speed of the two-phase solution FGENFI on a closed water loop with an
// evaporator and a condenser.
//
// Usage: bench_fgenfi_loop [--steps STEPS] [FLUID_NODES ...]
//
// The model at N fluid nodes (100, 300 and 1,000 unless sizes are given) is
// one loop at N nodes of resolution: a ring of 100 m of 20 mm pipe in N
// fluid nodes (water at 2 bar and 118 C, 2 K below saturation, node 1 of
// status "J", a pump of 5.0E4 Pa on link 1); every fluid node has a wall (a
// thermal node of 5.0E5 / N J/K joined to it by a GL of 5,000 / N W/K and to
// its neighbouring walls by GL of N / 200 W/K); the walls of fluid nodes
// 2..N/2 are heated through GL from a boundary at 180 C (10 kW in all at a
// wall at 120 C), those of nodes N/2 + 1..N - 1 cooled through GL by a
// boundary at 40 C (the same conductance), so that the evaporator boils part
// of the flow and the condenser condenses it again; the walls start at
// 130 C in the evaporator, 100 C in the condenser. It is written as a model
// database and loaded as a run loads it, FINITS completes the fluid states,
// and FGENFI runs STEPS steps of at most 10 s (60 unless given). Each size
// runs in a process of its own.
//
// Per size it reports (all times are the thread's processor time) the time
// per accepted step (the first step left out; rejected steps count in the
// time of the step that follows them), the passes per accepted step (those
// of rejected steps included) and the thermal passes of the accepted ones, and the
// share of the step spent in property calls and in the profile solver,
// estimated from the final state: the property calls of a pass (the state
// update FGUPDT of every node, and a density and viscosity per node as the
// momentum linearisation takes them) and the two profile solutions of a
// pass (FHSKS1 on FGENFI's own ordering of the network, energy and
// pressure), each timed on its own and multiplied by the passes per step.
// The reference is one plain Gauss-Seidel sweep of the thermal network (the
// walls). A hash of the final state (every temperature, pressure, quality
// and flow) checks that a change left the results as they were. After all
// sizes a table gives the figures per size with the growth exponent of the
// step time; the last line prints the step time over one plain sweep at the
// largest size and the growth exponent over the whole range.
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
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/support/clock.h"
#include "bench/support/loop_model.h"
#include "bench/support/state_hash.h"
#include "core/control_constants.h"
#include "core/global_records.h"
#include "fluid/fgenfi.h"
#include "fluid/fgenfi_work.h"
#include "fluid/fluid_network.h"
#include "fluid/fluid_services.h"
#include "fluid/profile_solver.h"
#include "fluid/state_update.h"
#include "model/generated_program.h"
#include "modeldata/global_arrays.h"
#include "properties/properties.h"
#include "tools/acd_writer.h"
#include "tools/mdb_writer.h"

namespace {

using Clock = bench::ThreadClock;
using bench::seconds_since;

constexpr const char* kModel = "TPLOOP";  // at most 8 characters: the file name

// The clock at VARIABLES2, the end of every accepted step.
struct Marks {
  bool on = false;
  int steps = 0;
  long long passes = 0, counted = 0, thermal = 0;  // passes of every step tried, since the first step
  Clock::time_point first, last;
} marks;

// Writes the model database of the loop at n fluid nodes and sets the sizes
// its generated program would have.
void write_model(int n) {
  // Thermal nodes: walls 1..n, the heater n + 1, the sink n + 2.
  const int nt = n + 2, heater = n + 1, sink = n + 2;
  const int evap_end = n / 2, cond_end = n - 1;
  const int fluid_base = 10 * nt;  // fluid node numbers fluid_base + k
  std::vector<std::int32_t> tnum(nt), fnum(n), links, glpairs;
  std::vector<double> t(nt, 118.0), c(nt, 5.0e5 / n), zt(nt, 0.0), gl;
  std::vector<std::string> tlab(nt), tstat(nt, "D"), flab(n), fstat(n, "F");
  for (int i = 1; i <= nt; ++i) {
    tnum[i - 1] = i;
    tlab[i - 1] = "WALL " + std::to_string(i);
  }
  for (int i = 2; i <= cond_end; ++i) t[i - 1] = i <= evap_end ? 130.0 : 100.0;
  t[heater - 1] = 180.0;
  t[sink - 1] = 40.0;
  for (int b : {heater, sink}) {
    c[b - 1] = 0.0;
    tstat[b - 1] = "B";
  }
  tlab[heater - 1] = "HEATER";
  tlab[sink - 1] = "SINK";
  // About 10 kW through each half at 60 K between boundary and wall.
  const double g_side = 10000.0 / 60.0 / std::max(1, evap_end - 1);
  for (int i = 1; i < n; ++i) {
    glpairs.insert(glpairs.end(), {i, i + 1});
    gl.push_back(n / 200.0);
  }
  for (int i = 2; i <= cond_end; ++i) {
    glpairs.insert(glpairs.end(), {i, i <= evap_end ? heater : sink});
    gl.push_back(g_side);
  }
  for (int k = 1; k <= n; ++k) {
    fnum[k - 1] = fluid_base + k;
    flab[k - 1] = "LOOP " + std::to_string(k);
    links.insert(links.end(), {fnum[k - 1], k == n ? fnum[0] : fnum[k - 1] + 1});
    glpairs.insert(glpairs.end(), {k, fnum[k - 1]});
    gl.push_back(5000.0 / n);
  }
  fstat[0] = "J";
  const int ngl = static_cast<int>(gl.size());
  auto all = [n](double v) { return std::vector<double>(n, v); };
  auto texts = [n](const char* v) { return std::vector<std::string>(n, v); };
  mdbw::Database db;
  db.name = kModel;
  auto& m = db.add_model(kModel, 0);
  m.ints(1, tnum).reals(2, t).reals(3, c).reals(4, zt).reals(5, zt).reals(6, zt).reals(7, zt).reals(8, zt);
  m.reals(9, zt).reals(10, zt).reals(11, zt).texts(12, 24, tlab).texts(13, 1, tstat);
  m.reals(14, gl).texts(18, 1, std::vector<std::string>(ngl, "A"));
  m.id_card({n, 0, 0});
  m.control_constants(bench::control_constants(
      nt + n, {{"MODEL", 1},          {"NLOOP", 100},     {"LENGTH", 60},   {"WIDTH", 132},   {"MLEVEL", 3},
               {"METHOD", 0},         {"FSTEPS", 1},      {"NLOOPH", 0},    {"NLOOPT", 0},    {"DAMPT", 1.0},
               {"STEFAN", 5.6704e-8}, {"TABS", 273.15},   {"PABS", 0.0},    {"DAMPM", 0.5},   {"GRAVX", 0.0},
               {"GRAVY", 0.0},        {"GRAVZ", 0.0},     {"MINFLO", 1.0e-6}, {"MINDP", 0.0}, {"RLCOUR", 0.5},
               {"ENBNDM", 0.0},       {"INBNDM", 0.0}}));
  m.ints(69, glpairs);
  m.reals(72, zt).reals(73, zt).reals(74, zt).reals(96, zt).reals(97, zt).reals(98, zt);
  m.ints(201, fnum).reals(202, all(0.0)).reals(203, all(0.02)).reals(204, all(1.0)).reals(205, all(2.0e5));
  m.reals(206, all(0.0)).reals(207, all(118.0)).reals(208, all(1.0e-5));
  for (int k = 209; k <= 215; ++k) m.reals(k, all(0.0));
  m.texts(216, 24, texts("WATER")).texts(217, 24, flab).texts(218, 1, fstat);
  m.ints(219, links).reals(220, all(0.05)).reals(222, all(1.0e20)).texts(223, 1, texts("A"));
  m.reals(231, all(0.0)).texts(232, 4, texts("LIQ")).reals(233, all(bench::undefined_real()));
  for (int k = 234; k <= 238; ++k) m.reals(k, all(0.0));
  m.texts(239, 4, texts("P&T"));
  db.write(std::string(kModel) + ".MDB");
  acdw::write_empty_case(std::string(kModel) + ".acd");
  // Conductor ends: 2 per wall-to-wall and boundary GL, 1 per wall-to-fluid GL.
  const int ends_f = n, ends_t = 2 * (ngl - n) + n;
  bench::set_loop_sizes(nt, ngl, 0, n, n, ends_t, ends_f);
}

// What one size's run hands back to the parent process.
struct SizeResult {
  int fluid = 0, thermal = 0, steps = 0;
  double step = 0.0, passes = 0.0, props = 0.0, solve = 0.0, sweep = 0.0;
};

// Property calls of a pass on the final state: FGUPDT of every node (its
// state from its own pressure and enthalpy) and a density and viscosity per
// node. Seconds per pass.
double time_properties(const FlNetwork& net, int reps) {
  const int nf = net.nf;
  std::vector<double> drdh(nf), drdp(nf), rho(nf), pnew(nf), hnew(nf), visc(nf);
  FgPass w;
  auto R = [](std::vector<double>& v) { return FlReals(v.data(), static_cast<std::int64_t>(v.size())); };
  w.drdh = R(drdh);
  w.drdp = R(drdp);
  w.rho = R(rho);
  w.pnew = R(pnew);
  w.hnew = R(hnew);
  for (int i = 1; i <= nf; ++i) {
    pnew[static_cast<std::size_t>(i - 1)] = net.p(i);
    hnew[static_cast<std::size_t>(i - 1)] = net.fe(i);
  }
  const auto t0 = Clock::now();
  for (int r = 0; r < reps; ++r) {
    int converged = 0;
    FGUPDT(net, w, converged);
    for (int i = 1; i <= nf; ++i) {
      const int code = net.fluid_code(i), node = net.global(i);
      visc[static_cast<std::size_t>(i - 1)] = XVISC(net.p(i), net.tf(i), net.vq(i), code, node);
      rho[static_cast<std::size_t>(i - 1)] += XRHO(net.p(i), net.tf(i), net.vq(i), code, node);
    }
  }
  return seconds_since(t0) / reps;
}

// The two profile solutions of a pass on FGENFI's ordering of the network
// (a diagonally dominant matrix in its profile). Seconds per pass.
double time_profile_solve(const FlNetwork& net, int reps) {
  const int nf = net.nf;
  std::vector<std::int32_t> ints(7 * static_cast<std::size_t>(nf));
  auto I = [&](int k) { return FlInts(ints.data() + static_cast<std::size_t>(k) * nf, nf); };
  FgPass w;
  w.perm = I(0);
  w.pos = I(1);
  w.ju = I(2);
  w.ir = I(3);
  w.id = I(4);
  w.jl = I(5);
  w.loopend = I(6);
  FPNTER(net, w);
  std::vector<double> amat(static_cast<std::size_t>(w.lprof)), bvec(nf), x(nf, 0.0);
  auto fill = [&] {
    std::fill(amat.begin(), amat.end(), -0.1);
    for (int r = 1; r <= nf; ++r) {
      amat[static_cast<std::size_t>(w.id(r) - 1)] = 4.0 + 0.2 * (w.ir(r) - w.jl(r));
      bvec[static_cast<std::size_t>(r - 1)] = 1.0;
    }
  };
  double t = 0.0;
  for (int r = 0; r < 2 * reps; ++r) {
    fill();
    double dmax = 0.0;
    int ierr = 0;
    plat::Text<6> routine;
    const auto t0 = Clock::now();
    FHSKS1(FlReals(amat.data(), w.lprof), w.id, w.jl, w.ir, nf, w.perm, w.ju, w.lprof, FlReals(bvec.data(), nf),
           FlReals(x.data(), nf), dmax, ierr, routine);
    t += seconds_since(t0);
    if (ierr != 0) std::printf("  (the timing matrix has a zero pivot at node %d)\n", ierr);
  }
  return t / reps;
}

// Runs the model at n fluid nodes; prints its rows and fills r. Non-zero
// when the model did not load or the run ended.
int run_size(int n, int steps, SizeResult& r) {
  const bool loaded = bench::write_and_load(kModel, [&] { write_model(n); });
  if (!loaded) {
    std::printf("the model database did not load (%d fluid nodes)\n", n);
    return 1;
  }
  bench::start_loop_run(steps, 5.0e4);  // the pump, Pa
  GLOC.QTRSOL = "NO";

  marks.on = true;
  const auto t0 = Clock::now();
  try {
    FGENFI();
  } catch (const plat::ProcessExit&) {
    std::printf("the FGENFI run ended (%d fluid nodes)\n", n);
    return 1;
  }
  const double total = seconds_since(t0);
  marks.on = false;
  const std::uint64_t hash = bench::state_hash();
  const int timed = marks.steps - 1;
  if (timed < 1) {
    std::printf("FGENFI made fewer than two steps (%d fluid nodes)\n", n);
    return 1;
  }
  const double per_step = std::chrono::duration<double>(marks.last - marks.first).count() / timed;
  const double passes = static_cast<double>(marks.counted) / timed;

  const FlNetwork net = fl_network();
  const int reps = n >= 1000 ? 10 : 40;
  const double t_props = time_properties(net, reps);
  const double t_solve = time_profile_solve(net, reps);
  int two_phase = 0;
  double xmax = 0.0;
  for (int k = 1; k <= net.nf; ++k) {
    if (net.vq(k) > 0.0 && net.vq(k) < 1.0) ++two_phase;
    xmax = std::max(xmax, net.vq(k));
  }

  std::vector<double> keep(static_cast<std::size_t>(FLAGS(1)));
  for (int i = 1; i <= FLAGS(1); ++i) keep[static_cast<std::size_t>(i - 1)] = gar_thermalnodetemps(i);
  const int sweeps = 200;
  const auto s0 = Clock::now();
  volatile double sink = 0.0;
  for (int k = 0; k < sweeps; ++k) sink = sink + bench::plain_sweep();
  const double t_sweep = seconds_since(s0) / sweeps;
  for (int i = 1; i <= FLAGS(1); ++i) gar_thermalnodetemps(i) = keep[static_cast<std::size_t>(i - 1)];

  std::printf(
      "%d thermal nodes, %d fluid nodes, %d links; %d accepted steps to %.0f s in %.3f s (loop flow %.4f kg/s, "
      "%d nodes two-phase, largest quality %.3f)\n",
      FLAGS(1), net.nf, net.nl, marks.steps, GLOR.TIMEN, total, net.m(1), two_phase, xmax);
  std::printf(
      "per accepted step (%d timed): %8.3f ms; passes %.1f (those of rejected steps included), thermal passes of "
      "the accepted steps %.1f\n",
      timed, 1e3 * per_step, passes, static_cast<double>(marks.thermal) / timed);
  std::printf("  property calls      %8.3f ms a pass, %5.1f %% of the step\n", 1e3 * t_props,
              100.0 * t_props * passes / per_step);
  std::printf("  profile solutions   %8.3f ms a pass, %5.1f %% of the step\n", 1e3 * t_solve,
              100.0 * t_solve * passes / per_step);
  std::printf("plain Gauss-Seidel sweep of the thermal network: %.4f ms\n", 1e3 * t_sweep);
  std::printf("state hash %016llx; step time / one plain thermal sweep: %.1f\n",
              static_cast<unsigned long long>(hash), per_step / t_sweep);
  r.fluid = net.nf;
  r.thermal = FLAGS(1);
  r.steps = marks.steps;
  r.step = per_step;
  r.passes = passes;
  r.props = t_props * passes / per_step;
  r.solve = t_solve * passes / per_step;
  r.sweep = t_sweep;
  return 0;
}

}  // namespace

// The blocks of this model: no user statements; VARIABLES1 counts the
// passes (the call with SOLTYP blank at the start of each), VARIABLES2 reads
// the clock and counts the accepted steps.
void IN0001() {}
void EXECTN() {}
void V10001() {
  if (marks.on && GLOC.SOLTYP.view().substr(0, 1) == " ") ++marks.passes;  // once at the start of every pass
}
void V20001() {
  if (!marks.on) return;
  const auto now = Clock::now();
  if (marks.steps == 0) {
    marks.first = now;
    marks.passes = 0;
  } else {
    marks.thermal += GLOI.SUMTHL;
  }
  marks.counted = marks.passes;
  marks.last = now;
  ++marks.steps;
}
void OUTPUT() {}
void GM0001(bool&) {}

int main(int argc, char** argv) {
  int steps = 60;
  std::vector<int> sizes;
  for (int a = 1; a < argc; ++a) {
    if (std::strcmp(argv[a], "--steps") == 0 && a + 1 < argc) {
      steps = std::max(2, std::atoi(argv[++a]));
    } else {
      const int n = std::atoi(argv[a]);
      if (n < 10) {
        std::fprintf(stderr, "usage: bench_fgenfi_loop [--steps STEPS] [FLUID_NODES (10 or more) ...]\n");
        return 2;
      }
      sizes.push_back(n);
    }
  }
  if (sizes.empty()) sizes = {100, 300, 1000};
  std::vector<SizeResult> results;
  if (!bench::run_sizes(sizes, results, [steps](int n, SizeResult& r) { return run_size(n, steps, r); })) return 1;
  std::printf("\n%12s %14s %8s %12s %8s %10s %10s %12s %10s\n", "fluid nodes", "thermal nodes", "steps", "step ms",
              "passes", "props %", "solve %", "step/sweep", "exponent");
  for (std::size_t i = 0; i < results.size(); ++i) {
    const SizeResult& r = results[i];
    std::printf("%12d %14d %8d %12.3f %8.1f %10.1f %10.1f %12.1f", r.fluid, r.thermal, r.steps, 1e3 * r.step,
                r.passes, 100.0 * r.props, 100.0 * r.solve, r.step / r.sweep);
    if (i > 0) std::printf(" %10.2f", bench::growth(results[i - 1].step, r.step, results[i - 1].fluid, r.fluid));
    std::printf("\n");
  }
  const SizeResult &a = results.front(), &b = results.back();
  std::printf("step time / one plain thermal sweep at %d fluid nodes: %.1f; growth exponent of the step time from %d "
              "to %d fluid nodes: %.2f\n",
              b.fluid, b.step / b.sweep, a.fluid, b.fluid, results.size() > 1 ? bench::growth(a.step, b.step, a.fluid, b.fluid) : 0.0);
  return 0;
}
