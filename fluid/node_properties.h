// The node properties of a step of the single-phase fluid-loop routines and
// the link values formed from them: qualities and enthalpies (SNFE),
// densities and specific heats (SCPRHO), link conductances (SGMCIM) and the
// link transit time (SGCOIM); and the watch over the phase of the nodes
// that the pass start keeps from the qualities SNFE finds.
#pragma once

#include <string_view>
#include <vector>

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

// ---- The phase a single-phase routine evaluates ---------------------------

// FLTNTS, FLTNTF and FLTMTS evaluate every fluid node in the phase of the
// quality VQ it started with: a node given as vapour keeps the vapour's
// density and viscosity when it cools below its saturation temperature. The
// watch warns once per node and call of the routine when the state of the
// node, quality x(k) from XGXPT (0 liquid, 1 vapour), is of another phase
// than VQ: liquid VQ (<= 0) above the saturation temperature, vapour VQ (>=
// 1) strictly below it (a saturated vapour at its saturation temperature
// stays vapour), or a two-phase VQ. "AIR" and "AIRW" nodes have no phase to
// leave.
struct FlPhaseWatch {
  std::string_view routine;
  std::vector<unsigned char> warned;  // one flag per fluid node
};
// Sized for the fluid nodes of net, nothing warned yet.
void fl_phase_watch_start(FlPhaseWatch& watch, std::string_view routine, const FlNetwork& net);
// After SNFE: x(k) the qualities it found.
void fl_watch_phases(const FlNetwork& net, FlCReals x, FlPhaseWatch& watch);
