// Profile solver of the fluid node equations (FHSFCT, FHSSUB, FHSKS1,
// FHSKSV) against a dense LU, on the symmetric profile of the hydraulic
// ordering and on the two-phase profile whose last loop rows reach back to
// the loop's first column; zero pivots, the signed largest change and the
// cleared matrix.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "fluid/ordering.h"
#include "fluid/profile_solver.h"
#include "fluid_fixture.h"
#include "support/state_test.h"

namespace fluid_test {
namespace {

// A profile: lower profile jl (first column of each row), upper profile ju
// (first row of each column); ir and id follow from them.
struct Profile {
  int n = 0;
  std::vector<std::int32_t> jl, ju, ir, id, perm;
  int lprof = 0;

  static Profile make(std::vector<std::int32_t> jl, std::vector<std::int32_t> ju) {
    Profile p;
    p.n = static_cast<int>(jl.size());
    p.jl = std::move(jl);
    p.ju = std::move(ju);
    p.ir.assign(static_cast<std::size_t>(p.n), 0);
    for (int r = 1; r <= p.n; ++r) p.ir[r - 1] = r;
    for (int q = 1; q <= p.n; ++q)
      for (int r = p.ju[q - 1]; r < q; ++r) p.ir[r - 1] = std::max(p.ir[r - 1], q);
    p.id.assign(static_cast<std::size_t>(p.n), 1);
    for (int r = 2; r <= p.n; ++r) p.id[r - 1] = p.id[r - 2] + (p.ir[r - 2] - (r - 1)) + (r - p.jl[r - 1]) + 1;
    p.lprof = p.id[p.n - 1] + p.ir[p.n - 1] - p.n;
    p.perm.resize(static_cast<std::size_t>(p.n));
    for (int r = 1; r <= p.n; ++r) p.perm[r - 1] = r;
    return p;
  }
  bool stored(int r, int q) const { return q <= r ? q >= jl[r - 1] : r >= ju[q - 1]; }
  int place(int r, int q) const { return id[r - 1] + q - r; }
  FlInts v(std::vector<std::int32_t>& a) const { return FlInts(a.data(), static_cast<std::int64_t>(a.size())); }
};

// Dense Gaussian elimination with partial pivoting.
std::vector<double> dense_solve(std::vector<std::vector<double>> a, std::vector<double> b) {
  const int n = static_cast<int>(b.size());
  for (int c = 0; c < n; ++c) {
    int piv = c;
    for (int r = c + 1; r < n; ++r)
      if (std::fabs(a[r][c]) > std::fabs(a[piv][c])) piv = r;
    std::swap(a[c], a[piv]);
    std::swap(b[c], b[piv]);
    for (int r = c + 1; r < n; ++r) {
      const double f = a[r][c] / a[c][c];
      for (int k = c; k < n; ++k) a[r][k] -= f * a[c][k];
      b[r] -= f * b[c];
    }
  }
  std::vector<double> x(static_cast<std::size_t>(n));
  for (int r = n - 1; r >= 0; --r) {
    double s = b[r];
    for (int k = r + 1; k < n; ++k) s -= a[r][k] * x[k];
    x[r] = s / a[r][r];
  }
  return x;
}

// Fills the profile with random entries (a non-symmetric matrix whose
// diagonal dominates its row), returns the dense copy.
std::vector<std::vector<double>> fill(const Profile& p, std::vector<double>& amat, std::mt19937& rng) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<std::vector<double>> a(p.n, std::vector<double>(p.n, 0.0));
  amat.assign(static_cast<std::size_t>(p.lprof), 0.0);
  for (int r = 1; r <= p.n; ++r) {
    double sum = 0.0;
    for (int q = 1; q <= p.n; ++q) {
      if (q == r || !p.stored(r, q)) continue;
      // Some stored places are structural zeros, as in a network matrix.
      const double v = u(rng) < -0.5 ? 0.0 : u(rng);
      a[r - 1][q - 1] = v;
      sum += std::fabs(v);
    }
    a[r - 1][r - 1] = (u(rng) < 0.0 ? -1.0 : 1.0) * (sum + 0.5 + std::fabs(u(rng)));
    for (int q = 1; q <= p.n; ++q)
      if (p.stored(r, q)) amat[p.place(r, q) - 1] = a[r - 1][q - 1];
  }
  return a;
}

// Lower profile jl and upper profile ju of a random network-like profile:
// each row's first column is a random earlier row. With loops, the last row
// of each loop reaches back to the loop's first column in its lower profile
// only (the two-phase layout).
Profile random_profile(int n, bool loops, std::mt19937& rng) {
  std::vector<std::int32_t> ju(static_cast<std::size_t>(n));
  std::vector<int> loop_start(static_cast<std::size_t>(n));
  int start = 1;
  for (int r = 1; r <= n; ++r) {
    if (r > 1 && rng() % 7 == 0) start = r;  // a new loop
    loop_start[r - 1] = start;
    const int lo = std::max(start, r - 1 - static_cast<int>(rng() % 6));
    ju[r - 1] = r == start ? r : lo;
  }
  std::vector<std::int32_t> jl = ju;
  if (loops) {
    for (int r = 1; r <= n; ++r)
      if (r == n || loop_start[r] != loop_start[r - 1]) jl[r - 1] = loop_start[r - 1];
  }
  return Profile::make(jl, ju);
}

class ProfileSolverTest : public tna_test::StateTestWithParam<bool> {};

TEST_P(ProfileSolverTest, AgreesWithDenseLu) {
  const bool loops = GetParam();
  std::mt19937 rng(loops ? 17u : 5u);
  for (int trial = 0; trial < 40; ++trial) {
    const int n = 1 + static_cast<int>(rng() % 30);
    Profile p = random_profile(n, loops, rng);
    // Solver position r holds node perm(r), a shuffle.
    std::shuffle(p.perm.begin(), p.perm.end(), rng);
    std::vector<double> amat;
    const auto a = fill(p, amat, rng);
    std::vector<double> b(static_cast<std::size_t>(n)), x(static_cast<std::size_t>(n), 0.0);
    for (double& v : b) v = std::uniform_real_distribution<double>(-10.0, 10.0)(rng);
    const std::vector<double> expect = dense_solve(a, b);
    double dmax = 99.0;
    int ierr = -1;
    plat::Text<6> routine = "KEEP";
    FHSKS1(FlReals(amat.data(), p.lprof), p.v(p.id), p.v(p.jl), p.v(p.ir), n, p.v(p.perm), p.v(p.ju), p.lprof,
           FlReals(b.data(), n), FlReals(x.data(), n), dmax, ierr, routine);
    ASSERT_EQ(ierr, 0);
    EXPECT_EQ(routine, "KEEP");
    double big = 0.0;
    for (int r = 1; r <= n; ++r) {
      EXPECT_NEAR(x[p.perm[r - 1] - 1], expect[r - 1], 1e-10 * (1.0 + std::fabs(expect[r - 1])))
          << "trial " << trial << " row " << r;
      EXPECT_EQ(b[r - 1], x[p.perm[r - 1] - 1]);  // the solution in solver order
      if (std::fabs(expect[r - 1]) > std::fabs(big)) big = expect[r - 1];
    }
    EXPECT_NEAR(dmax, big, 1e-10 * (1.0 + std::fabs(big)));  // from x = 0
    for (double v : amat) ASSERT_EQ(v, 0.0);
  }
}

INSTANTIATE_TEST_SUITE_P(Layouts, ProfileSolverTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "LoopRows" : "Symmetric"; });

// The factorisation as a plain Doolittle loop, row by row: row i of L by dot
// products down the columns of U, then column i of U. FHSFCT must give this
// factor bit for bit, whatever order its loops take the entries in. Returns
// the row of the first zero pivot (0 when none), the rows after it left.
int plain_factor(const Profile& p, std::vector<double>& a) {
  auto at = [&](int q) -> double& { return a[static_cast<std::size_t>(q - 1)]; };
  for (int i = 1; i <= p.n; ++i) {
    const int di = p.id[i - 1], jli = p.jl[i - 1], jui = p.ju[i - 1];
    for (int j = jli; j < i; ++j) {
      double s = at(di + j - i);
      for (int l = std::max(p.ju[j - 1], jli); l < j; ++l) s -= at(di + l - i) * at(p.id[l - 1] + j - l);
      at(di + j - i) = s / at(p.id[j - 1]);
    }
    for (int j = jui; j <= i; ++j) {
      const int dj = p.id[j - 1];
      double s = at(dj + i - j);
      for (int l = std::max(p.jl[j - 1], jui); l < j; ++l) s -= at(dj + l - j) * at(p.id[l - 1] + i - l);
      at(dj + i - j) = s;
    }
    if (std::fabs(at(di)) < static_cast<double>(1.0e-37f)) return i;
  }
  return 0;
}

// Forward and back substitution as plain dot products along the rows.
void plain_substitute(const Profile& p, const std::vector<double>& a, std::vector<double>& b) {
  auto at = [&](int q) { return a[static_cast<std::size_t>(q - 1)]; };
  for (int i = 1; i <= p.n; ++i) {
    double s = b[i - 1];
    for (int l = p.jl[i - 1]; l < i; ++l) s -= at(p.place(i, l)) * b[l - 1];
    b[i - 1] = s;
  }
  for (int i = p.n; i >= 1; --i) {
    double s = b[i - 1];
    for (int q = i + 1; q <= p.ir[i - 1]; ++q) s -= at(p.place(i, q)) * b[q - 1];
    b[i - 1] = s / at(p.place(i, i));
  }
}

// A profile shaped as the orderings build theirs: each column's first row
// (ju) is the row that reached it first, so ju never decreases, reaching at
// most `reach` rows up; with loops, the last row of each loop reaches back
// to the loop's first column in its lower profile only.
Profile ordering_profile(int n, bool loops, int reach, std::mt19937& rng) {
  std::vector<std::int32_t> ju(static_cast<std::size_t>(n));
  std::vector<int> loop_start(static_cast<std::size_t>(n));
  int start = 1;
  for (int r = 1; r <= n; ++r) {
    if (r > 1 && rng() % 9 == 0) start = r;
    loop_start[r - 1] = start;
    ju[r - 1] = r == start ? r : std::min(r - 1, std::max(ju[r - 2], r - 1 - static_cast<int>(rng() % reach)));
    if (r > start) ju[r - 1] = std::max(ju[r - 1], start);
  }
  std::vector<std::int32_t> jl = ju;
  if (loops)
    for (int r = 1; r <= n; ++r)
      if (r == n || loop_start[r] != loop_start[r - 1]) jl[r - 1] = loop_start[r - 1];
  return Profile::make(jl, ju);
}

void expect_same_bits(const std::vector<double>& got, const std::vector<double>& want, const char* what) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t q = 0; q < got.size(); ++q) {
    std::uint64_t a = 0, b = 0;
    std::memcpy(&a, &got[q], sizeof a);
    std::memcpy(&b, &want[q], sizeof b);
    ASSERT_EQ(a, b) << what << " word " << q + 1 << " of " << got.size();
  }
}

// FHSFCT and FHSSUB against the plain loops on a random matrix of the
// profile, bit for bit.
void expect_plain_loops(Profile& p, std::mt19937& rng) {
  std::vector<double> amat;
  fill(p, amat, rng);
  std::vector<double> want = amat;
  ASSERT_EQ(plain_factor(p, want), 0);
  int ierr = -1;
  FHSFCT(p.v(p.id), p.v(p.jl), p.n, p.v(p.ju), FlReals(amat.data(), p.lprof), ierr);
  ASSERT_EQ(ierr, 0);
  expect_same_bits(amat, want, "factor");
  std::vector<double> b(static_cast<std::size_t>(p.n));
  for (double& v : b) v = std::uniform_real_distribution<double>(-10.0, 10.0)(rng);
  std::vector<double> bwant = b;
  plain_substitute(p, want, bwant);
  FHSSUB(p.v(p.jl), p.v(p.ir), p.v(p.id), FlReals(amat.data(), p.lprof), p.n, FlReals(b.data(), p.n), ierr);
  ASSERT_EQ(ierr, 0);
  expect_same_bits(b, bwant, "solution");
}

TEST_P(ProfileSolverTest, FactorAndSubstitutionAreThePlainLoopsBitForBit) {
  // Both layouts, the orderings' profiles, narrow and wide, and random ones
  // whose columns start anywhere.
  const bool loops = GetParam();
  std::mt19937 rng(loops ? 41u : 43u);
  for (int trial = 0; trial < 30; ++trial) {
    SCOPED_TRACE(trial);
    const int n = 1 + static_cast<int>(rng() % 120);
    Profile p = ordering_profile(n, loops, 8, rng);
    expect_plain_loops(p, rng);
    Profile w = ordering_profile(1 + static_cast<int>(rng() % 300), loops, 60, rng);
    expect_plain_loops(w, rng);
    Profile q = random_profile(1 + static_cast<int>(rng() % 40), loops, rng);
    expect_plain_loops(q, rng);
  }
  // A long column, and with loops a last row reaching back across it.
  const int n = 2100;
  std::vector<std::int32_t> ju(n);
  for (int r = 1; r <= n; ++r) ju[r - 1] = std::max(1, r - 1);
  ju[n - 1] = 1;
  std::vector<std::int32_t> jl = ju;
  if (loops) jl[n - 2] = 1;
  Profile tall = Profile::make(jl, ju);
  expect_plain_loops(tall, rng);
}

TEST_P(ProfileSolverTest, FirstZeroPivotIsThePlainLoopsOne) {
  // Row k of an orderings' profile emptied left of its diagonal with a zero
  // diagonal: U(k, k) comes out exactly 0. FHSFCT names row k, and the
  // part both have finished, columns 1 .. k of the rows above it, is the
  // plain loops' factor bit for bit.
  const bool loops = GetParam();
  std::mt19937 rng(loops ? 7u : 11u);
  for (int trial = 0; trial < 20; ++trial) {
    SCOPED_TRACE(trial);
    Profile p = ordering_profile(2 + static_cast<int>(rng() % 100), loops, 12, rng);
    std::vector<double> amat;
    fill(p, amat, rng);
    const int k = 1 + static_cast<int>(rng() % p.n);
    for (int q = p.jl[k - 1]; q <= k; ++q) amat[p.place(k, q) - 1] = 0.0;
    std::vector<double> want = amat;
    ASSERT_EQ(plain_factor(p, want), k);
    int ierr = -1;
    FHSFCT(p.v(p.id), p.v(p.jl), p.n, p.v(p.ju), FlReals(amat.data(), p.lprof), ierr);
    EXPECT_EQ(ierr, k);
    for (int r = 1; r < k; ++r)
      for (int q = p.jl[r - 1]; q <= std::min(p.ir[r - 1], k); ++q)
        ASSERT_EQ(amat[p.place(r, q) - 1], want[p.place(r, q) - 1]) << "row " << r << " column " << q;
  }
}

class OrderedSolveTest : public FluidTest {};

TEST_F(OrderedSolveTest, HydraulicOrderingOfABranchedNetwork) {
  // FHSKSV on the ordering of FPNTRS: the matrix of a branched network of
  // random conductances with one held pressure, against a dense LU.
  tna_test::FluidModel fm;
  const int n = 40;
  for (int i = 1; i <= n; ++i) fm.fluid(i);
  std::mt19937 rng(3);
  for (int i = 2; i <= n; ++i) fm.link(1 + static_cast<int>(rng() % (i - 1)), i, 0.1);
  for (int j = 0; j < 8; ++j) fm.link(1 + static_cast<int>(rng() % n), 1 + static_cast<int>(rng() % n), 0.1);
  build(fm);
  std::vector<std::int32_t> block(5 * static_cast<std::size_t>(n));
  FlOrdering ord = fl_ordering(FlInts(block.data(), static_cast<std::int64_t>(block.size())), n);
  FPNTRS(net, ord);
  std::vector<double> amat(static_cast<std::size_t>(ord.lprof), 0.0), b(n, 0.0), x(n, 1.0);
  std::vector<std::vector<double>> a(n, std::vector<double>(n, 0.0));
  std::vector<double> bd(n, 0.0);
  std::uniform_real_distribution<double> u(0.5, 2.0);
  auto add = [&](int r, int q, double v) {
    a[r - 1][q - 1] += v;
    amat[ord.id(r) + q - r - 1] += v;
  };
  for (int l = 1; l <= net.nl; ++l) {
    const int r1 = ord.pos(net.first(l)), r2 = ord.pos(net.second(l));
    if (r1 == r2) continue;
    const double g = u(rng);
    add(r1, r1, -g);
    add(r2, r2, -g);
    add(r1, r2, g);
    add(r2, r1, g);
  }
  // Node 1 held at 5; a mass source at every other node.
  const int r0 = ord.pos(1);
  for (int q = ord.jl(r0); q <= ord.ir(r0); ++q) amat[ord.id(r0) + q - r0 - 1] = 0.0;
  for (int q = 0; q < n; ++q) a[r0 - 1][q] = 0.0;
  add(r0, r0, 1.0);
  for (int r = 1; r <= n; ++r) bd[r - 1] = b[r - 1] = r == r0 ? 5.0 : -0.01 * r;
  const std::vector<double> expect = dense_solve(a, bd);
  double dmax = 0.0;
  int ierr = 0;
  plat::Text<6> routine;
  FHSKSV(FlReals(amat.data(), ord.lprof), n, ord.lprof, FlReals(b.data(), n), FlReals(x.data(), n), dmax, ierr,
         routine, ord);
  ASSERT_EQ(ierr, 0);
  for (int r = 1; r <= n; ++r)
    EXPECT_NEAR(x[ord.perm(r) - 1], expect[r - 1], 1e-9 * (1.0 + std::fabs(expect[r - 1]))) << r;
  EXPECT_NEAR(x[0], 5.0, 1e-12);
}

TEST(ProfileSolver, ZeroPivotInFactorisationNamesItsNodeAndClearsTheMatrix) {
  // Rows (1 1; 1 1): U(2, 2) becomes exactly 0. Solver position 2 holds node 7.
  Profile p = Profile::make({1, 1}, {1, 1});
  std::vector<std::int32_t> perm = {4, 7};
  std::vector<double> amat = {1.0, 1.0, 1.0, 1.0};
  ASSERT_EQ(p.lprof, 4);
  std::vector<double> b = {1.0, 2.0}, x(8, 3.0);
  double dmax = 5.0;
  int ierr = 0;
  plat::Text<6> routine;
  FHSKS1(FlReals(amat.data(), 4), p.v(p.id), p.v(p.jl), p.v(p.ir), 2, FlInts(perm.data(), 2), p.v(p.ju), 4,
         FlReals(b.data(), 2), FlReals(x.data(), 8), dmax, ierr, routine);
  EXPECT_EQ(ierr, 7);
  EXPECT_EQ(routine, "FHSFCT");
  EXPECT_EQ(dmax, 0.0);
  for (double v : amat) EXPECT_EQ(v, 0.0);
  for (double v : x) EXPECT_EQ(v, 3.0);  // untouched
  // A pivot just above the single-precision 1e-37 is not zero; one just
  // below it is.
  for (double d : {1.0e-37, 9.9e-38}) {
    amat = {d, 0.0, 0.0, 1.0};
    int row = 0;
    FHSFCT(p.v(p.id), p.v(p.jl), 2, p.v(p.ju), FlReals(amat.data(), 4), row);
    EXPECT_EQ(row, d > 9.99999991e-38 ? 0 : 1) << d;
  }
}

TEST(ProfileSolver, SubstitutionReportsTheLastZeroDiagonalAndLeavesB) {
  Profile p = Profile::make({1, 2, 3}, {1, 2, 3});
  std::vector<double> amat = {0.0, 2.0, 0.0}, b = {1.0, 2.0, 3.0};
  int ierr = 0;
  FHSSUB(p.v(p.jl), p.v(p.ir), p.v(p.id), FlReals(amat.data(), 3), 3, FlReals(b.data(), 3), ierr);
  EXPECT_EQ(ierr, 3);
  EXPECT_EQ(b, (std::vector<double>{1.0, 2.0, 3.0}));
}

TEST(ProfileSolver, LargestChangeIsSigned) {
  // Diagonal system; previous x = (0, 0): corrections +4 and -5.
  Profile p = Profile::make({1, 2}, {1, 2});
  std::vector<double> amat = {1.0, 1.0}, b = {4.0, -5.0}, x = {0.0, 0.0};
  double dmax = 0.0;
  int ierr = 0;
  plat::Text<6> routine;
  FHSKS1(FlReals(amat.data(), 2), p.v(p.id), p.v(p.jl), p.v(p.ir), 2, p.v(p.perm), p.v(p.ju), 2,
         FlReals(b.data(), 2), FlReals(x.data(), 2), dmax, ierr, routine);
  EXPECT_EQ(dmax, -5.0);
  // Nothing changed: 0.
  amat = {1.0, 1.0};
  b = {4.0, -5.0};
  FHSKS1(FlReals(amat.data(), 2), p.v(p.id), p.v(p.jl), p.v(p.ir), 2, p.v(p.perm), p.v(p.ju), 2,
         FlReals(b.data(), 2), FlReals(x.data(), 2), dmax, ierr, routine);
  EXPECT_EQ(dmax, 0.0);
}

}  // namespace
}  // namespace fluid_test
