// Transient frame: checks and messages, event lists and event times, first
// step and output times, the dynamic core, the smallest time constant, and the
// forward-backward kernels (conductance sums, node correction, METHOD bits).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "thermal/counting_list.h"
#include "thermal/crank_nicolson.h"
#include "thermal/explicit_forward.h"
#include "thermal/forward_backward.h"
#include "thermal/fwbk_kernels.h"
#include "thermal/solver_masks.h"
#include "thermal/thermal_network.h"
#include "thermal/transient_frame.h"
#include "transient_fixture.h"

namespace {

using cn_test::has_message;
using cn_test::has_reference;
using cn_test::kSigma;
using cn_test::kTabs;

class Frame : public cn_test::Transient {};

// ---------------------------------------------------------------------------
// METHOD bits.

TEST_F(Frame, MethodBits) {
  struct Case {
    int method, bit;
    bool set;
  };
  const Case cases[] = {{1024, 1024, true},
                        {1025, 1024, true},
                        {3072, 1024, true},
                        {0, 1024, false},
                        {2048, 1024, false},
                        {-1024, 1024, false},
                        {2, 2, true},
                        {3, 2, true},
                        {1, 2, false},
                        {-2, 2, false},
                        {2147483647, 1073741824, true}};
  for (const Case& c : cases) {
    GLOI.METHOD = c.method;
    EXPECT_EQ(MTDTST(c.bit), c.set) << "METHOD " << c.method << " bit " << c.bit;
  }
}

// ---------------------------------------------------------------------------
// Event lists and event times.

TEST_F(Frame, EventListTakesTypesFiveAndSixInOrder) {
  tna_test::Network net;
  net.node(1, 'D', 0.0);
  build(net);
  arrays({{2, {1.0, 2.0}}, {6, {3.0}}, {5, {1.0, 4.0}}, {2, {0.0, 0.0}}, {6, {9.0}}});
  std::vector<int> list(5, 0);
  int count = -1, status = -1;
  SGTEVT(5, "SLCRNC", count, ThInts(list.data(), 5), status);
  EXPECT_EQ(status, 0);
  ASSERT_EQ(count, 3);
  EXPECT_EQ(list[0], 2);
  EXPECT_EQ(list[1], 3);
  EXPECT_EQ(list[2], 5);

  EXPECT_THROW(SGTEVT(2, "SLFWBK", count, ThInts(list.data(), 5), status), plat::ProcessExit);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, "SLFWBK: Insufficient dynamic core@Increase DYSTOR setting on $EXECUTION statement"));
  EXPECT_TRUE(has_reference(l, "SGTEVT", 1));
}

// The event list every thermal and fluid frame takes: the numbers at the
// integer top, the top past them until the guard ends; a shortage of room
// between the top and DYSTOR, or a top outside the store, is SGTEVT's fatal
// message naming the caller, with the top left where it was.
TEST_F(Frame, EventListTakenAtTheIntegerTop) {
  tna_test::Network net;
  net.node(1, 'D', 0.0);
  build(net, 20, 5);
  arrays({{6, {3.0}}, {2, {1.0}}, {5, {4.0}}});
  {
    gar_CoreGuard core;
    ThCInts events;
    int count = -1;
    ASSERT_TRUE(take_event_list(core, "SLCRNC", events, count));
    ASSERT_EQ(count, 2);
    ASSERT_EQ(events.size(), 2);
    EXPECT_EQ(events(1), 1);
    EXPECT_EQ(events(2), 3);
    EXPECT_EQ(events.data(), &gar_dynamiccoreint(5));
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), 7);
  }
  EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), 5);

  for (const int top : {19, 20, 25}) {
    FLAGS(FLAGS_NEXTDYNAMICCOREINT) = top;
    gar_CoreGuard core;
    ThCInts events;
    int count = -1;
    EXPECT_THROW(take_event_list(core, "SLFWBK", events, count), plat::ProcessExit) << "top " << top;
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), top);
    EXPECT_EQ(count, -1);
  }
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, "SLFWBK: Insufficient dynamic core@Increase DYSTOR setting on $EXECUTION statement"));
  EXPECT_TRUE(has_reference(l, "SGTEVT", 1));
}

TEST_F(Frame, EventTimesPullBack) {
  tna_test::Network net;
  net.node(1, 'D', 0.0);
  build(net);
  // 1: single time 3 (type 6); 2: single time 3 (type 5); 3: periodic 0 + 4k (type 6);
  // 4: interval 0 (type 6): only its first time counts.
  arrays({{6, {3.0}}, {5, {3.0}}, {6, {0.0, 4.0}}, {6, {6.5, 0.0}}});
  struct Case {
    std::vector<int> events;
    const char* mode;
    double tnow, tnext, expect;
  };
  // clang-format off
  const Case cases[] = {
      {{1}, "TIMESTEP", 0.0, 7.5, 3.0},  {{1}, "OUTPUT", 0.0, 15.0, 3.0}, {{2}, "OUTPUT", 0.0, 15.0, 15.0},
      {{2}, "TIMESTEP", 0.0, 7.5, 3.0},  {{1}, "TIMESTEP", 3.0, 7.5, 7.5}, {{1}, "TIMESTEP", 0.0, 3.0, 3.0},
      {{3}, "TIMESTEP", 2.0, 10.0, 4.0}, {{3}, "TIMESTEP", 4.0, 10.0, 8.0}, {{3}, "TIMESTEP", 2.0, 3.5, 3.5},
      {{4}, "TIMESTEP", 0.0, 10.0, 6.5}, {{4}, "TIMESTEP", 7.0, 10.0, 10.0}, {{3, 1}, "OUTPUT", 2.5, 10.0, 3.0},
  };
  // clang-format on
  for (const Case& c : cases) {
    double tnext = c.tnext;
    LEVTIM(ThCInts(c.events.data(), static_cast<std::int64_t>(c.events.size())), c.mode,
           static_cast<int>(c.events.size()), c.tnow, tnext);
    EXPECT_EQ(tnext, c.expect) << c.mode << " from " << c.tnow << " to " << c.tnext;
  }
}

// ---------------------------------------------------------------------------
// The frame run through SLCRNC.

TEST_F(Frame, EndNotAfterStartOnlyWarns) {
  tna_test::Network net;
  net.node(1, 'D', 10.0).node(2, 'B', 0.0);
  net.gl(1, 2, 1.0);
  build(net);
  arrays({{6, {1.0}}});
  GLOR.TIMEO = 5.0;
  GLOR.TIMEND = 5.0;
  GLOR.TIMEN = 7.0;
  GLOR.TIMEM = 8.0;
  tna_test::model.record = true;
  SLCRNC();
  EXPECT_TRUE(tna_test::model.calls.empty());
  EXPECT_EQ(GLOR.TIMEO, 5.0);
  EXPECT_EQ(GLOR.TIMEN, 7.0);
  EXPECT_EQ(GLOR.TIMEM, 8.0);
  EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), 101);
  EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), 101);
  EXPECT_EQ(GLOC.SOLVER.trimmed(), "");
  EXPECT_EQ(GLOC.MODULE.trimmed(), "SLCRNC");
  const std::string l = listing();
  EXPECT_TRUE(has_message(
      l, "SLCRNC: TIMEND is not greater than TIMEO@See Engineering Manual for control constant definitions"));
  EXPECT_TRUE(has_reference(l, "SLCRNC", 1));
}

// First step length and output times with and without events; the stack
// tops are back after the run.
TEST_F(Frame, FirstStepOutputsAndEvents) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, std::vector<double>>> arrays;
    double first_end;
    std::vector<double> outputs;
  };
  const Case cases[] = {
      {"no events", {}, 7.5, {0.0, 15.0, 30.0}},
      {"type 6 at 3", {{6, {3.0}}}, 3.0, {0.0, 3.0, 15.0, 30.0}},
      {"type 5 at 3", {{5, {3.0}}}, 3.0, {0.0, 15.0, 30.0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    tna_test::Network net;
    net.node(1, 'D', 10.0).node(2, 'B', 0.0);
    net.gl(1, 2, 1.0);
    build(net);
    if (!c.arrays.empty()) arrays(c.arrays);
    gar_thermalnodecapacitances(1) = 50.0;
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = 30.0;
    GLOR.DTIMEI = 10.0;
    GLOR.DTMIN = 1.0;
    GLOR.DTMAX = 100.0;
    GLOR.OUTINT = 15.0;
    std::vector<double> ends, outs;
    tna_test::model.reset();
    tna_test::model.variables2 = [&] { ends.push_back(GLOR.TIMEN); };
    tna_test::model.outputs = [&] { outs.push_back(GLOR.TIMEN); };
    SLCRNC();
    ASSERT_FALSE(ends.empty());
    EXPECT_EQ(ends[0], c.first_end);
    EXPECT_EQ(outs, c.outputs);
    EXPECT_EQ(ends.back(), 30.0);
    EXPECT_EQ(GLOR.TIMEO, 30.0);
    EXPECT_EQ(GLOR.TIMEM, 30.0);
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), 101);
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), 101);
    // Steps never exceed DTIMEI.
    double prev = 0.0;
    for (double e : ends) {
      EXPECT_LE(e - prev, 10.0 + 1e-12);
      prev = e;
    }
  }
}

// The step limits: raised to DTMIN, then lowered to DTMAX; a proposal that
// is not a number takes DTMIN (and stays under DTMAX).
TEST_F(Frame, StepLimits) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double dtmin, dtmax, h, expected;
  };
  // clang-format off
  const Case cases[] = {
      {0.25, 4.0, 1.0, 1.0}, {0.25, 4.0, 0.1, 0.25}, {0.25, 4.0, -3.0, 0.25},
      {0.25, 4.0, 10.0, 4.0}, {0.25, 4.0, nan, 0.25}, {5.0, 4.0, nan, 4.0},
      {5.0, 4.0, 1.0, 4.0},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.h);
    GLOR.DTMIN = c.dtmin;
    GLOR.DTMAX = c.dtmax;
    EXPECT_EQ(trf_limit_step(c.h), c.expected);
  }
}

// A step that cannot advance the time (zero limits, an output interval of
// 0, a step lost in the rounding of a large TIMEO, a proposal that falls to
// a DTMIN of 0) ends the run through ERROR naming the routine instead of
// repeating the same step for ever.
TEST_F(Frame, StepThatCannotAdvanceEndsTheRun) {
  struct Routine {
    const char* name;
    std::function<void()> run;
  };
  const Routine routines[] = {{"SLCRNC", SLCRNC}, {"SLFWBK", SLFWBK}, {"SLFRWD", SLFRWD}};
  struct Case {
    const char* what;
    double timeo, timend, dtimei, dtmin, dtmax, outint, dtpmax;
    bool explicit_too;  // the explicit routine's steps do not follow DTPMAX
    bool crnc_too;      // Crank-Nicolson steps at DTMAX when no node limits the step
  };
  const Case cases[] = {
      {"zero limits", 0.0, 10.0, 1.0, 0.0, 0.0, 5.0, 1e10, true, true},
      {"zero output interval", 0.0, 10.0, 1.0, 1e-3, 10.0, 0.0, 1e10, true, true},
      {"step below the rounding of TIMEO", 1e9, 1e9 + 1.0, 1e-9, 1e-9, 1e-9, 1.0, 1e10, true, true},
      // No capacitive node: no change, so the forward-backward proposal 0 /
      // 0 falls to DTMIN = 0 after the first step.
      {"proposal down to a zero DTMIN", 0.0, 10.0, 1.0, 0.0, 10.0, 5.0, 0.0, false, false},
  };
  for (const Routine& r : routines) {
    for (const Case& c : cases) {
      if (!c.explicit_too && std::string(r.name) == "SLFRWD") continue;
      if (!c.crnc_too && std::string(r.name) == "SLCRNC") continue;
      SCOPED_TRACE(std::string(r.name) + ": " + c.what);
      // A zero-capacitance node between a boundary and nothing else.
      tna_test::Network net;
      net.node(1, 'D', 10.0).node(2, 'B', 0.0);
      net.gl(1, 2, 1.0);
      build(net);
      fresh_listing();
      GLOR.TIMEO = c.timeo;
      GLOR.TIMEND = c.timend;
      GLOR.DTIMEI = c.dtimei;
      GLOR.DTMIN = c.dtmin;
      GLOR.DTMAX = c.dtmax;
      GLOR.OUTINT = c.outint;
      GLOR.DTPMAX = c.dtpmax;
      int steps = 0;
      tna_test::model.reset();
      tna_test::model.variables2 = [&] {
        if (++steps > 10000) throw std::runtime_error("the steps do not advance");
      };
      EXPECT_THROW(r.run(), plat::ProcessExit);
      const std::string l = listing();
      EXPECT_NE(l.find(std::string("Unrecoverable error condition in module ") + r.name), std::string::npos) << l;
      EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), 101);
      EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), 101);
    }
  }
}

TEST_F(Frame, CyclicSolverCodeIsKept) {
  tna_test::Network net;
  net.node(1, 'D', 10.0).node(2, 'B', 0.0);
  net.gl(1, 2, 1.0);
  build(net);
  gar_thermalnodecapacitances(1) = 5.0;
  GLOC.SOLVER = "CYTH";
  std::string during;
  tna_test::model.variables2 = [&] { during = std::string(GLOC.SOLVER.trimmed()); };
  SLCRNC();
  EXPECT_EQ(during, "CYTH");
  EXPECT_EQ(GLOC.SOLVER.trimmed(), "CYTH");
  GLOC.SOLVER = "";
  SLCRNC();
  EXPECT_EQ(GLOC.SOLVER.trimmed(), "");
}

TEST_F(Frame, EndWarningsTexts) {
  struct Case {
    int count, steps, code;
    const char* tail;
  };
  const Case cases[] = {{1, 11, 5, "in up to 10% of time steps"}, {1, 10, 6, "in more than 10% of time steps"}};
  for (const Case& c : cases) {
    fresh_listing();
    trf_end_warning("SLCRNC", "DTPMAX", c.count, c.steps, 5, "S9Slve");
    const std::string l = listing();
    EXPECT_TRUE(has_message(l, std::string("SLCRNC: DTPMAX exceeded ") + c.tail)) << l;
    EXPECT_TRUE(has_reference(l, "S9Slve", c.code));
  }
  fresh_listing();
  trf_end_warning("SLCRNC", "DTPMAX", 0, 10, 5, "S9Slve");
  EXPECT_EQ(listing().find("DTPMAX"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Smallest time constant.

TEST_F(Frame, SmallestTimeConstant) {
  tna_test::Network net;
  net.node(1, 'D', 20.0).node(2, 'D', 30.0).node(3, 'B', 0.0).node(4, 'D', 0.0).node(5, 'X', 0.0);
  net.gl(1, 3, 2.0);
  net.gl(2, 3, 1.0);
  net.gr(2, 1, 1.0);
  net.gl(4, 5, 3.0);
  build(net);
  gar_thermalnodecapacitances(1) = 10.0;  // 10 / (2 + radiation)
  gar_thermalnodecapacitances(2) = 1.0;   // 1 / (1 + radiation): the smallest
  gar_thermalnodecapacitances(3) = 1e-3;  // boundary: not taken
  gar_thermalnodecapacitances(4) = 1e-3;  // only neighbour inactive: g = 0, not taken
  GLOI.NCSGMN = 77;
  const double ta = 20.0 + kTabs, tb = 30.0 + kTabs;
  const double hr = kSigma * (ta * ta + tb * tb) * (ta + tb);
  trf_start_services();
  EXPECT_NEAR(GLOR.CSGMIN, 1.0 / (1.0 + hr), 1e-12);
  EXPECT_EQ(GLOI.NCSGMN, 2);

  // No qualifying node: 1.0E38, NCSGMN kept.
  for (int i = 1; i <= 5; ++i) gar_thermalnodecapacitances(i) = 0.0;
  trf_start_services();
  EXPECT_EQ(GLOR.CSGMIN, 1.0e38);
  EXPECT_EQ(GLOI.NCSGMN, 2);
}

// ---------------------------------------------------------------------------
// Conductance sums and the node correction.

struct Sums {
  double g = 0, gt = 0, r = 0, rt = 0, g4 = 0, gt4 = 0;
};

Sums sums_of(int i) {
  const int nt = FLAGS(1);
  static std::vector<std::int32_t> gfm, glm, grm, dm, dbm;
  gfm.assign(static_cast<std::size_t>(std::max(FLAGS(3), 1)), 0);
  glm.assign(static_cast<std::size_t>(std::max(FLAGS(2), 1)), 0);
  grm.assign(static_cast<std::size_t>(std::max(FLAGS(4), 1)), 0);
  dm.assign(static_cast<std::size_t>(nt), 0);
  dbm.assign(static_cast<std::size_t>(nt), 0);
  ThInts gfv(gfm.data(), static_cast<std::int64_t>(gfm.size())),
      glv(glm.data(), static_cast<std::int64_t>(glm.size())), grv(grm.data(), static_cast<std::int64_t>(grm.size())),
      dv(dm.data(), nt), dbv(dbm.data(), nt);
  SLOGST2(FLAGS(3), FLAGS(2), FLAGS(4), nt, gar_fluidiccondacts.view(), gar_linearcondacts.view(),
          gar_radiativecondacts.view(), gar_thermalnodestatuses.view(), dv, gfv, glv, grv, dbv);
  Sums s;
  const ThNetwork net = th_network();
  static ThCountingStore store;
  ThCountingList list = th_counting_list(net, store);
  th_build_counting_list(net, gfv, glv, grv, dbv, list);
  S1GSUM(net, list, i, net.t, s.g, s.gt, s.r, s.rt);
  S4GSUM(net, list, i, net.t, s.g4, s.gt4);
  return s;
}

TEST_F(Frame, ConductanceSumsSkipWhatDoesNotCount) {
  tna_test::Network net;
  net.node(1, 'D', 10.0).node(2, 'B', 30.0).node(3, 'X', 500.0).node(4, 'D', 40.0).fluid(9, 60.0);
  net.gl(1, 2, 2.0);
  net.gl(1, 3, 5.0);       // neighbour inactive
  net.gl(1, 4, 7.0, 'I');  // conductor inactive
  net.gf(1, 4, 3.0);       // node 1 is upstream: counts at node 4 only
  net.gf(2, 1, 0.5);       // downstream at node 1: counts
  net.gl(1, 9, 1.5);       // fluid neighbour: a boundary at 60
  net.gr(1, 2, 0.25);
  build(net);
  const Sums s = sums_of(1);
  const double t2 = 30.0 + kTabs, t9 = 60.0 + kTabs, t1 = 10.0 + kTabs;
  EXPECT_NEAR(s.g, 2.0 + 0.5 + 1.5, 1e-12);
  EXPECT_NEAR(s.gt, 2.0 * t2 + 0.5 * t2 + 1.5 * t9, 1e-9);
  EXPECT_NEAR(s.r, 0.25 * kSigma, 1e-20);
  EXPECT_NEAR(s.rt, 0.25 * kSigma * t2 * t2 * t2 * t2, 1e-9);
  // The linearised radiative conductance makes GT - G T1 the exact net heat.
  const double net1 = s.gt4 - s.g4 * 10.0;
  const double exact =
      2.0 * 20.0 + 0.5 * 20.0 + 1.5 * 50.0 + 0.25 * kSigma * (t2 * t2 * t2 * t2 - t1 * t1 * t1 * t1);
  EXPECT_NEAR(net1, exact, 1e-9);
  // Node 4: only the GF conductor from node 1 counts.
  const Sums s4 = sums_of(4);
  EXPECT_NEAR(s4.g, 3.0, 1e-15);
  EXPECT_NEAR(s4.g4, 3.0, 1e-15);
  // A node whose only GF conductor lists it as the first node: nothing.
  tna_test::Network up;
  up.node(1, 'D', 0.0).node(2, 'D', 5.0);
  up.gf(1, 2, 4.0);
  build(up);
  const Sums s1 = sums_of(1);
  EXPECT_EQ(s1.g, 0.0);
  EXPECT_EQ(s1.gt, 0.0);
  EXPECT_EQ(s1.g4, 0.0);
}

TEST_F(Frame, RadiationAtEqualTemperatures) {
  tna_test::Network net;
  net.node(1, 'D', 100.0).node(2, 'B', 100.0);
  net.gr(1, 2, 2.0);
  build(net);
  GLOR.TABS = 0.0;
  const Sums s = sums_of(1);
  EXPECT_NEAR(s.g4, 4.0 * kSigma * 2.0 * 1e6, 1e-15);
}

// The network of the built model with the capacitances caps and the TABS of
// the tests.
ThNetwork with_caps(const std::vector<double>& caps) {
  ThNetwork n = th_network();
  n.cap = ThCReals(caps.data(), static_cast<std::int64_t>(caps.size()));
  n.tabs_at = &kTabs;
  return n;
}

TEST_F(Frame, ZeroCapacitanceNodeBalance) {
  // Radiation only: one correction reaches the balance with DAMPT = 1;
  // with DAMPT = 0.5 the distance halves per correction.
  tna_test::Network net;
  net.node(1, 'D', 0.0, 50.0).node(2, 'B', 20.0);
  net.gr(1, 2, 1.0);
  build(net);
  std::vector<double> qsum = {50.0, 0.0}, caps = {0.0, 0.0}, core = {0.0, 0.0, 0.0, 0.0};
  std::vector<std::int32_t> zcap = {1, 0};
  const Sums s = sums_of(1);
  const double x = std::sqrt(std::sqrt((50.0 + s.rt) / s.r));
  const ThNetwork n = with_caps(caps);
  for (double dampt : {1.0, 0.5}) {
    gar_thermalnodetemps(1) = 0.0;
    double relxcc = 0.0;
    int nrlxcc = 0;
    S4TCLC2(n, dampt, 1.0, ThCInts(zcap.data(), 2), 100, 1, ThCReals(qsum.data(), 2), 1, 3, 1e-9, s.g, s.gt, s.r,
            s.rt, ThCReals(core.data(), 4), relxcc, nrlxcc);
    const double target = x - kTabs;
    EXPECT_NEAR(gar_thermalnodetemps(1), dampt * target, 1e-9);
    EXPECT_NEAR(relxcc, std::fabs(target), 1e-9);
    EXPECT_EQ(nrlxcc, 1);
  }
  // Sources and no conductor: overflow, fatal.
  gar_thermalnodetemps(1) = 0.0;
  double relxcc = 0.0;
  int nrlxcc = 0;
  EXPECT_THROW(S4TCLC2(n, 1.0, 1.0, ThCInts(zcap.data(), 2), 100, 1, ThCReals(qsum.data(), 2), 1, 3, 1e-9, 0.0, 0.0,
                       0.0, 0.0, ThCReals(core.data(), 4), relxcc, nrlxcc),
               plat::ProcessExit);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, "Temperature > 1.0D10 detected@Node 1 in main model"));
  EXPECT_TRUE(has_reference(l, "S4TCLC2", 1));
}

TEST_F(Frame, CapacitiveNodeTrapezoidalStep) {
  // Linear node: one Newton step solves the trapezoidal balance exactly.
  // C = 4, dt = 2, G = 1 to 0, source 3; start 10, fstepold = net heat at
  // the start = -10.
  tna_test::Network net;
  net.node(1, 'D', 10.0).node(2, 'B', 0.0);
  net.gl(1, 2, 1.0);
  build(net);
  const Sums s = sums_of(1);
  std::vector<double> qsum = {3.0, 0.0}, caps = {4.0, 0.0};
  std::vector<double> core = {-10.0 + 0.0, 0.0, 10.0, 0.0};  // fstepold(1..2), tstepold(1..2)
  std::vector<std::int32_t> zcap = {0, 0};
  double relxcc = 0.0;
  int nrlxcc = 0;
  S4TCLC2(with_caps(caps), 1.0, 2.0, ThCInts(zcap.data(), 2), 100, 1, ThCReals(qsum.data(), 2), 1, 3, 1e-9, s.g,
          s.gt, s.r, s.rt, ThCReals(core.data(), 4), relxcc, nrlxcc);
  // w (x - 10) = 3 + 0.5 (-10 - x) with w = 2: x = 18 / 2.5.
  EXPECT_NEAR(gar_thermalnodetemps(1), 7.2, 1e-9);
}

}  // namespace
