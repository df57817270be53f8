// The sparse LDL^T reference of the benchmarks that solve a symmetric
// matrix (Eigen's SimplicialLDLT on the lower triangle): analysis once, then
// the factorisation and the solve timed over several repetitions, with a
// fill-reducing ordering of its own (AMD) or in the matrix's own order
// (NaturalOrdering: the same fill as the project's profile solvers, so that
// the ratio measures the kernels alone).
#pragma once

#if __has_include(<Eigen/Sparse>)
#include <Eigen/Sparse>
#define TNA_HAVE_EIGEN 1
#elif __has_include(<eigen3/Eigen/Sparse>)
#include <eigen3/Eigen/Sparse>
#define TNA_HAVE_EIGEN 1
#else
#define TNA_HAVE_EIGEN 0
#endif

#if TNA_HAVE_EIGEN
#include "bench/support/clock.h"

namespace bench {

struct SparseTimes {
  double analysis = 0, factorisation = 0, solve = 0;  // seconds; the last two per repetition
  long long factor_entries = 0;                       // of L, diagonal included
  Eigen::VectorXd x;                                  // the solution
};

template <class Ordering>
SparseTimes sparse_ldlt(const Eigen::SparseMatrix<double>& a, const Eigen::VectorXd& b, int reps) {
  SparseTimes r;
  Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>, Eigen::Lower, Ordering> ldlt;
  auto t0 = Clock::now();
  ldlt.analyzePattern(a);
  r.analysis = seconds_since(t0);
  for (int k = 0; k < reps; ++k) {
    t0 = Clock::now();
    ldlt.factorize(a);
    r.factorisation += seconds_since(t0);
    t0 = Clock::now();
    r.x = ldlt.solve(b);
    r.solve += seconds_since(t0);
  }
  r.factorisation /= reps;
  r.solve /= reps;
  r.factor_entries = static_cast<long long>(ldlt.matrixL().nestedExpression().nonZeros()) + a.rows();
  return r;
}

// The fill-reducing reference and the one in the matrix's own order.
inline SparseTimes sparse_ldlt_amd(const Eigen::SparseMatrix<double>& a, const Eigen::VectorXd& b, int reps) {
  return sparse_ldlt<Eigen::AMDOrdering<int>>(a, b, reps);
}
inline SparseTimes sparse_ldlt_natural(const Eigen::SparseMatrix<double>& a, const Eigen::VectorXd& b, int reps) {
  return sparse_ldlt<Eigen::NaturalOrdering<int>>(a, b, reps);
}

}  // namespace bench
#endif
