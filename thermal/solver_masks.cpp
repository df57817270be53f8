#include "thermal/solver_masks.h"

#include <cstdint>

namespace {

inline std::int32_t is_letter(const plat::Text<1>& t, char c) { return t.c[0] == c ? 1 : 0; }

}  // namespace

void SLOGST2(int ngf, int ngl, int ngr, int nt, plat::Vec1<const plat::Text<1>> gfacts,
             plat::Vec1<const plat::Text<1>> glacts, plat::Vec1<const plat::Text<1>> gracts,
             plat::Vec1<const plat::Text<1>> statuses, plat::Vec1<std::int32_t> dnodemask,
             plat::Vec1<std::int32_t> gfmask, plat::Vec1<std::int32_t> glmask, plat::Vec1<std::int32_t> grmask,
             plat::Vec1<std::int32_t> dbnodemask) {
  for (int i = 1; i <= ngf; ++i) gfmask(i) = is_letter(gfacts(i), 'A');
  for (int i = 1; i <= ngl; ++i) glmask(i) = is_letter(glacts(i), 'A');
  for (int i = 1; i <= ngr; ++i) grmask(i) = is_letter(gracts(i), 'A');
  for (int i = 1; i <= nt; ++i) {
    const char c = statuses(i).c[0];
    dnodemask(i) = c == 'D' ? 1 : 0;
    dbnodemask(i) = (c == 'D' || c == 'B') ? 1 : 0;
  }
}

void S3PNTR(int /*len*/, int nt, plat::Vec1<const std::int32_t> pcs, plat::Mat2<const std::int32_t> ptrs,
            plat::Vec1<std::int32_t> diagptr, plat::Vec1<std::int32_t> nodepos, plat::Vec1<std::int32_t> nodeorder,
            plat::Vec1<std::int32_t> rowfirst, int& proflen, plat::Vec1<std::int32_t> frontier,
            plat::Vec1<const std::int32_t> dnodemask, plat::Vec1<std::int32_t> minpos,
            plat::Vec1<std::int32_t> state, plat::Vec1<std::int32_t> priority) {
  if (nt < 1) {
    proflen = 0;
    return;
  }
  for (int n = 1; n <= nt; ++n) {
    minpos(n) = nt;
    state(n) = -dnodemask(n);
    priority(n) = 0;
    nodepos(n) = 0;
    nodeorder(n) = 0;
  }
  nodeorder(1) = 1;
  nodepos(1) = 1;
  if (state(1) == -1) state(1) = 3;
  int j = 0;
  // The lowest unnumbered node index only grows: numbered nodes stay numbered.
  int lowest = 1;
  auto lowest_unnumbered = [&]() {
    while (lowest <= nt && nodepos(lowest) != 0) ++lowest;
    return lowest;
  };

  for (int d = 1; d <= nt; ++d) {
    const int cur = nodeorder(d);
    const int start = ptrs(1, cur), count = ptrs(2, cur);
    const bool cur_solved = state(cur) != 0;
    for (int e = 0; e < count; ++e) {
      const int nb = pcs(start + 2 * e);
      if (nb < 1 || nb > nt) continue;  // fluid neighbour: not part of the matrix
      if (d < minpos(nb)) minpos(nb) = d;
      if (!cur_solved || dnodemask(nb) != 1) continue;
      if (state(nb) == -1) {
        ++j;
        frontier(j) = nb;
        state(nb) = 1;
        int sum = 0;
        const int s2 = ptrs(1, nb), c2 = ptrs(2, nb);
        for (int e2 = 0; e2 < c2; ++e2) {
          const int m = pcs(s2 + 2 * e2);
          if (m < 1 || m > nt) continue;
          sum += state(m);
          if (state(m) == 1) priority(m) += 2;
        }
        priority(nb) = sum;
      } else if (state(nb) == 1) {
        priority(nb) += 2;
      }
    }
    if (d == nt) break;

    int chosen = 0;
    if (j == 0) {
      chosen = lowest_unnumbered();
    } else {
      int best = -1000000;
      for (int f = 1; f <= j; ++f) {
        const int n = frontier(f);
        if (state(n) == 1 && priority(n) > best) {
          best = priority(n);
          chosen = n;
        }
      }
      if (d % 20 == 0) {
        int kept = 0;
        for (int f = 1; f <= j; ++f)
          if (state(frontier(f)) == 1) frontier(++kept) = frontier(f);
        j = kept;
      }
      if (chosen == 0) chosen = lowest_unnumbered();
    }
    nodeorder(d + 1) = chosen;
    nodepos(chosen) = d + 1;
    if (state(chosen) != 0) state(chosen) = 3;
  }

  std::int64_t s = 0;
  for (int k = 1; k <= nt; ++k) {
    const int mp = minpos(nodeorder(k));
    rowfirst(k) = mp < k ? mp : k;
    s += k - rowfirst(k) + 1;
    // A profile beyond the 32-bit index range cannot be stored: report -1.
    if (s > INT32_MAX) {
      proflen = -1;
      return;
    }
    diagptr(k) = static_cast<std::int32_t>(s);
  }
  proflen = static_cast<int>(s);
}
