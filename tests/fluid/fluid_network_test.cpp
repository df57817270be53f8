// The fluid network model: the view over the global arrays, the model
// queries FTAIRW and STUNPK, and the test model builder whose lists every
// fluid test relies on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "fluid/fluid_network.h"
#include "fluid_fixture.h"
#include "model/generated_program.h"
#include "modeldata/connection_lists.h"
#include "modeldata/global_arrays.h"
#include "modeldata/list_walks.h"
#include "properties/properties.h"

namespace fluid_test {
namespace {

// Entries (sub-list, neighbour, conductor) of fluid node k's list.
std::vector<std::tuple<int, int, int>> fluid_entries(const FlNetwork& net, int k) {
  std::vector<std::tuple<int, int, int>> out;
  int kind = 0, pos = 0, cond = 0, nb = 0;
  for (;;) {
    SFUNPK(0, net.lenfluid, net.nf, net.nt, k, net.tstat, net.fpcs, net.fptrs, kind, pos, cond, nb);
    if (nb == 0) break;
    out.emplace_back(kind, nb, cond);
  }
  return out;
}

// Entries (sub-list, neighbour, conductor) of thermal node i's list by STUNPK.
std::vector<std::tuple<int, int, int>> thermal_entries(FlCLetters stat, FlCInts pcs, FlCInts ptrs, int nt, int i,
                                                       int incl = 0) {
  std::vector<std::tuple<int, int, int>> out;
  int sub = 0, pos = 0, cond = 0, nb = 0;
  for (;;) {
    STUNPK(incl, 0, nt, i, stat, pcs, ptrs, sub, pos, cond, nb);
    if (sub > 3) {
      EXPECT_EQ(pos, 0);
      EXPECT_EQ(nb, 0);
      break;
    }
    out.emplace_back(sub, nb, cond);
  }
  return out;
}

using FluidNetworkTest = FluidTest;

TEST_F(FluidNetworkTest, ViewReadsCountsArraysAndLiveConstants) {
  tna_test::FluidModel fm = tna_test::branch();
  fm.thermal(200, 'D', 40.0, 5.0);
  const int w = fm.gl(200, 3, 7.0);
  build(fm);
  EXPECT_EQ(net.nt, 1);
  EXPECT_EQ(net.nf, 6);
  EXPECT_EQ(net.nl, 6);
  EXPECT_EQ(net.ngl, 1);
  EXPECT_EQ(net.ngf, 0);
  EXPECT_EQ(net.ngf1, 1);
  EXPECT_EQ(net.lenfluid, FLAGS(35));
  EXPECT_EQ(net.global(fm.findex(3)), 1 + fm.findex(3));
  EXPECT_EQ(net.gl(fm.gl_index(w)), 7.0);
  EXPECT_EQ(net.cap(fm.tindex(200)), 5.0);
  // Link 2 runs 2 -> 3 with a positive flow: it feeds node 3, not node 2;
  // reversed, it feeds node 2.
  const int l = fm.link_index(1);
  EXPECT_EQ(net.first(l), fm.findex(2));
  EXPECT_EQ(net.second(l), fm.findex(3));
  EXPECT_TRUE(net.link_feeds(l, fm.findex(3)));
  EXPECT_FALSE(net.link_feeds(l, fm.findex(2)));
  net.m(l) = -0.01;
  EXPECT_TRUE(net.link_feeds(l, fm.findex(2)));
  EXPECT_FALSE(net.link_feeds(l, fm.findex(3)));
  net.m(l) = 0.0;
  EXPECT_FALSE(net.link_feeds(l, fm.findex(2)) || net.link_feeds(l, fm.findex(3)));
  // The spans are the model's arrays; the constants are read when asked.
  net.tf(2) = 55.0;
  EXPECT_EQ(gar_fluidnodetemps(2), 55.0);
  GLOR.TABS = 1.5;
  EXPECT_EQ(net.tabs(), 1.5);
  EXPECT_EQ(net.fluid_code(1), 2);
}

// The view keeps each node's fluid code, but a user block may give a node
// another fluid while a solution holds the view: the code follows the name.
TEST_F(FluidNetworkTest, FluidCodeFollowsTheNameAUserBlockWrites) {
  tna_test::FluidModel fm = tna_test::branch();
  build(fm);
  const int k = fm.findex(3);
  EXPECT_EQ(net.fluid_code(k), FTYPEI("WATER"));
  const FlNetwork by_hand = [&] {  // a view without the kept codes
    FlNetwork v = net;
    v.fluid_codes.clear();
    return v;
  }();
  struct Case {
    const char* name;
    int code;
  };
  const Case cases[] = {{"AIR", 3}, {"AIRW", 4}, {"R502", 10}, {"STEAM", 0}, {"", 0}, {"WATER", 2}};
  for (const Case& c : cases) {
    gar_fluidnodefluidtypes(k) = c.name;
    EXPECT_EQ(net.fluid_code(k), c.code) << c.name;
    EXPECT_EQ(net.fluid_code(k), c.code) << c.name;  // kept
    EXPECT_EQ(by_hand.fluid_code(k), c.code) << c.name;
    EXPECT_EQ(net.fluid_code(fm.findex(2)), 2) << c.name;  // the other nodes keep theirs
  }
}

TEST_F(FluidNetworkTest, EmptyModelHasZeroCountsAndUnitExtents) {
  tna_test::FluidModel fm;
  fm.thermal(1, 'D', 0.0);
  build(fm);
  EXPECT_EQ(net.nf, 0);
  EXPECT_EQ(net.nl, 0);
  EXPECT_EQ(net.nf1, 1);
  EXPECT_EQ(net.nl1, 1);
  EXPECT_EQ(net.fm.size(), 0);
}

TEST(FluidModelQueries, FtairwFindsHumidAirByExactName) {
  struct Case {
    std::vector<std::string> names;
    int n;
    bool found;
  };
  // clang-format off
  const Case cases[] = {
      {{"AIRW"}, 1, true},
      {{"WATER", "AIRW"}, 2, true},
      {{"AIRW                    "}, 1, true},  // trailing blanks
      {{"AIR"}, 1, false},
      {{"AIRWX"}, 1, false},
      {{"AIRW_DRY"}, 1, false},
      {{" AIRW"}, 1, false},
      {{"airw"}, 1, false},
      {{"AIRW"}, 0, false},                      // no nodes
      {{"WATER", "AIRW"}, 1, false},             // only the first n names count
  };
  // clang-format on
  for (const Case& c : cases) {
    std::vector<plat::Text<24>> names(c.names.size());
    for (std::size_t i = 0; i < names.size(); ++i) names[i] = c.names[i];
    EXPECT_EQ(FTAIRW(FlCNames(names.data(), static_cast<std::int64_t>(names.size())), c.n), c.found)
        << c.names.back() << " n=" << c.n;
  }
}

TEST(FluidModelQueries, StunpkSkipsInactiveThermalNeighboursAndFollowsJumps) {
  // Thermal node 1 of a hand-made list (nt = 4, node 5 = fluid node 1):
  // GL (2, c1), a jump in the middle of the GL sub-list, GL (3, c2), end;
  // GR (4, c3), end; GF (5, +c4), (2, -c5), end.
  std::vector<std::int32_t> words = {2, 1, -10, 0, 0, 0, 0, 0, 0, 3, 2, 0, 4, 3, 0, 5, 4, 2, -5, 0};
  std::vector<std::int32_t> ptrs = {1, 0, 0, 0};
  std::vector<plat::Text<1>> stat(4);
  for (auto& s : stat) s = "D";
  const FlCLetters st(stat.data(), 4);
  const FlCInts pcs(words.data(), static_cast<std::int64_t>(words.size())), pt(ptrs.data(), 4);
  using E = std::tuple<int, int, int>;
  EXPECT_EQ(thermal_entries(st, pcs, pt, 4, 1),
            (std::vector<E>{{1, 2, 1}, {1, 3, 2}, {2, 4, 3}, {3, 5, 4}, {3, 2, -5}}));
  // "X" and "C" neighbours are passed over with flag 0 (a fluid neighbour
  // never is); flag 1 returns them.
  stat[1] = "X";
  stat[3] = "C";
  EXPECT_EQ(thermal_entries(st, pcs, pt, 4, 1), (std::vector<E>{{1, 3, 2}, {3, 5, 4}}));
  EXPECT_EQ(thermal_entries(st, pcs, pt, 4, 1, 1).size(), 5u);
}

TEST_F(FluidNetworkTest, ThermalListOfTheBuilderShowsFluidNeighbours) {
  tna_test::FluidModel fm = tna_test::chain(2);
  fm.thermal(10, 'D', 30.0).thermal(11, 'X', 30.0);
  const int a = fm.gl(10, 1, 1.0), b = fm.gr(10, 11, 2.0), c = fm.gf(2, 10, 3.0);
  build(fm);
  using E = std::tuple<int, int, int>;
  const int t10 = fm.tindex(10);
  const auto e = thermal_entries(net.tstat, net.pcs, net.ptrs, net.nt, t10);
  EXPECT_EQ(e, (std::vector<E>{{1, fm.global(1), fm.gl_index(a)}, {3, fm.global(2), fm.gf_index(c)}}));
  (void)b;  // its neighbour 11 is inactive
}

TEST_F(FluidNetworkTest, ShapesBuildTheirLinksAndConductors) {
  struct Case {
    const char* name;
    tna_test::FluidModel fm;
    int nf, nl, nt;
  };
  // clang-format off
  Case cases[] = {
      {"chain", tna_test::chain(4), 4, 3, 0},
      {"ring", tna_test::ring(5, false), 5, 5, 0},
      {"ring J", tna_test::ring(5, true), 5, 5, 0},
      {"branch", tna_test::branch(), 6, 6, 0},
      {"evaporator", tna_test::evaporator(4), 4, 3, 4},
      {"humid duct", tna_test::humid_duct(3), 3, 2, 1},
  };
  // clang-format on
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    build(c.fm);
    ASSERT_EQ(net.nf, c.nf);
    ASSERT_EQ(net.nl, c.nl);
    ASSERT_EQ(net.nt, c.nt);
    // Every link appears once in the list of each of its two nodes, with the
    // other node as neighbour; every conductor touching a fluid node once at
    // that node.
    std::multiset<std::pair<int, int>> seen;
    int conductors = 0;
    for (int k = 1; k <= net.nf; ++k) {
      for (const auto& [kind, nb, cond] : fluid_entries(net, k)) {
        if (kind == 1) {
          EXPECT_TRUE((net.first(cond) == k && net.second(cond) == nb) ||
                      (net.second(cond) == k && net.first(cond) == nb));
          seen.insert({cond, k});
        } else {
          ++conductors;
        }
      }
    }
    for (int l = 1; l <= net.nl; ++l) {
      EXPECT_EQ(seen.count({l, net.first(l)}), 1u) << "link " << l;
      EXPECT_EQ(seen.count({l, net.second(l)}), 1u) << "link " << l;
    }
    EXPECT_EQ(conductors, net.ngl + net.ngr + net.ngf);
  }
  tna_test::FluidModel duct = tna_test::humid_duct(3);
  build(duct);
  EXPECT_TRUE(FTAIRW(net.ftypes, net.nf));
  tna_test::FluidModel loop = tna_test::ring(3, true);
  build(loop);
  EXPECT_EQ(net.fstat(loop.findex(1)), "J");
  EXPECT_FALSE(FTAIRW(net.ftypes, net.nf));
}

// The entry range reads the list as SFUNPK with flag 0 does (an "X"
// thermal neighbour passed over), stops after the sub-list asked for, and
// passes its guard once a read: every entry and the read that ends.
TEST_F(FluidNetworkTest, EntryRangeReadsTheListAsSfunpk) {
  tna_test::FluidModel fm = tna_test::chain(3);
  fm.thermal(10, 'D', 30.0).thermal(11, 'X', 30.0).thermal(12, 'B', 0.0);
  fm.gl(10, 2, 1.0);
  fm.gl(11, 2, 1.0);
  fm.gr(12, 2, 2.0);
  fm.gf(2, 10, 3.0);
  build(fm);
  struct Counter {
    int passes = 0;
    void pass() { ++passes; }
  };
  using E = std::tuple<int, int, int>;
  for (int k = 1; k <= net.nf; ++k) {
    SCOPED_TRACE(k);
    const std::vector<E> all = fluid_entries(net, k);
    for (int last = 1; last <= 4; ++last) {
      std::vector<E> want;
      for (const E& e : all)
        if (std::get<0>(e) <= last) want.push_back(e);
      Counter guard;
      std::vector<E> got;
      for (const FlEntry& e : fl_entries(net, k, guard, last)) {
        EXPECT_EQ(net.fpcs(e.pos), e.neighbour);
        EXPECT_EQ(e.link(), std::abs(e.cond));
        got.emplace_back(e.kind, e.neighbour, e.cond);
      }
      EXPECT_EQ(got, want) << "sub-lists to " << last;
      EXPECT_EQ(guard.passes, static_cast<int>(want.size()) + 1);
    }
    Counter guard;
    int links = 0;
    for (const FlEntry& e : fl_links(net, k, guard)) links += e.kind == 1 ? 1 : 100;
    EXPECT_EQ(links, k == 2 ? 2 : 1);
  }
  // Node 2: two links, the GL of node 10 (that of "X" node 11 passed over),
  // the GR and the GF.
  EXPECT_EQ(fluid_entries(net, fm.findex(2)).size(), 5u);
}

TEST_F(FluidNetworkTest, SubmodelNodesFollowTheMainModelsNodes) {
  tna_test::FluidModel fm;
  const int sub = fm.submodel("SUB");
  fm.fluid(7, sub);
  fm.fluid(3);
  fm.fluid(9, sub);
  fm.fluid(5);
  fm.link(7, 9, 0.1);
  fm.link(3, 5, 0.2);
  build(fm);
  EXPECT_EQ(fm.findex(3), 1);
  EXPECT_EQ(fm.findex(5), 2);
  EXPECT_EQ(fm.findex(7), 3);
  EXPECT_EQ(fm.findex(9), 4);
  EXPECT_EQ(md_fluidnodebase(2), 2);
  // The main model's link comes first.
  EXPECT_EQ(fm.link_index(1), 1);
  EXPECT_EQ(net.m(fm.link_index(0)), 0.1);
  EXPECT_EQ(net.first(fm.link_index(0)), 3);
  EXPECT_EQ(net.second(fm.link_index(0)), 4);
}

TEST_F(FluidNetworkTest, BlockLogRecordsBlockSoltypAndTimes) {
  tna_test::FluidModel fm = tna_test::chain(2);
  build(fm);
  tna_test::BlockLog log;
  int mine = 0;
  log.variables1 = [&] { ++mine; };
  log.install();
  GLOR.TIMEO = 1.0;
  GLOR.TIMEN = 1.5;
  STSOLT("THERMAL");
  V10001();
  STSOLT("");
  OUTPUT();
  ASSERT_EQ(log.calls.size(), 2u);
  EXPECT_EQ(log.calls[0].block, "VARIABLES1");
  EXPECT_EQ(log.calls[0].soltyp, "THERMAL");
  EXPECT_EQ(log.calls[0].timeo, 1.0);
  EXPECT_EQ(log.calls[0].timen, 1.5);
  EXPECT_EQ(log.calls[1].block, "OUTPUTS");
  EXPECT_EQ(log.calls[1].soltyp, "");
  EXPECT_EQ(mine, 1);
  EXPECT_EQ(log.count("VARIABLES1", "THERMAL"), 1);
  EXPECT_EQ(log.count("OUTPUTS"), 1);
}

}  // namespace
}  // namespace fluid_test
