// Fluid properties: the fluid codes and the twenty property functions that
// user blocks and the fluid-loop solution call.
//
// Fluid codes: 1 "AMMONIA", 2 "WATER", 3 "AIR", 4 "AIRW" (humid air), 5 "R11",
// 6 "R114", 7 "R12", 8 "R21", 9 "R22", 10 "R502".
//
// Arguments: P and T relative (absolute = P + PABS in Pa, T + TABS in K), H a
// specific enthalpy (J/kg), X the vapour quality, which selects the phase
// (X <= 0 liquid, X >= 1 vapour, else the two-phase mixture), except for
// "AIRW", where X is the specific humidity (kg water vapour per kg dry air)
// and selects nothing; IFLUID the fluid code; NODE the global node number,
// only the context of messages (0: none). Results in SI units; XTEMP,
// XTEMPS and XPRESS return relative values.
//
// The functions ending in S give the property on the saturation line: the
// saturated liquid for X <= 0, the saturated vapour for X >= 1; X strictly
// between is refused. A request the system cannot serve (unknown fluid code,
// property undefined for the fluid or phase, such an X) is a fatal
// diagnostic that ends the run; there is no status to test. Values outside
// a correlation's range are the library's warnings (library.h).
#pragma once

#include <string_view>

#include "platform/text.h"

// Fluid code of a fluid-type name (blank-padded comparison: trailing blanks
// ignored, leading blanks and case significant); 0 for any other name.
int FTYPEI(std::string_view name);
// Name of a fluid code, blank-padded to 24 characters; 24 blanks for a code
// outside 1..10.
plat::Text<24> FTYPEC(int icode);

// Density (kg/m3), specific heat at constant pressure (J/(kg K)), thermal
// conductivity (W/(m K)), dynamic viscosity (Pa s), specific enthalpy
// (J/kg), Joule-Thomson coefficient (K/Pa), isothermal compressibility
// (1/Pa) at (P, T, X).
double XRHO(double p, double t, double x, int ifluid, int node);
double XCP(double p, double t, double x, int ifluid, int node);
double XCOND(double p, double t, double x, int ifluid, int node);
double XVISC(double p, double t, double x, int ifluid, int node);
double XENTH(double p, double t, double x, int ifluid, int node);
double XJT(double p, double t, double x, int ifluid, int node);
double XKT(double p, double t, double x, int ifluid, int node);
// Temperature at which the side X selects has specific enthalpy H at P.
double XTEMP(double p, double h, double x, int ifluid, int node);
// Surface tension and pressure: defined for no fluid and phase (they always
// end the run with the "Fluid property undefined" diagnostic).
double XSIG(double p, double t, int ifluid, int node);
double XPRES(double p, double t, double x, int ifluid, int node);

// On the saturation line.
double XRHOS(double p, double t, double x, int ifluid, int node);
double XCPS(double p, double t, double x, int ifluid, int node);
double XCONDS(double p, double t, double x, int ifluid, int node);
double XVISCS(double p, double t, double x, int ifluid, int node);
double XENTHS(double p, double t, double x, int ifluid, int node);
double XJTS(double p, double t, double x, int ifluid, int node);
double XKTS(double p, double t, double x, int ifluid, int node);
// Surface tension of the saturated liquid at T.
double XSIGS(double p, double t, int ifluid, int node);
// Saturation temperature at P, saturation pressure at T.
double XTEMPS(double p, int ifluid, int node);
double XPRESS(double t, int ifluid, int node);
