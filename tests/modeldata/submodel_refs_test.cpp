#include "modeldata/submodel_refs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixture.h"

namespace refs_test {
namespace {

using SubmodelRefs = RefsTest;

std::string pad(std::string s, std::size_t n) {
  s.resize(n, ' ');
  return s;
}

TEST_F(SubmodelRefs, InternalAndUserNumbersRoundTrip) {
  for (int i = 1; i <= kNT + kNF; ++i) {
    const int model = NDSSMD(i), number = NODNUM(i);
    // Thermal index 21 repeats number 7 of SUB2: the first node of a number wins.
    EXPECT_EQ(INTNOD(model, number), i == 21 ? 18 : i) << i;
  }
  EXPECT_EQ(listing(), "");
  EXPECT_EQ(INTNOD(1, 3), 3);
  EXPECT_EQ(INTNOD(2, 3), 15);
  EXPECT_EQ(INTNOD(3, 3), 17);
  EXPECT_EQ(INTNOD(2, 50), kNT + 3);  // exists only as a fluid node of SUB1
  EXPECT_EQ(INTNOD(1, 101), kNT + 2);
  EXPECT_EQ(NDSSMD(kNT + 3), 2);
  EXPECT_EQ(NDSSMD(kNT + 4), 3);
}

TEST_F(SubmodelRefs, InvalidNumbersGiveWarningsAndZero) {
  struct Case {
    int model, node;
    std::string message;
    int code;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {1, 13, "Node node found", 1},   // SUB1 has no node 13, nor MAIN
      {2, 100, "Node node found", 1},  // fluid 100 belongs to MAIN
      {3, 1, "Node node found", 1},    {0, 1, "Invalid submodel", 2},
      {4, 1, "Invalid submodel", 2},   {-1, 1, "Invalid submodel", 2},
  };
  // clang-format on
  for (const Case& c : cases) {
    int result = -1;
    const std::string out = printed([&] { result = INTNOD(c.model, c.node); });
    EXPECT_EQ(result, 0) << c.model << ":" << c.node;
    EXPECT_EQ(out, box(pad(c.message, 100), 2, c.code, "INTNOD")) << c.model << ":" << c.node;
  }
  for (const int node : {0, -1, kNT + kNF + 1}) {
    int result = -1;
    const std::string out = printed([&] { result = NODNUM(node); });
    EXPECT_EQ(result, 0) << node;
    EXPECT_EQ(out, box(pad("Invalid node number - out of range", 100), 2, 1, "NODNUM")) << node;
  }
}

TEST_F(SubmodelRefs, PathsOfModelsAndNodes) {
  struct Case {
    int model;
    std::string attrib, expected;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {1, "SUBMODEL", "MAIN"},          {1, "ROOT", "MAIN"},      {1, "ALL", "MAIN"},
      {3, "ALL", "MAIN:SUB1:SUB2"},     {3, "", "MAIN:SUB1:SUB2"}, {3, "ALL   ", "MAIN:SUB1:SUB2"},
      {3, "ROOT", "MAIN:SUB1"},         {3, "SUBMODEL", "SUB2"},  {2, "ROOT", "MAIN"},
      {2, "CURRENT", "SUBMOD: Invalid argument ATTRIB"},          {2, "all", "SUBMOD: Invalid argument ATTRIB"},
  };
  // clang-format on
  for (const Case& c : cases) {
    GLOI.MODEL = c.model;
    EXPECT_EQ(SUBMOD(c.attrib), c.expected) << c.model << " " << c.attrib;
  }
  EXPECT_EQ(listing(), "");
  GLOI.MODEL = 0;  // no such model: the chain fails with its own box
  std::string value;
  const std::string out = printed([&] { value = SUBMOD("ALL"); });
  EXPECT_EQ(value, "SUBMOD: Unexpected error");
  EXPECT_EQ(out, box(pad("Invalid model number", 256), 3, 1, "SCCNAM"));

  EXPECT_EQ(SUBMDN(17, "ALL"), "MAIN:SUB1:SUB2");
  EXPECT_EQ(SUBMDN(kNT + 3, "SUBMODEL"), "SUB1");
  EXPECT_EQ(SUBMDN(1, "ALL"), "MAIN");
  EXPECT_EQ(SUBMDN(kNT + kNF + 1, "ALL"), "SUBMDN: Invalid node number");

  // A path longer than the name is cut (status 3) and still returned.
  int len = 0, ierr = 0;
  plat::Text<8> name;
  LSUBMD("ALL", 3, len, name, ierr);
  EXPECT_EQ(ierr, 3);
  EXPECT_EQ(len, 8);
  EXPECT_EQ(name.view(), "MAIN:SUB");
  plat::Text<14> exact;
  LSUBMD("ALL", 3, len, exact, ierr);  // 14 characters need room for the ":" after them
  EXPECT_EQ(ierr, 3);
  plat::Text<15> fits;
  LSUBMD("ALL", 3, len, fits, ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(len, 14);
  EXPECT_EQ(fits.view(), "MAIN:SUB1:SUB2:");

  int number = 0;
  plat::Text<20> path;
  LNDREF(19, len, number, path, ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(number, 20);
  EXPECT_EQ(len, 14);
  EXPECT_EQ(path.view(), "MAIN:SUB1:SUB2      ");
  LNDREF(kNT + 3, len, number, path, ierr);
  EXPECT_EQ(number, 50);
  EXPECT_EQ(path.trimmed(), "MAIN:SUB1");
}

TEST_F(SubmodelRefs, ParentsAndConductorOwners) {
  int parent = -1;
  for (const auto& [model, expected] : std::vector<std::pair<int, int>>{{1, 0}, {2, 1}, {3, 2}, {0, 0}, {4, 0}}) {
    GETPARENTMODELNUMBER(model, parent);
    EXPECT_EQ(parent, expected) << model;
  }
  // GL conductors: MAIN 1..3, SUB1 none, SUB2 4..5.
  EXPECT_EQ(CDSSMD(1, 1), 1);
  EXPECT_EQ(CDSSMD(3, 1), 1);  // a model's last conductor
  EXPECT_EQ(CDSSMD(4, 1), 3);  // the next one: the following model that owns GL conductors
  EXPECT_EQ(CDSSMD(5, 1), 3);
  EXPECT_EQ(CDSSMD(1, 2), 3);  // no GR anywhere: all bases 0, the scan runs to the last model
}

TEST_F(SubmodelRefs, InternalErrorsAreFatal) {
  auto status_of = [](auto f) {
    try {
      f();
    } catch (const plat::ProcessExit& e) {
      return e.status;
    }
    return -1;
  };
  EXPECT_EQ(status_of([] { CDSSMD(1, 6); }), 1);
  EXPECT_NE(listing().find("Invalid conductor type for NORVEK neutral"), std::string::npos);
  int len = 0, number = 0, ierr = 0;
  plat::Text<20> path;
  EXPECT_EQ(status_of([&] { LNDREF(kNT + kNF + 1, len, number, path, ierr); }), 1);
  EXPECT_NE(listing().find("LNDREF: Fatal internal routine error"), std::string::npos);
}

TEST_F(SubmodelRefs, SubmodelPrefixOfAnItem) {
  struct Case {
    std::string text;
    int current, model, pos, ierr;
  };
  // model -1 stands for "unchanged"; pos is where the node or entity part starts.
  // clang-format off
  const std::vector<Case> cases = {
      {"SUB1:SUB2:12", 1, 3, 11, 0},
      {"SUB2:4", 1, 3, 6, 0},          // a deeper model found by name alone
      {"sub1:4", 1, 2, 6, 0},          // names are looked up in capitals
      {"SUB2:4", 2, 3, 6, 0},          // relative to SUB1
      {"CURRENT:4", 2, 2, 9, 0},
      {"(SUB1:4)", 1, -1, 1, 0},       // an opening parenthesis: no prefix
      {"12", 1, -1, 1, 0},
      {"SUB1:", 1, 2, 6, 0},
      {"SUB1:(X:1)", 1, 2, 6, 0},      // the prefix stops before "("
      {"MAIN:4", 1, -1, 6, 2},         // not below the current model
      {"NOPE:4", 1, -1, 6, 2},
      {"SUB1:NOPE:4", 1, -1, 11, 2},
      {":5", 1, -1, 1, 1},
      {"SUB1::5", 1, -1, 6, 1},
      {std::string(24, 'A') + ":1", 1, -1, 26, 2},  // 24 characters: a name, but no such model
      {std::string(25, 'A') + ":1", 1, -1, 1, 1},   // 25 characters: too long
  };
  // clang-format on
  for (const Case& c : cases) {
    int pos = 1, model = -1, ierr = -1;
    LSMINT(gar_modeldirectory.flat(), md_numslots, kNM, 0, c.current, gar_modelnames, c.text,
           static_cast<int>(c.text.size()), pos, model, ierr);
    EXPECT_EQ(model, c.model) << c.text;
    EXPECT_EQ(pos, c.pos) << c.text;
    EXPECT_EQ(ierr, c.ierr) << c.text;
  }
  EXPECT_EQ(listing(), "");  // the message switch was off

  int pos = 1, model = 0, ierr = 0;
  std::string out = printed(
      [&] { LSMINT(gar_modeldirectory.flat(), md_numslots, kNM, 1, 1, gar_modelnames, ":5", 2, pos, model, ierr); });
  EXPECT_EQ(out, box("Mistake in ZENT/ZLABEL, syntax error at \":\"@:", 3, 1, "LSMINT"));
  pos = 1;
  out = printed([&] {
    LSMINT(gar_modeldirectory.flat(), md_numslots, kNM, 1, 1, gar_modelnames, "SUB1:NOPE:4", 11, pos, model, ierr);
  });
  EXPECT_EQ(out, box("Mistake in ZENT/ZLABEL, invalid or ambiguous submodel@SUB1:NOPE", 3, 2, "LSMINT"));

  // The search for ":" stops at the item's end: a later item's prefix is not read.
  const std::string two = "SUB1:3,4;SUB2:5";
  pos = 1;
  model = -1;
  LSMINT(gar_modeldirectory.flat(), md_numslots, kNM, 1, 1, gar_modelnames, two, 8, pos, model, ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(model, 2);
  EXPECT_EQ(pos, 6);
}

}  // namespace
}  // namespace refs_test
