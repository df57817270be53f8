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
