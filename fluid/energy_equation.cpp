#include "fluid/energy_equation.h"

#include <cmath>
#include <cstdlib>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "fluid/fluid_constants.h"
#include "properties/properties.h"

namespace {

bool holds_enthalpy(const FlNetwork& net, int n) {
  const char c = net.fstat(n).c[0];
  return c == 'K' || c == 'R';
}

// Row of the separation flags and qualities for link k's direction: 1 when
// it draws from its first node (m >= 0), 2 from its second.
int direction(double m) { return m >= 0.0 ? 1 : 2; }

// Quality of a link drawing a separated phase q0 from a node with phase
// figures ph: the share of the available phase when the demand for it is
// larger than the supply.
double separated_quality(double q0, const FgPhases& ph) {
  if (ph.lok == 0) return 1.0 - ph.la * (1.0 - q0) / ph.ld;
  if (ph.vok == 0) return q0 * ph.va / ph.vd;
  return q0;
}

const char* const kBadType = "Unrecognised mass flow link type@Allowed types: momentum, evaporative.";

double square(double x) { return x * x; }

// Temperature of the far end j of a conductor of a fluid node: a thermal
// node, or fluid node j - nt when an inter-model conductor joins two fluid
// nodes.
double conductor_t(const FlNetwork& net, int j) { return j > net.nt ? net.tf(j - net.nt) : net.t(j); }

}  // namespace

FgPhases PHSCHT(const FlNetwork& net, int i, double h, double hl, double hv, double mass) {
  FgPhases ph;
  const double dt = GLOR.DTIMEU;
  double fin = 0.0, hin = 0.0;
  if (net.fm(i) > 0.0) {
    fin = net.fm(i);
    hin = net.fm(i) * net.fh(i);
  }
  LoopGuard guard("PHSCHK");
  for (const FlEntry& e : fl_links(net, i, guard)) {
    const int k = e.link();
    if (!net.link_active(k)) continue;
    const double m = net.m(k), am = std::fabs(m);
    const int type = net.ltype(k);
    if ((m > 0.0 && net.second(k) == i) || (m < 0.0 && net.first(k) == i)) {
      fin += am;
      if (type == 1) hin += am * net.lh(k);
      else if (type == 2) hin += am * hv;
    } else {
      const int d = direction(m);
      if (net.psflags(d, k) != 0 && type == 1) {
        const double q0 = net.psvq(d, k);
        ph.ld += (1.0 - q0) * am * dt;
        ph.vd += q0 * am * dt;
        ph.s = 1;
      }
    }
  }
  if (holds_enthalpy(net, i)) {
    ph.la = ph.va = kFgUnlimited;
    ph.lok = ph.vok = 1;
    if (h < hl || h > hv) ph.s = 0;
    return ph;
  }
  const double mt = fin * dt + mass;
  const double hm = std::fabs(fin) < kFlTiny ? h : (hin * dt + mass * h) / mt;
  double xm = (hm - hl) / (hv - hl);
  if (xm < 0.0) xm = 0.0;
  if (xm > 1.0) xm = 1.0;
  ph.la = (1.0 - xm) * mt;
  ph.va = xm * mt;
  if (hm < hl || hm > hv) {
    ph.s = 0;
    ph.lok = ph.vok = 1;
  } else {
    ph.lok = ph.la - ph.ld >= -kFgPhaseSlack * ph.la ? 1 : 0;
    ph.vok = ph.va - ph.vd >= -kFgPhaseSlack * ph.va ? 1 : 0;
  }
  return ph;
}

void MHXSET(const FlNetwork& net, int i, double hl, double hv, const FgPhases& ph) {
  LoopGuard guard("MHXSET");
  for (const FlEntry& e : fl_links(net, i, guard)) {
    const int k = e.link();
    if (!net.link_active(k)) continue;
    const double m = net.m(k);
    if (!((m >= 0.0 && net.first(k) == i) || (m < 0.0 && net.second(k) == i))) continue;
    const int d = direction(m);
    if (ph.s == 0 || net.psflags(d, k) == 0) {
      net.lh(k) = net.fe(i);
      net.lvq(k) = net.vq(i);
    } else {
      const double xs = separated_quality(net.psvq(d, k), ph);
      net.lvq(k) = xs;
      net.lh(k) = hl + xs * (hv - hl);
    }
  }
}

void FCNGTK(const FlNetwork& net, const FgPass& w) {
  const double dt = GLOR.DTIMEU, gz = GLOR.GRAVZ, tabs = GLOR.TABS, stefan = GLOR.STEFAN;
  for (int i = 1; i <= net.nf; ++i) {
    const int r = w.pos(i), d = w.id(r);
    const int code = net.fluid_code(i), node = net.global(i);
    const double h = net.fe(i), tfl = net.tf(i);
    const double hl = XENTHS(net.p(i), tfl, 0.0, code, node);
    const double hv = XENTHS(net.p(i), tfl, 1.0, code, node);
    const double mass = w.rho(i) * net.vol(i);
    const FgPhases ph = PHSCHT(net, i, h, hl, hv, mass);

    if (holds_enthalpy(net, i)) {
      w.amat(d) = 1.0;
      w.bvec(r) = h;
      MHXSET(net, i, hl, hv, ph);
      continue;
    }

    const double cs = net.fstat(i).c[0] == 'H' ? 0.0 : net.vol(i) / dt;
    const double rho = w.rho(i), a = net.fla(i), len = net.fl(i);
    double diag = cs * rho;
    double b = (net.p(i) - w.pold(i)) * cs + w.hold(i) * cs * rho + net.fq(i);

    // Net outflow of the node (its continuity balance).
    const double fm = net.fm(i);
    double out = -fm;
    if (fm > 0.0) {
      b += net.fh(i) * fm + 0.5 * fm * square(fm / (rho * a));
    } else if (fm < 0.0) {
      diag += std::fabs(fm);
      b -= 0.5 * std::fabs(fm) * square(fm / (rho * a));
    }
    double g = 0.5 * std::fabs(fm), gold = 0.0;

    LoopGuard guard("FCNGTK");
    for (const FlEntry& e : fl_entries(net, i, guard)) {
      const int kind = e.kind, cond = e.cond, j = e.neighbour;
      if (kind == 1) {
        const int k = std::abs(cond);
        if (!net.link_active(k)) continue;
        const double m = net.m(k), am = std::fabs(m);
        const int n1 = net.first(k), n2 = net.second(k);
        // Elevation of the face between the two nodes.
        double zf = net.fz(n1);
        if (std::fabs(net.fl(i)) >= kFlTiny || std::fabs(net.fl(j)) >= kFlTiny)
          zf = net.fz(n1) + (net.fz(n2) - net.fz(n1)) * net.fl(n1) / (net.fl(n1) + net.fl(n2));
        // Displacement of the face by a node whose length follows its volume.
        double disp = 0.0;
        if (net.vcf(i).c[0] == 'L') {
          double rhof = rho;
          if (std::fabs(len) >= kFlTiny || std::fabs(net.fl(j)) >= kFlTiny)
            rhof = (w.rho(j) * len + rho * net.fl(j)) / (net.fl(j) + len);
          disp = 0.5 * rhof * w.vrate(i);
        }
        g += 0.5 * am;
        gold += 0.5 * std::fabs(w.mold(k));
        const int type = net.ltype(k);
        const double dz = (zf - net.fz(i)) * gz;
        if ((m >= 0.0 && i == n2) || (m < 0.0 && i != n2)) {
          const double q = am - disp;
          out -= q;
          if (type == 1) {
            const double uj = am / (w.rho(j) * net.fla(j));
            b += am * (dz + 0.5 * uj * uj);
            const int dj = m > 0.0 ? 1 : (m < 0.0 ? 2 : 0);
            if (dj != 0 && net.psflags(dj, k) != 0 && std::fabs(net.lvq(k) - net.vq(j)) >= kFlTiny) {
              b += q * net.lh(k);
            } else if (holds_enthalpy(net, j)) {
              b += q * net.fe(j);
            } else {
              w.amat(d - r + w.pos(j)) -= q;
            }
          } else if (type == 2) {
            b += q * hv;
          } else {
            SETERX(kBadType, 4, 1, "FCNGTK");
            return;
          }
        } else {
          const double qo = am + disp;
          out += qo;
          const int dk = direction(m);
          if (ph.s == 0 || net.psflags(dk, k) == 0) {
            diag += qo;
            net.lh(k) = h;
            net.lvq(k) = net.vq(i);
          } else {
            const double xs = separated_quality(net.psvq(dk, k), ph);
            net.lvq(k) = xs;
            net.lh(k) = hl + xs * (hv - hl);
            b -= net.lh(k) * qo;
          }
          if (type == 1) b -= am * (dz + 0.5 * square(am / (rho * a)));
        }
      } else if (kind == 2) {
        const int c = std::abs(cond);
        if (net.glacts(c).c[0] == 'A') b += (conductor_t(net, j) - tfl) * net.gl(c);
      } else if (kind == 3) {
        const int c = std::abs(cond);
        if (net.gracts(c).c[0] == 'A') {
          const double tj = conductor_t(net, j) + tabs, ti = tfl + tabs;
          b += (((tj * tj) * tj) * tj - ((ti * ti) * ti) * ti) * net.gr(c) * stefan;
        }
      } else if (kind == 4) {
        if (cond > 0 && net.gfacts(cond).c[0] == 'A') b += (conductor_t(net, j) - tfl) * net.gf(cond);
      } else {
        break;
      }
    }
    // Kinetic energy stored over the step.
    gold += 0.5 * std::fabs(w.fmold(i));
    b -= 0.5 * cs * (g * g / (rho * (a * a)) - gold * gold / (square(w.flaold(i)) * w.rhoold(i)));

    const double dd = diag - out;
    if (std::fabs(dd) < kFlTiny) {
      w.amat(d) = 1.0;
      w.bvec(r) = h;
    } else {
      w.amat(d) = dd;
      w.bvec(r) = b;
    }
  }
}
