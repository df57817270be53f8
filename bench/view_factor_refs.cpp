// Speed of the view-factor conductor search of the parameter cases (PARGGV,
// a GV(A,B) reference in a case statement or a CSV column).
//
// N thermal nodes (1,000, 10,000 and 100,000, or the sizes given on the
// command line), each the first node of 10 GV conductors to random nodes,
// the pairs in ascending order as the loader keeps them; the reference
// names every node on both sides (A = B = all nodes). For each size the
// program times PARGGV and, up to 10,000 nodes, the search of every pair of
// A x B with the two-key bisection (SOFNDM) that it replaces, and checks
// that both give the same conductors. The last line gives the ratio at the
// largest size with the reference and the growth of PARGGV's time between
// the two largest sizes.
//
// This program is its own model program: it supplies the five blocks.
#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <utility>
#include <vector>

#include "bench/support/clock.h"
#include "core/search_sort.h"
#include "model/generated_program.h"
#include "parameters/case_refs.h"

namespace {

using bench::Clock;
using bench::seconds_since;

constexpr int kPartners = 10;
constexpr int kReferenceLimit = 10000;

// Every pair of A x B searched with the two-key bisection, the whole group
// of equal pairs appended.
std::vector<int> by_pairs(const std::vector<int>& pairs, const std::vector<int>& a, const std::vector<int>& b) {
  std::vector<int> out;
  const int count = static_cast<int>(pairs.size() / 2);
  const plat::Vec1<const int> table(pairs.data(), 2LL * count);
  for (int x : a) {
    for (int y : b) {
      int key[2] = {x, y};
      int st = 0, found = 0, pos = 0;
      SOFNDM(table, 2, count, plat::Vec1<const int>(key, 2), st, found, pos);
      if (st != 0 || found != 1) continue;
      for (int i = pos; i <= count && pairs[2 * i - 2] == x && pairs[2 * i - 1] == y; ++i) out.push_back(i);
    }
  }
  return out;
}

struct Times {
  double search = 0, reference = -1;
};

Times run(int n) {
  std::mt19937 rng(4242u + static_cast<unsigned>(n));
  std::uniform_int_distribution<int> node(1, n);
  std::vector<std::pair<int, int>> gv;
  for (int a = 1; a <= n; ++a)
    for (int k = 0; k < kPartners; ++k) gv.emplace_back(a, node(rng));
  std::sort(gv.begin(), gv.end());
  std::vector<int> pairs;
  for (const auto& [a, b] : gv) pairs.insert(pairs.end(), {a, b});
  std::vector<int> all(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) all[static_cast<std::size_t>(i)] = i + 1;
  const int items = static_cast<int>(gv.size());

  std::vector<int> out(static_cast<std::size_t>(items) + 1);
  int nout = 0, status = 0;
  Times t;
  const int reps = n >= 100000 ? 3 : 10;
  t.search = 1e30;
  for (int r = 0; r < reps; ++r) {
    nout = 0;
    const auto t0 = Clock::now();
    PARGGV(plat::Vec1<const int>(all.data(), n), n, plat::Vec1<const int>(all.data(), n), n, 0,
           plat::Vec1<const int>(pairs.data(), 2LL * items), 1, items, plat::Vec1<int>(out.data(), items + 1), nout,
           status);
    t.search = std::min(t.search, seconds_since(t0));
  }
  out.resize(static_cast<std::size_t>(nout));
  bool same = true;
  if (n <= kReferenceLimit) {
    const auto t0 = Clock::now();
    const std::vector<int> ref = by_pairs(pairs, all, all);
    t.reference = seconds_since(t0);
    same = ref == out;
  }
  std::printf("%8d nodes  %8d GV  found %8d  PARGGV %10.3f ms", n, items, nout, 1e3 * t.search);
  if (t.reference >= 0)
    std::printf("  A x B search %10.3f ms  ratio %.4f  %s", 1e3 * t.reference, t.search / t.reference,
                same ? "same conductors" : "DIFFERENT CONDUCTORS");
  std::printf("\n");
  std::fflush(stdout);
  if (!same || status != 0) std::exit(1);
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes = {1000, 10000, 100000};
  if (argc > 1) {
    sizes.clear();
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  }
  sizes.erase(std::remove_if(sizes.begin(), sizes.end(), [](int n) { return n < 2; }), sizes.end());
  if (sizes.empty()) return 1;
  std::sort(sizes.begin(), sizes.end());
  std::vector<Times> times;
  for (int n : sizes) times.push_back(run(n));
  int with_ref = -1;
  for (std::size_t i = 0; i < sizes.size(); ++i)
    if (times[i].reference >= 0) with_ref = static_cast<int>(i);
  double growth = 0;
  if (sizes.size() >= 2) {
    const std::size_t l = sizes.size() - 1;
    growth =
        std::log(times[l].search / times[l - 1].search) / std::log(static_cast<double>(sizes[l]) / sizes[l - 1]);
  }
  if (with_ref >= 0) {
    const auto w = static_cast<std::size_t>(with_ref);
    std::printf("PARGGV / A x B search at %d nodes %.4f, PARGGV time growth N^%.2f from %d to %d nodes\n", sizes[w],
                times[w].search / times[w].reference, growth, sizes.size() >= 2 ? sizes[sizes.size() - 2] : sizes[0],
                sizes.back());
  } else {
    std::printf("PARGGV time growth N^%.2f from %d to %d nodes\n", growth,
                sizes.size() >= 2 ? sizes[sizes.size() - 2] : sizes[0], sizes.back());
  }
  return 0;
}
