#include "thermal/cn_kernels.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "core/diagnostics.h"
#include "modeldata/submodel_refs.h"
#include "thermal/steady_kernel.h"

void SCONDSUMSABSTEMPGRT4(const ThNetwork& net, ThCReals gle, ThCReals gre, ThCInts gfmask, ThCInts glemask,
                          ThCInts gremask, ThCInts dbnodemask, ThCInts entlist, int i, ThCReals t, ThCReals tabs4,
                          double& g, double& gt, double& r, double& rt) {
  const int nt = net.nt;
  const ThCInts pcs = net.cpcs;
  const ThCPtrs ptrs = net.cptrs;
  const ThCReals gf = net.gf, tf = net.tf;
  const double stefan = net.stefan(), tabs = net.tabs();
  g = gt = r = rt = 0.0;
  for (int e = 0, s = ptrs(1, i); e < ptrs(2, i); ++e) {
    const int k = entlist(s + 2 * e), n = entlist(s + 2 * e + 1);
    if (glemask(n) == 0) continue;
    double tk;
    if (k > nt) {
      tk = tf(k - nt) + tabs;
    } else {
      if (dbnodemask(k) == 0) continue;
      tk = t(k) + tabs;
    }
    g += gle(n);
    gt += gle(n) * tk;
  }
  double r0 = 0.0, rt0 = 0.0;
  for (int e = 0, s = ptrs(3, i); e < ptrs(4, i); ++e) {
    const int k = entlist(s + 2 * e), n = entlist(s + 2 * e + 1);
    if (gremask(n) == 0) continue;
    double tk4;
    if (k > nt) {
      const double x = tf(k - nt) + tabs;
      tk4 = ((x * x) * x) * x;
    } else {
      if (dbnodemask(k) == 0) continue;
      tk4 = tabs4(k);
    }
    r0 += gre(n);
    rt0 += gre(n) * tk4;
  }
  r = r0 * stefan;
  rt = rt0 * stefan;
  for (int e = 0, s = ptrs(5, i); e < ptrs(6, i); ++e) {
    const int k = pcs(s + 2 * e), m = pcs(s + 2 * e + 1);
    if (m <= 0 || gfmask(m) == 0) continue;
    double tk;
    if (k > nt) {
      tk = tf(k - nt) + tabs;
    } else {
      if (dbnodemask(k) == 0) continue;
      tk = t(k) + tabs;
    }
    g += gf(m);
    gt += gf(m) * tk;
  }
}

void S9TCLC(const ThNetwork& net, double dampt, double dtimeu, int i, ThCReals qsum, double g, double gt, double r,
            double rt, ThCReals tstepold, ThCReals ratestepold, int& overflow, double& dtrocc, int& ndtroc,
            int& nrlxcc, double& relxcc, ThReals tabs3, ThReals tabs4) {
  const ThReals t = net.t;
  const double tabs = net.tabs();
  const double c = net.cap(i);
  const double t0 = tstepold(i), r0 = ratestepold(i);
  const double u = r * tabs3(i);
  const double ta = t(i) + tabs;
  const double r1 = (((qsum(i) + gt) + rt) - ta * (g + u)) / c;
  const double delta = ((t0 + 0.5 * dtimeu * (r0 + r1)) - t(i)) / (1.0 + dtimeu * (2.0 * u + 0.5 * g) / c);
  t(i) += dampt * delta;
  cn_set_powers(i, t, tabs, tabs3, tabs4);
  const double roc = dtimeu * std::fabs(r1 - r0);
  if (roc > dtrocc) {
    dtrocc = roc;
    ndtroc = i;
  }
  const double change = std::fabs(delta);
  if (change > relxcc) {
    relxcc = change;
    nrlxcc = i;
  }
  // A temperature that is not a number is an overflow of the same kind.
  if (std::fabs(t(i)) > 1.0e10 || !std::isfinite(t(i))) {
    PRTWAR(i);
    overflow = 1;
  }
}

void S9ARTH(const ThNetwork& net, double dampt, double dtimeu, ThCReals gle, ThCReals gre, ThCInts gfmask,
            ThCInts glemask, ThCInts gremask, ThCInts arithmask, ThCInts dnodemask, ThCInts dbnodemask, int nloop,
            ThCInts entlist, ThCReals qsum, double relxca, ThCReals tstepold, int& nrlxcc, double& relxcc,
            ThReals tabs3, ThReals tabs4, ThReals ratestepold, ThReals asnap1, ThReals asnap2, ThReals archange,
            ThReals tarith0) {
  const int nt = net.nt;
  const ThReals t = net.t;
  const double tabs = net.tabs();
  for (int i = 1; i <= nt; ++i) {
    archange(i) = 1.0 + relxca;
    tarith0(i) = t(i);
  }
  LoopGuard guard("S9ARTH");
  for (int s = 1;; ++s) {
    guard.pass();
    double mx = 0.0;
    for (int i = 1; i <= nt; ++i) {
      if (!(archange(i) > relxca && dnodemask(i) == 1 && arithmask(i) == 1)) {
        archange(i) = 0.0;
        continue;
      }
      double g, gt, r, rt;
      SCONDSUMSABSTEMPGRT4(net, gle, gre, gfmask, glemask, gremask, dbnodemask, entlist, i, t, tabs4, g, gt, r, rt);
      const double q = qsum(i);
      double d;
      if (std::fabs(g) < 1e-37 && std::fabs(r) < 1e-37) {
        d = std::fabs(q) > 1e-37 ? 1.0e20 : 0.0;
      } else if (std::fabs(g) < 1e-37) {
        d = std::sqrt(std::sqrt((q + rt) / r)) - tabs - t(i);
      } else if (std::fabs(r) < 1e-37) {
        d = (q + gt) / g - tabs - t(i);
      } else {
        const double ta = t(i) + tabs;
        d = (((q + gt) + rt) - ta * (g + r * tabs3(i))) / (g + 4.0 * r * tabs3(i));
      }
      archange(i) = std::fabs(d);
      t(i) += d * dampt;
      cn_set_powers(i, t, tabs, tabs3, tabs4);
      ratestepold(i) = (t(i) - tstepold(i)) / dtimeu;
      if (std::fabs(d) > mx) mx = std::fabs(d);
      // Not a number is an overflow too, never a settled node.
      if (t(i) > 1.0e10 || !std::isfinite(t(i))) {
        std::string msg = "SLCRNC: Temperature > 1.0D10 detected";
        msg.resize(255, ' ');
        MESBLD(i, plat::TextRef(msg));
        SETERX(msg, 4, 1, "S9Arth");
        return;
      }
    }
    if (mx > relxca) {
      S9EXTR(4, 1, s, nt, relxca, asnap1, asnap2, t);
      // Keep the powers current for the nodes the extrapolation moved.
      if (s % 4 == 0)
        for (int i = 1; i <= nt; ++i) cn_set_powers(i, t, tabs, tabs3, tabs4);
    }
    if (mx <= relxca || s >= nloop) break;
  }
  for (int i = 1; i <= nt; ++i) {
    const double c = std::fabs(t(i) - tarith0(i));
    if (c > relxcc) {
      relxcc = c;
      nrlxcc = i;
    }
  }
}

void S9EXTR(int p, int q, int k, int nt, double threshold, ThReals snap1, ThReals snap2, ThReals t) {
  if (p == 0) return;
  const int h = k % p;
  if (h == p - 2 * q) {
    for (int i = 1; i <= nt; ++i) snap1(i) = t(i);
  } else if (h == p - q) {
    for (int i = 1; i <= nt; ++i) snap2(i) = t(i);
  } else if (h == 0) {
    for (int i = 1; i <= nt; ++i) {
      const double s1 = snap1(i), s2 = snap2(i), ti = t(i);
      const double f = ti - s2;
      const double rise = s2 - s1;
      if (!(std::fabs(f) > threshold && rise >= 1e-37)) continue;
      if (f / rise >= 1.0) {
        t(i) = ti + 10.0 * f;
      } else if (rise * f > 0.0) {
        const double ya = (ti * s1 - s2 * s2) / ((s1 + ti) - 2.0 * s2);
        t(i) = 10.0 * std::fabs(f) > std::fabs(ya - ti) ? ya : ti + 10.0 * f;
      }
    }
  }
}
