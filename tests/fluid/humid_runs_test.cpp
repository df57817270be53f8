// Whole runs of the single-phase fluid-loop routines with humid air: the
// pumped loop of the example LOOP filled with humid air under each routine,
// and a duct over a cold wall under FLTNTS, whose steady state is checked
// against the balances of dry air and water vapour.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "fluid/fluid_services.h"
#include "fluid/humid_air.h"
#include "fluid_fixture.h"
#include "properties/properties.h"

namespace fluid_test {
namespace {

using Routine = void (*)();
struct Named {
  const char* name;
  Routine run;
};
const Named kRoutines[] = {{"FLTNTS", FLTNTS}, {"FLTNTF", FLTNTF}, {"FLTMTS", FLTMTS}};

constexpr int kAirw = 4;  // fluid code of "AIRW"

class HumidRuns : public FluidTest {
 protected:
  void SetUp() override {
    FluidTest::SetUp();
    log.install();
  }
  // XENTH of fluid node k at its own P, T and humidity ratio.
  double own_enthalpy(int k) const { return XENTH(net.p(k), net.tf(k), net.w(k), kAirw, net.global(k)); }

  tna_test::BlockLog log;
};

// The example LOOP with air: a ring of ten 1 m lengths of 10 mm pipe at 2
// bar and 20 C, node 1 holding the pressure, a pump of 600 Pa on link 1, an
// electronics box (node 100, 4000 J/K, 400 W) joined by GL 25 W/K to nodes
// 2-5, and deep space (node 999 at -270 C) seen through GR 0.25 m2 by nodes
// 6-9; every node at PHI 0.5. The controls are the example's, but FLTNTF
// needs a DTMIN below its stability limit (the smallest capacity over
// conductance of an air node is some milliseconds) and so runs a shorter
// time.
void run_loop(const Named& r, const char* fluid, tna_test::FluidModel& fm) {
  fm = tna_test::ring(10, true);
  for (int i = 1; i <= 10; ++i) {
    fm.node(i).fluid = fluid;
    fm.node(i).phi = 0.5;
  }
  for (int h = 0; h < fm.nl(); ++h) fm.link_spec(h).gp = 1.0e20;  // no fitting loss
  fm.thermal(100, 'D', 20.0, 4000.0).thermal(999, 'B', -270.0);
  for (int i = 2; i <= 5; ++i) fm.gl(100, i, 25.0);
  for (int i = 6; i <= 9; ++i) fm.gr(999, i, 0.25);
  fm.build();
  tna_test::fluid_controls();
  FINITS(" ", -1);
  gar_massflowlinkpressuresources(1) = 600.0;
  gar_thermalnodeheatsourcesinternal(fm.tindex(100)) = 400.0;
  const bool explicit_steps = std::string(r.name) == "FLTNTF";
  GLOR.TIMEND = explicit_steps ? 10.0 : 1440.0;
  GLOR.OUTINT = GLOR.TIMEND / 4.0;
  GLOR.DTIMEI = 20.0;
  GLOR.DTMIN = explicit_steps ? 1.0e-4 : 1.0;
  GLOR.DTMAX = 60.0;
  GLOR.DTPMAX = 2.0;
  GLOI.NLOOP = 100;
  GLOR.RELXCA = 1.0e-3;
  GLOR.FRLXCA = 1.0e-3;
  GLOR.RELXMA = 1.0e-4;
  GLOR.DAMPT = 1.0;
  GLOR.DAMPM = 0.5;
  GLOR.MINFLO = 1.0e-6;
  GLOR.RLCOUR = 0.5;
  r.run();
}

TEST_F(HumidRuns, HumidLoopRunsToItsEndAsTheDryOneDoes) {
  // The first trial steps drive radiator nodes far below absolute zero and
  // are repeated shorter; nothing of them may stay in the humidity. Every
  // routine then runs to TIMEND with finite states, the humidity ratio of
  // each node stays within those the loop started with (the walls are warm
  // and the radiators exchange heat only: nothing condenses), and the box
  // and the coolant follow the dry loop to within the small effect of the
  // vapour on the air's properties (1 % of the loop's temperature span).
  for (const Named& r : kRoutines) {
    SCOPED_TRACE(r.name);
    tna_test::FluidModel dry, humid;
    fresh_listing();
    run_loop(r, "AIR", dry);
    net = fl_network();
    std::vector<double> dry_t;
    for (int i = 1; i <= 10; ++i) dry_t.push_back(net.tf(i));
    const double dry_box = gar_thermalnodetemps(dry.tindex(100));
    const double span =
        *std::max_element(dry_t.begin(), dry_t.end()) - *std::min_element(dry_t.begin(), dry_t.end());

    fresh_listing();
    run_loop(r, "AIRW", humid);
    net = fl_network();
    EXPECT_EQ(GLOR.TIMEO, GLOR.TIMEND);
    // The humidity ratio of PHI 0.5 at 20 C and 2 bar; the pump's 600 Pa
    // move it by 0.3 %.
    const double ps = XPRESS(20.0, FTYPEI("WATER"), 0);
    const double w0 = 0.6221 * 0.5 * ps / (2.0e5 - 0.5 * ps);
    const std::string l = listing();
    EXPECT_EQ(l.find("HUMRSP"), std::string::npos) << l;
    EXPECT_EQ(l.find("WVMCON"), std::string::npos) << l;
    EXPECT_EQ(l.find("FATAL"), std::string::npos) << l;
    for (int i = 1; i <= 10; ++i) {
      SCOPED_TRACE(i);
      ASSERT_TRUE(std::isfinite(net.tf(i)) && std::isfinite(net.w(i)) && std::isfinite(net.phi(i)));
      EXPECT_NEAR(net.w(i), w0, 0.01 * w0);
      EXPECT_EQ(net.vq(i), net.w(i));
      EXPECT_NEAR(net.tf(i), dry_t[static_cast<std::size_t>(i - 1)], 0.01 * span);
    }
    EXPECT_NEAR(gar_thermalnodetemps(humid.tindex(100)), dry_box, 0.5);
    EXPECT_GT(gar_thermalnodetemps(humid.tindex(100)), 20.5);
  }
}

TEST_F(HumidRuns, DuctOverAColdWallLosesItsCondensateAndKeepsItsDryAir) {
  // Five "AIRW" nodes of 100 mm duct at 1 atm and 25 C: node 1 "K" fed 0.05
  // kg/s of air at PHI 0.6 by its mass source, node 5 the outlet "J";
  // nodes 2-4 lie over a wall at 5 C (GL 2 W/K each), below their dew point
  // (about 17 C). In the steady state the water vapour carried in by link 1
  // less that carried out by link 4 is the condensation of nodes 2-4 (their
  // rates at the final state, CNDNSE with relaxation 1), and the dry air of
  // the two links is the same. FE of every node is the enthalpy at its own
  // humidity ratio whenever VARIABLES1 sees it in a step.
  const int n = 5;
  tna_test::FluidModel fm = tna_test::humid_duct(n);
  fm.node(1).status = 'K';
  fm.node(1).fm = 0.05;
  fm.node(1).fr = 25.0;
  for (int h = 0; h < fm.nl(); ++h) fm.link_spec(h).gp = 1.0e20;  // no fitting loss
  build(fm);
  tna_test::fluid_controls();
  FINITS(" ", -1);
  // The inlet's own wall and the outlet's carry nothing.
  gar_linearconds(fm.gl_index(0)) = 0.0;
  gar_linearconds(fm.gl_index(n - 1)) = 0.0;
  net.fw(1) = net.w(1);  // the source brings the inlet's humidity
  GLOR.TIMEND = 20.0;
  GLOR.OUTINT = 20.0;
  GLOR.DTIMEI = 0.5;
  GLOR.DTMAX = 0.5;
  GLOR.FRLXCA = 1.0e-6;
  double worst_fe = 0.0;
  bool stepping = false;  // after the output at TIMEO: the driver's first calls see FINITS's values
  log.outputs = [&] { stepping = true; };
  log.variables1 = [&] {
    if (!stepping || !(GLOC.SOLTYP.trimmed() == "")) return;
    for (int k = 1; k <= n; ++k) worst_fe = std::max(worst_fe, std::fabs(net.fe(k) / own_enthalpy(k) - 1.0));
  };
  FLTNTS();
  log.variables1 = nullptr;
  log.outputs = nullptr;
  EXPECT_EQ(listing(), "");
  EXPECT_LT(worst_fe, 1e-12);

  auto fraction = [&](int k) { return net.w(k) / (1.0 + net.w(k)); };
  const double m_in = net.m(1), m_out = net.m(n - 1);
  const double vapour_in = fraction(1) * m_in, vapour_out = fraction(n - 1) * m_out;
  std::vector<double> r1(static_cast<std::size_t>(n), 0.0), r2(1, 0.0);
  CNDNSE(net, 1.0, net.t, net.tf, FlReals(r1.data(), n), FlReals(r2.data(), 1));
  double condensate = 0.0;
  for (int k = 2; k < n; ++k) {
    EXPECT_GT(r1[static_cast<std::size_t>(k - 1)], 0.0) << k;
    condensate += r1[static_cast<std::size_t>(k - 1)];
  }
  EXPECT_GT(condensate, 0.05 * vapour_in);  // a tenth or so of the vapour condenses
  EXPECT_NEAR(vapour_in - vapour_out, condensate, 1e-8 * vapour_in);
  EXPECT_NEAR(m_in * (1.0 - fraction(1)), m_out * (1.0 - fraction(n - 1)), 1e-9 * m_in);
  // The flow loses the condensate on its way, and the latent heat reaches
  // the wall.
  EXPECT_NEAR(m_in - m_out, condensate, 1e-8 * vapour_in);
  EXPECT_GT(r2[0], 2000.0 * condensate);
}

TEST_F(HumidRuns, HumidAndDryAirMixWithoutChangingTheirTemperature) {
  // Four "AIRW" nodes of duct at 1 atm and 25 C without walls, dry at the
  // start (PHI 0): node 1 "K" fed 0.05 kg/s of air at PHI 0.6, node 3 fed
  // 0.05 kg/s of dry air (W 0), both at 25 C; node 4 the outlet "J". All
  // the air is at 25 C, so every node stays there while the humid air fills
  // the duct, and the humidity ratio after the junction becomes the vapour
  // over the dry air of both streams. The enthalpy of every node lies next
  // to that of dry air at 25 C, the vapour's share of the specific heat
  // apart (the enthalpy of humid air once began from the saturated vapour's
  // form, 276 kJ/kg above that of dry air at the same temperature).
  const int n = 4;
  tna_test::FluidModel fm = tna_test::humid_duct(n);
  for (int k = 1; k <= n; ++k) fm.node(k).phi = 0.0;
  fm.node(1).status = 'K';
  fm.node(1).fm = 0.05;
  fm.node(1).fr = 25.0;
  fm.node(3).fm = 0.05;
  fm.node(3).fr = 25.0;
  for (int h = 0; h < fm.nl(); ++h) fm.link_spec(h).gp = 1.0e20;  // no fitting loss
  build(fm);
  tna_test::fluid_controls();
  FINITS(" ", -1);
  for (int k = 0; k < n; ++k) gar_linearcondacts(fm.gl_index(k)) = "I";  // no walls
  for (int k = 1; k <= n; ++k) EXPECT_EQ(net.w(k), 0.0) << k;
  const double pv = 0.6 * XPRESS(25.0, FTYPEI("WATER"), 0);
  const double w1 = 0.6221 * pv / (1.01325e5 - pv);
  net.fw(1) = w1;   // the humid stream
  net.fw(3) = 0.0;  // the dry one
  GLOR.TIMEND = 20.0;
  GLOR.OUTINT = 20.0;
  GLOR.DTIMEI = 0.5;
  GLOR.DTMAX = 0.5;
  GLOR.FRLXCA = 1.0e-6;
  double worst = 0.0;
  log.variables2 = [&] {
    for (int k = 1; k <= n; ++k) worst = std::max(worst, std::fabs(net.tf(k) - 25.0));
  };
  FLTNTS();
  log.variables2 = nullptr;
  EXPECT_EQ(listing(), "");
  EXPECT_EQ(GLOR.TIMEO, GLOR.TIMEND);
  EXPECT_LT(worst, 1e-3);
  const double y1 = w1 / (1.0 + w1);
  const double w_mix = 0.05 * y1 / (0.05 * (1.0 - y1) + 0.05);
  const double dry = XENTH(1.01325e5, 25.0, 0.0, kAirw, 0);
  for (int k = 1; k <= n; ++k) {
    SCOPED_TRACE(k);
    EXPECT_NEAR(net.w(k), k < 3 ? w1 : w_mix, 1e-3 * w1);
    EXPECT_NEAR(net.fe(k), own_enthalpy(k), 1e-9 * std::fabs(net.fe(k)));
    EXPECT_NEAR(net.fe(k), dry, 0.02 * dry);
  }
}

}  // namespace
}  // namespace fluid_test
