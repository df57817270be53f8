// The part of the step-loop work records of the explicit forward and the
// forward-backward solutions (S7SlveWork, S4SlveWork) that is the same for
// both: the network the steps work on, the integer masks and the heap arrays
// of the step loop. th_bind_step_work (step_work_binding.h) fills it.
#pragma once

#include "thermal/thermal_views.h"

struct TrfFrame;

struct ThStepNetwork {
  // Counts and the mask extents (counts raised to at least 1).
  int nt = 0, ngf = 0, ngl = 0, ngr = 0;
  int ngf1 = 1, ngl1 = 1, ngr1 = 1;
  // Compact connection list and its pointers (6 rows per node).
  int lencompact = 0;
  ThCInts pcs;
  ThCPtrs ptrs;
  // Conductors, letters, capacitances, heat sources, temperatures.
  ThCReals gf, gl, gr;
  ThCLetters gfacts, glacts, gracts, statuses;
  ThCReals cap;
  ThCReals qa, qe, qi, qr, qs;
  ThReals t;
  ThCReals tf;  // fluid-node temperatures (fluid neighbours are boundaries)
  // The integer masks on the integer dynamic core.
  ThInts gfmask, glmask, grmask, dbnodemask;
  // Heap arrays of the step loop (set by the solution for its duration).
  ThInts zcapmask, dnodemask;
  ThReals qsum;
  // The transient frame of the call: event list, output times.
  TrfFrame* frame = nullptr;
};
