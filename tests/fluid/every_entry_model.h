// A small fluid-loop model whose linked thermal list holds every kind of
// entry: a tied group (thermal node 12 tied to 11, its entries spliced into
// 11's sub-lists through jump words), a neighbour of status "X" and one of
// status "C", inactive conductors, GF entries negative at their first node,
// fluid neighbours of thermal nodes, a mass source and a reversed link.
#pragma once

#include <gtest/gtest.h>

#include "core/global_records.h"
#include "fluid/fluid_network.h"
#include "modeldata/global_arrays.h"
#include "modeldata/intermodel_links.h"
#include "support/fluid_model.h"

namespace fluid_test {

// The model before its build: thermal nodes 11..18, fluid chain 1..4.
// Conductor handles in the order of the calls: GL 0 (11-13) .. 8 (17-4),
// GR 0 (11-16) .. 3 (18-1), GF 0 (13 to 11) .. 4 (18 to 3).
inline tna_test::FluidModel every_entry_model() {
  GLOR.STEFAN = 5.6704e-8;
  tna_test::FluidModel fm = tna_test::chain(4);
  const double temps[] = {35.0, 12.5, -40.0, 80.0, 7.25, 150.0, -120.0, 61.0};
  const char stats[] = {'D', 'D', 'D', 'X', 'D', 'B', 'D', 'D'};
  for (int n = 1; n <= 8; ++n) fm.thermal(10 + n, stats[n - 1], temps[n - 1]);
  for (int k = 1; k <= 4; ++k) fm.node(k).t = 20.0 + 7.0 * k;
  fm.node(2).fm = 0.05;
  fm.node(2).fr = 45.0;
  fm.link(4, 1, -0.02);
  fm.gl(11, 13, 2.5);
  fm.gl(12, 13, 1.5);  // the tied node's own conductor, spliced into 11's list
  fm.gl(12, 15, 0.75);
  fm.gl(11, 14, 4.0);       // neighbour "X"
  fm.gl(13, 17, 3.0, 'I');  // inactive
  fm.gl(15, 18, 0.5);
  fm.gl(11, 2, 6.0);  // fluid neighbours
  fm.gl(12, 3, 1.25);
  fm.gl(17, 4, 2.0);
  fm.gr(11, 16, 0.02);
  fm.gr(12, 16, 0.01);
  fm.gr(13, 18, 0.03, 'I');
  fm.gr(18, 1, 0.04);
  fm.gf(13, 11, 0.7);  // negative entry in 13's list, positive in 11's
  fm.gf(15, 12, 0.3);
  fm.gf(17, 15, 0.9, 'I');
  fm.gf(1, 17, 1.1);  // fluid to thermal and back
  fm.gf(18, 3, 0.6);
  return fm;
}

// After the build (net bound to it): the links' conductances, link 2's
// flow reversed, and thermal node 12 tied to 11 (status "C" and the splice
// of the lists).
inline void every_entry_finish(FlNetwork& net, const tna_test::FluidModel& fm) {
  net.lcond(1) = 0.4;
  net.lcond(2) = 0.9;
  net.lcond(3) = 1.7;
  net.lcond(4) = 2.2;
  net.m(2) = -0.01;
  const int source = fm.tindex(11), target = fm.tindex(12);
  const int groups[] = {5, 1, source, 1, target};
  gar_thermalnodestatuses(target) = "C";
  int status = 0;
  LINCSP(net.lenfluid, net.lenthermal, net.nt, gar_pcsptrsthermalold.view(), plat::Vec1<const int>(groups, 5), 5,
         gar_pcsthermalold.view(), status, gar_pcsptrsfluid.view(), gar_pcsfluid.view());
  ASSERT_EQ(status, 0);
}

}  // namespace fluid_test
