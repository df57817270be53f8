// The frame of the single-phase fluid-loop transient routines (FLTNTS,
// FLTNTF, FLTMTS): what every one of them does around its step loop, and the
// state that travels from the driver into the loop.
//
// A driver holds one FltFrame for its whole body and runs, in this order:
//
//   FltFrame f;
//   flt_begin(f, "FLTNTS");                 // MODULE, SOLVER, NLOOPH/T, counts, flags
//   ... its own checks (flt_report, flt_outint_default, flt_required) ...
//   if (!flt_check_inputs(f, true, 10)) return;  // the model's fluid inputs
//   if (!flt_work_space(f, true, 8, amount, 9)) return;  // steps 5 to 8:
//       events, integer work, ordering (FPNTRS), real work
//   flt_first_step(f);                      // first output time and first step
//   flt_first_evaluations(f);               // VARIABLES1 twice, SGMCAL, SSNCNT
//   FFCSGM(f.net, f.ord, f.hflg, f.present);
//   flt_outputs_at_start(true);
//   <step loop>(f);
//   flt_finish(f);                          // final times, SOLVER
//
// Both work-space tops go back to their entry values when the frame goes out
// of scope, on every path (a fatal end that unwinds included).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fluid/fluid_network.h"
#include "fluid/hydraulics.h"
#include "fluid/implicit_updates.h"
#include "fluid/input_checks.h"
#include "fluid/node_properties.h"
#include "fluid/step_control.h"
#include "modeldata/global_arrays.h"

struct FltFrame {
  gar_CoreGuard core;  // both tops go back when the frame ends
  FlNetwork net;
  std::string routine;

  // Levels of the fluid temperature history (100 with TIMELA "YES", else 1)
  // and its size in real words (100 (NF + 1), or 0).
  int nlev = 1;
  std::int64_t tl = 0;
  // Presence flags: character 1 "Y" with thermal nodes, character 2 "Y" with
  // fluid nodes.
  std::string present = "NN";
  // Humid-air flag: some fluid node holds "AIRW".
  bool humid = false;

  // Stack tops at entry.
  int itop = 1, rtop = 1;

  // Integer blocks: events, ordering (5 NF), the mark words of FLTNTS (NT,
  // then NF), the link flags of the hydraulic solution (NL).
  FlOrdering ord;
  FlInts tmarks, fmarks;
  FlInts hflg;
  // Real blocks: condensation rates (NF) and latent heat loads (NT).
  FlReals r1, r2;

  // Event arrays, output times and the routine named when a step cannot
  // advance.
  FlClock clock;

  // The nodes already warned of leaving the phase of their quality.
  FlPhaseWatch phases;
};

// Frame steps 1 to 3: MODULE := routine; SOLVER := "TRFL1P" unless it begins
// with "CY"; NLOOPH and NLOOPT take NLOOP where they are 0; SUMFLL := SUMTHL
// := 0; the view of the model, the history levels and size (TIMELA "YES"),
// the presence flags, the humid-air flag (FTAIRW) and the phase watch.
void flt_begin(FltFrame& f, std::string_view routine);

// A check's report in the routines' field of 170 characters, naming the
// routine; severity 4 ends the run.
void flt_report(const FltFrame& f, std::string_view text, int severity, int code);

// OUTINT undefined: OUTINT := TIMEND - TIMEO and the warning "<routine>:
// Control constant OUTINT not specified@Default is TIMEND - TIMEO, see User
// Manual description of <routine> for a list of control constants"
// (severity 2, code). Nothing when OUTINT is defined.
void flt_outint_default(const FltFrame& f, int code);

// A control constant a driver requires: its name, whether it is undefined
// (false where the model does not need it) and the code of its refusal;
// refuse words the refusal where the driver has its own words, else it is
// fl_not_specified naming the routine.
struct FltRequired {
  const char* name;
  bool undefined;
  int code;
  void (*refuse)(const FltFrame& f, const char* name, int code) = nullptr;
};

// Refuses the first undefined constant of rows, in their order (severity 4
// ends the run); false after a refusal.
bool flt_required(const FltFrame& f, std::span<const FltRequired> rows);

// The inputs the routine reads, after its control constants: the other
// constants it reads finite (fl_require_finite_controls, with DTPMAX, and
// RLCOUR for FLTNTF; refused with `finite_code`, the code of its refusal of
// non-finite times), a step that can have a length
// (fl_check_step_constants; `dtimei` when the routine asks for DTIMEI),
// DAMPM in (0, 1] when it solves the hydraulics or humid air, and the fluid
// nodes, links and their thermal neighbours (fl_check_solution_inputs). A
// refusal ends the run; false after one.
bool flt_check_inputs(const FltFrame& f, bool dtimei, int finite_code);

// Frame steps 5 to 8 in their order (each file-local in flt_frame.cpp):
//  5. the event arrays (SGTEVT with the room above the integer top) and the
//     integer top past them; false after SGTEVT's shortage;
//  6. the integer requirement itop + NEVT + 5 NF + NL, with the mark words
//     of FLTNTS (NT + NF) when marks is true, against DYSTOR: a shortfall S
//     is the fatal "<routine>: Insufficient work space@An extra <S, 9
//     columns> words needed, increase DYSTOR on $EXECUTION record, see User
//     Manual description of $EXECUTION block" with int_code; otherwise the
//     ordering, mark and link blocks are bound and the top moves past them;
//  7. FPNTRS when there are fluid nodes (ord.lprof; 0 without);
//  8. the real requirement amount(f), the routine's own formula counted
//     from rtop once the ordering is known, against DYSTOR, reported as in
//     step 6 with real_code; otherwise R1 (NF words) and R2 (NT words) are
//     bound at rtop and the real top moves past them.
// False after a shortage.
bool flt_work_space(FltFrame& f, bool marks, int int_code, std::int64_t (*amount)(const FltFrame&), int real_code);

// Frame step 10 of FLTNTS: the first output time min(TIMEO + OUTINT,
// TIMEND), nominally TIMEO + OUTINT, pulled back by LEVTIM "OUTPUT"; DTIMEU
// := max(DTMIN, min(DTIMEI, DTMAX)); TIMEN := min(output time, TIMEO + 2
// DTIMEU), LEVTIM "TIMESTEP", halved when beyond TIMEO + DTIMEU; DTIMEU :=
// TIMEN - TIMEO; TIMEM := (TIMEO + TIMEN) / 2. A first step that cannot
// advance the clock ends the run through ERROR naming the routine.
void flt_first_step(FltFrame& f);

// Frame steps 11 to 13: SOLTYP blank, VARIABLES1; SOLTYP "THERMAL",
// VARIABLES1; SGMCAL with links; SSNCNT.
void flt_first_evaluations(const FltFrame& f);

// Frame step 15: OUTPUTS with TIMEN (and TIMEM when both is true) set to
// TIMEO, then put back.
void flt_outputs_at_start(bool both);

// Frame steps 16 (after the loop) and 17: TIMEM := TIMEN := TIMEO :=
// TIMEND; SOLVER blanked unless it begins with "CY". The tops go back when
// the frame ends.
void flt_finish(FltFrame& f);

// SOLVER blanked unless it begins with "CY" (every return of a driver).
void flt_release_solver();

// ---- Work and passes shared by the step loops -------------------------------

// The real work of the step loops of FLTNTS and FLTNTF above the driver's
// blocks, in this order: VRATE, HRHO, HVISC (NF each); the history (f.tl
// words); with fluid nodes and links the five arrays of FHDYAR, whose HPSOL
// holds the qualities of SNFE (and the specific heats of SCPRHO), and the
// step arrays laid over its per-link arrays and BVEC, which the hydraulic
// solution fills afresh before it reads them; without links a scratch array
// of NF words and the step arrays above it; with the humid-air flag QOLD and
// QNEW (NF words each) directly above the step arrays. The step arrays are
// Told, Fold, Tnew (NT each; Fold only with `fold`), Tfold, Ffold, Tfnew (NF
// each; Ffold only with `fold`) and one spare word.
struct FltLoopWork {
  FlHydraulics w;   // with the driver's link flags and ordering
  FlTimeLag lag;    // the history and its pointer, time 0
  FlReals scratch;  // qualities of SNFE, specific heats of SCPRHO
  FlStepArrays s;
  FlReals qold, qnew;
};

// Binds the work above the real top of `core` and moves that top past it
// (the caller's guard gives it back).
void flt_loop_work(const FltFrame& f, gar_CoreGuard& core, bool fold, FltLoopWork& work);

// Before the first step of a loop: R1, R2 and VRATE := 0; with humid air
// HUMRSP mode 1, SFMCON mode 1 and, with thermal nodes, CNDNSE with g = 1 at
// the model's temperatures; with fluid nodes and links the profile matrix
// := 0.
void flt_loop_start(const FltFrame& f, const FlHydraulics& w);

// The start of a pass, before its hydraulic part: the qualities and
// enthalpies of the nodes (SNFE into x), the phase watch over them, SOLTYP
// blank and VARIABLES1.
void flt_pass_start(FltFrame& f, FlReals x);

// The start of a sub-step of FLTMTS, before its hydraulic part: with
// thermal nodes SOLTYP blank, VARIABLES1, the thermal temperatures of the
// sub-step (Tss the model's, Tse on the line to the end of the thermal step)
// and FSTARH on Tse with the model's fluid temperatures; DTCOUR := 1e38;
// then flt_pass_start with x.
void flt_substep_start(FltFrame& f, const FlSubstepArrays& a, FlReals x);

// The hydraulic solution of a pass (fluid nodes and links only): with humid
// air HUMRSP mode 1 and SFMCON mode 2, then CVOLST and FLHYSL with the rate
// flag, SUMFLL := SUMFLL + its passes, with humid air SFMCON mode 3. Returns
// its converged flag.
int flt_hydraulics(const FltFrame& f, const FlHydraulics& w);

// ---- Step loops -------------------------------------------------------------

// The step loop of FLTNTS, from the first step the frame has placed to
// TIMEND (fluid/fltnts.cpp), on the work of flt_loop_work with Fold and
// Ffold. The real top goes back on return.
void FLTSIT(FltFrame& f);

// The step loop of FLTNTF (fluid/fltntf.cpp): its own first step from the
// stability limits, OUTPUTS at TIMEO, then explicit steps to TIMEND, on the
// work of flt_loop_work without Fold and Ffold. The real top goes back on
// return.
void FLTFIT(FltFrame& f);

// The step loop of FLTMTS (fluid/fltmts.cpp): thermal steps from TIMEOT to
// TIMENT, each covered by fluid sub-steps of about DTIMIF = thermal step /
// fsteps, from the steps the driver has placed to TIMEND. The real top goes
// back on return.
void FLSITM(FltFrame& f, int fsteps);
