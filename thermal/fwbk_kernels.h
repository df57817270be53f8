// Small kernels shared by the forward-backward, explicit and Crank-Nicolson
// solutions: conductance sums of one node over the counting list, the
// damped Newton correction of one node in a forward-backward pass, and the
// forward-backward pass over every solved node.
//
// Counting list (counting_list.h): the entries of node i's GL, GR and GF
// sub-lists of the compact list whose conductor's mask is 1 and whose
// neighbour counts ("D" or "B", or a fluid node), GF entries at their
// downstream end only, in list order. The sums walk its sub-lists GR, GL,
// GF, each in list order, starting from 0.
//
// Fluid neighbours: an entry whose neighbour k is above nt is fluid node
// k - nt; it counts as a boundary held at net.tf(k - nt), and no thermal
// array is indexed with it.
//
// The sums are defined here, inline, so that the node loops of the step
// routines fold them in.
#pragma once

#include "thermal/counting_list.h"
#include "thermal/thermal_network.h"
#include "thermal/thermal_views.h"

// Relative temperature of neighbour k of a counting entry: a fluid
// neighbour (k > nt) is a boundary at its fluid node's temperature.
inline double th_neighbour_temp(int k, int nt, ThCReals t, ThCReals tf) { return k > nt ? tf(k - nt) : t(k); }

// Linearised sums of node i at the temperatures tw (relative):
//   G  = sum of GL, GF and, for GR, (Tj + Ti) * GR * STEFAN * (Ti^2 + Tj^2)
//   GT = the same conductances times tw(j)
// so that GT - G * tw(i) is the net heat into node i (exact for radiation).
inline void S4GSUM(const ThNetwork& net, const ThCountingList& list, int i, ThCReals tw, double& g, double& gt) {
  const int nt = net.nt;
  const ThCReals gf = net.gf, gl = net.gl, gr = net.gr, tf = net.tf;
  const double stefan = net.stefan(), tabs = net.tabs();
  g = 0.0;
  gt = 0.0;
  const double ti = tw(i) + tabs;
  for (int e = list.gr_begin(i), last = list.gf_begin(i); e < last; ++e) {
    const double tj = th_neighbour_temp(list.neighbour(e), nt, tw, tf);
    const double tja = tj + tabs;
    const double h = (tja + ti) * gr(list.conductor(e)) * stefan * (ti * ti + tja * tja);
    g += h;
    gt += h * tj;
  }
  for (int e = list.gl_begin(i), last = list.gr_begin(i); e < last; ++e) {
    const double tj = th_neighbour_temp(list.neighbour(e), nt, tw, tf);
    const double c = gl(list.conductor(e));
    g += c;
    gt += c * tj;
  }
  for (int e = list.gf_begin(i), last = list.end(i); e < last; ++e) {
    const double tj = th_neighbour_temp(list.neighbour(e), nt, tw, tf);
    const double c = gf(list.conductor(e));
    g += c;
    gt += c * tj;
  }
}

// The sums kept apart, in absolute temperatures:
//   R  = STEFAN * sum GR,  RT = STEFAN * sum GR * (T(j) + TABS)^4
//   G  = sum GL and GF,    GT = sum value * (T(j) + TABS)
// so the net heat into node i at absolute x is GT + RT - G x - R x^4.
inline void S1GSUM(const ThNetwork& net, const ThCountingList& list, int i, ThCReals t, double& g, double& gt,
                   double& r, double& rt) {
  const int nt = net.nt;
  const ThCReals gf = net.gf, gl = net.gl, gr = net.gr, tf = net.tf;
  const double stefan = net.stefan(), tabs = net.tabs();
  g = gt = r = rt = 0.0;
  for (int e = list.gr_begin(i), last = list.gf_begin(i); e < last; ++e) {
    const double x = th_neighbour_temp(list.neighbour(e), nt, t, tf) + tabs;
    const double c = gr(list.conductor(e));
    r += c;
    rt += c * (((x * x) * x) * x);
  }
  r *= stefan;
  rt *= stefan;
  for (int e = list.gl_begin(i), last = list.gr_begin(i); e < last; ++e) {
    const double tj = th_neighbour_temp(list.neighbour(e), nt, t, tf);
    const double c = gl(list.conductor(e));
    g += c;
    gt += c * (tj + tabs);
  }
  for (int e = list.gf_begin(i), last = list.end(i); e < last; ++e) {
    const double tj = th_neighbour_temp(list.neighbour(e), nt, t, tf);
    const double c = gf(list.conductor(e));
    g += c;
    gt += c * (tj + tabs);
  }
}

// Damped Newton correction of node i (capacitance net.cap(i), temperature
// net.t(i)) in a forward-backward pass, with the sums g, gt, r, rt of
// S1GSUM. fstepold and tstepold are the first words of those two blocks in
// the real dynamic core `core` (their element i is core(first + i - 1)). A
// capacitive node (zcapmask(i) = 0) takes one step on the trapezoidal
// balance; a zero-capacitance node is balanced (inner iteration, or one
// damped step when METHOD bit 1024 is set). Raises relxcc/nrlxcc with the
// change; a temperature above 1.0E10 (or not a number) is fatal:
// "Temperature > 1.0D10 detected@" + node context, severity 4, code 1,
// routine "S4TCLC2".
void S4TCLC2(const ThNetwork& net, double dampt, double dtimeu, ThCInts zcapmask, int nloop, int i, ThCReals qsum,
             int fstepold, int tstepold, double relxca, double g, double gt, double r, double rt, ThCReals core,
             double& relxcc, int& nrlxcc);

// One forward-backward Newton pass: S1GSUM and S4TCLC2 for every solved
// node (dnodemask 1) in index order at the temperatures net.t, each
// correction seen by the nodes after it. The control constants are the
// caller's values for the pass.
void s4_newton_pass(const ThNetwork& net, const ThCountingList& list, ThCInts dnodemask, double dampt, double dtimeu,
                    ThCInts zcapmask, int nloop, ThCReals qsum, int fstepold, int tstepold, double relxca,
                    ThCReals core, double& relxcc, int& nrlxcc);
