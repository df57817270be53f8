#include "thermal/explicit_forward.h"

#include <cmath>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "casedata/status_flag.h"
#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "model/generated_program.h"
#include "modeldata/entity_codes.h"
#include "modeldata/global_arrays.h"
#include "modeldata/submodel_refs.h"
#include "platform/process.h"
#include "platform/text.h"
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
void temperature_fatal(std::string_view text, int i, std::string_view routine) {
  plat::Text<170> msg(text);
  MESBLD(i, msg);
  SETERX(msg.view(), 4, 1, routine);
}

void build_masks(S7SlveWork& w) {
  const ThNetwork& n = w.net;
  SLOGST2(n.ngf, n.ngl, n.ngr, n.nt, n.gfacts, n.glacts, n.gracts, n.tstat, w.dnodemask, w.gfmask, w.glmask,
          w.grmask, w.dbnodemask);
  th_build_counting_list(n, w.gfmask, w.glmask, w.grmask, w.dbnodemask, w.counting);
}

}  // namespace

void S7DIFF(S7SlveWork& w, int& status) {
  status = 0;
  GLOR.CSGMIN = SRLMAX();
  const ThNetwork& n = w.net;
  const int nt = n.nt;
  const double dtimeu = GLOR.DTIMEU;
  for (int i = 1; i <= nt; ++i) {
    w.qsum(i) = (((n.qa(i) + n.qe(i)) + n.qi(i)) + n.qr(i)) + n.qs(i);
    const double c = n.cap(i);
    w.zcapmask(i) = std::fabs(c) < 1.0e-37 ? 1 : 0;
    if (w.dnodemask(i) != 1 || w.zcapmask(i) != 0) continue;
    double g = 0.0, gt = 0.0;
    S4GSUM(n, w.counting, i, w.tpass, g, gt);
    const double h = c / dtimeu;
    n.t(i) = ((h - g) * w.tpass(i) + w.qsum(i) + gt) / h;
    if (overheated(n.t(i))) {
      status = 1;
      temperature_fatal("SLFRWD: Temperature > 1.0E10 detected@", i, "S7DIFF");
      return;
    }
    if (std::fabs(g) >= 1.0e-37 && c / g < GLOR.CSGMIN) {
      GLOR.CSGMIN = c / g;
      GLOI.NCSGMN = i;
    }
  }
}

void S7ARTH(S7SlveWork& w, int& status) {
  status = 0;
  GLOR.RELXCC = 0.0;
  const ThNetwork& n = w.net;
  const int nt = n.nt;
  const double tabs = n.tabs();
  for (int i = 1; i <= nt; ++i) {
    if (w.dnodemask(i) != 1 || w.zcapmask(i) != 1) continue;
    double g = 0.0, gt = 0.0, r = 0.0, rt = 0.0;
    S1GSUM(n, w.counting, i, n.t, g, gt, r, rt);
    const double q = w.qsum(i);
    const double x = n.t(i) + tabs;
    const bool hasg = std::fabs(g) >= 1.0e-37, hasr = std::fabs(r) >= 1.0e-37;
    double d;
    if (hasg && !hasr) {
      d = (q + gt) / g - tabs - n.t(i);
    } else if (hasg && hasr) {
      const double s = r * (x * x * x);
      d = (q + gt + rt - x * (g + s)) / (g + 4.0 * s);
    } else if (!hasg && !hasr) {
      d = std::fabs(q) > 1.0e-37 ? 1.0e20 : 0.0;
    } else {
      d = std::sqrt(std::sqrt((q + rt) / r)) - tabs - n.t(i);
    }
    n.t(i) += d;
    if (overheated(n.t(i))) {
      status = 1;
      temperature_fatal("SLFRWD: Temperature > 1.0D10 detected@", i, "S7ARTH");
      return;
    }
    if (std::fabs(d) > GLOR.RELXCC) {
      GLOR.RELXCC = std::fabs(d);
      GLOI.NRLXCC = i;
    }
  }
}

void S7NEWT(S7SlveWork& w, int& status) {
  for (int i = 1; i <= w.net.nt; ++i) w.tpass(i) = w.net.t(i);
  S7DIFF(w, status);
  if (status > 0) return;
  GLOI.LOOPCT = 0;
  for (;;) {
    GLOI.LOOPCT += 1;
    S7ARTH(w, status);
    if (GLOI.LOOPCT >= GLOI.NLOOP || GLOR.RELXCC <= GLOR.RELXCA || status > 0) return;
  }
}

void S7TIME(S7SlveWork& w) {
  if (GLOR.RELXCC > GLOR.RELXCA) ++w.nexc;
  V20001();
  trf_after_accept(*w.frame);
  // A proposal that is not a number becomes DTMIN before the limits apply.
  trf_next_step(*w.frame, std::isnan(GLOR.DTIMEI) ? GLOR.DTMIN : GLOR.DTIMEI);
  GLOR.TIMEM = 0.5 * (GLOR.TIMEO + GLOR.TIMEN);
}

void S7SLVE(S7SlveWork& w, int& status) {
  status = 0;
  w.steps = w.nexc = 0;
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
    ++w.steps;
    if (stat_getstatst() != 0) {
      build_masks(w);
      stat_setstatst(0);
    }
    S7NEWT(w, status);
    GLOR.DTIMEI = 0.95 * GLOR.CSGMIN;
    S7TIME(w);
    if (GLOR.TIMEO >= GLOR.TIMEND || status > 0) break;
  }

  if (status == 0 && w.nexc > 0) {
    trf_end_warning("SLFRWD", "RELXCA", w.nexc, w.steps, 2, "S7SLVE");
    status = static_cast<double>(w.nexc) / static_cast<double>(w.steps) < 0.1 ? 2 : 3;
  }
  w.zcapmask = ThInts();
  w.dnodemask = ThInts();
  w.qsum = ThReals();
  w.counting = ThCountingList();
}

void SLFRWD() {
  const ThNetwork net = th_network();
  const int nt = net.nt;

  GLOC.MODULE = "SLFRWD";
  // Without NLOOP the step makes one relaxation pass and nothing counts as
  // unconverged.
  if (SLUNDF(GLOI.NLOOP)) {
    GLOI.NLOOP = 1;
    GLOR.RELXCA = 1.0e10;
  }

  TrfFrame f;
  // Real block from rtop + 1: tpass; integer blocks from u + 1 (u = the top
  // above the event list): the conductor masks and dbnodemask.
  const std::int64_t nreal = static_cast<std::int64_t>(nt) + 2;
  const std::int64_t nint = static_cast<std::int64_t>(nt) + net.ngf1 + net.ngl1 + net.ngr1;
  if (!trf_open(f, "SLFRWD", false, {}, {4, false}, 3, gar_dystor_record, nreal, nint)) {
    trf_close(f);
    return;
  }
  const int rtop = f.core.real_top();
  const int u = f.core.int_top() + f.nev;
  FLAGS(FLAGS_NEXTDYNAMICCOREREAL) = rtop + nt + 1;
  FLAGS(FLAGS_NEXTDYNAMICCOREINT) = static_cast<int>(u + nint + 1);

  S7SlveWork w;
  th_bind_step_work(w, f, net, u);
  w.tpass = gar_dynamiccorereal.from(rtop + 1, nt);

  // The first step is the stability limit at the start temperatures.
  GLOR.TIMEN = GLOR.TIMEO;
  GLOR.TIMEM = GLOR.TIMEO;
  trf_start_services();
  GLOR.DTIMEU = 0.95 * GLOR.CSGMIN;
  GLOR.DTIMEI = GLOR.DTIMEU;
  trf_outputs_at_start();
  trf_first_output_time(f);
  trf_first_step(f);
  GLOR.TIMEM = 0.5 * (GLOR.TIMEO + GLOR.TIMEN);

  int status = 0;
  S7SLVE(w, status);
  trf_close(f);
}
