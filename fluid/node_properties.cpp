#include "fluid/node_properties.h"

#include <algorithm>
#include <cmath>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "fluid/fluid_state.h"
#include "properties/properties.h"

void SNFE(const FlNetwork& net, FlReals x) {
  LoopGuard guard("SNFE");
  for (int i = 1; i <= net.nf; ++i) {
    guard.pass();
    const int f = net.fluid_code(i), node = net.global(i);
    // For humid air the quality argument of the property functions is the
    // humidity ratio: its enthalpy is that at the node's own W, not at the
    // phase value of the state pair.
    x(i) = net.ftypes(i) == "AIRW" ? net.w(i) : XGXPT(net.p(i), net.tf(i), f, node);
    net.fe(i) = XENTH(net.p(i), net.tf(i), x(i), f, node);
  }
}

void SCPRHO(const FlNetwork& net, FlReals rho, FlReals cp) {
  LoopGuard guard("SCPRHO");
  for (int i = 1; i <= net.nf; ++i) {
    guard.pass();
    const int f = net.fluid_code(i), node = net.global(i);
    cp(i) = XCP(net.p(i), net.tf(i), net.vq(i), f, node);
    rho(i) = XRHO(net.p(i), net.tf(i), net.vq(i), f, node);
  }
}

void SGMCIM(const FlNetwork& net, FlCReals cp) {
  for (int l = 1; l <= net.nl; ++l) {
    const int a = net.first(l), b = net.second(l);
    net.lcond(l) = (cp(a) + cp(b)) * 0.5 * std::fabs(net.m(l));
  }
}

void SGCOIM(const FlNetwork& net, FlCReals rho, double& dtcour) {
  const double minflo = GLOR.MINFLO;
  for (int l = 1; l <= net.nl; ++l) {
    const int a = net.first(l), b = net.second(l);
    const double flow = std::fabs(net.m(l));
    const double t = (rho(a) + rho(b)) * 0.5 * (net.fl(a) + net.fl(b)) * 0.5 * std::min(net.fla(a), net.fla(b)) /
                     (flow > minflo ? flow : minflo);
    if (t < dtcour) dtcour = t;
  }
}
