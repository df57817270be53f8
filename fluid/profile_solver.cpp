#include "fluid/profile_solver.h"

#include <algorithm>
#include <cmath>

#include "modeldata/entity_codes.h"

void FHSFCT(FlCInts id, FlCInts jl, int n, FlCInts ju, FlReals amat, int& ierr) {
  ierr = 0;
  // Raw access in the inner loops: at(p) is amat(p).
  double* const base = amat.data();
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
