// The twenty property functions: check the fluid code, turn X into a phase
// and call the dispatch routine of fluid, property and phase, or report the
// request that cannot be served. The normal path is one test of the code, at
// most two comparisons of X and one call; messages are composed only on the
// failure path.
#include <string>

#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "modeldata/submodel_refs.h"
#include "platform/text.h"
#include "properties/dispatch.h"
#include "properties/properties.h"
#include "properties/property_texts.h"

namespace {

using prop_dispatch::Routine;
using prop_dispatch::routine;

constexpr int kHumidAir = 4;
// Message field of the property functions.
constexpr int kMessageLength = 3000;

// ---- Failure path: one fatal diagnostic (severity 4) naming the function,
// with the node context of `node`; 0.0 is returned only if the diagnostic
// service returns.

[[gnu::cold]] [[gnu::noinline]] double report(std::string text, int code, std::string_view function, int node) {
  plat::Text<kMessageLength> msg(text);
  MESBLD(node, msg);
  SETERX(msg.view(), 4, code, function);
  return 0.0;
}

// The name a message gives for an unrecognised code: the fluid name stored
// for `node` when it is a fluid node whose name is itself not a fluid (the
// name the model gave, that FTYPEI could not turn into a code), else the
// name of the code (blanks).
plat::Text<24> unrecognised_name(int ifluid, int node) {
  const int nt = FLAGS(1), nf = FLAGS(32);
  if (node > nt && node <= nt + nf && node - nt <= gar_fluidnodefluidtypes.size()) {
    const plat::Text<24>& stored = gar_fluidnodefluidtypes(node - nt);
    if (FTYPEI(stored.view()) == 0) return stored;
  }
  return FTYPEC(ifluid);
}

[[gnu::cold]] [[gnu::noinline]] double unrecognised(std::string_view function, int code, int ifluid, int node) {
  std::string text("Unrecognised fluid type.@Fluid specified: ");
  text.append(unrecognised_name(ifluid, node).view());
  return report(std::move(text), code, function, node);
}

// `saturation`: the functions ending in S (code 12, "saturation " before the
// property words), else code 2; `phase`: the phase word as it stands.
[[gnu::cold]] [[gnu::noinline]] double undefined(std::string_view function, bool saturation, int kind,
                                                 std::string_view phase, int ifluid, int node) {
  std::string text("Fluid property undefined.@Property required: ");
  if (saturation) text.append("saturation ");
  text.append(prop_text::kPropertyWords[kind - 1]).append(" of ").append(phase).append(" ");
  text.append(FTYPEC(ifluid).view());
  return report(std::move(text), saturation ? 12 : 2, function, node);
}

[[gnu::cold]] [[gnu::noinline]] double invalid_quality(std::string_view function, int kind, int ifluid, int node) {
  std::string text(
      "Invalid input for fluid property.@Vapour quality between 0.0D0 and 1.0D0 specified for saturation ");
  text.append(prop_text::kPropertyWords[kind - 1]).append(" of ").append(FTYPEC(ifluid).view());
  return report(std::move(text), ifluid, function, node);
}

// Phase words of the messages: nine characters for the functions without S,
// six for those with S.
constexpr std::string_view kLiquid9 = "liquid   ", kTwoPhase9 = "two-phase", kVapour9 = "vapour   ",
                           kBlank9 = "         ";
constexpr std::string_view kLiquid6 = "liquid", kVapour6 = "vapour", kBlank6 = "      ";

inline bool valid(int ifluid) { return ifluid >= 1 && ifluid <= prop_dispatch::kFluids; }

// ---- The two algorithms.

// Functions without S: "AIRW" always asks for the gas (vapour) routine;
// otherwise X selects liquid, two-phase or vapour.
template <int Kind>
inline double property(std::string_view function, double p, double t, double h, double x, int ifluid, int node) {
  if (!valid(ifluid)) [[unlikely]]
    return unrecognised(function, 1, ifluid, node);
  int phase;
  if (ifluid == kHumidAir) phase = prop_dispatch::kVapour;
  else if (x <= 0.0) phase = prop_dispatch::kLiquid;
  else if (x >= 1.0) phase = prop_dispatch::kVapour;
  else phase = prop_dispatch::kTwoPhase;
  const Routine r = prop_dispatch::kRoutines[Kind - 1][ifluid - 1][phase - 1];
  if (r == nullptr) [[unlikely]] {
    const std::string_view word = ifluid == kHumidAir               ? kBlank9
                                  : phase == prop_dispatch::kLiquid ? kLiquid9
                                  : phase == prop_dispatch::kVapour ? kVapour9
                                                                    : kTwoPhase9;
    return undefined(function, false, Kind, word, ifluid, node);
  }
  return r(p, t, h, x, ifluid, node);
}

// Functions with S that take X: X strictly between 0 and 1 is refused before
// anything else is looked at; X <= 0 the saturated liquid, X >= 1 the
// saturated vapour.
template <int Kind>
inline double saturation(std::string_view function, double p, double t, double x, int ifluid, int node) {
  if (!valid(ifluid)) [[unlikely]]
    return unrecognised(function, 11, ifluid, node);
  if (x > 0.0 && x < 1.0) [[unlikely]]
    return invalid_quality(function, Kind, ifluid, node);
  const bool liquid = x <= 0.0;
  const Routine r =
      prop_dispatch::kRoutines[Kind - 1][ifluid - 1]
                              [(liquid ? prop_dispatch::kSaturatedLiquid : prop_dispatch::kSaturatedVapour) - 1];
  if (r == nullptr) [[unlikely]]
    return undefined(function, true, Kind, liquid ? kLiquid6 : kVapour6, ifluid, node);
  return r(p, t, 0.0, x, ifluid, node);
}

// The functions without X take the saturation-line routine (phase 2).
template <int Kind>
inline Routine saturation_line(int ifluid) {
  return prop_dispatch::kRoutines[Kind - 1][ifluid - 1][prop_dispatch::kSaturatedLiquid - 1];
}

}  // namespace

using namespace prop_dispatch;

double XRHO(double p, double t, double x, int ifluid, int node) {
  return property<kDensity>("XRHO  ", p, t, 0.0, x, ifluid, node);
}
double XCP(double p, double t, double x, int ifluid, int node) {
  return property<kSpecificHeat>("XCP   ", p, t, 0.0, x, ifluid, node);
}
double XCOND(double p, double t, double x, int ifluid, int node) {
  return property<kConductivity>("XCOND ", p, t, 0.0, x, ifluid, node);
}
double XVISC(double p, double t, double x, int ifluid, int node) {
  return property<kViscosity>("XVISC ", p, t, 0.0, x, ifluid, node);
}
double XENTH(double p, double t, double x, int ifluid, int node) {
  return property<kEnthalpy>("XENTH ", p, t, 0.0, x, ifluid, node);
}
double XTEMP(double p, double h, double x, int ifluid, int node) {
  return property<kTemperature>("XTEMP ", p, 0.0, h, x, ifluid, node);
}
double XPRES(double p, double t, double x, int ifluid, int node) {
  return property<kPressure>("XPRES ", p, t, 0.0, x, ifluid, node);
}
double XJT(double p, double t, double x, int ifluid, int node) {
  return property<kJouleThomson>("XJT   ", p, t, 0.0, x, ifluid, node);
}
double XKT(double p, double t, double x, int ifluid, int node) {
  return property<kCompressibility>("XKT   ", p, t, 0.0, x, ifluid, node);
}

// Surface tension is a saturated-liquid property served only by XSIGS.
double XSIG(double /*p*/, double /*t*/, int ifluid, int node) {
  if (!valid(ifluid)) return unrecognised("XSIG  ", 1, ifluid, node);
  return undefined("XSIG  ", false, kSurfaceTension, ifluid == kHumidAir ? kBlank9 : kLiquid9, ifluid, node);
}

double XRHOS(double p, double t, double x, int ifluid, int node) {
  return saturation<kDensity>("XRHOS ", p, t, x, ifluid, node);
}
double XCPS(double p, double t, double x, int ifluid, int node) {
  return saturation<kSpecificHeat>("XCPS  ", p, t, x, ifluid, node);
}
double XCONDS(double p, double t, double x, int ifluid, int node) {
  return saturation<kConductivity>("XCONDS", p, t, x, ifluid, node);
}
double XVISCS(double p, double t, double x, int ifluid, int node) {
  return saturation<kViscosity>("XVISCS", p, t, x, ifluid, node);
}
double XENTHS(double p, double t, double x, int ifluid, int node) {
  return saturation<kEnthalpy>("XENTHS", p, t, x, ifluid, node);
}
double XJTS(double p, double t, double x, int ifluid, int node) {
  return saturation<kJouleThomson>("XJTS  ", p, t, x, ifluid, node);
}
double XKTS(double p, double t, double x, int ifluid, int node) {
  return saturation<kCompressibility>("XKTS  ", p, t, x, ifluid, node);
}

double XSIGS(double p, double t, int ifluid, int node) {
  if (!valid(ifluid)) [[unlikely]]
    return unrecognised("XSIGS ", 11, ifluid, node);
  const Routine r = saturation_line<kSurfaceTension>(ifluid);
  if (r == nullptr) [[unlikely]]
    return undefined("XSIGS ", true, kSurfaceTension, kLiquid6, ifluid, node);
  return r(p, t, 0.0, 0.0, ifluid, node);
}

double XTEMPS(double p, int ifluid, int node) {
  if (!valid(ifluid)) [[unlikely]]
    return unrecognised("XTEMPS", 11, ifluid, node);
  return saturation_line<kTemperature>(ifluid)(p, 0.0, 0.0, 0.0, ifluid, node);
}

double XPRESS(double t, int ifluid, int node) {
  if (!valid(ifluid)) [[unlikely]]
    return unrecognised("XPRESS", 11, ifluid, node);
  const Routine r = saturation_line<kPressure>(ifluid);
  if (r == nullptr) [[unlikely]]
    return undefined("XPRESS", true, kPressure, kBlank6, ifluid, node);
  return r(0.0, t, 0.0, 0.0, ifluid, node);
}
