// FLTNTS and its step loop on thermal networks (no fluid nodes): the order
// of the generated blocks and SOLTYP, the first step, output times, step
// rejection, the end warnings; the implicit step against the exact solution
// of a capacity behind a conductance. Its checks and shortage messages are
// rows of the contract tables of the fluid routines
// (fluid/solver_contract_test.cpp).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "fluid/fluid_services.h"
#include "fluid_fixture.h"
#include "platform/process.h"
#include "thermal/cyclic.h"

namespace fluid_test {
namespace {

using tna_test::BlockCall;

class Fltnts : public FluidTest {
 protected:
  void SetUp() override {
    FluidTest::SetUp();
    log.install();
  }
  // Thermal node 1 ("D", capacitance cap, heat q, at t0) joined by GL g to
  // boundary node 2 at tb.
  void rc(double cap, double g, double q, double t0 = 0.0, double tb = 0.0, int dystor = 20000) {
    tna_test::FluidModel fm;
    fm.thermal(1, 'D', t0, cap).thermal(2, 'B', tb);
    fm.gl(1, 2, g);
    build(fm, dystor);
    gar_thermalnodeheatsourcesinternal(1) = q;
  }
  // Event arrays of the given types and values (user arrays 1, 2, ...).
  void events(const std::vector<std::pair<int, std::vector<double>>>& list) {
    const int n = static_cast<int>(list.size());
    int nvals = 0;
    for (const auto& a : list) nvals += static_cast<int>(a.second.size());
    gar_arraynames.allocate(n);
    gar_arrayinfopointers.allocate(n);
    gar_arrayinfolist.allocate(5 * n);
    gar_arrayvaluesreal.allocate(nvals > 0 ? nvals : 1);
    int p = 1, v = 1;
    for (int k = 1; k <= n; ++k) {
      const auto& a = list[static_cast<std::size_t>(k - 1)];
      const int m = static_cast<int>(a.second.size());
      gar_arrayinfopointers(k) = p;
      gar_arrayinfolist(p) = a.first;
      gar_arrayinfolist(p + 1) = m;
      gar_arrayinfolist(p + 2) = v;
      gar_arrayinfolist(p + 3) = 1;
      gar_arrayinfolist(p + 4) = m;
      for (int j = 0; j < m; ++j) gar_arrayvaluesreal(v + j) = a.second[static_cast<std::size_t>(j)];
      p += 5;
      v += m;
    }
    FLAGS(18) = 5 * n;
    FLAGS(19) = n;
  }
  std::vector<BlockCall> calls_of(const std::string& block) const {
    std::vector<BlockCall> out;
    for (const BlockCall& c : log.calls)
      if (c.block == block) out.push_back(c);
    return out;
  }
  std::vector<double> output_times() const {
    std::vector<double> out;
    for (const BlockCall& c : calls_of("OUTPUTS")) out.push_back(c.timen);
    return out;
  }

  tna_test::BlockLog log;
};

// ---------------------------------------------------------------------------
// The implicit step against the exact solution.

// T(t) = Q/G (1 - exp(-t G / C)) for a node starting at the boundary's 0.
double exact_rc(double cap, double g, double q, double t) { return q / g * (1.0 - std::exp(-t * g / cap)); }

TEST_F(Fltnts, CapacityBehindAConductanceIsSecondOrderInTheStep) {
  // C = 100 J/K, G = 1 W/K, Q = 10 W: time constant 100 s, 100 s of run.
  // The converged thermal-fluid iteration is a Crank-Nicolson step: halving
  // the step cuts the error by four.
  std::vector<double> errors;
  for (double dt : {20.0, 10.0, 5.0}) {
    SCOPED_TRACE(dt);
    rc(100.0, 1.0, 10.0);
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = 100.0;
    GLOR.OUTINT = 100.0;
    GLOR.DTIMEI = dt;
    GLOR.DTMAX = dt;
    GLOR.RELXCA = 1.0e-12;
    GLOI.NLOOP = 50;
    FLTNTS();
    const double err = std::fabs(gar_thermalnodetemps(1) - exact_rc(100.0, 1.0, 10.0, 100.0));
    EXPECT_LT(err, 0.02) << gar_thermalnodetemps(1);
    errors.push_back(err);
    EXPECT_EQ(gar_thermalnodetemps(2), 0.0);  // the boundary keeps its temperature
  }
  EXPECT_NEAR(errors[0] / errors[1], 4.0, 0.2);
  EXPECT_NEAR(errors[1] / errors[2], 4.0, 0.2);
}

TEST_F(Fltnts, CompletedRunLeavesItsTimesAndCounts) {
  rc(100.0, 1.0, 10.0);
  GLOI.NLOOPH = 0;
  GLOI.NLOOPT = 0;
  GLOI.NLOOP = 37;
  raise_tops(11, 21);
  GLOC.SOLVER = "";
  std::vector<std::string> solvers;
  log.variables1 = [&] { solvers.push_back(std::string(GLOC.SOLVER.trimmed())); };
  FLTNTS();
  EXPECT_EQ(GLOI.NLOOPH, 37);
  EXPECT_EQ(GLOI.NLOOPT, 37);
  EXPECT_EQ(GLOR.TIMEO, 10.0);
  EXPECT_EQ(GLOR.TIMEN, 10.0);
  EXPECT_EQ(GLOR.TIMEM, 10.0);
  EXPECT_EQ(GLOC.MODULE.trimmed(), "FLTNTS");
  EXPECT_EQ(GLOC.SOLVER.trimmed(), "");
  EXPECT_EQ(GLOC.SOLTYP.trimmed(), "");
  ASSERT_FALSE(solvers.empty());
  for (const std::string& s : solvers) EXPECT_EQ(s, "TRFL1P");
  EXPECT_GT(GLOI.SUMTHL, 0);  // the sweeps of the last step
  EXPECT_EQ(GLOI.SUMFLL, 0);  // no hydraulic solution without fluid nodes
  EXPECT_NEAR(GLOR.CSGMIN, 100.0, 1e-12);
  EXPECT_EQ(GLOI.NCSGMN, 1);
  expect_tops(11, 21);
  EXPECT_EQ(listing(), "");  // no message

  // Given NLOOPH and NLOOPT stay; a cyclic code stays; a second call leaves
  // the tops where they were.
  GLOI.NLOOPH = 3;
  GLOI.NLOOPT = 4;
  GLOR.TIMEO = 0.0;
  GLOC.SOLVER = "CYFL1P";
  solvers.clear();
  FLTNTS();
  EXPECT_EQ(GLOI.NLOOPH, 3);
  EXPECT_EQ(GLOI.NLOOPT, 4);
  EXPECT_EQ(GLOC.SOLVER.trimmed(), "CYFL1P");
  for (const std::string& s : solvers) EXPECT_EQ(s, "CYFL1P");
  expect_tops(11, 21);
}

// ---------------------------------------------------------------------------
// Blocks, output times and steps.

TEST_F(Fltnts, BlocksAndSoltypeInTheirOrder) {
  rc(100.0, 1.0, 10.0);
  GLOR.TIMEND = 4.0;
  GLOR.OUTINT = 2.0;
  GLOR.DTIMEI = 1.0;
  FLTNTS();
  const std::vector<BlockCall>& c = log.calls;
  ASSERT_GE(c.size(), 3u);
  // The driver: VARIABLES1 blank, VARIABLES1 "THERMAL", OUTPUTS at TIMEO.
  EXPECT_EQ(c[0].block, "VARIABLES1");
  EXPECT_EQ(c[0].soltyp, "");
  EXPECT_EQ(c[1].block, "VARIABLES1");
  EXPECT_EQ(c[1].soltyp, "THERMAL");
  EXPECT_EQ(c[2].block, "OUTPUTS");
  EXPECT_EQ(c[2].timeo, 0.0);
  EXPECT_EQ(c[2].timen, 0.0);
  // Every step: VARIABLES1 blank (properties), then the sweeps' VARIABLES1
  // "THERMAL", then VARIABLES2 with SOLTYP blank, TIMEO at the start and
  // TIMEN at the end of the step; OUTPUTS after VARIABLES2 at 2 and 4.
  std::size_t i = 3;
  for (int step = 1; step <= 4; ++step) {
    SCOPED_TRACE(step);
    ASSERT_LT(i, c.size());
    EXPECT_EQ(c[i].block, "VARIABLES1");
    EXPECT_EQ(c[i].soltyp, "");
    EXPECT_EQ(c[i].timeo, step - 1.0);
    EXPECT_EQ(c[i].timen, static_cast<double>(step));
    ++i;
    int sweeps = 0;
    while (i < c.size() && c[i].block == "VARIABLES1") {
      EXPECT_EQ(c[i].soltyp, "THERMAL");
      ++sweeps;
      ++i;
    }
    EXPECT_GE(sweeps, 1);
    ASSERT_LT(i, c.size());
    EXPECT_EQ(c[i].block, "VARIABLES2");
    EXPECT_EQ(c[i].soltyp, "");
    EXPECT_EQ(c[i].timeo, step - 1.0);
    EXPECT_EQ(c[i].timen, static_cast<double>(step));
    ++i;
    if (step % 2 == 0) {
      ASSERT_LT(i, c.size());
      EXPECT_EQ(c[i].block, "OUTPUTS");
      EXPECT_EQ(c[i].timen, static_cast<double>(step));
      ++i;
    }
  }
  EXPECT_EQ(i, c.size());
}

TEST_F(Fltnts, FirstStepAndOutputTimes) {
  struct Case {
    const char* what;
    double dtimei, dtmin, dtmax, outint, timend;
    std::vector<std::pair<int, std::vector<double>>> arrays;
    std::vector<double> ends;     // TIMEN of the first VARIABLES2 calls
    std::vector<double> outputs;  // TIMEN of every OUTPUTS
  };
  const Case cases[] = {
      {"DTIMEI above DTMAX", 5.0, 0.1, 2.0, 10.0, 6.0, {}, {2.0, 4.0, 6.0}, {0.0, 6.0}},
      {"DTIMEI below DTMIN", 1.0e-3, 0.5, 2.0, 10.0, 1.0, {}, {0.5, 1.0}, {0.0, 1.0}},
      {"output closer than two steps", 1.0, 0.1, 10.0, 1.5, 3.0, {}, {0.75, 1.5, 2.25, 3.0}, {0.0, 1.5, 3.0}},
      {"output closer than one step", 1.0, 0.1, 10.0, 0.6, 1.2, {}, {0.6, 1.2}, {0.0, 0.6, 1.2}},
      {"output event at 0.3", 1.0, 0.1, 10.0, 2.0, 2.0, {{6, {0.3}}}, {0.3, 1.15, 2.0}, {0.0, 0.3, 2.0}},
      {"step event at 0.3", 1.0, 0.1, 10.0, 2.0, 2.0, {{5, {0.3}}}, {0.3, 1.15, 2.0}, {0.0, 2.0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    rc(100.0, 1.0, 10.0);
    if (!c.arrays.empty()) events(c.arrays);
    log.calls.clear();
    GLOR.TIMEO = 0.0;
    GLOR.DTIMEI = c.dtimei;
    GLOR.DTMIN = c.dtmin;
    GLOR.DTMAX = c.dtmax;
    GLOR.OUTINT = c.outint;
    GLOR.TIMEND = c.timend;
    FLTNTS();
    std::vector<double> ends;
    for (const BlockCall& b : calls_of("VARIABLES2")) ends.push_back(b.timen);
    ASSERT_EQ(ends.size(), c.ends.size());
    for (std::size_t k = 0; k < ends.size(); ++k) EXPECT_NEAR(ends[k], c.ends[k], 1e-12) << k;
    EXPECT_EQ(output_times(), c.outputs);
    // The step in force when the driver's first VARIABLES1 runs is the first.
    ASSERT_FALSE(log.calls.empty());
    EXPECT_NEAR(log.calls[0].timen, c.ends[0], 1e-12);
  }
}

TEST_F(Fltnts, StepAboveDtpmaxIsRepeatedFromTheSameStart) {
  // The node rises by about 0.1 per second at first: DTPMAX 0.06 rejects
  // every 1-second step once and accepts it cut to 0.95 x 0.06 / change of
  // itself; each next step starts again from DTIMEI.
  rc(100.0, 1.0, 10.0);
  GLOR.TIMEND = 3.0;
  GLOR.OUTINT = 3.0;
  GLOR.DTIMEI = 1.0;
  GLOR.DTPMAX = 0.06;
  std::vector<double> starts_t;  // node temperature at each pass's first VARIABLES1
  FLTNTS();
  std::vector<BlockCall> firsts;
  for (std::size_t k = 3; k < log.calls.size(); ++k)
    if (log.calls[k].block == "VARIABLES1" && log.calls[k].soltyp.empty()) firsts.push_back(log.calls[k]);
  const std::vector<BlockCall> v2 = calls_of("VARIABLES2");
  ASSERT_GE(firsts.size(), 4u);
  // The first pass tries a whole second, the repeat starts at the same TIMEO.
  EXPECT_EQ(firsts[0].timeo, 0.0);
  EXPECT_EQ(firsts[0].timen, 1.0);
  EXPECT_EQ(firsts[1].timeo, 0.0);
  const double cut = firsts[1].timen;
  EXPECT_GT(cut, 0.5);
  EXPECT_LT(cut, 0.95 * 0.06 / 0.09);
  ASSERT_FALSE(v2.empty());
  EXPECT_EQ(v2[0].timeo, 0.0);
  EXPECT_EQ(v2[0].timen, cut);
  // The next step starts from DTIMEI again.
  EXPECT_EQ(firsts[2].timeo, cut);
  EXPECT_EQ(firsts[2].timen, cut + 1.0);
  // Every accepted step kept its change within DTPMAX: no warning.
  EXPECT_EQ(listing().find("DTPMAX exceeded"), std::string::npos);
  EXPECT_EQ(GLOR.TIMEO, 3.0);
}

TEST_F(Fltnts, StepAtDtminIsAcceptedAndCounted) {
  // DTMIN = DTIMEI: a step above DTPMAX cannot be cut; all ten steps count.
  rc(100.0, 1.0, 10.0);
  GLOR.TIMEND = 10.0;
  GLOR.OUTINT = 10.0;
  GLOR.DTIMEI = 1.0;
  GLOR.DTMIN = 1.0;
  GLOR.DTPMAX = 1.0e-3;
  FLTNTS();
  EXPECT_EQ(static_cast<int>(calls_of("VARIABLES2").size()), 10);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l, "FLTNTS: DTPMAX exceeded in more than 10% of time steps")) << l;
  EXPECT_TRUE(has_reference(l, "FLTSIT", 8));
}

TEST_F(Fltnts, EndWarningsCountAgainstTheStepsPlusOne) {
  // 99 steps of 1 s; VARIABLES2 makes the changes of the chosen steps exceed
  // their tolerances. The ratio divides by 100 (the counter starts at 1): 10
  // exceedances are "more than 10%", 9 "up to 10%".
  struct Case {
    const char* name;
    int exceed;
    int code;
    const char* text;
  };
  const Case cases[] = {
      {"RELXCA", 10, 2, "FLTNTS: RELXCA exceeded in more than 10% of time steps"},
      {"RELXCA", 9, 1, "FLTNTS: RELXCA exceeded in up to 10% of time steps"},
      {"FRLXCA", 10, 4, "FLTNTS: FRLXCA exceeded in more than 10% of time steps"},
      {"FRLXCA", 1, 3, "FLTNTS: FRLXCA exceeded in up to 10% of time steps"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.exceed));
    rc(100.0, 1.0, 10.0);
    fresh_listing();
    GLOR.TIMEO = 0.0;
    GLOR.TIMEND = 99.0;
    GLOR.OUTINT = 99.0;
    GLOR.DTIMEI = 1.0;
    const bool thermal = std::string(c.name) == "RELXCA";
    int step = 0;
    log.variables2 = [&] {
      ++step;
      const double v = step <= c.exceed ? 1.0 : 0.0;
      if (thermal) GLOR.RELXCC = v * 2.0 * GLOR.RELXCA;
      else GLOR.FRLXCC = v * 2.0 * GLOR.FRLXCA;
    };
    FLTNTS();
    EXPECT_EQ(step, 99);
    const std::string l = listing();
    EXPECT_TRUE(has_message(l, c.text)) << l;
    EXPECT_TRUE(has_reference(l, "FLTSIT", c.code));
    // One warning, of the 60-character field.
    EXPECT_EQ(l.find("exceeded"), l.rfind("exceeded"));
  }
}

// ---------------------------------------------------------------------------
// The cyclic driver.

TEST_F(Fltnts, CyclicRunsRepeatTheFluidLoopRoutine) {
  // A capacity heated in the first half of each 200-second period reaches
  // its periodic state; every cycle runs FLTNTS under "CYFL1P".
  rc(100.0, 1.0, 0.0);
  GLOR.TIMEO = 0.0;
  GLOR.DTIMEI = 10.0;
  GLOR.OUTINT = 100.0;
  GLOR.RELXCA = 1.0e-10;
  std::vector<std::string> codes;
  log.variables1 = [&] {
    gar_thermalnodeheatsourcesinternal(1) = std::fmod(GLOR.TIMEM, 200.0) < 100.0 ? 10.0 : 0.0;
    codes.push_back(std::string(GLOC.SOLVER.trimmed()));
  };
  raise_tops(9, 9);
  SOLCYC("FLTNTS", 1.0e-6, 1.0e10, 200.0, 100, " ", "NONE");
  ASSERT_FALSE(codes.empty());
  for (std::size_t k = 1; k < codes.size(); ++k) EXPECT_EQ(codes[k], "CYFL1P");
  EXPECT_EQ(GLOC.SOLVER.trimmed(), "");
  EXPECT_EQ(GLOR.TIMEO, 0.0);
  EXPECT_TRUE(log.calls.size() > 0);
  EXPECT_EQ(calls_of("OUTPUTS").size(), 0u);  // OUTIME "NONE" during the cycles
  // The periodic start value: T0 = T0 e^-2 + 10 (1 - e^-1) e^-1.
  const double e1 = std::exp(-1.0), e2 = std::exp(-2.0);
  EXPECT_NEAR(gar_thermalnodetemps(1), 10.0 * (1.0 - e1) * e1 / (1.0 - e2), 0.02);
  EXPECT_EQ(listing().find("Failed to converge"), std::string::npos);
  expect_tops(9, 9);
}

}  // namespace
}  // namespace fluid_test
