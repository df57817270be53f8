// Seeded generator of spacecraft-like thermal networks for the benchmarks.
//
// About n nodes: panels of GL grids (up to 2,500 nodes each) with a few
// bolted GL joints to the next panel; every panel node radiates (GR) to a
// deep-space boundary, the last node, to two random nodes of its own panel
// and to one node of another panel; heat sources on some nodes; n / 2000
// (at least 2) tied sensor nodes without conductors, before the deep-space
// node, which copy node 1. Nodes are numbered 1..n; every conductor has its
// lower node first.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

namespace spacecraft {

struct Conductor {
  int a, b;
  double g;
};

struct Network {
  int n = 0;        // nodes; node n is deep space
  int nsolved = 0;  // nodes 1..nsolved carry conductors
  int ntied = 0;    // nodes nsolved + 1 .. nsolved + ntied copy node 1
  std::vector<Conductor> gl, gr;
  std::vector<double> solar, internal;  // heat sources, index 0 = node 1
};

inline Network generate(int n, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> uni(0.0, 1.0);
  Network net;
  net.n = n;
  const int space = n;
  net.ntied = std::max(2, n / 2000);
  net.nsolved = n - 1 - net.ntied;
  const int nsolved = net.nsolved;
  const int panel_nodes = std::min(2500, std::max(250, nsolved / 4));
  const int npanels = std::max(1, nsolved / panel_nodes);
  auto& gl = net.gl;
  auto& gr = net.gr;
  std::vector<int> panel_first(static_cast<std::size_t>(npanels) + 1);
  for (int p = 0; p <= npanels; ++p)
    panel_first[static_cast<std::size_t>(p)] = 1 + static_cast<int>(static_cast<long long>(nsolved) * p / npanels);
  for (int p = 0; p < npanels; ++p) {
    const int first = panel_first[static_cast<std::size_t>(p)],
              count = panel_first[static_cast<std::size_t>(p) + 1] - first;
    const int cols = std::max(1, static_cast<int>(std::sqrt(static_cast<double>(count))));
    for (int k = 0; k < count; ++k) {
      const int node = first + k;
      if (k % cols != cols - 1 && k + 1 < count) gl.push_back({node, node + 1, 0.5 + uni(rng)});
      if (k + cols < count) gl.push_back({node, node + cols, 0.5 + uni(rng)});
      gr.push_back({node, space, (0.02 + 0.05 * uni(rng)) * 1.0});  // face to deep space
      for (int r = 0; r < 2; ++r) {
        const int other = first + static_cast<int>(uni(rng) * count);
        if (other != node) gr.push_back({std::min(node, other), std::max(node, other), 0.01 * uni(rng)});
      }
      if (npanels > 1) {
        const int q = (p + 1 + static_cast<int>(uni(rng) * (npanels - 1))) % npanels;
        const int qf = panel_first[static_cast<std::size_t>(q)];
        const int other = qf + static_cast<int>(uni(rng) * (panel_first[static_cast<std::size_t>(q) + 1] - qf));
        gr.push_back({std::min(node, other), std::max(node, other), 0.005 * uni(rng)});
      }
    }
    // A few bolted joints to the next panel.
    if (p + 1 < npanels) {
      const int nf = panel_first[static_cast<std::size_t>(p) + 1];
      for (int j = 0; j < 4; ++j) {
        const int a = first + static_cast<int>(uni(rng) * count);
        const int b = nf + static_cast<int>(uni(rng) * (panel_first[static_cast<std::size_t>(p) + 2] - nf));
        gl.push_back({a, b, 0.2});
      }
    }
  }
  net.solar.assign(static_cast<std::size_t>(n), 0.0);
  net.internal.assign(static_cast<std::size_t>(n), 0.0);
  for (int i = 0; i < n; ++i) {
    if (uni(rng) < 0.3) net.solar[static_cast<std::size_t>(i)] = 20.0 * uni(rng);
    if (uni(rng) < 0.05) net.internal[static_cast<std::size_t>(i)] = 5.0 * uni(rng);
  }
  return net;
}

}  // namespace spacecraft
