// The work vectors of the two-phase solution (FGENFI): those its pass
// kernels share (FgPass: the energy equation FCNGTK, the momentum
// linearisation FCMOMK, the pressure equation FGFIPS, the new flows and
// continuity FMCALC and the state update FGUPDT), the rest of the state at
// the start of a step (FgSaved), the thermal update's (FgThermal) and the
// values the step loop keeps for the whole run (FgLoop). The driver binds
// the vectors as views of its work space in the dynamic core (the masks and
// the cubes and fourth powers of the thermal update, and the saved hydraulic
// diameters, on the heap of the step loop); the kernels never keep them.
//
// Fluid-node vectors are indexed by fluid node (1..nf), link vectors by link
// (1..nl), amat by profile place (1..lprof), bvec by solver position, the
// loop vectors by loop (1..nlp).
#pragma once

#include "fluid/fluid_network.h"
#include "fluid/step_control.h"

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
  FlReals flaold;       // flow area at the start of the step
  FlReals fmold;        // mass source at the start of the step
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

// The rest of the state at the start of a step: written when a step is
// accepted, read back when one is rejected.
struct FgSaved {
  FlReals tfold;    // fluid temperatures (nf)
  FlReals drdpold;  // drdp (nf)
  FlReals drdhold;  // drdh (nf)
  FlReals vqold;    // vapour qualities (nf)
  FlReals volold;   // volumes (nf)
  FlReals fdold;    // hydraulic diameters (nf), which the compliance scales with the volume
  FlReals hlold;    // link carried enthalpies (nl)
};

// Work of the thermal update. Per thermal node (nt): the temperatures at the
// start of the step, the net heat inflow at them, the conductance to fluid
// nodes, its heat-flow sum and the temperature at the previous thermal pass,
// and the cube and fourth power of the absolute temperature. The masks are 1
// for an active ("A") GF, GL and GR conductor, and for a thermal node of
// status "B" or "D".
struct FgThermal {
  FlReals tthold, qthold, gflprv, qflprv, tthprv;
  FlReals t3, t4;
  FlInts gfmask, glmask, grmask, nodemask;
};

// Values the step loop keeps for the whole run and hands to its kernels.
struct FgLoop {
  int converged = 1;   // the step just iterated converged (written by FGFITR)
  int minstep = 0;     // the step being iterated is not longer than 1.000001 DTMIN
  int rejected = 0;    // a step was rejected and the step may not yet grow freely
  double relxh = 0.5;  // relaxation factor of the enthalpies
  double relxp = 0.5;  // relaxation factor of the pressures
  FlClock clock;       // output times (next the next one, nominal the reference) and event arrays
};
