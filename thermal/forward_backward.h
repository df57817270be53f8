// Forward-backward transient solution of the thermal network.
//
// SLFWBK is called by the user's EXECUTION statements (or repeated by the
// cyclic solution) with no arguments. It advances the temperatures from
// TIMEO to TIMEND: every capacitive node satisfies a trapezoidal balance
// over each step (stored heat = sources + the mean of the net conducted and
// radiated flows at the start and at the end of the step). A step starts
// from a backward-Euler estimate (S4LOP1), is corrected node by node by
// damped Newton passes with an extrapolation every fourth pass (S4NEWT), and
// is accepted or repeated shorter by the largest temperature change against
// DTPMAX (S4TIME). Zero-capacitance nodes meet their steady balance at every
// pass.
//
// Required control constants: NLOOP, DTIMEI, RELXCA. Also read: DAMPT,
// DTMIN, DTMAX, DTPMAX, OUTINT, TIMEO, TIMEND, STEFAN, TABS, METHOD (bit
// 1024). Written: TIMEO, TIMEN, TIMEM, DTIMEU, LOOPCT, RELXCC, NRLXCC,
// CSGMIN, NCSGMN, MODULE, SOLVER.
#pragma once

#include <cstdint>

#include "thermal/step_network.h"
#include "thermal/thermal_views.h"

void SLFWBK();

// Everything the step loop works on: the network, masks and heap arrays
// (ThStepNetwork) and its own work blocks and counters. The control
// constants are read from and written to their records directly, so that
// changes made by the user's blocks between steps are seen.
struct S4SlveWork : ThStepNetwork {
  // Work blocks on the real dynamic core: temperatures and net heat flows at
  // the start of the step, the two extrapolation snapshots.
  ThReals tstepold, fstepold, xsnap1, xsnap2;
  // Position of tstepold and fstepold in the real dynamic core.
  int tstepold_at = 0, fstepold_at = 0;
  // Step-loop counters: attempts (rejected ones included), accepted steps
  // left unconverged (RELXCA), steps accepted over DTPMAX at the smallest
  // step, and the Newton pass counter of the current step.
  int attempts = 0, nrel = 0, ndtp = 0;
  int k = 0;
};

// The step loop. status 0, the code of its last end warning (2..5), or the
// failure code of a kernel.
void S4SLVE(S4SlveWork& w, int& status);
// First pass of a step: the backward-Euler estimate of the capacitive nodes
// from the start-of-step temperatures, then the steady balance of the
// zero-capacitance nodes. status 0, or 1/2 after a temperature above 1.0E10.
void S4LOP1(S4SlveWork& w, int& status);
// Damped Newton passes on the trapezoidal balance until RELXCC <= RELXCA or
// NLOOP passes (first pass included), extrapolating every fourth pass.
void S4NEWT(S4SlveWork& w, int& status);
// Acceptance of the step by its largest change dmax against DTPMAX; on
// acceptance VARIABLES2, OUTPUTS at output times and the next step; on
// rejection the start temperatures again and a shorter step.
void S4TIME(S4SlveWork& w, double dmax);
