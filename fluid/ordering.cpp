#include "fluid/ordering.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "core/diagnostics.h"

void FPNTRS(const FlNetwork& net, FlOrdering& ord) {
  const int nf = net.nf;
  ord.lprof = 0;
  if (nf < 1) return;
  FlInts perm = ord.perm, pos = ord.pos, jl = ord.jl, ir = ord.ir, id = ord.id;
  for (int k = 1; k <= nf; ++k) {
    pos(k) = 0;
    perm(k) = 0;
  }
  pos(1) = 1;
  perm(1) = 1;
  jl(1) = 1;
  int f = 2, u = 2;
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  LoopGuard guard("FPNTRS");
  for (int r = 1;; ++r) {
    const int n = perm(r);
    if (r == 1) {
      ir(1) = 1;
      id(1) = 1;
    } else {
      ir(r) = std::max(r, ir(r - 1));
    }
    for (const FlEntry& entry : fl_links(net, n, guard)) {
      const int m = entry.neighbour;
      int e;
      if (pos(m) == 0) {
        pos(m) = f;
        perm(f) = m;
        jl(f) = r;
        e = f;
        ++f;
      } else {
        e = pos(m);
      }
      ir(r) = std::max(ir(r), e);
    }
    if (f == r + 1) {
      if (f > nf) break;
      jl(r + 1) = r + 1;
      int k = u;
      for (;; ++k) {
        guard.pass();
        if (pos(k) == 0) break;
      }
      perm(r + 1) = k;
      pos(k) = r + 1;
      u = k + 1;
      f = r + 2;
    } else if (r + 1 > nf) {
      break;
    }
    const std::int64_t next = static_cast<std::int64_t>(id(r)) + ir(r) - jl(r + 1) + 2;
    id(r + 1) = static_cast<std::int32_t>(std::min(next, kMax));
  }
  ord.lprof = id(nf);
}
