// Randomly generated multi-model databases (seeded, bounded), written by the
// test writer and loaded whole. Every node's lists are checked against the
// conductors and links of the database: the linked and the compact thermal
// lists hold the same entries in the same order, each conductor appears at
// both of its ends with its sign (a GF entry negative at the conductor's
// first node), tied targets are folded into their sources, fluid lists hold
// their conductors and mass-flow links, and every link's node pair runs in
// the link's own direction.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/diagnostics.h"
#include "core/global_records.h"
#include "list_readers.h"
#include "modeldata/acda_arrays_load.h"
#include "modeldata/connection_lists.h"
#include "modeldata/global_arrays.h"
#include "modeldata/mdb_load.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/listing.h"
#include "support/state_test.h"
#include "support/test_env.h"
#include "tools/fuzz/load_harness.h"
#include "tools/mdb_writer.h"

namespace {

using tna_test::compact;
using tna_test::Entries;
using tna_test::linked;

// One generated model: node numbers (thermal then fluid, all distinct, each
// ascending), conductor pairs by model position (1..ntm thermal, ntm + q
// fluid), inter-model records (relative model, node number, relative model,
// node number), mass-flow links.
struct Spec {
  std::vector<int> th, fl;
  std::vector<std::pair<int, int>> pairs[3];  // GL, GR, GF (positions)
  bool gv = false;
  std::vector<std::array<int, 4>> links[3];  // inter-model GL, GR, GF
  std::vector<std::pair<int, int>> flows;    // own mass-flow links (fluid positions 1..nfm)
  std::vector<std::array<int, 4>> interflows;
  int num(int pos) const { return pos <= static_cast<int>(th.size()) ? th[pos - 1] : fl[pos - th.size() - 1]; }
};

struct Gen {
  std::mt19937 rng;
  explicit Gen(unsigned seed) : rng(seed) {}
  int r(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
  bool chance(int percent) { return r(1, 100) <= percent; }
};

// scale 1: a few nodes per model numbered from 1..40; larger scales: 65 to
// 300 thermal nodes per model numbered with gaps from 100000, a few of them
// outliers (1, 2, 99999999, 10^9), and conductors in proportion.
std::vector<Spec> generate(Gen& g, int scale = 1) {
  const int nm = g.r(2, 4);
  std::vector<Spec> specs(static_cast<std::size_t>(nm));
  for (Spec& s : specs) {
    const int ntm = scale == 1 ? g.r(1, 6) : g.r(65, 300);
    const int nfm = g.chance(60) ? g.r(1, scale == 1 ? 3 : 8) : 0;
    std::vector<int> nums;
    if (scale == 1) {
      for (int i = 0; i < 40; ++i) nums.push_back(i + 1);
    } else {
      for (int i = 1; i <= ntm + nfm + 30; ++i) nums.push_back(100000 + 10 * i + i % 3);
      nums.insert(nums.end(), {1, 2, 99999999, 1000000000});
    }
    std::shuffle(nums.begin(), nums.end(), g.rng);
    s.th.assign(nums.begin(), nums.begin() + ntm);
    s.fl.assign(nums.begin() + ntm, nums.begin() + ntm + nfm);
    std::sort(s.th.begin(), s.th.end());
    std::sort(s.fl.begin(), s.fl.end());
    const int all = ntm + nfm;
    const bool fluid_conductors = nfm > 0 && g.chance(70);
    // GL: first node a thermal node, second a later thermal node or a fluid node.
    for (int c = g.r(0, 6 * scale); c > 0; --c) {
      const int a = g.r(1, ntm);
      const int hi = fluid_conductors ? all : ntm;
      if (a < hi) s.pairs[0].push_back({a, g.r(a + 1, hi)});
    }
    // GR: thermal nodes only.
    for (int c = g.r(0, 3 * scale); c > 0; --c) {
      const int a = g.r(1, ntm);
      if (a < ntm) s.pairs[1].push_back({a, g.r(a + 1, ntm)});
    }
    // GF: two distinct nodes, at least one thermal (the builders look up a
    // fluid node's neighbour among the thermal nodes), in the conductor's direction.
    for (int c = g.r(0, 4 * scale); c > 0; --c) {
      const int hi = fluid_conductors ? all : ntm;
      const int a = g.r(1, hi), b = g.r(1, hi);
      if (a != b && (a <= ntm || b <= ntm)) s.pairs[2].push_back({a, b});
    }
    for (auto& p : s.pairs)
      std::stable_sort(p.begin(), p.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    s.gv = ntm >= 2 && ntm <= 40 && g.chance(35);
    for (int c = nfm >= 2 ? g.r(0, 3) : 0; c > 0; --c) {
      const int a = g.r(1, nfm), b = g.r(1, nfm);
      if (a != b) s.flows.push_back({a, b});
    }
    std::stable_sort(s.flows.begin(), s.flows.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
  }
  // Inter-model records read with model m name model m or a later one.
  for (int m = 1; m <= nm; ++m) {
    Spec& s = specs[static_cast<std::size_t>(m - 1)];
    auto end = [&](bool thermal_only, bool fluid_only) -> std::pair<int, int> {
      for (int tries = 0; tries < 20; ++tries) {
        const int mm = g.r(m, nm);
        const Spec& o = specs[static_cast<std::size_t>(mm - 1)];
        const int ntm = static_cast<int>(o.th.size()), nfm = static_cast<int>(o.fl.size());
        if (fluid_only && nfm == 0) continue;
        const int pos = fluid_only ? ntm + g.r(1, nfm) : g.r(1, thermal_only ? ntm : ntm + nfm);
        return {mm - m, o.num(pos)};
      }
      return {-1, 0};
    };
    for (int kind = 0; kind < 3; ++kind) {
      for (int c = g.r(0, 3 * scale); c > 0; --c) {
        const auto a = end(kind == 1, false), b = end(kind == 1, false);
        if (a.first < 0 || b.first < 0 || a == b) continue;
        s.links[kind].push_back({a.first, a.second, b.first, b.second});
      }
    }
    for (int c = g.r(0, 2); c > 0; --c) {
      const auto a = end(false, true), b = end(false, true);
      if (a.first < 0 || b.first < 0 || a == b) continue;
      s.interflows.push_back({a.first, a.second, b.first, b.second});
    }
  }
  return specs;
}

// Lists of the thermal nodes every section must hold.
void thermal_lists(mdbw::Model& m, const std::vector<int>& nums) {
  const std::size_t n = nums.size();
  m.ints(1, nums);
  for (int k : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 72, 73, 74, 96, 97, 98}) m.reals(k, std::vector<double>(n, 1.0));
  std::vector<std::string> labels, statuses;
  for (int v : nums) {
    labels.push_back("N" + std::to_string(v));
    statuses.push_back("D");
  }
  m.texts(12, 24, labels).texts(13, 1, statuses);
}

void fluid_lists(mdbw::Model& m, const std::vector<int>& nums) {
  const std::size_t n = nums.size();
  m.ints(201, nums);
  for (int k = 202; k <= 215; ++k) m.reals(k, std::vector<double>(n, 1.0));
  std::vector<std::string> labels;
  for (int v : nums) labels.push_back("F" + std::to_string(v));
  m.texts(216, 24, std::vector<std::string>(n, "WATER")).texts(217, 24, labels);
  m.texts(218, 1, std::vector<std::string>(n, "D"));
  for (int k : {231, 233, 234, 235, 236, 237, 238}) m.reals(k, std::vector<double>(n, 0.5));
  m.texts(232, 4, std::vector<std::string>(n, "SP")).texts(239, 4, std::vector<std::string>(n, "PH"));
}

// A conductor or link of the whole model: kind 0 GL, 1 GR, 2 GF, 3 mass-flow
// link; global index; ends as global node codes (thermal 1..NT, fluid
// NT + j; for links the plain fluid index) in the conductor's direction.
struct Edge {
  int kind, index, a, b;
};

struct Built {
  mdbw::Database db;
  std::vector<Edge> edges;
  std::map<int, int> tied;  // target -> source (global thermal indices)
  std::vector<int> fluid_model;
  int nt = 0, nf = 0, nl = 0, counts[4] = {0, 0, 0, 0};
  int intermodel = 0;  // inter-model GL, GR and GF conductors
  int copy_words = 2;  // length of the node-copy list: 2 + per group 2 + its targets
};

Built build(const std::vector<Spec>& specs, Gen& g) {
  Built out;
  const int nm = static_cast<int>(specs.size());
  std::vector<int> tb(nm + 2, 0), fb(nm + 2, 0);
  for (int m = 1; m <= nm; ++m) {
    tb[m + 1] = tb[m] + static_cast<int>(specs[m - 1].th.size());
    fb[m + 1] = fb[m] + static_cast<int>(specs[m - 1].fl.size());
  }
  out.nt = tb[nm + 1];
  out.nf = fb[nm + 1];
  for (int m = 1; m <= nm; ++m)
    for (std::size_t q = 0; q < specs[m - 1].fl.size(); ++q) out.fluid_model.push_back(m);
  // Global code of (model, node number).
  auto code = [&](int m, int num) {
    const Spec& s = specs[static_cast<std::size_t>(m - 1)];
    for (std::size_t p = 0; p < s.th.size(); ++p)
      if (s.th[p] == num) return tb[m] + static_cast<int>(p) + 1;
    for (std::size_t q = 0; q < s.fl.size(); ++q)
      if (s.fl[q] == num) return out.nt + fb[m] + static_cast<int>(q) + 1;
    return 0;
  };
  auto pos_code = [&](int m, int pos) { return code(m, specs[static_cast<std::size_t>(m - 1)].num(pos)); };

  out.db.name = "RNDPCS";
  int base[3] = {0, 0, 0}, lbase = 0;
  for (int m = 1; m <= nm; ++m) {
    const Spec& s = specs[static_cast<std::size_t>(m - 1)];
    auto& md = out.db.add_model(m == 1 ? "RNDPCS" : "SUB" + std::to_string(m), m == 1 ? 0 : 1);
    thermal_lists(md, s.th);
    if (!s.fl.empty()) fluid_lists(md, s.fl);
    const int ntm = static_cast<int>(s.th.size());
    std::array<int, 3> touch = {0, 0, 0};
    static constexpr int kValues[3] = {14, 15, 16}, kActs[3] = {18, 19, 20}, kPairs[3] = {69, 70, 71};
    static constexpr int kLinkValues[3] = {22, 23, 24}, kLinkActs[3] = {26, 27, 28}, kLinkPairs[3] = {30, 31, 32};
    for (int kind = 0; kind < 3; ++kind) {
      std::vector<int> words;
      int k = 0;
      for (const auto& [a, b] : s.pairs[kind]) {
        words.push_back(s.num(a));
        words.push_back(s.num(b));
        if (a > ntm || b > ntm) ++touch[static_cast<std::size_t>(kind)];
        out.edges.push_back({kind, base[kind] + ++k, pos_code(m, a), pos_code(m, b)});
      }
      if (kind == 1 && s.gv) {
        // The complete radiative matrix: one conductor per pair of thermal nodes.
        for (int i = 1; i <= ntm; ++i)
          for (int j = i + 1; j <= ntm; ++j) {
            words.push_back(s.th[i - 1]);
            words.push_back(s.th[j - 1]);
            out.edges.push_back({1, base[1] + ++k, tb[m] + i, tb[m] + j});
          }
        md.reals(17, {0.5}).texts(21, 1, {"A"}).ints(34, {s.th[0], s.th[1]});
        ++out.counts[3];
      }
      if (k > 0) {
        md.reals(kValues[kind], std::vector<double>(k, 1.0)).texts(kActs[kind], 1, std::vector<std::string>(k, "A"));
        md.ints(kPairs[kind], words);
      }
      const int n = static_cast<int>(s.links[kind].size());
      if (n > 0) {
        std::vector<int> rec;
        for (int i = 0; i < n; ++i) {
          const auto& l = s.links[kind][static_cast<std::size_t>(i)];
          rec.insert(rec.end(), l.begin(), l.end());
          out.edges.push_back({kind, base[kind] + k + i + 1, code(m + l[0], l[1]), code(m + l[2], l[3])});
        }
        out.intermodel += n;
        md.reals(kLinkValues[kind], std::vector<double>(n, 2.0))
            .texts(kLinkActs[kind], 1, std::vector<std::string>(n, "A"))
            .ints(kLinkPairs[kind], rec);
      }
      base[kind] += k + n;
    }
    md.id_card(touch);
    md.control_constants(load_harness::control_constants(m == 1));
    // Mass-flow links: own, then those read with the model.
    const int nown = static_cast<int>(s.flows.size());
    if (nown > 0) {
      std::vector<int> words;
      for (int l = 0; l < nown; ++l) {
        const auto& [a, b] = s.flows[static_cast<std::size_t>(l)];
        words.push_back(s.fl[a - 1]);
        words.push_back(s.fl[b - 1]);
        out.edges.push_back({3, lbase + l + 1, fb[m] + a, fb[m] + b});
      }
      md.ints(219, words).reals(220, std::vector<double>(nown, 0.1));
    }
    const int ninter = static_cast<int>(s.interflows.size());
    if (ninter > 0) {
      std::vector<int> rec;
      for (int i = 0; i < ninter; ++i) {
        const auto& l = s.interflows[static_cast<std::size_t>(i)];
        rec.insert(rec.end(), l.begin(), l.end());
        out.edges.push_back({3, lbase + nown + i + 1, code(m + l[0], l[1]) - out.nt, code(m + l[2], l[3]) - out.nt});
      }
      md.ints(224, rec)
          .reals(225, std::vector<double>(ninter, 0.3))
          .texts(228, 1, std::vector<std::string>(ninter, "A"));
    }
    lbase += nown + ninter;
  }
  for (int k = 0; k < 3; ++k) out.counts[k] = base[k];
  out.nl = lbase;

  // Tied groups over distinct thermal nodes: a source and one to three targets.
  std::vector<std::pair<int, int>> nodes;  // (model, node number)
  for (int m = 1; m <= nm; ++m)
    for (int v : specs[static_cast<std::size_t>(m - 1)].th) nodes.push_back({m, v});
  std::shuffle(nodes.begin(), nodes.end(), g.rng);
  std::vector<mdbw::Model::SameNodeGroup> groups;
  std::size_t next = 0;
  for (int c = g.r(0, 3); c > 0 && next + 2 <= nodes.size(); --c) {
    mdbw::Model::SameNodeGroup grp;
    grp.source = nodes[next++];
    for (int t = g.r(1, 3); t > 0 && next < nodes.size(); --t) {
      grp.targets.push_back(nodes[next++]);
      out.tied[code(grp.targets.back().first, grp.targets.back().second)] =
          code(grp.source.first, grp.source.second);
    }
    out.copy_words += 2 + static_cast<int>(grp.targets.size());
    groups.push_back(grp);
  }
  out.db.models[0].same_node_list(groups);
  return out;
}

// The list lengths and the dynamic core of a database: FLAGS words 24, 25,
// 35 and 28.
struct Lengths {
  int w24 = 0, w25 = 0, w35 = 0, w28 = 0;
};

// Generous lengths, as a generator that rounds up would give them.
Lengths generous(const Built& b) {
  const int conductors = b.counts[0] + b.counts[1] + b.counts[2];
  return {12 * b.nt + 8 * conductors + 200, 100, 12 * b.nf + 8 * conductors + 8 * b.nl + 100, 20000};
}

// The least lengths, by the formulas of docs/GENERATED_PROGRAM.md: every
// thermal node 6 words of list ends and every conductor end on it 2 words,
// then the node-copy list; every fluid node 5 words, every mass-flow link 4
// and every conductor end on a fluid node 2; the dynamic core the load's
// work areas.
Lengths documented(const Built& b) {
  int thermal_ends = 0, fluid_ends = 0;
  for (const Edge& e : b.edges) {
    if (e.kind == 3) continue;
    for (int end : {e.a, e.b}) (end <= b.nt ? thermal_ends : fluid_ends) += 1;
  }
  const int conductors = b.counts[0] + b.counts[1] + b.counts[2];
  Lengths l;
  l.w25 = b.copy_words;
  l.w24 = 6 * b.nt + 2 * thermal_ends + l.w25;
  l.w35 = 5 * b.nf + 4 * b.nl + 2 * fluid_ends;
  l.w28 = 9 * b.nt + 6 * b.nf + conductors + 5 * b.nl + 2 * l.w25 + 5 * b.intermodel + 222;
  return l;
}

void set_flags(const Built& b, const Lengths& l) {
  FLAGS = FlagsRecord{};
  // Sizes of the model; the fixed words; the lengths under test.
  FLAGS(1) = b.nt;
  FLAGS(2) = b.counts[0];
  FLAGS(3) = b.counts[2];
  FLAGS(4) = b.counts[1];
  FLAGS(5) = b.counts[3];
  FLAGS(26) = static_cast<int>(b.db.models.size());
  FLAGS(32) = b.nf;
  FLAGS(33) = b.nl;
  FLAGS(11) = 2;
  FLAGS(13) = 49;
  FLAGS(14) = 25;
  FLAGS(15) = 16;
  FLAGS(17) = 92;
  FLAGS(27) = 133;
  FLAGS(29) = 1;
  FLAGS(36) = 1;
  FLAGS(24) = l.w24;
  FLAGS(25) = l.w25;
  FLAGS(28) = l.w28;
  FLAGS(35) = l.w35;
  SPRSIZ = SprsizRecord{};
  SPRSIZ(1) = 1;
  SPRSIZ(2) = 3;
}

// Sub-lists of fluid node j through the iterator (all neighbours included).
std::array<Entries, 4> fluid_lists_of(int j) {
  std::array<Entries, 4> out;
  int kind = 0, pos = 0, cond = 0, neighbour = 0;
  for (int guard = 0; guard < 10000; ++guard) {
    SFUNPK(1, 0, 0, 0, j, gar_thermalnodestatuses.view(), gar_pcsfluid.view(), gar_pcsptrsfluid.view(), kind, pos,
           cond, neighbour);
    if (neighbour == 0) return out;
    if (kind >= 1 && kind <= 4) out[static_cast<std::size_t>(kind - 1)].emplace_back(neighbour, cond);
  }
  ADD_FAILURE() << "runaway fluid list of node " << j;
  return out;
}

Entries sorted(Entries e) {
  std::sort(e.begin(), e.end());
  return e;
}

class RandomPcs : public tna_test::StateTest {
 protected:
  // What the generated databases reached.
  struct Reached {
    int chained = 0, scanning = 0, tied = 0, interflows = 0;
  };
  // Loads the database of one seed and checks every list.
  void check(unsigned seed, int scale, Reached& reached);

  void SetUp() override { plat::set_exit_throws(true); }
  void TearDown() override {
    acda_close();
    plat::io::close_all();
    plat::set_exit_throws(false);
  }
  tna_test::ScratchDir dir_{"pcsrandom"};
};

TEST_F(RandomPcs, ListsOfRandomMultiModelDatabasesHoldEveryConductorInBothForms) {
  Reached reached;
  for (unsigned seed = 1; seed <= 200 && !HasFailure(); ++seed) check(seed, 1, reached);
  // The generator reached both builders, tied groups and inter-model mass-flow links.
  EXPECT_GT(reached.chained, 0);
  EXPECT_GT(reached.scanning, 0);
  EXPECT_GT(reached.tied, 0);
  EXPECT_GT(reached.interflows, 0);
}

TEST_F(RandomPcs, ListsOfLargerModelsWithGappedAndOutlyingNodeNumbers) {
  // Hundreds of nodes per model: the load looks node numbers up in its
  // tables rather than by bisection, outliers left to bisection.
  Reached reached;
  for (unsigned seed = 1; seed <= 12 && !HasFailure(); ++seed) check(seed, 40, reached);
  EXPECT_GT(reached.chained, 0);
  EXPECT_GT(reached.scanning, 0);
  EXPECT_GT(reached.tied, 0);
}

void RandomPcs::check(unsigned seed, int scale, Reached& reached) {
  int& chained = reached.chained;
  int& scanning = reached.scanning;
  int& tied = reached.tied;
  int& interflows = reached.interflows;
  {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Gen g(seed);
    const std::vector<Spec> specs = generate(g, scale);
    const Built b = build(specs, g);
    for (const Spec& s : specs) {
      const bool touches = std::any_of(std::begin(s.pairs), std::end(s.pairs), [&](const auto& p) {
        return std::any_of(p.begin(), p.end(), [&](const auto& e) {
          return e.first > static_cast<int>(s.th.size()) || e.second > static_cast<int>(s.th.size());
        });
      });
      (touches ? scanning : chained) += 1;
      interflows += static_cast<int>(s.interflows.size());
    }
    tied += static_cast<int>(b.tied.size());

    gar_deallocate_all();
    reset_message_counters();
    set_flags(b, generous(b));
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
    const int st = load_harness::load_database(b.db, b.db.name);
    acda_close();
    ASSERT_EQ(st, 0) << tna_test::close_listing(dir_);

    const int nt = b.nt;
    auto fold = [&](int v) {
      const auto it = b.tied.find(v);
      return it == b.tied.end() ? v : it->second;
    };
    // Expected entries of every list, by the conductors' ends.
    std::vector<std::array<Entries, 3>> th(static_cast<std::size_t>(nt) + 1);
    std::vector<std::array<Entries, 4>> fl(static_cast<std::size_t>(b.nf) + 1);
    for (const Edge& e : b.edges) {
      if (e.kind == 3) {
        fl[static_cast<std::size_t>(e.a)][0].emplace_back(e.b, e.index);
        fl[static_cast<std::size_t>(e.b)][0].emplace_back(e.a, e.index);
        EXPECT_EQ(gar_massflowlinkcondnodepairs(2 * e.index - 1), e.a) << "link " << e.index;
        EXPECT_EQ(gar_massflowlinkcondnodepairs(2 * e.index), e.b) << "link " << e.index;
        continue;
      }
      const int first = e.kind == 2 ? -e.index : e.index;
      auto put = [&](int at, int neighbour, int c) {
        if (at <= nt)
          th[static_cast<std::size_t>(fold(at))][static_cast<std::size_t>(e.kind)].emplace_back(fold(neighbour), c);
        else
          fl[static_cast<std::size_t>(at - nt)][static_cast<std::size_t>(e.kind) + 1].emplace_back(fold(neighbour),
                                                                                                   c);
      };
      put(e.a, e.b, first);
      put(e.b, e.a, e.index);
    }
    for (int n = 1; n <= nt; ++n) {
      const bool target = b.tied.count(n) != 0;
      EXPECT_EQ(gar_thermalnodestatuses(n) == "C", target) << "node " << n;
      if (target) {
        for (int w = 1; w <= 6; ++w) EXPECT_EQ(gar_pcsptrsthermal(w, n), 0) << "node " << n;
        continue;
      }
      for (int k = 1; k <= 3; ++k) {
        const Entries got = linked(n, k);
        EXPECT_EQ(got, compact(n, k)) << "node " << n << " sub-list " << k;
        EXPECT_EQ(sorted(got), sorted(th[static_cast<std::size_t>(n)][static_cast<std::size_t>(k - 1)]))
            << "node " << n << " sub-list " << k;
      }
    }
    for (int j = 1; j <= b.nf; ++j) {
      const auto got = fluid_lists_of(j);
      for (int k = 0; k < 4; ++k)
        EXPECT_EQ(sorted(got[static_cast<std::size_t>(k)]),
                  sorted(fl[static_cast<std::size_t>(j)][static_cast<std::size_t>(k)]))
            << "fluid node " << j << " sub-list " << k + 1;
      EXPECT_EQ(gar_fluidnodemodelnums(j), b.fluid_model[static_cast<std::size_t>(j - 1)]) << "fluid node " << j;
    }
  }
}

// The documented least lengths load every database, and each of them one
// word shorter does not: the fatal diagnostic of the load ends the run.
TEST_F(RandomPcs, DocumentedLeastListLengthsAndCoreAreExactlyEnough) {
  int fluid = 0;
  for (unsigned seed = 1; seed <= 60; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Gen g(seed);
    const Built b = build(generate(g), g);
    const Lengths least = documented(b);
    auto load = [&](const Lengths& l) {
      gar_deallocate_all();
      reset_message_counters();
      set_flags(b, l);
      EXPECT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
      const int st = load_harness::load_database(b.db, b.db.name);
      acda_close();
      plat::io::close_unit(6);
      return st;
    };
    ASSERT_EQ(load(least), 0) << dir_.read("listing.txt");
    // The load reports the lengths it found: the node-copy list in word 25.
    EXPECT_EQ(FLAGS(25), least.w25);
    for (int word : {24, 25, 35, 28}) {
      Lengths l = least;
      int& w = word == 24 ? l.w24 : word == 25 ? l.w25 : word == 35 ? l.w35 : l.w28;
      if (w == 0) continue;  // no fluid node: the fluid list has no words to spare
      --w;
      EXPECT_NE(load(l), 0) << "word " << word << " one less than " << w + 1;
    }
    if (b.nf > 0) ++fluid;
    if (HasFailure()) return;
  }
  EXPECT_GT(fluid, 0);
}

}  // namespace
