// Conductance sums of one node of the fluid-loop model: the total
// conductance that ties it to its surroundings and the conductance-weighted
// sum of the surroundings' temperatures, for thermal and for fluid nodes,
// with radiation linearised into the conductance or kept apart; a fluid
// node's through-flow; and two vector routines of the step kernels.
//
// What counts, each only when its conductor or link is active ("A"):
//
//   GL conductor c           G = GL(c)                          neighbour
//   GF conductor c > 0       G = GF(c) (a GF entry of the list   neighbour
//                            whose number is not positive is
//                            the conductor's upstream end)
//   GR conductor c           G = GR(c) STEFAN (Ti^2 + Tn^2)      neighbour
//                            (Ti + Tn), absolute temperatures
//   link l (fluid node)      G = lcond(l), only when the link    upstream node
//                            brings fluid into the node
//   mass source (fluid node) G = FM cp, only when FM > 0, cp =   FR
//                            XCP(P, (T + FR) 0.5, VQ, fluid,
//                            nt + k)
//
// The thermal list is walked with STUNPK, the fluid list with SFUNPK, both
// with flag 0: thermal neighbours of status "X" (and, in the thermal list,
// "C") are invisible. A neighbour above nt in a list is fluid node
// neighbour - nt. t and tf are the thermal and fluid temperatures to use
// (the model's arrays or a kernel's start-of-step or iterate copies); the
// node's own temperature is taken from them too. Every walk carries the pass
// guard of the system (ERROR naming the routine).
//
// The pairs SRGSUM/FSTGSM and SFGSM/FSFGSM compute the same sums: SRGSUM and
// SFGSM serve the stability limits, FSTGSM, FSFGSM, SFGSUM and SGNODM the
// steps and the transport delay of the FLT kernels.
#pragma once

#include "fluid/fluid_network.h"

// Thermal node i, radiation linearised: sumg = sum of G, sumgt = sum of G x
// the neighbour's relative temperature.
void SRGSUM(const FlNetwork& net, int i, FlCReals t, FlCReals tf, double& sumg, double& sumgt);
void FSTGSM(const FlNetwork& net, int i, FlCReals t, FlCReals tf, double& sumg, double& sumgt);

// Fluid node k, radiation linearised: sumg = sum of G, sumgt = sum of G x
// the absolute reference temperature (neighbour, upstream node or FR).
void SFGSM(const FlNetwork& net, int k, FlCReals t, FlCReals tf, double& sumg, double& sumgt);
void FSFGSM(const FlNetwork& net, int k, FlCReals t, FlCReals tf, double& sumg, double& sumgt);

// The sums of one node with radiation apart, as the node updates of the
// single-phase steps take them (S4TCLC, SFCALC).
struct FlSums {
  double sg = 0.0;   // sum of the linear G (GL, GF; a fluid node's entering links and mass source)
  double sgt = 0.0;  // sum of G x the absolute reference temperature
  double sr = 0.0;   // STEFAN x sum of GR
  double srt = 0.0;  // STEFAN x sum of GR x (Tn + TABS)^4
};

// The sums of thermal node (fluid = 0) or fluid node (fluid != 0) `node`.
FlSums SFGSUM(const FlNetwork& net, int fluid, int node, FlCReals t, FlCReals tf);

// Through-flow of fluid node k: 0.5 x (sum over its active links of |M| +
// |FM(k)|).
void SGNODM(const FlNetwork& net, int k, double& mdot);

// c(i) := a(i) + b(i) and c(i) := a(i) - b(i), i = 1..n; status := 0.
void AADDR2(FlCReals a, FlCReals b, int n, FlReals c, int& status);
void ASUBR2(FlCReals a, FlCReals b, int n, FlReals c, int& status);
