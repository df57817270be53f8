// The part of the step-loop work records of the explicit forward and the
// forward-backward solutions (S7SlveWork, S4SlveWork) that is the same for
// both: the network the steps work on, the integer masks and the heap arrays
// of the step loop. th_bind_step_work (step_work_binding.h) fills it.
#pragma once

#include "thermal/counting_list.h"
#include "thermal/thermal_network.h"
#include "thermal/thermal_views.h"

struct TrfFrame;

struct ThStepNetwork {
  // The network: counts and mask extents, compact list, conductors and
  // letters, capacitances, heat sources, temperatures (fluid neighbours are
  // boundaries at their fluid node's temperature).
  ThNetwork net;
  // The integer masks on the integer dynamic core.
  ThInts gfmask, glmask, grmask, dbnodemask;
  // Heap arrays of the step loop (set by the solution for its duration):
  // the counting list follows the masks.
  ThInts zcapmask, dnodemask;
  ThReals qsum;
  ThCountingList counting;
  // The transient frame of the call: event list, output times.
  TrfFrame* frame = nullptr;
};
