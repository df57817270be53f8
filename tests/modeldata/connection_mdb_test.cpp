// Connection lists of a three-model database written by the test writer and
// loaded whole: inter-model GL and GF links, a complete radiative matrix from
// view factors, and two tied-node groups across models.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "bench/spacecraft_mdb.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "list_readers.h"
#include "modeldata/acda_arrays_load.h"
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

// Thermal-node lists every section with thermal nodes must hold.
void thermal_nodes(mdbw::Model& m, const std::vector<int>& nums) {
  const std::size_t n = nums.size();
  m.ints(1, nums);
  for (int k : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 72, 73, 74, 96, 97, 98}) m.reals(k, std::vector<double>(n, 1.0));
  std::vector<std::string> labels, statuses;
  for (int v : nums) {
    labels.push_back("N" + std::to_string(v));
    statuses.push_back("D");
  }
  m.texts(12, 24, labels).texts(13, 1, statuses);
  m.id_card({0, 0, 0});
  m.control_constants(load_harness::control_constants(m.level == 0));
}

// Main model (nodes 1, 2, 3; GL 1 = 1-2; inter-model GL 2 = 2 to A:10),
// submodel A (nodes 10, 20; GL 3 = 10-20; one view factor, so the complete
// radiative matrix GR 1 = 10-20; inter-model GF 1 from B:30 to A:20, stored
// with its ends reversed), submodel B (nodes 30, 40, 50; GL 4 = 30-40,
// GL 5 = 40-50; GF 2 from 40 to 50). Tied groups: A:10 copied to main:1 and
// B:50; main:2 copied to main:3.
mdbw::Database three_models() {
  mdbw::Database db;
  db.name = "PCSMOD";
  auto& main = db.add_model("PCSMOD", 0);
  thermal_nodes(main, {1, 2, 3});
  main.reals(14, {1.0}).texts(18, 1, {"A"});
  main.reals(22, {2.0}).texts(26, 1, {"A"}).ints(30, {0, 2, 1, 10});
  main.ints(69, {1, 2});
  main.same_node_list({{{2, 10}, {{1, 1}, {3, 50}}}, {{1, 2}, {{1, 3}}}});
  auto& a = db.add_model("A", 1);
  thermal_nodes(a, {10, 20});
  a.reals(14, {3.0}).reals(15, {0.5}).reals(17, {0.7});
  a.texts(18, 1, {"A"}).texts(19, 1, {"A"}).texts(21, 1, {"A"});
  a.reals(24, {4.0}).texts(28, 1, {"A"}).ints(32, {1, 30, 0, 20});
  a.ints(34, {10, 20});
  a.ints(69, {10, 20}).ints(70, {10, 20});
  auto& b = db.add_model("B", 1);
  thermal_nodes(b, {30, 40, 50});
  b.reals(14, {4.0, 5.0}).reals(16, {6.0}).texts(18, 1, {"A", "A"}).texts(20, 1, {"A"});
  b.ints(69, {30, 40, 40, 50}).ints(71, {40, 50});
  return db;
}

void set_flags() {
  FLAGS = FlagsRecord{};
  const int words[41] = {8, 5, 2,   1,  1, 0,   0,    0, 0, 0, 2, 0, 49, 25, 16, 0, 92, 0, 0, 0, 0,
                         0, 0, 300, 20, 3, 133, 4000, 1, 0, 0, 0, 0, 0,  0,  1,  0, 0,  0, 0, 0};
  for (int i = 0; i < 41; ++i) FLAGS(i + 1) = words[i];
  SPRSIZ = SprsizRecord{};
  SPRSIZ(1) = 1;
  SPRSIZ(2) = 3;
}

class PcsLoad : public tna_test::StateTest {
 protected:
  void SetUp() override {
    plat::set_exit_throws(true);
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
  }
  void TearDown() override {
    acda_close();
    plat::io::close_all();
    plat::set_exit_throws(false);
  }
  int load(const mdbw::Database& db) { return load_harness::load_database(db, db.name); }
  std::string listing() { return tna_test::close_listing(dir_); }
  tna_test::ScratchDir dir_{"pcsload"};
};

TEST_F(PcsLoad, ThreeModelsWithLinksMatrixAndTiedNodes) {
  set_flags();
  ASSERT_EQ(load(three_models()), 0) << listing();
  // Global nodes: main 1..3, A 4..5, B 6..8.
  // The GF link from B:30 (global 6) to A:20 (global 5): negative at its first node.
  EXPECT_EQ(linked(6, 3), (Entries{{5, -1}}));
  EXPECT_EQ(linked(5, 3), (Entries{{6, 1}}));
  // Node 5: its link-free GL and the matrix conductor to node 4.
  EXPECT_EQ(linked(5, 1), (Entries{{4, 3}}));
  EXPECT_EQ(linked(5, 2), (Entries{{4, 1}}));
  // Source A:10 (global 4): GL link first, its own GL, then main:1's and B:50's
  // entries; its GR the matrix conductor; its GF B:50's incoming GF 2.
  EXPECT_EQ(linked(4, 1), (Entries{{2, 2}, {5, 3}, {2, 1}, {7, 5}}));
  EXPECT_EQ(linked(4, 2), (Entries{{5, 1}}));
  EXPECT_EQ(linked(4, 3), (Entries{{7, 2}}));
  // Neighbours of tied nodes name the sources.
  EXPECT_EQ(linked(2, 1), (Entries{{4, 2}, {4, 1}}));
  EXPECT_EQ(linked(7, 1), (Entries{{6, 4}, {4, 5}}));
  EXPECT_EQ(linked(7, 3), (Entries{{4, -2}}));
  for (int t : {1, 3, 8}) {
    EXPECT_EQ(gar_thermalnodestatuses(t), "C") << t;
    for (int w = 1; w <= 6; ++w) EXPECT_EQ(gar_pcsptrsthermal(w, t), 0) << t;
  }
  // The node-copy list, groups in reverse database order.
  ASSERT_EQ(FLAGS(25), 9);
  std::vector<int> copy;
  for (int i = 300 - 9 + 1; i <= 300; ++i) copy.push_back(gar_pcsthermalold(i));
  EXPECT_EQ(copy, (std::vector<int>{9, 2, 2, 1, 3, 4, 2, 1, 8}));
  // Both forms agree for every node that is not tied.
  for (int n = 1; n <= 8; ++n) {
    if (gar_thermalnodestatuses(n) == "C") continue;
    for (int k = 1; k <= 3; ++k) EXPECT_EQ(linked(n, k), compact(n, k)) << "node " << n << " sub-list " << k;
  }
}

// Tied-node lists that name a node as a copy of itself, directly or through
// a ring of groups, or one node as a target twice, end the load with the
// loader's diagnostic; none may leave a sub-list chained into a loop.
TEST_F(PcsLoad, TiedListsThatCopyANodeFromItselfOrTwiceAreRefused) {
  using Group = mdbw::Model::SameNodeGroup;
  struct Case {
    const char* what;
    std::vector<Group> groups;
  };
  const std::vector<Case> cases = {
      {"node tied to itself", {{{1, 2}, {{1, 2}}}}},
      {"same target twice in a group", {{{1, 1}, {{1, 2}, {1, 2}}}}},
      {"same target in two groups", {{{1, 1}, {{2, 10}}}, {{3, 30}, {{2, 10}}}}},
      {"ring of two groups", {{{1, 1}, {{2, 20}}}, {{2, 20}, {{1, 1}}}}},
      {"ring of three groups", {{{1, 1}, {{2, 10}}}, {{2, 10}, {{3, 40}}}, {{3, 40}, {{1, 1}}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    gar_deallocate_all();
    reset_message_counters();
    set_flags();
    mdbw::Database db = three_models();
    db.models[0].same_node_list(c.groups);
    EXPECT_EQ(load(db), 101);
    const std::string out = listing();
    EXPECT_NE(out.find("Problem............: Error in reading model B"), std::string::npos) << out;
    EXPECT_NE(out.find("Zerror =  1"), std::string::npos) << out;
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
  }
}

// A chain of copies (A:10 copied to main:1, main:1 to main:3) is no ring:
// the source reads the entries of both copies.
TEST_F(PcsLoad, ChainOfTiedGroupsIsAccepted) {
  set_flags();
  mdbw::Database db = three_models();
  db.models[0].same_node_list({{{2, 10}, {{1, 1}}}, {{1, 1}, {{1, 3}}}});
  ASSERT_EQ(load(db), 0) << listing();
  EXPECT_EQ(gar_thermalnodestatuses(1), "C");
  EXPECT_EQ(gar_thermalnodestatuses(3), "C");
  // Global nodes: main 1..3, A 4..5. Node 4 reads its GL link to main:2,
  // its own GL 3, then main:1's GL 1 to main:2.
  EXPECT_EQ(linked(4, 1), (Entries{{2, 2}, {5, 3}, {2, 1}}));
  EXPECT_EQ(linked(4, 1), compact(4, 1));
}

// FNV-1a over the bytes of every allocated global array (lists, pointers,
// node and conductor arrays, the dynamic core) and FLAGS: what a load
// leaves behind, word for word.
std::uint64_t loaded_bytes_hash() {
  std::uint64_t h = 0xcbf29ce484222325ull;
  auto add = [&h](const void* p, std::size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    for (std::size_t i = 0; i < n; ++i) {
      h ^= b[i];
      h *= 0x100000001b3ull;
    }
  };
#define TNA_X1(name, T, n) \
  if (gar_allocated(&name)) add(name.data(), static_cast<std::size_t>(name.size()) * sizeof(T));
#define TNA_X2(name, T, r, c) \
  if (gar_allocated(&name)) add(name.data(), static_cast<std::size_t>(name.size()) * sizeof(T));
  TNA_GAR_LIST(TNA_X1, TNA_X2)
#undef TNA_X1
#undef TNA_X2
  for (int i = 1; i <= 41; ++i) {
    const int w = FLAGS(i);
    add(&w, sizeof w);
  }
  return h;
}

// Loads of every layout leave the same bytes in every list and array as
// the loader always has: one model; panels in submodels joined by
// inter-model GL and GR links to each other and to deep space, with tied
// nodes; three models with GL and GF links, a complete radiative matrix and
// tied groups across models. (The hashes were taken before the load's
// reading and link insertion were reorganised for speed.)
TEST_F(PcsLoad, EveryLayoutLoadsTheSameBytes) {
  struct Case {
    const char* what;
    std::uint64_t want;
  };
  auto load_case = [&](const spacecraft::Case& c) {
    gar_deallocate_all();
    reset_message_counters();
    FLAGS = FlagsRecord{};
    for (int i = 0; i < 41; ++i) FLAGS(i + 1) = c.flags[i];
    SPRSIZ = SprsizRecord{};
    SPRSIZ(1) = 1;
    SPRSIZ(2) = 3;
    return load_harness::load_database(c.db, c.db.name);
  };
  const spacecraft::Network net = spacecraft::generate(600, 99u);
  std::vector<std::pair<Case, std::uint64_t>> got;
  ASSERT_EQ(load_case(spacecraft::one_model(net)), 0) << listing();
  got.push_back({{"one model", 0x4a381136d5de21ffull}, loaded_bytes_hash()});
  ASSERT_EQ(load_case(spacecraft::submodels(net)), 0) << listing();
  got.push_back({{"panels in submodels", 0x4cab361275856e97ull}, loaded_bytes_hash()});
  // Twelve panels in one model: conductors between panels join nodes far
  // apart in the node order (the 600-node network has two panels only).
  const spacecraft::Network wide = spacecraft::generate(30000, 7u);
  ASSERT_EQ(load_case(spacecraft::one_model(wide)), 0) << listing();
  got.push_back({{"twelve panels in one model", 0x7ec80a67814923a7ull}, loaded_bytes_hash()});
  gar_deallocate_all();
  reset_message_counters();
  set_flags();
  ASSERT_EQ(load(three_models()), 0) << listing();
  got.push_back({{"three models, tied groups", 0x679d88b6d3ebd85aull}, loaded_bytes_hash()});
  for (const auto& [c, h] : got) {
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
    char want[17];
    std::snprintf(want, sizeof want, "%016llx", static_cast<unsigned long long>(c.want));
    EXPECT_STREQ(hex, want) << c.what;
  }
}

}  // namespace
