// The table of dispatch routines QPffpp, kind by kind, fluid by fluid, in
// the columns liquid, saturated liquid, two-phase, saturated vapour, vapour.
// Each cell is an adapter that brings the common arguments into the call
// form of one library routine, a two-phase rule, a rule of the gases or of
// the derived properties, or nullptr where the system serves no such
// combination.
#include "properties/dispatch.h"

#include "core/control_constants.h"
#include "properties/library.h"
#include "properties/library_constants.h"
#include "properties/properties.h"

namespace {

// Relative pressure and temperature taken once through the absolute scale.
inline double rel_p(double p) { return (p + GLOR.PABS) - GLOR.PABS; }
inline double rel_t(double t) { return (t + GLOR.TABS) - GLOR.TABS; }
// A temperature or pressure returned by a library routine, on the relative
// scale the same way.
inline double back_t(double t) { return ((t + GLOR.TABS) + 0.0) - GLOR.TABS; }
inline double back_p(double p) { return ((p + GLOR.PABS) + 0.0) - GLOR.PABS; }

// ---- Adapters, one per call form of the library routines.

// (NODE, T', TABS): temperature tables, saturated-liquid densities, PRHO16, PKT15.
template <double (*F)(int, double, double)>
double ByT(double, double t, double, double, int, int node) {
  return F(node, rel_t(t), GLOR.TABS);
}
// (T', TABS): air correlations, surface tension.
template <double (*F)(double, double)>
double Gas(double, double t, double, double, int, int) {
  return F(rel_t(t), GLOR.TABS);
}
// (P', T', NODE): the refrigerant vapour specific heats.
template <double (*F)(double, double, int)>
double ByPT(double p, double t, double, double, int, int node) {
  return F(rel_p(p), rel_t(t), node);
}
// (NODE, PABS, P'): saturation enthalpies, saturated-vapour densities.
template <double (*F)(int, double, double)>
double ByP(double p, double, double, double, int, int node) {
  return F(node, GLOR.PABS, rel_p(p));
}
// (NODE, PABS, P', TABS): saturation temperatures.
template <double (*F)(int, double, double, double)>
double SatT(double p, double, double, double, int, int node) {
  return back_t(F(node, GLOR.PABS, rel_p(p), GLOR.TABS));
}
// (PABS, TABS, T'): saturation pressures.
template <double (*F)(double, double, double)>
double SatP(double, double t, double, double, int, int) {
  return back_p(F(GLOR.PABS, GLOR.TABS, rel_t(t)));
}
// (NODE, PABS, P', TABS, T'): liquid densities off saturation, ammonia vapour density.
template <double (*F)(int, double, double, double, double)>
double NodePT(double p, double t, double, double, int, int node) {
  return F(node, GLOR.PABS, rel_p(p), GLOR.TABS, rel_t(t));
}
// (P', PABS, T', TABS): liquid water density, air density.
template <double (*F)(double, double, double, double)>
double PabsT(double p, double t, double, double, int, int) {
  return F(rel_p(p), GLOR.PABS, rel_t(t), GLOR.TABS);
}
// (PABS, P', TABS, T'): water and refrigerant vapour densities.
template <double (*F)(double, double, double, double)>
double Vapour(double p, double t, double, double, int, int) {
  return F(GLOR.PABS, rel_p(p), GLOR.TABS, rel_t(t));
}
// Enthalpy and temperature off saturation: (P', T', X, IFLUID, NODE) and
// (P', H, X, IFLUID, NODE).
double Hpt(double p, double t, double, double x, int ifluid, int node) {
  return XGHPT1(rel_p(p), rel_t(t), x, ifluid, node);
}
double Tph(double p, double, double h, double x, int ifluid, int node) {
  return back_t(XGTPH1(rel_p(p), h, x, ifluid, node));
}

// ---- Two-phase rules: the saturated-liquid routine SL, then the
// saturated-vapour routine SV of the same kind and fluid (the cells beside
// it in the table), with the caller's arguments.
template <prop_dispatch::Routine SL, prop_dispatch::Routine SV>
double Mix(double p, double t, double h, double x, int ifluid, int node) {
  const double sl = SL(p, t, h, x, ifluid, node);
  const double sv = SV(p, t, h, x, ifluid, node);
  return ((sv - sl) * x) + sl;
}
template <prop_dispatch::Routine SL, prop_dispatch::Routine SV>
double MixRho(double p, double t, double h, double x, int ifluid, int node) {
  const double sl = SL(p, t, h, x, ifluid, node);
  const double sv = SV(p, t, h, x, ifluid, node);
  return 1.0 / (x / sv + (1.0 - x) / sl);
}

// ---- Dry air and humid air ("AIRW", whose X is the specific humidity w).

// Saturated states of the gases: the liquid's enthalpy is the zero, the
// vapour's enthalpy its specific heat times the absolute saturation
// temperature (1 K for dry air, 273.16 K for humid air).
double Zero(double, double, double, double, int, int) { return 0.0; }
double AirSaturatedVapour(double, double, double, double, int, int) { return prop_const::kAirSaturatedVapour; }
double AirSaturationT(double, double, double, double, int, int) { return prop_const::kAirSaturation - GLOR.TABS; }
inline double humid_saturated_cp(double w) {
  return ((prop_const::kHumidAirCpVapour * w) + prop_const::kHumidAirCpAir) / (w + 1.0);
}
double HumidSaturatedCp(double, double, double, double w, int, int) { return humid_saturated_cp(w); }
double HumidSaturatedH(double, double, double, double w, int, int) {
  return humid_saturated_cp(w) * prop_const::kHumidAirSaturation;
}
double HumidSaturationT(double, double, double, double, int, int) {
  return prop_const::kHumidAirSaturation - GLOR.TABS;
}

// Density: the dry air at its partial pressure plus the water vapour at
// its own, p_v = w P / (w + 0.6221) (both passed relative).
double HumidDensity(double p, double t, double, double w, int, int) {
  const double pa = p + GLOR.PABS;
  const double pv = (w * pa) / (w + prop_const::kMolarMassRatio);
  const double rho_a = PRHO00((pa - pv) - GLOR.PABS, GLOR.PABS, rel_t(t), GLOR.TABS);
  const double rho_v = PROS02(GLOR.PABS, pv - GLOR.PABS, GLOR.TABS, rel_t(t));
  return rho_v + rho_a;
}
// Specific heat per kilogram of mixture; conductivity and viscosity by the
// molar-mass weights of air (0.6221) and vapour (w).
double HumidCp(double, double t, double, double w, int, int node) {
  const double ca = PCP00(rel_t(t), GLOR.TABS);
  const double cv = PCP02(node, rel_t(t), GLOR.TABS);
  return ((cv * w) + ca) / (w + 1.0);
}
template <double (*Air)(double, double), double (*Vapour)(int, double, double)>
double HumidMix(double, double t, double, double w, int, int node) {
  const double a = Air(rel_t(t), GLOR.TABS);
  const double v = Vapour(node, rel_t(t), GLOR.TABS);
  return ((v * w) + (a * prop_const::kMolarMassRatio)) / (prop_const::kMolarMassRatio + w);
}

// Gases: no Joule-Thomson effect, the ideal gas's compressibility.
double GasJouleThomson(double, double, double, double, int, int) { return 0.0; }
double GasCompressibility(double p, double, double, double, int, int) { return 1.0 / (p + GLOR.PABS); }

// ---- Derived properties of the two-phase fluids, by one-sided differences
// through the property functions with the caller's X (so a liquid rule
// evaluates the liquid and a vapour rule the vapour).

// Joule-Thomson coefficient -(1 + (T/rho) (drho/dT)_P) / (rho cp), the
// liquid 0.001 K colder (Sign -1), the vapour 0.001 K hotter (Sign +1).
template <int Sign>
double JouleThomson(double p, double t, double, double x, int ifluid, int node) {
  const double delta = Sign * prop_const::kDerivedStep;
  const double tk = t + GLOR.TABS;
  const double rho0 = XRHO(rel_p(p), rel_t(t), x, ifluid, node);
  const double rho1 = XRHO(rel_p(p), (tk + delta) - GLOR.TABS, x, ifluid, node);
  const double cp = XCP(rel_p(p), rel_t(t), x, ifluid, node);
  return -(1.0 + tk * (rho1 - rho0) / (delta * rho0)) / (rho0 * cp);
}
// The saturated vapour: the vapour rule with the quality forced to 1.
double SaturatedJouleThomson(double p, double t, double, double, int ifluid, int node) {
  return XJT(rel_p(p), rel_t(t), 1.0, ifluid, node);
}

// Isothermal compressibility (1/rho) (drho/dP)_T, the liquid at a 0.1 %
// higher pressure (Sign +1), the vapour at a 0.1 % lower one (Sign -1).
template <int Sign>
double Compressibility(double p, double t, double, double x, int ifluid, int node) {
  const double pk = p + GLOR.PABS;
  const double delta = Sign * prop_const::kDerivedStep * pk;
  const double rho0 = XRHO(rel_p(p), rel_t(t), x, ifluid, node);
  const double rho1 = XRHO((pk + delta) - GLOR.PABS, rel_t(t), x, ifluid, node);
  return (rho1 - rho0) / (delta * rho0);
}
// Liquid water: 1.01 / (u^2 rho) with u the speed of sound.
double WaterCompressibility(double p, double t, double, double x, int ifluid, int node) {
  const double u = PSND01(rel_p(p), rel_t(t));
  const double rho = XRHO(rel_p(p), rel_t(t), x, ifluid, node);
  return prop_const::kWaterCompressibilityFactor / ((u * u) * rho);
}

constexpr prop_dispatch::Routine nil = nullptr;

}  // namespace

// clang-format off
const prop_dispatch::Routine prop_dispatch::kRoutines[kKinds][kFluids][kPhases] = {
  // Kind 1, density.
  {
    /* AMMONIA */ {NodePT<PROL15>, ByT<PRHO15>, MixRho<ByT<PRHO15>, ByT<PRHO16>>, ByT<PRHO16>, NodePT<PROS16>},
    /* WATER   */ {PabsT<PROL01>, ByT<PRHO01>, MixRho<ByT<PRHO01>, ByP<PRHO02>>, ByP<PRHO02>, Vapour<PROS02>},
    /* AIR     */ {nil, nil, nil, nil, PabsT<PRHO00>},
    /* AIRW    */ {nil, nil, nil, nil, HumidDensity},
    /* R11     */ {NodePT<PROL03>, ByT<PRHO03>, MixRho<ByT<PRHO03>, ByP<PRHO04>>, ByP<PRHO04>, Vapour<PROS04>},
    /* R114    */ {NodePT<PROL11>, ByT<PRHO11>, MixRho<ByT<PRHO11>, ByP<PRHO12>>, ByP<PRHO12>, Vapour<PROS12>},
    /* R12     */ {NodePT<PROL05>, ByT<PRHO05>, MixRho<ByT<PRHO05>, ByP<PRHO06>>, ByP<PRHO06>, Vapour<PROS06>},
    /* R21     */ {NodePT<PROL07>, ByT<PRHO07>, MixRho<ByT<PRHO07>, ByP<PRHO08>>, ByP<PRHO08>, Vapour<PROS08>},
    /* R22     */ {NodePT<PROL09>, ByT<PRHO09>, MixRho<ByT<PRHO09>, ByP<PRHO10>>, ByP<PRHO10>, Vapour<PROS10>},
    /* R502    */ {NodePT<PROL13>, ByT<PRHO13>, MixRho<ByT<PRHO13>, ByP<PRHO14>>, ByP<PRHO14>, Vapour<PROS14>},
  },
  // Kind 2, specific heat at constant pressure.
  {
    /* AMMONIA */ {ByT<PCP15>, ByT<PCP15>, Mix<ByT<PCP15>, ByT<PCP16>>, ByT<PCP16>, ByT<PCP16>},
    /* WATER   */ {ByT<PCP01>, ByT<PCP01>, Mix<ByT<PCP01>, ByT<PCP02>>, ByT<PCP02>, ByT<PCP02>},
    /* AIR     */ {nil, nil, nil, AirSaturatedVapour, Gas<PCP00>},
    /* AIRW    */ {nil, nil, nil, HumidSaturatedCp, HumidCp},
    /* R11     */ {ByT<PCP03>, ByT<PCP03>, Mix<ByT<PCP03>, ByPT<PCP04>>, ByPT<PCP04>, ByPT<PCP04>},
    /* R114    */ {ByT<PCP11>, ByT<PCP11>, Mix<ByT<PCP11>, ByPT<PCP12>>, ByPT<PCP12>, ByPT<PCP12>},
    /* R12     */ {ByT<PCP05>, ByT<PCP05>, Mix<ByT<PCP05>, ByPT<PCP06>>, ByPT<PCP06>, ByPT<PCP06>},
    /* R21     */ {ByT<PCP07>, ByT<PCP07>, Mix<ByT<PCP07>, ByT<PCP08>>, ByT<PCP08>, ByT<PCP08>},
    /* R22     */ {ByT<PCP09>, ByT<PCP09>, Mix<ByT<PCP09>, ByPT<PCP10>>, ByPT<PCP10>, ByPT<PCP10>},
    /* R502    */ {ByT<PCP13>, ByT<PCP13>, Mix<ByT<PCP13>, ByPT<PCP14>>, ByPT<PCP14>, ByPT<PCP14>},
  },
  // Kind 3, thermal conductivity.
  {
    /* AMMONIA */ {ByT<PCND15>, ByT<PCND15>, Mix<ByT<PCND15>, ByT<PCND16>>, ByT<PCND16>, ByT<PCND16>},
    /* WATER   */ {ByT<PCND01>, ByT<PCND01>, Mix<ByT<PCND01>, ByT<PCND02>>, ByT<PCND02>, ByT<PCND02>},
    /* AIR     */ {nil, nil, nil, nil, Gas<PCND00>},
    /* AIRW    */ {nil, nil, nil, nil, HumidMix<PCND00, PCND02>},
    /* R11     */ {ByT<PCND03>, ByT<PCND03>, Mix<ByT<PCND03>, ByT<PCND04>>, ByT<PCND04>, ByT<PCND04>},
    /* R114    */ {ByT<PCND11>, ByT<PCND11>, Mix<ByT<PCND11>, ByT<PCND12>>, ByT<PCND12>, ByT<PCND12>},
    /* R12     */ {ByT<PCND05>, ByT<PCND05>, Mix<ByT<PCND05>, ByT<PCND06>>, ByT<PCND06>, ByT<PCND06>},
    /* R21     */ {ByT<PCND07>, ByT<PCND07>, Mix<ByT<PCND07>, ByT<PCND08>>, ByT<PCND08>, ByT<PCND08>},
    /* R22     */ {ByT<PCND09>, ByT<PCND09>, Mix<ByT<PCND09>, ByT<PCND10>>, ByT<PCND10>, ByT<PCND10>},
    /* R502    */ {ByT<PCND13>, ByT<PCND13>, Mix<ByT<PCND13>, ByT<PCND14>>, ByT<PCND14>, ByT<PCND14>},
  },
  // Kind 4, dynamic viscosity.
  {
    /* AMMONIA */ {ByT<PVSC15>, ByT<PVSC15>, Mix<ByT<PVSC15>, ByT<PVSC16>>, ByT<PVSC16>, ByT<PVSC16>},
    /* WATER   */ {ByT<PVSC01>, ByT<PVSC01>, Mix<ByT<PVSC01>, ByT<PVSC02>>, ByT<PVSC02>, ByT<PVSC02>},
    /* AIR     */ {nil, nil, nil, nil, Gas<PVSC00>},
    /* AIRW    */ {nil, nil, nil, nil, HumidMix<PVSC00, PVSC02>},
    /* R11     */ {ByT<PVSC03>, ByT<PVSC03>, Mix<ByT<PVSC03>, ByT<PVSC04>>, ByT<PVSC04>, ByT<PVSC04>},
    /* R114    */ {ByT<PVSC11>, ByT<PVSC11>, Mix<ByT<PVSC11>, ByT<PVSC12>>, ByT<PVSC12>, ByT<PVSC12>},
    /* R12     */ {ByT<PVSC05>, ByT<PVSC05>, Mix<ByT<PVSC05>, ByT<PVSC06>>, ByT<PVSC06>, ByT<PVSC06>},
    /* R21     */ {ByT<PVSC07>, ByT<PVSC07>, Mix<ByT<PVSC07>, ByT<PVSC08>>, ByT<PVSC08>, ByT<PVSC08>},
    /* R22     */ {ByT<PVSC09>, ByT<PVSC09>, Mix<ByT<PVSC09>, ByT<PVSC10>>, ByT<PVSC10>, ByT<PVSC10>},
    /* R502    */ {ByT<PVSC13>, ByT<PVSC13>, Mix<ByT<PVSC13>, ByT<PVSC14>>, ByT<PVSC14>, ByT<PVSC14>},
  },
  // Kind 5, surface tension: the saturated liquid only.
  {
    /* AMMONIA */ {nil, Gas<PSIG15>, nil, nil, nil},
    /* WATER   */ {nil, Gas<PSIG01>, nil, nil, nil},
    /* AIR     */ {nil, nil, nil, nil, nil},
    /* AIRW    */ {nil, nil, nil, nil, nil},
    /* R11     */ {nil, Gas<PSIG03>, nil, nil, nil},
    /* R114    */ {nil, Gas<PSIG11>, nil, nil, nil},
    /* R12     */ {nil, Gas<PSIG05>, nil, nil, nil},
    /* R21     */ {nil, Gas<PSIG07>, nil, nil, nil},
    /* R22     */ {nil, Gas<PSIG09>, nil, nil, nil},
    /* R502    */ {nil, Gas<PSIG13>, nil, nil, nil},
  },
  // Kind 6, specific enthalpy.
  {
    /* AMMONIA */ {Hpt, ByP<PETH15>, Mix<ByP<PETH15>, ByP<PETH16>>, ByP<PETH16>, Hpt},
    /* WATER   */ {Hpt, ByP<PETH01>, Mix<ByP<PETH01>, ByP<PETH02>>, ByP<PETH02>, Hpt},
    /* AIR     */ {nil, Zero, nil, AirSaturatedVapour, Hpt},
    /* AIRW    */ {nil, Zero, nil, HumidSaturatedH, Hpt},
    /* R11     */ {Hpt, ByP<PETH03>, Mix<ByP<PETH03>, ByP<PETH04>>, ByP<PETH04>, Hpt},
    /* R114    */ {Hpt, ByP<PETH11>, Mix<ByP<PETH11>, ByP<PETH12>>, ByP<PETH12>, Hpt},
    /* R12     */ {Hpt, ByP<PETH05>, Mix<ByP<PETH05>, ByP<PETH06>>, ByP<PETH06>, Hpt},
    /* R21     */ {Hpt, ByP<PETH07>, Mix<ByP<PETH07>, ByP<PETH08>>, ByP<PETH08>, Hpt},
    /* R22     */ {Hpt, ByP<PETH09>, Mix<ByP<PETH09>, ByP<PETH10>>, ByP<PETH10>, Hpt},
    /* R502    */ {Hpt, ByP<PETH13>, Mix<ByP<PETH13>, ByP<PETH14>>, ByP<PETH14>, Hpt},
  },
  // Kind 7, temperature: from P and H, or the saturation temperature from P
  // (always the vapour-side substance).
  {
    /* AMMONIA */ {Tph, SatT<PTS16>, nil, nil, Tph},
    /* WATER   */ {Tph, SatT<PTS02>, nil, nil, Tph},
    /* AIR     */ {nil, AirSaturationT, nil, nil, Tph},
    /* AIRW    */ {nil, HumidSaturationT, nil, nil, Tph},
    /* R11     */ {Tph, SatT<PTS04>, nil, nil, Tph},
    /* R114    */ {Tph, SatT<PTS12>, nil, nil, Tph},
    /* R12     */ {Tph, SatT<PTS06>, nil, nil, Tph},
    /* R21     */ {Tph, SatT<PTS08>, nil, nil, Tph},
    /* R22     */ {Tph, SatT<PTS10>, nil, nil, Tph},
    /* R502    */ {Tph, SatT<PTS14>, nil, nil, Tph},
  },
  // Kind 8, pressure: the saturation pressure from T only.
  {
    /* AMMONIA */ {nil, SatP<PSAT16>, nil, nil, nil},
    /* WATER   */ {nil, SatP<PSAT02>, nil, nil, nil},
    /* AIR     */ {nil, nil, nil, nil, nil},
    /* AIRW    */ {nil, nil, nil, nil, nil},
    /* R11     */ {nil, SatP<PSAT04>, nil, nil, nil},
    /* R114    */ {nil, SatP<PSAT12>, nil, nil, nil},
    /* R12     */ {nil, SatP<PSAT06>, nil, nil, nil},
    /* R21     */ {nil, SatP<PSAT08>, nil, nil, nil},
    /* R22     */ {nil, SatP<PSAT10>, nil, nil, nil},
    /* R502    */ {nil, SatP<PSAT14>, nil, nil, nil},
  },
  // Kind 9, Joule-Thomson coefficient.
  {
    /* AMMONIA */ {JouleThomson<-1>, nil, nil, SaturatedJouleThomson, JouleThomson<1>},
    /* WATER   */ {JouleThomson<-1>, nil, nil, SaturatedJouleThomson, JouleThomson<1>},
    /* AIR     */ {nil, nil, nil, nil, GasJouleThomson},
    /* AIRW    */ {nil, nil, nil, nil, GasJouleThomson},
    /* R11     */ {JouleThomson<-1>, nil, nil, SaturatedJouleThomson, JouleThomson<1>},
    /* R114    */ {JouleThomson<-1>, nil, nil, SaturatedJouleThomson, JouleThomson<1>},
    /* R12     */ {JouleThomson<-1>, nil, nil, SaturatedJouleThomson, JouleThomson<1>},
    /* R21     */ {JouleThomson<-1>, nil, nil, SaturatedJouleThomson, JouleThomson<1>},
    /* R22     */ {JouleThomson<-1>, nil, nil, SaturatedJouleThomson, JouleThomson<1>},
    /* R502    */ {JouleThomson<-1>, nil, nil, SaturatedJouleThomson, JouleThomson<1>},
  },
  // Kind 10, isothermal compressibility.
  {
    /* AMMONIA */ {ByT<PKT15>, nil, nil, nil, Compressibility<-1>},
    /* WATER   */ {WaterCompressibility, nil, nil, nil, Compressibility<-1>},
    /* AIR     */ {nil, nil, nil, nil, GasCompressibility},
    /* AIRW    */ {nil, nil, nil, nil, GasCompressibility},
    /* R11     */ {Compressibility<1>, nil, nil, nil, Compressibility<-1>},
    /* R114    */ {Compressibility<1>, nil, nil, nil, Compressibility<-1>},
    /* R12     */ {Compressibility<1>, nil, nil, nil, Compressibility<-1>},
    /* R21     */ {Compressibility<1>, nil, nil, nil, Compressibility<-1>},
    /* R22     */ {Compressibility<1>, nil, nil, nil, Compressibility<-1>},
    /* R502    */ {Compressibility<1>, nil, nil, nil, Compressibility<-1>},
  },
};
// clang-format on
