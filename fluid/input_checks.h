// The checks of the fluid-loop inputs where they enter: FINITS, when it
// completes a node, and each fluid-loop solution routine (FLTNTS, FLTNTF,
// FLTMTS, FGENFI), once before it takes work space. An impossible input is
// refused there, with a box naming the node, link or control constant, and
// the run ends (severity 4): left in, it would turn into non-numbers or a
// plainly wrong answer steps later, far from its cause.
//
// Every refusal is a message box of the checking routine (its own name in
// the Reference row) with the same code in every routine:
//
//   21  "Fluid node value is not a finite number"
//   22  "Fluid node value out of range"
//   23  "Fluid node geometry impossible"
//   24  "Mass-flow link joins impossible nodes"
//   25  "Mass-flow link value impossible"
//   26  "Conductor of a fluid node is not a finite number"
//   27  "Thermal node next to a fluid node is not a finite number"
//   28  "<routine>: Control constant DAMPM is not in (0, 1]"
//   29  "<routine>: Control constant <name> is not greater than zero"
//   30  "Fluid node leaves the phase of its quality" (a warning, severity 2,
//       of the phase watch of fluid/node_properties.h)
//
// The same boxes report the faults a solution meets in values it has
// computed itself (the last section below), with codes of their own:
//
//   31  "Mass-flow link resistance is not a number"
//   32  "Hydraulic solution gave a flow that is not a finite number"
//   33  "Hydraulic solution gave a pressure that is not a finite number"
//
// A node message reads "<problem>@<action>@<entity> = <value, G12.6>,
// <requirement>@" with the node's context appended (MESBLD); a link message
// ends in "Link <number within its model> in main model" or "... in model
// <name> (<path>)".
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "fluid/fluid_network.h"

inline constexpr int kFlCheckNotFinite = 21;
inline constexpr int kFlCheckRange = 22;
inline constexpr int kFlCheckGeometry = 23;
inline constexpr int kFlCheckLinkEnds = 24;
inline constexpr int kFlCheckLinkValue = 25;
inline constexpr int kFlCheckConductor = 26;
inline constexpr int kFlCheckThermal = 27;
inline constexpr int kFlCheckDampm = 28;
inline constexpr int kFlCheckStep = 29;
inline constexpr int kFlCheckPhase = 30;
inline constexpr int kFlFaultResistance = 31;
inline constexpr int kFlFaultFlow = 32;
inline constexpr int kFlFaultPressure = 33;

// "Link <n> in main model" or "Link <n> in model <name> (<path>)", n the
// number of link l (1..NL) within the model that owns it: the context of a
// message about a link.
std::string fl_link_context(int l);

// A value as G12.6 writes it, without the blanks around it: the numbers of
// the fluid routines' messages.
std::string fl_g12(double v);

// The box of a message about a fluid node: "<problem>@<what>@<info>@" in
// the messages' field with the context of global node `node` (MESBLD),
// reported with `severity` and `code` naming `routine`.
void fl_node_box(std::string_view routine, int severity, int code, std::string_view problem, std::string_view what,
                 std::string_view info, int node);

// ---- Refusals of one value (the run ends; false if the service returns) --

// Fluid node k: `name` = value is not a finite number (code 21).
bool fl_refuse_not_finite(std::string_view routine, const FlNetwork& net, int k, std::string_view name,
                          double value);
// Fluid node k: `name` = value breaks `requirement` (code 22).
bool fl_refuse_range(std::string_view routine, const FlNetwork& net, int k, std::string_view name, double value,
                     std::string_view requirement);
// Fluid node k: `name` = value gives no flow area, volume or length (code
// 23).
bool fl_refuse_geometry(std::string_view routine, const FlNetwork& net, int k, std::string_view name, double value,
                        std::string_view requirement);

// Each of the values is a finite number (code 21 for the first that is not).
struct FlNamedValue {
  std::string_view name;
  double value;
};
bool fl_require_finite_values(std::string_view routine, const FlNetwork& net, int k,
                              std::initializer_list<FlNamedValue> values);

// ---- Whole checks ------------------------------------------------------------

// Links first..last (1..NL): both ends fluid nodes of the model and two
// different ones (code 24); M, GP, the pressure source and its derivative
// finite, GP not negative (code 25).
bool fl_check_links(std::string_view routine, const FlNetwork& net, int first, int last);

// The inputs a fluid-loop solution routine reads, for every fluid node:
// T, P, FE, VQ, FM, FQ, FD, FL, FLA, VOL finite, and with a mass source (FM
// > 0) FR, FH, FW; for "AIRW" nodes PHI and W finite and not negative; P +
// PABS and T + TABS above zero; VQ in [0, 1] but for "AIRW"; FLA defined and
// above zero, FL not negative; then every link (fl_check_links); then the
// active conductors between fluid nodes and thermal nodes (GL, GR, GF with
// a positive number; thermal neighbours of status "X" are skipped, as the
// solution skips them) finite, and the temperature of each thermal
// neighbour, and the capacitance of one of status "D", finite. True when
// all pass.
bool fl_check_solution_inputs(std::string_view routine, const FlNetwork& net);

// DAMPM in (0, 1] (code 28), for a routine that relaxes flows or the
// condensation rate by it.
bool fl_check_dampm(std::string_view routine);

// A time step that can have a length (code 29): with `dtimei`, the step the
// routine asks for, max(DTMIN, min(DTIMEI, DTMAX)), is above zero (DTIMEI,
// else DTMAX, is named when it is not); without, DTMIN or DTMAX is above
// zero (DTMAX is named).
bool fl_check_step_constants(std::string_view routine, bool dtimei);

// ---- Faults met inside a solution (the run ends) ----------------------------

// The linearised resistance Dn of link l (its pressure drop per unit flow)
// is not a number: a flow, flow area, diameter, roughness, density,
// viscosity or fitting loss of the link or its ends was not a usable
// number. Left in, it would pass for a link without resistance and carry
// whatever flow continuity gives it. Code 31, with the link's flow M and
// fitting loss GP and the link's context.
void fl_fault_resistance(std::string_view routine, const FlNetwork& net, int l, double dn);

// After a pass of the hydraulic solution: every fluid node's pressure P and
// every active link's flow M is a finite number. The first node whose
// pressure is not ends the run (code 33, the node's context; a node whose
// pressure is not held first, since the elimination carries a non-number
// from there into held ones); then the first link whose flow is not (code
// 32, the link's context). True when all are finite.
bool fl_require_finite_hydraulics(std::string_view routine, const FlNetwork& net);
