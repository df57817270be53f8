#include "fluid/flt_frame.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "fluid/continuity.h"
#include "fluid/explicit_step.h"
#include "fluid/fluid_constants.h"
#include "fluid/fluid_services.h"
#include "fluid/humid_air.h"
#include "fluid/link_conductances.h"
#include "fluid/node_properties.h"
#include "fluid/ordering.h"
#include "fluid/required_constants.h"
#include "fluid/stability_limits.h"
#include "model/generated_program.h"
#include "modeldata/event_arrays.h"
#include "modeldata/node_copies.h"

namespace {

bool cyclic_run() { return GLOC.SOLVER.view().substr(0, 2) == "CY"; }

// The thermal temperatures of an FLTMTS sub-step: Tss := T; Tse := T for
// nodes without capacity or not "D", else T + (TIMEN - TIMEO) / (TIMENT -
// TIMEO) (Tte - T), on the line from now to the end of the thermal step.
void SETTMP(const FlNetwork& net, const FlSubstepArrays& a) {
  const double share = (GLOR.TIMEN - GLOR.TIMEO) / (GLOR.TIMENT - GLOR.TIMEO);
  LoopGuard guard("SETTMP");
  for (int i = 1; i <= net.nt; ++i) {
    guard.pass();
    const double t = net.t(i);
    a.tss(i) = t;
    if (std::fabs(net.cap(i)) < kFlTiny || net.tstat(i).c[0] != 'D') {
      a.tse(i) = t;
    } else {
      a.tse(i) = t + share * (a.tte(i) - t);
    }
  }
}

// The work-space shortage of a driver.
void report_shortage(const FltFrame& f, std::int64_t shortfall, int code) {
  flt_report(f, gar_worktext(f.routine, shortfall, gar_dystor_record), 4, code);
}

}  // namespace

// ---- Frame ---------------------------------------------------------------

void flt_begin(FltFrame& f, std::string_view routine) {
  f.routine = std::string(routine);
  f.clock.routine = f.routine;
  GLOC.MODULE = f.routine;
  if (!cyclic_run()) GLOC.SOLVER = "TRFL1P";
  if (GLOI.NLOOPH == 0) GLOI.NLOOPH = GLOI.NLOOP;
  if (GLOI.NLOOPT == 0) GLOI.NLOOPT = GLOI.NLOOP;
  GLOI.SUMFLL = 0;
  GLOI.SUMTHL = 0;

  f.net = fl_network();
  const FlNetwork& n = f.net;
  if (GLOC.TIMELA.view().substr(0, 3) == "YES") {
    f.nlev = kFlHistoryLevels;
    f.tl = static_cast<std::int64_t>(kFlHistoryLevels) * (n.nf + 1);
  } else {
    f.nlev = 1;
    f.tl = 0;
  }
  f.present = std::string(1, n.nt >= 1 ? 'Y' : 'N') + (n.nf >= 1 ? 'Y' : 'N');
  f.humid = n.nf >= 1 && FTAIRW(n.ftypes, n.nf);
  fl_phase_watch_start(f.phases, f.routine, n);
  f.itop = f.core.int_top();
  f.rtop = f.core.real_top();
}

void flt_report(const FltFrame& f, std::string_view text, int severity, int code) {
  std::string t(text);
  t.resize(170, ' ');
  SETERX(t, severity, code, f.routine);
}

void flt_outint_default(const FltFrame& f, int code) {
  if (!SDUNDF(GLOR.OUTINT)) return;
  GLOR.OUTINT = GLOR.TIMEND - GLOR.TIMEO;
  flt_report(f,
             f.routine +
                 ": Control constant OUTINT not specified@Default is TIMEND - TIMEO, see User Manual "
                 "description of " +
                 f.routine + " for a list of control constants",
             2, code);
}

bool flt_required(const FltFrame& f, std::span<const FltRequired> rows) {
  for (const FltRequired& r : rows) {
    if (!r.undefined) continue;
    if (r.refuse != nullptr) r.refuse(f, r.name, r.code);
    else fl_not_specified(f.routine, r.name, r.code);
    return false;
  }
  return true;
}

bool flt_check_inputs(const FltFrame& f, bool dtimei, int finite_code) {
  const FlNetwork& n = f.net;
  if (!fl_require_finite_controls(f.routine, finite_code, n.nt, n.nf, true, f.routine == "FLTNTF")) return false;
  if (!fl_check_step_constants(f.routine, dtimei)) return false;
  if (n.nf >= 1 && (n.nl >= 1 || f.humid) && !fl_check_dampm(f.routine)) return false;
  return fl_check_solution_inputs(f.routine, n);
}

namespace {

// Frame step 5: the event arrays.
bool flt_events(FltFrame& f) { return take_event_list(f.core, f.routine, f.clock.events, f.clock.nev); }

// Frame step 6: the integer work, or the shortage with `code`.
bool flt_integer_work(FltFrame& f, bool marks, int code) {
  const FlNetwork& n = f.net;
  const std::int64_t top = FLAGS(FLAGS_NEXTDYNAMICCOREINT);
  const std::int64_t nmarks = marks ? static_cast<std::int64_t>(n.nt) + n.nf : 0;
  const std::int64_t words = 5 * static_cast<std::int64_t>(n.nf) + nmarks + n.nl;
  const std::int64_t shortfall = top + words - FLAGS(FLAGS_DYSTOR);
  if (shortfall > 0) {
    report_shortage(f, shortfall, code);
    return false;
  }
  gar_Carver<std::int32_t> carve(gar_dynamiccoreint, f.core.take_int(words));
  f.ord = fl_ordering(carve.take(5 * static_cast<std::int64_t>(n.nf)), n.nf);
  if (marks) {
    f.tmarks = carve.take(n.nt);
    f.fmarks = carve.take(n.nf);
  }
  f.hflg = carve.take(n.nl);
  return true;
}

// Frame step 7: the ordering.
void flt_order(FltFrame& f) {
  f.ord.lprof = 0;
  if (f.net.nf >= 1) FPNTRS(f.net, f.ord);
}

// Frame step 8: the real work, or the shortage with `code`.
bool flt_real_work(FltFrame& f, std::int64_t amount, int code) {
  const std::int64_t shortfall = amount - FLAGS(FLAGS_DYSTOR);
  if (shortfall > 0) {
    report_shortage(f, shortfall, code);
    return false;
  }
  const FlNetwork& n = f.net;
  gar_Carver<double> carve(gar_dynamiccorereal, f.core.take_real(static_cast<std::int64_t>(n.nf) + n.nt));
  f.r1 = carve.take(n.nf);
  f.r2 = carve.take(n.nt);
  return true;
}

}  // namespace

bool flt_work_space(FltFrame& f, bool marks, int int_code, std::int64_t (*amount)(const FltFrame&), int real_code) {
  if (!flt_events(f) || !flt_integer_work(f, marks, int_code)) return false;
  flt_order(f);
  return flt_real_work(f, amount(f), real_code);
}

void flt_first_step(FltFrame& f) {
  FlClock& c = f.clock;
  fl_first_output_time(c);
  fl_place_step(c);
}

void flt_first_evaluations(const FltFrame& f) {
  const FlNetwork& n = f.net;
  STSOLT("");
  V10001();
  STSOLT("THERMAL");
  V10001();
  if (n.nl >= 1) SGMCAL(n);
  if (n.lencopy >= 2) SSNCNT(n.lenthermal, n.lencopy, n.nt, n.pcs, n.t);
}

void flt_outputs_at_start(bool both) {
  const double timen = GLOR.TIMEN, timem = GLOR.TIMEM;
  GLOR.TIMEN = GLOR.TIMEO;
  if (both) GLOR.TIMEM = GLOR.TIMEO;
  OUTPUT();
  GLOR.TIMEN = timen;
  if (both) GLOR.TIMEM = timem;
}

void flt_finish(FltFrame& /*f*/) {
  GLOR.TIMEM = GLOR.TIMEND;
  GLOR.TIMEN = GLOR.TIMEND;
  GLOR.TIMEO = GLOR.TIMEND;
  flt_release_solver();
}

void flt_release_solver() {
  if (!cyclic_run()) GLOC.SOLVER = "";
}

// ---- Work and passes shared by the step loops ----------------------------

void flt_loop_work(const FltFrame& f, gar_CoreGuard& core, bool fold, FltLoopWork& work) {
  const FlNetwork& net = f.net;
  const int nt = net.nt, nf = net.nf, nl = net.nl;
  gar_Carver<double> carve(gar_dynamiccorereal, core.real_top());
  FlHydraulics& w = work.w;
  w.vrate = carve.take(nf);
  w.hrho = carve.take(nf);
  w.hvisc = carve.take(nf);
  w.hflg = f.hflg;
  w.ord = f.ord;
  work.lag = FlTimeLag();
  work.lag.nlev = f.nlev;
  work.lag.table = carve.take(f.tl);
  std::int64_t end = carve.next();
  if (nf >= 1 && nl >= 1) {
    std::int64_t hcp = 0;
    end = fl_hydraulic_work(w, nl, nf, f.ord.lprof, carve.next(), hcp);
    work.scratch = w.hpsol;
    // The step arrays lie over HCP, HC0 and BVEC, which the hydraulic
    // solution fills afresh before it reads them.
    carve = gar_Carver<double>(gar_dynamiccorereal, hcp);
  } else {
    work.scratch = carve.take(nf);
  }
  FlStepArrays& s = work.s;
  s.told = carve.take(nt);
  s.fold = fold ? carve.take(nt) : FlReals();
  s.tnew = carve.take(nt);
  s.tfold = carve.take(nf);
  s.ffold = fold ? carve.take(nf) : FlReals();
  s.tfnew = carve.take(nf);
  carve.take(1);
  const int humid_words = fl_humid_work_words(nf, f.humid);
  work.qold = carve.take(humid_words / 2);
  work.qnew = carve.take(humid_words / 2);
  end = std::max(end, carve.next());
  core.take_real(end - core.real_top());
}

void flt_loop_start(const FltFrame& f, const FlHydraulics& w) {
  const FlNetwork& net = f.net;
  for (int k = 1; k <= net.nf; ++k) f.r1(k) = 0.0;
  for (int i = 1; i <= net.nt; ++i) f.r2(i) = 0.0;
  for (int k = 1; k <= net.nf; ++k) w.vrate(k) = 0.0;
  if (f.humid) {
    HUMRSP(net, 1, net.tf);
    SFMCON(net, f.r1, 1);
    if (net.nt >= 1) CNDNSE(net, 1.0, net.t, net.tf, f.r1, f.r2);
  }
  if (net.nf >= 1 && net.nl >= 1) {
    for (int j = 1; j <= f.ord.lprof; ++j) w.amat(j) = 0.0;
  }
}

void flt_pass_start(FltFrame& f, FlReals x) {
  SNFE(f.net, x);
  fl_watch_phases(f.net, x, f.phases);
  STSOLT("");
  V10001();
}

void flt_substep_start(FltFrame& f, const FlSubstepArrays& a, FlReals x) {
  const FlNetwork& net = f.net;
  if (net.nt >= 1) {
    STSOLT("");
    V10001();
    SETTMP(net, a);
    FSTARH(net, a.tse, net.tf);
  }
  GLOR.DTCOUR = kFlHuge;
  flt_pass_start(f, x);
}

int flt_hydraulics(const FltFrame& f, const FlHydraulics& w) {
  const FlNetwork& net = f.net;
  if (f.humid) {
    HUMRSP(net, 1, net.tf);
    SFMCON(net, f.r1, 2);
  }
  CVOLST(net, w.vrate);
  int ierr = 0, converged = 0, passes = 0;
  FLHYSL(net, w, 1, ierr, converged, passes);
  GLOI.SUMFLL += passes;
  if (f.humid) SFMCON(net, f.r1, 3);
  return converged;
}
