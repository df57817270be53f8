// SLGRDJ: the Gear method with the point corrector. Analytic decays, the
// stiff pair, agreement with SLGEAR, the growth retry, the DTMIN end and the
// messages naming SLGRDJ.
#include "thermal/slgrdj.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "casedata/status_flag.h"
#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/network_builder.h"
#include "support/test_env.h"
#include "support/test_model.h"
#include "thermal/gear.h"
#include "transient_fixture.h"

namespace {

using cn_test::has_message;
using cn_test::has_reference;

struct Out {
  double time;
  std::vector<double> t;
};

class SlgrdjSolution : public thermal_test::ListingTest {
 protected:
  SlgrdjSolution() : ListingTest("slgrdj", "slgrdj_listing") {}
  void SetUp() override {
    reset_run();
    SLDINC();
    GLOR.RELXCA = 1e-4;
    GLOI.NLOOP = 200;
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = 50.0;
    GLOR.OUTINT = 5.0;
    GLOR.DTIMEI = 1e-3;
    GLOR.DTMIN = 1e-9;
    GLOR.DTMAX = 1e6;
    fresh_listing();
  }
  void build(tna_test::Network& net, std::vector<std::pair<int, double>> caps, int dystor = 4000) {
    cn_test::build_with_caps(net, caps);
    cn_test::give_core(dystor, 1, 20);
  }
  void record_outputs() {
    tna_test::model.outputs = [this] {
      Out o{GLOR.TIMEN, {}};
      for (int i = 1; i <= FLAGS(1); ++i) o.t.push_back(gar_thermalnodetemps(i));
      outs_.push_back(o);
    };
  }

  std::vector<Out> outs_;
};

TEST_F(SlgrdjSolution, RcDecayWithBoundariesPlacedFirst) {
  // The boundary comes first in node order: increments are still read at
  // each solved node's own position. Coupled only to a boundary, the point
  // iteration is exact after one pass, so every step ends in its second.
  tna_test::Network net;
  net.node(1, 'B', 0.0).node(2, 'D', 100.0);
  net.gl(1, 2, 1.0);
  build(net, {{2, 10.0}});
  record_outputs();
  std::vector<int> loops;
  tna_test::model.variables2 = [&] { loops.push_back(GLOI.LOOPCT); };
  SLGRDJ();
  ASSERT_EQ(outs_.size(), 11u);
  for (const Out& o : outs_) {
    EXPECT_NEAR(o.t[1], 100.0 * std::exp(-o.time / 10.0), 5.0 * 373.15 * GLOR.RELXCA) << o.time;
    EXPECT_EQ(o.t[0], 0.0);
  }
  ASSERT_FALSE(loops.empty());
  for (int l : loops) EXPECT_LE(l, 2);
  EXPECT_EQ(GLOC.MODULE, "SLGRDJ");
  EXPECT_TRUE(GLOC.SOLVER.blank());
  EXPECT_EQ(GLOR.TIMEO, 50.0);
  EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), 1);
  EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), 20);
}

TEST_F(SlgrdjSolution, AgreesWithSlgearOnASmoothRadiatingNetwork) {
  std::vector<Out> runs[2];
  for (int n = 0; n < 2; ++n) {
    outs_.clear();
    SetUp();
    tna_test::Network net;
    net.node(1, 'D', 200.0).node(2, 'D', 50.0).node(3, 'B', -20.0);
    net.gr(1, 2, 2e-3);
    net.gl(2, 3, 0.2);
    net.gl(1, 3, 0.05);
    build(net, {{1, 4.0}, {2, 6.0}});
    GLOR.RELXCA = 1e-6;
    GLOR.TIMEND = 100.0;
    GLOR.OUTINT = 10.0;
    record_outputs();
    if (n == 0) SLGEAR();
    else SLGRDJ();
    runs[n] = outs_;
    TearDown();
  }
  ASSERT_EQ(runs[0].size(), runs[1].size());
  for (std::size_t k = 0; k < runs[0].size(); ++k)
    for (int i = 0; i < 2; ++i) EXPECT_NEAR(runs[0][k].t[i], runs[1][k].t[i], 0.05) << runs[0][k].time;
}

// A corrector that stopped because its increments grew arrives at the
// error test unconverged: the step is retried at 0.9 RELXCA / RELXCC of its
// length from the temperatures of the step start, and refused once the
// step is already at DTMIN.
TEST_F(SlgrdjSolution, UnconvergedCorrectorRetriesShorterOrEndsAtDtmin) {
  std::vector<double> w(13 * 2 + 1, 0.0);
  std::vector<double> t = {55.0, 66.0};
  std::vector<plat::Text<1>> st(2);
  st[0] = "D";
  st[1] = "B";
  GearState g;
  g.net.nt = 2;
  g.bynode = true;
  g.lenw = static_cast<std::int64_t>(w.size());
  g.w = ThReals(w.data(), g.lenw);
  g.net.t = ThReals(t.data(), 2);
  g.net.tstat = ThCLetters(st.data(), 2);
  g.r = 3;
  g.slab(3, 1) = 10.0 + GLOR.TABS;
  g.slab(3, 2) = 20.0 + GLOR.TABS;
  g.converged = 0;
  GLOR.TIMEO = 4.0;
  GLOR.TIMEN = 6.0;
  GLOR.DTIMEU = 2.0;
  GLOR.TIMEND = 100.0;
  GLOR.DTMIN = 1e-4;
  GLOR.RELXCA = 1e-3;
  GLOR.RELXCC = 0.5;
  S5CHCK(g);
  EXPECT_EQ(g.stop, 0);
  EXPECT_NEAR(GLOR.DTIMEU, (1e-3 / 0.5) * 0.9 * 2.0, 1e-14);
  EXPECT_DOUBLE_EQ(GLOR.TIMEN, 4.0 + (1e-3 / 0.5) * 0.9 * 2.0);
  EXPECT_DOUBLE_EQ(GLOR.TIMEM, (GLOR.TIMEN + 4.0) / 2.0);
  EXPECT_NEAR(t[0], 10.0, 1e-12);
  EXPECT_NEAR(t[1], 20.0, 1e-12);
  // Again and again: never below DTMIN, then refused.
  int retries = 0;
  EXPECT_THROW(
      for (;;) {
        S5CHCK(g);
        ++retries;
        EXPECT_GE(GLOR.DTIMEU, 1e-4 * (1 - 1e-9));
      },
      plat::ProcessExit);
  EXPECT_EQ(g.stop, 1);
  EXPECT_GT(retries, 0);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, "SLGEAR: Required timestep is less than DTMIN"));
  EXPECT_TRUE(has_reference(l, "S5TSET", 1));
}

TEST_F(SlgrdjSolution, MessagesNameSlgrdj) {
  struct Case {
    const char* text;
    int code;
    const char* routine;
    void (*setup)();
  } cases[] = {
      {"SLGRDJ: TIMEND is not greater than TIMEO@See Engineering Manual for control constant definitions", 1,
       "SLGRDJ", [] { GLOR.TIMEND = 0.0; }},
      {"SLGRDJ: Control constant NLOOP not specified@See User Manual description of SLGRDJ for a list of required "
       "control constants",
       3, "SLGRDJ", [] { GLOI.NLOOP = kUndefined; }},
      {"SLGRDJ: Control constant RELXCA not specified@See User Manual description of SLGRDJ for a list of "
       "required control constants",
       4, "SLGRDJ", [] { std::memcpy(&GLOR.RELXCA, &kUndefined, sizeof kUndefined); }},
      {"SLGRDJ: Insufficient work space@An extra        12 words needed, increase DYSTOR on $EXECUTION record, "
       "see User Manual description of $EXECUTION block",
       5, "SLGRDJ", [] { FLAGS(FLAGS_NEXTDYNAMICCOREREAL) = 4000 - 26 + 12; }},
      {"SLGRDJ: Failed to converge within NLOOP iterations", 1, "S6CONV", [] { GLOI.NLOOP = 1; }},
  };
  for (const Case& c : cases) {
    SetUp();
    tna_test::Network net;
    net.node(1, 'D', 100.0).node(2, 'B', 0.0);
    net.gl(1, 2, 1.0);
    build(net, {{1, 10.0}});
    c.setup();
    const int top = FLAGS(FLAGS_NEXTDYNAMICCOREREAL);
    try {
      SLGRDJ();
    } catch (const plat::ProcessExit&) {
    }
    const std::string l = listing();
    EXPECT_TRUE(has_message(l, c.text)) << c.text;
    EXPECT_TRUE(has_reference(l, c.routine, c.code)) << c.text;
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), top);
    TearDown();
  }
}

}  // namespace
