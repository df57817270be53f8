// Heater manager: definition checks and their messages, what a definition
// stores, redefinition, heaters of several models, status and reset.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "casedata/heater_fixture.h"

namespace {

using htr_test::Define;
using htr_test::HeaterTest;

// Nodes of the main model 1..5 (3 a boundary, 4 inactive), of SUB 10 and 11,
// of SUBSUB (below SUB) 20.
class HeaterManager : public HeaterTest {
 protected:
  void SetUp() override {
    HeaterTest::SetUp();
    net_.node(1, 'D', 20.0).node(2, 'D', 30.0).node(3, 'B', 5.0).node(4, 'X', 0.0).node(5, 'D', 40.0);
    net_.node(10, 'D', 15.0).node(11, 'D', 16.0).node(20, 'D', 17.0);
    net_.gl(1, 3, 1.0);
    net_.build();
    htr_test::install_models({{"MAIN", 0, 3, 5}, {"SUB", 1, 2, 2}, {"SUBSUB", 2, 1, 1}});
    htr_test::Arrays a;
    factors_ = a.add_real({2}, {0.25, 0.75});
    points_ = a.add_points({0.0, 10.0, 10.0, 110.0});
    table_ = a.add_table(2, {0, 1, 2, 2, 2, 1, -3, 3, 6}, {0, 1, 0, 1, 2, 1, 6, 11, 4, 9, 14});
    tall_ = a.add_real({3, 2}, {0, 0, 1, 1, 2, 2});
    a.install();
  }
  // The context that ends every message of a heater.
  static std::string context(const std::string& name, const std::string& model_name = "") {
    std::string c = "Heater: ";
    if (model_name.empty()) c += name;
    else c += name + "<NL>Model: " + model_name;
    if (c.size() > 170) c.resize(170);
    return c;
  }

  tna_test::Network net_;
  int factors_ = 0, points_ = 0, table_ = 0, tall_ = 0;
};

// ---------------------------------------------------------------------------
// Failed definitions: each prints exactly the box SETERX prints for its text
// and code under "htr_Define", and ends the run.

TEST_F(HeaterManager, EveryFailedCheckPrintsItsMessageAndEndsTheRun) {
  const std::string n134(134, 'N'), s513(513, 'A');
  const std::string array_message =
      "Incorrect array definition for Time/Temperature dependent heat load.@Defining a Heater.@Must be a (2xN) "
      "array of Nominal Power vs Time or Temperature.@";
  const std::string table_message =
      "Incorrect array definition for Time&Temperature dependent heat load.@Defining a Heater.@Must be a Table "
      "array "
      "with 2 independent variables.@";
  const std::string factor_message =
      "Incorrect definition of power factors array.@Defining a Heater.@Must be a 1D array containing sufficient "
      "values to set the power factor at each heat load application node.@";
  const std::string power_nodes_message =
      "Failed to find any thermal nodes matching power node number string.@Defining a Heater.@At least one thermal "
      "node must be given for the heat load application.<NL>Heater power cannot be applied to fluid nodes or "
      "inactive nodes.@";
  const std::string measured_message =
      "Failed to find any nodes matching measured temperature node number string.@Defining a Heater.@At least one "
      "thermal node must be given for the measured temperature.<NL>Thermostat measurement temperature cannot use "
      "fluid nodes or inactive nodes.@";
  const std::string mode_message = "Invalid integer option for transient operating mode.@Defining a Heater.@@";
  const std::string order_message =
      "Heater thermostat On temperature is not less than thermostat Off temperature.@Defining a Heater.@@";
  struct Case {
    int code;
    std::function<void(Define&)> change;
    std::string text;
  };
  const int fa = factors_, pa = points_, ta = table_, tl = tall_;
  // clang-format off
  const std::vector<Case> cases = {
      {1, [&](Define& d) { d.name = n134; },
       "Heater name string too long, maximum 133        characters@Defining a Heater.@@"},
      {2, [&](Define& d) { d.measured = s513; },
       "Heater temperature measurement nodes string too long, maximum 512        characters@Defining a Heater.@@"},
      {3, [&](Define& d) { d.power = s513; },
       "Heater power nodes string too long, maximum 512        characters@Defining a Heater.@@"},
      {4, [](Define& d) { d.tmode = 0; }, mode_message},
      {4, [](Define& d) { d.tmode = 3; }, mode_message},
      {5, [](Define& d) { d.smode = 4; },
       "Invalid integer option for steady state operating mode.@Defining a Heater.@@"},
      {6, [](Define& d) { d.power = "NOSUCH"; }, power_nodes_message},
      {6, [](Define& d) { d.power = "#4"; }, power_nodes_message},  // inactive
      {7, [](Define& d) { d.power = "#1,3"; }, "Heat load application nodes cannot be boundary nodes@Defining a Heater.@@"},
      {8, [](Define& d) { d.factors = 5; },
       "Invalid NORVEK Thermal array reference for node power factors.@Defining a Heater.@Array not defined.@"},
      {9, [&](Define& d) { d.factors = pa; }, factor_message},
      {9, [&](Define& d) { d.factors = ta; }, factor_message},
      {9, [&](Define& d) { d.factors = fa, d.power = "#1,2,5"; }, factor_message},
      {10, [](Define& d) { d.factors = -1; },
       "Invalid NORVEK Thermal array reference for node power factors.@Defining a Heater.@Cannot be a negative "
       "number.@"},
      {11, [](Define& d) { d.type = 9; },
       "Invalid Time/Temperature dependence integer option for nominal heat load.@Defining a Heater.@@"},
      {11, [](Define& d) { d.type = -1; },
       "Invalid Time/Temperature dependence integer option for nominal heat load.@Defining a Heater.@@"},
      {12, [](Define& d) { d.load = -1.0; },
       "A negative nominal heat load has been supplied.@Defining a Heater.@No power dependence has been selected.@"},
      {13, [](Define& d) { d.type = 1, d.array = 0; },
       "Invalid array reference for Time/Temperature dependent heat load.@Defining a Heater.@Must be an NORVEK "
       "Thermal array reference.@"},
      {13, [](Define& d) { d.type = 5, d.array = 5; },
       "Invalid array reference for Time/Temperature dependent heat load.@Defining a Heater.@Must be an NORVEK "
       "Thermal array reference.@"},
      {14, [&](Define& d) { d.type = 3, d.array = fa; }, array_message},
      {14, [&](Define& d) { d.type = 7, d.array = tl; }, array_message},
      {14, [&](Define& d) { d.type = 2, d.array = ta, d.period = 1.0; }, array_message},
      {15, [&](Define& d) { d.type = 4, d.array = pa; }, table_message},
      {15, [&](Define& d) { d.type = 8, d.array = fa; }, table_message},
      {16, [&](Define& d) { d.type = 2, d.array = pa, d.period = 0.0; },
       "Incorrect definition of Cyclic period for time dependent heat load.@Defining a Heater.@Cyclic time period "
       "must be a positive value.@"},
      {16, [&](Define& d) { d.type = 6, d.array = pa, d.period = -1.0; },
       "Incorrect definition of Cyclic period for time dependent heat load.@Defining a Heater.@Cyclic time period "
       "must be a positive value.@"},
      {17, [](Define& d) { d.method = 0; },
       "Invalid integer option for thermostat temperature measurement method.@Defining a Heater.@@"},
      {17, [](Define& d) { d.method = 4; },
       "Invalid integer option for thermostat temperature measurement method.@Defining a Heater.@@"},
      {18, [](Define& d) { d.measured = "NOSUCH"; }, measured_message},
      {18, [](Define& d) { d.measured = "#4"; }, measured_message},
      {19, [](Define& d) { d.on = d.off = 15.0; }, order_message},
      {19, [](Define& d) { d.on = 25.0; }, order_message},
      {19, [](Define& d) { d.on = std::nan(""); }, order_message},
      {20, [](Define& d) { d.initial = 2; },
       "Invalid value for Heater initial state@Defining a Heater.@A Heater state can be ON (initialState=1) or OFF "
       "(initialState=0)@"},
      {20, [](Define& d) { d.initial = -1; },
       "Invalid value for Heater initial state@Defining a Heater.@A Heater state can be ON (initialState=1) or OFF "
       "(initialState=0)@"},
      // The first failing check decides.
      {4, [](Define& d) { d.tmode = 3, d.method = 4, d.on = 30.0; }, mode_message},
      {7, [](Define& d) { d.power = "#3", d.factors = -1; },
       "Heat load application nodes cannot be boundary nodes@Defining a Heater.@@"},
      {18, [](Define& d) { d.measured = "NOSUCH", d.on = 30.0; }, measured_message},
  };
  // clang-format on
  for (std::size_t k = 0; k < cases.size(); ++k) {
    const Case& c = cases[k];
    htr_clear_for_tests();
    Define d;
    c.change(d);
    const auto got = printed(d);
    const auto want = expected(c.text + context(d.name), 4, c.code, "htr_Define");
    EXPECT_EQ(got.second, 1) << "case " << k << " code " << c.code;
    EXPECT_NE(got.first.find("FATAL ERROR"), std::string::npos) << "case " << k;
    EXPECT_EQ(got.first, want.first) << "case " << k << " code " << c.code;
  }
}

TEST_F(HeaterManager, ContextOfASubmodelHeaterNamesItsModel) {
  GLOI.MODEL = 2;
  Define d;
  d.name = "HEATER A   ";
  d.measured = d.power = "#10";
  d.on = d.off;
  const auto got = printed(d);
  const auto want = expected(
      "Heater thermostat On temperature is not less than thermostat Off temperature.@Defining a Heater.@@Heater: "
      "HEATER A<NL>Model: SUB",
      4, 19, "htr_Define");
  EXPECT_EQ(got.second, 1);
  EXPECT_EQ(got.first, want.first);
}

// ---------------------------------------------------------------------------
// What a definition stores.

TEST_F(HeaterManager, AcceptedDefinitionsStoreTheirArguments) {
  // A name of exactly 133 characters; a longer one whose rest is blank is the
  // same heater.
  Define d;
  d.name = std::string(132, 'N') + "X";
  d();
  d.name += "     ";
  d.load = 50.0;
  d();
  ASSERT_EQ(count_heaters(), 1);
  EXPECT_EQ(heater().heaterName.view(), std::string(132, 'N') + "X");
  EXPECT_EQ(heater().nominalLoad, 50.0);

  // Boundary node measured, factor array longer than the power list, a power
  // law array that makes the nominal load 0, a time law with period 0,
  // proportional transient mode whose initial state is not read.
  htr_clear_for_tests();
  Define e;
  e.measured = "#3";
  e.power = "#2";
  e.factors = factors_;
  e.type = 1;
  e.array = points_;
  e.load = 75.0;
  e.period = 0.0;
  e.tmode = 2;
  e.initial = 5;
  e.smode = 3;
  e.smult = 0.5;
  e.relax = 0.25;
  e.hold = 33.0;
  e.multiplier = -2.0;
  e.method = 3;
  e();
  const htr_HeaterRecord& h = heater();
  EXPECT_EQ(h.modelNumber, 1);
  EXPECT_EQ(list(h.measuredNodes, h.numMeasuredNodes), std::vector<int>({3}));
  EXPECT_EQ(list(h.powerNodes, h.numPowerNodes), std::vector<int>({2}));
  EXPECT_EQ(h.factorArrayStart, 1);  // first real value of the first array
  EXPECT_EQ(h.powerType, 1);
  EXPECT_EQ(h.powerArray, points_);
  EXPECT_EQ(h.nominalLoad, 0.0);
  EXPECT_EQ(h.transientMode, 2);
  EXPECT_EQ(h.thermostatState, 0);
  EXPECT_EQ(h.steadyMode, 3);
  EXPECT_EQ(h.steadyMultiplier, 0.5);
  EXPECT_EQ(h.steadyRelaxation, 0.25);
  EXPECT_EQ(h.holdTemperature, 33.0);
  EXPECT_EQ(h.loadMultiplier, -2.0);
  EXPECT_EQ(h.measurementMethod, 3);
  EXPECT_EQ(h.onTemperature, 10.0);
  EXPECT_EQ(h.offTemperature, 20.0);
  EXPECT_EQ(h.measuredNodes.size(), 8);
  EXPECT_EQ(h.powerNodes.size(), 8);

  // Constant power: the array argument is not stored; a zero load is valid.
  htr_clear_for_tests();
  Define f;
  f.array = 99;
  f.load = 0.0;
  f.initial = 1;
  f();
  EXPECT_EQ(heater().powerArray, 0);
  EXPECT_EQ(heater().nominalLoad, 0.0);
  EXPECT_EQ(heater().thermostatState, 1);
  EXPECT_EQ(heater().factorArrayStart, 0);
  EXPECT_EQ(listing(), "");
}

TEST_F(HeaterManager, SameSpecificationsShareOneResolution) {
  Define d;
  d.power = "#5,1,2";
  d.measured = "#5,1,2     ";
  d();
  const htr_HeaterRecord& h = heater();
  EXPECT_EQ(list(h.powerNodes, h.numPowerNodes), std::vector<int>({1, 2, 5}));
  EXPECT_EQ(list(h.measuredNodes, h.numMeasuredNodes), list(h.powerNodes, h.numPowerNodes));
  // A label text: every node whose label holds it.
  htr_clear_for_tests();
  Define e;
  e.measured = "NODE 1";  // labels NODE 1, NODE 10 and NODE 11 of MAIN's subtree
  e();
  EXPECT_EQ(list(heater().measuredNodes, heater().numMeasuredNodes), std::vector<int>({1, 6, 7}));
}

TEST_F(HeaterManager, RedefinitionChangesTheHeaterAndKeepsItsCounters) {
  Define d;
  d.initial = 1;
  d();
  htr_HeaterRecord& h = heater();
  h.measuredTemperature = 12.0;
  h.heaterPower = 7.0;
  h.demandPower = 8.0;
  h.numSwitches = 3;
  h.elapsedTime = 10.0;
  h.onTime = 5.0;
  h.dutyCycle = 0.5;
  h.isOn = 1;
  h.wasOn = 1;
  d.load = 50.0;
  d.initial = 0;
  d.on = 1.0;
  d.off = 2.0;
  d();
  ASSERT_EQ(count_heaters(), 1);
  EXPECT_EQ(&heater(), &h);
  EXPECT_EQ(h.nominalLoad, 50.0);
  EXPECT_EQ(h.onTemperature, 1.0);
  EXPECT_EQ(h.offTemperature, 2.0);
  EXPECT_EQ(h.thermostatState, 0);
  EXPECT_EQ(h.isOn, 0);
  EXPECT_EQ(h.wasOn, 0);
  EXPECT_EQ(h.measuredTemperature, 12.0);
  EXPECT_EQ(h.heaterPower, 7.0);
  EXPECT_EQ(h.demandPower, 8.0);
  EXPECT_EQ(h.numSwitches, 3);
  EXPECT_EQ(h.elapsedTime, 10.0);
  EXPECT_EQ(h.onTime, 5.0);
  EXPECT_EQ(h.dutyCycle, 0.5);

  // An unchanged specification is not looked at again: node 1 became a
  // boundary node since, yet the same text is accepted.
  gar_thermalnodestatuses(1) = "B";
  d();
  EXPECT_EQ(list(h.powerNodes, h.numPowerNodes), std::vector<int>({1}));
  // A changed one is resolved again, and the boundary rule applies.
  gar_thermalnodestatuses(1) = "D";
  d.power = "#2,5";
  d();
  EXPECT_EQ(list(h.powerNodes, h.numPowerNodes), std::vector<int>({2, 5}));
  EXPECT_EQ(list(h.measuredNodes, h.numMeasuredNodes), std::vector<int>({1}));
  gar_thermalnodestatuses(5) = "B";
  d.power = "#5";
  EXPECT_EQ(exit_status(d), 1);
}

TEST_F(HeaterManager, HeatersOfTwoModelsAreTwoHeaters) {
  Define d;
  d.name = "H";
  d();
  GLOI.MODEL = 2;
  d.power = d.measured = "#10,11";
  d();
  ASSERT_EQ(count_heaters(), 2);
  EXPECT_EQ(heater(2).modelNumber, 2);
  EXPECT_EQ(list(heater(2).powerNodes, heater(2).numPowerNodes), std::vector<int>({6, 7}));
  heater(1).measuredTemperature = 1.5;
  heater(2).measuredTemperature = 2.5;
  heater(2).numSwitches = 4;
  for (int m : {1, 2, -2}) {
    double t = 0, p = -1, on_time = -1, duty = -1;
    int on = -1, sw = -1;
    htr_status("H    ", m, t, on, p, sw, on_time, duty);
    EXPECT_EQ(t, std::abs(m) == 1 ? 1.5 : 2.5) << m;
    EXPECT_EQ(sw, std::abs(m) == 1 ? 0 : 4) << m;
    EXPECT_EQ(on, 0);
    EXPECT_EQ(p, 0.0);
    EXPECT_EQ(on_time, 0.0);
    EXPECT_EQ(duty, 0.0);
  }
  EXPECT_EQ(listing(), "");
}

// ---------------------------------------------------------------------------
// Status and reset.

TEST_F(HeaterManager, StatusAndResetMessages) {
  Define d;
  d.name = "H";
  d();
  const std::string n134(134, 'N');
  struct Case {
    std::function<void()> call;
    int severity, code;
    std::string routine, message;
  };
  double t = 9.0, p = 9.0, on_time = 9.0, duty = 9.0;
  int on = 9, sw = 9;
  auto status = [&](std::string name, int m) {
    return [&t, &p, &on_time, &duty, &on, &sw, name, m] { htr_status(name, m, t, on, p, sw, on_time, duty); };
  };
  auto reset = [](std::string name, int m) { return [name, m] { htr_reset(name, m); }; };
  // clang-format off
  const std::vector<Case> cases = {
      {status("H", 0), 4, 1, "htr_Status", "Invalid model reference@Retrieving a Heater status.@@Heater: H"},
      {status("H", 4), 4, 1, "htr_Status", "Invalid model reference@Retrieving a Heater status.@@Heater: H"},
      {status("H", INT_MIN), 4, 1, "htr_Status", "Invalid model reference@Retrieving a Heater status.@@Heater: H"},
      {status(n134, 1), 4, 2, "htr_Status",
       "Heater name string too long, maximum 133        characters@Retrieving a Heater status.@@" +
           context(n134)},
      {status("H", 2), 3, 3, "htr_Status",
       "Requested Heater was not defined@Retrieving a Heater status.@@Heater: H<NL>Model: SUB"},
      {status("G", -1), 3, 3, "htr_Status", "Requested Heater was not defined@Retrieving a Heater status.@@Heater: G"},
      {reset("H", 0), 4, 1, "htr_Reset", "Invalid model reference@Resetting a Heater.@@Heater: H"},
      {reset("", -4), 4, 1, "htr_Reset", "Invalid model reference@Resetting a Heater.@@Heater:"},
      {reset(n134, 3), 4, 2, "htr_Reset",
       "Heater name string too long, maximum 133        characters@Resetting a Heater.@@" +
           context(std::string(134, 'N'), "SUBSUB")},
      {reset("H", 3), 3, 3, "htr_Reset",
       "Requested Heater was not defined@Resetting a Heater.@@Heater: H<NL>Model: SUBSUB"},
  };
  // clang-format on
  for (std::size_t k = 0; k < cases.size(); ++k) {
    const Case& c = cases[k];
    const auto got = printed(c.call);
    const auto want = expected(c.message, c.severity, c.code, c.routine);
    EXPECT_EQ(got.second, c.severity == 4 ? 1 : -1) << "case " << k;
    EXPECT_EQ(got.first, want.first) << "case " << k;
  }
  // A missing heater leaves the caller's variables alone.
  EXPECT_EQ(t, 9.0);
  EXPECT_EQ(on, 9);
  EXPECT_EQ(p, 9.0);
  EXPECT_EQ(sw, 9);
  EXPECT_EQ(on_time, 9.0);
  EXPECT_EQ(duty, 9.0);
  // A blank name finds no heater in a model without heaters: no message.
  EXPECT_EQ(printed(reset("", 3)), std::make_pair(std::string(), -1));
}

TEST_F(HeaterManager, ResetClearsTheCountersOfTheChosenModels) {
  const std::vector<std::string> specs = {"#1", "#10", "#20"};
  for (int m = 1; m <= 3; ++m) {
    GLOI.MODEL = m;
    Define d;
    d.name = "H";
    d.power = d.measured = specs[static_cast<std::size_t>(m - 1)];
    d();
  }
  auto fill = [] {
    for (htr_HeaterRecord* h = mfirstheater; h != nullptr; h = h->nextHeater) {
      h->numSwitches = 2;
      h->onTime = 3.0;
      h->elapsedTime = 4.0;
      h->dutyCycle = 0.75;
      h->thermostatState = 1;
      h->isOn = 1;
      h->wasOn = 1;
      h->heaterPower = 6.0;
      h->demandPower = 6.5;
      h->measuredTemperature = 7.0;
    }
  };
  // Which of the three heaters a reset clears.
  auto cleared = [&] {
    std::vector<bool> v;
    for (htr_HeaterRecord* h = mfirstheater; h != nullptr; h = h->nextHeater) {
      const bool zero = h->numSwitches == 0 && h->onTime == 0.0 && h->elapsedTime == 0.0 && h->dutyCycle == 0.0;
      const bool full = h->numSwitches == 2 && h->onTime == 3.0 && h->elapsedTime == 4.0 && h->dutyCycle == 0.75;
      EXPECT_TRUE(zero || full);
      // Never touched by a reset.
      EXPECT_EQ(h->thermostatState, 1);
      EXPECT_EQ(h->isOn, 1);
      EXPECT_EQ(h->wasOn, 1);
      EXPECT_EQ(h->heaterPower, 6.0);
      EXPECT_EQ(h->demandPower, 6.5);
      EXPECT_EQ(h->measuredTemperature, 7.0);
      v.push_back(zero);
    }
    return v;
  };
  struct Case {
    std::string name;
    int model;
    std::vector<bool> cleared;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"", -2, {false, true, false}}, {"", 2, {false, true, true}},   {"", 1, {true, true, true}},
      {"", -1, {true, false, false}}, {"", 3, {false, false, true}},  {"H", 3, {false, false, true}},
      {"H", -2, {false, true, false}}, {"H  ", 1, {true, false, false}},
  };
  // clang-format on
  for (const Case& c : cases) {
    fill();
    htr_reset(c.name, c.model);
    EXPECT_EQ(cleared(), c.cleared) << "'" << c.name << "' " << c.model;
  }
  EXPECT_EQ(listing(), "");
}

}  // namespace
