#include "fluid/implicit_updates.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "fluid/conductance_sums.h"
#include "fluid/fluid_constants.h"
#include "fluid/non_finite.h"
#include "fluid/temperature_history.h"
#include "fluid/thermal_entries.h"
#include "model/generated_program.h"

namespace {

inline double cube(double x) { return (x * x) * x; }

inline double heat(const FlNetwork& net, int i) { return fl_node_heat(net, i); }

inline bool solved(const FlNetwork& net, int i) { return net.tstat(i).c[0] == 'D'; }
inline bool diffusion(const FlNetwork& net, int i) { return solved(net, i) && std::fabs(net.cap(i)) >= kFlTiny; }
inline bool arithmetic(const FlNetwork& net, int i) { return solved(net, i) && std::fabs(net.cap(i)) < kFlTiny; }

inline bool held(char status) { return status == 'K' || status == 'R'; }

// Increment of an arithmetic node that lacks one kind of conductance (or
// both): true with d set, false when it has both.
bool one_sided_increment(double q, const FlSums& sums, double ta, double& d) {
  const auto [sg, sgt, sr, srt] = sums;
  const bool no_g = std::fabs(sg) < kFlTiny, no_r = std::fabs(sr) < kFlTiny;
  if (no_g && no_r) {
    d = std::fabs(q) > kFlTiny ? kFlNoConductorStep : 0.0;
  } else if (no_g) {
    d = std::sqrt(std::sqrt((q + srt) / sr)) - ta;
  } else if (no_r) {
    d = (sgt + q) / sg - ta;
  } else {
    return false;
  }
  return true;
}

// Word j of level `level` in a history table of levels of nf + 1 words.
inline std::int64_t history_word(int level, int nf, int j) {
  return static_cast<std::int64_t>(level - 1) * (nf + 1) + j;
}

// fl_arithmetic_step from the node's sums.
double arithmetic_step(const FlNetwork& net, int i, FlReals t, const FlSums& sums, const char* routine) {
  const auto [sg, sgt, sr, srt] = sums;
  const double ta = t(i) + net.tabs();
  const double q = heat(net, i);
  double d = 0.0;
  if (!one_sided_increment(q, sums, ta, d)) {
    const double r3 = sr * cube(ta);
    d = (((srt + sgt) + q) - ta * (sg + r3)) / (sg + 4.0 * r3);
  }
  t(i) += d;
  if (fl_temperature_out_of_range(t(i))) fl_temperature_fatal(i, routine);
  return d;
}

}  // namespace

void STSTAB(const FlNetwork& net, double dt, const FlStepArrays& s, FlThermalEntries& entries, double& csgmin,
            int& ncsgmn, int& status) {
  fl_thermal_entries_current(net, entries, "SRGSUM");
  csgmin = kFlHuge;
  LoopGuard guard("STSTAB");
  for (int i = 1; i <= net.nt; ++i) {
    guard.pass();
    if (!diffusion(net, i)) continue;
    double g = 0.0, gt = 0.0;
    fl_entry_linearised_sums(net, entries, i, s.told, s.tfold, g, gt);
    const double c = net.cap(i);
    s.fold(i) = gt - s.told(i) * g;
    s.tnew(i) = ((gt + heat(net, i)) + s.told(i) * c / dt) / (c / dt + g);
    if (std::fabs(g) >= kFlTiny && csgmin > c / g) {
      csgmin = c / g;
      ncsgmn = i;
    }
  }
  for (int i = 1; i <= net.nt; ++i) {
    guard.pass();
    if (arithmetic(net, i)) arithmetic_step(net, i, s.tnew, fl_entry_sums(net, entries, i, s.tnew, s.tfnew), "STSTAB");
  }
  status = 1;
}

double fl_arithmetic_step(const FlNetwork& net, int i, FlReals t, FlCReals tf, const char* routine) {
  return arithmetic_step(net, i, t, SFGSUM(net, 0, i, t, tf), routine);
}

void fl_temperature_fatal(int node, const char* routine) {
  fl_node_fatal("Temperature > 1.0D10 detected", node, 1, routine);
}

bool fl_temperature_out_of_range(double t) { return fl_not_finite(t) || t > kFlTempLimit; }

namespace {

// The increment of a node without capacitance: the one-sided increment, or
// Newton steps on f(u) = Q + SGT + SRT - u (SG + SR u^3). Out of line: the
// sweeps meet it rarely.
[[gnu::noinline]] double arithmetic_increment(double dampt, int nloopt, double relxca, const FlSums& sums,
                                              double tabs, double t, double q) {
  // Plain copies rather than a structured binding: the lambda below
  // captures them, which clang before 16 refuses for bindings.
  const double sg = sums.sg, sgt = sums.sgt, sr = sums.sr, srt = sums.srt;
  const double ta = t + tabs;
  double d = 0.0;
  if (one_sided_increment(q, sums, ta, d)) return d;
  auto step = [&](double u) {
    const double r3 = sr * cube(u);
    return (((q + sgt) + srt) - u * (sg + r3)) / (sg + 4.0 * r3);
  };
  double tp = t;
  if (MTDTST(1024)) {
    tp = t + dampt * step(ta);
  } else {
    int reps = 0;
    LoopGuard guard("S4TCLC");
    for (;;) {
      guard.pass();
      const double j = step(tp + tabs);
      tp += dampt * j;
      ++reps;
      // A value that is not a number fails the last test and ends the
      // iteration too.
      if (!(reps < nloopt && std::fabs(j) > kFlInnerNewtonFactor * relxca && tp <= kFlTempLimit)) break;
    }
  }
  return tp - t;
}

// S4TCLC, folded into the thermal sweep. kUndamped: DAMPT is 1, and T + d
// is T + DAMPT d bit for bit without the product on the path from one
// node's update to the next.
template <bool kUndamped = false>
[[gnu::always_inline]] inline double node_update(const FlNetwork& net, double dampt, double dt, int nloopt, int i,
                                                 double relxca, const FlSums& sums, const FlStepArrays& s,
                                                 double& relxcc, int& nrlxcc, double& change) {
  const auto [sg, sgt, sr, srt] = sums;
  const double tabs = net.tabs();
  const double t = s.tnew(i);
  const double ta = t + tabs;
  const double q = heat(net, i);
  double d;
  if (std::fabs(net.cap(i)) < kFlTiny) {
    d = arithmetic_increment(dampt, nloopt, relxca, sums, tabs, t, q);
  } else {
    const double w = net.cap(i) / dt;
    const double r = sr * cube(ta);
    d = (((0.5 * ((sgt + srt) + s.fold(i)) + q) + w * (s.told(i) + tabs)) - ta * (0.5 * (sg + r) + w)) /
        ((2.0 * r + w) + 0.5 * sg);
  }
  change = std::fabs(d);
  const double updated = kUndamped ? t + d : t + dampt * d;
  s.tnew(i) = updated;
  if (change > relxcc) {
    relxcc = change;
    nrlxcc = i;
  }
  if (fl_temperature_out_of_range(updated)) fl_temperature_fatal(i, "S4TCLC");
  return updated;
}

}  // namespace

void S4TCLC(const FlNetwork& net, double dampt, double dt, int nloopt, int i, double relxca, const FlSums& sums,
            const FlStepArrays& s, double& relxcc, int& nrlxcc, double& change) {
  node_update(net, dampt, dt, nloopt, i, relxca, sums, s, relxcc, nrlxcc, change);
}

namespace {

template <bool kUndamped>
void thermal_sweep(const FlNetwork& net, double dt, const FlStepArrays& s, const FlThermalEntries& entries,
                   FlInts marks, bool& outer, bool& inner) {
  const double dampt = GLOR.DAMPT, relxca = GLOR.RELXCA;
  const int nloopt = GLOI.NLOOPT, method = GLOI.METHOD;
  LoopGuard guard("SFBKTS");
  FlLastUpdate updated;
  for (int i = 1; i <= net.nt; ++i) {
    guard.pass();
    if (!solved(net, i) || marks(i) != 0) {
      marks(i) = 1;
      continue;
    }
    const FlSums sums = fl_entry_sums(net, entries, i, s.tnew, s.tfnew, updated);
    double change = 0.0;
    updated.t =
        node_update<kUndamped>(net, dampt, dt, nloopt, i, relxca, sums, s, GLOR.RELXCC, GLOI.NRLXCC, change);
    updated.node = i;
    if (change >= relxca) {
      inner = false;
      outer = false;
    } else if (method == 1) {
      marks(i) = 1;
    }
  }
}

}  // namespace

void SFBKTS(const FlNetwork& net, double dt, const FlStepArrays& s, FlThermalEntries& entries, FlInts marks,
            bool& outer, bool& inner) {
  fl_thermal_entries_current(net, entries, "SFGSUM");
  GLOR.RELXCC = 0.0;
  if (GLOR.DAMPT == 1.0) thermal_sweep<true>(net, dt, s, entries, marks, outer, inner);
  else thermal_sweep<false>(net, dt, s, entries, marks, outer, inner);
}

bool fl_lag_step(const FlNetwork& net, double dt, FlCReals told, FlCReals tfold, FlTimeLag& lag) {
  const int nf = net.nf, nlev = lag.nlev;
  const bool delay =
      GLOC.TIMELA == "YES" && nlev >= 1 && lag.table.size() >= static_cast<std::int64_t>(nlev) * (nf + 1);
  const bool start = std::fabs(lag.time) < kFlTiny;
  lag.pointer = start ? 1 : lag.pointer + 1;
  if (delay && start) GHIINI(net, told, tfold, nlev, lag.table);
  lag.time += dt;
  if (lag.pointer > nlev) lag.pointer = 1;
  return delay;
}

void SFSTAB(const FlNetwork& net, double dt, FlCReals rho, FlCReals cp, FlCReals vrate, FlTimeLag& lag,
            const FlStepArrays& s, double& minratio, int& minnode, int& status) {
  status = 1;
  const double tabs = net.tabs();
  const int nf = net.nf, nlev = lag.nlev;
  const bool delay = fl_lag_step(net, dt, s.told, s.tfold, lag);

  LoopGuard guard("SFSTAB");
  for (int i = 1; i <= nf; ++i) {
    guard.pass();
    const char st = net.fstat(i).c[0];
    if (held(st) || st == 'H') continue;
    double gf = 0.0, gtf = 0.0;
    FSFGSM(net, i, s.told, s.tfold, gf, gtf);
    if (std::fabs(gf) < kFlTiny) continue;
    const double to = s.tfold(i) + tabs;
    const double md = rho(i) * vrate(i);
    const double mass = (net.fla(i) * rho(i)) * net.fl(i);
    const double h = cp(i) * mass;
    if (!delay) {
      s.ffold(i) = (md * cp(i) - gf) * to + gtf;
      s.tfnew(i) = ((cp(i) * (mass - md * dt) / dt * to + gtf) + net.fq(i)) / ((h / dt + gf) - md * cp(i)) - tabs;
    } else {
      double mdot = 0.0;
      SGNODM(net, i, mdot);
      const double mix = gtf / gf;
      lag.table(history_word(lag.pointer, nf, i)) = mix;
      lag.table(history_word(lag.pointer, nf, nf + 1)) = lag.time - dt;
      lag.pointer = lag.pointer == nlev ? 1 : lag.pointer + 1;
      lag.table(history_word(lag.pointer, nf, i)) = mix;
      lag.table(history_word(lag.pointer, nf, nf + 1)) = lag.time;
      // No through-flow makes the delay infinite: the look-up then returns
      // the mixing temperature just recorded.
      const double residence = (rho(i) * net.fla(i)) * net.fl(i) / mdot;
      int found = 0;
      double tlag = 0.0;
      SGTDEL(lag.pointer, nlev, lag.time, nf, i, residence, found, tlag, lag.table);
      double gtp = gtf, w = h / dt;
      if (found < nlev) {
        gtp = tlag * gf;
        w = mdot * cp(i);
      }
      lag.pointer = lag.pointer == 1 ? nlev : lag.pointer - 1;
      s.ffold(i) = (md * cp(i) - gf) * to + gtp;
      s.tfnew(i) = ((gtp + net.fq(i)) + to * w) / ((w + gf) - md * cp(i)) - tabs;
    }
    // A storage term that cancels the conductance leaves no finite estimate.
    if (fl_not_finite(s.tfnew(i))) fl_temperature_fatal(net.global(i), "SFSTAB");
    if (h / gf <= minratio) {
      minratio = h / gf;
      minnode = net.global(i);
    }
  }
  for (int i = 1; i <= nf; ++i) {
    guard.pass();
    if (net.fstat(i).c[0] != 'H') continue;
    const auto [sg, sgt, sr, srt] = SFGSUM(net, 1, i, s.tnew, s.tfnew);
    if (std::fabs(sg) < kFlTiny && std::fabs(sr) < kFlTiny) continue;
    const double ta = s.tfnew(i) + tabs;
    const double r3 = sr * cube(ta);
    s.tfnew(i) += (((net.fq(i) + sgt) + srt) - ta * (sg + r3)) / (sg + 4.0 * r3);
    if (fl_not_finite(s.tfnew(i))) fl_temperature_fatal(net.global(i), "SFSTAB");
  }
}

void SFCALC(const FlNetwork& net, double dampt, FlCReals rho, double dt, FlCReals vrate, int i, FlCReals cp,
            const FlSums& sums, const FlStepArrays& s, double& frlxcc, int& nfrlxc, double& change) {
  const auto [sg, sgt, sr, srt] = sums;
  const double tabs = net.tabs();
  const double t = s.tfnew(i);
  const double ta = t + tabs;
  const double qf = net.fq(i);
  double v = 0.0;
  if (net.fstat(i).c[0] == 'H') {
    const double r3 = sr * cube(ta);
    v = (((qf + sgt) + srt) - ta * (sg + r3)) / (sg + 4.0 * r3);
  } else {
    const double md = rho(i) * vrate(i);
    const double mass = (net.fla(i) * rho(i)) * net.fl(i);
    const double c = cp(i);
    const double b = (qf + 0.5 * ((sgt + srt) + s.ffold(i))) + (s.tfold(i) + tabs) * c * (mass - md * dt) / dt;
    const double e = 2.0 * c * mass / dt;
    const double h = 0.5 * sg + c * mass / dt;
    v = (b - ((((sr * cube(ta)) + sg) + e) - md * c) * ta / 2.0) / (2.0 * sr * cube(ta) + h);
    if (sr > 0.0) {
      const double ta2 = ta + v;
      v += (b - (((e + sg) + sr * cube(ta2)) - md * c) * ta2 / 2.0) / (h + 2.0 * sr * cube(ta2));
    }
  }
  change = std::fabs(v);
  if (change > frlxcc) {
    frlxcc = change;
    nfrlxc = i;
  }
  s.tfnew(i) = t + dampt * v;
  if (fl_not_finite(s.tfnew(i))) fl_temperature_fatal(net.global(i), "SFCALC");
}

void SFBKFS(const FlNetwork& net, double dt, FlCReals rho, FlCReals cp, FlCReals vrate, FlCInts perm,
            const FlStepArrays& s, FlInts marks, bool& outer, bool& inner) {
  GLOR.FRLXCC = 0.0;
  const double dampt = GLOR.DAMPT, frlxca = GLOR.FRLXCA;
  const int method = GLOI.METHOD;
  LoopGuard guard("SFBKFS");
  for (int r = 1; r <= net.nf; ++r) {
    guard.pass();
    const int n = perm(r);
    if (marks(n) == 1 || held(net.fstat(n).c[0])) {
      marks(n) = 1;
      continue;
    }
    const FlSums sums = SFGSUM(net, 1, n, s.tnew, s.tfnew);
    if (std::fabs(sums.sg) < kFlTiny && std::fabs(sums.sr) < kFlTiny) continue;
    double change = 0.0;
    SFCALC(net, dampt, rho, dt, vrate, n, cp, sums, s, GLOR.FRLXCC, GLOI.NFRLXC, change);
    if (change >= frlxca) {
      inner = false;
      outer = false;
    } else if (method == 1) {
      marks(n) = 1;
    }
  }
}

// ---- The implicit step ---------------------------------------------------

void FLTNIM(const FlNetwork& net, double dt, const FlStepArrays& s, FlThermalEntries& entries, FlInts tmarks,
            FlInts fmarks, FlCInts perm, FlCReals rho, FlCReals cp, FlCReals vrate, FlCReals r2, FlTimeLag& lag,
            int& iterations, double& change) {
  const int nt = net.nt, nf = net.nf;
  iterations = 0;
  STSOLT("THERMAL");
  if (nt >= 1) {
    fl_copy(nt, net.t, s.told);
    fl_copy(nt, net.t, s.tnew);
    // The latent heat of condensation is a heat source during the step.
    for (int i = 1; i <= nt; ++i) net.qr(i) += r2(i);
  }
  if (nf >= 1) {
    fl_copy(nf, net.tf, s.tfold);
    fl_copy(nf, net.tf, s.tfnew);
  }
  int status = 0;
  if (nt >= 1) STSTAB(net, dt, s, entries, GLOR.CSGMIN, GLOI.NCSGMN, status);
  if (nf >= 1) SFSTAB(net, dt, rho, cp, vrate, lag, s, GLOR.CSGMIN, GLOI.NCSGMN, status);

  LoopGuard guard("FLTNIM");
  bool outer = false;
  do {
    outer = true;
    for (int i = 1; i <= nt; ++i) tmarks(i) = 0;
    for (int i = 1; i <= nf; ++i) fmarks(i) = 0;
    bool inner = false, stop = false;
    do {
      guard.pass();
      inner = true;
      ++iterations;
      V10001();
      if (nt >= 1) SFBKTS(net, dt, s, entries, tmarks, outer, inner);
      if (nf >= 1) SFBKFS(net, dt, rho, cp, vrate, perm, s, fmarks, outer, inner);
      stop = iterations >= GLOI.NLOOPT;
    } while (!inner && !stop);
    if (stop) break;
  } while (!outer && GLOI.METHOD != 0);

  if (nt >= 1) {
    for (int i = 1; i <= nt; ++i) net.qr(i) -= r2(i);
  }
  // The largest change in a local, stored once: the output reference would
  // put a store and a reload on the chain of every comparison.
  double largest = 0.0;
  for (int i = 1; i <= nt; ++i) {
    if (net.tstat(i).c[0] != 'D' || !(std::fabs(net.cap(i)) > kFlTiny)) continue;
    largest = std::max(largest, std::fabs(s.tnew(i) - s.told(i)));
  }
  for (int i = 1; i <= nf; ++i) {
    const char st = net.fstat(i).c[0];
    if (st != 'F' && st != 'J' && st != 'Q' && st != 'S') continue;
    largest = std::max(largest, std::fabs(s.tfnew(i) - s.tfold(i)));
  }
  change = largest;
  STSOLT("");
}

// ---- The steps of FLTMTS ---------------------------------------------------

namespace {

// The forward-Euler predictor over the thermal step: Fts := GTsum - Tss
// Gsum and Tte := Tss + (GTsum + Q - Gsum Tss) DTIMUT / C over the
// diffusion nodes, sums from FSTGSM at Tss and the sub-step's start fluid
// temperatures; CSGMIN := 1.0E38, then the smallest C / Gsum.
void FSTSTB(const FlNetwork& net, const FlSubstepArrays& a) {
  GLOR.CSGMIN = kFlHuge;
  const double dt = GLOR.DTIMUT;
  LoopGuard guard("FSTSTB");
  for (int i = 1; i <= net.nt; ++i) {
    guard.pass();
    if (net.tstat(i).c[0] != 'D' || std::fabs(net.cap(i)) < kFlTiny) continue;
    double g = 0.0, gt = 0.0;
    FSTGSM(net, i, a.tss, a.tfold, g, gt);
    const double c = net.cap(i);
    a.fts(i) = gt - a.tss(i) * g;
    a.tte(i) = a.tss(i) + ((gt + fl_node_heat(net, i)) - g * a.tss(i)) * dt / c;
    if (std::fabs(g) >= kFlTiny && GLOR.CSGMIN > c / g) {
      GLOR.CSGMIN = c / g;
      GLOI.NCSGMN = i;
    }
  }
}

}  // namespace

namespace {

// The Crank-Nicolson sweeps of the thermal step (S4TCLC over DTIMUT from
// Tss, Fts to Tte, the fluid at the sub-step's start) until RELXCC <=
// RELXCA or NLOOPT sweeps. Returns the sweeps.
int SFWBKT(const FlNetwork& net, const FlSubstepArrays& a) {
  STSOLT("THERMAL");
  const FlStepArrays s = a.thermal();
  int count = 0;
  LoopGuard guard("SFWBKT");
  do {
    guard.pass();
    GLOR.RELXCC = 0.0;
    ++count;
    V10001();
    for (int i = 1; i <= net.nt; ++i) {
      if (net.tstat(i).c[0] != 'D') continue;
      const FlSums sums = SFGSUM(net, 0, i, a.tte, a.tfold);
      double change = 0.0;
      S4TCLC(net, GLOR.DAMPT, GLOR.DTIMUT, GLOI.NLOOPT, i, GLOR.RELXCA, sums, s, GLOR.RELXCC, GLOI.NRLXCC, change);
    }
  } while (!(GLOR.RELXCA >= GLOR.RELXCC) && count < GLOI.NLOOPT);
  STSOLT("");
  return count;
}

}  // namespace

int FLTNMT(const FlNetwork& net, const FlSubstepArrays& a, FlCReals r2) {
  fl_copy(net.nt, net.t, a.tte);
  for (int i = 1; i <= net.nt; ++i) net.qr(i) += r2(i);
  FSTSTB(net, a);
  const int count = SFWBKT(net, a);
  for (int i = 1; i <= net.nt; ++i) net.qr(i) -= r2(i);
  return count;
}

namespace {

// The fluid sweeps of a sub-step: SFCALC in node order over the nodes not
// "K" or "R" that have a conductance, sums at Tse and the fluid iterates,
// until FRLXCC <= FRLXCA or the count (which the estimate started at 1)
// reaches NLOOPT.
void SFWBKF(const FlNetwork& net, const FlSubstepArrays& a, int& count) {
  STSOLT("THERMAL");
  const FlStepArrays s = a.fluid();
  const double dt = GLOR.DTIMEU;
  LoopGuard guard("SFWBKF");
  do {
    guard.pass();
    GLOR.FRLXCC = 0.0;
    ++count;
    V10001();
    for (int i = 1; i <= net.nf; ++i) {
      const char st = net.fstat(i).c[0];
      if (st == 'K' || st == 'R') continue;
      const FlSums sums = SFGSUM(net, 1, i, a.tse, a.tfnew);
      if (std::fabs(sums.sg) < kFlTiny && std::fabs(sums.sr) < kFlTiny) continue;
      double change = 0.0;
      SFCALC(net, GLOR.DAMPT, a.rho, dt, a.vrate, i, a.cp, sums, s, GLOR.FRLXCC, GLOI.NFRLXC, change);
    }
  } while (!(GLOR.FRLXCA >= GLOR.FRLXCC) && count < GLOI.NLOOPT);
  STSOLT("");
}

}  // namespace

void SNEWTF(const FlNetwork& net, FlSubstepArrays& a, int& count, double& change) {
  SFSTAB(net, GLOR.DTIMEU, a.rho, a.cp, a.vrate, a.lag, a.fluid(), GLOR.FCSGMN, GLOI.FNCSGM, count);
  SFWBKF(net, a, count);
  change = 0.0;
  for (int i = 1; i <= net.nf; ++i) {
    const char st = net.fstat(i).c[0];
    if (st == 'F' || st == 'J' || st == 'Q' || st == 'S')
      change = std::max(change, std::fabs(a.tfnew(i) - a.tfold(i)));
  }
}
