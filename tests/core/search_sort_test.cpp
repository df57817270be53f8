#include "core/search_sort.h"
#include "support/state_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <random>
#include <string>
#include <vector>

namespace {

plat::Vec1<const int> cv(const std::vector<int>& v) { return {v.data(), static_cast<std::int64_t>(v.size())}; }
plat::Vec1<int> mv(std::vector<int>& v) { return {v.data(), static_cast<std::int64_t>(v.size())}; }

// Fixed-length texts back to back, as a text array.
struct Texts {
  Texts(const std::vector<std::string>& v, std::size_t len) : len(len) {
    for (const auto& s : v) {
      std::string t = s;
      t.resize(len, ' ');
      buf += t;
    }
    n = static_cast<int>(v.size());
  }
  CTextVec1 view() const { return CTextVec1(buf.data(), n, len); }
  std::string buf;
  int n = 0;
  std::size_t len;
};

// ---- bisection and linear search ----

TEST(Bisection, FirstOfAnEqualRunOrTheInsertPosition) {
  struct Case {
    std::vector<int> list;
    int n, key, status, found, position;
  };
  const std::vector<int> l = {2, 4, 4, 4, 9};
  // clang-format off
  const Case cases[] = {
      {l, 5, 4, 0, 1, 2},  {l, 5, 5, 0, 0, 5}, {l, 5, 1, 0, 0, 1}, {l, 5, 10, 0, 0, 6},
      {l, 5, 2, 0, 1, 1},  {l, 5, 9, 0, 1, 5}, {l, 5, 3, 0, 0, 2},
      {{1, 3, 3, 3, 3, 3, 3, 3}, 8, 3, 0, 1, 2},  // found at the last element, walked back
      {{3, 3, 3}, 3, 3, 0, 1, 1},
      {{6}, 1, 6, 0, 1, 1},  {{6}, 1, 7, 0, 0, 2}, {{6}, 1, 5, 0, 0, 1},
      {{}, 0, 1, 1, 0, 0},   {l, -2, 4, 1, 0, 0},
      {l, 3, 9, 0, 0, 4},    // only the first n elements count
      {l, 50, 9, 0, 1, 5},   // n beyond the list stops at its end
  };
  // clang-format on
  for (const auto& c : cases) {
    int status = 9, found = 9, position = 9;
    SOFNDI(cv(c.list), c.n, c.key, status, found, position);
    EXPECT_EQ(status, c.status) << "key " << c.key;
    EXPECT_EQ(found, c.found) << "key " << c.key;
    EXPECT_EQ(position, c.position) << "key " << c.key;
  }
}

TEST(Bisection, AgreesWithLowerBoundOnRandomLists) {
  std::mt19937 rng(7);
  for (int trial = 0; trial < 300; ++trial) {
    std::vector<int> v(1 + rng() % 40);
    for (int& x : v) x = static_cast<int>(rng() % 15) - 7;
    std::sort(v.begin(), v.end());
    for (int key = -9; key <= 9; ++key) {
      const auto lb = std::lower_bound(v.begin(), v.end(), key);
      int status, found, position;
      SOFNDI(cv(v), static_cast<int>(v.size()), key, status, found, position);
      ASSERT_EQ(position, static_cast<int>(lb - v.begin()) + 1);
      ASSERT_EQ(found, lb != v.end() && *lb == key ? 1 : 0);
    }
  }
}

TEST(Bisection, TextsIgnoreTrailingBlanks) {
  const Texts t({"ALPHA", "BETA", "BETA", "BETA", "GAMMA"}, 18);
  struct Case {
    const char* key;
    int found, position;
  };
  const Case cases[] = {{"BETA      ", 1, 2}, {"BETA", 1, 2}, {"ALPHA", 1, 1}, {"GAMMA", 1, 5},
                        {"AAA", 0, 1},        {"BET", 0, 2},  {"ZETA", 0, 6},  {"BETA X", 0, 5}};
  for (const auto& c : cases) {
    int status, found, position;
    SOFNDZ(t.view(), t.n, c.key, status, found, position);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(found, c.found) << c.key;
    EXPECT_EQ(position, c.position) << c.key;
  }
  int status, found, position;
  SOFNDZ(t.view(), 0, "BETA", status, found, position);
  EXPECT_EQ(status, 1);
}

TEST(Bisection, RecordsInSignedOrder) {
  const std::vector<int> table = {-5, 1, 1, 0, 1, 0, 1, 7, 3, 3};  // five 2-word records
  struct Case {
    std::vector<int> key;
    int found, position;
  };
  const Case cases[] = {{{1, 0}, 1, 2},  {{1, 7}, 1, 4},  {{5, 0}, 0, 6},
                        {{-5, 1}, 1, 1}, {{-6, 0}, 0, 1}, {{1, 1}, 0, 4}};
  for (const auto& c : cases) {
    int status, found, position;
    SOFNDM(cv(table), 2, 5, cv(c.key), status, found, position);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(found, c.found) << c.key[0] << "," << c.key[1];
    EXPECT_EQ(position, c.position) << c.key[0] << "," << c.key[1];
  }
  int status, found, position;
  SOFNDM(cv(table), 0, 5, cv(cases[0].key), status, found, position);
  EXPECT_EQ(status, 1);
  SOFNDM(cv(table), 2, 0, cv(cases[0].key), status, found, position);
  EXPECT_EQ(status, 1);
}

TEST(LinearSearch, FirstMatchOrNothing) {
  int status, found, position;
  const std::vector<int> v = {7, 3, 7};
  SRFNDI(cv(v), 3, 7, status, found, position);
  EXPECT_EQ(std::tie(status, found, position), std::make_tuple(0, 1, 1));
  SRFNDI(cv(v), 3, 4, status, found, position);
  EXPECT_EQ(std::tie(status, found, position), std::make_tuple(0, 0, 0));
  SRFNDI(cv(v), 0, 7, status, found, position);
  EXPECT_EQ(std::tie(status, found, position), std::make_tuple(1, 0, 0));
  const Texts t({"B", "A", "A"}, 24);
  SRFNDZ(t.view(), 3, "A   ", status, found, position);
  EXPECT_EQ(std::tie(status, found, position), std::make_tuple(0, 1, 2));
  SRFNDZ(t.view(), 1, "A", status, found, position);
  EXPECT_EQ(std::tie(status, found, position), std::make_tuple(0, 0, 0));
}

// ---- comparators ----

TEST(Comparators, SignedAndAbsoluteOrders) {
  struct Case {
    std::vector<int> a, b;
    int nk, signed_cmp, abs_cmp;
  };
  // clang-format off
  const Case cases[] = {
      {{-5, 1}, {5, 0}, 2, -1, 1},  {{5, 0}, {-5, 0}, 2, 1, 0},   {{3, 9}, {3, 9}, 2, 0, 0},
      {{3, 9}, {3, 8}, 1, 0, 0},    {{INT_MIN}, {INT_MAX}, 1, -1, 1},  // |INT_MIN| does not wrap
      {{-2, -7}, {-2, 7}, 2, -1, 0},
  };
  // clang-format on
  for (const auto& c : cases) {
    int cmp, status;
    SCOMPI(cv(c.a), cv(c.b), c.nk, cmp, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(cmp, c.signed_cmp) << c.a[0];
    SCOMPX(cv(c.a), cv(c.b), c.nk, cmp, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(cmp, c.abs_cmp) << c.a[0];
  }
  int cmp, status;
  SCOMPI(cv(cases[0].a), cv(cases[0].b), 0, cmp, status);
  EXPECT_EQ(status, 1);
  SCOMPX(cv(cases[0].a), cv(cases[0].b), 0, cmp, status);
  EXPECT_EQ(status, -1);
}

// ---- the record sort ----

struct SortCase {
  const char* what;
  int nk;
  std::vector<int> table, sorted;
};

TEST(RecordSort, OrdersOfTheAlgorithm) {
  // The orders of equal records below come from tracing the partition and
  // short-run passes by hand; a stable sort would give different ones.
  // clang-format off
  const SortCase cases[] = {
      {"equal keys of opposite sign, the later one moved first", 1, {7, 1, 9, -7}, {1, -7, 7, 9}},
      {"last record out of place is inserted", 1, {5, -5, 3}, {3, 5, -5}},
      {"partition then a short run", 2,
       {-4, 0, 4, 1, 9, 0, 1, 0, -9, 0, 4, -1, 2, 0},
       {1, 0, 2, 0, -4, 0, 4, 1, 4, -1, 9, 0, -9, 0}},
      {"pivot of equal keys", 1, {5, -5, 1, 2}, {1, 2, 5, -5}},
      {"seven in reverse order", 1, {7, 6, 5, 4, 3, 2, 1}, {1, 2, 3, 4, 5, 6, 7}},
      {"two records", 1, {-3, 2}, {2, -3}},
      {"already in order", 2, {1, 5, 1, 6, -2, 0}, {1, 5, 1, 6, -2, 0}},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::vector<int> t = c.table;
    int status = 9, dup = 0;
    SSMSRT(c.nk, static_cast<int>(t.size()) / c.nk, mv(t), status, dup);
    EXPECT_EQ(status, 0) << c.what;
    EXPECT_EQ(t, c.sorted) << c.what;
    EXPECT_EQ(dup, 0) << c.what;
  }
}

TEST(RecordSort, DuplicateFlag) {
  struct Case {
    std::vector<int> table;
    int dup_in, dup_out;
  };
  const Case cases[] = {
      {{3, 1, -3, -1, 2, 0}, 1, 1},  // records differing only in sign count as equal
      {{3, 1, -3, -1, 2, 0}, 0, 0},  // not asked for: left alone
      {{3, 1, -3, -2, 2, 0}, 5, 0},
  };
  for (const auto& c : cases) {
    std::vector<int> t = c.table;
    int status = 0, dup = c.dup_in;
    SSMSRT(2, 3, mv(t), status, dup);
    EXPECT_EQ(dup, c.dup_out);
  }
  // Fewer than two records: nothing at all happens, status and flag included.
  std::vector<int> one = {4, 4};
  int status = 42, dup = 7;
  SSMSRT(2, 1, mv(one), status, dup);
  EXPECT_EQ(status, 42);
  EXPECT_EQ(dup, 7);
}

TEST(RecordSort, SortsLargeAndAdversarialTablesByAbsoluteValue) {
  std::mt19937 rng(11);
  auto check = [](const std::vector<int>& before, const std::vector<int>& after, int nk) {
    const std::size_t n = before.size() / static_cast<std::size_t>(nk);
    auto key = [&](const std::vector<int>& v, std::size_t r) {
      std::vector<long long> k;
      for (int i = 0; i < nk; ++i)
        k.push_back(std::llabs(v[r * static_cast<std::size_t>(nk) + static_cast<std::size_t>(i)]));
      return k;
    };
    for (std::size_t r = 1; r < n; ++r) ASSERT_LE(key(after, r - 1), key(after, r)) << "record " << r;
    // Same multiset of whole records.
    auto recs = [&](const std::vector<int>& v) {
      std::vector<std::vector<int>> out;
      for (std::size_t r = 0; r < n; ++r)
        out.emplace_back(v.begin() + static_cast<std::ptrdiff_t>(r * static_cast<std::size_t>(nk)),
                         v.begin() + static_cast<std::ptrdiff_t>((r + 1) * static_cast<std::size_t>(nk)));
      std::sort(out.begin(), out.end());
      return out;
    };
    ASSERT_EQ(recs(before), recs(after));
  };
  for (int trial = 0; trial < 200; ++trial) {
    const int nk = 1 + static_cast<int>(rng() % 5);
    const int n = 2 + static_cast<int>(rng() % 300);
    std::vector<int> t(static_cast<std::size_t>(n * nk));
    for (int& x : t) x = static_cast<int>(rng() % 7) - 3;  // many equal keys
    const auto before = t;
    int status = 0, dup = 0;
    SSMSRT(nk, n, mv(t), status, dup);
    ASSERT_EQ(status, 0);
    check(before, t, nk);
  }
  // Descending input drives the boundary stack to its depth limit, where long
  // runs go to the short-run sort.
  std::vector<int> desc(600);
  for (int i = 0; i < 600; ++i) desc[static_cast<std::size_t>(i)] = (i % 2 ? -1 : 1) * (600 - i);
  const auto before = desc;
  int status = 0, dup = 1;
  SSMSRT(1, 600, mv(desc), status, dup);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(dup, 0);
  check(before, desc, 1);
  // Five-word link records of the connection-list merge, 20000 of them.
  std::vector<int> links(5 * 20000);
  for (int& x : links) x = static_cast<int>(rng() % 2001) - 1000;
  const auto lb = links;
  SSMSRT(5, 20000, mv(links), status, dup);
  check(lb, links, 5);
}

TEST(RecordSort, PartitionReportsSortedRunsAndRefusesBadSizes) {
  std::vector<int> t = {1, 2, -2, 3, 5};
  int low = 1, high = 5, sorted = 0, position = 9, status = 9;
  SPIVOT(low, 1, 5, high, mv(t), sorted, position, status);
  EXPECT_EQ(sorted, 1);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(t, (std::vector<int>{1, 2, -2, 3, 5}));

  std::vector<int> big(2 * 101, 1);
  int dup = 0;
  SSMSRT(101, 2, mv(big), status, dup);
  EXPECT_EQ(status, 2);
  dup = 1;
  SSMSRT(0, 2, mv(big), status, dup);
  EXPECT_EQ(status, -1);
  EXPECT_EQ(dup, 0);                     // the duplicate check that asked for it still clears the flag
  SSMSRT(1, 300, mv(big), status, dup);  // more records than the table holds
  EXPECT_EQ(status, 2);
}

TEST(RecordSort, ScansStopAtEqualRecords) {
  const std::vector<int> t = {1, 5, -5, 8, 9};
  const std::vector<int> pivot = {5};
  int high = 5, status = 9;
  SERCHD(1, 5, 1, cv(pivot), cv(t), high, status);
  EXPECT_EQ(high, 3);
  int low = 1;
  SERCHU(1, 5, 5, cv(pivot), low, cv(t), status);
  EXPECT_EQ(low, 2);
  high = 5;
  SERCHD(1, 5, 4, cv(pivot), cv(t), high, status);  // never below the limit
  EXPECT_EQ(high, 4);
}

TEST(RecordSort, ShortRunSort) {
  std::vector<int> t = {9, 9, 3, -1, 4, 0, -3, 2, 1, 1, 0, 0};
  int status = 9;
  SSBSRT(2, 5, plat::Vec1<int>(t.data() + 2, 10), status);  // records 2..6 of the table
  EXPECT_EQ(status, 0);
  EXPECT_EQ(t, (std::vector<int>{9, 9, 0, 0, 1, 1, 3, -1, -3, 2, 4, 0}));
}

// The record sort written out step by step from its public parts: SPIVOT for
// a partition, SSBSRT for every short run and for every run met once the
// boundary stack is 99 deep, whatever its length. Slow on long runs, but it
// fixes the order in which records that compare equal come out.
void reference_sort(int nk, int n, std::vector<int>& t) {
  int m[102] = {};
  m[1] = n + 1;
  m[2] = 0;
  int j = 1, status = 0;
  const plat::Vec1<int> table(t.data(), static_cast<std::int64_t>(t.size()));
  bool partition = true;
  while (j >= 1) {
    if (partition) {
      int low = m[j + 1] + 1, high = m[j] - 1, sorted = 0, p = 0;
      SPIVOT(low, nk, n, high, table, sorted, p, status);
      ASSERT_EQ(status, 0);
      if (sorted) {
        --j;
      } else {
        const int b = m[j + 1];
        m[j + 1] = p;
        if (p - b > 2) {
          m[j + 2] = b;
          ++j;
        }
      }
      partition = false;
      continue;
    }
    const int d = m[j] - m[j + 1];
    if (d <= 2) {
      --j;
    } else if (d <= 7 || j >= 99) {
      const std::size_t first = static_cast<std::size_t>(m[j + 1]) * static_cast<std::size_t>(nk);
      SSBSRT(nk, d - 1, plat::Vec1<int>(t.data() + first, static_cast<std::int64_t>(t.size() - first)), status);
      ASSERT_EQ(status, 0);
      --j;
    } else {
      partition = true;
    }
  }
}

TEST(RecordSort, FullStackGivesTheOrderOfTheShortRunSort) {
  // Descending keys fill the boundary stack after 98 partitions; the long run
  // left then must come out exactly as the short-run sort orders it, equal
  // records of opposite signs included.
  std::mt19937 rng(5);
  struct Case {
    const char* what;
    int nk, n;
    int pattern;  // 0 descending, 1 descending in steps of three equal keys, 2 random with many equal keys
  };
  // clang-format off
  const Case cases[] = {
      {"descending, one word", 1, 400, 0},       {"descending, equal keys", 1, 900, 1},
      {"descending links", 5, 1500, 1},          {"descending, two words", 2, 2500, 0},
      {"random, many equal keys", 3, 1200, 2},   {"just past the stack depth", 1, 110, 1},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::vector<int> t(static_cast<std::size_t>(c.n) * static_cast<std::size_t>(c.nk));
    for (int r = 0; r < c.n; ++r) {
      for (int w = 0; w < c.nk; ++w) {
        int v;
        if (c.pattern == 0) v = w == 0 ? c.n - r : static_cast<int>(rng() % 3);
        else if (c.pattern == 1) v = w == 0 ? (c.n - r) / 3 : static_cast<int>(rng() % 2);
        else v = static_cast<int>(rng() % 4);
        if (rng() % 2) v = -v;  // signs do not count in the order, but show it
        t[static_cast<std::size_t>(r) * static_cast<std::size_t>(c.nk) + static_cast<std::size_t>(w)] = v;
      }
    }
    std::vector<int> expected = t;
    reference_sort(c.nk, c.n, expected);
    int status = 9, dup = 0;
    SSMSRT(c.nk, c.n, mv(t), status, dup);
    EXPECT_EQ(status, 0) << c.what;
    EXPECT_EQ(t, expected) << c.what;
  }
}

TEST(RecordSort, DescendingTablesSortInReasonableTime) {
  // Short-run passes over the long run left at full stack depth would take
  // minutes here.
  const int n = 100000;
  std::vector<int> t(5 * static_cast<std::size_t>(n));
  for (int r = 0; r < n; ++r)
    for (int w = 0; w < 5; ++w)
      t[5 * static_cast<std::size_t>(r) + static_cast<std::size_t>(w)] = w == 0 ? n - r : w;
  int status = 9, dup = 1;
  const auto start = std::chrono::steady_clock::now();
  SSMSRT(5, n, mv(t), status, dup);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(status, 0);
  EXPECT_EQ(dup, 0);
  for (int r = 0; r < n; ++r) ASSERT_EQ(t[5 * static_cast<std::size_t>(r)], r + 1);
  EXPECT_LT(seconds, 10.0);
}

// ---- submodel lookup by path ----

class PathLookup : public tna_test::StateTest {
 protected:
  static constexpr int kSlots = 18;
  // Depth-first tree: MAIN { A { X, B }, X, C { Y, B } }
  struct M {
    const char* name;
    int level, size;
  };
  const std::vector<M> tree = {{"MAIN", 0, 8}, {"A", 1, 3}, {"X", 2, 1}, {"B", 2, 1},
                               {"X", 1, 1},    {"C", 1, 3}, {"Y", 2, 1}, {"B", 2, 1}};
  PathLookup() : names(names_of(), 24) {
    dir.assign(static_cast<std::size_t>(kSlots) * (tree.size() + 1), 0);
    for (std::size_t m = 0; m < tree.size(); ++m) {
      dir[m * kSlots] = tree[m].level;
      dir[m * kSlots + 1] = tree[m].size;
    }
  }
  std::vector<std::string> names_of() const {
    std::vector<std::string> v;
    for (const auto& m : tree) v.push_back(m.name);
    return v;
  }
  std::vector<int> lookup(const std::vector<std::string>& path, int current, int& status, int room = 10) {
    const Texts p(path, 24);
    std::vector<int> found(static_cast<std::size_t>(room), 0);
    int n = -1;
    SNMINC(cv(dir), kSlots, static_cast<int>(tree.size()), names.view(), p.view(), p.n, current, n, mv(found),
           status);
    found.resize(static_cast<std::size_t>(std::clamp(n, 0, room)));
    if (n > room) found.push_back(-n);  // marks the overflow
    return found;
  }
  std::vector<int> dir;
  Texts names;
};

TEST_F(PathLookup, Cases) {
  struct Case {
    std::vector<std::string> path;
    int current, status;
    std::vector<int> found;
  };
  // clang-format off
  const Case cases[] = {
      {{"X"}, 1, 0, {5}},            // the direct child wins over the grandchild met first
      {{"x"}, 1, 0, {5}},            // the path is upper-cased
      {{"B"}, 1, 0, {4, 8}},         // no direct child: every grandchild, depth-first
      {{"A", "B"}, 1, 0, {4}},       // descent through a direct child
      {{"C", "b"}, 1, 0, {8}},
      {{"A", "Y"}, 1, 0, {}},        // failed descent: nothing found
      {{"Y"}, 1, 0, {7}},
      {{"X"}, 2, 0, {3}},            // relative to the current model
      {{"B"}, 6, 0, {8}},
      {{"MAIN"}, 1, 0, {}},          // the model itself is not in its own subtree
      {{"CURRENT"}, 7, 0, {7}},      // the current model even without descendants
      {{"X"}, 0, 1, {}},
      {{"X"}, 9, 1, {}},
      {{}, 1, 2, {}},
  };
  // clang-format on
  for (const auto& c : cases) {
    int status = 9;
    const auto found = lookup(c.path, c.current, status);
    EXPECT_EQ(status, c.status) << (c.path.empty() ? "" : c.path[0]) << " from " << c.current;
    EXPECT_EQ(found, c.found) << (c.path.empty() ? "" : c.path[0]) << " from " << c.current;
  }
}

TEST_F(PathLookup, ResultsBeyondTheRoomAreCountedNotStored) {
  int status = 9;
  EXPECT_EQ(lookup({"B"}, 1, status, 1), (std::vector<int>{4, -2}));
  const Texts p({"X"}, 24);
  std::vector<int> found(1);
  int n = 0;
  SNMINC(cv(dir), 0, 8, names.view(), p.view(), 1, 1, n, mv(found), status);
  EXPECT_EQ(status, -1);
}

TEST_F(PathLookup, DescentAndStretchSearch) {
  const Texts p({"A", "b"}, 24);
  int reached = 9, status = 9;
  SNMLVX(cv(dir), kSlots, 8, names.view(), p.view(), 2, 1, reached, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(reached, 4);
  SNMLVX(cv(dir), kSlots, 8, names.view(), p.view(), 1, 8, reached, status);  // nothing after the last model
  EXPECT_EQ(reached, 0);
  int m = 9;
  SNMLVL(cv(dir), kSlots, 8, names.view(), 2, 1, "B", 8, m, status);
  EXPECT_EQ(m, 4);
  SNMLVL(cv(dir), kSlots, 8, names.view(), 2, 5, "B  ", 4, m, status);
  EXPECT_EQ(m, 8);
  SNMLVL(cv(dir), kSlots, 8, names.view(), 1, 1, "B", 8, m, status);
  EXPECT_EQ(m, 0);
  SNMLVL(cv(dir), kSlots, 8, names.view(), -1, 1, "B", 8, m, status);
  EXPECT_EQ(status, 2);
  SNMLVL(cv(dir), kSlots, 8, names.view(), 1, 1, "B", -1, m, status);
  EXPECT_EQ(status, 1);
  SNMLVL(cv(dir), kSlots, 8, names.view(), 1, 1, "B", 100, m, status);  // count beyond the models
  EXPECT_EQ(status, 0);
}

}  // namespace
