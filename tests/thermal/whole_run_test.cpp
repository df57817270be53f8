// Whole runs of the thermal solution routines against physics: one table
// of the transient routines run over small models with known answers (RC
// nodes relaxing to a boundary, a two-node system in closed form, with the
// fixed-step routines' errors falling as their order says), over a mixed
// model (radiation, a node without capacitance, a tied node, a boundary, a
// time-varying source, node numbers given out of order) whose stored heat
// must follow its source and its flows into the boundary, and against each
// other; steps rejected by the change limits; a cyclic run whose answer
// repeats and balances its heat; steady states by hand; and the mixed
// model split into two submodels joined by inter-model conductors and a
// tie across models, loaded from a written model database, giving the
// temperatures of the one-model form.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "thermal/crank_nicolson.h"
#include "thermal/cyclic.h"
#include "thermal/explicit_forward.h"
#include "thermal/forward_backward.h"
#include "thermal/gear.h"
#include "thermal/modal.h"
#include "thermal/steady_state.h"
#include "tools/fuzz/load_harness.h"
#include "tools/mdb_writer.h"
#include "transient_fixture.h"

namespace {

using cn_test::kSigma;
using cn_test::kTabs;

constexpr double kPi = 3.14159265358979323846;

struct Routine {
  const char* name;
  void (*run)();
  int order;      // 1 or 2: the error of a fixed-step routine falls as the step to this power; 0: not fixed-step
  double relxca;  // the convergence (or, for SLGEAR, error-control) limit the runs take
  double tol;     // largest error allowed against a closed form at steps of 0.1 s (time constants of seconds)
  double energy;  // largest miss of the mixed model's heat balance (J), steps of 0.5 s
  double dtimei;  // first step when not the step of the run
  double agree;   // largest difference from SLCRNC on the mixed model (K)
};

// clang-format off
const Routine kRoutines[] = {
    {"SLCRNC", SLCRNC, 2, 1e-9, 0.03, 1e-3, 0.0, 0.0},
    {"SLFWBK", SLFWBK, 2, 1e-9, 0.03, 1e-3, 0.0, 0.01},
    // First order and explicit; its heat balance is exact in its own rule
    // (flows at the step start), which the test applies to it.
    {"SLFRWD", SLFRWD, 1, 1e-9, 1.5, 1e-3, 0.0, 0.5},
    // Step and order by its own control, from a short first step: the
    // corrector's last increment, which its step test reads, is of the
    // size of the rounding on a linear network, so a first step is never
    // rejected.
    {"SLGEAR", SLGEAR, 0, 1e-6, 0.01, 1.0, 1e-3, 0.05},
    // Exact for the capacitive nodes of a linear network; the nodes without
    // capacitance are balanced after each modal step, which makes the heat
    // balance of a model with them first order in the step (12.7 J at
    // 0.5 s, 6.3 J at 0.25 s).
    {"SLMODE", SLMODE, 0, 1e-9, 1e-6, 15.0, 0.0, 0.15},
};
// clang-format on

// One output: its time and the temperatures of the nodes (by index).
struct Out {
  double time;
  std::vector<double> t;
};

class WholeRun : public cn_test::Transient {
 protected:
  // Control constants of a run from 0 to `end` with outputs every `outint`
  // and steps of at most `dt`.
  void times(double end, double outint, double dt) {
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = end;
    GLOR.OUTINT = outint;
    GLOR.DTIMEI = dt;
    GLOR.DTMAX = dt;
    GLOR.DTMIN = dt * 1e-4;
    GLOR.DTPMAX = 1e10;
    GLOR.DTROCA = 1e10;
    GLOR.RELXCA = 1e-9;
    GLOI.NLOOP = 200;
  }
  // Runs a routine, recording every output; a fatal end fails the test.
  std::vector<Out> run(const Routine& r) {
    std::vector<Out> outs;
    auto previous = tna_test::model.outputs;
    tna_test::model.outputs = [&] {
      if (previous) previous();
      Out o{GLOR.TIMEN, {}};
      for (int i = 1; i <= FLAGS(1); ++i) o.t.push_back(gar_thermalnodetemps(i));
      outs.push_back(std::move(o));
    };
    try {
      r.run();
    } catch (const plat::ProcessExit&) {
      ADD_FAILURE() << r.name << " ended the run\n" << listing();
    }
    tna_test::model.outputs = previous;
    return outs;
  }
};

// ---------------------------------------------------------------------------
// RC nodes and a two-node system against their closed forms.

struct ClosedForm {
  const char* what;
  std::function<void(tna_test::Network&)> build;
  std::vector<std::pair<int, double>> caps;
  std::function<double(int, double)> exact;  // temperature of node (number) n at time t
};

// Two RC nodes to one boundary at 20 (the modal routine needs two
// capacitive nodes): node 1 C = 10, G = 2, from 100; node 3 C = 4, G = 1,
// from -40.
ClosedForm rc_nodes() {
  return {"RC nodes",
          [](tna_test::Network& n) {
            cn_test::rc(n, 100.0, 20.0, 2.0);
            n.node(3, 'D', -40.0);
            n.gl(3, 2, 1.0);
          },
          {{1, 10.0}, {3, 4.0}},
          [](int n, double t) {
            return n == 1 ? 20.0 + 80.0 * std::exp(-0.2 * t) : n == 3 ? 20.0 - 60.0 * std::exp(-0.25 * t) : 20.0;
          }};
}

// Two coupled nodes: C1 = 4 (from 100), C2 = 6 (from 0), G12 = 3, node 2 to
// a boundary at 0 by G = 1: T' = A T with A = [[-3/4, 3/4], [1/2, -2/3]],
// exp(At) = (e1 (A - l2 I) - e2 (A - l1 I)) / (l1 - l2).
ClosedForm two_nodes() {
  const double a11 = -0.75, a12 = 0.75, a21 = 0.5, a22 = -4.0 / 6.0;
  const double tr = a11 + a22, det = a11 * a22 - a12 * a21, disc = std::sqrt(tr * tr - 4 * det);
  const double l1 = 0.5 * (tr + disc), l2 = 0.5 * (tr - disc);
  return {"two nodes",
          [](tna_test::Network& n) {
            n.node(1, 'D', 100.0).node(2, 'D', 0.0).node(3, 'B', 0.0);
            n.gl(1, 2, 3.0);
            n.gl(2, 3, 1.0);
          },
          {{1, 4.0}, {2, 6.0}},
          [=](int n, double t) {
            if (n == 3) return 0.0;
            const double e1 = std::exp(l1 * t), e2 = std::exp(l2 * t);
            const double a = n == 1 ? a11 : a21, diag = n == 1 ? 1.0 : 0.0;
            return 100.0 * (e1 * (a - l2 * diag) - e2 * (a - l1 * diag)) / (l1 - l2);
          }};
}

// Each routine follows the closed forms at every output within its own
// error; the fixed-step routines' errors fall as their order says when the
// step is halved.
TEST_F(WholeRun, RcNodesAndTwoNodeSystemFollowTheirClosedForms) {
  for (const ClosedForm& m : {rc_nodes(), two_nodes()}) {
    for (const Routine& r : kRoutines) {
      SCOPED_TRACE(std::string(m.what) + " by " + r.name);
      double errors[2] = {0.0, 0.0};
      for (int half = 0; half < 2; ++half) {
        tna_test::Network net;
        m.build(net);
        cn_test::build_with_caps(net, m.caps);
        cn_test::give_core(8000, 101, 101);
        times(10.0, 1.0, half ? 0.05 : 0.1);
        GLOR.RELXCA = r.relxca;
        if (r.dtimei > 0.0) GLOR.DTIMEI = r.dtimei;
        fresh_listing();
        const std::vector<Out> outs = run(r);
        ASSERT_EQ(outs.size(), 11u);
        EXPECT_EQ(outs.back().time, 10.0);
        for (const Out& o : outs)
          for (int n : {1, 2, 3})
            errors[half] = std::max(errors[half], std::fabs(o.t[static_cast<std::size_t>(net.index(n) - 1)] -
                                                            m.exact(n, o.time)));
      }
      EXPECT_LT(errors[0], r.tol);
      if (r.order > 0) {
        const double ratio = errors[0] / errors[1], want = std::pow(2.0, r.order);
        EXPECT_GT(ratio, 0.8 * want) << errors[0] << " " << errors[1];
        EXPECT_LT(ratio, 1.25 * want) << errors[0] << " " << errors[1];
      }
    }
  }
}

// ---------------------------------------------------------------------------
// The mixed model: node numbers given out of order; node 30 (C 50) heated by
// 20 + 10 sin(2 pi t / 50) W; node 10 without capacitance between 30 and 20;
// node 20 (C 30) radiating to the boundary 40 at -20 C; node 5 tied to 20
// (its conductor to 30 acts at 20); node 10 also conducting to 40.

constexpr double kQ0 = 20.0, kQ1 = 10.0, kPeriod = 50.0;
double source(double t) { return kQ0 + kQ1 * std::sin(2.0 * kPi * t / kPeriod); }
double source_integral(double a, double b) {
  const double w = 2.0 * kPi / kPeriod;
  return kQ0 * (b - a) - kQ1 / w * (std::cos(w * b) - std::cos(w * a));
}

struct Mixed {
  tna_test::Network net;
  int n30 = 0, n10 = 0, n20 = 0, n40 = 0, n5 = 0;
  int gr = 0;
  int g30_10 = 0, g10_20 = 0, g5_30 = 0;  // global indices of the inner conductors
  // With `inactive`, parts that must carry no heat: inactive conductors
  // 30-40 and 10-40 (radiative), and an inactive node 50 at 500 C joined to
  // node 30 by an active conductor and to node 20 by an inactive one.
  void build(bool inactive = false) {
    net.node(30, 'D', 40.0).node(10, 'D', 25.0).node(40, 'B', -20.0).node(20, 'D', 20.0).node(5, 'D', 20.0);
    if (inactive) {
      net.gl(30, 40, 100.0, 'I');
      net.gr(10, 40, 5.0, 'I');
      net.node(50, 'X', 500.0);
      net.gl(50, 30, 10.0);
      net.gl(50, 20, 10.0, 'I');
    }
    const int a = net.gl(30, 10, 2.0);
    const int b = net.gl(10, 20, 1.5);
    gr = net.gr(40, 20, 0.05);
    net.gl(40, 10, 0.5);
    const int c = net.gl(5, 30, 1.0);
    net.tie(20, {5});
    cn_test::build_with_caps(net, {{30, 50.0}, {20, 30.0}});
    cn_test::give_core(8000, 101, 101);
    n30 = net.index(30), n10 = net.index(10), n20 = net.index(20), n40 = net.index(40), n5 = net.index(5);
    g30_10 = net.gl_index(a), g10_20 = net.gl_index(b), g5_30 = net.gl_index(c);
    tna_test::model.variables1 = [this] { gar_thermalnodeheatsourcesinternal(n30) = source(GLOR.TIMEM); };
  }
  double stored() const { return 50.0 * gar_thermalnodetemps(n30) + 30.0 * gar_thermalnodetemps(n20); }
  // Heat flowing into the boundary.
  double to_boundary() const {
    const double tb = gar_thermalnodetemps(n40);
    const double t20 = gar_thermalnodetemps(n20) + kTabs, tbk = tb + kTabs;
    return 0.5 * (gar_thermalnodetemps(n10) - tb) + 0.05 * kSigma * (std::pow(t20, 4) - std::pow(tbk, 4));
  }
};

// What a run of the mixed model showed.
struct MixedRun {
  std::vector<Out> outs;
  double gained = 0.0, supplied = 0.0, flowed = 0.0, exact_supplied = 0.0;
  double worst_balance = 0.0;  // of node 10, after each accepted step
  double worst_tie = 0.0;      // between nodes 5 and 20
  double worst_change = 0.0;   // largest change of a capacitive node in one accepted step
  int accepted = 0;
  int rejected = 0;  // attempts from a step start cut short before any was accepted
  double shortest = 1e300;     // shortest accepted step
  double longest = 0.0;        // longest accepted step
};

// Every routine keeps the heat: the change of stored heat over the run is
// the heat of the source less the flows into the boundary, both summed over
// the accepted steps; node 10 stays in balance, node 5 at node 20's
// temperature.
class MixedModel : public WholeRun {
 protected:
  // Runs the mixed model from 0 to 200 s with steps of at most `dt`,
  // after `setup` has set further control constants.
  MixedRun mixed(const Routine& r, double dt, const std::function<void()>& setup = {}) {
    MixedRun res;
    Mixed m;
    m.build(inactive_);
    times(200.0, 20.0, dt);
    GLOR.RELXCA = r.relxca;
    if (r.dtimei > 0.0) GLOR.DTIMEI = r.dtimei;
    if (setup) setup();
    fresh_listing();
    const double e0 = m.stored();
    double last_time = 0.0, last_flow = 0.0, t30 = gar_thermalnodetemps(m.n30), t20 = gar_thermalnodetemps(m.n20);
    bool started = false;
    double v1_start = -1.0, v1_end = -1.0;
    tna_test::model.variables1 = [&] {
      gar_thermalnodeheatsourcesinternal(m.n30) = source(GLOR.TIMEM);
      if (vary_) {
        // Inner conductors that change with time move heat between the
        // nodes but can neither make nor lose any.
        const double t = GLOR.TIMEM;
        gar_linearconds(m.g30_10) = 2.0 + std::sin(2.0 * kPi * t / 37.0);
        gar_linearconds(m.g10_20) = 1.5 + 0.7 * std::sin(2.0 * kPi * t / 23.0);
        gar_linearconds(m.g5_30) = 1.0 + 0.5 * std::sin(2.0 * kPi * t / 61.0);
      }
      if (GLOR.TIMEO == v1_start && GLOR.TIMEN < v1_end) ++res.rejected;
      v1_start = GLOR.TIMEO;
      v1_end = GLOR.TIMEN;
    };
    tna_test::model.variables2 = [&] {
      v1_start = -1.0;
      const double now = GLOR.TIMEN, flow = m.to_boundary();
      // The explicit routine's own rule takes the flows at the step start.
      if (started) {
        res.flowed += (r.run == SLFRWD ? last_flow : 0.5 * (flow + last_flow)) * (now - last_time);
        // The source by the routine's own rule: Crank-Nicolson takes it at
        // both ends of the step, the others at the middle.
        res.supplied += r.run == SLCRNC ? 0.5 * (source(last_time) + source(now)) * (now - last_time)
                                         : source(0.5 * (last_time + now)) * (now - last_time);
      }
      started = true;
      ++res.accepted;
      res.shortest = std::min(res.shortest, now - last_time);
      res.longest = std::max(res.longest, now - last_time);
      last_time = now;
      last_flow = flow;
      const double t10 = gar_thermalnodetemps(m.n10), n30 = gar_thermalnodetemps(m.n30);
      const double n20 = gar_thermalnodetemps(m.n20), t40 = gar_thermalnodetemps(m.n40);
      res.worst_balance = std::max(res.worst_balance, std::fabs(gar_linearconds(m.g30_10) * (n30 - t10) +
                                                                gar_linearconds(m.g10_20) * (n20 - t10) +
                                                                0.5 * (t40 - t10)));
      res.worst_tie = std::max(res.worst_tie, std::fabs(gar_thermalnodetemps(m.n5) - n20));
      res.worst_change = std::max({res.worst_change, std::fabs(n30 - t30), std::fabs(n20 - t20)});
      t30 = n30;
      t20 = n20;
    };
    // The first step's start: the state before the run, its node 10 in balance.
    tna_test::model.outputs = [&] {
      if (started || GLOR.TIMEN != 0.0) return;
      started = true;
      last_time = 0.0;
      last_flow = m.to_boundary();
    };
    res.outs = run(r);
    tna_test::model.reset();
    res.gained = m.stored() - e0;
    res.exact_supplied = source_integral(0.0, 200.0);
    return res;
  }
  void expect_heat_kept(const MixedRun& res, double tol) {
    EXPECT_NEAR(res.gained, res.supplied - res.flowed, tol)
        << "gained " << res.gained << " supplied " << res.supplied << " flowed " << res.flowed;
    EXPECT_LT(res.worst_balance, 1e-5);
    EXPECT_LT(res.worst_tie, 1e-12);
  }
  bool vary_ = false;      // the inner conductors change with time
  bool inactive_ = false;  // the model has its inactive parts
  // Largest difference of two runs at their outputs.
  static double difference(const std::vector<Out>& a, const std::vector<Out>& b) {
    double worst = 0.0;
    for (std::size_t o = 0; o < a.size() && o < b.size(); ++o)
      for (std::size_t i = 0; i < a[o].t.size(); ++i) worst = std::max(worst, std::fabs(a[o].t[i] - b[o].t[i]));
    return worst;
  }
};

// ... and the routines agree with each other.
TEST_F(MixedModel, EveryRoutineKeepsTheHeatAndAgrees) {
  std::vector<std::vector<Out>> results;
  for (const Routine& r : kRoutines) {
    SCOPED_TRACE(r.name);
    const MixedRun res = mixed(r, 0.5);
    ASSERT_EQ(res.outs.size(), 11u);
    expect_heat_kept(res, r.energy);
    results.push_back(res.outs);
  }
  // Against Crank-Nicolson at the outputs.
  for (std::size_t k = 1; k < results.size(); ++k) {
    SCOPED_TRACE(kRoutines[k].name);
    ASSERT_EQ(results[k].size(), results[0].size());
    EXPECT_LT(difference(results[k], results[0]), kRoutines[k].agree);
  }
}

// The inner conductors (30-10, 10-20 and 5-30, which acts at node 20
// through the tie) change with time in VARIABLES1. They move heat between
// the nodes but can make none: Crank-Nicolson, whose start rates are those
// of the last step's end, keeps the heat as with fixed conductors, and so
// do the Gear and modal routines within their own errors. The explicit
// and forward-backward routines take their start flows with the new
// conductors and the node without capacitance still at its balance under
// the old ones; the heat that makes falls as the step (2.8 J and 5.6 J at
// 0.5 s, 1.3 J and 2.5 J at 0.25 s, 0.6 J and 1.2 J at 0.125 s).
TEST_F(MixedModel, ChangingInnerConductorsMakeNoHeat) {
  vary_ = true;
  for (const Routine& r : kRoutines) {
    SCOPED_TRACE(r.name);
    const MixedRun res = mixed(r, 0.5);
    ASSERT_EQ(res.outs.size(), 11u);
    if (r.run != SLFWBK && r.run != SLFRWD) {
      expect_heat_kept(res, r.energy);
      continue;
    }
    const MixedRun half = mixed(r, 0.25);
    const double made = res.gained - (res.supplied - res.flowed);
    const double made_half = half.gained - (half.supplied - half.flowed);
    EXPECT_LT(std::fabs(made), 12.0 * 0.5);
    EXPECT_NEAR(made / made_half, 2.0, 0.3) << made << " " << made_half;
    EXPECT_LT(half.worst_balance, 1e-5);
    EXPECT_LT(half.worst_tie, 1e-12);
  }
}

// Inactive conductors and an inactive node carry no heat: every routine
// keeps the heat of the active network and gives its temperatures (node 50,
// numbered last, follows the others in the node order).
TEST_F(MixedModel, InactivePartsCarryNoHeat) {
  for (const Routine& r : kRoutines) {
    SCOPED_TRACE(r.name);
    inactive_ = false;
    const MixedRun plain = mixed(r, 0.5);
    inactive_ = true;
    const MixedRun res = mixed(r, 0.5);
    ASSERT_EQ(res.outs.size(), plain.outs.size());
    expect_heat_kept(res, r.energy);
    double worst = 0.0;
    for (std::size_t o = 0; o < res.outs.size(); ++o) {
      for (std::size_t i = 0; i < plain.outs[o].t.size(); ++i)
        worst = std::max(worst, std::fabs(res.outs[o].t[i] - plain.outs[o].t[i]));
      EXPECT_EQ(res.outs[o].t.back(), 500.0);
    }
    EXPECT_LT(worst, 1e-9);
  }
}

// Long first steps under a limit of 0.5 K per step (DTPMAX): the routines
// that limit the change of a step reject and shorten their steps, keep
// every accepted step within the limit, keep the heat, and end where short
// steps end.
TEST_F(MixedModel, RejectedStepsKeepTheHeatAndTheLimit) {
  const MixedRun reference = mixed(kRoutines[0], 0.5);
  for (const Routine& r : kRoutines) {
    if (r.run != SLCRNC && r.run != SLFWBK && r.run != SLMODE) continue;
    SCOPED_TRACE(r.name);
    const MixedRun res = mixed(r, 20.0, [] {
      GLOR.DTPMAX = 0.5;
      GLOR.DTMIN = 1e-3;
    });
    ASSERT_EQ(res.outs.size(), 11u);
    // The modal routine retries without calling a block: its steps, each
    // tried first at 0.95 CSGMIN (about 9.8 s), show the cuts.
    if (r.run == SLMODE) {
      EXPECT_LT(res.shortest, 5.0);
    } else {
      EXPECT_GT(res.rejected, 0);
    }
    // The modal routine's balance of node 10 after each step is first order
    // in its (now longer) steps.
    expect_heat_kept(res, r.run == SLMODE ? 60.0 : 1e-3);
    EXPECT_LE(res.worst_change, 0.5 * (1.0 + 1e-9));
    EXPECT_LT(difference(res.outs, reference.outs), r.run == SLMODE ? 0.6 : 0.1);
  }
  // The explicit routine, allowed steps of 20 s, keeps to 0.95 of the
  // smallest time constant (node 20: at most 30 / 2.5 s, less with its
  // radiation), and still keeps the heat by its own rule.
  {
    SCOPED_TRACE("SLFRWD at its stability limit");
    const MixedRun res = mixed(kRoutines[2], 20.0);
    ASSERT_EQ(res.outs.size(), 11u);
    EXPECT_LT(res.longest, 0.95 * 30.0 / 2.5);
    EXPECT_GT(res.longest, 5.0);
    expect_heat_kept(res, 1e-3);
    EXPECT_LT(difference(res.outs, reference.outs), 1.0);
  }
  // Crank-Nicolson also rejects steps whose rates change too much (DTROCA).
  SCOPED_TRACE("SLCRNC by DTROCA");
  const MixedRun res = mixed(kRoutines[0], 20.0, [] {
    GLOR.DTROCA = 0.002;
    GLOR.DTMIN = 1e-3;
  });
  ASSERT_EQ(res.outs.size(), 11u);
  EXPECT_GT(res.rejected, 0);
  expect_heat_kept(res, 1e-3);
  EXPECT_LT(difference(res.outs, reference.outs), 0.1);
}

// The cyclic routine over the mixed model with its periodic source: the
// converged answer repeats itself over a further period, and over that
// period the heat of the source leaves into the boundary.
TEST_F(MixedModel, CyclicAnswerRepeatsAndBalancesItsHeat) {
  for (const Routine& r : kRoutines) {
    if (r.run != SLCRNC && r.run != SLFWBK) continue;
    SCOPED_TRACE(r.name);
    Mixed m;
    m.build();
    times(kPeriod, 10.0, 0.25);
    fresh_listing();
    try {
      SOLCYC(std::string(r.name) + "  ", 1e-7, 1e10, kPeriod, 200, " ", "NONE");
    } catch (const plat::ProcessExit&) {
      ADD_FAILURE() << listing();
      continue;
    }
    std::vector<double> start;
    for (int i = 1; i <= FLAGS(1); ++i) start.push_back(gar_thermalnodetemps(i));
    const double e0 = m.stored();
    double last_time = 0.0, last_flow = m.to_boundary(), flowed = 0.0, supplied = 0.0;
    tna_test::model.variables2 = [&] {
      const double now = GLOR.TIMEN, flow = m.to_boundary();
      flowed += 0.5 * (flow + last_flow) * (now - last_time);
      supplied += r.run == SLCRNC ? 0.5 * (source(last_time) + source(now)) * (now - last_time)
                                  : source(0.5 * (last_time + now)) * (now - last_time);
      last_time = now;
      last_flow = flow;
    };
    times(kPeriod, 10.0, 0.25);
    r.run();
    // The blocks capture this pass's locals: the next routine's run must
    // not call them.
    tna_test::model.reset();
    for (int i = 1; i <= FLAGS(1); ++i)
      EXPECT_NEAR(gar_thermalnodetemps(i), start[static_cast<std::size_t>(i - 1)], 1e-4) << "node index " << i;
    EXPECT_NEAR(m.stored() - e0, 0.0, 5e-3);
    EXPECT_NEAR(supplied, kQ0 * kPeriod, 1e-6);
    EXPECT_NEAR(flowed, supplied, 5e-3);
  }
}

// ---------------------------------------------------------------------------
// Steady states by hand.

TEST_F(WholeRun, SteadyStatesOfAChainARadiatorAndTheMixedModel) {
  struct Case {
    const char* what;
    std::function<void(tna_test::Network&)> build;
    std::function<void(const tna_test::Network&)> check;
  };
  const double q = 12.0, tb = -10.0;
  const Case cases[] = {
      // Chain 4 - 2 - 7 - 1 (node numbers out of order), 12 W into node 4,
      // node 1 a boundary at -10: each node stands Q / G above the next.
      {"chain",
       [&](tna_test::Network& n) {
         n.node(4, 'D', 0.0, q).node(2, 'D', 0.0).node(7, 'D', 0.0).node(1, 'B', tb);
         n.gl(7, 1, 3.0);
         n.gl(2, 4, 0.5);
         n.gl(2, 7, 2.0);
       },
       [&](const tna_test::Network& n) {
         const double t7 = tb + q / 3.0, t2 = t7 + q / 2.0, t4 = t2 + q / 0.5;
         EXPECT_NEAR(gar_thermalnodetemps(n.index(7)), t7, 1e-6);
         EXPECT_NEAR(gar_thermalnodetemps(n.index(2)), t2, 1e-6);
         EXPECT_NEAR(gar_thermalnodetemps(n.index(4)), t4, 1e-6);
         EXPECT_EQ(gar_thermalnodetemps(n.index(1)), tb);
       }},
      // A plate of 0.2 m2 (emissivity 0.8) taking 30 W, radiating to space at
      // -270 C: sigma eps A (T^4 - Tb^4) = Q.
      {"radiator",
       [](tna_test::Network& n) {
         n.node(1, 'D', 20.0, 30.0).node(9, 'B', -270.0);
         n.gr(1, 9, 0.16);
       },
       [](const tna_test::Network& n) {
         const double tk = std::pow(30.0 / (kSigma * 0.16) + std::pow(-270.0 + kTabs, 4), 0.25);
         EXPECT_NEAR(gar_thermalnodetemps(n.index(1)), tk - kTabs, 1e-5);
       }},
      // The mixed model with 25 W into node 30: they all leave into node 40.
      {"mixed",
       [](tna_test::Network& n) {
         n.node(30, 'D', 40.0, 25.0).node(10, 'D', 25.0).node(40, 'B', -20.0).node(20, 'D', 20.0).node(5, 'D', 20.0);
         n.gl(30, 10, 2.0);
         n.gl(10, 20, 1.5);
         n.gr(40, 20, 0.05);
         n.gl(40, 10, 0.5);
         n.gl(5, 30, 1.0);
         n.tie(20, {5});
       },
       [](const tna_test::Network& n) {
         auto t = [&](int num) { return gar_thermalnodetemps(n.index(num)); };
         const double out = 0.5 * (t(10) - t(40)) +
                            0.05 * kSigma * (std::pow(t(20) + kTabs, 4) - std::pow(t(40) + kTabs, 4));
         EXPECT_NEAR(out, 25.0, 1e-5);
         // Each node's own balance.
         EXPECT_NEAR(25.0 + 2.0 * (t(10) - t(30)) + 1.0 * (t(20) - t(30)), 0.0, 1e-5);
         EXPECT_NEAR(2.0 * (t(30) - t(10)) + 1.5 * (t(20) - t(10)) + 0.5 * (t(40) - t(10)), 0.0, 1e-5);
         EXPECT_EQ(t(5), t(20));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    tna_test::Network net;
    c.build(net);
    net.build();
    GLOR.RELXCA = 1e-10;
    GLOR.INBALA = 1e-6;
    GLOR.INBALR = 1e-8;
    GLOI.NLOOP = 5000;
    fresh_listing();
    try {
      SOLVFM();
    } catch (const plat::ProcessExit&) {
      ADD_FAILURE() << listing();
      continue;
    }
    c.check(net);
  }
}

// ---------------------------------------------------------------------------
// The mixed model split into a main model SPLIT (nodes 5, 30, 40 and the
// conductor 5-30) and a submodel SUB (nodes 10 and 20 and the conductor
// 10-20), joined by inter-model conductors read with the main model (GL
// 30-SUB:10, GL 40-SUB:10, GR 40-SUB:20) and the tie of SUB:20 to node 5
// across the models. The global node order (5, 30, 40, 10, 20) is not the
// one-model order (5, 10, 20, 30, 40). Loaded from a written model
// database, it must give the temperatures of the one-model form.

// Node lists of a section: numbers, temperatures, capacitances, statuses.
void section_nodes(mdbw::Model& m, const std::vector<int>& nums, const std::vector<double>& t,
                   const std::vector<double>& c, const std::vector<std::string>& status) {
  const std::size_t n = nums.size();
  m.ints(1, nums).reals(2, t).reals(3, c);
  for (int k : {4, 5, 6, 7, 8, 9, 10, 11, 72, 73, 74, 96, 97, 98}) m.reals(k, std::vector<double>(n, 0.0));
  std::vector<std::string> labels;
  for (int v : nums) labels.push_back("N" + std::to_string(v));
  m.texts(12, 24, labels).texts(13, 1, status);
  m.id_card({0, 0, 0});
  m.control_constants(load_harness::control_constants(m.level == 0));
}

mdbw::Database split_mixed() {
  mdbw::Database db;
  db.name = "SPLIT";
  auto& main = db.add_model("SPLIT", 0);
  section_nodes(main, {5, 30, 40}, {20.0, 40.0, -20.0}, {0.0, 50.0, 0.0}, {"D", "D", "B"});
  main.reals(14, {1.0}).texts(18, 1, {"A"}).ints(69, {5, 30});
  main.reals(22, {2.0, 0.5}).texts(26, 1, {"A", "A"}).ints(30, {0, 30, 1, 10, 0, 40, 1, 10});
  main.reals(23, {0.05}).texts(27, 1, {"A"}).ints(31, {0, 40, 1, 20});
  main.same_node_list({{{2, 20}, {{1, 5}}}});
  auto& sub = db.add_model("SUB", 1);
  section_nodes(sub, {10, 20}, {25.0, 20.0}, {0.0, 30.0}, {"D", "D"});
  sub.reals(14, {1.5}).texts(18, 1, {"A"}).ints(69, {10, 20});
  return db;
}

class SplitModel : public MixedModel {
 protected:
  // Loads the split model; returns the global index of node 30.
  int load_split() {
    gar_deallocate_all();
    FLAGS = FlagsRecord{};
    // 5 nodes, 4 GL, 0 GF, 1 GR; list bounds as a load of this size needs.
    const int words[41] = {5, 4, 0, 1, 0, 0, 0, 0, 0, 0, 2, 0, 49, 25, 16, 0, 92, 0, 0, 0, 0,
                           0, 0, 300, 20, 2, 133, 8000, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0};
    for (int i = 0; i < 41; ++i) FLAGS(i + 1) = words[i];
    SPRSIZ = SprsizRecord{};
    SPRSIZ(1) = 1;
    SPRSIZ(2) = 3;
    const int status = load_harness::load_database(split_mixed(), "SPLIT");
    EXPECT_EQ(status, 0) << listing();
    acda_close();
    GLOR.STEFAN = kSigma;
    GLOR.TABS = kTabs;
    GLOR.DAMPT = 1.0;
    GLOR.ARITH = 0.0;
    for (int i = 1; i <= FLAGS(1); ++i)
      if (gar_thermalnodenums(i) == 30) return i;
    return 0;
  }
  // Temperatures by user node number.
  static std::vector<double> by_number(const std::vector<double>& t, const std::vector<int>& nums) {
    std::vector<double> out;
    for (int n : {5, 10, 20, 30, 40})
      for (std::size_t i = 0; i < nums.size(); ++i)
        if (nums[i] == n) out.push_back(t[i]);
    return out;
  }
  static std::vector<int> numbers() {
    std::vector<int> v;
    for (int i = 1; i <= FLAGS(1); ++i) v.push_back(gar_thermalnodenums(i));
    return v;
  }
};

TEST_F(SplitModel, SteadyStateIsThatOfTheOneModelForm) {
  // One model: 25 W into node 30.
  Mixed one;
  one.build();
  tna_test::model.reset();
  gar_thermalnodeheatsourcesinternal(one.n30) = 25.0;
  GLOR.RELXCA = 1e-10;
  GLOR.INBALA = 1e-6;
  GLOR.INBALR = 1e-8;
  GLOI.NLOOP = 2000;
  SOLVFM();
  std::vector<double> t1;
  for (int i = 1; i <= FLAGS(1); ++i) t1.push_back(gar_thermalnodetemps(i));
  const std::vector<double> want = by_number(t1, numbers());
  // Heat balance: the 25 W leave into the boundary.
  EXPECT_NEAR(one.to_boundary(), 25.0, 1e-5);

  const int n30 = load_split();
  ASSERT_GT(n30, 0);
  gar_thermalnodeheatsourcesinternal(n30) = 25.0;
  GLOR.RELXCA = 1e-10;
  GLOR.INBALA = 1e-6;
  GLOR.INBALR = 1e-8;
  GLOI.NLOOP = 2000;
  fresh_listing();
  SOLVFM();
  std::vector<double> t2;
  for (int i = 1; i <= FLAGS(1); ++i) t2.push_back(gar_thermalnodetemps(i));
  const std::vector<double> got = by_number(t2, numbers());
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t k = 0; k < got.size(); ++k) EXPECT_NEAR(got[k], want[k], 1e-6) << "node " << k;
}

// Every transient routine runs the split model as it runs the one-model
// form: the same temperatures at every output, the tie kept across models.
TEST_F(SplitModel, TransientRoutinesRunItAsTheOneModelForm) {
  for (const Routine& r : kRoutines) {
    SCOPED_TRACE(r.name);
    const MixedRun one = mixed(r, 0.5);
    std::vector<int> one_numbers = {5, 10, 20, 30, 40};
    const int n30 = load_split();
    ASSERT_GT(n30, 0);
    times(200.0, 20.0, 0.5);
    GLOR.RELXCA = r.relxca;
    if (r.dtimei > 0.0) GLOR.DTIMEI = r.dtimei;
    tna_test::model.variables1 = [n30] { gar_thermalnodeheatsourcesinternal(n30) = source(GLOR.TIMEM); };
    int n5 = 0, n20 = 0;
    for (int i = 1; i <= FLAGS(1); ++i) {
      if (gar_thermalnodenums(i) == 5) n5 = i;
      if (gar_thermalnodenums(i) == 20) n20 = i;
    }
    double worst_tie = 0.0;
    tna_test::model.variables2 = [&] {
      worst_tie = std::max(worst_tie, std::fabs(gar_thermalnodetemps(n5) - gar_thermalnodetemps(n20)));
    };
    fresh_listing();
    const std::vector<Out> split = run(r);
    tna_test::model.reset();
    ASSERT_EQ(split.size(), one.outs.size());
    const std::vector<int> nums = numbers();
    double worst = 0.0;
    for (std::size_t o = 0; o < split.size(); ++o) {
      EXPECT_EQ(split[o].time, one.outs[o].time);
      const std::vector<double> a = by_number(split[o].t, nums), b = by_number(one.outs[o].t, one_numbers);
      for (std::size_t k = 0; k < a.size(); ++k) worst = std::max(worst, std::fabs(a[k] - b[k]));
    }
    EXPECT_LT(worst, r.run == SLGEAR ? 1e-3 : 1e-6);
    EXPECT_LT(worst_tie, 1e-12);
  }
}

}  // namespace
