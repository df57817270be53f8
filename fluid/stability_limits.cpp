#include "fluid/stability_limits.h"

#include <algorithm>
#include <cmath>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "fluid/conductance_sums.h"
#include "fluid/fluid_constants.h"
#include "fluid/hydraulics.h"
#include "modeldata/global_arrays.h"
#include "properties/properties.h"

namespace {

// FFCSGM (csghyd false) and CSGHYD (true).
void start_limits(const FlNetwork& net, const FlOrdering& ord, FlInts hflg, std::string_view present, bool csghyd) {
  const char* routine = csghyd ? "CSGHYD" : "FFCSGM";
  const int nf = net.nf, nl = net.nl;
  gar_CoreGuard core;  // both tops go back on every return
  gar_Carver<double> carve(gar_dynamiccorereal, core.take_real(3 * static_cast<std::int64_t>(nf)));
  FlReals vrate = carve.take(nf), hrho = carve.take(nf), hvisc = carve.take(nf);
  for (int k = 1; k <= nf; ++k) vrate(k) = 0.0;

  GLOR.CSGMIN = kFlHuge;
  if (csghyd) GLOR.FCSGMN = kFlHuge;
  LoopGuard guard(routine);
  for (int i = 1; i <= net.nt; ++i) {
    guard.pass();
    if (net.tstat(i).c[0] != 'D' || !(std::fabs(net.cap(i)) > kFlTiny)) continue;
    double g = 0.0, gt = 0.0;
    SRGSUM(net, i, net.t, net.tf, g, gt);
    if (std::fabs(g) > kFlTiny && net.cap(i) / g < GLOR.CSGMIN) {
      GLOR.CSGMIN = net.cap(i) / g;
      GLOI.NCSGMN = i;
    }
  }
  if (present.size() >= 2 && present[1] == 'Y') {
    if (nl < 1) return;
    double& minimum = csghyd ? GLOR.FCSGMN : GLOR.CSGMIN;
    std::int32_t& node = csghyd ? GLOI.FNCSGM : GLOI.NCSGMN;
    for (int k = 1; k <= nf; ++k) {
      guard.pass();
      const bool no_capacity = net.fstat(k).c[0] == 'H';
      if (csghyd && no_capacity) continue;
      double g = 0.0, gt = 0.0;
      SFGSM(net, k, net.t, net.tf, g, gt);
      if (!(std::fabs(g) > kFlTiny) || no_capacity) continue;
      const int f = net.fluid_code(k);
      const double rho = XRHO(net.p(k), net.tf(k), net.vq(k), f, net.global(k));
      const double cp = XCP(net.p(k), net.tf(k), net.vq(k), f, net.global(k));
      const double cap = ((rho * net.fla(k)) * net.fl(k)) * cp;
      if (cap / g < minimum) {
        minimum = cap / g;
        node = net.global(k);
      }
    }
    // The first hydraulic state at the present temperatures, without
    // volume change.
    const int lprof = ord.id(nf);
    const int first = FLAGS(FLAGS_NEXTDYNAMICCOREREAL);
    FlHydraulics w;
    std::int64_t hcp = 0;
    core.take_real(fl_hydraulic_work(w, nl, nf, lprof, first, hcp) - first);
    w.hrho = hrho;
    w.hvisc = hvisc;
    w.hflg = hflg;
    w.ord = ord;
    w.vrate = vrate;
    for (int j = 1; j <= lprof; ++j) w.amat(j) = 0.0;
    int ierr = 0, converged = 0, passes = 0;
    FLHYSL(net, w, 0, ierr, converged, passes);
    if (!csghyd) GLOI.SUMFLL += passes;
    FLAGS(FLAGS_NEXTDYNAMICCOREREAL) = first;
    GLOR.DTCOUR = kFlHuge;
    SGCOUR(net, GLOR.DTCOUR);
  }
  for (int l = 1; l <= nl; ++l) {
    guard.pass();
    if (GLOR.MINFLO >= std::fabs(net.m(l))) net.m(l) = 0.0;
  }
}

}  // namespace

void FHDYAR(int nl, int nf, int lprof, int& top, int& o1, int& o2, int& o3, int& o4, int& o5, int& o6) {
  const int t = top;
  o4 = t;
  o1 = t;
  o2 = t + lprof;
  o3 = o2 + nf;
  o5 = o3 + nl;
  o6 = o5 + nl;
  top = o6 + nf;
}

std::int64_t fl_hydraulic_work(FlHydraulics& w, int nl, int nf, int lprof, std::int64_t top, std::int64_t& hcp) {
  int t = static_cast<int>(top), o1 = 0, o2 = 0, o3 = 0, o4 = 0, o5 = 0, o6 = 0;
  FHDYAR(nl, nf, lprof, t, o1, o2, o3, o4, o5, o6);
  w.amat = gar_dynamiccorereal.from(o1, lprof);
  w.hpsol = gar_dynamiccorereal.from(o2, nf);
  w.hcp = gar_dynamiccorereal.from(o3, nl);
  w.hc0 = gar_dynamiccorereal.from(o5, nl);
  w.bvec = gar_dynamiccorereal.from(o6, nf);
  hcp = o3;
  return t;
}

void SGCOUR(const FlNetwork& net, double& dtcour) {
  LoopGuard guard("SGCOUR");
  for (int l = 1; l <= net.nl; ++l) {
    guard.pass();
    const double flow = std::fabs(net.m(l));
    if (flow < kFlTiny) continue;
    const int a = net.first(l), b = net.second(l);
    const double rhoa = XRHO(net.p(a), net.tf(a), net.vq(a), net.fluid_code(a), net.global(a));
    const double rhob = XRHO(net.p(b), net.tf(b), net.vq(b), net.fluid_code(b), net.global(b));
    const double t = 0.5 * (net.fl(a) + net.fl(b)) * (0.5 * (rhoa + rhob)) * std::min(net.fla(a), net.fla(b)) / flow;
    if (t < dtcour) dtcour = t;
  }
}

void FFCSGM(const FlNetwork& net, const FlOrdering& ord, FlInts hflg, std::string_view present) {
  start_limits(net, ord, hflg, present, false);
}

void CSGHYD(const FlNetwork& net, const FlOrdering& ord, FlInts hflg, std::string_view present) {
  start_limits(net, ord, hflg, present, true);
}
