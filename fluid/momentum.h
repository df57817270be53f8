// Momentum of the mass-flow links: the friction factor, the through-flows
// that the acceleration terms use at nodes of status "Q" and "S", and (for
// the two-phase iteration) the linearised flow law of every link.
#pragma once

#include "fluid/fgenfi_work.h"
#include "fluid/fluid_network.h"

// Fanning friction factor of a flow mdot (kg/s) through area a and hydraulic
// diameter d with wall roughness e and dynamic viscosity mu:
//   no flow (|mdot| < 1e-37)        f unchanged
//   Re = |mdot| / a x d / mu < 2000 f := 16 / Re
//   Re >= 4000                      the explicit rough-wall correlation
//                                   (fluid_constants.h) at Re
//   2000 <= Re < 4000               straight blend from 0.008 at Re = 2000
//                                   to the correlation's value at 4000
// A smooth wall (e = 0) has the smooth limit of the same law: 16 / Re, and
// X = log10(R / 5.02) in the correlation (within 1.61 % of Colebrook's
// smooth pipe, the most at Re = 4000).
void FLFRLS(double a, double d, double mdot, double e, double mu, double& f);

// The product f |m| of a wall's friction factor f (from FLFRLS) and the flow
// m, which the momentum balances' denominators take for each wall. Below the
// smallest flow FLFRLS evaluates (|m| < 1e-37, where it leaves f as the
// previous link or pass left it) it is the laminar limit of the product,
// 16 mu a / d: a link at rest keeps the laminar resistance of its walls
// instead of losing it, which would let the conductance of a stagnant link
// grow without bound and amplify the rounding of its end pressures into
// flows.
double fl_wall_flux(double f, double m, double a, double d, double mu);

// Whether the linearised flow law of a link of flow m and resistance Dn
// (its linearised pressure drop per unit flow, a number) carries the link:
// its drop |m Dn| reaches MINDP, 1 / Dn is a number (not so at Dn = 0 or in
// the denormal numbers), and a link with a flow has a drop a double can
// hold (as an undriven flow decays, m Dn underflows to 0 while 1 / Dn grows
// towards overflowing the pressure equation). A link that fails is one
// without usable resistance, also when MINDP is 0.
bool fl_usable_resistance(double m, double dn, double mindp);

// Sum of the flows that link k's direction brings into fluid node n over
// n's links of status "A" or "P" (k itself included when it touches n):
// M(k) > 0: + M(j) for every such link j whose second node is n;
// M(k) <= 0: - M(j) for every such link j whose first node is n.
double SGFLIN(const FlNetwork& net, int k, int n);

// Through-flows at the two ends of link k when one of its nodes has status
// "Q" or "S" (acceleration terms of the momentum flux). U is the upstream and
// W the downstream node: SMFLX1 serves M(k) >= 0 (U = first, W = second),
// SMFLX2 M(k) < 0 (U = second, W = first). With F+ the positive part of a
// node's mass source and o the first other link of U (first match):
//
//   U "Q", W "S"            U: none                 W: F+(W) + M(k)
//   U "S", W "Q"            U: F+(U) + M(o)          W: none
//   U "Q", W neither        U: F+(U) + M(o) when o   W: F+(W) + SGFLIN(W)
//                           flows into U (o skips
//                           once past a link whose
//                           far node is "S")
//   U "S", W neither        U: F+(U) + M(o)          W: F+(W) + SGFLIN(W)
//   U not "S", W "Q"        U: F+(U) + SGFLIN(U)     W: F+(W) + M(k)
//   U not "Q", W "S"        U: F+(U) + SGFLIN(U)     W: F+(W) + M(k)
//   otherwise               U: F+(U) + SGFLIN(U)     W: F+(W) + SGFLIN(W)
//
// End 1 is the first node of k (area a1, density rho1), end 2 the second:
// phi = G / (rho a^2) and psi = G phi for each end, both 0 at an end with
// none. other := o as used (0 when U has no other link).
void SMFLX1(const FlNetwork& net, int k, double a1, double rho1, double a2, double rho2, double& phi1, double& psi1,
            double& phi2, double& psi2, int& other);
void SMFLX2(const FlNetwork& net, int k, double a1, double rho1, double a2, double rho2, double& phi1, double& psi1,
            double& phi2, double& psi2, int& other);

// First link of fluid node u's list other than k (0 when there is none);
// with skip_s, a link whose far node has status "S" is passed over once in
// favour of the next other link (0 when there is none). The walk carries the
// pass guard naming routine.
int fl_other_link(const FlNetwork& net, int u, int k, bool skip_s, const char* routine);

// Slope of the saturated enthalpy of phase x (1 vapour, 0 liquid) with
// pressure at p: cs ((Ts + TABS) (rhol - rhov) / (rhov rhol (hv - hl)) -
// mus), from XTEMPS, XCPS, XENTHS, XRHOS and XJTS of fluid ifluid.
double LDHSDP(int ifluid, int node, double p, double x);

// Linearises every link around the current state of the two-phase pass into
// m = lnkcp (p1 - p2) + lnkc1 rho1 + lnkc2 rho2 + lnkc0 (new pressures and
// densities of its ends) with its flag lnkflg:
//  - a link that is not active: the four coefficients 0 (flag kept);
//  - evaporative link (type 2) with a heat flux Q (0 below 1e-37 carries no
//    flow): lnkc2 = Q / (hv(P2) - h1), lnkcp = LDHSDP(P2, vapour) lnkc2^2 /
//    Q, lnkc1 = 0, lnkc0 = P2 lnkcp + M;
//  - momentum link (type 1): wall friction (FLFRLS at each end; the factors
//    carry over from link to link where FLFRLS leaves them, and below |m| =
//    1e-37 each wall takes the laminar limit, fl_wall_flux), the fitting
//    loss, acceleration (with the through-flows of SMFLX1/SMFLX2 at nodes of
//    status "Q"), inertia and the nodes' storage over DTIMEU (none with the
//    loop-mass flag, and none at nodes of status "H"), gravity along GRAVZ
//    to the face, the volume change of the ends and the pressure source; a
//    closed link (|GP| < 1e-37) has all four 0 and flag 0; a link without
//    usable resistance (fl_usable_resistance) gets lnkcp = 1 and flag -1,
//    else lnkcp = 1 / Dn and flag 1; a Dn that is not a number ends the run
//    (fl_fault_resistance, "FCMOMK"). The upstream end of a link that draws a
//    separated phase takes its density and viscosity at the link's quality.
// Another link type ends the run: "Unrecognised mass flow link type@Allowed
// types: momentum, evaporative." (severity 4, code 1, "FCMOMK").
void FCMOMK(const FlNetwork& net, const FgPass& w);
