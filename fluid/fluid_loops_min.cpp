#include <cmath>

#include "core/diagnostics.h"
#include "fluid/fluid_services.h"
#include "modeldata/connection_lists.h"
#include "properties/properties.h"

// The single-phase fluid-loop transient solutions are not part of this build.
void FLTNTS() { SETERX("FLTNTS: Fluid-loop solution not available in this build", 4, 1, "FLTNTS"); }
void FLTMTS() { SETERX("FLTMTS: Fluid-loop solution not available in this build", 4, 1, "FLTMTS"); }
void FLTNTF() { SETERX("FLTNTF: Fluid-loop solution not available in this build", 4, 1, "FLTNTF"); }

void SGMCAL(plat::Vec1<const std::int32_t> pairs, plat::Vec1<const double> pressures,
            plat::Vec1<const plat::Text<24>> fluidtypes, int nl, plat::Vec1<const double> flows, int /*nf*/, int nt,
            plat::Vec1<const double> qualities, plat::Vec1<const double> tf, plat::Vec1<double> conds) {
  for (int i = 1; i <= nl; ++i) {
    const int a = pairs(2 * i - 1), b = pairs(2 * i);
    const int fa = FTYPEI(fluidtypes(a).view()), fb = FTYPEI(fluidtypes(b).view());
    const double cpa = XCP(pressures(a), tf(a), qualities(a), fa, nt + a);
    const double cpb = XCP(pressures(b), tf(b), qualities(b), fb, nt + b);
    conds(i) = std::fabs(flows(i)) * ((cpa + cpb) * 0.5);
  }
}

void SFCDHF(plat::Vec1<const plat::Text<1>> linkstatuses, int /*lenfluid*/, plat::Vec1<const double> massflowsources,
            plat::Vec1<const std::int32_t> linkpairs, plat::Vec1<const double> pressures,
            plat::Vec1<const std::int32_t> pcsfluid, plat::Vec1<const std::int32_t> ptrsfluid,
            plat::Vec1<const double> masssourcetemps, int ifluid, plat::Vec1<const double> gf,
            plat::Vec1<const plat::Text<1>> gfacts, plat::Vec1<const double> gl,
            plat::Vec1<const plat::Text<1>> glacts, plat::Vec1<const double> linkconds,
            plat::Vec1<const double> gr, plat::Vec1<const plat::Text<1>> gracts, plat::Vec1<const double> flows,
            int nt, int n, plat::Vec1<const plat::Text<1>> statuses, plat::Vec1<const double> qualities,
            double stefan, plat::Vec1<const double> t, double tabs, plat::Vec1<const double> tf, double& qsrc,
            double& qgf, double& qgl, double& qlink, double& qgr) {
  qsrc = qgf = qgl = qlink = qgr = 0.0;
  const double d = tf(n) + tabs;
  if (massflowsources(n) > 0.0) {
    const double tm = (tf(n) + masssourcetemps(n)) * 0.5;
    const double cp = XCP(pressures(n), tm, qualities(n), ifluid, nt + n);
    qsrc = massflowsources(n) * cp * (masssourcetemps(n) - tf(n));
  }
  const double d4 = ((d * d) * d) * d;
  // Absolute temperature of a conductor neighbour: a thermal node, or a
  // fluid node (written nt + its fluid index) joined by an inter-model
  // conductor.
  auto absolute = [&](int k) { return (k > nt ? tf(k - nt) : t(k)) + tabs; };
  int kind = 0, pos = 0, cond = 0, neighbour = 0;
  long long entries = 0;
  for (;;) {
    SFUNPK(0, 0, 0, 0, n, statuses, pcsfluid, ptrsfluid, kind, pos, cond, neighbour);
    if (neighbour == 0) break;
    if (++entries > 2000000000LL) {
      SETERX("Too many links defined", 3, 1, "SFCDHF");
      return;
    }
    switch (kind) {
      case 1: {
        const int l = cond < 0 ? -cond : cond;
        if (linkstatuses(l).c[0] != 'A') break;
        const bool enters = (linkpairs(2 * l) == n && flows(l) > 0.0) || (linkpairs(2 * l - 1) == n && flows(l) < 0.0);
        if (enters) qlink += ((tf(neighbour) + tabs) - d) * linkconds(l);
        break;
      }
      case 2: {
        const int c = cond < 0 ? -cond : cond;
        if (glacts(c).c[0] == 'A') qgl += (absolute(neighbour) - d) * gl(c);
        break;
      }
      case 3: {
        const int c = cond < 0 ? -cond : cond;
        if (gracts(c).c[0] == 'A') {
          const double tk = absolute(neighbour);
          qgr += (((tk * tk) * tk) * tk - d4) * gr(c) * stefan;
        }
        break;
      }
      default:
        if (cond > 0 && gfacts(cond).c[0] == 'A') qgf += (absolute(neighbour) - d) * gf(cond);
        break;
    }
  }
}
