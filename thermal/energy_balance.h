// Global energy balance of the thermal network.
//
// Flows between two solved ("D") nodes through GL and GR conductors cancel
// in the total, so the balance gathers only: the heat sources of the solved
// nodes (S), the exchange of boundary ("B") nodes with their neighbours, the
// one-way GF conductors, and the exchange of solved nodes with fluid nodes
// (which the thermal solution holds as boundaries at their temperatures).
// IN sums the positive flows found, OUT the magnitudes of the negative ones.
//
//   ENBALA = |(IN - OUT) + S|,  ENBALR = ENBALA / max(S + IN, OUT)
//
// (ENBALR = 0 when that denominator is below 1e-37 in magnitude.)
#pragma once

#include "thermal/thermal_network.h"
#include "thermal/thermal_views.h"

// Sets enbala and enbalr from the temperatures net.t over the linked list.
void SENGBL(const ThNetwork& net, ThCInts dnodemask, ThCInts dbnodemask, ThCInts gfmask, ThCInts glmask,
            ThCInts grmask, double& enbala, double& enbalr);

// Flows into solved node i: its positive GF entries from thermal or fluid
// neighbours, and its GL and GR exchange with fluid neighbours.
void SEBDIF(const ThNetwork& net, ThCInts gfmask, ThCInts glmask, ThCInts grmask, ThCInts dbnodemask, int i,
            double& in, double& out);

// Flows out of boundary node i into its thermal neighbours through GL and GR
// conductors (exchange with fluid nodes, boundaries both, is left out).
void SEBBND(const ThNetwork& net, ThCInts glmask, ThCInts grmask, ThCInts dbnodemask, int i, double& in,
            double& out);
