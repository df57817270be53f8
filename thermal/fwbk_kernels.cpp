#include "thermal/fwbk_kernels.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "modeldata/submodel_refs.h"

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

void s4_newton_pass(const ThNetwork& net, const ThCountingList& list, ThCInts dnodemask, double dampt, double dtimeu,
                    ThCInts zcapmask, int nloop, ThCReals qsum, int fstepold, int tstepold, double relxca,
                    ThCReals core, double& relxcc, int& nrlxcc) {
  for (int i = 1; i <= net.nt; ++i) {
    if (dnodemask(i) != 1) continue;
    double g = 0.0, gt = 0.0, r = 0.0, rt = 0.0;
    S1GSUM(net, list, i, net.t, g, gt, r, rt);
    S4TCLC2(net, dampt, dtimeu, zcapmask, nloop, i, qsum, fstepold, tstepold, relxca, g, gt, r, rt, core, relxcc,
            nrlxcc);
  }
}
