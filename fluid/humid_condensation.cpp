// Humid air: relative humidity and humidity ratio, condensation onto cold
// walls, and the humidity update after a step.
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "fluid/fluid_constants.h"
#include "fluid/humid_air.h"
#include "model/generated_program.h"
#include "properties/properties.h"

namespace {

inline bool humid(const FlNetwork& net, int k) { return net.ftypes(k) == "AIRW"; }

}  // namespace

void HUMRSP(const FlNetwork& net, int mode, FlCReals tf) {
  const int water = FTYPEI("WATER");
  const double pabs = net.pabs();
  LoopGuard guard("HUMRSP");
  for (int k = 1; k <= net.nf; ++k) {
    guard.pass();
    if (!humid(net, k)) continue;
    const int node = net.global(k);
    const double ps = XPRESS(tf(k), water, node) + pabs;
    const double p = net.p(k) + pabs;
    // Water has no saturation pressure at or below absolute zero: neither
    // conversion has a meaning there.
    if (!(ps > 0.0)) {
      fl_node_fatal(
          "HUMRSP: No saturation pressure of water at the temperature of a humid-air node@Converting between "
          "relative humidity and humidity ratio@Check the temperature of the node",
          node, 1, "HUMRSP");
    }
    if (mode != 0) {
      // The vapour pressure PHI ps must stay below the node's pressure: at
      // or above it the humidity ratio would be infinite or negative.
      const double rest = p - net.phi(k) * ps;
      if (!(rest > 0.0)) {
        fl_node_fatal(
            "HUMRSP: Vapour pressure not below the pressure of a humid-air node@Converting relative humidity to "
            "humidity ratio@PHI x saturation pressure reaches the node pressure; check PHI, P and T of the node",
            node, 2, "HUMRSP");
      }
      net.w(k) = kFlWaterAirRatio * net.phi(k) * ps / rest;
    } else {
      net.phi(k) = p * net.w(k) / (ps * (net.w(k) + kFlWaterAirRatio));
    }
  }
}

void CNDNSE(const FlNetwork& net, double g, FlCReals t, FlCReals tf, FlReals r1, FlReals r2) {
  for (int n = 1; n <= net.nt; ++n) r2(n) = 0.0;
  const int water = FTYPEI("WATER");
  const double pabs = net.pabs();
  const double g2 = g * g;
  LoopGuard guard("CNDNSE");
  for (int k = 1; k <= net.nf; ++k) {
    guard.pass();
    double m = 0.0;
    if (humid(net, k)) {
      const int node = net.global(k);
      const double p = net.p(k) + pabs, w = net.w(k);
      for (const FlEntry& e : fl_entries(net, k, guard, 2)) {
        if (e.kind < 2) continue;
        const int nb = e.neighbour;
        const int c = e.link();
        // Inactive conductors carry nothing; a GL to another fluid node (an
        // inter-model conductor, listed as nt + its fluid index) is no wall.
        if (net.glacts(c).c[0] != 'A' || nb > net.nt) continue;
        const double pv = p * w / (w + kFlWaterAirRatio) - pabs;
        const double td = XTEMPS(pv, water, node);
        if (!(td > t(nb))) continue;
        const double cp = XCP(net.p(k), tf(k), w, net.fluid_code(k), node);
        const double pw = XPRESS(t(nb), water, node);
        const double mc = net.gl(c) / (p * cp) * (pv - pw);
        const double hv = XENTHS(pv, tf(k), 1.0, water, node);
        const double hl = XENTHS(pv, tf(k), 0.0, water, node);
        r2(nb) += (hv - hl) * mc;
        m += mc;
      }
    }
    r1(k) = r1(k) * (1.0 - g2) + m * g2;
  }
}

void HMDIPT(const FlNetwork& net, double g, double dt, FlCReals vdot, FlCReals rho, FlCReals t, FlCReals tf,
            FlReals r1, FlReals r2, FlReals qnew, FlReals qold) {
  const int nf = net.nf;
  // The fractions of the step's start come from the humidity ratios the
  // nodes hold now.
  HUMFSP(nf, 0, qold, net.w);
  fl_copy(nf, qold, qnew);
  STSOLT("HUMID");
  const int limit = GLOI.NLOOP;
  double previous = 0.0;
  int passes = 0;
  LoopGuard guard("HMDIPT");
  for (;;) {
    guard.pass();
    V10001();
    WVMCON(net, dt, vdot, r1, rho, 1, qold, qnew);
    HUMFSP(nf, 1, qnew, net.w);
    HUMRSP(net, 0, tf);
    if (net.nt != 0) CNDNSE(net, g, t, tf, r1, r2);
    double s = 0.0;
    for (int i = 1; i <= nf; ++i) s += qnew(i);
    ++passes;
    if (nf < 1 || std::fabs(s) <= kFlTiny || std::fabs((s - previous) / s) <= kFlHumidTolerance) return;
    if (passes >= limit) {
      SETERX("HMDIPT: Humidity update not converged in NLOOP passes@The fractions of the last pass are kept", 2, 1,
             "HMDIPT");
      return;
    }
    previous = s;
  }
}

void HMDNTF(const FlNetwork& net, double dt, FlCReals vdot, FlCReals rho, FlCReals t, FlCReals tf, FlReals r1,
            FlReals r2, FlReals qnew, FlReals qold) {
  const int nf = net.nf;
  HUMFSP(nf, 0, qold, net.w);
  STSOLT("HUMID");
  V10001();
  WVMCON(net, dt, vdot, r1, rho, 0, qold, qnew);
  HUMFSP(nf, 1, qnew, net.w);
  HUMRSP(net, 0, tf);
  if (net.nt != 0) CNDNSE(net, 1.0, t, tf, r1, r2);
}

void fl_humidity_carried(const FlNetwork& net) {
  for (int k = 1; k <= net.nf; ++k)
    if (net.ftypes(k) == "AIRW") net.vq(k) = net.w(k);
}
