// The explicit step of FLTNTF: thermal diffusion nodes and fluid nodes with
// heat capacity advance by one forward-Euler step from the start-of-step
// temperatures, then the nodes without heat capacity (thermal arithmetic
// nodes, fluid nodes of status "H") are relaxed towards their steady
// balance. The step is stable while it stays below the smallest ratio of
// heat capacity to conductance (CSGMIN), which the update finds as it goes.
//
// The work arrays are the Told, Tnew, Tfold, Tfnew of FlStepArrays (Fold and
// Ffold play no part). Q of a thermal node is QA + QE + QI + QR + QS.
#pragma once

#include "fluid/fluid_network.h"
#include "fluid/implicit_updates.h"

// One explicit step of FLTNTF over DTIMEU: Tnew, Tfnew from the model's
// temperatures, QR := QR + r2 for the step, FSTNEW, QR := QR - r2; then
// DTIMEI := min(0.95 CSGMIN, RLCOUR DTCOUR) (the second when the first is
// not a number), the step limit of the next step. iterations and change as
// FSTNEW leaves them.
void FLTNEX(const FlNetwork& net, const FlStepArrays& s, FlCReals vrate, FlCReals r2, FlTimeLag& lag,
            int& iterations, double& change);

// The step limit of the explicit method: min(0.95 CSGMIN, RLCOUR DTCOUR),
// the second when the first is not a number.
double fl_explicit_step_limit();

// The body of the step over dt. SOLTYP "THERMAL"; Told := Tnew, Tfold :=
// Tfnew; FSTDIF and FSFDIF; then VARIABLES1 and FSTARH repeated (at least
// once) while fewer than NLOOPT repetitions and RELXCC > RELXCA, and the
// same with FSTARF and FRLXCC > FRLXCA; iterations := the repetitions of
// both; change := the largest |Tnew - Told| over thermal nodes "D" with |C|
// > 1e-37 and |Tfnew - Tfold| over fluid nodes "F", "J", "Q", "S". SOLTYP
// blank. Without any node: change := 0 and nothing else.
void FSTNEW(const FlNetwork& net, double dt, const FlStepArrays& s, FlCReals vrate, FlTimeLag& lag, int& iterations,
            double& change);

// Thermal diffusion nodes ("D", |C| >= 1e-37) in node order, with Gsum,
// GTsum from FSTGSM at Told, Tfold: Tnew := Told + dt / C (GTsum - Told
// Gsum + Q). CSGMIN := 1.0E38 first, then the smallest C / Gsum over the
// nodes with |Gsum| >= 1e-37, its node in NCSGMN. A temperature above
// 1.0E10 or not finite (fl_temperature_out_of_range) ends the run
// ("Temperature > 1.0D10 detected", routine "FSTDIF").
void FSTDIF(const FlNetwork& net, double dt, const FlStepArrays& s);

// Fluid nodes not "R", "H" or "K" whose Gf (Gf, GTf from FSFGSM at Told,
// Tfold) is not below 1e-37 in magnitude (a sum that is not a number
// counts), in node order: rho, cp from XRHO, XCP at (P, Tfnew, VQ),
// node nt + i; M := FLA rho FL, H := M cp, mD := rho vrate, r := (M - mD
// dt) / M, To := Tfold + TABS:
//   Tfnew := (QF + GTf - (Gf - mD cp) To) dt / H + r To - TABS.
// With TIMELA "YES" (and the history reserved) the mixing temperature
// GTf / Gf is recorded at the level of the pointer with the time minus dt,
// and the inflow is taken one residence time FLA rho FL / through-flow
// (SGNODM) earlier: when the history reaches back that far GT' := Tlag Gf
// and the factor 1 / max(through-flow cp, Gf - mD cp) replaces dt / H, so
// that a step never carries the node past its delayed mixing temperature;
// without through-flow (an infinite residence time) the factor stays dt / H. The pointer
// restarts at 1 when the accumulated time is 0 (GHIINI fills the history),
// else moves on by one and wraps past nlev; the time grows by dt.
// Then CSGMIN and NCSGMN (node nt + i) follow the smallest cp' FLA rho' FL /
// Gf, with the properties at the new temperature. A result that is not
// finite (fl_not_finite) ends the run ("Temperature > 1.0D10 detected",
// routine "FSFDIF").
void FSFDIF(const FlNetwork& net, double dt, const FlStepArrays& s, FlCReals vrate, FlTimeLag& lag);

// One undamped pass over the thermal arithmetic nodes ("D", |C| < 1e-37) in
// node order, each relaxed in t towards its balance with SG, SGT, SR, SRT of
// SFGSUM at t and tf (fl_arithmetic_step: no conductance 1.0E20 with heat,
// else 0; radiation only the fourth root; linear only the linear balance;
// else one Newton step). RELXCC := 0, then the largest |change| with its
// node in NRLXCC. A temperature above 1.0E10 (or not a number) ends the run
// (routine "FSTARH"). Also the relaxation of FLTMTS, on its sub-step's
// thermal temperatures.
void FSTARH(const FlNetwork& net, FlReals t, FlCReals tf);

// One undamped pass over the fluid nodes of status "H" in node order: a
// Newton step on the steady balance from SFGSUM at Tnew, Tfnew (nodes
// without any conductance left alone). FRLXCC := 0, NFRLXC := 0, then the
// largest |change| with its fluid node.
void FSTARF(const FlNetwork& net, const FlStepArrays& s);
