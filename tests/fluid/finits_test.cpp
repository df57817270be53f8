// Fluid-state initialisation FINITS: node selection, flow area and volume,
// descriptor forms and flow regimes, the work space it borrows, and its
// failures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/char_pool.h"
#include "fluid/fluid_services.h"
#include "fluid_fixture.h"
#include "model/generated_program.h"
#include "platform/process.h"

namespace fluid_test {
namespace {

class FinitsTest : public FluidTest {
 protected:
  // Main model: fluid nodes 1 and 2; submodel SUB: fluid node 3.
  void two_models() {
    tna_test::FluidModel fm;
    const int sub = fm.submodel("SUB");
    tna_test::FluidNodeSpec& a = fm.fluid(1);
    a.fd = 0.02;
    a.fl = 2.0;
    tna_test::FluidNodeSpec& b = fm.fluid(2);
    b.fla = 0.5;
    b.fl = 3.0;
    b.vol = 99.0;
    tna_test::FluidNodeSpec& c = fm.fluid(3, sub);
    c.label = "PUMP INLET";
    fm.link(1, 2, 0.01);
    build(fm);
  }
  // Nodes whose volume FINITS set (volumes start at -1).
  std::vector<int> selected_by(std::string_view zlabel, int modref) {
    for (int k = 1; k <= net.nf; ++k) net.vol(k) = -1.0;
    const int top = FLAGS(FLAGS_NEXTDYNAMICCOREINT);
    FINITS(zlabel, modref);
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), top);
    std::vector<int> out;
    for (int k = 1; k <= net.nf; ++k)
      if (net.vol(k) != -1.0) out.push_back(net.nums(k));
    return out;
  }
};

TEST_F(FinitsTest, InitialFrameCompletesTheGeometryOfTheMainModelsNodes) {
  two_models();
  tna_test::BlockLog log;
  log.install();
  const int top = FLAGS(FLAGS_NEXTDYNAMICCOREINT);
  IN0001();
  EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), top);
  ASSERT_EQ(log.calls.size(), 1u);
  EXPECT_EQ(log.calls[0].block, "INITIAL");
  // An undefined flow area comes from the hydraulic diameter, pi being
  // 3.1415927; the volume is always FLA x FL.
  const double fla = 0.02 * (3.1415927 * 0.02) * 0.25;
  EXPECT_EQ(net.fla(1), fla);
  EXPECT_EQ(net.vol(1), fla * 2.0);
  EXPECT_EQ(net.fla(2), 0.5);
  EXPECT_EQ(net.vol(2), 1.5);
  // The submodel's node is not the main model's own.
  EXPECT_TRUE(SDUNDF(net.fla(3)));
  EXPECT_EQ(net.vol(3), 0.0);
  EXPECT_EQ(listing().find("@@@@"), std::string::npos) << listing();
}

TEST_F(FinitsTest, SubmodelReferencesAndNodeListsSelectTheNodes) {
  two_models();
  struct Case {
    const char* zlabel;
    int modref;
    std::vector<int> nodes;
  };
  const Case cases[] = {
      {" ", -1, {1, 2}},  {" ", 1, {1, 2, 3}}, {" ", -2, {3}},    {" ", 2, {3}},
      {"#2", 1, {2}},     {"#1-2", -1, {1, 2}}, {"PUMP", 1, {3}}, {"PUMP", -1, {}},
      {"NOTHING", 1, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(selected_by(c.zlabel, c.modref), c.nodes) << c.zlabel << " " << c.modref;
  EXPECT_EQ(listing().find("@@@@"), std::string::npos) << listing();
}

TEST_F(FinitsTest, ModelWithoutFluidNodesIsLeftAlone) {
  tna_test::FluidModel fm;
  fm.submodel("SUB");
  fm.fluid(5, 2);
  fm.thermal(1, 'D', 0.0);
  build(fm);
  EXPECT_EQ(selected_by(" ", -1), std::vector<int>{});
  tna_test::FluidModel none;
  none.thermal(1, 'D', 0.0);
  build(none);
  EXPECT_EQ(selected_by(" ", 1), std::vector<int>{});
  EXPECT_EQ(listing().find("@@@@"), std::string::npos) << listing();
}

TEST_F(FinitsTest, DescriptorFormsAreNormalisedInACopy) {
  const std::vector<std::string> accepted = {"P&T", "T&P", " P&T", "P& T", "T\t&P", "FE&P", "VQ&P", "VQ&T"};
  const std::vector<std::string> refused = {"p&t", "P&X", "PT", ""};
  tna_test::FluidModel fm;
  int num = 0;
  for (const std::string& d : accepted) {
    tna_test::FluidNodeSpec& s = fm.fluid(++num);
    s.fst = d;
    s.fe = 84000.0;
  }
  for (const std::string& d : refused) {
    tna_test::FluidNodeSpec& s = fm.fluid(++num);
    s.fst = d;
    s.vq = 1.0;
  }
  build(fm);
  FINITS(" ", 1);
  const std::string out = listing();
  int k = 0;
  for (const std::string& d : accepted) {
    ++k;
    EXPECT_EQ(std::string(net.fst(k).view()), plat::Text<4>(d).view()) << d;  // never rewritten
  }
  for (const std::string& d : refused) {
    ++k;
    const std::string stored(net.fst(k).view());
    EXPECT_EQ(stored, std::string(plat::Text<4>(d).view()));
    EXPECT_TRUE(has_message(out, "Fluid state descriptor not recognised@String given: FST = '" + stored + "'"))
        << d << "\n" << out;
    // The node still gets its flow regime from the quality it had.
    EXPECT_EQ(std::string(net.frg(k).view()), "VAP ") << d;
  }
  EXPECT_TRUE(has_reference(out, "FGEIND", 5));
  // One box per refused node, none for the accepted ones.
  std::size_t boxes = 0;
  for (std::size_t at = out.find("@@@@  FAILURE"); at != std::string::npos; at = out.find("@@@@  FAILURE", at + 1))
    ++boxes;
  EXPECT_EQ(boxes, refused.size());
  // The lower-case descriptor is quoted with its stored width.
  EXPECT_TRUE(has_message(out, "FST = 'p&t '"));
}

TEST_F(FinitsTest, FlowRegimeFollowsQualityAndHumidAirIsVapour) {
  struct Case {
    const char* fluid;
    const char* fst;
    double vq;
    const char* frg;
  };
  const Case cases[] = {
      {"WATER", "P&VQ", 0.0, "LIQ "},   {"WATER", "P&VQ", 5.0e-38, "LIQ "}, {"WATER", "P&VQ", 1.0, "VAP "},
      {"WATER", "P&VQ", 0.4, "HEM "},   {"WATER", "P&VQ", 1.0e-30, "HEM "}, {"AIRW", "P&T", 0.3, "VAP "},
  };
  tna_test::FluidModel fm;
  int num = 0;
  for (const Case& c : cases) {
    tna_test::FluidNodeSpec& s = fm.fluid(++num);
    s.fluid = c.fluid;
    s.fst = c.fst;
    s.vq = c.vq;
    s.phi = 0.5;
    s.p = 1.0e5;
  }
  build(fm);
  for (int k = 1; k <= net.nf; ++k) net.frg(k) = "XXXX";
  FINITS(" ", -1);
  for (int k = 1; k <= net.nf; ++k)
    EXPECT_EQ(std::string(net.frg(k).view()), cases[k - 1].frg) << cases[k - 1].fluid << " " << cases[k - 1].vq;
}

TEST_F(FinitsTest, ShortageOfIntegerWorkSpaceIsFatal) {
  tna_test::FluidModel fm = tna_test::chain(5);
  build(fm, 100);
  // Exactly enough words: no message.
  FLAGS(FLAGS_NEXTDYNAMICCOREINT) = 95;
  FINITS(" ", -1);
  EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), 95);
  EXPECT_EQ(listing().find("@@@@"), std::string::npos);
  // One word short.
  FLAGS(FLAGS_NEXTDYNAMICCOREINT) = 96;
  EXPECT_THROW(FINITS(" ", -1), plat::ProcessExit);
  const std::string out = listing();
  EXPECT_TRUE(has_message(out, "Insufficient dynamic core"));
  EXPECT_TRUE(has_reference(out, "FINITS", 1));
  EXPECT_NE(out.find("@@@@  FATAL ERROR"), std::string::npos);
  EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), 96);
}

TEST_F(FinitsTest, InvalidSubmodelReferenceIsFatal) {
  for (const int modref : {3, -3, 0}) {
    SCOPED_TRACE(modref);
    fresh_listing();
    two_models();
    EXPECT_THROW(FINITS(" ", modref), plat::ProcessExit);
    const std::string out = listing();
    EXPECT_TRUE(has_message(out, "Invalid submodel reference@Getting node list from group specification"));
    EXPECT_TRUE(has_message(out, "Failed to initialise fluid state"));
    EXPECT_TRUE(has_reference(out, "FINITS", 2));
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), 1);
  }
}

}  // namespace
}  // namespace fluid_test
