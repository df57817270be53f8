// Implicit node updates of the FLT step loops: the start-of-step estimates
// STSTAB (thermal) and SFSTAB (fluid, with the transport delay), the sweeps
// SFBKTS and SFBKFS and the node updates S4TCLC and SFCALC.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numeric>
#include <vector>

#include "fluid/implicit_updates.h"
#include "every_entry_model.h"
#include "fluid_fixture.h"
#include "platform/process.h"

namespace fluid_test {
namespace {

// The step's work arrays, loaded from the model's temperatures as the step
// loop does at the start of a step.
struct Step {
  std::vector<double> told, fold, tnew, tfold, ffold, tfnew;
  explicit Step(const FlNetwork& net)
      : told(net.t.begin(), net.t.end()),
        fold(told.size() + 1, 0.0),
        tnew(told),
        tfold(net.tf.begin(), net.tf.end()),
        ffold(tfold.size() + 1, 0.0),
        tfnew(tfold) {
    for (auto* v : {&told, &tnew, &tfold, &tfnew}) v->push_back(0.0);  // room for an empty model
  }
  FlStepArrays arrays() { return {view(told), view(fold), view(tnew), view(tfold), view(ffold), view(tfnew)}; }
  static FlReals view(std::vector<double>& v) { return FlReals(v.data(), static_cast<std::int64_t>(v.size())); }
};

FlCReals cview(const std::vector<double>& v) { return FlCReals(v.data(), static_cast<std::int64_t>(v.size())); }

class ImplicitTest : public FluidTest {
 protected:
  // One thermal sweep with fresh marks; returns the marks.
  std::vector<std::int32_t> thermal_sweep(Step& s, double dt, bool& outer, bool& inner) {
    std::vector<std::int32_t> marks(static_cast<std::size_t>(net.nt1), 0);
    outer = inner = true;
    FlThermalEntries entries;
    fl_thermal_entries_size(net, entries);
    SFBKTS(net, dt, s.arrays(), entries, FlInts(marks.data(), net.nt1), outer, inner);
    return marks;
  }
  std::vector<std::int32_t> fluid_sweep(Step& s, double dt, const std::vector<double>& rho,
                                        const std::vector<double>& cp, const std::vector<double>& vrate, bool& outer,
                                        bool& inner) {
    std::vector<std::int32_t> marks(static_cast<std::size_t>(net.nf1), 0);
    std::vector<std::int32_t> perm(static_cast<std::size_t>(net.nf1));
    std::iota(perm.begin(), perm.end(), 1);
    outer = inner = true;
    SFBKFS(net, dt, cview(rho), cview(cp), cview(vrate), FlCInts(perm.data(), net.nf1), s.arrays(),
           FlInts(marks.data(), net.nf1), outer, inner);
    return marks;
  }
  double estimate_thermal(Step& s, double dt) {
    double csgmin = -1.0;
    int status = 0;
    FlThermalEntries entries;
    fl_thermal_entries_size(net, entries);
    STSTAB(net, dt, s.arrays(), entries, csgmin, GLOI.NCSGMN, status);
    EXPECT_EQ(status, 1);
    return csgmin;
  }
  void estimate_fluid(Step& s, double dt, const std::vector<double>& rho, const std::vector<double>& cp,
                      const std::vector<double>& vrate, FlTimeLag& lag, double& minratio, int& minnode) {
    int status = 0;
    SFSTAB(net, dt, cview(rho), cview(cp), cview(vrate), lag, s.arrays(), minratio, minnode, status);
    EXPECT_EQ(status, 1);
  }
};

TEST_F(ImplicitTest, ArithmeticNodeWithLinearConductorsTakesTheWeightedMean) {
  // Node 3 (arithmetic) between boundaries at 10 and 40 C through GL 1 and
  // 3 W/K, with Q = 20 W: T = (1 x 10 + 3 x 40 + 20) / 4 = 37.5 C in one
  // update, from the estimate and from a sweep alike.
  tna_test::FluidModel fm;
  fm.thermal(1, 'B', 10.0).thermal(2, 'B', 40.0).thermal(3, 'D', -50.0);
  fm.gl(1, 3, 1.0);
  fm.gl(2, 3, 3.0);
  build(fm);
  gar_thermalnodeheatsourcesinternal(fm.tindex(3)) = 12.0;
  gar_thermalnodeheatsourcessolar(fm.tindex(3)) = 8.0;
  const int n = fm.tindex(3);
  {
    Step s(net);
    estimate_thermal(s, 1.0);
    EXPECT_NEAR(s.tnew[n - 1], 37.5, 1e-12);
  }
  Step s(net);
  bool outer = true, inner = true;
  thermal_sweep(s, 1.0, outer, inner);
  EXPECT_NEAR(s.tnew[n - 1], 37.5, 1e-12);
  EXPECT_FALSE(inner);  // it moved by 87.5 K
  EXPECT_NEAR(GLOR.RELXCC, 87.5, 1e-12);
  EXPECT_EQ(GLOI.NRLXCC, n);
  // The boundaries are untouched.
  EXPECT_EQ(s.tnew[0], 10.0);
  EXPECT_EQ(s.tnew[1], 40.0);
}

TEST_F(ImplicitTest, RadiationOnlyNodeReachesItsEquilibriumInOneUpdate) {
  // An arithmetic node radiating (GR 0.5 m2) to a boundary at 300 K with
  // Q = 150 W: Ta = ((Q + SRT) / SR)^(1/4).
  GLOR.TABS = 0.0;
  tna_test::FluidModel fm;
  fm.thermal(1, 'B', 300.0).thermal(2, 'D', 200.0);
  fm.gr(1, 2, 0.5);
  build(fm);
  gar_thermalnodeheatsourcesinternal(2) = 150.0;
  const double sr = GLOR.STEFAN * 0.5, srt = sr * std::pow(300.0, 4);
  const double expect = std::pow((150.0 + srt) / sr, 0.25);
  Step e(net);
  estimate_thermal(e, 1.0);
  EXPECT_NEAR(e.tnew[1], expect, 1e-9);
  Step s(net);
  bool outer, inner;
  thermal_sweep(s, 1.0, outer, inner);
  EXPECT_NEAR(s.tnew[1], expect, 1e-9);
  // Balance check: the heat input leaves by radiation.
  EXPECT_NEAR(sr * (std::pow(s.tnew[1], 4) - std::pow(300.0, 4)), 150.0, 1e-6);
}

TEST_F(ImplicitTest, DampedNewtonOptionAppliesDampingTwice) {
  // Node 2 with GL 2 W/K and GR 1 m2 to a boundary at 50 C, Q = 300 W. With
  // METHOD bit 1024 and DAMPT 0.5 the applied increment is 0.25 of the
  // Newton step; without the bit and DAMPT 1 the inner iteration meets the
  // balance.
  tna_test::FluidModel fm;
  fm.thermal(1, 'B', 50.0).thermal(2, 'D', 20.0);
  fm.gl(1, 2, 2.0);
  fm.gr(1, 2, 1.0);
  build(fm);
  gar_thermalnodeheatsourcesinternal(2) = 300.0;
  const double tabs = GLOR.TABS, sigma = GLOR.STEFAN;
  const double tb = 50.0 + tabs, ta = 20.0 + tabs;
  auto f = [&](double u) { return 300.0 + 2.0 * tb + sigma * std::pow(tb, 4) - u * (2.0 + sigma * u * u * u); };
  const double newton = f(ta) / (2.0 + 4.0 * sigma * ta * ta * ta);
  struct Case {
    int method;
    double dampt;
    double factor;  // applied increment over the Newton step
  };
  for (const Case c : {Case{1024, 0.5, 0.25}, Case{1024, 1.0, 1.0}, Case{1024 + 1, 0.5, 0.25}}) {
    GLOI.METHOD = c.method;
    GLOR.DAMPT = c.dampt;
    Step s(net);
    bool outer, inner;
    thermal_sweep(s, 1.0, outer, inner);
    EXPECT_NEAR(s.tnew[1] - 20.0, c.factor * newton, 1e-9) << c.method << " " << c.dampt;
    // The reported change is the once-damped increment.
    EXPECT_NEAR(GLOR.RELXCC, c.dampt * std::fabs(newton), 1e-9);
  }
  GLOI.METHOD = 0;
  GLOR.DAMPT = 1.0;
  GLOI.NLOOPT = 50;
  GLOR.RELXCA = 1e-9;
  Step s(net);
  bool outer, inner;
  thermal_sweep(s, 1.0, outer, inner);
  EXPECT_NEAR(f(s.tnew[1] + tabs), 0.0, 1e-5);
  // The inner iteration stops at NLOOPT repetitions: with 1 it is one step.
  GLOI.NLOOPT = 1;
  Step one(net);
  thermal_sweep(one, 1.0, outer, inner);
  EXPECT_NEAR(one.tnew[1] - 20.0, newton, 1e-9);
}

TEST_F(ImplicitTest, DiffusionNodeFollowsBackwardEulerThenCrankNicolson) {
  // Node 2 (C = 100 J/K) at 20 C tied by GL 5 W/K to a boundary at 80 C,
  // Q = 10 W, step 4 s. Estimate: backward Euler; one sweep with DAMPT 1:
  // the Crank-Nicolson value (the balance is linear, one Newton step solves
  // it).
  tna_test::FluidModel fm;
  fm.thermal(1, 'B', 80.0).thermal(2, 'D', 20.0, 100.0);
  fm.gl(1, 2, 5.0);
  build(fm);
  gar_thermalnodeheatsourcesinternal(2) = 10.0;
  const double w = 100.0 / 4.0;
  Step s(net);
  const double csgmin = estimate_thermal(s, 4.0);
  EXPECT_NEAR(s.tnew[1], (w * 20.0 + 5.0 * 80.0 + 10.0) / (w + 5.0), 1e-12);
  EXPECT_NEAR(s.fold[1], 5.0 * (80.0 - 20.0), 1e-12);
  EXPECT_DOUBLE_EQ(csgmin, 20.0);
  EXPECT_EQ(GLOI.NCSGMN, 2);
  bool outer, inner;
  thermal_sweep(s, 4.0, outer, inner);
  EXPECT_NEAR(s.tnew[1], (20.0 * (w - 2.5) + 5.0 * 80.0 + 10.0) / (w + 2.5), 1e-9);
}

TEST_F(ImplicitTest, StabilityMinimumOverDiffusionNodes) {
  // Nodes 2 and 3 both have C/G = 10 (the first wins); node 4 has no
  // conductor and is estimated as Told + Q dt / C without entering the
  // minimum; node 5 is arithmetic and never enters it.
  tna_test::FluidModel fm;
  fm.thermal(1, 'B', 0.0)
      .thermal(2, 'D', 0.0, 10.0)
      .thermal(3, 'D', 0.0, 30.0)
      .thermal(4, 'D', 5.0, 2.0)
      .thermal(5, 'D', 0.0);
  fm.gl(1, 2, 1.0);
  fm.gl(1, 3, 3.0);
  fm.gl(1, 5, 1.0e6);
  build(fm);
  gar_thermalnodeheatsourcesinternal(4) = 8.0;
  GLOI.NCSGMN = -7;
  Step s(net);
  EXPECT_DOUBLE_EQ(estimate_thermal(s, 0.5), 10.0);
  EXPECT_EQ(GLOI.NCSGMN, 2);
  EXPECT_DOUBLE_EQ(s.tnew[3], 5.0 + 8.0 * 0.5 / 2.0);
  // Nothing solved with a conductor: the minimum stays at 1.0E38 and its
  // node where it was.
  tna_test::FluidModel bare;
  bare.thermal(1, 'B', 0.0).thermal(2, 'D', 0.0, 0.0).thermal(3, 'D', 0.0, 4.0);
  build(bare);
  GLOI.NCSGMN = -7;
  Step t(net);
  EXPECT_EQ(estimate_thermal(t, 1.0), 1.0e38);
  EXPECT_EQ(GLOI.NCSGMN, -7);
}

TEST_F(ImplicitTest, MarksAndConvergedFlagsOfTheThermalSweep) {
  // A converged arithmetic node is marked with METHOD 1 only; boundary and
  // inactive nodes are marked and never changed. A sweep without change
  // leaves RELXCC at 0 and NRLXCC as it was.
  tna_test::FluidModel fm;
  fm.thermal(1, 'B', 10.0).thermal(2, 'X', 99.0).thermal(3, 'D', 30.0).thermal(4, 'D', 30.0);
  fm.gl(1, 3, 1.0);
  fm.gl(3, 4, 1.0);
  fm.gl(1, 4, 1.0);
  build(fm);
  GLOR.RELXCA = 1e-6;
  // The balanced state: 3 and 4 at 10 C.
  gar_thermalnodetemps(3) = 10.0;
  gar_thermalnodetemps(4) = 10.0;
  for (int method : {0, 1}) {
    GLOI.METHOD = method;
    GLOI.NRLXCC = 42;
    Step s(net);
    bool outer, inner;
    const auto marks = thermal_sweep(s, 1.0, outer, inner);
    EXPECT_TRUE(outer && inner);
    EXPECT_EQ(GLOR.RELXCC, 0.0);
    EXPECT_EQ(GLOI.NRLXCC, 42);
    EXPECT_EQ(marks[0], 1);
    EXPECT_EQ(marks[1], 1);
    EXPECT_EQ(marks[2], method);
    EXPECT_EQ(marks[3], method);
    EXPECT_EQ(s.tnew[1], 99.0);
  }
  // A marked node is skipped by the next sweep of the pass.
  GLOI.METHOD = 1;
  Step s(net);
  s.tnew[2] = 50.0;
  std::vector<std::int32_t> marks{0, 0, 1, 0};
  bool outer = true, inner = true;
  FlThermalEntries entries;
  fl_thermal_entries_size(net, entries);
  SFBKTS(net, 1.0, s.arrays(), entries, FlInts(marks.data(), 4), outer, inner);
  EXPECT_EQ(s.tnew[2], 50.0);
  EXPECT_FALSE(inner);  // node 4 moves towards 50 and 10
}

TEST_F(ImplicitTest, SweepsOverTheEntriesFollowTheLettersAUserBlockChanges) {
  // The estimate and the sweeps keep one set of entries over a step, as the
  // step loop does. Between the sweeps the statuses, activities and values
  // change as a user block would change them; every sweep must give, bit
  // for bit, the temperatures of the same sweep summing through the
  // per-entry walk (SFGSUM, fl_arithmetic_step, S4TCLC), on the model of
  // every entry kind with some of its nodes given capacitances.
  tna_test::FluidModel fm = every_entry_model();
  build(fm);
  every_entry_finish(net, fm);
  for (int num : {11, 13, 17}) gar_thermalnodecapacitances(fm.tindex(num)) = 40.0 * num;
  GLOR.DAMPT = 0.75;
  GLOR.RELXCA = 1e-9;
  GLOI.METHOD = 0;
  const double dt = 5.0;
  Step s(net), r(net);
  FlThermalEntries entries;
  fl_thermal_entries_size(net, entries);
  auto diffusion = [&](int i) { return net.tstat(i) == "D" && std::fabs(net.cap(i)) >= 1e-37; };

  // The estimate against its terms summed through FSTGSM and SFGSUM.
  double csgmin = 0.0;
  int status = 0;
  STSTAB(net, dt, s.arrays(), entries, csgmin, GLOI.NCSGMN, status);
  const FlStepArrays ra = r.arrays();
  for (int i = 1; i <= net.nt; ++i) {
    if (!diffusion(i)) continue;
    double g = 0.0, gt = 0.0;
    FSTGSM(net, i, ra.told, ra.tfold, g, gt);
    const double c = net.cap(i);
    ra.fold(i) = gt - ra.told(i) * g;
    ra.tnew(i) = ((gt + fl_node_heat(net, i)) + ra.told(i) * c / dt) / (c / dt + g);
  }
  for (int i = 1; i <= net.nt; ++i)
    if (net.tstat(i) == "D" && !diffusion(i)) fl_arithmetic_step(net, i, ra.tnew, ra.tfnew, "STSTAB");
  EXPECT_EQ(s.fold, r.fold);
  EXPECT_EQ(s.tnew, r.tnew);

  auto tstat = [&](int num) -> plat::Text<1>& { return gar_thermalnodestatuses(fm.tindex(num)); };
  struct Change {
    const char* what;
    std::function<void()> apply;
  };
  const Change changes[] = {
      {"none", [] {}},
      {"GL 11-13 inactive", [&] { gar_linearcondacts(fm.gl_index(0)) = "I"; }},
      {"GL 13-17 active", [&] { gar_linearcondacts(fm.gl_index(4)) = "A"; }},
      {"GR 13-18 active", [&] { gar_radiativecondacts(fm.gr_index(2)) = "A"; }},
      {"GF 15 to 12 inactive", [&] { gar_fluidiccondacts(fm.gf_index(1)) = "I"; }},
      {"node 14 from X to D", [&] { tstat(14) = "D"; }},
      {"node 15 from D to X", [&] { tstat(15) = "X"; }},
      {"node 18 from D to B", [&] { tstat(18) = "B"; }},
      {"tied node 12 back to D", [&] { tstat(12) = "D"; }},
      {"GL 11-2 value", [&] { gar_linearconds(fm.gl_index(6)) = 0.25; }},
      {"GF 1 to 17 negative", [&] { gar_fluidicconds(fm.gf_index(3)) = -0.4; }},
      {"none again", [] {}},
  };
  for (const Change& c : changes) {
    SCOPED_TRACE(c.what);
    c.apply();
    // Undamped and damped sweeps in turn.
    GLOR.DAMPT = GLOR.DAMPT == 1.0 ? 0.75 : 1.0;
    std::vector<std::int32_t> marks(static_cast<std::size_t>(net.nt1), 0), rmarks(marks);
    bool outer = true, inner = true;
    SFBKTS(net, dt, s.arrays(), entries, FlInts(marks.data(), net.nt1), outer, inner);
    const double relxcc = GLOR.RELXCC;
    const int nrlxcc = GLOI.NRLXCC;
    // The same sweep through the per-entry walk.
    GLOR.RELXCC = 0.0;
    bool router = true, rinner = true;
    for (int i = 1; i <= net.nt; ++i) {
      if (net.tstat(i) != "D") {
        rmarks[static_cast<std::size_t>(i - 1)] = 1;
        continue;
      }
      double change = 0.0;
      S4TCLC(net, GLOR.DAMPT, dt, GLOI.NLOOPT, i, GLOR.RELXCA, SFGSUM(net, 0, i, ra.tnew, ra.tfnew), ra,
             GLOR.RELXCC, GLOI.NRLXCC, change);
      if (change >= GLOR.RELXCA) router = rinner = false;
    }
    EXPECT_EQ(s.tnew, r.tnew);
    EXPECT_EQ(marks, rmarks);
    EXPECT_EQ(relxcc, GLOR.RELXCC);
    EXPECT_EQ(nrlxcc, GLOI.NRLXCC);
    EXPECT_EQ(outer, router);
    EXPECT_EQ(inner, rinner);
  }
}

TEST_F(ImplicitTest, RunawayTemperatureEndsTheRun) {
  // An arithmetic node with heat input and no conductor gets the increment
  // 1.0E20: fatal, from the estimate and from the sweep.
  for (const char* routine : {"STSTAB", "S4TCLC"}) {
    fresh_listing();
    tna_test::FluidModel fm;
    fm.thermal(1, 'B', 10.0).thermal(7, 'D', 10.0);
    build(fm);
    gar_thermalnodeheatsourcesinternal(2) = 1.0;
    Step s(net);
    bool outer, inner;
    if (std::string(routine) == "STSTAB") EXPECT_THROW(estimate_thermal(s, 1.0), plat::ProcessExit);
    else EXPECT_THROW(thermal_sweep(s, 1.0, outer, inner), plat::ProcessExit);
    const std::string l = listing();
    EXPECT_TRUE(has_message(l, "Temperature > 1.0D10 detected Node 7 in main model")) << l;
    EXPECT_TRUE(has_reference(l, routine, 1)) << l;
    EXPECT_NE(l.find("FATAL ERROR"), std::string::npos);
  }
}

TEST_F(ImplicitTest, RadiationOnlyNodeWithoutRootEndsTheRun) {
  // Net radiative loss larger than a negative heat input: the fourth root
  // of a negative number has no temperature; the run ends instead of
  // carrying a non-number.
  tna_test::FluidModel fm;
  fm.thermal(1, 'B', -270.0).thermal(2, 'D', 0.0);
  fm.gr(1, 2, 1.0);
  build(fm);
  gar_thermalnodeheatsourcesinternal(2) = -100.0;
  Step s(net);
  bool outer, inner;
  EXPECT_THROW(thermal_sweep(s, 1.0, outer, inner), plat::ProcessExit);
  EXPECT_TRUE(has_reference(listing(), "S4TCLC", 1));
}

// ---- Fluid nodes ---------------------------------------------------------

class FluidImplicitTest : public ImplicitTest {
 protected:
  // Chain 1 -> 2 of water with flow m, area 1e-3 m2, length 2 m; node 1 at
  // 60 C, node 2 at 20 C.
  tna_test::FluidModel pair(double m) {
    tna_test::FluidModel fm = tna_test::chain(2);
    fm.link_spec(0).flow = m;
    for (int k : {1, 2}) {
      fm.node(k).fla = 1.0e-3;
      fm.node(k).fl = 2.0;
    }
    fm.node(1).t = 60.0;
    fm.node(2).t = 20.0;
    return fm;
  }
  std::vector<double> rho{1000.0, 1000.0}, cp{4000.0, 4000.0}, vrate{0.0, 0.0};
};

TEST_F(FluidImplicitTest, OneLinkEstimateAndItsStabilityRatio) {
  // Node 2 fed by node 1 through one link of 0.01 kg/s (G = m cp = 40 W/K):
  // Tfnew = (H/dt To + m cp Tup) / (H/dt + m cp), H = cp rho A L = 8000 J/K.
  const double m = 0.01;
  tna_test::FluidModel fm = pair(m);
  build(fm);
  net.lcond(1) = m * 4000.0;
  const double tabs = GLOR.TABS, dt = 10.0, h = 4000.0 * 1000.0 * 1.0e-3 * 2.0;
  Step s(net);
  FlTimeLag lag;
  double minratio = 1.0e38;
  int minnode = 0;
  estimate_fluid(s, dt, rho, cp, vrate, lag, minratio, minnode);
  const double expect = (h / dt * (20.0 + tabs) + 40.0 * (60.0 + tabs)) / (h / dt + 40.0) - tabs;
  EXPECT_NEAR(s.tfnew[1], expect, 1e-9);
  EXPECT_NEAR(s.ffold[1], 40.0 * (60.0 - 20.0), 1e-9);
  // Node 1 has no conductance: no estimate, no ratio.
  EXPECT_EQ(s.tfnew[0], 60.0);
  EXPECT_DOUBLE_EQ(minratio, h / 40.0);
  EXPECT_EQ(minnode, net.nt + 2);
  // A growing volume (mD = rho x VRATE) takes mass in at the node's own
  // temperature: the backward-Euler form with M - mD dt at the start.
  const std::vector<double> grow{0.0, 1.0e-5};
  Step g(net);
  lag = FlTimeLag{};
  estimate_fluid(g, dt, rho, cp, grow, lag, minratio, minnode);
  const double md = 1000.0 * 1.0e-5, mass = 2.0;
  const double to = 20.0 + tabs;
  EXPECT_NEAR(g.tfnew[1],
              (4000.0 * (mass - md * dt) / dt * to + 40.0 * (60.0 + tabs)) / (h / dt + 40.0 - md * 4000.0) - tabs,
              1e-9);
  // One sweep with DAMPT 1 solves the linear Crank-Nicolson balance.
  bool outer, inner;
  fluid_sweep(s, dt, rho, cp, vrate, outer, inner);
  const double cn =
      (h / dt * to + 0.5 * (40.0 * (60.0 - 20.0)) + 0.5 * 40.0 * (60.0 + tabs)) / (h / dt + 20.0) - tabs;
  EXPECT_NEAR(s.tfnew[1], cn, 1e-9);
  EXPECT_EQ(s.tfnew[0], 60.0);
  EXPECT_EQ(GLOI.NFRLXC, 2);
}

TEST_F(FluidImplicitTest, EqualRatiosReportTheLaterNode) {
  // Nodes 2 and 3 each fed by one link of the same conductance and with the
  // same capacity: the later node is reported.
  tna_test::FluidModel fm = tna_test::chain(3);
  for (int k : {1, 2, 3}) {
    fm.node(k).fla = 1.0e-3;
    fm.node(k).fl = 1.0;
  }
  build(fm);
  net.lcond(1) = net.lcond(2) = 10.0;
  const std::vector<double> r(3, 1000.0), c(3, 4000.0), v(3, 0.0);
  Step s(net);
  FlTimeLag lag;
  double minratio = 1.0e38;
  int minnode = 0;
  estimate_fluid(s, 1.0, r, c, v, lag, minratio, minnode);
  EXPECT_DOUBLE_EQ(minratio, 400.0);
  EXPECT_EQ(minnode, net.nt + 3);
}

TEST_F(FluidImplicitTest, HeldNodesKeepTheirTemperatures) {
  // "K" and "R" nodes fed by a hot upstream node keep their temperatures
  // through the estimate and the sweeps and are marked; an "H" node with
  // only GL conductors takes their weighted mean (plus QF/SG) at once.
  tna_test::FluidModel fm = tna_test::chain(4);
  fm.node(2).status = 'K';
  fm.node(3).status = 'R';
  fm.node(4).status = 'H';
  fm.link_spec(2).status = 'I';
  for (int k : {1, 2, 3, 4}) fm.node(k).t = 10.0 * k;
  fm.thermal(10, 'B', 100.0).thermal(11, 'B', 0.0);
  fm.gl(4, 10, 1.0);
  fm.gl(4, 11, 4.0);
  build(fm);
  net.lcond(1) = net.lcond(2) = 50.0;
  gar_fluidnodeheatsources(4) = 25.0;
  const std::vector<double> r(4, 1000.0), c(4, 4000.0), v(4, 0.0);
  Step s(net);
  FlTimeLag lag;
  double minratio = 1.0e38;
  int minnode = 0;
  estimate_fluid(s, 1.0, r, c, v, lag, minratio, minnode);
  EXPECT_EQ(s.tfnew[1], 20.0);
  EXPECT_EQ(s.tfnew[2], 30.0);
  EXPECT_NEAR(s.tfnew[3], (100.0 + 25.0) / 5.0, 1e-9);
  EXPECT_EQ(minratio, 1.0e38);  // "H" nodes and held nodes do not enter it
  s.tfnew[3] = 10.0;
  bool outer, inner;
  const auto marks = fluid_sweep(s, 1.0, r, c, v, outer, inner);
  EXPECT_EQ(s.tfnew[1], 20.0);
  EXPECT_EQ(s.tfnew[2], 30.0);
  EXPECT_NEAR(s.tfnew[3], 25.0, 1e-9);
  EXPECT_EQ(marks[1], 1);
  EXPECT_EQ(marks[2], 1);
  // Node 1 has no conductance: left alone and unmarked.
  EXPECT_EQ(s.tfnew[0], 10.0);
  EXPECT_EQ(marks[0], 0);
  EXPECT_FALSE(inner);
}

TEST_F(FluidImplicitTest, SweepWithoutChangeKeepsTheNodeOfTheLargestChange) {
  // Both nodes at 64 K absolute: node 2 is in balance (numbers exact in
  // binary, so the update is exactly 0).
  GLOR.TABS = 0.0;
  tna_test::FluidModel fm = pair(0.01);
  for (int k : {1, 2}) {
    fm.node(k).t = 64.0;
    fm.node(k).fla = 0.5;
  }
  build(fm);
  net.lcond(1) = 40.0;
  const std::vector<double> r{1.0, 1.0}, c{1000.0, 1000.0};
  GLOI.NFRLXC = 9;
  GLOR.FRLXCC = 5.0;
  Step s(net);
  bool outer, inner;
  for (int method : {0, 1}) {
    GLOI.METHOD = method;
    const auto marks = fluid_sweep(s, 1.0, r, c, vrate, outer, inner);
    EXPECT_TRUE(outer && inner);
    EXPECT_EQ(GLOR.FRLXCC, 0.0);
    EXPECT_EQ(GLOI.NFRLXC, 9);
    EXPECT_EQ(s.tfnew[1], 64.0);
    EXPECT_EQ(marks[1], method);  // converged: marked with METHOD 1 only
  }
}

TEST_F(FluidImplicitTest, VanishingDenominatorEndsTheRun) {
  // Capacity 1 J/K per step, Gf 1 W/K and mD cp = 2 W/K: the estimate's
  // denominator H/dt + Gf - mD cp is zero. The run ends naming the node
  // instead of carrying an infinite temperature.
  tna_test::FluidModel fm = tna_test::chain(1);
  fm.node(1).fla = 1.0;
  fm.node(1).fl = 1.0;
  fm.node(1).t = 20.0;
  fm.thermal(10, 'B', 80.0);
  fm.gl(1, 10, 1.0);
  build(fm);
  const std::vector<double> r{1.0}, c{1.0}, v{2.0};
  Step s(net);
  FlTimeLag lag;
  double minratio = 1.0e38;
  int minnode = 0;
  EXPECT_THROW(estimate_fluid(s, 1.0, r, c, v, lag, minratio, minnode), plat::ProcessExit);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, "Temperature > 1.0D10 detected Node 1 in main model")) << l;
  EXPECT_TRUE(has_reference(l, "SFSTAB", 1)) << l;
  // The same with the transport delay, whose denominator is W + Gf - mD cp
  // with W = 0 for a node without through-flow.
  fresh_listing();
  GLOC.TIMELA = "YES";
  std::vector<double> table(100 * 2);
  FlTimeLag delayed{100, FlReals(table.data(), 200), 0.0, 1};
  const std::vector<double> v1{1.0};
  Step d(net);
  EXPECT_THROW(estimate_fluid(d, 1.0, r, c, v1, delayed, minratio, minnode), plat::ProcessExit);
  EXPECT_TRUE(has_reference(listing(), "SFSTAB", 1));
}

TEST_F(FluidImplicitTest, TransportDelay) {
  const double tabs = GLOR.TABS;
  std::vector<double> table(100 * 3);
  auto fresh_lag = [&] { return FlTimeLag{100, FlReals(table.data(), 300), 0.0, 7}; };
  // Node 2 is fed by node 1 (60 C) through G = 40 W/K; its through-flow is
  // 0.005 kg/s and its residence time rho A L / mdot = 2 / 0.005 = 400 s.
  tna_test::FluidModel fm = pair(0.01);
  build(fm);
  net.lcond(1) = 40.0;
  const double to = 20.0 + tabs, w = 0.005 * 4000.0, h = 8000.0;
  double minratio = 1.0e38;
  int minnode = 0;
  GLOC.TIMELA = "YES";
  // First call: the pointer restarts at 1 at time 0; levels 1 and 2 get the
  // mixing temperature at times 0 and dt. The delay reaches back before the
  // start: the present mixing temperature, with W = mdot cp.
  const double dt = 1.0;
  FlTimeLag lag = fresh_lag();
  {
    Step s(net);
    estimate_fluid(s, dt, rho, cp, vrate, lag, minratio, minnode);
    EXPECT_EQ(lag.pointer, 1);
    EXPECT_EQ(lag.time, dt);
    EXPECT_DOUBLE_EQ(table[1], 60.0 + tabs);
    EXPECT_EQ(table[2], 0.0);
    EXPECT_DOUBLE_EQ(table[3 + 1], 60.0 + tabs);
    EXPECT_EQ(table[3 + 2], dt);
    EXPECT_NEAR(s.tfnew[1], ((60.0 + tabs) * 40.0 + to * w) / (w + 40.0) - tabs, 1e-9);
  }
  // Past 400 s the ring of 100 one-second levels no longer reaches back one
  // residence time: the undelayed term with W = H/dt, the plain estimate.
  for (int call = 2; call <= 450; ++call) {
    Step s(net);
    estimate_fluid(s, dt, rho, cp, vrate, lag, minratio, minnode);
    if (call == 450) {
      EXPECT_EQ(lag.pointer, 50);  // one level a call, wrapping after 100
      EXPECT_NEAR(s.tfnew[1], (h / dt * to + 40.0 * (60.0 + tabs)) / (h / dt + 40.0) - tabs, 1e-9);
    }
  }
  // Steps of 100 s: at the fifth the history covers the delay, and the
  // inflow is the mixing temperature of 400 s ago (60 C) although node 1 is
  // at 90 C now, with W = mdot cp.
  lag = fresh_lag();
  for (int call = 1; call <= 5; ++call) {
    Step k(net);
    if (call == 5) k.tfold[0] = 90.0;
    estimate_fluid(k, 100.0, rho, cp, vrate, lag, minratio, minnode);
    if (call == 5) {
      EXPECT_NEAR(k.tfnew[1], ((60.0 + tabs) * 40.0 + to * w) / (w + 40.0) - tabs, 1e-9);
      EXPECT_NEAR(k.ffold[1], -40.0 * to + (60.0 + tabs) * 40.0, 1e-9);
    }
  }
  // TIMELA switched on by the user after the loop reserved no history:
  // the plain estimate, nothing written.
  FlTimeLag none;
  Step u(net);
  estimate_fluid(u, 10.0, rho, cp, vrate, none, minratio, minnode);
  EXPECT_NEAR(u.tfnew[1], (h / 10.0 * to + 40.0 * (60.0 + tabs)) / (h / 10.0 + 40.0) - tabs, 1e-9);
  // A node without through-flow: infinite delay, the mixing temperature
  // just recorded and W = 0: the steady value (GTf + QF) / Gf.
  tna_test::FluidModel still = tna_test::chain(1);
  still.node(1).fla = 1.0e-3;
  still.node(1).fl = 2.0;
  still.thermal(10, 'B', 70.0).thermal(11, 'B', 10.0);
  still.gl(1, 10, 1.0);
  still.gl(1, 11, 2.0);
  build(still);
  gar_fluidnodeheatsources(1) = 30.0;
  lag = fresh_lag();
  Step q(net);
  estimate_fluid(q, dt, rho, cp, vrate, lag, minratio, minnode);
  EXPECT_NEAR(q.tfnew[0], (70.0 + 20.0 + 30.0) / 3.0, 1e-9);
}

}  // namespace
}  // namespace fluid_test
