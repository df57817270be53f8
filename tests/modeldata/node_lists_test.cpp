#include "modeldata/node_lists.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "casedata/status_flag.h"
#include "core/text_utils.h"
#include "fixture.h"

namespace refs_test {
namespace {

using NodeLists = RefsTest;

std::string pad(std::string s, std::size_t n) {
  s.resize(n, ' ');
  return s;
}

std::vector<int> range(int a, int b) {
  std::vector<int> v;
  for (int i = a; i <= b; ++i) v.push_back(i);
  return v;
}

std::vector<int> join(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct Request {
  int modref, subref;
  std::string kind;
  int inclx;
  std::string zlabel;
};

// LSCHND into a list of the given room; the selected nodes.
std::vector<int> select(const Request& r, int& ierr, int room = kNT + kNF) {
  std::vector<int> buffer(static_cast<std::size_t>(room), -7);
  int count = -1;
  LSCHND(r.modref, room, r.kind, r.inclx, "PRNDTB", r.subref, r.zlabel, ierr, plat::Vec1<int>(buffer.data(), room),
         count);
  return std::vector<int>(buffer.begin(), buffer.begin() + std::max(count, 0));
}

TEST_F(NodeLists, GroupSpecificationsSelectTheExpectedNodes) {
  const int f1 = kNT + 1, f2 = kNT + 2, f3 = kNT + 3, f4 = kNT + 4;
  struct Case {
    Request r;
    std::vector<int> nodes;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {{1, 1, "THERMAL", 1, "#1-10;SUB2:3,ALIAS7"}, join(range(1, 10), {17, 18, 21})},
      {{1, 1, "THERMAL", 0, "#1-10;SUB2:3,ALIAS7"}, {1, 2, 3, 5, 6, 7, 8, 9, 10, 17, 18, 21}},  // node 4 is "X"
      {{1, 1, "THERMAL", 1, "#5"}, {5}},                 // not node 5 of SUB1
      {{1, 1, "THERMAL", 1, "#SUB1:5"}, {16}},
      {{1, 1, "THERMAL", 1, "#SUB1:SUB2:9"}, {20}},
      {{1, 1, "THERMAL", 1, "#INLET,PUMP"}, {2, 11}},
      {{1, 1, "THERMAL", 1, "#PUMP-12"}, {11, 12}},       // an alias opens a range
      {{1, 1, "THERMAL", 1, "#12-12"}, {12}},
      {{1, 1, "THERMAL", 1, "#1-2147483647"}, range(1, 12)},
      {{1, 1, "THERMAL", 1, "# 1 - 3 ; SUB1 : 2"}, {1, 2, 3, 14}},
      {{1, 1, "THERMAL", 1, "\t#2"}, {2}},
      {{1, 1, "THERMAL", 1, "#1,"}, {1}},
      {{1, 1, "THERMAL", 1, "#;SUB1:1"}, {13}},
      {{1, 1, "THERMAL", 1, "#"}, {}},
      {{1, 1, "BOTH", 1, "TANK"}, {5, 14, f1}},           // label text: a substring test
      {{1, 1, "BOTH", 1, "OUTER TANK WALL"}, {5}},
      {{1, 1, "BOTH", 1, "tank"}, {}},                    // case as written
      {{1, 1, "BOTH", 1, " TANK"}, {5}},                  // leading blanks count
      {{1, 1, "BOTH", 1, ""}, range(1, kNT + kNF)},
      {{1, 1, "BOTH", 0, "   "}, join(range(1, 3), range(5, kNT + kNF))},
      {{-2, -2, "BOTH", 1, ""}, {13, 14, 15, 16, f3}},
      {{2, 2, "THERMAL", 1, ""}, range(13, 21)},
      {{2, 2, "THERMAL", 1, "#3"}, {15}},                 // the reference model itself, not its subtree
      {{2, 2, "THERMAL", 1, "#SUB2:3"}, {17}},            // prefixes are relative to the reference
      {{3, 3, "BOTH", 1, "#ALIAS7,HEATER,60"}, {18, 19, 21, f4}},
      {{1, 1, "FLUID", 1, "#100;SUB1:50"}, {f1, f3}},
      {{1, 1, "FLUID", 1, "#101-101"}, {f2}},
      {{1, 1, "NONE", 1, ""}, {}},
      {{1, 1, "THERMAL ", 1, "#3"}, {3}},
  };
  // clang-format on
  for (const Case& c : cases) {
    lschnd_reset_for_tests();
    int ierr = -1;
    const std::vector<int> got = select(c.r, ierr);
    EXPECT_EQ(ierr, 0) << c.r.zlabel;
    EXPECT_EQ(got, c.nodes) << c.r.modref << " " << c.r.kind << " '" << c.r.zlabel << "'";
  }
  EXPECT_EQ(listing(), "");
}

TEST_F(NodeLists, MalformedListsAreRefusedWithTheirTexts) {
  const std::string range_text = "PRNDTB: Illegal range construct in ZLABEL@";
  struct Case {
    std::string zlabel, message, routine;
    int code;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"#10-5", range_text + "Second value less than first", "LKFNUM", 2},
      {"#1-", range_text + "No upper limit on range", "LKFNUM", 4},
      {"#SUB1:1-", range_text + "No upper limit on range", "LKFNUM", 4},
      {"#1-5-9", range_text + "Consecutive dashes as delimiters", "LKFNUM", 3},
      {"#1--5", "PRNDTB: Unrecognised sub-model / alias in ZLABEL@", "LKFNUM", 1},
      {"#NOPE", "PRNDTB: Unrecognised sub-model / alias in ZLABEL@NOPE", "LKFNUM", 1},
      {"#3,,2", "PRNDTB: Unrecognised sub-model / alias in ZLABEL@", "LKFNUM", 1},
      {"#-3", "PRNDTB: Unrecognised sub-model / alias in ZLABEL@", "LKFNUM", 1},
      {"#HEATER", "PRNDTB: Unrecognised sub-model / alias in ZLABEL@HEATER", "LKFNUM", 1},  // SUB2's alias
      {"#SUB2:NOPE", "PRNDTB: Unrecognised sub-model / alias in ZLABEL@NOPE", "LKFNUM", 1},
      // 2^32 + 1 would wrap to node 1; numbers beyond 32 bits are refused.
      {"#4294967297", "PRNDTB: Unrecognised sub-model / alias in ZLABEL@4294967297", "LKFNUM", 1},
      {"#2147483648", "PRNDTB: Unrecognised sub-model / alias in ZLABEL@2147483648", "LKFNUM", 1},
      {"#" + std::string(45, '1'), "PRNDTB: Unrecognised sub-model / alias in ZLABEL@" + std::string(40, '1'),
       "LKFNUM", 1},
      {"#:5", "Mistake in ZENT/ZLABEL, syntax error at \":\"@:", "LSMINT", 1},
      {"#NOPE:5", "Mistake in ZENT/ZLABEL, invalid or ambiguous submodel@NOPE", "LSMINT", 2},
      {"#" + std::string(30, 'S') + ":5", "Mistake in ZENT/ZLABEL, syntax error at \":\"@" + std::string(30, 'S') + ":",
       "LSMINT", 1},
  };
  // clang-format on
  for (const Case& c : cases) {
    lschnd_reset_for_tests();
    int ierr = 0;
    std::vector<int> got;
    const std::string out = printed([&] { got = select({1, 1, "THERMAL", 1, c.zlabel}, ierr); });
    EXPECT_EQ(ierr, 1) << c.zlabel;
    EXPECT_TRUE(got.empty()) << c.zlabel;
    const std::string message = c.routine == "LKFNUM" ? pad(c.message, 100) : c.message;
    EXPECT_EQ(out, box(message, 3, c.code, c.routine)) << c.zlabel;  // one box: the scan stops
  }
}

TEST_F(NodeLists, ErrorsOfTheListComeFromTheNodeTest) {
  struct Case {
    int modref;
    std::string zlabel;
    int result, ierr;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {1, "#10-5", 0, 2}, {1, "#1-", 0, 4}, {1, "#1-5-9", 0, 3}, {1, "#X", 0, 1}, {1, "#1-5", 1, 0},
      {1, "#NOPE:1", 0, 2}, {1, "#:1", 0, 1},
  };
  // clang-format on
  for (const Case& c : cases) {
    int result = -1, ierr = -1;
    LKFNUM(c.modref, gar_modeldirectory.flat(), md_numslots, kNM, 3, 0, "R", gar_modelnames, c.zlabel, result, ierr);
    EXPECT_EQ(result, c.result) << c.zlabel;
    EXPECT_EQ(ierr, c.ierr) << c.zlabel;
  }
  // A range that selects the node ends the parse before a later error.
  int result = 0, ierr = 0;
  LKFNUM(1, gar_modeldirectory.flat(), md_numslots, kNM, 3, 0, "R", gar_modelnames, "#1-5,NOPE", result, ierr);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(listing(), "");

  // Reference tests of NDOFZL.
  struct Ref {
    int modref, node;
    bool selected;
  };
  const std::vector<Ref> refs = {{1, 17, true},  {2, 17, true}, {-2, 17, false}, {-3, 17, true},
                                 {3, 13, false}, {2, 3, false}, {-1, 3, true},   {-1, kNT + 3, false}};
  for (const Ref& r : refs) {
    int e = -1;
    EXPECT_EQ(NDOFZL(r.modref, kNM, kNT, r.node, 1, "R", "", e), r.selected) << r.modref << " " << r.node;
    EXPECT_EQ(e, 0);
  }
  for (const int bad : {0, 4, -4}) {
    int e = 0;
    bool selected = true;
    const std::string out = printed([&] { selected = NDOFZL(bad, kNM, kNT, 1, 1, "SOLCYC  ", "", e); });
    EXPECT_FALSE(selected);
    EXPECT_EQ(e, 1);
    EXPECT_EQ(out, box(pad("Invalid submodel reference@Getting node list@SOLCYC called", 100), 3, 1, "NDOFZL"));
  }
  int e = 0;
  NDOFZL(0, kNM, kNT, 1, 0, "SOLCYC", "", e);  // silent when not reporting
  EXPECT_EQ(e, 1);
  EXPECT_EQ(listing(), "");
}

TEST_F(NodeLists, ListsLongerThan512CharactersAreRefused) {
  const std::string body = "1,2";
  const std::string at_limit = "#" + std::string(508, ' ') + body;  // 512 significant characters
  ASSERT_EQ(at_limit.size(), 512u);
  int ierr = -1;
  EXPECT_EQ(select({1, 1, "THERMAL", 1, at_limit + "    "}, ierr), (std::vector<int>{1, 2}));
  EXPECT_EQ(ierr, 0);
  const std::string over = "#" + std::string(509, ' ') + body;
  std::vector<int> got;
  const std::string out = printed([&] { got = select({1, 1, "THERMAL", 1, over}, ierr); });
  EXPECT_EQ(ierr, 1);
  EXPECT_TRUE(got.empty());
  EXPECT_EQ(out, box(pad("PRNDTB: ZLABEL too long@ ZLABEL must be less than 512 chars.", 100), 3, 2, "NDOFZL"));
  // A label text is not a "#" list: no limit applies, it just matches nothing.
  EXPECT_TRUE(select({1, 1, "THERMAL", 1, std::string(600, 'T')}, ierr).empty());
  EXPECT_EQ(ierr, 0);
}

TEST_F(NodeLists, InvalidReferencesAndFullLists) {
  const std::string head = "Invalid submodel reference@Getting node list from group specification@";
  struct Case {
    int modref, subref;
    std::string cname;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {4, 4, ""}, {-2, 5, "SUB1:ONLY"}, {2, -4, "SUB1"}, {0, 1, ""}, {1, 0, "MAIN"},
      {INT_MIN, INT_MIN, ""}, {INT_MAX, 1, ""}, {-3, INT_MIN, "SUB2:ONLY"},
  };
  // clang-format on
  for (const Case& c : cases) {
    int ierr = 0;
    std::vector<int> got;
    const std::string out = printed([&] { got = select({c.modref, c.subref, "BOTH", 1, "#1 "}, ierr); });
    EXPECT_EQ(ierr, 1);
    EXPECT_TRUE(got.empty());
    EXPECT_EQ(
        out, box(pad(head + "PRNDTB called with:<NL>   ZLABEL = #1<NL>   CNAME = " + c.cname, 1000), 3, 1, "Lschnd"))
        << c.modref << " " << c.subref;
  }

  const std::string full_head =
      "Insufficient space to store node list@Getting node list from group specification@More than ";
  int ierr = 0;
  std::vector<int> got;
  std::string out = printed([&] { got = select({1, 1, "THERMAL", 1, ""}, ierr, 3); });
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(got, (std::vector<int>{1, 2, 3}));  // the list built so far
  EXPECT_EQ(out, box(pad(full_head + ITOC(3) + " nodes found@PRNDTB called with:<NL>   ZLABEL = <NL>   CNAME = MAIN",
                         1000),
                     3, 2, "Lschnd"));
  out = printed([&] { got = select({-1, -1, "FLUID", 1, ""}, ierr, 1); });
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(got, (std::vector<int>{kNT + 1}));
  EXPECT_EQ(out,
            box(pad(full_head + ITOC(1) + " nodes found@PRNDTB called with:<NL>   ZLABEL = <NL>   CNAME = MAIN:ONLY",
                    1000),
                3, 3, "Lschnd"));
  // ZLABEL as the caller gives it: the refused-reference message drops its
  // trailing blanks, the full-list message keeps them.
  const std::string padded = pad("#1-10", 20);
  out = printed([&] { got = select({1, 1, "THERMAL", 1, padded}, ierr, 2); });
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(got, (std::vector<int>{1, 2}));
  EXPECT_EQ(out, box(pad(full_head + ITOC(2) + " nodes found@PRNDTB called with:<NL>   ZLABEL = " + padded +
                             "<NL>   CNAME = MAIN",
                         1000),
                     3, 2, "Lschnd"));
  out = printed([&] { got = select({-4, -4, "THERMAL", 1, padded}, ierr); });
  EXPECT_EQ(out, box(pad(head + "PRNDTB called with:<NL>   ZLABEL = #1-10<NL>   CNAME = ", 1000), 3, 1, "Lschnd"));

  // Failures are not remembered: the same requests with room succeed.
  EXPECT_EQ(select({1, 1, "THERMAL", 1, ""}, ierr).size(), 21u);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(select({-1, -1, "FLUID", 1, ""}, ierr), (std::vector<int>{kNT + 1, kNT + 2}));
}

TEST_F(NodeLists, RepeatedRequestsAreAnsweredFromMemory) {
  int ierr = 0;
  const Request tank{1, 1, "BOTH", 1, "TANK"};
  EXPECT_EQ(select(tank, ierr), (std::vector<int>{5, 14, kNT + 1}));
  gar_thermalnodelabels(5) = "BRACKET";
  gar_thermalnodelabels(7) = "TANK BASE";
  // Same key: the remembered list, no node evaluated.
  EXPECT_EQ(select(tank, ierr), (std::vector<int>{5, 14, kNT + 1}));
  // Any other part of the key evaluates afresh.
  EXPECT_EQ(select({1, 1, "THERMAL", 1, "TANK"}, ierr), (std::vector<int>{7, 14}));
  EXPECT_EQ(select({1, 1, "BOTH", 0, "TANK"}, ierr), (std::vector<int>{7, 14, kNT + 1}));
  EXPECT_EQ(select({-1, 1, "BOTH", 1, "TANK"}, ierr), (std::vector<int>{7, kNT + 1}));
  EXPECT_EQ(select({1, -1, "BOTH", 1, "TANK"}, ierr), (std::vector<int>{7, kNT + 1}));
  EXPECT_EQ(select({1, 1, "BOTH", 1, "TANK "}, ierr),
            (std::vector<int>{5, 14, kNT + 1}));  // trailing blanks: same key
  EXPECT_EQ(select({1, 1, "BOTH", 1, "TANK B"}, ierr), (std::vector<int>{7}));

  // A remembered list longer than a later caller's room is not copied past
  // that room: the request is evaluated and the shortage reported.
  std::vector<int> got;
  const std::string out = printed([&] { got = select(tank, ierr, 2); });
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(got, (std::vector<int>{7, 14}));
  EXPECT_NE(out, "");
  EXPECT_EQ(select(tank, ierr), (std::vector<int>{5, 14, kNT + 1}));  // still remembered

  // A failing request is not remembered.
  EXPECT_TRUE(select({1, 1, "THERMAL", 1, "#NOPE"}, ierr).empty());
  EXPECT_EQ(ierr, 1);
  gar_nodealiasnames(2) = "NOPE";  // MAIN's aliases stay sorted: INLET, NOPE
  listing();
  EXPECT_EQ(select({1, 1, "THERMAL", 1, "#NOPE"}, ierr), (std::vector<int>{11}));
  EXPECT_EQ(ierr, 0);
}

TEST_F(NodeLists, AtMostOneHundredRequestsAreRemembered) {
  int ierr = 0;
  for (int k = 1; k <= 100; ++k) {
    const std::vector<int> got = select({1, 1, "THERMAL", 1, "#" + std::to_string(k)}, ierr);
    EXPECT_EQ(got, k <= 12 ? std::vector<int>{k} : std::vector<int>{}) << k;
  }
  gar_thermalnodenums(12) = 101;
  gar_thermalnodenums(11) = 1;
  // The first hundred stay as they were first answered...
  EXPECT_EQ(select({1, 1, "THERMAL", 1, "#1"}, ierr), (std::vector<int>{1}));
  EXPECT_EQ(select({1, 1, "THERMAL", 1, "#12"}, ierr), (std::vector<int>{12}));
  // ...and the next request is evaluated every time.
  EXPECT_EQ(select({1, 1, "THERMAL", 1, "#101"}, ierr), (std::vector<int>{12}));
  gar_thermalnodenums(12) = 12;
  EXPECT_EQ(select({1, 1, "THERMAL", 1, "#101"}, ierr), (std::vector<int>{}));
}

// A remembered list that leaves out inactive nodes follows the statuses as
// soon as a change is signalled through the status-changed flag; clearing
// the flag (as the solution routines do) does not make it evaluate again.
TEST_F(NodeLists, ListsWithoutInactiveNodesFollowSignalledStatusChanges) {
  int ierr = 0;
  const Request active{1, 1, "THERMAL", 0, "#1-6"};
  const Request both{1, 1, "BOTH", 0, "TANK"};
  EXPECT_EQ(select(active, ierr), (std::vector<int>{1, 2, 3, 5, 6}));  // node 4 is "X"
  EXPECT_EQ(select(both, ierr), (std::vector<int>{5, 14, kNT + 1}));

  gar_thermalnodestatuses(5) = "X";
  stat_setstatst(1);
  EXPECT_EQ(select(active, ierr), (std::vector<int>{1, 2, 3, 6}));
  EXPECT_EQ(select(both, ierr), (std::vector<int>{14, kNT + 1}));
  EXPECT_EQ(ierr, 0);

  // The solution routines clear the flag: the lists stay as evaluated, and
  // a change nobody signals is not seen.
  stat_setstatst(0);
  gar_thermalnodestatuses(6) = "X";
  EXPECT_EQ(select(active, ierr), (std::vector<int>{1, 2, 3, 6}));

  // Node 5 comes back, node 4 becomes active; any non-zero value signals.
  gar_thermalnodestatuses(4) = "D";
  gar_thermalnodestatuses(5) = "D";
  gar_thermalnodestatuses(6) = "D";
  stat_setstatst(7);
  EXPECT_EQ(select(active, ierr), (std::vector<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(select(both, ierr), (std::vector<int>{5, 14, kNT + 1}));
  // Fluid nodes are taken whatever their status.
  gar_fluidnodestatuses(1) = "X";
  stat_setstatst(1);
  EXPECT_EQ(select(both, ierr), (std::vector<int>{5, 14, kNT + 1}));
}

// Lists that include inactive nodes do not depend on statuses: a signalled
// change leaves them remembered (a relabelled node shows that nothing was
// evaluated again).
TEST_F(NodeLists, ListsWithInactiveNodesStayRememberedAcrossStatusChanges) {
  int ierr = 0;
  const Request tank{1, 1, "BOTH", 1, "TANK"};
  const Request numbers{1, 1, "THERMAL", 1, "#3-6"};
  EXPECT_EQ(select(tank, ierr), (std::vector<int>{5, 14, kNT + 1}));
  EXPECT_EQ(select(numbers, ierr), (std::vector<int>{3, 4, 5, 6}));
  gar_thermalnodestatuses(5) = "X";
  gar_thermalnodelabels(7) = "TANK BASE";
  gar_thermalnodenums(7) = 5;
  stat_setstatst(1);
  EXPECT_EQ(select(tank, ierr), (std::vector<int>{5, 14, kNT + 1}));
  EXPECT_EQ(select(numbers, ierr), (std::vector<int>{3, 4, 5, 6}));
  // The same key with inactive nodes left out is another request.
  EXPECT_EQ(select({1, 1, "BOTH", 0, "TANK"}, ierr), (std::vector<int>{7, 14, kNT + 1}));
}

// A list evaluated again keeps its place in memory: the memory does not
// grow, so the hundredth request is still remembered and the one after it
// is not; the list evaluated again is remembered as it now is.
TEST_F(NodeLists, ListsEvaluatedAgainKeepTheirPlaceInMemory) {
  int ierr = 0;
  const Request stale{1, 1, "THERMAL", 0, "TANK"};
  EXPECT_EQ(select(stale, ierr), (std::vector<int>{5, 14}));
  for (int k = 2; k <= 99; ++k) select({1, 1, "THERMAL", 1, "#" + std::to_string(k)}, ierr);

  gar_thermalnodestatuses(14) = "X";
  stat_setstatst(1);
  EXPECT_EQ(select(stale, ierr), (std::vector<int>{5}));
  const Request hundredth{1, 1, "THERMAL", 1, "LID"}, beyond{1, 1, "THERMAL", 1, "BASE"};
  gar_thermalnodelabels(8) = "LID BASE";
  EXPECT_EQ(select(hundredth, ierr), (std::vector<int>{8, 14}));
  EXPECT_EQ(select(beyond, ierr), (std::vector<int>{8}));

  // Relabelling without a status change: what is remembered is served.
  gar_thermalnodelabels(8) = "";
  gar_thermalnodelabels(9) = "TANK LID BASE";
  EXPECT_EQ(select(stale, ierr), (std::vector<int>{5}));
  EXPECT_EQ(select(hundredth, ierr), (std::vector<int>{8, 14}));
  EXPECT_EQ(select(beyond, ierr), (std::vector<int>{9}));
}

// A list that a status change made longer than a caller's room is never
// served from memory: the shortage is reported, and a caller with room then
// gets the list as it now is.
TEST_F(NodeLists, AStaleListIsNeverServed) {
  int ierr = 0;
  const Request active{1, 1, "THERMAL", 0, "#1-6"};
  EXPECT_EQ(select(active, ierr, 5), (std::vector<int>{1, 2, 3, 5, 6}));
  gar_thermalnodestatuses(4) = "D";
  stat_setstatst(1);
  std::vector<int> got;
  const std::string out = printed([&] { got = select(active, ierr, 5); });
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(got, (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_NE(out.find("Insufficient space to store node list"), std::string::npos) << out;
  printed([&] { got = select(active, ierr, 5); });
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(select(active, ierr), (std::vector<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(ierr, 0);
}

}  // namespace
}  // namespace refs_test

namespace refs_test {
namespace {

// Random user text never reads or writes outside the lists, and a
// successful answer is always a proper node list.
TEST_F(NodeLists, RandomTextIsHandledSafely) {
  GLOI.MLEVEL = 3;  // failures are counted, not printed
  const std::string alphabet = "#0123456789,-;:'( SUB12ALIAS7PUMP";
  unsigned state = 12345u;
  auto next = [&] {
    state = state * 1103515245u + 12345u;
    return (state >> 16) & 0x7fff;
  };
  for (int trial = 0; trial < 3000; ++trial) {
    std::string z = trial % 3 == 0 ? "" : "#";
    const int len = static_cast<int>(next() % 24);
    for (int k = 0; k < len; ++k) z += alphabet[next() % alphabet.size()];
    const int refs[] = {1, 2, 3, -1, -2, -3};
    const int ref = refs[next() % 6];
    int ierr = -1;
    const int room = static_cast<int>(next() % (kNT + kNF)) + 1;
    const std::vector<int> got = select({ref, ref, "BOTH", static_cast<int>(next() % 2), z}, ierr, room);
    ASSERT_LE(static_cast<int>(got.size()), room) << z;
    for (std::size_t k = 1; k < got.size(); ++k) ASSERT_LT(got[k - 1], got[k]) << z;
    for (const int node : got) {
      ASSERT_GE(node, 1);
      ASSERT_LE(node, kNT + kNF);
    }
  }
}

}  // namespace
}  // namespace refs_test
