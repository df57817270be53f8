// Crank-Nicolson solution: the trapezoidal recurrence on an RC decay,
// conservation, the steady limit, arithmetic nodes, step control and
// rejection, block calls, messages, and the kernels' extrapolation
// (repeatability: solver_contract_test.cpp).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "thermal/cn_kernels.h"
#include "thermal/crank_nicolson.h"
#include "thermal/steady_state.h"
#include "thermal/thermal_network.h"
#include "thermal/transient_frame.h"
#include "transient_fixture.h"

namespace {

using cn_test::has_message;
using cn_test::has_reference;
using cn_test::kTabs;

class CrankNicolson : public cn_test::Transient {
 protected:
  // One node (C, T0) joined by G to a boundary at 0.
  tna_test::Network rc(double c, double g, double t0) {
    tna_test::Network net;
    net.node(1, 'D', t0).node(2, 'B', 0.0);
    net.gl(1, 2, g);
    build(net);
    gar_thermalnodecapacitances(1) = c;
    return net;
  }
};

// ---------------------------------------------------------------------------
// Extrapolation kernel.

TEST_F(CrankNicolson, ExtrapolationCases) {
  struct Case {
    double s1, s2, t, expect;
  };
  // clang-format off
  const Case cases[] = {
      {10.0, 11.0, 11.5, 12.0},     // Aitken within the cap
      {11.0, 10.0, 9.5, 9.5},       // falling snapshots: left alone
      {10.0, 11.0, 13.0, 33.0},     // ratio 2: ten times the change
      {10.0, 11.0, 11.005, 11.005}, // change below the threshold
      {10.0, 10.0, 12.0, 12.0},     // no rise between the snapshots
      {10.0, 11.0, 10.5, 10.5},     // change against the rise
  };
  // clang-format on
  for (const Case& c : cases) {
    double s1 = c.s1, s2 = c.s2, t = c.t;
    S9EXTR(4, 1, 8, 1, 0.01, ThReals(&s1, 1), ThReals(&s2, 1), ThReals(&t, 1));
    EXPECT_DOUBLE_EQ(t, c.expect) << c.s1 << " " << c.s2 << " " << c.t;
  }
  // Phases: pass 2 fills the first snapshot, 3 the second, 1 and 5 nothing.
  double s1 = 0, s2 = 0, t = 7;
  S9EXTR(4, 1, 1, 1, 0.01, ThReals(&s1, 1), ThReals(&s2, 1), ThReals(&t, 1));
  EXPECT_EQ(s1 + s2, 0.0);
  S9EXTR(4, 1, 6, 1, 0.01, ThReals(&s1, 1), ThReals(&s2, 1), ThReals(&t, 1));
  EXPECT_EQ(s1, 7.0);
  t = 8;
  S9EXTR(4, 1, 7, 1, 0.01, ThReals(&s1, 1), ThReals(&s2, 1), ThReals(&t, 1));
  EXPECT_EQ(s2, 8.0);
  EXPECT_EQ(t, 8.0);
}

// ---------------------------------------------------------------------------
// RC decay: the trapezoidal amplification per step, output times, block calls.

TEST_F(CrankNicolson, DecayFollowsTrapezoidalRecurrence) {
  const double c = 10.0, g = 2.0, t0 = 100.0;
  tna_test::Network net = rc(c, g, t0);
  GLOR.TIMEND = 20.0;
  GLOR.OUTINT = 5.0;
  GLOR.DTIMEI = 1.0;
  std::vector<double> ends, temps, outs, steps;
  int v1 = 0;
  tna_test::model.variables1 = [&] { ++v1; };
  tna_test::model.variables2 = [&] {
    ends.push_back(GLOR.TIMEN);
    steps.push_back(GLOR.DTIMEU);
    temps.push_back(gar_thermalnodetemps(1));
  };
  tna_test::model.outputs = [&] { outs.push_back(GLOR.TIMEN); };
  SLCRNC();
  ASSERT_EQ(ends.size(), 20u);
  const double a = g * 1.0 / c;
  const double amp = (1.0 - a / 2.0) / (1.0 + a / 2.0);
  double expect = t0;
  for (std::size_t k = 0; k < ends.size(); ++k) {
    expect *= amp;
    EXPECT_DOUBLE_EQ(ends[k], static_cast<double>(k + 1));
    EXPECT_DOUBLE_EQ(steps[k], 1.0);
    EXPECT_NEAR(temps[k], expect, 1e-8) << "step " << k + 1;
    // And the exact exponential within the method's error.
    EXPECT_NEAR(temps[k], t0 * std::exp(-a * static_cast<double>(k + 1)), 0.15);
  }
  EXPECT_EQ(outs, (std::vector<double>{0.0, 5.0, 10.0, 15.0, 20.0}));
  EXPECT_EQ(GLOR.TIMEO, 20.0);
  EXPECT_EQ(GLOR.TIMEN, 20.0);
  EXPECT_EQ(GLOR.TIMEM, 20.0);
  // Start, then per step: step start and the two first passes (a linear node
  // converges on its second pass).
  EXPECT_EQ(v1, 1 + 20 * 3);
  EXPECT_EQ(GLOI.LOOPCT, 2);
  EXPECT_NEAR(GLOR.CSGMIN, c / g, 1e-12);
  EXPECT_EQ(GLOI.NCSGMN, 1);
  EXPECT_EQ(GLOC.SOLVER.trimmed(), "");
  EXPECT_EQ(box_count(), 0);
}

// ---------------------------------------------------------------------------
// Conservation and the steady limit.

TEST_F(CrankNicolson, TwoNodeExchangeConservesEnergy) {
  tna_test::Network net;
  net.node(1, 'D', 100.0).node(2, 'D', 0.0);
  net.gl(1, 2, 3.0);
  build(net);
  gar_thermalnodecapacitances(1) = 5.0;
  gar_thermalnodecapacitances(2) = 15.0;
  GLOR.TIMEND = 50.0;
  GLOR.OUTINT = 10.0;
  GLOR.DTIMEI = 2.0;
  GLOR.RELXCA = 1e-11;
  std::vector<double> energy;
  tna_test::model.variables2 = [&] {
    energy.push_back(5.0 * gar_thermalnodetemps(1) + 15.0 * gar_thermalnodetemps(2));
  };
  SLCRNC();
  ASSERT_FALSE(energy.empty());
  for (double e : energy) EXPECT_NEAR(e, 500.0, 1e-7);
  EXPECT_NEAR(gar_thermalnodetemps(1), 25.0, 1e-6);
  EXPECT_NEAR(gar_thermalnodetemps(2), 25.0, 1e-6);
}

TEST_F(CrankNicolson, SteadyLimitAgreesWithSteadyState) {
  auto model = [&](tna_test::Network& net) {
    net.node(1, 'D', 20.0, 40.0).node(2, 'D', 20.0).node(3, 'B', -50.0).node(4, 'D', 20.0, 5.0);
    net.gl(1, 2, 1.5);
    net.gr(2, 3, 0.3);
    net.gl(2, 4, 0.8);
    net.gr(1, 3, 0.1);
    net.gl(4, 3, 0.2);
    build(net);
  };
  tna_test::Network ss;
  model(ss);
  GLOR.INBALA = 1e-6;
  GLOR.INBALR = 1e-8;
  GLOR.RELXCA = 1e-10;
  GLOI.NLOOP = 500;
  SOLVFM();
  std::vector<double> steady;
  for (int i = 1; i <= 4; ++i) steady.push_back(gar_thermalnodetemps(i));

  tna_test::Network tr;
  model(tr);
  for (int i = 1; i <= 4; ++i) gar_thermalnodecapacitances(i) = 20.0;
  gar_thermalnodecapacitances(4) = 0.0;  // arithmetic node
  GLOR.ARITH = 0.5;
  GLOR.RELXCA = 1e-10;
  GLOR.DTIMEI = 50.0;
  GLOR.TIMEND = 20000.0;
  GLOR.OUTINT = 5000.0;
  SLCRNC();
  for (int i = 1; i <= 4; ++i) EXPECT_NEAR(gar_thermalnodetemps(i), steady[static_cast<std::size_t>(i - 1)], 1e-6);
}

TEST_F(CrankNicolson, ArithmeticNodeStaysInBalance) {
  // 1 (capacitive) - 2 (no capacitance) - 3 (boundary at 0); node 2 holds
  // its balance at every accepted step.
  tna_test::Network net;
  // Node 2 starts in balance, so that the first step's start rate is the
  // reduced network's.
  net.node(1, 'D', 80.0).node(2, 'D', 20.5, 4.0).node(3, 'B', 0.0);
  net.gl(1, 2, 2.0);
  net.gl(2, 3, 6.0);
  build(net);
  gar_thermalnodecapacitances(1) = 40.0;
  GLOR.TIMEND = 30.0;
  GLOR.OUTINT = 10.0;
  GLOR.DTIMEI = 1.0;
  GLOR.RELXCA = 1e-11;
  double worst = 0.0;
  int n = 0;
  tna_test::model.variables2 = [&] {
    const double t1 = gar_thermalnodetemps(1), t2 = gar_thermalnodetemps(2);
    worst = std::max(worst, std::fabs(t2 - (2.0 * t1 + 4.0) / 8.0));
    ++n;
  };
  SLCRNC();
  EXPECT_EQ(n, 30);
  EXPECT_LT(worst, 1e-9);
  // The series pair is a single RC of G = 2 * 6 / 8 = 1.5 with a source 4
  // reaching node 1 through a 2 / 8 share: T1 -> 4 * 0.25 / 1.5 + decay.
  const double gs = 1.5, tinf = 4.0 * 0.25 / gs;
  const double a = gs * 1.0 / 40.0, amp = (1.0 - a / 2.0) / (1.0 + a / 2.0);
  EXPECT_NEAR(gar_thermalnodetemps(1), tinf + (80.0 - tinf) * std::pow(amp, 30.0), 1e-8);
}

// ---------------------------------------------------------------------------
// Step control.

TEST_F(CrankNicolson, LargeChangeRejectsAndShortensTheStep) {
  const double c = 10.0, g = 2.0, t0 = 100.0;
  rc(c, g, t0);
  GLOR.DTPMAX = 5.0;
  GLOR.TIMEND = 10.0;
  GLOR.OUTINT = 10.0;
  GLOR.DTIMEI = 1.0;
  std::vector<double> ends, temps;
  tna_test::model.variables2 = [&] {
    ends.push_back(GLOR.TIMEN);
    temps.push_back(gar_thermalnodetemps(1));
  };
  SLCRNC();
  // First attempt: change 100 (1 - 0.9 / 1.1) > 5, rejected; each retry is
  // 0.95 * 5 / change times the last, until the change is at most 5.
  auto change = [&](double dt) {
    const double x = g * dt / c;
    return t0 * (1.0 - (1.0 - x / 2.0) / (1.0 + x / 2.0));
  };
  double h = 1.0;
  int retries = 0;
  while (change(h) > 5.0) {
    h = 0.95 * h * 5.0 / change(h);
    ++retries;
  }
  EXPECT_EQ(retries, 2);
  ASSERT_FALSE(ends.empty());
  EXPECT_NEAR(ends[0], h, 1e-12);
  const double a = g * h / c;
  EXPECT_NEAR(temps[0], t0 * (1.0 - a / 2.0) / (1.0 + a / 2.0), 1e-8);
  // No accepted step changes a node by more than DTPMAX.
  double prev = t0;
  for (double t : temps) {
    EXPECT_LE(prev - t, 5.0);
    prev = t;
  }
  EXPECT_EQ(ends.back(), 10.0);
  EXPECT_EQ(box_count(), 0);
}

// Solved nodes that are all arithmetic (no capacitance, or a time constant
// within ARITH steps): no node limits the step, so with a finite DTPMAX the
// next step is DTMAX (cut at the output times), not a negative proposal
// raised to DTMIN (a crawl, or the end of the run when DTMIN is 0). Node 1
// sits between boundaries at 100 and at TIMEM: (100 + t) / 2 at every step.
TEST_F(CrankNicolson, OnlyArithmeticNodesStepAtDtmax) {
  struct Case {
    const char* what;
    double cap, arith, dtmin;
  } cases[] = {
      {"no capacitance", 0.0, 0.0, 1e-6},
      {"no capacitance, DTMIN 0", 0.0, 0.0, 0.0},
      {"time constant 0.5 within ARITH 10 steps", 1.0, 10.0, 0.0},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.what);
    SetUp();
    tna_test::Network net;
    net.node(1, 'D', 0.0).node(2, 'B', 100.0).node(3, 'B', 0.0);
    net.gl(1, 2, 1.0);
    net.gl(1, 3, 1.0);
    build(net);
    gar_thermalnodecapacitances(1) = t.cap;
    GLOR.ARITH = t.arith;
    GLOR.DTMIN = t.dtmin;
    GLOR.DTMAX = 2.0;
    GLOR.DTIMEI = 0.5;
    GLOR.DTPMAX = 1.0;
    GLOR.TIMEND = 10.0;
    GLOR.OUTINT = 5.0;
    tna_test::model.variables1 = [&] { gar_thermalnodetemps(net.index(3)) = GLOR.TIMEM; };
    std::vector<double> ends, temps;
    tna_test::model.variables2 = [&] {
      ends.push_back(GLOR.TIMEN);
      temps.push_back(T(net, 1));
    };
    try {
      SLCRNC();
    } catch (const plat::ProcessExit&) {
      ADD_FAILURE() << listing();
      continue;
    }
    // DTIMEI 0.5, then steps of DTMAX 2 cut by the output times: two
    // halves when the output lies within two steps (2.5, 3.75; 7, 8.5).
    EXPECT_EQ(ends, (std::vector<double>{0.5, 2.5, 3.75, 5.0, 7.0, 8.5, 10.0}));
    for (std::size_t n = 0; n < ends.size(); ++n) EXPECT_NEAR(temps[n], (100.0 + ends[n]) / 2.0, 1e-8) << n;
    EXPECT_EQ(GLOR.TIMEO, 10.0);
    EXPECT_EQ(box_count(), 0) << listing();
  }
}

TEST_F(CrankNicolson, StepAtMinimumAcceptedAndCounted) {
  rc(10.0, 2.0, 100.0);
  GLOR.DTPMAX = 1.0;
  GLOR.DTMIN = 1.0;
  GLOR.DTIMEI = 1.0;
  GLOR.TIMEND = 3.0;
  GLOR.OUTINT = 3.0;
  int steps = 0;
  tna_test::model.variables2 = [&] { ++steps; };
  SLCRNC();
  EXPECT_EQ(steps, 3);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, "SLCRNC: DTPMAX exceeded in more than 10% of time steps"));
  EXPECT_TRUE(has_reference(l, "S9Slve", 6));
}

TEST_F(CrankNicolson, RejectionPullsTemperaturesBackLinearly) {
  // S9TIME on a rejected step: old DTIMEU 10, new 4 -> 0.4 end + 0.6 start.
  tna_test::Network net = rc(1.0, 1.0, 0.0);
  std::vector<double> told = {10.0, 0.0}, tnow = {20.0, 5.0};
  gar_thermalnodetemps(1) = tnow[0];
  gar_thermalnodetemps(2) = tnow[1];
  std::vector<double> tabs3(2), tabs4(2);
  S9SlveWork w;
  w.net = th_network();
  w.tstepold = ThReals(told.data(), 2);
  w.tabs3 = ThReals(tabs3.data(), 2);
  w.tabs4 = ThReals(tabs4.data(), 2);
  GLOR.TIMEO = 100.0;
  GLOR.DTIMEU = 10.0;
  GLOR.DTMIN = 4.0;
  GLOR.DTPMAX = 1.0;
  w.maxdt = 50.0;  // proposes 0.95 * 10 / 50 = 0.19, raised to DTMIN = 4
  EXPECT_TRUE(S9TIME(w));
  EXPECT_EQ(GLOR.DTIMEU, 4.0);
  EXPECT_EQ(GLOR.TIMEN, 104.0);
  EXPECT_DOUBLE_EQ(gar_thermalnodetemps(1), 0.4 * 20.0 + 0.6 * 10.0);
  EXPECT_DOUBLE_EQ(gar_thermalnodetemps(2), 0.4 * 5.0);
  const double x = gar_thermalnodetemps(1) + kTabs;
  EXPECT_DOUBLE_EQ(tabs4[0], x * x * x * x);
}

TEST_F(CrankNicolson, RateChangeCriterion) {
  // A sudden source makes the rate change over a step; DTROCA limits it.
  rc(10.0, 2.0, 0.0);
  gar_thermalnodeheatsourcesinternal(1) = 100.0;
  GLOR.DTROCA = 0.5;
  GLOR.DTIMEI = 2.0;
  GLOR.TIMEND = 20.0;
  GLOR.OUTINT = 20.0;
  double worst = 0.0;
  tna_test::model.variables2 = [&] { worst = std::max(worst, GLOR.DTROCC); };
  SLCRNC();
  EXPECT_LE(worst, 0.5);
  EXPECT_EQ(GLOR.TIMEO, 20.0);
  EXPECT_NEAR(gar_thermalnodetemps(1), 50.0 * (1.0 - std::exp(-0.2 * 20.0)), 0.5);
}

// ---------------------------------------------------------------------------
// VARIABLES1 per pass; NLOOP; status changes.

// A rejected step whose retry would have the same length (a negative
// DTROCA is exceeded by every step and proposes no shorter one, so the
// retries grow to DTMAX) would repeat for ever: the run ends through ERROR.
TEST_F(CrankNicolson, RetryOfTheSameLengthEndsTheRun) {
  rc(10.0, 2.0, 100.0);
  GLOR.DTROCA = -1.0;
  GLOR.DTPMAX = 1e10;
  GLOR.DTIMEI = 1.0;
  GLOR.DTMAX = 100.0;
  int calls = 0;
  tna_test::model.variables1 = [&] {
    if (++calls > 10000) throw std::runtime_error("the step is retried for ever");
  };
  EXPECT_THROW(SLCRNC(), plat::ProcessExit);
  EXPECT_NE(listing().find("Unrecoverable error condition in module SLCRNC"), std::string::npos);
  EXPECT_EQ(GLOR.DTIMEU, 100.0);
  EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), 101);
}

TEST_F(CrankNicolson, MethodBitTwoCallsVariables1EveryPass) {
  struct Case {
    int method;
    bool every;
  };
  for (const Case c : {Case{0, false}, Case{1, false}, Case{2, true}, Case{3, true}}) {
    SCOPED_TRACE(c.method);
    tna_test::Network net;
    net.node(1, 'D', 500.0).node(2, 'B', -200.0);
    net.gr(1, 2, 0.5);
    build(net);
    gar_thermalnodecapacitances(1) = 50.0;
    GLOR.TIMEO = 0.0;
    GLOI.METHOD = c.method;
    GLOR.DTIMEI = 10.0;
    GLOR.TIMEND = 10.0;
    GLOR.OUTINT = 10.0;
    GLOR.RELXCA = 1e-12;
    int v1 = 0, passes = 0;
    tna_test::model.reset();
    tna_test::model.variables1 = [&] { ++v1; };
    tna_test::model.variables2 = [&] { passes = GLOI.LOOPCT; };
    SLCRNC();
    ASSERT_GT(passes, 2);
    EXPECT_EQ(v1, 1 + 1 + (c.every ? passes : 2));
  }
}

TEST_F(CrankNicolson, NloopExceededWarnsAndCounts) {
  tna_test::Network net;
  net.node(1, 'D', 500.0).node(2, 'B', -200.0);
  net.gr(1, 2, 0.5);
  build(net);
  gar_thermalnodecapacitances(1) = 50.0;
  GLOI.NLOOP = 1;
  GLOR.RELXCA = 1e-12;
  GLOR.DTIMEI = 5.0;
  GLOR.TIMEND = 10.0;
  GLOR.OUTINT = 10.0;
  SLCRNC();
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, "SLCRNC: Solution failed to converge@NLOOP exceeded"));
  EXPECT_TRUE(has_reference(l, "S9NewT", 2));
  EXPECT_TRUE(has_message(l, "SLCRNC: RELXCA exceeded in more than 10% of time steps"));
  EXPECT_TRUE(has_reference(l, "S9Slve", 4));
}

TEST_F(CrankNicolson, StatusChangeInVariables1IsSeen) {
  // Node 1 turns from solved to boundary at t >= 5: its temperature stops.
  rc(10.0, 2.0, 100.0);
  GLOR.TIMEND = 10.0;
  GLOR.OUTINT = 10.0;
  double frozen = 0.0;
  tna_test::model.variables1 = [&] {
    if (GLOR.TIMEM >= 5.0 && gar_thermalnodestatuses(1).c[0] == 'D') {
      gar_thermalnodestatuses(1) = "B";
      frozen = gar_thermalnodetemps(1);
      stat_setstatst(1);
    }
  };
  SLCRNC();
  EXPECT_GT(frozen, 0.0);
  EXPECT_EQ(gar_thermalnodetemps(1), frozen);
}

// ---------------------------------------------------------------------------
// Fatal temperatures.

TEST_F(CrankNicolson, OverflowMessages) {
  {
    rc(1.0, 1.0, 0.0);
    gar_thermalnodeheatsourcesinternal(1) = 1e15;
    EXPECT_THROW(SLCRNC(), plat::ProcessExit);
    const std::string l = listing();
    EXPECT_TRUE(has_message(l, "SLCRNC: Temperature > 1.0D10 detected Node 1 in main model"));
    EXPECT_TRUE(has_reference(l, "S9Lop1", 1));
  }
  {
    // A node without capacitance, with a source and no active conductor.
    tna_test::Network net;
    net.node(1, 'D', 0.0, 5.0).node(2, 'B', 0.0);
    net.gl(1, 2, 1.0, 'I');
    build(net);
    fresh_listing();
    EXPECT_THROW(SLCRNC(), plat::ProcessExit);
    const std::string l = listing();
    EXPECT_TRUE(has_message(l, "SLCRNC: Temperature > 1.0D10 detected Node 1 in main model"));
    EXPECT_TRUE(has_reference(l, "S9Arth", 1));
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), 101);
  }
}

// A corrected temperature above 1.0E10 prints its block and ends the run
// after the pass, and the pass includes the balance of the arithmetic
// nodes: an arithmetic neighbour carried over 1.0E10 by it ends the run
// first with its own message.
TEST_F(CrankNicolson, OverflowInANewtonPassEndsTheRunAfterThePass) {
  for (bool arithmetic_neighbour : {false, true}) {
    SCOPED_TRACE(arithmetic_neighbour);
    tna_test::Network net;
    net.node(1, 'D', 0.0).node(2, arithmetic_neighbour ? 'D' : 'B', 0.0).node(3, 'B', 0.0);
    net.gl(1, 2, 1.0);
    net.gl(2, 3, 1.0);
    build(net);
    fresh_listing();
    gar_thermalnodecapacitances(1) = 1.0;
    // The step starts without a source; the passes see a huge one.
    tna_test::model.reset();
    tna_test::model.variables1 = [] {
      gar_thermalnodeheatsourcesinternal(1) = GLOR.TIMEM > GLOR.TIMEO ? 1e15 : 0.0;
    };
    EXPECT_THROW(SLCRNC(), plat::ProcessExit);
    const std::string l = listing();
    EXPECT_NE(l.find("TEMPERATURE GREATER THAN 1.0E10 DETECTED"), std::string::npos) << l;
    if (arithmetic_neighbour) {
      EXPECT_TRUE(has_message(l, "SLCRNC: Temperature > 1.0D10 detected Node 2 in main model")) << l;
      EXPECT_TRUE(has_reference(l, "S9Arth", 1));
      EXPECT_FALSE(has_reference(l, "S9NewT", 1));
    } else {
      EXPECT_TRUE(has_message(l, "SLCRNC: Temperature > 1.0D10 detected Node 1 in main model")) << l;
      EXPECT_TRUE(has_reference(l, "S9NewT", 1));
    }
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), 101);
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), 101);
  }
}

TEST_F(CrankNicolson, RadiativeArithmeticNodeSettlesInOneSweep) {
  tna_test::Network net;
  net.node(1, 'D', 0.0).node(2, 'B', 300.0 - kTabs);
  net.gr(1, 2, 1.0);
  build(net);
  GLOR.TIMEND = 1.0;
  GLOR.OUTINT = 1.0;
  SLCRNC();
  EXPECT_NEAR(gar_thermalnodetemps(1) + kTabs, 300.0, 1e-9);
}

}  // namespace
