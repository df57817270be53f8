// Analysis-case solution manager: static loads reach the right heat-source
// array of the right node of the right submodel; time-dependent loads and
// conductors follow TIMEM over periods, orbital arcs and wavebands; the
// slices are reread only when the time index moves; broken files end with
// the system's own diagnostic.
#include <gtest/gtest.h>
#include <hdf5.h>
#include <hdf5_hl.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "casedata/acd_solution.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "modeldata/submodel_refs.h"
#include "output/tmd_file.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/listing.h"
#include "support/small_model.h"
#include "support/state_test.h"
#include "support/test_env.h"
#include "tools/acd_writer.h"
#include "tools/fuzz/load_harness.h"

namespace {

// The model: MAIN (1) with SUB1 (2) and SUB2 (3) below it.
//
//   model  thermal indices : user numbers    GR conductors (global : nodes)
//   MAIN   1..4            : 1, 2, 3, 4      1 : 1-2, 2 : 2-3, 3 : 1-5 (MAIN 1 to SUB1 10)
//   SUB1   5..7            : 10, 20, 30      4 : 5-6, 5 : 6-7
//   SUB2   8..9            : 10, 40          6 : 8-9
//
// SUB1 also holds fluid node 99 (fluid index 1).
constexpr int kNT = 9, kNF = 1, kNM = 3, kNGR = 6;
constexpr int kPairs[kNGR][2] = {{1, 2}, {2, 3}, {1, 5}, {5, 6}, {6, 7}, {8, 9}};
constexpr double kSentinel = -7.0;

void build_model() {
  gar_deallocate_all();
  ndssmd_reset_for_tests();
  FLAGS = FlagsRecord{};
  FLAGS(1) = kNT;
  FLAGS(26) = kNM;
  FLAGS(32) = kNF;
  tna_test::ArraySizes c;
  c.mdrows = 18;
  c.lpcsth = 4 * kNGR;  // compact list: two entries of two words per conductor
  c.nf = kNF;
  c.ngr = kNGR;
  c.nm = kNM;
  c.nt = kNT;
  c.allocate();
  const char* names[3] = {"MAIN", "SUB1", "SUB2"};
  tna_test::set_column(md_level, {0, 1, 1});
  tna_test::set_column(md_subtreesize, {3, 1, 1});
  for (int m = 1; m <= kNM; ++m) {
    gar_modelnames(m) = names[m - 1];
    gar_submodelnames(m) = names[m - 1];
  }
  tna_test::set_column(md_thermalnodebase, {0, 4, 7, 9});
  tna_test::set_column(md_fluidnodebase, {0, 0, 1, 1});
  tna_test::set_column(md_radiativecondbase, {0, 3, 5, 6});
  const int nums[kNT] = {1, 2, 3, 4, 10, 20, 30, 10, 40};
  for (int i = 1; i <= kNT; ++i) {
    gar_thermalnodenums(i) = nums[i - 1];
    gar_thermalnodestatuses(i) = "D";
    gar_thermalnodetemps(i) = 10.0 * i;
    gar_thermalnodeheatsourcesalbedo(i) = kSentinel;
    gar_thermalnodeheatsourcesplanet(i) = kSentinel;
    gar_thermalnodeheatsourcesinternal(i) = kSentinel;
    gar_thermalnodeheatsourcesother(i) = kSentinel;
    gar_thermalnodeheatsourcessolar(i) = kSentinel;
  }
  gar_fluidnodenums(1) = 99;
  for (int k = 1; k <= kNGR; ++k) gar_radiativeconds(k) = kSentinel;
  // Compact GR sub-lists (words 3 and 4 of each node's pointers).
  int word = 1;
  for (int n = 1; n <= kNT; ++n) {
    gar_pcsptrsthermal(3, n) = word;
    int count = 0;
    for (int k = 1; k <= kNGR; ++k) {
      const int a = kPairs[k - 1][0], b = kPairs[k - 1][1];
      if (a != n && b != n) continue;
      gar_pcsthermal(word) = a == n ? b : a;
      gar_pcsthermal(word + 1) = k;
      word += 2;
      ++count;
    }
    gar_pcsptrsthermal(4, n) = count;
  }
  gcc_settimem(0.0);
  gcc_settabs(273.15);
  gcc_setsolver("TRTH");
}

double qa(int i) { return gar_thermalnodeheatsourcesalbedo(i); }
double qe(int i) { return gar_thermalnodeheatsourcesplanet(i); }
double qr(int i) { return gar_thermalnodeheatsourcesother(i); }
double qs(int i) { return gar_thermalnodeheatsourcessolar(i); }

acdw::Model model_of(std::string name, int type) {
  acdw::Model m;
  m.name = std::move(name);
  m.type = type;
  return m;
}

class AcdManager : public tna_test::StateTest {
 protected:
  void SetUp() override {
    build_model();
    std::filesystem::remove("listing.txt");
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
    plat::set_exit_throws(true);
  }
  void TearDown() override {
    acds_close();
    plat::set_exit_throws(false);
    plat::io::close_all();
    gcc_setsolver("");
  }
  void open(const acdw::Model& root) {
    acdw::write_case("ACDM.acd", root);
    acds_open("ACDM");
  }
  void at(double timem) {
    gcc_settimem(timem);
    ACDDYU();
  }
  std::string listing() { return tna_test::close_listing(dir_); }
  // Runs fn, which must end the run; returns the listing.
  std::string fatal_end(const std::function<void()>& fn) {
    try {
      fn();
      ADD_FAILURE() << "the run went on";
    } catch (const plat::ProcessExit& e) {
      EXPECT_EQ(e.status, 1);
    }
    return dir_.read("listing.txt");
  }
  // Runs fn, which must stop; returns what it wrote on standard error.
  std::string stop_of(const std::function<void()>& fn) {
    testing::internal::CaptureStderr();
    try {
      fn();
      ADD_FAILURE() << "no stop";
    } catch (const plat::ProcessExit&) {
    }
    return testing::internal::GetCapturedStderr();
  }
  tna_test::ScratchDir dir_{"acdm"};
};

// Every part of a diagnostic box must be in the listing.
void expect_box(const std::string& l, const std::string& header, const std::vector<std::string>& rows,
                const std::string& reference) {
  const std::string f = tna_test::unblanked(l);
  EXPECT_NE(f.find(tna_test::unblanked(header)), std::string::npos) << l;
  for (const auto& r : rows) EXPECT_NE(f.find(tna_test::unblanked(r)), std::string::npos) << r << "\n" << l;
  EXPECT_NE(f.find(tna_test::unblanked("Reference..........: " + reference)), std::string::npos) << l;
}

// ---------------------------------------------------------------------------
// Static loads.
// ---------------------------------------------------------------------------

TEST_F(AcdManager, StaticLoadsLandInTheirArraysOfTheRightSubmodelsNodes) {
  acdw::Model root = model_of("", 1);
  root.nodes = {4, 2};
  root.albedo = {41, 21};
  root.planet = {42, 22};
  root.remainder = {43, 23};
  root.solar = {44, 24};
  // Node 10 exists in SUB1 (index 5) and in SUB2 (index 8).
  acdw::Model sub2 = model_of("SUB2", 1);
  sub2.nodes = {10};
  sub2.solar = {810};
  // Two groups name SUB1: "SUB1 " (trailing blank, written first) comes after
  // "SUB1" in name order, so its load of node 10 is the one that stays.
  acdw::Model sub1b = model_of("SUB1 ", 1);
  sub1b.nodes = {10};
  sub1b.solar = {510};
  acdw::Model sub1 = model_of("SUB1", 1);
  sub1.nodes = {30, 10};
  sub1.albedo = {71, 51};  // 51 is replaced by the later group
  sub1.solar = {74, 999};
  root.children = {sub2, sub1b, sub1};
  open(root);
  acds_staticload();

  const std::vector<int> loaded = {2, 4, 5, 7, 8};
  EXPECT_EQ(qa(4), 41);
  EXPECT_EQ(qe(4), 42);
  EXPECT_EQ(qr(4), 43);
  EXPECT_EQ(qs(4), 44);
  EXPECT_EQ(qa(2), 21);
  EXPECT_EQ(qe(2), 22);
  EXPECT_EQ(qr(2), 23);
  EXPECT_EQ(qs(2), 24);
  EXPECT_EQ(qa(7), 71);
  EXPECT_EQ(qs(7), 74);
  EXPECT_EQ(qe(7), 0.0);
  // "SUB1 " came last: its loads of node 10, zeros but for solar, stay.
  EXPECT_EQ(qa(5), 0.0);
  EXPECT_EQ(qs(5), 510);
  EXPECT_EQ(qs(8), 810);
  EXPECT_EQ(qa(8), 0.0);
  for (int i = 1; i <= kNT; ++i) {
    EXPECT_EQ(gar_thermalnodeheatsourcesinternal(i), kSentinel) << i;
    if (std::find(loaded.begin(), loaded.end(), i) != loaded.end()) continue;
    EXPECT_EQ(qa(i), kSentinel) << i;
    EXPECT_EQ(qe(i), kSentinel) << i;
    EXPECT_EQ(qr(i), kSentinel) << i;
    EXPECT_EQ(qs(i), kSentinel) << i;
  }
  EXPECT_EQ(listing(), "");
}

TEST_F(AcdManager, EmptyCasesAndEmptyNodeListsChangeNothing) {
  acdw::Model root = model_of("", 0);
  acdw::Model sub1 = model_of("SUB1", 1);  // no nodes: no static dataset is opened
  root.children = {sub1, model_of("SUB2", 0)};
  acdw::write_case("ACDM.acd", root);
  // Without a node list the static datasets are not needed at all.
  hid_t f = H5Fopen("ACDM.acd", H5F_ACC_RDWR, H5P_DEFAULT);
  ASSERT_GE(H5Ldelete(f, "Submodels/SUB1/ModelData/Static", H5P_DEFAULT), 0);
  H5Fclose(f);
  acds_open("ACDM");
  acds_staticload();
  at(12.0);
  for (int i = 1; i <= kNT; ++i) {
    EXPECT_EQ(qa(i), kSentinel);
    EXPECT_EQ(qs(i), kSentinel);
  }
  for (int k = 1; k <= kNGR; ++k) EXPECT_EQ(gar_radiativeconds(k), kSentinel);
  EXPECT_EQ(listing(), "");
}

TEST_F(AcdManager, UnknownAndFluidNodesAreSkippedWithWarnings) {
  acdw::Model root = model_of("", 0);
  acdw::Model sub1 = model_of("SUB1", 1);
  sub1.nodes = {77, 99, 20};
  sub1.solar = {1, 2, 3};
  root.children = {sub1};
  open(root);
  acds_staticload();
  EXPECT_EQ(qs(6), 3);
  for (int i : {1, 2, 3, 4, 5, 7, 8, 9}) EXPECT_EQ(qs(i), kSentinel) << i;
  EXPECT_EQ(gar_fluidnodeheatsources(1), 0.0);
  const std::string l = listing();
  expect_box(l, "WARNING", {"Problem............: Node node found"}, "(INTNOD,   1)");
  expect_box(l, "WARNING",
             {"Problem............: ACD heat load on a fluid node ignored",
              "Current action.....: Initialising ACD Solution Manager", "Info...............: Node 99 of MAIN:SUB1"},
             "((acds)CreateNodeMap,   6)");
}

// A node number the submodel does not have: INTNOD's own warning at every
// look-up, and once per node the reader's warning naming the node, its
// submodel and the file, however many of the file's lists name it.
TEST_F(AcdManager, UnknownNodeIsNamedOncePerNode) {
  acdw::Model root = model_of("", 0);
  acdw::Model sub1 = model_of("SUB1", 2);
  sub1.times = {0.0};
  sub1.period = 10.0;
  sub1.nodes = {77, 20};
  sub1.solar = {1, 3};
  sub1.flux[acdw::kAlbedo].nodes = {77};
  sub1.flux[acdw::kAlbedo].rows = {{5.0}};
  sub1.flux[acdw::kSolar].nodes = {78, 77};
  sub1.flux[acdw::kSolar].rows = {{1.0, 2.0}};
  root.children = {sub1};
  open(root);
  acds_staticload();
  at(0.0);
  EXPECT_EQ(qs(6), 3);
  const std::string l = listing();
  const std::string f = tna_test::unblanked(l);
  auto count = [&](const std::string& text) {
    int n = 0;
    for (std::size_t p = f.find(tna_test::unblanked(text)); p != std::string::npos;
         p = f.find(tna_test::unblanked(text), p + 1))
      ++n;
    return n;
  };
  EXPECT_EQ(count("Problem............: Node node found"), 4) << l;
  EXPECT_EQ(count("ACD heat load on an unknown node ignored"), 2) << l;
  expect_box(l, "WARNING",
             {"Problem............: ACD heat load on an unknown node ignored",
              "Current action.....: Initialising ACD Solution Manager",
              "Info...............: Node 77 is not a node of submodel MAIN:SUB1", "ACD file: ACDM.acd"},
             "((acds)CreateNodeMap,   7)");
  EXPECT_NE(f.find(tna_test::unblanked("Node 78 is not a node of submodel MAIN:SUB1")), std::string::npos) << l;
}

// ---------------------------------------------------------------------------
// Time-dependent loads and conductors.
// ---------------------------------------------------------------------------

// Type 2, times 0, 30, 100 over a period of 100; albedo of node 1 tabulated
// as 2t + 1, so the load at an effective time tau is 2 tau + 1.
acdw::Model periodic(std::vector<double> times, double period) {
  acdw::Model root = model_of("", 2);
  root.times = times;
  root.period = period;
  auto& a = root.flux[acdw::kAlbedo];
  a.nodes = {1};
  for (double t : times) a.rows.push_back({2 * t + 1});
  return root;
}

TEST_F(AcdManager, PeriodicLoadsWrapTheTimeIntoTheFirstPeriod) {
  open(periodic({0.0, 30.0, 100.0}, 100.0));
  acds_staticload();
  struct Case {
    double timem, tau;
  };
  const Case cases[] = {{15, 15},   {0, 0},      {30, 30},   {250, 50}, {-30, 70},
                        {100, 100}, {-100, 100}, {1030, 30}, {65, 65},  {100.5, 0.5}};
  for (const Case& c : cases) {
    at(c.timem);
    EXPECT_NEAR(qa(1), 2 * c.tau + 1, 1e-12) << "TIMEM " << c.timem;
  }
  EXPECT_EQ(qa(2), kSentinel);
}

TEST_F(AcdManager, PeriodLongerThanTheTableHoldsTheLastRow) {
  open(periodic({10.0, 30.0, 80.0}, 100.0));
  struct Case {
    double timem, load;
  };
  // 90 and 105 lie beyond t(n) = 80 but inside the period starting at 10;
  // 5 wraps to 105; 112 wraps to 12.
  const Case cases[] = {{90, 161}, {105, 161}, {5, 161}, {112, 25}, {10, 21}};
  for (const Case& c : cases) {
    at(c.timem);
    EXPECT_NEAR(qa(1), c.load, 1e-12) << "TIMEM " << c.timem;
  }
}

TEST_F(AcdManager, SingleTimeGivesConstantLoads) {
  acdw::Model root = periodic({5.0}, 10.0);
  root.flux[acdw::kAlbedo].rows = {{3.5}};
  open(root);
  for (double t : {-100.0, 0.0, 5.0, 17.0, 1e6}) {
    at(t);
    EXPECT_EQ(qa(1), 3.5) << t;
  }
}

// The four kinds and conductors of several submodels, with rows that make
// each value a different linear function of the time.
acdw::Model full_case() {
  acdw::Model root = model_of("", 2);
  root.times = {0, 10, 20, 30, 40};
  root.period = 1000;
  root.nodes = {3};
  root.planet = {5.0};
  for (int k = 0; k < 4; ++k) {
    auto& fx = root.flux[static_cast<std::size_t>(k)];
    fx.nodes = {3, 1};
    for (double t : root.times) fx.rows.push_back({100.0 * k + t, -t});
  }
  // MAIN: GR 1 (1-2) given reversed, GR 3 (MAIN 1 to SUB1 10) through a path.
  root.pairs = {{"", "", 2, 1}, {"", "SUB1", 1, 10}};
  for (double t : root.times) root.conductors.push_back({0.5 + t, 3.0 * t});
  acdw::Model sub1 = model_of("SUB1", 2);
  sub1.times = {0, 100};
  sub1.period = 1000;
  sub1.flux[acdw::kSolar].nodes = {20};
  sub1.flux[acdw::kSolar].rows = {{0.0}, {1000.0}};
  sub1.pairs = {{"", "", 20, 30}};
  sub1.conductors = {{1.0}, {2.0}};
  root.children = {sub1, model_of("SUB2", 0)};
  return root;
}

TEST_F(AcdManager, EveryKindAndConductorFollowsTheTimeInItsSubmodel) {
  open(full_case());
  acds_staticload();
  EXPECT_EQ(qe(3), 5.0);
  for (double t : {0.0, 7.5, 10.0, 33.0, 40.0, 45.0}) {
    at(t);
    const double tt = std::min(t, 40.0);
    EXPECT_NEAR(qa(3), tt, 1e-12) << t;
    EXPECT_NEAR(qe(3), 100 + tt, 1e-12) << t;
    EXPECT_NEAR(qr(3), 200 + tt, 1e-12) << t;
    EXPECT_NEAR(qs(3), 300 + tt, 1e-12) << t;
    for (double q : {qa(1), qe(1), qr(1), qs(1)}) EXPECT_NEAR(q, -tt, 1e-12) << t;
    EXPECT_NEAR(gar_radiativeconds(1), 0.5 + tt, 1e-12) << t;
    EXPECT_NEAR(gar_radiativeconds(3), 3 * tt, 1e-12) << t;
    EXPECT_NEAR(gar_radiativeconds(5), 1.0 + t / 100.0, 1e-12) << t;
    EXPECT_NEAR(qs(6), 10.0 * t, 1e-9) << t;
    for (int k : {2, 4, 6}) EXPECT_EQ(gar_radiativeconds(k), kSentinel) << k;
    for (int i : {2, 4, 5, 7, 8, 9}) EXPECT_EQ(qa(i), kSentinel) << i;
  }
  EXPECT_EQ(listing(), "");
}

TEST_F(AcdManager, SlicesAreRereadOnlyWhenTheTimeIndexMoves) {
  acdw::Model root = full_case();
  root.children.clear();
  open(root);
  // Five kinds read (four fluxes and the conductors).
  struct Step {
    double timem;
    int reads;
  };
  const Step steps[] = {{5, 10},   // first load: both rows of each kind
                        {7, 0},    // same interval
                        {15, 5},   // one forward: one row per kind
                        {5, 5},    // one back: one row per kind
                        {35, 10},  // a jump: both rows
                        {40, 0},   // tau = t(5): k = 4, f = 1
                        {25, 5}};
  std::int64_t before = acds_rowreads_for_tests();
  for (const Step& s : steps) {
    at(s.timem);
    EXPECT_EQ(acds_rowreads_for_tests() - before, s.reads) << s.timem;
    EXPECT_NEAR(qa(3), s.timem, 1e-12) << s.timem;
    before = acds_rowreads_for_tests();
  }
}

TEST_F(AcdManager, SteadyStateLeavesTabulatedLoadsAlone) {
  open(full_case());
  gcc_setsolver("SSTH");
  at(25.0);
  EXPECT_EQ(qa(3), kSentinel);
  EXPECT_EQ(gar_radiativeconds(1), kSentinel);
  EXPECT_EQ(acds_rowreads_for_tests(), 0);
  gcc_setsolver("CYTH");
  at(25.0);
  EXPECT_NEAR(qa(3), 25.0, 1e-12);
}

// Type 3: one arc tabulated from 0 to 100 whose orbit (10..60) repeats until
// 300, then a second arc from 400 on (orbit 400..450 until 500).
acdw::Model orbital() {
  acdw::Model root = model_of("", 3);
  root.times = {0, 10, 60, 100, 400, 450};
  root.arcs = {{0, 10, 60, 300}, {400, 400, 450, 500}};
  auto& s = root.flux[acdw::kSolar];
  s.nodes = {2};
  for (double t : root.times) s.rows.push_back({t});
  return root;
}

TEST_F(AcdManager, OrbitalArcsMapTheTimeOntoTheTable) {
  open(orbital());
  struct Case {
    double timem, tau;
  };
  // clang-format off
  const Case cases[] = {
      {5, 5},       // before the first orbit of the first arc
      {10, 10},     // startFirst
      {35, 35},     // first orbit
      {85, 35},     // second orbit: 10 + mod(75, 50)
      {299, 49},    // last orbit before endAll
      {300, 50},    // endAll, next arc later: S + E - F
      {350, 230},   // between arcs: 60 + (400 - 60) (350 - 300) / (400 - 300)
      {420, 420},   // second arc
      {470, 420},   // its second orbit
  };
  // clang-format on
  for (const Case& c : cases) {
    at(c.timem);
    EXPECT_NEAR(qs(2), c.tau, 1e-9) << "TIMEM " << c.timem;
  }
  EXPECT_EQ(listing(), "");
}

// Type 4: conductor 1 (nodes 1, 2) tabulated by waveband.
acdw::Model waveband_case(std::vector<double> limits, std::vector<std::vector<double>> rows) {
  acdw::Model root = model_of("", 4);
  root.times = {0, 100};
  root.wavebands = std::move(limits);
  root.pairs = {{"", "", 1, 2}};
  root.conductors = std::move(rows);
  return root;
}

TEST_F(AcdManager, GreyConductorOverAllWavelengthsIsItsValue) {
  // One band from 0 to 1 m covers the whole spectrum at any temperature above
  // 0.1 K: the conductor is the band value itself, interpolated in time.
  open(waveband_case({0.0, 1.0}, {{2.0}, {4.0}}));
  gcc_setsolver("SSTH");
  at(50.0);
  EXPECT_NEAR(gar_radiativeconds(1), 3.0, 1e-12);
  gcc_setsolver("TRTH");
  at(25.0);
  EXPECT_NEAR(gar_radiativeconds(1), 2.5, 1e-12);
  EXPECT_EQ(gar_radiativeconds(2), kSentinel);
}

TEST_F(AcdManager, WavebandConductorFollowsTheTemperaturesAtEveryPass) {
  const std::vector<double> limits = {0.0, 8e-6, 20e-6, 1.0};
  open(waveband_case(limits, {{0.2, 0.5, 0.9}, {0.2, 0.5, 0.9}}));
  gcc_setsolver("SSTH");
  auto expected = [&](double ti, double tj) {
    auto band = [&](double t) {
      const double g[3] = {0.2, 0.5, 0.9};
      double s = 0;
      for (int k = 0; k < 3; ++k)
        s += g[k] * (BLACKBODYFRACPOWER(limits[k + 1] * t) - BLACKBODYFRACPOWER(limits[k] * t));
      return s;
    };
    return (band(ti) * std::pow(ti, 4) - band(tj) * std::pow(tj, 4)) / (std::pow(ti, 4) - std::pow(tj, 4));
  };
  const double tabs = 273.15;
  for (double t1 : {10.0, 150.0, -100.0}) {
    gar_thermalnodetemps(1) = t1;
    at(0.0);
    const double g = gar_radiativeconds(1);
    EXPECT_NEAR(g, expected(t1 + tabs, 20.0 + tabs), 1e-12) << t1;
  }
  // Equal temperatures still give a finite value.
  gar_thermalnodetemps(1) = gar_thermalnodetemps(2);
  at(0.0);
  EXPECT_TRUE(std::isfinite(gar_radiativeconds(1)));
  EXPECT_EQ(acds_rowreads_for_tests(), 2);
}

// ---------------------------------------------------------------------------
// Messages and stops.
// ---------------------------------------------------------------------------

TEST_F(AcdManager, MissingFileIsFatal) {
  const std::string l = fatal_end([] { acds_open("NOFILE"); });
  expect_box(l, "@@@@  FATAL ERROR",
             {"Problem............: Cannot open ACD file", "Current action.....: Initialising ACD Solution Manager",
              "Info...............: ACD file name: NOFILE.acd"},
             "((acds)OpenFile,   2)");
}

TEST_F(AcdManager, OverlongNameIsFatal) {
  const std::string name(600, 'N');
  const std::string l = fatal_end([&] { acds_open(name); });
  expect_box(
      l, "@@@@  FATAL ERROR",
      {"Problem............: ACD file name too long", "Info...............: Maximum filename length:        500"},
      "((acds)OpenFile,   1)");
}

TEST_F(AcdManager, TruncatedFileIsFatal) {
  acdw::write_case("ACDM.acd", full_case());
  std::filesystem::resize_file("ACDM.acd", std::filesystem::file_size("ACDM.acd") / 2);
  const std::string l = fatal_end([] { acds_open("ACDM"); });
  EXPECT_NE(l.find("@@@@  FATAL ERROR"), std::string::npos) << l;
  EXPECT_NE(l.find("ACDM.acd"), std::string::npos) << l;
}

// The manager reads quietly but leaves HDF5's own error report as it found
// it: the TMD writer, which shares the library, relies on that report.
TEST_F(AcdManager, LeavesHdf5ErrorReportAsItFoundIt) {
  H5E_auto2_t func = nullptr;
  void* data = nullptr;
  ASSERT_GE(H5Eget_auto2(H5E_DEFAULT, &func, &data), 0);
  ASSERT_NE(func, nullptr);
  auto expect_unchanged = [&](const char* after) {
    H5E_auto2_t now = nullptr;
    void* now_data = nullptr;
    ASSERT_GE(H5Eget_auto2(H5E_DEFAULT, &now, &now_data), 0);
    EXPECT_EQ(now, func) << after;
    EXPECT_EQ(now_data, data) << after;
  };
  open(full_case());
  expect_unchanged("acds_open");
  acds_staticload();
  expect_unchanged("acds_staticload");
  at(130.0);
  expect_unchanged("ACDDYU");

  // A TMD file that cannot be created reports through HDF5's own print.
  testing::internal::CaptureStderr();
  int hdferr = 0;
  tmdcreatefile("no_such_directory/RESULT.TMD", 1, hdferr);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(hdferr, 0);
  EXPECT_NE(err.find("HDF5-DIAG"), std::string::npos) << err;

  acds_close();
  expect_unchanged("acds_close");
  fatal_end([] { acds_open("NOFILE"); });
  expect_unchanged("a failed acds_open");
}

// A file edit after writing: the object to delete and a replacement maker.
struct Damage {
  const char* name;
  std::function<void(hid_t)> edit;
  std::vector<std::string> rows;
  std::string reference;
  bool at_update = false;  // found by the first update, not at the open
};

void set_int(hid_t f, const char* object, const char* name, int value) {
  H5LTset_attribute_int(f, object, name, &value, 1);
}

void replace_with_text(hid_t f, const char* path) {
  H5Ldelete(f, path, H5P_DEFAULT);
  H5LTmake_dataset_string(f, path, "not numbers");
}

TEST_F(AcdManager, BrokenFilesGetTheirDiagnostic) {
  const std::string file = "<NL>ACD file: ACDM.acd";
  // clang-format off
  const std::vector<Damage> damages = {
      {"no Submodels", [](hid_t f) { H5Ldelete(f, "Submodels", H5P_DEFAULT); },
       {"Problem............: Cannot open ACD group", "Info...............: Group: /Submodels"},
       "((acds)OpenGroup,   4)"},
      {"no Mission", [](hid_t f) { H5Ldelete(f, "Mission", H5P_DEFAULT); },
       {"Problem............: Cannot read ACD attribute\n"
        "Info...............: Attribute: analysisCaseType\nObject: /Mission\nACD file: ACDM.acd"},
       "((acds)ReadAttribute,   3)"},
      {"no numberOfTimes", [](hid_t f) { H5Adelete_by_name(f, "Mission", "numberOfTimes", H5P_DEFAULT); },
       {"Problem............: Cannot read ACD attribute", "Info...............: Attribute: numberOfTimes",
        "Object: /Mission"},
       "((acds)ReadAttribute,   3)"},
      {"array attribute",
       [](hid_t f) {
         const int v[3] = {5, 5, 5};
         H5LTset_attribute_int(f, "Mission", "numberOfTimes", v, 3);
       },
       {"Problem............: Cannot read ACD attribute"}, "((acds)ReadAttribute,   3)"},
      {"text times", [](hid_t f) { replace_with_text(f, "Mission/Times"); },
       {"Problem............: Cannot read ACD dataset", "Info...............: Dataset: /Mission/Times"},
       "((acds)Load1DDatasetDble,   1)"},
      {"short node list",
       [](hid_t f) {
         const int n = 2;
         H5LTset_attribute_int(f, "ModelData/NodeList", "count", &n, 1);
       },
       {"Problem............: Cannot read ACD dataset", "Dataset: /ModelData/NodeList"},
       "((acds)CreateNodeMap,   1)"},
      {"no static solar", [](hid_t f) { H5Ldelete(f, "ModelData/Static/SolarFluxes", H5P_DEFAULT); },
       {"Dataset: /ModelData/Static/SolarFluxes"}, "((acds)OpenDataset,   1)"},
      {"negative count",
       [](hid_t f) {
         const int n = -1;
         H5LTset_attribute_int(f, "ModelData/TimeDependent/PlanetFluxes", "count", &n, 1);
       },
       {"Problem............: Invalid ACD data", "Attribute count = -1 is below 0",
        "Object: /ModelData/TimeDependent/PlanetFluxes"},
       "((acds)SetupModelTree,   5)"},
      {"no times",
       [](hid_t f) {
         const int n = 0;
         H5LTset_attribute_int(f, "Mission", "numberOfTimes", &n, 1);
       },
       {"Problem............: Invalid ACD data", "Attribute numberOfTimes = 0 is below 1"},
       "((acds)SetMissionData,   5)"},
      {"zero period",
       [](hid_t f) {
         const double p = 0.0;
         H5LTset_attribute_double(f, "Mission", "period", &p, 1);
       },
       {"Problem............: Invalid ACD data", "Attribute period is not above 0"}, "((acds)SetMissionData,   5)"},
      {"times descending",
       [](hid_t f) {
         H5Ldelete(f, "Mission/Times", H5P_DEFAULT);
         const double t[5] = {0, 10, 5, 30, 40};
         const hsize_t n = 5;
         H5LTmake_dataset_double(f, "Mission/Times", 1, &n, t);
       },
       {"Problem............: Invalid ACD data", "Dataset Times is not in ascending order"},
       "((acds)SetMissionData,   5)"},
      {"pair member missing",
       [](hid_t f) {
         H5Ldelete(f, "ModelData/TimeDependent/RadiativeConductors/NodePairs", H5P_DEFAULT);
         const int v[2] = {1, 2};
         const hsize_t n = 2;
         H5LTmake_dataset_int(f, "ModelData/TimeDependent/RadiativeConductors/NodePairs", 1, &n, v);
       },
       {"Problem............: Cannot read ACD dataset",
        "Dataset: /ModelData/TimeDependent/RadiativeConductors/NodePairs.relativeSubmodelPathI"},
       "((acds)CreateRadiativeConductorMaps,   1)"},
      {"values with too few rows",
       [](hid_t f) {
         H5Ldelete(f, "ModelData/TimeDependent/SolarFluxes/Values", H5P_DEFAULT);
         const double v[4] = {1, 2, 3, 4};
         const hsize_t d[2] = {2, 2};
         H5LTmake_dataset_double(f, "ModelData/TimeDependent/SolarFluxes/Values", 2, d, v);
       },
       // The empty current action prints no row.
       {"Problem............: Cannot read ACD dataset\n"
        "Info...............: Dataset: /ModelData/TimeDependent/SolarFluxes/Values\nACD file: ACDM.acd"},
       "((acds)Load2DDatasetRowDble,   1)", true},
      {"values of one column too few",
       [](hid_t f) {
         H5Ldelete(f, "ModelData/TimeDependent/RadiativeConductors/Values", H5P_DEFAULT);
         const std::vector<double> v(5, 1.0);
         const hsize_t d[2] = {5, 1};
         H5LTmake_dataset_double(f, "ModelData/TimeDependent/RadiativeConductors/Values", 2, d, v.data());
       },
       {"Dataset: /ModelData/TimeDependent/RadiativeConductors/Values"}, "((acds)Load2DDatasetRowDble,   1)", true},
      // Counts far beyond what their datasets hold: refused before memory
      // for that many records is taken (four times INT_MAX arcs would not
      // fit in memory at all).
      {"times count beyond the dataset", [](hid_t f) { set_int(f, "Mission", "numberOfTimes", INT_MAX); },
       {"Problem............: Cannot read ACD dataset", "Dataset: /Mission/Times"}, "((acds)Load1DDatasetDble,   1)"},
      {"node count beyond the dataset", [](hid_t f) { set_int(f, "ModelData/NodeList", "count", INT_MAX); },
       {"Problem............: Cannot read ACD dataset", "Dataset: /ModelData/NodeList"},
       "((acds)CreateNodeMap,   1)"},
      {"conductor count beyond the pairs",
       [](hid_t f) { set_int(f, "ModelData/TimeDependent/RadiativeConductors", "count", INT_MAX); },
       {"Problem............: Cannot read ACD dataset",
        "Dataset: /ModelData/TimeDependent/RadiativeConductors/NodePairs\n"},
       "((acds)CreateRadiativeConductorMaps,   1)"},
      {"arc count beyond the dataset",
       [](hid_t f) {
         set_int(f, "Mission", "analysisCaseType", 3);
         set_int(f, "Mission", "numberOfArcs", INT_MAX);
         const double arc[4] = {0.0, 0.0, 10.0, 40.0};
         hid_t t = H5Tcreate(H5T_COMPOUND, sizeof arc);
         const char* names[4] = {"start", "startFirst", "endFirst", "endAll"};
         for (std::size_t k = 0; k < 4; ++k) H5Tinsert(t, names[k], k * sizeof(double), H5T_NATIVE_DOUBLE);
         const hsize_t one = 1;
         hid_t space = H5Screate_simple(1, &one, nullptr);
         hid_t ds = H5Dcreate2(f, "Mission/OrbitalArcTimes", t, space, H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT);
         H5Dwrite(ds, t, H5S_ALL, H5S_ALL, H5P_DEFAULT, arc);
         H5Dclose(ds);
         H5Sclose(space);
         H5Tclose(t);
       },
       {"Problem............: Cannot read ACD dataset", "Dataset: /Mission/OrbitalArcTimes.start"},
       "((acds)SetMissionData,   1)"},
      {"waveband count at the integer limit",
       [](hid_t f) {
         set_int(f, "Mission", "analysisCaseType", 4);
         set_int(f, "Mission", "numberOfWavebands", INT_MAX);
         const double limits[3] = {0.0, 1.0, 2.0};
         const hsize_t n = 3;
         H5LTmake_dataset_double(f, "Mission/Wavebands", 1, &n, limits);
       },
       {"Problem............: Cannot read ACD dataset", "Dataset: /Mission/Wavebands"},
       "((acds)Load1DDatasetDble,   1)"},
  };
  // clang-format on
  for (const Damage& d : damages) {
    SCOPED_TRACE(d.name);
    acds_close();
    reset_message_counters();
    build_model();
    std::filesystem::remove("listing.txt");
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
    acdw::Model root = full_case();
    root.children.clear();
    acdw::write_case("ACDM.acd", root);
    hid_t f = H5Fopen("ACDM.acd", H5F_ACC_RDWR, H5P_DEFAULT);
    ASSERT_GE(f, 0);
    d.edit(f);
    H5Fclose(f);
    const std::string l = fatal_end([&] {
      acds_open("ACDM");
      if (d.at_update) {
        EXPECT_EQ(dir_.read("listing.txt"), "");
        at(35.0);
      }
    });
    expect_box(l, "@@@@  FATAL ERROR", d.rows, d.reference);
    EXPECT_NE(l.find("ACD file: ACDM.acd"), std::string::npos) << l;
  }
}

TEST_F(AcdManager, LongerDatasetsThanTheirCountsAreReadByPrefix) {
  acdw::Model root = full_case();
  root.children.clear();
  acdw::write_case("ACDM.acd", root);
  hid_t f = H5Fopen("ACDM.acd", H5F_ACC_RDWR, H5P_DEFAULT);
  const int one = 1, four = 4;
  // Only the first of two nodes and of two conductors; four of five times.
  H5LTset_attribute_int(f, "ModelData/TimeDependent/AlbedoFluxes", "count", &one, 1);
  H5LTset_attribute_int(f, "ModelData/TimeDependent/RadiativeConductors", "count", &one, 1);
  H5LTset_attribute_int(f, "Mission", "numberOfTimes", &four, 1);
  H5Fclose(f);
  acds_open("ACDM");
  at(35.0);
  EXPECT_NEAR(qa(3), 30.0, 1e-12);  // beyond t(4) = 30: the last row
  EXPECT_EQ(qa(1), kSentinel);
  EXPECT_NEAR(qe(1), -30.0, 1e-12);
  EXPECT_NEAR(gar_radiativeconds(1), 30.5, 1e-12);
  EXPECT_EQ(gar_radiativeconds(3), kSentinel);
  EXPECT_EQ(listing(), "");
}

TEST_F(AcdManager, StopsOfTheTree) {
  struct Case {
    const char* name;
    std::function<acdw::Model()> make;
    const char* stop;
  };
  const std::vector<Case> cases = {
      {"type 5", [] { return model_of("", 5); }, "STOP (acds)SetMissionData\n"},
      {"type -1", [] { return model_of("", -1); }, "STOP (acds)SetMissionData\n"},
      {"child that is no submodel",
       [] {
         acdw::Model root = model_of("", 0);
         root.children = {model_of("NOSUCH", 0)};
         return root;
       },
       "STOP (acds)GetModelReference\n"},
      {"path that is no submodel",
       [] {
         acdw::Model root = full_case();
         root.pairs[1].pathJ = "SUB3";
         return root;
       },
       "STOP (acds)GetModelReference\n"},
      {"pair without a conductor",
       [] {
         acdw::Model root = full_case();
         root.pairs[0] = {"", "", 1, 3};
         return root;
       },
       "STOP (acds)CreateRadiativeConductorMaps\n"},
      {"conductor of the child listed in the parent",
       [] {
         acdw::Model root = full_case();
         root.pairs[0] = {"SUB1", "SUB1", 10, 20};
         return root;
       },
       "STOP (acds)CreateRadiativeConductorMaps\n"},
      {"pair with an unknown node",
       [] {
         acdw::Model root = full_case();
         root.pairs[0] = {"", "", 1, 77};
         return root;
       },
       "STOP (acds)CreateRadiativeConductorMaps\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    acdw::write_case("ACDM.acd", c.make());
    EXPECT_EQ(stop_of([] { acds_open("ACDM"); }), c.stop);
    acds_close();
  }
}

TEST_F(AcdManager, CloseWithoutOpenAndTwiceIsHarmless) {
  acds_close();
  acds_close();
  ACDDYU();
  acds_staticload();
  EXPECT_EQ(qa(1), kSentinel);
}

}  // namespace

// ---------------------------------------------------------------------------
// With a model the database loader built (its connection lists included).
// ---------------------------------------------------------------------------

TEST_F(AcdManager, LoadedModelTakesItsLoadsAndConductors) {
  // FUZZMOD: nodes 1, 2, 3 and GR 1 between 2 and 3; SUB: nodes 10, 20.
  acdw::Model root = model_of("", 2);
  root.times = {0, 10};
  root.period = 100;
  root.nodes = {3};
  root.solar = {9.0};
  root.pairs = {{"", "", 3, 2}};
  root.conductors = {{1.0}, {3.0}};
  acdw::Model sub = model_of("SUB", 1);
  sub.nodes = {20};
  sub.albedo = {4.5};
  root.children = {sub};
  acdw::write_case("FUZZMOD.acd", root);
  gar_deallocate_all();
  load_harness::set_flags();
  ASSERT_EQ(load_harness::load_database(load_harness::good_database(), load_harness::kModel), 0);
  ndssmd_reset_for_tests();
  const double solar_before = qs(3), albedo_before = qa(5), albedo_other = qa(4);
  acds_open(load_harness::kModel);
  acds_staticload();
  EXPECT_NE(solar_before, 9.0);
  EXPECT_NE(albedo_before, 4.5);
  EXPECT_EQ(qs(3), 9.0);
  EXPECT_EQ(qa(5), 4.5);
  EXPECT_EQ(qa(4), albedo_other);
  gcc_setsolver("TRTH");
  at(5.0);
  EXPECT_NEAR(gar_radiativeconds(1), 2.0, 1e-12);
  at(105.0);
  EXPECT_NEAR(gar_radiativeconds(1), 2.0, 1e-12);
  acds_close();
}
