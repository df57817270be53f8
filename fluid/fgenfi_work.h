// The work vectors of the two-phase iteration that its pass kernels share:
// the momentum linearisation (FCMOMK), the pressure equation (FGFIPS), the
// new flows and continuity (FMCALC) and the state update (FGUPDT). The
// driver binds them as views of its work space in the dynamic core; the
// kernels never keep them.
//
// Fluid-node vectors are indexed by fluid node (1..nf), link vectors by link
// (1..nl), amat by profile place (1..lprof), bvec by solver position, the
// loop vectors by loop (1..nlp).
#pragma once

#include "fluid/fluid_network.h"

struct FgPass {
  // ---- Ordering of the node equations (solver position r holds node
  // perm(r); node k sits at pos(k)). Row r stores columns jl(r)..ir(r) with
  // the diagonal at id(r); column q is stored from row ju(q) down. Loop g
  // covers the positions loopend(g - 1) + 1 .. loopend(g) (from 1 for g = 1);
  // the last row of every loop starts at the loop's first column.
  FlInts perm, pos, ju, ir, id, jl, loopend;
  int nlp = 0;    // number of loops
  int lprof = 0;  // profile length
  // ---- Link flags of the momentum linearisation: 1 normal, -1 resistance
  // too small (flow from continuity), 0 closed.
  FlInts lnkflg;

  // ---- Node states
  FlReals drdp, drdh;   // derivatives of density at constant enthalpy and pressure
  FlReals rhoold, rho;  // density at the start of the step, and of the iterate
  FlReals pold, pnew;   // pressure at the start of the step, new pressure
  FlReals hold, hnew;   // specific enthalpy at the start of the step, new one
  FlReals vrate;        // volume change rate over the step
  // ---- Link states and coefficients: m = lnkcp (p1 - p2) + lnkc1 rho1 +
  // lnkc2 rho2 + lnkc0 in the new pressures and densities of the ends.
  FlReals mold;
  FlReals lnkcp, lnkc1, lnkc2, lnkc0;
  // ---- Node equations and loop masses
  FlReals amat, bvec;
  FlReals loopmass;  // mass of each loop at the start of the step
  // Loop-mass flag: 1 when QTRSOL is "YES" (no inertia or density storage;
  // the last row of a loop without held pressure keeps the loop's mass).
  int loopflag = 0;
};
