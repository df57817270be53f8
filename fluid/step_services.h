// The services the step loops of the single-phase fluid-loop routines
// share: step acceptance and the next step (FSTIME), the iteration control
// of one implicit step (FLTNIM), the per-step property and link kernels
// (SNFE, SCPRHO, SGMCIM, SGCOIM) and the end-of-run warnings.
#pragma once

#include <string_view>

#include "fluid/fluid_network.h"
#include "fluid/implicit_updates.h"

// The output times of a step loop and its event arrays. nominal is TIMEO +
// k x OUTINT, next the output time the steps aim at (nominal cut at TIMEND,
// pulled back onto an event). routine names the routine that ends the run
// when a step cannot advance the clock.
struct FlClock {
  FlCInts events;
  int nev = 0;
  double nominal = 0.0;
  double next = 0.0;
  std::string_view routine;
};

// How often the tolerances were exceeded over a run.
struct FlExceedances {
  int relxca = 0, frlxca = 0, relxma = 0, dtpmax = 0;
};

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
// FLTMTS for its sub-steps). The loops ask it before the humidity update,
// which a repeated step does not need.
bool fl_step_repeated(double change);

// Whether the step loop is done: TIMEND <= TIMEO + 0.1 DTIMEU.
bool fl_loop_done();

// The step from TIMEO towards clock.next: DTIMEU := max(DTMIN, min(DTIMEI,
// DTMAX)); TIMEN := min(clock.next, TIMEO + 2 DTIMEU), pulled back by
// LEVTIM "TIMESTEP" and halved when beyond TIMEO + DTIMEU; DTIMEU := TIMEN -
// TIMEO; TIMEM := (TIMEO + TIMEN) / 2. A step end that does not lie after
// TIMEO while the loop is not done (a step of no length, one lost in the
// rounding of TIMEO, a time that is not a number) would repeat the same step
// for ever: the run ends there through ERROR naming clock.routine.
void fl_place_step(const FlClock& clock);

// The end-of-run warnings of a step loop, in the order RELXCA, FRLXCA,
// RELXMA, DTPMAX, for each counter above 0: "<prefix>: <NAME> exceeded in up
// to 10% of time steps" (codes 1, 3, 5, 7) when counter / steps < 0.1, else
// "... in more than 10% of time steps" (codes 2, 4, 6, 8); severity 2, a
// field of 60 characters, naming `routine`. steps is the accepted-step
// counter, which starts at 1.
void fl_end_warnings(std::string_view prefix, std::string_view routine, const FlExceedances& counts, int steps);

// ---- The implicit step -------------------------------------------------

// One implicit thermal-fluid step over dt (Tnew, Tfnew the results; the model
// temperatures are left alone). SOLTYP "THERMAL"; the old and new arrays
// from the node temperatures; QR := QR + r2 for the step; STSTAB and SFSTAB
// (CSGMIN, NCSGMN); then outer passes (marks cleared) of inner passes
// (VARIABLES1, SFBKTS, SFBKFS over perm) until an inner pass converges,
// repeated while the outer pass did not converge and METHOD is not 0, all
// ending once NLOOPT sweeps are made; QR := QR - r2; SOLTYP blank.
// iterations := the sweeps made; change := the largest |Tnew - Told| over
// thermal nodes "D" with |C| > 1e-37 and |Tfnew - Tfold| over fluid nodes
// "F", "J", "Q", "S" (0 when none).
void FLTNIM(const FlNetwork& net, double dt, const FlStepArrays& s, FlInts tmarks, FlInts fmarks, FlCInts perm,
            FlCReals rho, FlCReals cp, FlCReals vrate, FlCReals r2, FlTimeLag& lag, int& iterations, double& change);

// ---- Per-step property and link kernels ---------------------------------

// Qualities and enthalpies of every fluid node from P and T: x(i) :=
// XGXPT(P, T) (for an "AIRW" node its humidity ratio W), FE(i) := XENTH(P,
// T, x(i)); VQ is not changed. The node loop
// carries the pass guard (ERROR naming "SNFE").
void SNFE(const FlNetwork& net, FlReals x);

// cp(i) := XCP and rho(i) := XRHO of every fluid node at its P, T, VQ.
void SCPRHO(const FlNetwork& net, FlReals rho, FlReals cp);

// Link conductances from the stored specific heats: (cp(a) + cp(b)) x 0.5 x
// |M| for a link from a to b.
void SGMCIM(const FlNetwork& net, FlCReals cp);

// dtcour := the smallest link transit time (rho(a) + rho(b)) x 0.5 x (FL(a)
// + FL(b)) x 0.5 x min(FLA(a), FLA(b)) / max(|M|, MINFLO) and dtcour as it
// stands (a time that is not a number is passed over).
void SGCOIM(const FlNetwork& net, FlCReals rho, double& dtcour);
