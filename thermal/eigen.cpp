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
  if (nn <= 2147483647)
    SZEROD(static_cast<int>(nn), phi, st);
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
        const double t = x / y;
        cs = 1.0 / std::sqrt(t * t + 1.0);
        sn = t * cs;
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

void S8RCSC(plat::Vec1<const double> a, int n, int start, double tau, double& cosine, double& sine, int& position) {
  const plat::Mat2<const double> A = square(a, n);
  cosine = 1.0;
  sine = 0.0;
  LoopGuard guard("S8RCSC");
  int l = start;
  while (l < n) {
    guard.pass();
    const double sub = A(l + 1, l), diag = A(l, l);
    if (SMINRL(sub)) {
      cosine = 1.0;
      sine = 0.0;
    } else if (SMINRL(diag)) {
      cosine = 0.0;
      sine = sub < 0.0 ? -1.0 : 1.0;
      position = l;
      return;
    } else {
      const double t = sub / diag;
      cosine = 1.0 / std::sqrt(t * t + 1.0);
      sine = t * cosine;
      if (std::fabs(cosine) <= tau) {
        position = l;
        return;
      }
    }
    ++l;
  }
  position = n;
}

void LDIAGN(int limit, double tau, plat::Vec1<double> a, int n, plat::Vec1<double> phi, int& status) {
  status = 0;
  const plat::Mat2<double> A = square(a, n), P = square(phi, n);
  LoopGuard guard("LDIAGN");
  for (int s = 1;; ++s) {
    double cs = 1.0, sn = 0.0;
    int l = n;
    S8RCSC(a, n, 1, tau, cs, sn, l);
    if (l >= n) return;  // diagonal: s never exceeds the limit here
    while (l < n) {
      guard.pass();
      const int l1 = l + 1;
      const int hi = l < n - 1 ? l + 2 : n;
      const int lo = l > 2 ? l - 1 : 2;
      // Rows l and l + 1.
      for (int j = lo - 1; j <= hi; ++j) {
        const double x = A(l, j), y = A(l1, j);
        A(l1, j) = cs * y - sn * x;
        A(l, j) = sn * y + cs * x;
      }
      A(l1, l) = 0.0;
      // The next rotation, found on the matrix as it now stands.
      double cs2 = 1.0, sn2 = 0.0;
      int l2 = n;
      S8RCSC(a, n, l1, tau, cs2, sn2, l2);
      // Columns l and l + 1 of the 2 x 2 block.
      A(l, l) = sn * A(l, l1) + cs * A(l, l);
      A(l1, l) = sn * A(l1, l1);
      A(l1, l1) = cs * A(l1, l1);
      // Symmetry: rows into columns.
      A(lo - 1, l) = A(l, lo - 1);
      A(lo - 1, l1) = A(l1, lo - 1);
      for (int j = lo; j <= hi; ++j) {
        A(j, l) = A(l, j);
        A(j, l1) = A(l1, j);
      }
      // Accumulated rotations.
      double* pl = &P(1, l);
      double* pl1 = &P(1, l1);
      for (int i = 1; i <= n; ++i) {
        const double x = pl[i - 1], y = pl1[i - 1];
        pl1[i - 1] = cs * y - sn * x;
        pl[i - 1] = sn * y + cs * x;
      }
      cs = cs2;
      sn = sn2;
      l = l2;
    }
    if (s + 1 > limit) {
      status = 1;
      SETERX("SLMODE: Failed in Eigen value solution", 4, 1, "LDIAGN");
      return;
    }
  }
}

void LSRTEV(int n, plat::Vec1<double> a) {
  LoopGuard guard("LSRTEV");
  for (int m = 2; m <= n; ++m) {
    guard.pass();
    a(m) = a(static_cast<std::int64_t>(m - 1) * n + m);
  }
}
