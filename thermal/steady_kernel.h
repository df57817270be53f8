// The numerical kernel of one steady-state pass and three small services of
// the thermal solution.
//
// S3COND assembles the conductance matrix (lower triangle, packed by rows in
// the profile of S3PNTR) and the right-hand side, with radiation linearised
// about the current temperatures; S3SFCT factorises it in place (Cholesky,
// A = L L^T); S3SSUB solves by forward and backward substitution. The solved
// quantities are absolute temperatures (T + TABS), indexed by matrix row.
//
// Fluid neighbours: a connection-list entry whose neighbour k is above nt is
// fluid node k - nt. Every routine here treats it as a boundary held at that
// fluid node's temperature net.tf(k - nt); none indexes a thermal array with
// it.
#pragma once

#include <cstdint>

#include "platform/array.h"
#include "platform/text.h"
#include "thermal/thermal_network.h"
#include "thermal/thermal_views.h"

// One assembly at the temperatures net.t over the compact list. Identity
// rows (diagonal 1, right-hand side T + TABS) for nodes that are not
// solved; a solved node without any active connection gets the
// zero-diagonal warning (severity 2, code 1) and an identity row. rowfirst
// is rebuilt as the actual first column of each row. status 0, or 1 when
// proflen is not positive (nothing assembled).
void S3COND(const ThNetwork& net, ThCInts diagptr, ThCInts dnodemask, ThCInts gfmask, ThCInts glmask, ThCInts grmask,
            ThCInts dbnodemask, ThCInts nodepos, ThCInts nodeorder, int proflen, ThReals profile, ThReals rhs,
            ThInts rowfirst, int& status);

// Cholesky factorisation in place within rowfirst. status 0, or the last
// matrix row whose pivot failed: relative size below 1e-8 against the
// assembled diagonal, negative, or not finite (that row keeps its unreduced
// diagonal).
void S3SFCT(ThCInts diagptr, ThCInts rowfirst, int nt, int proflen, ThReals profile, int& status);

// Forward and backward substitution with the factor; v holds the
// right-hand side on entry and the solution on return.
void S3SSUB(ThCInts rowfirst, ThCInts diagptr, ThCReals factor, int nt, int proflen, ThReals v);

// Linearised conductance sum of node `node` at the temperatures t over its
// linked list (neighbours of status "X" or "C" skipped, inactive conductors
// adding 0).
void SDGSUM(const ThNetwork& net, int node, ThCReals t, double& sum);

// Heat flows into node i at the temperatures t by conductor kind over its
// compact lists (active conductors only; thermal neighbours of status "X"
// skipped; GF entries with a positive conductor only).
void SCNDHF(const ThNetwork& net, int i, ThCReals t, double& qfluid, double& qlinear, double& qradiative);

// Prints the block warning of a temperature above 1.0E10 at node index n on
// the print unit of PRTINF, with page control.
void PRTWAR(int n);
