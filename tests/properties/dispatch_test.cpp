// The property dispatch: its table against the matrix of served
// combinations, the two-phase rules, the routines that ignore arguments, and
// the conversions through the absolute scale.
#include "properties/dispatch.h"

#include <cmath>
#include <string>

#include "core/control_constants.h"
#include "properties/library.h"
#include "properties/properties.h"
#include "property_fixture.h"

namespace {

using prop_dispatch::QP;
using prop_dispatch::routine;
using prop_test::PropertyTest;

using Dispatch = PropertyTest;

TEST_F(Dispatch, RoutinesPerKindAndNames) {
  // 304 routines: per kind, the fluids and phases that have one.
  const int per_kind[10] = {42, 44, 42, 42, 8, 46, 28, 8, 26, 18};
  int total = 0;
  for (int k = 1; k <= 10; ++k) {
    int n = 0;
    for (int ff = 1; ff <= 10; ++ff)
      for (int ph = 1; ph <= 5; ++ph) n += routine(ff, k, ph) != nullptr;
    EXPECT_EQ(n, per_kind[k - 1]) << "kind " << k;
    total += n;
  }
  EXPECT_EQ(total, 304);
  // QPffpp by number: QP0113 ammonia conductivity two-phase, QP0237 water
  // saturation pressure; nothing outside the numbering.
  EXPECT_EQ(QP(1, 13), routine(1, 3, 3));
  EXPECT_EQ(QP(2, 37), routine(2, 8, 2));
  EXPECT_NE(QP(2, 37), nullptr);
  EXPECT_EQ(QP(3, 1), nullptr);
  EXPECT_EQ(QP(0, 1), nullptr);
  EXPECT_EQ(QP(11, 1), nullptr);
  EXPECT_EQ(QP(1, 0), nullptr);
  EXPECT_EQ(QP(1, 51), nullptr);
  // Gas-only fluids have no two-phase and no liquid entries.
  for (int ff : {3, 4})
    for (int k = 1; k <= 10; ++k) {
      EXPECT_EQ(routine(ff, k, 1), nullptr);
      EXPECT_EQ(routine(ff, k, 3), nullptr);
    }
}

TEST_F(Dispatch, EachFluidReachesItsLibraryRoutines) {
  // The substance routines behind every fluid code, liquid side and vapour
  // side, as the dispatch matrix names them; compared at one state.
  GLOR.TABS = 273.15;
  GLOR.PABS = 0.0;
  using ByT = double (*)(int, double, double);
  using ByP = double (*)(int, double, double);
  struct Fluid {
    int ff;
    double p, t;                                 // Pa, C: inside every table below
    ByT cnd_l, cnd_v, vsc_l, vsc_v, cp_l, cp_v;  // cp_v: nullptr for the equation-of-state vapours
    ByT rho_l;
    ByP rho_v;  // nullptr: ammonia, whose saturated vapour density follows T
    ByP eth_l, eth_v;
    double (*pts)(int, double, double, double);
    double (*psat)(double, double, double);
    double (*sig)(double, double);
  };
  const Fluid fluids[] = {
      {1, 5e5, 4.0, PCND15, PCND16, PVSC15, PVSC16, PCP15, PCP16, PRHO15, nullptr, PETH15, PETH16, PTS16, PSAT16,
       PSIG15},
      {2, 1e5, 99.6, PCND01, PCND02, PVSC01, PVSC02, PCP01, PCP02, PRHO01, PRHO02, PETH01, PETH02, PTS02, PSAT02,
       PSIG01},
      {5, 1e5, 23.5, PCND03, PCND04, PVSC03, PVSC04, PCP03, nullptr, PRHO03, PRHO04, PETH03, PETH04, PTS04, PSAT04,
       PSIG03},
      {6, 3e5, 40.0, PCND11, PCND12, PVSC11, PVSC12, PCP11, nullptr, PRHO11, PRHO12, PETH11, PETH12, PTS12, PSAT12,
       PSIG11},
      {7, 3e5, 0.0, PCND05, PCND06, PVSC05, PVSC06, PCP05, nullptr, PRHO05, PRHO06, PETH05, PETH06, PTS06, PSAT06,
       PSIG05},
      {8, 2e5, 20.0, PCND07, PCND08, PVSC07, PVSC08, PCP07, PCP08, PRHO07, PRHO08, PETH07, PETH08, PTS08, PSAT08,
       PSIG07},
      {9, 3e5, -15.0, PCND09, PCND10, PVSC09, PVSC10, PCP09, nullptr, PRHO09, PRHO10, PETH09, PETH10, PTS10, PSAT10,
       PSIG09},
      {10, 3e5, -20.0, PCND13, PCND14, PVSC13, PVSC14, PCP13, nullptr, PRHO13, PRHO14, PETH13, PETH14, PTS14, PSAT14,
       PSIG13},
  };
  const double tabs = 273.15;
  const std::string out = printed([&] {
    for (const Fluid& f : fluids) {
      SCOPED_TRACE(f.ff);
      const double p = f.p, t = f.t;
      EXPECT_EQ(XCOND(p, t, -0.5, f.ff, 0), f.cnd_l(0, t, tabs));
      EXPECT_EQ(XCONDS(p, t, 1.0, f.ff, 0), f.cnd_v(0, t, tabs));
      EXPECT_EQ(XVISCS(p, t, 0.0, f.ff, 0), f.vsc_l(0, t, tabs));
      EXPECT_EQ(XVISC(p, t, 2.0, f.ff, 0), f.vsc_v(0, t, tabs));
      EXPECT_EQ(XCP(p, t, 0.0, f.ff, 0), f.cp_l(0, t, tabs));
      if (f.cp_v != nullptr) {
        EXPECT_EQ(XCPS(p, t, 1.0, f.ff, 0), f.cp_v(0, t, tabs));
      }
      EXPECT_EQ(XRHOS(p, t, 0.0, f.ff, 0), f.rho_l(0, t, tabs));
      EXPECT_EQ(XRHOS(p, t, 1.0, f.ff, 0), f.rho_v != nullptr ? f.rho_v(0, 0.0, p) : PRHO16(0, t, tabs));
      EXPECT_EQ(XENTHS(p, t, 0.0, f.ff, 0), f.eth_l(0, 0.0, p));
      EXPECT_EQ(XENTHS(p, t, 1.0, f.ff, 0), f.eth_v(0, 0.0, p));
      EXPECT_DOUBLE_EQ(XTEMPS(p, f.ff, 0), f.pts(0, 0.0, p, tabs));
      EXPECT_DOUBLE_EQ(XPRESS(t, f.ff, 0), f.psat(0.0, tabs, t));
      EXPECT_EQ(XSIGS(p, t, f.ff, 0), f.sig(t, tabs));
    }
    // Dry air, the gas: its correlations.
    EXPECT_EQ(XCP(1e5, 20.0, 1.0, 3, 0), PCP00(20.0, tabs));
    EXPECT_EQ(XCOND(1e5, 20.0, 1.0, 3, 0), PCND00(20.0, tabs));
    EXPECT_EQ(XVISC(1e5, 20.0, 1.0, 3, 0), PVSC00(20.0, tabs));
  });
  EXPECT_EQ(out, "");
}

TEST_F(Dispatch, TwoPhaseRulesMixTheSaturatedValues) {
  GLOR.TABS = 273.15;
  GLOR.PABS = 0.0;
  // Every two-phase fluid at its own saturation state; kinds whose
  // saturated routines are built for it.
  struct State {
    int ff;
    double p, t;  // Pa, C
    bool cp;      // vapour specific heat from a table
  };
  const State states[] = {{1, 5e5, 4.0, true},    {2, 1e5, 99.6, true},   {5, 1e5, 23.5, false},
                          {6, 3e5, 40.0, false},  {7, 3e5, 0.0, false},   {8, 2e5, 20.0, true},
                          {9, 3e5, -15.0, false}, {10, 3e5, -20.0, false}};
  const std::string out = printed([&] {
    for (const State& s : states) {
      SCOPED_TRACE(s.ff);
      for (double x : {0.25, 0.5, 0.75}) {
        const double rl = XRHOS(s.p, s.t, 0.0, s.ff, 0), rv = XRHOS(s.p, s.t, 1.0, s.ff, 0);
        EXPECT_EQ(XRHO(s.p, s.t, x, s.ff, 0), 1.0 / (x / rv + (1.0 - x) / rl));
        EXPECT_NEAR(XRHO(s.p, s.t, x, s.ff, 0), rl * rv / ((1.0 - x) * rv + x * rl), 1e-12 * rl);
        using F = double (*)(double, double, double, int, int);
        struct Pair {
          F mixed, saturated;
        };
        std::vector<Pair> pairs = {{XCOND, XCONDS}, {XVISC, XVISCS}, {XENTH, XENTHS}};
        if (s.cp) pairs.push_back({XCP, XCPS});
        for (const Pair& q : pairs) {
          const double sl = q.saturated(s.p, s.t, 0.0, s.ff, 0), sv = q.saturated(s.p, s.t, 1.0, s.ff, 0);
          EXPECT_EQ(q.mixed(s.p, s.t, x, s.ff, 0), ((sv - sl) * x) + sl);
        }
      }
      // X = 0.5: the homogeneous mixture, twice the harmonic mean's half.
      const double rl = XRHOS(s.p, s.t, 0.0, s.ff, 0), rv = XRHOS(s.p, s.t, 1.0, s.ff, 0);
      EXPECT_NEAR(XRHO(s.p, s.t, 0.5, s.ff, 0), 2.0 * rl * rv / (rl + rv), 1e-12 * rl);
      // Liquid and saturated liquid share their table, as do vapour and
      // saturated vapour.
      EXPECT_EQ(XCOND(s.p, s.t, 0.0, s.ff, 0), XCONDS(s.p, s.t, 0.0, s.ff, 0));
      EXPECT_EQ(XVISC(s.p, s.t, 1.0, s.ff, 0), XVISCS(s.p, s.t, 1.0, s.ff, 0));
    }
    // Water conductivity at X = 0.25: three quarters liquid, one vapour.
    const double kl = XCONDS(1e5, 99.6, 0.0, 2, 0), kv = XCONDS(1e5, 99.6, 1.0, 2, 0);
    EXPECT_NEAR(XCOND(1e5, 99.6, 0.25, 2, 0), 0.75 * kl + 0.25 * kv, 1e-15);
  });
  EXPECT_EQ(out, "");
}

TEST_F(Dispatch, SaturationRoutinesReadOnlyTheirArgument) {
  GLOR.TABS = 273.15;
  GLOR.PABS = 1000.0;
  // QP0232 (saturation temperature of water) follows P alone, QP0237
  // (saturation pressure) T alone; R21's vapour specific heat (QP0810) does
  // not depend on P, ammonia's saturated vapour density (QP0119) follows T.
  EXPECT_EQ(QP(2, 32)(1e5, 10.0, 3e5, 0.5, 2, 0), QP(2, 32)(1e5, -40.0, 0.0, 7.0, 2, 3));
  EXPECT_EQ(QP(2, 37)(1e5, 10.0, 3e5, 0.5, 2, 0), QP(2, 37)(9e6, 10.0, 0.0, 7.0, 2, 3));
  EXPECT_NE(QP(2, 37)(1e5, 10.0, 0.0, 0.0, 2, 0), QP(2, 37)(1e5, 20.0, 0.0, 0.0, 2, 0));
  EXPECT_EQ(QP(8, 10)(1e5, 30.0, 0.0, 1.0, 8, 0), QP(8, 10)(2e6, 30.0, 0.0, 1.0, 8, 0));
  EXPECT_EQ(QP(1, 4)(1e5, -10.0, 0.0, 1.0, 1, 0), QP(1, 4)(3e5, -10.0, 0.0, 1.0, 1, 0));
  EXPECT_NE(QP(2, 4)(1e5, 10.0, 0.0, 1.0, 2, 0), QP(2, 4)(3e5, 10.0, 0.0, 1.0, 2, 0));
  // Surface tension, saturated liquid only, from T.
  EXPECT_EQ(XSIGS(1e5, 20.0, 2, 0), PSIG01(20.0, 273.15));
  EXPECT_EQ(XSIGS(1e5, 20.0, 2, 0), XSIGS(7e5, 20.0, 2, 0));
}

TEST_F(Dispatch, ConversionsThroughTheAbsoluteScale) {
  // Arguments go to the library as (P + PABS) - PABS and (T + TABS) - TABS;
  // temperatures and pressures come back as ((v + offset) + 0.0) - offset.
  struct Offsets {
    double tabs, pabs;
  };
  for (const Offsets o : {Offsets{273.15, 101325.0}, Offsets{0.0, 0.0}, Offsets{273.15, 0.0}}) {
    GLOR.TABS = o.tabs;
    GLOR.PABS = o.pabs;
    for (double p : {5e4 - o.pabs, 1.234567e5 - o.pabs, 2.0e6 - o.pabs}) {
      const double pr = (p + o.pabs) - o.pabs;
      EXPECT_EQ(XTEMPS(p, 2, 0), ((PTS02(0, o.pabs, pr, o.tabs) + o.tabs) + 0.0) - o.tabs);
      EXPECT_EQ(XENTHS(p, 0.0, 1.0, 1, 0), PETH16(0, o.pabs, pr));
      EXPECT_EQ(XRHOS(p, 0.0, 1.0, 7, 0), PRHO06(0, o.pabs, pr));
      if (o.tabs == 0.0 && o.pabs == 0.0) {
        EXPECT_EQ(XTEMPS(p, 2, 0), PTS02(0, 0.0, p, 0.0));
      }
    }
    for (double tk : {250.1, 300.7, 350.3}) {
      const double t = tk - o.tabs, tr = (t + o.tabs) - o.tabs;
      EXPECT_EQ(XPRESS(t, 9, 0), ((PSAT10(o.pabs, o.tabs, tr) + o.pabs) + 0.0) - o.pabs);
      EXPECT_EQ(XCP(1e5 - o.pabs, t, 0.0, 2, 0), PCP01(0, tr, o.tabs));
      EXPECT_EQ(XCOND(1e5 - o.pabs, t, 2.0, 3, 0), PCND00(tr, o.tabs));
      EXPECT_EQ(XRHOS(0.0, t, 0.0, 1, 0), PRHO15(0, tr, o.tabs));
    }
  }
}

TEST_F(Dispatch, RangeWarningsOfTheLibraryCarryTheNode) {
  // The dispatch reports nothing itself; the library warns with the node
  // the property function received and the run goes on.
  GLOR.TABS = 273.15;
  GLOR.PABS = 0.0;
  const std::string out = printed([&] { EXPECT_EQ(XENTHS(100.0, 0.0, 0.0, 2, 4), double(746.8f)); });
  EXPECT_EQ(out, box("Pressure out of range for liquid enthalpy function@ Node 7 in model SUB1 (MAIN:SUB1)", 2, 1,
                     "PETH01"));
}

}  // namespace
