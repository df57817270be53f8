// FLTMTS, the fluid-loop transient routine with two step sets, and its step
// loop FLSITM. The thermal network advances in thermal steps (TIMEOT to
// TIMENT, DTIMUT), each solved once at its start (a forward-Euler predictor
// corrected by Crank-Nicolson sweeps); the fluid advances in sub-steps of
// each thermal step (TIMEO to TIMEN, DTIMEU, nominally DTIMIF = DTIMUT /
// FSTEPS), each with a hydraulic solution and an implicit fluid update,
// against thermal temperatures interpolated in time across the thermal step.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "fluid/conductance_sums.h"
#include "fluid/explicit_step.h"
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
#include "modeldata/event_arrays.h"

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
  struct Required {
    const char* name;
    bool undefined;
    int code;
  };
  const Required required[] = {{"NLOOP", SLUNDF(GLOI.NLOOP) != 0, 3},   {"RELXMA", SDUNDF(GLOR.RELXMA) != 0, 4},
                               {"FRLXCA", SDUNDF(GLOR.FRLXCA) != 0, 5}, {"FSTEPS", SLUNDF(GLOI.FSTEPS) != 0, 6},
                               {"RELXCA", SDUNDF(GLOR.RELXCA) != 0, 7}, {"DTIMEI", SDUNDF(GLOR.DTIMEI) != 0, 8}};
  for (const Required& r : required) {
    if (!r.undefined) continue;
    fl_not_specified(kName, r.name, r.code);
    return false;
  }
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
  const double ahead = GLOR.TIMEO + 2.0 * GLOR.DTIMIF;
  GLOR.TIMEN = GLOR.TIMENT < ahead ? GLOR.TIMENT : ahead;
  LEVTIM(c.events, "TIMESTEP", c.nev, GLOR.TIMEO, GLOR.TIMEN);
  if (GLOR.TIMEN > GLOR.TIMEO + GLOR.DTIMIF) GLOR.TIMEN = (GLOR.TIMEN + GLOR.TIMEO) * 0.5;
  GLOR.DTIMEU = GLOR.TIMEN - GLOR.TIMEO;
  GLOR.TIMEM = (GLOR.TIMEO + GLOR.TIMEN) * 0.5;
  fl_require_advance(c);
}

// The work arrays of the loop (all below the hydraulic arrays).
struct SubstepWork {
  FlReals tss, fts, tse,
      tte;  // thermal: sub-step start, heat flow at the thermal step's start, sub-step end, thermal step end
  FlReals cp, rho, visc, ffold, tfold, tfnew, vrate;  // fluid arrays 1 to 7
  FlTimeLag lag;
  FlHydraulics w;
  FlReals scratch;  // qualities of SNFE
  FlReals qold, qnew;
  // The arrays of the sweeps: old thermal Tss with its heat flows Fts and
  // the iterate Tte (the thermal step), or Tss and Tse around the fluid
  // arrays 5, 4, 6 (a sub-step).
  FlStepArrays thermal() const { return {tss, fts, tte, tfold, ffold, tfnew}; }
  FlStepArrays fluid() const { return {tss, fts, tse, tfold, ffold, tfnew}; }
};

// ---- The thermal step ---------------------------------------------------

// The forward-Euler predictor over the thermal step: Fts := GTsum - Tss
// Gsum and Tte := Tss + (GTsum + Q - Gsum Tss) DTIMUT / C over the
// diffusion nodes, sums from FSTGSM at Tss and the sub-step's start fluid
// temperatures; CSGMIN := 1.0E38, then the smallest C / Gsum.
void FSTSTB(const FlNetwork& net, const SubstepWork& a) {
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

// The Crank-Nicolson sweeps of the thermal step (S4TCLC over DTIMUT from
// Tss, Fts to Tte, the fluid at the sub-step's start) until RELXCC <=
// RELXCA or NLOOPT sweeps. Returns the sweeps.
int SFWBKT(const FlNetwork& net, const SubstepWork& a) {
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

// The thermal step: Tte from the model's temperatures, QR := QR + R2 for
// it, the predictor and the sweeps, QR := QR - R2. Returns the sweeps.
int FLTNMT(const FlNetwork& net, const SubstepWork& a, FlCReals r2) {
  fl_copy(net.nt, net.t, a.tte);
  for (int i = 1; i <= net.nt; ++i) net.qr(i) += r2(i);
  FSTSTB(net, a);
  const int count = SFWBKT(net, a);
  for (int i = 1; i <= net.nt; ++i) net.qr(i) -= r2(i);
  return count;
}

// The thermal temperatures of the sub-step: Tss := T; Tse := T for nodes
// without capacity or not "D", else T + (TIMEN - TIMEO) / (TIMENT - TIMEO)
// (Tte - T), on the line from now to the end of the thermal step.
void SETTMP(const FlNetwork& net, const SubstepWork& a) {
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

// ---- The fluid sub-step --------------------------------------------------

// The fluid sweeps of a sub-step: SFCALC in node order over the nodes not
// "K" or "R" that have a conductance, sums at Tse and the fluid iterates,
// until FRLXCC <= FRLXCA or the count (which the estimate started at 1)
// reaches NLOOPT.
void SFWBKF(const FlNetwork& net, const SubstepWork& a, int& count) {
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

// The fluid sub-step over DTIMEU: the estimate SFSTAB (thermal Tss to Tse,
// its minimum in FCSGMN, FNCSGM), the sweeps, and change := the largest
// |Tfnew - Tfold| over fluid nodes "F", "J", "Q", "S".
void SNEWTF(const FlNetwork& net, SubstepWork& a, int& count, double& change) {
  SFSTAB(net, GLOR.DTIMEU, a.rho, a.cp, a.vrate, a.lag, a.fluid(), GLOR.FCSGMN, GLOI.FNCSGM, count);
  SFWBKF(net, a, count);
  change = 0.0;
  for (int i = 1; i <= net.nf; ++i) {
    const char st = net.fstat(i).c[0];
    if (st == 'F' || st == 'J' || st == 'Q' || st == 'S')
      change = std::max(change, std::fabs(a.tfnew(i) - a.tfold(i)));
  }
}

}  // namespace

void FLTMTS() {
  FltFrame f;
  flt_begin(f, kName);
  bool solve = true;
  if (!checks(f, solve) || !flt_events(f) || !flt_integer_work(f, false, 9)) {
    flt_release_solver();
    return;
  }
  flt_order(f);
  if (!flt_real_work(f, real_requirement(f), 10)) {
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
    carve = gar_Carver<double>(gar_dynamiccorereal, flt_hydraulic_work(w, nl, nf, f.ord.lprof, carve.next(), hcp));
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
    for (;;) {
      guard.pass();
      fl_step_start_save(net, f.humid, f.r1, f.r2, a.lag, start);
      GLOI.SUMFLL = 0;
      GLOI.SUMTHL = thermal_count;
      if (nt >= 1) {
        STSOLT("");
        V10001();
        SETTMP(net, a);
        FSTARH(net, a.tse, net.tf);
      }
      GLOR.DTCOUR = kFlHuge;
      SNFE(net, a.scratch);
      fl_watch_phases(net, a.scratch, f.phases);
      STSOLT("");
      V10001();
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
      if (f.humid && !fl_step_repeated(change)) {
        // As in the other loops: the sub-step's own new temperatures.
        HMDIPT(net, GLOR.DAMPM, GLOR.DTIMEU, a.vrate, a.rho, a.tse, a.tfnew, f.r1, f.r2, a.qnew, a.qold);
        fl_humidity_carried(net);
      }
      bool accepted = false;
      FMTIME(net, f.clock, f.present, hydraulic, change, a.fluid(), counts, completed, accepted);
      if (accepted) {
        ++steps;
        thermal_count = 0;
      } else {
        fl_step_start_restore(net, f.humid, f.r1, f.r2, a.lag, start);
      }
      if (completed) break;
    }
    GLOR.DTIMIF = fl_asked_step() / fsteps;
  } while (!fl_loop_done());
  fl_end_warnings(kName, "FLSITM", counts, steps);
}
