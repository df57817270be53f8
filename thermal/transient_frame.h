// The frame shared by the transient solution routines (SLCRNC, SLFWBK,
// SLFRWD, SLGEAR, SLGRDJ, SLMODE) and its step services.
//
// Services: SGTEVT collects the event arrays, LEVTIM pulls a step end or an
// output time back onto the earliest event time, S5CSGM finds the smallest
// time constant C / sum G (CSGMIN, NCSGMN). The node-copy list (SSNCNT) and
// the linked-list walks (SUNPAK, SUNPAK2) live in modeldata/node_copies.h and
// modeldata/list_walks.h.
//
// Frame helpers (trf_...): the pieces every transient routine runs in the
// same way, so that each routine only writes its own order and its kernel:
//
//   TrfFrame f;                                  // records both core tops
//   const TrfRequired req[] = {{"NLOOP", 3}, {"DTIMEI", 4}, {"RELXCA", 5}};
//   if (!trf_open(f, "SLCRNC", true, req, {7}, 6, gar_dystor_line, 9 * nt,
//                 nt + ngf + ngl + ngr)) { trf_close(f); return; }
//   // blocks: gar_dynamiccorereal.from(f.real_first, ...), ...int.from(f.int_first, ...)
//   trf_first_output_time(f); trf_first_step(f); GLOR.TIMEM = GLOR.TIMEO;
//   trf_start_services(); trf_outputs_at_start();
//   ... steps: after each accepted step V20001(); trf_after_accept(f);
//       trf_next_step(f, h); ... at the end trf_end_warning(...)
//   trf_close(f);                                // final times, SOLVER
//
// The core tops go back to their entry values when the TrfFrame goes out of
// scope (every return path, a fatal end included).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "modeldata/event_arrays.h"
#include "modeldata/global_arrays.h"
#include "thermal/thermal_network.h"
#include "thermal/thermal_views.h"

// ---- Services ---------------------------------------------------------

// CSGMIN = 1.0E38, then the smallest C(i) / g over the solved ("D") nodes
// with |C| and |g| at least 1e-37, g the node's linearised conductance sum
// at the temperatures t (SDGSUM); NCSGMN its node index (first smallest
// wins; unchanged when no node qualifies). Fluid neighbours count as
// boundaries at their temperatures.
void S5CSGM(const ThNetwork& net, ThCReals t, double& csgmin, int& ncsgmn);

// ---- Frame helpers ----------------------------------------------------

// A required control constant and the code of its "not specified" message.
// name is one of "NLOOP", "DTIMEI", "RELXCA".
struct TrfRequired {
  std::string_view name;
  int code;
};

// The run-time constants (TIMEO, TIMEND, DTIMEI, OUTINT, DTMIN, DTMAX) that
// a transient routine refuses when they are not finite numbers, and the
// code of that fatal message. A time that is not finite is never reached
// and an infinite or undefined step never ends a run, so such a value would
// make the routine step for ever. dtimei is false for the routines that do
// not take DTIMEI as given: SLFRWD computes its own, the Gear routines take
// one that is not a number as DTMAX.
struct TrfFinite {
  int code;
  bool dtimei = true;
};

// A control constant and the value a routine is about to use for it.
using TrfValue = RequiredValue;

// The first of `values` that is not a finite number ends the run with the
// routine's "Control constant <name> not specified" (require_finite_constants).
inline bool trf_require_finite(std::string_view routine, std::span<const TrfValue> values, int code) {
  return require_finite_constants(routine, values, code);
}

// State of one transient call. Holds the dynamic core from trf_open to the
// end of its scope.
struct TrfFrame {
  gar_CoreGuard core;  // both tops are set back when the frame ends
  ThCInts events;      // event list (array numbers), nev words at the integer top
  int nev = 0;
  bool solve = false;    // false when TIMEND is not after TIMEO (or a check failed)
  int real_first = 0;    // first word of the routine's real blocks
  int int_first = 0;     // first word of the routine's integer blocks (after the events)
  double outtime = 0.0;  // actual next output time
  double nominal = 0.0;  // nominal next output time (TIMEO + k * OUTINT)
  std::string routine;   // the transient routine, named when a step cannot advance
};

// Frame steps 1 to 4: MODULE = routine, SOLVER = "TRTH" unless it begins
// with "CY"; the checks (TIMEND not after TIMEO: severity 3, code 1, the run
// goes on without steps; OUTINT undefined: defaulted to TIMEND - TIMEO with
// the severity-2 message, code 2, worded as SLCRNC words it when
// crnc_wording is true; the first undefined constant of `required`:
// severity 4 with its code; then the first run-time constant of `finite`
// that is not finite, by trf_require_finite); the event list at the integer
// top; the work space of nreal real and nint integer words above it
// (shortage: severity 4 with work_code and the text ending work_ending).
// Every message names the routine. Returns f.solve: true when the steps are
// to be computed.
bool trf_open(TrfFrame& f, std::string_view routine, bool crnc_wording, std::span<const TrfRequired> required,
              TrfFinite finite, int work_code, std::string_view work_ending, std::int64_t nreal, std::int64_t nint);

// Frame step 5.1: output time = TIMEO + OUTINT cut at TIMEND (also when not
// a number), nominal = TIMEO + OUTINT; LEVTIM "OUTPUT" from TIMEO.
void trf_first_output_time(TrfFrame& f);

// Frame steps 5.2, 5.3 and DTIMEU of 5.4: DTIMEU = max(DTMIN, min(DTIMEI,
// DTMAX)); TIMEN = min(output time, TIMEO + 2 DTIMEU), LEVTIM "TIMESTEP"
// from TIMEO, halved when beyond TIMEO + DTIMEU; DTIMEU = TIMEN - TIMEO.
// TIMEM is left to the caller. A step end not after TIMEO while TIMEO is
// before TIMEND (the step cannot advance) ends the run through ERROR naming
// the routine.
void trf_first_step(TrfFrame& f);

// VARIABLES1, SSNCNT on the temperatures, S5CSGM on the model (CSGMIN,
// NCSGMN).
void trf_start_services();

// OUTPUTS at the start: TIMEN reads TIMEO while OUTPUTS runs, then is put
// back.
void trf_outputs_at_start();

// After an accepted step (VARIABLES2 already called): when TIMEN has reached
// the output time, OUTPUTS; the nominal time advances by OUTINT once when
// TIMEN has reached it; the output time becomes the nominal one cut at
// TIMEND, pulled back by LEVTIM "OUTPUT" from TIMEN.
void trf_after_accept(TrfFrame& f);

// The next step from a proposed length h: DTIMEU = h raised to DTMIN, then
// lowered to DTMAX; TIMEO = TIMEN; TIMEN = min(output time, TIMEO + 2
// DTIMEU), LEVTIM "TIMESTEP" from TIMEO, halved when beyond TIMEO + DTIMEU;
// DTIMEU = TIMEN - TIMEO. A step that cannot advance ends the run as in
// trf_first_step.
void trf_next_step(TrfFrame& f, double h);

// h raised to DTMIN (a value that is not a number becomes DTMIN), then
// lowered to DTMAX.
double trf_limit_step(double h);

// End warning of a condition counted count times over steps accepted steps:
// "<name>: <what> exceeded in up to 10% of time steps" (code code_low) when
// count / steps < 0.1, else "... in more than 10% of time steps" (code
// code_low + 1); severity 2, naming `routine`. Nothing when count <= 0.
void trf_end_warning(std::string_view name, std::string_view what, int count, int steps, int code_low,
                     std::string_view routine);

// Frame steps 7 and 8: TIMEM = TIMEN = TIMEO = TIMEND when the steps ran;
// SOLVER blanked unless it begins with "CY". (The core tops go back when f
// goes out of scope.)
void trf_close(TrfFrame& f);

// A message padded with blanks to n characters (the routines' message
// fields).
std::string trf_padded(std::string_view text, std::size_t n);
