// Connection lists and inter-model links on hand-built models: per-model
// builders and merge, link insertion, tied nodes, compaction, the fluid
// iterator. The two forms of the thermal list are checked against each other
// for every node of every fixture.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/diagnostics.h"
#include "core/global_records.h"
#include "list_readers.h"
#include "modeldata/connection_lists.h"
#include "modeldata/global_arrays.h"
#include "modeldata/intermodel_links.h"
#include "platform/process.h"
#include "support/listing.h"
#include "support/small_model.h"
#include "support/state_test.h"

namespace {

using tna_test::compact;
using tna_test::Entries;
using tna_test::linked;
using Pairs = std::vector<std::pair<int, int>>;

// Sub-list k (1 links, 2 GL, 3 GR, 4 GF) of fluid node j, through the iterator.
Entries fluid(int j, int k, int incl = 1) {
  Entries e;
  int kind = 0, pos = 0, cond = 0, nb = 0;
  for (int guard = 0; guard < 100000; ++guard) {
    SFUNPK(incl, 0, 0, 0, j, gar_thermalnodestatuses.view(), gar_pcsfluid.view(), gar_pcsptrsfluid.view(), kind, pos,
           cond, nb);
    if (nb == 0) {
      EXPECT_EQ(pos, 0);
      return e;
    }
    if (kind == k) e.emplace_back(nb, cond);
  }
  ADD_FAILURE() << "runaway fluid list";
  return e;
}

struct Sizes {
  int nt = 0, nf = 0, ngl = 0, ngr = 0, ngf = 0, nl = 0, nm = 1;
  int lold = 400, lfluid = 200, dystor = 3000;
};

// Core layout of the fixtures: link areas at 12 (GL), 300 (GR), 600 (GF),
// mass-flow link area 900..1199, tied-node list at 1300.
constexpr int kMassFlowArea = 900, kMassFlowLimit = 1200, kTiedList = 1300;

class Pcs : public tna_test::StateTest {
 public:
  // Column values b(1..NM+1) of one directory slot.
  static void bases(gar_ModelDirectorySlot slot, std::vector<int> b) {
    for (std::size_t m = 0; m < b.size(); ++m) slot(static_cast<int>(m) + 1) = b[m];
  }

 protected:
  void SetUp() override {
    FLAGS = FlagsRecord{};
    plat::set_exit_throws(true);
  }
  void TearDown() override { plat::set_exit_throws(false); }
  void three_links_of_node_9();
  void resolve_links_of_two_models();

  void alloc(const Sizes& s) {
    sz = s;
    FLAGS(1) = s.nt;
    FLAGS(2) = s.ngl;
    FLAGS(3) = s.ngf;
    FLAGS(4) = s.ngr;
    FLAGS(24) = s.lold;
    FLAGS(26) = s.nm;
    FLAGS(28) = s.dystor;
    FLAGS(32) = s.nf;
    FLAGS(33) = s.nl;
    FLAGS(35) = s.lfluid;
    tna_test::ArraySizes c{0,      s.dystor, 18,    s.lfluid, 4 * (s.ngl + s.ngf + s.ngr),
                           s.lold, 0,        0,     0,        0,
                           0,      0,        s.ngf, s.nf,     0,
                           0,      s.ngl,    s.nl,  0,        s.ngr,
                           0,      0,        s.nm,  s.nt,     0,
                           0,      0,        0};
    c.allocate();
    for (int i = 1; i <= s.nt; ++i) gar_thermalnodestatuses(i) = "D";
    auto& core = gar_dynamiccoreint;
    core(1) = 12;
    core(3) = 300;
    core(5) = 600;
    core(9) = kMassFlowArea;
    core(11) = kMassFlowLimit;
    core(8) = kTiedList;
    thfill = flfill = 0;
  }

  static void put_pairs(plat::Array1<std::int32_t>& arr, const Pairs& p) {
    std::fill(arr.begin(), arr.end(), 0);
    for (std::size_t i = 0; i < p.size(); ++i) {
      arr(2 * static_cast<int>(i) + 1) = p[i].first;
      arr(2 * static_cast<int>(i) + 2) = p[i].second;
    }
  }

  // Inter-model conductor records of kind t (1 GL, 2 GR, 3 GF) read with
  // model m, as the database holds them (relative models); the conductors are
  // the last ones of m's range of the kind.
  static void links(int t, int m, const std::vector<std::array<int, 4>>& raw) {
    auto& core = gar_dynamiccoreint;
    const int n = static_cast<int>(raw.size());
    const int start = core(2 * t - 1) + core(2 * t);
    for (int i = 0; i < n; ++i)
      for (int w = 0; w < 4; ++w) core(start + n + 4 * i + w) = raw[static_cast<std::size_t>(i)][w];
    const gar_ModelDirectorySlot slot = t == 1   ? md_linearcondbase
                                        : t == 2 ? md_radiativecondbase
                                                 : md_fluidiccondbase;
    int st = 0;
    SLKMOD(t == 3 ? 1 : 0, n + 1, slot(m + 1) - n + 1, 5 * n, n, m, core.from(start, 5 * n), st);
    ASSERT_EQ(st, 0);
    core(2 * t) += 5 * n;
  }

  // Inter-model mass-flow link records read with model m (relative models);
  // returns the integer count to hand to LOADUP.
  static int mass_links(const std::vector<std::array<int, 4>>& raw) {
    auto& core = gar_dynamiccoreint;
    const int at = core(9) + core(10);
    for (std::size_t i = 0; i < raw.size(); ++i)
      for (int w = 0; w < 4; ++w) core(at + 4 * static_cast<int>(i) + w) = raw[i][w];
    return 4 * static_cast<int>(raw.size());
  }

  // Builds and merges model m's lists from its own node pairs.
  void model(int m, const Pairs& gl, const Pairs& gr, const Pairs& gf, std::array<int, 3> touch = {0, 0, 0},
             bool gv = false, int mf_words = 0) {
    put_pairs(gar_linearcondnodepairs, gl);
    put_pairs(gar_radiativecondnodepairs, gr);
    put_pairs(gar_fluidiccondnodepairs, gf);
    std::vector<int> dir(580, 0);
    if (gv) dir[2 * 33 + 1] = 1;
    const plat::Vec1<const int> d(dir.data(), 580), t(touch.data(), 3);
    int thp = 0, thl = 0, flp = 0, fll = 0, st = 0;
    const int glw = 2 * static_cast<int>(gl.size()), grw = 2 * static_cast<int>(gr.size()),
              gfw = 2 * static_cast<int>(gf.size());
    SPCSA(d, 2, m, glw, grw, gfw, t, thfill, thp, thl, st);
    ASSERT_EQ(st, 0);
    SFPCSA(d, 2, m, glw, grw, gfw, t, flfill, flp, fll, st);
    ASSERT_EQ(st, 0);
    LOADUP(m, gar_modeldirectory, mf_words, gar_dynamiccoreint, st);
    ASSERT_EQ(st, 0);
    SIMPCS(thp, thl, flp, fll, m, gar_modeldirectory, FLAGS(24), FLAGS(35), thfill, flfill, gar_dynamiccoreint, st);
    ASSERT_EQ(st, 0);
  }

  // Tied-node list as the database holds it: groups of a source and targets,
  // each (model, node number).
  static void tied(const std::vector<std::pair<std::pair<int, int>, Pairs>>& groups) {
    std::vector<int> v = {0, 0, static_cast<int>(groups.size()), 0};
    for (const auto& [src, targets] : groups) {
      v.insert(v.end(), {-(src.first - 1), -src.second, static_cast<int>(targets.size()), 0});
      for (const auto& [m, n] : targets) v.insert(v.end(), {m - 1, n});
    }
    v[0] = static_cast<int>(v.size());
    for (std::size_t i = 0; i < v.size(); ++i) gar_dynamiccoreint(kTiedList + static_cast<int>(i)) = v[i];
  }

  // Everything after the last model: links, node-copy list, compaction.
  void finish() {
    auto& core = gar_dynamiccoreint;
    const int nt = sz.nt, nf = sz.nf;
    int st = 0;
    if (core(2) || core(4) || core(6)) {
      SLKALL(sz.dystor, gar_modeldirectory, sz.nm, nf, nt, gar_thermalnodenums, gar_fluidnodenums,
             CTextVec1(gar_modelnames), core, st);
      ASSERT_EQ(st, 0);
      SLKPTS(sz.dystor, nf, nt, core, st);
      ASSERT_EQ(st, 0);
      if (nt > 0) SLKCTR(sz.dystor, FLAGS(24), thfill, nf, nt, core, gar_pcsthermalold, gar_pcsptrsthermalold, st);
      ASSERT_EQ(st, 0);
      if (nf > 0) SFLCTR(sz.dystor, FLAGS(35), flfill, nf, nt, core, gar_pcsfluid, gar_pcsptrsfluid, st);
      ASSERT_EQ(st, 0);
    }
    if (core(kTiedList) == 0) tied({});
    const int l = core(kTiedList) / 2;
    FLAGS(25) = l;
    ASSERT_GE(FLAGS(24) - thfill, l);
    plat::Vec1<int> copy = gar_pcsthermalold.from(FLAGS(24) - l + 1, l);
    SREDSP(gar_modeldirectory, core.from(kTiedList, 2 * l), l, copy, st, gar_thermalnodenums);
    ASSERT_EQ(st, 0);
    if (l > 2) {
      LINCSP(FLAGS(35), FLAGS(24), nt, gar_pcsptrsthermalold, copy, l, gar_pcsthermalold, st, gar_pcsptrsfluid,
             gar_pcsfluid);
      ASSERT_EQ(st, 0);
      std::vector<int> scratch(static_cast<std::size_t>(l));
      SUPINV(l, copy, plat::Vec1<int>(scratch.data(), l));
    }
    if (nt > 0)
      LPCSCN(FLAGS(24), nt, gar_thermalnodestatuses, gar_pcsthermalold, gar_pcsptrsthermalold, gar_pcsthermal,
             gar_pcsptrsthermal);
    if (nf > 0) SETFNM(gar_modeldirectory, sz.nm, nf, gar_fluidnodemodelnums);
  }

  // Both forms hold the same entries in the same order for every node that is not tied.
  void expect_forms_agree() {
    for (int n = 1; n <= sz.nt; ++n) {
      if (gar_thermalnodestatuses(n) == "C") continue;
      for (int k = 1; k <= 3; ++k) EXPECT_EQ(linked(n, k), compact(n, k)) << "node " << n << " sub-list " << k;
    }
  }

  std::vector<int> copy_list() const {
    std::vector<int> v;
    for (int i = FLAGS(24) - FLAGS(25) + 1; i <= FLAGS(24); ++i) v.push_back(gar_pcsthermalold(i));
    return v;
  }

  Sizes sz;
  int thfill = 0, flfill = 0;
};

// One model, thermal nodes numbered 1..n (so node number = global index).
void one_model_nodes(int nt, int ngl, int ngr, int ngf, int nf = 0, int nl = 0) {
  for (int i = 1; i <= nt; ++i) gar_thermalnodenums(i) = i;
  Pcs::bases(md_thermalnodebase, {0, nt});
  Pcs::bases(md_linearcondbase, {0, ngl});
  Pcs::bases(md_radiativecondbase, {0, ngr});
  Pcs::bases(md_fluidiccondbase, {0, ngf});
  Pcs::bases(md_fluidnodebase, {0, nf});
  Pcs::bases(md_massflowlinkbase, {0, nl});
}

TEST_F(Pcs, ModelWithoutConductorsHasThreeBareTerminatorsPerNode) {
  alloc({.nt = 3});
  one_model_nodes(3, 0, 0, 0);
  model(1, {}, {}, {});
  finish();
  const std::vector<int> want = {-2, 0, -4, 0, -6, 0, -8, 0, -10, 0, -12, 0, -14, 0, -16, 0, -18, 0};
  EXPECT_EQ(std::vector<int>(gar_pcsthermalold.begin(), gar_pcsthermalold.begin() + 18), want);
  EXPECT_EQ(thfill, 18);
  for (int n = 1; n <= 3; ++n) {
    EXPECT_EQ(gar_pcsptrsthermalold(n), 6 * n - 5);
    for (int k = 1; k <= 3; ++k) EXPECT_EQ(gar_pcsptrsthermal(2 * k, n), 0);
  }
  EXPECT_EQ(copy_list(), (std::vector<int>{2, 0}));
}

TEST_F(Pcs, FluidicConductorIsNegativeAtItsFirstNodeAndPositiveAtItsSecond) {
  alloc({.nt = 8, .ngl = 2, .ngf = 3});
  one_model_nodes(8, 2, 0, 3);
  model(1, {{3, 7}, {5, 7}}, {}, {{1, 2}, {3, 7}, {8, 3}});
  finish();
  EXPECT_EQ(linked(3, 3), (Entries{{7, -2}, {8, 3}}));
  EXPECT_EQ(linked(7, 3), (Entries{{3, 2}}));
  EXPECT_EQ(linked(8, 3), (Entries{{3, -3}}));
  EXPECT_EQ(linked(3, 1), (Entries{{7, 1}}));
  EXPECT_EQ(linked(7, 1), (Entries{{3, 1}, {5, 2}}));
  EXPECT_EQ(linked(1, 3), (Entries{{2, -1}}));
  EXPECT_EQ(linked(2, 3), (Entries{{1, 1}}));
  expect_forms_agree();
}

TEST_F(Pcs, ChainedAndScanningBuildersGiveTheSameLists) {
  // The same network built once by the chained builder and once by the
  // scanning builder, which a conductor to a fluid node calls for: in the
  // second pass GL 7 joins node 40 to fluid node 50 (its entries are left
  // out of the comparison). Node numbers are not the indices, and the
  // submodel sits after another so that every base is non-zero.
  const Pairs gl = {{10, 30}, {10, 40}, {20, 30}, {30, 40}, {30, 40}};
  const Pairs gr = {{10, 20}, {20, 40}};
  const Pairs gf = {{10, 30}, {20, 10}, {30, 30}, {40, 10}};
  auto thermal_only = [](Entries e) {
    std::erase_if(e, [](const auto& entry) { return entry.first > 6; });
    return e;
  };
  std::vector<std::vector<Entries>> result[2];
  for (int pass = 0; pass < 2; ++pass) {
    const bool fluid = pass == 1;
    gar_deallocate_all();
    alloc({.nt = 6, .nf = fluid ? 1 : 0, .ngl = fluid ? 7 : 6, .ngr = 3, .ngf = 5, .nm = 2});
    const int nums[6] = {1, 2, 10, 20, 30, 40};
    for (int i = 0; i < 6; ++i) gar_thermalnodenums(i + 1) = nums[i];
    if (fluid) gar_fluidnodenums(1) = 50;
    bases(md_thermalnodebase, {0, 2, 6});
    bases(md_linearcondbase, {0, 1, fluid ? 7 : 6});
    bases(md_radiativecondbase, {0, 1, 3});
    bases(md_fluidiccondbase, {0, 1, 5});
    bases(md_fluidnodebase, {0, 0, fluid ? 1 : 0});
    bases(md_massflowlinkbase, {0, 0, 0});
    model(1, {{1, 2}}, {{1, 2}}, {{2, 1}});
    Pairs gl_of_pass = gl;
    if (fluid) gl_of_pass.emplace_back(40, 50);
    model(2, gl_of_pass, gr, gf, fluid ? std::array<int, 3>{1, 0, 0} : std::array<int, 3>{0, 0, 0});
    finish();
    expect_forms_agree();
    for (int n = 1; n <= 6; ++n)
      result[pass].push_back({thermal_only(linked(n, 1)), thermal_only(linked(n, 2)), thermal_only(linked(n, 3))});
  }
  EXPECT_EQ(result[0], result[1]);
  // Node 30 (global 5): GL from 10 and 20, then its own run to 40 twice.
  EXPECT_EQ(result[0][4][0], (Entries{{3, 2}, {4, 4}, {6, 5}, {6, 6}}));
  // GF at node 10 (global 3): to 30 (negative), then from 20 and 40 (positive).
  EXPECT_EQ(result[0][2][2], (Entries{{5, -2}, {4, 3}, {6, 5}}));
  // A GF conductor from a node to itself is entered once.
  EXPECT_EQ(result[0][4][2], (Entries{{3, 2}, {5, -4}}));
  // The fluid node is node 40's neighbour (NT + 1) in the scanning pass.
  EXPECT_EQ(linked(6, 1), (Entries{{3, 3}, {5, 5}, {5, 6}, {7, 7}}));
}

TEST_F(Pcs, PairsWithANodeOutsideTheModelLeaveTheListsAsWithoutThem) {
  // A GL pair naming a number that is no node of the model (99) gives no
  // entry at either end, whichever end it is; every other entry keeps its
  // place. The network has a chain (a), a run (b), a conductor from a node
  // to itself and a GF conductor entered after the run (c).
  const Pairs gl = {{1, 3}, {1, 4}, {2, 3}, {3, 3}, {3, 5}, {4, 6}};
  const Pairs gr = {{1, 6}, {2, 6}, {5, 6}};
  const Pairs gf = {{1, 3}, {4, 2}, {5, 5}};
  struct Case {
    const char* what;
    std::vector<std::pair<int, int>> extra;
  } cases[] = {{"every node known", {}}, {"first node unknown", {{99, 4}}}, {"second node unknown", {{6, 99}}}};
  std::vector<std::vector<Entries>> first;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Pairs gl_of_case = gl;
    gl_of_case.insert(gl_of_case.end(), c.extra.begin(), c.extra.end());
    const int ngl = static_cast<int>(gl_of_case.size());
    gar_deallocate_all();
    alloc({.nt = 6, .ngl = ngl, .ngr = 3, .ngf = 3});
    one_model_nodes(6, ngl, 3, 3);
    model(1, gl_of_case, gr, gf);
    finish();
    expect_forms_agree();
    std::vector<std::vector<Entries>> lists;
    for (int n = 1; n <= 6; ++n) lists.push_back({linked(n, 1), linked(n, 2), linked(n, 3)});
    if (first.empty()) {
      first = lists;
      EXPECT_EQ(lists[2][0], (Entries{{1, 1}, {2, 3}, {3, 4}, {5, 5}}));
      EXPECT_EQ(lists[5][1], (Entries{{1, 1}, {2, 2}, {5, 3}}));
      EXPECT_EQ(lists[1][2], (Entries{{4, 2}}));
      EXPECT_EQ(lists[3][2], (Entries{{2, -2}}));
      EXPECT_EQ(lists[4][2], (Entries{{5, -3}}));
    }
    EXPECT_EQ(lists, first);
  }
}

// SPCSA of model 1 with the given words of GL, GR and GF pairs, the model
// directory marking view factors when gv, run to its fatal end.
struct SpcsaEnd {
  int exit_status = -1;  // -1: it returned
  int fill = 0;
  std::string out;  // what it printed
};
SpcsaEnd spcsa_end(int gl_words, int gr_words, int gf_words, bool gv, std::array<int, 3> touch = {0, 0, 0}) {
  std::vector<int> dir(580, 0);
  if (gv) dir[2 * 33 + 1] = 1;
  SpcsaEnd end;
  int present = 0, len = 0, st = 0;
  testing::internal::CaptureStdout();
  try {
    SPCSA(plat::Vec1<const int>(dir.data(), 580), 2, 1, gl_words, gr_words, gf_words,
          plat::Vec1<const int>(touch.data(), 3), end.fill, present, len, st);
  } catch (const plat::ProcessExit& e) {
    end.exit_status = e.status;
  }
  end.out = testing::internal::GetCapturedStdout();
  return end;
}

TEST_F(Pcs, ChainedListWithoutRoomStopsWhereTheRoomEnds) {
  // The list is built once with room; then with less room the build fails
  // with its diagnostic, having written the list's words that fit (whole
  // entries and terminators) and the starts of the nodes it reached, and
  // nothing else.
  const Pairs gl = {{1, 2}, {1, 3}, {2, 3}, {3, 4}};
  const Pairs gr = {{1, 4}, {2, 4}, {3, 4}};
  const Pairs gf = {{2, 1}};
  auto prepare = [&](int lold) {
    gar_deallocate_all();
    alloc({.nt = 4, .ngl = 4, .ngr = 3, .ngf = 1, .lold = lold});
    one_model_nodes(4, 4, 3, 1);
    put_pairs(gar_linearcondnodepairs, gl);
    put_pairs(gar_radiativecondnodepairs, gr);
    put_pairs(gar_fluidiccondnodepairs, gf);
  };
  prepare(400);
  model(1, gl, gr, gf);
  const int full = thfill;
  const std::vector<int> words(gar_pcsthermalold.begin(), gar_pcsthermalold.begin() + full);
  std::vector<int> starts;
  for (int n = 1; n <= 4; ++n) starts.push_back(gar_pcsptrsthermalold(n));
  ASSERT_EQ(full, 2 * 2 * (4 + 3 + 1) + 6 * 4);  // every conductor at both ends, three terminators a node
  for (const int lold : {full - 1, full - 2, full / 2 + 1, 7}) {
    SCOPED_TRACE("room " + std::to_string(lold));
    prepare(lold);
    constexpr int kMark = 7777;
    std::fill(gar_pcsthermalold.begin(), gar_pcsthermalold.end(), kMark);
    std::fill(gar_pcsptrsthermalold.begin(), gar_pcsptrsthermalold.end(), kMark);
    const SpcsaEnd end = spcsa_end(8, 6, 2, false);
    EXPECT_EQ(end.exit_status, 1);
    EXPECT_NE(end.out.find("Failed to create PCS for model   1"), std::string::npos) << end.out;
    const int written = lold / 2 * 2;
    for (int i = 1; i <= lold; ++i)
      EXPECT_EQ(gar_pcsthermalold(i), i <= written ? words[static_cast<std::size_t>(i) - 1] : kMark) << "word " << i;
    for (int n = 1; n <= 4; ++n) {
      const bool reached = starts[static_cast<std::size_t>(n) - 1] - 1 <= lold;
      EXPECT_EQ(gar_pcsptrsthermalold(n), reached ? starts[static_cast<std::size_t>(n) - 1] : kMark) << "node " << n;
    }
  }
}

TEST_F(Pcs, CompleteRadiativeMatrixFollowsTheListedRadiativeConductors) {
  // 3 nodes with view factors: one listed GR conductor, then the complete
  // matrix (1,2), (1,3), (2,3), which ends the model's own GR range.
  alloc({.nt = 3, .ngr = 4});
  one_model_nodes(3, 0, 4, 0);
  model(1, {}, {{1, 3}, {1, 2}, {1, 3}, {2, 3}}, {}, {0, 0, 0}, true);
  finish();
  EXPECT_EQ(linked(1, 2), (Entries{{3, 1}, {2, 2}, {3, 3}}));
  EXPECT_EQ(linked(2, 2), (Entries{{1, 2}, {3, 4}}));
  EXPECT_EQ(linked(3, 2), (Entries{{1, 1}, {1, 3}, {2, 4}}));
  expect_forms_agree();
}

TEST_F(Pcs, CompleteMatrixBeyondTheModelsRadiativeRangeFailsTheBuild) {
  // Only the listed conductor is counted in the GR range: the matrix
  // conductors would index the next model's conductors.
  alloc({.nt = 3, .ngr = 4, .nm = 2});
  for (int i = 1; i <= 3; ++i) gar_thermalnodenums(i) = i;
  bases(md_thermalnodebase, {0, 3, 3});
  bases(md_radiativecondbase, {0, 1, 4});
  bases(md_linearcondbase, {0, 0, 0});
  bases(md_fluidiccondbase, {0, 0, 0});
  bases(md_fluidnodebase, {0, 0, 0});
  bases(md_massflowlinkbase, {0, 0, 0});
  put_pairs(gar_radiativecondnodepairs, {{1, 3}, {1, 2}, {1, 3}, {2, 3}});
  const SpcsaEnd end = spcsa_end(0, 8, 0, true);
  EXPECT_EQ(end.exit_status, 1);
  EXPECT_NE(end.out.find("Failed to create PCS for model   1"), std::string::npos) << end.out;
  EXPECT_EQ(end.fill, 0);
}

// The box of a fatal message of SPCSA as the first message.
std::string spcsa_box(const std::string& message, int code) {
  return tna_test::seterx_box_alone(message, 4, code, "SPCSA");
}

TEST_F(Pcs, PairsTheBuildersCannotTakeAreRefusedNamingTheListAndThePair) {
  // The complete radiative matrix is scanned by a cursor over its pairs in
  // every model; a model without thermal nodes still has the counts of its
  // conductors touching fluid nodes checked (they bound the fluid list).
  const std::string action = "@Building the connection lists of model MAIN (1)@";
  const std::string context = "@Loading the model database";
  // What SPCSA prints for model 1, and the exit status of its fatal end.
  auto build_output = [](const Pairs& gl, const Pairs& gr, std::array<int, 3> touch, bool gv) {
    gar_modelnames(1) = "MAIN";
    put_pairs(gar_linearcondnodepairs, gl);
    put_pairs(gar_radiativecondnodepairs, gr);
    const SpcsaEnd end = spcsa_end(2 * static_cast<int>(gl.size()), 2 * static_cast<int>(gr.size()), 0, gv, touch);
    return std::pair{end.exit_status, end.out};
  };
  struct Case {
    const char* what;
    int nt, nf;
    Pairs gl, gr;
    std::array<int, 3> touch;
    std::string message;
    int code;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"matrix pairs not sorted", 3, 0, {}, {{1, 3}, {1, 2}, {2, 3}, {1, 3}}, {0, 0, 0},
       "Conductor node pairs not sorted by first node" + action +
           "List 70 (GR node pairs): pair 4 (1, 3) follows pair 3 (2, 3); a list runs in ascending order of its "
           "first nodes" + context,
       3},
      {"matrix pair reversed", 3, 0, {}, {{1, 3}, {1, 2}, {3, 1}, {2, 3}}, {0, 0, 0},
       "Conductor node pair in reverse order" + action +
           "List 70 (GR node pairs): pair 3 (3, 1); a GL or GR pair names the lower node number first" + context,
       4},
      {"no thermal nodes", 0, 2, {{101, 102}}, {}, {0, 0, 0},
       "Count of conductors touching fluid nodes is wrong" + action +
           "GL conductors touching fluid nodes: 0 by list 66 item 70, 1 in list 69" + context,
       5},
      {"counted conductors that are not there", 2, 1, {}, {}, {1, 0, 0},
       "Count of conductors touching fluid nodes is wrong" + action +
           "GL conductors touching fluid nodes: 1 by list 66 item 70, 0 in list 69" + context,
       5},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    gar_deallocate_all();
    alloc({.nt = c.nt, .nf = c.nf, .ngl = static_cast<int>(c.gl.size()), .ngr = static_cast<int>(c.gr.size())});
    one_model_nodes(c.nt, static_cast<int>(c.gl.size()), static_cast<int>(c.gr.size()), 0, c.nf);
    for (int j = 1; j <= c.nf; ++j) gar_fluidnodenums(j) = 100 + j;
    reset_message_counters();
    const auto [status, out] = build_output(c.gl, c.gr, c.touch, c.gr.size() > 1);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out, spcsa_box(c.message, c.code));
  }
}

TEST_F(Pcs, ConductorToAFluidNodeAppearsInBothLists) {
  // Thermal nodes 10, 20; fluid nodes 30, 40 joined by a mass-flow link.
  alloc({.nt = 2, .nf = 2, .ngl = 2, .ngf = 1, .nl = 1});
  gar_thermalnodenums(1) = 10;
  gar_thermalnodenums(2) = 20;
  gar_fluidnodenums(1) = 30;
  gar_fluidnodenums(2) = 40;
  bases(md_thermalnodebase, {0, 2});
  bases(md_linearcondbase, {0, 2});
  bases(md_radiativecondbase, {0, 0});
  bases(md_fluidiccondbase, {0, 1});
  bases(md_fluidnodebase, {0, 2});
  bases(md_massflowlinkbase, {0, 1});
  gar_massflowlinkcondnodepairs(1) = 40;
  gar_massflowlinkcondnodepairs(2) = 30;
  model(1, {{10, 20}, {20, 30}}, {}, {{40, 10}}, {1, 0, 1});
  finish();
  // Thermal side: the fluid neighbour is NT + its fluid index.
  EXPECT_EQ(linked(2, 1), (Entries{{1, 1}, {2 + 1, 2}}));
  EXPECT_EQ(linked(1, 3), (Entries{{2 + 2, 1}}));
  // Fluid side: link, then the conductors with thermal neighbours.
  EXPECT_EQ(fluid(1, 1), (Entries{{2, 1}}));
  EXPECT_EQ(fluid(2, 1), (Entries{{1, 1}}));
  EXPECT_EQ(fluid(1, 2), (Entries{{2, 2}}));
  EXPECT_EQ(fluid(2, 4), (Entries{{1, -1}}));
  // The link's node pair holds fluid indices in its own direction.
  EXPECT_EQ(gar_massflowlinkcondnodepairs(1), 2);
  EXPECT_EQ(gar_massflowlinkcondnodepairs(2), 1);
  expect_forms_agree();
}

TEST_F(Pcs, FluidIteratorSkipsInactiveThermalNeighboursButNeverLinks) {
  alloc({.nt = 2, .nf = 3, .ngl = 2, .nl = 1});
  for (int i = 1; i <= 2; ++i) gar_thermalnodenums(i) = i;
  for (int i = 1; i <= 3; ++i) gar_fluidnodenums(i) = 10 + i;
  bases(md_thermalnodebase, {0, 2});
  bases(md_linearcondbase, {0, 2});
  bases(md_radiativecondbase, {0, 0});
  bases(md_fluidiccondbase, {0, 0});
  bases(md_fluidnodebase, {0, 3});
  bases(md_massflowlinkbase, {0, 1});
  gar_massflowlinkcondnodepairs(1) = 11;
  gar_massflowlinkcondnodepairs(2) = 12;
  model(1, {{1, 11}, {2, 11}}, {}, {}, {2, 0, 0});
  finish();
  gar_thermalnodestatuses(1) = "X";
  EXPECT_EQ(fluid(1, 2, 0), (Entries{{2, 2}}));
  EXPECT_EQ(fluid(1, 2, 1), (Entries{{1, 1}, {2, 2}}));
  EXPECT_EQ(fluid(1, 1, 0), (Entries{{2, 1}}));
  // A fluid node without any connection ends at once.
  int kind = 0, pos = 0, cond = 0, nb = -1;
  SFUNPK(0, 0, 0, 0, 3, gar_thermalnodestatuses, gar_pcsfluid, gar_pcsptrsfluid, kind, pos, cond, nb);
  EXPECT_EQ(nb, 0);
  EXPECT_EQ(pos, 0);
}

TEST_F(Pcs, TiedGroupsAreSplicedIntoTheirSources) {
  // A chain 1-2-3-4-5 of GL conductors 1..4, node 6-7 by GL 5, node 8 alone.
  // Groups in database order: source 1 with targets 3 and 5; source 6 with 7.
  alloc({.nt = 8, .ngl = 5, .ngf = 1});
  one_model_nodes(8, 5, 0, 1);
  model(1, {{1, 2}, {2, 3}, {3, 4}, {4, 5}, {6, 7}}, {}, {{3, 8}});
  tied({{{1, 1}, {{1, 3}, {1, 5}}}, {{1, 6}, {{1, 7}}}});
  finish();
  EXPECT_EQ(gar_thermalnodestatuses(3), "C");
  EXPECT_EQ(gar_thermalnodestatuses(5), "C");
  EXPECT_EQ(gar_thermalnodestatuses(7), "C");
  EXPECT_EQ(gar_thermalnodestatuses(1), "D");
  // Groups reversed: (6; 7) then (1; 3, 5).
  EXPECT_EQ(FLAGS(25), 9);
  EXPECT_EQ(copy_list(), (std::vector<int>{9, 2, 6, 1, 7, 1, 2, 3, 5}));
  // The source reads its own entries, then t1's, then t2's.
  EXPECT_EQ(linked(1, 1), (Entries{{2, 1}, {2, 2}, {4, 3}, {4, 4}}));
  EXPECT_EQ(linked(1, 3), (Entries{{8, -1}}));
  // Neighbours of targets now name the source.
  EXPECT_EQ(linked(2, 1), (Entries{{1, 1}, {1, 2}}));
  EXPECT_EQ(linked(4, 1), (Entries{{1, 3}, {1, 4}}));
  EXPECT_EQ(linked(8, 3), (Entries{{1, 1}}));
  EXPECT_EQ(linked(6, 1), (Entries{{6, 5}, {6, 5}}));
  for (int t : {3, 5, 7})
    for (int w = 1; w <= 6; ++w) EXPECT_EQ(gar_pcsptrsthermal(w, t), 0) << "node " << t;
  EXPECT_EQ(compact(1, 1), (Entries{{2, 1}, {2, 2}, {4, 3}, {4, 4}}));
  expect_forms_agree();
}

TEST_F(Pcs, TiedNodeThatItsModelDoesNotHaveIsRefused) {
  alloc({.nt = 2});
  one_model_nodes(2, 0, 0, 0);
  model(1, {}, {}, {});
  tied({{{1, 1}, {{1, 9}}}});
  const int l = gar_dynamiccoreint(kTiedList) / 2;
  int st = 0;
  SREDSP(gar_modeldirectory, gar_dynamiccoreint.from(kTiedList, 2 * l), l,
         gar_pcsthermalold.from(FLAGS(24) - l + 1, l), st, gar_thermalnodenums);
  EXPECT_EQ(st, 1);
}

// Main model (nodes 1, 9; GL 1 between them) and a submodel (nodes 5, 6; GL 3).
// Read with model 1: inter-model GL 2 (1:9 - 2:6) and GF 1 from 2:5 to 1:9.
void two_models() {
  gar_thermalnodenums(1) = 1;
  gar_thermalnodenums(2) = 9;
  gar_thermalnodenums(3) = 5;
  gar_thermalnodenums(4) = 6;
  Pcs::bases(md_thermalnodebase, {0, 2, 4});
  Pcs::bases(md_linearcondbase, {0, 2, 3});
  Pcs::bases(md_radiativecondbase, {0, 0, 0});
  Pcs::bases(md_fluidiccondbase, {0, 1, 1});
  Pcs::bases(md_fluidnodebase, {0, 0, 0});
  Pcs::bases(md_massflowlinkbase, {0, 0, 0});
}

// The two models with three more GL links of the main model's node 9
// (global 2) to the submodel, in record order to 2:5, 2:6 and 2:5, after
// SLKALL and SLKPTS.
void Pcs::three_links_of_node_9() {
  gar_deallocate_all();
  alloc({.nt = 4, .ngl = 5, .ngf = 1, .nm = 2});
  two_models();
  bases(md_linearcondbase, {0, 4, 5});
  model(1, {{1, 9}}, {}, {});
  links(1, 1, {{0, 9, 1, 5}, {0, 9, 1, 6}, {0, 9, 1, 5}});
  model(2, {{5, 6}}, {}, {});
  resolve_links_of_two_models();
}

// SLKALL and SLKPTS over the two models' four thermal nodes, both to succeed.
void Pcs::resolve_links_of_two_models() {
  int st = 0;
  auto& core = gar_dynamiccoreint;
  SLKALL(sz.dystor, gar_modeldirectory, 2, 0, 4, gar_thermalnodenums, gar_fluidnodenums, CTextVec1(gar_modelnames),
         core, st);
  ASSERT_EQ(st, 0);
  SLKPTS(sz.dystor, 0, 4, core, st);
  ASSERT_EQ(st, 0);
}

TEST_F(Pcs, InterModelFluidicLinkIsOrientedAndSigned) {
  alloc({.nt = 4, .ngl = 3, .ngf = 1, .nm = 2});
  two_models();
  model(1, {{1, 9}}, {}, {});
  links(1, 1, {{0, 9, 1, 6}});
  links(3, 1, {{1, 5, 0, 9}});
  // Widened and exchanged: (1, 9, 2, 5) with the conductor negated.
  const int c = gar_dynamiccoreint(5);
  EXPECT_EQ((std::vector<int>(gar_dynamiccoreint.begin() + c - 1, gar_dynamiccoreint.begin() + c + 4)),
            (std::vector<int>{1, 9, 2, 5, -1}));
  model(2, {{5, 6}}, {}, {});
  finish();
  // Node 5 of model 2 (global 3) is the conductor's first node.
  EXPECT_EQ(linked(3, 3), (Entries{{2, -1}}));
  EXPECT_EQ(linked(2, 3), (Entries{{3, 1}}));
  // Link entries come before a node's own entries.
  EXPECT_EQ(linked(2, 1), (Entries{{4, 2}, {1, 1}}));
  EXPECT_EQ(linked(4, 1), (Entries{{2, 2}, {3, 3}}));
  expect_forms_agree();
}

TEST_F(Pcs, LinkWithinOneModelPutsTheLowerNodeFirst) {
  std::vector<int> work(40, 0);
  const int raw[4] = {0, 7, 0, 3};
  std::copy(raw, raw + 4, work.begin() + 1);
  int st = 0;
  SLKMOD(0, 2, 11, 40, 1, 2, plat::Vec1<int>(work.data(), 40), st);
  EXPECT_EQ(st, 0);
  EXPECT_EQ(std::vector<int>(work.begin(), work.begin() + 5), (std::vector<int>{2, 3, 2, 7, 11}));
  // A start that would let the widened records overrun unread ones is refused.
  SLKMOD(0, 1, 11, 40, 1, 2, plat::Vec1<int>(work.data(), 40), st);
  EXPECT_EQ(st, 1);
}

TEST_F(Pcs, LinkWhoseModelLeavesTheIntegerRangeIsRefusedUntouched) {
  // A corrupt database's relative model number that the loading model's
  // offset carries past either end of the integer range.
  for (const int bad : {INT_MAX, INT_MAX - 1, INT_MIN}) {
    for (const int end : {0, 2}) {
      std::vector<int> work(40, 0);
      const int raw[8] = {0, 7, 0, 3, 0, 4, 1, 5};
      std::copy(raw, raw + 8, work.begin() + 2);
      work[2 + 4 + end] = bad;
      const std::vector<int> before = work;
      const int m = bad == INT_MIN ? -2 : 2;
      int st = 0;
      SLKMOD(0, 3, 11, 40, 2, m, plat::Vec1<int>(work.data(), 40), st);
      EXPECT_EQ(st, 1) << bad << " at end " << end;
      EXPECT_EQ(work, before);
    }
  }
}

TEST_F(Pcs, MultiModelFixtureWithLinksAndTiedNodes) {
  // Three models; links of every kind, some to fluid nodes; a tied group
  // across models. Both forms must agree for every node.
  alloc({.nt = 7, .nf = 2, .ngl = 6, .ngr = 3, .ngf = 2, .nl = 1, .nm = 3});
  const int th[7] = {1, 2, 3, 4, 5, 7, 8};
  for (int i = 0; i < 7; ++i) gar_thermalnodenums(i + 1) = th[i];
  gar_fluidnodenums(1) = 20;
  gar_fluidnodenums(2) = 21;
  bases(md_thermalnodebase, {0, 3, 5, 7});
  bases(md_linearcondbase, {0, 3, 5, 6});
  bases(md_radiativecondbase, {0, 2, 3, 3});
  bases(md_fluidiccondbase, {0, 0, 2, 2});
  bases(md_fluidnodebase, {0, 0, 2, 2});
  bases(md_massflowlinkbase, {0, 0, 1, 1});
  // Model 1: nodes 1..3, GL 1 (1,2), GL 2 (2,3); links GL 3 (1:3 - 2:4), GR 2 (1:1 - 3:8).
  model(1, {{1, 2}, {2, 3}}, {{1, 3}}, {});
  links(1, 1, {{0, 3, 1, 4}});
  links(2, 1, {{2, 8, 0, 1}});
  // Model 2: nodes 4, 5 and fluid 20, 21 (link 1 from 20 to 21); GL 4 (4,5),
  // GF 1 from 20 to 4; links GL 5 (2:5 - 2:21), GR 3 (2:4 - 3:7), GF 2 (3:7 to 2:20).
  gar_massflowlinkcondnodepairs(1) = 20;
  gar_massflowlinkcondnodepairs(2) = 21;
  model(2, {{4, 5}}, {}, {{20, 4}}, {0, 0, 1});
  links(1, 2, {{0, 5, 0, 21}});
  links(2, 2, {{0, 4, 1, 7}});
  links(3, 2, {{1, 7, 0, 20}});
  // Model 3: nodes 7, 8, GL 6 (7, 8).
  model(3, {{7, 8}}, {}, {});
  tied({{{2, 4}, {{3, 8}}}});
  finish();
  expect_forms_agree();
  EXPECT_EQ(gar_thermalnodestatuses(7), "C");
  // Fluid node 20 (fluid 1): link to 21, GF 1 towards thermal 4 (negative), then
  // GF 2 from thermal 7 (global 6) to it after its own entries (positive).
  EXPECT_EQ(fluid(1, 1), (Entries{{2, 1}}));
  EXPECT_EQ(fluid(1, 4), (Entries{{4, -1}, {6, 2}}));
  EXPECT_EQ(fluid(2, 2), (Entries{{5, 5}}));
  // Thermal node 7 (global 6): the GF link first node, towards fluid 1.
  EXPECT_EQ(linked(6, 3), (Entries{{7 + 1, -2}}));
  // Node 4 (global 4) is the source of 8 (global 7): its GR list gains 8's link to 1.
  EXPECT_EQ(linked(4, 2), (Entries{{6, 3}, {1, 2}}));
  EXPECT_EQ(linked(1, 2), (Entries{{4, 2}, {3, 1}}));
  EXPECT_EQ(gar_fluidnodemodelnums(1), 2);
  EXPECT_EQ(gar_fluidnodemodelnums(2), 2);
}

TEST_F(Pcs, InterModelMassFlowLinkIsCompletedWhenItsFarEndIsWritten) {
  // Model 1 fluid nodes 11, 12; model 2 fluid node 31; inter-model link read
  // with model 1 from 2:31 to 1:12 (stored reversed, so exchanged when widened).
  alloc({.nt = 0, .nf = 3, .nl = 2, .nm = 2});
  gar_fluidnodenums(1) = 11;
  gar_fluidnodenums(2) = 12;
  gar_fluidnodenums(3) = 31;
  bases(md_thermalnodebase, {0, 0, 0});
  bases(md_linearcondbase, {0, 0, 0});
  bases(md_radiativecondbase, {0, 0, 0});
  bases(md_fluidiccondbase, {0, 0, 0});
  bases(md_fluidnodebase, {0, 2, 3});
  bases(md_massflowlinkbase, {0, 1, 1});
  gar_massflowlinkcondnodepairs(1) = 11;
  gar_massflowlinkcondnodepairs(2) = 12;
  const int words = mass_links({{1, 31, 0, 12}});
  model(1, {}, {}, {}, {0, 0, 0}, false, words);
  EXPECT_EQ(md_massflowlinkbase(2), 2);
  EXPECT_EQ(gar_dynamiccoreint(10), 5);
  model(2, {}, {}, {});
  EXPECT_EQ(gar_dynamiccoreint(10), 0);
  finish();
  EXPECT_EQ(fluid(1, 1), (Entries{{2, 1}}));
  EXPECT_EQ(fluid(2, 1), (Entries{{1, 1}, {3, 2}}));
  EXPECT_EQ(fluid(3, 1), (Entries{{2, 2}}));
  // The link's pair in its own direction: from 31 (fluid 3) to 12 (fluid 2).
  EXPECT_EQ(gar_massflowlinkcondnodepairs(3), 3);
  EXPECT_EQ(gar_massflowlinkcondnodepairs(4), 2);
  EXPECT_EQ(gar_fluidnodemodelnums(1), 1);
  EXPECT_EQ(gar_fluidnodemodelnums(3), 2);
  for (int i = 1; i <= flfill; ++i) EXPECT_NE(gar_pcsfluid(i), -1) << "placeholder left at word " << i;
}

TEST_F(Pcs, LinkInsertionOutOfSpaceReportsStorageError) {
  // The lists fill the array exactly: no room for the link entries.
  alloc({.nt = 4, .ngl = 3, .ngf = 1, .nm = 2, .lold = 32});
  two_models();
  model(1, {{1, 9}}, {}, {});
  links(1, 1, {{0, 9, 1, 6}});
  links(3, 1, {{1, 5, 0, 9}});
  model(2, {{5, 6}}, {}, {});
  ASSERT_NO_FATAL_FAILURE(resolve_links_of_two_models());
  int st = 0;
  SLKCTR(sz.dystor, FLAGS(24), thfill, 0, 4, gar_dynamiccoreint, gar_pcsthermalold, gar_pcsptrsthermalold, st);
  EXPECT_EQ(st, 11);
}

TEST_F(Pcs, LinkInsertionRefusesALinkWithAnEndThatIsNoNode) {
  // The link's first end names model 0, which end resolution leaves as it
  // stands; the second is node 5 of model 2 (global 3). Inserted at node 3,
  // the unresolved node word would become its neighbour: -17 reads as a
  // jump into the list, 40 names no node.
  struct Case {
    const char* what;
    std::array<int, 4> link;
  } cases[] = {{"node word read as a jump", {-1, -17, 1, 5}}, {"node word past the nodes", {-1, 40, 1, 5}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    gar_deallocate_all();
    alloc({.nt = 4, .ngl = 3, .ngf = 1, .nm = 2});
    two_models();
    model(1, {{1, 9}}, {}, {});
    links(1, 1, {c.link});
    model(2, {{5, 6}}, {}, {});
    ASSERT_NO_FATAL_FAILURE(resolve_links_of_two_models());
    int st = 0;
    SLKCTR(sz.dystor, FLAGS(24), thfill, 0, 4, gar_dynamiccoreint, gar_pcsthermalold, gar_pcsptrsthermalold, st);
    EXPECT_EQ(st, 11);
  }
}

TEST_F(Pcs, UnknownLinkNodeEndsTheLoadWithTheLinkDiagnostic) {
  alloc({.nt = 4, .ngl = 3, .ngf = 1, .nm = 2});
  two_models();
  gar_modelnames(2) = "SUBMOD";
  model(1, {{1, 9}}, {}, {});
  links(1, 1, {{0, 9, 1, 77}});
  model(2, {{5, 6}}, {}, {});
  int st = 0, exit_status = -1;
  testing::internal::CaptureStdout();
  try {
    SLKALL(sz.dystor, gar_modeldirectory, 2, 0, 4, gar_thermalnodenums, gar_fluidnodenums, CTextVec1(gar_modelnames),
           gar_dynamiccoreint, st);
  } catch (const plat::ProcessExit& e) {
    exit_status = e.status;
  }
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(exit_status, 1);
  EXPECT_NE(out.find("Error in reading model SUBMOD"), std::string::npos) << out;
  EXPECT_NE(out.find("UPDATE INTER-MODEL LINKS"), std::string::npos) << out;
}

TEST_F(Pcs, MergeInPlaceGivesWhatTheMoveToTheTailGives) {
  // Model 2 of three (model 3 holds no node) with every kind of conductor,
  // after a model 1 with nodes and a conductor or after an empty model 1
  // (every base 0: the local list is the global one); its chained local
  // list merged right after SPCSA built it (in place) and merged after
  // another SPCSA call (moved to the tail and rewritten) must leave the same
  // array, pointers and fill position, the cleared tail included, whether
  // the array has room to spare or is full.
  const Pairs gl = {{4, 5}, {4, 7}, {5, 7}}, gr = {{4, 7}, {5, 7}}, gf = {{5, 4}, {7, 4}};
  for (bool empty_first : {false, true}) {
    for (int spare : {0, 1, 7, 40}) {
      SCOPED_TRACE(std::string(empty_first ? "empty model 1" : "model 1 with nodes") + ", spare words " +
                   std::to_string(spare));
      gar_deallocate_all();
      // Model 1: nodes 1, 2 and one GL, or nothing; model 2: nodes 4, 5, 7.
      const int o = empty_first ? 0 : 2, gb = empty_first ? 0 : 1;
      const int global = empty_first ? 0 : 6 * 2 + 4 * 1, local = 6 * 3 + 4 * 7;
      alloc({.nt = 3 + o, .ngl = 3 + gb, .ngr = 2, .ngf = 2, .nm = 3, .lold = global + local + spare});
      const int nums[5] = {1, 2, 4, 5, 7};
      for (int i = 0; i < 3 + o; ++i) gar_thermalnodenums(i + 1) = nums[i + 2 - o];
      bases(md_thermalnodebase, {0, o, 3 + o, 3 + o});
      bases(md_linearcondbase, {0, gb, 3 + gb, 3 + gb});
      bases(md_radiativecondbase, {0, 0, 2, 2});
      bases(md_fluidiccondbase, {0, 0, 2, 2});
      bases(md_fluidnodebase, {0, 0, 0, 0});
      bases(md_massflowlinkbase, {0, 0, 0, 0});
      if (!empty_first) model(1, {{1, 2}}, {}, {});
      // Words past the global list hold whatever they hold.
      for (int i = thfill + 1; i <= FLAGS(24); ++i) gar_pcsthermalold(i) = 1000 + i;
      put_pairs(gar_linearcondnodepairs, gl);
      put_pairs(gar_radiativecondnodepairs, gr);
      put_pairs(gar_fluidiccondnodepairs, gf);
      std::vector<int> dir(580, 0);
      const std::array<int, 3> touch = {0, 0, 0};
      const plat::Vec1<const int> d(dir.data(), 580), t(touch.data(), 3);
      int thp = 0, thl = 0, st = 0, fill = thfill;
      SPCSA(d, 2, 2, 6, 4, 4, t, fill, thp, thl, st);
      ASSERT_EQ(st, 0);
      ASSERT_EQ(thl, local);
      // The builder leaves the list and the node starts it wrote; the merge
      // after another build must write every start itself.
      const std::vector<int> built(gar_pcsthermalold.begin(), gar_pcsthermalold.end()),
          built_starts(gar_pcsptrsthermalold.begin(), gar_pcsptrsthermalold.end());
      auto merge = [&](bool other_build_between) {
        std::copy(built.begin(), built.end(), gar_pcsthermalold.begin());
        std::copy(built_starts.begin(), built_starts.end(), gar_pcsptrsthermalold.begin());
        if (other_build_between) std::fill(gar_pcsptrsthermalold.begin() + o, gar_pcsptrsthermalold.end(), 0);
        int f = fill, fl = 0, p = 0, l = 0, s2 = 0;
        if (other_build_between) SPCSA(d, 2, 3, 0, 0, 0, t, fl, p, l, s2);  // model 3: nothing built
        SIMPCS(thp, thl, 0, 0, 2, gar_modeldirectory, FLAGS(24), FLAGS(35), f, fl, gar_dynamiccoreint, s2);
        EXPECT_EQ(s2, 0);
        std::vector<int> out(gar_pcsthermalold.begin(), gar_pcsthermalold.end());
        out.insert(out.end(), gar_pcsptrsthermalold.begin(), gar_pcsptrsthermalold.end());
        out.push_back(f);
        return out;
      };
      const std::vector<int> in_place = merge(false), moved = merge(true);
      EXPECT_EQ(in_place, moved);
      // And the merged lists are the model's: node 7 has GL 2 and 3 from 4
      // and 5, GR 1 and 2 likewise, and is the first node of GF 2 to node
      // 4, which holds both GF conductors.
      const int n4 = 1 + o, n5 = 2 + o, n7 = 3 + o;
      EXPECT_EQ(linked(n7, 1), (Entries{{n4, 2 + gb}, {n5, 3 + gb}}));
      EXPECT_EQ(linked(n7, 2), (Entries{{n4, 1}, {n5, 2}}));
      EXPECT_EQ(linked(n7, 3), (Entries{{n4, -2}}));
      EXPECT_EQ(linked(n4, 3), (Entries{{n5, 1}, {n7, 2}}));
    }
  }
}

TEST_F(Pcs, LinkInsertionTakesEachNodesLinksInTheOrderOfItsChain) {
  // Three GL links of model 1's node 9 (global 2) to model 2: the chains
  // SLKPTS builds list them in record order; chains built otherwise (here
  // reversed) are walked as they stand.
  for (bool reversed : {false, true}) {
    SCOPED_TRACE(reversed ? "reversed chain" : "chain of SLKPTS");
    ASSERT_NO_FATAL_FAILURE(three_links_of_node_9());
    int st = 0;
    auto& core = gar_dynamiccoreint;
    const int heads = sz.dystor - 6 * 4;  // head column 1 (GL, end 1) of the four nodes
    ASSERT_EQ(core(heads + 2), 1);        // node 2's chain: records 1, 2, 3
    if (reversed) {
      const int area = core(1);
      core(heads + 2) = 3;
      core(area + 5 * 2) = 2;  // next of record 3
      core(area + 5 * 1) = 1;  // next of record 2
      core(area + 5 * 0) = 0;  // record 1 ends the chain
    }
    SLKCTR(sz.dystor, FLAGS(24), thfill, 0, 4, core, gar_pcsthermalold, gar_pcsptrsthermalold, st);
    ASSERT_EQ(st, 0);
    const Entries links_in_order = {{3, 2}, {4, 3}, {3, 4}};
    Entries want = reversed ? Entries(links_in_order.rbegin(), links_in_order.rend()) : links_in_order;
    want.emplace_back(1, 1);  // then the node's own GL to node 1
    EXPECT_EQ(linked(2, 1), want);
  }
}

TEST_F(Pcs, LinkInsertionRefusesDamagedThermalLists) {
  // Node 2 of the main model has three GL links. The four nodes' lists
  // start at words 1, 9, 17 and 25, each a GL entry and three terminators
  // (-(p + 1), 0) at their positions p; one word is damaged, or the used
  // count cut short, before the insertion.
  struct Damage {
    const char* what;
    int word, value;  // word 0: none
    int cut = 0;      // words taken off the used count
  };
  const Damage damages[] = {
      {"jump of the first terminator off by two", 3, -6},
      {"node 1's GL terminator turned into an entry", 3, 3},
      {"second word of node 2's GF terminator not 0", 16, 7},
      {"jump of node 3's GR terminator off by two", 21, -24},
      {"node 4's entry naming node 0", 25, 0},
      {"jump of the last terminator off by two", 31, -34},
      {"last terminator past the used words", 0, 0, 2},
  };
  for (const Damage& d : damages) {
    SCOPED_TRACE(d.what);
    ASSERT_NO_FATAL_FAILURE(three_links_of_node_9());
    int st = 0;
    auto& core = gar_dynamiccoreint;
    ASSERT_EQ(thfill, 32);
    for (int n = 1; n <= 4; ++n) {
      const int p = 8 * n - 7;
      ASSERT_GT(gar_pcsthermalold(p), 0);
      for (int t = 1; t <= 3; ++t) ASSERT_EQ(gar_pcsthermalold(p + 2 * t), -(p + 2 * t + 1));
    }
    if (d.word > 0) gar_pcsthermalold(d.word) = d.value;
    thfill -= d.cut;
    SLKCTR(sz.dystor, FLAGS(24), thfill, 0, 4, core, gar_pcsthermalold, gar_pcsptrsthermalold, st);
    EXPECT_EQ(st, 11);
  }
}

TEST_F(Pcs, LinkEndsAreResolvedAsByOnePassPerModel) {
  // Random link records over four models (model 3 holds no node) with ends
  // that name unknown nodes, resolved ends and models outside the tree:
  // SLKALL leaves the records and ends (or fails) as SLKUPD does model by
  // model, then the check of every end.
  std::mt19937 rng(11);
  auto r = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  int failures = 0;
  for (int trial = 0; trial < 300; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    gar_deallocate_all();
    alloc({.nt = 6, .nf = 2, .nm = 4});
    const int th[6] = {1, 4, 9, 2, 3, 7}, fl[2] = {5, 8};
    for (int i = 0; i < 6; ++i) gar_thermalnodenums(i + 1) = th[i];
    for (int i = 0; i < 2; ++i) gar_fluidnodenums(i + 1) = fl[i];
    bases(md_thermalnodebase, {0, 3, 5, 5, 6});
    bases(md_fluidnodebase, {0, 1, 1, 1, 2});
    for (int i = 1; i <= 4; ++i) gar_modelnames(i) = "MODEL" + std::to_string(i);
    auto& core = gar_dynamiccoreint;
    const bool unknowns = r(0, 2) == 0;
    for (int t = 1; t <= 3; ++t) {
      const int n = r(0, 6), start = core(2 * t - 1);
      for (int i = 0; i < n; ++i) {
        for (int e = 0; e < 2; ++e) {
          const int roll = r(0, 20);
          int m = r(1, 4), node = std::array<int, 9>{1, 4, 9, 2, 3, 7, 5, 8, 6}[static_cast<std::size_t>(r(0, 8))];
          if (roll == 0) m = 0;       // already resolved
          else if (roll == 1) m = 5;  // no such model
          else if (unknowns && roll == 2) node = 99;
          core(start + 5 * i + 2 * e) = m;
          core(start + 5 * i + 2 * e + 1) = node;
        }
        core(start + 5 * i + 4) = i + 1;
      }
      core(2 * t) = 5 * n;
    }
    // The per-model passes on a copy.
    const std::vector<int> before(core.begin(), core.end());
    int st = 0, failed_model = 0;
    for (int i = 1; i <= 4 && st == 0; ++i) {
      SLKUPD(i, sz.dystor, gar_modeldirectory, 4, 2, 6, gar_thermalnodenums, gar_fluidnodenums, core, st);
      if (st != 0) failed_model = i;
    }
    for (int t = 1; t <= 3 && st == 0; ++t)
      for (int i = 0; i < core(2 * t) / 5; ++i)
        if (core(core(2 * t - 1) + 5 * i) != 0 || core(core(2 * t - 1) + 5 * i + 2) != 0) {
          st = 1;
          failed_model = 4;
        }
    const std::vector<int> expected(core.begin(), core.end());
    std::copy(before.begin(), before.end(), core.begin());
    testing::internal::CaptureStdout();
    int status = 0, exit_status = 0;
    try {
      SLKALL(sz.dystor, gar_modeldirectory, 4, 2, 6, gar_thermalnodenums, gar_fluidnodenums,
             CTextVec1(gar_modelnames), core, status);
    } catch (const plat::ProcessExit& e) {
      exit_status = e.status;
    }
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::vector<int>(core.begin(), core.end()), expected);
    EXPECT_EQ(exit_status, failed_model ? 1 : 0);
    if (failed_model) {
      ++failures;
      EXPECT_NE(out.find("Error in reading model MODEL" + std::to_string(failed_model)), std::string::npos) << out;
    }
  }
  EXPECT_GT(failures, 20);
}

// LPCSCN over the first len words of the linked list of nt nodes, expected
// to end the run with the storage error.
void expect_compaction_storage_error(int len, int nt) {
  testing::internal::CaptureStdout();
  int exit_status = 0;
  try {
    LPCSCN(len, nt, gar_thermalnodestatuses, gar_pcsthermalold, gar_pcsptrsthermalold, gar_pcsthermal,
           gar_pcsptrsthermal);
  } catch (const plat::ProcessExit& e) {
    exit_status = e.status;
  }
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(exit_status, 1);
  EXPECT_NE(out.find("PCS STORAGE ERROR"), std::string::npos) << out;
}

TEST_F(Pcs, CompactionStopsWhereAnEntryHasNoRoomOrIsCutByTheListsEnd) {
  // Node 1's GL sub-list holds three entries; the compact list has room for
  // two (one conductor), or the linked list ends inside the third entry.
  struct Case {
    const char* what;
    int ngl, len;
  } cases[] = {{"no room", 1, 24}, {"cut", 5, 5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    gar_deallocate_all();
    alloc({.nt = 2, .ngl = c.ngl, .lold = 24});
    const int words[24] = {2, 1, 2, 2, 2, 3, -8, 0, -10, 0, -12, 0, -14, 0, -16, 0, -18, 0};
    for (int i = 0; i < 24; ++i) gar_pcsthermalold(i + 1) = words[i];
    gar_pcsptrsthermalold(1) = 1;
    gar_pcsptrsthermalold(2) = 13;
    expect_compaction_storage_error(c.len, 2);
    EXPECT_EQ(std::vector<int>(gar_pcsthermal.begin(), gar_pcsthermal.begin() + 4), (std::vector<int>{2, 1, 2, 2}));
    if (c.ngl > 2) {
      EXPECT_EQ(gar_pcsthermal(5), 0);  // nothing of the cut entry
    }
  }
}

TEST_F(Pcs, CompactionRefusesAListDamagedIntoALoop) {
  // Node 2's GR sub-list, after its entry, jumps to word 17, which jumps to
  // itself or back to word 15: a loop that never reaches the sub-list's 0
  // (as a link inserted with an unresolved end once left it). The walk
  // would go round until its two-thousand-million-word guard; the
  // compaction ends with the storage error instead, having kept what came
  // before the loop.
  struct Case {
    const char* what;
    int back;  // where word 17 jumps
  } cases[] = {{"jump to itself", 17}, {"two jumps that lead to each other", 15}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    gar_deallocate_all();
    alloc({.nt = 2, .ngl = 1, .ngr = 1, .lold = 24});
    int words[24] = {2, 1, -4, 0, -6, 0, -8, 0, 1, 1, -12, 0, 1, 1, -17, 0, 0, 0};
    words[16] = -c.back;  // word 17
    for (int i = 0; i < 24; ++i) gar_pcsthermalold(i + 1) = words[i];
    gar_pcsptrsthermalold(1) = 1;
    gar_pcsptrsthermalold(2) = 9;
    expect_compaction_storage_error(24, 2);
    // Node 1's GL entry, then node 2's GL and GR entries.
    EXPECT_EQ(std::vector<int>(gar_pcsthermal.begin(), gar_pcsthermal.begin() + 6),
              (std::vector<int>{2, 1, 1, 1, 1, 1}));
  }
}

TEST_F(Pcs, CompactionFollowsEveryFormOfTheLinkedList) {
  // Sub-lists as the builders leave them (entries, then a jump to the 0
  // right after it) beside the forms a rewrite by inter-model links or the
  // scanning builder leaves: a jump to entries elsewhere and back to a 0, a
  // jump to the next word that goes on with entries, a bare 0. Node 3 is
  // tied and left out. The compact list takes the entries in order and no
  // word after them.
  alloc({.nt = 4, .ngl = 5, .lold = 35});
  const std::vector<int> words = {
      2,  1,   3,  2,  -6,  0,  -8,  0,   2,  -3, -12, 0,  // node 1: common form throughout
      1,  1,   -25, 0, -18, 1,  2,   -21, 0,  0,           // node 2: GL via 25, GR via 18, bare 0 for GF
      0,  0,   3,  4,  -16, 0,                             // 23..28: unused, then GL's entry placed at 25
      1,  -5,  -32, 0, 0,   -35, 0};                        // node 4: common, bare 0, common empty
  ASSERT_EQ(words.size(), 35u);
  for (std::size_t i = 0; i < words.size(); ++i) gar_pcsthermalold(static_cast<int>(i) + 1) = words[i];
  const int starts[4] = {1, 13, 1, 29};
  for (int n = 1; n <= 4; ++n) gar_pcsptrsthermalold(n) = starts[n - 1];
  gar_thermalnodestatuses(3) = "C";
  constexpr int kMark = 7777;
  std::fill(gar_pcsthermal.begin(), gar_pcsthermal.end(), kMark);
  LPCSCN(35, 4, gar_thermalnodestatuses, gar_pcsthermalold, gar_pcsptrsthermalold, gar_pcsthermal,
         gar_pcsptrsthermal);
  const std::vector<int> want = {2, 1, 3, 2, 2, -3, 1, 1, 3, 4, 1, 2, 1, -5};
  std::vector<int> got(gar_pcsthermal.begin(), gar_pcsthermal.end());
  ASSERT_EQ(got.size(), 20u);
  EXPECT_EQ(std::vector<int>(got.begin(), got.begin() + 14), want);
  EXPECT_EQ(std::vector<int>(got.begin() + 14, got.end()), std::vector<int>(6, kMark));
  const std::vector<int> ptrs_want[4] = {
      {1, 2, 5, 0, 5, 1}, {7, 2, 11, 1, 13, 0}, {0, 0, 0, 0, 0, 0}, {13, 1, 15, 0, 15, 0}};
  for (int n = 1; n <= 4; ++n) {
    std::vector<int> ptrs;
    for (int w = 1; w <= 6; ++w) ptrs.push_back(gar_pcsptrsthermal(w, n));
    EXPECT_EQ(ptrs, ptrs_want[n - 1]) << "node " << n;
  }
}

TEST_F(Pcs, LargeChainIsBuiltByBothBuildersInLinearTime) {
  // 60000 nodes in a chain of GL conductors plus a GF return: a per-node
  // rescan of the conductors would take minutes here.
  // The second pass takes the scanning builder: GL n joins node n to a
  // fluid node.
  constexpr int n = 60000;
  for (int pass = 0; pass < 2; ++pass) {
    const bool fluid = pass == 1;
    const int ngl = fluid ? n : n - 1;
    gar_deallocate_all();
    alloc({.nt = n, .nf = fluid ? 1 : 0, .ngl = ngl, .ngf = 1, .lold = 10 * n + 20});
    one_model_nodes(n, ngl, 0, 1, fluid ? 1 : 0);
    if (fluid) gar_fluidnodenums(1) = n + 1;
    Pairs gl;
    for (int i = 1; i <= ngl; ++i) gl.emplace_back(i, i + 1);
    model(1, gl, {}, {{n, 1}}, fluid ? std::array<int, 3>{1, 0, 0} : std::array<int, 3>{0, 0, 0});
    finish();
    EXPECT_EQ(linked(n / 2, 1), (Entries{{n / 2 - 1, n / 2 - 1}, {n / 2 + 1, n / 2}}));
    EXPECT_EQ(compact(1, 3), (Entries{{n, 1}}));
    EXPECT_EQ(compact(n, 3), (Entries{{1, -1}}));
    EXPECT_EQ(compact(n, 1), fluid ? (Entries{{n - 1, n - 1}, {n + 1, n}}) : (Entries{{n - 1, n - 1}}));
  }
}

TEST_F(Pcs, FluidNodeModelMapPassesOverModelsWithoutFluidNodes) {
  alloc({.nf = 2, .nm = 3});
  bases(md_fluidnodebase, {0, 0, 0, 2});
  SETFNM(gar_modeldirectory, 3, 2, gar_fluidnodemodelnums);
  EXPECT_EQ(gar_fluidnodemodelnums(1), 3);
  EXPECT_EQ(gar_fluidnodemodelnums(2), 3);
}

TEST_F(Pcs, ArrayDescriptorsAreRebasedAndCheckedAgainstTheirLimits) {
  // Descriptors as the interpolation routines read them (type, count, position, ...):
  // a real array at 1 (3 values from position 5, one dimension of 3) and a table at 6
  // (structure of 7 integers from 1, 4 reals from 2, two variables, two character
  // positions 3 and 4). Only the positions are rebased; counts stay.
  std::vector<int> info = {2, 3, 5, 1, 3, 4, 7, 1, 4, 2, 2, 3, 4, 0};
  std::vector<int> ptrs = {1, 6};
  int words[8] = {0, 100, 200, 3, 30, 1000, 1000, 1000};
  int st = -1;
  SAPTUP(plat::Vec1<int>(words, 8), 133, 1, 2, plat::Vec1<int>(info.data(), 14), plat::Vec1<int>(ptrs.data(), 2),
         st);
  EXPECT_EQ(st, 0);
  EXPECT_EQ(info[1], 3);    // count of the real array kept
  EXPECT_EQ(info[2], 205);  // its first value position rebased by the real base
  EXPECT_EQ(info[3], 1);    // dimensions untouched
  EXPECT_EQ(info[6], 7);    // structure length kept
  EXPECT_EQ(info[7], 101);  // structure position rebased by the integer base
  EXPECT_EQ(info[8], 4);    // number of reals kept
  EXPECT_EQ(info[9], 202);  // real position rebased by the real base
  EXPECT_EQ(info[11], 3 + 3 * 133);
  EXPECT_EQ(info[12], 4 + 3 * 133);
  EXPECT_EQ(words[3], 3);  // restored
  // A value beyond its limit, or an unknown type, stops with status 3.
  std::vector<int> bad = {1, 2, 999, 7, 0};
  std::vector<int> p2 = {1, 4};
  int w2[8] = {0, 5, 0, 0, 5, 1000, 1000, 1000};
  SAPTUP(plat::Vec1<int>(w2, 8), 133, 1, 2, plat::Vec1<int>(bad.data(), 5), plat::Vec1<int>(p2.data(), 2), st);
  EXPECT_EQ(st, 3);
  EXPECT_EQ(bad[2], 999);
  w2[5] = 10000;
  SAPTUP(plat::Vec1<int>(w2, 8), 133, 1, 2, plat::Vec1<int>(bad.data(), 5), plat::Vec1<int>(p2.data(), 2), st);
  EXPECT_EQ(st, 3);
  EXPECT_EQ(bad[2], 1004);
}

TEST_F(Pcs, CopyOfRealsAndNodeLookups) {
  std::vector<double> a = {1.5, 2.5, 3.5}, b(3, 0.0);
  int st = -1;
  SCOPYD(plat::Vec1<const double>(a.data(), 3), 0, st, plat::Vec1<double>(b.data(), 3));
  EXPECT_EQ(st, 1);
  EXPECT_EQ(b[0], 0.0);
  SCOPYD(plat::Vec1<const double>(a.data(), 3), 3, st, plat::Vec1<double>(b.data(), 3));
  EXPECT_EQ(st, 0);
  EXPECT_EQ(b, a);
  std::vector<int> nums = {4, 8, 15}, words = {15, 4};
  SGVNOD(plat::Vec1<int>(words.data(), 2), 2, plat::Vec1<const int>(nums.data(), 3), 3, 10, st);
  EXPECT_EQ(st, 0);
  EXPECT_EQ(words, (std::vector<int>{13, 11}));
  words = {16};
  SGVNOD(plat::Vec1<int>(words.data(), 1), 1, plat::Vec1<const int>(nums.data(), 3), 3, 10, st);
  EXPECT_EQ(st, 1);
  int pos = 0;
  PNDPOS(plat::Vec1<const int>(nums.data(), 3), 2, 2, 15, pos, st);
  EXPECT_EQ(st, 0);
  EXPECT_EQ(pos, 3);
  PNDPOS(plat::Vec1<const int>(nums.data(), 3), 2, 0, 15, pos, st);
  EXPECT_EQ(st, 1);
}

}  // namespace
