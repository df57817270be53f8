#include "fluid/profile_solver.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "modeldata/entity_codes.h"

namespace {

// Last column stored in row l of U: the word before row l + 1 starts (the
// last row ends at its diagonal).
inline int row_end(FlCInts id, FlCInts jl, int n, int l) {
  return l == n ? n : l + (id(l + 1) - (l + 1 - jl(l + 1))) - 1 - id(l);
}

// Whether row l of U stores exactly the columns j > l with ju(j) <= l, for
// every row: ju does not decrease, and the column after each row's last
// one starts below that row while its last one does not. The orderings
// build their profiles so; another profile takes the plain loops.
bool rows_match_columns(FlCInts id, FlCInts jl, int n, FlCInts ju) {
  for (int q = 2; q <= n; ++q)
    if (ju(q) < ju(q - 1)) return false;
  for (int l = 1; l < n; ++l) {
    const int e = row_end(id, jl, n, l);
    if (e < l || e > n) return false;
    if (e > l && ju(e) > l) return false;
    if (e < n && ju(e + 1) <= l) return false;
  }
  return true;
}

}  // namespace

// The factorisation keeps Doolittle's operations, entry by entry and in the
// same order, and organises the loops for contiguous reads:
//   - row i of L is computed right-looking: once L(i, l) is final, it is
//     subtracted times row l of U from the rest of row i (columns l + 1 ..
//     min(ir(l), i - 1), both rows contiguous). Where row l of U stores
//     exactly the columns j > l with ju(j) <= l (rows_match_columns), entry
//     (i, j) so receives the terms L(i, l) U(l, j), l = max(ju(j), jl(i)) ..
//     j - 1, in ascending l, as the dot product of the plain loop does, and
//     then its division.
//   - column i of U is gathered into a scratch column as it is computed, so
//     that the dot product of U(j, i) reads row j of L and the column
//     contiguously; a column longer than the scratch takes the plain loop.
void FHSFCT(FlCInts id, FlCInts jl, int n, FlCInts ju, FlReals amat, int& ierr) {
  ierr = 0;
  // Raw access in the inner loops: at(p) is amat(p).
  double* const base = amat.data();
  auto at = [base](int p) -> double& { return base[p - 1]; };
  const bool right_looking = rows_match_columns(id, jl, n, ju);
  constexpr int kColumn = 2048;
  double column[kColumn];
  for (int i = 1; i <= n; ++i) {
    const int di = id(i);
    const int jli = jl(i), jui = ju(i);
    const std::ptrdiff_t oi = di - 1 - i;  // base[oi + j] is entry (i, j)
    // Row i of L: L(i, j) = (a(i, j) - sum L(i, l) U(l, j)) / U(j, j).
    if (right_looking) {
      for (int l = jli; l < i; ++l) {
        const int dl = id(l);
        const double lil = base[oi + l] / at(dl);
        base[oi + l] = lil;
        const int last = std::min(row_end(id, jl, n, l), i - 1);
        const std::ptrdiff_t ol = dl - 1 - l;  // base[ol + j] is entry (l, j)
        for (int j = l + 1; j <= last; ++j) base[oi + j] -= lil * base[ol + j];
      }
    } else {
      for (int j = jli; j < i; ++j) {
        double s = at(di + j - i);
        for (int l = std::max(ju(j), jli); l < j; ++l) s -= at(di + l - i) * at(id(l) + j - l);
        at(di + j - i) = s / at(id(j));
      }
    }
    // Column i of U down to the diagonal: U(j, i) = a(j, i) - sum L(j, l) U(l, i).
    if (i - jui < kColumn) {
      // column[l - jui] is U(l, i).
      for (int j = jui; j <= i; ++j) {
        const int dj = id(j);
        const std::ptrdiff_t oj = dj - 1 - j;  // base[oj + q] is entry (j, q)
        double s = base[oj + i];
        for (int l = std::max(jl(j), jui); l < j; ++l) s -= base[oj + l] * column[l - jui];
        base[oj + i] = s;
        column[j - jui] = s;
      }
    } else {
      for (int j = jui; j <= i; ++j) {
        const int dj = id(j);
        double s = at(dj + i - j);
        for (int l = std::max(jl(j), jui); l < j; ++l) s -= at(dj + l - j) * at(id(l) + i - l);
        at(dj + i - j) = s;
      }
    }
    if (SMINDL(at(di))) {
      ierr = i;
      return;
    }
  }
}

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
