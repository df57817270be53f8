// Ordering of the fluid network (FPNTRS): breadth-first numbering along the
// links and the profile layout of the hydraulic matrix.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "fluid/ordering.h"
#include "fluid_fixture.h"

namespace fluid_test {
namespace {

class OrderingTest : public FluidTest {
 protected:
  // Orders the built model into a block of 5 NF words.
  void order() {
    block.assign(5 * static_cast<std::size_t>(std::max(net.nf, 1)), -7);
    ord = fl_ordering(FlInts(block.data(), static_cast<std::int64_t>(block.size())), net.nf);
    FPNTRS(net, ord);
  }
  std::vector<int> values(FlInts v) const { return std::vector<int>(v.data(), v.data() + v.size()); }

  // The profile holds every element the links put into the matrix, the
  // positions are a permutation, and the diagonal places follow the rows.
  void expect_consistent_profile() {
    const int nf = net.nf;
    for (int k = 1; k <= nf; ++k) EXPECT_EQ(ord.perm(ord.pos(k)), k);
    for (int r = 1; r <= nf; ++r) {
      EXPECT_LE(ord.jl(r), r);
      EXPECT_GE(ord.ir(r), r);
      if (r > 1) {
        EXPECT_GE(ord.ir(r), ord.ir(r - 1));
        EXPECT_EQ(ord.id(r), ord.id(r - 1) + (ord.ir(r - 1) - (r - 1)) + (r - ord.jl(r)) + 1);
      }
    }
    EXPECT_EQ(ord.id(1), 1);
    EXPECT_EQ(ord.lprof, ord.id(nf));
    EXPECT_EQ(ord.ir(nf), nf);
    for (int l = 1; l <= net.nl; ++l) {
      const int a = ord.pos(net.first(l)), b = ord.pos(net.second(l));
      const int lo = std::min(a, b), hi = std::max(a, b);
      EXPECT_LE(ord.jl(hi), lo) << "link " << l;
      EXPECT_GE(ord.ir(lo), hi) << "link " << l;
    }
  }

  std::vector<std::int32_t> block;
  FlOrdering ord;
};

TEST_F(OrderingTest, ChainOfThreeNodes) {
  tna_test::FluidModel fm = tna_test::chain(3);
  build(fm);
  order();
  EXPECT_EQ(values(ord.perm), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(values(ord.pos), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(values(ord.jl), (std::vector<int>{1, 1, 2}));
  EXPECT_EQ(values(ord.ir), (std::vector<int>{2, 3, 3}));
  EXPECT_EQ(values(ord.id), (std::vector<int>{1, 4, 7}));
  EXPECT_EQ(ord.lprof, 7);
  // The block is laid out PERM, POS, JL, IR, ID.
  EXPECT_EQ(std::vector<int>(block.begin() + 12, block.end()), (std::vector<int>{1, 4, 7}));
}

TEST_F(OrderingTest, TwoSeparateLoopsShareNoElement) {
  // Loop A: 1 - 4 - 6 - 1; loop B: 2 - 3 - 5 - 2.
  tna_test::FluidModel fm;
  for (int i = 1; i <= 6; ++i) fm.fluid(i);
  fm.link(1, 4, 0.1);
  fm.link(4, 6, 0.1);
  fm.link(6, 1, 0.1);
  fm.link(2, 3, 0.1);
  fm.link(3, 5, 0.1);
  fm.link(5, 2, 0.1);
  build(fm);
  order();
  // Node 1's list holds link 1 (to 4), then link 3 (to 6).
  EXPECT_EQ(values(ord.perm), (std::vector<int>{1, 4, 6, 2, 3, 5}));
  EXPECT_EQ(values(ord.jl), (std::vector<int>{1, 1, 1, 4, 4, 4}));
  EXPECT_EQ(values(ord.ir), (std::vector<int>{3, 3, 3, 6, 6, 6}));
  EXPECT_EQ(values(ord.id), (std::vector<int>{1, 5, 9, 10, 14, 18}));
  EXPECT_EQ(ord.lprof, 18);
  // The second loop starts at node 2, the lowest one the first did not reach,
  // with JL equal to its own position.
  EXPECT_EQ(ord.perm(4), 2);
  EXPECT_EQ(ord.jl(4), 4);
  for (int r = 1; r <= 3; ++r) EXPECT_LE(ord.ir(r), 3) << r;
  for (int r = 4; r <= 6; ++r) EXPECT_GE(ord.jl(r), 4) << r;
  expect_consistent_profile();
}

TEST_F(OrderingTest, IsolatedNodeHoldsOnlyItsDiagonal) {
  // Node 1 has no link; nodes 2 and 3 are joined.
  tna_test::FluidModel fm;
  for (int i = 1; i <= 3; ++i) fm.fluid(i);
  fm.link(2, 3, 0.1);
  build(fm);
  order();
  EXPECT_EQ(values(ord.perm), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(values(ord.jl), (std::vector<int>{1, 2, 2}));
  EXPECT_EQ(values(ord.ir), (std::vector<int>{1, 3, 3}));
  EXPECT_EQ(values(ord.id), (std::vector<int>{1, 2, 5}));
  EXPECT_EQ(ord.lprof, 5);
  expect_consistent_profile();
}

TEST_F(OrderingTest, StatusesFlowsAndLinkActivityPlayNoPart) {
  tna_test::FluidModel plain = tna_test::ring(5, false);
  build(plain);
  order();
  const std::vector<std::int32_t> expected = block;
  tna_test::FluidModel other = tna_test::ring(5, true);
  other.node(1).status = 'R';
  other.node(3).status = 'J';
  other.link_spec(1).status = 'I';
  other.link_spec(2).flow = 0.0;
  other.link_spec(3).flow = -1.0;
  build(other);
  order();
  EXPECT_EQ(block, expected);
  EXPECT_EQ(ord.perm(1), 1);
}

TEST_F(OrderingTest, RandomNetworksGiveConsistentProfiles) {
  std::mt19937 rng(20240518);
  for (int trial = 0; trial < 20; ++trial) {
    const int n = 2 + static_cast<int>(rng() % 40);
    tna_test::FluidModel fm;
    for (int i = 1; i <= n; ++i) fm.fluid(10 + i);
    const int nlinks = static_cast<int>(rng() % (2 * n));
    for (int l = 0; l < nlinks; ++l) {
      const int a = 11 + static_cast<int>(rng() % n), b = 11 + static_cast<int>(rng() % n);
      if (a != b) fm.link(a, b, 0.1);
    }
    build(fm);
    order();
    SCOPED_TRACE(trial);
    expect_consistent_profile();
  }
}

TEST_F(OrderingTest, ProfileBeyondTheIntegerRangeSaturates) {
  // A star of 50000 nodes: every row after the first spans all columns, so
  // the profile holds about 2.5E9 elements.
  const int n = 50000;
  tna_test::FluidModel fm;
  for (int i = 1; i <= n; ++i) fm.fluid(i);
  for (int i = 2; i <= n; ++i) fm.link(1, i, 0.1);
  build(fm, 64);
  order();
  constexpr int kMax = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(ord.lprof, kMax);
  EXPECT_EQ(ord.id(2), n + 2);
  for (int r = 2; r <= n; ++r) ASSERT_GE(ord.id(r), ord.id(r - 1)) << r;
}

}  // namespace
}  // namespace fluid_test
