// htr_HeaterManager_m: the thermostatic heaters of a run.
//
// A heater measures one temperature over its measured nodes (mean, minimum
// or maximum), decides by its thermostat rule whether and how strongly it
// heats, and adds its power to the internal heat source (QI) of its power
// nodes. Users define heaters from their operation blocks (htr_define), query
// them (htr_status) and clear their counters (htr_reset); the generated
// VARIABLES1 and VARIABLES2 blocks run the update through HEATER_UPDATE for
// the block named in OPBLOK and the run kind in SOLVER.
//
// The heaters form a singly linked list in definition order; a heater is
// identified by its name (133 characters, trailing blanks ignored) and the
// number of the model that defined it. Records are never removed: the list
// lives until the process ends and is not part of the state snapshot.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/array.h"
#include "platform/text.h"

struct htr_HeaterRecord {
  plat::Text<133> heaterName;
  std::int32_t modelNumber = 0;
  std::int32_t numMeasuredNodes = 0;
  plat::Text<512> measuredNodeSpec;
  plat::Array1<std::int32_t> measuredNodes;  // room for NT global thermal-node numbers
  double onTemperature = 0.0;
  double offTemperature = 0.0;
  std::int32_t measurementMethod = 0;  // 1 mean, 2 minimum, 3 maximum
  std::int32_t numPowerNodes = 0;
  plat::Text<512> powerNodeSpec;
  plat::Array1<std::int32_t> powerNodes;  // room for NT global thermal-node numbers
  std::int32_t factorArrayStart = 0;      // first factor in gar_arrayvaluesreal; 0 = equal shares
  std::int32_t powerType = 0;             // 0 constant, 1..8 power laws
  double nominalLoad = 0.0;
  std::int32_t powerArray = 0;
  double cyclicPeriod = 0.0;
  double loadMultiplier = 0.0;
  double demandPower = 0.0;
  std::int32_t transientMode = 0;  // 1 on/off with hysteresis, 2 proportional
  std::int32_t steadyMode = 0;     // 1 multiplier, 2 relaxed proportional, 3 hold temperature
  double steadyMultiplier = 0.0;
  double steadyRelaxation = 0.0;
  double holdTemperature = 0.0;
  double measuredTemperature = 0.0;
  std::int32_t thermostatState = 0;
  std::int32_t isOn = 0;
  std::int32_t wasOn = 0;
  double heaterPower = 0.0;
  std::int32_t numSwitches = 0;
  double elapsedTime = 0.0;
  double onTime = 0.0;
  double dutyCycle = 0.0;
  htr_HeaterRecord* nextHeater = nullptr;
};

// The list: first and last record (null while no heater is defined).
extern htr_HeaterRecord* mfirstheater;
extern htr_HeaterRecord* mlastheater;
// 1 when the next VARIABLES1 update is the first since the last VARIABLES2
// update (or of the run); steady mode 3 holds its power nodes only then.
extern std::int32_t mfirstv1;

// Defines a heater, or changes the heater of the same name defined by the
// running model (MODEL). Every invalid argument is a fatal diagnostic
// ("htr_Define", codes 1 to 20).
void htr_define(std::string_view heaterName, std::string_view measuredNodeSpec, double onTemperature,
                double offTemperature, int measurementMethod, std::string_view powerNodeSpec, int factorArray,
                int powerType, double nominalLoad, int powerArray, double cyclicPeriod, double loadMultiplier,
                int transientMode, int initialState, int steadyMode, double steadyMultiplier,
                double steadyRelaxation, double holdTemperature);

// The state of heater (name, |modelNumber|); the results are written only
// when the heater exists (otherwise a severity-3 diagnostic).
void htr_status(std::string_view heaterName, int modelNumber, double& measuredTemperature, int& isOn,
                double& heaterPower, int& numSwitches, double& onTime, double& dutyCycle);

// Clears the switch count, the on-time, the elapsed time and the duty cycle
// of heater (name, |modelNumber|); a blank name clears every heater of model
// -modelNumber alone (negative) or of model modelNumber and its subtree.
void htr_reset(std::string_view heaterName, int modelNumber);

// The heater update of the running block (OPBLOK) and run kind (SOLVER).
void htr_update();
// Called by the generated VARIABLES1 and VARIABLES2 blocks.
void HEATER_UPDATE();

// Measured temperature over nodes(1..count): method 1 mean, 2 minimum,
// 3 maximum; any other method is a consistency stop.
void calcmeasuredtemp(int measurementMethod, int count, plat::Vec1<const std::int32_t> nodes, double& result);

// Frees every heater and restores the start state. Only tests call this: a
// run keeps its heaters until the process ends.
void htr_clear_for_tests();
