// The time-step limits of a fluid-loop network and its first hydraulic
// state, computed before the step loop of an FLT routine starts: the
// smallest ratio of heat capacity to total conductance (CSGMIN, NCSGMN; the
// explicit stability limit), one hydraulic solution at the current
// temperatures, the smallest residence time of the fluid in a link (DTCOUR)
// and the clearing of link flows too small to matter.
#pragma once

#include <cstdint>
#include <string_view>

#include "fluid/fluid_network.h"
#include "fluid/hydraulics.h"

// Layout of the five real arrays of the hydraulic solution above the real
// work-space top `top` (the first free word): o4 := top (the top to give
// back), o1 := top (AMAT, lprof words), o2 := o1 + lprof (HPSOL, nf words),
// o3 := o2 + nf (HCP, nl words), o5 := o3 + nl (HC0, nl words), o6 := o5 +
// nl (BVEC, nf words), and top := o6 + nf. The caller has checked that the
// blocks fit the dynamic core.
void FHDYAR(int nl, int nf, int lprof, int& top, int& o1, int& o2, int& o3, int& o4, int& o5, int& o6);

// Binds the hydraulic solution's profile matrix AMAT, HPSOL, HCP, HC0 and
// BVEC of w in the layout FHDYAR gives from real word `top` on. Returns the
// word after them; `hcp` := the first word of HCP.
std::int64_t fl_hydraulic_work(FlHydraulics& w, int nl, int nf, int lprof, std::int64_t top, std::int64_t& hcp);

// Lowers dtcour to the smallest residence time over the links with |M| >=
// 1e-37: 0.5 (FL(a) + FL(b)) x 0.5 (rho(a) + rho(b)) x min(FLA(a), FLA(b))
// / |M| for a link from a to b, rho from XRHO at each node's P, T, VQ. A
// residence time that is not a number leaves dtcour as it is; without a
// flowing link dtcour keeps the value the caller gave it.
void SGCOUR(const FlNetwork& net, double& dtcour);

// The limits and first hydraulic state before the step loop of FLTNTS and
// FLTNTF. ord is the driver's ordering (ord.id(nf) the profile length),
// hflg its NL link flags, present its presence flags (character 1 "Y" with
// thermal nodes, character 2 "Y" with fluid nodes). Takes 3 nf real words
// above the real top (VRATE, zeroed: no volume change; HRHO; HVISC) and the
// five arrays of FHDYAR above them, and gives them all back.
//  1. CSGMIN := 1.0E38; over thermal nodes of status "D" with |C| > 1e-37,
//     the smallest C / sum-G (SRGSUM, radiation linearised, |sum-G| >
//     1e-37) with its node in NCSGMN.
//  2. With fluid nodes and links: the same over fluid nodes not of status
//     "H", with capacity XRHO FLA FL XCP at the node's P, T, VQ and sum-G
//     from SFGSM, node nt + k; the hydraulic network solved once (FLHYSL,
//     rate flag 0) with its passes added to SUMFLL; DTCOUR := 1.0E38 lowered
//     by SGCOUR. With fluid nodes but no links it returns after step 1.
//  3. Every link whose |M| is not above MINFLO gets M := 0.
// NCSGMN keeps its value when no node qualifies.
void FFCSGM(const FlNetwork& net, const FlOrdering& ord, FlInts hflg, std::string_view present);

// The same for FLTMTS, which keeps the fluid nodes apart: FCSGMN := 1.0E38
// too, and the fluid ratios go to FCSGMN and FNCSGM, so that CSGMIN covers
// the thermal nodes only; SUMFLL is not changed.
void CSGHYD(const FlNetwork& net, const FlOrdering& ord, FlInts hflg, std::string_view present);
