#include "thermal/fwbk_kernels.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "modeldata/submodel_refs.h"

namespace {

// Relative temperature of neighbour k, or false when it does not count:
// a fluid neighbour (k > nt) counts as a boundary at its temperature.
inline bool neighbour_temp(int k, int nt, ThCInts dbnodemask, ThCReals t, ThCReals tf, double& tk) {
  if (k > nt) {
    tk = tf(k - nt);
    return true;
  }
  if (dbnodemask(k) == 0) return false;
  tk = t(k);
  return true;
}

}  // namespace

void S4GSUM(const ThNetwork& net, ThCInts gfmask, ThCInts glmask, ThCInts grmask, ThCInts dbnodemask, int i,
            ThCReals tw, double& g, double& gt) {
  const int nt = net.nt;
  const ThCInts pcs = net.cpcs;
  const ThCPtrs ptrs = net.cptrs;
  const ThCReals gf = net.gf, gl = net.gl, gr = net.gr, tf = net.tf;
  const double stefan = net.stefan(), tabs = net.tabs();
  g = 0.0;
  gt = 0.0;
  const double ti = tw(i) + tabs;
  double tj = 0.0;
  for (int e = 0, s = ptrs(3, i); e < ptrs(4, i); ++e) {
    const int j = pcs(s + 2 * e), k = std::abs(pcs(s + 2 * e + 1));
    if (grmask(k) == 0 || !neighbour_temp(j, nt, dbnodemask, tw, tf, tj)) continue;
    const double tja = tj + tabs;
    const double h = (tja + ti) * gr(k) * stefan * (ti * ti + tja * tja);
    g += h;
    gt += h * tj;
  }
  for (int e = 0, s = ptrs(1, i); e < ptrs(2, i); ++e) {
    const int j = pcs(s + 2 * e), k = std::abs(pcs(s + 2 * e + 1));
    if (glmask(k) == 0 || !neighbour_temp(j, nt, dbnodemask, tw, tf, tj)) continue;
    g += gl(k);
    gt += gl(k) * tj;
  }
  for (int e = 0, s = ptrs(5, i); e < ptrs(6, i); ++e) {
    const int j = pcs(s + 2 * e), k = pcs(s + 2 * e + 1);
    if (k <= 0 || gfmask(k) == 0 || !neighbour_temp(j, nt, dbnodemask, tw, tf, tj)) continue;
    g += gf(k);
    gt += gf(k) * tj;
  }
}

void S1GSUM(const ThNetwork& net, ThCInts gfmask, ThCInts glmask, ThCInts grmask, ThCInts dbnodemask, int i,
            ThCReals t, double& g, double& gt, double& r, double& rt) {
  const int nt = net.nt;
  const ThCInts pcs = net.cpcs;
  const ThCPtrs ptrs = net.cptrs;
  const ThCReals gf = net.gf, gl = net.gl, gr = net.gr, tf = net.tf;
  const double stefan = net.stefan(), tabs = net.tabs();
  g = gt = r = rt = 0.0;
  double tj = 0.0;
  for (int e = 0, s = ptrs(3, i); e < ptrs(4, i); ++e) {
    const int j = pcs(s + 2 * e), k = std::abs(pcs(s + 2 * e + 1));
    if (grmask(k) == 0 || !neighbour_temp(j, nt, dbnodemask, t, tf, tj)) continue;
    const double x = tj + tabs;
    r += gr(k);
    rt += gr(k) * (((x * x) * x) * x);
  }
  r *= stefan;
  rt *= stefan;
  for (int e = 0, s = ptrs(1, i); e < ptrs(2, i); ++e) {
    const int j = pcs(s + 2 * e), k = std::abs(pcs(s + 2 * e + 1));
    if (glmask(k) == 0 || !neighbour_temp(j, nt, dbnodemask, t, tf, tj)) continue;
    g += gl(k);
    gt += gl(k) * (tj + tabs);
  }
  for (int e = 0, s = ptrs(5, i); e < ptrs(6, i); ++e) {
    const int j = pcs(s + 2 * e), k = pcs(s + 2 * e + 1);
    if (k <= 0 || gfmask(k) == 0 || !neighbour_temp(j, nt, dbnodemask, t, tf, tj)) continue;
    g += gf(k);
    gt += gf(k) * (tj + tabs);
  }
}

void S4TCLC2(const ThNetwork& net, double dampt, double dtimeu, ThCInts zcapmask, int nloop, int i, ThCReals qsum,
             int fstepold, int tstepold, double relxca, double g, double gt, double r, double rt, ThCReals core,
             double& relxcc, int& nrlxcc) {
  const ThCReals caps = net.cap;
  const ThReals t = net.t;
  const double tabs = net.tabs();
  const double x = t(i) + tabs;
  const double q = qsum(i);
  const double xx = (q + gt) + rt;
  double d;
  if (zcapmask(i) == 0) {
    const double dd = r * ((x * x) * x);
    const double w = caps(i) / dtimeu;
    const double f0 = core(fstepold + i - 1);
    const double t0 = core(tstepold + i - 1);
    d = (0.5 * ((gt + rt) + f0) + q + (tabs + t0) * w - x * (0.5 * (g + dd) + w)) / ((2.0 * dd + w) + 0.5 * g);
  } else if (std::fabs(g) < 1.0e-37 && std::fabs(r) < 1.0e-37) {
    d = std::fabs(q) > 1.0e-37 ? 1.0e20 : 0.0;
  } else if (std::fabs(g) < 1.0e-37) {
    d = std::sqrt(std::sqrt((q + rt) / r)) - x;
  } else if (std::fabs(r) < 1.0e-37) {
    d = (q + gt) / g - x;
  } else if (MTDTST(1024)) {
    const double s = r * ((x * x) * x);
    d = dampt * (xx - x * (s + g)) / (g + 4.0 * s);
  } else {
    double y = t(i);
    int count = 0;
    for (;;) {
      const double xy = y + tabs;
      const double s = r * ((xy * xy) * xy);
      const double e = (xx - xy * (s + g)) / (4.0 * s + g);
      y += dampt * e;
      ++count;
      // A value that is not a number ends the iteration as an overflow does.
      if (count >= nloop || std::fabs(e) <= 100.0 * relxca || y > 1.0e10 || !std::isfinite(y)) break;
    }
    d = y - t(i);
  }
  const double change = std::fabs(d);
  t(i) += dampt * d;
  if (change > relxcc) {
    relxcc = change;
    nrlxcc = i;
  }
  if (t(i) > 1.0e10 || !std::isfinite(t(i))) {
    std::string msg = "Temperature > 1.0D10 detected@";
    msg.resize(255, ' ');
    MESBLD(i, plat::TextRef(msg));
    SETERX(msg, 4, 1, "S4TCLC2");
  }
}
