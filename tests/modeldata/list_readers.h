// Readers of the thermal connection lists for the connection tests: the
// entries (neighbour, conductor) of one sub-list of a node, from the linked
// and from the compact form.
#pragma once

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "modeldata/global_arrays.h"

namespace tna_test {

using Entries = std::vector<std::pair<int, int>>;

// Sub-list k (1 GL, 2 GR, 3 GF) of thermal node n, linked form, by the reading rule.
inline Entries linked(int n, int k) {
  Entries e;
  int p = gar_pcsptrsthermalold(n);
  int sub = 1;
  for (int guard = 0; guard < 100000; ++guard) {
    const int v = gar_pcsthermalold(p);
    if (v > 0) {
      if (sub == k) e.emplace_back(v, gar_pcsthermalold(p + 1));
      p += 2;
    } else if (v < 0) {
      p = -v;
    } else {
      if (sub == k) return e;
      ++sub;
      ++p;
    }
  }
  ADD_FAILURE() << "runaway list of node " << n;
  return e;
}

// Sub-list k (1 GL, 2 GR, 3 GF) of thermal node n, compact form.
inline Entries compact(int n, int k) {
  Entries e;
  const int start = gar_pcsptrsthermal(2 * k - 1, n), count = gar_pcsptrsthermal(2 * k, n);
  for (int i = 0; i < count; ++i) e.emplace_back(gar_pcsthermal(start + 2 * i), gar_pcsthermal(start + 2 * i + 1));
  return e;
}

}  // namespace tna_test
