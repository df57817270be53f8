// Loading of whole model database files written by the test writer: the
// example model, a two-model file with an inter-model link and a skip block,
// the fatal ends of broken files and the committed corpus of broken files.
#include "modeldata/mdb_load.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "acd_fixture.h"
#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/acda_arrays_load.h"
#include "modeldata/connection_lists.h"
#include "modeldata/entity_loaders.h"
#include "modeldata/global_arrays.h"
#include "modeldata/interpolation.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/listing.h"
#include "support/state_test.h"
#include "support/test_env.h"
#include "tools/fuzz/load_harness.h"
#include "tools/mdb_writer.h"

namespace {

// FLAGS of the generated program of the example model: 130 thermal nodes,
// 156 GL and 1401 GR conductors, one real user constant, no submodel.
const int kExampleFlags[41] = {130, 156, 0,  1401, 0, 1, 0,  0, 0, 0,    2,    0, 49,  25,
                               16,  1,   92, 0,    0, 0, 0,  0, 0, 7030, 2,    1, 133, 1003377,
                               1,   0,   0,  0,    0, 0, 22, 1, 0, 0,    2802, 0, 0};

// A real whose first (low-address) word holds the undefined marker.
double undefined_real() {
  std::int32_t words[2] = {kUndefined, 0};
  double d = 0;
  std::memcpy(&d, words, sizeof d);
  return d;
}

// The 76 values of list 68 of a main model: NODES, NODESM, then GLOI and GLOR in slot order.
struct ControlValues {
  std::vector<double> v = std::vector<double>(76, 0.0);
  double& local(int j) { return v[static_cast<std::size_t>(j - 1)]; }
  double& gloi(int j) { return v[static_cast<std::size_t>(2 + j - 1)]; }
  double& glor(int j) { return v[static_cast<std::size_t>(2 + 25 + j - 1)]; }
};

class Load : public tna_test::StateTest {
 protected:
  void SetUp() override {
    plat::set_exit_throws(true);
    gar_deallocate_all();
    FLAGS = FlagsRecord{};
    SPRSIZ = SprsizRecord{};
    SPRSIZ(1) = 1;
    SPRSIZ(2) = 3;
    GLOR = GlorRecord{};
    GLOI = GloiRecord{};
    PRTINF = PrtinfRecord{};
    reset_message_counters();
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
  }
  void TearDown() override {
    acda_close();
    plat::io::close_all();
    plat::set_exit_throws(false);
    gar_deallocate_all();
    GLOR = GlorRecord{};
    GLOI = GloiRecord{};
  }

  void set_flags(const int (&words)[41]) {
    for (int i = 0; i < 41; ++i) FLAGS(i + 1) = words[i];
  }

  // Writes the file as the database of `model`, allocates from FLAGS and
  // loads. Returns the load status, or the exit status of a fatal end + 100.
  int load(const mdbw::Database& db, const std::string& model) { return load_harness::load_database(db, model); }

  std::string listing() { return tna_test::close_listing(dir_); }

  // The box SETERX prints for a fatal message as the first numbered message.
  std::string fatal_box(const std::string& message, int code, const std::string& routine) {
    return tna_test::seterx_box_alone(message, 4, code, routine);
  }

  static bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
  }

  // Entries (neighbour, conductor) of sub-list k (1 GL, 2 GR, 3 GF) of thermal node n, compact form.
  static std::set<std::pair<int, int>> entries(int n, int k) {
    std::set<std::pair<int, int>> out;
    const int start = gar_pcsptrsthermal(2 * k - 1, n), count = gar_pcsptrsthermal(2 * k, n);
    for (int e = 0; e < count; ++e) out.insert({gar_pcsthermal(start + 2 * e), gar_pcsthermal(start + 2 * e + 1)});
    return out;
  }

  tna_test::ScratchDir dir_{"load"};
};

// ---------------------------------------------------------------------------
// The example model
// ---------------------------------------------------------------------------

struct Example {
  mdbw::Database db;
  std::vector<std::pair<int, int>> gl_pairs, gr_pairs;
  std::vector<double> temps, gl, gr;
  std::vector<std::string> statuses;
};

Example example_database(const ControlValues& cc) {
  Example ex;
  ex.db.name = "EXAMPLE1 THERMAL";
  auto& m = ex.db.add_model("EXAMPLE1 THERMAL", 0);
  std::vector<std::int32_t> nums;
  std::vector<std::string> labels;
  for (int i = 1; i <= 130; ++i) {
    nums.push_back(100 + i);  // node numbers 101..230, ascending
    ex.temps.push_back(20.0 + 0.5 * i);
    ex.statuses.push_back(i % 10 == 0 ? "B" : "D");
    labels.push_back("NODE " + std::to_string(i));
  }
  m.ints(1, nums).reals(2, ex.temps);
  for (int k : {3, 4, 5, 6, 7, 8, 9, 10, 11, 72, 73, 74, 96, 97, 98}) m.reals(k, std::vector<double>(130, 0.01 * k));
  m.texts(12, 24, labels).texts(13, 1, ex.statuses);
  // GL: every neighbour pair (i, i+1) and 27 pairs (i, i+2), sorted by first node.
  for (int i = 1; i <= 129; ++i) {
    ex.gl_pairs.push_back({i, i + 1});
    if (i <= 27) ex.gl_pairs.push_back({i, i + 2});
  }
  std::sort(ex.gl_pairs.begin(), ex.gl_pairs.end());
  // GR: the first 1401 node pairs (i < j) in order.
  for (int i = 1; i <= 130 && ex.gr_pairs.size() < 1401; ++i) {
    for (int j = i + 1; j <= 130 && ex.gr_pairs.size() < 1401; ++j) ex.gr_pairs.push_back({i, j});
  }
  std::vector<std::int32_t> glp, grp;
  for (std::size_t c = 0; c < ex.gl_pairs.size(); ++c) {
    ex.gl.push_back(1.0 + 0.125 * static_cast<double>(c));
    glp.push_back(100 + ex.gl_pairs[c].first);
    glp.push_back(100 + ex.gl_pairs[c].second);
  }
  for (std::size_t c = 0; c < ex.gr_pairs.size(); ++c) {
    ex.gr.push_back(1e-3 * static_cast<double>(c + 1));
    grp.push_back(100 + ex.gr_pairs[c].first);
    grp.push_back(100 + ex.gr_pairs[c].second);
  }
  m.reals(14, ex.gl).reals(15, ex.gr);
  m.texts(18, 1, std::vector<std::string>(ex.gl.size(), "A"))
      .texts(19, 1, std::vector<std::string>(ex.gr.size(), "A"));
  m.texts(47, 18, {"SIGMA"}).reals(48, {5.67e-8});
  m.control_constants(cc.v);
  m.ints(69, glp).ints(70, grp);
  return ex;
}

TEST_F(Load, ExampleModelFillsTheModel) {
  set_flags(kExampleFlags);
  ControlValues cc;
  cc.local(1) = 130;
  cc.local(2) = 130;
  cc.gloi(4) = undefined_real();  // NLOOP undefined
  cc.gloi(6) = 55;                // LENGTH
  cc.gloi(3) = 3.9;               // NCSGMN
  cc.gloi(18) = -3.9;             // PYRO
  cc.gloi(15) = 132;              // WIDTH
  for (int j = 1; j <= 49; ++j) cc.glor(j) = 0.25 * j;
  cc.glor(4) = undefined_real();  // DTIMEU undefined
  const Example ex = example_database(cc);
  ASSERT_EQ(load(ex.db, "EXAMPLE1"), 0) << listing();

  for (int i = 1; i <= 130; ++i) {
    ASSERT_EQ(gar_thermalnodenums(i), 100 + i);
    ASSERT_EQ(gar_thermalnodetemps(i), ex.temps[static_cast<std::size_t>(i - 1)]);
    ASSERT_EQ(gar_thermalnodestatuses(i), ex.statuses[static_cast<std::size_t>(i - 1)]);
    ASSERT_EQ(gar_thermalnodestatusescopy(i), ex.statuses[static_cast<std::size_t>(i - 1)]);
    ASSERT_EQ(gar_thermalnodeemissivities(i), 0.11);
  }
  EXPECT_EQ(gar_thermalnodelabels(7), "NODE 7");
  for (int c = 1; c <= 156; ++c) ASSERT_EQ(gar_linearconds(c), ex.gl[static_cast<std::size_t>(c - 1)]);
  for (int c = 1; c <= 1401; ++c) ASSERT_EQ(gar_radiativeconds(c), ex.gr[static_cast<std::size_t>(c - 1)]);
  EXPECT_EQ(gar_radiativecondacts(1401), "A");
  EXPECT_EQ(md_thermalnodebase(2), 130);
  EXPECT_EQ(md_linearcondbase(2), 156);
  EXPECT_EQ(md_radiativecondbase(2), 1401);
  EXPECT_EQ(gar_userconstnames(1), "SIGMA");
  EXPECT_EQ(gar_userconstvaluesreal(1), 5.67e-8);

  // Control constants: integers truncated towards zero, the undefined marker kept.
  EXPECT_EQ(LOCI(1, 1), 130);
  EXPECT_EQ(GLOI.NLOOP, kUndefined);
  EXPECT_EQ(GLOI.LENGTH, 55);
  EXPECT_EQ(GLOI.NCSGMN, 3);
  EXPECT_EQ(GLOI.PYRO, -3);
  EXPECT_EQ(GLOI.WIDTH, 132);
  EXPECT_TRUE(SLUNDF(GLOR.DTIMEU));
  EXPECT_EQ(GLOR.CSGMIN, 0.25);
  EXPECT_EQ(GLOR.INBNDM, 0.25 * 49);
  EXPECT_EQ(GLOC.PARNAM, "ORIGINAL");  // character defaults

  // Run identity and print state.
  EXPECT_EQ(JOBINF.jobname, "EXAMPLE1 THERMAL");
  EXPECT_EQ(PRTINF(1), 55);
  EXPECT_EQ(gar_modelnames(1), "EXAMPLE1 THERMAL");
  EXPECT_EQ(gar_modelstatuses(1), "A");
  EXPECT_EQ(gar_controlconstnames(1).trimmed().empty(), false);

  // The empty node-copy list stands at the end of the linked list.
  EXPECT_EQ(FLAGS(25), 2);
  EXPECT_EQ(gar_pcsthermalold(7029), 2);
  EXPECT_EQ(gar_pcsthermalold(7030), 0);
  // Connection lists: node 2's GL neighbours are 1, 3, 4 (conductor indices of those pairs).
  auto gl_index = [&](int a, int b) {
    const auto it = std::find(ex.gl_pairs.begin(), ex.gl_pairs.end(), std::make_pair(a, b));
    return static_cast<int>(it - ex.gl_pairs.begin()) + 1;
  };
  EXPECT_EQ(entries(2, 1),
            (std::set<std::pair<int, int>>{{1, gl_index(1, 2)}, {3, gl_index(2, 3)}, {4, gl_index(2, 4)}}));
  // GR: rows 1..11 of node pairs whole (1364), then (12, 13..49).
  EXPECT_EQ(entries(1, 2).size(), 129u);
  EXPECT_EQ(entries(12, 2).size(), 11u + 37u);
  EXPECT_EQ(entries(130, 2).size(), 11u);
  // The file is closed once loaded.
  EXPECT_FALSE(plat::io::is_open(10));
}

TEST_F(Load, NoDatabaseFileIsStatusOneWithoutADiagnostic) {
  set_flags(kExampleFlags);
  JOBINF.jobname = "NOSUCH";
  load_harness::allocate();
  int status = -1;
  SCOMLD(10, status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(listing(), "");
}

// ---------------------------------------------------------------------------
// Two models: inter-model link, skip block, user constants, tied nodes
// ---------------------------------------------------------------------------

TEST_F(Load, TwoModelsWithALinkAndASkipBlock) {
  load_harness::set_flags();
  mdbw::Database db = load_harness::good_database();
  ASSERT_EQ(load(db, load_harness::kModel), 0) << listing();

  EXPECT_EQ(md_level(2), 1);
  EXPECT_EQ(md_subtreesize(1), 2);
  EXPECT_EQ(gar_modelnames(2), "SUB");
  EXPECT_EQ(md_thermalnodebase(2), 3);
  EXPECT_EQ(md_thermalnodebase(3), 5);
  EXPECT_EQ(gar_thermalnodenums(5), 20);
  EXPECT_EQ(gar_thermalnodetemps(4), 2.0);
  // GL: model 1 own (1), the link (2), model 2 own (3).
  EXPECT_EQ(md_linearcondbase(2), 2);
  EXPECT_EQ(md_linearcondbase(3), 3);
  EXPECT_EQ(gar_linearconds(2), 7.5);
  EXPECT_EQ(gar_linearconds(3), 0.5);
  EXPECT_EQ(gar_linearcondacts(2), "A");
  // The link between node 3 of the main model (global 3) and node 20 of SUB (global 5).
  EXPECT_EQ(entries(3, 1), (std::set<std::pair<int, int>>{{5, 2}}));
  EXPECT_EQ(entries(5, 1), (std::set<std::pair<int, int>>{{4, 3}, {3, 2}}));
  EXPECT_EQ(entries(1, 1), (std::set<std::pair<int, int>>{{2, 1}}));
  EXPECT_EQ(entries(2, 2), (std::set<std::pair<int, int>>{{3, 1}}));

  // User constants: the names stand real, integer, character whatever the file order.
  EXPECT_EQ(gar_userconstnames(1), "R1");
  EXPECT_EQ(gar_userconstnames(2), "I1");
  EXPECT_EQ(gar_userconstnames(3), "I2");
  EXPECT_EQ(gar_userconstnames(4), "C1");
  EXPECT_EQ(md_intnamebase(1), 1);
  EXPECT_EQ(md_charnamebase(1), 3);
  EXPECT_EQ(gar_userconstvaluesint(2), 5);
  EXPECT_EQ(gar_arraynames(1), "ARR");
  EXPECT_EQ(gar_arrayvaluesreal(3), 3.0);
  EXPECT_EQ(md_arraybase(2), 1);
  EXPECT_EQ(LOCI(1, 2), 3);
  EXPECT_EQ(PRTINF(1), 60);
}

TEST_F(Load, ConductorEndNumberedWithTheLowestIntegerIsLeftOut) {
  // A node number of -2147483648 has no magnitude to look up: the conductor
  // names no node of the model and is left out of the lists, as any other
  // unknown number (and without an overflow on the way).
  load_harness::set_flags();
  mdbw::Database db = load_harness::good_database();
  db.models[0].ints(69, {1, std::numeric_limits<std::int32_t>::min()});
  ASSERT_EQ(load(db, load_harness::kModel), 0) << listing();
  EXPECT_EQ(entries(1, 1), (std::set<std::pair<int, int>>{}));
  EXPECT_EQ(entries(2, 1), (std::set<std::pair<int, int>>{}));
  EXPECT_EQ(entries(3, 1), (std::set<std::pair<int, int>>{{5, 2}}));
}

TEST_F(Load, ArrayValuesOfTheAnalysisCaseFileFollowTheDatabaseValues) {
  load_harness::set_flags();
  FLAGS(20) = 3 + 2;  // the run driver adds the file's real array values
  hid_t f = H5Fcreate("FUZZMOD.acd", H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT);
  acd_fixture::write_arrays(f, {acd_fixture::record("ARR", 2, 2, 0, 0, 0, 0)}, {40.0, 50.0}, 0);
  H5Fclose(f);
  ASSERT_EQ(load(load_harness::good_database(), load_harness::kModel), 0) << listing();
  // Three values of the database, then the file's two.
  EXPECT_EQ(gar_arrayvaluesreal(3), 3.0);
  EXPECT_EQ(gar_arrayvaluesreal(4), 40.0);
  EXPECT_EQ(gar_arrayvaluesreal(5), 50.0);
  // ARR's descriptor (type at pointer 1) now gives the file's size and first position.
  EXPECT_EQ(gar_arrayinfolist(1), 2);
  EXPECT_EQ(gar_arrayinfolist(2), 2);
  EXPECT_EQ(gar_arrayinfolist(3), 4);
  EXPECT_EQ(listing().find("Cannot open ACD file"), std::string::npos);
}

TEST_F(Load, ArraysOfASubmodelAreFoundAtTheirOwnValues) {
  // Both models hold a real 2 x N array; the submodel's descriptor and
  // values come after the main model's, and its first value position must
  // be rebased so that interpolation reads the submodel's own points.
  load_harness::set_flags();
  FLAGS(18) = 8 + 8;  // descriptor list
  FLAGS(19) = 2;      // arrays
  FLAGS(20) = 4 + 6;  // real values
  mdbw::Database db = load_harness::good_database();
  db.models[0].ints(55, {2, 4, 1, 2, 2, 2, 0, 0}).reals(60, {0.0, 100.0, 1.0, 200.0});
  db.models[1].texts(52, 18, {"SARR"}).ints(55, {2, 6, 1, 2, 2, 3, 0, 0}).ints(56, {1});
  db.models[1].reals(60, {0.0, 10.0, 1.0, 20.0, 2.0, 40.0});
  ASSERT_EQ(load(db, load_harness::kModel), 0) << listing();
  EXPECT_EQ(md_arraybase(2), 1);
  EXPECT_EQ(gar_arrayinfopointers(2), 9);  // own pointer 1 after the main model's 8 words
  EXPECT_EQ(gar_arrayinfolist(10), 6);     // the count stays
  EXPECT_EQ(gar_arrayinfolist(11), 5);     // first value after the main model's 4
  EXPECT_EQ(INTRP1(0.5, 1, 1), 150.0);
  EXPECT_EQ(INTRP1(1.5, 2, 1), 30.0);
}

TEST_F(Load, TiedNodesBecomeTheNodeCopyList) {
  load_harness::set_flags();
  FLAGS(25) = 10;  // the generated program's bound
  mdbw::Database db = load_harness::good_database();
  // Node 1 of the main model is the source, node 2 and node 10 of SUB copy it.
  db.models[0].same_node_list({{{1, 1}, {{1, 2}, {2, 10}}}});
  ASSERT_EQ(load(db, load_harness::kModel), 0) << listing();
  // W = 2 header pairs + source + count + 2 targets = 12 integers: 6 words.
  EXPECT_EQ(FLAGS(25), 6);
  const int l = 200;
  EXPECT_EQ(gar_pcsthermalold(l - 5), 6);
  EXPECT_EQ(gar_pcsthermalold(l - 4), 1);
  EXPECT_EQ(gar_pcsthermalold(l - 3), 1);
  EXPECT_EQ(gar_pcsthermalold(l - 2), 2);
  EXPECT_EQ(std::set<int>({gar_pcsthermalold(l - 1), gar_pcsthermalold(l)}), (std::set<int>{2, 4}));
  EXPECT_EQ(gar_thermalnodestatuses(2), "C");
  EXPECT_EQ(gar_thermalnodestatuses(4), "C");
  EXPECT_EQ(gar_thermalnodestatusescopy(4), "C");
  EXPECT_EQ(gar_pcsptrsthermal(2, 2), 0);
}

TEST_F(Load, FluidNodesAndAMassFlowLinkLoad) {
  // Two thermal nodes 1, 2; two fluid nodes 101, 102 joined by one mass-flow
  // link; GL 1 joins the thermal nodes, GL 2 thermal node 2 and fluid node 101.
  const int flags[41] = {2, 2, 0,   0, 0, 0,   0,    0, 0, 0, 2, 0, 49, 25,  16, 0, 92, 0, 0, 0, 0,
                         0, 0, 100, 2, 1, 133, 3000, 1, 0, 0, 2, 1, 0,  100, 1,  0, 0,  0, 0, 0};
  set_flags(flags);
  mdbw::Database db;
  db.name = "FLUIDMOD";
  auto& m = db.add_model("FLUIDMOD", 0);
  m.ints(1, {1, 2});
  for (int k : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 72, 73, 74, 96, 97, 98}) m.reals(k, {1.0, 2.0});
  m.texts(12, 24, {"T1", "T2"}).texts(13, 1, {"D", "D"});
  m.reals(14, {2.0, 3.0}).texts(18, 1, {"A", "A"});
  m.id_card({1, 0, 0});
  ControlValues cc;
  m.control_constants(cc.v);
  m.ints(69, {1, 2, 2, 101});
  m.ints(201, {101, 102});
  for (int k = 202; k <= 215; ++k) m.reals(k, {k + 0.25, k + 0.5});
  m.texts(216, 24, {"WATER", "WATER"}).texts(217, 24, {"F1", "F2"}).texts(218, 1, {"D", "D"});
  m.ints(219, {101, 102}).reals(220, {0.2}).reals(222, {0.7}).texts(223, 1, {"A"});
  for (int k : {231, 233, 234, 235, 236, 237, 238}) m.reals(k, {k + 0.125, k + 0.375});
  m.texts(232, 4, {"SP", "SP"}).texts(239, 4, {"PH", "PT"});
  ASSERT_EQ(load(db, "FLUIDMOD"), 0) << listing();

  EXPECT_EQ(gar_fluidnodenums(2), 102);
  EXPECT_EQ(gar_fluidnodepressures(1), 205.25);
  EXPECT_EQ(gar_fluidnodecoordsz(2), 215.5);
  EXPECT_EQ(gar_fluidnodefluidtypes(1), "WATER");
  EXPECT_EQ(gar_fluidnodestatedescriptors(2), "PT");
  EXPECT_EQ(gar_fluidnodevolumechangerates(2), 238.375);
  EXPECT_EQ(gar_massflowlinkflowrates(1), 0.2);
  EXPECT_EQ(gar_massflowlinkfittinglosses(1), 0.7);
  EXPECT_EQ(md_fluidnodebase(2), 2);
  EXPECT_EQ(md_massflowlinkbase(2), 1);
  // Run-time fluid state set by the load.
  EXPECT_EQ(gar_fluidnodevolumecontrolflags(2), "A");
  EXPECT_EQ(gar_massflowlinktypes(1), 1);
  EXPECT_EQ(gar_fluidnodemodelnums(1), 1);
  EXPECT_EQ(gar_fluidnodemodelnums(2), 1);
  // The link's node pair holds fluid indices.
  EXPECT_EQ(gar_massflowlinkcondnodepairs(1), 1);
  EXPECT_EQ(gar_massflowlinkcondnodepairs(2), 2);
  // Thermal node 2 lists thermal node 1 and fluid node 101 (written NT + 1).
  EXPECT_EQ(entries(2, 1), (std::set<std::pair<int, int>>{{1, 1}, {3, 2}}));
  // Fluid node 1: the link to fluid node 2 (sub-list 1), GL 2 to thermal node 2 (sub-list 2).
  std::set<std::vector<int>> got;
  int kind = 0, pos = 0, cond = 0, neighbour = 0;
  for (int guard = 0; guard < 20; ++guard) {
    SFUNPK(1, 0, 0, 0, 1, gar_thermalnodestatuses.view(), gar_pcsfluid.view(), gar_pcsptrsfluid.view(), kind, pos,
           cond, neighbour);
    if (neighbour == 0) break;
    got.insert({kind, neighbour, cond});
  }
  EXPECT_EQ(got, (std::set<std::vector<int>>{{1, 2, 1}, {2, 2, 2}}));
}

// A main model with fluid nodes 101, 102 and one link; submodel SUB with
// fluid node 5 and a mass-flow link from node 102 of the main model to it.
mdbw::Database fluid_link_database(int far_model, int far_node) {
  mdbw::Database db;
  db.name = "MFLINK";
  auto& m = db.add_model("MFLINK", 0);
  m.ints(1, {1, 2});
  for (int k : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 72, 73, 74, 96, 97, 98}) m.reals(k, {1.0, 2.0});
  m.texts(12, 24, {"T1", "T2"}).texts(13, 1, {"D", "D"});
  m.id_card({0, 0, 0});
  m.control_constants(ControlValues().v);
  m.ints(201, {101, 102});
  for (int k = 202; k <= 215; ++k) m.reals(k, {1.0, 2.0});
  m.texts(216, 24, {"WATER", "WATER"}).texts(217, 24, {"F1", "F2"}).texts(218, 1, {"D", "D"});
  m.ints(219, {101, 102}).reals(220, {0.2});
  m.ints(224, {0, 102, far_model, far_node}).reals(225, {0.3}).texts(228, 1, {"A"});
  for (int k : {231, 233, 234, 235, 236, 237, 238}) m.reals(k, {0.5, 0.5});
  m.texts(232, 4, {"SP", "SP"}).texts(239, 4, {"PH", "PH"});
  auto& b = db.add_model("SUB", 1);
  b.id_card({0, 0, 0});
  b.control_constants({1.0, 1.0});
  b.ints(201, {5});
  for (int k = 202; k <= 215; ++k) b.reals(k, {9.0});
  b.texts(216, 24, {"WATER"}).texts(217, 24, {"S5"}).texts(218, 1, {"D"});
  for (int k : {231, 233, 234, 235, 236, 237, 238}) b.reals(k, {0.5});
  b.texts(232, 4, {"SP"}).texts(239, 4, {"PH"});
  return db;
}

const int kFluidLinkFlags[41] = {2, 0, 0,   0, 0, 0,   0,    0, 0, 0, 2, 0, 49, 25,  16, 0, 92, 0, 0, 0, 0,
                                 0, 0, 100, 2, 2, 133, 3000, 1, 0, 0, 3, 2, 0,  100, 1,  0, 0,  0, 0, 0};

TEST_F(Load, InterModelMassFlowLinkJoinsBothFluidLists) {
  set_flags(kFluidLinkFlags);
  ASSERT_EQ(load(fluid_link_database(1, 5), "MFLINK"), 0) << listing();
  // The link follows the main model's own link: index 2, ends fluid 2 and 3.
  EXPECT_EQ(md_massflowlinkbase(2), 2);
  EXPECT_EQ(gar_massflowlinkflowrates(2), 0.3);
  EXPECT_EQ(gar_massflowlinkstatuses(2), "A");
  EXPECT_EQ(gar_massflowlinkcondnodepairs(3), 2);
  EXPECT_EQ(gar_massflowlinkcondnodepairs(4), 3);
  EXPECT_EQ(gar_fluidnodemodelnums(3), 2);
  auto links_of = [](int node) {
    std::set<std::pair<int, int>> out;
    int kind = 0, pos = 0, cond = 0, neighbour = 0;
    for (int guard = 0; guard < 20; ++guard) {
      SFUNPK(1, 0, 0, 0, node, gar_thermalnodestatuses.view(), gar_pcsfluid.view(), gar_pcsptrsfluid.view(), kind,
             pos, cond, neighbour);
      if (neighbour == 0) break;
      if (kind == 1) out.insert({neighbour, cond});
    }
    return out;
  };
  EXPECT_EQ(links_of(2), (std::set<std::pair<int, int>>{{1, 1}, {3, 2}}));
  EXPECT_EQ(links_of(3), (std::set<std::pair<int, int>>{{2, 2}}));
}

TEST_F(Load, MassFlowLinkToANodeThatIsNotThere) {
  // A link between models to node 6 of SUB, and the main model's own link
  // to node 107: a box names the link and the node, then the load's own box
  // ends the run.
  const std::string main24 = "MFLINK" + std::string(18, ' ');
  struct Case {
    bool own;
    const char* model;
    const char* which;  // the part of the Info row before the line break
    std::string failed;
  };
  const Case cases[] = {
      {false, "SUB", "A link between models: node 6 is no fluid", "SUB" + std::string(21, ' ') + "(  2)"},
      {true, "MFLINK", "Link 1 of the model, its second end: node", main24 + "(  1)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.model);
    SetUp();
    set_flags(kFluidLinkFlags);
    mdbw::Database db = fluid_link_database(1, c.own ? 5 : 6);
    if (c.own) db.models[0].ints(219, {101, 107});
    EXPECT_EQ(load(db, "MFLINK"), 101);
    std::string want =
        fatal_box("Error in reading model " + c.failed + "@Failed updating F nodes  Zerror =  1", 5, "LOADB ");
    want.replace(want.find("MESSAGE    1"), 12, "MESSAGE    2");
    const std::string got = dir_.read("listing.txt");
    EXPECT_TRUE(ends_with(got, want)) << got;
    EXPECT_NE(got.find("Mass-flow link names a node its model does"), std::string::npos) << got;
    EXPECT_NE(got.find(std::string("Loading the fluid links of model ") + c.model), std::string::npos) << got;
    EXPECT_NE(got.find(c.which), std::string::npos) << got;
    EXPECT_NE(got.find("(LOADUP,   1)"), std::string::npos) << got;
    TearDown();
  }
}

TEST_F(Load, BrokenFluidSectionsNameTheirLoader) {
  const std::string main24 = "MFLINK" + std::string(18, ' ');
  struct Case {
    const char* what;
    void (*change)(mdbw::Model&);
    const char* context;
  };
  // clang-format off
  const Case cases[] = {
      {"pressures one short", [](mdbw::Model& m) { m.reals(205, {1.0}); }, "FLUID NODE PROPS"},
      {"flow rates of two links for one pair", [](mdbw::Model& m) { m.reals(220, {0.2, 0.3}); },
       "FLUID CONDUCTORS"},
      {"inter-model link records beyond 5 NL + 1 integers",
       [](mdbw::Model& m) { m.ints(224, {0, 102, 1, 5, 0, 102, 1, 5, 0, 102, 1, 5}); }, "FLUID INTER-MODEL LINKS"},
      {"flow areas one short", [](mdbw::Model& m) { m.reals(233, {0.5}); }, "NEW FLUID NODE ENTITIES"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SetUp();
    set_flags(kFluidLinkFlags);
    mdbw::Database db = fluid_link_database(1, 5);
    c.change(db.models[0]);
    EXPECT_EQ(load(db, "MFLINK"), 101) << c.what;
    const std::string want =
        fatal_box("Error in reading model " + main24 + "(  1)@" + c.context + "  Zerror =  1", 5, "LOADB ");
    const std::string got = dir_.read("listing.txt");
    EXPECT_TRUE(ends_with(got, want)) << c.what << "\n" << got;
    TearDown();
  }
}

// Node aliases and GV conductors of the main model (its GR list then ends
// with the full matrix of its nodes): the aliases at the model's base, the
// GV node numbers turned into global node indices.
TEST_F(Load, NodeAliasesAndGvNodePairs) {
  const std::string name24 = std::string(load_harness::kModel) + std::string(24 - 7, ' ');
  for (int variant = 0; variant < 3; ++variant) {
    SetUp();
    load_harness::set_flags();
    FLAGS(4) = 1 + 3;  // GR: the listed one, then the full matrix of the three nodes
    FLAGS(5) = 1;      // one GV conductor
    FLAGS(40) = 2;     // two aliases
    mdbw::Database db = load_harness::good_database();
    auto& m = db.models[0];
    m.reals(15, {0.25, 0.5, 0.5, 0.5}).texts(19, 1, {"A", "A", "A", "A"}).ints(70, {2, 3, 1, 2, 1, 3, 2, 3});
    m.reals(17, {0.75}).texts(21, 1, {"A"}).ints(34, {3, 1});
    m.texts(107, 18, {"TOP", "BOTTOM"}).ints(108, {2, 3});
    if (variant == 1) m.lists.erase(34);
    if (variant == 2) m.ints(108, {2});
    const int result = load(db, load_harness::kModel);
    const std::string got = dir_.read("listing.txt");
    if (variant == 0) {
      ASSERT_EQ(result, 0) << got;
      EXPECT_EQ(gar_vfacconds(1), 0.75);
      EXPECT_EQ(gar_vfaccondnodepairs(1), 3);
      EXPECT_EQ(gar_vfaccondnodepairs(2), 1);
      EXPECT_EQ(md_vfaccondbase(2), 1);
      EXPECT_EQ(gar_nodealiasnames(2), "BOTTOM");
      EXPECT_EQ(gar_nodealiasnumbers(2), 3);
      EXPECT_EQ(md_nodealiasbase(2), 2);
      EXPECT_EQ(md_nodealiasbase(3), 2);
    } else {
      EXPECT_EQ(result, 101) << variant;
      const std::string context = variant == 1 ? "GV NODE PAIRS" : "NODE ALIASES";
      const std::string want =
          fatal_box("Error in reading model " + name24 + "(  1)@" + context + "  Zerror =  1", 5, "LOADB ");
      EXPECT_TRUE(ends_with(got, want)) << variant << "\n" << got;
    }
    TearDown();
  }
}

// ---------------------------------------------------------------------------
// Fatal ends
// ---------------------------------------------------------------------------

TEST_F(Load, BrokenFilesEndWithTheirExactBox) {
  const std::string name24 = std::string(load_harness::kModel) + std::string(24 - 7, ' ');
  struct Case {
    const char* what;
    void (*change)(mdbw::Database&);
    std::string message;
    int code;
    const char* routine;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"version 19", [](mdbw::Database& db) { db.version = 19; },
       "Different NORVEK version for MDB file and solution@Repreprocess input file to produce consistent  MDB file",
       3, "SCOMLD"},
      {"version 21", [](mdbw::Database& db) { db.version = 21; },
       "Different Norvek version for MDB file and solution@Repreprocess input file to produce consistent MDB file",
       4, "LOADB "},
      {"stored name differs", [](mdbw::Database& db) { db.name = "FUZZMOX"; },
       "Model name stored in MDB file is incorrect@Generated fortran has model name " + name24 +
           ", whereas MDB file model name is FUZZMOX" + std::string(17, ' '),
       2, "LOADB "},
      {"one submodel too few", [](mdbw::Database& db) { db.models_field = 1; },
       "Different number of submodels in MDB file and fortran", 3, "LOADB "},
      {"missing marker", [](mdbw::Database& db) { db.models[0].marker = {{0, 0, 0, 0}}; },
       "Error in reading model " + name24 + "(  1)@MARKER BLOCK  Zerror =  5", 5, "LOADB "},
      {"marker replaced by another record",
       [](mdbw::Database& db) { db.models[1].marker = {{7, 0, 0, 0}}; },
       "Error in reading model SUB" + std::string(21, ' ') + "(  2)@MARKER BLOCK  Zerror =  7", 5, "LOADB "},
      {"control constants one short (no longer ignored)",
       [](mdbw::Database& db) {
         auto v = load_harness::control_constants(true);
         v.pop_back();
         db.models[0].control_constants(v);
       },
       "Error in reading model " + name24 + "(  1)@CONTROL CONSTANTS  Zerror =  1", 5, "LOADB "},
      {"submodel control constants without its locals",
       [](mdbw::Database& db) { db.models[1].control_constants({3.0}); },
       "Error in reading model SUB" + std::string(21, ' ') + "(  2)@CONTROL CONSTANTS  Zerror =  1", 5, "LOADB "},
      {"temperatures shorter than the node list",
       [](mdbw::Database& db) { db.models[1].reals(2, {1.0}); },
       "Error in reading model SUB" + std::string(21, ' ') + "(  2)@NODAL PROPERTIES  Zerror =  1", 5, "LOADB "},
      {"GL values beyond the generated count",
       [](mdbw::Database& db) { db.models[0].reals(14, {1, 2, 3, 4}); },
       "Error in reading model " + name24 + "(  1)@SIMPLE CONDUCTORS  Zerror =  2", 5, "LOADB "},
      {"inter-model values without node pairs", [](mdbw::Database& db) { db.models[0].lists.erase(30); },
       "Error in reading model " + name24 + "(  1)@INTER-MODEL NODE PAIRS  Zerror =  1", 5, "LOADB "},
      {"a list missing: the next key does not match", [](mdbw::Database& db) { db.models[0].list(46).fault.key = 47; },
       "Error in reading model " + name24 + "(  1)@USER CONSTANTS  Zerror =  1", 5, "LOADB "},
      {"no ID card", [](mdbw::Database& db) { db.models[1].list(66).in_directory = false; },
       "Error in reading model SUB" + std::string(21, ' ') + "(  2)@ID CARD INFO  Zerror =  1", 5, "LOADB "},
      {"same-node list longer than it holds", [](mdbw::Database& db) { db.models[0].ints(35, {40, 0, 0, 0}); },
       "Error in reading model " + name24 + "(  1)@SKIP LIST 35  Zerror =  1", 5, "LOADB "},
      {"same-node list beyond the generated program's bound (12 integers, room for 8)",
       [](mdbw::Database& db) { db.models[0].same_node_list({{{1, 1}, {{1, 2}, {2, 10}}}}); },
       "Error in reading model " + name24 + "(  1)@SKIP LIST 35  Zerror =  2", 5, "LOADB "},
      {"list directory of another model", [](mdbw::Database& db) { db.models[1].directory_fault.key = 1; },
       "Error in reading model SUB" + std::string(21, ' ') + "(  2)@MODEL DIRECTORY  Zerror =  1", 5, "LOADB "},
      {"GL activities without GL values", [](mdbw::Database& db) { db.models[1].lists.erase(14); },
       "Error in reading model SUB" + std::string(21, ' ') + "(  2)@SIMPLE CONDUCTORS  Zerror =  1", 5, "LOADB "},
      {"inter-model GL activities for two links of one",
       [](mdbw::Database& db) { db.models[0].texts(26, 1, {"A", "A"}); },
       "Error in reading model " + name24 + "(  1)@INTER-MODEL COND FLAGS  Zerror =  1", 5, "LOADB "},
      {"empty character pool with a character constant",
       [](mdbw::Database& db) { db.models[0].texts(51, 133, {}); },
       "Error in reading model " + name24 + "(  1)@USER CONSTANTS  Zerror =  1", 5, "LOADB "},
      {"integer constant names without their values", [](mdbw::Database& db) { db.models[0].lists.erase(46); },
       "Error in reading model " + name24 + "(  1)@USER CONSTANTS  Zerror =  1", 5, "LOADB "},
      {"array names without an info list", [](mdbw::Database& db) { db.models[0].lists.erase(55); },
       "Error in reading model " + name24 + "(  1)@ARRAYS  Zerror =  2", 5, "LOADB "},
      {"array name without its pointer", [](mdbw::Database& db) { db.models[0].lists.erase(56); },
       "Error in reading model " + name24 + "(  1)@ARRAYS  Zerror =  2", 5, "LOADB "},
      {"ID card one item short", [](mdbw::Database& db) { db.models[0].list(66).ints.pop_back(); },
       "Error in reading model " + name24 + "(  1)@ID CARD INFO  Zerror =  1", 5, "LOADB "},
      {"incident planet flux one value short", [](mdbw::Database& db) { db.models[0].reals(73, {1.0, 2.0}); },
       "Error in reading model " + name24 + "(  1)@ENTITIES QAI, QEI AND QSI  Zerror =  1", 5, "LOADB "},
      {"y coordinates one value short", [](mdbw::Database& db) { db.models[1].reals(97, {1.0}); },
       "Error in reading model SUB" + std::string(21, ' ') + "(  2)@ENTITIES FX, FY & FZ  Zerror =  1", 5,
       "LOADB "},
  };
  // clang-format on
  for (const Case& c : cases) {
    SetUp();
    load_harness::set_flags();
    mdbw::Database db = load_harness::good_database();
    c.change(db);
    EXPECT_EQ(load(db, load_harness::kModel), 101) << c.what;
    const std::string got = dir_.read("listing.txt");
    const std::string want = fatal_box(c.message, c.code, c.routine);
    EXPECT_TRUE(ends_with(got, want)) << c.what << "\n--- got:\n" << got << "--- want:\n" << want;
    TearDown();
  }
}

// Three models: two skip blocks (after models 1 and 2); a failure in the third
// model names that model and its number.
TEST_F(Load, ThirdModelLoadsAfterTwoSkipBlocksAndNamesItselfWhenItFails) {
  for (const bool broken : {false, true}) {
    SetUp();
    load_harness::set_flags();
    FLAGS(26) = 3;
    mdbw::Database db = load_harness::good_database();
    db.models[1].id_card({0, 0, 0}, {{1, 25}, {43, 26}});  // 3 + 5 records
    auto& c = db.add_model("THIRD", 1);
    c.id_card({0, 0, 0});
    if (broken) c.list(66).ints.pop_back();
    if (!broken) {
      ASSERT_EQ(load(db, load_harness::kModel), 0) << dir_.read("listing.txt");
      EXPECT_EQ(gar_modelnames(3), "THIRD");
      EXPECT_EQ(md_level(3), 1);
      EXPECT_EQ(md_subtreesize(1), 3);
      EXPECT_EQ(md_thermalnodebase(4), 5);
      EXPECT_EQ(gar_modelstatuses(3), "A");
      EXPECT_EQ(LOCI(1, 2), 3);
    } else {
      EXPECT_EQ(load(db, load_harness::kModel), 101);
      const std::string want = fatal_box(
          "Error in reading model THIRD" + std::string(19, ' ') + "(  3)@ID CARD INFO  Zerror =  1", 5, "LOADB ");
      const std::string got = dir_.read("listing.txt");
      EXPECT_TRUE(ends_with(got, want)) << got;
    }
    TearDown();
  }
}

TEST_F(Load, LinkAreasThatDoNotFitTheDynamicCore) {
  load_harness::set_flags();
  // DYSTOR 281 puts the limit of the link areas (header word 7) at word 14,
  // below the 12 + 5 words that one inter-model GL link needs.
  FLAGS(28) = 281;
  mdbw::Database db = load_harness::good_database();
  EXPECT_EQ(load(db, load_harness::kModel), 101);
  const std::string got = dir_.read("listing.txt");
  std::string msg =
      "Insufficient dynamic storage@Reading node pairs for inter-model links@Need at least 284 storage "
      "locations.<NL>Set DYSTOR on the $EXECUTION line of the main model:<NL>   $EXECUTION, DYSTOR = 10000@"
      "Initialising model before solution";
  msg.resize(350, ' ');
  const std::string want = fatal_box(msg, 1, "LOADI ");
  EXPECT_TRUE(ends_with(got, want)) << got << "--- want:\n" << want;
}

TEST_F(Load, TruncatedFilesEndWithTheFileInputBox) {
  load_harness::set_flags();
  const auto full = load_harness::good_database().bytes();
  // Cut inside the first record, the model tree, a section and the last marker.
  for (std::size_t cut : {std::size_t{40}, std::size_t{90}, full.size() / 2, full.size() - 3}) {
    SetUp();
    load_harness::set_flags();
    mdbw::Database db = load_harness::good_database();
    db.truncate_to = cut;
    EXPECT_EQ(load(db, load_harness::kModel), 101) << cut;
    if (cut == 90) {
      // The model tree is read by the load itself: its failure is the load's own message.
      const std::string name24 = std::string(load_harness::kModel) + std::string(24 - 7, ' ');
      const std::string got = dir_.read("listing.txt");
      const std::string want =
          fatal_box("Error in reading model " + name24 + "(  1)@Master/virtual directory  Zerror =  1", 5, "LOADB ");
      EXPECT_TRUE(ends_with(got, want)) << got;
    }
    TearDown();
  }
}

// ---------------------------------------------------------------------------
// Pieces
// ---------------------------------------------------------------------------

TEST(LoadPieces, IntegerFormOfControlConstants) {
  EXPECT_EQ(ldq_integer_form(3.9), 3);
  EXPECT_EQ(ldq_integer_form(-3.9), -3);
  EXPECT_EQ(ldq_integer_form(undefined_real()), kUndefined);
  EXPECT_EQ(ldq_integer_form(1e300), INT32_MIN);
  EXPECT_EQ(ldq_integer_form(2147483647.0), 2147483647);
}

TEST(LoadPieces, SkipBlockCountsAndFillCopy) {
  tna_test::ScratchDir dir("loadd");
  plat::set_exit_throws(true);
  // v = 25 skips 3 records, v = 26 skips 5, v = 0 none: 8 records, then the marker.
  std::vector<mdbw::Record> recs;
  for (int i = 0; i < 8; ++i) recs.push_back(mdbw::int_record({i}));
  recs.push_back(mdbw::int_record({-1, 0, 0, 0}));
  recs.push_back(mdbw::int_record({99}));
  mdbw::write_bytes("S.MDB", mdbw::frame(recs));
  ASSERT_EQ(plat::io::open_unit(10, "S.MDB", plat::io::Form::Unformatted, "OLD"), 0);
  std::vector<int> table(3 * 43, 0);
  table[2] = 25;
  table[3 * 5 + 2] = 26;
  table[3 * 6 + 0] = 999;  // only the third value of a column counts
  int status = -1;
  LOADD(plat::Vec1<const int>(table.data(), 3 * 43), 3, 43, 10, status);
  EXPECT_EQ(status, 0);
  std::vector<unsigned char> next;
  ASSERT_EQ(plat::io::read_record(10, next), 0);
  EXPECT_EQ(next.size(), 4u);
  plat::io::close_unit(10);
  plat::set_exit_throws(false);

  std::vector<plat::Text<3>> a(4), b(4);
  SETZZZ("A", 3, TextVec1(a.data()->data(), 4, 3), status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(a[2], "A");
  EXPECT_EQ(a[3], "");
  SETZZZ("A", 0, TextVec1(a.data()->data(), 4, 3), status);
  EXPECT_EQ(status, 1);
  SZCOPY(CTextVec1(a.data()->data(), 4, 3), 2, status, TextVec1(b.data()->data(), 4, 3));
  EXPECT_EQ(b[1], "A");
  EXPECT_EQ(b[2], "");
}

// Every committed corpus file loads (ok_*) or ends with exit status 1, and
// never crashes. The seeds written by the fuzz target's generator are there.
TEST(LoadCorpus, ReplaysWithoutCrashing) {
  tna_test::ScratchDir dir("loadcorpus");
  const std::filesystem::path corpus = tna_test::data_path("load_corpus");
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(corpus)) {
    std::ifstream f(e.path(), std::ios::binary);
    const std::vector<unsigned char> in((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    const int result = load_harness::load_bytes(in);
    const std::string name = e.path().filename().string();
    if (name.rfind("ok_", 0) == 0) {
      EXPECT_EQ(result, 0) << name;
    } else {
      EXPECT_EQ(result, 1) << name;
    }
    ++files;
  }
  plat::set_exit_throws(false);
  gar_deallocate_all();
  EXPECT_GT(files, 10);
}

}  // namespace
