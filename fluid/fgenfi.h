// The two-phase fluid-loop solution FGENFI (declared with the other
// fluid-loop routines in fluid/fluid_services.h): its frame (ordering of the
// node equations, initial states), its step loop and step control, and the
// coupled iteration of one step. The kernels of a pass are in
// energy_equation.h, momentum.h, pressure_equation.h, continuity.h,
// state_update.h and thermal_update.h.
//
// Work space of FGENFI, from the dynamic core, in this order. Integer: the
// event list (E words), then perm, pos, ju, ir, id, jl, loopend (nf each) and
// lnkflg (nl). Real: drdp, drdh, rhoold, rho, mold (nl), pold, pnew, hold,
// hnew, flaold, fmold, amat (lprof), bvec, loopmass (nlp), hlold (nl), tfold,
// drdpold, drdhold, vqold, lnkcp, lnkc2, lnkc1, lnkc0 (nl each), volold,
// vrate, tthold, qthold, gflprv, qflprv, tthprv (nt each); nf words where no
// count is given. Sizes: E + 7 nf + nl integers, 17 nf + 6 nl + nlp + lprof +
// 5 nt reals. The step loop adds, on the heap, the conductor and node masks,
// t3 and t4 (nt) and the saved hydraulic diameters (nf).
#pragma once

#include "fluid/fgenfi_work.h"
#include "fluid/fluid_network.h"

// Breadth-first ordering of the fluid nodes along their links (sub-list 1 of
// the fluid list, every link whatever its status), loop by loop, starting at
// fluid node 1; each new loop starts at the lowest-numbered node not yet
// placed. Fills perm, pos, ju (the position from which a node was reached;
// its own for the first node of a loop), ir, id, jl and loopend of w, and
// w.nlp and w.lprof. Row r of the profile holds columns jl(r)..ir(r), the
// diagonal at id(r); the last row of every loop starts at the loop's first
// column. A profile that would pass 2,147,483,647 elements holds that value
// from there on, so that the real work space is reported short. nf >= 1. The
// walk and the scan carry the pass guard ("FPNTER").
void FPNTER(const FlNetwork& net, FgPass& w);

// Initial densities: rho, drdh and drdp of every fluid node from XDRHO at
// its FE, P, VQ and T.
void FGFIIN(const FlNetwork& net, const FgPass& w);

// Initial carried state of every link from the node it leaves (its first
// node when M >= 0, its second when M < 0): the node's FE and VQ, or, for a
// momentum link with the separation flag of that end set, the separation
// quality x of that end and the saturated mixture enthalpy x hv + (1 - x) hl
// at the node's pressure. The walk carries the pass guard ("MHXINI").
void MHXINI(const FlNetwork& net);

// Initial stability figure: CSGMIN := 1e38, then the smallest C / G over the
// thermal nodes of status "D" with |C| >= 1e-37 and |G| >= 1e-37 (G the
// linearised conductance sum SRGSUM at the current temperatures), NCSGMN its
// node (first on a tie). The loop carries the pass guard ("SCKCSG").
void SCKCSG(const FlNetwork& net);

// The step loop: from TIMEO to TIMEND, FFITST decides on the step just
// computed and sets up the next; a step of positive length then gets the
// thermal pre-step (TSTAB2 after VARIABLES1 with SOLTYP "THERMAL", when there
// are thermal nodes), the volume change VDT x DTIMEU (CVOLST) and the coupled
// iteration (FGFITR). The loop runs while TIMEO + 0.1 DTIMEU < TIMEND, and
// not at all without fluid nodes (lprof < 1). hnew := FE and pnew := P at
// the start; SOLTYP blank at the end. th brings the driver's thermal blocks
// (tthold ... tthprv); the step loop binds the rest of th and sv.fdold to
// its heap scratch.
void FGFIIT(const FlNetwork& net, const FgPass& w, FgSaved sv, FgThermal th, FgLoop& loop);

// Decision and time bookkeeping, once per pass of the step loop:
//  - a step longer than 1.000001 DTMIN is accepted when it converged, else
//    rejected; a shorter one is accepted (minstep := 1), with the warning
//    "Non-convergence in FGENFI@Timestep at minimum, solution cannot converge
//    within NLOOP iterations" (severity 2, code 1, "FFITST") when it did not
//    converge;
//  - accepted: the state is saved as the start of the next step, DTCOUR
//    (SFICOU, 0 without links), VARIABLES2 after a real step (the first call
//    of a run sets DTIMEU := 1e38 instead), the next step h (DTIMEI when
//    defined, else RLCOUR x DTCOUR with links, else DTMAX; then at most
//    DTMAX and at least DTMIN; after a rejection at most 1.5 x the step just
//    accepted until the free choice is within that bound), OUTPUTS when
//    TIMEN has reached the next output time (and then the next output time
//    from the reference time, OUTINT, TIMEND and the event arrays), TIMEO :=
//    TIMEN;
//  - rejected: h := max(DTMIN, DTIMEU / 2) and the state at the start of the
//    step back (P, FE, T, densities and derivatives, VQ, VOL with the flow
//    area or length that follows it, the hydraulic diameter, link flows and
//    carried enthalpies, thermal temperatures);
//  - both: the step end TIMEN (at most the next output time; two equal steps
//    when between h and 2 h remain; pulled back onto an event time), TIMEM
//    and DTIMEU := TIMEN - TIMEO.
// A step that would not advance the clock before TIMEND ends the run:
// "FGENFI: Time step of zero length at TIMEO = <G12.6>@Check control
// constants DTIMEI, DTMIN, DTMAX, RLCOUR and OUTINT" (severity 4, code 11,
// "FGENFI").
void FFITST(const FlNetwork& net, const FgPass& w, const FgSaved& sv, const FgThermal& th, FgLoop& loop);

// Courant-type limit: the shortest time in which a link's flow (|M| >=
// 1e-37, every link whatever its status) replaces the fluid of the mean
// volume of its two end nodes, with densities XRHO at their P, T and VQ;
// 1e38 when no link qualifies; a value that is not a number is ignored.
double SFICOU(const FlNetwork& net);

// The coupled iteration of one step (see the source for the pass):
// energy equation and solution into hnew, momentum, pressure equation and
// solution into pnew, the relaxation factors and DAMPM, new flows,
// under-relaxation, compliance, state update, h := hnew, P := pnew, then the
// thermal passes; until the fluid and the thermal side have converged (with
// at most one thermal pass) or NLOOP passes. loop.converged := 1 when the
// step converged. A zero pivot, or an iterate the properties cannot take
// (below), in a step longer than 1.000001 DTMIN (whose half still moves the
// clock) is a step that did not converge: the iteration returns at once
// (converged 0, hnew and pnew back to the last iterate) and the step loop
// rejects the step, restores its start and halves it. At the minimum step
// the run ends. A zero pivot ends it with "FGENFI: Zero divide in matrix
// solution for enthalpy@..." (code 1) or "FGENFI : Zero divide in matrix
// solution for pressure@..." (code 2), severity 4, routine "Fgfitr". An
// iterate the properties cannot take ends it with the step in the message
// and the node's or link's context, severity 4, routine "Fgfitr": a
// solved or relaxed enthalpy or pressure, or a state derived from them (VQ,
// density and its derivatives), that is not a finite number ("FGENFI: Fluid
// state is not a finite number", code 3); an absolute pressure P + PABS not
// above zero ("FGENFI: Fluid pressure not above zero", code 4); a link flow
// that is not a finite number ("FGENFI: Mass flow is not a finite number",
// code 5); a fluid temperature that is not ("FGENFI: Temperature > 1.0D10
// detected@", code 1, routine "Fgupdt") or with T + TABS not above zero
// ("FGENFI: Fluid temperature not above absolute zero", code 6).
void FGFITR(const FlNetwork& net, const FgPass& w, const FgThermal& th, FgLoop& loop);

// One step of the adaptive relaxation: with dc the current and dq the
// previous signed largest correction, r := dq / dc (same signs) or 0.8 |dq /
// dc| (opposite signs), and factor := factor + 0.5 (min(r factor, 0.9) -
// factor); unchanged when |dc| < 1e-37.
double fg_relax(double factor, double dc, double dq);
