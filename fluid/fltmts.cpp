// FLTMTS, the fluid-loop transient routine with two step sets, and its step
// loop FLSITM. The thermal network advances in thermal steps (TIMEOT to
// TIMENT, DTIMUT), each solved once at its start (a forward-Euler predictor
// corrected by Crank-Nicolson sweeps); the fluid advances in sub-steps of
// each thermal step (TIMEO to TIMEN, DTIMEU, nominally DTIMIF = DTIMUT /
// FSTEPS), each with a hydraulic solution and an implicit fluid update,
// against thermal temperatures interpolated in time across the thermal step.
// The node updates of both steps are in fluid/implicit_updates.cpp, the
// acceptance of a sub-step (FMTIME) in fluid/step_control.cpp.
#include <cstdint>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "fluid/flt_frame.h"
#include "fluid/fluid_constants.h"
#include "fluid/fluid_services.h"
#include "fluid/humid_air.h"
#include "fluid/implicit_updates.h"
#include "fluid/node_properties.h"
#include "fluid/required_constants.h"
#include "fluid/stability_limits.h"
#include "fluid/step_control.h"
#include "model/generated_program.h"

namespace {

constexpr const char* kName = "FLTMTS";

// Real words FLTMTS requires, counted from the real top at entry.
std::int64_t real_requirement(const FltFrame& f) {
  const std::int64_t nt = f.net.nt, nf = f.net.nf, nl = f.net.nl, lprof = f.ord.lprof;
  return f.rtop + 15 * nf + 5 * nt + 2 * nl + lprof + 5 + f.tl;
}

// The checks of the control constants. TIMEO >= TIMEND is an error the run
// survives: `solve` := false and the routine returns after its checks. A
// refusal ends the run (false).
bool checks(const FltFrame& f, bool& solve) {
  solve = true;
  if (GLOR.TIMEO >= GLOR.TIMEND) {
    flt_report(f, "FLTMTS: TIMEND is not greater than TIMEO@See Engineering Manual for control constant definitions",
               3, 1);
    solve = false;
  }
  flt_outint_default(f, 2);
  const FltRequired required[] = {{"NLOOP", SLUNDF(GLOI.NLOOP) != 0, 3},   {"RELXMA", SDUNDF(GLOR.RELXMA) != 0, 4},
                                  {"FRLXCA", SDUNDF(GLOR.FRLXCA) != 0, 5}, {"FSTEPS", SLUNDF(GLOI.FSTEPS) != 0, 6},
                                  {"RELXCA", SDUNDF(GLOR.RELXCA) != 0, 7}, {"DTIMEI", SDUNDF(GLOR.DTIMEI) != 0, 8}};
  if (!flt_required(f, required)) return false;
  if (!solve) return true;
  // Times that are not finite, and an output interval that does not move
  // the output time on, would keep the loop from ever reaching TIMEND.
  return fl_require_finite(kName, 12) && fl_require_positive_outint(kName, 13) && flt_check_inputs(f, true, 12);
}

// The first thermal step and sub-step of the driver.
void first_steps(FltFrame& f) {
  FlClock& c = f.clock;
  GLOR.DTIMUT = fl_asked_step();
  GLOR.DTIMIF = GLOR.DTIMUT / GLOI.FSTEPS;
  fl_first_output_time(c);
  GLOR.TIMEOT = GLOR.TIMEO;
  fl_place_thermal_step(c, GLOR.DTIMUT);
  fl_place_step_towards(c, GLOR.TIMENT, GLOR.DTIMIF);
}

// The work arrays of the loop (all below the hydraulic arrays): the arrays
// of its steps and the hydraulic and humid-air work.
struct SubstepWork : FlSubstepArrays {
  FlReals visc;  // fluid array 3
  FlHydraulics w;
  FlReals scratch;  // qualities of SNFE
  FlReals qold, qnew;
};

}  // namespace

void FLTMTS() {
  FltFrame f;
  flt_begin(f, kName);
  bool solve = true;
  if (!checks(f, solve) || !flt_work_space(f, false, 9, real_requirement, 10)) {
    flt_release_solver();
    return;
  }
  if (GLOI.FSTEPS <= 0) {
    flt_report(f, "FLTMTS: Control constant FSTEPS must be greater than zero", 4, 11);
    flt_release_solver();
    return;
  }
  if (!solve) {
    flt_release_solver();
    return;
  }
  first_steps(f);
  flt_first_evaluations(f);
  CSGHYD(f.net, f.ord, f.hflg, f.present);
  flt_outputs_at_start(false);
  FLSITM(f, GLOI.FSTEPS);
  flt_finish(f);
}

void FLSITM(FltFrame& f, int fsteps) {
  const FlNetwork& net = f.net;
  const int nt = net.nt, nf = net.nf, nl = net.nl;
  const bool hydraulics = nf >= 1 && nl >= 1;

  // Work space: the loop's own arrays, the history, then the hydraulic
  // arrays and the humid-air fractions (the real top comes back on return).
  gar_CoreGuard core;
  gar_Carver<double> carve(gar_dynamiccorereal, core.real_top());
  SubstepWork a;
  a.tss = carve.take(nt);
  a.fts = carve.take(nt);
  a.tse = carve.take(nt);
  a.tte = carve.take(nt);
  a.cp = carve.take(nf);
  a.rho = carve.take(nf);
  a.visc = carve.take(nf);
  a.ffold = carve.take(nf);
  a.tfold = carve.take(nf);
  a.tfnew = carve.take(nf);
  a.vrate = carve.take(nf);
  carve.take(1);
  a.lag.nlev = f.nlev;
  a.lag.table = carve.take(f.tl);
  FlHydraulics& w = a.w;
  w.vrate = a.vrate;
  w.hrho = a.rho;
  w.hvisc = a.visc;
  w.hflg = f.hflg;
  w.ord = f.ord;
  if (hydraulics) {
    std::int64_t hcp = 0;
    carve = gar_Carver<double>(gar_dynamiccorereal, fl_hydraulic_work(w, nl, nf, f.ord.lprof, carve.next(), hcp));
    a.scratch = w.hpsol;
  } else {
    a.scratch = carve.take(nf);
  }
  const int humid_words = fl_humid_work_words(nf, f.humid);
  a.qold = carve.take(humid_words / 2);
  a.qnew = carve.take(humid_words / 2);
  core.take_real(carve.next() - core.real_top());

  // Before the first thermal step.
  GLOR.FCSGMN = kFlHuge;
  FlExceedances counts;
  bool completed = true;
  fl_copy(nt, net.t, a.tss);
  fl_copy(nt, net.t, a.tse);
  fl_copy(nf, net.tf, a.tfold);
  fl_copy(nf, net.tf, a.tfnew);
  flt_loop_start(f, w);
  int steps = 1;
  FlStepStart start;
  fl_step_start_size(net, f.humid, f.r1, f.r2, start);

  LoopGuard guard("FLSITM");
  do {
    int thermal_count = 0;
    GLOI.SUMFLL = 0;
    GLOI.SUMTHL = 0;
    if (nt >= 1) {
      STSOLT("");
      V10001();
      thermal_count = FLTNMT(net, a, f.r2);
    }
    // The first sub-step starts from the state the thermal step leaves.
    fl_step_start_save(net, f.humid, f.r1, f.r2, a.lag, start);
    for (;;) {
      guard.pass();
      GLOI.SUMFLL = 0;
      GLOI.SUMTHL = thermal_count;
      flt_substep_start(f, a, a.scratch);
      int hydraulic = -1;
      if (hydraulics) {
        hydraulic = flt_hydraulics(f, w);
        SCPRHO(net, a.rho, a.cp);
        SNFE(net, a.scratch);
        STSOLT("");
        V10001();
        SGMCIM(net, a.cp);
        SGCOIM(net, a.rho, GLOR.DTCOUR);
      } else if (nf >= 1) {
        // Without links the sub-step has no hydraulic part; the fluid
        // update still needs the densities and specific heats.
        SCPRHO(net, a.rho, a.cp);
      }
      fl_copy(nf, net.tf, a.tfnew);
      double change = 0.0;
      if (nf >= 1) {
        int count = 0;
        SNEWTF(net, a, count, change);
        GLOI.SUMTHL += count;
      }
      const bool repeated = fl_step_repeated(change);
      if (f.humid && !repeated) {
        // As in the other loops: the sub-step's own new temperatures.
        HMDIPT(net, GLOR.DAMPM, GLOR.DTIMEU, a.vrate, a.rho, a.tse, a.tfnew, f.r1, f.r2, a.qnew, a.qold);
        fl_humidity_carried(net);
      }
      bool accepted = false;
      FMTIME(net, f.clock, f.present, hydraulic, change, a.fluid(), counts, completed, accepted);
      if (accepted) {
        ++steps;
        thermal_count = 0;
      }
      fl_step_start_next(net, f.humid, f.r1, f.r2, a.lag, accepted, start);
      if (completed) break;
    }
    GLOR.DTIMIF = fl_asked_step() / fsteps;
  } while (!fl_loop_done());
  fl_end_warnings(kName, "FLSITM", counts, steps);
}
