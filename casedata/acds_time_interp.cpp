// Helpers of the analysis-case update: the effective time on orbital arcs
// (TIMIN1), relative equality (SEQTOL), and the grey-body conductor over
// wavebands (RADCONDPIECEWISEGREYBODY) with its black-body fraction table
// (BLACKBODYFRACPOWER).
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "casedata/acd_solution.h"
#include "core/diagnostics.h"
#include "platform/process.h"

namespace {

constexpr int kTablePoints = 1001;
constexpr double kTableStep = 0.0001;  // m K between table points
constexpr double kTableSpan = 0.1;     // m K at the last point

// Fraction F(0 -> x) of Planck's law, x = lambda T in m K, by the series
// 15/pi^4 sum_n e^(-n z)/n (z^3 + 3 z^2/n + 6 z/n^2 + 6/n^3), z = c2 / x.
double planck_fraction(double x) {
  constexpr double kC2 = 0.01438775;  // second radiation constant, m K
  if (x <= 0.0) return 0.0;
  const double z = kC2 / x, r = std::exp(-z);
  double sum = 0.0, rn = 1.0;
  for (int n = 1; n <= 100000; ++n) {
    rn *= r;
    const double dn = n;
    const double term = rn / dn * (z * z * z + 3.0 * z * z / dn + 6.0 * z / (dn * dn) + 6.0 / (dn * dn * dn));
    sum += term;
    if (term < 1e-18 * sum || rn == 0.0) break;
  }
  return 15.0 / (std::numbers::pi * std::numbers::pi * std::numbers::pi * std::numbers::pi) * sum;
}

// v(j) for lambda T = (j - 1) * 0.0001 m K, j = 1..1001 (stored from 0).
// The rows below are the published values of the table; the rest are
// Planck's fraction to better than eight significant digits.
const std::array<double, kTablePoints>& fraction_table() {
  static const std::array<double, kTablePoints> table = [] {
    std::array<double, kTablePoints> v{};
    for (int j = 0; j < kTablePoints; ++j) v[static_cast<std::size_t>(j)] = planck_fraction(j * kTableStep);
    v[0] = 0.0;
    v[10] = 0.000320774597;
    v[29] = 0.250560931;
    v[50] = 0.633726635;
    v[100] = 0.914157218;
    v[500] = 0.998903881;
    v[1000] = 0.999855211;
    return v;
  }();
  return table;
}

constexpr double kArcTolerance = 1.0E-7;

}  // namespace

bool SEQTOL(double a, double b, double tol) {
  double aa = std::fabs(a);
  const double ab = std::fabs(b);
  if (std::isnan(aa)) aa = ab;
  return std::fabs(a - b) <= tol * std::max(aa, ab);
}

double BLACKBODYFRACPOWER(double x) {
  if (std::isnan(x)) return x;
  // No power is emitted below wavelength 0; a negative product (a limit or
  // an absolute temperature below 0) has none either.
  if (x <= 0.0) return 0.0;
  if (x >= kTableSpan) return 1.0;
  const auto& v = fraction_table();
  int m = static_cast<int>(x * 10000.0);
  if (m > kTablePoints - 2) m = kTablePoints - 2;
  const auto i = static_cast<std::size_t>(m);
  return v[i] + (v[i + 1] - v[i]) * (x - m * kTableStep) * 10000.0;
}

double RADCONDPIECEWISEGREYBODY(double ti, double tj, int n, plat::Vec1<const double> lambda,
                                plat::Vec1<const double> g) {
  if (n < 1) return 0.0;
  if (std::fabs(tj - ti) < 0.000001) tj = ti + std::copysign(0.000001, tj - ti);
  double si = 0.0, sj = 0.0;
  for (int k = 1; k <= n; ++k) {
    si += g(k) * (BLACKBODYFRACPOWER(lambda(k + 1) * ti) - BLACKBODYFRACPOWER(lambda(k) * ti));
    sj += g(k) * (BLACKBODYFRACPOWER(lambda(k + 1) * tj) - BLACKBODYFRACPOWER(lambda(k) * tj));
  }
  const double ti4 = ti * ti * ti * ti, tj4 = tj * tj * tj * tj;
  return (si * ti4 - sj * tj4) / (ti4 - tj4);
}

void TIMIN1(plat::Mat2<const double> arcs, int narcs, int ntimes, plat::Vec1<const double> times, double timem,
            double& teff) {
  // Without arcs or times no rule gives a table time.
  if (narcs < 1 || ntimes < 1) plat::consistency_stop("TIMIN1 1");
  auto eq = [](double a, double b) { return SEQTOL(a, b, kArcTolerance); };
  // First table index whose time is at least x; ntimes when there is none.
  auto first_at_least = [&](double x) {
    int lo = 1, hi = ntimes;
    while (lo < hi) {
      const int mid = lo + (hi - lo) / 2;
      if (times(mid) >= x) hi = mid;
      else lo = mid + 1;
    }
    return lo;
  };
  teff = -1.0E20;
  bool found = false;
  for (int k = 1; k <= narcs && !found; ++k) {
    const double s = arcs(1, k), f = arcs(2, k), e = arcs(3, k), a = arcs(4, k);
    found = true;
    if (timem < s) {
      if (k == 1) {
        SETERX("TIMINT: TIMEM before start of first arc.", 2, 1, "TIMIN1");
        teff = times(1);
      } else {
        const double ep = arcs(3, k - 1), ap = arcs(4, k - 1);
        teff = ep + (s - ep) * (timem - ap) / (s - ap);
      }
    } else if (timem < f) {
      if (k == 1) {
        // Before the first orbit of the first arc there is no earlier arc to
        // map from: the time is its own table time.
        teff = timem;
      } else {
        const double ep = arcs(3, k - 1), ap = arcs(4, k - 1);
        teff = eq(ap, times(first_at_least(ap))) ? timem : ep + (f - ep) * (timem - ap) / (f - ap);
      }
    } else if (timem < a) {
      // An orbit of no length repeats nothing: its start stands for it.
      teff = e > f ? f + std::fmod(timem - f, e - f) : f;
    } else if (eq(timem, a)) {
      if (k == narcs) teff = eq(e, a) ? e : s + e - f;
      else if (arcs(1, k + 1) > a) teff = s + e - f;
      else teff = eq(timem, times(first_at_least(timem))) ? timem : s + e - f;
    } else {
      found = false;
    }
  }
  // Past every arc: the end of the table. A time that is not a number is
  // past none of them and keeps TEFF outside the table.
  if (!found && timem > arcs(4, narcs)) {
    SETERX("TIMINT: TIMEM exceeded end time of last orbit arc.", 2, 2, "TIMIN1");
    teff = times(ntimes);
  }
  if (!(teff >= times(1) && teff <= times(ntimes))) plat::consistency_stop("TIMIN1 1");
}
