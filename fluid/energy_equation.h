// Energy equation of the two-phase iteration: one linear equation per fluid
// node in the new specific enthalpies, the node's energy balance over the
// step (storage of enthalpy and kinetic energy, pressure work, heat source,
// mass source, the enthalpy, kinetic and potential energy the links carry
// upwind, and the heat from thermal nodes at the current temperatures) less
// its continuity balance times its own enthalpy, so that the equation is in
// advective form. Along the way every outflowing link gets the enthalpy and
// quality it carries, a link that draws a separated phase from a two-phase
// node included.
//
// Phase separation. A link may draw one phase from its upstream node: its
// separation flag for its current direction (row 1 of the flags and
// qualities when it draws from its first node, M >= 0; row 2 from its
// second, M < 0) is set, and the quality it would carry is that row's
// separation quality q0. Over a step a node can deliver at most the liquid
// and the vapour it holds plus what flows in (PHSCHT); when the demand for
// one phase is larger, the separating links share out what there is and
// their quality moves off q0.
#pragma once

#include "fluid/fgenfi_work.h"
#include "fluid/fluid_network.h"

// What a node can deliver to separating links over the step (masses) and
// what they ask of it, with the flags: has a separating outflow, enough
// liquid, enough vapour.
struct FgPhases {
  double la = 0.0, va = 0.0;  // liquid and vapour available
  double ld = 0.0, vd = 0.0;  // liquid and vapour demanded
  int s = 0, lok = 0, vok = 0;
};

// Assembles the enthalpy equations of every fluid node into amat (cleared by
// the previous solution) and bvec, in node order, with the node's
// saturation enthalpies hl, hv (XENTHS at its P and T, node nt + i) and its
// mass RHO x VOL:
//  - a node of status "K" or "R" holds its enthalpy (diagonal 1, right-hand
//    side FE); MHXSET sets the links it feeds;
//  - any other node: storage VOL / DTIMEU (none at status "H") of enthalpy
//    and pressure work, FQ, the mass source (FM > 0 brings FH and its
//    kinetic energy; FM < 0 takes the node's own enthalpy), each active link
//    (an inflow brings the upstream enthalpy, implicitly unless the upstream
//    node holds its enthalpy or the link carries a separated phase, and for
//    a momentum link its kinetic and potential energy to the face; an
//    evaporative link brings saturated vapour at the node's pressure; an
//    outflow takes the node's enthalpy, or its separated phase, and its
//    kinetic and potential energy; a node of volume-control flag "L" moves
//    its faces by half its volume change rate), the GL, GR and GF
//    conductors from its neighbours (thermal nodes, or the fluid nodes an
//    inter-model conductor joins it to, at their current temperatures),
//    and the change of kinetic
//    energy stored over the step; then the continuity balance is taken from
//    the diagonal, and a diagonal that is then zero holds the enthalpy.
// The links' carried enthalpy and quality are written as their upstream node
// is processed. Another link type ends the run: "Unrecognised mass flow link
// type@Allowed types: momentum, evaporative." (severity 4, code 1,
// "FCNGTK"). The walk carries the pass guard ("FCNGTK").
void FCNGTK(const FlNetwork& net, const FgPass& w);

// Phase figures of fluid node i at enthalpy h (its FE), saturation
// enthalpies hl, hv and mass `mass`: the inflows over the step (mass source
// FM > 0 at FH, active links entering it with their carried enthalpy, or
// saturated vapour for an evaporative link) mixed with the node's content
// give the liquid and vapour it can deliver; the active momentum links
// leaving it with their separation flag set ask for (1 - q0) and q0 of their
// flow over the step. A node that holds its enthalpy ("K", "R") has an
// unlimited supply; a node (or mixture) outside the two-phase range has no
// separating outflow. The walk carries the pass guard ("PHSCHK").
FgPhases PHSCHT(const FlNetwork& net, int i, double h, double hl, double hv, double mass);

// Carried state of the active links leaving fluid node i of status "K" or
// "R": the node's FE and VQ, or the separated phase q0 (enthalpy hl + q0
// (hv - hl)) for a link with its separation flag set while the node has a
// separating outflow. The walk carries the pass guard ("MHXSET").
void MHXSET(const FlNetwork& net, int i, double hl, double hv, const FgPhases& ph);
