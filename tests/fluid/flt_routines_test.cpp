// FLTNTF and FLTMTS, and what the three single-phase fluid-loop routines
// must agree on: the steady state of a heated water pipe, the end of a run
// at late times. FLTNTF: its first step from the stability limits, its
// first-order error, the explicit fluid update (the node numbers it reports,
// the transport delay without through-flow). FLTMTS: the sub-steps of a
// thermal step. Their checks and shortage messages are rows of the contract
// tables of the fluid routines (fluid/solver_contract_test.cpp).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "fluid/explicit_step.h"
#include "fluid/fluid_services.h"
#include "fluid_fixture.h"
#include "platform/process.h"
#include "properties/properties.h"
#include "thermal/cyclic.h"

namespace fluid_test {
namespace {

using tna_test::BlockCall;

constexpr double kD = 0.01;                                  // pipe diameter, m
constexpr double kArea = 0.25 * 3.14159265358979 * kD * kD;  // its flow area

using Routine = void (*)();
struct Named {
  const char* name;
  Routine run;
};
const Named kRoutines[] = {{"FLTNTS", FLTNTS}, {"FLTNTF", FLTNTF}, {"FLTMTS", FLTMTS}};

class FltRoutines : public FluidTest {
 protected:
  void SetUp() override {
    FluidTest::SetUp();
    log.install();
  }
  // Every constant a run of any of the three needs: the explicit step is
  // limited by the stability ratio alone (no link transit limit).
  static void controls() {
    tna_test::fluid_controls();
    GLOR.DTCOUR = 1.0e38;
    GLOR.RLCOUR = 1.0;
  }
  // Thermal node 1 ("D", capacitance cap, heat q, at 0) joined by GL g to
  // boundary node 2 at 0.
  void rc(double cap, double g, double q, int dystor = 20000) {
    tna_test::FluidModel fm;
    fm.thermal(1, 'D', 0.0, cap).thermal(2, 'B', 0.0);
    fm.gl(1, 2, g);
    build(fm, dystor);
    controls();
    gar_thermalnodeheatsourcesinternal(1) = q;
  }
  // A water pipe of n nodes of 1 m: node 1 "R" at 20 C and p_in + 2.0E5 Pa
  // (the inlet), node n "J" at 2.0E5 Pa (the outlet), heat q on nodes 2..n;
  // the flow follows the pressure difference. Node 3 is half as long, so
  // that its heat capacity over its conductance is the smallest.
  void pipe(int n, double p_in, double q, double flow = 0.01) {
    tna_test::FluidModel fm = tna_test::chain(n);
    for (int i = 1; i <= n; ++i) {
      fm.node(i).p = 2.0e5 + p_in * (n - i) / (n - 1);
      fm.node(i).fq = i > 1 ? q : 0.0;
    }
    fm.node(1).status = 'R';
    fm.node(n).status = 'J';
    fm.node(3).fl = 0.5;
    for (int h = 0; h < n - 1; ++h) fm.link_spec(h).flow = flow;
    build(fm);
    controls();
    for (int i = 1; i <= n; ++i) {
      net.fla(i) = kArea;
      net.vol(i) = kArea * net.fl(i);
    }
    for (int k = 1; k <= net.nl; ++k) gar_massflowlinkfittinglosses(k) = 1.0e20;
  }
  std::vector<BlockCall> calls_of(const std::string& block) const {
    std::vector<BlockCall> out;
    for (const BlockCall& c : log.calls)
      if (c.block == block) out.push_back(c);
    return out;
  }
  std::vector<double> ends_of(const std::string& block) const {
    std::vector<double> out;
    for (const BlockCall& c : calls_of(block)) out.push_back(c.timen);
    return out;
  }

  tna_test::BlockLog log;
};

double cp_of(int i) { return XCP(gar_fluidnodepressures(i), gar_fluidnodetemps(i), 0.0, 2, i); }

// ---------------------------------------------------------------------------
// What the three routines agree on.

TEST_F(FltRoutines, HeatedPipeReachesTheSameSteadyStateWithEveryRoutine) {
  // Heat of 200 W on each node but the inlet; at steady state each node is
  // warmer than the one upstream by Q / (m cp), cp the mean of the two
  // nodes' (the link's conductance), whatever the routine; the run lasts far
  // more than 50 residence times of the pipe.
  const int n = 5;
  std::vector<std::vector<double>> finals;
  for (const Named& r : kRoutines) {
    SCOPED_TRACE(r.name);
    pipe(n, 160.0, 200.0);
    GLOR.TIMEND = 2000.0;
    GLOR.OUTINT = 2000.0;
    GLOR.DTIMEI = 10.0;
    GLOR.DTMAX = 10.0;
    GLOI.FSTEPS = 2;
    GLOR.FRLXCA = 1.0e-6;
    r.run();
    EXPECT_EQ(GLOR.TIMEO, 2000.0);
    const double m = gar_massflowlinkflowrates(1);
    EXPECT_GT(m, 0.005);
    std::vector<double> t;
    for (int i = 1; i <= n; ++i) t.push_back(gar_fluidnodetemps(i));
    EXPECT_EQ(t[0], 20.0);  // the inlet holds its temperature
    for (int i = 2; i <= n; ++i) {
      EXPECT_NEAR(gar_massflowlinkflowrates(i - 1), m, 1e-6 * m);
      const double rise = 200.0 / (m * 0.5 * (cp_of(i - 1) + cp_of(i)));
      EXPECT_NEAR(t[i - 1] - t[i - 2], rise, 10.0 * GLOR.FRLXCA) << "node " << i;
    }
    finals.push_back(t);
    // The smallest capacity over conductance is that of the short node 3,
    // reported as its global node number (NT + 3 = 3 without thermal
    // nodes); FLTMTS keeps the fluid minimum apart.
    if (std::string(r.name) == "FLTMTS") EXPECT_EQ(GLOI.FNCSGM, 3);
    else EXPECT_EQ(GLOI.NCSGMN, 3);
    EXPECT_EQ(listing(), "");
  }
  for (std::size_t k = 1; k < finals.size(); ++k)
    for (int i = 0; i < n; ++i)
      EXPECT_NEAR(finals[k][i], finals[0][i], 1e-4) << kRoutines[k].name << " node " << i + 1;
}

TEST_F(FltRoutines, WallCooledNodeSettlesBetweenInletAndWallWithAndWithoutDelay) {
  // Chain of three water nodes, all at 40 C: node 1 "K" fed 0.01 kg/s by
  // its mass source, node 2 cooled through a GL of 100 W/K by a wall at
  // 20 C, node 3 the outlet "J". The conductance sums of nodes 2 and 3 are
  // at least twice their through-flows times cp, which the delayed explicit
  // update has to survive. Every routine, with the transport delay and
  // without, settles at the mixing temperature (m cp 40 + GL 20) / (m cp +
  // GL), and at every step nodes 2 and 3 (the outlet, fed by one link) lie
  // between the wall and the inlet.
  const double gl = 100.0, t_in = 40.0, t_wall = 20.0;
  std::vector<double> finals;
  for (const Named& r : kRoutines) {
    for (const char* timela : {"NO", "YES"}) {
      SCOPED_TRACE(std::string(r.name) + " TIMELA " + timela);
      fresh_listing();
      tna_test::FluidModel fm = tna_test::chain(3);
      for (int i = 1; i <= 3; ++i) fm.node(i).t = t_in;
      fm.node(1).status = 'K';
      fm.node(1).fm = 0.01;
      fm.node(1).fr = t_in;
      fm.node(3).status = 'J';
      for (int h = 0; h < fm.nl(); ++h) fm.link_spec(h).gp = 1.0e20;  // no fitting loss
      fm.thermal(100, 'B', t_wall);
      fm.gl(100, 2, gl);
      build(fm);
      controls();
      FINITS(" ", -1);
      GLOC.TIMELA = timela;
      GLOR.RLCOUR = 1.0;
      GLOR.TIMEND = 100.0;
      GLOR.OUTINT = 100.0;
      GLOR.DTIMEI = 1.0;
      GLOR.DTMAX = 1.0;
      GLOI.FSTEPS = 1;
      int steps = 0;
      log.variables2 = [&] {
        ++steps;
        for (int k : {2, 3}) {
          ASSERT_GE(gar_fluidnodetemps(k), t_wall) << "node " << k << " at " << GLOR.TIMEN;
          ASSERT_LE(gar_fluidnodetemps(k), t_in) << "node " << k << " at " << GLOR.TIMEN;
        }
      };
      r.run();
      log.variables2 = nullptr;
      EXPECT_GE(steps, 100);
      EXPECT_EQ(gar_fluidnodetemps(1), t_in);
      // The link's conductance is its flow times the mean cp of its ends.
      const double g = gar_massflowlinkconds(1);
      EXPECT_NEAR(g, 0.01 * cp_of(1), 0.01 * g);
      EXPECT_NEAR(gar_fluidnodetemps(2), (g * t_in + gl * t_wall) / (g + gl), 1e-4);
      EXPECT_NEAR(gar_fluidnodetemps(3), gar_fluidnodetemps(2), 1e-3);
      finals.push_back(gar_fluidnodetemps(2));
      EXPECT_EQ(listing(), "");
    }
  }
  for (double t : finals) EXPECT_NEAR(t, finals[0], 1e-5);
}

TEST_F(FltRoutines, RejectedStepKeepsNothingItIntegrated) {
  // A water chain: node 1 "K" fed 0.01 kg/s; node 2 grows by VDT 1.0E-5
  // m3/s and takes 13 kW, so that the first try of every step of 0.05 s
  // changes it by about 2 K, more than DTPMAX 1, and is repeated shorter;
  // node 3 is compliant (CMP 1.0E-9 /Pa); node 4, the outlet "J", has its
  // pressure raised by 1.0E5 Pa/s in VARIABLES1. An "AIRW" node 5 on its
  // own is fed 0.001 kg/s of humid air at FW 0.01. Over 0.1 s the volume of
  // node 2 grows by VDT x 0.1 s, that of node 3 follows its pressure, V0
  // exp(CMP (p - p0)), and node 5 gains FW FM / (1 + FW) x 0.1 s of vapour,
  // each step's gain being the change of its vapour fraction q = W / (1 +
  // W) times its mass VOL rho at the humidity the step started from: the
  // rejected tries leave nothing behind.
  const double vdt = 1.0e-5, cmp = 1.0e-9, ramp = 1.0e5, fm = 0.001, fw = 0.01, tend = 0.1;
  for (const Named& r : kRoutines) {
    SCOPED_TRACE(r.name);
    fresh_listing();
    log.calls.clear();
    tna_test::FluidModel model = tna_test::chain(4);
    model.node(1).status = 'K';
    model.node(1).fm = 0.01;
    model.node(1).fr = 20.0;
    model.node(2).vdt = vdt;
    model.node(2).fq = 1.3e4;
    model.node(3).cmp = cmp;
    model.node(4).status = 'J';
    for (int h = 0; h < model.nl(); ++h) model.link_spec(h).gp = 1.0e20;
    tna_test::FluidNodeSpec& air = model.fluid(5);
    air.fluid = "AIRW";
    air.p = 1.01325e5;
    air.fd = 0.1;
    air.phi = 0.1;
    air.fm = fm;
    air.fw = fw;
    air.fr = 20.0;
    build(model);
    controls();
    FINITS(" ", -1);
    GLOR.TIMEND = tend;
    GLOR.OUTINT = tend;
    GLOR.DTIMEI = 0.05;
    GLOR.DTMAX = 0.05;
    GLOR.DTPMAX = 1.0;
    const double vol2 = net.vol(2), vol3 = net.vol(3), p3 = net.p(3), p4 = net.p(4);
    const int k = model.findex(5);
    auto fraction = [&] { return net.w(k) / (1.0 + net.w(k)); };
    auto mass = [&](double w) { return net.vol(k) * XRHO(net.p(k), net.tf(k), w, 4, net.global(k)); };
    // The humidity the steps start from is the one the loop forms from PHI
    // before its first step, which the first pass's VARIABLES1 sees.
    double w_start = 0.0, q_start = 0.0, vapour = 0.0;
    bool started = false, stepping = false;
    log.outputs = [&] { started = true; };
    log.variables1 = [&] {
      net.p(4) = p4 + ramp * GLOR.TIMEN;
      if (!started || stepping) return;
      stepping = true;
      w_start = net.w(k);
      q_start = fraction();
    };
    log.variables2 = [&] {
      vapour += (fraction() - q_start) * mass(w_start);
      w_start = net.w(k);
      q_start = fraction();
    };
    r.run();
    log.outputs = nullptr;
    log.variables1 = nullptr;
    log.variables2 = nullptr;
    EXPECT_EQ(listing(), "");
    // Some steps were repeated: a pass began at a TIMEO that an earlier
    // pass had already tried with a longer step.
    int repeated = 0;
    double timeo = -1.0, timen = -1.0;
    for (const BlockCall& c : calls_of("VARIABLES1")) {
      if (c.soltyp != "" || !(c.timen > c.timeo)) continue;
      if (c.timeo == timeo && c.timen != timen) ++repeated;
      timeo = c.timeo;
      timen = c.timen;
    }
    EXPECT_GT(repeated, 0);
    EXPECT_NEAR(net.vol(2) - vol2, vdt * tend, 1e-9 * vdt * tend);
    EXPECT_GT(net.p(3) - p3, 0.9 * ramp * tend);
    EXPECT_NEAR(net.vol(3), vol3 * std::exp(cmp * (net.p(3) - p3)), 1e-9 * vol3);
    const double source = fw * fm / (1.0 + fw) * tend;
    EXPECT_NEAR(vapour, source, 1e-9 * source);
  }
}

TEST_F(FltRoutines, ConductanceOrBoundaryNotANumberEndsEveryRoutine) {
  // A heated box (thermal node 100) joined by a GL of 25 W/K to fluid node 2
  // of a water chain fed at 20 C, and fluid node 3 radiating through a GR of
  // 0.25 m2 to deep space (boundary 999 at -270 C). A GL or a space
  // temperature that is not a number must not run on into the results or
  // leave the radiator frozen: every routine ends the run with the
  // temperature box of the first update that meets it, naming the node.
  // The value turns into a non-number in the user's VARIABLES1 block, after
  // the routine's check of its inputs (which refuses it when it is one
  // already, fluid/input_checks.h).
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    Named routine;
    bool gl;  // the box conductor is not a number, else the space temperature
    const char* update;
    const char* node;
  };
  const Case cases[] = {
      {kRoutines[0], true, "SFSTAB", "Node 2 in main model"},
      {kRoutines[0], false, "SFSTAB", "Node 3 in main model"},
      {kRoutines[1], true, "FSTDIF", "Node 100 in main model"},
      {kRoutines[1], false, "FSFDIF", "Node 3 in main model"},
      {kRoutines[2], true, "S4TCLC", "Node 100 in main model"},
      {kRoutines[2], false, "SFSTAB", "Node 3 in main model"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.routine.name) + (c.gl ? ", GL" : ", space temperature"));
    fresh_listing();
    tna_test::FluidModel fm = tna_test::chain(3);
    fm.node(1).status = 'K';
    fm.node(1).fm = 0.01;
    fm.node(1).fr = 20.0;
    fm.node(3).status = 'J';
    for (int h = 0; h < fm.nl(); ++h) fm.link_spec(h).gp = 1.0e20;
    fm.thermal(100, 'D', 20.0, 4000.0).thermal(999, 'B', -270.0);
    const int box = fm.gl(100, 2, 25.0);
    fm.gr(999, 3, 0.25);
    build(fm);
    controls();
    FINITS(" ", -1);
    gar_thermalnodeheatsourcesinternal(fm.tindex(100)) = 400.0;
    const int gl = fm.gl_index(box), space = fm.tindex(999);
    log.variables1 = [&c, gl, space, nan] {
      if (c.gl) gar_linearconds(gl) = nan;
      else gar_thermalnodetemps(space) = nan;
    };
    GLOR.RLCOUR = 1.0;
    GLOR.TIMEND = 100.0;
    GLOR.OUTINT = 100.0;
    EXPECT_THROW(c.routine.run(), plat::ProcessExit);
    const std::string l = listing();
    EXPECT_TRUE(has_message(l, std::string("Temperature > 1.0D10 detected ") + c.node)) << l;
    EXPECT_TRUE(has_reference(l, c.update, 1)) << l;
    EXPECT_NE(l.find("@@@@  FATAL ERROR"), std::string::npos) << l;
    log.variables1 = nullptr;
  }
}

// Undriven water links with DAMPM 0.5 and MINDP 0: each hydraulic pass
// halves their flow. Links with walls keep the walls' laminar resistance
// down to no flow; links without (nodes of no length, a fitting loss
// alone) have a resistance Dn that shrinks with the flow, through the
// denormal numbers, until 1 / Dn is not a number: such a link has no usable
// resistance. Under every routine the flows stay finite and go to (nearly)
// 0, and the pressures stay where they were.
TEST_F(FltRoutines, UndrivenFlowsDecayToZeroAndStayFinite) {
  struct Shape {
    const char* what;
    int nodes;
    char held;  // status of the held nodes
    bool ring;  // a ring with node 1 held, else two held nodes and one link
    bool walls;
  };
  const Shape shapes[] = {{"two J nodes", 2, 'J', false, true},        {"two R nodes", 2, 'R', false, true},
                          {"ring", 4, 'J', true, true},                {"two J nodes, no walls", 2, 'J', false, false},
                          {"two R nodes, no walls", 2, 'R', false, false}, {"ring, no walls", 4, 'J', true, false}};
  for (const Named& r : kRoutines) {
    for (const Shape& sh : shapes) {
      SCOPED_TRACE(std::string(r.name) + ", " + sh.what);
      fresh_listing();
      tna_test::FluidModel fm = sh.ring ? tna_test::ring(sh.nodes, true) : tna_test::chain(sh.nodes);
      fm.node(1).status = sh.held;
      if (!sh.ring) fm.node(sh.nodes).status = sh.held;
      for (int i = 1; i <= sh.nodes; ++i) fm.node(i).fl = sh.walls ? 1.0 : 0.0;
      for (int h = 0; h < fm.nl(); ++h) fm.link_spec(h).gp = sh.walls ? 1.0e20 : 1.0;
      build(fm);
      controls();
      FINITS(" ", -1);
      GLOR.DAMPM = 0.5;
      GLOR.MINDP = 0.0;
      // Twenty steps at DTMIN (the step FLTNTF takes for nodes without
      // length, which have no transit time), each of NLOOP = 100 hydraulic
      // passes that cannot converge: 2,000 halvings.
      GLOR.TIMEND = 2.0e-5;
      GLOR.OUTINT = 1.0e-5;
      GLOR.DTIMEI = 1.0e-6;
      GLOR.DTMAX = 1.0e-6;
      r.run();
      EXPECT_NEAR(GLOR.TIMEO, 2.0e-5, 1e-12);
      for (int k = 1; k <= net.nl; ++k) {
        EXPECT_TRUE(std::isfinite(net.m(k))) << "link " << k;
        EXPECT_LT(std::fabs(net.m(k)), 1.0e-150) << "link " << k;
      }
      for (int i = 1; i <= net.nf; ++i) EXPECT_NEAR(net.p(i), 2.0e5, 1e-6) << "node " << i;
      EXPECT_EQ(listing().find("FATAL"), std::string::npos) << listing();
    }
  }
}

// A fitting loss that turns into a non-number in the user's VARIABLES1
// block (after the routine's check of its inputs) makes the link's
// resistance one: every routine ends the run naming the link, where the
// link would otherwise pass for one without resistance.
TEST_F(FltRoutines, ResistanceNotANumberEndsEveryRoutine) {
  for (const Named& r : kRoutines) {
    SCOPED_TRACE(r.name);
    fresh_listing();
    pipe(3, 300.0, 0.0);
    GLOR.TIMEND = 100.0;
    GLOR.OUTINT = 100.0;
    log.variables1 = [] { gar_massflowlinkfittinglosses(2) = std::numeric_limits<double>::quiet_NaN(); };
    EXPECT_THROW(r.run(), plat::ProcessExit);
    const std::string l = listing();
    EXPECT_TRUE(has_message(l, "Mass-flow link resistance is not a number@Linearising the flow of the link@Dn = NaN"))
        << l;
    EXPECT_NE(l.find("Link 2 in main model"), std::string::npos) << l;
    EXPECT_TRUE(has_reference(l, "FLHYCF", 31)) << l;
    log.variables1 = nullptr;
  }
}

TEST_F(FltRoutines, LateRunEndsAtTimendWithItsFinalOutputs) {
  // From 999 000 s to 1 000 000 s in steps of 50 s (FLTMTS: two sub-steps
  // of 25 s each): every routine makes the last step to TIMEND and its
  // OUTPUTS there, however large the clock is against the step.
  for (const Named& r : kRoutines) {
    SCOPED_TRACE(r.name);
    rc(1.0e4, 1.0, 10.0);
    log.calls.clear();
    GLOR.TIMEO = 999000.0;
    GLOR.TIMEND = 1.0e6;
    GLOR.OUTINT = 500.0;
    GLOR.DTIMEI = 50.0;
    GLOR.DTMAX = 50.0;
    GLOI.FSTEPS = 2;
    r.run();
    EXPECT_EQ(ends_of("OUTPUTS"), (std::vector<double>{999000.0, 999500.0, 1.0e6}));
    const std::vector<double> v2 = ends_of("VARIABLES2");
    const bool sub = std::string(r.name) == "FLTMTS";
    ASSERT_EQ(v2.size(), sub ? 40u : 20u);
    for (std::size_t k = 0; k < v2.size(); ++k) EXPECT_EQ(v2[k], 999000.0 + (sub ? 25.0 : 50.0) * (k + 1.0)) << k;
    EXPECT_EQ(GLOR.TIMEO, 1.0e6);
    // 1000 s of a node of time constant 1.0E4 s heated from 0 by 10 W
    // through 1 W/K: 10 (1 - e^-0.1), to the error of each method (the
    // explicit one's is 2.3E-3).
    EXPECT_NEAR(gar_thermalnodetemps(1), 10.0 * (1.0 - std::exp(-0.1)), 3e-3);
  }
}

TEST_F(FltRoutines, CyclicDriverRepeatsEachRoutine) {
  // A capacity heated in the first half of each 200-second period reaches
  // its periodic state under every routine, each cycle run as "CYFL1P".
  for (const Named& r : kRoutines) {
    SCOPED_TRACE(r.name);
    rc(100.0, 1.0, 0.0);
    log.calls.clear();
    GLOR.DTIMEI = 2.0;
    GLOR.DTMAX = 2.0;
    GLOR.OUTINT = 100.0;
    GLOR.RELXCA = 1.0e-10;
    GLOI.FSTEPS = 2;
    std::vector<std::string> codes;
    log.variables1 = [&] {
      gar_thermalnodeheatsourcesinternal(1) = std::fmod(GLOR.TIMEM, 200.0) < 100.0 ? 10.0 : 0.0;
      codes.push_back(std::string(GLOC.SOLVER.trimmed()));
    };
    raise_tops(9, 9);
    SOLCYC(r.name, 1.0e-6, 1.0e10, 200.0, 100, " ", "NONE");
    log.variables1 = nullptr;
    ASSERT_FALSE(codes.empty());
    for (std::size_t k = 1; k < codes.size(); ++k) EXPECT_EQ(codes[k], "CYFL1P");
    EXPECT_EQ(GLOC.SOLVER.trimmed(), "");
    EXPECT_EQ(GLOR.TIMEO, 0.0);
    // The periodic start value: T0 = T0 e^-2 + 10 (1 - e^-1) e^-1, to the
    // error of the steps of 2 s (2 % for the explicit one).
    const double e1 = std::exp(-1.0), e2 = std::exp(-2.0);
    EXPECT_NEAR(gar_thermalnodetemps(1), 10.0 * (1.0 - e1) * e1 / (1.0 - e2), 0.05);
    EXPECT_EQ(listing().find("Failed to converge"), std::string::npos);
    expect_tops(9, 9);
  }
}

// ---------------------------------------------------------------------------
// FLTNTF

TEST_F(FltRoutines, FltntfFirstStepComesFromTheLimitsNotFromDtimei) {
  // C / G = 100 s. The first step is min(0.95 CSGMIN, RLCOUR DTCOUR) held
  // within DTMIN..DTMAX; the user's DTIMEI plays no part, even undefined.
  struct Case {
    const char* what;
    double rlcour, dtcour, dtmin, dtmax;
    double step;
  };
  const double share = static_cast<double>(0.95f);
  const Case cases[] = {
      {"stability limit", 1.0, 1.0e38, 1.0e-6, 1000.0, share * 100.0},
      {"stability limit held at DTMAX", 1.0, 1.0e38, 1.0e-6, 10.0, 10.0},
      {"transit limit", 0.5, 60.0, 1.0e-6, 1000.0, 30.0},
      {"DTMIN above both", 0.5, 60.0, 200.0, 1000.0, 200.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    rc(100.0, 1.0, 10.0);
    log.calls.clear();
    GLOR.RLCOUR = c.rlcour;
    GLOR.DTCOUR = c.dtcour;
    GLOR.DTMIN = c.dtmin;
    GLOR.DTMAX = c.dtmax;
    GLOR.DTIMEI = tna_test::undefined_real();
    GLOR.TIMEND = 1000.0;
    GLOR.OUTINT = 1000.0;
    FLTNTF();
    // The driver's two VARIABLES1 calls and the output at TIMEO see TIMEN =
    // TIMEO; the first step follows.
    ASSERT_GE(log.calls.size(), 4u);
    EXPECT_EQ(log.calls[0].timen, 0.0);
    EXPECT_EQ(log.calls[1].soltyp, "THERMAL");
    EXPECT_EQ(log.calls[2].block, "OUTPUTS");
    EXPECT_EQ(log.calls[2].timen, 0.0);
    const std::vector<double> v2 = ends_of("VARIABLES2");
    ASSERT_FALSE(v2.empty());
    EXPECT_EQ(v2[0], c.step);
    EXPECT_EQ(listing(), "");
  }
}

TEST_F(FltRoutines, FltntfErrorIsFirstOrderInTheStep) {
  // C = 100 J/K, G = 1 W/K, Q = 10 W over one time constant: the explicit
  // step halves its error when the step halves.
  std::vector<double> errors;
  for (double dt : {10.0, 5.0, 2.5}) {
    SCOPED_TRACE(dt);
    rc(100.0, 1.0, 10.0);
    GLOR.TIMEND = 100.0;
    GLOR.OUTINT = 100.0;
    GLOR.DTMAX = dt;
    FLTNTF();
    const double exact = 10.0 * (1.0 - std::exp(-1.0));
    errors.push_back(std::fabs(gar_thermalnodetemps(1) - exact));
    EXPECT_GT(gar_thermalnodetemps(1), exact);  // forward Euler runs ahead: (1 - h)^n < e^-nh
  }
  EXPECT_NEAR(errors[0] / errors[1], 2.0, 0.1);
  EXPECT_NEAR(errors[1] / errors[2], 2.0, 0.1);
}

TEST_F(FltRoutines, FltntfTransportDelayWithoutThroughFlow) {
  // A water node without links, warmed by a wall at 50 C through 1 W/K: no
  // through-flow makes the residence time infinite, and the delayed update
  // is the plain explicit one, with TIMELA "YES" as without.
  std::vector<double> finals;
  for (const char* timela : {"NO", "YES"}) {
    SCOPED_TRACE(timela);
    tna_test::FluidModel fm;
    fm.thermal(100, 'B', 50.0);
    fm.fluid(1);
    fm.gl(100, 1, 1.0);
    build(fm);
    controls();
    net.fla(1) = kArea;
    net.vol(1) = kArea;
    GLOC.TIMELA = timela;
    GLOR.TIMEND = 100.0;
    GLOR.OUTINT = 100.0;
    FLTNTF();
    EXPECT_EQ(listing(), "");
    finals.push_back(gar_fluidnodetemps(1));
  }
  EXPECT_GT(finals[0], 20.0);
  EXPECT_LT(finals[0], 50.0);
  EXPECT_EQ(finals[1], finals[0]);
}

TEST_F(FltRoutines, FltntfFluidUpdateNamesTheNodeItself) {
  // Without thermal nodes fluid node i is node NT + i = i: the explicit
  // update reports the smallest ratio and every property message for that
  // node, also for the last one. Node 3 is the shortest.
  pipe(4, 160.0, 0.0);
  gar_massflowlinkconds(1) = gar_massflowlinkconds(2) = gar_massflowlinkconds(3) = 0.01 * 4180.0;
  std::vector<double> v(16, 0.0);
  auto at = [&](int k) { return FlReals(v.data() + 4 * k, 4); };
  FlStepArrays s{FlReals(), FlReals(), FlReals(), at(0), FlReals(), at(1)};
  FlReals vrate = at(2);
  for (int i = 1; i <= 4; ++i) s.tfold(i) = s.tfnew(i) = 20.0;
  // The last node far above the range of the liquid tables: its property
  // warnings name it.
  s.tfold(4) = s.tfnew(4) = 500.0;
  FlTimeLag lag;
  GLOR.CSGMIN = 1.0e38;
  GLOI.NCSGMN = -1;
  FSFDIF(net, 1.0, s, vrate, lag);
  const std::string l = listing();
  EXPECT_EQ(l.find("Invalid node number"), std::string::npos) << l;
  EXPECT_NE(l.find("Node 4 in main model"), std::string::npos) << l;
  EXPECT_EQ(GLOI.NCSGMN, 3);
  // Node 2: one explicit step from the inlet at 20 C is no change at all.
  EXPECT_EQ(s.tfnew(2), 20.0);
}

// ---------------------------------------------------------------------------
// FLTMTS

TEST_F(FltRoutines, FltmtsSubStepsOfAThermalStep) {
  // DTIMEI 10 s, output at 18 s: thermal steps of 9 s (the remainder of two
  // steps split in two). With FSTEPS 4 the sub-steps are DTIMIF = 2.5 s
  // while more than two remain, then the rest in two equal halves: 2.5,
  // 2.5, 2, 2. With FSTEPS 1 one sub-step covers the thermal step.
  struct Case {
    int fsteps;
    std::vector<double> ends;
    std::vector<double> thermal_ends;  // TIMENT at each VARIABLES2
  };
  const Case cases[] = {
      {4, {2.5, 5.0, 7.0, 9.0, 11.5, 14.0, 16.0, 18.0}, {9.0, 9.0, 9.0, 9.0, 18.0, 18.0, 18.0, 18.0}},
      {1, {9.0, 18.0}, {9.0, 18.0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fsteps);
    rc(100.0, 1.0, 10.0);
    log.calls.clear();
    GLOR.DTIMEI = 10.0;
    GLOR.OUTINT = 18.0;
    GLOR.TIMEND = 18.0;
    GLOI.FSTEPS = c.fsteps;
    std::vector<double> thermal_ends;
    std::vector<std::pair<double, double>> thermal_steps;  // at each thermal step's sweeps
    log.variables2 = [&] { thermal_ends.push_back(GLOR.TIMENT); };
    FLTMTS();
    EXPECT_EQ(ends_of("VARIABLES2"), c.ends);
    EXPECT_EQ(thermal_ends, c.thermal_ends);
    EXPECT_EQ(ends_of("OUTPUTS"), (std::vector<double>{0.0, 18.0}));
    EXPECT_EQ(GLOR.DTIMIF, 10.0 / c.fsteps);
    EXPECT_EQ(GLOR.TIMEO, 18.0);
    EXPECT_EQ(GLOC.MODULE.trimmed(), "FLTMTS");
    EXPECT_EQ(listing(), "");
  }
}

}  // namespace
}  // namespace fluid_test
