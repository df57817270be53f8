#include "fluid/momentum.h"

#include <cmath>
#include <cstdlib>

#include "core/diagnostics.h"
#include "fluid/fluid_constants.h"
#include "modeldata/connection_lists.h"

void FLFRLS(double a, double d, double mdot, double e, double mu, double& f) {
  if (std::fabs(e) < kFrTiny) {
    f = 0.0;
    return;
  }
  if (std::fabs(mdot) < kFrTiny) return;
  const double re = (std::fabs(mdot) / a) * d / mu;
  if (re < kFrReLaminar) {
    f = kFrLaminar / re;
    return;
  }
  const double r = re < kFrReTurbulent ? kFrReTurbulent : re;
  const double x = e * r / (kFrRoughDiv * d) + std::log10(r / kFrReDiv);
  double s = kFrStep[6];
  for (int i = 0; i < 6; ++i) {
    if (x <= kFrStepX[i]) {
      s = kFrStep[i];
      break;
    }
  }
  const double y = s + std::log10(r / (kFrReDiv * x));
  const double turbulent = 1.0 / (kFrTurbulent * (y * y));
  if (re >= kFrReTurbulent)
    f = turbulent;
  else
    f = kFrBlendStart + (re / kFrReLaminar - 1.0) * (turbulent - kFrBlendStart);
}

double SGFLIN(const FlNetwork& net, int k, int n) {
  const bool forward = net.m(k) > 0.0;
  double sum = 0.0;
  int kind = 0, pos = 0, link = 0, nb = 0;
  LoopGuard guard("SGFLIN");
  for (;;) {
    guard.pass();
    SFUNPK(0, net.lenfluid, net.nf, net.nt1, n, net.tstat, net.fpcs, net.fptrs, kind, pos, link, nb);
    if (nb == 0 || kind > 1) break;
    const int j = std::abs(link);
    const char st = net.lstat(j).c[0];
    if (st != 'A' && st != 'P') continue;
    if (forward) {
      if (net.second(j) == n) sum += net.m(j);
    } else if (net.first(j) == n) {
      sum -= net.m(j);
    }
  }
  return sum;
}

int fl_other_link(const FlNetwork& net, int u, int k, bool skip_s, const char* routine) {
  int kind = 0, pos = 0, link = 0, nb = 0;
  bool skipped = false;
  LoopGuard guard(routine);
  for (;;) {
    guard.pass();
    SFUNPK(0, net.lenfluid, net.nf, net.nt1, u, net.tstat, net.fpcs, net.fptrs, kind, pos, link, nb);
    if (nb == 0 || kind > 1) return 0;
    const int j = std::abs(link);
    if (j == k) continue;
    if (skip_s && !skipped && net.fstat(nb).c[0] == 'S') {
      skipped = true;
      continue;
    }
    return j;
  }
}

namespace {

// Positive part of node n's mass source.
double source_in(const FlNetwork& net, int n) { return net.fm(n) > 0.0 ? net.fm(n) : 0.0; }

// Through-flows of link k with upstream node u and downstream node w; the
// flags say whether an end has one. Ends are reported as (upstream,
// downstream).
void through_flows(const FlNetwork& net, int k, int u, int w, bool& has_u, double& gu, bool& has_w, double& gw,
                   int& other) {
  const char su = net.fstat(u).c[0], sw = net.fstat(w).c[0];
  const bool uq = su == 'Q', us = su == 'S', wq = sw == 'Q', ws = sw == 'S';
  const bool w_neither = !wq && !ws;
  other = 0;
  has_u = has_w = true;
  gu = gw = 0.0;
  if (uq && ws) {
    has_u = false;
    gw = source_in(net, w) + net.m(k);
  } else if (us && wq) {
    other = fl_other_link(net, u, k, false, "SMFLX1");
    gu = source_in(net, u) + (other != 0 ? net.m(other) : 0.0);
    has_w = false;
  } else if (uq && w_neither) {
    other = fl_other_link(net, u, k, true, "SMFLX1");
    gu = source_in(net, u);
    if (other != 0) {
      const double mo = net.m(other);
      if ((mo > 0.0 && net.second(other) == u) || (mo <= 0.0 && net.first(other) == u)) gu += mo;
    }
    gw = source_in(net, w) + SGFLIN(net, k, w);
  } else if (us && w_neither) {
    other = fl_other_link(net, u, k, false, "SMFLX1");
    gu = source_in(net, u) + (other != 0 ? net.m(other) : 0.0);
    gw = source_in(net, w) + SGFLIN(net, k, w);
  } else if ((!us && wq) || (!uq && ws)) {
    gu = source_in(net, u) + SGFLIN(net, k, u);
    gw = source_in(net, w) + net.m(k);
  } else {
    gu = source_in(net, u) + SGFLIN(net, k, u);
    gw = source_in(net, w) + SGFLIN(net, k, w);
  }
}

void end_terms(bool has, double g, double a, double rho, double& phi, double& psi) {
  if (!has) {
    phi = psi = 0.0;
    return;
  }
  phi = g / (rho * (a * a));
  psi = g * phi;
}

}  // namespace

void SMFLX1(const FlNetwork& net, int k, double a1, double rho1, double a2, double rho2, double& phi1,
            double& psi1, double& phi2, double& psi2, int& other) {
  bool h1 = false, h2 = false;
  double g1 = 0.0, g2 = 0.0;
  through_flows(net, k, net.first(k), net.second(k), h1, g1, h2, g2, other);
  end_terms(h1, g1, a1, rho1, phi1, psi1);
  end_terms(h2, g2, a2, rho2, phi2, psi2);
}

void SMFLX2(const FlNetwork& net, int k, double a1, double rho1, double a2, double rho2, double& phi1,
            double& psi1, double& phi2, double& psi2, int& other) {
  bool h1 = false, h2 = false;
  double g1 = 0.0, g2 = 0.0;
  through_flows(net, k, net.second(k), net.first(k), h2, g2, h1, g1, other);
  end_terms(h1, g1, a1, rho1, phi1, psi1);
  end_terms(h2, g2, a2, rho2, phi2, psi2);
}
