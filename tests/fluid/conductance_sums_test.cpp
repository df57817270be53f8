// Thermal-fluid conductance sums: SRGSUM, FSTGSM (thermal node, radiation
// linearised), SFGSM, FSFGSM (fluid node), SFGSUM (radiation apart) and the
// through-flow SGNODM.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "fluid/conductance_sums.h"
#include "fluid/thermal_entries.h"
#include "every_entry_model.h"
#include "fluid_fixture.h"
#include "modeldata/connection_lists.h"
#include "modeldata/intermodel_links.h"
#include "modeldata/list_walks.h"
#include "properties/properties.h"

namespace fluid_test {
namespace {

struct Sums {
  double g = 0.0, gt = 0.0;
};
using Apart = FlSums;

class SumsTest : public FluidTest {
 protected:
  Sums thermal(int i) {
    Sums a, b;
    SRGSUM(net, i, net.t, net.tf, a.g, a.gt);
    FSTGSM(net, i, net.t, net.tf, b.g, b.gt);
    EXPECT_EQ(a.g, b.g);
    EXPECT_EQ(a.gt, b.gt);
    return a;
  }
  Sums fluid(int k) {
    Sums a, b;
    SFGSM(net, k, net.t, net.tf, a.g, a.gt);
    FSFGSM(net, k, net.t, net.tf, b.g, b.gt);
    EXPECT_EQ(a.g, b.g);
    EXPECT_EQ(a.gt, b.gt);
    return a;
  }
  Apart apart(int is_fluid, int node) { return SFGSUM(net, is_fluid, node, net.t, net.tf); }
};

TEST_F(SumsTest, RadiationBetweenTwoNodesAt300K) {
  // GR = 1 between nodes at 300 K with STEFAN = 5.67E-8: linearised G =
  // 5.67E-8 x (300^2 + 300^2) x (300 + 300) = 6.1236 W/K; apart, the
  // radiation sum is 5.67E-8 and the fourth-power sum 5.67E-8 x 8.1E9.
  GLOR.TABS = 0.0;
  GLOR.STEFAN = 5.67e-8;
  tna_test::FluidModel fm;
  fm.thermal(1, 'D', 300.0).thermal(2, 'D', 300.0).thermal(3, 'D', 300.0);
  fm.fluid(4).t = 300.0;
  fm.gr(1, 2, 1.0);
  fm.gr(4, 3, 1.0);
  build(fm);
  const Sums s = thermal(fm.tindex(1));
  EXPECT_NEAR(s.g, 6.1236, 1e-12);
  EXPECT_NEAR(s.gt, 6.1236 * 300.0, 1e-9);
  const Apart a = apart(0, fm.tindex(1));
  EXPECT_EQ(a.sg, 0.0);
  EXPECT_EQ(a.sgt, 0.0);
  EXPECT_DOUBLE_EQ(a.sr, 5.67e-8);
  EXPECT_NEAR(a.srt, 5.67e-8 * 8.1e9, 1e-9);
  // The same conductor seen from a fluid node; its reference temperatures
  // are absolute (TABS is 0 here).
  const Sums f = fluid(fm.findex(4));
  EXPECT_NEAR(f.g, 6.1236, 1e-12);
  EXPECT_NEAR(f.gt, 6.1236 * 300.0, 1e-9);
  const Apart fa = apart(1, fm.findex(4));
  EXPECT_DOUBLE_EQ(fa.sr, 5.67e-8);
  EXPECT_NEAR(fa.srt, 5.67e-8 * 8.1e9, 1e-9);
  // Unequal temperatures: G = STEFAN GR (Ti^2 + Tn^2)(Ti + Tn).
  gar_thermalnodetemps(fm.tindex(2)) = 400.0;
  const Sums u = thermal(fm.tindex(1));
  EXPECT_NEAR(u.g, 5.67e-8 * (300.0 * 300.0 + 400.0 * 400.0) * 700.0, 1e-12);
  EXPECT_NEAR(u.gt, u.g * 400.0, 1e-9);
}

TEST_F(SumsTest, InactiveConductorsAndLinksAddNothing) {
  tna_test::FluidModel fm = tna_test::chain(2);
  fm.thermal(10, 'D', 50.0).thermal(11, 'D', 60.0);
  fm.gl(10, 11, 2.0, 'I');
  fm.gr(10, 11, 3.0, 'I');
  fm.gf(11, 10, 4.0, 'I');
  fm.gl(1, 10, 5.0, 'I');
  fm.link_spec(0).status = 'I';
  build(fm);
  net.lcond(1) = 9.0;
  for (int i : {fm.tindex(10), fm.tindex(11)}) {
    const Sums s = thermal(i);
    EXPECT_EQ(s.g, 0.0);
    EXPECT_EQ(s.gt, 0.0);
    const Apart a = apart(0, i);
    EXPECT_EQ(a.sg + a.sgt + a.sr + a.srt, 0.0);
  }
  for (int k : {1, 2}) {
    const Sums s = fluid(k);
    EXPECT_EQ(s.g, 0.0);
    EXPECT_EQ(s.gt, 0.0);
  }
}

TEST_F(SumsTest, InactiveThermalNeighbourIsInvisible) {
  // Fluid node 1: GL 2 W/K to node 10 (status "X", 50 C), GL 3 W/K to node
  // 11 (20 C). Thermal node 12 sees both through GL 1 W/K each.
  tna_test::FluidModel fm = tna_test::chain(1);
  fm.thermal(10, 'X', 50.0).thermal(11, 'D', 20.0).thermal(12, 'D', 0.0);
  fm.gl(1, 10, 2.0);
  fm.gl(1, 11, 3.0);
  fm.gl(12, 10, 1.0);
  fm.gl(12, 11, 1.0);
  build(fm);
  const double tabs = GLOR.TABS;
  Sums s = fluid(1);
  EXPECT_EQ(s.g, 3.0);
  EXPECT_DOUBLE_EQ(s.gt, 3.0 * (20.0 + tabs));
  Sums th = thermal(fm.tindex(12));
  EXPECT_EQ(th.g, 1.0);
  EXPECT_EQ(th.gt, 20.0);
  // Solved again, the conductor counts once more.
  gar_thermalnodestatuses(fm.tindex(10)) = "D";
  s = fluid(1);
  EXPECT_EQ(s.g, 5.0);
  EXPECT_DOUBLE_EQ(s.gt, 2.0 * (50.0 + tabs) + 3.0 * (20.0 + tabs));
  EXPECT_EQ(thermal(fm.tindex(12)).g, 2.0);
  // A tied target ("C") is invisible from thermal nodes only.
  gar_thermalnodestatuses(fm.tindex(10)) = "C";
  EXPECT_EQ(thermal(fm.tindex(12)).g, 1.0);
  EXPECT_EQ(fluid(1).g, 5.0);
}

TEST_F(SumsTest, LinksCountAtTheirDownstreamNode) {
  // Chain 1 -> 2 -> 3 at 10, 20, 30 C, link conductances 4 and 6 W/K.
  tna_test::FluidModel fm = tna_test::chain(3);
  fm.node(1).t = 10.0;
  fm.node(2).t = 20.0;
  fm.node(3).t = 30.0;
  fm.node(2).fm = -0.1;  // an outflow source: no term, no property call
  build(fm);
  const double tabs = GLOR.TABS;
  net.lcond(1) = 4.0;
  net.lcond(2) = 6.0;
  EXPECT_EQ(fluid(1).g, 0.0);
  EXPECT_EQ(fluid(2).g, 4.0);
  EXPECT_DOUBLE_EQ(fluid(2).gt, 4.0 * (10.0 + tabs));
  EXPECT_EQ(fluid(3).g, 6.0);
  EXPECT_DOUBLE_EQ(fluid(3).gt, 6.0 * (20.0 + tabs));
  // A reversed flow feeds the first node from the second; no flow feeds
  // neither.
  net.m(2) = -0.01;
  net.m(1) = 0.0;
  EXPECT_EQ(fluid(2).g, 6.0);
  EXPECT_DOUBLE_EQ(fluid(2).gt, 6.0 * (30.0 + tabs));
  EXPECT_EQ(fluid(3).g, 0.0);
  const Apart a = apart(1, 2);
  EXPECT_EQ(a.sg, 6.0);
  EXPECT_DOUBLE_EQ(a.sgt, 6.0 * (30.0 + tabs));
  EXPECT_EQ(a.sr, 0.0);
}

TEST_F(SumsTest, FluidicConductorCountsAtItsDownstreamEndOnly) {
  // GF 5 W/K from fluid node 1 to thermal node 10; GF 7 W/K from thermal
  // node 11 to fluid node 2.
  tna_test::FluidModel fm = tna_test::chain(2);
  fm.link_spec(0).status = 'I';
  fm.thermal(10, 'D', 40.0).thermal(11, 'D', 60.0);
  fm.gf(1, 10, 5.0);
  fm.gf(11, 2, 7.0);
  build(fm);
  const double tabs = GLOR.TABS;
  EXPECT_EQ(fluid(1).g, 0.0);
  EXPECT_EQ(thermal(fm.tindex(10)).g, 5.0);
  EXPECT_DOUBLE_EQ(thermal(fm.tindex(10)).gt, 5.0 * 20.0);  // the fluid node's relative temperature
  EXPECT_EQ(fluid(2).g, 7.0);
  EXPECT_DOUBLE_EQ(fluid(2).gt, 7.0 * (60.0 + tabs));
  EXPECT_EQ(thermal(fm.tindex(11)).g, 0.0);
}

TEST_F(SumsTest, MassSourceAddsItsHeatCapacityRateAtItsTemperature) {
  // One water node at 20 C and 2 bar without links, a source of 0.1 kg/s at
  // 40 C, and GL 2 W/K to a thermal node at 50 C. The source adds G = FM x
  // cp with cp at the mean of the node and source temperatures (4.18
  // kJ/(kg K) at 30 C): about 418 W/K, referred to 40 C.
  tna_test::FluidModel fm;
  fm.thermal(10, 'D', 50.0);
  tna_test::FluidNodeSpec& s = fm.fluid(1);
  s.t = 20.0;
  s.p = 2.0e5;
  s.fm = 0.1;
  s.fr = 40.0;
  fm.gl(1, 10, 2.0);
  build(fm);
  ASSERT_EQ(net.nl, 0);
  const double tabs = GLOR.TABS;
  const double cp = XCP(2.0e5, 30.0, 0.0, 2, net.global(1));
  EXPECT_NEAR(cp, 4180.0, 0.01 * 4180.0);
  const double gs = 0.1 * cp;
  const Sums f = fluid(1);
  EXPECT_DOUBLE_EQ(f.g, gs + 2.0);
  EXPECT_DOUBLE_EQ(f.gt, gs * (40.0 + tabs) + 2.0 * (50.0 + tabs));
  const Apart a = apart(1, 1);
  EXPECT_DOUBLE_EQ(a.sg, f.g);
  EXPECT_DOUBLE_EQ(a.sgt, f.gt);
  EXPECT_EQ(a.sr + a.srt, 0.0);
  // The thermal node sees the conductor only.
  EXPECT_EQ(thermal(fm.tindex(10)).g, 2.0);
  double m = 0.0;
  SGNODM(net, 1, m);
  EXPECT_DOUBLE_EQ(m, 0.05);
  // A balance with the sums: the node temperature they imply lies between
  // the source and the wall, weighted by the two conductances.
  const double tn = f.gt / f.g - tabs;
  EXPECT_NEAR(tn, (gs * 40.0 + 2.0 * 50.0) / (gs + 2.0), 1e-9);
  // The source as an outflow, or none: the conductor alone.
  for (const double src : {0.0, -0.1}) {
    net.fm(1) = src;
    EXPECT_EQ(fluid(1).g, 2.0) << src;
  }
}

TEST_F(SumsTest, ThroughFlowIsHalfTheLinkFlowsAndSource) {
  // Node 2 of a chain of three with flows 0.2 in and -0.2 on its second link.
  tna_test::FluidModel fm = tna_test::chain(3);
  fm.link_spec(0).flow = 0.2;
  fm.link_spec(1).flow = -0.2;
  build(fm);
  double m = -1.0;
  SGNODM(net, 2, m);
  EXPECT_DOUBLE_EQ(m, 0.2);
  gar_massflowlinkstatuses(2) = "I";
  SGNODM(net, 2, m);
  EXPECT_DOUBLE_EQ(m, 0.1);
  net.fm(2) = -0.3;
  SGNODM(net, 2, m);
  EXPECT_DOUBLE_EQ(m, 0.25);
  SGNODM(net, 1, m);
  EXPECT_DOUBLE_EQ(m, 0.1);
}

TEST_F(SumsTest, RandomNetworksAgreeAndCountEveryConductanceAtItsEnds) {
  // Without radiation the linearised and the apart sums hold the same
  // conductances; over all nodes every active GL counts twice, every active
  // GF and every active link that carries flow once.
  std::mt19937 rng(77);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (int trial = 0; trial < 10; ++trial) {
    SCOPED_TRACE(trial);
    tna_test::FluidModel fm;
    const int nt = 3 + static_cast<int>(rng() % 6), nf = 2 + static_cast<int>(rng() % 6);
    for (int i = 1; i <= nt; ++i) fm.thermal(i, u(rng) < 0.8 ? 'D' : 'B', 100.0 * u(rng));
    for (int k = 1; k <= nf; ++k) fm.fluid(100 + k).t = 100.0 * u(rng);
    auto any = [&] { return u(rng) < 0.5 ? 1 + static_cast<int>(rng() % nt) : 101 + static_cast<int>(rng() % nf); };
    std::vector<int> links;
    for (int c = 0; c < 12; ++c) {
      const int a = any(), b = any();
      if (a == b || (a > 100 && b > 100)) continue;
      const char act = u(rng) < 0.8 ? 'A' : 'I';
      if (u(rng) < 0.5) fm.gl(a, b, 10.0 * u(rng), act);
      else fm.gf(a, b, 10.0 * u(rng), act);
    }
    for (int c = 0; c < nf + 2; ++c) {
      const int a = 101 + static_cast<int>(rng() % nf), b = 101 + static_cast<int>(rng() % nf);
      if (a == b) continue;
      const double flow = u(rng) < 0.2 ? 0.0 : u(rng) - 0.5;
      fm.link(a, b, flow, u(rng) < 0.8 ? 'A' : 'I');
    }
    build(fm);
    double expected = 0.0;
    for (int c = 1; c <= net.ngl; ++c)
      if (net.glacts(c) == "A") expected += 2.0 * net.gl(c);
    for (int c = 1; c <= net.ngf; ++c)
      if (net.gfacts(c) == "A") expected += net.gf(c);
    for (int l = 1; l <= net.nl; ++l) {
      net.lcond(l) = 1.0 + u(rng);
      if (net.link_active(l) && net.m(l) != 0.0) expected += net.lcond(l);
    }
    double total = 0.0;
    for (int i = 1; i <= net.nt; ++i) {
      const Sums s = thermal(i);
      const Apart a = apart(0, i);
      EXPECT_EQ(a.sg, s.g);
      EXPECT_NEAR(a.sgt, s.gt + GLOR.TABS * s.g, 1e-9 * (1.0 + std::fabs(a.sgt)));
      EXPECT_EQ(a.sr, 0.0);
      total += a.sg;
    }
    for (int k = 1; k <= net.nf; ++k) {
      const Sums s = fluid(k);
      const Apart a = apart(1, k);
      EXPECT_EQ(a.sg, s.g);
      EXPECT_EQ(a.sgt, s.gt);
      total += a.sg;
    }
    EXPECT_NEAR(total, expected, 1e-9 * (1.0 + expected));
  }
}

// One contribution of a node's surroundings: its conductance (GR not
// linearised) and the neighbour's relative temperature.
struct Term {
  bool radiative;
  double g, tn;
};

// The contributions of thermal node i, the list walked through the
// out-of-line iterator STUNPK.
std::vector<Term> thermal_terms(const FlNetwork& net, int i) {
  std::vector<Term> v;
  int sub = 0, pos = 0, cond = 0, nb = 0;
  auto tn = [&](int n) { return n > net.nt ? net.tf(n - net.nt) : net.t(n); };
  for (;;) {
    STUNPK(0, net.lenthermal, net.nt, i, net.tstat, net.pcs, net.ptrs, sub, pos, cond, nb);
    if (pos == 0) return v;
    const int c = std::abs(cond);
    if (sub == 1 && net.glacts(c) == "A") v.push_back({false, net.gl(c), tn(nb)});
    if (sub == 2 && net.gracts(c) == "A") v.push_back({true, net.gr(c), tn(nb)});
    if (sub == 3 && cond > 0 && net.gfacts(cond) == "A") v.push_back({false, net.gf(cond), tn(nb)});
  }
}

// The same for fluid node k through SFUNPK, its mass source first.
std::vector<Term> fluid_terms(const FlNetwork& net, int k) {
  std::vector<Term> v;
  if (net.fm(k) > 0.0) {
    const double cp = XCP(net.p(k), (net.tf(k) + net.fr(k)) * 0.5, net.vq(k), net.fluid_code(k), net.global(k));
    v.push_back({false, net.fm(k) * cp, net.fr(k)});
  }
  int kind = 0, pos = 0, cond = 0, nb = 0;
  auto tn = [&](int n) { return n > net.nt ? net.tf(n - net.nt) : net.t(n); };
  for (;;) {
    SFUNPK(0, net.lenfluid, net.nf, net.nt, k, net.tstat, net.fpcs, net.fptrs, kind, pos, cond, nb);
    if (nb == 0) return v;
    const int c = std::abs(cond);
    if (kind == 1 && net.link_active(c) && net.link_feeds(c, k)) v.push_back({false, net.lcond(c), net.tf(nb)});
    if (kind == 2 && net.glacts(c) == "A") v.push_back({false, net.gl(c), tn(nb)});
    if (kind == 3 && net.gracts(c) == "A") v.push_back({true, net.gr(c), tn(nb)});
    if (kind == 4 && cond > 0 && net.gfacts(cond) == "A") v.push_back({false, net.gf(cond), tn(nb)});
  }
}

// The linearised sums of the terms in their order; `absolute` takes the
// reference temperatures absolute (the fluid-node sums).
Sums linearised_sums(const std::vector<Term>& terms, double ti, double tabs, double stefan, bool absolute) {
  Sums s;
  for (const Term& x : terms) {
    const double ta = x.tn + tabs;
    const double g = x.radiative ? ((x.g * stefan) * (ti * ti + ta * ta)) * (ti + ta) : x.g;
    s.g += g;
    s.gt += g * (absolute ? ta : x.tn);
  }
  return s;
}

Apart apart_sums(const std::vector<Term>& terms, double tabs, double stefan) {
  Apart a;
  for (const Term& x : terms) {
    const double ta = x.tn + tabs;
    if (x.radiative) {
      a.sr += x.g;
      a.srt += x.g * (((ta * ta) * ta) * ta);
    } else {
      a.sg += x.g;
      a.sgt += x.g * ta;
    }
  }
  a.sr *= stefan;
  a.srt *= stefan;
  return a;
}

TEST_F(SumsTest, InlineWalksGiveTheIteratorsSumsBitForBit) {
  // Every kind of entry the lists hold (every_entry_model.h). The sums must
  // equal, bit for bit, sums taken in the same order over the entries that
  // STUNPK and SFUNPK return.
  tna_test::FluidModel fm = every_entry_model();
  build(fm);
  every_entry_finish(net, fm);
  const int source = fm.tindex(11);
  const double tabs = GLOR.TABS, stefan = GLOR.STEFAN;
  // Node `node` (thermal or fluid) against the sums of its iterator terms.
  auto expect_sums = [&](int is_fluid, int node, const std::vector<Term>& terms, double ti) {
    const Sums want = linearised_sums(terms, ti + tabs, tabs, stefan, is_fluid != 0);
    const Sums got = is_fluid != 0 ? fluid(node) : thermal(node);
    EXPECT_EQ(got.g, want.g);
    EXPECT_EQ(got.gt, want.gt);
    const Apart a = apart(is_fluid, node), b = apart_sums(terms, tabs, stefan);
    EXPECT_EQ(a.sg, b.sg);
    EXPECT_EQ(a.sgt, b.sgt);
    EXPECT_EQ(a.sr, b.sr);
    EXPECT_EQ(a.srt, b.srt);
  };
  int spliced = 0;
  for (int i = 1; i <= net.nt; ++i) {
    SCOPED_TRACE(i);
    const std::vector<Term> terms = thermal_terms(net, i);
    if (i == source) spliced = static_cast<int>(terms.size());
    expect_sums(0, i, terms, net.t(i));
  }
  // The source sees its own active terms and its tied node's: GL 13, GL 2
  // (fluid), GR 16, GF from 13 (its own); GL 13, GL 15, GL 3 (fluid), GR 16,
  // GF from 15 (the tied node's); "X" and inactive conductors left out.
  EXPECT_EQ(spliced, 9);
  for (int k = 1; k <= net.nf; ++k) {
    SCOPED_TRACE(k);
    expect_sums(1, k, fluid_terms(net, k), net.tf(k));
  }
}


TEST_F(SumsTest, EntryListsGiveTheIteratorsSumsAfterEveryChangeOfALetter) {
  // The entries the sweeps take out of the linked list, over the model of
  // every entry kind, give each node "D" the sums of the STUNPK walk bit for
  // bit; after each change of a status or an activity letter (applied in
  // turn, as a user block would between two sweeps) the entries are taken
  // again and still agree. A conductor value is read where it is added.
  tna_test::FluidModel fm = every_entry_model();
  build(fm);
  every_entry_finish(net, fm);
  FlThermalEntries entries;
  fl_thermal_entries_size(net, entries);
  const double tabs = GLOR.TABS, stefan = GLOR.STEFAN;
  auto expect_all = [&](const char* what) {
    SCOPED_TRACE(what);
    fl_thermal_entries_current(net, entries, "SFGSUM");
    int walked = 0;
    for (int i = 1; i <= net.nt; ++i) {
      SCOPED_TRACE(i);
      if (net.tstat(i) != "D") {
        EXPECT_EQ(entries.gl_begin(i), entries.end(i));  // the sweeps never ask
        continue;
      }
      ++walked;
      const std::vector<Term> terms = thermal_terms(net, i);
      const Apart a = fl_entry_sums(net, entries, i, net.t, net.tf), b = apart_sums(terms, tabs, stefan);
      EXPECT_EQ(a.sg, b.sg);
      EXPECT_EQ(a.sgt, b.sgt);
      EXPECT_EQ(a.sr, b.sr);
      EXPECT_EQ(a.srt, b.srt);
      const Sums want = linearised_sums(terms, net.t(i) + tabs, tabs, stefan, false);
      Sums got;
      fl_entry_linearised_sums(net, entries, i, net.t, net.tf, got.g, got.gt);
      EXPECT_EQ(got.g, want.g);
      EXPECT_EQ(got.gt, want.gt);
      const Sums old = thermal(i);  // SRGSUM's own walk
      EXPECT_EQ(got.g, old.g);
      EXPECT_EQ(got.gt, old.gt);
    }
    EXPECT_GT(walked, 0);
  };
  expect_all("as built");
  auto tstat = [&](int num) -> plat::Text<1>& { return gar_thermalnodestatuses(fm.tindex(num)); };
  struct Change {
    const char* what;
    std::function<void()> apply;
  };
  const Change changes[] = {
      {"GL 11-13 inactive", [&] { gar_linearcondacts(fm.gl_index(0)) = "I"; }},
      {"GR 13-18 active", [&] { gar_radiativecondacts(fm.gr_index(2)) = "A"; }},
      {"GF 13 to 11 inactive", [&] { gar_fluidiccondacts(fm.gf_index(0)) = "I"; }},
      {"GF 17 to 15 active", [&] { gar_fluidiccondacts(fm.gf_index(2)) = "A"; }},
      {"node 14 from X to D", [&] { tstat(14) = "D"; }},
      {"node 13 from D to X", [&] { tstat(13) = "X"; }},
      {"node 16 from B to C", [&] { tstat(16) = "C"; }},
      {"node 17 from D to B", [&] { tstat(17) = "B"; }},
      {"tied node 12 back to D", [&] { tstat(12) = "D"; }},
      {"GL 12-15 value", [&] { gar_linearconds(fm.gl_index(2)) = 9.5; }},
      {"GR 11-16 value", [&] { gar_radiativeconds(fm.gr_index(0)) = 0.07; }},
      {"temperatures", [&] { for (int i = 1; i <= net.nt; ++i) net.t(i) += 3.0 * i; }},
  };
  for (const Change& c : changes) {
    c.apply();
    expect_all(c.what);
  }
}

}  // namespace
}  // namespace fluid_test
