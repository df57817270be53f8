// The time-step limits of a fluid-loop network and its first hydraulic
// state, computed before the step loop of an FLT routine starts: the
// smallest ratio of heat capacity to total conductance (CSGMIN, NCSGMN; the
// explicit stability limit), one hydraulic solution at the current
// temperatures, the smallest residence time of the fluid in a link (DTCOUR)
// and the clearing of link flows too small to matter.
#pragma once

#include "fluid/fluid_network.h"

// Layout of the five real arrays of the hydraulic solution above the real
// work-space top `top` (the first free word): o4 := top (the top to give
// back), o1 := top (AMAT, lprof words), o2 := o1 + lprof (HPSOL, nf words),
// o3 := o2 + nf (HCP, nl words), o5 := o3 + nl (HC0, nl words), o6 := o5 +
// nl (BVEC, nf words), and top := o6 + nf. The caller has checked that the
// blocks fit the dynamic core.
void FHDYAR(int nl, int nf, int lprof, int& top, int& o1, int& o2, int& o3, int& o4, int& o5, int& o6);

// Lowers dtcour to the smallest residence time over the links with |M| >=
// 1e-37: 0.5 (FL(a) + FL(b)) x 0.5 (rho(a) + rho(b)) x min(FLA(a), FLA(b))
// / |M| for a link from a to b, rho from XRHO at each node's P, T, VQ. A
// residence time that is not a number leaves dtcour as it is; without a
// flowing link dtcour keeps the value the caller gave it.
void SGCOUR(const FlNetwork& net, double& dtcour);
