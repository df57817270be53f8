#include "fluid/thermal_update.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "fluid/fluid_constants.h"
#include "fluid/non_finite.h"
#include "model/generated_program.h"
#include "modeldata/submodel_refs.h"

namespace {

bool is_d(const FlNetwork& net, int i) { return net.tstat(i).c[0] == 'D'; }

double qsrc(const FlNetwork& net, int i) { return net.qa(i) + net.qe(i) + net.qi(i) + net.qr(i) + net.qs(i); }

double fourth(double x) { return ((x * x) * x) * x; }

// Ends the run for thermal node i, whose temperature the update cannot
// accept, naming `routine`.
void temperature_fatal(int i, const char* routine) {
  std::string msg = "FGENFI: Temperature > 1.0D10 detected@";
  msg.resize(255, ' ');
  MESBLD(i, plat::TextRef(msg));
  SETERX(msg, 4, 1, routine);
}

void powers(const FlNetwork& net, const FgThermal& th, int i) {
  const double a = net.t(i) + GLOR.TABS;
  th.t3(i) = (a * a) * a;
  th.t4(i) = th.t3(i) * a;
}

}  // namespace

void SLOGST(const FlNetwork& net, const FgThermal& th) {
  for (int c = 1; c <= net.ngf; ++c) th.gfmask(c) = net.gfacts(c).c[0] == 'A' ? 1 : 0;
  for (int c = 1; c <= net.ngl; ++c) th.glmask(c) = net.glacts(c).c[0] == 'A' ? 1 : 0;
  for (int c = 1; c <= net.ngr; ++c) th.grmask(c) = net.gracts(c).c[0] == 'A' ? 1 : 0;
  for (int i = 1; i <= net.nt; ++i) {
    const char s = net.tstat(i).c[0];
    th.nodemask(i) = (s == 'B' || s == 'D') ? 1 : 0;
  }
}

FgSums SNGSUM(const FlNetwork& net, const FgThermal& th, int i, FlCReals tn, FlCReals tf) {
  FgSums s;
  const double tabs = GLOR.TABS;
  const int nt = net.nt;
  // Linear conductor g to neighbour nb.
  auto linear = [&](double g, int nb) {
    if (nb > nt) {
      s.gfl += g;
      s.qfl += g * (tf(nb - nt) + tabs);
    } else if (th.nodemask(nb) != 0) {
      s.gth += g;
      s.qth += g * (tn(nb) + tabs);
    }
  };
  for (int sub = 1; sub <= 3; ++sub) {
    const int first = net.cptrs(2 * sub - 1, i), count = net.cptrs(2 * sub, i);
    for (int e = 0; e < count; ++e) {
      const int nb = net.cpcs(first + 2 * e), cond = net.cpcs(first + 2 * e + 1);
      if (sub == 1) {
        const int c = std::abs(cond);
        if (th.glmask(c) != 0) linear(net.gl(c), nb);
      } else if (sub == 2) {
        const int c = std::abs(cond);
        if (th.grmask(c) == 0) continue;
        if (nb > nt) {
          s.grs += net.gr(c);
          s.qrs += net.gr(c) * fourth(tf(nb - nt) + tabs);
        } else if (th.nodemask(nb) != 0) {
          s.grs += net.gr(c);
          s.qrs += net.gr(c) * th.t4(nb);
        }
      } else if (cond > 0 && th.gfmask(cond) != 0) {
        linear(net.gf(cond), nb);
      }
    }
  }
  const double stefan = GLOR.STEFAN;
  s.grs *= stefan;
  s.qrs *= stefan;
  return s;
}

void TSTAB2(const FlNetwork& net, const FgThermal& th, FlCReals tfold) {
  const double tabs = GLOR.TABS, dt = GLOR.DTIMEU;
  GLOR.CSGMIN = kFlHuge;
  FlCReals tthold(th.tthold.data(), th.tthold.size());
  for (int i = 1; i <= net.nt; ++i) {
    if (!is_d(net, i) || std::fabs(net.cap(i)) < kThTiny) continue;
    const FgSums s = SNGSUM(net, th, i, tthold, tfold);
    const double c = net.cap(i);
    const double g = s.gth + s.gfl;
    const double q0 = s.qth + s.qfl + s.qrs - (th.tthold(i) + tabs) * g - th.t4(i) * s.grs;
    th.qthold(i) = q0;
    const double estimate = (q0 + th.tthold(i) * c / dt + qsrc(net, i)) / (c / dt);
    if (fl_not_finite(estimate)) return temperature_fatal(i, "Tstab2");
    net.t(i) = estimate;
    const double gl = g + 4.0 * s.grs * th.t3(i);
    if (std::fabs(gl) >= kThTiny && c / gl < GLOR.CSGMIN) {
      GLOR.CSGMIN = c / gl;
      GLOI.NCSGMN = i;
    }
  }
  for (int i = 1; i <= net.nt; ++i)
    if (is_d(net, i) && std::fabs(net.cap(i)) >= kThTiny) powers(net, th, i);
  FlCReals t(net.t.data(), net.t.size());
  for (int i = 1; i <= net.nt; ++i) {
    if (!is_d(net, i) || std::fabs(net.cap(i)) >= kThTiny) continue;
    const FgSums s = SNGSUM(net, th, i, t, tfold);
    const double g = s.gth + s.gfl, q = qsrc(net, i);
    const bool no_g = std::fabs(g) < kThTiny, no_r = std::fabs(s.grs) < kThTiny;
    double estimate = net.t(i);
    if (no_g && no_r) {
      if (std::fabs(q) > kThTiny) estimate += kThJump;
    } else if (no_g) {
      estimate = std::pow((q + s.qrs) / s.grs, 0.25) - tabs;
    } else if (no_r) {
      estimate = (q + s.qth + s.qfl) / g - tabs;
    } else {
      const double t0 = th.tthold(i) + tabs;
      estimate += (s.qrs + s.qth + s.qfl + q - t0 * (g + s.grs * th.t3(i))) / (4.0 * s.grs * th.t3(i) + g);
    }
    // Radiation alone with a sink larger than its input has no balance: the
    // fourth root of a negative number.
    if (fl_not_finite(estimate)) return temperature_fatal(i, "Tstab2");
    net.t(i) = estimate;
    powers(net, th, i);
  }
}

void FBTCL3(const FlNetwork& net, const FgThermal& th, int i, const FgSums& s, int start) {
  const double n = net.t(i) + GLOR.TABS;
  const double k = s.grs * th.t3(i);
  const double g = s.gfl + s.gth;
  const double q = qsrc(net, i);
  // Derivative of the fluid coupling with the node's temperature, from the
  // previous pass.
  double o = 0.0;
  const double dtp = net.t(i) - th.tthprv(i);
  if (start == 1 && std::fabs(dtp) >= kThTiny) {
    o = (s.gfl - th.gflprv(i)) / dtp * n - (s.qfl - th.qflprv(i)) / dtp;
    if (!(o >= 0.0)) o = 0.0;
  }
  double r;
  const double c = net.cap(i);
  if (std::fabs(c) >= kThTiny) {
    const double w = c / GLOR.DTIMEU;
    const double t0 = th.tthold(i) + GLOR.TABS;
    r = (q + 0.5 * (s.qth + s.qfl + s.qrs + th.qthold(i)) + t0 * w - n * (0.5 * (g + k) + w)) /
        (2.0 * k + w + 0.5 * (g + o));
  } else if (std::fabs(g) >= kThTiny) {
    if (std::fabs(s.grs) < kThTiny) r = (q + s.qth + s.qfl - n * g) / (o + g);
    else r = (q + s.qth + s.qfl + s.qrs - n * (g + k)) / (o + g + 4.0 * k);
  } else if (std::fabs(s.grs) < kThTiny) {
    r = std::fabs(q) > kThTiny ? kThJump : 0.0;
  } else {
    r = std::pow((s.qrs + q) / s.grs, 0.25) - n;
  }
  if (std::fabs(r) > GLOR.RELXCC) {
    GLOR.RELXCC = std::fabs(r);
    GLOI.NRLXCC = i;
  }
  const double tnew = net.t(i) + GLOR.DAMPT * r;
  // A correction that is not a number never counts as converged: it ends
  // the run as a runaway does.
  if (fl_not_finite(tnew) || tnew > kThMaxT) return temperature_fatal(i, "Fbtcl3");
  net.t(i) = tnew;
}

void FWBKT3(const FlNetwork& net, const FgThermal& th, int start, int& converged, int& passes) {
  STSOLT("THERMAL");
  FlCReals t(net.t.data(), net.t.size());
  FlCReals tf(net.tf.data(), net.tf.size());
  converged = 0;
  for (int p = 1;; ++p) {
    passes = p;
    GLOR.RELXCC = 0.0;
    const int flag = p == 1 ? start : 1;
    V10001();
    SLOGST(net, th);
    for (int i = 1; i <= net.nt; ++i) {
      if (is_d(net, i)) {
        const FgSums s = SNGSUM(net, th, i, t, tf);
        const double before = net.t(i);
        FBTCL3(net, th, i, s, flag);
        th.gflprv(i) = s.gfl;
        th.qflprv(i) = s.qfl;
        th.tthprv(i) = before;
      }
      powers(net, th, i);
    }
    converged = GLOR.RELXCA >= GLOR.RELXCC ? 1 : 0;
    if (converged != 0 || p >= GLOI.NLOOPT) break;
  }
  STSOLT("");
}
