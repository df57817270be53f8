#include "fluid/hydraulics.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "fluid/continuity.h"
#include "fluid/fluid_constants.h"
#include "fluid/input_checks.h"
#include "fluid/momentum.h"
#include "fluid/profile_solver.h"
#include "fluid/state_update.h"
#include "model/generated_program.h"
#include "modeldata/entity_codes.h"
#include "modeldata/global_arrays.h"
#include "properties/properties.h"

namespace {

// Density and viscosity of every node at its pressure, temperature and
// quality.
void node_properties(const FlNetwork& net, const FlHydraulics& w, const char* routine) {
  LoopGuard guard(routine);
  for (int i = 1; i <= net.nf; ++i) {
    guard.pass();
    const int code = net.fluid_code(i), node = net.global(i);
    w.hvisc(i) = XVISC(net.p(i), net.tf(i), net.vq(i), code, node);
    w.hrho(i) = XRHO(net.p(i), net.tf(i), net.vq(i), code, node);
  }
}

// The zero-pivot report of the pressure solution for fluid node k, met in
// solver routine `routine`.
std::string zero_pivot_message(int k, std::string_view routine) {
  char num[32];
  const int len = std::snprintf(num, sizeof num, "%9d", static_cast<int>(gar_fluidnodenums(k)));
  std::string text(GLOC.MODULE.view());
  text.append(": Zero divide in matrix solution for pressure@Error ocurred in routine ")
      .append(routine)
      .append(" : Check boundary node definitions : Model=")
      .append(gar_modelnames(SMODND(k)).view())
      .append(",Node=")
      .append(len > 9 ? std::string(9, '*') : std::string(num));
  text.resize(170, ' ');
  return text;
}

}  // namespace

void FLHYSL(const FlNetwork& net, const FlHydraulics& w, int rate_flag, int& ierr, int& converged, int& passes) {
  converged = 0;
  passes = 0;
  for (int i = 1; i <= net.nf; ++i) w.hpsol(i) = net.p(i);
  node_properties(net, w, "FLHYSL");
  FLHYAS(net, w, rate_flag, ierr, passes);
  converged = GLOR.RELXMA > GLOR.RELXMC ? 1 : 0;
}

void FLHYAS(const FlNetwork& net, const FlHydraulics& w, int rate_flag, int& ierr, int& passes) {
  passes = 0;
  ierr = 0;
  STSOLT("FLUID");
  LoopGuard guard("FLHYAS");
  for (;;) {
    guard.pass();
    ++passes;
    double dmax = 0.0;
    V10001();
    FLHYCF(net, w, rate_flag);
    int node = 0;
    plat::Text<6> routine;
    FHSKSV(w.amat, net.nf, w.ord.lprof, w.bvec, w.hpsol, dmax, node, routine, w.ord);
    if (node != 0) {
      ierr = 1;
      SETERX(zero_pivot_message(node, routine.view()), 4, 1, "FLHYAS");
      break;
    }
    CVOLSP(net, w.hpsol, rate_flag, w.vrate);
    for (int i = 1; i <= net.nf; ++i) net.p(i) = w.hpsol(i);
    FLMSFL(net, w);
    if (!fl_require_finite_hydraulics("FLHYAS", net)) break;
    const int limit = GLOI.NLOOPH;
    const bool first_kept = rate_flag != 0 && passes == 1 && limit >= 2;
    if (!first_kept && (passes >= limit || GLOR.RELXMC < GLOR.RELXMA)) break;
    node_properties(net, w, "FLHYAS");
  }
  STSOLT("");
}

void SFMOFL(const FlNetwork& net, int k, double a1, double rho1, double a2, double rho2, double& alpha1,
            double& beta1, double& alpha2, double& beta2) {
  const double d1 = rho1 * (a1 * a1), d2 = rho2 * (a2 * a2);
  alpha1 = 1.0 / d1;
  alpha2 = 1.0 / d2;
  beta1 = beta2 = 0.0;
  const bool forward = net.m(k) >= 0.0;
  const int u = forward ? net.first(k) : net.second(k);
  const int wn = forward ? net.second(k) : net.first(k);
  const char su = net.fstat(u).c[0], sw = net.fstat(wn).c[0];
  // The upstream end's terms.
  double& alpha_u = forward ? alpha1 : alpha2;
  double& beta_u = forward ? beta1 : beta2;
  double& alpha_w = forward ? alpha2 : alpha1;
  const double du = forward ? d1 : d2;
  if (su == 'Q' && sw == 'S') {
    alpha_u = 0.0;
  } else if (su == 'S' && sw == 'Q') {
    alpha_w = 0.0;
  } else if (su == 'Q') {
    alpha_u = 0.0;
    const int o = fl_other_link(net, u, k, true, "SFMOFL");
    if (o != 0) {
      const double mo = net.m(o);
      if ((mo > 0.0 && net.second(o) == u) || (mo <= 0.0 && net.first(o) == u)) beta_u = mo * mo / du;
    }
  }
}

void FAMATY(const FlNetwork& net, const FlHydraulics& w, int k, double cp, double c0, int flag) {
  const int n1 = net.first(k), n2 = net.second(k);
  const int r1 = w.ord.pos(n1), r2 = w.ord.pos(n2);
  const int d1 = w.ord.id(r1), d2 = w.ord.id(r2);
  const double a = flag == -1 ? net.m(k) : 0.0;
  const bool f1 = net.pressure_held(n1), f2 = net.pressure_held(n2);
  if (f1) {
    w.amat(d1) = 1.0;
    w.bvec(r1) = net.p(n1);
    if (f2) {
      w.amat(d2) = 1.0;
      w.bvec(r2) = net.p(n2);
    } else {
      w.amat(d2) -= cp;
      w.bvec(r2) -= c0 + cp * net.p(n1) + a;
    }
  } else if (f2) {
    w.amat(d1) -= cp;
    w.bvec(r1) += c0 - cp * net.p(n2) + a;
    w.amat(d2) = 1.0;
    w.bvec(r2) = net.p(n2);
  } else {
    w.amat(d1) -= cp;
    w.amat(d1 - r1 + r2) += cp;
    w.amat(d2) -= cp;
    w.amat(d2 - r2 + r1) += cp;
    w.bvec(r1) += c0 + a;
    w.bvec(r2) -= c0 + a;
  }
}

void FLHYCF(const FlNetwork& net, const FlHydraulics& w, int rate_flag) {
  const int nf = net.nf;
  for (int r = 1; r <= nf; ++r) {
    w.amat(w.ord.id(r)) = 0.0;
    w.bvec(r) = 0.0;
  }
  const double mindp = GLOR.MINDP;
  const double gx = GLOR.GRAVX, gy = GLOR.GRAVY, gz = GLOR.GRAVZ;
  double f1 = 0.0, f2 = 0.0;
  for (int k = 1; k <= net.nl; ++k) {
    if (!net.link_active(k)) continue;
    const int n1 = net.first(k), n2 = net.second(k);
    const double m = net.m(k);
    const double rho1 = w.hrho(n1), rho2 = w.hrho(n2);
    const double a1 = net.fla(n1), a2 = net.fla(n2);
    const double l1 = net.fl(n1), l2 = net.fl(n2);
    const double dd1 = net.fd(n1), dd2 = net.fd(n2);
    FLFRLS(a1, dd1, m, net.ff(n1), w.hvisc(n1), f1);
    FLFRLS(a2, dd2, m, net.ff(n2), w.hvisc(n2), f2);
    const double rhou = m > 0.0 ? rho1 : rho2;
    const double au = m > 0.0 ? a1 : a2;
    double cp = 0.0, c0 = 0.0;
    int flag = 0;
    if (!SMINDL(net.gp(k))) {
      double al1 = 0.0, be1 = 0.0, al2 = 0.0, be2 = 0.0;
      SFMOFL(net, k, a1, rho1, a2, rho2, al1, be1, al2, be2);
      double xf = net.fx(n1), yf = net.fy(n1), zf = net.fz(n1);
      if (std::fabs(l1 + l2) >= kFlTiny) {
        const double t = l1 / (l1 + l2);
        xf = net.fx(n1) + (net.fx(n2) - net.fx(n1)) * t;
        yf = net.fy(n1) + (net.fy(n2) - net.fy(n1)) * t;
        zf = net.fz(n1) + (net.fz(n2) - net.fz(n1)) * t;
      }
      const double dps = net.psrcd(k);
      const double a1s = a1 * a1, a2s = a2 * a2;
      const double loss = 1.0 / (2.0 * net.gp(k) * rhou * (au * au));
      const double am = std::fabs(m);
      // Friction and fitting loss; a flow too small for the friction law
      // keeps the laminar resistance of the walls.
      const double resistance =
          am >= kFrTiny ? (f1 * l1 / (rho1 * dd1 * a1s) + f2 * l2 / (rho2 * dd2 * a2s) + loss) * am
                        : fl_wall_flux(f1, m, a1, dd1, w.hvisc(n1)) * l1 / (rho1 * dd1 * a1s) +
                              fl_wall_flux(f2, m, a2, dd2, w.hvisc(n2)) * l2 / (rho2 * dd2 * a2s) + loss * am;
      const double dn = resistance - ((a1s - a2s) / (2.0 * rhou * a1s * a2s) + al1 - al2) * m - dps / rhou;
      if (std::isnan(dn)) {
        fl_fault_resistance("FLHYCF", net, k, dn);
        return;
      }
      if (fl_usable_resistance(m, dn, mindp)) {
        cp = 1.0 / dn;
        flag = 1;
      } else {
        cp = -1.0;
        flag = -1;
      }
      c0 = cp *
           (gz * (rho1 * (net.fz(n1) - zf) - rho2 * (net.fz(n2) - zf)) +
            gy * (rho1 * (net.fy(n1) - yf) - rho2 * (net.fy(n2) - yf)) +
            gx * (rho1 * (net.fx(n1) - xf) - rho2 * (net.fx(n2) - xf)) + be1 - be2 + net.psrc(k) - dps * m / rhou);
    }
    w.hcp(k) = cp;
    w.hc0(k) = c0;
    w.hflg(k) = flag;
    FAMATY(net, w, k, cp, c0, flag);
  }
  for (int r = 1; r <= nf; ++r) {
    const int n = w.ord.perm(r);
    const int d = w.ord.id(r);
    if (SMINDL(w.amat(d))) {
      w.amat(d) = 1.0;
      w.bvec(r) = net.p(n);
    } else if (!net.pressure_held(n)) {
      w.bvec(r) -= net.fm(n);
      if (rate_flag != 0) w.bvec(r) += w.hrho(n) * w.vrate(n);
    }
  }
}

void FLMSFL(const FlNetwork& net, const FlHydraulics& w) {
  GLOR.RELXMC = 0.0;
  GLOI.NRLXMC = 0;
  const double dampm = GLOR.DAMPM, minflo = GLOR.MINFLO, mindp = GLOR.MINDP;
  bool continuity = false;
  for (int k = 1; k <= net.nl; ++k) {
    if (!net.link_active(k)) continue;
    const int flag = w.hflg(k);
    if (flag == 1) {
      const double m = (net.p(net.first(k)) - net.p(net.second(k))) * w.hcp(k) + w.hc0(k);
      MFCHK(k, minflo, m, net.m(k), GLOI.NRLXMC, GLOR.RELXMC);
      net.m(k) = net.m(k) + dampm * (m - net.m(k));
    } else if (flag == 0) {
      MFCHK(k, minflo, 0.0, net.m(k), GLOI.NRLXMC, GLOR.RELXMC);
      net.m(k) = 0.0;
    } else {
      continuity = true;
    }
  }
  if (!continuity) return;
  auto low = [&](int k) { return net.link_active(k) && w.hflg(k) == -1; };
  auto supply = [&](int k, int n) { return MFCONS(net, k, n); };
  auto residual = [&](int k) { return (net.p(net.first(k)) - net.p(net.second(k))) - w.hc0(k); };
  fl_continuity_flows(net, dampm, minflo, mindp, low, supply, residual);
}
