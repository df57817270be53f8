// Pressure equation of the two-phase iteration: one linear mass balance per
// fluid node in the new pressures, from the linearised link flows (FCMOMK)
// and the linearised new densities rho*(n) + drdp(n) p(n), with rho*(n) =
// (hnew - h) drdh + RHO - P drdp. Nodes of status "J" and "R" hold their
// pressure.
#pragma once

#include "fluid/fgenfi_work.h"
#include "fluid/fluid_network.h"

// Assembles amat and bvec (amat cleared by the previous solution): a held
// node's row is its pressure; every other node's row comes from FSUMGP. With
// the loop-mass flag, the last row of every loop without a held pressure is
// replaced by the loop's linearised mass balance: sum over the loop of
// -drdp VOL p = sum of VOL rho* - loopmass. The loop scan carries the pass
// guard ("FGFIPS").
void FGFIPS(const FlNetwork& net, const FgPass& w);

// Row of free node i: storage and compliance (compliance only for a node of
// status "H" or with the loop-mass flag), the mass source, the user's volume
// change VDT, and each active link (momentum: both ends' pressures and
// densities; evaporative: the flow lnkc0 - lnkcp p2 of its second node).
// Another link type ends the run: "Unrecognised mass flow link type@Allowed
// types: momentum, evaporative." (severity 4, code 1, "FSUMGP"). The walk
// carries the pass guard ("FSUMGP").
void FSUMGP(const FlNetwork& net, const FgPass& w, int i);
