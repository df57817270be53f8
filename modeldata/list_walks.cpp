#include "modeldata/list_walks.h"

void SUNPAK(int incl, int /*len*/, int nt, int node, plat::Vec1<const plat::Text<1>> statuses,
            plat::Vec1<const std::int32_t> list, plat::Vec1<const std::int32_t> ptrs, int& sublist, int& pos,
            int& cond, int& neighbour) {
  sunpak_next(incl, nt, node, statuses, list, ptrs, sublist, pos, cond, neighbour);
}

void STUNPK(int incl, int /*len*/, int nt, int node, plat::Vec1<const plat::Text<1>> statuses,
            plat::Vec1<const std::int32_t> list, plat::Vec1<const std::int32_t> ptrs, int& sublist, int& pos,
            int& cond, int& neighbour) {
  list_walk_next(incl, nt, node, list, ptrs, sublist, pos, cond, neighbour, "STUNPK", ListWalkStatusKeep{statuses});
}

void SUNPAK2(int incl, plat::Vec1<const std::int32_t> mask, int /*len*/, int nt, int node,
             plat::Vec1<const std::int32_t> list, plat::Vec1<const std::int32_t> ptrs, int& sublist, int& pos,
             int& cond, int& neighbour) {
  sunpak2_next(incl, mask, nt, node, list, ptrs, sublist, pos, cond, neighbour);
}
