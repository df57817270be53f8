// Node, conductor and array references, and the conductor searches.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "param_fixture.h"
#include "parameters/case_refs.h"

namespace params_test {
namespace {

using RefsTest = ParamsTest;

constexpr int kAll = kNT + kNF;

struct NodeCase {
  std::string ref;
  int submodel;
  std::vector<int> nodes;
};

TEST_F(RefsTest, NodeReferencesResolveToAscendingInternalLists) {
  const std::vector<int> sub1_tree = {7, 8, 9, 10, 11, 12, 13, 15, 16, 17};
  // clang-format off
  const NodeCase cases[] = {
      {"3", 1, {3}},
      {"3", 2, {9}},                // the submodel's own node, not its subtree's
      {"SUB1:SUB2:3", 1, {11}},     // path relative to the current submodel
      {"SUB2:5", 2, {13}},
      {"SUB1:12", 1, {10}},         // thermal before fluid of the same number
      {"SUB1:13", 1, {16}},
      {"*", 2, sub1_tree},
      {"*   ", 2, sub1_tree},
      {"*-ONLY", 2, {7, 8, 9, 10, 15, 16}},
      {"*", 3, {11, 12, 13, 17}},
      {"'PANEL'", 1, {1, 2, 8, 14}},
      {"'PANEL'", 2, {8}},
      {"''", 2, sub1_tree},
      {"'P'", 1, {1, 2, 8, 14}},
      {"'P '", 1, {14}},            // the whole text counts, blanks included
      {"'#1-3'", 1, {1, 2, 3}},
      {"'#3-5,9'", 2, {9}},
      {"INLET", 1, {2}},
      {"LID", 2, {9}},
      {"NODESET", 1, {1, 2, 3}},         // character constant "#1-3"
      {"LABELX", 1, {1, 2, 8, 14}},      // character constant "PANEL"
      {"TWELVE", 2, {11}},               // "12" is a label text, not a number
      {"SUB1:TWELVE", 1, {11}},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::vector<int> list(kAll, -1);
    int count = -1, status = -1;
    PARNDS(c.ref, c.submodel, kAll, plat::Vec1<int>(list.data(), kAll), count, status);
    EXPECT_EQ(status, 0) << c.ref;
    if (status == 0) {
      EXPECT_EQ(head(list, count), c.nodes) << c.ref;
    }
  }
}

TEST_F(RefsTest, AnEmptyCharacterConstantIsAnEmptyLabelText) {
  gar_userconstvalueschar(2).c[0] = '\0';  // TWELVE of SUB1 := ""
  std::vector<int> list(kAll, 0);
  int count = 0, status = -1;
  PARNDS("TWELVE", 2, kAll, plat::Vec1<int>(list.data(), kAll), count, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(head(list, count), (std::vector<int>{7, 8, 9, 10, 11, 12, 13, 15, 16, 17}));
}

TEST_F(RefsTest, NodeReferenceFailuresGetTheirMessages) {
  struct Case {
    std::string ref;
    int submodel;
    int status;
    std::vector<std::tuple<std::string, int, int, std::string>> messages;
    // clang-format off
  } cases[] = {
      {"99", 1, 3,
       {{"Node node found", 2, 1, "INTNOD"}, {"Node does not exist in sub-model@Node Number:         99", 3, 3, "PARNDS"}}},
      {"12A", 1, 4, {{"Unrecognised format for node reference@12A", 3, 4, "PARNDS"}}},
      {"99999999999", 1, 4, {{"Unrecognised format for node reference@99999999999", 3, 4, "PARNDS"}}},
      {"*X", 1, 5, {{"Unrecognised format for node reference@*X", 3, 5, "PARNDS"}}},
      {"'PANEL", 1, 6, {{"String not terminated with quote@'PANEL", 3, 6, "PARNDS"}}},
      {"'", 1, 6, {{"String not terminated with quote@'", 3, 6, "PARNDS"}}},
      {"NOSUCH", 1, 8, {{"NodeSpec cannot be interpreted@Not recognised as valid format or value", 3, 8, "PARNDS"}}},
      {"NOSUCH", 3, 9, {{"NodeSpec cannot be interpreted@Not recognised as valid format or value", 3, 9, "PARNDS"}}},
      {"", 3, 9, {{"NodeSpec cannot be interpreted@Not recognised as valid format or value", 3, 9, "PARNDS"}}},
      {"BAD:3", 1, 2, {{"Mistake in ZENT/ZLABEL, invalid or ambiguous submodel@BAD", 3, 2, "LSMINT"}}},
      {"'#5-1'", 1, 2,
       {{"NDSOZL: Illegal range construct in ZLABEL@Second value less than first:5-1", 3, 2, "LNDSZL"}}},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::vector<int> list(kAll, 0);
    int count = -1, status = -1;
    const std::string out =
        printed([&] { PARNDS(c.ref, c.submodel, kAll, plat::Vec1<int>(list.data(), kAll), count, status); });
    EXPECT_EQ(status, c.status) << c.ref;
    EXPECT_EQ(out, boxes(c.messages)) << c.ref;
  }
  // Both argument checks are reported before the call ends.
  std::vector<int> list(kAll, 0);
  int count = 0, status = 0;
  const std::string out =
      printed([&] { PARNDS("1", 0, kAll - 1, plat::Vec1<int>(list.data(), kAll), count, status); });
  EXPECT_EQ(status, 2);
  EXPECT_EQ(out, boxes({{"Node list is too short for data@Contact central support", 3, 1, "PARNDS"},
                        {"Model number is invalid@Contact central support", 3, 2, "PARNDS"}}));
  // A capacity the list itself does not have is refused as well.
  std::vector<int> small(3, 0);
  PARNDS("*", 1, kAll, plat::Vec1<int>(small.data(), 3), count, status);
  EXPECT_EQ(status, 1);
}

TEST_F(RefsTest, LabelSelectionAndItsChecks) {
  std::vector<int> list(kAll, 0);
  plat::Vec1<int> v(list.data(), kAll);
  int count = 0, status = 0;
  NDSOZL("PANEL", -2, v, kAll, 1, count, status);  // SUB1 alone
  EXPECT_EQ(status, 0);
  EXPECT_EQ(head(list, count), (std::vector<int>{8}));
  NDSOZL("", -3, v, kAll, 1, count, status);
  EXPECT_EQ(head(list, count), (std::vector<int>{11, 12, 13, 17}));
  std::string out = printed([&] { NDSOZL("PANEL", -4, v, kAll, 1, count, status); });
  EXPECT_EQ(status, 2);
  EXPECT_EQ(out, box("Invalid model number@Contact central support", 3, 2, "NDSOZL"));
  out = printed([&] { NDSOZL("PANEL", 0, v, kAll, 0, count, status); });
  EXPECT_EQ(status, 2);
  EXPECT_EQ(out, "");                             // messages off
  NDSOZL("#1-3", -2, v, kAll, 1, count, status);  // a "#" list of SUB1 alone
  EXPECT_EQ(status, 0);
  EXPECT_EQ(head(list, count), (std::vector<int>{7, 8, 9}));
  out = printed([&] { NDSOZL("#1", 9, v, kAll, 1, count, status); });
  EXPECT_EQ(status, 2);
  EXPECT_EQ(out, box("Invalid model number@Contact central support", 3, 2, "LNDSZL"));
  out = printed([&] { NDSOZL("PANEL", 1, v, kAll - 1, 1, count, status); });
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out, box("Node list is too short for data@Contact central support", 3, 1, "NDSOZL"));
}

TEST_F(RefsTest, NodeNumberLists) {
  const NodeCase cases[] = {
      {"#1-3;SUB1:2,1,2", 1, {1, 2, 3, 7, 8}},  // each node once, ascending
      {"#12", 2, {10, 15}},                     // thermal and fluid node 12
      {"#6,", 1, {6}},                          // a trailing comma is accepted
      {"#INLET-OUTLET", 1, {2, 3, 4, 5}},
      {"# 1 , 3", 1, {1, 3}},
      {"#SUB2:3-100", 2, {11, 12, 13, 17}},
      {"#3;1", 1, {1, 3}},
      {"#", 1, {}},
      {"#7", 1, {}},
  };
  for (const auto& c : cases) {
    std::vector<int> list(kAll, -1);
    int count = -1, status = -1;
    LNDSZL(c.ref, c.submodel, plat::Vec1<int>(list.data(), kAll), kAll, 1, "PARCSV", count, status);
    EXPECT_EQ(status, 0) << c.ref;
    EXPECT_EQ(head(list, count), c.nodes) << c.ref;
  }
  struct Bad {
    std::string ref;
    int status;
    std::string message;
  } bad[] = {
      {"#5-1", 2, "PARCSV: Illegal range construct in ZLABEL@Second value less than first:5-1"},
      {"#1-3-5", 3, "PARCSV: Illegal range construct in ZLABEL@Consecutive dashes as delimiters:1-3-5"},
      {"#4-", 4, "PARCSV: Illegal range construct in ZLABEL@No upper limit on range:4-"},
      {"#1;4-", 4, "PARCSV: Illegal range construct in ZLABEL@No upper limit on range:1;4-"},
      {"#1--5", 1, "PARCSV: Unrecognised sub-model / alias in ZLABEL@"},
      {"#NOPE", 1, "PARCSV: Unrecognised sub-model / alias in ZLABEL@NOPE"},
  };
  for (const auto& c : bad) {
    std::vector<int> list(kAll, -1);
    int count = -1, status = -1;
    const std::string out =
        printed([&] { LNDSZL(c.ref, 1, plat::Vec1<int>(list.data(), kAll), kAll, 1, "PARCSV", count, status); });
    EXPECT_EQ(status, c.status) << c.ref;
    EXPECT_EQ(count, 0) << c.ref;
    EXPECT_EQ(out, box(c.message, 3, c.status, "LNDSZL")) << c.ref;
    // With messages off nothing is printed.
    EXPECT_EQ(
        printed([&] { LNDSZL(c.ref, 1, plat::Vec1<int>(list.data(), kAll), kAll, 0, "PARCSV", count, status); }), "")
        << c.ref;
  }
}

struct Pair {
  int status = -1, na = 0, nb = 0, ia = 0, ib = 0, seq = -1, mfirst = 0, mlast = 0, top = 0;
  std::vector<int> a, b;
};

Pair conductor_pair(std::string_view ref, int submodel, int top = 0) {
  Pair p;
  p.top = top;
  PARCNP(ref, submodel, kDystor, kNM, kNF, kNT, gar_dynamiccoreint.view(), p.top, p.na, p.nb, p.ia, p.ib, p.seq,
         p.mfirst, p.mlast, p.status);
  if (p.status == 0) {
    for (int i = 0; i < p.na; ++i) p.a.push_back(gar_dynamiccoreint(p.ia + i));
    for (int i = 0; i < p.nb; ++i) p.b.push_back(gar_dynamiccoreint(p.ib + i));
  }
  return p;
}

TEST_F(RefsTest, ConductorReferencesGiveTwoListsInTheWorkSpace) {
  Pair p = conductor_pair("(1,2)", 1, 10);
  ASSERT_EQ(p.status, 0);
  EXPECT_EQ(p.ia, 11);
  EXPECT_EQ(p.a, (std::vector<int>{1}));
  EXPECT_EQ(p.ib, 13);  // each list takes its count plus one word
  EXPECT_EQ(p.b, (std::vector<int>{2}));
  EXPECT_EQ(p.top, 14);
  EXPECT_EQ(p.seq, 0);
  EXPECT_EQ(p.mfirst, 1);
  EXPECT_EQ(p.mlast, 1);

  p = conductor_pair("(1,2,2)", 1);
  EXPECT_EQ(p.seq, 2);
  p = conductor_pair("('#1,2',INLET)", 1);
  ASSERT_EQ(p.status, 0);
  EXPECT_EQ(p.a, (std::vector<int>{1, 2}));
  EXPECT_EQ(p.b, (std::vector<int>{2}));
  p = conductor_pair("(SUB2:3,SUB2:4)", 2);
  EXPECT_EQ(p.a, (std::vector<int>{11}));
  EXPECT_EQ(p.mfirst, 2);

  p = conductor_pair("(*)", 2);
  ASSERT_EQ(p.status, 0);
  EXPECT_EQ(p.mfirst, 2);
  EXPECT_EQ(p.mlast, 3);
  EXPECT_EQ(p.a.size(), 10u);
  EXPECT_EQ(p.b, p.a);
  p = conductor_pair("SUB1:(*-ONLY)", 1);
  EXPECT_EQ(p.mfirst, 2);
  EXPECT_EQ(p.mlast, 2);
  EXPECT_EQ(p.a.size(), 10u);  // the lists still cover the subtree
}

TEST_F(RefsTest, ConductorReferenceFailures) {
  struct Case {
    std::string ref;
    int top;
    int status;
    std::vector<std::tuple<std::string, int, int, std::string>> messages;
    // clang-format off
  } cases[] = {
      {"(1,2,0)", 0, 7, {{"Sequence number not valid@0", 3, 7, "PARCNP"}}},
      {"(1,2,X)", 0, 6, {{"Sequence number not an integer@X", 3, 6, "PARCNP"}}},
      {"(1,2,)", 0, 6, {{"Sequence number not an integer@", 3, 6, "PARCNP"}}},
      {"(1,2,99999999999)", 0, 7, {{"Sequence number not valid@99999999999", 3, 7, "PARCNP"}}},
      {"1,2", 0, 2, {{"Node pair not delimited by ()@1,2", 3, 2, "PARCNP"}}},
      {"(1,2", 0, 2, {{"Node pair not delimited by ()@(1,2", 3, 2, "PARCNP"}}},
      {"(", 0, 2, {{"Node pair not delimited by ()@(", 3, 2, "PARCNP"}}},
      {"", 0, 2, {{"Node pair not delimited by ()@", 3, 2, "PARCNP"}}},
      {"(1)", 0, 3, {{"Ill-formed node pair reference@(1)", 3, 3, "PARCNP"}}},
      {"(*-ONLYX)", 0, 3, {{"Ill-formed node pair reference@(*-ONLYX)", 3, 3, "PARCNP"}}},
      {"BAD:(1,2)", 0, 2, {{"Unrecognised submodel name@BAD:(1,2)", 3, 2, "PARCNP"}}},
      {"(1,2)", kDystor - kAll, 4, {{"Insufficient dynamic core@Increase DYSTOR", 3, 4, "PARCNP"}}},
      {"(*,1)", 170, 5, {{"Insufficient dynamic core@Increase DYSTOR", 3, 5, "PARCNP"}}},
      {"(1,99)", 0, 3,
       {{"Node node found", 2, 1, "INTNOD"}, {"Node does not exist in sub-model@Node Number:         99", 3, 3, "PARNDS"}}},
  };
  // clang-format on
  for (const auto& c : cases) {
    Pair p;
    const std::string out = printed([&] { p = conductor_pair(c.ref, 1, c.top); });
    EXPECT_EQ(p.status, c.status) << c.ref;
    EXPECT_EQ(out, boxes(c.messages)) << c.ref;
  }
}

// Runs PARGNP on the GL lists of the fixture.
std::vector<int> gl_between(std::vector<int> a, std::vector<int> b, int seq, int first, int last) {
  std::vector<int> out(20, 0);
  int nout = 0, status = -1;
  PARGNP(plat::Vec1<const int>(a.data(), static_cast<int>(a.size())), static_cast<int>(a.size()),
         plat::Vec1<const int>(b.data(), static_cast<int>(b.size())), static_cast<int>(b.size()), seq,
         gar_pcsthermal.view(), plat::Mat2<const int>(gar_pcsptrsthermal.data(), 6, kNT), first, last, kNF, kNT, 1,
         plat::Vec1<int>(out.data(), 20), nout, status);
  EXPECT_EQ(status, 0);
  return head(out, nout);
}

TEST_F(RefsTest, ThermalConductorSearch) {
  std::vector<int> all(kAll);
  for (int i = 0; i < kAll; ++i) all[static_cast<std::size_t>(i)] = i + 1;
  EXPECT_EQ(gl_between({1}, {2}, 0, 1, 3), (std::vector<int>{1, 2}));  // two parallel items
  EXPECT_EQ(gl_between({1}, {2}, 2, 1, 3), (std::vector<int>{2}));     // the second in list order
  EXPECT_EQ(gl_between({1}, {2}, 3, 1, 3), (std::vector<int>{}));
  EXPECT_EQ(gl_between({2}, {1}, 0, 1, 3), (std::vector<int>{1, 2}));
  EXPECT_EQ(gl_between({1, 2}, {1, 2, 3}, 0, 1, 3), (std::vector<int>{1, 2, 3}));  // each item once
  EXPECT_EQ(gl_between(all, all, 0, 1, 5), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(gl_between(all, all, 0, 4, 4), (std::vector<int>{4}));  // only the searched range
  EXPECT_EQ(gl_between({1}, {2}, 0, 3, 3), (std::vector<int>{}));
  // The walk stops at the first fluid node of A.
  EXPECT_EQ(gl_between({14, 1}, {2}, 0, 1, 3), (std::vector<int>{}));
}

std::vector<int> links_between(std::vector<int> a, std::vector<int> b, int seq) {
  std::vector<int> out(5, 0);
  int nout = 0, status = -1;
  PARGFP(plat::Vec1<const int>(a.data(), static_cast<int>(a.size())), static_cast<int>(a.size()),
         plat::Vec1<const int>(b.data(), static_cast<int>(b.size())), static_cast<int>(b.size()), seq,
         gar_massflowlinkcondnodepairs.view(), gar_pcsfluid.view(), gar_pcsptrsfluid.view(), 1, 1, 1, 17, kNF, kNT,
         plat::Vec1<int>(out.data(), 5), nout, status);
  EXPECT_EQ(status, 0);
  return head(out, nout);
}

TEST_F(RefsTest, FluidLinkSearch) {
  EXPECT_EQ(links_between({15}, {16}, 0), (std::vector<int>{1}));
  EXPECT_EQ(links_between({15}, {16}, 1), (std::vector<int>{1}));
  EXPECT_EQ(links_between({15}, {16}, 2), (std::vector<int>{}));
  EXPECT_EQ(links_between({16}, {15}, 0), (std::vector<int>{}));  // a link is found from its first end
  EXPECT_EQ(links_between({1, 15}, {16, 17}, 0), (std::vector<int>{1}));
}

TEST_F(RefsTest, ViewFactorSearch) {
  auto gv = [&](std::vector<int> a, std::vector<int> b, int seq, int first, int last, int& status) {
    std::vector<int> out(10, 0);
    int nout = 0;
    PARGGV(plat::Vec1<const int>(a.data(), static_cast<int>(a.size())), static_cast<int>(a.size()),
           plat::Vec1<const int>(b.data(), static_cast<int>(b.size())), static_cast<int>(b.size()), seq,
           gar_vfaccondnodepairs.view(), first, last, plat::Vec1<int>(out.data(), 10), nout, status);
    return head(out, nout);
  };
  int status = -1;
  EXPECT_EQ(gv({1}, {2}, 0, 1, 3, status), (std::vector<int>{1, 2}));
  EXPECT_EQ(status, 0);
  EXPECT_EQ(gv({1}, {2}, 2, 1, 3, status), (std::vector<int>{2}));
  EXPECT_EQ(gv({1}, {2}, 3, 1, 3, status), (std::vector<int>{}));  // item 3 holds another pair
  EXPECT_EQ(gv({2}, {1}, 0, 1, 3, status), (std::vector<int>{}));  // only pairs stored as (a, b)
  EXPECT_EQ(gv({1, 2}, {2, 3}, 0, 1, 3, status), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(gv({1}, {2}, 0, 2, 3, status), (std::vector<int>{2}));
  // A range without items: one message per pair of listed nodes.
  std::vector<int> found;
  const std::string out = printed([&] { found = gv({1, 2}, {3}, 0, 4, 3, status); });
  EXPECT_EQ(status, 1);
  EXPECT_TRUE(found.empty());
  EXPECT_EQ(out, boxes({{"Error searching node pair list@Contact Central Support", 3, 1, "PARGGV"},
                        {"Error searching node pair list@Contact Central Support", 3, 1, "PARGGV"}}));
}

// The search as the pairs of A x B: for each a of A, each b of B, the first
// of the equal pairs (a, b) among the ascending pairs first..last, then the
// whole group (sequence 0) or its s-th item.
std::vector<int> gv_by_pairs(const std::vector<int>& pairs, const std::vector<int>& a, const std::vector<int>& b,
                             int seq, int first, int last) {
  std::vector<int> out;
  auto at = [&](int item) { return std::make_pair(pairs[2 * item - 2], pairs[2 * item - 1]); };
  for (int x : a) {
    for (int y : b) {
      int item = first;
      while (item <= last && at(item) < std::make_pair(x, y)) ++item;
      if (item > last || at(item) != std::make_pair(x, y)) continue;
      int end = item;
      while (end <= last && at(end) == std::make_pair(x, y)) ++end;
      for (int i = item; i < end; ++i)
        if (seq == 0 || i == item + seq - 1) out.push_back(i);
    }
  }
  return out;
}

TEST_F(RefsTest, ViewFactorSearchAgreesWithTheSearchOfEveryPair) {
  // Random ascending pair tables with repeated pairs, node lists in any
  // order (or ascending) with repeats, B's numbers close together or spread
  // wide, sequence numbers and sub-ranges.
  std::mt19937 rng(2024);
  auto r = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int trial = 0; trial < 300; ++trial) {
    std::vector<std::pair<int, int>> table(static_cast<std::size_t>(r(1, 40)));
    for (auto& p : table) p = {r(1, 8), r(1, 8)};
    std::sort(table.begin(), table.end());
    std::vector<int> pairs;
    for (const auto& [x, y] : table) pairs.insert(pairs.end(), {x, y});
    std::vector<int> a(static_cast<std::size_t>(r(0, 6))), b(static_cast<std::size_t>(r(0, 6)));
    for (int& x : a) x = r(0, 9);
    for (int& y : b) y = r(0, 9);
    if (trial % 3 == 0) b.push_back(1000000000);  // B's numbers spread wide
    if (trial % 4 == 0) std::sort(a.begin(), a.end());
    const int n = static_cast<int>(table.size());
    const int first = r(1, n), last = r(first, n), seq = r(0, 3);
    std::vector<int> out(200, 0);
    int nout = 0, status = -1;
    PARGGV(plat::Vec1<const int>(a.data(), static_cast<int>(a.size())), static_cast<int>(a.size()),
           plat::Vec1<const int>(b.data(), static_cast<int>(b.size())), static_cast<int>(b.size()), seq,
           plat::Vec1<const int>(pairs.data(), static_cast<int>(pairs.size())), first, last,
           plat::Vec1<int>(out.data(), 200), nout, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(head(out, nout), gv_by_pairs(pairs, a, b, seq, first, last)) << "trial " << trial;
  }
}

TEST_F(RefsTest, OwningSubmodelOfAnItem) {
  EXPECT_EQ(SUBMDE(3, 4), 1);
  EXPECT_EQ(SUBMDE(4, 4), 2);
  EXPECT_EQ(SUBMDE(5, 4), 3);
  EXPECT_EQ(SUBMDE(6, 4), 0);
  EXPECT_EQ(SUBMDE(0, 4), 0);
  EXPECT_EQ(SUBMDE(1, 17), 2);  // SUB1 owns the link; MAIN owns none
  EXPECT_EQ(SUBMDE(1, 99), 0);
}

TEST_F(RefsTest, ArrayIndexParts) {
  struct Case {
    int array;
    std::string text;
    int status;
    std::vector<int> range;
    int flag;
    std::vector<std::string> messages;
  } cases[] = {
      {1, "(2,*)", 0, {2, 2, 1, 4, 1, 1}, 1, {}},
      {1, "(3,4)", 0, {3, 3, 4, 4, 1, 1}, 0, {}},
      {2, "(*)", 0, {1, 5, 1, 1, 1, 1}, 1, {}},
      {3, "(2)", 0, {2, 2, 1, 1, 1, 1}, 0, {}},
      {1, "(4,1)", 2, {}, 0, {"Array reference out of bounds"}},
      {1, "(0,1)", 2, {}, 0, {"Array reference out of bounds"}},
      {2, "(99999999999)", 2, {}, 0, {"Array reference out of bounds"}},
      {1, "(1)", 5, {}, 0, {"Too few indices for this array"}},
      {2, "(1,1,1)", 4, {}, 0, {"Too many indices for this array", "Too many indices for this array"}},
      {2, "(x)", 3, {}, 0, {"Array index not an integer"}},
      {2, "()", 5, {}, 0, {"Too few indices for this array"}},
      {1, "(x,9)", 2, {}, 0, {"Array index not an integer", "Array reference out of bounds"}},
      {2, "(1", 1, {}, 0, {"Invalid array reference syntax@(1"}},
      {2, "1)", 1, {}, 0, {"Invalid array reference syntax@1)"}},
      {4, "(1)", 7, {}, 0, {"Only Real, Integer and Character arrays supported"}},
  };
  for (const auto& c : cases) {
    int type = 0, first = 0, ndim = 0, flag = -1, status = -1;
    int dims[3] = {}, range[6] = {};
    const std::string out = printed([&] {
      PARAIN(c.array, c.text, type, first, ndim, plat::Vec1<int>(dims, 3), plat::Vec1<int>(range, 6), flag, status);
    });
    EXPECT_EQ(status, c.status) << c.text;
    std::vector<std::tuple<std::string, int, int, std::string>> expected;
    for (const auto& m : c.messages) expected.emplace_back(m, 3, 0, "PARAIN");
    // Codes: each message carries the status it set.
    const int codes[2] = {c.messages.size() == 2 && c.status == 2 ? 3 : c.status, c.status};
    for (std::size_t i = 0; i < expected.size(); ++i) std::get<2>(expected[i]) = codes[i];
    EXPECT_EQ(out, boxes(expected)) << c.text;
    if (c.status == 0) {
      EXPECT_EQ(std::vector<int>(range, range + 6), c.range) << c.text;
      EXPECT_EQ(flag, c.flag) << c.text;
    }
  }
  int type = 0, first = 0, ndim = 0, flag = 0, status = 0;
  int dims[3] = {}, range[6] = {};
  PARAIN(1, "(1,1)", type, first, ndim, plat::Vec1<int>(dims, 3), plat::Vec1<int>(range, 6), flag, status);
  EXPECT_EQ(type, 2);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(ndim, 2);
  EXPECT_EQ(std::vector<int>(dims, dims + 3), (std::vector<int>{3, 4, 1}));
  PARAIN(3, "(1)", type, first, ndim, plat::Vec1<int>(dims, 3), plat::Vec1<int>(range, 6), flag, status);
  EXPECT_EQ(type, 3);
}

}  // namespace
}  // namespace params_test
