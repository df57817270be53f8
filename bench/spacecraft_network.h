// The spacecraft-like thermal networks of the benchmarks.
//
// A seeded generator builds panels of GL grids (2,500 nodes at most per
// panel), GR couplings within and between panels and from every panel node
// to a deep-space boundary (the last node, status "B"), heat sources on a
// third of the nodes and a few tied nodes (status "C") that copy node 1. It
// allocates the global arrays for the network and fills the records and
// arrays as the model database load would, the connection lists in both
// forms included. Temperatures start at 20 (space at -270); capacitances
// are left at 0 for the caller.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <random>
#include <utility>
#include <vector>

#include "core/control_constants.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"

namespace spacecraft {

struct Conductor {
  int a, b;
  double g;
};

// Fills the global arrays with a generated network of n nodes and writes
// both forms of the connection lists.
inline void generate(int n, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> uni(0.0, 1.0);
  const int space = n;  // deep-space boundary, the last node
  const int ntied = std::max(2, n / 2000);
  const int nsolved = n - 1 - ntied;
  const int panel_nodes = std::min(2500, std::max(250, nsolved / 4));
  const int npanels = std::max(1, nsolved / panel_nodes);
  std::vector<Conductor> gl, gr;
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
  int nt = n, ngl = static_cast<int>(gl.size()), ngr = static_cast<int>(gr.size()), ngf = 0;
  const int l = 2 + 2 + ntied;  // header, then one group: source, count, targets
  std::vector<std::vector<std::pair<int, int>>> lgl(static_cast<std::size_t>(nt) + 1),
      lgr(static_cast<std::size_t>(nt) + 1);
  for (int k = 0; k < ngl; ++k) {
    lgl[static_cast<std::size_t>(gl[static_cast<std::size_t>(k)].a)].push_back(
        {gl[static_cast<std::size_t>(k)].b, k + 1});
    lgl[static_cast<std::size_t>(gl[static_cast<std::size_t>(k)].b)].push_back(
        {gl[static_cast<std::size_t>(k)].a, k + 1});
  }
  for (int k = 0; k < ngr; ++k) {
    lgr[static_cast<std::size_t>(gr[static_cast<std::size_t>(k)].a)].push_back(
        {gr[static_cast<std::size_t>(k)].b, k + 1});
    lgr[static_cast<std::size_t>(gr[static_cast<std::size_t>(k)].b)].push_back(
        {gr[static_cast<std::size_t>(k)].a, k + 1});
  }
  int lpcsold = 6 * nt + 4 * (ngl + ngr) + l;
  int lpcsth = 4 * (ngl + ngr);
  int dystor = 16, mdrows = md_numslots, nm = 1, zero = 0, ncc = gcc_num_all, lpcsfluid = 1;
  gar_deallocate_all();
  gar_allocate(zero, dystor, mdrows, lpcsfluid, lpcsth, lpcsold, zero, ncc, zero, zero, zero, zero, ngf, zero, zero,
               zero, ngl, zero, zero, ngr, zero, zero, nm, nt, zero, zero, zero, zero);
  FLAGS(1) = nt;
  FLAGS(2) = ngl;
  FLAGS(3) = ngf;
  FLAGS(4) = ngr;
  FLAGS(24) = lpcsold;
  FLAGS(25) = l;
  FLAGS(26) = 1;
  md_thermalnodebase(2) = nt;
  md_linearcondbase(2) = ngl;
  md_radiativecondbase(2) = ngr;
  gar_modelnames(1) = "SPACECRAFT";
  for (int k = 1; k <= ngl; ++k) {
    gar_linearconds(k) = gl[static_cast<std::size_t>(k - 1)].g;
    gar_linearcondacts(k) = "A";
  }
  for (int k = 1; k <= ngr; ++k) {
    gar_radiativeconds(k) = gr[static_cast<std::size_t>(k - 1)].g;
    gar_radiativecondacts(k) = "A";
  }
  for (int i = 1; i <= nt; ++i) {
    gar_thermalnodenums(i) = i;
    gar_thermalnodestatuses(i) = "D";
    gar_thermalnodetemps(i) = 20.0;
    if (uni(rng) < 0.3) gar_thermalnodeheatsourcessolar(i) = 20.0 * uni(rng);
    if (uni(rng) < 0.05) gar_thermalnodeheatsourcesinternal(i) = 5.0 * uni(rng);
  }
  gar_thermalnodestatuses(space) = "B";
  gar_thermalnodetemps(space) = -270.0;
  // Tied nodes (sensor points without conductors of their own) copy node 1.
  for (int j = 0; j < ntied; ++j) gar_thermalnodestatuses(nsolved + 1 + j) = "C";

  // Linked form, then the compact form.
  int w = 1, c = 1;
  auto put = [&](int v) { gar_pcsthermalold(w++) = v; };
  for (int i = 1; i <= nt; ++i) {
    gar_pcsptrsthermalold(i) = w;
    const bool copied = gar_thermalnodestatuses(i).c[0] == 'C';
    for (int kind = 1; kind <= 3; ++kind) {
      const auto& src = kind == 1 ? lgl[static_cast<std::size_t>(i)] : lgr[static_cast<std::size_t>(i)];
      const int start = c, count = kind == 3 ? 0 : static_cast<int>(src.size());
      if (kind < 3) {
        for (const auto& e : src) {
          put(e.first);
          put(e.second);
          gar_pcsthermal(c++) = e.first;
          gar_pcsthermal(c++) = e.second;
        }
      }
      put(-(w + 1));
      put(0);
      gar_pcsptrsthermal(2 * kind - 1, i) = copied ? 0 : start;
      gar_pcsptrsthermal(2 * kind, i) = copied ? 0 : count;
    }
  }
  const int b = lpcsold - l;
  gar_pcsthermalold(b + 1) = l;
  gar_pcsthermalold(b + 2) = 1;
  gar_pcsthermalold(b + 3) = 1;
  gar_pcsthermalold(b + 4) = ntied;
  for (int j = 0; j < ntied; ++j) gar_pcsthermalold(b + 5 + j) = nsolved + 1 + j;
}

}  // namespace spacecraft
