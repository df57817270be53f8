// Speed of the modal solution's eigen-decomposition (LEIGEN) against a
// reference dense solver on the same matrices.
//
// A seeded generator builds the conductance matrix of a thermal network of
// N modal nodes: a panel grid of linear conductors, radiative couplings
// within the panel, links of some nodes to a boundary, and capacitances
// spread over six decades with a few stiff nodes (1E-6), so that the scaled
// spectrum is graded. For 200, 500 and 1,000 nodes (or the sizes given on
// the command line) it times LEIGEN (scaling, Givens reduction, shifted QR,
// back-scaling) and Eigen's SelfAdjointEigenSolver on the same scaled
// matrix Cv^(-1/2).K.Cv^(-1/2) with the same back-scaling, checks that both
// give the same eigenvalues and that LEIGEN's modes satisfy K.phi =
// lambda.Cv.phi and phi^T.Cv.phi = I, and prints the ratio of the times.
//
// This program is its own model program: it supplies the five blocks.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "bench/support/clock.h"
#include "thermal/eigen.h"

#if __has_include(<Eigen/Dense>)
#include <Eigen/Dense>
#define TNA_HAVE_EIGEN 1
#elif __has_include(<eigen3/Eigen/Dense>)
#include <eigen3/Eigen/Dense>
#define TNA_HAVE_EIGEN 1
#else
#define TNA_HAVE_EIGEN 0
#endif

namespace {

using bench::Clock;
using bench::seconds_since;

struct Problem {
  int n = 0;
  std::vector<double> k;   // column-major n x n
  std::vector<double> cv;  // capacitances
};

// The modal system of a generated network of n nodes.
Problem generate(int n, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> uni(0.0, 1.0);
  Problem p;
  p.n = n;
  p.k.assign(static_cast<std::size_t>(n) * n, 0.0);
  p.cv.resize(static_cast<std::size_t>(n));
  const auto at = [&](int i, int j) -> double& { return p.k[static_cast<std::size_t>(j) * n + i]; };
  const auto link = [&](int i, int j, double g) {
    at(i, i) += g;
    at(j, j) += g;
    at(i, j) -= g;
    at(j, i) -= g;
  };
  const int width = std::max(2, static_cast<int>(std::sqrt(static_cast<double>(n))));
  for (int i = 0; i < n; ++i) {
    // Grid conductors to the right and below.
    if ((i + 1) % width != 0 && i + 1 < n) link(i, i + 1, 0.05 + 2.0 * uni(rng));
    if (i + width < n) link(i, i + width, 0.05 + 2.0 * uni(rng));
    // A few radiative couplings (linearised) anywhere in the panel.
    for (int r = 0; r < 3; ++r) {
      const int j = static_cast<int>(uni(rng) * n);
      if (j != i) link(i, j, 0.01 * uni(rng));
    }
    // Some nodes see the boundary.
    if (uni(rng) < 0.2) at(i, i) += 0.1 + uni(rng);
    // Capacitances from 1E-3 to 1E3, one node in fifty stiff.
    p.cv[static_cast<std::size_t>(i)] = uni(rng) < 0.02 ? 1e-6 : std::pow(10.0, -3.0 + 6.0 * uni(rng));
  }
  return p;
}

struct Result {
  double seconds = 0.0;
  std::vector<double> lambda;  // sorted
  double residual = 0.0, orthonormality = 0.0;
};

// LEIGEN on p, best of `reps` runs; residual and orthonormality of the last.
Result run_leigen(const Problem& p, int reps) {
  const int n = p.n;
  const std::int64_t nn = static_cast<std::int64_t>(n) * n;
  std::vector<double> a, phi(static_cast<std::size_t>(nn));
  Result r;
  r.seconds = 1e300;
  for (int rep = 0; rep < reps; ++rep) {
    a = p.k;
    int status = 0;
    const auto t0 = Clock::now();
    LEIGEN(plat::Vec1<const double>(p.cv.data(), n), n, plat::Vec1<double>(a.data(), nn),
           plat::Vec1<double>(phi.data(), nn), status);
    r.seconds = std::min(r.seconds, seconds_since(t0));
    if (status != 0) {
      std::printf("LEIGEN failed at n = %d (status %d)\n", n, status);
      std::exit(1);
    }
  }
  r.lambda.assign(a.begin(), a.begin() + n);
  // Residual of the scaled problem, |Cv^(-1/2).(K.phi_m - lambda_m.Cv.phi_m)|
  // against the largest eigenvalue (the norm of the scaled matrix), and
  // phi^T.Cv.phi - I, on a sample of modes.
  double top = 0.0;
  for (double l : r.lambda) top = std::max(top, std::fabs(l));
  std::vector<double> kphi(static_cast<std::size_t>(n));
  for (int m = 0; m < n; m += std::max(1, n / 25)) {
    const double* col = &phi[static_cast<std::size_t>(m) * n];
    std::fill(kphi.begin(), kphi.end(), 0.0);
    for (int j = 0; j < n; ++j) {
      const double* kc = &p.k[static_cast<std::size_t>(j) * n];
      for (int i = 0; i < n; ++i) kphi[static_cast<std::size_t>(i)] += kc[i] * col[j];
    }
    for (int i = 0; i < n; ++i) {
      const double ci = p.cv[static_cast<std::size_t>(i)];
      const double res = kphi[static_cast<std::size_t>(i)] - r.lambda[static_cast<std::size_t>(m)] * ci * col[i];
      r.residual = std::max(r.residual, std::fabs(res) / std::sqrt(ci) / top);
    }
    for (int q = 0; q < n; q += std::max(1, n / 25)) {
      const double* cq = &phi[static_cast<std::size_t>(q) * n];
      double s = 0.0;
      for (int i = 0; i < n; ++i) s += col[i] * p.cv[static_cast<std::size_t>(i)] * cq[i];
      r.orthonormality = std::max(r.orthonormality, std::fabs(s - (m == q ? 1.0 : 0.0)));
    }
  }
  std::sort(r.lambda.begin(), r.lambda.end());
  return r;
}

#if TNA_HAVE_EIGEN
// The reference on the same scaled matrix, scaling and back-scaling
// included, best of `reps` runs.
Result run_reference(const Problem& p, int reps) {
  const int n = p.n;
  Result r;
  r.seconds = 1e300;
  Eigen::MatrixXd s(n, n), phi(n, n);
  Eigen::VectorXd lambda(n);
  for (int rep = 0; rep < reps; ++rep) {
    const auto t0 = Clock::now();
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < n; ++i)
        s(i, j) = p.k[static_cast<std::size_t>(j) * n + i] /
                  std::sqrt(p.cv[static_cast<std::size_t>(j)] * p.cv[static_cast<std::size_t>(i)]);
    Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> solver(s);
    phi = solver.eigenvectors();
    for (int m = 0; m < n; ++m)
      for (int j = 0; j < n; ++j) phi(j, m) /= std::sqrt(p.cv[static_cast<std::size_t>(j)]);
    lambda = solver.eigenvalues();
    r.seconds = std::min(r.seconds, seconds_since(t0));
  }
  r.lambda.assign(lambda.data(), lambda.data() + n);
  std::sort(r.lambda.begin(), r.lambda.end());
  return r;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes = {200, 500, 1000};
  if (argc > 1) {
    sizes.clear();
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  }
  double last_ratio = 0.0;
  int last_n = 0;
  for (int n : sizes) {
    if (n < 2) continue;
    const Problem p = generate(n, 20240611u + static_cast<unsigned>(n));
    const int reps = n <= 200 ? 5 : (n <= 500 ? 3 : 1);
    const Result ours = run_leigen(p, reps);
    std::printf("%6d nodes  LEIGEN %9.3f s  residual %.2e  orthonormality %.2e  lambda %.3e .. %.3e\n", n,
                ours.seconds, ours.residual, ours.orthonormality, ours.lambda.front(), ours.lambda.back());
#if TNA_HAVE_EIGEN
    const Result ref = run_reference(p, reps);
    double diff = 0.0;
    for (int m = 0; m < n; ++m)
      diff = std::max(diff,
                      std::fabs(ours.lambda[static_cast<std::size_t>(m)] - ref.lambda[static_cast<std::size_t>(m)]));
    const double top = std::max(std::fabs(ref.lambda.front()), std::fabs(ref.lambda.back()));
    last_ratio = ours.seconds / ref.seconds;
    last_n = n;
    std::printf(
        "        SelfAdjointEigenSolver %9.3f s  largest eigenvalue difference %.2e of the largest  "
        "ratio %.2f\n",
        ref.seconds, diff / top, last_ratio);
#endif
  }
#if TNA_HAVE_EIGEN
  std::printf("ratio LEIGEN / Eigen SelfAdjointEigenSolver at %d nodes: %.2f\n", last_n, last_ratio);
#else
  std::printf("reference not built (Eigen headers not found)\n");
#endif
  return 0;
}
