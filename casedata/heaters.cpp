// htr_HeaterManager_m: definition, query and reset of the thermostatic
// heaters, and their update in the VARIABLES1 and VARIABLES2 blocks.
#include "casedata/heaters.h"
#include "platform/process_state.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>
#include <string>

#include "casedata/status_flag.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "core/text_utils.h"
#include "modeldata/global_arrays.h"
#include "modeldata/interpolation.h"
#include "modeldata/node_lists.h"
#include "platform/process.h"
#include "platform/text.h"

htr_HeaterRecord* mfirstheater = nullptr;
htr_HeaterRecord* mlastheater = nullptr;
std::int32_t mfirstv1 = 1;

namespace {

constexpr std::size_t kNameLength = 133;
constexpr std::size_t kSpecLength = 512;
constexpr std::size_t kContextLength = 170;
constexpr std::size_t kMessageLength = 500;
// Below this a band, a duration or a demand counts as zero.
constexpr double kTiny = 1.0e-37;

// ---------------------------------------------------------------------------
// Messages.

// "Heater: " and the name; beyond the main model also the model's name on a
// new line. Always exactly kContextLength characters.
std::string heater_context(std::string_view name, std::int64_t model) {
  std::string c = "Heater: ";
  if (model <= 1) {
    c.append(name);
  } else {
    c.append(plat::trimmed(name)).append("<NL>").append("Model: ");
    if (model <= gar_modelnames.size()) c.append(gar_modelnames(model).view());
    else c.append(24, ' ');
  }
  c.resize(kContextLength, ' ');
  return c;
}

// The message as the 500-character buffer holds it, without trailing blanks.
void raise(std::string text, int severity, int code, std::string_view routine) {
  if (text.size() > kMessageLength) text.resize(kMessageLength);
  SETERX(plat::trimmed(text), severity, code, routine);
}

std::string too_long(std::string_view what, int limit, std::string_view action) {
  std::string s(what);
  s.append(" string too long, maximum ").append(ITOC(limit)).append(" characters@").append(action).append("@@");
  return s;
}

constexpr std::string_view kDefine = "htr_Define";
constexpr std::string_view kDefining = "Defining a Heater.";

[[noreturn]] void define_fails(std::string_view text, int code, const std::string& context) {
  raise(std::string(text) + context, 4, code, kDefine);
  // SETERX does not return from a fatal diagnostic.
  fatal_end();
}

// ---------------------------------------------------------------------------
// The list.

htr_HeaterRecord* find_heater(std::string_view name, std::int64_t model) {
  for (htr_HeaterRecord* h = mfirstheater; h != nullptr; h = h->nextHeater)
    if (h->modelNumber == model && plat::text_eq(h->heaterName.view(), name)) return h;
  return nullptr;
}

htr_HeaterRecord* new_heater(int nt) {
  htr_HeaterRecord* h = nullptr;
  try {
    h = new htr_HeaterRecord();
    h->measuredNodes.allocate(nt);
    h->powerNodes.allocate(nt);
  } catch (const std::bad_alloc&) {
    plat::consistency_stop("Allocation would exceed memory limit");
  }
  if (mlastheater == nullptr) mfirstheater = h;
  else mlastheater->nextHeater = h;
  mlastheater = h;
  return h;
}

// Number of models (the subtree of the main model).
std::int64_t number_of_models() { return gar_modeldirectory.size() > 0 ? md_subtreesize(1) : 0; }

// ---------------------------------------------------------------------------
// Update.

[[noreturn]] void stop(std::string_view text) { plat::consistency_stop(text); }

double node_weight(const htr_HeaterRecord& h, int i) {
  if (h.factorArrayStart != 0) return gar_arrayvaluesreal(h.factorArrayStart + i - 1);
  return 1.0 / h.numPowerNodes;
}

// Runs f(node, weight, power) for every power node in list order, the power
// being weight x power-law value x load multiplier. `where` names the
// routine in the consistency stops of an unknown power type.
template <class F>
void for_each_node_power(const htr_HeaterRecord& h, std::string_view where, F f) {
  const int type = h.powerType;
  const int order = (type >= 1 && type <= 4) ? 1 : 0;
  double common = 0.0;
  bool per_node = false;
  switch (type) {
    case 0: common = h.nominalLoad; break;
    case 1:
    case 5: common = INTRP1(GLOR.TIMEM, h.powerArray, order); break;
    case 2:
    case 6: common = INTCY1(GLOR.TIMEM, h.powerArray, order, h.cyclicPeriod, 0.0); break;
    case 3:
    case 4:
    case 7:
    case 8: per_node = true; break;
    default: stop(std::string(where) + " 1");
  }
  for (int i = 1; i <= h.numPowerNodes; ++i) {
    const int node = h.powerNodes(i);
    double u = common;
    if (per_node) {
      switch (type) {
        case 3:
        case 7: u = INTRP1(gar_thermalnodetemps(node), h.powerArray, order); break;
        case 4:
        case 8: u = INTRP2(GLOR.TIMEM, gar_thermalnodetemps(node), h.powerArray, order); break;
        default: stop(std::string(where) + " 2");
      }
    }
    const double w = node_weight(h, i);
    f(node, w, w * u * h.loadMultiplier);
  }
}

// Proportional thermostat: full power at or below the On temperature, none
// at or above the Off temperature, linear in between.
double proportional(htr_HeaterRecord& h, double t, std::string_view degenerate) {
  if (t <= h.onTemperature) {
    h.thermostatState = 1;
    return 1.0;
  }
  if (t >= h.offTemperature) {
    h.thermostatState = 0;
    return 0.0;
  }
  if (h.offTemperature - h.onTemperature <= kTiny) stop(degenerate);
  h.thermostatState = 1;
  return (h.offTemperature - t) / (h.offTemperature - h.onTemperature);
}

void clear_power_nodes() {
  for (const htr_HeaterRecord* h = mfirstheater; h != nullptr; h = h->nextHeater)
    for (int i = 1; i <= h->numPowerNodes; ++i) gar_thermalnodeheatsourcesinternal(h->powerNodes(i)) = 0.0;
}

void measure(htr_HeaterRecord& h) {
  calcmeasuredtemp(h.measurementMethod, h.numMeasuredNodes, h.measuredNodes.view(), h.measuredTemperature);
}

void update_transient_v1() {
  clear_power_nodes();
  for (htr_HeaterRecord* p = mfirstheater; p != nullptr; p = p->nextHeater) {
    htr_HeaterRecord& h = *p;
    if (h.numMeasuredNodes < 1) stop("(htr) UpdateTransientV1 1");
    measure(h);
    const double t = h.measuredTemperature;
    // ThermostatTrans
    double f = 1.0;
    switch (h.transientMode) {
      case 1:
        if (t <= h.onTemperature) h.thermostatState = 1;
        else if (t >= h.offTemperature) h.thermostatState = 0;
        break;
      case 2: f = proportional(h, t, "(htr) ThermostatTrans 1"); break;
      default: stop("(htr) ThermostatTrans 2");
    }
    if (h.numPowerNodes < 1) stop("(htr) UpdateTransientV1 2");
    // CalcPowerTrans
    switch (h.thermostatState) {
      case 0:
        h.demandPower = 0.0;
        h.heaterPower = 0.0;
        h.isOn = 0;
        break;
      case 1: {
        double demand = 0.0, applied = 0.0;
        for_each_node_power(h, "(htr) CalcPowerTrans", [&](int node, double, double power) {
          gar_thermalnodeheatsourcesinternal(node) += f * power;
          demand += power;
          applied += f * power;
        });
        h.demandPower = demand;
        h.heaterPower = applied;
        h.isOn = applied > 0.0 ? 1 : 0;
        break;
      }
      default: stop("(htr) CalcPowerTrans 3");
    }
  }
  mfirstv1 = 0;
}

void update_transient_v2() {
  const double dt = GLOR.DTIMEU;
  for (htr_HeaterRecord* h = mfirstheater; h != nullptr; h = h->nextHeater) {
    h->elapsedTime += dt;
    if (h->isOn == 1) {
      h->onTime += dt;
      if (h->wasOn == 0) ++h->numSwitches;
    }
    h->dutyCycle = h->elapsedTime > kTiny ? h->onTime / h->elapsedTime : 0.0;
    h->wasOn = h->isOn;
  }
  mfirstv1 = 1;
}

// Heat that held node i must receive for its net heat flow to be zero at its
// present temperature: minus its sources and what its active conductors
// bring in from their neighbours (fluid neighbours at their fluid
// temperature, inactive thermal neighbours left out).
double balance_power(int i) {
  const int nt = FLAGS(1);
  const double ti = gar_thermalnodetemps(i);
  double tj = 0.0;
  auto neighbour = [&](int j) {
    if (j > nt) {
      tj = gar_fluidnodetemps(j - nt);
      return true;
    }
    if (gar_thermalnodestatuses(j) == "X") return false;
    tj = gar_thermalnodetemps(j);
    return true;
  };
  double gsum_l = 0.0, gsum_r = 0.0, gsum_f = 0.0;
  for (int e = 0, s = gar_pcsptrsthermal(1, i); e < gar_pcsptrsthermal(2, i); ++e) {
    const int j = gar_pcsthermal(s + 2 * e), c = std::abs(gar_pcsthermal(s + 2 * e + 1));
    if (gar_linearcondacts(c) == "A" && neighbour(j)) gsum_l += gar_linearconds(c) * (tj - ti);
  }
  const double tabs = GLOR.TABS;
  const double ai = ti + tabs, ai4 = ((ai * ai) * ai) * ai;
  for (int e = 0, s = gar_pcsptrsthermal(3, i); e < gar_pcsptrsthermal(4, i); ++e) {
    const int j = gar_pcsthermal(s + 2 * e), c = std::abs(gar_pcsthermal(s + 2 * e + 1));
    if (gar_radiativecondacts(c) == "A" && neighbour(j)) {
      const double aj = tj + tabs;
      gsum_r += gar_radiativeconds(c) * (((aj * aj) * aj) * aj - ai4);
    }
  }
  for (int e = 0, s = gar_pcsptrsthermal(5, i); e < gar_pcsptrsthermal(6, i); ++e) {
    const int j = gar_pcsthermal(s + 2 * e), c = gar_pcsthermal(s + 2 * e + 1);
    if (c > 0 && gar_fluidiccondacts(c) == "A" && neighbour(j)) gsum_f += gar_fluidicconds(c) * (tj - ti);
  }
  const double q = gar_thermalnodeheatsourcesalbedo(i) + gar_thermalnodeheatsourcesplanet(i) +
                   gar_thermalnodeheatsourcesinternal(i) + gar_thermalnodeheatsourcesother(i) +
                   gar_thermalnodeheatsourcessolar(i);
  return -(q + gsum_l + GLOR.STEFAN * gsum_r + gsum_f);
}

void update_steady_v1() {
  clear_power_nodes();
  for (htr_HeaterRecord* p = mfirstheater; p != nullptr; p = p->nextHeater) {
    htr_HeaterRecord& h = *p;
    // Hold: the power nodes become boundary nodes at the hold temperature
    // from the first update of a steady solution on.
    if (mfirstv1 == 1 && h.steadyMode == 3) {
      for (int i = 1; i <= h.numPowerNodes; ++i) {
        const int node = h.powerNodes(i);
        gar_thermalnodestatuses(node) = "B";
        gar_thermalnodetemps(node) = h.holdTemperature;
      }
      stat_setstatst(1);
    }
    if (h.numMeasuredNodes < 1) stop("(htr) UpdateSteadyV1 1");
    measure(h);
    // ThermostatSteady
    double f = 1.0;
    switch (h.steadyMode) {
      case 1:
      case 3: h.thermostatState = 1; break;
      case 2: f = proportional(h, h.measuredTemperature, "(htr) ThermostatSteady 1"); break;
      default: stop("(htr) ThermostatSteady 2");
    }
    if (h.numPowerNodes < 1) stop("(htr) UpdateSteadyV1 2");
    // CalcPowerSteady
    double applied = 0.0, demand = 0.0;
    switch (h.steadyMode) {
      case 1: {
        const double m = h.steadyMultiplier;
        for_each_node_power(h, "(htr) CalcPowerSteady", [&](int node, double, double power) {
          gar_thermalnodeheatsourcesinternal(node) += m * power;
          applied += m * power;
          demand += power;
        });
        break;
      }
      case 2: {
        double weights = 0.0, switched = 0.0;
        for_each_node_power(h, "(htr) CalcPowerSteady", [&](int, double w, double power) {
          demand += power;
          weights += w;
          switched += f * power;
        });
        const double previous = h.heaterPower;
        applied = previous + h.steadyRelaxation * (switched - previous);
        if (weights != 0.0) {
          // The weights act as shares of the relaxed power.
          for (int i = 1; i <= h.numPowerNodes; ++i)
            gar_thermalnodeheatsourcesinternal(h.powerNodes(i)) += node_weight(h, i) * applied / weights;
        } else {
          // Factors that sum to zero give no shares: nothing is applied.
          applied = 0.0;
        }
        break;
      }
      case 3:
        for (int i = 1; i <= h.numPowerNodes; ++i) {
          const int node = h.powerNodes(i);
          const double b = balance_power(node);
          gar_thermalnodeheatsourcesinternal(node) += b;
          applied += b;
        }
        demand = applied;
        break;
      default: stop("(htr) CalcPowerSteady 3");
    }
    h.demandPower = demand;
    h.heaterPower = applied;
    h.isOn = applied > 0.0 ? 1 : 0;
    h.dutyCycle = demand > kTiny ? applied / demand : 0.0;
  }
  mfirstv1 = 0;
}

void update_steady_v2() {
  for (htr_HeaterRecord* h = mfirstheater; h != nullptr; h = h->nextHeater) {
    if (h->steadyMode != 3) continue;
    for (int i = 1; i <= h->numPowerNodes; ++i) gar_thermalnodestatuses(h->powerNodes(i)) = "D";
    stat_setstatst(1);
  }
  mfirstv1 = 1;
}

}  // namespace

// ---------------------------------------------------------------------------
// Definition, query and reset.

void htr_define(std::string_view heaterName, std::string_view measuredNodeSpec, double onTemperature,
                double offTemperature, int measurementMethod, std::string_view powerNodeSpec, int factorArray,
                int powerType, double nominalLoad, int powerArray, double cyclicPeriod, double loadMultiplier,
                int transientMode, int initialState, int steadyMode, double steadyMultiplier,
                double steadyRelaxation, double holdTemperature) {
  const int model = GLOI.MODEL;
  const std::string context = heater_context(heaterName, model);

  if (plat::len_trim(heaterName) > kNameLength)
    define_fails(too_long("Heater name", kNameLength, kDefining), 1, context);
  if (plat::len_trim(measuredNodeSpec) > kSpecLength)
    define_fails(too_long("Heater temperature measurement nodes", kSpecLength, kDefining), 2, context);
  if (plat::len_trim(powerNodeSpec) > kSpecLength)
    define_fails(too_long("Heater power nodes", kSpecLength, kDefining), 3, context);

  const int nt = FLAGS(1), na = FLAGS(19);

  htr_HeaterRecord* found = find_heater(heaterName, model);
  const bool fresh = found == nullptr;
  if (fresh) {
    found = new_heater(nt);
    found->heaterName = heaterName;
    found->modelNumber = model;
  }
  htr_HeaterRecord& h = *found;

  if (transientMode != 1 && transientMode != 2)
    define_fails("Invalid integer option for transient operating mode.@Defining a Heater.@@", 4, context);
  h.transientMode = transientMode;
  if (steadyMode < 1 || steadyMode > 3)
    define_fails("Invalid integer option for steady state operating mode.@Defining a Heater.@@", 5, context);
  h.steadyMode = steadyMode;

  // Power nodes: resolved again only when their specification changed.
  if (fresh || !plat::text_eq(powerNodeSpec, h.powerNodeSpec.view())) {
    int ierr = 0, count = 0;
    LSCHND(model, nt, "THERMAL", 0, kDefine, model, plat::trimmed(powerNodeSpec), ierr, h.powerNodes.view(), count);
    if (ierr != 0 || count == 0)
      define_fails(
          "Failed to find any thermal nodes matching power node number string.@Defining a Heater.@At least one "
          "thermal node must be given for the heat load application.<NL>Heater power cannot be applied to fluid "
          "nodes or inactive nodes.@",
          6, context);
    for (int i = 1; i <= count; ++i)
      if (gar_thermalnodestatuses(h.powerNodes(i)) == "B")
        define_fails("Heat load application nodes cannot be boundary nodes@Defining a Heater.@@", 7, context);
    h.numPowerNodes = count;
    h.powerNodeSpec = powerNodeSpec;
  }

  std::array<int, kIntpMaxDims> dims{};
  const plat::Vec1<int> dimv(dims.data(), kIntpMaxDims);
  int ipos = 0, rpos = 0, ndim = 0, nvalues = 0, count = 0, type = 0, status = 0;

  // Power factors: a one-dimensional real array, one value per power node.
  if (factorArray == 0) {
    h.factorArrayStart = 0;
  } else {
    if (factorArray < 0)
      define_fails(
          "Invalid NORVEK Thermal array reference for node power factors.@Defining a Heater.@Cannot be a negative "
          "number.@",
          10, context);
    if (factorArray > na)
      define_fails(
          "Invalid NORVEK Thermal array reference for node power factors.@Defining a Heater.@Array not defined.@", 8,
          context);
    APARS(factorArray, ipos, rpos, ndim, dimv, nvalues, count, type, status);
    if (status != 0 || ndim != 1 || type != 2 || nvalues < h.numPowerNodes)
      define_fails(
          "Incorrect definition of power factors array.@Defining a Heater.@Must be a 1D array containing sufficient "
          "values to set the power factor at each heat load application node.@",
          9, context);
    h.factorArrayStart = rpos;
  }

  if (powerType < 0 || powerType > 8)
    define_fails("Invalid Time/Temperature dependence integer option for nominal heat load.@Defining a Heater.@@",
                 11, context);
  h.powerType = powerType;
  h.nominalLoad = nominalLoad;

  if (powerType != 0) {
    if (powerArray < 1 || powerArray > na)
      define_fails(
          "Invalid array reference for Time/Temperature dependent heat load.@Defining a Heater.@Must be an NORVEK "
          "Thermal array reference.@",
          13, context);
    APARS(powerArray, ipos, rpos, ndim, dimv, nvalues, count, type, status);
    if (powerType == 4 || powerType == 8) {
      if (status != 0 || ndim != 2 || type != 4)
        define_fails(
            "Incorrect array definition for Time&Temperature dependent heat load.@Defining a Heater.@Must be a "
            "Table "
            "array with 2 independent variables.@",
            15, context);
    } else if (status != 0 || ndim != 2 || dims[0] != 2 || type != 2) {
      define_fails(
          "Incorrect array definition for Time/Temperature dependent heat load.@Defining a Heater.@Must be a (2xN) "
          "array of Nominal Power vs Time or Temperature.@",
          14, context);
    }
    h.nominalLoad = 0.0;
    h.powerArray = powerArray;
  } else {
    if (nominalLoad < 0.0)
      define_fails(
          "A negative nominal heat load has been supplied.@Defining a Heater.@No power dependence has been "
          "selected.@",
          12, context);
    h.powerArray = 0;
  }

  if ((powerType == 2 || powerType == 6) && !(cyclicPeriod > 0.0))
    define_fails(
        "Incorrect definition of Cyclic period for time dependent heat load.@Defining a Heater.@Cyclic time period "
        "must be a positive value.@",
        16, context);
  h.cyclicPeriod = cyclicPeriod;
  h.loadMultiplier = loadMultiplier;
  h.steadyMultiplier = steadyMultiplier;
  h.steadyRelaxation = steadyRelaxation;

  if (measurementMethod < 1 || measurementMethod > 3)
    define_fails("Invalid integer option for thermostat temperature measurement method.@Defining a Heater.@@", 17,
                 context);
  h.measurementMethod = measurementMethod;

  // Measured nodes: the power-node list again when the texts agree.
  if (fresh || !plat::text_eq(measuredNodeSpec, h.measuredNodeSpec.view())) {
    int n = 0;
    if (plat::text_eq(measuredNodeSpec, powerNodeSpec)) {
      n = h.numPowerNodes;
      for (int i = 1; i <= n; ++i) h.measuredNodes(i) = h.powerNodes(i);
    } else {
      int ierr = 0;
      LSCHND(model, nt, "THERMAL", 0, kDefine, model, plat::trimmed(measuredNodeSpec), ierr, h.measuredNodes.view(),
             n);
      if (ierr != 0 || n == 0)
        define_fails(
            "Failed to find any nodes matching measured temperature node number string.@Defining a Heater.@At "
            "least one thermal node must be given for the measured temperature.<NL>Thermostat measurement "
            "temperature cannot use fluid nodes or inactive nodes.@",
            18, context);
    }
    h.numMeasuredNodes = n;
    h.measuredNodeSpec = measuredNodeSpec;
  }

  // "Not less than" also refuses a NaN.
  if (!(onTemperature < offTemperature))
    define_fails(
        "Heater thermostat On temperature is not less than thermostat Off temperature.@Defining a Heater.@@", 19,
        context);
  h.onTemperature = onTemperature;
  h.offTemperature = offTemperature;
  h.holdTemperature = holdTemperature;

  if (transientMode == 1) {
    if (initialState != 0 && initialState != 1)
      define_fails(
          "Invalid value for Heater initial state@Defining a Heater.@A Heater state can be ON (initialState=1) or "
          "OFF (initialState=0)@",
          20, context);
    h.thermostatState = initialState;
  } else {
    h.thermostatState = 0;
  }
  h.isOn = 0;
  h.wasOn = 0;
}

void htr_status(std::string_view heaterName, int modelNumber, double& measuredTemperature, int& isOn,
                double& heaterPower, int& numSwitches, double& onTime, double& dutyCycle) {
  constexpr std::string_view routine = "htr_Status";
  // Wide: the magnitude of the most negative number is no overflow.
  const std::int64_t m = std::llabs(static_cast<long long>(modelNumber));
  if (m == 0 || m > number_of_models())
    raise("Invalid model reference@Retrieving a Heater status.@@Heater: " + std::string(heaterName), 4, 1, routine);
  const std::string context = heater_context(heaterName, m);
  if (plat::len_trim(heaterName) > kNameLength)
    raise(too_long("Heater name", kNameLength, "Retrieving a Heater status.") + context, 4, 2, routine);
  if (const htr_HeaterRecord* h = find_heater(heaterName, m)) {
    measuredTemperature = h->measuredTemperature;
    isOn = h->isOn;
    heaterPower = h->heaterPower;
    numSwitches = h->numSwitches;
    onTime = h->onTime;
    dutyCycle = h->dutyCycle;
    return;
  }
  raise("Requested Heater was not defined@Retrieving a Heater status.@@" + context, 3, 3, routine);
}

void htr_reset(std::string_view heaterName, int modelNumber) {
  constexpr std::string_view routine = "htr_Reset";
  const std::int64_t m = std::llabs(static_cast<long long>(modelNumber));
  if (m == 0 || m > number_of_models())
    raise("Invalid model reference@Resetting a Heater.@@Heater: " + std::string(heaterName), 4, 1, routine);
  auto clear = [](htr_HeaterRecord& h) {
    h.numSwitches = 0;
    h.onTime = 0.0;
    h.elapsedTime = 0.0;
    h.dutyCycle = 0.0;
  };
  if (plat::is_blank(heaterName)) {
    // Models are numbered depth-first: a model's subtree follows it.
    const std::int64_t last = modelNumber < 0 ? m : m + md_subtreesize(static_cast<int>(m)) - 1;
    for (htr_HeaterRecord* h = mfirstheater; h != nullptr; h = h->nextHeater)
      if (h->modelNumber >= m && h->modelNumber <= last) clear(*h);
    return;
  }
  const std::string context = heater_context(heaterName, m);
  if (plat::len_trim(heaterName) > kNameLength)
    raise(too_long("Heater name", kNameLength, "Resetting a Heater.") + context, 4, 2, routine);
  if (htr_HeaterRecord* h = find_heater(heaterName, m)) {
    clear(*h);
    return;
  }
  raise("Requested Heater was not defined@Resetting a Heater.@@" + context, 3, 3, routine);
}

// ---------------------------------------------------------------------------
// Update.

void calcmeasuredtemp(int measurementMethod, int count, plat::Vec1<const std::int32_t> nodes, double& result) {
  switch (measurementMethod) {
    case 1: {
      double sum = 0.0;
      for (int i = 1; i <= count; ++i) sum += gar_thermalnodetemps(nodes(i));
      result = sum / count;
      return;
    }
    case 2: {
      double t = std::numeric_limits<double>::max();
      for (int i = 1; i <= count; ++i) t = std::min(t, gar_thermalnodetemps(nodes(i)));
      result = t;
      return;
    }
    case 3: {
      double t = std::numeric_limits<double>::lowest();
      for (int i = 1; i <= count; ++i) t = std::max(t, gar_thermalnodetemps(nodes(i)));
      result = t;
      return;
    }
    default: stop("(htr) CalcMeasuredTemp");
  }
}

void htr_update() {
  if (mfirstheater == nullptr) return;
  const std::string_view kind = GLOC.SOLVER.view().substr(0, 2);
  const bool transient = kind == "CY" || kind == "TR";
  if (!transient && kind != "SS") return;
  const std::string_view block = GLOC.OPBLOK.view();
  if (plat::text_eq(block, "VARIABLES1")) {
    if (transient) update_transient_v1();
    else update_steady_v1();
  } else if (plat::text_eq(block, "VARIABLES2")) {
    if (transient) update_transient_v2();
    else update_steady_v2();
  } else {
    stop(transient ? "htr_Update 2" : "htr_Update 1");
  }
}

void HEATER_UPDATE() { htr_update(); }

void htr_clear_for_tests() {
  for (htr_HeaterRecord* h = mfirstheater; h != nullptr;) {
    htr_HeaterRecord* next = h->nextHeater;
    delete h;
    h = next;
  }
  mfirstheater = nullptr;
  mlastheater = nullptr;
  mfirstv1 = 1;
}

TNA_PROCESS_STATE("casedata/heaters", htr_clear_for_tests)
