// Humid air: fluid nodes of fluid "AIRW" carry water vapour as a quantity of
// their own. The FLT step loops convert between relative humidity PHI and
// humidity ratio W (kg water per kg dry air, net.w), carry the vapour with
// the mass flows as the vapour mass fraction q = W / (1 + W), and condense
// it on thermal nodes colder than the dew point, whose latent heat goes to
// those nodes. During a solution an "AIRW" node keeps W in its vapour
// quality VQ, the argument the property functions of "AIRW" read as W.
//
// Per fluid node the step loop keeps R1, the condensation rate (kg/s), and
// per thermal node R2, the latent heat released into it (W). The routines
// run only when the loop's humid-air flag is set (FTAIRW found an "AIRW"
// node); nodes of other fluids pass unchanged. Property calls use the global
// node number nt + k; "WATER" supplies the saturation properties.
//
// How the step loops use them: at the start HUMRSP mode 1, SFMCON mode 1
// and, with thermal nodes, CNDNSE with g = 1; in every pass HUMRSP mode 1
// and SFMCON mode 2 before the hydraulic solution, SFMCON mode 3 after it,
// and HMDIPT (FLTNTS, FLTMTS) or HMDNTF (FLTNTF) after the temperature
// update, unless the step is to be repeated shorter (fl_step_repeated).
//
// The humidity update reads the step's new thermal and fluid temperatures
// (the iterates the step has just found), not the model's arrays, which
// still hold the start-of-step values until the step is accepted. PHI is
// formed from the transported W at the temperature the node will have once
// the step is accepted, and the next pass forms W back from PHI at that same
// temperature (HUMRSP mode 1), so W goes through unchanged. Read at the
// start-of-step temperatures, PHI would be converted back at a different
// temperature, which creates or destroys vapour whenever a node's
// temperature changes.
//
// The two vapour-fraction arrays QOLD and QNEW of that update are
// reserved whenever the humid-air flag is set, whether or not the model has
// links (fl_humid_work_words).
#pragma once

#include "fluid/fluid_network.h"

// Real words a step loop reserves for QOLD and QNEW: 2 nf when the humid-air
// flag is set, else 0.
int fl_humid_work_words(int nf, bool humid);

// Fraction and ratio, i = 1..n, whatever the fluid. mode != 0: w(i) := 0
// when q(i) <= 0, 1.0E15 when q(i) > 1 or |1 - q(i)| < 1e-37, else
// q / (1 - q). mode 0: q(i) := w(i) / (w(i) + 1).
void HUMFSP(int n, int mode, FlReals q, FlReals w);

// Relative humidity and humidity ratio of every "AIRW" node at its pressure
// P and the fluid temperature tf(k), with ps := XPRESS(tf(k)) of "WATER"
// and p := P + PABS. mode != 0: W := 0.6221 PHI (ps + PABS) / (p - PHI (ps
// + PABS)); mode 0: PHI := p W / ((ps + PABS)(W + 0.6221)). An absolute
// saturation pressure that is not above 0 (a temperature at or below
// absolute zero) ends the run with "HUMRSP: No saturation pressure of water
// at the temperature of a humid-air node@..." (code 1), and in mode 1 a
// vapour pressure PHI (ps + PABS) not below p with "HUMRSP: Vapour pressure
// not below the pressure of a humid-air node@..." (code 2), both with the
// node's context, severity 4.
void HUMRSP(const FlNetwork& net, int mode, FlCReals tf);

// Mass balance of the vapour around the hydraulic solution, every "AIRW"
// node k: mode 1: VQ := W; mode 2: VQ := W and FM := FM - r1(k) - S(k)
// (condensed and sunk vapour leave the node); mode 3: FM := FM + r1(k) +
// S(k) (the source restored).
void SFMCON(const FlNetwork& net, FlCReals r1, int mode);

// Condensation onto cold walls at thermal temperatures t and fluid
// temperatures tf. r2 := 0 over the thermal nodes; for every "AIRW" node k,
// over its active GL conductors c to thermal nodes n (neighbours of status
// "X" and fluid neighbours skipped): vapour pressure pv := (P + PABS) W /
// (W + 0.6221) - PABS, dew point Td := XTEMPS(pv) of "WATER"; when Td >
// t(n): mc := GL(c) / ((P + PABS) cp) (pv - XPRESS(t(n))), cp := XCP of the
// node at (P, tf, W); r2(n) += (hv - hl) mc with the saturation enthalpies
// of "WATER" at pv; m += mc. Then every fluid node's rate moves towards m:
// r1(k) := r1(k) (1 - g^2) + m g^2 (m = 0 for other fluids).
void CNDNSE(const FlNetwork& net, double g, FlCReals t, FlCReals tf, FlReals r1, FlReals r2);

// Vapour balance of every fluid node over a step dt: inflow fractions over
// its active entering links (qold of the upstream node, or the mean of its
// qold and its qnew as it stands when mix = 1), outflow |M| of its leaving
// links, its mass source (fraction FW / (FW + 1) when FM > 0, else an
// outflow |FM|), less r1 and the sink S; storage with mass VOL rho and
// earlier mass VOL rho - rho vdot dt. A node of status "J" counts entering
// links as outflow too, a source as negative outflow, and keeps r1 and S.
// A node of status "R" keeps its fraction. mix = 1 weights the node's own
// fraction half old, half new; mix = 0 uses the old ones. A node without
// mass (|VOL rho| < 1e-37) stores nothing: its fraction is the balance of
// what passes, sum / g, or stays when nothing passes; an "AIRW" node without
// mass that vapour enters and cannot leave ends the run ("WVMCON: Water
// vapour enters a humid-air node without mass that lets nothing out@...",
// code 1), and so does an "AIRW" fraction that is not finite ("WVMCON:
// Vapour fraction of a node is not a number@...", code 2), with the node's
// context, severity 4.
void WVMCON(const FlNetwork& net, double dt, FlCReals vdot, FlCReals r1, FlCReals rho, int mix, FlCReals qold,
            FlReals qnew);

// Humidity update after a step of FLTNTS or FLTMTS, iterated: qold := q(W),
// qnew := qold, SOLTYP "HUMID"; then passes of VARIABLES1, WVMCON (mix 1),
// W from qnew, PHI from W and, with thermal nodes, CNDNSE with the
// relaxation g (DAMPM), until the summed fractions are 0 or change by at most
// 1.0E-5 relatively from one pass to the next (a non-zero sum always takes a
// second pass). After NLOOP passes without that it stops with the warning
// "HMDIPT: Humidity update not converged in NLOOP passes" (severity 2, code
// 1) and keeps the last pass. qold and qnew hold nf words each; vdot and rho
// are the volume change rates and densities of the step; t and tf are the
// step's new thermal and fluid temperatures (see above).
void HMDIPT(const FlNetwork& net, double g, double dt, FlCReals vdot, FlCReals rho, FlCReals t, FlCReals tf,
            FlReals r1, FlReals r2, FlReals qnew, FlReals qold);

// Humidity update after a step of FLTNTF, one pass: qold := q(W), SOLTYP
// "HUMID", VARIABLES1, WVMCON (mix 0), W from qnew, PHI from W and, with
// thermal nodes, CNDNSE with g = 1; t and tf as for HMDIPT.
void HMDNTF(const FlNetwork& net, double dt, FlCReals vdot, FlCReals rho, FlCReals t, FlCReals tf, FlReals r1,
            FlReals r2, FlReals qnew, FlReals qold);

// After the humidity update of a pass (HMDIPT, HMDNTF): every "AIRW" node
// carries its humidity ratio in its vapour quality.
void fl_humidity_carried(const FlNetwork& net);
