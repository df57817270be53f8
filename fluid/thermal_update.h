// Thermal side of the two-phase solution (FGENFI): the explicit estimate of
// the thermal node temperatures at the start of a step with the stability
// figure CSGMIN (TSTAB2), and the thermal passes inside every coupled pass
// (FWBKT3), a linearised Crank-Nicolson update per node (FBTCL3) at the fluid
// temperatures of the current fluid iterate.
//
// A thermal node's sums (SNGSUM) are taken over its compact connection list
// with the masks of SLOGST: conductors count only when active, thermal
// neighbours only when of status "B" or "D", GF conductors only with a
// positive number (the node is the conductor's downstream end); a neighbour
// above nt is fluid node neighbour - nt. Temperatures in the sums are
// absolute. Qsrc(i) is the sum of the node's five heat sources.
//
// The thermal work (FgThermal): tthold stays fixed during a step, qthold is
// set by TSTAB2 at its start, gflprv, qflprv and tthprv carry from one
// thermal pass to the next, over coupled passes and steps; t3 and t4 are (T
// + TABS)^3 and (T + TABS)^4 of every thermal node.
#pragma once

#include "fluid/fgenfi_work.h"
#include "fluid/fluid_network.h"

// The six sums of a thermal node.
struct FgSums {
  double gfl = 0.0;  // GL and GF to fluid nodes
  double qfl = 0.0;  // the same times the fluid node's absolute temperature
  double gth = 0.0;  // GL and GF to thermal nodes of mask 1
  double qth = 0.0;  // the same times the neighbour's absolute temperature
  double grs = 0.0;  // STEFAN x GR to fluid nodes and thermal nodes of mask 1
  double qrs = 0.0;  // STEFAN x GR x the neighbour's absolute temperature^4
};

// Fills the four masks of th from the activity letters and node statuses.
void SLOGST(const FlNetwork& net, const FgThermal& th);

// Sums of thermal node i with tn the thermal temperatures of its neighbours
// (relative; t4 for a radiative thermal neighbour) and tf the fluid
// temperatures.
FgSums SNGSUM(const FlNetwork& net, const FgThermal& th, int i, FlCReals tn, FlCReals tf);

// Explicit pre-step (T = tthold on entry, t3 and t4 belonging to it):
// CSGMIN := 1e38; every "D" node with a capacitance (|C| >= 1e-37) gets its
// net inflow at the start-of-step temperatures (tthold, tfold) into qthold
// and T := tthold + (qthold + Qsrc) DTIMEU / C; its linearised conductance
// (G + 4 GRS T3) gives C / G for CSGMIN and NCSGMN (first node on a tie);
// then every "D" node without capacitance is put in balance at the new
// temperatures (radiation alone: ((Qsrc + QRS) / GRS)^(1/4); no conductor
// and a heat source: raised by 1.0e20). t3 and t4 follow. An estimate that
// is not a finite number (radiation alone with a sink larger than the
// radiated input: the balance has no root) ends the run: "FGENFI:
// Temperature > 1.0D10 detected@" with the node, severity 4, code 1, routine
// "Tstab2".
void TSTAB2(const FlNetwork& net, const FgThermal& th, FlCReals tfold);

// Thermal passes at the fluid temperatures net.tf: SOLTYP "THERMAL"; each
// pass runs VARIABLES1, refreshes the masks and updates every "D" node in
// order (FBTCL3, Gauss-Seidel), keeping its GFL, QFL and temperature before
// the update for the next pass; t3 and t4 of every node follow. The first
// pass takes `start` as its start flag, later ones 1. Stops when RELXCA >=
// RELXCC (converged := 1) or after NLOOPT passes (converged := 0); passes :=
// the number made. SOLTYP blank at the end.
void FWBKT3(const FlNetwork& net, const FgThermal& th, int start, int& converged, int& passes);

// Update of "D" node i from its sums s (see the algorithm in the source):
// the Crank-Nicolson balance over DTIMEU for a node with capacitance, the
// steady balance otherwise, with the derivative of the fluid coupling from
// the previous pass when start is 1. The undamped correction R goes into
// RELXCC/NRLXCC when larger; T := T + DAMPT R. A temperature above 1.0e10
// or not a finite number ends the run: "FGENFI: Temperature > 1.0D10
// detected@" with the node, severity 4, code 1, routine "Fbtcl3".
void FBTCL3(const FlNetwork& net, const FgThermal& th, int i, const FgSums& s, int start);
