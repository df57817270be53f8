#include "thermal/counting_list.h"

#include <cstdlib>

#include "thermal/scratch.h"

ThCountingList th_counting_list(const ThNetwork& net, ThCountingStore& store) {
  ThCountingList list;
  list.pairs = th_take_scratch(store.pairs, net.cpcs.size());
  list.first = th_take_scratch(store.first, 3LL * net.nt + 1);
  for (std::int64_t k = 1; k <= list.first.size(); ++k) list.first(k) = 1;
  return list;
}

void th_build_counting_list(const ThNetwork& net, ThCInts gfmask, ThCInts glmask, ThCInts grmask, ThCInts dbnodemask,
                            ThCountingList& list) {
  const int nt = net.nt;
  const ThCInts pcs = net.cpcs;
  const ThCPtrs ptrs = net.cptrs;
  // A neighbour counts when it is a fluid node or a "D" or "B" node.
  auto counts = [&](int k) { return k > nt || dbnodemask(k) != 0; };
  int e = 0;
  for (int i = 1; i <= nt; ++i) {
    list.first(3 * i - 2) = e + 1;
    for (int p = 0, s = ptrs(1, i); p < ptrs(2, i); ++p) {
      const int k = pcs(s + 2 * p), m = std::abs(pcs(s + 2 * p + 1));
      if (glmask(m) == 0 || !counts(k)) continue;
      ++e;
      list.pairs(2 * e - 1) = k;
      list.pairs(2 * e) = m;
    }
    list.first(3 * i - 1) = e + 1;
    for (int p = 0, s = ptrs(3, i); p < ptrs(4, i); ++p) {
      const int k = pcs(s + 2 * p), m = std::abs(pcs(s + 2 * p + 1));
      if (grmask(m) == 0 || !counts(k)) continue;
      ++e;
      list.pairs(2 * e - 1) = k;
      list.pairs(2 * e) = m;
    }
    list.first(3 * i) = e + 1;
    for (int p = 0, s = ptrs(5, i); p < ptrs(6, i); ++p) {
      const int k = pcs(s + 2 * p), m = pcs(s + 2 * p + 1);
      if (m <= 0 || gfmask(m) == 0 || !counts(k)) continue;
      ++e;
      list.pairs(2 * e - 1) = k;
      list.pairs(2 * e) = m;
    }
  }
  list.first(3 * nt + 1) = e + 1;
}
