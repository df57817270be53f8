// FLTNTF, the explicit member of the single-phase fluid-loop transient
// routines, and its step loop FLTFIT: each step a hydraulic solution, then
// one forward-Euler step of the nodes with heat capacity and the relaxation
// of those without, in steps kept below the stability limit of the explicit
// method.
#include <algorithm>
#include <cstdint>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "fluid/explicit_step.h"
#include "fluid/flt_frame.h"
#include "fluid/fluid_constants.h"
#include "fluid/fluid_services.h"
#include "fluid/humid_air.h"
#include "fluid/link_conductances.h"
#include "fluid/node_properties.h"
#include "fluid/required_constants.h"
#include "fluid/stability_limits.h"
#include "fluid/step_control.h"
#include "model/generated_program.h"

namespace {

constexpr const char* kName = "FLTNTF";

// Real words FLTNTF requires, counted from the real top at entry.
std::int64_t real_requirement(const FltFrame& f) {
  const std::int64_t nt = f.net.nt, nf = f.net.nf, nl = f.net.nl, lprof = f.ord.lprof;
  const std::int64_t with_steps = f.rtop + lprof + 9 * nf + 3 * nt + 3;
  const std::int64_t with_links = f.rtop + lprof + 8 * nf + 2 * nl + nt;
  return std::max(with_steps, with_links) + f.tl;
}

// The refusal of NLOOP and RELXCA, whose texts end in their own way.
void not_specified_short(const FltFrame& f, const char* name, int code) {
  flt_report(f,
             std::string("FLTNTF: Control constant ") + name +
                 " not specified@See User Manual description of FLTNTF for a list of control connstants",
             4, code);
}

// The checks of the control constants; false after a refusal. DTIMEI is
// not needed: the loop sets the steps itself.
bool checks(const FltFrame& f) {
  const FlNetwork& n = f.net;
  if (GLOR.TIMEO >= GLOR.TIMEND) {
    flt_report(f, "FLTNTF: TIMEND is not greater than TIMEO@See Engineering Manual for control constant definitions",
               4, 1);
    return false;
  }
  flt_outint_default(f, 2);
  const FltRequired required[] = {{"NLOOP", SLUNDF(GLOI.NLOOP) != 0, 3, not_specified_short},
                                  {"RELXCA", n.nt >= 1 && SDUNDF(GLOR.RELXCA) != 0, 4, not_specified_short},
                                  {"RELXMA", n.nf >= 1 && SDUNDF(GLOR.RELXMA) != 0, 5},
                                  {"FRLXCA", n.nf >= 1 && SDUNDF(GLOR.FRLXCA) != 0, 6}};
  if (!flt_required(f, required)) return false;
  // Times that are not finite, and an output interval that does not move
  // the output time on, would keep the loop from ever reaching TIMEND.
  return fl_require_finite(kName, 9, false) && fl_require_positive_outint(kName, 10) &&
         flt_check_inputs(f, false, 9);
}

}  // namespace

void FLTNTF() {
  FltFrame f;
  flt_begin(f, kName);
  if (!checks(f) || !flt_work_space(f, false, 7, real_requirement, 8)) {
    flt_release_solver();
    return;
  }
  // The loop places the first step and makes the first output itself.
  GLOR.TIMEN = GLOR.TIMEO;
  GLOR.TIMEM = GLOR.TIMEO;
  flt_first_evaluations(f);
  FFCSGM(f.net, f.ord, f.hflg, f.present);
  f.clock.nominal = GLOR.TIMEO;
  FLTFIT(f);
  flt_finish(f);
}

void FLTFIT(FltFrame& f) {
  const FlNetwork& net = f.net;
  const int nf = net.nf, nl = net.nl;
  const bool hydraulics = nf >= 1 && nl >= 1;

  gar_CoreGuard core;
  FltLoopWork work;
  flt_loop_work(f, core, false, work);
  const FlHydraulics& w = work.w;
  const FlStepArrays& s = work.s;

  // Before the first step: the step from the limits the driver found, the
  // output at TIMEO, the first output time and the first step.
  flt_loop_start(f, w);
  GLOR.DTIMEI = fl_explicit_step_limit();
  GLOR.DTIMEU = std::max(GLOR.DTMIN, std::min(GLOR.DTIMEI, GLOR.DTMAX));
  OUTPUT();
  FlClock& clock = f.clock;
  fl_next_output_time(clock, GLOR.TIMEO);
  fl_place_step(clock);
  int steps = 1;
  FlExceedances counts;
  FlStepStart start;
  fl_step_start_size(net, f.humid, f.r1, f.r2, start);
  fl_step_start_save(net, f.humid, f.r1, f.r2, work.lag, start);

  LoopGuard guard("FLTFIT");
  for (;;) {
    guard.pass();
    GLOI.SUMTHL = 0;
    GLOI.SUMFLL = 0;
    flt_pass_start(f, work.scratch);
    int hydraulic = -1;
    if (hydraulics) {
      hydraulic = flt_hydraulics(f, w);
      SNFE(net, work.scratch);
      STSOLT("");
      V10001();
      SGMCAL(net);
      GLOR.DTCOUR = kFlHuge;
      SGCOUR(net, GLOR.DTCOUR);
    }
    int iterations = 0;
    double change = 0.0;
    FLTNEX(net, s, w.vrate, f.r2, work.lag, iterations, change);
    GLOI.SUMTHL += iterations;
    const bool repeated = fl_step_repeated(change);
    if (f.humid && !repeated) {
      // The humidity follows the temperatures the step has just found (see
      // fluid/humid_air.h); a step about to be repeated shorter skips it.
      // The vapour balance needs the node densities, which only the
      // hydraulic solution evaluates.
      if (!hydraulics) SCPRHO(net, w.hrho, work.scratch);
      HMDNTF(net, GLOR.DTIMEU, w.vrate, w.hrho, s.tnew, s.tfnew, f.r1, f.r2, work.qnew, work.qold);
      fl_humidity_carried(net);
    }
    int accepted = 0;
    FSTIME(net, clock, f.present, hydraulic, change, s, counts, accepted);
    if (accepted != 0) ++steps;
    fl_step_start_next(net, f.humid, f.r1, f.r2, work.lag, accepted != 0, start);
    if (fl_loop_done()) break;
  }
  fl_end_warnings(kName, "FLTFIT", counts, steps);
}
