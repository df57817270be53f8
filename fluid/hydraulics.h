// Hydraulic solution of the single-phase fluid-loop routines (FLTNTS,
// FLTNTF, FLTMTS and their stability set-up): node pressures and link flows
// that satisfy steady continuity at every node, with the nodes' volume
// changes as the only storage, and a quasi-steady momentum balance in every
// link, at the fluid states (temperatures, qualities) of the moment. There is
// no inertia, no density storage and no enthalpy coupling; gravity is the
// whole vector (GRAVX, GRAVY, GRAVZ) with the node positions; only the flows
// are relaxed (DAMPM), the pressures are taken as solved.
//
// A link's linearised flow is m = cp (p1 - p2) + c0:
//   closed link (|GP| < 1e-37)        cp = 0, c0 = 0, flag 0
//   usable resistance                 cp = 1 / Dn, flag 1
//   (fl_usable_resistance: |m Dn| >= MINDP, 1 / Dn a number, m Dn not
//   underflowed to 0 for a link with a flow)
//   otherwise (no usable resistance)  cp = -1, flag -1; its flow comes from
//                                     the continuity of its end nodes
// with Dn = (f1 L1 / (rho1 D1 A1^2) + f2 L2 / (rho2 D2 A2^2) + 1 / (2 GP
// rhou Au^2)) |m| - ((A1^2 - A2^2) / (2 rhou A1^2 A2^2) + alpha1 - alpha2) m
// - dps / rhou, Fanning factors f from FLFRLS, rhou and Au those of the
// upstream node (below |m| = 1e-37 each f |m| is its laminar limit,
// fl_wall_flux), alpha and beta the momentum-flux terms of SFMOFL, and c0 =
// cp (gravity head to the face point + beta1 - beta2 + ps - dps m / rhou). A
// denominator of zero (a link at rest with neither walls, a fitting loss nor
// a pump derivative) counts as no usable resistance whatever MINDP is; one
// that is not a number ends the run (fl_fault_resistance, "FLHYCF").
//
// "Fixed" below means a node of status "J" or "R" (pressure held).
#pragma once

#include "fluid/fluid_network.h"

// Work vectors of the hydraulic solution, supplied by the caller (views of
// its work space).
struct FlHydraulics {
  FlReals hrho, hvisc;  // density and viscosity of each node
  FlReals hpsol;        // pressure solution, node order
  FlReals hcp, hc0;     // per link: pressure coefficient and constant of the linearised flow
  FlInts hflg;          // per link: 1 normal, -1 no usable resistance, 0 closed
  FlReals amat, bvec;   // profile matrix (ord.lprof reals, all zero on entry) and right-hand side
  FlOrdering ord;       // the ordering of FPNTRS (symmetric profile)
  FlReals vrate;        // volume change rate of each node
};

// Finds the pressures and flows at the current fluid states: hpsol := P,
// hvisc and hrho from XVISC and XRHO of every node, then FLHYAS. rate_flag 1
// (the step loops): the nodes' volume changes enter continuity, CVOLSP
// accumulates them into vrate, and at least two passes are made when NLOOPH
// allows. converged := 1 when RELXMC < RELXMA after the last pass; passes :=
// the passes made; ierr := 1 after a zero pivot (which ends the run).
void FLHYSL(const FlNetwork& net, const FlHydraulics& w, int rate_flag, int& ierr, int& converged, int& passes);

// The pass loop, with SOLTYP "FLUID" (blank again at the end): VARIABLES1,
// FLHYCF, FHSKSV into hpsol, CVOLSP, P := hpsol, FLMSFL; it stops when
// NLOOPH passes are made or RELXMC < RELXMA (with rate_flag set not after
// the first pass unless NLOOPH < 2); otherwise hvisc and hrho follow the new
// pressures. A pressure or flow that leaves a pass not finite ends the run
// with its node's or link's context (fl_require_finite_hydraulics,
// "FLHYAS"). A zero pivot sets ierr := 1 and ends the run: MODULE + ": Zero
// divide in matrix solution for pressure@Error ocurred in routine " + FHSFCT
// or FHSSUB + " : Check boundary node definitions : Model=" + the
// submodel's 24-character name + ",Node=" + the user node number (I9)
// (severity 4, code 1, "FLHYAS"). The loop carries the pass guard.
void FLHYAS(const FlNetwork& net, const FlHydraulics& w, int rate_flag, int& ierr, int& passes);

// Assembles amat and bvec and the link coefficients hcp, hc0, hflg of every
// active link (the friction factors start at 0 and carry over from link to
// link where FLFRLS leaves them), then per row: a row without diagonal keeps
// its node's pressure; a free node's row takes its mass source and, with
// rate_flag set, hrho x vrate.
void FLHYCF(const FlNetwork& net, const FlHydraulics& w, int rate_flag);

// Adds link k (coefficients cp, c0, flag) to amat and bvec: a fixed end's row
// is its pressure; a free end's row gains the link's flow (with a := M(k)
// for a flag of -1), so that each free row states sum of inflows + FM - sum
// of outflows = its storage term.
void FAMATY(const FlNetwork& net, const FlHydraulics& w, int k, double cp, double c0, int flag);

// Momentum-flux terms at the ends of link k (end 1 its first node, area a1,
// density rho1; end 2 its second): alpha = 1 / (rho A^2), beta = 0 at both
// ends, except (U upstream and W downstream by the sign of M(k), first
// match): U "Q" and W "S": U's terms 0; U "S" and W "Q": W's terms 0; U "Q":
// U's alpha 0 and its beta M(o)^2 / (rho A^2) when U's first other link o
// (passed over once when its far node is "S") flows into U, else 0.
void SFMOFL(const FlNetwork& net, int k, double a1, double rho1, double a2, double rho2, double& alpha1,
            double& beta1, double& alpha2, double& beta2);

// New flows of the active links from the pressures P: flag 1: (P1 - P2) hcp
// + hc0, relaxed by DAMPM; flag 0: 0; flag -1: the continuity flows
// (fl_continuity_flows of fluid/continuity.h) with the nodes' steady balance
// MFCONS and the residual (P1 - P2) - hc0. Sets RELXMC and NRLXMC.
void FLMSFL(const FlNetwork& net, const FlHydraulics& w);
