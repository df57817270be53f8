#include "fluid/stability_limits.h"

#include <algorithm>
#include <cmath>

#include "core/diagnostics.h"
#include "fluid/fluid_constants.h"
#include "properties/properties.h"

void FHDYAR(int nl, int nf, int lprof, int& top, int& o1, int& o2, int& o3, int& o4, int& o5, int& o6) {
  const int t = top;
  o4 = t;
  o1 = t;
  o2 = t + lprof;
  o3 = o2 + nf;
  o5 = o3 + nl;
  o6 = o5 + nl;
  top = o6 + nf;
}

void SGCOUR(const FlNetwork& net, double& dtcour) {
  LoopGuard guard("SGCOUR");
  for (int l = 1; l <= net.nl; ++l) {
    guard.pass();
    const double flow = std::fabs(net.m(l));
    if (flow < kFlTiny) continue;
    const int a = net.first(l), b = net.second(l);
    const double rhoa = XRHO(net.p(a), net.tf(a), net.vq(a), net.fluid_code(a), net.global(a));
    const double rhob = XRHO(net.p(b), net.tf(b), net.vq(b), net.fluid_code(b), net.global(b));
    const double t = 0.5 * (net.fl(a) + net.fl(b)) * (0.5 * (rhoa + rhob)) * std::min(net.fla(a), net.fla(b)) / flow;
    if (t < dtcour) dtcour = t;
  }
}
