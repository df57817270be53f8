// The property dispatch: one routine for every combination of fluid,
// property kind and phase that the system serves, chosen by the property
// functions (properties.h) and calling one library routine (library.h) or
// applying one rule.
//
// The routine of fluid code ff, kind k and phase n is named QPffpp with
// pp = 5 (k - 1) + n: QP0113 is ammonia conductivity, two-phase; QP0237 the
// saturation pressure of water. The table `kRoutines` holds all of them;
// a combination the system does not serve holds nullptr.
//
// A routine takes the relative pressure P, relative temperature T, specific
// enthalpy H, vapour quality X (for "AIRW" the specific humidity), fluid code
// and node number (message context) and uses what its rule needs. It passes
// the library routine P' = (P + PABS) - PABS and T' = (T + TABS) - TABS (the
// values taken once through the absolute scale) with the current PABS and
// TABS, and returns a temperature as ((t + TABS) + 0.0) - TABS and a
// saturation pressure as ((p + PABS) + 0.0) - PABS. The two-phase rules mix
// the saturated-liquid and saturated-vapour routines of the same kind,
// called with the caller's arguments: linearly in X, and for the density as
// a homogeneous mixture, 1 / (X / rho_SV + (1 - X) / rho_SL).
#pragma once

namespace prop_dispatch {

enum Kind {
  kDensity = 1,
  kSpecificHeat,
  kConductivity,
  kViscosity,
  kSurfaceTension,
  kEnthalpy,
  kTemperature,
  kPressure,
  kJouleThomson,
  kCompressibility
};

enum Phase { kLiquid = 1, kSaturatedLiquid, kTwoPhase, kSaturatedVapour, kVapour };

inline constexpr int kFluids = 10;
inline constexpr int kKinds = 10;
inline constexpr int kPhases = 5;

using Routine = double (*)(double p, double t, double h, double x, int ifluid, int node);

// kRoutines[kind - 1][ifluid - 1][phase - 1].
extern const Routine kRoutines[kKinds][kFluids][kPhases];

// The routine of fluid ifluid, kind and phase; nullptr where none exists
// (also for arguments outside their ranges).
inline Routine routine(int ifluid, int kind, int phase) {
  if (ifluid < 1 || ifluid > kFluids || kind < 1 || kind > kKinds || phase < 1 || phase > kPhases) return nullptr;
  return kRoutines[kind - 1][ifluid - 1][phase - 1];
}

// QPffpp by its two numbers: QP(2, 37) is QP0237.
inline Routine QP(int ff, int pp) {
  return pp < 1 || pp > 50 ? nullptr : routine(ff, (pp - 1) / 5 + 1, (pp - 1) % 5 + 1);
}

}  // namespace prop_dispatch
