// Small kernels shared by the forward-backward, explicit and Crank-Nicolson
// solutions: conductance sums of one node over the compact connection list,
// the damped Newton correction of one node in a forward-backward pass, and
// the test of one option bit of METHOD.
//
// Compact list: net.cpcs holds per node the GL, GR and GF sub-lists of
// (neighbour, conductor) pairs; net.cptrs(1..6, node) give start and count
// of each sub-list. An entry counts when its conductor's mask is 1 and its
// thermal neighbour's dbnodemask is 1 ("D" or "B"); a GF entry only when
// its conductor number is positive (the downstream end). The sub-lists are
// walked GR, GL, GF, each in list order, the sums starting from 0.
//
// Fluid neighbours: an entry whose neighbour k is above nt is fluid node
// k - nt; it counts as a boundary held at net.tf(k - nt), and no thermal
// array is indexed with it.
#pragma once

#include "thermal/thermal_network.h"
#include "thermal/thermal_views.h"

// Linearised sums of node i at the temperatures tw (relative):
//   G  = sum of GL, GF and, for GR, (Tj + Ti) * GR * STEFAN * (Ti^2 + Tj^2)
//   GT = the same conductances times tw(j)
// so that GT - G * tw(i) is the net heat into node i (exact for radiation).
void S4GSUM(const ThNetwork& net, ThCInts gfmask, ThCInts glmask, ThCInts grmask, ThCInts dbnodemask, int i,
            ThCReals tw, double& g, double& gt);

// The sums kept apart, in absolute temperatures:
//   R  = STEFAN * sum GR,  RT = STEFAN * sum GR * (T(j) + TABS)^4
//   G  = sum GL and GF,    GT = sum value * (T(j) + TABS)
// so the net heat into node i at absolute x is GT + RT - G x - R x^4.
void S1GSUM(const ThNetwork& net, ThCInts gfmask, ThCInts glmask, ThCInts grmask, ThCInts dbnodemask, int i,
            ThCReals t, double& g, double& gt, double& r, double& rt);

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
