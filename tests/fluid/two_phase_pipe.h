// The two-phase water pipes the FGENFI run tests start from, and the
// two-phase state they give a node.
#pragma once

#include "fluid/fluid_network.h"
#include "properties/properties.h"
#include "support/fluid_model.h"

namespace fluid_test {

// A pipe of n nodes of flow area `area` and length 0.01 m: node 1 "R" at
// 1.0E5 + 40 Pa and quality x, nodes 2..n-1 "F" heated by q each, node n "J"
// at 1.0E5 Pa; links of fitting loss 1.0E-6 (the wall is smooth enough not
// to matter).
inline tna_test::FluidModel pipe(int n, double area, double q) {
  tna_test::FluidModel fm = tna_test::chain(n);
  fm.node(1).status = 'R';
  fm.node(n).status = 'J';
  for (int i = 1; i <= n; ++i) {
    fm.node(i).fd = 0.1;
    fm.node(i).fla = area;
    fm.node(i).fl = 0.01;
    fm.node(i).vol = area * 0.01;
    if (i > 1 && i < n) fm.node(i).fq = q;
  }
  for (int k = 0; k < n - 1; ++k) fm.link_spec(k).gp = 1.0e-6;
  return fm;
}

// A small pipe that converges at once: inlet, one heated node, outlet.
inline tna_test::FluidModel small_pipe() { return pipe(3, 1.0, 100.0); }

// Two-phase state of the built model's fluid node num at pressure p and
// quality x.
inline void two_phase(const FlNetwork& net, const tna_test::FluidModel& fm, int num, double p, double x) {
  const int k = fm.findex(num), code = net.fluid_code(k);
  const double ts = XTEMPS(p, code, 0);
  const double hl = XENTHS(p, ts, 0.0, code, 0), hv = XENTHS(p, ts, 1.0, code, 0);
  net.p(k) = p;
  net.tf(k) = ts;
  net.fe(k) = hl + x * (hv - hl);
  net.vq(k) = x;
  net.frg(k) = "HEM";
}

// Every node of the built model two-phase at quality 0.1, the pressure
// falling by 20 Pa a node down to 1.0E5 Pa at the last.
inline void two_phase_states(const FlNetwork& net, const tna_test::FluidModel& fm) {
  for (int i = 1; i <= net.nf; ++i) two_phase(net, fm, i, 1.0e5 + 20.0 * (net.nf - i), 0.1);
}

}  // namespace fluid_test
