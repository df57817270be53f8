// Humid air: fraction and ratio conversions, the vapour mass balance around
// the hydraulic solution and the vapour transport of a step.
#include <cmath>
#include <cstdlib>

#include "core/diagnostics.h"
#include "fluid/fluid_constants.h"
#include "fluid/humid_air.h"
#include "fluid/non_finite.h"

int fl_humid_work_words(int nf, bool humid) { return humid ? 2 * nf : 0; }

void HUMFSP(int n, int mode, FlReals q, FlReals w) {
  LoopGuard guard("HUMFSP");
  for (int i = 1; i <= n; ++i) {
    guard.pass();
    if (mode != 0) {
      if (q(i) <= 0.0) w(i) = 0.0;
      else if (std::fabs(1.0 - q(i)) < kFlTiny || q(i) > 1.0) w(i) = kFlHumidityCap;
      else w(i) = q(i) / (1.0 - q(i));
    } else {
      q(i) = w(i) / (w(i) + 1.0);
    }
  }
}

void SFMCON(const FlNetwork& net, FlCReals r1, int mode) {
  LoopGuard guard("SFMCON");
  for (int k = 1; k <= net.nf; ++k) {
    guard.pass();
    if (!(net.ftypes(k) == "AIRW")) continue;
    if (mode == 1) {
      net.vq(k) = net.w(k);
    } else if (mode == 2) {
      net.vq(k) = net.w(k);
      net.fm(k) = (net.fm(k) - r1(k)) - net.sink(k);
    } else if (mode == 3) {
      net.fm(k) = (net.fm(k) + r1(k)) + net.sink(k);
    }
  }
}

void WVMCON(const FlNetwork& net, double dt, FlCReals vdot, FlCReals r1, FlCReals rho, int mix, FlCReals qold,
            FlReals qnew) {
  LoopGuard guard("WVMCON");
  for (int i = 1; i <= net.nf; ++i) {
    guard.pass();
    const char st = net.fstat(i).c[0];
    if (st == 'R') {
      qnew(i) = mix == 0 ? qold(i) : (qold(i) + qnew(i)) * 0.5;
      continue;
    }
    const bool held_pressure = st == 'J';
    double sum = 0.0, g = 0.0;
    for (const FlEntry& e : fl_links(net, i, guard)) {
      const int nb = e.neighbour;
      const int l = e.link();
      if (!net.link_active(l)) continue;
      const double m = net.m(l);
      const bool leaves = (net.first(l) == i && m >= 0.0) || (net.second(l) == i && m < 0.0);
      if (leaves) {
        if (!held_pressure) g += std::fabs(m);
      } else {
        const double qj = mix == 1 ? (qold(nb) + qnew(nb)) * 0.5 : qold(nb);
        sum += qj * std::fabs(m);
        if (held_pressure) g += std::fabs(m);
      }
    }
    const double fm = net.fm(i), fw = net.fw(i);
    if (!held_pressure) {
      if (fm > 0.0) sum += fw * fm / (fw + 1.0);
      else g += std::fabs(fm);
      sum = (sum - r1(i)) - net.sink(i);
    } else if (fm > 0.0) {
      sum += fw * fm / (fw + 1.0);
      g -= fm;
    }
    const bool humid = net.ftypes(i) == "AIRW";
    const double mass = net.vol(i) * rho(i);
    const double before = mass - rho(i) * vdot(i) * dt;
    if (std::fabs(mass) < kFlTiny) {
      // A node that holds no mass stores no vapour: what flows in flows out
      // (sum = g q), as its energy balance is steady. Without a flow through
      // it the fraction stays; vapour that enters such a node and cannot
      // leave has no balance at all.
      if (std::fabs(g) >= kFlTiny) {
        qnew(i) = sum / g;
      } else if (std::fabs(sum) < kFlTiny || !humid) {
        qnew(i) = qold(i);
      } else {
        fl_node_fatal(
            "WVMCON: Water vapour enters a humid-air node without mass that lets nothing out@Balancing the "
            "water vapour of a step@Give the node a volume or an outflow",
            net.global(i), 1, "WVMCON");
      }
    } else if (mix == 1) {
      qnew(i) = (before * qold(i) + (sum - 0.5 * g * qold(i)) * dt) / (mass + 0.5 * g * dt);
    } else {
      qnew(i) = (dt * (sum - g * qold(i)) + before * qold(i)) / mass;
    }
    // Only the fractions of "AIRW" nodes are used.
    if (humid && fl_not_finite(qnew(i))) {
      fl_node_fatal(
          "WVMCON: Vapour fraction of a node is not a number@Balancing the water vapour of a step@Check the volume, "
          "density, flows and sources of the node",
          net.global(i), 2, "WVMCON");
    }
  }
}
