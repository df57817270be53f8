// Dense LU factorisation without pivoting and the transposed solve of the
// Gear corrector, on hand-checked small systems and singular matrices.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "thermal/gear_jacobian.h"

namespace {

// The storage of the corrector: s(nd (b - 1) + a) = S(a, b) = J(b, a), so
// the matrix J written row by row is the storage itself.
struct System {
  int nd;
  std::vector<double> j;  // J row by row
  std::vector<double> f;
};

int factor(int nd, std::vector<double>& s) {
  int status = -1;
  S5FACT(nd, ThReals(s.data(), static_cast<std::int64_t>(s.size())), status);
  return status;
}

void solve(int nd, const std::vector<double>& s, std::vector<double>& f) {
  S5MATS(nd, ThCReals(s.data(), static_cast<std::int64_t>(s.size())), ThReals(f.data(), nd));
}

TEST(GearDenseLinearAlgebra, HandCheckedSystems) {
  struct Case {
    System sys;
    std::vector<double> x;
  } cases[] = {
      {{1, {4.0}, {2.0}}, {0.5}},
      {{2, {4.0, 1.0, 2.0, 3.0}, {1.0, 2.0}}, {0.1, 0.6}},
      {{3, {2.0, -1.0, 0.0, -1.0, 2.0, -1.0, 0.0, -1.0, 2.0}, {1.0, 0.0, 1.0}}, {1.0, 1.0, 1.0}},
      // Unsymmetric: the solve must be with J, not its transpose.
      {{3, {3.0, 1.0, 0.0, 0.0, 2.0, 1.0, 1.0, 0.0, 4.0}, {4.0, 3.0, 5.0}}, {1.0, 1.0, 1.0}},
  };
  for (auto& c : cases) {
    std::vector<double> s = c.sys.j, f = c.sys.f;
    EXPECT_EQ(factor(c.sys.nd, s), 0);
    solve(c.sys.nd, s, f);
    for (int a = 0; a < c.sys.nd; ++a) EXPECT_NEAR(f[a], c.x[a], 1e-15) << c.sys.nd << " " << a;
  }
}

TEST(GearDenseLinearAlgebra, FactorsInPlaceAsUnitLowerTimesUpper) {
  // S = J^T = [[4, 2], [1, 3]]: L(2,1) = 1/4, U = [[4, 2], [0, 2.5]].
  std::vector<double> s = {4.0, 1.0, 2.0, 3.0};
  ASSERT_EQ(factor(2, s), 0);
  EXPECT_EQ(s[0], 4.0);   // S(1,1)
  EXPECT_EQ(s[1], 0.25);  // S(2,1) = L(2,1)
  EXPECT_EQ(s[2], 2.0);   // S(1,2)
  EXPECT_EQ(s[3], 2.5);   // S(2,2)
  // One row: nothing changes.
  std::vector<double> one = {7.0};
  EXPECT_EQ(factor(1, one), 0);
  EXPECT_EQ(one[0], 7.0);
}

TEST(GearDenseLinearAlgebra, DiagonallyDominantSystemsSolveToRoundoff) {
  std::mt19937 rng(12345);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (int nd : {2, 5, 12, 40}) {
    std::vector<double> j(static_cast<std::size_t>(nd * nd)), x(static_cast<std::size_t>(nd)), f(x.size());
    for (int b = 0; b < nd; ++b) {
      double row = 0.0;
      for (int a = 0; a < nd; ++a) {
        j[b * nd + a] = u(rng);
        row += std::fabs(j[b * nd + a]);
      }
      j[b * nd + b] = row + 1.0;
      x[b] = u(rng) * 100.0;
    }
    for (int b = 0; b < nd; ++b) {
      f[b] = 0.0;
      for (int a = 0; a < nd; ++a) f[b] += j[b * nd + a] * x[a];
    }
    std::vector<double> s = j;
    ASSERT_EQ(factor(nd, s), 0);
    solve(nd, s, f);
    for (int a = 0; a < nd; ++a) EXPECT_NEAR(f[a], x[a], 1e-10) << nd;
  }
}

TEST(GearDenseLinearAlgebra, SingularAndNonFinitePivotsAreReported) {
  const double nan = std::nan("");
  struct Case {
    int nd;
    std::vector<double> j;
    int status;  // first row whose pivot is zero or not finite
    // clang-format off
  } cases[] = {
      {1, {0.0}, 1},
      {2, {0.0, 1.0, 1.0, 0.0}, 1},               // needs pivoting, which is not done
      {2, {1.0, 1.0, 1.0, 1.0}, 2},               // rank 1
      {3, {1.0, 2.0, 3.0, 2.0, 4.0, 6.0, 1.0, 0.0, 1.0}, 2},
      {2, {nan, 1.0, 1.0, 2.0}, 1},
      {2, {1.0, 1.0, 1.0, nan}, 2},
  };
  // clang-format on
  for (auto& c : cases) {
    std::vector<double> s = c.j;
    EXPECT_EQ(factor(c.nd, s), c.status) << c.nd;
    // The solve then gives values that are not finite, never a silent answer.
    std::vector<double> f(static_cast<std::size_t>(c.nd), 1.0);
    solve(c.nd, s, f);
    bool finite = true;
    for (double v : f) finite = finite && std::isfinite(v);
    EXPECT_FALSE(finite) << c.nd;
  }
}

TEST(GearDenseLinearAlgebra, EmptySystemIsNoWork) {
  std::vector<double> s = {1.0}, f = {3.0};
  EXPECT_EQ(factor(0, s), 0);
  S5MATS(0, ThCReals(s.data(), 1), ThReals(f.data(), 1));
  EXPECT_EQ(f[0], 3.0);
}

}  // namespace
