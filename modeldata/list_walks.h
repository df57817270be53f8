// Walks over the linked thermal connection list (gar_pcsthermalold with its
// start words gar_pcsptrsthermalold): each node's list holds the GL, GR and
// GF sub-lists (1, 2, 3) of (neighbour, signed conductor) pairs; a negative
// word is a jump, a zero word ends a sub-list. SUNPAK and SUNPAK2 serve the
// thermal solution, STUNPK the fluid-loop solution.
//
// Calling order: set pos = 0 and call repeatedly for the same node. Each call
// returns the next pair (cond, neighbour) and the sub-list it belongs to;
// after the end of sub-list 3 it returns sublist = 4, pos = 0, cond = 0 and
// neighbour = 0.
//
// A neighbour above nt is a fluid node (nt + its fluid index). It has no
// thermal status or mask entry; the walks always return it (the thermal
// solution treats it as a boundary at the fluid node's temperature).
#pragma once

#include <cstdint>
#include <string_view>

#include "core/diagnostics.h"
#include "platform/array.h"
#include "platform/text.h"

// The walk the three routines share, inline so that a caller walking many
// lists (the fluid-loop conductance sums) folds it into its own loop: one
// call returns the next pair whose neighbour is above nt or passes keep(w)
// (any pair when incl is non-zero), with the calling order above. Stops
// through ERROR naming routine after 2,000,000,000 words read in one call.
template <class Keep>
inline void list_walk_next(int incl, int nt, int node, plat::Vec1<const std::int32_t> list,
                           plat::Vec1<const std::int32_t> ptrs, int& sublist, int& pos, int& cond, int& neighbour,
                           std::string_view routine, Keep keep) {
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

// The neighbour filter of SUNPAK and STUNPK: thermal neighbours of status
// "X" or "C" are passed over.
struct ListWalkStatusKeep {
  plat::Vec1<const plat::Text<1>> statuses;
  bool operator()(std::int32_t w) const {
    const char c = statuses(w).c[0];
    return c != 'X' && c != 'C';
  }
};

// Next pair whose neighbour's status letter is neither "X" nor "C" (any pair
// when incl is non-zero). len is not used. Stops through ERROR naming
// "SUNPAK" after 2,000,000,000 words read in one call.
void SUNPAK(int incl, int len, int nt, int node, plat::Vec1<const plat::Text<1>> statuses,
            plat::Vec1<const std::int32_t> list, plat::Vec1<const std::int32_t> ptrs, int& sublist, int& pos,
            int& cond, int& neighbour);

// The walk of SUNPAK for the fluid-loop solution: stops through ERROR naming
// "STUNPK".
void STUNPK(int incl, int len, int nt, int node, plat::Vec1<const plat::Text<1>> statuses,
            plat::Vec1<const std::int32_t> list, plat::Vec1<const std::int32_t> ptrs, int& sublist, int& pos,
            int& cond, int& neighbour);

// The same walk filtered by a node mask: a thermal neighbour counts when its
// mask entry is non-zero (any pair when incl is non-zero). Stops through
// ERROR naming "SUNPAK2" after 2,000,000,000 words read in one call.
void SUNPAK2(int incl, plat::Vec1<const std::int32_t> mask, int len, int nt, int node,
             plat::Vec1<const std::int32_t> list, plat::Vec1<const std::int32_t> ptrs, int& sublist, int& pos,
             int& cond, int& neighbour);

// SUNPAK and SUNPAK2 inline (the same walks, ERROR naming the same
// routines), for the kernels that walk every node's list; len is not taken.
inline void sunpak_next(int incl, int nt, int node, plat::Vec1<const plat::Text<1>> statuses,
                        plat::Vec1<const std::int32_t> list, plat::Vec1<const std::int32_t> ptrs, int& sublist,
                        int& pos, int& cond, int& neighbour) {
  list_walk_next(incl, nt, node, list, ptrs, sublist, pos, cond, neighbour, "SUNPAK", ListWalkStatusKeep{statuses});
}

inline void sunpak2_next(int incl, plat::Vec1<const std::int32_t> mask, int nt, int node,
                         plat::Vec1<const std::int32_t> list, plat::Vec1<const std::int32_t> ptrs, int& sublist,
                         int& pos, int& cond, int& neighbour) {
  list_walk_next(incl, nt, node, list, ptrs, sublist, pos, cond, neighbour, "SUNPAK2",
                 [&](std::int32_t w) { return mask(w) != 0; });
}
