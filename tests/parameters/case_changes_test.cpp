// Changes of nodal values, statuses, user entities, arrays and constants.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/char_pool.h"
#include "param_fixture.h"
#include "parameters/case_changes.h"

namespace params_test {
namespace {

using ChangesTest = ParamsTest;

template <class T>
void make_undefined(T& v) {
  v = T{};
  reinterpret_cast<int*>(&v)[0] = kUndefined;
}

std::string undefined_node(int number, const std::string& path) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%10d", number);
  return "Entity undefined - possibly defined with Mortran@Value may be overwritten by Mortran expression during "
         "solution. Node " +
         std::string(buf) + " in sub-model " + path;
}

plat::Vec1<const int> view(const std::vector<int>& v) {
  return plat::Vec1<const int>(v.data(), static_cast<int>(v.size()));
}

TEST_F(ChangesTest, ChangeOfUndefinedValuesWarnsAndSets) {
  const std::vector<int> list = {7, 8, 9};
  make_undefined(gar_thermalnodetemps(8));
  int changed = -1, refused = -1;
  const std::string out =
      printed([&] { PARCNR(view(list), 3, 5.0, kNT, gar_thermalnodetemps.view(), changed, refused); });
  EXPECT_EQ(changed, 3);
  EXPECT_EQ(refused, 0);
  for (int n : list) EXPECT_EQ(gar_thermalnodetemps(n), 5.0);
  EXPECT_EQ(out, box(undefined_node(2, "MAIN:SUB1"), 3, 1, "PARCNR"));
}

TEST_F(ChangesTest, ScaleRefusesUndefinedValuesAndGoesOn) {
  const std::vector<int> list = {7, 8, 9};
  make_undefined(gar_thermalnodetemps(8));
  int changed = -1, refused = -1;
  const std::string out =
      printed([&] { PARSNR(view(list), 3, 2.0, kNT, gar_thermalnodetemps.view(), changed, refused); });
  EXPECT_EQ(changed, 2);
  EXPECT_EQ(refused, 1);
  EXPECT_EQ(gar_thermalnodetemps(7), 140.0);
  EXPECT_TRUE(SLUNDF(gar_thermalnodetemps(8)));
  EXPECT_EQ(gar_thermalnodetemps(9), 180.0);
  EXPECT_EQ(out, box(undefined_node(2, "MAIN:SUB1"), 3, 1, "PARSNR"));
}

TEST_F(ChangesTest, ThermalAndFluidHalvesOfOneList) {
  const std::vector<int> mixed = {3, 8, 14, 16};
  int tchanged = 0, fchanged = 0, refused = 0;
  PARCNR(view(mixed), 4, 1.0, kNT, gar_thermalnodetemps.view(), tchanged, refused);
  PARCFR(view(mixed), 4, 2.0, kNT, gar_fluidnodetemps.view(), fchanged, refused);
  EXPECT_EQ(tchanged, 2);
  EXPECT_EQ(fchanged, 2);
  EXPECT_EQ(gar_thermalnodetemps(3), 1.0);
  EXPECT_EQ(gar_thermalnodetemps(8), 1.0);
  EXPECT_EQ(gar_fluidnodetemps(1), 2.0);
  EXPECT_EQ(gar_fluidnodetemps(3), 2.0);
  EXPECT_EQ(gar_fluidnodetemps(2), 3.0);  // untouched
  // The thermal half stops at the first fluid node, the fluid half at the
  // last thermal node, walking from the back.
  const std::vector<int> odd = {1, 14, 2};
  PARSNR(view(odd), 3, 0.0, kNT, gar_thermalnodetemps.view(), tchanged, refused);
  PARSFR(view(odd), 3, 0.0, kNT, gar_fluidnodetemps.view(), fchanged, refused);
  EXPECT_EQ(tchanged, 1);
  EXPECT_EQ(fchanged, 0);
  EXPECT_EQ(gar_thermalnodetemps(2), 20.0);
  // Integer and text kernels.
  std::vector<int> ints = {5, 6, 7, 8};
  make_undefined(ints[1]);
  const std::vector<int> fl = {15, 16};
  std::string out =
      printed([&] { PARCFI(view(fl), 2, 9, kNT, plat::Vec1<int>(ints.data(), 4), fchanged, refused); });
  EXPECT_EQ(fchanged, 2);
  EXPECT_EQ(refused, 0);
  EXPECT_EQ(ints, (std::vector<int>{5, 9, 9, 8}));  // fluid 2, 3 at (node - NT)
  EXPECT_EQ(out, box(undefined_node(12, "MAIN:SUB1"), 3, 1, "PARCFI"));
  PARCNZ(view(mixed), 4, "NEW LABEL THAT IS FAR TOO LONG", kNT, TextVec1(gar_thermalnodelabels), tchanged, refused);
  EXPECT_EQ(tchanged, 2);
  EXPECT_EQ(gar_thermalnodelabels(8).view(), "NEW LABEL THAT IS FAR TO");
  PARCFZ(view(mixed), 4, "X", kNT, TextVec1(gar_fluidnodelabels), fchanged, refused);
  EXPECT_EQ(gar_fluidnodelabels(1).view(), plat::Text<24>("X").view());
}

TEST_F(ChangesTest, NodeStatuses) {
  const std::vector<int> list = {1, 2, 14};
  int nt = -1, nf = -1, tflag = -1, fflag = -1;
  auto run = [&](std::string_view letter, const std::vector<int>& l) {
    return printed([&] {
      PARCNS(view(l), static_cast<int>(l.size()), letter, kNT, gar_fluidnodestatuses.view(),
             gar_thermalnodestatuses.view(), gar_thermalnodestatusescopy.view(), nt, nf, tflag, fflag);
    });
  };
  EXPECT_EQ(run("X  ", {1, 2}), "");
  EXPECT_EQ(nt, 2);
  EXPECT_EQ(tflag, 0);
  EXPECT_EQ(gar_thermalnodestatuses(1).view(), "X");
  EXPECT_EQ(gar_thermalnodestatusescopy(2).view(), "X");
  // A fluid letter on thermal nodes and a thermal letter on fluid nodes.
  std::string out = run("F", list);
  EXPECT_EQ(nt, 0);
  EXPECT_EQ(nf, 1);
  EXPECT_EQ(tflag, 1);
  EXPECT_EQ(fflag, 0);
  EXPECT_EQ(out, boxes({{"Attempt to switch from thermal to fluid status@", 3, 2, "PARCNS"},
                        {"Attempt to switch from thermal to fluid status@", 3, 2, "PARCNS"}}));
  out = run("B", list);
  EXPECT_EQ(nt, 2);
  EXPECT_EQ(fflag, 1);
  EXPECT_EQ(out, box("Attempt to switch from fluid to thermal status@", 3, 3, "PARCNS"));
  EXPECT_EQ(gar_thermalnodestatuses(1).view(), "B");
  EXPECT_EQ(gar_fluidnodestatuses(1).view(), "F");
  // A node whose current letter is outside the sets cannot be changed.
  gar_thermalnodestatuses(3) = "C";
  run("D", {3});
  EXPECT_EQ(tflag, 1);
  EXPECT_EQ(gar_thermalnodestatuses(3).view(), "C");
  for (const std::string bad : {"Z", "BD", "b", ""}) {
    out = run(bad, list);
    EXPECT_EQ(tflag, 1) << bad;
    EXPECT_EQ(fflag, 1) << bad;
    EXPECT_EQ(out, box("Invalid definition of node status@<<" + bad +
                           ">> is an invalid node status. Please refer to NORVEK User Manual.",
                       3, 1, "PARCNS"))
        << bad;
  }
}

TEST_F(ChangesTest, UserEntitiesByKind) {
  const std::vector<int> list = {1, 2, 14};
  int nf = -1, nt = -1, status = -1;
  // Real entity HEAT (-1): CHANGE takes an expression, SCALE a number.
  PARUDE("CHANGE", -1, view(list), 3, "2*3", nf, nt, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(nt, 2);
  EXPECT_EQ(nf, 1);
  EXPECT_EQ(gar_thermalnodeuserentityvalsreal(2, 1), 6.0);
  EXPECT_EQ(gar_fluidnodeuserentityvalsreal(1, 1), 6.0);
  EXPECT_EQ(gar_thermalnodeuserentityvalsreal(2, 2), 102.0);  // MASS untouched
  PARUDE("SCALE", -2, view(list), 3, "0.5", nf, nt, status);
  EXPECT_EQ(gar_thermalnodeuserentityvalsreal(2, 2), 51.0);
  EXPECT_EQ(gar_fluidnodeuserentityvalsreal(1, 2), 35.0);
  // Status = number of refusing halves.
  make_undefined(gar_thermalnodeuserentityvalsreal(1, 1));
  std::string out = printed([&] { PARUDE("SCALE", -1, view(list), 3, "2", nf, nt, status); });
  EXPECT_EQ(status, 1);
  EXPECT_EQ(nt, 1);
  EXPECT_EQ(out, box(undefined_node(1, "MAIN"), 3, 1, "PARSNR"));
  make_undefined(gar_fluidnodeuserentityvalsreal(1, 1));
  out = printed([&] { PARUDE("SCALE", -1, view(list), 3, "2", nf, nt, status); });
  EXPECT_EQ(status, 2);
  EXPECT_EQ(out,
            boxes({{undefined_node(1, "MAIN"), 3, 1, "PARSNR"}, {undefined_node(100, "MAIN"), 3, 1, "PARSFR"}}));
  PARUDE("SCALE", -1, view(list), 3, "2*1", nf, nt, status);  // SCALE reads a single number
  EXPECT_EQ(status, 3);

  // Integer entity COUNT (-3): an undefined fluid value names that fluid node.
  const std::vector<int> fluid = {16};
  make_undefined(gar_fluidnodeuserentityvalsint(3, 1));
  out = printed([&] { PARUDE("CHANGE", -3, view(fluid), 1, "40+2", nf, nt, status); });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(nf, 1);
  EXPECT_EQ(gar_fluidnodeuserentityvalsint(3, 1), 42);
  EXPECT_EQ(out, box(undefined_node(13, "MAIN:SUB1"), 3, 1, "PARCFI"));
  out = printed([&] { PARUDE("SCALE", -3, view(list), 3, "5", nf, nt, status); });
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out, box("Cannot SCALE integer data", 3, 1, "PARUDE"));
  out = printed([&] { PARUDE("SCALE", -3, view(list), 3, "5.5", nf, nt, status); });
  EXPECT_EQ(status, 1);  // the integer value is read first
  EXPECT_EQ(out, box("Assigned value is not recognised as an integer@5.5", 3, 1, "PARIVL"));

  // Text entity TAG (-4).
  PARUDE("CHANGE", -4, view(list), 3, "'HOT'", nf, nt, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(gar_thermalnodeuserentityvalschar(1, 1).view(), plat::Text<24>("HOT").view());
  EXPECT_EQ(gar_fluidnodeuserentityvalschar(1, 1).view(), plat::Text<24>("HOT").view());
  out = printed([&] { PARUDE("SCALE", -4, view(list), 3, "'HOT'", nf, nt, status); });
  EXPECT_EQ(status, 2);
  EXPECT_EQ(out, box("Cannot SCALE character data", 3, 2, "PARUDE"));
  out = printed([&] { PARUDE("SCALE", -4, view(list), 3, "HOT", nf, nt, status); });
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out, box("String is not delimited with single quotes@>>HOT<<", 3, 1, "PARZVL"));
  // Beyond the entities: nothing.
  PARUDE("CHANGE", -5, view(list), 3, "1", nf, nt, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(nt + nf, 0);
}

TEST_F(ChangesTest, ArrayRanges) {
  const int range[6] = {2, 2, 1, 4, 1, 1};  // REALA(2,*)
  PARRAR("CHANGE", 3, 4, plat::Vec1<const int>(range, 6), 0.0, gar_arrayvaluesreal.view());
  for (int k = 1; k <= 12; ++k) EXPECT_EQ(gar_arrayvaluesreal(k), (k % 3 == 2) ? 0.0 : k) << k;
  const int all[6] = {1, 3, 1, 4, 1, 1};
  PARRAR("SCALE", 3, 4, plat::Vec1<const int>(all, 6), 10.0, gar_arrayvaluesreal.view());
  EXPECT_EQ(gar_arrayvaluesreal(12), 120.0);
  const int one[6] = {4, 4, 1, 1, 1, 1};
  PARIAR(5, 1, plat::Vec1<const int>(one, 6), -1, gar_arrayvaluesint.view());
  EXPECT_EQ(gar_arrayvaluesint(4), -1);
  EXPECT_EQ(gar_arrayvaluesint(3), 30);
  EXPECT_EQ(gar_arrayvaluesint(5), 50);
}

// The texts of the pool from position 1, as written.
std::vector<std::string> pool_texts(int n) {
  std::vector<std::string> out;
  int pos = 1;
  for (int i = 0; i < n; ++i) {
    plat::Text<133> t;
    int length = 0, st = 0;
    DBFZPK(PoolView(gar_arrayvalueschar.view()), 1, 133, pos, length, t.ref(), st);
    out.emplace_back(t.view().substr(0, static_cast<std::size_t>(length)));
    pos += length + 1;
  }
  return out;
}

TEST_F(ChangesTest, TextArrayElementsKeepTheirStoredLengths) {
  std::vector<PoolElement> texts = {PoolElement("LONGER TEXT"), PoolElement("A")};
  int status = -1;
  PARZA1(1, 2, plat::Vec1<const PoolElement>(texts.data(), 2), 1, 1, gar_arrayvalueschar.view(), status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(pool_texts(3), (std::vector<std::string>{"LON", "A ", "FGHI"}));
  PARZA1(3, 1, plat::Vec1<const PoolElement>(texts.data(), 1), 1, 1, gar_arrayvalueschar.view(), status);
  EXPECT_EQ(pool_texts(3), (std::vector<std::string>{"LON", "A ", "LONG"}));
  // No text at the target, or before it.
  std::string out = printed([&] {
    PARZA1(4, 1, plat::Vec1<const PoolElement>(texts.data(), 1), 1, 1, gar_arrayvalueschar.view(), status);
  });
  EXPECT_EQ(status, 2);
  EXPECT_EQ(out, box("Unable to unpack character array from data base@Contact Central Support", 3, 2, "PARZA1"));
  out = printed([&] {
    PARZA1(6, 1, plat::Vec1<const PoolElement>(texts.data(), 1), 1, 1, gar_arrayvalueschar.view(), status);
  });
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out, box("Unable to unpack character array from data base@Contact Central Support", 3, 1, "PARZA1"));

  const int range[6] = {2, 3, 1, 1, 1, 1};
  PARZA2(3, 1, 1, plat::Vec1<const int>(range, 6), "QQQQQ", 1, 1, gar_arrayvalueschar.view(), status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(pool_texts(3), (std::vector<std::string>{"LON", "QQ", "QQQQ"}));
  out = printed(
      [&] { PARZA2(4, 1, 1, plat::Vec1<const int>(range, 6), "Z", 1, 1, gar_arrayvalueschar.view(), status); });
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out, box("Unable to unpack character array from data base@Contact Central Support", 3, 1, "PARZA2"));
}

TEST_F(ChangesTest, EmptyStoredTextsAreSkippedAndStayEmpty) {
  gar_arrayvalueschar(1) = PoolElement();
  fill_pool(gar_arrayvalueschar, {"ABC", "", "FGHI"});
  std::vector<PoolElement> texts = {PoolElement("X"), PoolElement("YYYYYY")};
  int status = -1;
  PARZA1(2, 2, plat::Vec1<const PoolElement>(texts.data(), 2), 1, 1, gar_arrayvalueschar.view(), status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(pool_texts(3), (std::vector<std::string>{"ABC", "", "YYYY"}));
}

TEST_F(ChangesTest, ControlConstantTableFollowsTheStorageOrder) {
  std::vector<std::string> expected;
#define TNA_X(U, l) expected.push_back(#U);
  TNA_GLOR_LIST(TNA_X)
#undef TNA_X
  expected.resize(47);  // ENBNDM and INBNDM cannot be changed
#define TNA_X(U, l) expected.push_back(#U);
  TNA_GLOI_LIST(TNA_X)
#undef TNA_X
#define TNA_X(U, l, n, d) expected.push_back(#U);
  TNA_GLOC_LIST(TNA_X)
#undef TNA_X
  expected.push_back("NODES");
  expected.push_back("NODESM");
  ASSERT_EQ(expected.size(), static_cast<std::size_t>(kParCtrlConstCount));
  for (int i = 0; i < kParCtrlConstCount; ++i)
    EXPECT_EQ(plat::trimmed(kParCtrlConstNames[i].view()), expected[static_cast<std::size_t>(i)]) << i;
}

TEST_F(ChangesTest, ControlConstants) {
  int status = -1;
  auto run = [&](std::string_view command, std::string_view name, std::string_view value, int submodel = 1) {
    return printed([&] { PARCCT(command, plat::Text<18>(name).view(), value, submodel, status); });
  };
  GLOR.DTIMEI = 4.0;
  EXPECT_EQ(run("CHANGE", "RELXCA", "0.001*2"), "");
  EXPECT_EQ(status, 0);
  EXPECT_DOUBLE_EQ(GLOR.RELXCA, 0.002);
  run("SCALE", "DTIMEI", "0.5");
  EXPECT_EQ(GLOR.DTIMEI, 2.0);
  run("CHANGE", "DTROCC", "7");  // the last real row
  EXPECT_EQ(GLOR.DTROCC, 7.0);
  run("CHANGE", "STEPCT", "3");
  EXPECT_EQ(GLOI.STEPCT, 3);
  run("CHANGE", "NLOOP", "50+50");
  EXPECT_EQ(GLOI.NLOOP, 100);
  EXPECT_EQ(run("SCALE", "NLOOP", "2"), box("Cannot SCALE integer constants", 3, 2, "PARCCI"));
  EXPECT_EQ(status, 2);
  EXPECT_EQ(GLOI.NLOOP, 100);

  // Undefined reals: SCALE refuses, CHANGE warns and sets.
  make_undefined(GLOR.TIMEND);
  EXPECT_EQ(run("SCALE", "TIMEND", "2"), box("TIMEND is undefined - cannot scale.", 3, 2, "PARCCR"));
  EXPECT_EQ(status, 2);
  EXPECT_TRUE(SLUNDF(GLOR.TIMEND));
  const std::string warning =
      "TIMEND is undefined - possibly defined with Mortran@Value may be overwritten by Mortran expression during "
      "solution.";
  EXPECT_EQ(run("CHANGE", "TIMEND", "100"), box(warning, 2, 1, "PARCCR"));
  EXPECT_EQ(status, 0);
  EXPECT_EQ(GLOR.TIMEND, 100.0);
  make_undefined(GLOI.NLOOPT);
  EXPECT_EQ(run("CHANGE", "NLOOPT", "5"),
            box("NLOOPT is undefined - possibly defined with Mortran@Value may be overwritten by Mortran expression "
                "during solution.",
                2, 1, "PARCCI"));
  EXPECT_EQ(GLOI.NLOOPT, 5);
  // A read failure leaves the constant and keeps the reader's status.
  EXPECT_EQ(run("CHANGE", "RELXCA", "5+"), box("Illegal expression - ends with an operator", 3, 1, "PARRGT"));
  EXPECT_EQ(status, 1);
  EXPECT_DOUBLE_EQ(GLOR.RELXCA, 0.002);

  // Texts take the constant's fixed length.
  run("CHANGE", "MODULE", "'ABCDEFGH'");
  EXPECT_EQ(GLOC.MODULE.view(), "ABCDEF");
  run("CHANGE", "OUTIME", "'NONE'");
  EXPECT_EQ(GLOC.OUTIME.view(), "NONE              ");
  run("CHANGE", "QTRSOL", "'NO'");
  EXPECT_EQ(GLOC.QTRSOL.view(), "NO ");
  GLOC.PARNAM = "KEEP";
  EXPECT_EQ(run("CHANGE", "PARNAM", "NEW"),
            box("String is not delimited with single quotes@>>NEW<<", 3, 1, "PARZVL"));
  EXPECT_EQ(status, 1);
  EXPECT_EQ(GLOC.PARNAM.view(), plat::Text<24>("KEEP").view());
  EXPECT_EQ(run("SCALE", "PARNAM", "'NEW'"), box("Cannot SCALE character constants", 3, 1, "PARCCZ"));
  EXPECT_EQ(status, 1);

  // Per-submodel integers of the statement's submodel.
  run("CHANGE", "NODES", "5", 2);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(LOCI(1, 2), 5);
  EXPECT_EQ(LOCI(1, 1), 0);
  run("CHANGE", "NODESM", "6", 3);
  EXPECT_EQ(LOCI(2, 3), 6);
  run("SCALE", "NODES", "2", 2);
  EXPECT_EQ(status, 2);

  // Names outside the table.
  for (const std::string name : {"ENBNDM", "INBNDM", "relxca", "NOSUCH"}) {
    EXPECT_EQ(run("CHANGE", name, "1"),
              box("Unrecognised entity reference@" + std::string(plat::Text<18>(name).view()), 3, 1, "PARCCT"))
        << name;
    EXPECT_EQ(status, 1) << name;
  }
}

TEST_F(ChangesTest, UserConstantKernels) {
  double real = 2.5;
  int integer = 7, status = -1;
  PARCCR("SCALE", "GAIN", "4", real, status);
  EXPECT_EQ(real, 10.0);
  PARCCI("CHANGE", "NCOUNT", "-(3)", integer, status);
  EXPECT_EQ(integer, -3);
  // A user text keeps the length of the text stored now.
  std::string stored = "PANEL";
  PARCCZ("CHANGE", "LABELX", "'NEW LONGER'", plat::TextRef(stored), status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(stored, "NEW L");
  PARCCZ("CHANGE", "LABELX", "'AB'", plat::TextRef(stored), status);
  EXPECT_EQ(stored, "AB   ");
}

}  // namespace
}  // namespace params_test
