#include "fluid/pressure_equation.h"

#include <cstdlib>

#include "core/control_constants.h"
#include "core/diagnostics.h"

namespace {

// Density constant of node n: its new density is rho_const + drdp p.
double rho_const(const FlNetwork& net, const FgPass& w, int n) {
  return (w.hnew(n) - net.fe(n)) * w.drdh(n) + w.rho(n) - net.p(n) * w.drdp(n);
}

}  // namespace

void FGFIPS(const FlNetwork& net, const FgPass& w) {
  for (int i = 1; i <= net.nf; ++i) {
    const int r = w.pos(i);
    if (net.pressure_held(i)) {
      w.amat(w.id(r)) = 1.0;
      w.bvec(r) = net.p(i);
    } else {
      FSUMGP(net, w, i);
    }
  }
  if (w.loopflag == 0) return;
  LoopGuard guard("FGFIPS");
  for (int g = 1; g <= w.nlp; ++g) {
    const int e = w.loopend(g);
    const int s = g == 1 ? 1 : w.loopend(g - 1) + 1;
    bool held = false;
    for (int q = s; q <= e && !held; ++q) {
      guard.pass();
      held = net.pressure_held(w.perm(q));
    }
    if (held) continue;
    const int de = w.id(e);
    double b = 0.0;
    for (int q = w.jl(e); q <= e; ++q) {
      guard.pass();
      const int n = w.perm(q);
      w.amat(de - e + q) = -w.drdp(n) * net.vol(n);
      b += net.vol(n) * rho_const(net, w, n);
    }
    w.bvec(e) = b - w.loopmass(g);
  }
}

void FSUMGP(const FlNetwork& net, const FgPass& w, int i) {
  const int r = w.pos(i), d = w.id(r);
  const double rho = w.rho(i);
  const double v = net.vol(i) / GLOR.DTIMEU;
  const double s = net.cmp(i) * rho;
  if (net.fstat(i).c[0] == 'H' || w.loopflag != 0) {
    w.amat(d) = v * s;
    w.bvec(r) = v * s * w.pold(i) - rho * net.vdt(i) + net.fm(i);
  } else {
    w.amat(d) = (s + w.drdp(i)) * v;
    w.bvec(r) = v * (w.rhoold(i) - rho_const(net, w, i) + w.pold(i) * s) + net.fm(i) - rho * net.vdt(i);
  }
  LoopGuard guard("FSUMGP");
  for (const FlEntry& e : fl_links(net, i, guard)) {
    const int j = e.neighbour;
    const int k = e.link();
    if (!net.link_active(k)) continue;
    const int q = w.pos(j);
    const int off = d - r + q;
    const double cp = w.lnkcp(k), c1 = w.lnkc1(k), c2 = w.lnkc2(k), c0 = w.lnkc0(k);
    const int type = net.ltype(k);
    const bool into = net.second(k) == i;
    if (type == 1) {
      if (into) {
        w.amat(d) += cp - c2 * w.drdp(i);
        w.bvec(r) += c0 + c2 * rho_const(net, w, i) + c1 * rho_const(net, w, j);
        if (net.pressure_held(j)) w.bvec(r) += net.p(j) * (cp + w.drdp(j) * c1);
        else w.amat(off) -= cp + w.drdp(j) * c1;
        if (w.lnkflg(k) == -1) w.bvec(r) -= net.m(k);
      } else {
        w.amat(d) += cp + c1 * w.drdp(i);
        w.bvec(r) -= c0 + c2 * rho_const(net, w, j) + c1 * rho_const(net, w, i);
        if (net.pressure_held(j)) w.bvec(r) += net.p(j) * (cp - c2 * w.drdp(j));
        else w.amat(off) += c2 * w.drdp(j) - cp;
        if (w.lnkflg(k) == -1) w.bvec(r) += net.m(k);
      }
    } else if (type == 2) {
      if (into) {
        w.amat(d) += cp;
        w.bvec(r) += c0;
      } else {
        w.amat(off) -= cp;
        w.bvec(r) -= c0;
      }
    } else {
      SETERX("Unrecognised mass flow link type@Allowed types: momentum, evaporative.", 4, 1, "FSUMGP");
      return;
    }
  }
}
