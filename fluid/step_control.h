// Step control of the fluid-loop routines: the clock of a step loop (its
// output times and event arrays, FGENFI's too), and for the single-phase
// loops the exceedance counters, the state a rejected step puts back, the
// placement of the next step, the acceptance of a step (FSTIME, FMTIME of
// FLTMTS) and the end-of-run warnings.
#pragma once

#include <string_view>
#include <vector>

#include "core/control_constants.h"
#include "fluid/fluid_constants.h"
#include "fluid/fluid_network.h"
#include "fluid/implicit_updates.h"

// The output times of a fluid-loop step loop and its event arrays, one
// record for the four drivers (FLTNTS, FLTNTF, FLTMTS and FGENFI). nominal
// is TIMEO + k x OUTINT, next the output time the steps aim at (nominal cut
// at TIMEND, pulled back onto an event). routine names the routine that ends
// the run when a step of the FLT loops cannot advance the clock.
struct FlClock {
  FlCInts events;
  int nev = 0;
  double nominal = 0.0;
  double next = 0.0;
  std::string_view routine;
};

// The first output time of a run: nominal := TIMEO + OUTINT; next := nominal
// cut at TIMEND (also when not a number), pulled back by LEVTIM "OUTPUT"
// from TIMEO.
void fl_first_output_time(FlClock& clock);

// The output time after an output: the nominal time advances by OUTINT once
// TIMEN has reached it; next := the nominal time cut at TIMEND (also when
// not a number), pulled back by LEVTIM "OUTPUT" from `from`.
void fl_next_output_time(FlClock& clock, double from);

// The outputs of an accepted step: when TIMEN has reached clock.next,
// OUTPUTS and then the next output time from TIMEN (as OUTPUTS left it).
void fl_outputs_if_due(FlClock& clock);

// How often the tolerances were exceeded over a run.
struct FlExceedances {
  int relxca = 0, frlxca = 0, relxma = 0, dtpmax = 0;
};

// ---- The state a rejected step puts back --------------------------------

// What a pass changes besides the temperatures, as it stood when the pass
// began: the pressures, volumes, flow areas, lengths and hydraulic diameters
// that the volume update and the hydraulic solution move (a compliant
// node's volume follows its pressure, so the two go back together), the
// humidity ratio, relative humidity and vapour quality of the "AIRW" nodes
// that the humidity update advances, the condensation rates R1 and latent
// heat loads R2, and the clock of the transport delay. A rejected step puts
// them back, so that its retry starts where the rejected pass started and
// nothing the rejected pass integrated stays; the mass flows stay as the
// rejected pass left them (a start for the next hydraulic solution, which
// has no storage of its own). The arrays are sized once per loop run.
struct FlStepStart {
  std::vector<double> p, vol, fla, fl, fd;  // nf
  std::vector<double> w, phi, vq;           // nf, with the humid-air flag
  std::vector<double> r1, r2;               // nf, nt
  double lag_time = 0.0;
  int lag_pointer = 1;
};

// Sizes the arrays of `start` for a loop over net with the loop's
// humid-air flag, condensation rates r1 and latent heat loads r2.
void fl_step_start_size(const FlNetwork& net, bool humid, FlReals r1, FlReals r2, FlStepStart& start);

// Saves the state above as the start of the next step: before the first
// step of a loop (and, in FLTMTS, once a thermal step is solved, before its
// first sub-step).
void fl_step_start_save(const FlNetwork& net, bool humid, FlReals r1, FlReals r2, const FlTimeLag& lag,
                        FlStepStart& start);

// Puts it back after a rejected step.
void fl_step_start_restore(const FlNetwork& net, bool humid, FlReals r1, FlReals r2, FlTimeLag& lag,
                           FlStepStart& start);

// The last act of a step, after its acceptance: an accepted step's end is
// the next step's start and is saved (fl_step_start_save); a rejected step
// gets the state it started from back (fl_step_start_restore), which is
// also the start of its repeat. So a step visits the step control once, at
// its end.
void fl_step_start_next(const FlNetwork& net, bool humid, FlReals r1, FlReals r2, FlTimeLag& lag, bool accepted,
                        FlStepStart& start);

// ---- Step acceptance ------------------------------------------------------

// Accepts or rejects the step TIMEO..TIMEN whose largest temperature change
// is `change`, and sets up the next one. present: the presence flags
// ("Y"/"N" for thermal, fluid nodes); hydraulic: -1 when the pass ran no
// hydraulic solution, else its converged flag.
//  - Rejected when DTPMAX < change and DTIMEU > 1.0001 DTMIN: DTIMEU :=
//    max(DTMIN, min(DTMAX, 0.95 DTIMEU DTPMAX / change)) (DTMAX when that is
//    not a number), TIMEN := TIMEO + DTIMEU, TIMEM := TIMEO + DTIMEU / 2, the
//    new temperatures reset to the old ones; accepted := 0.
//  - Otherwise accepted := 1 (a change above DTPMAX counts); Tnew and Tfnew
//    become the node temperatures; VARIABLES2; at the output time OUTPUTS,
//    the nominal time advances by OUTINT once it is reached and the next
//    output time is the nominal one cut at TIMEND (also when not a number),
//    pulled back by LEVTIM "OUTPUT" from TIMEN; TIMEO := TIMEN; DTIMEU :=
//    max(DTMIN, min(DTIMEI, DTMAX)); TIMEN := min(next output time, TIMEO +
//    2 DTIMEU), LEVTIM "TIMESTEP", halved when beyond TIMEO + DTIMEU;
//    DTIMEU := TIMEN - TIMEO; TIMEM := the middle; then RELXCC > RELXCA,
//    FRLXCC > FRLXCA and a hydraulic solution that did not converge count.
//    A next step that cannot advance the clock before TIMEND ends the run
//    through ERROR naming clock.routine.
void FSTIME(const FlNetwork& net, FlClock& clock, std::string_view present, int hydraulic, double change,
            const FlStepArrays& s, FlExceedances& counts, int& accepted);

// Whether the step just solved is to be repeated shorter: its largest
// change exceeds DTPMAX and DTIMEU > 1.0001 DTMIN (FSTIME, and FMTIME of
// FLTMTS for its sub-steps). A test of the step's change against the control
// constants, which the humidity update leaves alone: the loops hold its
// answer as a flag once the node update has given the change, and skip the
// humidity update, which a repeated step does not need.
inline bool fl_step_repeated(double change) {
  return GLOR.DTPMAX < change && GLOR.DTIMEU > kFlStepAtMinimum * GLOR.DTMIN;
}

// Whether the step loop is done: TIMEND <= TIMEO + 0.1 DTIMEU.
bool fl_loop_done();

// The step the user asks for: max(DTMIN, min(DTIMEI, DTMAX)).
double fl_asked_step();

// A step end that does not lie after TIMEO while the loop is not done (a
// step of no length, one lost in the rounding of TIMEO, a time that is not a
// number) would repeat the same step for ever: the run ends there through
// ERROR naming clock.routine.
void fl_require_advance(const FlClock& clock);

// The step from TIMEO towards `bound` with the step s: TIMEN := min(bound,
// TIMEO + 2 s), pulled back by LEVTIM "TIMESTEP" and halved when beyond
// TIMEO + s; DTIMEU := TIMEN - TIMEO; TIMEM := (TIMEO + TIMEN) / 2; then
// fl_require_advance.
void fl_place_step_towards(const FlClock& clock, double bound, double s);

// The step from TIMEO towards clock.next: DTIMEU := max(DTMIN, min(DTIMEI,
// DTMAX)); TIMEN := min(clock.next, TIMEO + 2 DTIMEU), pulled back by
// LEVTIM "TIMESTEP" and halved when beyond TIMEO + DTIMEU; DTIMEU := TIMEN -
// TIMEO; TIMEM := (TIMEO + TIMEN) / 2. A step end that does not lie after
// TIMEO while the loop is not done (a step of no length, one lost in the
// rounding of TIMEO, a time that is not a number) would repeat the same step
// for ever: the run ends there through ERROR naming clock.routine.
void fl_place_step(const FlClock& clock);

// The thermal step of FLTMTS: TIMENT from TIMEOT with the step s towards
// clock.next: at most two steps ahead, pulled back onto a step event, a
// remainder of between one and two steps split in two; DTIMUT := TIMENT -
// TIMEOT.
void fl_place_thermal_step(const FlClock& clock, double s);

// FLTMTS: accepts or rejects the sub-step TIMEO..TIMEN with the largest fluid change
// `change`, and places the next sub-step (and, when the thermal step is
// finished, the next thermal step). completed: the thermal step is finished.
// s: the sub-step's arrays (Told the thermal temperatures at its start, Tnew
// those at its end, Tfold and Tfnew the fluid ones); a rejection resets the
// new ones to the old, an acceptance copies them to the model, runs
// VARIABLES2 and carries what it changed into both; the outputs if due, the
// next thermal step once this one is within a tenth of the sub-step of its
// end, then the next sub-step: DTIMIF, half the rest, or the rest; the
// counters as FSTIME's.
void FMTIME(const FlNetwork& net, FlClock& clock, std::string_view present, int hydraulic, double change,
            const FlStepArrays& s, FlExceedances& counts, bool& completed, bool& accepted);

// The end-of-run warnings of a step loop, in the order RELXCA, FRLXCA,
// RELXMA, DTPMAX, for each counter above 0: "<prefix>: <NAME> exceeded in up
// to 10% of time steps" (codes 1, 3, 5, 7) when counter / steps < 0.1, else
// "... in more than 10% of time steps" (codes 2, 4, 6, 8); severity 2, a
// field of 60 characters, naming `routine`. steps is the accepted-step
// counter, which starts at 1.
void fl_end_warnings(std::string_view prefix, std::string_view routine, const FlExceedances& counts, int steps);
