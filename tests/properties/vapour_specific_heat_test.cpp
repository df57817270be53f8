// Specific heat of the refrigerant vapours: the Martin-Hou formula at the
// worked densities, its ideal-gas limit, the routines through the property
// functions, and the fatal report at the co-volume.
#include <cmath>
#include <string>

#include "core/control_constants.h"
#include "properties/library.h"
#include "properties/properties.h"
#include "property_fixture.h"

namespace {

using prop_test::PropertyTest;

enum Fluid { kR11 = 5, kR114, kR12, kR21, kR22, kR502 };

using VapourSpecificHeat = PropertyTest;

TEST_F(VapourSpecificHeat, WorkedValuesAtFixedDensities) {
  struct Case {
    const char* fluid;
    const prop_const::MartinHou* c;
    double rho, tk, cp;
  };
  const Case cases[] = {
      {"R11", &prop_const::kCpR11, 5.0, 300.0, 591.352},
      {"R12", &prop_const::kCpR12, 5.0, 300.0, 617.994},
      {"R22", &prop_const::kCpR22, 5.0, 300.0, 661.975},
      {"R114", &prop_const::kCpR114, 5.0, 300.0, 713.149},
      {"R502", &prop_const::kCpR502, 5.0, 300.0, 689.966},
      {"R11", &prop_const::kCpR11, 20.0, 350.0, 662.103},
      {"R12", &prop_const::kCpR12, 20.0, 350.0, 684.131},
      // Vanishing density: the ideal gas, cv0 + R.
      {"R11", &prop_const::kCpR11, 1e-12, 300.0, 573.278},
  };
  for (const Case& c : cases)
    EXPECT_NEAR(prop_martin_hou_cp(*c.c, c.rho, c.tk), c.cp, 5e-4) << c.fluid << " at " << c.rho << " kg/m3";
}

TEST_F(VapourSpecificHeat, ThroughThePropertyFunctions) {
  offsets(273.15, 0.0);
  struct Case {
    int ff;
    double (*pcp)(double, double, int);
    const prop_const::MartinHou* c;
  };
  const Case cases[] = {{kR11, PCP04, &prop_const::kCpR11},
                        {kR12, PCP06, &prop_const::kCpR12},
                        {kR22, PCP10, &prop_const::kCpR22},
                        {kR114, PCP12, &prop_const::kCpR114},
                        {kR502, PCP14, &prop_const::kCpR502}};
  const std::string out = printed([&] {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.ff);
      const double p = 2e5, t = 60.0;
      // The formula at the vapour density of XRHO.
      const double rho = XRHO(p, t, 1.0, c.ff, 0);
      EXPECT_EQ(PCP04 == c.pcp ? CPMAHO(p, t, c.ff, 0, *c.c) : c.pcp(p, t, 0),
                prop_martin_hou_cp(*c.c, rho, t + 273.15));
      // The vapour and the saturated vapour reach the same routine.
      EXPECT_EQ(XCP(p, t, 1.0, c.ff, 0), c.pcp(p, t, 0));
      EXPECT_EQ(XCPS(p, t, 1.0, c.ff, 0), c.pcp(p, t, 0));
      // Denser vapour, larger specific heat; the ideal gas below both.
      EXPECT_GT(XCP(2 * p, t, 1.0, c.ff, 0), XCP(p, t, 1.0, c.ff, 0));
      EXPECT_GT(XCP(p, t, 1.0, c.ff, 0), prop_martin_hou_cp(*c.c, 1e-9, t + 273.15));
    }
    // R21's vapour specific heat is a table of T alone; R22's follows P.
    EXPECT_EQ(XCP(1e5, 60.0, 1.0, kR21, 0), XCP(5e5, 60.0, 1.0, kR21, 0));
    EXPECT_NE(XCP(1e5, 60.0, 1.0, kR22, 0), XCP(5e5, 60.0, 1.0, kR22, 0));
  });
  EXPECT_EQ(out, "");
}

TEST_F(VapourSpecificHeat, AVolumeAtTheCoVolumeEndsTheRunUnderPCP04) {
  // A copy of R22's constants whose co-volume is the vapour's volume.
  offsets(273.15, 0.0);
  prop_const::MartinHou c = prop_const::kCpR22;
  c.b = 1.0 / XRHO(1e5, 20.0, 1.0, kR22, 0);
  bool ended;
  EXPECT_EQ(
      run([&] { CPMAHO(1e5, 20.0, kR22, 4, c); }, ended),
      fatal_box("Problem in Cp calculation@Pressure( =   1.0000E+05) and/or temperature( =   2.0000E+01) out of "
                "range in Cp calculation for R22 Node 7 in model SUB1 (MAIN:SUB1)",
                1, "PCP04 "));
  EXPECT_TRUE(ended);
}

}  // namespace
