#include "modeldata/list_walks.h"

#include "core/diagnostics.h"

namespace {

// The walk shared by both routines; `keep(w)` decides whether the pair with
// thermal neighbour w is returned.
template <class Keep>
void walk(int incl, int nt, int node, plat::Vec1<const std::int32_t> list, plat::Vec1<const std::int32_t> ptrs,
          int& sublist, int& pos, int& cond, int& neighbour, const char* routine, Keep keep) {
  if (pos == 0) {
    sublist = 1;
    pos = ptrs(node);
  } else {
    pos += 2;
  }
  LoopGuard guard(routine);
  for (;;) {
    guard.pass();
    const std::int32_t w = list(pos);
    neighbour = w;
    if (w > 0) {
      if (incl != 0 || w > nt || keep(w)) {
        cond = list(pos + 1);
        return;
      }
      pos += 2;
    } else if (w < 0) {
      pos = -w;
    } else {
      cond = 0;
      ++sublist;
      if (sublist > 3) {
        pos = 0;
        return;
      }
      pos += 1;
    }
  }
}

}  // namespace

namespace {

// Thermal neighbours of status "X" or "C" are passed over.
void status_walk(int incl, int nt, int node, plat::Vec1<const plat::Text<1>> statuses,
                 plat::Vec1<const std::int32_t> list, plat::Vec1<const std::int32_t> ptrs, int& sublist, int& pos,
                 int& cond, int& neighbour, const char* routine) {
  walk(incl, nt, node, list, ptrs, sublist, pos, cond, neighbour, routine, [&](std::int32_t w) {
    const char c = statuses(w).c[0];
    return c != 'X' && c != 'C';
  });
}

}  // namespace

void SUNPAK(int incl, int /*len*/, int nt, int node, plat::Vec1<const plat::Text<1>> statuses,
            plat::Vec1<const std::int32_t> list, plat::Vec1<const std::int32_t> ptrs, int& sublist, int& pos,
            int& cond, int& neighbour) {
  status_walk(incl, nt, node, statuses, list, ptrs, sublist, pos, cond, neighbour, "SUNPAK");
}

void STUNPK(int incl, int /*len*/, int nt, int node, plat::Vec1<const plat::Text<1>> statuses,
            plat::Vec1<const std::int32_t> list, plat::Vec1<const std::int32_t> ptrs, int& sublist, int& pos,
            int& cond, int& neighbour) {
  status_walk(incl, nt, node, statuses, list, ptrs, sublist, pos, cond, neighbour, "STUNPK");
}

void SUNPAK2(int incl, plat::Vec1<const std::int32_t> mask, int /*len*/, int nt, int node,
             plat::Vec1<const std::int32_t> list, plat::Vec1<const std::int32_t> ptrs, int& sublist, int& pos,
             int& cond, int& neighbour) {
  walk(incl, nt, node, list, ptrs, sublist, pos, cond, neighbour, "SUNPAK2",
       [&](std::int32_t w) { return mask(w) != 0; });
}
