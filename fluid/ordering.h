// Ordering of the fluid network for the hydraulic equations of the FLT
// routines, and the profile (variable-band) layout of their matrix.
#pragma once

#include "fluid/fluid_network.h"

// Numbers the fluid nodes breadth-first along their links, starting at fluid
// node 1; each connected part of the network is finished before the next
// starts at the lowest-numbered node not yet placed. Every link counts,
// whatever its status and flow; neighbours are taken in the order of the
// fluid connection list. Fills (in the driver's integer work space):
//
//   perm(r)  the fluid node at position r
//   pos(k)   the position of fluid node k
//   jl(r)    first column of row r: the position from which the node of r
//            was first reached (r for the first position of a part)
//   ir(r)    last column of row r: max(r, ir(r - 1), the largest position of
//            a neighbour of the node of r)
//   id(r)    place of the diagonal of row r in the profile storage, where
//            row r holds columns jl(r)..ir(r), column c at id(r) + (c - r)
//
// and lprof = id(nf), the number of stored elements. A profile that would
// pass 2,147,483,647 elements holds that value from its first row beyond it
// on, so that the real work space of the driver is reported short instead of
// the count wrapping. nf < 1: nothing placed, lprof = 0. The walk and the
// scan carry the pass guard (ERROR naming "FPNTRS"). No messages.
void FPNTRS(const FlNetwork& net, FlOrdering& ord);
