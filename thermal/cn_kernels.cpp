#include "thermal/cn_kernels.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/diagnostics.h"
#include "modeldata/submodel_refs.h"
#include "thermal/steady_kernel.h"

namespace {

// Every node 1..nt, as the extrapolation of S9EXTR walks them.
struct AllNodes {
  int nt;
  std::int64_t size() const { return nt; }
  int operator()(std::int64_t a) const { return static_cast<int>(a); }
};

// S9EXTR over the nodes(1..size) (in any order; each node by itself).
template <class Nodes>
void extrapolate(int p, int q, int k, const Nodes& nodes, double threshold, ThReals snap1, ThReals snap2,
                 ThReals t) {
  if (p == 0) return;
  const std::int64_t n = nodes.size();
  const int h = k % p;
  if (h == p - 2 * q) {
    for (std::int64_t a = 1; a <= n; ++a) snap1(nodes(a)) = t(nodes(a));
  } else if (h == p - q) {
    for (std::int64_t a = 1; a <= n; ++a) snap2(nodes(a)) = t(nodes(a));
  } else if (h == 0) {
    for (std::int64_t a = 1; a <= n; ++a) {
      const int i = nodes(a);
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

}  // namespace

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

void S9ARTH(const ThNetwork& net, const ThCountingList& list, ThCInts arith, ThCInts dnodemask, double dampt,
            double dtimeu, int nloop, ThCReals qsum, double relxca, ThCReals tstepold, int& nrlxcc, double& relxcc,
            ThReals tabs3, ThReals tabs4, ThReals ratestepold, ThReals asnap1, ThReals asnap2, ThReals archange,
            ThReals tarith0) {
  const int nt = net.nt;
  const ThReals t = net.t;
  const double tabs = net.tabs();
  const std::int64_t na = arith.size();
  for (std::int64_t a = 1; a <= na; ++a) {
    const int i = arith(a);
    archange(i) = 1.0 + relxca;
    tarith0(i) = t(i);
  }
  LoopGuard guard("S9ARTH");
  for (int s = 1;; ++s) {
    guard.pass();
    double mx = 0.0;
    for (std::int64_t a = 1; a <= na; ++a) {
      const int i = arith(a);
      if (!(archange(i) > relxca && dnodemask(i) == 1)) {
        archange(i) = 0.0;
        continue;
      }
      double g, gt, r, rt;
      SCONDSUMSABSTEMPGRT4(net, list, i, t, tabs4, g, gt, r, rt);
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
      // Only arithmetic nodes move in a balance, so only they can be
      // extrapolated (every other node's change is 0).
      extrapolate(4, 1, s, arith, relxca, asnap1, asnap2, t);
      // Keep the powers current for the nodes the extrapolation moved.
      if (s % 4 == 0)
        for (int i = 1; i <= nt; ++i) cn_set_powers(i, t, tabs, tabs3, tabs4);
    }
    if (mx <= relxca || s >= nloop) break;
  }
  if (0.0 > relxcc) {
    // A negative figure on entry is raised by the first node of all,
    // arithmetic or not, whose change (0 for the others) exceeds it.
    std::int64_t a = 1;
    for (int i = 1; i <= nt; ++i) {
      double t0 = t(i);
      if (a <= na && arith(a) == i) {
        t0 = tarith0(i);
        ++a;
      }
      const double c = std::fabs(t(i) - t0);
      if (c > relxcc) {
        relxcc = c;
        nrlxcc = i;
      }
    }
    return;
  }
  for (std::int64_t a = 1; a <= na; ++a) {
    const int i = arith(a);
    const double c = std::fabs(t(i) - tarith0(i));
    if (c > relxcc) {
      relxcc = c;
      nrlxcc = i;
    }
  }
}

void S9EXTR(int p, int q, int k, int nt, double threshold, ThReals snap1, ThReals snap2, ThReals t) {
  extrapolate(p, q, k, AllNodes{nt}, threshold, snap1, snap2, t);
}

void cn_newton_sweep(const ThNetwork& net, const ThCountingList& list, ThCInts nodes, ThCInts dnodemask,
                     double dampt, double dtimeu, ThCReals qsum, ThCReals tstepold, ThCReals ratestepold,
                     int& overflow, int& hot, double& dtrocc, int& ndtroc, int& nrlxcc, double& relxcc,
                     ThReals tabs3, ThReals tabs4) {
  const std::int64_t n = nodes.size();
  for (std::int64_t a = 1; a <= n; ++a) {
    const int i = nodes(a);
    if (dnodemask(i) != 1) continue;
    double g, gt, r, rt;
    SCONDSUMSABSTEMPGRT4(net, list, i, net.t, tabs4, g, gt, r, rt);
    S9TCLC(net, dampt, dtimeu, i, qsum, g, gt, r, rt, tstepold, ratestepold, overflow, dtrocc, ndtroc, nrlxcc,
           relxcc, tabs3, tabs4);
    if (overflow != 0 && hot == 0) hot = i;
  }
}
