#include "fluid/state_update.h"

#include <cmath>
#include <limits>

#include "core/control_constants.h"
#include "fluid/fluid_constants.h"
#include "fluid/fluid_state.h"
#include "fluid/non_finite.h"
#include "modeldata/global_arrays.h"
#include "properties/properties.h"

namespace {

bool single_phase(double x) { return std::fabs(x) < kStTiny || std::fabs(1.0 - x) < kStTiny; }

}  // namespace

void FGUPDT(const FlNetwork& net, const FgPass& w, int& converged) {
  converged = 1;
  GLOR.FRLXCC = 0.0;
  GLOI.NFRLXC = 0;
  const double pabs = GLOR.PABS, tabs = GLOR.TABS, dampm = GLOR.DAMPM;
  for (int i = 1; i <= net.nf; ++i) {
    const double p = w.pnew(i), h = w.hnew(i);
    const int code = net.fluid_code(i), node = net.global(i);
    const double x = XGXPH(p, h, code, node);
    net.vq(i) = x;
    double t;
    if (single_phase(x)) {
      t = XTEMP(p, h, x, code, node);
      net.frg(i) = std::fabs(x) >= kStTiny ? "VAP" : "LIQ";
    } else {
      t = XTEMPS(p, code, node);
      net.frg(i) = "HEM";
    }
    net.tf(i) = t;
    XDRHO(h, code, node, pabs, p, x, tabs, t, w.drdh(i), w.drdp(i), w.rho(i));
    const double cp = XCP(p, t, x, code, node);
    double v = std::fabs(h - net.fe(i)) / (dampm * cp);
    // A state that is not a number is no converged state, whatever the
    // comparisons with the tolerance say.
    if (fl_not_finite(v) || fl_not_finite(p) || fl_not_finite(x) || fl_not_finite(t) || fl_not_finite(w.rho(i)) ||
        fl_not_finite(w.drdh(i)) || fl_not_finite(w.drdp(i)))
      v = std::numeric_limits<double>::infinity();
    if (v > GLOR.FRLXCC) {
      GLOR.FRLXCC = v;
      GLOI.NFRLXC = i;
    }
  }
  converged = (GLOR.FRLXCC < GLOR.FRLXCA && GLOR.RELXMC < GLOR.RELXMA) ? 1 : 0;
}

void XDRHO(double h, int ifluid, int node, double pabs, double p, double x, double tabs, double t, double& drdh,
           double& drdp, double& rho) {
  rho = XRHO(p, t, x, ifluid, node);
  if (single_phase(x)) {
    const double cp = XCP(p, t, x, ifluid, node);
    const double mu = XJT(p, t, x, ifluid, node);
    const double kappa = XKT(p, t, x, ifluid, node);
    drdh = -(1.0 + rho * mu * cp) * rho / ((t + tabs) * cp);
    drdp = cp * mu * drdh + rho * kappa;
    return;
  }
  const double rl = XRHOS(p, t, 0.0, ifluid, node);
  const double rv = XRHOS(p, t, 1.0, ifluid, node);
  const double hl = XENTHS(p, t, 0.0, ifluid, node);
  const double hv = XENTHS(p, t, 1.0, ifluid, node);
  drdh = rho * rho * (rv - rl) / ((hv - hl) * rv * rl);
  double delta = kStDpFraction * (pabs + p);
  if (x < kStDpQuality) delta = -delta;
  const double p2 = p + delta;
  const double t2 = XTEMPS(p2, ifluid, node);
  const double hl2 = XENTHS(p2, t2, 0.0, ifluid, node);
  const double hv2 = XENTHS(p2, t2, 1.0, ifluid, node);
  const double x2 = (h - hl2) / (hv2 - hl2);
  const double rho2 = XRHO(p2, t2, x2, ifluid, node);
  drdp = (rho2 - rho) / delta;
}

int SMODND(int i) { return gar_fluidnodemodelnums(i); }
