#include "thermal/forward_backward.h"

#include <cmath>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "casedata/status_flag.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "model/generated_program.h"
#include "modeldata/entity_codes.h"
#include "modeldata/global_arrays.h"
#include "modeldata/submodel_refs.h"
#include "platform/process.h"
#include "platform/text.h"
#include "thermal/cn_kernels.h"
#include "thermal/fwbk_kernels.h"
#include "thermal/scratch.h"
#include "thermal/solver_masks.h"
#include "thermal/step_work_binding.h"
#include "thermal/transient_frame.h"

namespace {

// A temperature above 1.0E10, or one that is not a finite number, ends the
// run: a NaN would otherwise pass every later comparison silently.
inline bool overheated(double t) { return !(t <= 1.0e10) || !std::isfinite(t); }

// "<text>" followed by the identity of node i, in the 170-character field.
void temperature_fatal(std::string_view text, int i, int code, std::string_view routine) {
  plat::Text<170> msg(text);
  MESBLD(i, msg);
  SETERX(msg.view(), 4, code, routine);
}

void build_masks(S4SlveWork& w) {
  const ThNetwork& n = w.net;
  SLOGST2(n.ngf, n.ngl, n.ngr, n.nt, n.gfacts, n.glacts, n.gracts, n.tstat, w.dnodemask, w.gfmask, w.glmask,
          w.grmask, w.dbnodemask);
  th_build_counting_list(n, w.gfmask, w.glmask, w.grmask, w.dbnodemask, w.counting);
}

// A proposed step that is not a number (0 / 0 after a step without change
// and a zero DTPMAX) becomes DTMIN before the limits apply.
inline double proposed(double dt) { return std::isnan(dt) ? GLOR.DTMIN : dt; }

// The quotient of a condition count over the step attempts: below 10 % it
// takes the lower code.
int warning_code(int count, int steps, int code_low) {
  return static_cast<double>(count) / static_cast<double>(steps) < 0.1 ? code_low : code_low + 1;
}

}  // namespace

void S4LOP1(S4SlveWork& w, int& status) {
  GLOI.LOOPCT = 1;
  GLOR.CSGMIN = SRLMAX();
  status = 0;
  const ThNetwork& n = w.net;
  const int nt = n.nt;
  for (int i = 1; i <= nt; ++i) w.tstepold(i) = n.t(i);

  const double dtimeu = GLOR.DTIMEU, tabs = n.tabs();
  for (int i = 1; i <= nt; ++i) {
    w.qsum(i) = (((n.qa(i) + n.qe(i)) + n.qi(i)) + n.qr(i)) + n.qs(i);
    const double c = n.cap(i);
    w.zcapmask(i) = std::fabs(c) < 1.0e-37 ? 1 : 0;
    if (w.dnodemask(i) != 1 || w.zcapmask(i) != 0) continue;
    double g = 0.0, gt = 0.0;
    S4GSUM(n, w.counting, i, w.tstepold, g, gt);
    w.fstepold(i) = gt - g * w.tstepold(i);
    const double h = c / dtimeu;
    n.t(i) = (gt + h * w.tstepold(i) + w.qsum(i)) / (h + g);
    if (overheated(n.t(i))) {
      status = 1;
      temperature_fatal("SLFWBK: Temperature > 1.0D10 detected@", i, 1, "S4LOP1");
      return;
    }
    if (std::fabs(g) >= 1.0e-37 && c / g < GLOR.CSGMIN) {
      GLOR.CSGMIN = c / g;
      GLOI.NCSGMN = i;
    }
  }

  const bool one_step = MTDTST(1024);
  for (int i = 1; i <= nt; ++i) {
    if (w.dnodemask(i) != 1 || w.zcapmask(i) != 1) continue;
    double g = 0.0, gt = 0.0, r = 0.0, rt = 0.0;
    S1GSUM(n, w.counting, i, n.t, g, gt, r, rt);
    const double q = w.qsum(i);
    const double big = q + gt + rt;
    const bool nog = std::fabs(g) < 1.0e-37, nor = std::fabs(r) < 1.0e-37;
    if (nog && nor) {
      if (std::fabs(q) > 1.0e-37) n.t(i) = 1.0e20;
    } else if (nog) {
      n.t(i) = std::sqrt(std::sqrt((q + rt) / r)) - tabs;
    } else if (nor) {
      n.t(i) = (q + gt) / g - tabs;
    } else {
      // Newton steps on G x + R x^4 = X with the neighbours held:
      // T + DAMPT (X - x (S + G)) / (G + 4 S), the damping factor taken
      // into the numerator; d is the correction before damping.
      const double dampt = GLOR.DAMPT;
      for (int k = 1;; ++k) {
        const double x = n.t(i) + tabs;
        const double s = r * (x * x * x);
        const double num = big - x * (s + g), den = g + 4.0 * s;
        const double d = num / den;
        n.t(i) += dampt * num / den;
        if (one_step || k >= GLOI.NLOOP || std::fabs(d) <= 100.0 * GLOR.RELXCA || overheated(n.t(i))) break;
      }
    }
    if (overheated(n.t(i))) {
      status = 2;
      temperature_fatal("SLFWBK: Temperature > 1.0D10 detected@", i, 2, "S4LOP1");
      return;
    }
  }
}

void S4NEWT(S4SlveWork& w, int& status) {
  status = 0;
  w.k = 0;
  const ThNetwork& n = w.net;
  const int nt = n.nt;
  const ThCReals core = gar_dynamiccorereal.view();
  for (;;) {
    ++w.k;
    GLOI.LOOPCT += 1;
    GLOR.RELXCC = 0.0;
    const double dampt = GLOR.DAMPT, dtimeu = GLOR.DTIMEU;
    const double relxca = GLOR.RELXCA;
    const int nloop = GLOI.NLOOP;
    s4_newton_pass(n, w.counting, w.dnodemask, dampt, dtimeu, w.zcapmask, nloop, w.qsum, w.fstepold_at,
                   w.tstepold_at, relxca, core, GLOR.RELXCC, GLOI.NRLXCC);
    if (GLOR.RELXCC <= GLOR.RELXCA) return;
    if (GLOI.LOOPCT >= GLOI.NLOOP) {
      SETERX(trf_padded("SLFWBK: Solution failed to converge for this time step@NLOOP count exceeded", 170), 3, 2,
             "S4NEWT");
      return;
    }
    S9EXTR(4, 1, w.k, nt, GLOR.RELXCA, w.xsnap1, w.xsnap2, n.t);
  }
}

void S4TIME(S4SlveWork& w, double dmax) {
  if (dmax > GLOR.DTPMAX) {
    if (GLOR.DTIMEU <= 1.0001 * GLOR.DTMIN) {
      ++w.ndtp;
    } else {
      // Rejected: the same start again with a shorter step.
      const double dt = GLOR.DTPMAX < 1.0e9 ? 0.95 * GLOR.DTIMEU * GLOR.DTPMAX / dmax : GLOR.DTIMEI;
      GLOR.DTIMEU = trf_limit_step(proposed(dt));
      GLOR.TIMEN = GLOR.TIMEO + GLOR.DTIMEU;
      GLOR.TIMEM = (GLOR.DTIMEU + 2.0 * GLOR.TIMEO) * 0.5;
      for (int i = 1; i <= w.net.nt; ++i) w.net.t(i) = w.tstepold(i);
      return;
    }
  }
  V20001();
  trf_after_accept(*w.frame);
  const double dt = GLOR.DTPMAX < 1.0e9 ? GLOR.DTPMAX * (0.95 * GLOR.DTIMEU) / dmax : GLOR.DTIMEI;
  trf_next_step(*w.frame, proposed(dt));
  GLOR.TIMEM = 0.5 * (GLOR.TIMEO + GLOR.TIMEN);
  if (GLOR.RELXCC > GLOR.RELXCA) ++w.nrel;
}

void S4SLVE(S4SlveWork& w, int& status) {
  GLOI.LOOPCT = 1;
  status = 0;
  w.attempts = w.nrel = w.ndtp = 0;
  std::vector<std::int32_t> zcap, dmask;
  std::vector<double> qsum;
  ThCountingStore counting;
  w.zcapmask = th_take_scratch(zcap, w.net.nt);
  w.dnodemask = th_take_scratch(dmask, w.net.nt);
  w.qsum = th_take_scratch(qsum, w.net.nt);
  w.counting = th_counting_list(w.net, counting);
  if (stat_getstatst() == 0) build_masks(w);

  for (;;) {
    V10001();
    if (stat_getstatst() != 0) {
      build_masks(w);
      stat_setstatst(0);
    }
    S4LOP1(w, status);
    if (status > 0) break;
    S4NEWT(w, status);
    if (status > 0) break;

    double dmax = 0.0;
    for (int i = 1; i <= w.net.nt; ++i) {
      if (w.dnodemask(i) != 1 || w.zcapmask(i) != 0) continue;
      const double d = std::fabs(w.net.t(i) - w.tstepold(i));
      if (d > dmax) dmax = d;
    }
    S4TIME(w, dmax);
    ++w.attempts;
    if (GLOR.TIMEO >= GLOR.TIMEND) break;
  }

  if (status == 0) {
    if (w.nrel > 0) {
      trf_end_warning("SLFWBK", "RELXCA", w.nrel, w.attempts, 2, "S4SLVE");
      status = warning_code(w.nrel, w.attempts, 2);
    }
    if (w.ndtp > 0) {
      trf_end_warning("SLFWBK", "DTPMAX", w.ndtp, w.attempts, 4, "S4SLVE");
      status = warning_code(w.ndtp, w.attempts, 4);
    }
  }
  w.zcapmask = ThInts();
  w.dnodemask = ThInts();
  w.qsum = ThReals();
  w.counting = ThCountingList();
}

void SLFWBK() {
  const ThNetwork net = th_network();
  const int nt = net.nt;

  TrfFrame f;
  const TrfRequired required[] = {{"NLOOP", 3}, {"DTIMEI", 4}, {"RELXCA", 5}};
  // Real blocks from rtop + 1: tstepold, fstepold and the two snapshots;
  // integer blocks from u + 1 (u = the top above the event list): the
  // conductor masks and dbnodemask.
  const std::int64_t nreal = 4LL * nt + 1;
  const std::int64_t nint = static_cast<std::int64_t>(nt) + net.ngf1 + net.ngl1 + net.ngr1;
  if (!trf_open(f, "SLFWBK", false, required, {7}, 6, gar_dystor_record, nreal, nint)) {
    trf_close(f);
    return;
  }
  const int rtop = f.core.real_top();
  const int u = f.core.int_top() + f.nev;
  FLAGS(FLAGS_NEXTDYNAMICCOREREAL) = rtop + 4 * nt + 2;
  FLAGS(FLAGS_NEXTDYNAMICCOREINT) = static_cast<int>(u + nint + 2);

  S4SlveWork w;
  th_bind_step_work(w, f, net, u);

  w.tstepold_at = rtop + 1;
  w.fstepold_at = rtop + nt + 1;
  w.tstepold = gar_dynamiccorereal.from(w.tstepold_at, nt);
  w.fstepold = gar_dynamiccorereal.from(w.fstepold_at, nt);
  w.xsnap1 = gar_dynamiccorereal.from(rtop + 2 * nt + 1, nt);
  w.xsnap2 = gar_dynamiccorereal.from(rtop + 3 * nt + 1, nt);

  // First output time and first step; VARIABLES1 sees the middle of it.
  trf_first_output_time(f);
  trf_first_step(f);
  GLOR.TIMEM = 0.5 * (GLOR.TIMEO + GLOR.TIMEN);
  trf_start_services();
  trf_outputs_at_start();

  int status = 0;
  S4SLVE(w, status);
  trf_close(f);
}
