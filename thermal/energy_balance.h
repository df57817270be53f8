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

#include "thermal/thermal_views.h"

// Sets enbala and enbalr from the current temperatures. ngf1, ngl1, ngr1 are
// max(count, 1). tf: fluid-node temperatures.
void SENGBL(ThCInts dnodemask, ThCInts dbnodemask, int nt, double& enbala, double& enbalr, ThCReals gf,
            ThCReals gl, ThCReals gr, ThCInts gfmask, ThCInts glmask, ThCInts grmask, int len, int ngf1, int ngl1,
            int ngr1, ThCInts list, ThCInts ptrs, ThCReals qa, ThCReals qe, ThCReals qi, ThCReals qr, ThCReals qs,
            double stefan, ThCReals t, ThCReals tf, double tabs);

// Flows into solved node i: its positive GF entries from thermal or fluid
// neighbours, and its GL and GR exchange with fluid neighbours.
void SEBDIF(ThCReals gf, ThCInts gfmask, int ngf1, int nt, int i, ThCReals t, double& in, double& out,
            ThCInts dbnodemask, int len, ThCInts list, ThCInts ptrs, ThCReals gl, ThCReals gr, ThCInts glmask,
            ThCInts grmask, double stefan, ThCReals tf, double tabs);

// Flows out of boundary node i into its thermal neighbours through GL and GR
// conductors (exchange with fluid nodes, boundaries both, is left out).
void SEBBND(ThCReals gl, ThCReals gr, ThCInts glmask, ThCInts grmask, int ngl1, int ngr1, int nt, double stefan,
            ThCReals t, double tabs, int i, double& in, double& out, ThCInts dbnodemask, int len, ThCInts list,
            ThCInts ptrs);
