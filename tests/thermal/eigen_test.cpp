// Symmetric eigen-decomposition: analytic eigenpairs of standard and
// generalised problems to working precision, graded and degenerate spectra
// against exact two-node pairs and a dense reference solver, residuals and
// orthonormality, the negligible-subdiagonal search, the quarter-turn, the
// failure and dimension messages (repeatability: solver_contract_test.cpp).
#include "thermal/eigen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <numbers>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/listing.h"
#include "support/state_test.h"
#include "support/test_env.h"

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

using Mat = std::vector<double>;  // column-major n x n

double& at(Mat& m, int n, int i, int j) { return m[static_cast<std::size_t>((j - 1) * n + (i - 1))]; }
double at(const Mat& m, int n, int i, int j) { return m[static_cast<std::size_t>((j - 1) * n + (i - 1))]; }

plat::Vec1<double> v1(std::vector<double>& v) { return {v.data(), static_cast<std::int64_t>(v.size())}; }
plat::Vec1<const double> cv1(const std::vector<double>& v) {
  return {v.data(), static_cast<std::int64_t>(v.size())};
}

// Tridiagonal Laplacian: 2 on the diagonal, -1 beside it.
Mat laplacian(int n) {
  Mat k(static_cast<std::size_t>(n * n), 0.0);
  for (int i = 1; i <= n; ++i) {
    at(k, n, i, i) = 2.0;
    if (i > 1) at(k, n, i, i - 1) = at(k, n, i - 1, i) = -1.0;
  }
  return k;
}

struct Decomposition {
  std::vector<double> lambda;
  Mat phi;
  int status = -1;
};

Decomposition decompose(const Mat& k, const std::vector<double>& c) {
  const int n = static_cast<int>(c.size());
  Mat a = k;
  Decomposition d;
  d.phi.assign(static_cast<std::size_t>(n * n), -7.0);
  LEIGEN(cv1(c), n, v1(a), v1(d.phi), d.status);
  d.lambda.assign(a.begin(), a.begin() + n);
  return d;
}

// Largest |(K.phi_m - lambda_m.C.phi_m)_i| / sqrt(C_i), the residual of the
// scaled problem C^(-1/2).K.C^(-1/2), relative to its norm (the largest
// |lambda|).
double residual(const Mat& k, const std::vector<double>& c, const Decomposition& d) {
  const int n = static_cast<int>(c.size());
  double top = 0.0, worst = 0.0;
  for (double l : d.lambda) top = std::max(top, std::fabs(l));
  for (int m = 1; m <= n; ++m) {
    for (int i = 1; i <= n; ++i) {
      double r = -d.lambda[m - 1] * c[i - 1] * at(d.phi, n, i, m);
      for (int j = 1; j <= n; ++j) r += at(k, n, i, j) * at(d.phi, n, j, m);
      worst = std::max(worst, std::fabs(r) / std::sqrt(c[i - 1]) / top);
    }
  }
  return worst;
}

// Largest deviation of phi^T.C.phi from the identity.
double orthonormality(const std::vector<double>& c, const Decomposition& d) {
  const int n = static_cast<int>(c.size());
  double worst = 0.0;
  for (int p = 1; p <= n; ++p)
    for (int q = 1; q <= n; ++q) {
      double s = 0.0;
      for (int i = 1; i <= n; ++i) s += at(d.phi, n, i, p) * c[i - 1] * at(d.phi, n, i, q);
      worst = std::max(worst, std::fabs(s - (p == q ? 1.0 : 0.0)));
    }
  return worst;
}

class EigenTest : public tna_test::StateTest {
 protected:
  void SetUp() override {
    plat::set_exit_throws(true);
    GLOI = GloiRecord{};
    PRTINF(1) = 60;
    PRTINF(2) = 1;
    PRTINF(3) = 6;
    PRTINF(4) = 1;
    plat::io::close_unit(6);
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
  }
  void TearDown() override {
    plat::io::close_unit(6);
    plat::set_exit_throws(false);
  }
  std::string listing() { return tna_test::peek_listing(dir_); }
  tna_test::ScratchDir dir_{"eigen"};
};

// ---------------------------------------------------------------------------
// Analytic eigenpairs.

TEST_F(EigenTest, LaplacianEigenvaluesAndModes) {
  for (int n : {2, 3, 4, 7, 12, 25}) {
    SCOPED_TRACE("n = " + std::to_string(n));
    const Mat k = laplacian(n);
    const std::vector<double> c(static_cast<std::size_t>(n), 1.0);
    const Decomposition d = decompose(k, c);
    ASSERT_EQ(d.status, 0);
    std::vector<double> got = d.lambda, want;
    for (int m = 1; m <= n; ++m) want.push_back(2.0 - 2.0 * std::cos(m * std::numbers::pi / (n + 1)));
    std::sort(got.begin(), got.end());
    for (int m = 0; m < n; ++m) EXPECT_NEAR(got[m], want[m], 1e-14) << m;
    EXPECT_LT(residual(k, c, d), 1e-14);
    EXPECT_LT(orthonormality(c, d), 1e-13);
  }
}

TEST_F(EigenTest, GeneralisedProblemWithDiagonalCapacitances) {
  // A chain of unequal conductances and capacitances, and a dense random SPD.
  std::mt19937 rng(12345);
  std::uniform_real_distribution<double> u(0.5, 3.0);
  for (int n : {3, 6, 15}) {
    SCOPED_TRACE("n = " + std::to_string(n));
    std::vector<double> c(static_cast<std::size_t>(n));
    for (double& x : c) x = u(rng) * 100.0;
    Mat chain(static_cast<std::size_t>(n * n), 0.0);
    for (int i = 1; i <= n; ++i) {
      const double g = u(rng);
      at(chain, n, i, i) += g;  // to a boundary
      if (i < n) {
        const double h = u(rng);
        at(chain, n, i, i) += h;
        at(chain, n, i + 1, i + 1) += h;
        at(chain, n, i, i + 1) = at(chain, n, i + 1, i) = -h;
      }
    }
    Mat dense(static_cast<std::size_t>(n * n), 0.0);
    for (int i = 1; i <= n; ++i)
      for (int j = 1; j < i; ++j) {
        const double g = u(rng);
        at(dense, n, i, j) = at(dense, n, j, i) = -g;
        at(dense, n, i, i) += g;
        at(dense, n, j, j) += g;
      }
    at(dense, n, 1, 1) += 1.0;
    for (const Mat* k : {&chain, &dense}) {
      const Decomposition d = decompose(*k, c);
      ASSERT_EQ(d.status, 0);
      EXPECT_LT(residual(*k, c, d), 1e-14);
      EXPECT_LT(orthonormality(c, d), 1e-13);
      // phi^T.K.phi is diagonal with the eigenvalues, to working precision.
      for (int p = 1; p <= n; ++p)
        for (int q = 1; q <= n; ++q) {
          double s = 0.0;
          for (int i = 1; i <= n; ++i)
            for (int j = 1; j <= n; ++j) s += at(d.phi, n, i, p) * at(*k, n, i, j) * at(d.phi, n, j, q);
          const double want = p == q ? d.lambda[p - 1] : 0.0;
          EXPECT_NEAR(s, want, 1e-13 * std::max(std::fabs(d.lambda[p - 1]), std::fabs(d.lambda[q - 1])));
        }
    }
  }
}

TEST_F(EigenTest, TwoNodesWithMassMatrix) {
  // K = [[g, -g], [-g, g + h]], C = diag(c1, c2): lambda solves
  // c1 c2 l^2 - (c2 g + c1 (g + h)) l + g h = 0.
  const double g = 2.0, h = 3.0, c1 = 4.0, c2 = 0.5;
  const Mat k = {g, -g, -g, g + h};
  const std::vector<double> c = {c1, c2};
  const Decomposition d = decompose(k, c);
  ASSERT_EQ(d.status, 0);
  const double b = c2 * g + c1 * (g + h), disc = std::sqrt(b * b - 4.0 * c1 * c2 * g * h);
  std::vector<double> got = d.lambda;
  std::sort(got.begin(), got.end());
  EXPECT_NEAR(got[0], (b - disc) / (2.0 * c1 * c2), 1e-14 * got[1]);
  EXPECT_NEAR(got[1], (b + disc) / (2.0 * c1 * c2), 1e-14 * got[1]);
  EXPECT_LT(orthonormality(c, d), 1e-12);
}

TEST_F(EigenTest, DiagonalMatrixNeedsNoRotation) {
  const int n = 4;
  Mat k(16, 0.0);
  const std::vector<double> c = {2.0, 0.5, 8.0, 1.0};
  const double diag[] = {6.0, 1.0, 4.0, 9.0};
  for (int i = 1; i <= n; ++i) at(k, n, i, i) = diag[i - 1];
  const Decomposition d = decompose(k, c);
  ASSERT_EQ(d.status, 0);
  for (int i = 1; i <= n; ++i) {
    EXPECT_DOUBLE_EQ(d.lambda[i - 1], diag[i - 1] / c[i - 1]);  // in place, unsorted
    for (int j = 1; j <= n; ++j) EXPECT_EQ(at(d.phi, n, i, j), i == j ? 1.0 / std::sqrt(c[i - 1]) : 0.0);
  }
}

TEST_F(EigenTest, ZeroDiagonalTakesAQuarterTurn) {
  // [[0, 1], [1, 1]] and [[0, -1], [-1, 1]]: eigenvalues (1 -+ sqrt 5) / 2.
  const Mat k = {0.0, 1.0, 1.0, 1.0};
  const Mat kneg = {0.0, -1.0, -1.0, 1.0};
  const std::vector<double> c = {1.0, 1.0};
  double cs = 9, sn = 9;
  int pos = 0;
  S8RCSC(cv1(k), 2, 1, kEigenTau, cs, sn, pos);
  EXPECT_EQ(pos, 1);
  EXPECT_EQ(cs, 0.0);
  EXPECT_EQ(sn, 1.0);
  S8RCSC(cv1(kneg), 2, 1, kEigenTau, cs, sn, pos);
  EXPECT_EQ(pos, 1);
  EXPECT_EQ(sn, -1.0);
  for (const Mat* m : {&k, &kneg}) {
    const Decomposition d = decompose(*m, c);
    ASSERT_EQ(d.status, 0);
    std::vector<double> got = d.lambda;
    std::sort(got.begin(), got.end());
    EXPECT_NEAR(got[0], (1.0 - std::sqrt(5.0)) / 2.0, 1e-15);
    EXPECT_NEAR(got[1], (1.0 + std::sqrt(5.0)) / 2.0, 1e-15);
    EXPECT_LT(residual(*m, c, d), 1e-15);
    EXPECT_LT(orthonormality(c, d), 1e-12);
  }
}

// Closed form of the two-node problem K = [[k11, k12], [k12, k22]], C =
// diag(c1, c2): the eigenvalues of C^-1.K, the smaller one taken as det /
// larger so that a graded pair keeps it to working precision.
std::pair<double, double> two_node_eigenvalues(double k11, double k12, double k22, double c1, double c2) {
  const double a = k11 / c1, d = k22 / c2, det = (k11 * k22 - k12 * k12) / (c1 * c2);
  const double big = 0.5 * (a + d) + std::sqrt(0.25 * (a - d) * (a - d) + k12 * k12 / (c1 * c2));
  return {det / big, big};
}

TEST_F(EigenTest, GradedAndDegenerateTwoNodePairsAreExact) {
  // K of two nodes joined by g12, each joined to a boundary by g1, g2.
  struct Case {
    const char* what;
    double g1, g2, g12, c1, c2;
  } cases[] = {
      {"stiff node (C 1E-6) between a slow one (C 10) and the boundary", 1.0, 0.0, 1.0, 1e-6, 10.0},
      {"the stiff node second", 0.0, 1.0, 1.0, 10.0, 1e-6},
      {"identical nodes weakly coupled", 1.0, 1.0, 0.01, 10.0, 10.0},
      {"identical nodes, coupling 1E-9", 2.0, 2.0, 1e-9, 3.0, 3.0},
      {"a floating pair (eigenvalue 0)", 0.0, 0.0, 1.5, 2.0, 4.0},
      {"an ordinary pair", 0.5, 0.2, 0.8, 4.0, 1.5},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.what);
    const double k11 = t.g1 + t.g12, k22 = t.g2 + t.g12, k12 = -t.g12;
    const Mat k = {k11, k12, k12, k22};
    const std::vector<double> c = {t.c1, t.c2};
    const Decomposition d = decompose(k, c);
    ASSERT_EQ(d.status, 0);
    const auto [small, big] = two_node_eigenvalues(k11, k12, k22, t.c1, t.c2);
    std::vector<double> got = d.lambda;
    std::sort(got.begin(), got.end());
    EXPECT_NEAR(got[1], big, 4e-16 * big);
    // The small eigenvalue to working precision of the scaled matrix.
    EXPECT_NEAR(got[0], small, 4e-16 * big);
    if (small != 0.0 && big / small < 1e9) {
      EXPECT_NEAR(got[0], small, 1e-9 * small);
    }
    EXPECT_LT(residual(k, c, d), 1e-15);
    EXPECT_LT(orthonormality(c, d), 1e-14);
  }
}

TEST_F(EigenTest, EqualEigenvaluesSettle) {
  // [[0, 1], [1, 0]]: eigenvalues -1 and 1 of equal magnitude (an unshifted
  // QR step would give the same matrix back).
  {
    const Mat k = {0.0, 1.0, 1.0, 0.0};
    const std::vector<double> c = {1.0, 1.0};
    const Decomposition d = decompose(k, c);
    ASSERT_EQ(d.status, 0);
    std::vector<double> got = d.lambda;
    std::sort(got.begin(), got.end());
    EXPECT_NEAR(got[0], -1.0, 1e-15);
    EXPECT_NEAR(got[1], 1.0, 1e-15);
    EXPECT_LT(orthonormality(c, d), 1e-15);
  }
  // Five identical nodes, each joined to the boundary by g and to every
  // other one by h: g once (all nodes together) and g + 5h four times.
  const int n = 5;
  const double g = 0.7, h = 0.3, cap = 2.0;
  Mat k(static_cast<std::size_t>(n * n), 0.0);
  for (int i = 1; i <= n; ++i) {
    at(k, n, i, i) = g + (n - 1) * h;
    for (int j = 1; j <= n; ++j)
      if (j != i) at(k, n, i, j) = -h;
  }
  const std::vector<double> c(static_cast<std::size_t>(n), cap);
  const Decomposition d = decompose(k, c);
  ASSERT_EQ(d.status, 0);
  std::vector<double> got = d.lambda;
  std::sort(got.begin(), got.end());
  EXPECT_NEAR(got[0], g / cap, 1e-15);
  for (int m = 1; m < n; ++m) EXPECT_NEAR(got[static_cast<std::size_t>(m)], (g + n * h) / cap, 1e-15) << m;
  EXPECT_LT(residual(k, c, d), 1e-15);
  EXPECT_LT(orthonormality(c, d), 1e-14);
}

TEST_F(EigenTest, GradedNetworksAgreeWithADenseReference) {
#if !TNA_HAVE_EIGEN
  GTEST_SKIP() << "Eigen headers not found";
#else
  // Random networks: grid and random conductors, some nodes to a boundary,
  // capacitances over nine decades (some stiff nodes at 1E-6).
  std::mt19937 rng(2024);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (int n : {3, 8, 30, 60}) {
    SCOPED_TRACE("n = " + std::to_string(n));
    Mat k(static_cast<std::size_t>(n * n), 0.0);
    std::vector<double> c(static_cast<std::size_t>(n));
    const auto link = [&](int i, int j, double v) {
      at(k, n, i, i) += v;
      at(k, n, j, j) += v;
      at(k, n, i, j) -= v;
      at(k, n, j, i) -= v;
    };
    for (int i = 1; i <= n; ++i) {
      if (i < n) link(i, i + 1, 0.1 + u(rng));
      const int j = 1 + static_cast<int>(u(rng) * n) % n;
      if (j != i) link(i, j, 0.05 * u(rng));
      if (u(rng) < 0.3) at(k, n, i, i) += u(rng);
      c[static_cast<std::size_t>(i - 1)] = u(rng) < 0.1 ? 1e-6 : std::pow(10.0, -3.0 + 6.0 * u(rng));
    }
    const Decomposition d = decompose(k, c);
    ASSERT_EQ(d.status, 0);
    Eigen::MatrixXd s(n, n);
    for (int i = 1; i <= n; ++i)
      for (int j = 1; j <= n; ++j) s(i - 1, j - 1) = at(k, n, i, j) / std::sqrt(c[i - 1] * c[j - 1]);
    const Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> ref(s);
    ASSERT_EQ(ref.info(), Eigen::Success);
    std::vector<double> got = d.lambda, want(ref.eigenvalues().data(), ref.eigenvalues().data() + n);
    std::sort(got.begin(), got.end());
    std::sort(want.begin(), want.end());
    const double top = std::max(std::fabs(want.front()), std::fabs(want.back()));
    for (int m = 0; m < n; ++m)
      EXPECT_NEAR(got[static_cast<std::size_t>(m)], want[static_cast<std::size_t>(m)], 1e-14 * top) << m;
    EXPECT_LT(residual(k, c, d), 1e-14);
    EXPECT_LT(orthonormality(c, d), 1e-13);
  }
#endif
}

TEST_F(EigenTest, FloatingGroupHasAZeroEigenvalue) {
  // Three nodes in a chain without a boundary: lambda = 0 with a flat mode.
  const int n = 3;
  Mat k = laplacian(n);
  at(k, n, 1, 1) = 1.0;
  at(k, n, 3, 3) = 1.0;
  const std::vector<double> c = {1.0, 2.0, 1.0};
  const Decomposition d = decompose(k, c);
  ASSERT_EQ(d.status, 0);
  int zero = 0;
  for (int m = 1; m <= n; ++m)
    if (std::fabs(d.lambda[m - 1]) < 1e-9) {
      ++zero;
      EXPECT_NEAR(at(d.phi, n, 1, m), at(d.phi, n, 2, m), 1e-6);
      EXPECT_NEAR(at(d.phi, n, 1, m), at(d.phi, n, 3, m), 1e-6);
    }
  EXPECT_EQ(zero, 1);
}

// ---------------------------------------------------------------------------
// The pieces.

TEST_F(EigenTest, RotationSearchTable) {
  // 3 x 3 tridiagonal matrices given by diagonal and subdiagonal.
  struct Case {
    double d1, d2, d3, s1, s2;
    int start, pos;
  } cases[] = {
      {1, 1, 1, 0, 0, 1, 3},           // diagonal: none
      {1, 1, 1, 1e-17, 0, 1, 3},       // within the machine precision: negligible
      {1, 1, 1, 1e-15, 0, 1, 1},       // beyond it: needed at 1
      {1, 1, 1, 0, 0.5, 1, 2},         // first needed at 2
      {1, 1, 1, 0.5, 0.5, 2, 2},       // search from 2
      {1, 0, 1, 0, 1e-38, 1, 3},       // below 1.0E-37 under a zero diagonal term
      {0, 1, 1, 1e-30, 0, 1, 1},       // above it next to a zero diagonal term: needed
      {2e6, 0.1, 1, 316, 0, 1, 1},     // stiff coupling, tangent 1.6E-4 against the large term: needed
      {1e6, 1e-6, 1, 1e-16, 0, 1, 3},  // graded: negligible against the geometric mean 1
      {1e6, 1e-6, 1, 1e-10, 0, 1, 1},  // graded: needed although tiny against 1E6
      {-4, 0.25, 1, 1e-16, 0, 1, 3},   // magnitudes of negative terms
  };
  for (const Case& t : cases) {
    Mat a(9, 0.0);
    at(a, 3, 1, 1) = t.d1;
    at(a, 3, 2, 2) = t.d2;
    at(a, 3, 3, 3) = t.d3;
    at(a, 3, 2, 1) = at(a, 3, 1, 2) = t.s1;
    at(a, 3, 3, 2) = at(a, 3, 2, 3) = t.s2;
    double cs = 0, sn = 0;
    int pos = 0;
    S8RCSC(cv1(a), 3, t.start, kEigenTau, cs, sn, pos);
    EXPECT_EQ(pos, t.pos) << t.s1 << " " << t.s2 << " from " << t.start;
    if (pos < 3) {
      const double sub = at(a, 3, pos + 1, pos), dg = at(a, 3, pos, pos);
      EXPECT_NEAR(cs * sub - sn * dg, 0.0, 1e-15);  // the rotation clears the subdiagonal
      EXPECT_NEAR(cs * cs + sn * sn, 1.0, 1e-15);
    }
  }
}

TEST_F(EigenTest, TridiagonalReductionKeepsTheMatrix) {
  const int n = 6;
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  Mat k(static_cast<std::size_t>(n * n));
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= i; ++j) at(k, n, i, j) = at(k, n, j, i) = u(rng);
  at(k, n, 4, 1) = at(k, n, 1, 4) = 0.0;  // an entry already zero is passed over
  Mat a = k, phi(static_cast<std::size_t>(n * n), 0.0);
  for (int i = 1; i <= n; ++i) at(phi, n, i, i) = 1.0;
  int st = -1;
  LTRIDG(v1(a), n, v1(phi), st);
  EXPECT_EQ(st, 0);
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j) {
      EXPECT_EQ(at(a, n, i, j), at(a, n, j, i));
      if (std::abs(i - j) > 1) {
        EXPECT_EQ(at(a, n, i, j), 0.0);
      }
      double s = 0.0;  // (phi.a.phi^T)(i, j)
      for (int p = 1; p <= n; ++p)
        for (int q = 1; q <= n; ++q) s += at(phi, n, i, p) * at(a, n, p, q) * at(phi, n, j, q);
      EXPECT_NEAR(s, at(k, n, i, j), 1e-13);
    }
}

TEST_F(EigenTest, GatheringTheDiagonal) {
  Mat a = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  LSRTEV(3, v1(a));
  EXPECT_EQ(a[0], 1.0);
  EXPECT_EQ(a[1], 5.0);
  EXPECT_EQ(a[2], 9.0);
  Mat one = {4.0};
  LSRTEV(1, v1(one));
  EXPECT_EQ(one[0], 4.0);
}

// ---------------------------------------------------------------------------
// Messages.

TEST_F(EigenTest, OneNodeIsRefused) {
  std::vector<double> c = {1.0}, a = {2.0}, phi = {0.0};
  int st = -1;
  EXPECT_THROW(LEIGEN(cv1(c), 1, v1(a), v1(phi), st), plat::ProcessExit);
  EXPECT_EQ(st, 2);
  const std::string out = listing();
  EXPECT_NE(out.find("SLMODE: Invalid dimension of conductivity"), std::string::npos) << out;
  EXPECT_NE(out.find("(LEIGEN,   2)"), std::string::npos) << out;
  EXPECT_NE(out.find("FATAL ERROR"), std::string::npos);
}

TEST_F(EigenTest, NotANumberIsAFailure) {
  // A negative capacitance makes scaled terms that are not numbers: the
  // iteration could never settle, and says so at once.
  const Mat k = {2.0, -1.0, -1.0, 2.0};
  Mat a = k, phi(4, 0.0);
  const std::vector<double> c = {1.0, -1.0};
  int st = -1;
  EXPECT_THROW(LEIGEN(cv1(c), 2, v1(a), v1(phi), st), plat::ProcessExit);
  EXPECT_EQ(st, 1);
  const std::string out = listing();
  EXPECT_NE(out.find("SLMODE: Failed in Eigen value solution"), std::string::npos) << out;
  EXPECT_NE(out.find("(LDIAGN,   1)"), std::string::npos) << out;
}

TEST_F(EigenTest, SweepLimitFails) {
  const int n = 5;
  Mat a = laplacian(n), phi(static_cast<std::size_t>(n * n), 0.0);
  for (int i = 1; i <= n; ++i) at(phi, n, i, i) = 1.0;
  int st = -1;
  EXPECT_THROW(LDIAGN(1, kEigenTau, v1(a), n, v1(phi), st), plat::ProcessExit);
  EXPECT_EQ(st, 1);
  const std::string out = listing();
  EXPECT_NE(out.find("SLMODE: Failed in Eigen value solution"), std::string::npos) << out;
  EXPECT_NE(out.find("(LDIAGN,   1)"), std::string::npos) << out;
}

}  // namespace
