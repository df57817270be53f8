// Fluid-state initialisation of one fluid node (FGEIND, the per-node work of
// FINITS, declared in fluid/fluid_services.h).
#pragma once

#include "fluid/fluid_network.h"

// Completes fluid node k (element k of the fluid-node spans, global node
// net.global(k), the node of every property call's messages):
//  - FLA := FD x (pi x FD) x 0.25 when FLA is undefined (pi the double
//    nearest 3.1415927); VOL := FLA x FL always;
//  - the state descriptor FST, normalised in a work copy by STCHEK ("T&P" is
//    taken as "P&T", blanks and tabs ignored, upper case only; the stored FST
//    is never rewritten); any other text is reported as "Fluid state
//    descriptor not recognised@String given: FST = '<FST, 4 characters>'"
//    (severity 3, code 5) and the node goes straight to its flow regime;
//  - the state from the descriptor, with the node's fluid (FTYPEI of FT):
//      P&T   VQ := XGXPT(P, T);    FE := XENTH(P, T, VQ)
//      P&FE  VQ := XGXPH(P, FE);   T  := XTEMP(P, FE, VQ)
//      P&VQ  T  := XTEMPS(P);      FE := XENTH(P, T, VQ)
//      T&VQ  P  := XPRESS(T);      FE := XENTH(P, T, VQ)
//  - humid air ("AIRW"): pv := PHI x (XPRESS(T) of "WATER" + PABS), the
//    specific humidity W := 0.6221 x pv / (PABS + P - pv) (the factor the
//    single-precision value), and VQ := W; the enthalpy of P&T, P&VQ and
//    T&VQ is then XENTH(P, T, W), at the node's own humidity ratio (the
//    quality argument of humid air), not at the phase value of the pair;
//  - a mass source FM that is defined and positive: its state at P (at
//    XPRESS(FR) for "T&VQ"): P&T FH, FW from FR (humid air: FH at its FW
//    where FW is defined, FW kept); P&FE FR, FW from FH (FW kept for humid
//    air); P&VQ FR := T, then FH from FW; T&VQ FH from FR
//    and FW. An undefined value the form needs is a warning (severity 2,
//    codes 1 to 4) and the source keeps its values;
//  - the flow regime FRG: "VAP" for humid air ("AIRW"); else "LIQ" when
//    |VQ| < 1e-37, "VAP" when |1 - VQ| < 1e-37, "HEM" otherwise.
// Messages name routine "FGEIND".
void FGEIND(const FlNetwork& net, int k);

// Vapour quality implied by pressure p and temperature t of fluid ifluid
// (node: message context): 0 when t is at or below the saturation
// temperature XTEMPS(p), else 1.
double XGXPT(double p, double t, int ifluid, int node);
// Vapour quality implied by pressure p and specific enthalpy h: 0 at or below
// the saturated-liquid enthalpy, 1 at or above the saturated-vapour one,
// else (h - hl) / (hv - hl), the saturation enthalpies XENTHS at XTEMPS(p).
double XGXPH(double p, double h, int ifluid, int node);
