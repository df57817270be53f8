// Dry air (substance 00): conductivity, specific heat and viscosity as
// polynomials of degree five in the absolute temperature.
#include "core/diagnostics.h"
#include "properties/library.h"
#include "properties/library_constants.h"

double PPOLY(double x, const double* a, int n) {
  if (n < 1) return 0.0;
  double s = a[0];
  if (n == 1) return s;
  s = s + a[1] * x;
  double p = x * x;
  LoopGuard guard("PPOLY");
  for (int i = 3; i <= n; ++i) {
    guard.pass();
    s = s + a[i - 1] * p;
    p = p * x;
  }
  return s;
}

double PCND00(double t, double tabs) { return PPOLY(t + tabs, prop_const::kAirConductivity, 6); }

double PCP00(double t, double tabs) { return PPOLY(t + tabs, prop_const::kAirSpecificHeat, 6); }

double PVSC00(double t, double tabs) {
  return PPOLY(t + tabs, prop_const::kAirViscosity, 6) / prop_const::kAirViscosityUnit;
}
