// The Gear solution with a point corrector: the same variable-order,
// variable-step backward-differentiation method as SLGEAR (history ring,
// prediction, error test, retry, history update, interpolated outputs, order
// and step choice are SLGEAR's own routines), but each step is corrected by
// a Jacobi iteration: every solved node moves by its heat-balance residual
// divided by the diagonal of its Jacobian row, all from the previous pass's
// temperatures. No matrix is built: the work space is 13 NT words. When the
// largest increment grows, the corrector stops and the step is retried
// shorter.
#pragma once

#include "thermal/gear.h"

// User-callable transient routine (EXECUTION block).
void SLGRDJ();

// Step loop: the passes of S5PRED, S6CORR and S5CHCK until TIMEND or a stop.
void S6SLVE(GearState& g);
// One step's corrector; converged flag 1, or 0 when the increments grew.
void S6CORR(GearState& g);
// alpha and the history term H (slab 9) for every node.
void S6JINT(GearState& g);
// Residuals (slab 10) and Jacobian diagonals (slab 12) of the solved nodes,
// at each node's own position.
void S6JCLC(GearState& g);
// Adds the increments to the solved nodes and tests convergence (done 1 when
// converged, or when the run ends after NLOOP passes).
void S6CONV(GearState& g, int& done);
