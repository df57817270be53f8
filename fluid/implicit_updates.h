// The implicit node updates of the FLT step loops: the start-of-step
// estimate and the sweeps of the thermal-fluid iterations, for thermal nodes
// (STSTAB, SFBKTS, S4TCLC) and for fluid nodes (SFSTAB, SFBKFS, SFCALC), with
// the transport delay of TIMELA "YES".
//
// Thermal nodes: status "D" with |C| >= 1e-37 stores heat (diffusion node),
// status "D" with a smaller capacitance is in balance at every instant
// (arithmetic node); every other status keeps its temperature. Fluid nodes:
// "K" and "R" keep their temperatures, "H" has no heat capacity (steady
// balance), every other status stores heat with mass FLA x rho x FL.
//
// The step's work arrays live in the step loop's work space (FlStepArrays):
// Told, Fold, Tnew per thermal node and Tfold, Ffold, Tfnew per fluid node
// (start-of-step temperatures, start-of-step heat-flow terms, iterates).
// The estimate of diffusion and capacity nodes reads the old temperatures;
// the estimate of arithmetic and "H" nodes and every sweep read the iterates,
// so a node updated earlier in a pass counts with its new value. Q of a
// thermal node is QA + QE + QI + QR + QS, formed at every use.
//
// A thermal temperature above 1.0E10, or one that is not finite (a
// radiation-only arithmetic node whose heat balance has no root), ends the
// run: "Temperature > 1.0D10 detected" with the node's context, severity 4,
// code 1, routine "STSTAB" or "S4TCLC". A fluid temperature that is not
// finite (a vanishing denominator of the estimate or the update) ends the
// run with the same text naming the fluid node, routine "SFSTAB" or
// "SFCALC"; fluid temperatures have no upper limit.
#pragma once

#include "fluid/conductance_sums.h"
#include "fluid/fluid_network.h"
#include "fluid/thermal_entries.h"

// The step's work arrays: thermal ones of at least nt words, fluid ones of
// at least nf words.
struct FlStepArrays {
  FlReals told, fold, tnew;     // thermal: start of step, heat flow at the start, iterate
  FlReals tfold, ffold, tfnew;  // fluid: the same
};

// Q of thermal node i: QA + QE + QI + QR + QS.
inline double fl_node_heat(const FlNetwork& net, int i) {
  return (((net.qa(i) + net.qe(i)) + net.qi(i)) + net.qr(i)) + net.qs(i);
}

// ---- Thermal nodes ---------------------------------------------------------

// Start-of-step estimate over a step dt. The sums are taken over `entries`,
// made current first (fl_thermal_entries_current, naming SRGSUM): the same
// sums as the per-entry walks named below. csgmin := 1.0E38; diffusion nodes
// in node order: Gsum, GTsum from FSTGSM at Told and Tfold, Fold(i) :=
// GTsum - Told(i) Gsum, Tnew(i) := (GTsum + Q + Told C/dt) / (C/dt + Gsum)
// (backward Euler), and csgmin/ncsgmn follow the smallest C/Gsum over nodes
// with |Gsum| >= 1e-37 (the first node wins a tie). Then arithmetic nodes in
// node order take one undamped step from SG, SGT, SR, SRT of SFGSUM at Tnew,
// Tfnew (see S4TCLC for the cases). status := 1.
void STSTAB(const FlNetwork& net, double dt, const FlStepArrays& s, FlThermalEntries& entries, double& csgmin,
            int& ncsgmn, int& status);

// One update of thermal node i from its sums SG, SGT, SR, SRT (SFGSUM at
// the iterates), with d the increment, T := Tnew(i), Ta := T + TABS:
//  - arithmetic node: no conductance: d := 1.0E20 when |Q| > 1e-37, else 0;
//    radiation only: d := ((Q + SRT) / SR)^(1/4) - Ta; linear only: d :=
//    (SGT + Q) / SG - Ta; both: Newton steps on f(u) = Q + SGT + SRT -
//    u (SG + SR u^3), one damped step (T' := T + dampt f / f') when bit 1024
//    of METHOD is set, else an inner iteration T' += dampt j while fewer
//    than nloopt repetitions, |j| > 100 relxca and T' <= 1.0E10; d := T' - T;
//  - diffusion node, one Newton step on the Crank-Nicolson balance with w :=
//    C/dt, R := SR Ta^3: d := (0.5 (SGT + SRT + Fold) + Q + w (Told + TABS)
//    - Ta (0.5 (SG + R) + w)) / (2 R + w + 0.5 SG).
// change := |d|; Tnew(i) := T + dampt d; relxcc/nrlxcc follow the largest
// change (strictly larger).
void S4TCLC(const FlNetwork& net, double dampt, double dt, int nloopt, int i, double relxca, const FlSums& sums,
            const FlStepArrays& s, double& relxcc, int& nrlxcc, double& change);

// One sweep over the thermal nodes in node order with DAMPT, RELXCA, NLOOPT
// and METHOD as they stand, the sums SFGSUM taken over `entries`, made
// current first (fl_thermal_entries_current, naming SFGSUM). RELXCC := 0 (NRLXCC is left as it is until a
// node changes more). A node that is not "D" or already marked is marked and
// skipped; otherwise S4TCLC updates it, and a change >= RELXCA clears both
// converged flags, while a smaller one marks the node when METHOD = 1.
void SFBKTS(const FlNetwork& net, double dt, const FlStepArrays& s, FlThermalEntries& entries, FlInts marks,
            bool& outer, bool& inner);

// One undamped step of arithmetic node i towards its balance at the thermal
// temperatures t and fluid temperatures tf (SFGSUM), in place: t(i) += d
// with d as for an arithmetic node in S4TCLC but a single Newton step where
// both kinds of conductance act. Returns d. A result out of range (see
// fl_temperature_out_of_range) ends the run naming `routine`. Shared by the
// estimate STSTAB and the relaxation of the explicit loops (FSTARH).
double fl_arithmetic_step(const FlNetwork& net, int i, FlReals t, FlCReals tf, const char* routine);

// Ends the run: "Temperature > 1.0D10 detected" with the context of global
// node `node` (MESBLD), severity 4, code 1, naming `routine`.
[[noreturn]] void fl_temperature_fatal(int node, const char* routine);

// A thermal temperature the updates cannot accept: not finite
// (fl_not_finite, fluid/non_finite.h) or above 1.0E10.
bool fl_temperature_out_of_range(double t);

// ---- Fluid nodes -------------------------------------------------------------

// The transport delay of TIMELA "YES": a ring of nlev levels of nf + 1 words
// (fluid/temperature_history.h), the number of the level written last (the
// pointer) and the accumulated time of the step loop (0 when a loop run
// starts). The loop owns them; the implicit loops and the explicit update
// keep a pointer each. The delay acts while TIMELA is "YES" and the table
// holds the nlev levels (a TIMELA switched on by the user's blocks after the
// loop reserved no history leaves the plain estimate).
struct FlTimeLag {
  int nlev = 1;   // 100 with TIMELA "YES", else 1
  FlReals table;  // nlev (nf + 1) words with TIMELA "YES"
  double time = 0.0;
  int pointer = 1;
};

// Moves the transport-delay state on by a step dt: the pointer restarts at 1
// when the accumulated time is 0 (and, with the delay on, GHIINI fills the
// history at Told, Tfold), else moves on by one, wrapping to 1 past nlev; the
// time grows by dt. True when the delay is on: TIMELA "YES" and a history
// the loop reserved (the user's blocks may switch TIMELA on during a run
// whose loop reserved none).
bool fl_lag_step(const FlNetwork& net, double dt, FlCReals told, FlCReals tfold, FlTimeLag& lag);

// Start-of-step estimate of the fluid nodes over a step dt; rho, cp are the
// node densities and specific heats, vrate the volume change rates. status
// := 1. The pointer restarts at 1 when the accumulated time is 0 (and with
// TIMELA "YES" GHIINI fills the history at Told, Tfold), else moves on by
// one; the time grows by dt; past nlev the pointer wraps to 1.
//
// First pass, nodes not "K", "R" or "H" with |Gf| >= 1e-37 (Gf, GTf from
// FSFGSM at Told, Tfold): with To := Tfold + TABS, mD := rho vrate, M := FLA
// rho FL, H := cp M:
//   Ffold := (mD cp - Gf) To + GTf,
//   Tfnew := (cp (M - mD dt)/dt To + GTf + QF) / (H/dt + Gf - mD cp) - TABS.
// With TIMELA "YES" the mixing temperature GTf/Gf is recorded at the levels
// of the pointer (time - dt) and the one after it (time), and the inflow is
// taken one residence time rho FLA FL / through-flow (SGNODM) earlier:
// GT' := Tlag Gf and W := through-flow x cp when the history reaches back
// that far, else GT' := GTf and W := H/dt; Ffold := (mD cp - Gf) To + GT',
// Tfnew := (GT' + QF + To W) / (W + Gf - mD cp) - TABS.
// minratio/minnode follow the smallest H/Gf (node nt + i; the later node
// wins a tie); the minimum is not reset here.
// Second pass, "H" nodes with a conductance: one undamped Newton step on the
// steady balance from SFGSUM at Tnew, Tfnew.
void SFSTAB(const FlNetwork& net, double dt, FlCReals rho, FlCReals cp, FlCReals vrate, FlTimeLag& lag,
            const FlStepArrays& s, double& minratio, int& minnode, int& status);

// One update of fluid node i from its sums (SFGSUM at the iterates), T :=
// Tfnew(i), Ta := T + TABS: status "H": v := one Newton step on the steady
// balance; else a Crank-Nicolson step with the heat-flow term Ffold (and a
// second step when SR > 0). change := |v|; frlxcc/nfrlxc (fluid index i)
// follow the largest change; Tfnew(i) := T + dampt v.
void SFCALC(const FlNetwork& net, double dampt, FlCReals rho, double dt, FlCReals vrate, int i, FlCReals cp,
            const FlSums& sums, const FlStepArrays& s, double& frlxcc, int& nfrlxc, double& change);

// One sweep over the fluid nodes in the order perm(1..nf) with DAMPT,
// FRLXCA and METHOD as they stand. FRLXCC := 0. A node already marked or of
// status "R" or "K" is marked and skipped; a node without conductance (SG
// and SR below 1e-37) is left alone, unmarked; otherwise SFCALC updates it,
// a change >= FRLXCA clears both converged flags and a smaller one marks the
// node when METHOD = 1.
void SFBKFS(const FlNetwork& net, double dt, FlCReals rho, FlCReals cp, FlCReals vrate, FlCInts perm,
            const FlStepArrays& s, FlInts marks, bool& outer, bool& inner);

// ---- The implicit step ---------------------------------------------------

// One implicit thermal-fluid step over dt (Tnew, Tfnew the results; the model
// temperatures are left alone). SOLTYP "THERMAL"; the old and new arrays
// from the node temperatures; QR := QR + r2 for the step; STSTAB and SFSTAB
// (CSGMIN, NCSGMN); then outer passes (marks cleared) of inner passes
// (VARIABLES1, SFBKTS, SFBKFS over perm) until an inner pass converges,
// repeated while the outer pass did not converge and METHOD is not 0, all
// ending once NLOOPT sweeps are made; QR := QR - r2; SOLTYP blank.
// iterations := the sweeps made; change := the largest |Tnew - Told| over
// thermal nodes "D" with |C| > 1e-37 and |Tfnew - Tfold| over fluid nodes
// "F", "J", "Q", "S" (0 when none). `entries` serve STSTAB and SFBKTS; the
// caller sizes them once for its run (fl_thermal_entries_size).
void FLTNIM(const FlNetwork& net, double dt, const FlStepArrays& s, FlThermalEntries& entries, FlInts tmarks,
            FlInts fmarks, FlCInts perm, FlCReals rho, FlCReals cp, FlCReals vrate, FlCReals r2, FlTimeLag& lag,
            int& iterations, double& change);

// ---- The steps of FLTMTS ---------------------------------------------------

// The arrays of the thermal step and the fluid sub-steps of FLTMTS: thermal
// Tss (sub-step start), Fts (heat flow at the thermal step's start), Tse
// (sub-step end) and Tte (thermal step end); the fluid arrays 1 to 7 of
// its loop but the viscosities (specific heats, densities, Ffold, Tfold,
// Tfnew, VRATE); the transport delay.
struct FlSubstepArrays {
  FlReals tss, fts, tse, tte;
  FlReals cp, rho, ffold, tfold, tfnew, vrate;
  FlTimeLag lag;
  // The arrays of the sweeps: old thermal Tss with its heat flows Fts and
  // the iterate Tte (the thermal step), or Tss and Tse around the fluid
  // arrays 5, 4, 6 (a sub-step).
  FlStepArrays thermal() const { return {tss, fts, tte, tfold, ffold, tfnew}; }
  FlStepArrays fluid() const { return {tss, fts, tse, tfold, ffold, tfnew}; }
};

// The thermal step: Tte from the model's temperatures, QR := QR + R2 for
// it, the predictor and the sweeps, QR := QR - R2. Returns the sweeps.
int FLTNMT(const FlNetwork& net, const FlSubstepArrays& a, FlCReals r2);

// The fluid sub-step over DTIMEU: the estimate SFSTAB (thermal Tss to Tse,
// its minimum in FCSGMN, FNCSGM), the sweeps, and change := the largest
// |Tfnew - Tfold| over fluid nodes "F", "J", "Q", "S".
void SNEWTF(const FlNetwork& net, FlSubstepArrays& a, int& count, double& change);
