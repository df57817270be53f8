// Couplings of the fluid loops to the thermal network: the thermal
// conductance of the mass-flow links (SGMCAL) and the heat flows into a
// fluid node (SFCDHF), declared in fluid/link_conductances.h.
#include "fluid/link_conductances.h"

#include <cmath>

#include "core/diagnostics.h"
#include "properties/properties.h"

void SGMCAL(const FlNetwork& net) {
  for (int i = 1; i <= net.nl; ++i) {
    const int a = net.first(i), b = net.second(i);
    const int fa = net.fluid_code(a), fb = net.fluid_code(b);
    const double cpa = XCP(net.p(a), net.tf(a), net.vq(a), fa, net.global(a));
    const double cpb = XCP(net.p(b), net.tf(b), net.vq(b), fb, net.global(b));
    net.lcond(i) = std::fabs(net.m(i)) * ((cpa + cpb) * 0.5);
  }
}

namespace {

// The guard of the heat-flow walk: SFCDHF counts the entries itself and ends
// the walk with its own warning.
struct NoGuard {
  void pass() {}
};

}  // namespace

FlNodeHeats SFCDHF(const FlNetwork& net, int n, int ifluid) {
  FlNodeHeats q;
  const double tabs = net.tabs(), stefan = net.stefan();
  const double d = net.tf(n) + tabs;
  if (net.fm(n) > 0.0) {
    const double tm = (net.tf(n) + net.fr(n)) * 0.5;
    const double cp = XCP(net.p(n), tm, net.vq(n), ifluid, net.global(n));
    q.qsrc = net.fm(n) * cp * (net.fr(n) - net.tf(n));
  }
  const double d4 = ((d * d) * d) * d;
  // Absolute temperature of a conductor neighbour: a thermal node, or a
  // fluid node (written nt + its fluid index) joined by an inter-model
  // conductor.
  auto absolute = [&](int k) { return (k > net.nt ? net.tf(k - net.nt) : net.t(k)) + tabs; };
  long long entries = 0;
  NoGuard guard;
  for (const FlEntry& e : fl_entries(net, n, guard)) {
    if (++entries > 2000000000LL) {
      SETERX("Too many links defined", 3, 1, "SFCDHF");
      return q;
    }
    const int cond = e.cond, neighbour = e.neighbour;
    switch (e.kind) {
      case 1: {
        const int l = e.link();
        if (!net.link_active(l)) break;
        if (net.link_feeds(l, n)) q.qlink += ((net.tf(neighbour) + tabs) - d) * net.lcond(l);
        break;
      }
      case 2: {
        const int c = e.link();
        if (net.glacts(c).c[0] == 'A') q.qgl += (absolute(neighbour) - d) * net.gl(c);
        break;
      }
      case 3: {
        const int c = e.link();
        if (net.gracts(c).c[0] == 'A') {
          const double tk = absolute(neighbour);
          q.qgr += (((tk * tk) * tk) * tk - d4) * net.gr(c) * stefan;
        }
        break;
      }
      default:
        if (cond > 0 && net.gfacts(cond).c[0] == 'A') q.qgf += (absolute(neighbour) - d) * net.gf(cond);
        break;
    }
  }
  return q;
}
