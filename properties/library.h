// The substance library: one routine per property and pure substance, for
// one side of the saturation line. Two-digit substance numbers: 00 air (gas),
// then liquid (odd) and vapour (even) of water 01/02, R11 03/04, R12 05/06,
// R21 07/08, R22 09/10, R114 11/12, R502 13/14, ammonia 15/16.
//
// Arguments are relative temperatures T and pressures P with the offsets
// TABS and PABS (absolute = T + TABS in kelvin, P + PABS in pascal); results
// are in SI units. NODE is the internal node number for the context of a
// message (0: none). Outside its valid range a routine returns the value at
// the nearest end of the range and warns (severity 2, code 1, its own name),
// unless its comment says otherwise; the run goes on.
#pragma once

#include "properties/library_constants.h"

// ---- Temperature tables: property of the saturated liquid (odd) or
// vapour (even) at T + TABS; linear interpolation in two ranges.

// Thermal conductivity, W/(m K).
double PCND01(int node, double t, double tabs);
double PCND02(int node, double t, double tabs);
double PCND03(int node, double t, double tabs);
double PCND04(int node, double t, double tabs);
double PCND05(int node, double t, double tabs);
double PCND06(int node, double t, double tabs);
double PCND07(int node, double t, double tabs);
double PCND08(int node, double t, double tabs);
double PCND09(int node, double t, double tabs);
double PCND10(int node, double t, double tabs);
double PCND11(int node, double t, double tabs);
double PCND12(int node, double t, double tabs);
double PCND13(int node, double t, double tabs);
double PCND14(int node, double t, double tabs);
double PCND15(int node, double t, double tabs);
double PCND16(int node, double t, double tabs);

// Specific heat at constant pressure, J/(kg K) (the vapours of R11, R12,
// R22, R114 and R502 depend on pressure too and are not tables).
double PCP01(int node, double t, double tabs);
double PCP02(int node, double t, double tabs);
double PCP03(int node, double t, double tabs);
double PCP05(int node, double t, double tabs);
double PCP07(int node, double t, double tabs);
double PCP08(int node, double t, double tabs);
double PCP09(int node, double t, double tabs);
double PCP11(int node, double t, double tabs);
double PCP13(int node, double t, double tabs);
double PCP15(int node, double t, double tabs);
double PCP16(int node, double t, double tabs);

// Dynamic viscosity, Pa s.
double PVSC01(int node, double t, double tabs);
double PVSC02(int node, double t, double tabs);
double PVSC03(int node, double t, double tabs);
double PVSC04(int node, double t, double tabs);
double PVSC05(int node, double t, double tabs);
double PVSC06(int node, double t, double tabs);
double PVSC07(int node, double t, double tabs);
double PVSC08(int node, double t, double tabs);
double PVSC09(int node, double t, double tabs);
double PVSC10(int node, double t, double tabs);
double PVSC11(int node, double t, double tabs);
double PVSC12(int node, double t, double tabs);
double PVSC13(int node, double t, double tabs);
double PVSC14(int node, double t, double tabs);
double PVSC15(int node, double t, double tabs);
double PVSC16(int node, double t, double tabs);

// ---- Air: polynomials of degree five in T + TABS; no range, no message.
double PCND00(double t, double tabs);  // W/(m K)
double PCP00(double t, double tabs);   // J/(kg K)
double PVSC00(double t, double tabs);  // Pa s

// a[0] + a[1] x + ... + a[n-1] x^(n-1), summed in ascending powers (n >= 1;
// 0 for n < 1).
double PPOLY(double x, const double* a, int n);

// ---- Surface tension of the saturated liquid, N/m, from T + TABS: a closed
// form that falls to 0 at the routine's critical temperature and is 0 above
// it; no range, no message.
double PSIG01(double t, double tabs);
double PSIG03(double t, double tabs);
double PSIG05(double t, double tabs);
double PSIG07(double t, double tabs);
double PSIG09(double t, double tabs);
double PSIG11(double t, double tabs);
double PSIG13(double t, double tabs);
double PSIG15(double t, double tabs);

// ---- Saturation pressure at T + TABS, returned relative (absolute Pa -
// PABS); closed forms. Above the critical temperature the critical pressure,
// at or below 0 K zero absolute pressure, each with a severity-1 diagnostic
// without node context.
double PSAT02(double pabs, double tabs, double t);
double PSAT04(double pabs, double tabs, double t);
double PSAT06(double pabs, double tabs, double t);
double PSAT08(double pabs, double tabs, double t);
double PSAT10(double pabs, double tabs, double t);
double PSAT12(double pabs, double tabs, double t);
double PSAT14(double pabs, double tabs, double t);
double PSAT16(double pabs, double tabs, double t);

// ---- Saturation temperature at P + PABS, returned relative (table value in
// degrees C + 273.15 - TABS); quadratic interpolation in pressure ranges.
double PTS02(int node, double pabs, double p, double tabs);
double PTS04(int node, double pabs, double p, double tabs);
double PTS06(int node, double pabs, double p, double tabs);
double PTS08(int node, double pabs, double p, double tabs);
double PTS10(int node, double pabs, double p, double tabs);
double PTS12(int node, double pabs, double p, double tabs);
double PTS14(int node, double pabs, double p, double tabs);
double PTS16(int node, double pabs, double p, double tabs);

// ---- Saturation enthalpy at P + PABS, J/kg on the tables' own scale (its
// zero differs between substances): saturated liquid (odd) or vapour (even);
// quadratic interpolation in pressure ranges.
double PETH01(int node, double pabs, double p);
double PETH02(int node, double pabs, double p);
double PETH03(int node, double pabs, double p);
double PETH04(int node, double pabs, double p);
double PETH05(int node, double pabs, double p);
double PETH06(int node, double pabs, double p);
double PETH07(int node, double pabs, double p);
double PETH08(int node, double pabs, double p);
double PETH09(int node, double pabs, double p);
double PETH10(int node, double pabs, double p);
double PETH11(int node, double pabs, double p);
double PETH12(int node, double pabs, double p);
double PETH13(int node, double pabs, double p);
double PETH14(int node, double pabs, double p);
double PETH15(int node, double pabs, double p);
double PETH16(int node, double pabs, double p);

// ---- Saturation density, kg/m3: the liquids and the ammonia vapour (PRHO16)
// at T + TABS, the other vapours at P + PABS; quadratic interpolation
// (PRHO11 linear). PRHO16 warns with its own texts: code 1 below its range,
// 2 at or above it.
double PRHO01(int node, double t, double tabs);
double PRHO02(int node, double pabs, double p);
double PRHO03(int node, double t, double tabs);
double PRHO04(int node, double pabs, double p);
double PRHO05(int node, double t, double tabs);
double PRHO06(int node, double pabs, double p);
double PRHO07(int node, double t, double tabs);
double PRHO08(int node, double pabs, double p);
double PRHO09(int node, double t, double tabs);
double PRHO10(int node, double pabs, double p);
double PRHO11(int node, double t, double tabs);
double PRHO12(int node, double pabs, double p);
double PRHO13(int node, double t, double tabs);
double PRHO14(int node, double pabs, double p);
double PRHO15(int node, double t, double tabs);
double PRHO16(int node, double t, double tabs);

// ---- Work of one call of an iterative routine, counted by the counted forms
// below for tests and benchmarks (the routines themselves count nothing).
struct PropWork {
  int steps = 0;        // secant, Newton or bisection steps
  int evaluations = 0;  // specific-heat evaluations
};

// ---- Specific heat of the vapours of R11, R12, R22, R114 and R502,
// J/(kg K), from relative P and T: the Martin-Hou equation of state of the
// substance with the vapour density from XRHO (quality 1). The vapour and
// the saturated vapour of a fluid reach the same routine.
double PCP04(double p, double t, int node);
double PCP06(double p, double t, int node);
double PCP10(double p, double t, int node);
double PCP12(double p, double t, int node);
double PCP14(double p, double t, int node);
// Their work, for fluid code ifluid with the constants c (reads TABS): a
// specific volume within 1e-37 m3/kg of the co-volume b ends the run
// (severity 4, code 1, reference PCP04 for every fluid, node context).
double CPMAHO(double p, double t, int ifluid, int node, const prop_const::MartinHou& c);
// The formula of CPMAHO at density rho (kg/m3) and absolute temperature tk.
double prop_martin_hou_cp(const prop_const::MartinHou& c, double rho, double tk);

// ---- Gas and vapour density off saturation, kg/m3.
// Air, ideal gas; below 1 K absolute a severity-2 diagnostic (no node
// context) and Pk / 287.04.
double PRHO00(double p, double pabs, double t, double tabs);
// Water vapour: virial equation solved by Newton steps. A pressure above
// 1e7 Pa or a temperature outside 273.15 .. 1073.15 K warns (severity 2,
// codes 1 to 3) and the computation goes on at the limit. A step without a
// slope or a non-number ends the run (severity 4, code 4).
double PROS02(double pabs, double p, double tabs, double t);
double prop_pros02(double pabs, double p, double tabs, double t, PropWork* work);
// Refrigerant vapours: the equation of state of the substance inverted by
// PFRHOV.
double PROS04(double pabs, double p, double tabs, double t);
double PROS06(double pabs, double p, double tabs, double t);
double PROS08(double pabs, double p, double tabs, double t);
double PROS10(double pabs, double p, double tabs, double t);
double PROS12(double pabs, double p, double tabs, double t);
double PROS14(double pabs, double p, double tabs, double t);
// Pressure (psi) of the refrigerant equation of state c at TR (degrees
// Rankine) and specific volume v (ft3/lb).
double PEOS(const prop_const::RefrigerantEos& c, double tr, double v);
// Density (kg/m3) at absolute pk (Pa) and tk (K): secant steps on PEOS until
// the pressure is met within 1e-5 of itself. Two equal pressures of a step
// or a non-number end the run (severity 4, code 1, reference PFRHOV).
double PFRHOV(const prop_const::RefrigerantEos& c, double pk, double tk, PropWork* work = nullptr);
// Ammonia vapour: ideal gas with the second virial coefficient, blended near
// saturation into the saturated vapour density (calls XTEMPS and XRHOS).
double PROS16(int node, double pabs, double p, double tabs, double t);
// Second virial coefficient of ammonia, m3/kmol, at T + TABS; outside 195 to
// 700 K its own warnings (code 1 below, 2 at or above, node context) and
// the end values.
double PB16(int node, double t, double tabs);

// ---- Liquid density off saturation, kg/m3: the saturated-liquid density at
// T corrected for P against the saturation pressure at T.
double PROL01(double p, double pabs, double t, double tabs);
double PROL03(int node, double pabs, double p, double tabs, double t);
double PROL05(int node, double pabs, double p, double tabs, double t);
double PROL07(int node, double pabs, double p, double tabs, double t);
double PROL09(int node, double pabs, double p, double tabs, double t);
double PROL11(int node, double pabs, double p, double tabs, double t);
double PROL13(int node, double pabs, double p, double tabs, double t);
double PROL15(int node, double pabs, double p, double tabs, double t);
// Compressed-liquid density from the acentric factor omega, absolute
// pressure pk, critical pressure pc, absolute saturation pressure psk,
// absolute temperature tk, critical temperature tc and the saturated-liquid
// specific volume vs. At or above tc (code 1), and where the correlation
// gives no density (code 2: the logarithm of a ratio that is not positive
// and finite, or a volume that is not positive), a severity-2 diagnostic
// without node context and the saturated density 1 / vs.
double PRHOL(double omega, double pk, double pc, double psk, double tk, double tc, double vs);
// Isothermal compressibility of liquid ammonia, 1/Pa, from T + TABS;
// outside -77 .. 91 C the end values and a range warning.
double PKT15(int node, double t, double tabs);
// Speed of sound in liquid water, m/s, at relative P and T (reads PABS and
// TABS); no range. A polynomial up to its crossing with the isothermal
// speed (prop_data::kPSND01.x0, near 467 K); above, the polynomial at that
// temperature plus a generated continuation, so that 1.01 / u^2 at the
// saturation pressure is the saturated liquid's (d rho / d P)_T.
double PSND01(double p, double t);

// ---- Enthalpy off saturation: the saturated enthalpy of the side X
// selects (X <= 0 liquid) at P plus the integral of XCP from the saturation
// temperature to T. For humid air ("AIRW") with 0 < X < 1 the saturated
// vapour's forms are evaluated with X as the humidity.
double XGHPT1(double p, double t, double x, int ifluid, int node);
// The integral of XCP(P, T, X) from t1 to t2 by Simpson's rule with
// successive halving (at most 10 levels); 0 for |t1 - t2| < 1e-37.
double INTCP(double p, double t1, double t2, double x, int ifluid, int node);
double prop_intcp(double p, double t1, double t2, double x, int ifluid, int node, PropWork* work);
// The relative temperature at which the side X selects has enthalpy h at
// P: Newton steps, then bisection after three changes of sign. A step
// without a slope or a non-number ends the run (severity 4, code 1,
// reference XGTPH1, node context).
double XGTPH1(double p, double h, double x, int ifluid, int node);
double prop_xgtph1(double p, double h, double x, int ifluid, int node, PropWork* work);
