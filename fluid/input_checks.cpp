#include "fluid/input_checks.h"

#include <cstdlib>
#include <string>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "fluid/non_finite.h"
#include "modeldata/global_arrays.h"
#include "modeldata/submodel_refs.h"
#include "platform/format.h"
#include "properties/properties.h"

namespace {

// Field of the messages: room for the longest submodel path of a context.
constexpr std::size_t kMessageLength = 600;
constexpr int kHumidAir = 4;

// What the routine was doing: FINITS completes nodes, the solution routines
// check before they start.
std::string action(std::string_view routine) {
  if (routine == "FINITS") return "Initialising the fluid state";
  return "Checking the inputs of " + std::string(routine);
}

}  // namespace

void fl_node_box(std::string_view routine, int severity, int code, std::string_view problem, std::string_view what,
                 std::string_view info, int node) {
  std::string msg = std::string(problem) + "@" + std::string(what) + "@" + std::string(info) + "@";
  msg.resize(kMessageLength, ' ');
  MESBLD(node, plat::TextRef(msg));
  SETERX(msg, severity, code, routine);
}

// A value as G12.6 writes it, without the blanks around it.
std::string fl_g12(double v) {
  plat::Text<12> t;
  plat::write_internal(t, "(G12.6)", v);
  std::string_view s = t.trimmed();
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return std::string(s);
}

std::string fl_link_context(int l) {
  const int m = CDSSMD(l, 5);
  std::string text = "Link " + std::to_string(l - md_massflowlinkbase(m));
  if (m <= 1) return text + " in main model";
  plat::Text<256> path;
  int len = 0, ierr = 0;
  LSUBMD("ALL", m, len, plat::TextRef(path), ierr);
  return text + " in model " + std::string(gar_modelnames(m).trimmed()) + " (" + std::string(path.trimmed()) + ")";
}

namespace {

bool link_box(std::string_view routine, int code, std::string_view problem, std::string_view info, int l) {
  std::string msg =
      std::string(problem) + "@" + action(routine) + "@" + std::string(info) + "@" + fl_link_context(l);
  msg.resize(kMessageLength, ' ');
  SETERX(msg, 4, code, routine);
  return false;
}

// A refusal of a fluid node's input.
bool refuse_node(std::string_view routine, int code, std::string_view problem, std::string_view info, int node) {
  fl_node_box(routine, 4, code, problem, action(routine), info, node);
  return false;
}

// The user number of fluid node k for a message, or a note that there is
// none.
std::string fluid_node_text(const FlNetwork& net, int k) {
  if (k >= 1 && k <= net.nf) return "node " + std::to_string(net.nums(k));
  return "no fluid node (index " + std::to_string(k) + " of " + std::to_string(net.nf) + ")";
}

}  // namespace

// ---- Refusals of one value ---------------------------------------------------

bool fl_refuse_not_finite(std::string_view routine, const FlNetwork& net, int k, std::string_view name,
                          double value) {
  return refuse_node(routine, kFlCheckNotFinite, "Fluid node value is not a finite number",
                     std::string(name) + " = " + fl_g12(value), net.global(k));
}

bool fl_refuse_range(std::string_view routine, const FlNetwork& net, int k, std::string_view name, double value,
                     std::string_view requirement) {
  return refuse_node(routine, kFlCheckRange, "Fluid node value out of range",
                     std::string(name) + " = " + fl_g12(value) + ", " + std::string(requirement), net.global(k));
}

bool fl_refuse_geometry(std::string_view routine, const FlNetwork& net, int k, std::string_view name, double value,
                        std::string_view requirement) {
  return refuse_node(routine, kFlCheckGeometry, "Fluid node geometry impossible",
                     std::string(name) + " = " + fl_g12(value) + ", " + std::string(requirement), net.global(k));
}

bool fl_require_finite_values(std::string_view routine, const FlNetwork& net, int k,
                              std::initializer_list<FlNamedValue> values) {
  for (const FlNamedValue& v : values)
    if (fl_not_finite(v.value)) return fl_refuse_not_finite(routine, net, k, v.name, v.value);
  return true;
}

// ---- Whole checks ------------------------------------------------------------

bool fl_check_links(std::string_view routine, const FlNetwork& net, int first, int last) {
  for (int l = first; l <= last; ++l) {
    const int a = net.first(l), b = net.second(l);
    const bool a_ok = a >= 1 && a <= net.nf, b_ok = b >= 1 && b <= net.nf;
    if (!a_ok || !b_ok) {
      const std::string info = "First end " + fluid_node_text(net, a) + ", second end " + fluid_node_text(net, b) +
                               ": both ends must be fluid nodes of the model";
      return link_box(routine, kFlCheckLinkEnds, "Mass-flow link joins impossible nodes", info, l);
    }
    if (a == b)
      return link_box(routine, kFlCheckLinkEnds, "Mass-flow link joins impossible nodes",
                      "Both ends are " + fluid_node_text(net, a) + ": a link joins two different fluid nodes", l);
    const FlNamedValue values[] = {
        {"M", net.m(l)}, {"GP", net.gp(l)}, {"Pressure source", net.psrc(l)}, {"Its derivative", net.psrcd(l)}};
    for (const FlNamedValue& v : values)
      if (fl_not_finite(v.value))
        return link_box(routine, kFlCheckLinkValue, "Mass-flow link value impossible",
                        std::string(v.name) + " = " + fl_g12(v.value) + ", must be a finite number", l);
    if (net.gp(l) < 0.0)
      return link_box(routine, kFlCheckLinkValue, "Mass-flow link value impossible",
                      "GP = " + fl_g12(net.gp(l)) + ", a fitting loss must not be negative", l);
  }
  return true;
}

namespace {

bool check_node(std::string_view routine, const FlNetwork& net, int k) {
  if (!fl_require_finite_values(routine, net, k,
                                {{"T", net.tf(k)},
                                 {"P", net.p(k)},
                                 {"FE", net.fe(k)},
                                 {"VQ", net.vq(k)},
                                 {"FM", net.fm(k)},
                                 {"FQ", net.fq(k)},
                                 {"FD", net.fd(k)},
                                 {"FL", net.fl(k)},
                                 {"FLA", net.fla(k)},
                                 {"VOL", net.vol(k)}}))
    return false;
  if (net.fm(k) > 0.0 &&
      !fl_require_finite_values(routine, net, k, {{"FR", net.fr(k)}, {"FH", net.fh(k)}, {"FW", net.fw(k)}}))
    return false;
  const int fluid = net.fluid_code(k);
  if (fluid == kHumidAir) {
    if (!fl_require_finite_values(routine, net, k, {{"PHI", net.phi(k)}, {"W", net.w(k)}})) return false;
    if (net.phi(k) < 0.0) return fl_refuse_range(routine, net, k, "PHI", net.phi(k), "must not be negative");
    if (net.w(k) < 0.0) return fl_refuse_range(routine, net, k, "W", net.w(k), "must not be negative");
  } else if (net.vq(k) < 0.0 || net.vq(k) > 1.0) {
    return fl_refuse_range(routine, net, k, "VQ", net.vq(k), "must lie between 0 and 1");
  }
  if (!(net.p(k) + net.pabs() > 0.0))
    return fl_refuse_range(routine, net, k, "P", net.p(k), "P + PABS must be above zero");
  if (!(net.tf(k) + net.tabs() > 0.0))
    return fl_refuse_range(routine, net, k, "T", net.tf(k), "T + TABS must be above zero");
  if (SDUNDF(net.fla(k)))
    return refuse_node(routine, kFlCheckGeometry, "Fluid node geometry impossible",
                       "FLA is not defined: FINITS has not completed the node", net.global(k));
  if (!(net.fla(k) > 0.0)) return fl_refuse_geometry(routine, net, k, "FLA", net.fla(k), "must be above zero");
  if (net.fl(k) < 0.0) return fl_refuse_geometry(routine, net, k, "FL", net.fl(k), "must not be negative");
  return true;
}

bool conductor_box(std::string_view routine, std::string_view kind, double g, int thermal, const FlNetwork& net,
                   int k) {
  return refuse_node(
      routine, kFlCheckConductor, "Conductor of a fluid node is not a finite number",
      std::string(kind) + " = " + fl_g12(g) + " on the conductor to node " + std::to_string(NODNUM(thermal)),
      net.global(k));
}

bool thermal_box(std::string_view routine, std::string_view name, double v, int thermal) {
  return refuse_node(routine, kFlCheckThermal, "Thermal node next to a fluid node is not a finite number",
                     std::string(name) + " = " + fl_g12(v), thermal);
}

// The conductors of fluid node k to thermal nodes and those nodes.
bool check_thermal_side(std::string_view routine, const FlNetwork& net, int k) {
  LoopGuard guard(routine);
  for (const FlEntry& e : fl_entries(net, k, guard)) {
    const int kind = e.kind, cond = e.cond, nb = e.neighbour;
    if (kind == 1) continue;
    double g = 0.0;
    const char* name = "GL";
    if (kind == 2) {
      const int c = std::abs(cond);
      if (net.glacts(c).c[0] != 'A') continue;
      g = net.gl(c);
    } else if (kind == 3) {
      const int c = std::abs(cond);
      if (net.gracts(c).c[0] != 'A') continue;
      g = net.gr(c);
      name = "GR";
    } else {
      if (cond <= 0 || net.gfacts(cond).c[0] != 'A') continue;
      g = net.gf(cond);
      name = "GF";
    }
    if (fl_not_finite(g)) return conductor_box(routine, name, g, nb, net, k);
    // A neighbour above NT is a fluid node, checked as one.
    if (nb > net.nt) continue;
    if (fl_not_finite(net.t(nb))) return thermal_box(routine, "T", net.t(nb), nb);
    if (net.tstat(nb).c[0] == 'D' && fl_not_finite(net.cap(nb))) return thermal_box(routine, "C", net.cap(nb), nb);
  }
  return true;
}

}  // namespace

bool fl_check_solution_inputs(std::string_view routine, const FlNetwork& net) {
  for (int k = 1; k <= net.nf; ++k)
    if (!check_node(routine, net, k)) return false;
  if (!fl_check_links(routine, net, 1, net.nl)) return false;
  for (int k = 1; k <= net.nf; ++k)
    if (!check_thermal_side(routine, net, k)) return false;
  return true;
}

bool fl_check_dampm(std::string_view routine) {
  const double d = GLOR.DAMPM;
  if (d > 0.0 && d <= 1.0 && !SDUNDF(d)) return true;
  const std::string r(routine);
  std::string text =
      r + ": Control constant DAMPM is not in (0, 1]@DAMPM = " + (SDUNDF(d) ? std::string("undefined") : fl_g12(d)) +
      ", the relaxation of the flows and of the condensation rate; see User Manual description of " + r +
      " for a list of control constants";
  text.resize(kMessageLength, ' ');
  SETERX(text, 4, kFlCheckDampm, r);
  return false;
}

bool fl_check_step_constants(std::string_view routine, bool dtimei) {
  const char* name = nullptr;
  if (!(GLOR.DTMIN > 0.0)) {
    if (dtimei && !(GLOR.DTIMEI > 0.0)) name = "DTIMEI";
    else if (!(GLOR.DTMAX > 0.0)) name = "DTMAX";
  }
  if (name == nullptr) return true;
  const std::string r(routine);
  std::string text = r + ": Control constant " + name +
                     " is not greater than zero@With DTMIN not greater than zero either, the time step would have "
                     "no length; see User Manual description of " +
                     r + " for a list of control constants";
  text.resize(kMessageLength, ' ');
  SETERX(text, 4, kFlCheckStep, r);
  return false;
}

// ---- Faults met inside a solution -------------------------------------------

namespace {

// "<problem>@<what>@<info>@" and the context of link l.
void link_fault(std::string_view routine, int code, std::string_view problem, std::string_view what,
                std::string_view info, int l) {
  std::string msg =
      std::string(problem) + "@" + std::string(what) + "@" + std::string(info) + "@" + fl_link_context(l);
  msg.resize(kMessageLength, ' ');
  SETERX(msg, 4, code, routine);
}

constexpr std::string_view kSolvingFlows = "Solving the flows and pressures of the fluid network";

}  // namespace

void fl_fault_resistance(std::string_view routine, const FlNetwork& net, int l, double dn) {
  link_fault(routine, kFlFaultResistance, "Mass-flow link resistance is not a number",
             "Linearising the flow of the link",
             "Dn = " + fl_g12(dn) + " with M = " + fl_g12(net.m(l)) + ", GP = " + fl_g12(net.gp(l)) +
                 ": a flow area, diameter, density, viscosity or fitting loss of the link is not a usable number",
             l);
}

bool fl_require_finite_hydraulics(std::string_view routine, const FlNetwork& net) {
  // A free node first: a held one is only reached through the elimination.
  for (const bool held : {false, true}) {
    for (int k = 1; k <= net.nf; ++k) {
      const char st = net.fstat(k).c[0];
      if ((st == 'J' || st == 'R') != held || !fl_not_finite(net.p(k))) continue;
      fl_node_box(routine, 4, kFlFaultPressure, "Hydraulic solution gave a pressure that is not a finite number",
                  kSolvingFlows, "P = " + fl_g12(net.p(k)), net.global(k));
      return false;
    }
  }
  for (int l = 1; l <= net.nl; ++l) {
    if (!net.link_active(l) || !fl_not_finite(net.m(l))) continue;
    link_fault(routine, kFlFaultFlow, "Hydraulic solution gave a flow that is not a finite number", kSolvingFlows,
               "M = " + fl_g12(net.m(l)), l);
    return false;
  }
  return true;
}
