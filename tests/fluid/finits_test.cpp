// Fluid-state initialisation FINITS: node selection, flow area and volume,
// descriptor forms and flow regimes, the work space it borrows, and its
// failures.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/char_pool.h"
#include "fluid/fluid_services.h"
#include "fluid_fixture.h"
#include "model/generated_program.h"
#include "platform/process.h"
#include "properties/properties.h"

namespace fluid_test {
namespace {

constexpr int kWater = 2;
constexpr int kHumidAir = 4;

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
  // clang-format off
  const Case cases[] = {
      {" ", -1, {1, 2}},  {" ", 1, {1, 2, 3}}, {" ", -2, {3}},    {" ", 2, {3}},
      {"#2", 1, {2}},     {"#1-2", -1, {1, 2}}, {"PUMP", 1, {3}}, {"PUMP", -1, {}},
      {"NOTHING", 1, {}},
  };
  // clang-format on
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
        << d << "\n"
        << out;
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
  // clang-format off
  const Case cases[] = {
      {"WATER", "P&VQ", 0.0, "LIQ "},   {"WATER", "P&VQ", 5.0e-38, "LIQ "}, {"WATER", "P&VQ", 1.0, "VAP "},
      {"WATER", "P&VQ", 0.4, "HEM "},   {"WATER", "P&VQ", 1.0e-30, "HEM "}, {"AIRW", "P&T", 0.3, "VAP "},
  };
  // clang-format on
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

TEST_F(FinitsTest, DescriptorFormsCompleteTheStateFromThePropertyFunctions) {
  // Water at 1 and 2 bar (PABS 0: the pressures are absolute). Expected
  // values come from the property functions called as the state needs
  // them, and from steam-table figures within 1 or 2 %.
  const double p1 = 1.0e5, p2 = 2.0e5;
  const double ts = XTEMPS(p1, kWater, 0);
  const double hl = XENTHS(p1, ts, 0.0, kWater, 0);
  const double hv = XENTHS(p1, ts, 1.0, kWater, 0);
  EXPECT_NEAR(ts, 99.61, 0.5);
  EXPECT_NEAR(hl, 417.5e3, 0.01 * 417.5e3);
  EXPECT_NEAR(hv, 2675.1e3, 0.01 * 2675.1e3);
  struct Case {
    const char* fst;
    double p, t, fe, vq;
  };
  const Case cases[] = {
      {"P&T", p2, 20.0, 0.0, 0.7},   // subcooled water
      {"T&P", p1, 150.0, 0.0, 0.0},  // superheated steam, reversed form
      {" P&T", p1, ts, 0.0, 0.5},    // at saturation: liquid
      {"P&FE", p1, 0.0, hl, 0.5},    // saturated liquid
      {"FE&P", p1, 0.0, hv, 0.5},    // saturated vapour
      {"P&VQ", p1, 0.0, 0.0, 0.3},  {"VQ&T", 0.0, 120.0, 0.0, 1.0},
  };
  tna_test::FluidModel fm;
  int num = 0;
  for (const Case& c : cases) {
    tna_test::FluidNodeSpec& s = fm.fluid(++num);
    s.fst = c.fst;
    s.p = c.p;
    s.t = c.t;
    s.fe = c.fe;
    s.vq = c.vq;
  }
  fm.thermal(100, 'D', 0.0);  // fluid node k is global node 1 + k
  build(fm);
  const int top = FLAGS(FLAGS_NEXTDYNAMICCOREINT);
  FINITS(" ", -1);
  EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), top);
  EXPECT_EQ(listing().find("@@@@"), std::string::npos);
  for (int k = 1; k <= net.nf; ++k)
    EXPECT_EQ(std::string(net.fst(k).view()), std::string(plat::Text<4>(cases[k - 1].fst).view()));
  const int n1 = 2;  // global number of fluid node 1

  // P&T, liquid: VQ 0 and the liquid enthalpy at (P, T).
  EXPECT_EQ(net.vq(1), 0.0);
  EXPECT_EQ(net.fe(1), XENTH(p2, 20.0, 0.0, kWater, n1));
  EXPECT_NEAR(net.fe(1), 84.0e3, 0.02 * 84.0e3);  // integrated down from 120 C
  EXPECT_EQ(std::string(net.frg(1).view()), "LIQ ");
  // T&P, vapour.
  EXPECT_EQ(net.vq(2), 1.0);
  EXPECT_EQ(net.fe(2), XENTH(p1, 150.0, 1.0, kWater, n1 + 1));
  EXPECT_NEAR(net.fe(2), 2776.6e3, 0.01 * 2776.6e3);
  EXPECT_EQ(std::string(net.frg(2).view()), "VAP ");
  // A temperature equal to the saturation temperature counts as liquid.
  EXPECT_EQ(net.vq(3), 0.0);
  EXPECT_EQ(net.fe(3), hl);
  EXPECT_EQ(std::string(net.frg(3).view()), "LIQ ");
  // P&FE at the saturated-liquid and saturated-vapour enthalpies.
  EXPECT_EQ(net.vq(4), 0.0);
  EXPECT_EQ(net.tf(4), XTEMP(p1, hl, 0.0, kWater, n1 + 3));
  EXPECT_NEAR(net.tf(4), ts, 0.01);
  EXPECT_EQ(std::string(net.frg(4).view()), "LIQ ");
  EXPECT_EQ(net.vq(5), 1.0);
  EXPECT_NEAR(net.tf(5), ts, 0.01);
  EXPECT_EQ(std::string(net.frg(5).view()), "VAP ");
  EXPECT_EQ(net.fe(5), hv);  // given: untouched
  // P&VQ: the saturation temperature and the mixture's enthalpy.
  EXPECT_EQ(net.tf(6), ts);
  EXPECT_EQ(net.fe(6), XENTH(p1, ts, 0.3, kWater, n1 + 5));
  EXPECT_NEAR(net.fe(6), hl + 0.3 * (hv - hl), 1e-6 * hv);
  EXPECT_EQ(std::string(net.frg(6).view()), "HEM ");
  // T&VQ: the saturation pressure (1.9867 bar at 120 C) and the vapour's
  // enthalpy.
  EXPECT_EQ(net.p(7), XPRESS(120.0, kWater, n1 + 6));
  EXPECT_NEAR(net.p(7), 1.9867e5, 0.01 * 1.9867e5);
  EXPECT_EQ(net.fe(7), XENTH(net.p(7), 120.0, 1.0, kWater, n1 + 6));
  EXPECT_EQ(std::string(net.frg(7).view()), "VAP ");
}

TEST_F(FinitsTest, TwoPhaseEnthalpyLiesAtTheSaturationTemperature) {
  // "P&FE" between the saturation enthalpies, for the node and for its mass
  // source: the quality lies between 0 and 1 and the temperature is the
  // saturation temperature of the pressure (asking XTEMP for a two-phase
  // temperature would end the run).
  const double p = 1.0e5;
  const double ts = XTEMPS(p, kWater, 0);
  const double hl = XENTHS(p, ts, 0.0, kWater, 0);
  const double hv = XENTHS(p, ts, 1.0, kWater, 0);
  tna_test::FluidModel fm;
  tna_test::FluidNodeSpec& s = fm.fluid(1);
  s.fst = "P&FE";
  s.p = p;
  s.fe = 0.25 * hl + 0.75 * hv;
  s.fm = 0.1;
  s.fh = 0.5 * hl + 0.5 * hv;
  build(fm);
  FINITS(" ", -1);
  EXPECT_EQ(listing(), "");
  EXPECT_NEAR(net.vq(1), 0.75, 1e-12);
  EXPECT_EQ(net.tf(1), ts);
  EXPECT_NEAR(net.fw(1), 0.5, 1e-12);
  EXPECT_EQ(net.fr(1), ts);
}

TEST_F(FinitsTest, EnthalpyAndTemperatureFormsAgree) {
  // A state completed from (P, T) and completed back from (P, FE) gives
  // the temperature again, liquid and vapour alike.
  tna_test::FluidModel fm;
  const double states[][2] = {{3.0e5, 10.0}, {3.0e5, 90.0}, {0.5e5, 120.0}, {0.5e5, 200.0}};
  int num = 0;
  for (const auto& st : states) {
    tna_test::FluidNodeSpec& s = fm.fluid(++num);
    s.p = st[0];
    s.t = st[1];
  }
  build(fm);
  FINITS(" ", -1);
  for (int k = 1; k <= net.nf; ++k) {
    const double vq = net.vq(k);
    gar_fluidnodestatedescriptors(k) = "P&FE";
    net.tf(k) = -1.0;
    net.vq(k) = 0.5;
    FINITS(" ", -1);
    EXPECT_EQ(net.vq(k), vq) << k;
    EXPECT_NEAR(net.tf(k), states[k - 1][1], 0.01) << k;
  }
  EXPECT_EQ(listing().find("@@@@"), std::string::npos);
}

TEST_F(FinitsTest, HumidAirGetsItsSpecificHumidity) {
  // Room air at 25 C and 50 % relative humidity, 1.01325 bar; PABS not 0,
  // so the relative and absolute pressures differ. Saturation pressure of
  // water at 25 C: 3169.9 Pa.
  GLOR.PABS = 1.0e5;
  tna_test::FluidModel fm;
  int num = 0;
  for (const char* fst : {"P&T", "T&P", "P&VQ"}) {
    tna_test::FluidNodeSpec& s = fm.fluid(++num);
    s.fluid = "AIRW";
    s.fst = fst;
    s.p = 1325.0;
    s.t = 25.0;
    s.phi = 0.5;
    s.vq = 0.0;
  }
  fm.node(3).vq = 1.0;  // the quality "P&VQ" gives, not the humidity
  // Node 2 has a mass source of drier, warmer air.
  fm.node(2).fm = 0.01;
  fm.node(2).fr = 30.0;
  fm.node(2).fw = 0.004;
  build(fm);
  FINITS(" ", -1);
  const double pv = 0.5 * (XPRESS(25.0, kWater, 1) + 1.0e5);
  // The factor is the single-precision literal 0.6221, 7E-9 off the double.
  const double w = static_cast<double>(0.6221f) * pv / (1.0e5 + 1325.0 - pv);
  EXPECT_NEAR(pv, 0.5 * 3169.9, 0.01 * 0.5 * 3169.9);
  EXPECT_NEAR(w, 0.6221 * 1584.95 / (101325.0 - 1584.95), 0.01 * w);
  for (int k = 1; k <= 2; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(net.w(k), w);
    EXPECT_EQ(net.vq(k), w);
    EXPECT_EQ(std::string(net.frg(k).view()), "VAP ");
    // The enthalpy at the node's own humidity ratio (once at the phase
    // value of the (P, T) pair, 1, as if half the mass were vapour).
    EXPECT_EQ(net.fe(k), XENTH(1325.0, 25.0, w, kHumidAir, k));
  }
  // Next to dry air's at the same temperature, the vapour's share of the
  // specific heat apart.
  EXPECT_NEAR(net.fe(1), XENTH(1325.0, 25.0, 0.0, kHumidAir, 1), 0.02 * net.fe(1));
  // "P&VQ" takes the saturation temperature of humid air, 0.01 C, and the
  // enthalpy at the humidity ratio there too.
  EXPECT_EQ(net.tf(3), XTEMPS(1325.0, kHumidAir, 3));
  const double pv3 = 0.5 * (XPRESS(net.tf(3), kWater, 3) + 1.0e5);
  const double w3 = static_cast<double>(0.6221f) * pv3 / (1.0e5 + 1325.0 - pv3);
  EXPECT_EQ(net.w(3), w3);
  EXPECT_EQ(net.fe(3), XENTH(1325.0, net.tf(3), w3, kHumidAir, 3));
  // The source's enthalpy at its own temperature and humidity ratio (once
  // at the phase value 1); its humidity is kept.
  EXPECT_EQ(net.fh(2), XENTH(1325.0, 30.0, 0.004, kHumidAir, 2));
  EXPECT_EQ(net.fw(2), 0.004);
  EXPECT_EQ(net.fr(2), 30.0);
  // Nothing is out of range on the way.
  EXPECT_EQ(listing().find("@@@@"), std::string::npos) << listing();
}

TEST_F(FinitsTest, MassSourceStateFollowsTheDescriptor) {
  const double p = 1.0e5;
  const double ts = XTEMPS(p, kWater, 0);
  const double und = tna_test::undefined_real();
  struct Case {
    const char* fst;
    double t, fe, vq;       // node state given
    double fm, fr, fh, fw;  // source given
    int code;               // warning code, 0 for none
  };
  const double h40 = XENTH(p, 40.0, 0.0, kWater, 0);
  const Case cases[] = {
      {"P&T", 20.0, 0.0, 0.0, 0.2, 60.0, -7.0, -8.0, 0},
      {"P&T", 20.0, 0.0, 0.0, 0.2, und, -7.0, -8.0, 1},
      {"P&FE", 0.0, h40, 0.0, 0.2, -6.0, h40, -8.0, 0},
      {"P&FE", 0.0, h40, 0.0, 0.2, -6.0, und, -8.0, 2},
      {"P&VQ", 0.0, 0.0, 0.0, 0.2, -6.0, -7.0, 1.0, 0},
      {"P&VQ", 0.0, 0.0, 0.0, 0.2, -6.0, -7.0, und, 3},
      {"T&VQ", 70.0, 0.0, 0.0, 0.2, 80.0, -7.0, 0.0, 0},
      {"T&VQ", 70.0, 0.0, 0.0, 0.2, 80.0, -7.0, und, 4},
      {"T&VQ", 70.0, 0.0, 0.0, 0.2, und, -7.0, 0.0, 4},
      // No source: undefined, zero, an outflow.
      {"P&T", 20.0, 0.0, 0.0, und, und, -7.0, -8.0, 0},
      {"P&T", 20.0, 0.0, 0.0, 0.0, und, -7.0, -8.0, 0},
      {"P&VQ", 0.0, 0.0, 0.0, -0.2, -6.0, -7.0, und, 0},
  };
  tna_test::FluidModel fm;
  int num = 0;
  for (const Case& c : cases) {
    tna_test::FluidNodeSpec& s = fm.fluid(++num);
    s.fst = c.fst;
    s.p = p;
    s.t = c.t;
    s.fe = c.fe;
    s.vq = c.vq;
    s.fm = c.fm;
    s.fr = c.fr;
    s.fh = c.fh;
    s.fw = c.fw;
  }
  build(fm);
  FINITS(" ", -1);
  const std::string out = listing();
  auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
  int warnings = 0;
  for (int k = 1; k <= net.nf; ++k) {
    const Case& c = cases[k - 1];
    SCOPED_TRACE(testing::Message() << c.fst << " node " << k);
    if (c.code != 0) ++warnings;
    const bool source = c.fm > 0.0 && !SDUNDF(c.fm);
    const std::string fst(c.fst);
    if (!source || c.code != 0) {
      // Untouched, apart from FR := T for P&VQ.
      const bool pvq_source = source && fst == "P&VQ";
      EXPECT_TRUE(same(net.fr(k), pvq_source ? ts : c.fr));
      EXPECT_TRUE(same(net.fh(k), c.fh));
      EXPECT_TRUE(same(net.fw(k), c.fw));
      continue;
    }
    if (fst == "P&T") {
      EXPECT_EQ(net.fh(k), XENTH(p, 60.0, 0.0, kWater, k));
      EXPECT_EQ(net.fw(k), 0.0);
    } else if (fst == "P&FE") {
      EXPECT_EQ(net.fr(k), XTEMP(p, h40, 0.0, kWater, k));
      EXPECT_NEAR(net.fr(k), 40.0, 0.01);
      EXPECT_EQ(net.fw(k), 0.0);
    } else if (fst == "P&VQ") {
      EXPECT_EQ(net.fr(k), ts);
      EXPECT_EQ(net.fh(k), XENTH(p, ts, 1.0, kWater, k));
      EXPECT_EQ(net.fh(k), XENTHS(p, ts, 1.0, kWater, k));
    } else {
      // Taken at the saturation pressure of FR, not the node's.
      EXPECT_EQ(net.fh(k), XENTH(XPRESS(80.0, kWater, k), 80.0, 0.0, kWater, k));
      EXPECT_NE(net.fh(k), XENTH(net.p(k), 80.0, 0.0, kWater, k));
    }
  }
  const char* texts[] = {
      "",
      "Initialisation of FH and FW failed@Mass-source temperature FR not defined. FST = 'P&T '",
      "Initialisation of FR and FW failed@Mass-source enthalpy FH not defined. FST = 'P&FE'",
      "Initialisation of FH failed@Mass-source quality FW not defined. FST = 'P&VQ'",
      "Initialisation of FH failed@Mass-source temperature FR or quality FW not defined. FST = 'T&VQ'",
  };
  for (int code = 1; code <= 4; ++code) {
    EXPECT_TRUE(has_message(out, texts[code])) << code << "\n" << out;
    EXPECT_TRUE(has_reference(out, "FGEIND", code)) << code;
  }
  EXPECT_EQ(count_boxes(out), static_cast<std::size_t>(warnings)) << out;
  EXPECT_EQ(out.find("FATAL"), std::string::npos);
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
