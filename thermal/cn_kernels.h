// Per-node kernels of the Crank-Nicolson step loop.
//
// Temperatures t are relative; Ta = t + TABS. tabs3 and tabs4 hold Ta^3 and
// Ta^4 of every thermal node and are kept current by every kernel that
// changes a temperature.
//
// The sums walk the counting list (counting_list.h): the entries of the
// compact list whose conductor is active and whose neighbour counts, in
// list order, with the conductances read from the conductor arrays. The
// nodes a sweep visits come as lists in index order: the arithmetic nodes
// (arithmask 1) and the others, the capacitive ones among which are those
// with dnodemask 1.
//
// Fluid neighbours: an entry whose neighbour k is above nt is fluid node
// k - nt, a boundary at net.tf(k - nt); no thermal array is indexed with it.
//
// The sums are defined here, inline, so that the sweeps fold them in.
#pragma once

#include "thermal/counting_list.h"
#include "thermal/thermal_network.h"
#include "thermal/thermal_views.h"

// Conductance sums of node i (each reset to 0) over its counting entries:
//   G  = sum GL + sum GF,   GT = sum value * Ta(k)
//   R  = STEFAN * sum GR,   RT = STEFAN * sum GR * tabs4(k)
// walked GL, GR, GF.
inline void SCONDSUMSABSTEMPGRT4(const ThNetwork& net, const ThCountingList& list, int i, ThCReals t, ThCReals tabs4,
                                 double& g, double& gt, double& r, double& rt) {
  const int nt = net.nt;
  const ThCReals gl = net.gl, gr = net.gr, gf = net.gf, tf = net.tf;
  const double stefan = net.stefan(), tabs = net.tabs();
  g = gt = r = rt = 0.0;
  for (int e = list.gl_begin(i), last = list.gr_begin(i); e < last; ++e) {
    const int k = list.neighbour(e);
    const double tk = (k > nt ? tf(k - nt) : t(k)) + tabs;
    const double c = gl(list.conductor(e));
    g += c;
    gt += c * tk;
  }
  double r0 = 0.0, rt0 = 0.0;
  for (int e = list.gr_begin(i), last = list.gf_begin(i); e < last; ++e) {
    const int k = list.neighbour(e);
    double tk4;
    if (k > nt) {
      const double x = tf(k - nt) + tabs;
      tk4 = ((x * x) * x) * x;
    } else {
      tk4 = tabs4(k);
    }
    const double c = gr(list.conductor(e));
    r0 += c;
    rt0 += c * tk4;
  }
  r = r0 * stefan;
  rt = rt0 * stefan;
  for (int e = list.gf_begin(i), last = list.end(i); e < last; ++e) {
    const int k = list.neighbour(e);
    const double tk = (k > nt ? tf(k - nt) : t(k)) + tabs;
    const double c = gf(list.conductor(e));
    g += c;
    gt += c * tk;
  }
}

// Damped Newton correction of capacitive node i (capacitance net.cap(i),
// temperature net.t(i)) on the trapezoidal residual
//   T0 + dt/2 (r0 + r1) - T(i),  r1 = (qsum + GT + RT - Ta (G + R Ta^3)) / C.
// Raises dtrocc/ndtroc with dt |r1 - r0| and relxcc/nrlxcc with the
// undamped correction (strictly greater wins). A result above 1.0E10 in
// magnitude (or not a number) prints the PRTWAR block and sets overflow to 1.
void S9TCLC(const ThNetwork& net, double dampt, double dtimeu, int i, ThCReals qsum, double g, double gt, double r,
            double rt, ThCReals tstepold, ThCReals ratestepold, int& overflow, double& dtrocc, int& ndtroc,
            int& nrlxcc, double& relxcc, ThReals tabs3, ThReals tabs4);

// One balance of the arithmetic nodes `arith` (in index order) of the
// temperatures net.t, those with dnodemask 1 taking part: point sweeps until
// the largest correction is at most relxca or nloop sweeps, with
// extrapolation (S9EXTR 4, 1) of the arithmetic nodes after each sweep that
// did not settle. A node above 1.0E10 (or not a number) is fatal: "SLCRNC:
// Temperature > 1.0D10 detected" + node context, severity 4, code 1, routine
// "S9Arth". Finally raises relxcc/nrlxcc with each node's total change in
// the balance (every other node's change being 0).
void S9ARTH(const ThNetwork& net, const ThCountingList& list, ThCInts arith, ThCInts dnodemask, double dampt,
            double dtimeu, int nloop, ThCReals qsum, double relxca, ThCReals tstepold, int& nrlxcc, double& relxcc,
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

// The Newton sweep of one pass: for each node of `nodes` (the nodes that are
// not arithmetic, in index order) with dnodemask 1, SCONDSUMSABSTEMPGRT4 and
// S9TCLC, each correction seen by the nodes after it. hot is set to the
// first node that overflowed (when it is still 0).
void cn_newton_sweep(const ThNetwork& net, const ThCountingList& list, ThCInts nodes, ThCInts dnodemask,
                     double dampt, double dtimeu, ThCReals qsum, ThCReals tstepold, ThCReals ratestepold,
                     int& overflow, int& hot, double& dtrocc, int& ndtroc, int& nrlxcc, double& relxcc,
                     ThReals tabs3, ThReals tabs4);
