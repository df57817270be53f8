#include "fluid/node_properties.h"

#include <algorithm>
#include <cmath>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "fluid/fluid_state.h"
#include "fluid/input_checks.h"
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

namespace {

// The fluid codes of air and humid air, which have no phase to leave.
constexpr int kAir = 3;
constexpr int kHumidAir = 4;

}  // namespace

// ---- The phase a single-phase routine evaluates ---------------------------

void fl_phase_watch_start(FlPhaseWatch& watch, std::string_view routine, const FlNetwork& net) {
  watch.routine = routine;
  watch.warned.assign(static_cast<std::size_t>(net.nf), 0);
}

void fl_watch_phases(const FlNetwork& net, FlCReals x, FlPhaseWatch& watch) {
  for (int k = 1; k <= net.nf; ++k) {
    if (watch.warned[static_cast<std::size_t>(k - 1)] != 0) continue;
    const double vq = net.vq(k);
    const bool vapour_state = x(k) >= 1.0;
    bool other;
    if (vq <= 0.0) other = vapour_state;
    else if (vq >= 1.0) other = !vapour_state;
    else other = true;
    if (!other) continue;
    const int fluid = net.fluid_code(k);
    if (fluid == kAir || fluid == kHumidAir) continue;
    // XGXPT counts the saturation temperature as liquid; a saturated vapour
    // there has not condensed.
    if (vq >= 1.0 && !(net.tf(k) < XTEMPS(net.p(k), fluid, net.global(k)))) continue;
    watch.warned[static_cast<std::size_t>(k - 1)] = 1;
    fl_node_box(
        watch.routine, 2, kFlCheckPhase, "Fluid node leaves the phase of its quality",
        "Solving on with the properties of the phase of VQ: the single-phase solution cannot follow a change "
        "of phase",
        "VQ = " + fl_g12(vq) + ", the state at P = " + fl_g12(net.p(k)) + ", T = " + fl_g12(net.tf(k)) + " is " +
            (vapour_state ? "vapour" : "liquid"),
        net.global(k));
  }
}
