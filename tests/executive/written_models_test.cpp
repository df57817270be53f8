// Two small models written by hand, the way a user without a preprocessor
// writes them, run whole: a six-node radiating unit solved by SOLVFM and an
// eight-node pumped water ring followed by FLTNTS. Written right they solve
// to their physics (an independent Newton solution of the unit, the energy
// balances of the ring). Their silent faults of old are refused at the load
// with the fatal diagnostic naming the model, the list and the pair or
// node: a conductor pair list not sorted by first node or with a GL or GR
// pair written in reverse (the connection lists would leave a conductor out
// at one end or at both), counts of the conductors touching fluid nodes
// (list 66, items 70 to 72) that differ from the pair lists (the conductors
// would be left out of the fluid lists), and node numbers out of order.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "child_run.h"
#include "core/diagnostics.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/listing.h"
#include "support/state_test.h"
#include "support/test_env.h"
#include "support/test_model.h"
#include "tna/model_program.h"
#include "tools/acd_writer.h"
#include "tools/mdb_writer.h"

namespace {

using runtest::in_child;
using runtest::Outcome;

constexpr double kStefan = 5.6704e-8, kTabs = 273.15, kSpace = -270.0;

// A pair list with the values of its conductors, in file order.
struct Conductors {
  std::vector<std::pair<int, int>> pairs;
  std::vector<double> values;
  std::vector<std::int32_t> words() const {
    std::vector<std::int32_t> w;
    for (const auto& [a, b] : pairs) w.insert(w.end(), {a, b});
    return w;
  }
};

// The model program's entry with the given FLAGS and name, as generated.
[[noreturn]] void run_program(const std::array<int, 41>& flags, const char* name24) {
  for (int i = 1; i <= 41; ++i) FLAGS(i) = flags[static_cast<std::size_t>(i - 1)];
  SVMNAM(name24);
  for (int i = 1; i <= 5; ++i) SPRSIZ(i) = i == 1 ? 1 : (i == 2 ? 3 : 0);
  MAINA(name24, 24);
  SUCCES();
}

// Writes what a run needs to a file of numbers, one a line.
void write_numbers(const char* path, const std::vector<double>& v) {
  std::FILE* f = std::fopen(path, "w");
  for (double x : v) std::fprintf(f, "%.17g\n", x);
  std::fclose(f);
}

std::vector<double> read_numbers(const std::string& text) {
  std::vector<double> v;
  std::istringstream in(text);
  for (double x; in >> x;) v.push_back(x);
  return v;
}

class WrittenModels : public tna_test::StateTest {
 protected:
  // The box SETERX prints for a fatal message as the first message of a run.
  std::string fatal_box(const std::string& message, int code, const std::string& routine) {
    return tna_test::seterx_box_alone(message, 4, code, routine);
  }

  // A refused run: exit status 1, the box in the listing, no solution.
  void expect_refused(const Outcome& o, const std::string& message, int code) {
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.out.find(fatal_box(message, code, "SPCSA")), std::string::npos) << o.out;
    EXPECT_FALSE(dir.exists("result.txt"));
  }

  tna_test::ScratchDir dir{"written"};
};

// ---------------------------------------------------------------------------
// The radiating unit: a heated plate (node 1, 10 W) conducting through a
// frame (node 2) to a radiator (node 3) and two side panels (4 and 5), which
// radiate to deep space (node 99, a boundary at -270 C); the plate also
// radiates to panel 4.
// ---------------------------------------------------------------------------

constexpr const char* kUnit = "UNIT                    ";
const std::vector<int> kUnitNodes = {1, 2, 3, 4, 5, 99};
const Conductors kUnitGl = {{{1, 2}, {2, 3}, {2, 4}, {2, 5}}, {0.5, 0.5, 0.5, 0.5}};
const Conductors kUnitGr = {{{1, 4}, {3, 99}, {4, 99}, {5, 99}}, {0.01, 0.1, 0.02, 0.02}};

// clang-format off
const std::map<std::string, double> kUnitConstants = {
    {"NLOOP", 500}, {"LENGTH", 60}, {"WIDTH", 132}, {"MLEVEL", 0}, {"METHOD", 0}, {"STEPCT", 0}, {"PRGFBK", 0},
    {"DAMPT", 1.0}, {"RELXCA", 1.0e-5}, {"INBALA", 1.0e-3}, {"INBALR", 1.0e-4}, {"STEFAN", kStefan},
    {"TABS", kTabs}, {"TIMEO", 0.0}, {"ARITH", 0.0}};
// clang-format on

void write_unit(const Conductors& gl, const Conductors& gr, const std::vector<int>& nodes = kUnitNodes) {
  const std::vector<double> zeros(6, 0.0);
  mdbw::Database db;
  db.name = "UNIT";
  auto& m = db.add_model("UNIT", 0);
  m.ints(1, nodes)
      .reals(2, {0.0, 0.0, 0.0, 0.0, 0.0, kSpace})
      .reals(3, {100.0, 100.0, 100.0, 100.0, 100.0, 0.0})
      .reals(4, zeros)
      .reals(5, zeros)
      .reals(6, {10.0, 0.0, 0.0, 0.0, 0.0, 0.0})
      .reals(7, zeros)
      .reals(8, zeros)
      .reals(9, zeros)
      .reals(10, zeros)
      .reals(11, zeros)
      .texts(12, 24, {"PLATE", "FRAME", "RADIATOR", "PANEL A", "PANEL B", "SPACE"})
      .texts(13, 1, {"D", "D", "D", "D", "D", "B"})
      .reals(14, gl.values)
      .reals(15, gr.values)
      .texts(18, 1, {"A", "A", "A", "A"})
      .texts(19, 1, {"A", "A", "A", "A"})
      .control_constants(mdbw::control_constant_values({6, 0}, kUnitConstants))
      .ints(69, gl.words())
      .ints(70, gr.words())
      .reals(72, zeros)
      .reals(73, zeros)
      .reals(74, zeros)
      .reals(96, zeros)
      .reals(97, zeros)
      .reals(98, zeros);
  db.write("UNIT.MDB");
  acdw::write_empty_case("UNIT.acd");
}

// NT 6, NGL 4, NGR 4; word 24 = 6 x 6 + 2 x 16 conductor ends + 2.
// clang-format off
constexpr std::array<int, 41> kUnitFlags = {
    6, 4, 0, 4,  0, 0, 0,   0,     0, 0,  // words 1-10
    2, 0, 49, 25, 16, 0, 92, 0,    0, 0,  // words 11-20
    0, 0, 0, 70, 2, 1, 133, 10000, 1, 0,  // words 21-30
    0, 0, 0, 0,  0, 1, 0,   0,     0, 0,  // words 31-40
    0};
// clang-format on

Outcome run_unit() {
  return in_child([] {
    tna_test::model.execution = [] {
      SOLVFM();
      std::vector<double> t;
      for (int i = 1; i <= 6; ++i) t.push_back(gar_thermalnodetemps(i));
      write_numbers("result.txt", t);
    };
    run_program(kUnitFlags, kUnit);
  });
}

// The steady state of the unit by Newton's method on its five balances, in
// kelvin: Q_i + sum GL (Tj - Ti) + sum GR STEFAN (Tj^4 - Ti^4) = 0.
std::array<double, 5> unit_by_newton() {
  const double space = kSpace + kTabs;
  std::array<double, 5> t;
  t.fill(250.0);
  auto at = [&](int node) { return node == 99 ? space : t[static_cast<std::size_t>(node - 1)]; };
  for (int iteration = 0; iteration < 50; ++iteration) {
    double f[5] = {10.0, 0.0, 0.0, 0.0, 0.0}, jac[5][5] = {};
    auto add = [&](int a, int b, double flow, double da, double db) {  // flow from b into a
      for (auto [n, sign] : {std::pair{a, 1.0}, std::pair{b, -1.0}}) {
        if (n == 99) continue;
        f[n - 1] += sign * flow;
        if (a != 99) jac[n - 1][a - 1] += sign * da;
        if (b != 99) jac[n - 1][b - 1] += sign * db;
      }
    };
    for (std::size_t c = 0; c < kUnitGl.pairs.size(); ++c) {
      const auto [a, b] = kUnitGl.pairs[c];
      const double g = kUnitGl.values[c];
      add(a, b, g * (at(b) - at(a)), -g, g);
    }
    for (std::size_t c = 0; c < kUnitGr.pairs.size(); ++c) {
      const auto [a, b] = kUnitGr.pairs[c];
      const double g = kUnitGr.values[c] * kStefan;
      add(a, b, g * (std::pow(at(b), 4) - std::pow(at(a), 4)), -4 * g * std::pow(at(a), 3),
          4 * g * std::pow(at(b), 3));
    }
    // Solve jac dx = -f by elimination with partial pivoting.
    double x[5];
    for (int i = 0; i < 5; ++i) f[i] = -f[i];
    for (int c = 0; c < 5; ++c) {
      int p = c;
      for (int r = c + 1; r < 5; ++r)
        if (std::fabs(jac[r][c]) > std::fabs(jac[p][c])) p = r;
      std::swap(jac[c], jac[p]);
      std::swap(f[c], f[p]);
      for (int r = c + 1; r < 5; ++r) {
        const double q = jac[r][c] / jac[c][c];
        for (int k = c; k < 5; ++k) jac[r][k] -= q * jac[c][k];
        f[r] -= q * f[c];
      }
    }
    for (int r = 4; r >= 0; --r) {
      double s = f[r];
      for (int k = r + 1; k < 5; ++k) s -= jac[r][k] * x[k];
      x[r] = s / jac[r][r];
    }
    for (int i = 0; i < 5; ++i) t[static_cast<std::size_t>(i)] += x[i];
  }
  return t;
}

TEST_F(WrittenModels, RadiatingUnitSolvesToItsSteadyState) {
  write_unit(kUnitGl, kUnitGr);
  const Outcome o = run_unit();
  ASSERT_EQ(o.status, 0) << o.out << o.err;
  const std::vector<double> t = read_numbers(dir.read("result.txt"));
  ASSERT_EQ(t.size(), 6u);
  const std::array<double, 5> want = unit_by_newton();
  for (int i = 0; i < 5; ++i) EXPECT_NEAR(t[static_cast<std::size_t>(i)] + kTabs, want[i], 1e-3) << "node " << i + 1;
  EXPECT_EQ(t[5], kSpace);
  // The 10 W leave through the radiator and the panels.
  double radiated = 0.0;
  for (int i : {2, 3, 4})
    radiated += kUnitGr.values[static_cast<std::size_t>(i - 1)] * kStefan *
                (std::pow(t[static_cast<std::size_t>(i)] + kTabs, 4) - std::pow(kSpace + kTabs, 4));
  EXPECT_NEAR(radiated, 10.0, 1e-2);
}

TEST_F(WrittenModels, PairListsOutOfOrderAreRefused) {
  const std::string action = "@Building the connection lists of model UNIT (1)@";
  const std::string context = "@Loading the model database";
  struct Case {
    const char* what;
    Conductors gl, gr;
    std::string message;
    int code;
  };
  const Case cases[] = {
      {"GR pair (1, 4) written last",
       kUnitGl,
       {{{3, 99}, {4, 99}, {5, 99}, {1, 4}}, {0.1, 0.02, 0.02, 0.01}},
       "Conductor node pairs not sorted by first node" + action +
           "List 70 (GR node pairs): pair 4 (1, 4) follows pair 3 (5, 99); a list runs in ascending order of its "
           "first nodes" +
           context,
       3},
      {"GR pair written (4, 1) among the pairs of node 4",
       kUnitGl,
       {{{3, 99}, {4, 99}, {4, 1}, {5, 99}}, {0.1, 0.02, 0.01, 0.02}},
       "Conductor node pair in reverse order" + action +
           "List 70 (GR node pairs): pair 3 (4, 1); a GL or GR pair names the lower node number first" + context,
       4},
      {"GL pair written (2, 1)",
       {{{2, 1}, {2, 3}, {2, 4}, {2, 5}}, {0.5, 0.5, 0.5, 0.5}},
       kUnitGr,
       "Conductor node pair in reverse order" + action +
           "List 69 (GL node pairs): pair 1 (2, 1); a GL or GR pair names the lower node number first" + context,
       4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    write_unit(c.gl, c.gr);
    expect_refused(run_unit(), c.message, c.code);
  }
}

// ---------------------------------------------------------------------------
// The pumped ring: eight 1 m lengths of 10 mm pipe of water at 2 bar, node 1
// holding the pressure; a block (node 100) dissipating 400 W is joined by
// four GL of 25 W/K to nodes 2 to 5, nodes 6 to 8 radiate through GR of
// 0.3 m2 each to deep space (node 999). A pump of 600 Pa drives link 1.
// Seven conductors touch fluid nodes: list 66 gives 4 GL, 3 GR and 0 GF.
// ---------------------------------------------------------------------------

constexpr const char* kRing = "RING                    ";
constexpr double kPower = 400.0, kGl = 25.0, kGr = 0.3;

// clang-format off
const std::map<std::string, double> kRingConstants = {
    {"NLOOP", 100}, {"LENGTH", 60}, {"WIDTH", 132}, {"MLEVEL", 0}, {"METHOD", 0}, {"STEPCT", 0}, {"PRGFBK", 0},
    {"NLOOPH", 0}, {"NLOOPT", 0}, {"FSTEPS", 1}, {"DAMPT", 1.0}, {"RELXCA", 1.0e-3}, {"FRLXCA", 1.0e-3},
    {"RELXMA", 1.0e-4}, {"DAMPM", 0.5}, {"MINFLO", 1.0e-6}, {"MINDP", 0.0}, {"STEFAN", kStefan}, {"TABS", kTabs},
    {"PABS", 0.0}, {"GRAVX", 0.0}, {"GRAVY", 0.0}, {"GRAVZ", 0.0}, {"RLCOUR", 0.5}, {"ARITH", 0.0},
    {"TIMEO", 0.0}, {"TIMEND", 20000.0}, {"DTIMEI", 20.0}, {"OUTINT", 20000.0}, {"DTMIN", 1.0}, {"DTMAX", 60.0},
    {"DTPMAX", 2.0}};
// clang-format on

// The ring's fluid node numbers may be given in another order (the links
// keep theirs).
void write_ring(std::array<std::int32_t, 3> touching, std::vector<std::int32_t> fluid = {1, 2, 3, 4, 5, 6, 7, 8}) {
  const int nf = 8;
  std::vector<std::int32_t> links;
  for (int i = 1; i <= nf; ++i) {
    links.insert(links.end(), {i, i == nf ? 1 : i + 1});
  }
  auto all = [&](double v) { return std::vector<double>(nf, v); };
  auto texts = [&](const char* v) { return std::vector<std::string>(nf, v); };
  std::vector<std::string> statuses = texts("F");
  statuses[0] = "J";
  const std::vector<double> tzeros(2, 0.0);
  mdbw::Database db;
  db.name = "RING";
  auto& m = db.add_model("RING", 0);
  m.ints(1, {100, 999})
      .reals(2, {20.0, kSpace})
      .reals(3, {4000.0, 0.0})
      .reals(4, tzeros)
      .reals(5, tzeros)
      .reals(6, {kPower, 0.0})
      .reals(7, tzeros)
      .reals(8, tzeros)
      .reals(9, tzeros)
      .reals(10, tzeros)
      .reals(11, tzeros)
      .texts(12, 24, {"BLOCK", "SPACE"})
      .texts(13, 1, {"D", "B"})
      .reals(14, {kGl, kGl, kGl, kGl})
      .reals(15, {kGr, kGr, kGr})
      .texts(18, 1, {"A", "A", "A", "A"})
      .texts(19, 1, {"A", "A", "A"})
      .id_card(touching)
      .control_constants(mdbw::control_constant_values({10, 0}, kRingConstants))
      .ints(69, {100, 2, 100, 3, 100, 4, 100, 5})
      .ints(70, {999, 6, 999, 7, 999, 8})
      .reals(72, tzeros)
      .reals(73, tzeros)
      .reals(74, tzeros)
      .reals(96, tzeros)
      .reals(97, tzeros)
      .reals(98, tzeros)
      .ints(201, fluid)
      .reals(202, all(0.0))
      .reals(203, all(0.01))
      .reals(204, all(1.0))
      .reals(205, all(2.0e5))
      .reals(206, all(0.0))
      .reals(207, all(20.0))
      .reals(208, all(1.0e-5))
      .reals(209, all(0.0))
      .reals(210, all(0.0))
      .reals(211, all(0.0))
      .reals(212, all(0.0))
      .reals(213, all(0.0))
      .reals(214, all(0.0))
      .reals(215, all(0.0))
      .texts(216, 24, texts("WATER"))
      .texts(217, 24, texts(""))
      .texts(218, 1, statuses)
      .ints(219, links)
      .reals(220, all(0.01))
      .reals(222, all(1.0e20))
      .texts(223, 1, texts("A"))
      .reals(231, all(0.0))
      .texts(232, 4, texts("LIQ"))
      .reals(233, all(mdbw::undefined_real()))
      .reals(234, all(0.0))
      .reals(235, all(0.0))
      .reals(236, all(0.0))
      .reals(237, all(0.0))
      .reals(238, all(0.0))
      .texts(239, 4, texts("P&T"));
  db.write("RING.MDB");
  acdw::write_empty_case("RING.acd");
}

// NT 2, NGL 4, NGR 3, NF 8, NL 8; word 24 = 6 x 2 + 2 x 7 thermal conductor
// ends + 2, word 35 = 5 x 8 + 4 x 8 + 2 x 7 fluid conductor ends.
// clang-format off
constexpr std::array<int, 41> kRingFlags = {
    2, 4, 0, 3,  0, 0, 0,   0,      0, 0,  // words 1-10
    2, 0, 49, 25, 16, 0, 92, 0,     0, 0,  // words 11-20
    0, 0, 0, 28, 2, 1, 133, 100000, 1, 0,  // words 21-30
    0, 8, 8, 0,  86, 1, 0,  0,      0, 0,  // words 31-40
    0};
// clang-format on

Outcome run_ring() {
  return in_child([] {
    tna_test::model.initial = [] { gar_massflowlinkpressuresources(1) = 600.0; };
    tna_test::model.execution = [] {
      FLTNTS();
      std::vector<double> t = {gar_thermalnodetemps(1)};
      for (int j = 1; j <= 8; ++j) t.push_back(gar_fluidnodetemps(j));
      write_numbers("result.txt", t);
    };
    run_program(kRingFlags, kRing);
  });
}

TEST_F(WrittenModels, PumpedRingSettlesWithItsEnergyBalanced) {
  write_ring({4, 3, 0});
  const Outcome o = run_ring();
  ASSERT_EQ(o.status, 0) << o.out << o.err;
  const std::vector<double> t = read_numbers(dir.read("result.txt"));
  ASSERT_EQ(t.size(), 9u);
  // The block gives its 400 W to the coolant, the radiator the same to space.
  double into_coolant = 0.0, radiated = 0.0;
  for (int j : {2, 3, 4, 5}) into_coolant += kGl * (t[0] - t[static_cast<std::size_t>(j)]);
  for (int j : {6, 7, 8})
    radiated += kGr * kStefan * (std::pow(t[static_cast<std::size_t>(j)] + kTabs, 4) - std::pow(kSpace + kTabs, 4));
  EXPECT_NEAR(into_coolant, kPower, 2.0);
  EXPECT_NEAR(radiated, kPower, 0.01 * kPower);
  // The coolant warms along the block and cools along the radiator.
  EXPECT_GT(t[5], t[2]);
  EXPECT_LT(t[8], t[6]);
}

TEST_F(WrittenModels, MiscountedConductorsTouchingFluidNodesAreRefused) {
  const std::string action = "@Building the connection lists of model RING (1)@";
  const std::string context = "@Loading the model database";
  struct Case {
    std::array<std::int32_t, 3> touching;
    std::string info;
  };
  const Case cases[] = {
      {{0, 0, 0}, "GL conductors touching fluid nodes: 0 by list 66 item 70, 4 in list 69"},
      {{3, 0, 0}, "GL conductors touching fluid nodes: 3 by list 66 item 70, 4 in list 69"},
      {{4, 4, 0}, "GR conductors touching fluid nodes: 4 by list 66 item 71, 3 in list 70"},
      {{4, 3, 1}, "GF conductors touching fluid nodes: 1 by list 66 item 72, 0 in list 71"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.info);
    write_ring(c.touching);
    expect_refused(run_ring(), "Count of conductors touching fluid nodes is wrong" + action + c.info + context, 5);
  }
}

// Node numbers out of order (or used twice) would be looked up by bisection
// and missed: a conductor to a node the search does not find was left out
// of the lists without a word.
TEST_F(WrittenModels, NodeNumbersOutOfOrderAreRefused) {
  const std::string context = "@Loading the model database";
  {
    SCOPED_TRACE("thermal nodes 1, 2, 3, 5, 4, 99");
    write_unit(kUnitGl, kUnitGr, {1, 2, 3, 5, 4, 99});
    expect_refused(
        run_unit(),
        "Node numbers not in ascending order@Building the connection lists of model UNIT (1)@List 1 "
        "(thermal node numbers): node 4 at position 5 follows node 5; the numbers of a model ascend, each "
        "used once" +
            context,
        6);
  }
  {
    SCOPED_TRACE("fluid node 4 twice");
    write_ring({4, 3, 0}, {1, 2, 3, 4, 4, 6, 7, 8});
    expect_refused(run_ring(),
                   "Node numbers not in ascending order@Building the connection lists of model RING (1)@List 201 "
                   "(fluid node numbers): node 4 at position 5 follows node 4; the numbers of a model ascend, each "
                   "used once" +
                       context,
                   6);
  }
}

}  // namespace
