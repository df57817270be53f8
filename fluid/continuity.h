// New link flows after a pressure solution of the two-phase iteration, the
// continuity flows of links without a usable resistance, the flow
// convergence measure, and the compliant node volumes (shared with the
// hydraulic solution of the single-phase routines).
//
// "Fixed" below means a node of status "J" or "R" (pressure held).
#pragma once

#include <cmath>
#include <cstdint>

#include "core/control_constants.h"
#include "fluid/fgenfi_work.h"
#include "fluid/fluid_constants.h"
#include "fluid/fluid_network.h"

// Records the relative change of link k from mcur to mnew: r := |(mnew -
// mcur) / mcur| when |mcur| > minflo, else |(mnew - mcur) / mnew| when
// |mnew| > minflo, else 0; when r > relxmc: relxmc := r, nrlxmc := k. A
// flow (new or current) that is not a finite number is a change without
// bound, r := +infinity, so that it never counts as converged.
void MFCHK(int k, double minflo, double mnew, double mcur, std::int32_t& nrlxmc, double& relxmc);

// Net flow into fluid node n from its mass source FM and its active links
// other than k (the flow that k must carry away for n to balance).
double MFCONS(const FlNetwork& net, int k, int n);

// MFCONS less the node's mass storage rate over the step:
// ((pnew - pold) drdp + (hnew - hold) drdh) VOL / DTIMEU.
double MFCONT(const FlNetwork& net, const FgPass& w, int k, int n);

// New flows of the active links from the new pressures (not yet relaxed) and
// the linearised new densities rho*(n) = RHO + (pnew - P) drdp + (hnew - h)
// drdh; sets RELXMC and NRLXMC (0 when nothing changed):
//  - momentum link, flag 1: m from its linear law, relaxed by DAMPM^2;
//  - momentum link, flag 0 (closed): 0 at once;
//  - evaporative link: lnkc2, relaxed by DAMPM^2;
//  - momentum links of flag -1: the continuity flows (fl_continuity_flows)
//    with the nodes' balance MFCONS under the loop-mass flag, else MFCONT,
//    and the residual lnkc1 rho*(1) + lnkc2 rho*(2) + (pnew(1) - pnew(2)) +
//    lnkc0.
// Another link type ends the run: "Unrecognised mass flow link type@Allowed
// types: momentum, evaporative." (severity 4, code 1, "FMCALC").
void FMCALC(const FlNetwork& net, const FgPass& w);

// The flow a link without a usable resistance moves to when, after the
// continuity sweeps, it still carries the residual pressure difference
// `residual` (signed: positive drives the flow from its first node to its
// second) with |residual| >= MINDP: by |m| (|residual| - MINDP) / 1000 in
// the direction of the residual, so m (1 + ...) when m already points that
// way and m (1 - ...) when it points against it; a flow below MINFLO
// restarts at 100 MINFLO in the direction of the residual (of m when there
// is no residual). A flow that points the wrong way is thus turned round,
// never driven further against the pressure difference.
double fl_low_resistance_step(double m, double residual, double mindp, double minflo);

// The continuity flows of the links without a usable resistance (low(k)),
// shared by the two-phase pass (FMCALC) and the hydraulic solution (FLMSFL)
// once their other links have their new flows. kCoSweeps sweeps in link
// order: a link from a held pressure to a free node carries what the free
// node's balance supply(k, n) (its inflow less its storage, the link left
// out) asks of it, and the same from a free node to a held one; a link
// between two free nodes the mean of the two; a link between two held
// pressures keeps its flow unless its residual pressure difference
// residual(k) reaches mindp (then 1e10 with the residual's sign; no
// difference at all is no missing resistance, also when mindp is 0). The
// last sweep's changes enter MFCHK (RELXMC, NRLXMC). Then a link that still
// carries a residual of at least mindp moves its flow towards it
// (fl_low_resistance_step), relaxed by dampm.
template <class Low, class Supply, class Residual>
inline void fl_continuity_flows(const FlNetwork& net, double dampm, double minflo, double mindp, Low low,
                                Supply supply, Residual residual) {
  for (int sweep = 1; sweep <= kCoSweeps; ++sweep) {
    for (int k = 1; k <= net.nl; ++k) {
      if (!low(k)) continue;
      const int a = net.first(k), b = net.second(k);
      const bool fa = net.pressure_held(a), fb = net.pressure_held(b);
      double m;
      if (fa && !fb) {
        m = -supply(k, b);
      } else if (fa && fb) {
        const double d = residual(k);
        m = (std::fabs(d) < mindp || d == 0.0) ? net.m(k) : std::copysign(kCoBigFlow, d);
      } else if (fb) {
        m = supply(k, a);
      } else {
        m = (supply(k, a) - supply(k, b)) / 2.0;
      }
      if (sweep == kCoSweeps) MFCHK(k, minflo, m, net.m(k), GLOI.NRLXMC, GLOR.RELXMC);
      net.m(k) = m;
    }
  }
  for (int k = 1; k <= net.nl; ++k) {
    if (!low(k)) continue;
    const double d = residual(k);
    if (std::fabs(d) < mindp) continue;
    const double mk = net.m(k);
    const double m = fl_low_resistance_step(mk, d, mindp, minflo);
    MFCHK(k, minflo, m, mk, GLOI.NRLXMC, GLOR.RELXMC);
    net.m(k) = mk + (m - mk) * dampm;
  }
}

// Compliance: each node's volume follows its pressure change pnew - P by
// CMP x VOL. A node of volume-control flag "A" with a length takes it up in
// its flow area (FLA := VOL / FL, FD scaled by the square root of the volume
// ratio), one of flag "L" in its length (FL := VOL / FLA); other nodes keep
// their geometry, as do nodes whose old volume or flow area is zero. With
// rate_flag set each node's change over DTIMEU is added to vrate.
void CVOLSP(const FlNetwork& net, FlCReals pnew, int rate_flag, FlReals vrate);

// Start of a step: each node's volume grows by VDT x DTIMEU with the geometry
// rule of CVOLSP, and vrate := VDT.
void CVOLST(const FlNetwork& net, FlReals vrate);
