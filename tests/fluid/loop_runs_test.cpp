// Whole runs of the four fluid-loop routines on one heated channel: the same
// steady state from each, the periodic state under the cyclic driver with
// its cycle-average energy balance, a conductor switched or changed by a
// user block in the middle of a run, and parameter cases that change
// conductors and link flows between runs.
//
// The channel: water fed 0.01 kg/s at 20 C by the mass source of its inlet
// and leaving through its outlet, its fluid nodes in one submodel numbered
// against the flow order, a heated wall in a second submodel joined to two
// of them, the sink (a boundary node of the main model) joined to the wall
// and to the outlet. Every conductor joins nodes of two models (the
// parameter cases have them all in MAIN).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "fluid/fluid_services.h"
#include "fluid_fixture.h"
#include "modeldata/snapshot.h"
#include "parameters/param_records.h"
#include "parameters/parameter_cases.h"
#include "platform/process.h"
#include "platform/units.h"
#include "properties/properties.h"
#include "thermal/cyclic.h"

namespace fluid_test {
namespace {

using Routine = void (*)();
struct Named {
  const char* name;
  Routine run;
  // Largest miss of a steady heat balance, W, reckoned with the WATER cp:
  // FGENFI balances enthalpies, whose temperature slope differs from cp by
  // some 1E-5 of it (3E-3 W on the 165 W a node takes on here).
  double balance;
  // Largest difference, K, between a run whose user block changes a
  // conductor and the run stopped there and continued with the change:
  // FLTNTF sets each step from the stability limits at the end of the step
  // before it, so its first step after the change still has the limit of
  // the conductors before it (some 2.5E-3 s shorter here), where the
  // continued run starts from the limits of the changed ones; FGENFI's
  // iterations, started from another first iterate after a restart, stop
  // within its convergence criteria (1E-6 K here).
  double restart;
};
const Named kRoutines[] = {{"FLTNTS", FLTNTS, 1e-3, 1e-9},
                           {"FLTNTF", FLTNTF, 1e-3, 1e-4},
                           {"FLTMTS", FLTMTS, 1e-3, 1e-9},
                           {"FGENFI", FGENFI, 2e-2, 1e-6}};

// Fluid nodes in flow order, the wall, the sink.
constexpr int kFluid[] = {40, 12, 31, 7};
constexpr int kWall = 205, kSink = 3;
constexpr double kFlow = 0.01, kTin = 20.0, kTsink = 10.0;
constexpr double kWallCap = 2000.0, kGwall = 30.0, kGwallSink = 2.0, kGoutSink = 5.0;

class LoopRuns : public FluidTest {
 protected:
  void SetUp() override {
    FluidTest::SetUp();
    log.install();
  }
  void TearDown() override { tna_test::model.reset(); }

  // Builds the channel and sets the controls of a run from 0 to timend in
  // steps of at most dt.
  // split: the fluid nodes and the wall in submodels (else all in MAIN).
  void channel(double q, double timend, double dt, bool split = true) {
    fresh_listing();
    fm = tna_test::FluidModel{};
    const int loop = split ? fm.submodel("LOOP") : 1;
    const int walls = split ? fm.submodel("WALLS") : 1;
    fm.thermal(kSink, 'B', kTsink);
    fm.thermal(kWall, 'D', kTin, kWallCap, walls);
    for (int num : kFluid) {
      tna_test::FluidNodeSpec& f = fm.fluid(num, loop);
      f.t = kTin;
      f.vol = 1.0e-4;
    }
    fm.node(kFluid[0]).status = 'K';
    fm.node(kFluid[0]).fm = kFlow;
    fm.node(kFluid[0]).fr = kTin;
    fm.node(kFluid[3]).status = 'J';
    for (int k = 0; k < 3; ++k) {
      const int h = fm.link(kFluid[k], kFluid[k + 1], kFlow);
      fm.link_spec(h).gp = 1.0e20;  // no fitting loss
    }
    wall_gl[0] = fm.gl(kWall, kFluid[1], kGwall);
    wall_gl[1] = fm.gl(kWall, kFluid[2], kGwall);
    wall_sink = fm.gl(kWall, kSink, kGwallSink);
    out_sink = fm.gl(kFluid[3], kSink, kGoutSink);
    build(fm);
    tna_test::fluid_controls();
    FINITS(" ", 1);  // the main model and its submodels
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = timend;
    GLOR.OUTINT = timend;
    GLOR.DTIMEI = dt;
    GLOR.DTMAX = dt;
    GLOR.DTMIN = 1.0e-3;
    GLOR.DTCOUR = 1.0e38;
    GLOR.RLCOUR = 1.0;
    GLOR.RELXCA = 1.0e-6;
    GLOR.FRLXCA = 1.0e-6;
    GLOI.NLOOP = 200;
    GLOI.FSTEPS = 1;
    q_wall() = q;
  }
  double& q_wall() { return gar_thermalnodeheatsourcesinternal(fm.tindex(kWall)); }
  double tf(int num) const { return gar_fluidnodetemps(fm.findex(num)); }
  double tw() const { return gar_thermalnodetemps(fm.tindex(kWall)); }
  double g(int h) const { return gar_linearconds(fm.gl_index(h)); }
  bool on(int h) const { return gar_linearcondacts(fm.gl_index(h)).view() == "A"; }
  double cp(int num) const {
    const int k = fm.findex(num);
    return XCP(net.p(k), net.tf(k), net.vq(k), FTYPEI(net.ftypes(k).view()), net.global(k));
  }
  // Heat leaving the wall and the fluid: to the sink through both sink
  // conductors, and with the flow, each link carrying m cp (mean of its
  // ends) times its rise.
  double heat_out() const {
    double out = 0.0;
    if (on(wall_sink)) out += g(wall_sink) * (tw() - kTsink);
    if (on(out_sink)) out += g(out_sink) * (tf(kFluid[3]) - kTsink);
    for (int k = 0; k < 3; ++k)
      out += kFlow * 0.5 * (cp(kFluid[k]) + cp(kFluid[k + 1])) * (tf(kFluid[k + 1]) - tf(kFluid[k]));
    return out;
  }
  std::vector<double> temps() const {
    std::vector<double> t{tw()};
    for (int num : kFluid) t.push_back(tf(num));
    return t;
  }
  void run(Routine r) {
    try {
      r();
    } catch (const plat::ProcessExit&) {
      ADD_FAILURE() << "the run ended:\n" << listing();
    }
  }

  tna_test::BlockLog log;

 public:  // for the changes of the table of a test
  tna_test::FluidModel fm;
  int wall_gl[2] = {0, 0};
  int wall_sink = 0, out_sink = 0;
};

// ---------------------------------------------------------------------------

TEST_F(LoopRuns, EveryRoutineReachesTheSteadyStateOfTheChannel) {
  // 300 W into the wall. At steady state the wall balances its heat against
  // its conductors, each fluid node its conductors against the heat the flow
  // takes on (m cp of the entering link times the node's rise), and all of
  // the 300 W leaves through the sink or with the flow. The wall's time
  // constant is under 40 s; 4000 s are a hundred of them.
  const double q = 300.0;
  std::vector<std::vector<double>> finals;
  for (const Named& r : kRoutines) {
    SCOPED_TRACE(r.name);
    channel(q, 4000.0, 5.0);
    run(r.run);
    EXPECT_EQ(GLOR.TIMEO, 4000.0);
    EXPECT_EQ(listing(), "");
    for (int k = 1; k <= 3; ++k) EXPECT_NEAR(gar_massflowlinkflowrates(k), kFlow, 1e-9) << "link " << k;
    // FGENFI's inlet takes the enthalpy of its source at the pressure
    // FINITS found, some 100 Pa below the one the flow needs.
    EXPECT_NEAR(tf(kFluid[0]), kTin, 1e-4);
    // The wall.
    const double t1 = tf(kFluid[1]), t2 = tf(kFluid[2]), t3 = tf(kFluid[3]);
    EXPECT_NEAR(q, kGwall * (2.0 * tw() - t1 - t2) + kGwallSink * (tw() - kTsink), r.balance);
    // Each fluid node.
    auto mcp = [&](int k) { return kFlow * 0.5 * (cp(kFluid[k - 1]) + cp(kFluid[k])); };
    EXPECT_NEAR(mcp(1) * (t1 - kTin), kGwall * (tw() - t1), r.balance);
    EXPECT_NEAR(mcp(2) * (t2 - t1), kGwall * (tw() - t2), r.balance);
    EXPECT_NEAR(mcp(3) * (t3 - t2), -kGoutSink * (t3 - kTsink), r.balance);
    EXPECT_NEAR(heat_out(), q, r.balance);
    EXPECT_GT(tw(), t2);
    EXPECT_GT(t2, t1);
    finals.push_back(temps());
  }
  for (std::size_t k = 1; k < finals.size(); ++k)
    for (std::size_t i = 0; i < finals[0].size(); ++i)
      EXPECT_NEAR(finals[k][i], finals[0][i], 2e-4) << kRoutines[k].name << " value " << i;
}

TEST_F(LoopRuns, CyclicDriverGivesAPeriodicStateThatBalancesItsHeat) {
  // 600 W into the wall in the first half of each 400-second period. Once
  // SOLCYC has found the periodic state, one more period from it ends where
  // it started, and over that period the heat in (300 W on average) leaves
  // through the sink and with the flow.
  const double period = 400.0, dt = 1.0;
  std::vector<std::vector<double>> starts;
  for (const Named& r : kRoutines) {
    SCOPED_TRACE(r.name);
    channel(0.0, period, dt);
    GLOR.OUTINT = 100.0;
    log.variables1 = [&] { q_wall() = std::fmod(GLOR.TIMEM, period) < 0.5 * period ? 600.0 : 0.0; };
    try {
      SOLCYC(r.name, 1.0e-6, 1.0e10, period, 400, " ", "NONE");
    } catch (const plat::ProcessExit&) {
      ADD_FAILURE() << "the run ended:\n" << listing();
    }
    EXPECT_EQ(listing().find("Failed to converge"), std::string::npos);
    EXPECT_EQ(GLOR.TIMEO, 0.0);
    const std::vector<double> start = temps();
    starts.push_back(start);
    // One more period, the heat flows integrated by the trapezoidal rule
    // over the steps (the heat in is constant within each step).
    double in = 0.0, out = 0.0, last_out = heat_out(), last_t = 0.0;
    log.variables2 = [&] {
      const double step = GLOR.TIMEN - last_t;
      const double now = heat_out();
      in += q_wall() * step;
      out += 0.5 * (now + last_out) * step;
      last_out = now;
      last_t = GLOR.TIMEN;
    };
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = period;
    run(r.run);
    log.variables2 = nullptr;
    log.variables1 = nullptr;
    EXPECT_NEAR(last_t, period, 1e-9);
    EXPECT_NEAR(in, 300.0 * period, 1e-6 * in);
    EXPECT_NEAR(out, in, 1e-4 * in);
    const std::vector<double> end = temps();
    for (std::size_t i = 0; i < start.size(); ++i) EXPECT_NEAR(end[i], start[i], 1e-5) << "value " << i;
  }
  for (std::size_t k = 1; k < starts.size(); ++k)
    for (std::size_t i = 0; i < starts[0].size(); ++i)
      EXPECT_NEAR(starts[k][i], starts[0][i], 0.05) << kRoutines[k].name << " value " << i;
}

// A change a user block makes to conductors at 1000 s of a run.
struct Change {
  const char* what;
  std::function<void(LoopRuns&)> apply;
  std::function<void(LoopRuns&)> setup = nullptr;  // the model before it, when not the channel
};

TEST_F(LoopRuns, ConductorChangedByAUserBlockCountsFromThatTimeOn) {
  // For each routine, the run with the change made by VARIABLES1 at the
  // first step after 1000 s matches, output by output, the run stopped at
  // 1000 s and continued with the changed model; its end (steady again
  // after some 30 time constants of the wall, the slowest about 100 s)
  // matches a run of the changed model from the start, and balances the
  // 300 W against the conductors as they now stand.
  auto act = [](LoopRuns& t, int h, char c) { gar_linearcondacts(t.fm.gl_index(h)) = std::string(1, c); };
  auto val = [](LoopRuns& t, int h, double g) { gar_linearconds(t.fm.gl_index(h)) = g; };
  const Change changes[] = {
      {"wall to sink off", [&](LoopRuns& t) { act(t, t.wall_sink, 'I'); }},
      {"outlet to sink off", [&](LoopRuns& t) { act(t, t.out_sink, 'I'); }},
      {"one wall conductor off", [&](LoopRuns& t) { act(t, t.wall_gl[1], 'I'); }},
      {"wall conductor a tenth", [&](LoopRuns& t) { val(t, t.wall_gl[0], 0.1 * kGwall); }},
      {"wall to sink ten times", [&](LoopRuns& t) { val(t, t.wall_sink, 10.0 * kGwallSink); }},
      {"wall to sink on", [&](LoopRuns& t) { act(t, t.wall_sink, 'A'); },
       [&](LoopRuns& t) { act(t, t.wall_sink, 'I'); }},
      {"outlet to sink on at another value",
       [&](LoopRuns& t) {
         act(t, t.out_sink, 'A');
         val(t, t.out_sink, 40.0);
       },
       [&](LoopRuns& t) { act(t, t.out_sink, 'I'); }},
      {"off, then its value changed",
       [&](LoopRuns& t) {
         act(t, t.wall_gl[0], 'I');
         val(t, t.wall_gl[1], 2.0 * kGwall);
       }},
  };
  const double q = 300.0, t1 = 1000.0, t2 = 4000.0;
  for (const Named& r : kRoutines) {
    for (const Change& c : changes) {
      SCOPED_TRACE(std::string(r.name) + ": " + c.what);
      std::vector<std::vector<double>> a, b;
      auto record = [this, t1](std::vector<std::vector<double>>& to) {
        log.outputs = [this, t1, &to] {
          if (GLOR.TIMEN > t1) to.push_back(temps());
        };
      };
      // Changed by the user block.
      channel(q, t2, 5.0);
      if (c.setup) c.setup(*this);
      GLOR.OUTINT = 100.0;
      bool done = false;
      log.variables1 = [&] {
        if (!done && GLOR.TIMEN > t1) {
          c.apply(*this);
          done = true;
        }
      };
      record(a);
      run(r.run);
      EXPECT_TRUE(done);
      EXPECT_EQ(GLOR.TIMEO, t2);
      EXPECT_NEAR(heat_out(), q, r.balance);
      const std::vector<double> end_a = temps();
      log.variables1 = nullptr;
      // Stopped and continued.
      channel(q, t1, 5.0);
      if (c.setup) c.setup(*this);
      GLOR.OUTINT = 100.0;
      run(r.run);
      c.apply(*this);
      GLOR.TIMEND = t2;
      record(b);
      run(r.run);
      EXPECT_EQ(GLOR.TIMEO, t2);
      ASSERT_EQ(a.size(), 30u);
      ASSERT_EQ(b.size(), a.size());
      for (std::size_t k = 0; k < a.size(); ++k)
        for (std::size_t i = 0; i < a[k].size(); ++i)
          EXPECT_NEAR(a[k][i], b[k][i], r.restart) << "output " << k << " value " << i;
      // Changed from the start.
      log.outputs = nullptr;
      channel(q, t2, 5.0);
      if (c.setup) c.setup(*this);
      c.apply(*this);
      run(r.run);
      const std::vector<double> end_c = temps();
      for (std::size_t i = 0; i < end_c.size(); ++i) EXPECT_NEAR(end_a[i], end_c[i], 1e-6) << "value " << i;
      EXPECT_EQ(listing(), "");
    }
  }
}

TEST_F(LoopRuns, EachParameterCaseEqualsAFreshRunOfItsChangedModel) {
  // The base case and four "!INITIAL" cases, each a run of 600 s
  // (the wall not yet steady) from the state the snapshot holds: a case
  // must give the temperatures and flows of a fresh run of the model with
  // the case's changes, whatever the cases before it changed (conductors
  // switched off and on, values, a link's flow, starting temperatures). A
  // "!FINAL" case goes on
  // from the end of the case before it to 1200 s with a conductor back on,
  // as the fresh run of that case continued with the change. So for each
  // of the four routines, with the transport delay and without.
  struct Case {
    bool final;
    const char* statements;
    std::function<void(LoopRuns&)> apply;
  };
  auto act = [](LoopRuns& t, int h, char c) { gar_linearcondacts(t.fm.gl_index(h)) = std::string(1, c); };
  auto val = [](LoopRuns& t, int h, double g) { gar_linearconds(t.fm.gl_index(h)) = g; };
  const Case cases[] = {
      {false, "", [](LoopRuns&) {}},
      {false, "OFF GL(205,3)\nCHANGE GL(205,31) = OFF\n",
       [&](LoopRuns& t) {
         act(t, t.wall_sink, 'I');
         act(t, t.wall_gl[1], 'I');
       }},
      {true, "CHANGE TIMEND = 1200\nON GL(205,3)\n",
       [&](LoopRuns& t) {
         GLOR.TIMEND = 1200.0;
         act(t, t.wall_sink, 'A');
       }},
      {false, "CHANGE GL(205,12) = 3\nCHANGE GL(7,3) = 50\n",
       [&](LoopRuns& t) {
         val(t, t.wall_gl[0], 3.0);
         val(t, t.out_sink, 50.0);
       }},
      // Flows the hydraulic solution replaces with the inlet's source at its
      // first pass: the case must give the base case's result.
      {false, "CHANGE M(40,12) = 0.002\nCHANGE M(31,7) = 0.03\n",
       [&](LoopRuns& t) {
         gar_massflowlinkflowrates(t.fm.link_index(0)) = 0.002;
         gar_massflowlinkflowrates(t.fm.link_index(2)) = 0.03;
       }},
      {false, "CHANGE T31 = 60\nCHANGE T205 = 50\n",
       [&](LoopRuns& t) {
         gar_fluidnodetemps(t.fm.findex(31)) = 60.0;
         gar_thermalnodetemps(t.fm.tindex(kWall)) = 50.0;
       }},
      {false, "OFF GL(7,3)\nCHANGE GL(205,3) = 20\n",
       [&](LoopRuns& t) {
         act(t, t.out_sink, 'I');
         val(t, t.wall_sink, 20.0);
       }},
  };
  const double q = 300.0, timend = 600.0;
  auto result = [this] {
    std::vector<double> r = temps();
    for (int k = 1; k <= 3; ++k) r.push_back(gar_massflowlinkflowrates(k));
    r.push_back(GLOR.TIMEO);
    return r;
  };
  // The channel in MAIN alone: the statements name the conductors and links
  // by their node numbers.
  for (const Named& r : kRoutines) {
    for (const char* timela : {"NO", "YES"}) {
      SCOPED_TRACE(std::string(r.name) + " TIMELA " + timela);
      // The fresh runs, last case first (a "!FINAL" one after the case before
      // it), so that what a run leaves for the next one cannot make them
      // agree with the cases.
      const std::size_t n = std::size(cases);
      std::vector<std::vector<double>> fresh(n);
      for (std::size_t k = n; k-- > 0;) {
        channel(q, timend, 5.0, false);
        GLOC.TIMELA = timela;
        if (cases[k].final) {
          cases[k - 1].apply(*this);
          run(r.run);
        }
        cases[k].apply(*this);
        run(r.run);
        fresh[k] = result();
      }
      // The cases.
      const std::string com = std::string(r.name) + timela + ".COM", par = std::string(r.name) + timela + ".PAR";
      channel(q, timend, 5.0, false);
      GLOC.TIMELA = timela;
      std::string file = "$PARAMETERS\n";
      for (std::size_t k = 1; k < std::size(cases); ++k)
        file += (cases[k].final ? "!FINAL" : "!INITIAL") + (" = 'CASE " + std::to_string(k) + "'\n") +
                cases[k].statements;
      {
        std::ofstream out(par);
        out << file;
      }
      // The snapshot with every numeric control constant, as a model database
      // that holds them all leaves the counts.
      FLAGS(13) = gcc_num_real;
      FLAGS(14) = gcc_num_int;
      int st = 0;
      ASSERT_EQ(plat::io::open_unit(2, com, plat::io::Form::Unformatted, "UNKNOWN"), 0);
      DMPCOM(2, st);
      ASSERT_EQ(st, 0);
      plat::io::close_unit(2);
      ASSERT_EQ(plat::io::open_unit(2, com, plat::io::Form::Unformatted, "OLD"), 0);
      ASSERT_EQ(plat::io::open_unit(3, par, plat::io::Form::Formatted, "OLD"), 0);
      for (int w = 1; w <= 7; ++w) PARNUM(w) = 0;
      PARCHR = ParchrRecord{};
      std::vector<std::vector<double>> got;
      tna_test::model.execution = [&] {
        r.run();
        got.push_back(result());
      };
      int status = -1;
      try {
        PARAMX(1, "MAIN", status, 2, 3, 11);
      } catch (const plat::ProcessExit& e) {
        ADD_FAILURE() << "the run ended " << e.status << ":\n" << listing();
      }
      plat::io::close_unit(2);
      plat::io::close_unit(3);
      EXPECT_EQ(status, 0) << listing();
      ASSERT_EQ(got.size(), fresh.size());
      for (std::size_t k = 0; k < got.size(); ++k)
        for (std::size_t i = 0; i < got[k].size(); ++i)
          EXPECT_NEAR(got[k][i], fresh[k][i], 1e-10) << "case " << k << " value " << i;
    }
  }
}

}  // namespace
}  // namespace fluid_test
