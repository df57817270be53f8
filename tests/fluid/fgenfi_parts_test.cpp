// Parts of the two-phase solution FGENFI: the ordering of its node
// equations (FPNTER), the initial link states (MHXINI), the Courant-type
// limit (SFICOU) and the adaptive relaxation.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "fgenfi_pass.h"
#include "fluid/fgenfi.h"
#include "fluid_fixture.h"
#include "properties/properties.h"

namespace fluid_test {
namespace {

class FgenfiParts : public FluidTest {
 protected:
  // Runs FPNTER on the built model into vectors of its own.
  void order() {
    const std::size_t nf = static_cast<std::size_t>(net.nf1);
    for (auto* v : {&perm, &pos, &ju, &ir, &id, &jl, &loopend}) v->assign(nf, -1);
    auto I = [](std::vector<std::int32_t>& v) { return FlInts(v.data(), static_cast<std::int64_t>(v.size())); };
    w.perm = I(perm);
    w.pos = I(pos);
    w.ju = I(ju);
    w.ir = I(ir);
    w.id = I(id);
    w.jl = I(jl);
    w.loopend = I(loopend);
    FPNTER(net, w);
  }
  FgPass w;
  std::vector<std::int32_t> perm, pos, ju, ir, id, jl, loopend;
};

using V = std::vector<std::int32_t>;

TEST_F(FgenfiParts, OrderingOfAChain) {
  tna_test::FluidModel f = tna_test::chain(3);
  build(f);
  order();
  EXPECT_EQ(perm, (V{1, 2, 3}));
  EXPECT_EQ(jl, (V{1, 1, 1}));
  EXPECT_EQ(ir, (V{2, 3, 3}));
  EXPECT_EQ(id, (V{1, 4, 8}));
  EXPECT_EQ(w.lprof, 8);
  EXPECT_EQ(w.nlp, 1);
  EXPECT_EQ(loopend[0], 3);
}

TEST_F(FgenfiParts, OrderingOfTwoSeparateLoops) {
  // Nodes 1, 3, 5 in one ring, 2 and 4 in a chain: the first loop holds node
  // 1, the second starts at node 2.
  tna_test::FluidModel f;
  for (int i = 1; i <= 5; ++i) f.fluid(i);
  f.link(1, 3, 0.01);
  f.link(3, 5, 0.01);
  f.link(5, 1, 0.01);
  f.link(2, 4, 0.01);
  build(f);
  order();
  EXPECT_EQ(w.nlp, 2);
  EXPECT_EQ(loopend[0], 3);
  EXPECT_EQ(loopend[1], 5);
  EXPECT_EQ(perm[0], 1);
  EXPECT_EQ(perm[3], 2);
  EXPECT_EQ(jl[2], 1);  // the last row of each loop starts at its first column
  EXPECT_EQ(jl[4], 4);
  EXPECT_EQ(ju[3], 4);
}

TEST_F(FgenfiParts, OrderingAgreesWithTheHydraulicOrderingWidened) {
  // The ordering of the single-phase routines, each loop's last row widened
  // to the loop's first column, is the same layout.
  auto two_loops = [] {
    tna_test::FluidModel f = tna_test::ring(4, false);
    for (int i = 5; i <= 7; ++i) f.fluid(i);
    f.link(5, 6, 0.01);
    f.link(6, 7, 0.01);
    f.link(7, 5, 0.01);
    return f;
  };
  for (auto shape : {+[] { return tna_test::branch(); }, +[] { return tna_test::ring(6, true); }, +two_loops}) {
    gar_deallocate_all();
    tna_test::FluidModel f = shape();
    build(f);
    order();
    PassStore s(net);
    for (int r = 1; r <= net.nf; ++r) {
      SCOPED_TRACE(r);
      EXPECT_EQ(w.perm(r), s.w.perm(r));
      EXPECT_EQ(w.pos(r), s.w.pos(r));
      EXPECT_EQ(w.ju(r), s.w.ju(r));
      EXPECT_EQ(w.jl(r), s.w.jl(r));
      EXPECT_EQ(w.ir(r), s.w.ir(r));
      EXPECT_EQ(w.id(r), s.w.id(r));
    }
    EXPECT_EQ(w.lprof, s.w.lprof);
    ASSERT_EQ(w.nlp, s.w.nlp);
    for (int g = 1; g <= w.nlp; ++g) EXPECT_EQ(w.loopend(g), s.w.loopend(g));
  }
}

TEST_F(FgenfiParts, InitialLinkStatesComeFromTheUpstreamNode) {
  // Link 1 flows backwards from node 2, which separates a phase at that end
  // (its second flag) for a momentum link: the link carries the separation
  // quality and the saturated mixture at node 2's pressure. Link 2 has the
  // same flag but is evaporative, link 3 flows forwards: both carry their
  // upstream node's state.
  tna_test::FluidModel f = tna_test::chain(4);
  f.link_spec(0).flow = -0.01;
  f.link_spec(1).type = 2;
  f.link_spec(1).flow = -0.01;
  build(f);
  const int code = FTYPEI("WATER");
  for (int i = 1; i <= 4; ++i) {
    net.fe(i) = 1.0e5 * i;
    net.vq(i) = 0.1 * i;
    net.p(i) = 1.0e5 + 1.0e4 * i;
  }
  gar_massflowlinkphasesepflags(2, 1) = 1;
  gar_massflowlinkphasesepvapquals(2, 1) = 0.25;
  gar_massflowlinkphasesepflags(2, 2) = 1;
  gar_massflowlinkphasesepvapquals(2, 2) = 0.75;
  MHXINI(net);
  const double p2 = net.p(2), ts = XTEMPS(p2, code, 0);
  const double hl = XENTHS(p2, ts, 0.0, code, 0), hv = XENTHS(p2, ts, 1.0, code, 0);
  EXPECT_EQ(net.lvq(1), 0.25);
  EXPECT_EQ(net.lh(1), 0.25 * hv + 0.75 * hl);
  EXPECT_EQ(net.lh(2), net.fe(3));
  EXPECT_EQ(net.lvq(2), net.vq(3));
  EXPECT_EQ(net.lh(3), net.fe(3));
  EXPECT_EQ(net.lvq(3), net.vq(3));
}

TEST_F(FgenfiParts, CourantLimitIsTheShortestResidenceTime) {
  // Three nodes at quality 0.5; link 1 carries 0.01 kg/s, link 2 0.04 kg/s
  // out of a node twice as long, link 3 nothing.
  tna_test::FluidModel f = tna_test::chain(4);
  f.link_spec(1).flow = -0.04;
  f.link_spec(2).flow = 0.0;
  build(f);
  const int code = FTYPEI("WATER");
  const double ts = XTEMPS(1.0e5, code, 0);
  for (int i = 1; i <= 4; ++i) {
    net.p(i) = 1.0e5;
    net.tf(i) = ts;
    net.vq(i) = 0.5;
    net.fla(i) = 1.0e-3;
  }
  net.fl(3) = 2.0;
  const double rho = XRHO(1.0e5, ts, 0.5, code, 0);
  EXPECT_NEAR(SFICOU(net), 1.5 * rho * 1.0e-3 / 0.04, 1e-12);
  // No flow at all: no limit.
  gar_massflowlinkflowrates(1) = gar_massflowlinkflowrates(2) = 0.0;
  EXPECT_EQ(SFICOU(net), 1.0e38);
}

TEST_F(FgenfiParts, RelaxationFollowsTheCorrections) {
  struct Case {
    double factor, dc, dq, expect;
    const char* what;
  };
  const Case cases[] = {
      {0.5, 1.0, 2.0, 0.5 + 0.5 * (0.9 - 0.5), "shrinking corrections: up, to at most 0.9"},
      {0.5, 2.0, 1.0, 0.5 + 0.5 * (0.25 - 0.5), "growing corrections: down"},
      {0.5, -2.0, 1.0, 0.5 + 0.5 * (0.8 * 0.5 * 0.5 - 0.5), "oscillation: towards 0.8 |dq/dc| R"},
      {0.3, 1.0e-38, 5.0, 0.3, "no correction: unchanged"},
      {0.3, 1.0, 0.0, 0.15, "no previous correction: halved"},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(fg_relax(c.factor, c.dc, c.dq), c.expect) << c.what;
}

}  // namespace
}  // namespace fluid_test
