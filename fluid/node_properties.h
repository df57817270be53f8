// The node properties of a step of the single-phase fluid-loop routines and
// the link values formed from them: qualities and enthalpies (SNFE),
// densities and specific heats (SCPRHO), link conductances (SGMCIM) and the
// link transit time (SGCOIM).
#pragma once

#include "fluid/fluid_network.h"

// Qualities and enthalpies of every fluid node from P and T: x(i) :=
// XGXPT(P, T) (for an "AIRW" node its humidity ratio W), FE(i) := XENTH(P,
// T, x(i)); VQ is not changed. The node loop
// carries the pass guard (ERROR naming "SNFE").
void SNFE(const FlNetwork& net, FlReals x);

// cp(i) := XCP and rho(i) := XRHO of every fluid node at its P, T, VQ.
void SCPRHO(const FlNetwork& net, FlReals rho, FlReals cp);

// Link conductances from the stored specific heats: (cp(a) + cp(b)) x 0.5 x
// |M| for a link from a to b.
void SGMCIM(const FlNetwork& net, FlCReals cp);

// dtcour := the smallest link transit time (rho(a) + rho(b)) x 0.5 x (FL(a)
// + FL(b)) x 0.5 x min(FLA(a), FLA(b)) / max(|M|, MINFLO) and dtcour as it
// stands (a time that is not a number is passed over).
void SGCOIM(const FlNetwork& net, FlCReals rho, double& dtcour);
