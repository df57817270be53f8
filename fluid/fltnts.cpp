// FLTNTS, the implicit member of the single-phase fluid-loop transient
// routines, and its step loop FLTSIT.
#include <algorithm>
#include <cstdint>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "fluid/flt_frame.h"
#include "fluid/fluid_constants.h"
#include "fluid/fluid_services.h"
#include "fluid/humid_air.h"
#include "fluid/hydraulics.h"
#include "fluid/node_properties.h"
#include "fluid/required_constants.h"
#include "fluid/stability_limits.h"
#include "fluid/step_control.h"
#include "model/generated_program.h"

namespace {

constexpr const char* kName = "FLTNTS";

// Real words FLTNTS requires, counted from the real top at entry.
std::int64_t real_requirement(const FltFrame& f) {
  const std::int64_t nt = f.net.nt, nf = f.net.nf, nl = f.net.nl, lprof = f.ord.lprof;
  const std::int64_t with_steps = f.rtop + 4 * nt + 10 * nf + lprof + 4;
  const std::int64_t with_links = f.rtop + nt + 8 * nf + lprof + 2 * nl;
  return std::max(with_steps, with_links) + f.tl;
}

// The checks of the control constants; false after a refusal.
bool checks(const FltFrame& f) {
  const FlNetwork& n = f.net;
  if (GLOR.TIMEO >= GLOR.TIMEND) {
    flt_report(f, "FLTNTS: TIMEND is not greater than TIMEO@See Engineering Manual for control constant definitions",
               4, 1);
    return false;
  }
  flt_outint_default(f, 2);
  const FltRequired required[] = {{"NLOOP", SLUNDF(GLOI.NLOOP) != 0, 3},
                                  {"DTIMEI", SDUNDF(GLOR.DTIMEI) != 0, 4},
                                  {"RELXMA", n.nf >= 1 && SDUNDF(GLOR.RELXMA) != 0, 5},
                                  {"FRLXCA", n.nf >= 1 && SDUNDF(GLOR.FRLXCA) != 0, 6},
                                  {"RELXCA", n.nt >= 1 && SDUNDF(GLOR.RELXCA) != 0, 7}};
  if (!flt_required(f, required)) return false;
  // Times that are not finite, and an output interval that does not move
  // the output time on, would keep the loop from ever reaching TIMEND; then
  // the step, DAMPM and the model's fluid inputs.
  return fl_require_finite(kName, 10) && fl_require_positive_outint(kName, 11) && flt_check_inputs(f, true, 10);
}

}  // namespace

void FLTNTS() {
  FltFrame f;
  flt_begin(f, kName);
  if (!checks(f) || !flt_work_space(f, true, 8, real_requirement, 9)) {
    flt_release_solver();
    return;
  }
  flt_first_step(f);
  flt_first_evaluations(f);
  FFCSGM(f.net, f.ord, f.hflg, f.present);
  flt_outputs_at_start(true);
  FLTSIT(f);
  flt_finish(f);
}

void FLTSIT(FltFrame& f) {
  const FlNetwork& net = f.net;
  const int nf = net.nf, nl = net.nl;
  const bool hydraulics = nf >= 1 && nl >= 1;
  const bool humid = f.humid;

  // Work space above the driver's blocks (the real top comes back on
  // return).
  gar_CoreGuard core;
  FltLoopWork work;
  flt_loop_work(f, core, true, work);
  const FlHydraulics& w = work.w;
  const FlStepArrays& s = work.s;
  const FlReals scratch = work.scratch;
  FlTimeLag& lag = work.lag;

  // Before the first step.
  flt_loop_start(f, w);
  FlThermalEntries entries;
  fl_thermal_entries_size(net, entries);
  int steps = 1;
  FlExceedances counts;
  FlStepStart start;
  fl_step_start_size(net, f.humid, f.r1, f.r2, start);
  fl_step_start_save(net, f.humid, f.r1, f.r2, lag, start);

  LoopGuard guard("FLTSIT");
  for (;;) {
    guard.pass();
    GLOI.SUMTHL = 0;
    GLOI.SUMFLL = 0;
    GLOR.DTCOUR = kFlHuge;
    flt_pass_start(f, scratch);
    int hydraulic = -1;
    if (hydraulics) {
      hydraulic = flt_hydraulics(f, w);
      SNFE(net, scratch);
      SCPRHO(net, w.hrho, scratch);
      STSOLT("");
      V10001();
      SGMCIM(net, scratch);
      SGCOIM(net, w.hrho, GLOR.DTCOUR);
    } else if (nf >= 1) {
      // Without links the pass has no hydraulic part; the fluid sweeps
      // still need the densities and specific heats of the nodes.
      SCPRHO(net, w.hrho, scratch);
    }
    int iterations = 0;
    double change = 0.0;
    FLTNIM(net, GLOR.DTIMEU, s, entries, f.tmarks, f.fmarks, f.ord.perm, w.hrho, scratch, w.vrate, f.r2, lag,
           iterations, change);
    GLOI.SUMTHL += iterations;
    const bool repeated = fl_step_repeated(change);
    if (humid && !repeated) {
      // The humidity follows the temperatures the step has just found (see
      // fluid/humid_air.h); a step about to be repeated shorter skips it.
      HMDIPT(net, GLOR.DAMPM, GLOR.DTIMEU, w.vrate, w.hrho, s.tnew, s.tfnew, f.r1, f.r2, work.qnew, work.qold);
      fl_humidity_carried(net);
    }
    int accepted = 0;
    FSTIME(net, f.clock, f.present, hydraulic, change, s, counts, accepted);
    if (accepted != 0) ++steps;
    fl_step_start_next(net, f.humid, f.r1, f.r2, lag, accepted != 0, start);
    if (fl_loop_done()) break;
  }
  fl_end_warnings(kName, "FLTSIT", counts, steps);
}
