// The thermal network as every thermal solution routine sees it: one view
// (ThNetwork) of the counts, spans over the thermal-node, conductor and
// fluid-node temperature arrays and the two connection lists, and the two
// control constants of the conductance sums (STEFAN, TABS). It is the
// thermal counterpart of FlNetwork (fluid/fluid_network.h) and follows the
// same rules.
//
// Binding. th_network() reads FLAGS and the global arrays once and returns
// the view; a driver binds it at entry (the arrays are allocated once per
// run and never move during a solution), keeps it in its work record and
// hands it by const reference to its kernels, the kernel's own vectors
// (masks, step-start copies, work blocks) following it:
//
//   const ThNetwork net = th_network();
//   for (int i = 1; i <= net.nt; ++i) {
//     double g = 0.0, gt = 0.0;
//     S4GSUM(net, counting, i, tstepold, g, gt);
//   }
//
// A const view still writes through its spans (they are views, not owners):
// the element type says what the thermal solution may change. The
// temperatures t are the only thermal array a solution writes; everything
// else is model input that the user's blocks may change between two kernel
// calls (so a kernel reads it at the moment of use and never keeps a copy
// across a block).
//
// Indices. Thermal node i (1..nt) is element i of every per-node span. A
// connection-list neighbour k above nt is fluid node k - nt, a boundary of
// the thermal network held at tf(k - nt); no per-node span is indexed with
// it. Conductors are indexed by their global number of their kind.
//
// Temperatures. Kernels that form conductance sums take the thermal
// temperatures as an argument (start-of-step values or iterates held in work
// space); net.t is the model's own array, net.tf the fluid nodes'.
//
// Control constants are not copied into the view: the user's VARIABLES1,
// VARIABLES2 and OUTPUTS statements may change them between two kernel
// calls. stefan() and tabs() read them where the view was bound to them
// (th_network binds GLOR.STEFAN and GLOR.TABS), so the kernels name no
// global; every other constant is read from or written to GLOR and GLOI by
// the drivers.
//
// Counts raised to at least 1 (nt1, ngl1, ...) are the extents the drivers
// give their per-node and per-conductor masks and work blocks.
//
// Work space. The view holds no work space: masks, step-start copies and
// heap scratch belong to the routine's work record.
#pragma once

#include "core/control_constants.h"
#include "thermal/thermal_views.h"

struct ThNetwork {
  // ---- Counts (FLAGS words 1, 2, 3, 4; negative words count as 0)
  int nt = 0, ngl = 0, ngf = 0, ngr = 0;
  // The same raised to at least 1.
  int nt1 = 1, ngl1 = 1, ngf1 = 1, ngr1 = 1;
  // Lengths of the linked list (word 24), of its node-copy tail (word 25)
  // and of the compact list (its allocated size).
  int lenthermal = 0, lencopy = 0, lencompact = 0;

  // ---- Thermal nodes
  ThReals t;                    // temperatures (relative; absolute is t + tabs())
  ThCReals cap;                 // capacitances
  ThCLetters tstat;             // statuses ("D" solved, "B" boundary, "X", "C")
  ThCInts nums;                 // user node numbers
  ThCReals qa, qe, qi, qr, qs;  // heat sources: albedo, planet, internal, other, solar

  // ---- Fluid nodes
  ThCReals tf;  // temperatures (boundaries of the thermal network)

  // ---- Conductors: values and activity letters ("A" active)
  ThCReals gl, gr, gf;
  ThCLetters glacts, gracts, gfacts;

  // ---- Connection lists
  ThCInts pcs, ptrs;  // linked list and start words (node-copy tail included)
  ThCInts cpcs;       // compact list: per node GL, GR, GF pairs (neighbour, conductor)
  ThCPtrs cptrs;      // its pointers, 6 per node: start and count of each sub-list

  // ---- Control constants, read at each use
  const double* stefan_at = &GLOR.STEFAN;
  const double* tabs_at = &GLOR.TABS;
  double stefan() const { return *stefan_at; }
  double tabs() const { return *tabs_at; }
};

// The view of the model as it is now.
ThNetwork th_network();
