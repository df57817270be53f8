// Step acceptance (FSTIME) on its own: rejection and the cut step,
// acceptance with its copies, blocks, output times and counters, the step
// start handed on from the end of a step, and the end warnings.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "fluid/fluid_services.h"
#include "fluid/step_control.h"
#include "fluid_fixture.h"
#include "platform/process.h"

namespace fluid_test {
namespace {

FlReals view(std::vector<double>& v) { return FlReals(v.data(), static_cast<std::int64_t>(v.size())); }

// ---------------------------------------------------------------------------
// Step acceptance.

class Fstime : public FluidTest {
 protected:
  void SetUp() override {
    FluidTest::SetUp();
    log.install();
    tna_test::FluidModel fm = tna_test::chain(2);
    fm.thermal(10, 'D', 5.0, 1.0);
    build(fm);
    told = {5.0, 0.0};
    tnew = {6.0, 0.0};
    tfold = {20.0, 20.0};
    tfnew = {21.0, 22.0};
    s = {view(told), view(fold), view(tnew), view(tfold), view(ffold), view(tfnew)};
    GLOR.TIMEO = 2.0;
    GLOR.TIMEN = 3.0;
    GLOR.DTIMEU = 1.0;
    GLOR.TIMEND = 10.0;
    GLOR.OUTINT = 5.0;
    GLOR.DTIMEI = 1.0;
    GLOR.DTMIN = 0.1;
    GLOR.DTMAX = 10.0;
    clock.routine = "FLTNTS";
    clock.nominal = 5.0;
    clock.next = 5.0;
  }
  tna_test::BlockLog log;
  std::vector<double> told, fold = {0.0, 0.0}, tnew, tfold, ffold = {0.0, 0.0}, tfnew;
  FlStepArrays s;
  FlClock clock;
  FlExceedances counts;
  int accepted = -1;
};

TEST_F(Fstime, ChangeAboveDtpmaxRepeatsTheStepShorter) {
  GLOR.DTPMAX = 0.5;
  FSTIME(net, clock, "YY", 0, 2.0, s, counts, accepted);
  EXPECT_EQ(accepted, 0);
  EXPECT_DOUBLE_EQ(GLOR.DTIMEU, 0.95 * 1.0 * 0.5 / 2.0);
  EXPECT_EQ(GLOR.TIMEO, 2.0);
  EXPECT_EQ(GLOR.TIMEN, 2.0 + GLOR.DTIMEU);
  EXPECT_EQ(GLOR.TIMEM, 2.0 + GLOR.DTIMEU / 2.0);
  EXPECT_EQ(tnew[0], 5.0);  // the iterates go back to the start
  EXPECT_EQ(tfnew[1], 20.0);
  EXPECT_EQ(net.t(1), 5.0);  // the model is left alone
  EXPECT_TRUE(log.calls.empty());
  EXPECT_EQ(counts.relxma + counts.dtpmax + counts.relxca + counts.frlxca, 0);

  // The cut is held between DTMIN and DTMAX; a cut that is not a number
  // takes DTMAX.
  struct Case {
    double dtpmax, change, dtmax, expected;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {{1.0e-6, 1.0, 10.0, 0.1}, {0.5, 0.6, 0.5, 0.5}, {-inf, inf, 7.0, 7.0}};
  for (const Case& c : cases) {
    GLOR.DTIMEU = 1.0;
    GLOR.DTPMAX = c.dtpmax;
    GLOR.DTMAX = c.dtmax;
    FSTIME(net, clock, "YY", 0, c.change, s, counts, accepted);
    EXPECT_EQ(accepted, 0);
    EXPECT_EQ(GLOR.DTIMEU, c.expected) << c.dtpmax;
  }
}

TEST_F(Fstime, AcceptedStepCopiesCountsAndPlacesTheNextStep) {
  struct Case {
    const char* present;
    int hydraulic;
    double relxcc, frlxcc;
    double t, tf1;  // node temperatures afterwards
    int relxca, frlxca, relxma;
  };
  const Case cases[] = {
      {"YY", 0, 1.0, 1.0, 6.0, 21.0, 1, 1, 1},
      {"YY", 1, 0.0, 0.0, 6.0, 21.0, 0, 0, 0},
      {"YN", -1, 0.0, 0.0, 6.0, 20.0, 0, 0, 0},
      {"NY", -1, 0.0, 0.0, 5.0, 21.0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.present);
    SetUp();
    counts = FlExceedances{};
    log.calls.clear();
    GLOR.DTPMAX = 1.0e10;
    GLOR.RELXCA = GLOR.FRLXCA = 0.5;
    GLOR.RELXCC = c.relxcc;
    GLOR.FRLXCC = c.frlxcc;
    FSTIME(net, clock, c.present, c.hydraulic, 0.25, s, counts, accepted);
    EXPECT_EQ(accepted, 1);
    EXPECT_EQ(net.t(1), c.t);
    EXPECT_EQ(net.tf(1), c.tf1);
    EXPECT_EQ(counts.relxca, c.relxca);
    EXPECT_EQ(counts.frlxca, c.frlxca);
    EXPECT_EQ(counts.relxma, c.relxma);
    EXPECT_EQ(counts.dtpmax, 0);
    // VARIABLES2 saw the step; no output before 5; next step 3 -> 4.
    ASSERT_EQ(log.calls.size(), 1u);
    EXPECT_EQ(log.calls[0].block, "VARIABLES2");
    EXPECT_EQ(log.calls[0].timeo, 2.0);
    EXPECT_EQ(log.calls[0].timen, 3.0);
    EXPECT_EQ(GLOR.TIMEO, 3.0);
    EXPECT_EQ(GLOR.TIMEN, 4.0);
    EXPECT_EQ(GLOR.TIMEM, 3.5);
  }
}

TEST_F(Fstime, OutputTimesAndTheEndOfTheRun) {
  // A step that reaches the output time 5 runs OUTPUTS and aims at 10.
  GLOR.TIMEO = 4.0;
  GLOR.TIMEN = 5.0;
  FSTIME(net, clock, "YY", -1, 0.0, s, counts, accepted);
  ASSERT_EQ(log.calls.size(), 2u);
  EXPECT_EQ(log.calls[1].block, "OUTPUTS");
  EXPECT_EQ(log.calls[1].timen, 5.0);
  EXPECT_EQ(clock.nominal, 10.0);
  EXPECT_EQ(clock.next, 10.0);
  EXPECT_FALSE(fl_loop_done());
  // A remainder of 1.5 steps to the output time is split in two.
  GLOR.TIMEO = 7.5;
  GLOR.TIMEN = 8.5;
  FSTIME(net, clock, "YY", -1, 0.0, s, counts, accepted);
  EXPECT_EQ(GLOR.TIMEN, 9.25);
  // The last step ends at TIMEND; the loop is done.
  GLOR.TIMEO = 9.25;
  GLOR.TIMEN = 10.0;
  FSTIME(net, clock, "YY", -1, 0.0, s, counts, accepted);
  EXPECT_EQ(log.calls.back().block, "OUTPUTS");
  EXPECT_EQ(GLOR.TIMEO, 10.0);
  EXPECT_EQ(clock.next, 10.0);  // the nominal 15 cut at TIMEND
  EXPECT_TRUE(fl_loop_done());
}

// The end of every step hands the step start on: an accepted step's end
// becomes the start a later rejection puts back, and a rejection puts the
// same start back however often it comes (the repeat of a repeat).
TEST_F(Fstime, AcceptedEndIsTheStartARejectionPutsBack) {
  std::vector<double> r1v = {0.0, 0.0}, r2v = {0.0};
  const FlReals r1 = view(r1v), r2 = view(r2v);
  FlTimeLag lag;
  FlStepStart start;
  fl_step_start_size(net, false, r1, r2, start);
  net.p(1) = 1.0e5;
  r1(2) = 0.5;
  lag.time = 1.0;
  lag.pointer = 2;
  fl_step_start_save(net, false, r1, r2, lag, start);

  // A step that ends accepted: what it ends with is the next start.
  net.p(1) = 2.0e5;
  r1(2) = 0.75;
  lag.time = 2.0;
  lag.pointer = 3;
  fl_step_start_next(net, false, r1, r2, lag, true, start);

  for (int repeat = 0; repeat < 2; ++repeat) {
    net.p(1) = 9.0e5;
    r1(2) = 9.0;
    r2(1) = 9.0;
    lag.time = 9.0;
    lag.pointer = 9;
    fl_step_start_next(net, false, r1, r2, lag, false, start);
    EXPECT_EQ(net.p(1), 2.0e5);
    EXPECT_EQ(r1(2), 0.75);
    EXPECT_EQ(r2(1), 0.0);
    EXPECT_EQ(lag.time, 2.0);
    EXPECT_EQ(lag.pointer, 3);
  }
}

TEST_F(Fstime, EndWarningsAndTheirField) {
  FlExceedances c;
  c.relxca = 10;
  c.frlxca = 9;
  c.relxma = 1;
  c.dtpmax = 50;
  fl_end_warnings("FLTNTS", "FLTSIT", c, 100);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, "FLTNTS: RELXCA exceeded in more than 10% of time steps"));
  EXPECT_TRUE(has_message(l, "FLTNTS: FRLXCA exceeded in up to 10% of time steps"));
  EXPECT_TRUE(has_message(l, "FLTNTS: RELXMA exceeded in up to 10% of time steps"));
  EXPECT_TRUE(has_message(l, "FLTNTS: DTPMAX exceeded in more than 10% of time steps"));
  for (int code : {2, 3, 5, 8}) EXPECT_TRUE(has_reference(l, "FLTSIT", code)) << code;
  // In order RELXCA, FRLXCA, RELXMA, DTPMAX.
  EXPECT_LT(l.find("RELXCA exceeded"), l.find("FRLXCA exceeded"));
  EXPECT_LT(l.find("FRLXCA exceeded"), l.find("RELXMA exceeded"));
  EXPECT_LT(l.find("RELXMA exceeded"), l.find("DTPMAX exceeded"));
}

}  // namespace
}  // namespace fluid_test
