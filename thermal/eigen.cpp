#include "thermal/eigen.h"

#include <cmath>
#include <cstdint>

#include "core/char_pool.h"
#include "core/diagnostics.h"
#include "modeldata/entity_codes.h"

namespace {

// Column-major n x n view of a one-based word array.
template <class T>
plat::Mat2<T> square(plat::Vec1<T> v, int n) {
  return plat::Mat2<T>(v.data(), n, n);
}

}  // namespace

void LEIGEN(plat::Vec1<const double> cv, int n, plat::Vec1<double> a, plat::Vec1<double> phi, int& status) {
  status = 0;
  if (n < 2) {
    status = 2;
    SETERX("SLMODE: Invalid dimension of conductivity matrix", 4, 2, "LEIGEN");
    return;
  }
  const std::int64_t nn = static_cast<std::int64_t>(n) * n;
  int st = 0;
  if (nn <= 2147483647) SZEROD(static_cast<int>(nn), phi, st);
  else
    for (std::int64_t w = 1; w <= nn; ++w) phi(w) = 0.0;
  const plat::Mat2<double> A = square(a, n), P = square(phi, n);
  LoopGuard guard("LEIGEN");
  for (int i = 1; i <= n; ++i) {
    guard.pass();
    P(i, i) = 1.0;
  }

  // Standard form Cv^(-1/2).K.Cv^(-1/2).
  for (int j = 1; j <= n; ++j) {
    guard.pass();
    const double cj = cv(j);
    double* col = &A(1, j);
    for (int i = 1; i <= n; ++i) col[i - 1] = col[i - 1] / std::sqrt(cj * cv(i));
  }

  if (n > 2) LTRIDG(a, n, phi, st);
  LDIAGN(kEigenSweepsPerOrder * n, kEigenTau, a, n, phi, status);
  if (status != 0) return;
  LSRTEV(n, a);

  // Mode shapes of the generalised problem.
  for (int m = 1; m <= n; ++m) {
    guard.pass();
    double* col = &P(1, m);
    for (int j = 1; j <= n; ++j) col[j - 1] = col[j - 1] / std::sqrt(cv(j));
  }
}

void LTRIDG(plat::Vec1<double> a, int n, plat::Vec1<double> phi, int& status) {
  status = 0;
  const plat::Mat2<double> A = square(a, n), P = square(phi, n);
  LoopGuard guard("LTRIDG");
  for (int r = 1; r <= n - 2; ++r) {
    const int r1 = r + 1;
    for (int k = r + 2; k <= n; ++k) {
      guard.pass();
      const double x = A(k, r);
      if (SMINRL(x)) continue;
      const double y = A(r, r1);
      double cs = 0.0, sn = 0.0;
      if (SMINRL(y)) {
        cs = 0.0;
        sn = x >= 0.0 ? 1.0 : -1.0;
      } else {
        // cs = 1 / sqrt(t^2 + 1), sn = t.cs with t = x / y, without
        // overflow for a large ratio.
        const double r = std::hypot(x, y);
        cs = std::fabs(y) / r;
        sn = (y < 0.0 ? -x : x) / r;
      }
      // Column r.
      A(r1, r) = cs * A(r1, r) + sn * x;
      A(k, r) = 0.0;
      // Rows r + 1 and k.
      for (int j = r1; j <= n; ++j) {
        const double p = A(r1, j), q = A(k, j);
        A(k, j) = cs * q - sn * p;
        A(r1, j) = sn * q + cs * p;
      }
      // The three entries of columns r + 1 and k the row step leaves incomplete.
      A(r1, r1) = sn * A(r1, k) + cs * A(r1, r1);
      {
        const double p = A(k, r1), q = A(k, k);
        A(k, k) = cs * q - sn * p;
        A(k, r1) = sn * q + cs * p;
      }
      // Symmetry: rows into columns.
      A(r, r1) = A(r1, r);
      A(r, k) = A(k, r);
      for (int j = r1; j <= n; ++j) {
        A(j, r1) = A(r1, j);
        A(j, k) = A(k, j);
      }
      // Accumulated rotations (row 1 of columns 2..n stays zero).
      double* pr = &P(1, r1);
      double* pk = &P(1, k);
      for (int i = 2; i <= n; ++i) {
        const double p = pr[i - 1], q = pk[i - 1];
        pk[i - 1] = cs * q - sn * p;
        pr[i - 1] = sn * q + cs * p;
      }
    }
  }
}

namespace {

// Whether the subdiagonal term e between the diagonal terms d1 and d2 is
// negligible: below 1.0E-37, or within tau of the geometric mean of its
// neighbours' magnitudes.
bool negligible(double e, double d1, double d2, double tau) {
  const double ae = std::fabs(e);
  return SMINRL(ae) || ae <= tau * std::sqrt(std::fabs(d1)) * std::sqrt(std::fabs(d2));
}

// The tridiagonal matrix of LDIAGN: diagonal d(i) = a(i, i), subdiagonal
// e(i) = a(i + 1, i), both one-based, read and written in place.
struct Tridiagonal {
  double* a;
  std::int64_t stride;  // n + 1
  double& d(int i) const { return a[(i - 1) * stride]; }
  double& e(int i) const { return a[(i - 1) * stride + 1]; }
};

// phi <- phi.J for the rotation J of columns k and k + 1 with J(k, k) =
// J(k + 1, k + 1) = c, J(k, k + 1) = s, J(k + 1, k) = -s.
void rotate_columns(double* phi, int n, int k, double c, double s) {
  double* pk = phi + static_cast<std::int64_t>(k - 1) * n;
  double* pk1 = pk + n;
  for (int i = 0; i < n; ++i) {
    const double p = pk[i], q = pk1[i];
    pk[i] = c * p - s * q;
    pk1[i] = s * p + c * q;
  }
}

// T <- J^T.T.J on the 2 x 2 block of rows and columns k, k + 1.
void rotate_block(const Tridiagonal& t, int k, double c, double s) {
  const double dk = t.d(k), ek = t.e(k), dk1 = t.d(k + 1);
  const double sdk = s * dk + c * ek;
  const double dkp1 = s * ek + c * dk1;
  t.d(k) = c * (c * dk - s * ek) - s * (c * ek - s * dk1);
  t.d(k + 1) = s * sdk + c * dkp1;
  t.e(k) = c * sdk - s * dkp1;
}

// Wilkinson shift: the eigenvalue of the 2 x 2 block [[dfar, e], [e, dnear]]
// nearer to dnear.
double wilkinson_shift(double dfar, double e, double dnear) {
  const double td = (dfar - dnear) * 0.5;
  const double h = std::hypot(td, e);
  const double denom = td + std::copysign(h, td);
  if (denom == 0.0) return dnear;
  return dnear - (e / denom) * e;
}

// One implicit QR step on the unreduced block l..m, shifted by the
// eigenvalue of its trailing 2 x 2 block: the bulge is chased downwards and
// the block settles at m.
void qr_step_down(const Tridiagonal& t, double* phi, int n, int l, int m) {
  const double mu = wilkinson_shift(t.d(m - 1), t.e(m - 1), t.d(m));
  double x = t.d(l) - mu, z = t.e(l);
  for (int k = l; k < m; ++k) {
    const double r = std::hypot(x, z);
    const double c = r == 0.0 ? 1.0 : x / r, s = r == 0.0 ? 0.0 : -z / r;
    if (k > l) t.e(k - 1) = c * t.e(k - 1) - s * z;
    rotate_block(t, k, c, s);
    x = t.e(k);
    if (k < m - 1) {
      z = -s * t.e(k + 1);
      t.e(k + 1) = c * t.e(k + 1);
    }
    rotate_columns(phi, n, k, c, s);
  }
}

// The same step mirrored: shifted by the eigenvalue of the leading 2 x 2
// block, the bulge chased upwards, the block settling at l.
void qr_step_up(const Tridiagonal& t, double* phi, int n, int l, int m) {
  const double mu = wilkinson_shift(t.d(l + 1), t.e(l), t.d(l));
  double x = t.d(m) - mu, z = t.e(m - 1);
  for (int k = m - 1; k >= l; --k) {
    const double r = std::hypot(x, z);
    const double c = r == 0.0 ? 1.0 : x / r, s = r == 0.0 ? 0.0 : z / r;
    if (k < m - 1) t.e(k + 1) = s * z + c * t.e(k + 1);
    rotate_block(t, k, c, s);
    x = t.e(k);
    if (k > l) {
      z = s * t.e(k - 1);
      t.e(k - 1) = c * t.e(k - 1);
    }
    rotate_columns(phi, n, k, c, s);
  }
}

}  // namespace

void S8RCSC(plat::Vec1<const double> a, int n, int start, double tau, double& cosine, double& sine, int& position) {
  const plat::Mat2<const double> A = square(a, n);
  cosine = 1.0;
  sine = 0.0;
  LoopGuard guard("S8RCSC");
  for (int l = start; l < n; ++l) {
    guard.pass();
    const double sub = A(l + 1, l), diag = A(l, l);
    if (negligible(sub, diag, A(l + 1, l + 1), tau)) continue;
    if (SMINRL(diag)) {
      cosine = 0.0;
      sine = sub < 0.0 ? -1.0 : 1.0;
    } else {
      // The cosine positive, as 1 / sqrt(t^2 + 1) with t = sub / diag, but
      // without overflow for a large ratio.
      const double r = std::hypot(sub, diag);
      cosine = std::fabs(diag) / r;
      sine = (diag < 0.0 ? -sub : sub) / r;
    }
    position = l;
    return;
  }
  position = n;
}

void LDIAGN(int limit, double tau, plat::Vec1<double> a, int n, plat::Vec1<double> phi, int& status) {
  status = 0;
  const Tridiagonal t{a.data(), static_cast<std::int64_t>(n) + 1};
  const auto fail = [&] {
    status = 1;
    SETERX("SLMODE: Failed in Eigen value solution", 4, 1, "LDIAGN");
  };
  LoopGuard guard("LDIAGN");
  // A value that is not a number (a negative capacitance) or not finite
  // would never settle.
  for (int i = 1; i <= n; ++i) {
    guard.pass();
    if (!std::isfinite(t.d(i)) || (i < n && !std::isfinite(t.e(i)))) {
      fail();
      return;
    }
  }
  long long steps = 0;
  int from = 1;
  for (;;) {
    guard.pass();
    // The first unreduced block l..m: every subdiagonal term above l is
    // negligible, m is the first row from l + 1 on whose subdiagonal term
    // is negligible (or n).
    double cs = 1.0, sn = 0.0;
    int l = n;
    S8RCSC(a, n, from, tau, cs, sn, l);
    for (int k = from; k < l; ++k) t.e(k) = 0.0;
    if (l >= n) break;
    from = l;
    int m = l + 1;
    while (m < n && !negligible(t.e(m), t.d(m), t.d(m + 1), tau)) {
      guard.pass();
      ++m;
    }
    if (m < n) t.e(m) = 0.0;
    // Work the block from the end with the smaller diagonal term, so that
    // on graded matrices the small eigenvalues settle first, until it
    // splits.
    const bool down = std::fabs(t.d(m)) < std::fabs(t.d(l));
    for (bool split = false; !split;) {
      if (++steps > limit) {
        fail();
        return;
      }
      if (down) qr_step_down(t, phi.data(), n, l, m);
      else qr_step_up(t, phi.data(), n, l, m);
      for (int k = l; k < m && !split; ++k) {
        guard.pass();
        split = negligible(t.e(k), t.d(k), t.d(k + 1), tau);
        if (split) t.e(k) = 0.0;
      }
    }
  }
  // Diagonal: the upper triangle follows the (zero) subdiagonal.
  const plat::Mat2<double> A = square(a, n);
  for (int i = 1; i < n; ++i) {
    guard.pass();
    A(i, i + 1) = A(i + 1, i);
  }
}

void LSRTEV(int n, plat::Vec1<double> a) {
  LoopGuard guard("LSRTEV");
  for (int m = 2; m <= n; ++m) {
    guard.pass();
    a(m) = a(static_cast<std::int64_t>(m - 1) * n + m);
  }
}
