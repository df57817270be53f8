// Conductivity, specific heat and viscosity tables: anchors, interpolation,
// range ends and warnings of all 43 tables, and sanity values of water and
// ammonia against IAPWS.
#include <cmath>
#include <string>
#include <vector>

#include "properties/data/tables.h"
#include "properties/library.h"
#include "property_fixture.h"

namespace {

using prop_test::PropertyTest;
using Routine = double (*)(int, double, double);

const std::string kConductivity = "Temperature out of range for conductivity function@";
const std::string kSpecificHeat = "Temperature out of range for specific heat function@";
const std::string kLiquidViscosity = "Temperature out of range for liquid viscosity function@";
const std::string kVapourViscosity = "Temperature out of range for vapour viscosity function@";

// Grid ends and anchors as the library defines them (single-precision values).
struct Case {
  Routine f;
  const char* name;  // reference name, blank-padded to six characters
  double t0, t1, t2;
  double y0, y1, y2;
  const std::string& text;
};

const std::vector<Case>& cases() {
  static const std::vector<Case> c = {
      {PCND01, "PCND01", 273.16f, 447.76f, 624.16f, 0.5683f, 0.6792f, 0.4375f, kConductivity},
      {PCND02, "PCND02", 273.16f, 471.16f, 623.76f, 0.0173f, 0.0397f, 0.1362f, kConductivity},
      {PCND03, "PCND03", 199.95f, 372.75f, 470.75f, 0.1149f, 0.0662f, 0.0246f, kConductivity},
      {PCND04, "PCND04", 288.71f, 372.71f, 471.71f, 0.01018f, 0.0111f, 0.02235f, kConductivity},
      {PCND05, "PCND05", 177.6f, 299.2f, 385.2f, 0.1131f, 0.0686f, 0.0242f, kConductivity},
      {PCND06, "PCND06", 244.26f, 347.46f, 384.66f, 0.00701f, 0.01287f, 0.02088f, kConductivity},
      {PCND07, "PCND07", 188.15f, 342.95f, 451.95f, 0.1438f, 0.085f, 0.0294f, kConductivity},
      {PCND08, "PCND08", 288.15f, 412.65f, 451.65f, 0.00843f, 0.01423f, 0.02569f, kConductivity},
      {PCND09, "PCND09", 199.85f, 304.25f, 369.05f, 0.1364f, 0.0843f, 0.0331f, kConductivity},
      {PCND10, "PCND10", 233.15f, 342.65f, 369.05f, 0.00699f, 0.01429f, 0.02922f, kConductivity},
      {PCND11, "PCND11", 199.85f, 311.45f, 418.25f, 0.0902f, 0.0611f, 0.0224f, kConductivity},
      {PCND12, "PCND12", 277.15f, 342.75f, 418.75f, 0.00918f, 0.01295f, 0.01768f, kConductivity},
      {PCND13, "PCND13", 199.15f, 312.75f, 355.35f, 0.103f, 0.0583f, 0.0251f, kConductivity},
      {PCND14, "PCND14", 221.15f, 313.15f, 355.15f, 0.01298f, 0.01283f, 0.02366f, kConductivity},
      {PCND15, "PCND15", 195.45f, 278.05f, 363.45f, 0.6312f, 0.5097f, 0.3292f, kConductivity},
      {PCND16, "PCND16", 195.45f, 332.25f, 363.05f, 0.01526f, 0.03916f, 0.0635f, kConductivity},
      {PCP01, "PCP01 ", 273.16f, 447.96f, 624.66f, 4198.12f, 4385.72f, 10680.53f, kSpecificHeat},
      {PCP02, "PCP02 ", 273.16f, 470.96f, 624.41f, 1868.07f, 2846.68f, 16944.59f, kSpecificHeat},
      {PCP03, "PCP03 ", 199.95f, 372.0f, 471.0f, 816.76f, 965.79f, 1256.88f, kSpecificHeat},
      {PCP05, "PCP05 ", 177.6f, 299.1f, 386.1f, 832.42f, 975.45f, 1897.43f, kSpecificHeat},
      {PCP07, "PCP07 ", 188.15f, 342.85f, 452.05f, 563.15f, 654.78f, 5416.11f, kSpecificHeat},
      {PCP08, "PCP08 ", 288.15f, 412.75f, 451.81f, 322.3f, 564.35f, 914.99f, kSpecificHeat},
      {PCP09, "PCP09 ", 199.85f, 304.25f, 370.05f, 1067.64f, 1276.7f, 2112.85f, kSpecificHeat},
      {PCP11, "PCP11 ", 199.85f, 312.95f, 419.75f, 786.86f, 1046.27f, 1294.3f, kSpecificHeat},
      {PCP13, "PCP13 ", 199.15f, 312.25f, 355.75f, 566.76f, 718.75f, 825.5f, kSpecificHeat},
      {PCP15, "PCP15 ", 195.45f, 278.25f, 364.25f, 4841.28f, 4649.18f, 6275.14f, kSpecificHeat},
      {PCP16, "PCP16 ", 195.45f, 331.95f, 363.45f, 1986.81f, 4168.26f, 6436.2f, kSpecificHeat},
      {PVSC01, "PVSC01", 273.16f, 447.96f, 624.66f, 0.001793f, 0.000155f, 6.497e-5f, kLiquidViscosity},
      {PVSC02, "PVSC02", 273.16f, 475.0f, 623.15f, 9.226e-6f, 1.577e-5f, 2.382e-5f, kVapourViscosity},
      {PVSC03, "PVSC03", 199.95f, 372.0f, 471.0f, 0.001654f, 0.0002376f, 4.216e-5f, kLiquidViscosity},
      {PVSC04, "PVSC04", 288.71f, 372.31f, 471.31f, 1.08e-5f, 1.337e-5f, 3.243e-5f, kVapourViscosity},
      {PVSC05, "PVSC05", 177.6f, 299.1f, 386.1f, 0.001007f, 0.0002115f, 3.648e-5f, kLiquidViscosity},
      {PVSC06, "PVSC06", 244.26f, 347.46f, 385.68f, 1.032e-5f, 1.641e-5f, 2.987e-5f, kVapourViscosity},
      {PVSC07, "PVSC07", 188.15f, 342.85f, 452.05f, 0.001314f, 0.0002259f, 4.25e-5f, kLiquidViscosity},
      {PVSC08, "PVSC08", 288.15f, 412.75f, 451.81f, 1.128e-5f, 1.762e-5f, 2.992e-5f, kVapourViscosity},
      {PVSC09, "PVSC09", 199.85f, 304.25f, 370.05f, 0.0004755f, 0.0001896f, 3.422e-5f, kLiquidViscosity},
      {PVSC10, "PVSC10", 233.15f, 342.35f, 369.35f, 1.013e-5f, 1.633e-5f, 2.952e-5f, kVapourViscosity},
      {PVSC11, "PVSC11", 199.85f, 312.95f, 419.75f, 0.001795f, 0.0002877f, 3.578e-5f, kLiquidViscosity},
      {PVSC12, "PVSC12", 277.15f, 343.15f, 419.65f, 1.009e-5f, 1.289e-5f, 2.983e-5f, kVapourViscosity},
      {PVSC13, "PVSC13", 199.15f, 312.25f, 355.75f, 0.0005701f, 0.0001503f, 3.331e-5f, kLiquidViscosity},
      {PVSC14, "PVSC14", 221.15f, 312.45f, 355.45f, 9.578e-6f, 1.478e-5f, 3.037e-5f, kVapourViscosity},
      {PVSC15, "PVSC15", 195.45f, 278.25f, 364.25f, 0.0006899f, 0.0001736f, 7.6e-5f, kLiquidViscosity},
      {PVSC16, "PVSC16", 195.45f, 331.95f, 363.45f, 6.573e-6f, 1.189e-5f, 1.351e-5f, kVapourViscosity},
  };
  return c;
}

// The generated table behind each routine, in the order of cases().
const std::vector<const prop_data::TemperatureTable*>& tables() {
  using namespace prop_data;
  static const std::vector<const TemperatureTable*> t = {
      &kPCND01, &kPCND02, &kPCND03, &kPCND04, &kPCND05, &kPCND06, &kPCND07, &kPCND08, &kPCND09, &kPCND10, &kPCND11,
      &kPCND12, &kPCND13, &kPCND14, &kPCND15, &kPCND16, &kPCP01,  &kPCP02,  &kPCP03,  &kPCP05,  &kPCP07,  &kPCP08,
      &kPCP09,  &kPCP11,  &kPCP13,  &kPCP15,  &kPCP16,  &kPVSC01, &kPVSC02, &kPVSC03, &kPVSC04, &kPVSC05, &kPVSC06,
      &kPVSC07, &kPVSC08, &kPVSC09, &kPVSC10, &kPVSC11, &kPVSC12, &kPVSC13, &kPVSC14, &kPVSC15, &kPVSC16};
  return t;
}

using TemperatureTables = PropertyTest;

TEST_F(TemperatureTables, AnchorsAtTheRangeEndsAndTheSwitch) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(printed([&] { EXPECT_EQ(c.f(0, c.t0, 0.0), c.y0); }), "");
    EXPECT_EQ(printed([&] { EXPECT_EQ(c.f(0, c.t1, 0.0), c.y1); }), "");
    // Just below the switch range 1's last interval gives nearly the same
    // (its grid, built from single-precision T0 and step, ends within
    // 1e-5 K of the single-precision T1).
    const double below = c.f(0, std::nextafter(c.t1, 0.0), 0.0);
    EXPECT_NEAR(below, c.y1, 1e-5 * c.y1);
    // T2 lies outside: the last point, with the warning.
    EXPECT_EQ(printed([&] { EXPECT_EQ(c.f(3, c.t2, 0.0), c.y2); }),
              box(c.text + " Node 30 in model SUB1 (MAIN:SUB1)", 2, 1, c.name));
    // Below T0 the first point, with the same warning.
    EXPECT_EQ(printed([&] { EXPECT_EQ(c.f(0, c.t0 - 0.5, 0.0), c.y0); }), box(c.text, 2, 1, c.name));
    // T0 is a single-precision value: a double just below it that rounds to
    // it (273.16 against 273.16f) lies at the end; the next single-precision
    // value below it lies outside.
    const float end = static_cast<float>(c.t0);
    const double half_step = 0.5 * (c.t0 - static_cast<double>(std::nextafter(end, 0.0f)));
    for (const double t : {std::nextafter(c.t0, 0.0), c.t0 - 0.99 * half_step})
      EXPECT_EQ(printed([&] { EXPECT_EQ(c.f(0, t, 0.0), c.y0); }), "") << t;
    const double next_below = static_cast<double>(std::nextafter(end, 0.0f));
    EXPECT_EQ(printed([&] { EXPECT_EQ(c.f(0, next_below, 0.0), c.y0); }), box(c.text, 2, 1, c.name));
    // TABS only shifts the scale.
    EXPECT_EQ(c.f(0, c.t1 - 100.0, 100.0), c.y1);
  }
}

TEST_F(TemperatureTables, EveryPointIsPositiveAndTheRangesMeet) {
  ASSERT_EQ(tables().size(), cases().size());
  for (std::size_t k = 0; k < cases().size(); ++k) {
    const Case& c = cases()[k];
    const prop_data::TemperatureTable& t = *tables()[k];
    SCOPED_TRACE(c.name);
    EXPECT_EQ(t.t0, c.t0);
    EXPECT_EQ(t.t1, c.t1);
    EXPECT_EQ(t.t2, c.t2);
    EXPECT_NEAR(t.t0 + (t.n1 - 1) * t.step1, t.t1, 1e-4);
    EXPECT_NEAR(t.t1 + (t.n2 - 1) * t.step2, t.t2, 1e-4);
    EXPECT_EQ(t.y1[t.n1 - 1], t.y2[0]);
    for (int i = 0; i < t.n1; ++i) EXPECT_TRUE(std::isfinite(t.y1[i]) && t.y1[i] > 0.0f) << i;
    for (int i = 0; i < t.n2; ++i) EXPECT_TRUE(std::isfinite(t.y2[i]) && t.y2[i] > 0.0f) << i;
  }
}

TEST_F(TemperatureTables, ShapeAlongTheSaturationLineUpToTheLastPoint) {
  // Read by straight lines, so the points decide: a liquid's conductivity
  // and viscosity fall as the temperature rises and its specific heat rises
  // (odd numbers are liquids); a vapour's three properties rise; water's
  // liquid conductivity turns once at a maximum and its liquid specific heat
  // once at a minimum. Two ranges whose own anchors go the other way are
  // left out: PCND14's range 1 (R502 vapour, 0.01298 falling to 0.01283) and
  // PCP15's (ammonia liquid, 4841.28 falling to 4649.18).
  for (std::size_t k = 0; k < cases().size(); ++k) {
    const Case& c = cases()[k];
    const prop_data::TemperatureTable& t = *tables()[k];
    SCOPED_TRACE(c.name);
    const std::string name = c.name;
    const bool liquid = std::stoi(name.substr(name.find_first_of("0123456789"))) % 2 == 1;
    const bool one_turn = name == "PCND01" || name == "PCP01 ";
    const bool skip_range1 = name == "PCND14" || name == "PCP15 ";
    // The way the table goes from its first point: +1 up, -1 down.
    double way = (name.rfind("PCP", 0) == 0 || !liquid) ? 1.0 : -1.0;
    if (one_turn) way = name == "PCND01" ? 1.0 : -1.0;
    std::vector<double> v(t.y1, t.y1 + t.n1);
    v.insert(v.end(), t.y2 + 1, t.y2 + t.n2);
    bool turned = false;
    for (std::size_t i = 1; i < v.size(); ++i) {
      if (skip_range1 && i < std::size_t(t.n1)) continue;
      if (one_turn && !turned && way * (v[i] - v[i - 1]) < 0.0) {
        turned = true;
        way = -way;
      }
      EXPECT_GE(way * (v[i] - v[i - 1]), 0.0) << "point " << i;
    }
    EXPECT_EQ(turned, one_turn);
  }
}

TEST_F(TemperatureTables, GridPointsGiveTheirValueAndMidpointsTheMean) {
  for (std::size_t k = 0; k < cases().size(); ++k) {
    const Case& c = cases()[k];
    const prop_data::TemperatureTable& t = *tables()[k];
    SCOPED_TRACE(c.name);
    for (int i : {1, t.n1 / 2, t.n1 - 2}) {
      const double x = t.t0 + i * t.step1;
      EXPECT_NEAR(c.f(0, x, 0.0), t.y1[i], 1e-12 * t.y1[i]) << i;
      const double mid = c.f(0, x + 0.5 * t.step1, 0.0);
      EXPECT_NEAR(mid, 0.5 * (double(t.y1[i]) + double(t.y1[i + 1])), 1e-12 * t.y1[i]) << i;
    }
    for (int i : {1, t.n2 / 2, t.n2 - 2}) {
      const double x = t.t1 + i * t.step2;
      EXPECT_NEAR(c.f(0, x, 0.0), t.y2[i], 1e-12 * t.y2[i]) << i;
      const double mid = c.f(0, x + 0.5 * t.step2, 0.0);
      EXPECT_NEAR(mid, 0.5 * (double(t.y2[i]) + double(t.y2[i + 1])), 1e-12 * t.y2[i]) << i;
    }
    // The last interval of a range: no point of the next range is read.
    const double last = c.f(0, std::nextafter(c.t2, 0.0), 0.0);
    EXPECT_NEAR(last, c.y2, 1e-4 * c.y2);
  }
}

TEST_F(TemperatureTables, WarningsCarryTheRoutineAndTheNodeContext) {
  // Water liquid conductivity at 273.0 K: the first point, naming PCND01.
  std::string out = printed([&] { EXPECT_EQ(PCND01(3, 273.0, 0.0), 0.5683f); });
  EXPECT_EQ(out, box(kConductivity + " Node 30 in model SUB1 (MAIN:SUB1)", 2, 1, "PCND01"));
  out = printed([&] { EXPECT_EQ(PCND02(2, 700.0, 0.0), 0.1362f); });
  EXPECT_EQ(out, box(kConductivity + " Node 20 in main model", 2, 1, "PCND02"));
  // The liquid and vapour viscosities word their warnings differently.
  out = printed([&] { PVSC01(4, 1000.0, 0.0); });
  EXPECT_EQ(out, box(kLiquidViscosity + " Node 7 in model SUB1 (MAIN:SUB1)", 2, 1, "PVSC01"));
  out = printed([&] { PVSC02(0, 1000.0, 0.0); });
  EXPECT_EQ(out, box(kVapourViscosity, 2, 1, "PVSC02"));
  // A five-character name is padded to six in the reference.
  out = printed([&] { PCP16(1, -300.0, 273.15); });
  EXPECT_EQ(out, box(kSpecificHeat + " Node 10 in main model", 2, 1, "PCP16 "));
  EXPECT_NE(out.find("(PCP16 ,   1)"), std::string::npos) << out;
  // Every call outside the range warns again; NaN is outside as well.
  out = printed([&] {
    PCND01(0, 0.0, 0.0);
    PCND01(0, 0.0, 0.0);
    EXPECT_EQ(PCND01(0, std::nan(""), 0.0), 0.4375f);
  });
  EXPECT_NE(out.find("MESSAGE    3"), std::string::npos) << out;
}

TEST_F(TemperatureTables, WaterAndAmmoniaFollowIapws) {
  // IAPWS-95 and the iapws ammonia equation at saturation; the tables hold
  // them scaled to the library's anchors, a few per cent away at most here.
  struct Sanity {
    Routine f;
    const char* name;
    double tk, iapws, tol;
  };
  const Sanity s[] = {
      {PCND01, "water liquid k", 300.0, 0.60944, 0.025},      {PCP01, "water liquid cp", 300.0, 4180.9, 0.01},
      {PVSC01, "water liquid mu", 300.0, 8.5375e-4, 0.01},    {PCND02, "water vapour k", 373.15, 0.024570, 0.05},
      {PCP02, "water vapour cp", 373.15, 2080.0, 0.03},       {PVSC02, "water vapour mu", 373.15, 1.22322e-5, 0.02},
      {PCND15, "ammonia liquid k", 300.0, 0.48025, 0.06},     {PCP15, "ammonia liquid cp", 300.0, 4800.1, 0.02},
      {PVSC15, "ammonia liquid mu", 300.0, 1.29333e-4, 0.09}, {PCP16, "ammonia vapour cp", 250.0, 2391.5, 0.04},
      {PVSC16, "ammonia vapour mu", 250.0, 8.3552e-6, 0.06},
  };
  for (const Sanity& c : s) EXPECT_NEAR(c.f(0, c.tk, 0.0) / c.iapws, 1.0, c.tol) << c.name;
}

}  // namespace
