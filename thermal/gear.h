// The Gear solution of the thermal network: a variable-order (1 to 6),
// variable-step backward-differentiation integration of
//   C dT/dt = Q + sum G (Tj - Ti) + sum sigma GR (Tj^4 - Ti^4)
// from TIMEO to TIMEND.
//
// The history of accepted solutions is kept as modified divided differences
// in a ring of eight slabs of the work space W (borrowed from the real stack
// of the dynamic core). Each step predicts from the history, corrects (the
// Newton corrector of gear_jacobian.h for SLGEAR, the point iteration of
// slgrdj.h for SLGRDJ), tests a local error estimate and, every k + 2
// accepted steps, chooses a new order and step. Output times are not hit by
// the steps: the outputs are interpolated from the history.
//
// Only nodes of status "D" are integrated; every other node keeps what the
// user's blocks and the node-copy list set. A connection to a fluid node is
// a boundary at that fluid node's temperature.
#pragma once

#include <cstdint>
#include <string_view>

#include "thermal/thermal_network.h"
#include "thermal/thermal_views.h"

// User-callable transient routine (EXECUTION block).
void SLGEAR();

// Everything the step loop and its services work on for one call. The
// control constants are read and written in GLOR/GLOI directly, so that the
// user's blocks see and change them during the integration.
struct GearState {
  // The network: counts, temperatures, capacitances, statuses, conductors
  // and letters, the linked list and its node-copy tail, heat sources.
  ThNetwork net;

  // The work space W(1 .. lenw): slab s holds W(s*nt + 1 .. s*nt + nt);
  // slabs 1..8 history ring (absolute temperatures in the newest,
  // differences in the others), 9 history term, 10 residual / increment, 11
  // error weights, 12 onwards the corrector's matrix or diagonal.
  std::int64_t lenw = 0;
  ThReals w;

  // The routine that runs ("SLGEAR" or "SLGRDJ"): names its own messages.
  std::string_view name = "SLGEAR";
  // Slab 10 holds the increments by node index (the point corrector) rather
  // than compacted in solved-node order (the Newton corrector).
  bool bynode = false;

  // Event list (numbers of the event arrays).
  ThCInts events;
  int nev = 0;

  // Method state.
  int k = 1;          // order
  int r = 1;          // ring level of the newest accepted solution
  int hist = 0;       // 1 once a step has been accepted
  int evalcount = 0;  // accepted steps since the last order and step choice
  int converged = 0;  // set by the corrector
  int stop = 0;       // set when a step cannot be retried
  int nd = 0;         // solved nodes (counted by the corrector)
  double th[9] = {};  // history times TH(1..8)
  double c[9] = {};   // coefficients c(1..8)
  double alpha = 0.0;
  double prev = 0.0;                                    // point corrector: largest increment of the previous pass
  double f[7] = {0.0, 10.0, 2.6, 1.9, 1.5, 1.2, 1.05};  // growth limits F(1..6)
  double tout = 0.0, tout0 = 0.0;                       // next and running output time

  // Helpers.
  static int ring(int x) { return ((x - 1) % 8 + 8) % 8 + 1; }
  double& TH(int i) { return th[i]; }
  double& C(int i) { return c[i]; }
  // Value i of slab s.
  double& slab(int s, int i) { return w(static_cast<std::int64_t>(s) * net.nt + i); }
  bool solved(int i) const { return net.tstat(i).c[0] == 'D'; }
};

// Step loop of SLGEAR: sets up the history and runs passes of prediction,
// correction and error test until TIMEND (or a stop).
void S5SLVE(GearState& g);
// Prediction of the step to TIMEN from the history (nothing before the first
// accepted step).
void S5PRED(GearState& g);
// Error test after the corrector: accepts (VARIABLES2, S5STUP) or sets up a
// shorter retry (S5TSET).
void S5CHCK(GearState& g);
// Retry of a rejected step with the proposed step h (fatal at DTMIN).
void S5TSET(GearState& g, double h);
// After an accepted step: history update, outputs due, weights, order and
// step choice, and the next step end.
void S5STUP(GearState& g);
// History update with the accepted solution at TIMEN.
void S5STAK(GearState& g);
// Interpolated output at the next output time.
void S5OUTP(GearState& g);
// Order and step choice.
void S5ORDR(GearState& g);

// History set-up of a step loop: slab 1 from the temperatures, weights 1.0,
// differences 0.0, order 1, empty coefficient store (the history times are
// set by the caller).
void s5_start(GearState& g);
// Passes of prediction, the given corrector and the error test until
// TIMEND or a stop; after pass 2,000,000,001 the fatal message names the
// routine in g.name and reports from `loop`.
void s5_passes(GearState& g, void (*corrector)(GearState&), std::string_view loop);

// The driver shared by SLGEAR and SLGRDJ: entry checks, event list, work
// space, start output and first step, then the step loop; restores both
// dynamic-core tops and SOLVER on every return.
void s5_drive(std::string_view name, void (*loop)(GearState&));
