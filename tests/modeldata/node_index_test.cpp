// The node-number index of the model database load answers as the searches
// it stands in for: the bisection (first of a run of equal numbers) and the
// linear search (first occurrence), on ascending slices with every kind of
// spacing and outlier, and on slices that are not ascending.
#include "modeldata/node_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/search_sort.h"
#include "modeldata/global_arrays.h"
#include "modeldata/load_work.h"

namespace {

int bisection(const std::vector<int>& nums, int key) {
  if (nums.empty()) return 0;
  int st = 0, found = 0, pos = 0;
  SOFNDI(plat::Vec1<const int>(nums.data(), static_cast<int>(nums.size())), static_cast<int>(nums.size()), key, st,
         found, pos);
  return st == 0 && found ? pos : 0;
}

int linear(const std::vector<int>& nums, int key) {
  if (nums.empty()) return 0;
  int st = 0, found = 0, pos = 0;
  SRFNDI(plat::Vec1<const int>(nums.data(), static_cast<int>(nums.size())), static_cast<int>(nums.size()), key, st,
         found, pos);
  return st == 0 && found ? pos : 0;
}

// Every number of the slice, its neighbours, and keys beyond both ends.
std::vector<int> keys_for(const std::vector<int>& nums) {
  std::set<long long> keys = {INT_MIN, INT_MIN + 1, -1, 0, 1, INT_MAX - 1, INT_MAX};
  for (int v : nums)
    for (long long d = -2; d <= 2; ++d) keys.insert(static_cast<long long>(v) + d);
  std::vector<int> out;
  for (long long k : keys)
    if (k >= INT_MIN && k <= INT_MAX) out.push_back(static_cast<int>(k));
  return out;
}

void expect_same_answers(const std::vector<int>& nums, const std::string& what) {
  const NodeIndex index(plat::Vec1<const int>(nums.data(), static_cast<int>(nums.size())),
                        static_cast<int>(nums.size()));
  for (int key : keys_for(nums)) {
    ASSERT_EQ(index.find(key), bisection(nums, key)) << what << ", key " << key;
    ASSERT_EQ(index.first(key), linear(nums, key)) << what << ", key " << key;
  }
}

struct Slice {
  std::string what;
  std::vector<int> nums;
};

std::vector<Slice> slices() {
  std::vector<Slice> out;
  auto add = [&](std::string what, std::vector<int> nums) { out.push_back({std::move(what), std::move(nums)}); };
  auto series = [](int n, auto f) {
    std::vector<int> v(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) v[static_cast<std::size_t>(i)] = f(i + 1);
    return v;
  };
  add("empty", {});
  add("one number", {7});
  add("dense", series(500, [](int i) { return i; }));
  add("every tenth", series(500, [](int i) { return 10 * i; }));
  add("blocks of 250 every 10000", series(2000, [](int i) { return (i / 250) * 10000 + i % 250; }));
  add("boundary node 99999 last", series(800, [](int i) { return i == 800 ? 99999 : i; }));
  add("outliers at both ends",
      series(900, [](int i) { return i <= 3 ? i - 2000000000 : (i >= 898 ? 2000000000 + i : 1000 + 3 * i); }));
  add("more outliers than are left out",
      series(300, [](int i) { return i <= 20 ? -100000000 * (21 - i) : (i > 280 ? 100000000 * (i - 280) : i); }));
  add("extreme numbers", {INT_MIN, INT_MIN + 1, -5, 0, 5, INT_MAX - 1, INT_MAX});
  add("runs of equal numbers", series(600, [](int i) { return i / 7; }));
  add("equal numbers across the outlier cut",
      series(400, [](int i) { return i <= 10 ? 0 : (i < 390 ? 1 : 5000000 + i); }));
  add("all equal", std::vector<int>(200, 42));
  add("not ascending", series(300, [](int i) { return (i * 7919) % 301; }));
  add("one pair exchanged", [&] {
    auto v = series(300, [](int i) { return 2 * i; });
    std::swap(v[100], v[101]);
    return v;
  }());
  add("descending", series(200, [](int i) { return 1000 - i; }));
  // Random ascending slices with random gaps, repeats and outliers.
  std::mt19937 rng(7);
  for (int t = 0; t < 40; ++t) {
    const int n = std::uniform_int_distribution<int>(1, 700)(rng);
    std::vector<int> v(static_cast<std::size_t>(n));
    long long x = std::uniform_int_distribution<int>(-1000000, 1000000)(rng);
    const int gap = std::uniform_int_distribution<int>(0, 40)(rng);
    for (int& e : v) {
      x += std::uniform_int_distribution<int>(0, gap)(rng);
      if (std::uniform_int_distribution<int>(0, 200)(rng) == 0) x += 50000000;
      e = static_cast<int>(std::clamp<long long>(x, INT_MIN, INT_MAX));
    }
    add("random " + std::to_string(t), v);
  }
  return out;
}

TEST(NodeIndex, AnswersAsTheBisectionAndTheLinearSearch) {
  for (const Slice& s : slices()) expect_same_answers(s.nums, s.what);
}

TEST(NodeIndex, ThereIsAnIndexOnlyWhileALoadRuns) {
  gar_deallocate_all();
  const std::vector<int> nums = {3, 5, 9};
  const plat::Vec1<const int> v(nums.data(), 3);
  EXPECT_EQ(load_node_index(v, 3), nullptr);
  {
    NodeIndexScope scope;
    const NodeIndex* index = load_node_index(v, 3);
    ASSERT_NE(index, nullptr);
    EXPECT_EQ(load_node_index(v, 3), index);  // built once per slice
    EXPECT_NE(load_node_index(v, 2), index);
    EXPECT_EQ(load_node_index(v, 0), nullptr);
    EXPECT_EQ(index->find(9), 3);
    EXPECT_EQ(index->find(4), 0);
  }
  EXPECT_EQ(load_node_index(v, 3), nullptr);
}

}  // namespace
