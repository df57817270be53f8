#include "modeldata/entity_codes.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "fixture.h"

namespace refs_test {
namespace {

using EntityCodes = RefsTest;

TEST_F(EntityCodes, MnemonicTableLengthsAndKinds) {
  const std::vector<std::string> table = {
      "L",   "T",   "C",  "QA",  "QE",  "QI",  "QR",  "QS",  "A",  "ALP", "EPS", "QAI", "QEI", "QSI", "FD",
      "FL",  "P",   "FE", "FF",  "FQ",  "FM",  "FH",  "FR",  "FT", "FX",  "FY",  "FZ",  "VQ",  "FRG", "FLA",
      "VOL", "PHI", "FW", "CMP", "VDT", "FST", "ZZB", "ZZC", "ZW", "ZX",  "ZY",  "GL",  "GR",  "GF",  "GV",
      "M",   "GP",  "G",  "D",   "B",   "X",   "F",   "H",   "J",  "K",   "Q",   "R",   "S"};
  ASSERT_EQ(table.size(), 58u);
  for (int code = 1; code <= 58; ++code) {
    EXPECT_EQ(ENTNAM(code).trimmed(), table[code - 1]) << code;
    EXPECT_EQ(entn(code), static_cast<int>(table[code - 1].size())) << code;
    EXPECT_EQ(ent_mnemonic(code), table[code - 1]) << code;
  }
  EXPECT_TRUE(ent_mnemonic(0).empty());
  EXPECT_TRUE(ent_mnemonic(59).empty());
  EXPECT_EQ(ENTNAM(0).view(), "   ");
  EXPECT_EQ(ENTNAM(59).view(), "   ");
  EXPECT_EQ(ENTNAM(-3).view(), "   ");
  EXPECT_EQ(ENTNAM(46).view(), "M  ");
  EXPECT_EQ(entn(0), 0);

  struct Kind {
    int code, ric, typ;
  };
  // clang-format off
  const std::vector<Kind> kinds = {
      {1, 3, 0},    {2, 1, 0},    {3, 1, 1},    {8, 1, 1},   {9, 1, 0},    {10, 1, 1},  {14, 1, 1},
      {15, 1, -1},  {24, 3, -1},  {25, 1, 0},   {27, 1, 0},  {28, 1, -1},  {29, 3, -1}, {36, 3, -1},
      {41, 1, -1},  {42, 1, -1},  {48, 1, -1},  {58, 1, -1}, {100, 1, -1}, {101, 1, 0}, {150, 1, 0},
      {199, 1, 0},  {200, 1, 0},  {201, 2, 0},  {250, 2, 0}, {299, 2, 0},  {300, 1, 0}, {301, 3, 0},
      {350, 3, 0},  {0, 1, 0},    {-7, 1, 0},   {999, 3, 0}};
  for (const Kind& k : kinds) {
    EXPECT_EQ(ENTRIC(k.code), k.ric) << k.code;
    EXPECT_EQ(ENTYP(k.code), k.typ) << k.code;
  }
  // clang-format on
}

TEST_F(EntityCodes, RealAccessByTableAndUserEntity) {
  const int fluid1 = kNT + 1, fluid2 = kNT + 2;
  struct Case {
    int code, index;
    double value;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {2, 3, 30.0},                       // T of a thermal node
      {3, 3, 103.0},                      // C
      {2, fluid2, 3.0},                   // T of a fluid node
      {17, fluid1, 1.0e5 + 1},            // P of a fluid node
      {17, 3, 0.0},                       // P of a thermal node: 0
      {3, fluid1, 0.0},                   // C of a fluid node: 0
      {24, fluid1, 0.0},                  // FT has no real value: 0
      {29, 3, 0.0},                       // FRG of a thermal node: 0
      {39, 3, 0.0},                       // ZW has no storage
      {39, fluid1, 0.0},
      {42, 4, 1.0},                       // GL by conductor index
      {42, 5, 1.25},
      {101, 3, 1.5},                      // user real HEAT
      {102, 4, -4.0},                     // user real MASSX
      {101, fluid2, 14.0},
  };
  // clang-format on
  for (const Case& c : cases) {
    double v = -99.0;
    int status = -1;
    const std::string out = printed([&] { LSNTVR(c.code, c.index, kNF, kNT, "PRNDTB", v, status); });
    EXPECT_EQ(v, c.value) << c.code << " at " << c.index;
    EXPECT_EQ(status, 0) << c.code << " at " << c.index;
    EXPECT_EQ(out, "") << c.code << " at " << c.index;
  }
}

TEST_F(EntityCodes, RealAccessRefusesCodesWithoutRealValue) {
  struct Case {
    int code, index, status;
    std::string message;
    int code_reported;
  };
  // The thermal branch trims the caller's name, the fluid branch keeps it whole.
  const std::string thermal = "Unrecognised entity code@PRNDTB: Getting a real entity value";
  const std::string fluid = "PRNDTB  : Unrecognised entity code";
  // clang-format off
  const std::vector<Case> cases = {
      {1, 3, 1, thermal, 1},        {48, 3, 1, thermal, 1},        {58, 2, 1, thermal, 1},
      {0, 1, 1, thermal, 1},        {250, 1, 1, thermal, 1},       {103, 1, 1, thermal, 1},
      {1, kNT + 1, 2, fluid, 2},    {50, kNT + 2, 2, fluid, 2},    {-4, kNT + 1, 2, fluid, 2},
  };
  // clang-format on
  for (const Case& c : cases) {
    double v = -1.0;
    int status = 0;
    const std::string out = printed([&] { LSNTVR(c.code, c.index, kNF, kNT, "PRNDTB  ", v, status); });
    EXPECT_EQ(v, 0.0) << c.code;
    EXPECT_EQ(status, c.status) << c.code;
    EXPECT_EQ(out, box(std::string(c.message).append(60 - c.message.size(), ' '), 3, c.code_reported, "LSNTVR"))
        << c.code;
  }
}

TEST_F(EntityCodes, IndexOutsideTheArraysIsRefusedNotRead) {
  double v = 1.0;
  int status = 0;
  LSNTVR(42, kNGL + 1, kNF, kNT, "R", v, status);  // one past the last GL conductor
  EXPECT_EQ(status, 3);
  EXPECT_EQ(v, 0.0);
  LSNTVR(2, kNT + kNF + 1, kNF, kNT, "R", v, status);  // past the last fluid node
  EXPECT_EQ(status, 3);
  LSNTVR(2, 0, kNF, kNT, "R", v, status);
  EXPECT_EQ(status, 3);
  int iv = 5;
  LSNTVI(201, kNT + kNF + 3, kNF, kNT, "R", iv, status);
  EXPECT_EQ(status, 3);
  EXPECT_EQ(iv, 0);
}

TEST_F(EntityCodes, IntegerAndCharacterUserEntities) {
  int iv = 0, status = -1;
  LSNTVI(201, 7, kNF, kNT, "OUT", iv, status);
  EXPECT_EQ(iv, 1007);
  EXPECT_EQ(status, 0);
  LSNTVI(201, kNT + 3, kNF, kNT, "OUT", iv, status);
  EXPECT_EQ(iv, 2003);
  std::string out = printed([&] { LSNTVI(2, 7, kNF, kNT, "OUT", iv, status); });
  EXPECT_EQ(iv, 0);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out, box("OUT: Unrecognised entity code", 3, 1, "LSNTVI"));
  out = printed([&] { LSNTVI(202, 7, kNF, kNT, "OUT", iv, status); });  // no such entity
  EXPECT_EQ(status, 1);

  plat::Text<6> cv("xxxxxx");
  LSNTVC(301, 12, kNF, kNT, "OUT", cv, status);
  EXPECT_EQ(cv.view(), "T12   ");
  EXPECT_EQ(status, 0);
  plat::Text<1> small;
  LSNTVC(301, kNT + 4, kNF, kNT, "OUT", small, status);
  EXPECT_EQ(small.view(), "F");
  out = printed([&] { LSNTVC(1, 12, kNF, kNT, "OUT", cv, status); });  // labels are not read here
  EXPECT_EQ(cv.view(), "      ");
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out, box("OUT: Unrecognised entity code", 3, 1, "LSNTVC"));
}

TEST_F(EntityCodes, UserEntityNamesAndCodes) {
  struct Case {
    int code, kind, column;
    std::string name;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {101, 1, 1, "HEAT"}, {102, 1, 2, "MASSX"}, {201, 2, 1, "ICOUNT"}, {301, 3, 1, "TAG"},
      {205, 0, 0, ""},     {202, 0, 0, ""},      {103, 0, 0, ""},       {100, 0, 0, ""},
      {50, 0, 0, ""},      {401, 0, 0, ""},      {0, 0, 0, ""},         {INT_MIN, 0, 0, ""},
      {INT_MAX, 0, 0, ""},
  };
  // clang-format on
  for (const Case& c : cases) {
    int kind = -1, column = -1;
    plat::Text<18> name("garbage");
    SPRNAM(c.code, kind, column, name);
    EXPECT_EQ(kind, c.kind) << c.code;
    EXPECT_EQ(column, c.column) << c.code;
    EXPECT_EQ(name.trimmed(), c.name) << c.code;
  }
  SPRSIZ(1) = 5;
  SPRNOD(5 + 5) = "IFIVE";  // (kind 2 - 1) * 5 + 5
  int kind = 0, column = 0;
  plat::Text<4> shortname;
  SPRNAM(205, kind, column, shortname);
  EXPECT_EQ(kind, 2);
  EXPECT_EQ(column, 5);
  EXPECT_EQ(shortname.view(), "IFIV");
  SPRSIZ(1) = 2;

  struct Name {
    std::string name;
    int code;
  };
  const std::vector<Name> names = {{"HEAT", 101}, {"MASSX", 102}, {"ICOUNT", 201}, {"TAG", 301},
                                   {"T", 0},      {"heat", 0},    {"", 0},         {"HEATHEATHEATHEATHEATX", 0}};
  for (const Name& n : names) {
    int code = -1;
    SPRENT(n.name, code);
    EXPECT_EQ(code, n.code) << n.name;
  }
  SPRSIZ(5) = 0;  // no real entities: their names are not searched
  int code = -1;
  SPRENT("HEAT", code);
  EXPECT_EQ(code, 0);
}

TEST_F(EntityCodes, AliasLookUpPerModel) {
  struct Case {
    int model;
    std::string alias;
    int node, status;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {1, "INLET", 2, 0},  {1, "PUMP", 11, 0},  {1, "HEATER", 0, 0}, {3, "HEATER", 20, 0}, {3, "ALIAS7", 7, 0},
      {3, "ALIAS", 0, 0},  {3, "ZZZ", 0, 0},    {2, "INLET", 0, 0},  {0, "INLET", 0, 2},   {4, "INLET", 0, 2},
      {-1, "PUMP", 0, 2},
  };
  // clang-format on
  for (const Case& c : cases) {
    int node = -1, status = -1;
    const std::string out = printed([&] { LGTALI(c.model, c.alias, node, status); });
    EXPECT_EQ(node, c.node) << c.model << " " << c.alias;
    EXPECT_EQ(status, c.status) << c.model << " " << c.alias;
    EXPECT_EQ(out, "");
  }
}

TEST_F(EntityCodes, NumericalGuards) {
  EXPECT_EQ(SRLMAX(), 1.0e38);
  EXPECT_FALSE(SMINDL(9.999999995e-38));
  EXPECT_TRUE(SMINRL(9.999999995e-38));
  EXPECT_TRUE(SMINDL(-9.9999999e-38));
  EXPECT_FALSE(SMINDL(9.99999991097579e-38 * 1.0000001));
  EXPECT_FALSE(SMINRL(1.0e-37));
  EXPECT_FALSE(SMINRL(-1.0e-37));
  EXPECT_TRUE(SMINRL(0.0));
}

}  // namespace
}  // namespace refs_test
