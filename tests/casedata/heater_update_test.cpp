// Heater update: dispatch by block and run kind, measured temperature,
// thermostat rules with hysteresis, power laws and weights, transient
// counters, steady modes (the hold of mode 3 and the status-changed flag),
// consistency stops, and heaters inside the steady-state solution.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "casedata/heater_fixture.h"
#include "model/generated_program.h"
#include "modeldata/interpolation.h"
#include "thermal/steady_state.h"

namespace {

using htr_test::Define;
using htr_test::HeaterTest;

double qi(int n) { return gar_thermalnodeheatsourcesinternal(n); }
double temp(int n) { return gar_thermalnodetemps(n); }
std::string status_of(int n) { return std::string(gar_thermalnodestatuses(n).view()); }

// Nodes 1 (20), 2 (30), 5 (40) solved, 3 (5) boundary, 4 inactive; fluid
// node 100 at 50. Node 1: GL 2 to node 2, GL 1 to node 3, GL 5 to the
// inactive node 4, an inactive GL 3 to node 5, GR 0.5 to node 5, GF 0.3 from
// the fluid node into node 1, GF 0.7 from node 1 to node 2.
class HeaterUpdate : public HeaterTest {
 protected:
  void SetUp() override {
    HeaterTest::SetUp();
    net_.node(1, 'D', 20.0).node(2, 'D', 30.0).node(3, 'B', 5.0).node(4, 'X', 0.0).node(5, 'D', 40.0);
    net_.fluid(100, 50.0);
    net_.gl(1, 2, 2.0);
    net_.gl(1, 3, 1.0);
    net_.gl(1, 4, 5.0);
    net_.gl(1, 5, 3.0, 'I');
    net_.gr(1, 5, 0.5);
    net_.gf(100, 1, 0.3);
    net_.gf(1, 2, 0.7);
    net_.build();
    htr_test::Arrays a;
    factors_ = a.add_real({2}, {0.25, 0.75});
    time_ = a.add_points({0.0, 10.0, 10.0, 110.0});                                               // 10 + 10 x
    temperature_ = a.add_points({0.0, 0.0, 10.0, 100.0, 20.0, 200.0, 30.0, 300.0, 40.0, 400.0});  // 10 T
    std::vector<double> r = {0.0, 1.0, 0.0, 1.0, 2.0};
    for (double x1 : {0.0, 1.0})
      for (double x2 : {0.0, 1.0, 2.0}) r.push_back(plane(x1, x2));
    table_ = a.add_table(2, {0, 1, 2, 2, 2, 1, -3, 3, 6}, r);
    weighted_ = a.add_real({2}, {1.0, 3.0});
    balanced_ = a.add_real({2}, {1.0, -1.0});
    a.install();
  }
  static double plane(double x1, double x2) { return 3.0 * x1 + 5.0 * x2 + 1.0; }

  static void v1(const char* solver) {
    GLOC.SOLVER = solver;
    V10001();
  }
  static void v2(const char* solver) {
    GLOC.SOLVER = solver;
    V20001();
  }

  tna_test::Network net_;
  int factors_ = 0, time_ = 0, temperature_ = 0, table_ = 0, weighted_ = 0, balanced_ = 0;
};

// ---------------------------------------------------------------------------
// Dispatch.

TEST_F(HeaterUpdate, NothingHappensWithoutHeatersOrOutsideASolution) {
  gar_thermalnodeheatsourcesinternal(1) = 7.0;
  for (const char* block : {"VARIABLES1", "VARIABLES2", "OUTPUTS", ""}) {
    GLOC.OPBLOK = block;
    GLOC.SOLVER = "TRTH";
    htr_update();
  }
  EXPECT_EQ(qi(1), 7.0);
  Define d;
  d.initial = 1;
  d();
  for (const char* solver : {"", "XX", "S", "T"}) {
    for (const char* block : {"VARIABLES1", "VARIABLES2", "OUTPUTS", ""}) {
      GLOC.OPBLOK = block;
      GLOC.SOLVER = solver;
      mfirstv1 = 1;
      htr_update();
      EXPECT_EQ(mfirstv1, 1) << solver << " " << block;
    }
  }
  EXPECT_EQ(qi(1), 7.0);
  EXPECT_EQ(heater().isOn, 0);
  EXPECT_EQ(heater().measuredTemperature, 0.0);
}

TEST_F(HeaterUpdate, OtherBlocksAreConsistencyStops) {
  Define d;
  d();
  struct Case {
    const char *solver, *block, *stop;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"TRTH", "OUTPUTS", "STOP htr_Update 2"},   {"TRFL1P", "INITIAL", "STOP htr_Update 2"},
      {"CYTH", "", "STOP htr_Update 2"},          {"SSTH", "OUTPUTS", "STOP htr_Update 1"},
      {"SS", "VARIABLES", "STOP htr_Update 1"},
  };
  // clang-format on
  for (const Case& c : cases) {
    GLOC.SOLVER = c.solver;
    GLOC.OPBLOK = c.block;
    EXPECT_EQ(stop_text(htr_update), c.stop) << c.solver << " " << c.block;
  }
  // The same through the generated OUTPUTS block of a transient run.
  GLOC.SOLVER = "TRTH";
  GLOC.OUTIME = "ALL";
  tna_test::model.outputs = [] { HEATER_UPDATE(); };
  EXPECT_EQ(stop_text(OUTPUT), "STOP htr_Update 2");
}

// ---------------------------------------------------------------------------
// Measured temperature.

TEST_F(HeaterUpdate, MeasuredTemperatureIsTheMeanMinimumOrMaximum) {
  const std::vector<std::int32_t> nodes = {1, 2, 5};
  const plat::Vec1<const std::int32_t> v(nodes.data(), 3);
  double t = 0.0;
  calcmeasuredtemp(1, 3, v, t);
  EXPECT_EQ(t, 30.0);
  calcmeasuredtemp(2, 3, v, t);
  EXPECT_EQ(t, 20.0);
  calcmeasuredtemp(3, 3, v, t);
  EXPECT_EQ(t, 40.0);
  calcmeasuredtemp(2, 1, v.from(3, 1), t);
  EXPECT_EQ(t, 40.0);
  EXPECT_EQ(stop_text([&] { calcmeasuredtemp(4, 3, v, t); }), "STOP (htr) CalcMeasuredTemp");
  EXPECT_EQ(stop_text([&] { calcmeasuredtemp(0, 3, v, t); }), "STOP (htr) CalcMeasuredTemp");

  // Through the update: the boundary node 3 may be measured.
  for (int method : {1, 2, 3}) {
    htr_clear_for_tests();
    Define d;
    d.measured = "#2,3,5";
    d.method = method;
    d();
    v1("TRTH");
    EXPECT_EQ(heater().measuredTemperature, method == 1 ? 25.0 : method == 2 ? 5.0 : 40.0) << method;
  }
}

// ---------------------------------------------------------------------------
// Transient thermostat rules.

TEST_F(HeaterUpdate, OnOffThermostatKeepsItsStateInsideTheBand) {
  struct Step {
    double t;      // measured temperature (node 2)
    double power;  // QI of node 1 after VARIABLES1
  };
  struct Case {
    int initial;
    std::vector<Step> steps;
  };
  const std::vector<Case> cases = {
      {0, {{15.0, 0.0}, {10.0, 100.0}, {15.0, 100.0}, {19.99, 100.0}, {20.0, 0.0}, {15.0, 0.0}, {9.0, 100.0}}},
      {1, {{15.0, 100.0}, {25.0, 0.0}, {10.01, 0.0}, {-5.0, 100.0}}},
  };
  for (const Case& c : cases) {
    htr_clear_for_tests();
    Define d;
    d.measured = "#2";
    d.initial = c.initial;
    d();
    for (std::size_t k = 0; k < c.steps.size(); ++k) {
      gar_thermalnodetemps(2) = c.steps[k].t;
      v1("TRTH");
      const htr_HeaterRecord& h = heater();
      const bool on = c.steps[k].power > 0.0;
      EXPECT_EQ(qi(1), c.steps[k].power) << "initial " << c.initial << " step " << k;
      EXPECT_EQ(h.thermostatState, on ? 1 : 0) << "initial " << c.initial << " step " << k;
      EXPECT_EQ(h.isOn, on ? 1 : 0);
      EXPECT_EQ(h.heaterPower, c.steps[k].power);
      EXPECT_EQ(h.demandPower, c.steps[k].power);
      EXPECT_EQ(h.measuredTemperature, c.steps[k].t);
    }
  }
}

TEST_F(HeaterUpdate, ProportionalThermostatScalesTheDemand) {
  Define d;
  d.measured = "#2";
  d.tmode = 2;
  d.initial = 7;  // not read
  d();
  struct Case {
    double t, factor;
  };
  for (const Case& c :
       std::vector<Case>{{15.0, 0.5}, {10.0, 1.0}, {5.0, 1.0}, {12.5, 0.75}, {20.0, 0.0}, {30.0, 0.0}}) {
    gar_thermalnodetemps(2) = c.t;
    v1("CYTH");
    const htr_HeaterRecord& h = heater();
    EXPECT_EQ(qi(1), 100.0 * c.factor) << c.t;
    EXPECT_EQ(h.heaterPower, 100.0 * c.factor) << c.t;
    EXPECT_EQ(h.demandPower, c.factor > 0.0 ? 100.0 : 0.0) << c.t;
    EXPECT_EQ(h.isOn, c.factor > 0.0 ? 1 : 0) << c.t;
    EXPECT_EQ(h.thermostatState, c.factor > 0.0 ? 1 : 0) << c.t;
  }
}

// ---------------------------------------------------------------------------
// Powers on the nodes.

TEST_F(HeaterUpdate, HeatersSharingANodeAddUpAndReplaceItsSource) {
  gar_thermalnodeheatsourcesinternal(1) = 7.0;  // from the model database
  gar_thermalnodeheatsourcesinternal(5) = 9.0;  // no heater's node
  for (bool reversed : {false, true}) {
    htr_clear_for_tests();
    Define a;
    a.name = "A";
    a.power = "#1,2";
    a.measured = "#3";  // 5: below the On temperature
    Define b;
    b.name = "B";
    b.load = 30.0;
    b.measured = "#3";
    if (reversed) {
      b();
      a();
    } else {
      a();
      b();
    }
    tna_test::model.variables1 = [] { gar_thermalnodeheatsourcesinternal(2) += 1.0; };
    for (int pass = 0; pass < 3; ++pass) {
      v1("TRTH");
      EXPECT_EQ(qi(1), 80.0) << reversed;
      EXPECT_EQ(qi(2), 51.0) << reversed;  // the user's statements run after the heaters
      EXPECT_EQ(qi(5), 9.0) << reversed;
    }
  }
}

TEST_F(HeaterUpdate, PowerLawsWeightsAndMultiplier) {
  struct Case {
    int type, array;
    double period, time, t1, t2;
    std::function<double(double)> law;  // u as a function of the node temperature
  };
  const int ta = time_, te = temperature_, tb = table_;
  const std::vector<Case> cases = {
      {0, 0, 0.0, 3.0, 20.0, 30.0, [](double) { return 100.0; }},
      {1, ta, 0.0, 2.5, 20.0, 30.0, [](double) { return 35.0; }},
      {5, ta, 0.0, 2.5, 20.0, 30.0, [](double) { return 10.0; }},
      {2, ta, 4.0, 6.5, 20.0, 30.0, [](double) { return 35.0; }},
      {6, ta, 4.0, 6.5, 20.0, 30.0, [](double) { return 10.0; }},
      {2, ta, 4.0, -1.5, 20.0, 30.0, [](double) { return 35.0; }},
      {3, te, 0.0, 2.5, 25.0, 35.0, [](double t) { return 10.0 * t; }},
      {7, te, 0.0, 2.5, 25.0, 35.0, [](double t) { return t < 30.0 ? 200.0 : 300.0; }},
      {4, tb, 0.0, 0.5, 0.5, 1.5, [](double t) { return plane(0.5, t); }},
      {8, tb, 0.0, 0.5, 0.5, 1.5, [tb](double t) { return INTRP2(0.5, t, tb, 0); }},
  };
  for (const Case& c : cases) {
    htr_clear_for_tests();
    Define d;
    d.measured = "#5";  // 40: below the On temperature
    d.on = 50.0;
    d.off = 60.0;
    d.power = "#1,2";
    d.factors = factors_;
    d.type = c.type;
    d.array = c.array;
    d.period = c.period;
    d.multiplier = 2.0;
    d();
    GLOR.TIMEM = c.time;
    gar_thermalnodetemps(1) = c.t1;
    gar_thermalnodetemps(2) = c.t2;
    v1("TRTH");
    const double p1 = 0.25 * c.law(c.t1) * 2.0, p2 = 0.75 * c.law(c.t2) * 2.0;
    EXPECT_DOUBLE_EQ(qi(1), p1) << "type " << c.type << " time " << c.time;
    EXPECT_DOUBLE_EQ(qi(2), p2) << "type " << c.type << " time " << c.time;
    EXPECT_DOUBLE_EQ(heater().demandPower, p1 + p2) << "type " << c.type;
    EXPECT_DOUBLE_EQ(heater().heaterPower, p1 + p2) << "type " << c.type;
  }
  // Without factors every node gets an equal share.
  htr_clear_for_tests();
  Define e;
  e.power = "#1,2,5";
  e.measured = "#3";
  e.load = 90.0;
  e();
  v1("TRTH");
  EXPECT_DOUBLE_EQ(qi(1), 30.0);
  EXPECT_DOUBLE_EQ(qi(2), 30.0);
  EXPECT_DOUBLE_EQ(qi(5), 30.0);
  EXPECT_EQ(listing(), "");
}

// ---------------------------------------------------------------------------
// Transient bookkeeping.

TEST_F(HeaterUpdate, SwitchesOnTimeAndDutyCycleOverTransientSteps) {
  struct Step {
    double t;
    int switches;
    double elapsed, on_time;
  };
  struct Case {
    double dt;
    std::vector<Step> steps;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {2.0, {{5.0, 1, 2.0, 2.0}, {15.0, 1, 4.0, 4.0}, {25.0, 1, 6.0, 4.0}, {5.0, 2, 8.0, 6.0}, {25.0, 2, 10.0, 6.0}}},
      {0.0, {{5.0, 1, 0.0, 0.0}, {25.0, 1, 0.0, 0.0}, {5.0, 2, 0.0, 0.0}}},
  };
  // clang-format on
  for (const Case& c : cases) {
    htr_clear_for_tests();
    Define d;
    d.measured = "#2";
    d();
    GLOR.DTIMEU = c.dt;
    for (std::size_t k = 0; k < c.steps.size(); ++k) {
      const Step& s = c.steps[k];
      gar_thermalnodetemps(2) = s.t;
      v1("TRTH");
      EXPECT_EQ(mfirstv1, 0);
      v2("TRTH");
      EXPECT_EQ(mfirstv1, 1);
      const htr_HeaterRecord& h = heater();
      EXPECT_EQ(h.numSwitches, s.switches) << c.dt << " step " << k;
      EXPECT_EQ(h.elapsedTime, s.elapsed) << c.dt << " step " << k;
      EXPECT_EQ(h.onTime, s.on_time) << c.dt << " step " << k;
      EXPECT_EQ(h.dutyCycle, s.elapsed > 0.0 ? s.on_time / s.elapsed : 0.0) << c.dt << " step " << k;
      EXPECT_EQ(h.wasOn, h.isOn);
    }
    double t = 0, p = 0, on_time = 0, duty = 0;
    int on = 0, sw = 0;
    htr_status("HTR", 1, t, on, p, sw, on_time, duty);
    EXPECT_EQ(sw, c.steps.back().switches);
    EXPECT_EQ(on_time, c.steps.back().on_time);
    EXPECT_EQ(duty, heater().dutyCycle);
    EXPECT_EQ(t, c.steps.back().t);
    // A reset starts the counters again; the state stays.
    htr_reset("HTR", 1);
    EXPECT_EQ(heater().numSwitches, 0);
    EXPECT_EQ(heater().elapsedTime, 0.0);
    EXPECT_EQ(heater().wasOn, heater().isOn);
  }
}

// ---------------------------------------------------------------------------
// Steady modes.

TEST_F(HeaterUpdate, SteadyMultiplierScalesThePower) {
  Define d;
  d.smode = 1;
  d.smult = 0.25;
  d.measured = "#2";  // 30: above the Off temperature, which steady mode 1 ignores
  d();
  v1("SSTH");
  const htr_HeaterRecord& h = heater();
  EXPECT_EQ(qi(1), 25.0);
  EXPECT_EQ(h.heaterPower, 25.0);
  EXPECT_EQ(h.demandPower, 100.0);
  EXPECT_EQ(h.dutyCycle, 0.25);
  EXPECT_EQ(h.isOn, 1);
  EXPECT_EQ(h.thermostatState, 1);
  v2("SSTH");
  EXPECT_EQ(h.numSwitches, 0);
  EXPECT_EQ(h.elapsedTime, 0.0);
  EXPECT_EQ(h.dutyCycle, 0.25);
  EXPECT_EQ(stat_getstatst(), 0);
}

TEST_F(HeaterUpdate, SteadyRelaxationMovesThePowerTowardsTheThermostatResult) {
  // Measured 30 between On 20 and Off 40: the thermostat passes half the demand.
  struct Case {
    double relax;
    int factors;
    double demand;
    std::vector<double> powers;  // heaterPower after each VARIABLES1
    double share1;               // node 1's share of it
  };
  const std::vector<Case> cases = {
      {1.0, 0, 100.0, {50.0, 50.0}, 0.5},
      {0.5, 0, 100.0, {25.0, 37.5, 43.75}, 0.5},
      {1.0, weighted_, 400.0, {200.0, 200.0}, 0.25},  // factors 1 and 3: shares 1/4 and 3/4
      {0.5, weighted_, 400.0, {100.0, 150.0}, 0.25},
      // Factors summing to zero give no shares: nothing is applied.
      {1.0, balanced_, 0.0, {0.0, 0.0}, 0.0},
  };
  for (const Case& c : cases) {
    htr_clear_for_tests();
    Define d;
    d.smode = 2;
    d.relax = c.relax;
    d.measured = "#2";
    d.power = "#1,5";
    d.factors = c.factors;
    d.on = 20.0;
    d.off = 40.0;
    d();
    for (std::size_t k = 0; k < c.powers.size(); ++k) {
      v1("SSTH");
      const htr_HeaterRecord& h = heater();
      const double s = c.powers[k];
      EXPECT_DOUBLE_EQ(h.heaterPower, s) << c.relax << " " << c.factors << " step " << k;
      EXPECT_DOUBLE_EQ(h.demandPower, c.demand) << c.relax << " step " << k;
      EXPECT_DOUBLE_EQ(qi(1), c.share1 * s) << c.relax << " " << c.factors << " step " << k;
      EXPECT_DOUBLE_EQ(qi(5), (c.factors == balanced_ ? 0.0 : 1.0 - c.share1) * s) << c.relax << " step " << k;
      EXPECT_DOUBLE_EQ(h.dutyCycle, c.demand > 0.0 ? s / c.demand : 0.0);
      EXPECT_EQ(h.isOn, s > 0.0 ? 1 : 0);
      EXPECT_EQ(h.thermostatState, 1);
    }
  }
  // Above the Off temperature the power relaxes towards zero.
  gar_thermalnodetemps(2) = 45.0;
  htr_clear_for_tests();
  Define d;
  d.smode = 2;
  d.relax = 0.5;
  d.measured = "#2";
  d.on = 20.0;
  d.off = 40.0;
  d();
  heater().heaterPower = 80.0;
  v1("SSTH");
  EXPECT_EQ(heater().heaterPower, 40.0);
  EXPECT_EQ(heater().thermostatState, 0);
  EXPECT_EQ(qi(1), 40.0);
}

// Net heat that flows into node 1 at temperature t from its neighbours as
// the fixture connects them (node 4 inactive, the GL to node 5 inactive, the
// GF from node 1 to node 2 carrying nothing into node 1).
double inflow(double t, double t2 = 30.0) {
  const double a1 = t + htr_test::kTabs, a5 = 40.0 + htr_test::kTabs;
  return 2.0 * (t2 - t) + 1.0 * (5.0 - t) + htr_test::kSigma * (0.5 * (a5 * a5 * a5 * a5 - a1 * a1 * a1 * a1)) +
         0.3 * (50.0 - t);
}

TEST_F(HeaterUpdate, SteadyHoldMakesThePowerNodesBoundaryNodesUntilVariables2) {
  gar_thermalnodeheatsourcesalbedo(1) = 1.0;
  gar_thermalnodeheatsourcesplanet(1) = 2.0;
  gar_thermalnodeheatsourcesinternal(1) = 100.0;  // replaced by the heater
  gar_thermalnodeheatsourcesother(1) = 3.0;
  gar_thermalnodeheatsourcessolar(1) = 4.0;
  Define d;
  d.smode = 3;
  d.hold = 25.0;
  d.measured = "#2";
  d();
  v1("SSTH");
  const htr_HeaterRecord& h = heater();
  EXPECT_EQ(status_of(1), "B");
  EXPECT_EQ(temp(1), 25.0);
  EXPECT_EQ(stat_getstatst(), 1);
  const double b = -(10.0 + inflow(25.0));
  EXPECT_NEAR(qi(1), b, 1e-9 * std::fabs(b));
  EXPECT_EQ(h.heaterPower, qi(1));
  EXPECT_EQ(h.demandPower, qi(1));
  EXPECT_EQ(h.isOn, b > 0.0 ? 1 : 0);
  EXPECT_EQ(h.measuredTemperature, 30.0);
  // With the power the node's sources and inflow balance.
  EXPECT_NEAR(1.0 + 2.0 + qi(1) + 3.0 + 4.0 + inflow(25.0), 0.0, 1e-9);

  // Later updates of the same solution keep the node where the solver put it.
  stat_setstatst(0);
  gar_thermalnodetemps(1) = 30.0;
  v1("SSTH");
  EXPECT_EQ(temp(1), 30.0);
  EXPECT_EQ(stat_getstatst(), 0);
  EXPECT_NEAR(qi(1), -(10.0 + inflow(30.0)), 1e-9 * std::fabs(qi(1)));

  // VARIABLES2 releases it.
  v2("SSTH");
  EXPECT_EQ(status_of(1), "D");
  EXPECT_EQ(temp(1), 30.0);
  EXPECT_EQ(stat_getstatst(), 1);
  EXPECT_EQ(h.numSwitches, 0);
  EXPECT_EQ(h.elapsedTime, 0.0);

  // A node that needs heat to stay at its hold temperature, and one that
  // would be warmer without the heater.
  struct Case {
    double hold;
    int on;
    double duty;
  };
  for (const Case& c : std::vector<Case>{{100.0, 1, 1.0}, {-50.0, 0, 0.0}}) {
    htr_clear_for_tests();
    d.hold = c.hold;
    d();
    v1("SSTH");
    EXPECT_EQ(heater().isOn, c.on) << c.hold;
    EXPECT_EQ(heater().dutyCycle, c.duty) << c.hold;
    EXPECT_EQ(heater().heaterPower > 0.0, c.on == 1) << c.hold;
    v2("SSTH");
  }
}

TEST_F(HeaterUpdate, HeldNodeSharedByTwoHeatersBalancesOnce) {
  Define a;
  a.name = "A";
  a.smode = 3;
  a.hold = 22.0;
  a();
  Define b;
  b.name = "B";
  b.smode = 3;
  b.hold = 22.0;
  b.power = "#1,2";
  b();
  v1("SSTH");
  EXPECT_EQ(stat_getstatst(), 1);
  EXPECT_EQ(status_of(2), "B");
  EXPECT_EQ(temp(2), 22.0);
  // Heaters hold their nodes in list order: A balanced node 1 while node 2
  // was still at 30; B, holding node 2 at 22, balanced node 1 again counting
  // A's power. The node's total source balances its inflow once.
  const double need = -inflow(22.0, 22.0), first = -inflow(22.0, 30.0);
  EXPECT_NEAR(qi(1), need, 1e-9 * std::fabs(need));
  EXPECT_NEAR(heater(1).heaterPower, first, 1e-9 * std::fabs(need));
  EXPECT_NEAR(heater(2).heaterPower - qi(2), need - first, 1e-9 * std::fabs(need));
  // From the next update on both see the held temperatures.
  v1("SSTH");
  EXPECT_NEAR(qi(1), need, 1e-9 * std::fabs(need));
  EXPECT_NEAR(heater(1).heaterPower, need, 1e-9 * std::fabs(need));
  EXPECT_NEAR(heater(2).heaterPower - qi(2), 0.0, 1e-9 * std::fabs(need));
  v2("SSTH");
  EXPECT_EQ(status_of(1), "D");
  EXPECT_EQ(status_of(2), "D");
}

// ---------------------------------------------------------------------------
// Consistency stops of damaged records.

TEST_F(HeaterUpdate, DamagedRecordsStopTheRun) {
  struct Case {
    const char* solver;
    std::function<void(htr_HeaterRecord&)> damage;
    const char* stop;
  };
  const std::vector<Case> cases = {
      {"TRTH", [](htr_HeaterRecord& h) { h.measurementMethod = 4; }, "STOP (htr) CalcMeasuredTemp"},
      {"TRTH", [](htr_HeaterRecord& h) { h.numMeasuredNodes = 0; }, "STOP (htr) UpdateTransientV1 1"},
      {"SSTH", [](htr_HeaterRecord& h) { h.numMeasuredNodes = 0; }, "STOP (htr) UpdateSteadyV1 1"},
      {"TRTH", [](htr_HeaterRecord& h) { h.numPowerNodes = 0; }, "STOP (htr) UpdateTransientV1 2"},
      {"SSTH", [](htr_HeaterRecord& h) { h.numPowerNodes = 0; }, "STOP (htr) UpdateSteadyV1 2"},
      {"TRTH", [](htr_HeaterRecord& h) { h.transientMode = 3; }, "STOP (htr) ThermostatTrans 2"},
      {"SSTH", [](htr_HeaterRecord& h) { h.steadyMode = 0; }, "STOP (htr) ThermostatSteady 2"},
      {"TRTH", [](htr_HeaterRecord& h) { h.transientMode = 2, h.onTemperature = 0.0, h.offTemperature = 1e-38; },
       "STOP (htr) ThermostatTrans 1"},
      {"SSTH", [](htr_HeaterRecord& h) { h.steadyMode = 2, h.onTemperature = 0.0, h.offTemperature = 1e-38; },
       "STOP (htr) ThermostatSteady 1"},
      {"TRTH", [](htr_HeaterRecord& h) { h.powerType = 9; }, "STOP (htr) CalcPowerTrans 1"},
      {"SSTH", [](htr_HeaterRecord& h) { h.powerType = 9; }, "STOP (htr) CalcPowerSteady 1"},
      {"TRTH", [](htr_HeaterRecord& h) { h.thermostatState = 2, h.onTemperature = 1.0, h.offTemperature = 200.0; },
       "STOP (htr) CalcPowerTrans 3"},
  };
  for (const Case& c : cases) {
    htr_clear_for_tests();
    Define d;
    d.initial = 1;
    d();
    c.damage(heater());
    // The measured node heats (5 below On 10), or sits inside the band of
    // 1e-38 of the degenerate cases.
    const bool band = std::string(c.stop).find("Thermostat") != std::string::npos &&
                      std::string(c.stop).find(" 1") != std::string::npos;
    gar_thermalnodetemps(1) = band ? 5e-39 : 5.0;
    GLOC.SOLVER = c.solver;
    GLOC.OPBLOK = "VARIABLES1";
    EXPECT_EQ(stop_text(htr_update), c.stop) << c.stop;
  }
}

// ---------------------------------------------------------------------------
// Inside the steady-state solution.

class HeaterSolution : public HeaterTest {};

TEST_F(HeaterSolution, ConstantHeaterHeatsTheSolvedNode) {
  tna_test::Network net;
  net.node(1, 'D', 0.0).node(2, 'B', 0.0);
  net.gl(1, 2, 2.0);
  net.build();
  Define d;
  d.load = 10.0;
  d.smode = 1;
  d.smult = 1.0;
  d();
  SOLVFM();
  EXPECT_NEAR(temp(1), 5.0, 1e-6);
  EXPECT_EQ(heater().heaterPower, 10.0);
  EXPECT_EQ(heater().dutyCycle, 1.0);
  EXPECT_NEAR(heater().measuredTemperature, 5.0, 1e-6);
}

TEST_F(HeaterSolution, ProportionalThermostatSettlesWithRelaxation) {
  // Demand 40 W, thermostat 0..10, conductance 2 to a boundary at 0:
  // 2 T = 40 (10 - T) / 10, so T = 20 / 3.
  tna_test::Network net;
  net.node(1, 'D', 0.0).node(2, 'B', 0.0);
  net.gl(1, 2, 2.0);
  net.build();
  Define d;
  d.load = 40.0;
  d.on = 0.0;
  d.off = 10.0;
  d.smode = 2;
  d.relax = 0.5;
  d();
  SOLVFM();
  EXPECT_NEAR(temp(1), 20.0 / 3.0, 1e-4);
  EXPECT_NEAR(heater().heaterPower, 40.0 / 3.0, 1e-3);
  EXPECT_NEAR(heater().dutyCycle, 1.0 / 3.0, 1e-4);
}

TEST_F(HeaterSolution, HeldNodeGivesTheBalancePowerAndTheFlagTimeline) {
  // Node 1 held at 25 heats node 3 between it and the boundary node 2 at 5.
  tna_test::Network net;
  net.node(1, 'D', 0.0).node(2, 'B', 5.0).node(3, 'D', 0.0);
  net.gl(1, 3, 1.0);
  net.gl(3, 2, 1.0);
  net.build();
  Define d;
  d.smode = 3;
  d.hold = 25.0;
  d.measured = "#3";
  d();
  std::vector<int> flags_v1, flags_v2;
  std::vector<std::string> status_v1;
  tna_test::model.variables1 = [&] {
    flags_v1.push_back(stat_getstatst());
    status_v1.push_back(status_of(1));
  };
  tna_test::model.variables2 = [&] { flags_v2.push_back(stat_getstatst()); };
  SOLVFM();
  ASSERT_GE(flags_v1.size(), 2u);
  EXPECT_EQ(flags_v1[0], 1);  // the hold, before the solver's check
  for (std::size_t k = 1; k < flags_v1.size(); ++k) EXPECT_EQ(flags_v1[k], 0) << k;
  for (const std::string& s : status_v1) EXPECT_EQ(s, "B");
  EXPECT_EQ(flags_v2, std::vector<int>({1}));
  EXPECT_EQ(stat_getstatst(), 1);
  EXPECT_EQ(status_of(1), "D");
  EXPECT_EQ(temp(1), 25.0);
  EXPECT_NEAR(temp(3), 15.0, 1e-6);
  EXPECT_NEAR(heater().heaterPower, 10.0, 1e-5);
  EXPECT_EQ(heater().dutyCycle, 1.0);
  EXPECT_NEAR(heater().measuredTemperature, 15.0, 1e-6);

  // The next solution clears the flag after its first VARIABLES1 and holds again.
  flags_v1.clear();
  flags_v2.clear();
  SOLVFM();
  EXPECT_EQ(flags_v1.at(0), 1);
  EXPECT_EQ(flags_v2, std::vector<int>({1}));
  EXPECT_NEAR(temp(3), 15.0, 1e-6);
}

}  // namespace

namespace {

// ---------------------------------------------------------------------------
// The status-changed flag itself.

TEST_F(HeaterSolution, AnyNonZeroFlagMakesTheSolverDeriveItsMasksAgain) {
  stat_setstatst(7);
  EXPECT_EQ(stat_getstatst(), 7);
  EXPECT_EQ(status_changed, 7);
  stat_setstatst(-1);
  EXPECT_EQ(stat_getstatst(), -1);
  stat_setstatst(0);
  EXPECT_EQ(stat_getstatst(), 0);

  // Node 1 turns from boundary to solved in the user's statements; the flag
  // left at 7 tells the solution as 1 would.
  tna_test::Network net;
  net.node(1, 'B', 0.0, 10.0).node(2, 'B', 0.0);
  net.gl(1, 2, 2.0);
  net.build();
  tna_test::model.variables1 = [] {
    if (gar_thermalnodestatuses(1) == "B") {
      gar_thermalnodestatuses(1) = "D";
      stat_setstatst(7);
    }
  };
  SOLVFM();
  EXPECT_NEAR(temp(1), 5.0, 1e-9);
  EXPECT_EQ(stat_getstatst(), 0);
}

}  // namespace
