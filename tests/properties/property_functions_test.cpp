// The twenty property functions: every function for every fluid code and
// quality either answers or ends the run with the exact diagnostic and code
// the functions give; fluid codes; independent physics through the
// functions. Run under three offset settings: TABS 273.15 with PABS 0,
// both 0, and TABS 273.15 with PABS one atmosphere.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/control_constants.h"
#include "platform/process.h"
#include "properties/data/tables.h"
#include "properties/properties.h"
#include "property_fixture.h"

namespace prop_test {

struct Offsets {
  double tabs, pabs;
  const char* name;
};

// A PropertyTest with the control constants TABS and PABS set to one of the
// offset settings; arguments are given absolute and passed relative.
class OffsetTest : public PropertyTest, public ::testing::WithParamInterface<Offsets> {
 protected:
  void SetUp() override {
    PropertyTest::SetUp();
    offsets(GetParam().tabs, GetParam().pabs);
  }
  // Relative values of an absolute temperature (K) and pressure (Pa).
  static double rt(double tk) { return tk - GLOR.TABS; }
  static double rp(double pa) { return pa - GLOR.PABS; }
};

inline const Offsets kOffsets[] = {
    {273.15, 0.0, "Celsius"}, {0.0, 0.0, "Kelvin"}, {273.15, 101325.0, "GaugePressure"}};

inline std::string offsets_name(const ::testing::TestParamInfo<Offsets>& info) { return info.param.name; }

}  // namespace prop_test

namespace {

using prop_test::OffsetTest;

// ---------------------------------------------------------------- fluids

const char* const kNames[10] = {"AMMONIA", "WATER", "AIR", "AIRW", "R11", "R114", "R12", "R21", "R22", "R502"};
enum Fluid { kAmmonia = 1, kWater, kAir, kHumidAir, kR11, kR114, kR12, kR21, kR22, kR502 };

std::string name24(int ff) {
  std::string s = ff >= 1 && ff <= 10 ? kNames[ff - 1] : "";
  s.resize(24, ' ');
  return s;
}

bool two_phase_fluid(int ff) { return ff != kAir && ff != kHumidAir; }

TEST(FluidCodes, RoundTripsAndRefusedSpellings) {
  for (int n = 1; n <= 10; ++n) {
    EXPECT_EQ(std::string(FTYPEC(n).view()), name24(n));
    EXPECT_EQ(FTYPEI(FTYPEC(n).view()), n);
    EXPECT_EQ(FTYPEI(kNames[n - 1]), n);
  }
  for (int n : {0, 11, -1, 2147483647}) EXPECT_EQ(std::string(FTYPEC(n).view()), std::string(24, ' ')) << n;
  struct Case {
    const char* name;
    int code;
  };
  const Case cases[] = {{"R114", 6},        {"R11", 5},     {"R1", 0},     {"", 0},
                        {"   ", 0},         {"ammonia", 0}, {"Water", 0},  {" WATER", 0},
                        {"WATER      ", 2}, {"AIR", 3},     {"AIRW", 4},   {"AIR W", 0},
                        {"AIRX", 0},        {"R5022", 0},   {"R502\t", 0}, {"R22                             ", 9}};
  for (const Case& c : cases) EXPECT_EQ(FTYPEI(c.name), c.code) << "'" << c.name << "'";
}

// ------------------------------------------------------------- functions

enum class Form { PTX, PHX, PT, P, T };

struct Function {
  const char* name;  // blank-padded to six characters, as the reference prints it
  int kind;
  bool saturation;
  Form form;
  double (*ptx)(double, double, double, int, int) = nullptr;
  double (*pt)(double, double, int, int) = nullptr;
  double (*p1)(double, int, int) = nullptr;
};

const std::vector<Function>& functions() {
  static const std::vector<Function> f = {
      {"XRHO  ", 1, false, Form::PTX, XRHO},
      {"XCP   ", 2, false, Form::PTX, XCP},
      {"XCOND ", 3, false, Form::PTX, XCOND},
      {"XVISC ", 4, false, Form::PTX, XVISC},
      {"XSIG  ", 5, false, Form::PT, nullptr, XSIG},
      {"XENTH ", 6, false, Form::PTX, XENTH},
      {"XTEMP ", 7, false, Form::PHX, XTEMP},
      {"XPRES ", 8, false, Form::PTX, XPRES},
      {"XJT   ", 9, false, Form::PTX, XJT},
      {"XKT   ", 10, false, Form::PTX, XKT},
      {"XRHOS ", 1, true, Form::PTX, XRHOS},
      {"XCPS  ", 2, true, Form::PTX, XCPS},
      {"XCONDS", 3, true, Form::PTX, XCONDS},
      {"XVISCS", 4, true, Form::PTX, XVISCS},
      {"XSIGS ", 5, true, Form::PT, nullptr, XSIGS},
      {"XENTHS", 6, true, Form::PTX, XENTHS},
      {"XTEMPS", 7, true, Form::P, nullptr, nullptr, XTEMPS},
      {"XPRESS", 8, true, Form::T, nullptr, nullptr, XPRESS},
      {"XJTS  ", 9, true, Form::PTX, XJTS},
      {"XKTS  ", 10, true, Form::PTX, XKTS},
  };
  return f;
}

double call(const Function& f, double p, double t, double x, int ifluid, int node) {
  switch (f.form) {
    case Form::PTX: return f.ptx(p, t, x, ifluid, node);
    case Form::PHX: return f.ptx(p, 2.0e5, x, ifluid, node);
    case Form::PT: return f.pt(p, t, ifluid, node);
    case Form::P: return f.p1(p, ifluid, node);
    case Form::T: return f.p1(t, ifluid, node);
  }
  return 0.0;
}

bool takes_x(const Function& f) { return f.form == Form::PTX || f.form == Form::PHX; }

enum Phase { L = 1, SL, TP, SV, V };

const char* const kWords[10] = {"density",
                                "specific heat",
                                "conductivity",
                                "viscosity",
                                "surface tension",
                                "enthalpy",
                                "temperature",
                                "pressure",
                                "Joule-Thompson coefficient",
                                "isothermal compressibility"};

// The phase a function asks for (0: none, it only reports).
int phase_of(const Function& f, int ff, double x) {
  if (!f.saturation) {
    if (f.form == Form::PT) return 0;  // XSIG
    if (ff == kHumidAir) return V;
    return x <= 0.0 ? L : x >= 1.0 ? V : TP;
  }
  if (!takes_x(f)) return SL;
  return x <= 0.0 ? SL : SV;
}

// Which fluids and phases each function serves.
bool served(const Function& f, int ff, int phase) {
  const bool two = two_phase_fluid(ff);
  const std::string n = f.name;
  if (!f.saturation) {
    if (n == "XPRES " || n == "XSIG  ") return false;
    if (ff == kHumidAir) return true;
    if (ff == kAir) return phase == V;
    return f.kind == 7 || f.kind == 9 || f.kind == 10 ? phase != TP : true;
  }
  if (n == "XTEMPS" || n == "XENTHS") return true;
  if (n == "XKTS  ") return false;
  if (n == "XCPS  ") return two || phase == SV;
  if (n == "XJTS  ") return two && phase == SV;
  return two;  // XRHOS, XCONDS, XVISCS, XSIGS, XPRESS
}

// Absolute pressure (Pa) and temperature (K) of each fluid's state in the
// matrix: inside every table the fluid's routines read.
struct State {
  double p, t;
};
const State kStates[11] = {{1e5, 300.0}, {5e5, 270.0}, {1e5, 350.0}, {1e5, 300.0}, {1e5, 300.0}, {1e5, 320.0},
                           {1e5, 320.0}, {1e5, 300.0}, {1e5, 320.0}, {1e5, 300.0}, {1e5, 300.0}};

using PropertyFunctions = OffsetTest;

TEST_P(PropertyFunctions, EveryFunctionFluidAndQualityAnswersOrEndsTheRunAsSpecified) {
  const double qualities[] = {-0.5, 0.0, 0.5, 1.0, 2.0};
  int answered = 0, refused = 0;
  for (const Function& f : functions()) {
    for (int ff : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0, 11, -1}) {
      for (double x : qualities) {
        SCOPED_TRACE(std::string(f.name) + " fluid " + std::to_string(ff) + " X " + std::to_string(x));
        const State s = kStates[ff >= 1 && ff <= 10 ? ff : 0];
        const double p = rp(s.p), t = rt(s.t);
        double value = 0.0;
        bool ended;
        const std::string out = run([&] { value = call(f, p, t, x, ff, 0); }, ended);

        // Refused requests: the exact diagnostic and code.
        std::string expected;
        int code = 0;
        std::string function = f.name;
        if (ff < 1 || ff > 10) {
          expected = "Unrecognised fluid type.@Fluid specified: " + name24(0);
          code = f.saturation ? 11 : 1;
        } else if (f.saturation && takes_x(f) && x > 0.0 && x < 1.0) {
          expected = std::string(
                         "Invalid input for fluid property.@Vapour quality between 0.0D0 and 1.0D0 "
                         "specified for saturation ") +
                     kWords[f.kind - 1] + " of " + name24(ff);
          code = ff;
        } else if (std::string(f.name) == "XTEMP " && ff == kHumidAir && x < 0.0) {
          // The temperature from enthalpy starts from the saturation
          // specific heat of the side X selects, which humid air has only
          // for the vapour (taken for every humidity from 0 on).
          expected = "Fluid property undefined.@Property required: saturation specific heat of liquid " + name24(ff);
          code = 12;
          function = "XCPS  ";
        } else {
          const int phase = phase_of(f, ff, x);
          if (phase == 0 || !served(f, ff, phase)) {
            std::string word;
            if (!f.saturation)
              word = ff == kHumidAir            ? "         "
                     : phase == 0 || phase == L ? "liquid   "
                     : phase == V               ? "vapour   "
                                                : "two-phase";
            else word = std::string(f.name) == "XPRESS" ? "      " : phase == SL ? "liquid" : "vapour";
            expected = std::string("Fluid property undefined.@Property required: ") +
                       (f.saturation ? "saturation " : "") + kWords[f.kind - 1] + " of " + word + " " + name24(ff);
            code = f.saturation ? 12 : 2;
          } else {
            // Served: an answer; the library may warn about its ranges on
            // the way (the enthalpy integrals and the temperature from
            // H = 2e5 J/kg cross table ends), nothing worse.
            EXPECT_FALSE(ended) << out;
            EXPECT_EQ(out.find("@@@@  FATAL ERROR"), std::string::npos) << out;
            EXPECT_EQ(out.find("@@@@  FAILURE"), std::string::npos) << out;
            EXPECT_TRUE(std::isfinite(value));
            ++answered;
            continue;
          }
        }
        EXPECT_TRUE(ended);
        EXPECT_EQ(out, fatal_box(expected, code, function));
        EXPECT_EQ(value, 0.0);
        ++refused;
      }
    }
  }
  EXPECT_EQ(answered + refused, 20 * 13 * 5);
  EXPECT_GT(answered, 0);
}

TEST_P(PropertyFunctions, MessagesCarryTheNodeContext) {
  const std::string ctx = " Node 7 in model SUB1 (MAIN:SUB1)";
  bool ended;
  // After "specified:", one blank and the node (the blank name is dropped).
  EXPECT_EQ(run([&] { XRHO(0.0, 0.0, 0.0, 11, 4); }, ended),
            fatal_box("Unrecognised fluid type.@Fluid specified:" + ctx, 1, "XRHO  "));
  EXPECT_EQ(run([&] { XTEMPS(0.0, 0, 4); }, ended),
            fatal_box("Unrecognised fluid type.@Fluid specified:" + ctx, 11, "XTEMPS"));
  // Liquid AIR conductivity: four blanks between the phase and the name.
  EXPECT_EQ(
      run([&] { XCOND(rp(1e5), rt(300.0), 0.0, kAir, 4); }, ended),
      fatal_box("Fluid property undefined.@Property required: conductivity of liquid    AIR" + ctx, 2, "XCOND "));
  EXPECT_EQ(run([&] { XCONDS(rp(1e5), rt(300.0), 0.5, kAir, 2); }, ended),
            fatal_box("Invalid input for fluid property.@Vapour quality between 0.0D0 and 1.0D0 specified for "
                      "saturation conductivity of AIR Node 20 in main model",
                      3, "XCONDS"));
  EXPECT_EQ(
      run([&] { XCONDS(rp(1e5), rt(300.0), 2.0, kAir, 0); }, ended),
      fatal_box("Fluid property undefined.@Property required: saturation conductivity of vapour AIR", 12, "XCONDS"));
  EXPECT_EQ(
      run([&] { XJTS(rp(1e5), rt(300.0), 0.0, kR12, 0); }, ended),
      fatal_box("Fluid property undefined.@Property required: saturation Joule-Thompson coefficient of liquid R12",
                12, "XJTS  "));
  EXPECT_TRUE(ended);
}

INSTANTIATE_TEST_SUITE_P(Offsets, PropertyFunctions, ::testing::ValuesIn(prop_test::kOffsets),
                         prop_test::offsets_name);

// ---------------------------------------------------------------- physics

using Physics = OffsetTest;

TEST_P(Physics, LatentHeatsAndSaturatedDensitiesAtOneAtmosphere) {
  const std::string out = printed([&] {
    const double p = rp(101325.0);
    // Water: 2256.4 kJ/kg (IAPWS-95), within 0.5 %.
    const double hw = XENTHS(p, 0.0, 1.0, kWater, 0) - XENTHS(p, 0.0, 0.0, kWater, 0);
    EXPECT_NEAR(hw, 2257e3, 2257e3 * 5e-3);
    // Ammonia: about 1370 kJ/kg.
    const double ha = XENTHS(p, 0.0, 1.0, kAmmonia, 0) - XENTHS(p, 0.0, 0.0, kAmmonia, 0);
    EXPECT_NEAR(ha, 1370e3, 1370e3 * 1e-2);
    // Water at 100 C: saturated liquid about 958 kg/m3 (by temperature),
    // saturated vapour about 0.598 kg/m3 (by pressure).
    const double t = XTEMPS(p, kWater, 0);
    EXPECT_NEAR(t + GLOR.TABS, 373.15, 0.05);
    EXPECT_NEAR(XRHOS(p, t, 0.0, kWater, 0), 958.35, 958.35 * 2e-3);
    EXPECT_NEAR(XRHOS(p, t, 1.0, kWater, 0), 0.598, 0.598 * 5e-3);
    // Ammonia at its normal boiling point, -33.3 C: 682 and 0.89 kg/m3.
    const double ta = XTEMPS(p, kAmmonia, 0);
    EXPECT_NEAR(ta + GLOR.TABS, 239.82, 0.1);
    EXPECT_NEAR(XRHOS(p, ta, 0.0, kAmmonia, 0), 682.0, 682.0 * 5e-3);
    EXPECT_NEAR(XRHOS(p, ta, 1.0, kAmmonia, 0), 0.890, 0.890 * 1e-2);
    // Saturation pressure at 100 C, back from temperature.
    EXPECT_NEAR(XPRESS(rt(373.15), kWater, 0) + GLOR.PABS, 101325.0, 101325.0 * 2e-3);
  });
  EXPECT_EQ(out, "");
}

TEST_P(Physics, SaturationLineOfEveryFluid) {
  // From just above the lowest temperature of the liquid-density table to
  // 90 % of the pressure at its highest: liquid denser than vapour, vapour
  // enthalpy above liquid, the saturation temperature rising with pressure
  // and the saturation pressure agreeing with it; no range warning on the way.
  struct Line {
    int ff;
    const prop_data::DensityTable* liquid;
    double p_max;  // Pa: below the end of the vapour-density table
  };
  const Line lines[] = {{kAmmonia, &prop_data::kPRHO15, 1e9}, {kWater, &prop_data::kPRHO01, 1.0e7},
                        {kR11, &prop_data::kPRHO03, 1e9},     {kR114, &prop_data::kPRHO11, 1e9},
                        {kR12, &prop_data::kPRHO05, 1e9},     {kR21, &prop_data::kPRHO07, 1e9},
                        {kR22, &prop_data::kPRHO09, 1e9},     {kR502, &prop_data::kPRHO13, 1e9}};
  const std::string out = printed([&] {
    for (const Line& l : lines) {
      SCOPED_TRACE(kNames[l.ff - 1]);
      const prop_data::DensityTable& d = *l.liquid;
      const double p_lo = std::max(XPRESS(rt(d.ranges[0].x0 + 1.0), l.ff, 0) + GLOR.PABS, 11000.0);
      const double p_hi = std::min(0.9 * (XPRESS(rt(d.ranges[d.count - 1].x1 - 1.0), l.ff, 0) + GLOR.PABS), l.p_max);
      double t_prev = -1e300;
      for (int k = 0; k <= 60; ++k) {
        const double pa = p_lo * std::pow(p_hi / p_lo, k / 60.0), p = rp(pa);
        const double t = XTEMPS(p, l.ff, 0);
        EXPECT_GT(t, t_prev) << pa;
        t_prev = t;
        EXPECT_GT(XRHOS(p, t, 0.0, l.ff, 0), XRHOS(p, t, 1.0, l.ff, 0)) << pa;
        EXPECT_GT(XENTHS(p, t, 1.0, l.ff, 0), XENTHS(p, t, 0.0, l.ff, 0)) << pa;
        // The saturation temperatures read up to 0.2 K off in the first
        // pressure range of the refrigerants (594 Pa steps from 610 Pa).
        EXPECT_NEAR(XPRESS(t, l.ff, 0) + GLOR.PABS, pa, pa * (pa < 2e4 ? 2e-2 : 2e-3)) << pa;
      }
    }
  });
  EXPECT_EQ(out, "");
}

INSTANTIATE_TEST_SUITE_P(Offsets, Physics, ::testing::ValuesIn(prop_test::kOffsets), prop_test::offsets_name);

}  // namespace
