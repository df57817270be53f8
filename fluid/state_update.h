// Thermodynamic state of the fluid nodes from their pressure and specific
// enthalpy (the two-phase iteration): vapour quality, temperature, flow
// regime, density and its two derivatives, with the convergence measure of
// the enthalpies; and the submodel of a fluid node for messages.
//
// The two-phase state is homogeneous: a node whose enthalpy lies between the
// saturated liquid and vapour enthalpies at its pressure is a mixture at the
// saturation temperature, with the quality-weighted density of the property
// functions, and its regime is "HEM".
#pragma once

#include "fluid/fgenfi_work.h"
#include "fluid/fluid_network.h"

// For every fluid node i, from p = pnew(i) and h = hnew(i) (fluid code of its
// fluid type, node nt + i for the messages of the property functions):
//   VQ := XGXPH(p, h); single phase (|VQ| or |1 - VQ| below 1e-37): T :=
//   XTEMP(p, h, VQ), FRG "VAP" or "LIQ"; otherwise T := XTEMPS(p), FRG
//   "HEM"; rho, drdh, drdp from XDRHO; and the enthalpy change measured as a
//   temperature, |h - FE(i)| / (DAMPM x XCP(p, T, VQ)), whose largest value
//   goes to FRLXCC with its node in NFRLXC (the first node on a tie; both 0
//   when nothing changed). A node whose p, h or derived state (VQ, T, rho,
//   drdh, drdp, cp) is not a finite number changes without bound: its
//   measure is +infinity, so that such a state never counts as converged.
// converged := 1 when FRLXCC < FRLXCA and RELXMC < RELXMA, else 0. FE (the
// previous enthalpies) is read, not written.
void FGUPDT(const FlNetwork& net, const FgPass& w, int& converged);

// Density rho and its derivatives at constant pressure (drdh) and constant
// enthalpy (drdp) of fluid ifluid at enthalpy h, pressure p, quality x and
// temperature t (relative; pabs and tabs the offsets; node for messages).
// Single phase, with cp, the Joule-Thomson coefficient mu and the isothermal
// compressibility kappa of the property functions:
//   drdh = -(1 + rho mu cp) rho / ((t + tabs) cp),  drdp = cp mu drdh + rho kappa.
// Two-phase: drdh = rho^2 (rhov - rhol) / ((hv - hl) rhov rhol) from the
// saturation line; drdp by a one-sided step of 0.001 (pabs + p) at constant
// enthalpy, downwards when x < 0.5 (the quality of the stepped state is not
// clamped).
void XDRHO(double h, int ifluid, int node, double pabs, double p, double x, double tabs, double t, double& drdh,
           double& drdp, double& rho);

// Submodel number of fluid node i.
int SMODND(int i);
