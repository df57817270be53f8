#include "fluid/conductance_sums.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

#include "core/diagnostics.h"
#include "modeldata/list_walks.h"
#include "properties/properties.h"

namespace {

// Relative temperature of list neighbour n: a thermal node, or fluid node
// n - nt.
inline double neighbour_t(const FlNetwork& net, FlCReals t, FlCReals tf, int n) {
  return n > net.nt ? tf(n - net.nt) : t(n);
}

// Calls f(radiative, g, tn) for every active contribution of thermal node
// i: g the conductor value (GR unlinearised), tn the neighbour's relative
// temperature. The list is walked inline with the reading rule of STUNPK
// (the same entries in the same order, the same neighbour filter and pass
// guards), so that the sums stay in registers.
template <class F>
inline void thermal_walk(const FlNetwork& net, int i, FlCReals t, FlCReals tf, std::string_view routine, F f) {
  const ListWalkStatusKeep keep{net.tstat};
  int sub = 0, pos = 0, cond = 0, nb = 0;
  LoopGuard guard(routine);
  for (;;) {
    guard.pass();
    list_walk_next(0, net.nt, i, net.pcs, net.ptrs, sub, pos, cond, nb, "STUNPK", keep);
    if (pos == 0) return;
    if (sub == 1) {
      const int c = std::abs(cond);
      if (net.glacts(c).c[0] == 'A') f(false, net.gl(c), neighbour_t(net, t, tf, nb));
    } else if (sub == 2) {
      const int c = std::abs(cond);
      if (net.gracts(c).c[0] == 'A') f(true, net.gr(c), neighbour_t(net, t, tf, nb));
    } else if (cond > 0 && net.gfacts(cond).c[0] == 'A') {
      f(false, net.gf(cond), neighbour_t(net, t, tf, nb));
    }
  }
}

// The same for fluid node k: its mass source first, then its entering
// links, GL, GR and GF conductors, in the order of its list (fl_entries).
template <class F>
inline void fluid_walk(const FlNetwork& net, int k, FlCReals t, FlCReals tf, std::string_view routine, F f) {
  if (net.fm(k) > 0.0) {
    const double cp = XCP(net.p(k), (tf(k) + net.fr(k)) * 0.5, net.vq(k), net.fluid_code(k), net.global(k));
    f(false, net.fm(k) * cp, net.fr(k));
  }
  LoopGuard guard(routine);
  for (const FlEntry& e : fl_entries(net, k, guard)) {
    const int nb = e.neighbour;
    switch (e.kind) {
      case 1: {
        const int l = e.link();
        if (net.link_active(l) && net.link_feeds(l, k)) f(false, net.lcond(l), tf(nb));
        break;
      }
      case 2: {
        const int c = e.link();
        if (net.glacts(c).c[0] == 'A') f(false, net.gl(c), neighbour_t(net, t, tf, nb));
        break;
      }
      case 3: {
        const int c = e.link();
        if (net.gracts(c).c[0] == 'A') f(true, net.gr(c), neighbour_t(net, t, tf, nb));
        break;
      }
      default:
        if (e.cond > 0 && net.gfacts(e.cond).c[0] == 'A') f(false, net.gf(e.cond), neighbour_t(net, t, tf, nb));
        break;
    }
  }
}

// Linearised radiative conductance between absolute temperatures ti, tn.
inline double linearised(double gr, double stefan, double ti, double tn) {
  return ((gr * stefan) * (ti * ti + tn * tn)) * (ti + tn);
}

inline double fourth(double x) { return ((x * x) * x) * x; }

}  // namespace

// The sums are taken in locals and stored once at the end: adding into the
// reference outputs would put a store and a reload on the chain of every
// addition.
void SRGSUM(const FlNetwork& net, int i, FlCReals t, FlCReals tf, double& sumg, double& sumgt) {
  double g_sum = 0.0, gt_sum = 0.0;
  const double tabs = net.tabs(), stefan = net.stefan();
  const double ti = t(i) + tabs;
  thermal_walk(net, i, t, tf, "SRGSUM", [&](bool radiative, double g, double tn) {
    if (radiative) g = linearised(g, stefan, ti, tn + tabs);
    g_sum += g;
    gt_sum += g * tn;
  });
  sumg = g_sum;
  sumgt = gt_sum;
}

void FSTGSM(const FlNetwork& net, int i, FlCReals t, FlCReals tf, double& sumg, double& sumgt) {
  SRGSUM(net, i, t, tf, sumg, sumgt);
}

void SFGSM(const FlNetwork& net, int k, FlCReals t, FlCReals tf, double& sumg, double& sumgt) {
  double g_sum = 0.0, gt_sum = 0.0;
  const double tabs = net.tabs(), stefan = net.stefan();
  const double ti = tf(k) + tabs;
  fluid_walk(net, k, t, tf, "SFGSM", [&](bool radiative, double g, double tn) {
    const double ta = tn + tabs;
    if (radiative) g = linearised(g, stefan, ti, ta);
    g_sum += g;
    gt_sum += g * ta;
  });
  sumg = g_sum;
  sumgt = gt_sum;
}

void FSFGSM(const FlNetwork& net, int k, FlCReals t, FlCReals tf, double& sumg, double& sumgt) {
  SFGSM(net, k, t, tf, sumg, sumgt);
}

FlSums SFGSUM(const FlNetwork& net, int fluid, int node, FlCReals t, FlCReals tf) {
  double g_sum = 0.0, gt_sum = 0.0, r_sum = 0.0, rt_sum = 0.0;
  const double tabs = net.tabs();
  auto add = [&](bool radiative, double g, double tn) {
    const double ta = tn + tabs;
    if (radiative) {
      r_sum += g;
      rt_sum += g * fourth(ta);
    } else {
      g_sum += g;
      gt_sum += g * ta;
    }
  };
  if (fluid != 0) fluid_walk(net, node, t, tf, "SFGSUM", add);
  else thermal_walk(net, node, t, tf, "SFGSUM", add);
  FlSums s;
  s.sg = g_sum;
  s.sgt = gt_sum;
  s.sr = r_sum * net.stefan();
  s.srt = rt_sum * net.stefan();
  return s;
}

void SGNODM(const FlNetwork& net, int k, double& mdot) {
  double through = 0.0;
  LoopGuard guard("SGNODM");
  for (const FlEntry& e : fl_links(net, k, guard)) {
    const int l = e.link();
    if (net.link_active(l)) through += 0.5 * std::fabs(net.m(l));
  }
  mdot = through + 0.5 * std::fabs(net.fm(k));
}

void AADDR2(FlCReals a, FlCReals b, int n, FlReals c, int& status) {
  for (int i = 1; i <= n; ++i) c(i) = a(i) + b(i);
  status = 0;
}

void ASUBR2(FlCReals a, FlCReals b, int n, FlReals c, int& status) {
  for (int i = 1; i <= n; ++i) c(i) = a(i) - b(i);
  status = 0;
}
