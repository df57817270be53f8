// The Newton corrector of the Gear solution and its dense linear algebra.
//
// For a step from TIMEO to TIMEN the backward-differentiation equation of
// solved node i is C(i) alpha (Ti - H(i)) = net heat flow into node i, with
// alpha and the history term H from the interpolating polynomial of the last
// k solutions. Each pass rebuilds the dense Jacobian over the solved nodes
// (radiation linearised about the current temperatures), factorises it
// without pivoting, solves for the increment and tests convergence.
//
// Matrix storage: S(a, b) = s(nd * (b - 1) + a), the transpose of the
// Jacobian (column b holds the row of equation b).
#pragma once

#include <cstdint>
#include <string_view>

#include "thermal/gear.h"
#include "thermal/thermal_views.h"

// One step's corrector: passes of VARIABLES1, S5JINT, S5JCLC, S5FACT, S5MATS
// and S5CONV until converged; a pass that cannot converge ends the run.
void S5CORR(GearState& g);

// Counts the solved nodes, checks the work space for the matrix and forms
// alpha and the history term H (slab 9). status 0, or 1 after the fatal
// shortage report.
void S5JINT(GearState& g, int& status);
// History term and alpha for every node (all) or the solved nodes only.
void s5_history(GearState& g, bool all);

// Builds every row of the matrix and the residuals (slab 10).
void S5JCLC(GearState& g);
// The row of solved node i, the q-th solved node, starting after word
// rowstart of W; its residual goes to slab 10 value q.
void S5JROW(GearState& g, int i, int q, std::int64_t rowstart);

// In-place LU factorisation of the nd x nd matrix s (Doolittle, row by row,
// no pivoting). status 0, or the first row whose pivot is zero or not finite
// (the factorisation then goes on; the solve gives non-finite values).
void S5FACT(int nd, ThReals s, int& status);
// Solves S^T x = f in place in f with the factorised matrix s.
void S5MATS(int nd, ThCReals s, ThReals f);

// Adds the increments of slab 10 to the solved nodes, sets RELXCC and
// NRLXCC, and tests convergence: done is 1 when converged or when the run
// ends (NLOOP passes, or an increment that is not finite).
void S5CONV(GearState& g, int& done);
// The update and test shared with the point corrector: the increments are
// read by node index when g.bynode is set; the failure report names g.name
// and comes from `routine`. An unconverged pass whose largest increment
// exceeds `prev` (it grew) is done without a report.
void s5_conv(GearState& g, int& done, std::string_view routine, double prev);
