// Speed of the transient steps on spacecraft-like networks.
//
// The networks of spacecraft_network.h at 1,000, 10,000 and 100,000 nodes
// (or the sizes given on the command line), every solved node given a
// capacitance of 200 to 1,000 J/K, so that the Crank-Nicolson routine has
// no arithmetic node. The reference is one plain sweep over the compact
// connection list: the conductance sums G, GT, R, RT of every solved node,
// each GL, GR and GF pair tested against the conductor's and the
// neighbour's mask as it comes, conductances read from the conductor arrays
// (a loop of this program, not a library routine).
//
// For each size it times SLCRNC, SLFWBK and SLFRWD over a fixed span of
// time and over twice that span from the same start (steps of DTIMEI, the
// explicit routine's own steps: no step control; RELXCA set so that a
// Crank-Nicolson step takes two Newton passes), and prints the time of one
// step (the difference of the two runs over the extra steps, so that the
// set-up of a call drops out) against the time of one sweep, with the
// passes per step and a checksum of the final temperatures. Times are the
// thread's processor time; the reference sweep is timed between the runs,
// so that both see the same load of the machine. The last line is the Crank-Nicolson ratio at the size nearest
// 10,000 nodes: one step needs three sweeps (the start-of-step sums and two
// passes), and a step should cost no more than four.
//
// This program is its own model program: it supplies the blocks (it does not
// take the empty ones of bench/support).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

#include "bench/spacecraft_network.h"
#include "core/control_constants.h"
#include "core/global_records.h"
#include "model/generated_program.h"
#include "modeldata/global_arrays.h"
#include "thermal/crank_nicolson.h"
#include "thermal/explicit_forward.h"
#include "thermal/forward_backward.h"
#include "thermal/solver_masks.h"
#include "thermal/thermal_views.h"

namespace {

long long g_passes = 0, g_steps = 0;

}  // namespace

// The blocks of this model: no user statements; VARIABLES2 counts the
// accepted steps and their passes.
void IN0001() {}
void EXECTN() {}
void V10001() {}
void V20001() {
  ++g_steps;
  g_passes += GLOI.LOOPCT;
}
void OUTPUT() {}
void GM0001(bool&) {}

namespace {

// The processor time of this thread: on a machine shared with other work,
// the time the step and the sweep are descheduled is left out.
struct Clock {
  using time_point = double;
  static double now() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
  }
};
double seconds_since(Clock::time_point t0) { return Clock::now() - t0; }

// The masks of the model, for the reference sweep.
struct Masks {
  std::vector<std::int32_t> d, db, gf, gl, gr;
};

Masks masks() {
  const int nt = FLAGS(1), ngl = FLAGS(2), ngf = FLAGS(3), ngr = FLAGS(4);
  Masks m;
  m.d.assign(static_cast<std::size_t>(nt), 0);
  m.db.assign(static_cast<std::size_t>(nt), 0);
  m.gf.assign(static_cast<std::size_t>(std::max(ngf, 1)), 0);
  m.gl.assign(static_cast<std::size_t>(std::max(ngl, 1)), 0);
  m.gr.assign(static_cast<std::size_t>(std::max(ngr, 1)), 0);
  auto v = [](std::vector<std::int32_t>& x) { return ThInts(x.data(), static_cast<std::int64_t>(x.size())); };
  SLOGST2(ngf, ngl, ngr, nt, gar_fluidiccondacts.view(), gar_linearcondacts.view(), gar_radiativecondacts.view(),
          gar_thermalnodestatuses.view(), v(m.d), v(m.gf), v(m.gl), v(m.gr), v(m.db));
  return m;
}

// One plain sweep: the sums of every solved node at the temperatures t
// (tabs4 holding (t + TABS)^4), folded into out so that nothing is left
// out by the compiler.
void sweep(const Masks& mk, ThCReals t, ThCReals tabs4, double tabs, ThReals out) {
  const int nt = FLAGS(1);
  const ThCInts pcs = gar_pcsthermal.view();
  const ThCPtrs ptrs = th_cmat(gar_pcsptrsthermal);
  const ThCReals gl = gar_linearconds.view(), gr = gar_radiativeconds.view(), gf = gar_fluidicconds.view();
  const ThCReals tf = gar_fluidnodetemps.view();
  const std::int32_t *dm = mk.d.data() - 1, *db = mk.db.data() - 1;
  const std::int32_t *glm = mk.gl.data() - 1, *grm = mk.gr.data() - 1, *gfm = mk.gf.data() - 1;
  for (int i = 1; i <= nt; ++i) {
    if (dm[i] != 1) continue;
    double g = 0.0, gt = 0.0, r = 0.0, rt = 0.0;
    for (int e = 0, s = ptrs(1, i); e < ptrs(2, i); ++e) {
      const int k = pcs(s + 2 * e), m = std::abs(pcs(s + 2 * e + 1));
      if (glm[m] == 0) continue;
      double tk;
      if (k > nt) {
        tk = tf(k - nt) + tabs;
      } else {
        if (db[k] == 0) continue;
        tk = t(k) + tabs;
      }
      g += gl(m);
      gt += gl(m) * tk;
    }
    for (int e = 0, s = ptrs(3, i); e < ptrs(4, i); ++e) {
      const int k = pcs(s + 2 * e), m = std::abs(pcs(s + 2 * e + 1));
      if (grm[m] == 0) continue;
      double tk4;
      if (k > nt) {
        const double x = tf(k - nt) + tabs;
        tk4 = ((x * x) * x) * x;
      } else {
        if (db[k] == 0) continue;
        tk4 = tabs4(k);
      }
      r += gr(m);
      rt += gr(m) * tk4;
    }
    for (int e = 0, s = ptrs(5, i); e < ptrs(6, i); ++e) {
      const int k = pcs(s + 2 * e), m = pcs(s + 2 * e + 1);
      if (m <= 0 || gfm[m] == 0) continue;
      double tk;
      if (k > nt) {
        tk = tf(k - nt) + tabs;
      } else {
        if (db[k] == 0) continue;
        tk = t(k) + tabs;
      }
      g += gf(m);
      gt += gf(m) * tk;
    }
    out(i) = (g + gt) + (r + rt);
  }
}

// The reference sweep of the model as it is, ready to be timed.
struct Sweep {
  Masks mk;
  std::vector<double> t4, out;
  int reps = 1;
};

Sweep prepare_sweep(int n) {
  const int nt = FLAGS(1);
  Sweep s;
  s.t4.resize(static_cast<std::size_t>(nt));
  s.out.resize(static_cast<std::size_t>(nt));
  for (int i = 1; i <= nt; ++i) {
    const double x = gar_thermalnodetemps(i) + GLOR.TABS;
    s.t4[static_cast<std::size_t>(i - 1)] = ((x * x) * x) * x;
  }
  s.mk = masks();
  s.reps = n >= 100000 ? 10 : (n >= 10000 ? 100 : 1000);
  return s;
}

// Time of one reference sweep, over s.reps sweeps.
double sweep_time(Sweep& s) {
  const int nt = FLAGS(1);
  const auto t0 = Clock::now();
  for (int r = 0; r < s.reps; ++r)
    sweep(s.mk, gar_thermalnodetemps.view(), ThCReals(s.t4.data(), nt), GLOR.TABS, ThReals(s.out.data(), nt));
  return seconds_since(t0) / s.reps;
}

// The control constants of a plain run of `steps` steps of length dt.
void set_constants(double dt, int steps) {
  SLDINC();
  GLOR = GlorRecord{};
  GLOI = GloiRecord{};
  GLOR.STEFAN = 5.670374e-8;
  GLOR.TABS = 273.15;
  GLOR.DAMPT = 1.0;
  GLOR.RELXCA = 0.01;
  GLOR.ARITH = 0.0;
  GLOR.DTPMAX = 1.0e10;
  GLOR.DTROCA = 1.0e10;
  GLOR.DTIMEI = dt;
  GLOR.DTMIN = 1.0e-3 * dt;
  GLOR.DTMAX = 1.0e3 * dt;
  GLOR.TIMEO = 0.0;
  GLOR.TIMEND = dt * steps;
  GLOR.OUTINT = GLOR.TIMEND;
  GLOI.NLOOP = 100;
  GLOI.METHOD = 0;
  GLOI.WIDTH = 132;
  GLOI.MLEVEL = 3;
  GLOC.OUTIME = "";
}

struct Run {
  double seconds = 0.0;
  long long steps = 0, passes = 0;
  std::uint64_t checksum = 0;
};

// One call of routine over `steps` steps from the start temperatures t0.
Run run(void (*routine)(), const std::vector<double>& t0, double dt, int steps) {
  const int nt = FLAGS(1);
  for (int i = 1; i <= nt; ++i) gar_thermalnodetemps(i) = t0[static_cast<std::size_t>(i - 1)];
  set_constants(dt, steps);
  FLAGS(FLAGS_NEXTDYNAMICCOREREAL) = 1;
  FLAGS(FLAGS_NEXTDYNAMICCOREINT) = 1;
  g_steps = g_passes = 0;
  const auto start = Clock::now();
  routine();
  Run r;
  r.seconds = seconds_since(start);
  r.steps = g_steps;
  r.passes = g_passes;
  std::uint64_t h = 1469598103934665603ULL;
  for (int i = 1; i <= nt; ++i) {
    unsigned char b[sizeof(double)];
    const double v = gar_thermalnodetemps(i);
    std::memcpy(b, &v, sizeof v);
    for (unsigned char c : b) h = (h ^ c) * 1099511628211ULL;
  }
  r.checksum = h;
  return r;
}

// Time of one step: in each of several rounds, a run of k steps, a
// reference sweep, a run of 2k steps from the same start and a sweep again;
// the round's step is the difference of the two runs over the extra steps
// (the set-up of a call drops out) and its sweep the faster of its two. The
// medians over the rounds are reported, the step in sweeps as the median of
// the rounds' ratios, so that a step and its sweep see the same load of the
// machine and one disturbed round does not decide.
struct StepTime {
  double seconds = 0.0;
  double passes = 0.0;
  double sweep = 0.0;   // the time of one reference sweep
  double sweeps = 0.0;  // the step in reference sweeps
  std::uint64_t checksum = 0;
};

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t m = v.size() / 2;
  return v.size() % 2 == 1 ? v[m] : 0.5 * (v[m - 1] + v[m]);
}

StepTime step_time(void (*routine)(), const std::vector<double>& t0, double dt, int k, Sweep& sw) {
  std::vector<double> steps, sweeps, ratios;
  StepTime s;
  for (int round = 0; round < 9; ++round) {
    const Run x = run(routine, t0, dt, k);
    double sweep = sweep_time(sw);
    const Run y = run(routine, t0, dt, 2 * k);
    sweep = std::min(sweep, sweep_time(sw));
    const double extra = static_cast<double>(y.steps - x.steps);
    const double step = (y.seconds - x.seconds) / extra;
    steps.push_back(step);
    sweeps.push_back(sweep);
    ratios.push_back(step / sweep);
    s.passes = static_cast<double>(y.passes - x.passes) / extra;
    s.checksum = y.checksum;
  }
  s.seconds = median(steps);
  s.sweep = median(sweeps);
  s.sweeps = median(ratios);
  return s;
}

double measure(int n) {
  spacecraft::fill_model(n, 12345u + static_cast<unsigned>(n));
  const int nt = FLAGS(1), ngl = FLAGS(2), ngr = FLAGS(4);
  std::mt19937_64 rng(777u + static_cast<unsigned>(n));
  std::uniform_real_distribution<double> uni(0.0, 1.0);
  for (int i = 1; i <= nt; ++i)
    if (gar_thermalnodestatuses(i).c[0] == 'D') gar_thermalnodecapacitances(i) = 200.0 + 800.0 * uni(rng);
  // Work space for every routine: 9 NT real words, NT + conductors integer
  // words, and room for the event list.
  const int words = 10 * nt + ngl + ngr + 64;
  gar_dynamiccorereal.allocate(words);
  gar_dynamiccoreint.allocate(words);
  FLAGS(FLAGS_DYSTOR) = words;

  std::vector<double> t0(static_cast<std::size_t>(nt));
  for (int i = 1; i <= nt; ++i) t0[static_cast<std::size_t>(i - 1)] = gar_thermalnodetemps(i);
  set_constants(10.0, 1);
  Sweep sw = prepare_sweep(n);

  const int k = n >= 100000 ? 10 : (n >= 10000 ? 40 : 200);
  const StepTime cn = step_time(SLCRNC, t0, 10.0, k, sw);
  const StepTime fb = step_time(SLFWBK, t0, 10.0, k, sw);
  // The explicit routine takes its own steps (0.95 of the smallest C / G).
  const StepTime fr = step_time(SLFRWD, t0, 100.0, k, sw);

  std::printf("%8d nodes  GL %7d  GR %7d  compact list %9lld words\n", nt, ngl, ngr,
              static_cast<long long>(gar_pcsthermal.size()));
  const struct {
    const char* name;
    const StepTime& s;
  } rows[] = {{"Crank-Nicolson  ", cn}, {"forward-backward", fb}, {"explicit        ", fr}};
  for (const auto& r : rows)
    std::printf(
        "          %s step %9.4f ms, %6.2f sweeps (sweep %7.4f ms)  (%.2f passes per step, temperatures %016llx)\n",
        r.name, 1e3 * r.s.seconds, r.s.sweeps, 1e3 * r.s.sweep, r.s.passes,
        static_cast<unsigned long long>(r.s.checksum));
  return cn.sweeps;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes = {1000, 10000, 100000};
  if (argc > 1) {
    sizes.clear();
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  }
  PRTINF(1) = 60;
  PRTINF(2) = 1;
  PRTINF(3) = 6;
  PRTINF(4) = 1;
  int at = 0;
  double ratio = 0.0;
  for (int n : sizes) {
    if (n < 10) continue;
    const double r = measure(n);
    if (at == 0 || std::abs(n - 10000) < std::abs(at - 10000)) {
      at = n;
      ratio = r;
    }
  }
  std::printf("ratio Crank-Nicolson step (two passes) / sweep at %d nodes: %.2f\n", at, ratio);
  return 0;
}
