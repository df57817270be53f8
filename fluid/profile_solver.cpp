#include "fluid/profile_solver.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "modeldata/entity_codes.h"

// Marks a loop whose iterations update distinct entries of the profile,
// none reading what another writes, so that it vectorises without the
// overlap tests the compiler cannot rule out from the indices.
#if defined(__clang__)
#define FHS_INDEPENDENT _Pragma("clang loop vectorize(assume_safety)")
#elif defined(__GNUC__)
#define FHS_INDEPENDENT _Pragma("GCC ivdep")
#else
#define FHS_INDEPENDENT
#endif

// The column-by-column elimination is compiled twice, for AVX2 and for the
// baseline, and the processor picks at load time: the same operations on
// each entry, so the same bits (contraction stays off), in half the
// instructions. Its helpers are inlined so that they take the clone's
// vectors.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define FHS_WIDE_VECTORS __attribute__((target_clones("avx2", "default")))
#else
#define FHS_WIDE_VECTORS
#endif
#if defined(__GNUC__)
#define FHS_INLINE __attribute__((always_inline))
#else
#define FHS_INLINE
#endif

namespace {

// Last column stored in row l of U: the word before row l + 1 starts (the
// last row ends at its diagonal).
inline int row_end(FlCInts id, FlCInts jl, int n, int l) {
  return l == n ? n : l + (id(l + 1) - (l + 1 - jl(l + 1))) - 1 - id(l);
}

// Whether the profile suits the column-by-column elimination of FHSFCT:
// ju does not decrease, every row's lower profile starts at or left of its
// upper one (jl <= ju), and row l of U stores exactly the columns j > l with
// ju(j) <= l (the column after each row's last one starts below that row
// while its last one does not). The orderings build their profiles so;
// another profile takes the plain loops.
bool eliminates_by_columns(FlCInts id, FlCInts jl, int n, FlCInts ju) {
  for (int q = 1; q <= n; ++q)
    if (jl(q) > ju(q) || (q > 1 && ju(q) < ju(q - 1))) return false;
  for (int l = 1; l < n; ++l) {
    const int e = row_end(id, jl, n, l);
    if (e < l || e > n) return false;
    if (e > l && ju(e) > l) return false;
    if (e < n && ju(e + 1) <= l) return false;
  }
  return true;
}

// The column-by-column elimination of FHSFCT (see there).
FHS_WIDE_VECTORS
void eliminate_by_columns(FlCInts id, FlCInts jl, int n, double* const base, int& ierr) {
  const std::int32_t* const idp = id.data() - 1;  // idp[r] is id(r)
  const std::int32_t* const jlp = jl.data() - 1;
  // row(r)[j] is entry (r, j).
  auto row = [base, idp](int r) { return base + (idp[r] - 1 - r); };
  // The steps left of k of the rows lo .. hi, row by row.
  auto steps_left_of = [&](int lo, int hi, int k) FHS_INLINE {
    for (int i = lo; i <= hi; ++i) {
      double* __restrict const ri = row(i);
      for (int l = jlp[i]; l < k; ++l) {
        const double* __restrict const rl = row(l);
        const double f = ri[l] / rl[l];
        ri[l] = f;
        const int last = row_end(id, jl, n, l);
        for (int j = l + 1; j <= last; ++j) ri[j] -= f * rl[j];
      }
    }
  };
  // Step k (row k of U final, its last column e) on the rows lo .. hi.
  auto step = [&](int lo, int hi, int k, int e) FHS_INLINE {
    const double* __restrict const rk = row(k);
    const double dk = rk[k];
    int i = lo;
    for (; i + 3 <= hi; i += 4) {
      double* __restrict const ra = row(i);
      double* __restrict const rb = row(i + 1);
      double* __restrict const rc = row(i + 2);
      double* __restrict const rd = row(i + 3);
      const double fa = ra[k] / dk, fb = rb[k] / dk, fc = rc[k] / dk, fd = rd[k] / dk;
      ra[k] = fa;
      rb[k] = fb;
      rc[k] = fc;
      rd[k] = fd;
      FHS_INDEPENDENT
      for (int j = k + 1; j <= e; ++j) {
        const double u = rk[j];
        ra[j] -= fa * u;
        rb[j] -= fb * u;
        rc[j] -= fc * u;
        rd[j] -= fd * u;
      }
    }
    for (; i <= hi; ++i) {
      double* __restrict const ri = row(i);
      const double f = ri[k] / dk;
      ri[k] = f;
      FHS_INDEPENDENT
      for (int j = k + 1; j <= e; ++j) ri[j] -= f * rk[j];
    }
  };
  // Steps k and k + 1 together on the rows lo .. hi, all below k + 1 and
  // reached by both: each entry takes its term of step k, then its term
  // of step k + 1, in one pass over the two rows of U (last columns e and
  // e1 >= e).
  auto two_steps = [&](int lo, int hi, int k, int e, int e1) FHS_INLINE {
    const double* __restrict const rk = row(k);
    const double* __restrict const rk1 = row(k + 1);
    const double dk = rk[k], dk1 = rk1[k + 1], uk = rk[k + 1];
    int i = lo;
    for (; i + 3 <= hi; i += 4) {
      double* __restrict const ra = row(i);
      double* __restrict const rb = row(i + 1);
      double* __restrict const rc = row(i + 2);
      double* __restrict const rd = row(i + 3);
      const double fa = ra[k] / dk, fb = rb[k] / dk, fc = rc[k] / dk, fd = rd[k] / dk;
      ra[k] = fa;
      rb[k] = fb;
      rc[k] = fc;
      rd[k] = fd;
      const double ga = (ra[k + 1] - fa * uk) / dk1, gb = (rb[k + 1] - fb * uk) / dk1;
      const double gc = (rc[k + 1] - fc * uk) / dk1, gd = (rd[k + 1] - fd * uk) / dk1;
      ra[k + 1] = ga;
      rb[k + 1] = gb;
      rc[k + 1] = gc;
      rd[k + 1] = gd;
      FHS_INDEPENDENT
      for (int j = k + 2; j <= e; ++j) {
        const double u = rk[j], v = rk1[j];
        ra[j] = (ra[j] - fa * u) - ga * v;
        rb[j] = (rb[j] - fb * u) - gb * v;
        rc[j] = (rc[j] - fc * u) - gc * v;
        rd[j] = (rd[j] - fd * u) - gd * v;
      }
      for (int j = e + 1; j <= e1; ++j) {
        const double v = rk1[j];
        ra[j] -= ga * v;
        rb[j] -= gb * v;
        rc[j] -= gc * v;
        rd[j] -= gd * v;
      }
    }
    for (; i <= hi; ++i) {
      double* __restrict const ri = row(i);
      const double f = ri[k] / dk;
      ri[k] = f;
      const double g = (ri[k + 1] - f * uk) / dk1;
      ri[k + 1] = g;
      FHS_INDEPENDENT
      for (int j = k + 2; j <= e; ++j) ri[j] = (ri[j] - f * rk[j]) - g * rk1[j];
      for (int j = e + 1; j <= e1; ++j) ri[j] -= g * rk1[j];
    }
  };
  int prev_end = 0;  // ir(k - 1)
  for (int k = 1; k <= n; k += 2) {
    const int e = row_end(id, jl, n, k);
    steps_left_of(std::max(prev_end, k - 1) + 1, e, k);
    if (SMINDL(row(k)[k])) {
      ierr = k;
      return;
    }
    if (k == n) break;
    // Row k + 1 takes step k (if row k reaches it) and becomes final.
    const int e1 = row_end(id, jl, n, k + 1);
    if (k + 1 <= e) step(k + 1, k + 1, k, e);
    steps_left_of(std::max(e, k) + 1, e1, k + 1);
    if (SMINDL(row(k + 1)[k + 1])) {
      ierr = k + 1;
      return;
    }
    // The rows reached by both steps, then those reached by step k + 1 alone.
    two_steps(k + 2, e, k, e, e1);
    step(std::max(e, k + 1) + 1, e1, k + 1, e1);
    prev_end = e1;
  }
}

}  // namespace

// The factorisation keeps Doolittle's operations, entry by entry and in the
// same order: entry (i, j) receives the terms L(i, l) U(l, j), l =
// max(jl(i), ju(j)) .. min(i, j) - 1, in ascending l, then, left of the
// diagonal, its division by U(j, j). Any order of the loops that keeps
// that per entry gives the same factor bit for bit.
//
// Where the profile allows it (eliminates_by_columns), elimination runs
// column by column: at step k, U(k, k) is final and tested, and each row i
// = k + 1 .. ir(k) takes L(i, k) := a(i, k) / U(k, k) and subtracts L(i, k)
// times row k of U from its columns k + 1 .. ir(k): all these entries are
// stored, both rows read contiguously, the rows independent of each other
// (no chain of divisions), and every update of a step has the same length.
// Steps go in pairs, k and k + 1: once row k + 1 has taken step k and its
// pivot is tested, each row below reached by both takes, entry by entry,
// its term of step k and then its term of step k + 1 in one pass over the
// two rows of U, four rows at a time (one load and store of the entry for
// two terms). A row whose lower profile reaches left of its upper one (the
// last row of a two-phase loop) first takes its steps left of ju(i), row
// by row, when step ju(i) begins. Another profile takes the plain loops.
void FHSFCT(FlCInts id, FlCInts jl, int n, FlCInts ju, FlReals amat, int& ierr) {
  ierr = 0;
  double* const base = amat.data();
  if (eliminates_by_columns(id, jl, n, ju)) {
    eliminate_by_columns(id, jl, n, base, ierr);
    return;
  }
  auto at = [base](int p) -> double& { return base[p - 1]; };
  for (int i = 1; i <= n; ++i) {
    const int di = id(i);
    const int jli = jl(i), jui = ju(i);
    // Row i of L: L(i, j) = (a(i, j) - sum L(i, l) U(l, j)) / U(j, j).
    for (int j = jli; j < i; ++j) {
      double s = at(di + j - i);
      for (int l = std::max(ju(j), jli); l < j; ++l) s -= at(di + l - i) * at(id(l) + j - l);
      at(di + j - i) = s / at(id(j));
    }
    // Column i of U down to the diagonal: U(j, i) = a(j, i) - sum L(j, l) U(l, i).
    for (int j = jui; j <= i; ++j) {
      const int dj = id(j);
      double s = at(dj + i - j);
      for (int l = std::max(jl(j), jui); l < j; ++l) s -= at(dj + l - j) * at(id(l) + i - l);
      at(dj + i - j) = s;
    }
    if (SMINDL(at(di))) {
      ierr = i;
      return;
    }
  }
}

// The substitutions keep the plain loops: each row's back sum starts with
// the x just found, so the rows form one chain whatever the loops, the
// forward rows already overlap in the processor (summing four side by side
// measured no faster), and both stream the factor once.
void FHSSUB(FlCInts jl, FlCInts ir, FlCInts id, FlCReals amat, int n, FlReals b, int& ierr) {
  ierr = 0;
  const double* const base = amat.data();
  auto at = [base](int p) { return base[p - 1]; };
  for (int i = 1; i <= n; ++i)
    if (SMINDL(at(id(i)))) ierr = i;
  if (ierr != 0) return;
  for (int i = 1; i <= n; ++i) {
    const int di = id(i);
    double s = b(i);
    for (int l = jl(i); l < i; ++l) s -= at(di + l - i) * b(l);
    b(i) = s;
  }
  for (int i = n; i >= 1; --i) {
    const int di = id(i);
    double s = b(i);
    for (int q = i + 1; q <= ir(i); ++q) s -= at(di + q - i) * b(q);
    b(i) = s / at(di);
  }
}

void FHSKS1(FlReals amat, FlCInts id, FlCInts jl, FlCInts ir, int n, FlCInts perm, FlCInts ju, int lprof,
            FlReals bvec, FlReals x, double& dmax, int& ierr, plat::Text<6>& routine) {
  dmax = 0.0;
  ierr = 0;
  int row = 0;
  FHSFCT(id, jl, n, ju, amat, row);
  if (row != 0) {
    ierr = perm(row);
    routine = "FHSFCT";
  } else {
    FHSSUB(jl, ir, id, amat, n, bvec, row);
    if (row != 0) {
      ierr = perm(row);
      routine = "FHSSUB";
    } else {
      for (int r = 1; r <= n; ++r) {
        const int k = perm(r);
        const double d = bvec(r) - x(k);
        if (std::fabs(d) > std::fabs(dmax)) dmax = d;
        x(k) = bvec(r);
      }
    }
  }
  std::fill(amat.data(), amat.data() + std::max(lprof, 0), 0.0);
}

void FHSKSV(FlReals amat, int nf, int lprof, FlReals bvec, FlReals x, double& dmax, int& ierr,
            plat::Text<6>& routine, const FlOrdering& ord) {
  FHSKS1(amat, ord.id, ord.jl, ord.ir, nf, ord.perm, ord.jl, lprof, bvec, x, dmax, ierr, routine);
}
