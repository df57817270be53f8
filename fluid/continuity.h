// New link flows after a pressure solution of the two-phase iteration, the
// continuity flows of links without a usable resistance, the flow
// convergence measure, and the compliant node volumes (shared with the
// hydraulic solution of the single-phase routines).
//
// "Fixed" below means a node of status "J" or "R" (pressure held).
#pragma once

#include <cstdint>

#include "fluid/fgenfi_work.h"
#include "fluid/fluid_network.h"

// Records the relative change of link k from mcur to mnew: r := |(mnew -
// mcur) / mcur| when |mcur| > minflo, else |(mnew - mcur) / mnew| when
// |mnew| > minflo, else 0; when r > relxmc: relxmc := r, nrlxmc := k. A
// flow (new or current) that is not a finite number is a change without
// bound, r := +infinity, so that it never counts as converged.
void MFCHK(int k, double minflo, double mnew, double mcur, std::int32_t& nrlxmc, double& relxmc);

// Net flow into fluid node n from its mass source FM and its active links
// other than k (the flow that k must carry away for n to balance).
double MFCONS(const FlNetwork& net, int k, int n);

// MFCONS less the node's mass storage rate over the step:
// ((pnew - pold) drdp + (hnew - hold) drdh) VOL / DTIMEU.
double MFCONT(const FlNetwork& net, const FgPass& w, int k, int n);

// New flows of the active links from the new pressures (not yet relaxed) and
// the linearised new densities rho*(n) = RHO + (pnew - P) drdp + (hnew - h)
// drdh; sets RELXMC and NRLXMC (0 when nothing changed):
//  - momentum link, flag 1: m from its linear law, relaxed by DAMPM^2;
//  - momentum link, flag 0 (closed): 0 at once;
//  - evaporative link: lnkc2, relaxed by DAMPM^2;
//  - momentum links of flag -1: ten sweeps of continuity in link order
//    (MFCONS with the loop-mass flag, else MFCONT), a link between two held
//    pressures keeping its flow unless its residual pressure difference
//    reaches MINDP (then 1e10 with its sign); then a link that still
//    carries a residual of at least MINDP moves its flow towards the
//    residual (fl_low_resistance_step), relaxed by DAMPM.
// Another link type ends the run: "Unrecognised mass flow link type@Allowed
// types: momentum, evaporative." (severity 4, code 1, "FMCALC").
void FMCALC(const FlNetwork& net, const FgPass& w);

// The flow a link without a usable resistance moves to when, after the
// continuity sweeps, it still carries the residual pressure difference
// `residual` (signed: positive drives the flow from its first node to its
// second) with |residual| >= MINDP: by |m| (|residual| - MINDP) / 1000 in
// the direction of the residual, so m (1 + ...) when m already points that
// way and m (1 - ...) when it points against it; a flow below MINFLO
// restarts at 100 MINFLO in the direction of the residual (of m when there
// is no residual). A flow that points the wrong way is thus turned round,
// never driven further against the pressure difference.
double fl_low_resistance_step(double m, double residual, double mindp, double minflo);

// Compliance: each node's volume follows its pressure change pnew - P by
// CMP x VOL. A node of volume-control flag "A" with a length takes it up in
// its flow area (FLA := VOL / FL, FD scaled by the square root of the volume
// ratio), one of flag "L" in its length (FL := VOL / FLA); other nodes keep
// their geometry, as do nodes whose old volume or flow area is zero. With
// rate_flag set each node's change over DTIMEU is added to vrate.
void CVOLSP(const FlNetwork& net, FlCReals pnew, int rate_flag, FlReals vrate);

// Start of a step: each node's volume grows by VDT x DTIMEU with the geometry
// rule of CVOLSP, and vrate := VDT.
void CVOLST(const FlNetwork& net, FlReals vrate);
