#include "thermal/energy_balance.h"

#include <cmath>
#include <cstdlib>

#include "modeldata/list_walks.h"

namespace {

inline void add_flow(double x, double& in, double& out) {
  if (x > 0.0) in += x;
  else out -= x;
}

}  // namespace

void SEBDIF(const ThNetwork& net, ThCInts gfmask, ThCInts glmask, ThCInts grmask, ThCInts dbnodemask, int i,
            double& in, double& out) {
  const int nt = net.nt;
  const ThCInts list = net.pcs, ptrs = net.ptrs;
  const ThCReals gf = net.gf, gl = net.gl, gr = net.gr, t = net.t, tf = net.tf;
  const double stefan = net.stefan(), tabs = net.tabs();
  int sublist = 0, pos = 0, cond = 0, k = 0;
  for (;;) {
    sunpak2_next(0, dbnodemask, nt, i, list, ptrs, sublist, pos, cond, k);
    if (pos == 0) break;
    if (sublist == 3) {
      if (cond > 0 && gfmask(cond) == 1) {
        const double tk = k > nt ? tf(k - nt) : t(k);
        add_flow((tk - t(i)) * gf(cond), in, out);
      }
    } else if (k > nt) {
      // Exchange with a fluid node, a boundary of the thermal network.
      const int m = std::abs(cond);
      const double tk = tf(k - nt);
      if (sublist == 1) {
        if (glmask(m) == 1) add_flow((tk - t(i)) * gl(m), in, out);
      } else if (grmask(m) == 1) {
        const double ta = tk + tabs, ti = t(i) + tabs;
        add_flow(gr(m) * stefan * (((ta * ta) * ta) * ta - ((ti * ti) * ti) * ti), in, out);
      }
    }
  }
}

void SEBBND(const ThNetwork& net, ThCInts glmask, ThCInts grmask, ThCInts dbnodemask, int i, double& in,
            double& out) {
  const int nt = net.nt;
  const ThCInts list = net.pcs, ptrs = net.ptrs;
  const ThCReals gl = net.gl, gr = net.gr, t = net.t;
  const double stefan = net.stefan(), tabs = net.tabs();
  const double ti = t(i) + tabs;
  int sublist = 0, pos = 0, cond = 0, k = 0;
  for (;;) {
    sunpak2_next(0, dbnodemask, nt, i, list, ptrs, sublist, pos, cond, k);
    if (pos == 0 || sublist >= 3) break;
    if (k > nt) continue;
    const int m = std::abs(cond);
    const double tk = t(k) + tabs;
    double l = 0.0;
    if (sublist == 1) {
      if (glmask(m) == 1) l = (ti - tk) * gl(m);
    } else if (grmask(m) == 1) {
      l = gr(m) * stefan * (((ti * ti) * ti) * ti - ((tk * tk) * tk) * tk);
    }
    add_flow(l, in, out);
  }
}

void SENGBL(const ThNetwork& net, ThCInts dnodemask, ThCInts dbnodemask, ThCInts gfmask, ThCInts glmask,
            ThCInts grmask, double& enbala, double& enbalr) {
  const int nt = net.nt;
  const ThCReals qa = net.qa, qe = net.qe, qi = net.qi, qr = net.qr, qs = net.qs;
  double in = 0.0, out = 0.0, s = 0.0;
  if (nt < 1) {
    enbala = 0.0;
    enbalr = 0.0;
    return;
  }
  for (int i = 1; i <= nt; ++i) {
    if (dnodemask(i) == 1) {
      s = ((((s + qa(i)) + qe(i)) + qi(i)) + qr(i)) + qs(i);
      SEBDIF(net, gfmask, glmask, grmask, dbnodemask, i, in, out);
    } else if (dbnodemask(i) == 1) {
      SEBBND(net, glmask, grmask, dbnodemask, i, in, out);
    }
  }
  enbala = std::fabs((in - out) + s);
  double d = s + in;
  if (std::isnan(d) || out > d) d = out;
  enbalr = std::fabs(d) < 1e-37 ? 0.0 : enbala / d;
}
