#include "fluid/continuity.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "fluid/fluid_constants.h"
#include "fluid/non_finite.h"
#include "modeldata/entity_codes.h"

namespace {

// Linearised new density of node n.
double rho_star(const FlNetwork& net, const FgPass& w, int n) {
  return w.rho(n) + (w.pnew(n) - net.p(n)) * w.drdp(n) + (w.hnew(n) - net.fe(n)) * w.drdh(n);
}

// Geometry of node i after its volume changed by dv.
void follow_volume(const FlNetwork& net, int i, double dv) {
  const char flag = net.vcf(i).c[0];
  if (flag == 'A' && !SMINDL(net.fl(i))) {
    net.fla(i) = net.vol(i) / net.fl(i);
    // A node without volume before the change has no diameter ratio.
    const double before = net.vol(i) - dv;
    if (before != 0.0) net.fd(i) = net.fd(i) * std::sqrt(net.vol(i) / before);
  } else if (flag == 'L' && net.fla(i) != 0.0) {
    net.fl(i) = net.vol(i) / net.fla(i);
  }
}

}  // namespace

void MFCHK(int k, double minflo, double mnew, double mcur, std::int32_t& nrlxmc, double& relxmc) {
  double r = 0.0;
  if (fl_not_finite(mnew) || fl_not_finite(mcur)) r = std::numeric_limits<double>::infinity();
  else if (std::fabs(mcur) > minflo) r = std::fabs((mnew - mcur) / mcur);
  else if (std::fabs(mnew) > minflo) r = std::fabs((mnew - mcur) / mnew);
  if (r > relxmc) {
    relxmc = r;
    nrlxmc = k;
  }
}

double MFCONS(const FlNetwork& net, int k, int n) {
  double f = net.fm(n);
  LoopGuard guard("MFCONS");
  for (const FlEntry& e : fl_links(net, n, guard)) {
    const int j = e.link();
    if (j == k || !net.link_active(j)) continue;
    if (net.first(j) == n) f -= net.m(j);
    else f += net.m(j);
  }
  return f;
}

double MFCONT(const FlNetwork& net, const FgPass& w, int k, int n) {
  return MFCONS(net, k, n) -
         ((w.pnew(n) - w.pold(n)) * w.drdp(n) + (w.hnew(n) - w.hold(n)) * w.drdh(n)) * net.vol(n) / GLOR.DTIMEU;
}

double fl_low_resistance_step(double m, double residual, double mindp, double minflo) {
  const double direction = residual != 0.0 ? residual : m;
  if (!(std::fabs(m) >= minflo)) return std::copysign(std::fabs(kCoRestartFactor * minflo), direction);
  const double rise = (std::fabs(residual) - mindp) / kCoResidualScale;
  const bool along = (m >= 0.0) == (direction >= 0.0);
  return m * (along ? 1.0 + rise : 1.0 - rise);
}

void FMCALC(const FlNetwork& net, const FgPass& w) {
  GLOR.RELXMC = 0.0;
  GLOI.NRLXMC = 0;
  const double dampm = GLOR.DAMPM, minflo = GLOR.MINFLO;
  bool continuity = false;
  for (int k = 1; k <= net.nl; ++k) {
    if (!net.link_active(k)) continue;
    const int type = net.ltype(k);
    if (type == 1) {
      const int flag = w.lnkflg(k);
      if (flag == 1) {
        const int a = net.first(k), b = net.second(k);
        const double m = w.lnkcp(k) * (w.pnew(a) - w.pnew(b)) + w.lnkc1(k) * rho_star(net, w, a) +
                         w.lnkc2(k) * rho_star(net, w, b) + w.lnkc0(k);
        MFCHK(k, minflo, m, net.m(k), GLOI.NRLXMC, GLOR.RELXMC);
        net.m(k) = net.m(k) + dampm * dampm * (m - net.m(k));
      } else if (flag == 0) {
        MFCHK(k, minflo, 0.0, net.m(k), GLOI.NRLXMC, GLOR.RELXMC);
        net.m(k) = 0.0;
      } else {
        continuity = true;
      }
    } else if (type == 2) {
      const double m = w.lnkc2(k);
      MFCHK(k, minflo, m, net.m(k), GLOI.NRLXMC, GLOR.RELXMC);
      net.m(k) = net.m(k) + dampm * dampm * (m - net.m(k));
    } else {
      SETERX("Unrecognised mass flow link type@Allowed types: momentum, evaporative.", 4, 1, "FMCALC");
      return;
    }
  }
  if (!continuity) return;

  auto low = [&](int k) { return net.link_active(k) && net.ltype(k) == 1 && w.lnkflg(k) == -1; };
  auto supply = [&](int k, int n) { return w.loopflag != 0 ? MFCONS(net, k, n) : MFCONT(net, w, k, n); };
  auto residual = [&](int k) {
    const int a = net.first(k), b = net.second(k);
    return w.lnkc1(k) * rho_star(net, w, a) + w.lnkc2(k) * rho_star(net, w, b) + (w.pnew(a) - w.pnew(b)) +
           w.lnkc0(k);
  };
  fl_continuity_flows(net, dampm, minflo, GLOR.MINDP, low, supply, residual);
}

void CVOLSP(const FlNetwork& net, FlCReals pnew, int rate_flag, FlReals vrate) {
  const double dt = GLOR.DTIMEU;
  for (int i = 1; i <= net.nf; ++i) {
    const double dv = (pnew(i) - net.p(i)) * net.cmp(i) * net.vol(i);
    net.vol(i) += dv;
    follow_volume(net, i, dv);
    if (rate_flag != 0) vrate(i) += dv / dt;
  }
}

void CVOLST(const FlNetwork& net, FlReals vrate) {
  const double dt = GLOR.DTIMEU;
  for (int i = 1; i <= net.nf; ++i) {
    const double dv = net.vdt(i) * dt;
    net.vol(i) += dv;
    follow_volume(net, i, dv);
    vrate(i) = net.vdt(i);
  }
}
