// Crank-Nicolson transient solution of the thermal network.
//
// SLCRNC is called by the user's EXECUTION statements with no arguments and
// integrates from TIMEO to TIMEND with the trapezoidal rule: each step
// starts from an implicit-Euler estimate, corrects the capacitive nodes one
// after the other with damped Newton passes (extrapolated every fourth
// pass), balances the arithmetic nodes (time constant at most ARITH times
// the step) at every pass, and is accepted or shortened by the largest
// temperature change (DTPMAX) and the change of the nodes' rates (DTROCA).
// Required control constants: NLOOP, DTIMEI, RELXCA.
#pragma once

#include <cstdint>

#include "thermal/counting_list.h"
#include "thermal/thermal_network.h"
#include "thermal/thermal_views.h"

struct TrfFrame;

void SLCRNC();

// Everything the step loop works on. Control constants are read from the
// global records at each use, so that changes made by the user's blocks are
// seen.
struct S9SlveWork {
  TrfFrame* frame = nullptr;
  // The network: counts, compact list, conductors and letters,
  // capacitances, statuses, sources, temperatures.
  ThNetwork net;
  // Blocks on the dynamic core (9 real of nt words; 4 integer).
  ThReals tstepold, ratestepold, xsnap1, xsnap2, tarith0, archange, ctau, asnap1, asnap2;
  ThInts gfmask, glmask, grmask, dbnodemask;
  // Heap arrays of the step loop: node masks, sources, powers, the counting
  // list (rebuilt with the masks) and the nodes of each class at the start
  // of the step in index order, arithmetic (narith) and the others (nother).
  ThInts dnodemask, arithmask;
  ThReals qsum, tabs3, tabs4;
  ThCountingList counting;
  ThInts arithnodes, othernodes;
  int narith = 0, nother = 0;
  // Step-loop counters.
  int steps = 0, nrel = 0, ndtp = 0, ndtr = 0;
  // Largest change of the capacitive nodes over the attempt; the most
  // negative double when there is no capacitive node.
  double maxdt = 0.0;
};

// The step loop: allocates its heap arrays, steps until TIMEO reaches
// TIMEND, issues the end warnings and frees its arrays.
void S9SLVE(S9SlveWork& w);
// Start of a step: step-start copies, sources, node classes (and their node
// lists) and time constants (CSGMIN, NCSGMN), implicit-Euler estimate of the
// capacitive nodes, one balance of the arithmetic nodes.
void S9LOP1(S9SlveWork& w);
// The Newton passes of one attempt.
void S9NEWT(S9SlveWork& w);
// Acceptance of the step and the next step; returns true when the step was
// rejected (DTIMEU and TIMEN shortened, temperatures pulled back).
bool S9TIME(S9SlveWork& w);
