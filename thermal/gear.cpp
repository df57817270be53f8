#include "thermal/gear.h"

#include <cmath>
#include <limits>
#include <string>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "model/generated_program.h"
#include "modeldata/global_arrays.h"
#include "thermal/gear_jacobian.h"
#include "thermal/transient_frame.h"

namespace {

constexpr std::size_t kMessageLength = 170;

void report(std::string_view text, int severity, int code, std::string_view routine) {
  SETERX(trf_padded(text, kMessageLength), severity, code, routine);
}

std::string named(std::string_view name, std::string_view rest) {
  std::string s(name);
  s.append(rest);
  return s;
}

double smaller(double a, double b) { return b < a ? b : a; }

// Smallest time constant of the solved nodes into CSGMIN and NCSGMN.
void smallest_time_constant(GearState& g) { S5CSGM(g.net, g.net.t, GLOR.CSGMIN, GLOI.NCSGMN); }

// The next step end from TIMEO with the current DTIMEU: at most two steps
// ahead and not past `limit`, pulled back onto an event, and halved when it
// lies beyond one step.
void next_step_end(GearState& g, double limit) {
  GLOR.TIMEN = smaller(GLOR.TIMEO + 2.0 * GLOR.DTIMEU, limit);
  LEVTIM(g.events, "TIMESTEP", g.nev, GLOR.TIMEO, GLOR.TIMEN);
  if (GLOR.TIMEN > GLOR.TIMEO + GLOR.DTIMEU) GLOR.TIMEN = (GLOR.TIMEN + GLOR.TIMEO) / 2.0;
  GLOR.TIMEM = (GLOR.TIMEO + GLOR.TIMEN) / 2.0;
  GLOR.DTIMEU = GLOR.TIMEN - GLOR.TIMEO;
}

// Largest |x(i)| / w(i) over the solved nodes, x being slab s.
double weighted_norm(GearState& g, int s) {
  double e = 0.0;
  LoopGuard guard("S5ORDR");
  for (int i = 1; i <= g.net.nt; ++i) {
    guard.pass();
    if (!g.solved(i)) continue;
    const double v = std::fabs(g.slab(s, i)) / g.slab(11, i);
    if (v > e) e = v;
  }
  return e;
}

// Temperatures of every node back to the newest accepted solution.
void restore_temperatures(GearState& g, std::string_view routine) {
  const double tabs = GLOR.TABS;
  LoopGuard guard(routine);
  for (int i = 1; i <= g.net.nt; ++i) {
    guard.pass();
    g.net.t(i) = g.slab(g.r, i) - tabs;
  }
}

// A time within this fraction of the last accepted step from TIMEND or
// from an output time counts as reaching it.
constexpr double kStepFraction = 1.0e-4;

// Length of the last accepted step (after the history update: from the
// previous ring level to the newest); 0 before the first.
double last_step(GearState& g) { return g.hist == 0 ? 0.0 : g.TH(g.r) - g.TH(GearState::ring(g.r - 1)); }

// Whether the integration has reached TIMEND: TIMEO is there, or short of
// it by a negligible part of the last step. The test is relative to the
// step, not to the time itself, so that a run far from time zero (TIMEO =
// 1E5 and a span of 10) is not cut after its first step.
bool at_end(GearState& g) {
  return GLOR.TIMEO >= GLOR.TIMEND || GLOR.TIMEND - GLOR.TIMEO <= kStepFraction * last_step(g);
}

}  // namespace

void S5PRED(GearState& g) {
  g.C(1) = 1.0;
  if (g.hist == 0) return;
  const double tn = GLOR.TIMEN, to = GLOR.TIMEO;
  LoopGuard guard("S5PRED");
  for (int i = 1; i <= g.k; ++i) {
    g.C(i + 1) = g.C(i) * (tn - g.TH(GearState::ring(g.r - i + 1))) / (to - g.TH(GearState::ring(g.r - i)));
    const double ci = g.C(i + 1);
    const int s = GearState::ring(g.r - i);
    for (int j = 1; j <= g.net.nt; ++j) {
      guard.pass();
      if (g.solved(j)) g.net.t(j) = g.net.t(j) + ci * g.slab(s, j);
    }
  }
  if (g.evalcount > g.k && g.k <= 5) {
    const int i = g.k + 1;
    g.C(i + 1) = g.C(i) * (tn - g.TH(GearState::ring(g.r - i + 1))) / (to - g.TH(GearState::ring(g.r - i)));
  }
}

void S5CHCK(GearState& g) {
  if (g.converged == 0) {
    S5TSET(g, (GLOR.RELXCA / GLOR.RELXCC) * 0.9 * GLOR.DTIMEU);
    return;
  }
  double emax = 0.0;
  int q = 0;
  LoopGuard guard("S5CHCK");
  for (int i = 1; i <= g.net.nt; ++i) {
    guard.pass();
    if (!g.solved(i)) continue;
    ++q;
    const double v = std::fabs(g.slab(10, g.bynode ? i : q)) / g.slab(11, i);
    if (v > emax) emax = v;
  }
  // No increment at all is no error, whatever the time span factor (which
  // is zero when the first step ends at time zero).
  const double e = emax == 0.0 ? 0.0 : emax / ((GLOR.TIMEN - g.TH(GearState::ring(g.r - g.k))) * g.alpha);
  if (e <= 10.0 * GLOR.RELXCA) {
    V20001();
    S5STUP(g);
    g.stop = 0;
  } else {
    S5TSET(g, (GLOR.RELXCA / e) * GLOR.DTIMEU * (1.0 / (g.k + 1)));
  }
}

void S5TSET(GearState& g, double h) {
  if (GLOR.DTIMEU <= 1.0001 * GLOR.DTMIN) {
    g.stop = 1;
    report("SLGEAR: Required timestep is less than DTMIN", 4, 1, "S5TSET");
    return;
  }
  g.stop = 0;
  // A proposal that is not a number (a growing increment without bound)
  // falls to DTMIN like any proposal below it.
  if (!(h > GLOR.DTMIN)) h = GLOR.DTMIN;
  GLOR.TIMEN = smaller(GLOR.TIMEO + h, GLOR.TIMEND);
  GLOR.DTIMEU = GLOR.TIMEN - GLOR.TIMEO;
  GLOR.TIMEM = (GLOR.TIMEN + GLOR.TIMEO) / 2.0;
  restore_temperatures(g, "S5TSET");
}

void S5STAK(GearState& g) {
  g.r = g.r % 8 + 1;
  g.TH(g.r) = GLOR.TIMEN;
  const double tabs = GLOR.TABS;
  LoopGuard guard("S5STAK");
  for (int i = 1; i <= g.net.nt; ++i) {
    guard.pass();
    g.slab(g.r, i) = g.net.t(i) + tabs;
  }
  g.hist = 1;
  const int m = g.evalcount > g.k ? (g.k + 2 < 7 ? g.k + 2 : 7) : g.k + 1;
  for (int i = 1; i <= m; ++i) {
    const int lo = GearState::ring(g.r - i), hi = GearState::ring(g.r - i + 1);
    const double ci = g.C(i);
    for (int j = 1; j <= g.net.nt; ++j) {
      guard.pass();
      if (g.solved(j)) g.slab(lo, j) = g.slab(hi, j) - ci * g.slab(lo, j);
    }
  }
}

void S5OUTP(GearState& g) {
  const double tout = g.tout;
  double l = 1.0;
  for (int m = 1; m <= g.k; ++m) {
    l = l * (tout - g.TH(GearState::ring(g.r - m + 1))) / (g.TH(g.r) - g.TH(GearState::ring(g.r - m)));
    const int s = GearState::ring(g.r - m);
    for (int j = 1; j <= g.net.nt; ++j)
      if (g.solved(j)) g.net.t(j) = g.net.t(j) + l * g.slab(s, j);
  }
  const double kept = GLOR.TIMEN;
  GLOR.TIMEN = tout;
  V10001();
  smallest_time_constant(g);
  OUTPUT();
  if (tout < GLOR.TIMEND) {
    if (tout >= g.tout0) g.tout0 = g.tout0 + GLOR.OUTINT;
    g.tout = std::isnan(g.tout0) ? GLOR.TIMEND : smaller(g.tout0, GLOR.TIMEND);
    LEVTIM(g.events, "OUTPUT", g.nev, tout, g.tout);
  } else {
    // The output at TIMEND was the last one.
    g.tout = std::numeric_limits<double>::infinity();
  }
  GLOR.TIMEN = kept;
  restore_temperatures(g, "S5OUTP");
}

void S5ORDR(GearState& g) {
  const int kmax = g.k + 1 < 6 ? g.k + 1 : 6;
  const double tn = GLOR.TIMEN, relxca = GLOR.RELXCA;
  double s = 0.0, best = 0.0;
  int chosen = g.k;
  for (int q = 1; q <= kmax; ++q) {
    const double e = weighted_norm(g, GearState::ring(g.r - q - 1));
    s = s + 1.0 / (tn - g.TH(GearState::ring(g.r - q)));
    const double eq = e / ((tn - g.TH(GearState::ring(g.r - q - 1))) * s);
    double ratio = g.f[q];
    if (!(std::fabs(eq) < 1.0e-37)) {
      const double grow = std::pow(relxca / eq, 1.0 / (q + 1));
      if (grow < ratio) ratio = grow;
    }
    if (ratio > best) {
      best = ratio;
      chosen = q;
    }
  }
  g.k = chosen;
  if (std::fabs(best - 1.0) > 0.1 || std::fabs(best - g.f[g.k]) < 1.0e-37) {
    GLOR.DTIMEU = best * GLOR.DTIMEU;
    if (GLOR.DTIMEU > GLOR.DTMAX) GLOR.DTIMEU = GLOR.DTMAX;
    else if (GLOR.DTIMEU < GLOR.DTMIN) GLOR.DTIMEU = GLOR.DTMIN;
  }
}

void S5STUP(GearState& g) {
  S5STAK(g);
  {
    // Outputs fall due when TIMEN reaches them, or comes within a
    // negligible part of the step just accepted (the same margin as the
    // end of the integration, so that the output at TIMEND is taken).
    LoopGuard guard("S5STUP");
    const double margin = kStepFraction * last_step(g);
    while (GLOR.TIMEN + margin >= g.tout) {
      guard.pass();
      S5OUTP(g);
    }
  }
  const double tabs = GLOR.TABS;
  for (int i = 1; i <= g.net.nt; ++i) {
    const double a = g.net.t(i) + tabs;
    if (a > g.slab(11, i)) g.slab(11, i) = a;
  }
  if (g.evalcount > g.k) {
    S5ORDR(g);
    g.evalcount = 0;
  } else {
    g.evalcount = g.evalcount + 1;
  }
  GLOR.TIMEO = GLOR.TIMEN;
  next_step_end(g, GLOR.TIMEND);
}

void s5_start(GearState& g) {
  const double tabs = GLOR.TABS;
  for (int i = 1; i <= g.net.nt; ++i) {
    g.slab(1, i) = g.net.t(i) + tabs;
    g.slab(11, i) = 1.0;
    for (int s = 2; s <= 8; ++s) g.slab(s, i) = 0.0;
  }
  g.k = 1;
  g.r = 1;
  g.hist = g.evalcount = g.converged = g.stop = 0;
  g.alpha = 0.0;
  for (double& c : g.c) c = 0.0;
}

void s5_passes(GearState& g, void (*corrector)(GearState&), std::string_view loop) {
  for (long long pass = 1;; ++pass) {
    S5PRED(g);
    corrector(g);
    S5CHCK(g);
    if (g.stop != 0 || at_end(g)) return;
    if (pass >= 2000000001LL) {
      report(named(g.name, ": Maximum number of timesteps exceeded"), 4, 1, loop);
      return;
    }
  }
}

void S5SLVE(GearState& g) {
  g.TH(1) = GLOR.TIMEO;
  for (int i = 2; i <= 8; ++i) g.TH(i) = 0.0;
  s5_start(g);
  s5_passes(g, S5CORR, "S5SLVE");
}

void s5_drive(std::string_view name, void (*loop)(GearState&)) {
  GearState g;
  g.name = name;
  g.net = th_network();
  for (double& th : g.th) th = 0.0;
  g.TH(1) = GLOR.TIMEO;

  TrfFrame f;
  const TrfRequired required[] = {{"NLOOP", 3}, {"RELXCA", 4}};
  // The frame checks the constants and takes the event list; the work space
  // is checked here: 13 NT words must fit from the real top, of which the
  // first 12 NT + 1 are held for the whole call.
  const bool solve = trf_open(f, name, false, required, {6, false}, 5, gar_dystor_record, 0, 0);
  const int top = FLAGS(FLAGS_NEXTDYNAMICCOREREAL);
  const std::int64_t dystor = FLAGS(FLAGS_DYSTOR);
  const std::int64_t need = static_cast<std::int64_t>(top) + 13LL * g.net.nt;
  if (need > dystor) {
    report(gar_worktext(name, need - dystor), 4, 5, name);
    f.solve = false;
    trf_close(f);
    return;
  }
  f.core.take_real(12LL * g.net.nt + 1);
  if (!solve) {
    trf_close(f);
    return;
  }
  g.lenw = dystor - top + 1;
  g.w = gar_dynamiccorereal.from(top, g.lenw);
  g.events = f.events;
  g.nev = f.nev;

  // The state at the start, shown with DTIMEU = CSGMIN.
  GLOR.TIMEN = GLOR.TIMEM = GLOR.TIMEO;
  trf_start_services();
  GLOR.DTIMEU = GLOR.CSGMIN;
  OUTPUT();

  // First output time. An output interval that does not advance the output
  // time leaves the output at TIMEND (and at events) only.
  g.tout0 = GLOR.OUTINT > 0.0 ? GLOR.TIMEO + GLOR.OUTINT : std::numeric_limits<double>::quiet_NaN();
  g.tout = std::isnan(g.tout0) ? GLOR.TIMEND : smaller(g.tout0, GLOR.TIMEND);
  LEVTIM(g.events, "OUTPUT", g.nev, GLOR.TIMEO, g.tout);

  // First step; an undefined DTIMEI counts as DTMAX.
  const double dtimei = (std::isnan(GLOR.DTIMEI) || SDUNDF(GLOR.DTIMEI)) ? GLOR.DTMAX : GLOR.DTIMEI;
  const double dt = smaller(dtimei, GLOR.DTMAX);
  GLOR.DTIMEU = GLOR.DTMIN > dt ? GLOR.DTMIN : dt;
  next_step_end(g, g.tout);

  loop(g);
  trf_close(f);
}

void SLGEAR() { s5_drive("SLGEAR", S5SLVE); }
