// Explicit forward transient solution of the thermal network.
//
// SLFRWD is called by the user's EXECUTION statements (or repeated by the
// cyclic solution) with no arguments. Every capacitive node advances by one
// explicit Euler step from the temperatures at the start of the step
// (S7DIFF); the zero-capacitance nodes are then brought to their steady
// balance by relaxation passes (S7ARTH). The step is not the user's: it is
// 0.95 times the smallest C / G over the capacitive nodes of the step just
// made (the stability limit of the explicit scheme), bounded by DTMIN and
// DTMAX and cut at output and event times (S7TIME).
//
// No control constant is required: an undefined NLOOP becomes 1 and RELXCA
// then 1.0E10. DTIMEI is replaced by 0.95 * CSGMIN. Also read: DTMIN, DTMAX,
// OUTINT, TIMEO, TIMEND, STEFAN, TABS. Written: DTIMEI, DTIMEU, TIMEO,
// TIMEN, TIMEM, CSGMIN, NCSGMN, LOOPCT, RELXCC, NRLXCC, MODULE, SOLVER.
#pragma once

#include <cstdint>

#include "thermal/step_network.h"
#include "thermal/thermal_views.h"

void SLFRWD();

// Everything the step loop works on: the network, masks and heap arrays
// (ThStepNetwork) and its own work block and counters. The control constants
// are read from and written to their records directly.
struct S7SlveWork : ThStepNetwork {
  // Work block on the real dynamic core: temperatures at the start of the
  // step.
  ThReals tpass;
  // Steps made, and steps that ended with RELXCC > RELXCA.
  int steps = 0, nexc = 0;
};

// The step loop. status 0, the code of its end warning (2 or 3), or the
// failure code of a kernel.
void S7SLVE(S7SlveWork& w, int& status);
// One step: start temperatures, explicit update, relaxation passes until
// RELXCC <= RELXCA or NLOOP passes (at least one).
void S7NEWT(S7SlveWork& w, int& status);
// Explicit update of every capacitive node from the start temperatures;
// sets CSGMIN / NCSGMN to the smallest C / G of the step.
void S7DIFF(S7SlveWork& w, int& status);
// One relaxation pass over the zero-capacitance nodes (Gauss-Seidel, no
// damping); RELXCC / NRLXCC the largest correction.
void S7ARTH(S7SlveWork& w, int& status);
// After every step: VARIABLES2, OUTPUTS at output times, the next step from
// DTIMEI (= 0.95 * CSGMIN).
void S7TIME(S7SlveWork& w);
