// The entries of the compact connection list that count in a node's
// conductance sums under the present masks, in list order: the counting
// list of the transient step loops.
//
// An entry of node i's GL, GR or GF sub-list of the compact list (net.cpcs,
// net.cptrs) counts when its conductor's mask is 1 and its
// neighbour is a fluid node (above nt, a boundary at its fluid node's
// temperature) or a thermal node whose dbnodemask is 1 ("D" or "B"); a GF
// entry counts only at its downstream end (a positive conductor number).
// The masks change only where a solution rebuilds them (SLOGST2), so the
// solution rebuilds the counting list at the same places and its sweeps walk
// only entries that count, in the order the compact list gives them: every
// sum adds the same terms in the same order as a walk of the whole compact
// list that tests the masks entry by entry.
//
// Conductor values are not copied: the kernels read them from the
// conductor arrays (net.gl, net.gr, net.gf) at the moment of use, so that a
// value the user's blocks change is seen at once.
#pragma once

#include <cstdint>
#include <vector>

#include "thermal/thermal_network.h"
#include "thermal/thermal_views.h"

struct ThCountingList {
  // (neighbour, conductor) pairs, conductor numbers positive: entry e is
  // words 2e - 1 and 2e.
  ThInts pairs;
  // 3 nt + 1 words: entries first(3i - 2) .. first(3i - 1) - 1 are node i's
  // GL entries, then up to first(3i) - 1 its GR entries, then up to
  // first(3i + 1) - 1 its GF entries.
  ThInts first;

  int gl_begin(int i) const { return first(3 * i - 2); }
  int gr_begin(int i) const { return first(3 * i - 1); }
  int gf_begin(int i) const { return first(3 * i); }
  int end(int i) const { return first(3 * i + 1); }
  int neighbour(int e) const { return pairs(2 * e - 1); }
  int conductor(int e) const { return pairs(2 * e); }
};

// The heap storage of a counting list, sized once per solution call for the
// whole compact list (never inside the step loop).
struct ThCountingStore {
  std::vector<std::int32_t> pairs, first;
};

// Sizes store for net and returns the list over it (empty until built).
ThCountingList th_counting_list(const ThNetwork& net, ThCountingStore& store);

// Fills list from the compact list of net and the masks.
void th_build_counting_list(const ThNetwork& net, ThCInts gfmask, ThCInts glmask, ThCInts grmask, ThCInts dbnodemask,
                            ThCountingList& list);
