// Per-node kernels of the Crank-Nicolson step loop.
//
// Temperatures t are relative; Ta = t + TABS. tabs3 and tabs4 hold Ta^3 and
// Ta^4 of every thermal node and are kept current by every kernel that
// changes a temperature.
//
// Entry lists: entlist is a copy of the compact connection list (net.cpcs,
// net.cptrs) in which each GL and GR pair's conductor number is replaced by
// an entry number (the GL pairs of all nodes numbered 1, 2, ... in list
// order, the GR pairs likewise); GF pairs keep their conductor number. gle/gre hold each
// entry's conductance and glemask/gremask its conductor's mask, so that a
// node sweep reads its conductors contiguously.
//
// Fluid neighbours: an entry whose neighbour k is above nt is fluid node
// k - nt, a boundary at net.tf(k - nt); no thermal array is indexed with it.
#pragma once

#include "thermal/thermal_network.h"
#include "thermal/thermal_views.h"

// Conductance sums of node i (each reset to 0): over counting entries (mask
// 1, neighbour "D" or "B"):
//   G  = sum GL + sum GF,   GT = sum value * Ta(k)
//   R  = STEFAN * sum GR,   RT = STEFAN * sum GR * tabs4(k)
// walked GL, GR, GF; a GF entry counts only with a positive conductor.
void SCONDSUMSABSTEMPGRT4(const ThNetwork& net, ThCReals gle, ThCReals gre, ThCInts gfmask, ThCInts glemask,
                          ThCInts gremask, ThCInts dbnodemask, ThCInts entlist, int i, ThCReals t, ThCReals tabs4,
                          double& g, double& gt, double& r, double& rt);

// Damped Newton correction of capacitive node i (capacitance net.cap(i),
// temperature net.t(i)) on the trapezoidal residual
//   T0 + dt/2 (r0 + r1) - T(i),  r1 = (qsum + GT + RT - Ta (G + R Ta^3)) / C.
// Raises dtrocc/ndtroc with dt |r1 - r0| and relxcc/nrlxcc with the
// undamped correction (strictly greater wins). A result above 1.0E10 in
// magnitude (or not a number) prints the PRTWAR block and sets overflow to 1.
void S9TCLC(const ThNetwork& net, double dampt, double dtimeu, int i, ThCReals qsum, double g, double gt, double r,
            double rt, ThCReals tstepold, ThCReals ratestepold, int& overflow, double& dtrocc, int& ndtroc,
            int& nrlxcc, double& relxcc, ThReals tabs3, ThReals tabs4);

// One balance of the arithmetic nodes (dnodemask and arithmask 1) of the
// temperatures net.t: point sweeps until the largest correction is at most
// relxca or nloop sweeps, with extrapolation (S9EXTR 4, 1) after each sweep
// that did not settle.
// A node above 1.0E10 (or not a number) is fatal: "SLCRNC: Temperature >
// 1.0D10 detected" + node context, severity 4, code 1, routine "S9Arth".
// Finally raises relxcc/nrlxcc with each node's total change in the balance.
void S9ARTH(const ThNetwork& net, double dampt, double dtimeu, ThCReals gle, ThCReals gre, ThCInts gfmask,
            ThCInts glemask, ThCInts gremask, ThCInts arithmask, ThCInts dnodemask, ThCInts dbnodemask, int nloop,
            ThCInts entlist, ThCReals qsum, double relxca, ThCReals tstepold, int& nrlxcc, double& relxcc,
            ThReals tabs3, ThReals tabs4, ThReals ratestepold, ThReals asnap1, ThReals asnap2, ThReals archange,
            ThReals tarith0);

// Extrapolation of a sequence of iterates, by the phase h = k mod p:
// h = p - 2q copies t to snap1, h = p - q to snap2, h = 0 extrapolates each
// node whose change f = t - snap2 exceeds threshold after a rise
// snap2 - snap1 >= 1e-37: by 10 f when f / rise >= 1, else by Aitken's
// delta-squared rule capped at 10 |f| when rise and f agree in sign.
// Returns nothing; the caller refreshes what depends on t.
void S9EXTR(int p, int q, int k, int nt, double threshold, ThReals snap1, ThReals snap2, ThReals t);

// Ta^3 and Ta^4 of node i from t(i), by products.
inline void cn_set_powers(int i, ThCReals t, double tabs, ThReals tabs3, ThReals tabs4) {
  const double x = t(i) + tabs;
  const double x3 = (x * x) * x;
  tabs3(i) = x3;
  tabs4(i) = x3 * x;
}
