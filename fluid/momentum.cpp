#include "fluid/momentum.h"

#include <cmath>
#include <cstdlib>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "fluid/fgenfi_work.h"
#include "fluid/fluid_constants.h"
#include "fluid/input_checks.h"
#include "fluid/non_finite.h"
#include "properties/properties.h"

void FLFRLS(double a, double d, double mdot, double e, double mu, double& f) {
  // A wall of roughness 0 is the smooth limit of the same law (16 / Re
  // laminar, X = log10(R / 5.02) turbulent), not a frictionless one: laminar
  // friction does not depend on the roughness at all.
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
  if (re >= kFrReTurbulent) f = turbulent;
  else f = kFrBlendStart + (re / kFrReLaminar - 1.0) * (turbulent - kFrBlendStart);
}

double fl_wall_flux(double f, double m, double a, double d, double mu) {
  if (std::fabs(m) >= kFrTiny) return f * std::fabs(m);
  return kFrLaminar * mu * a / d;
}

bool fl_usable_resistance(double m, double dn, double mindp) {
  const double drop = m * dn;
  if (!(std::fabs(drop) >= mindp) || fl_not_finite(1.0 / dn)) return false;
  return m == 0.0 || drop != 0.0;
}

double SGFLIN(const FlNetwork& net, int k, int n) {
  const bool forward = net.m(k) > 0.0;
  double sum = 0.0;
  LoopGuard guard("SGFLIN");
  for (const FlEntry& e : fl_links(net, n, guard)) {
    const int j = e.link();
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
  bool skipped = false;
  LoopGuard guard(routine);
  for (const FlEntry& e : fl_links(net, u, guard)) {
    const int j = e.link();
    if (j == k) continue;
    if (skip_s && !skipped && net.fstat(e.neighbour).c[0] == 'S') {
      skipped = true;
      continue;
    }
    return j;
  }
  return 0;
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

void SMFLX1(const FlNetwork& net, int k, double a1, double rho1, double a2, double rho2, double& phi1, double& psi1,
            double& phi2, double& psi2, int& other) {
  bool h1 = false, h2 = false;
  double g1 = 0.0, g2 = 0.0;
  through_flows(net, k, net.first(k), net.second(k), h1, g1, h2, g2, other);
  end_terms(h1, g1, a1, rho1, phi1, psi1);
  end_terms(h2, g2, a2, rho2, phi2, psi2);
}

void SMFLX2(const FlNetwork& net, int k, double a1, double rho1, double a2, double rho2, double& phi1, double& psi1,
            double& phi2, double& psi2, int& other) {
  bool h1 = false, h2 = false;
  double g1 = 0.0, g2 = 0.0;
  through_flows(net, k, net.second(k), net.first(k), h2, g2, h1, g1, other);
  end_terms(h1, g1, a1, rho1, phi1, psi1);
  end_terms(h2, g2, a2, rho2, phi2, psi2);
}

double LDHSDP(int ifluid, int node, double p, double x) {
  const double ts = XTEMPS(p, ifluid, node);
  const double cs = XCPS(p, ts, x, ifluid, node);
  const double hl = XENTHS(p, ts, 0.0, ifluid, node);
  const double hv = XENTHS(p, ts, 1.0, ifluid, node);
  const double rl = XRHOS(p, ts, 0.0, ifluid, node);
  const double rv = XRHOS(p, ts, 1.0, ifluid, node);
  const double mus = XJTS(p, ts, x, ifluid, node);
  return cs * ((ts + GLOR.TABS) * (rl - rv) / (rv * rl * (hv - hl)) - mus);
}

namespace {

// Volume-change terms of node n: a = VRATE / L for area control ("A", with a
// length), b = VRATE / A for length control ("L").
void volume_terms(const FlNetwork& net, const FgPass& w, int n, double& a, double& b) {
  a = b = 0.0;
  const char flag = net.vcf(n).c[0];
  if (flag == 'A' && std::fabs(net.fl(n)) >= kFlTiny) a = w.vrate(n) / net.fl(n);
  else if (flag == 'L') b = w.vrate(n) / net.fla(n);
}

void evaporative(const FlNetwork& net, const FgPass& w, int k) {
  const double q = net.lqevap(k);
  if (std::fabs(q) < kFlTiny) {
    w.lnkcp(k) = w.lnkc1(k) = w.lnkc2(k) = w.lnkc0(k) = 0.0;
    return;
  }
  const int n1 = net.first(k), n2 = net.second(k);
  const int code = net.fluid_code(n2), node = net.global(n2);
  const double p2 = net.p(n2);
  const double ts = XTEMPS(p2, code, node);
  const double hv = XENTHS(p2, ts, 1.0, code, node);
  const double c2 = q / (hv - net.fe(n1));
  w.lnkc2(k) = c2;
  w.lnkcp(k) = LDHSDP(code, node, p2, 1.0) * (c2 * c2) / q;
  w.lnkc1(k) = 0.0;
  w.lnkc0(k) = p2 * w.lnkcp(k) + net.m(k);
}

}  // namespace

void FCMOMK(const FlNetwork& net, const FgPass& w) {
  const int q = w.loopflag == 0 ? 1 : 0;
  const double dt = GLOR.DTIMEU, gz = GLOR.GRAVZ, mindp = GLOR.MINDP;
  // Storage and inertia over the step; none with the loop-mass flag.
  auto over_dt = [&](double v) { return q == 0 ? 0.0 : v / dt; };
  double f1 = 0.0, f2 = 0.0;
  for (int k = 1; k <= net.nl; ++k) {
    if (!net.link_active(k)) {
      w.lnkcp(k) = w.lnkc1(k) = w.lnkc2(k) = w.lnkc0(k) = 0.0;
      continue;
    }
    const int type = net.ltype(k);
    if (type == 2) {
      evaporative(net, w, k);
      continue;
    }
    if (type != 1) {
      SETERX("Unrecognised mass flow link type@Allowed types: momentum, evaporative.", 4, 1, "FCMOMK");
      return;
    }
    const double m = net.m(k);
    const int n1 = net.first(k), n2 = net.second(k);
    const double l1 = net.fl(n1), l2 = net.fl(n2);
    const double a1 = net.fla(n1), a2 = net.fla(n2);
    const double d1 = net.fd(n1), d2 = net.fd(n2);
    // End densities and viscosities; the upstream end of a link drawing a
    // separated phase is taken at the link's quality.
    auto end_state = [&](int n, int end, bool upstream, double& rho, double& mu) {
      const int code = net.fluid_code(n), node = net.global(n);
      const double x = net.lvq(k);
      if (upstream && net.psflags(end, k) != 0 && std::fabs(x - net.vq(n)) >= kFlTiny) {
        rho = XRHO(net.p(n), net.tf(n), x, code, node);
        mu = XVISC(net.p(n), net.tf(n), x, code, node);
      } else {
        rho = w.rho(n);
        mu = XVISC(net.p(n), net.tf(n), net.vq(n), code, node);
      }
    };
    double rho1, mu1, rho2, mu2;
    end_state(n1, 1, m >= 0.0, rho1, mu1);
    end_state(n2, 2, m < 0.0, rho2, mu2);
    const double rhou = m < 0.0 ? rho2 : rho1;
    double zf = net.fz(n1), rhof = rho1;
    if (std::fabs(l1 + l2) >= kFlTiny) {
      zf = (net.fz(n2) * l1 + net.fz(n1) * l2) / (l1 + l2);
      rhof = (rho2 * l1 + rho1 * l2) / (l1 + l2);
    }
    FLFRLS(a1, d1, m, net.ff(n1), mu1, f1);
    FLFRLS(a2, d2, m, net.ff(n2), mu2, f2);
    if (std::fabs(net.gp(k)) < kFlTiny) {
      w.lnkcp(k) = w.lnkc1(k) = w.lnkc2(k) = w.lnkc0(k) = 0.0;
      w.lnkflg(k) = 0;
      continue;
    }
    const double au = m < 0.0 ? a2 : a1;
    const double r = 0.5 * std::fabs(m) / (net.gp(k) * rhou * (au * au));
    const char s1 = net.fstat(n1).c[0], s2 = net.fstat(n2).c[0];
    const double e1 = s1 == 'Q' ? 0.0 : 1.0, e2 = s2 == 'Q' ? 0.0 : 1.0;
    const double g1 = s1 == 'H' ? 0.0 : 1.0, g2 = s2 == 'H' ? 0.0 : 1.0;
    const double a1s = a1 * a1, a2s = a2 * a2;
    double phi1 = e1 != 0.0 ? m / a1s : 0.0;
    double phi2 = e2 != 0.0 ? m / a2s : 0.0;
    if (s1 == 'Q' || s2 == 'Q') {
      double p1 = 0.0, ps1 = 0.0, p2 = 0.0, ps2 = 0.0;
      int other = 0;
      if (m >= 0.0) SMFLX1(net, k, a1, rho1, a2, rho2, p1, ps1, p2, ps2, other);
      else SMFLX2(net, k, a1, rho1, a2, rho2, p1, ps1, p2, ps2, other);
      if (s1 == 'Q') phi1 = rho1 * p1;
      if (s2 == 'Q') phi2 = rho2 * p2;
    }
    double va1, vb1, va2, vb2;
    volume_terms(net, w, n1, va1, vb1);
    volume_terms(net, w, n2, va2, vb2);
    const double inert = q * 0.5 * (g1 * l1 / a1 + g2 * l2 / a2);
    const double u = m / rhof;
    const double dps = net.psrcd(k);
    // Wall friction; a flow too small for the friction law keeps the laminar
    // resistance of the walls.
    const double am = std::fabs(m);
    const double walls = am >= kFrTiny ? (f2 * l2 / (d2 * rho2 * a2s) + f1 * l1 / (d1 * rho1 * a1s)) * am
                                       : fl_wall_flux(f2, m, a2, d2, mu2) * l2 / (d2 * rho2 * a2s) +
                                             fl_wall_flux(f1, m, a1, d1, mu1) * l1 / (d1 * rho1 * a1s);
    const double dn = walls + (phi2 - phi1) * 2.0 / rhof + over_dt(inert) - 0.5 * u * (1.0 / a2s - 1.0 / a1s) + r -
                      dps / rhou;
    if (std::isnan(dn)) {
      fl_fault_resistance("FCMOMK", net, k, dn);
      return;
    }
    double cm;
    if (fl_usable_resistance(m, dn, mindp)) {
      cm = 1.0 / dn;
      w.lnkflg(k) = 1;
    } else {
      cm = 1.0;
      w.lnkflg(k) = -1;
    }
    w.lnkcp(k) = cm;
    w.lnkc2(k) =
        cm * ((a2 * (1.0 - e2) * vb2 + g2 * e2 * over_dt(net.vol(n2)) + u) * u / a2s - (net.fz(n2) - zf) * gz);
    w.lnkc1(k) =
        cm * ((u / a1s) * ((1.0 - e1) * a1 * vb1 + g1 * e1 * over_dt(net.vol(n1)) - u) + gz * (net.fz(n1) - zf));
    w.lnkc0(k) = cm * (u * (rho1 * l1 * e1 * va1 / a1s + rho2 * l2 * e2 * va2 / a2s) + over_dt(inert * w.mold(k)) -
                       over_dt(u) * (g2 * e2 * l2 * w.rhoold(n2) / a2 + g1 * e1 * l1 * w.rhoold(n1) / a1) +
                       net.psrc(k) - m * dps / rhou);
  }
}
