#include "thermal/crank_nicolson.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "casedata/status_flag.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "model/generated_program.h"
#include "modeldata/global_arrays.h"
#include "modeldata/submodel_refs.h"
#include "platform/process.h"
#include "thermal/cn_kernels.h"
#include "thermal/fwbk_kernels.h"
#include "thermal/scratch.h"
#include "thermal/solver_masks.h"
#include "thermal/transient_frame.h"

namespace {

// n words of a dynamic-core stack from word first (empty when n is 0).
template <class T>
plat::Vec1<T> core_block(plat::Array1<T>& core, int first, std::int64_t n) {
  if (n <= 0) return plat::Vec1<T>();
  return core.from(first, n);
}

void fatal_temperature(int node, const char* routine) {
  std::string msg = "SLCRNC: Temperature > 1.0D10 detected";
  msg.resize(255, ' ');
  MESBLD(node, plat::TextRef(msg));
  SETERX(msg, 4, 1, routine);
}

// The masks from the letters, and the counting list that follows them.
void build_masks(S9SlveWork& w) {
  const ThNetwork& n = w.net;
  SLOGST2(n.ngf, n.ngl, n.ngr, n.nt, n.gfacts, n.glacts, n.gracts, n.tstat, w.dnodemask, w.gfmask, w.glmask,
          w.grmask, w.dbnodemask);
  th_build_counting_list(n, w.gfmask, w.glmask, w.grmask, w.dbnodemask, w.counting);
}

// The sources of every node after VARIABLES1, and the powers of the
// boundary nodes (the user may have changed their temperatures).
void sources_and_boundary_powers(S9SlveWork& w) {
  const ThNetwork& n = w.net;
  const double tabs = n.tabs();
  {
    // Plain arrays, so that the sum of the five sources runs in one
    // straight loop.
    double* q = &w.qsum(1);
    const double *qa = &n.qa(1), *qe = &n.qe(1), *qi = &n.qi(1), *qr = &n.qr(1), *qs = &n.qs(1);
    for (int k = 0; k < n.nt; ++k) q[k] = (((qa[k] + qe[k]) + qi[k]) + qr[k]) + qs[k];
  }
  for (int i = 1; i <= n.nt; ++i)
    if (n.tstat(i).c[0] == 'B') cn_set_powers(i, n.t, tabs, w.tabs3, w.tabs4);
}

void all_powers(S9SlveWork& w) {
  const double tabs = w.net.tabs();
  for (int i = 1; i <= w.net.nt; ++i) cn_set_powers(i, w.net.t, tabs, w.tabs3, w.tabs4);
}

void balance_arithmetic(S9SlveWork& w) {
  S9ARTH(w.net, w.counting, w.arithnodes.from(1, w.narith), w.dnodemask, GLOR.DAMPT, GLOR.DTIMEU, GLOI.NLOOP, w.qsum,
         GLOR.RELXCA, w.tstepold, GLOI.NRLXCC, GLOR.RELXCC, w.tabs3, w.tabs4, w.ratestepold, w.asnap1, w.asnap2,
         w.archange, w.tarith0);
}

// A capacitive node: solved and not arithmetic.
inline bool capacitive(const S9SlveWork& w, int i) { return w.dnodemask(i) == 1 && w.arithmask(i) == 0; }

}  // namespace

void S9LOP1(S9SlveWork& w) {
  GLOR.CSGMIN = 1.0e38;
  // The counting list follows the masks already.
  if (stat_getstatst() != 0) stat_setstatst(0);
  const ThNetwork& n = w.net;
  for (int i = 1; i <= n.nt; ++i) w.tstepold(i) = n.t(i);
  const double dt = GLOR.DTIMEU, limit = GLOR.ARITH * GLOR.DTIMEU;
  const double tabs = n.tabs();
  w.narith = w.nother = 0;
  // One loop: the sums read the step-start copies only, so that the
  // estimates written for the nodes before i leave node i's sums as they
  // are.
  for (int i = 1; i <= n.nt; ++i) {
    const double c = n.cap(i);
    // A node without capacitance has the time constant 0 and is arithmetic
    // unless the limit is negative: its sums are needed only then.
    double g = 0.0, gt = 0.0;
    if (!(std::fabs(c) < 1e-37) || !(0.0 <= limit)) S4GSUM(n, w.counting, i, w.tstepold, g, gt);
    w.qsum(i) = (((n.qa(i) + n.qe(i)) + n.qi(i)) + n.qr(i)) + n.qs(i);
    double tau;
    if (std::fabs(c) < 1e-37) tau = 0.0;
    else if (std::fabs(g) < 1e-37) tau = 1.0e38;
    else tau = c / g;
    w.ctau(i) = tau;
    if (tau != 0.0 && tau != 1.0e38 && tau < GLOR.CSGMIN) {
      GLOR.CSGMIN = tau;
      GLOI.NCSGMN = i;
    }
    w.arithmask(i) = tau <= limit ? 1 : 0;
    if (w.arithmask(i) == 1) w.arithnodes(++w.narith) = i;
    else w.othernodes(++w.nother) = i;
    if (capacitive(w, i)) {
      const double told = n.t(i);
      const double q = w.qsum(i);
      const double est = (c / dt * told + q + gt) / (c / dt + g);
      n.t(i) = est;
      w.ratestepold(i) = (q + gt - g * told) / c;
      if (est > 1.0e10 || !std::isfinite(est)) {
        fatal_temperature(i, "S9Lop1");
        return;
      }
    } else {
      w.ratestepold(i) = 0.0;
    }
    cn_set_powers(i, n.t, tabs, w.tabs3, w.tabs4);
  }
  balance_arithmetic(w);
}

void S9NEWT(S9SlveWork& w) {
  const ThNetwork& n = w.net;
  int seen = 0, overflow = 0, hot = 0;
  for (int j = 1;; ++j) {
    GLOI.LOOPCT += 1;
    if (j <= 2 || MTDTST(2)) {
      V10001();
      if (stat_getstatst() != 0) {
        build_masks(w);
        stat_setstatst(0);
        seen = 1;
      }
      sources_and_boundary_powers(w);
    }
    GLOR.RELXCC = 0.0;
    GLOR.DTROCC = 0.0;
    cn_newton_sweep(n, w.counting, w.othernodes.from(1, w.nother), w.dnodemask, GLOR.DAMPT, GLOR.DTIMEU, w.qsum,
                    w.tstepold, w.ratestepold, overflow, hot, GLOR.DTROCC, GLOI.NDTROC, GLOI.NRLXCC, GLOR.RELXCC,
                    w.tabs3, w.tabs4);
    balance_arithmetic(w);
    // An overflow ends the run after the pass that found it (the balance of
    // the arithmetic nodes belongs to the pass).
    if (overflow != 0) break;
    if (GLOR.RELXCC <= GLOR.RELXCA) break;
    if (GLOI.LOOPCT >= GLOI.NLOOP) {
      SETERX(trf_padded("SLCRNC: Solution failed to converge@NLOOP exceeded", 255), 3, 2, "S9NewT");
      break;
    }
    if (GLOR.RELXCC < 10.0 * GLOR.RELXCA && GLOR.DTROCC > GLOR.DTROCA) break;
    S9EXTR(4, 1, j, n.nt, GLOR.RELXCA, w.xsnap1, w.xsnap2, n.t);
    if (j % 4 == 0) all_powers(w);  // the extrapolated temperatures' powers
  }
  if (overflow != 0) {
    fatal_temperature(hot, "S9NewT");
    return;
  }
  stat_setstatst(seen);
}

bool S9TIME(S9SlveWork& w) {
  const double relxcc = GLOR.RELXCC, relxca = GLOR.RELXCA;
  const double dtu = GLOR.DTIMEU, dtmin = GLOR.DTMIN, dtpmax = GLOR.DTPMAX, dtroca = GLOR.DTROCA;
  const double dtrocc = GLOR.DTROCC, maxdt = w.maxdt;

  bool reject = false;
  if (maxdt > dtpmax) {
    if (dtu > 1.0001 * dtmin) reject = true;
    else ++w.ndtp;
  }
  if (!reject && dtrocc > dtroca) {
    if (dtu > 1.0001 * dtmin) reject = true;
    else ++w.ndtr;
  }

  constexpr double kTinyF = static_cast<double>(1.0e-37f);
  // No capacitive node (maxdt keeps its most negative start value): no
  // node limits the step, and an active DTPMAX proposes DTMAX, which the
  // next step end cuts at the output time, an event or TIMEND. (The ratio
  // with that start value would be a negative step.)
  const bool no_capacitive_node = maxdt < 0.0;
  double hp = 1.0e10;
  if (!(std::fabs(maxdt) < kTinyF || dtpmax >= 1.0e10))
    hp = no_capacitive_node ? GLOR.DTMAX : 0.95 * dtu * dtpmax / maxdt;
  const double hr =
      (std::fabs(dtrocc) < kTinyF || dtroca >= 1.0e10) ? 1.0e10 : 0.9 * dtu * std::sqrt(dtroca / dtrocc);
  double h = hr < hp ? hr : hp;

  if (reject) {
    h = trf_limit_step(h);
    // A retry of the same length from the same start would be rejected
    // again for ever (an inactive or negative limit that is exceeded
    // proposes DTMAX): the run ends there.
    if (h == dtu) ERROR("SLCRNC");
    const double r = h / dtu;
    GLOR.DTIMEU = h;
    GLOR.TIMEN = GLOR.TIMEO + h;
    const ThNetwork& n = w.net;
    for (int i = 1; i <= n.nt; ++i) n.t(i) = r * n.t(i) + (1.0 - r) * w.tstepold(i);
    // The retry starts from these temperatures: their powers follow them.
    all_powers(w);
    return true;
  }

  // The frame (output times, events) is needed only by an accepted step.
  TrfFrame& f = *w.frame;
  V20001();
  trf_after_accept(f);
  if (h >= 1.0e10) h = GLOR.DTIMEI;
  trf_next_step(f, h);
  if (relxcc > relxca) ++w.nrel;
  return false;
}

void S9SLVE(S9SlveWork& w) {
  const ThNetwork& n = w.net;
  const int nt = n.nt;
  std::vector<std::int32_t> dmask, amask, arithnodes, othernodes;
  std::vector<double> qsum, tabs3, tabs4;
  ThCountingStore counting;
  w.dnodemask = th_take_scratch(dmask, nt);
  w.arithmask = th_take_scratch(amask, nt);
  w.qsum = th_take_scratch(qsum, nt);
  w.tabs3 = th_take_scratch(tabs3, nt);
  w.tabs4 = th_take_scratch(tabs4, nt);
  w.counting = th_counting_list(n, counting);
  w.arithnodes = th_take_scratch(arithnodes, nt);
  w.othernodes = th_take_scratch(othernodes, nt);
  w.narith = w.nother = 0;

  bool masks_built = false;
  if (stat_getstatst() == 0) {
    build_masks(w);
    masks_built = true;
  }
  w.steps = w.nrel = w.ndtp = w.ndtr = 0;

  while (GLOR.TIMEO < GLOR.TIMEND) {
    ++w.steps;
    GLOI.LOOPCT = 0;
    GLOR.TIMEM = GLOR.TIMEO;
    V10001();
    if (stat_getstatst() != 0 || !masks_built) {
      build_masks(w);
      // S9LOP1 clears the flag it sees.
      if (stat_getstatst() == 0) stat_setstatst(1);
      masks_built = true;
    }
    S9LOP1(w);
    for (;;) {
      GLOR.TIMEM = GLOR.TIMEN;
      S9NEWT(w);
      const double limit = GLOR.ARITH * GLOR.DTIMEU;
      double maxdt = -std::numeric_limits<double>::max();
      for (int i = 1; i <= nt; ++i) {
        if (w.dnodemask(i) != 1 || !(w.ctau(i) > limit)) continue;
        const double d = std::fabs(w.tstepold(i) - n.t(i));
        if (d > maxdt) maxdt = d;
      }
      w.maxdt = maxdt;
      if (!S9TIME(w)) break;
    }
  }

  trf_end_warning("SLCRNC", "RELXCA", w.nrel, w.steps, 3, "S9Slve");
  trf_end_warning("SLCRNC", "DTPMAX", w.ndtp, w.steps, 5, "S9Slve");
  trf_end_warning("SLCRNC", "DTROCA", w.ndtr, w.steps, 7, "S9Slve");
}

void SLCRNC() {
  const ThNetwork net = th_network();
  const int nt = net.nt, ngl = net.ngl, ngf = net.ngf, ngr = net.ngr;

  TrfFrame f;
  static constexpr TrfRequired kRequired[] = {{"NLOOP", 3}, {"DTIMEI", 4}, {"RELXCA", 5}};
  const std::int64_t nint = static_cast<std::int64_t>(nt) + ngf + ngl + ngr;
  if (!trf_open(f, "SLCRNC", true, kRequired, {7}, 6, gar_dystor_line, 9LL * nt, nint)) {
    trf_close(f);
    return;
  }

  S9SlveWork w;
  w.frame = &f;
  w.net = net;

  ThReals* real_blocks[] = {&w.tstepold, &w.ratestepold, &w.xsnap1, &w.xsnap2, &w.tarith0,
                            &w.archange, &w.ctau,        &w.asnap1, &w.asnap2};
  int next = f.real_first;
  for (ThReals* b : real_blocks) {
    *b = core_block(gar_dynamiccorereal, next, nt);
    next += nt;
  }
  next = f.int_first;
  w.gfmask = core_block(gar_dynamiccoreint, next, ngf);
  next += ngf;
  w.glmask = core_block(gar_dynamiccoreint, next, ngl);
  next += ngl;
  w.grmask = core_block(gar_dynamiccoreint, next, ngr);
  next += ngr;
  w.dbnodemask = core_block(gar_dynamiccoreint, next, nt);

  trf_first_output_time(f);
  trf_first_step(f);
  GLOR.TIMEM = GLOR.TIMEO;
  trf_start_services();
  trf_outputs_at_start();

  S9SLVE(w);
  trf_close(f);
}
