// The spacecraft-like networks of spacecraft.h as a loaded model: the
// global arrays of the benchmarks that drive the solutions directly.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "bench/spacecraft.h"
#include "core/control_constants.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"

namespace spacecraft {

// Fills the global arrays with the network spacecraft::generate(n, seed)
// builds and writes both forms of the connection lists, as the model
// database load would. Temperatures start at 20 (space at -270);
// capacitances are left at 0 for the caller.
inline void fill_model(int n, unsigned seed) {
  const spacecraft::Network net = spacecraft::generate(n, seed);
  const auto& gl = net.gl;
  const auto& gr = net.gr;
  const int space = n, ntied = net.ntied, nsolved = net.nsolved;
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
    gar_thermalnodeheatsourcessolar(i) = net.solar[static_cast<std::size_t>(i - 1)];
    gar_thermalnodeheatsourcesinternal(i) = net.internal[static_cast<std::size_t>(i - 1)];
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
