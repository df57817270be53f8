// Surface tension of the saturated liquids (PSIGnn).
#include <cmath>

#include "properties/library.h"
#include "properties/library_constants.h"

namespace {

using prop_const::SurfaceTension;

// x = 1 - Tk/Tc is negative above the critical temperature, where x^n has no
// real value: the surface tension is 0 there.
inline double sigma(const SurfaceTension& c, double t, double tabs) {
  const double x = 1.0 - (t + tabs) / c.tc;
  if (x < 0.0) return 0.0;
  return c.a * std::pow(x, c.n);
}

}  // namespace

double PSIG01(double t, double tabs) {
  const double x = 1.0 - (t + tabs) / prop_const::kSigmaWater.tc;
  if (x < 0.0) return 0.0;
  return prop_const::kSigmaWater.a * std::pow(x, prop_const::kSigmaWater.n) *
         (1.0 - prop_const::kSigmaWaterFactor * x);
}
double PSIG03(double t, double tabs) { return sigma(prop_const::kSigmaR11, t, tabs); }
double PSIG05(double t, double tabs) { return sigma(prop_const::kSigmaR12, t, tabs); }
double PSIG07(double t, double tabs) { return sigma(prop_const::kSigmaR21, t, tabs); }
double PSIG09(double t, double tabs) { return sigma(prop_const::kSigmaR22, t, tabs); }
double PSIG11(double t, double tabs) { return sigma(prop_const::kSigmaR114, t, tabs); }
double PSIG13(double t, double tabs) { return sigma(prop_const::kSigmaR502, t, tabs); }
double PSIG15(double t, double tabs) { return sigma(prop_const::kSigmaAmmonia, t, tabs); }
