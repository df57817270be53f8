// Steady-state solution: analytic networks, the energy balance, the
// extrapolation and caps of the pass loop, the ordering, and the messages.
#include "thermal/steady_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "casedata/status_flag.h"
#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "output/page_headers.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/network_builder.h"
#include "support/small_model.h"
#include "support/test_env.h"
#include "support/test_model.h"
#include "thermal/energy_balance.h"
#include "thermal/solver_masks.h"
#include "thermal/steady_kernel.h"
#include "thermal/thermal_network.h"
#include "thermal/thermal_test_fixture.h"

namespace {

using thermal_test::has_message;
using thermal_test::has_reference;
using thermal_test::kSigma;
using thermal_test::kTabs;

class SteadyState : public thermal_test::ListingTest {
 protected:
  SteadyState() : ListingTest("ss") {}
  void SetUp() override {
    reset_run();
    SLDINC();
    GLOR.DAMPT = 1.0;
    GLOR.RELXCA = 1e-6;
    GLOR.INBALA = 1e-3;
    GLOR.INBALR = 1e-3;
    GLOI.NLOOP = 200;
    JOBINF.jobname = "MAIN";
    fresh_listing();
  }
};

// ---------------------------------------------------------------------------
// Analytic networks.

TEST_F(SteadyState, SourceAndConductorToBoundary) {
  tna_test::Network net;
  net.node(1, 'D', 20.0, 10.0).node(2, 'B', 5.0);
  net.gl(1, 2, 2.0);
  net.build();
  SOLVFM();
  EXPECT_NEAR(T(net, 1), 10.0, 1e-9);
  EXPECT_EQ(T(net, 2), 5.0);
  EXPECT_LT(GLOR.ENBALA, 1e-9);
  EXPECT_LT(GLOR.ENBALR, 1e-9);
  EXPECT_TRUE(GLOC.SOLVER.blank());
  EXPECT_EQ(GLOC.MODULE, "SOLVFM");
}

TEST_F(SteadyState, ChainBetweenTwoBoundariesIsLinear) {
  tna_test::Network net;
  net.node(1, 'B', 0.0);
  for (int n = 2; n <= 10; ++n) net.node(n, 'D', 50.0);
  net.node(11, 'B', 100.0);
  for (int n = 1; n <= 10; ++n) net.gl(n, n + 1, 3.5);
  net.build();
  SOLVFM();
  for (int n = 2; n <= 10; ++n) EXPECT_NEAR(T(net, n), 10.0 * (n - 1), 1e-9) << n;
  EXPECT_LT(GLOR.ENBALA, 1e-9);
}

TEST_F(SteadyState, RadiationToBoundary) {
  struct Case {
    double q, gr, tb;
  } cases[] = {{100.0, 0.5, -270.0}, {5.0, 0.01, 20.0}, {1000.0, 2.0, -100.0}};
  for (const Case& c : cases) {
    tna_test::Network net;
    net.node(1, 'D', 0.0, c.q).node(2, 'B', c.tb);
    net.gr(1, 2, c.gr);
    net.build();
    GLOR.RELXCA = 1e-9;
    GLOR.INBALR = 1e-9;
    SOLVFM();
    const double tbabs = c.tb + kTabs;
    const double expect = std::pow(tbabs * tbabs * tbabs * tbabs + c.q / (kSigma * c.gr), 0.25) - kTabs;
    EXPECT_NEAR(T(net, 1), expect, 1e-7) << c.q;
    EXPECT_LT(GLOR.ENBALR, 1e-9);
  }
}

TEST_F(SteadyState, FluidicConductorHeatsOnlyDownstream) {
  tna_test::Network net;
  net.node(1, 'D', 0.0, 20.0).node(2, 'D', 0.0).node(3, 'B', 0.0);
  net.gl(1, 3, 1.0);
  net.gl(2, 3, 4.0);
  net.gf(1, 2, 1.0);
  net.build();
  SOLVFM();
  // Node 1 does not feel the fluidic conductor; node 2 receives GF (T1 - T2).
  EXPECT_NEAR(T(net, 1), 20.0, 1e-9);
  EXPECT_NEAR(T(net, 2), (1.0 * 20.0 + 4.0 * 0.0) / (1.0 + 4.0), 1e-9);
  // The one-way conductor's heat (16) counts as entering node 2, and the
  // boundary takes 20 + 16: the balance closes.
  EXPECT_LT(GLOR.ENBALA, 1e-9);
}

TEST_F(SteadyState, FluidNeighbourIsABoundaryAtItsTemperature) {
  tna_test::Network net;
  net.node(1, 'D', 0.0, 6.0).fluid(50, 40.0);
  net.gl(1, 50, 2.0);
  net.build();
  SOLVFM();
  EXPECT_NEAR(T(net, 1), 43.0, 1e-9);
  EXPECT_LT(GLOR.ENBALA, 1e-9);
}

TEST_F(SteadyState, TiedNodesTakeTheirSourceTemperature) {
  tna_test::Network net;
  net.node(1, 'D', 0.0, 10.0).node(2, 'B', 0.0).node(3, 'D', -5.0).node(4, 'D', -7.0);
  net.gl(1, 2, 1.0);
  net.tie(1, {3, 4});
  net.build();
  SOLVFM();
  EXPECT_NEAR(T(net, 1), 10.0, 1e-9);
  EXPECT_EQ(T(net, 3), T(net, 1));
  EXPECT_EQ(T(net, 4), T(net, 1));
}

// A dense reference solve of the linear network.
std::vector<double> dense_solve(std::vector<std::vector<double>> a, std::vector<double> b) {
  const std::size_t n = b.size();
  for (std::size_t k = 0; k < n; ++k) {
    std::size_t piv = k;
    for (std::size_t i = k + 1; i < n; ++i)
      if (std::fabs(a[i][k]) > std::fabs(a[piv][k])) piv = i;
    std::swap(a[k], a[piv]);
    std::swap(b[k], b[piv]);
    for (std::size_t i = k + 1; i < n; ++i) {
      const double f = a[i][k] / a[k][k];
      for (std::size_t j = k; j < n; ++j) a[i][j] -= f * a[k][j];
      b[i] -= f * b[k];
    }
  }
  std::vector<double> x(n);
  for (std::size_t i = n; i-- > 0;) {
    double s = b[i];
    for (std::size_t j = i + 1; j < n; ++j) s -= a[i][j] * x[j];
    x[i] = s / a[i][i];
  }
  return x;
}

TEST_F(SteadyState, RandomGridAgainstDenseReference) {
  const int rows = 9, cols = 11, n = rows * cols;
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> uni(0.1, 2.0);
  tna_test::Network net;
  std::vector<char> status(n + 1, 'D');
  for (int k : {1, 40, 99}) status[k] = 'B';
  std::vector<double> t0(n + 1), q(n + 1);
  for (int i = 1; i <= n; ++i) {
    t0[i] = status[i] == 'B' ? 100.0 * uni(rng) - 100.0 : 0.0;
    q[i] = status[i] == 'B' ? 0.0 : 5.0 * uni(rng);
    net.node(i, status[i], t0[i], q[i]);
  }
  std::vector<std::vector<double>> a(n, std::vector<double>(n, 0.0));
  std::vector<double> b(n, 0.0);
  auto couple = [&](int i, int j, double g) {
    net.gl(i, j, g);
    a[i - 1][i - 1] += g;
    a[j - 1][j - 1] += g;
    a[i - 1][j - 1] -= g;
    a[j - 1][i - 1] -= g;
  };
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      const int i = r * cols + c + 1;
      if (c + 1 < cols) couple(i, i + 1, uni(rng));
      if (r + 1 < rows) couple(i, i + cols, uni(rng));
    }
  couple(3, 77, 0.7);  // a long-range joint widens the profile
  for (int i = 1; i <= n; ++i) {
    if (status[i] == 'B') {
      std::fill(a[i - 1].begin(), a[i - 1].end(), 0.0);
      a[i - 1][i - 1] = 1.0;
      b[i - 1] = t0[i];
    } else {
      b[i - 1] = q[i];
    }
  }
  net.build();
  SOLVFM();
  const std::vector<double> x = dense_solve(a, b);
  for (int i = 1; i <= n; ++i) EXPECT_NEAR(gar_thermalnodetemps(i), x[i - 1], 1e-8) << i;
  EXPECT_LT(GLOR.ENBALR, 1e-9);

  // A second run of the same model gives the same bits.
  std::vector<double> first(gar_thermalnodetemps.begin(), gar_thermalnodetemps.end());
  for (int i = 1; i <= n; ++i) gar_thermalnodetemps(i) = t0[i];
  SOLVFM();
  EXPECT_EQ(std::memcmp(first.data(), gar_thermalnodetemps.data(), first.size() * sizeof(double)), 0);
}

// ---------------------------------------------------------------------------
// The pass loop: caps, extrapolation, stop tests, block calls.

TEST_F(SteadyState, ChangeIsCappedAtFiftyDegreesPerPass) {
  tna_test::Network net;
  net.node(1, 'D', 0.0).node(2, 'B', 200.0);
  net.gl(1, 2, 1.0);
  net.build();
  GLOI.NLOOP = 1;
  SOLVFM();
  EXPECT_EQ(GLOI.LOOPCT, 1);
  EXPECT_EQ(T(net, 1), 50.0);
  EXPECT_EQ(GLOR.RELXCC, 50.0);
  EXPECT_EQ(GLOI.NRLXCC, 1);
  EXPECT_TRUE(has_message(listing(), "SOLVFM: Solution failed to converge@NLOOP count exceeded")) << listing();
  EXPECT_TRUE(has_reference(listing(), "S3slve", 4));
  EXPECT_NE(listing().find("@@@@  FAILURE"), std::string::npos);
}

TEST_F(SteadyState, ExtrapolationOnTheEleventhPass) {
  // With DAMPT = 0.5 on a linear node the error halves every pass; the
  // proposals of the passes ending in 6, 8 and 0 form a geometric sequence,
  // whose Aitken limit is the exact solution.
  for (int passes : {10, 11}) {
    tna_test::Network net;
    net.node(1, 'D', 0.0, 30.0).node(2, 'B', 0.0);
    net.gl(1, 2, 1.0);
    net.build();
    GLOR.DAMPT = 0.5;
    GLOR.RELXCA = 1e-3;
    GLOI.NLOOP = passes;
    SOLVFM();
    EXPECT_EQ(GLOI.LOOPCT, passes);
    if (passes == 10) EXPECT_NEAR(T(net, 1), 30.0 - 30.0 * std::pow(0.5, 10), 1e-9);  // plain damping so far
    else EXPECT_NEAR(T(net, 1), 30.0, 1e-9);  // extrapolated on the 11th pass
  }
}

TEST_F(SteadyState, ExtrapolationFallsBackToTenfoldStep) {
  // On the 11th pass the proposals A (pass 7), B (pass 9) and Y (pass 11)
  // of a linear node with error factor f = 1 - DAMPT per pass give
  // q = f * f. With f = 1.5, q >= 1; with f = 0.99 Aitken's limit lies
  // farther from the current temperature than 10 |Y - B|. Both take
  // Y = Told + 10 (Y - B).
  struct Case {
    double dampt, t0;
  } cases[] = {{-0.5, 29.99}, {0.01, 0.0}};
  for (const Case& c : cases) {
    tna_test::Network net;
    net.node(1, 'D', c.t0, 30.0).node(2, 'B', 0.0);
    net.gl(1, 2, 1.0);
    net.build();
    GLOR.DAMPT = c.dampt;
    GLOR.RELXCA = 1e-12;
    GLOI.NLOOP = 11;
    SOLVFM();
    // The same passes by hand: the solve returns 30 + TABS.
    const double xabs = 30.0 + 1.0 * (0.0 + kTabs);
    std::vector<double> t{c.t0};
    for (int k = 0; k < 11; ++k) t.push_back(t.back() + c.dampt * ((xabs - kTabs) - t.back()));
    const double expect = t[10] + 10.0 * (t[11] - t[9]);
    EXPECT_EQ(GLOI.LOOPCT, 11);
    EXPECT_NEAR(T(net, 1), expect, 1e-12) << c.dampt;
    EXPECT_GT(std::fabs(expect - 30.0), 1e-3) << c.dampt;  // not Aitken's limit
  }
}

TEST_F(SteadyState, BalanceFailureTightensTheCriterionSilently) {
  // The change test is met on every pass (RELXCA huge) but the balance limit
  // cannot be met (INBALA negative): NLOOP passes, no message.
  tna_test::Network net;
  net.node(1, 'D', 0.0, 10.0).node(2, 'B', 0.0);
  net.gl(1, 2, 1.0);
  net.build();
  GLOR.RELXCA = 1e6;
  GLOR.INBALA = -1.0;
  GLOI.NLOOP = 5;
  tna_test::model.record = true;
  SOLVFM();
  EXPECT_EQ(GLOI.LOOPCT, 5);
  EXPECT_FALSE(has_message(listing(), "failed to converge"));
  // Each pass: VARIABLES1 before the assembly and for the balance test; then
  // the closing sequence.
  std::vector<std::string> expect;
  for (int p = 0; p < 5; ++p) expect.insert(expect.end(), {"VARIABLES1", "VARIABLES1"});
  expect.insert(expect.end(), {"VARIABLES1", "VARIABLES2", "OUTPUTS"});
  EXPECT_EQ(tna_test::model.calls, expect);
}

TEST_F(SteadyState, NonPositiveCriterionRunsNloopPasses) {
  tna_test::Network net;
  net.node(1, 'D', 0.0, 10.0).node(2, 'B', 0.0);
  net.gl(1, 2, 1.0);
  net.build();
  GLOR.RELXCA = 0.0;
  GLOI.NLOOP = 3;
  SOLVFM();
  EXPECT_EQ(GLOI.LOOPCT, 3);
  EXPECT_TRUE(has_message(listing(), "SOLVFM: Solution failed to converge"));
}

TEST_F(SteadyState, BoundaryOnlyModelStopsAfterOnePass) {
  tna_test::Network net;
  net.node(1, 'B', 10.0).node(2, 'B', 30.0);
  net.gl(1, 2, 1.0);
  net.build();
  GLOR.INBALR = 1.0;
  SOLVFM();
  EXPECT_EQ(GLOI.LOOPCT, 1);
  EXPECT_EQ(GLOR.RELXCC, 0.0);
  EXPECT_EQ(T(net, 1), 10.0);
  EXPECT_EQ(T(net, 2), 30.0);
  // Seen from both ends the exchange cancels but fills the denominator.
  EXPECT_EQ(GLOR.ENBALA, 0.0);
}

TEST_F(SteadyState, CyclicSolverCodeIsKept) {
  tna_test::Network net;
  net.node(1, 'D', 0.0, 10.0).node(2, 'B', 0.0);
  net.gl(1, 2, 1.0);
  net.build();
  GLOC.SOLVER = "CYTH";
  SOLVFM();
  EXPECT_EQ(GLOC.SOLVER, "CYTH");
}

TEST_F(SteadyState, StatusChangeInVariables1RebuildsTheMasks) {
  // Node 1 is switched from boundary to solved by the user's statements.
  tna_test::Network net;
  net.node(1, 'B', 0.0, 10.0).node(2, 'B', 0.0);
  net.gl(1, 2, 2.0);
  net.build();
  tna_test::model.variables1 = [] {
    if (gar_thermalnodestatuses(1) == "B") {
      gar_thermalnodestatuses(1) = "D";
      stat_setstatst(1);
    }
  };
  SOLVFM();
  EXPECT_NEAR(gar_thermalnodetemps(1), 5.0, 1e-9);
  EXPECT_EQ(stat_getstatst(), 0);
}

// ---------------------------------------------------------------------------
// Messages.

struct FatalCase {
  const char* name;
  int code;
  const char* text;
};

TEST_F(SteadyState, RequiredConstantsAndNodes) {
  {
    tna_test::Network net;
    net.fluid(1, 0.0);
    net.build();
    EXPECT_THROW(SOLVFM(), plat::ProcessExit);
    const std::string l = listing();
    EXPECT_TRUE(has_message(l, "SOLVFM: Model does not contain any thermal nodes")) << l;
    EXPECT_TRUE(has_reference(l, "SOLVFM", 5));
  }
  tna_test::Network net;
  net.node(1, 'D', 0.0).node(2, 'B', 0.0);
  net.gl(1, 2, 1.0);
  net.build();
  GLOI.NLOOP = kUndefined;
  fresh_listing();
  EXPECT_THROW(SOLVFM(), plat::ProcessExit);
  EXPECT_TRUE(has_message(listing(),
                          "SOLVFM: Control constant NLOOP not specified@See User Manual description of SOLVFM for a "
                          "list of required control constants"));
  EXPECT_TRUE(has_reference(listing(), "SOLVFM", 1));
  GLOI.NLOOP = 10;
  std::int32_t words[2] = {kUndefined, 0};
  std::memcpy(&GLOR.RELXCA, words, sizeof words);
  fresh_listing();
  EXPECT_THROW(SOLVFM(), plat::ProcessExit);
  EXPECT_TRUE(has_message(listing(),
                          "SOLVFM: Control constant RELXCA not specified@See User Manual description of SOLVFM for "
                          "a list of required control constants"));
  EXPECT_TRUE(has_reference(listing(), "SOLVFM", 2));
}

TEST_F(SteadyState, SingularGroupIsFatal) {
  tna_test::Network net;
  net.node(1, 'D', 0.0, 1.0).node(2, 'B', 0.0).node(7, 'D', 0.0).node(8, 'D', 0.0);
  net.gl(1, 2, 1.0);
  net.gl(7, 8, 1.0);  // a group without a path to a boundary
  net.build();
  try {
    SOLVFM();
    ADD_FAILURE() << "no fatal end";
  } catch (const plat::ProcessExit& e) {
    EXPECT_EQ(e.status, 1);
  }
  const std::string l = listing();
  EXPECT_TRUE(has_message(l,
                          "Singular submatrix encountered - run aborted@A group of nodes are connected to each "
                          "other but not to a boundary - including node         8 of submodel MAIN"))
      << l;
  EXPECT_NE(l.find("FATAL ERROR"), std::string::npos);
  EXPECT_TRUE(has_reference(l, "S3slve", 1));
}

TEST_F(SteadyState, ZeroDiagonalWarningKeepsTheTemperature) {
  tna_test::Network net;
  net.node(1, 'D', 0.0, 10.0).node(2, 'B', 0.0).node(3, 'D', 42.0).node(4, 'X', 0.0);
  net.gl(1, 2, 1.0);
  net.gl(3, 2, 1.0, 'I');  // inactive
  net.gl(3, 4, 1.0);       // to an inactive node
  net.build();
  SOLVFM();
  EXPECT_EQ(T(net, 3), 42.0);
  EXPECT_NEAR(T(net, 1), 10.0, 1e-9);
  const std::string l = listing();
  EXPECT_TRUE(has_message(l,
                          "SOLVFM: Zero diagonal element in conductance matrix@Check for unconnected node, "
                          "Node=       3, Model=MAIN"))
      << l;
  EXPECT_NE(l.find("@@@@  WARNING"), std::string::npos);
  EXPECT_TRUE(has_reference(l, "S3COND", 1));
}

TEST_F(SteadyState, TemperatureAboveLimitPrintsTheWarningAndEnds) {
  tna_test::Network net;
  net.node(1, 'D', 2.0e10).node(2, 'B', 0.0).node(5, 'D', 0.0, 1.0);
  net.gl(1, 2, 1.0);
  net.gl(5, 2, 1.0);
  net.build();
  EXPECT_THROW(SOLVFM(), plat::ProcessExit);
  const std::string l = listing();
  EXPECT_NE(
      l.find(" TEMPERATURE GREATER THAN 1.0E10 DETECTED\n\n AT NODE NUMBER          1 IN SUBMODEL\n\n MAIN \n\n\n"),
      std::string::npos)
      << l;
  EXPECT_TRUE(has_message(l, "SOLVFM: Temperature > 1.0D10 detected"));
  EXPECT_TRUE(has_reference(l, "S3slve", 2));
}

// Seven nested models (model m at level m - 1 owns thermal node m, user
// number 100 + m): the model of a node is found from the directory and the
// path of names breaks before a separator that would pass column 131.
TEST_F(SteadyState, TemperatureWarningNamesTheModelPath) {
  const int nm = 7, nt = 7;
  gar_deallocate_all();
  tna_test::ArraySizes{.dystor = 8,
                       .mdrows = md_numslots,
                       .lpcsfluid = 1,
                       .lpcsth = 1,
                       .lpcsold = 1,
                       .ncc = gcc_num_all,
                       .nm = nm,
                       .nt = nt,
                       .ngv = 1}
      .allocate();
  FLAGS = FlagsRecord{};
  FLAGS(1) = nt;
  FLAGS(26) = nm;
  const std::string names[7] = {"MAIN WITH A BLANK",        "SECOND_LEVEL_MODEL_NAME2", "THIRD_LEVEL_MODEL_NAME_3",
                                "FOURTH_LEVEL_MODEL_NAME4", "FIFTH_LEVEL_MODEL_NAME_5", "SIXTH_LEVEL_MODEL_NAME_6",
                                "SEVENTH_LEVEL_MODEL_NAM7"};
  for (int m = 1; m <= nm; ++m) {
    md_level(m) = m - 1;
    md_subtreesize(m) = nm - m + 1;
    md_thermalnodebase(m) = m - 1;
    gar_modelnames(m) = names[m - 1];
    gar_thermalnodenums(m) = 100 + m;
  }
  md_thermalnodebase(nm + 1) = nt;
  const std::string head = " TEMPERATURE GREATER THAN 1.0E10 DETECTED\n\n AT NODE NUMBER ";
  struct Case {
    int node;
    std::string path;  // the lines after the two header lines
    int lines;
  } cases[] = {
      {1, " MAIN \n\n\n", 7},
      {4, " MAIN:SECOND_LEVEL_MODEL_NAME2:THIRD_LEVEL_MODEL_NAME_3:FOURTH_LEVEL_MODEL_NAME4 \n\n\n", 7},
      // The sixth name's ":" lands in column 130; the seventh's would pass 131.
      {7,
       " MAIN:SECOND_LEVEL_MODEL_NAME2:THIRD_LEVEL_MODEL_NAME_3:FOURTH_LEVEL_MODEL_NAME4:FIFTH_LEVEL_MODEL_NAME_5:"
       "SIXTH_LEVEL_MODEL_NAME_6:\n SEVENTH_LEVEL_MODEL_NAM7 \n\n\n",
       8},
  };
  for (const Case& c : cases) {
    fresh_listing();
    PRTINF(2) = 20;
    PRTWAR(c.node);
    char number[16];
    std::snprintf(number, sizeof number, "%10d", 100 + c.node);
    EXPECT_EQ(listing(), head + number + " IN SUBMODEL\n\n" + c.path) << c.node;
    EXPECT_EQ(PRTINF(2), 20 + c.lines) << c.node;
  }
  // Too few lines left for the block (nc = 7 needs (7 + 4) / 5 + 4 = 6): a new
  // page and the solution header come first.
  fresh_listing();
  GLOC.SOLVER = "SSTH";
  PRTINF(2) = PRTINF(1) - 5;
  PRTWAR(7);
  const std::string l = listing();
  EXPECT_EQ(l.rfind("1\n NORVEK-QVD", 0), 0u) << l;
  EXPECT_NE(l.find("LOOPCT ="), std::string::npos) << l;
  EXPECT_NE(l.find(head), std::string::npos) << l;
}

TEST_F(SteadyState, NotANumberIsAFatalTemperatureError) {
  tna_test::Network net;
  net.node(1, 'D', 0.0, std::nan("")).node(2, 'B', 0.0);
  net.gl(1, 2, 1.0);
  net.build();
  EXPECT_THROW(SOLVFM(), plat::ProcessExit);
  EXPECT_TRUE(has_message(listing(), "SOLVFM: Temperature > 1.0D10 detected"));
}

// The network view of the built model, with STEFAN and TABS of the tests
// (the kernel tests do not set the control constants).
ThNetwork model_net() {
  ThNetwork n = th_network();
  n.stefan_at = &kSigma;
  n.tabs_at = &kTabs;
  return n;
}

// ---------------------------------------------------------------------------
// Energy balance figures.

// SENGBL's absolute and relative figures for a built network of three
// thermal nodes, two GL and ngr (0 or 1) GR conductors, with the masks SLOGST2
// makes for it.
struct Balance {
  double a = -1, r = -1;
};

Balance energy_balance(int ngr) {
  std::vector<std::int32_t> dm(3), dbm(3), gfm(1), glm(2), grm(1);
  ThInts d(dm.data(), 3), db(dbm.data(), 3), gf(gfm.data(), 1), gl(glm.data(), 2), gr(grm.data(), 1);
  SLOGST2(0, 2, ngr, 3, gar_fluidiccondacts.view(), gar_linearcondacts.view(), gar_radiativecondacts.view(),
          gar_thermalnodestatuses.view(), d, gf, gl, gr, db);
  Balance b;
  SENGBL(model_net(), d, db, gf, gl, gr, b.a, b.r);
  return b;
}

TEST(EnergyBalance, Figures) {
  struct Case {
    const char* what;
    double t1, q1, tb;
    char act;
    double enbala, enbalr;
  } cases[] = {
      {"steady state", 0.0, 10.0, -10.0, 'A', 0.0, 0.0},
      {"half way", -5.0, 10.0, -10.0, 'A', 5.0, 0.5},
      {"nothing flows", 3.0, 0.0, 3.0, 'A', 0.0, 0.0},
      {"inactive conductor", 0.0, 10.0, -10.0, 'I', 10.0, 1.0},
  };
  for (const Case& c : cases) {
    tna_test::Network net;
    net.node(1, 'D', c.t1, c.q1).node(2, 'B', c.tb).node(3, 'X', 500.0);
    net.gl(1, 2, 1.0, c.act);
    net.gl(2, 3, 1.0);  // to an inactive node: counts nothing
    net.build();
    const Balance b = energy_balance(0);
    EXPECT_NEAR(b.a, c.enbala, 1e-12) << c.what;
    EXPECT_NEAR(b.r, c.enbalr, 1e-12) << c.what;
    gar_deallocate_all();
  }
}

TEST(EnergyBalance, BoundaryExchangeIsSeenFromBothEnds) {
  // D node 1 (source 10, at -5) between boundary 2 (at -10) and boundary 3
  // (at 20, radiating to node 1); boundaries 2 and 3 joined by GL 1.
  tna_test::Network net;
  net.node(1, 'D', -5.0, 10.0).node(2, 'B', -10.0).node(3, 'B', 20.0);
  net.gl(1, 2, 1.0);
  net.gl(2, 3, 1.0);
  net.gr(1, 3, 0.5);
  net.build();
  const auto [a, r] = energy_balance(1);
  // Node 2: -5 into node 1 and -30 into node 3 (OUT 35); node 3: +30 into
  // node 2 and the radiation into node 1 (IN).
  const double t1 = -5.0 + kTabs, t3 = 20.0 + kTabs;
  const double rad = 0.5 * kSigma * (t3 * t3 * t3 * t3 - t1 * t1 * t1 * t1);
  const double in = 30.0 + rad, out = 35.0, src = 10.0;
  EXPECT_NEAR(a, std::fabs((in - out) + src), 1e-9);
  EXPECT_NEAR(r, std::fabs((in - out) + src) / (src + in), 1e-12);
  gar_deallocate_all();
}

// ---------------------------------------------------------------------------
// Ordering.

struct Order {
  std::vector<std::int32_t> diag, pos, order, rowf;
  int proflen = 0;
};

Order order_of(const tna_test::Network&) {
  const int nt = FLAGS(1);
  Order o;
  o.diag.assign(nt, 0);
  o.pos.assign(nt, 0);
  o.order.assign(nt, 0);
  o.rowf.assign(nt, 0);
  std::vector<std::int32_t> fr(nt), st(nt), pr(nt), mp(nt), dm(nt), dbm(nt), gfm(1), glm(std::max(FLAGS(2), 1)),
      grm(1);
  auto V = [](std::vector<std::int32_t>& v) { return ThInts(v.data(), static_cast<std::int64_t>(v.size())); };
  SLOGST2(0, FLAGS(2), 0, nt, gar_fluidiccondacts.view(), gar_linearcondacts.view(), gar_radiativecondacts.view(),
          gar_thermalnodestatuses.view(), V(dm), V(gfm), V(glm), V(grm), V(dbm));
  S3PNTR(0, nt, gar_pcsthermal.view(), th_cmat(gar_pcsptrsthermal), V(o.diag), V(o.pos), V(o.order), V(o.rowf),
         o.proflen, V(fr), V(dm), V(mp), V(st), V(pr));
  return o;
}

TEST(Ordering, ChainKeepsItsOrder) {
  tna_test::Network net;
  net.node(1, 'D', 0).node(2, 'D', 0).node(3, 'D', 0);
  net.gl(1, 2, 1.0);
  net.gl(2, 3, 1.0);
  net.build();
  const Order o = order_of(net);
  EXPECT_EQ(o.order, (std::vector<std::int32_t>{1, 2, 3}));
  EXPECT_EQ(o.rowf, (std::vector<std::int32_t>{1, 1, 2}));
  EXPECT_EQ(o.diag, (std::vector<std::int32_t>{1, 3, 5}));
  EXPECT_EQ(o.proflen, 5);
  gar_deallocate_all();
}

TEST(Ordering, BoundaryFirstAndSeparateGroups) {
  // Node 1 a boundary: it takes row 1, nothing enters the frontier from it,
  // row 2 goes to node 2. Two groups: after the first, the lowest
  // unnumbered node starts the second.
  tna_test::Network net;
  net.node(1, 'B', 0).node(2, 'D', 0).node(3, 'D', 0).node(4, 'D', 0).node(5, 'D', 0);
  net.gl(1, 5, 1.0);
  net.gl(2, 4, 1.0);
  net.gl(3, 5, 1.0);
  net.gr(2, 3, 1.0);  // radiative only: no profile entry
  net.build();
  const Order o = order_of(net);
  EXPECT_EQ(o.order, (std::vector<std::int32_t>{1, 2, 4, 3, 5}));
  EXPECT_EQ(o.rowf, (std::vector<std::int32_t>{1, 2, 2, 4, 1}));
  EXPECT_EQ(o.proflen, 1 + 1 + 2 + 1 + 5);
  gar_deallocate_all();
}

TEST(Ordering, PriorityActivityAndConductorKinds) {
  struct Case {
    const char* what;
    std::vector<std::tuple<char, int, int, char>> conds;  // kind, a, b, activity
    std::vector<std::int32_t> order, rowf, diag;
  } cases[] = {
      // After node 1, node 3 (only numbered neighbours, priority 3) goes
      // before node 2, which entered the frontier first but has two
      // unnumbered neighbours (priority 3 - 1 - 1).
      {"priority",
       {{'L', 1, 2, 'A'}, {'L', 1, 3, 'A'}, {'L', 2, 4, 'A'}, {'L', 2, 5, 'A'}},
       {1, 3, 2, 4, 5},
       {1, 1, 1, 3, 3},
       {1, 3, 6, 8, 11}},
      // An inactive conductor still shapes the order and the profile.
      {"inactive", {{'L', 1, 3, 'I'}}, {1, 3, 2, 4, 5}, {1, 1, 3, 4, 5}, {1, 3, 4, 5, 6}},
      // Radiative and fluidic conductors give no off-diagonal entries.
      {"GR and GF only", {{'R', 1, 2, 'A'}, {'F', 2, 3, 'A'}}, {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}},
  };
  for (const Case& c : cases) {
    tna_test::Network net;
    for (int n = 1; n <= 5; ++n) net.node(n, 'D', 0.0);
    for (const auto& [kind, a, b, act] : c.conds) {
      if (kind == 'L') net.gl(a, b, 1.0, act);
      if (kind == 'R') net.gr(a, b, 1.0, act);
      if (kind == 'F') net.gf(a, b, 1.0, act);
    }
    net.build();
    const Order o = order_of(net);
    EXPECT_EQ(o.order, c.order) << c.what;
    EXPECT_EQ(o.rowf, c.rowf) << c.what;
    EXPECT_EQ(o.diag, c.diag) << c.what;
    EXPECT_EQ(o.proflen, c.diag.back()) << c.what;
    gar_deallocate_all();
  }
}

// ---------------------------------------------------------------------------
// Kernel pieces.

TEST(Kernel, RadiationAtEqualTemperatureReturnsIt) {
  tna_test::Network net;
  net.node(1, 'D', 30.0).node(2, 'B', 30.0);
  net.gr(1, 2, 0.3);
  net.build();
  std::vector<std::int32_t> dm(2), dbm(2), gfm(1), glm(1), grm(1), diag{1, 2}, pos{1, 2}, order{1, 2}, rowf(2);
  auto V = [](std::vector<std::int32_t>& v) { return ThInts(v.data(), static_cast<std::int64_t>(v.size())); };
  SLOGST2(0, 0, 1, 2, gar_fluidiccondacts.view(), gar_linearcondacts.view(), gar_radiativecondacts.view(),
          gar_thermalnodestatuses.view(), V(dm), V(gfm), V(glm), V(grm), V(dbm));
  std::vector<double> prof(2), rhs(2);
  int status = -1;
  S3COND(model_net(), V(diag), V(dm), V(gfm), V(glm), V(grm), V(dbm), V(pos), V(order), 2, ThReals(prof.data(), 2),
         ThReals(rhs.data(), 2), V(rowf), status);
  EXPECT_EQ(status, 0);
  const double ta = 30.0 + kTabs, p = 0.3 * kSigma;
  EXPECT_NEAR(prof[0], 4.0 * p * ta * ta * ta, 1e-12);
  EXPECT_NEAR(rhs[0], 4.0 * p * ta * ta * ta * ta, 1e-9);
  EXPECT_EQ(prof[1], 1.0);
  EXPECT_EQ(rhs[1], ta);
  gar_deallocate_all();
}

TEST(Kernel, HeatFlowsByKind) {
  tna_test::Network net;
  net.node(1, 'D', 10.0).node(2, 'B', 20.0).node(3, 'X', 99.0).fluid(9, 30.0);
  net.gl(1, 2, 2.0);
  net.gl(1, 3, 5.0);  // neighbour of status X: skipped
  net.gr(1, 2, 0.5);
  net.gf(9, 1, 3.0);  // from the fluid node into node 1
  net.gf(1, 2, 7.0);  // leaves node 1: not a flow into it
  net.build();
  double qf, ql, qr;
  SCNDHF(model_net(), 1, gar_thermalnodetemps.view(), qf, ql, qr);
  EXPECT_NEAR(ql, 20.0, 1e-12);
  EXPECT_NEAR(qf, 60.0, 1e-12);
  const double t1 = 10.0 + kTabs, t2 = 20.0 + kTabs;
  EXPECT_NEAR(qr, (t2 * t2 * t2 * t2 - t1 * t1 * t1 * t1) * 0.5 * kSigma, 1e-9);
  gar_deallocate_all();
}

TEST(Kernel, ConductanceSumLinearisesRadiation) {
  tna_test::Network net;
  net.node(1, 'D', 10.0).node(2, 'B', 20.0).node(3, 'X', 99.0).node(4, 'C', 5.0).fluid(9, 30.0);
  net.gl(1, 2, 2.0);
  net.gl(1, 2, 11.0, 'I');  // inactive: adds nothing
  net.gl(1, 3, 5.0);        // neighbour of status X: skipped
  net.gl(1, 4, 13.0);       // neighbour of status C: skipped
  net.gr(1, 2, 0.5);
  net.gr(1, 9, 0.25);  // to a fluid node, at its temperature
  net.gf(9, 1, 3.0);   // into node 1
  net.gf(1, 2, 7.0);   // out of node 1: not part of its sum
  net.build();
  double sum = -1.0;
  SDGSUM(model_net(), 1, gar_thermalnodetemps.view(), sum);
  const double t1 = 10.0 + kTabs, t2 = 20.0 + kTabs, t9 = 30.0 + kTabs;
  const double expect =
      2.0 + 0.5 * kSigma * (t1 * t1 + t2 * t2) * (t1 + t2) + 0.25 * kSigma * (t1 * t1 + t9 * t9) * (t1 + t9) + 3.0;
  EXPECT_NEAR(sum, expect, 1e-12);
  gar_deallocate_all();
}

TEST(Kernel, FactorisationReportsTheLastFailingRow) {
  // 2x2 singular block [1 -1; -1 1] after a regular row.
  std::vector<std::int32_t> diag{1, 2, 4}, rowf{1, 2, 2};
  std::vector<double> a{2.0, 1.0, -1.0, 1.0};
  int status = 0;
  S3SFCT(ThCInts(diag.data(), 3), ThCInts(rowf.data(), 3), 3, 4, ThReals(a.data(), 4), status);
  EXPECT_EQ(status, 3);
  // A negative pivot is a failure too.
  std::vector<double> b{1.0, 2.0, 1.0, -3.0};
  S3SFCT(ThCInts(diag.data(), 3), ThCInts(rowf.data(), 3), 3, 4, ThReals(b.data(), 4), status);
  EXPECT_EQ(status, 3);
}

}  // namespace
