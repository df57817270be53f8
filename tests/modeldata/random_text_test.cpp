// Seeded random user texts through the two list decoders on the fixture.
//
// Node lists: LSCHND must agree with NDOFZL asked node by node (the same
// selection, or an error that NDOFZL also reports for a node of the range),
// never write past the caller's room, and answer a repeated request with the
// same list. Entity lists: whatever the text, the list holds each code once,
// the seen-flags mark exactly the listed codes, the two flags say exactly
// which kinds of code are listed, and a sort key is a sortable code.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "fixture.h"
#include "modeldata/entity_codes.h"
#include "modeldata/entity_lists.h"

namespace refs_test {
namespace {

using RandomText = RefsTest;

// Tokens and separators that make lists likely to be nearly right, and noise
// that makes them wrong in every way the decoders must survive.
const std::vector<std::string> kLabelTokens = {
    "1",    "3",      "5",      "7",          "9",     "12",       "20",           "50",         "60",
    "100",  "0",      "007",    "2147483647", "SUB1:", "SUB2:",    "sub1:",        "SUB1:SUB2:", "INLET",
    "PUMP", "ALIAS7", "HEATER", "1-12",       "3-7",   "SUB1:1-5", "SUB2:3,ALIAS7"};
const std::vector<std::string> kLabelSeparators = {",", ",", ";", ";", "-", " "};
const std::vector<std::string> kLabelNoise = {"2147483648",
                                              "4294967297",
                                              "99999999999999999999",
                                              "-",
                                              "--",
                                              ":",
                                              "::",
                                              "MAIN:",
                                              "CURRENT:",
                                              "NOPE:",
                                              "TANK",
                                              "OUTER",
                                              "\t",
                                              "'",
                                              "(",
                                              ")",
                                              "#",
                                              std::string(24, 'S') + ":",
                                              std::string(25, 'S') + ":",
                                              std::string(41, '9'),
                                              std::string(45, 'A')};

const std::vector<std::string> kEntityTokens = {
    "L",  "T",  "C", "QS", "QA", "A",    "ALP",   "FT",     "FRG", "FST",   "P",     "VQ",     "GL",      "GR",
    "GF", "GV", "M", "GP", "G",  "HEAT", "MASSX", "ICOUNT", "TAG", "T-INC", "T-DEC", "GL-DEC", "HEAT-INC"};
const std::vector<std::string> kEntitySeparators = {",", ",", ",", ",,"};
const std::vector<std::string> kEntityNoise = {"ZZB", "ZW",   "ZY",   "D", "S", "X",       "NOPE",  "t",
                                               "gl",  "-INC", "-DEC", "-", " ", "TAG-INC", "L-DEC", "G-INC"};

std::string random_text(std::mt19937& rng, const std::vector<std::string>& tokens,
                        const std::vector<std::string>& separators, const std::vector<std::string>& noise,
                        int max_tokens) {
  std::string s;
  const int n = 1 + static_cast<int>(rng() % static_cast<unsigned>(max_tokens));
  for (int k = 0; k < n; ++k) {
    s += tokens[rng() % tokens.size()];
    if (rng() % 4 != 0) s += separators[rng() % separators.size()];
    if (rng() % 10 == 0) s += noise[rng() % noise.size()];
    if (rng() % 32 == 0) s += static_cast<char>(rng() % 256);  // any byte at all
  }
  return s;
}

int random_reference(std::mt19937& rng) {
  static const int valid[] = {1, 2, 3, -1, -2, -3};
  static const int invalid[] = {0, 4, -4, INT_MAX, INT_MIN};
  return rng() % 8 != 0 ? valid[rng() % 6] : invalid[rng() % 5];
}

TEST_F(RandomText, NodeListsAgreeWithTheNodeTest) {
  std::mt19937 rng(20240611u);
  const std::vector<std::string> kinds = {"THERMAL", "THERMAL", "FLUID", "BOTH", "BOTH   ", "NONE", "thermal"};
  int selected_any = 0, refused = 0, full = 0;
  for (int trial = 0; trial < 4000; ++trial) {
    GLOI.MLEVEL = trial % 16 == 0 ? 0 : 3;  // print a share of the boxes, so that their texts are built too
    std::string zlabel =
        (rng() % 4 != 0 ? "#" : "") + random_text(rng, kLabelTokens, kLabelSeparators, kLabelNoise, 4);
    if (trial % 50 == 0) zlabel = "#" + std::string(505 + rng() % 10, ' ') + zlabel;  // around the 512 limit
    const int modref = random_reference(rng);
    const int subref = rng() % 4 == 0 ? random_reference(rng) : modref;
    const std::string kind = kinds[rng() % kinds.size()];
    const int inclx = static_cast<int>(rng() % 2);
    const int room = rng() % 2 == 0 ? kNT + kNF : static_cast<int>(rng() % 6);

    lschnd_reset_for_tests();
    std::vector<int> buffer(static_cast<std::size_t>(room) + 4, -7);  // 4 guard words past the room
    int ierr = -1, count = -1;
    LSCHND(modref, room, kind, inclx, "PRNDTB", subref, zlabel, ierr, plat::Vec1<int>(buffer.data(), room), count);
    ASSERT_GE(count, 0) << zlabel;
    ASSERT_LE(count, room) << zlabel;
    for (std::size_t k = static_cast<std::size_t>(room); k < buffer.size(); ++k) ASSERT_EQ(buffer[k], -7) << zlabel;
    const std::vector<int> got(buffer.begin(), buffer.begin() + count);

    // The same request node by node.
    const auto ref_ok = [](std::int64_t r) { return r != 0 && r >= -kNM && r <= kNM; };
    if (!ref_ok(modref) || !ref_ok(subref)) {
      ASSERT_EQ(ierr, 1) << zlabel;
      ASSERT_TRUE(got.empty()) << zlabel;
      ++refused;
      continue;
    }
    const int first = std::abs(subref);
    const int last = subref < 0 ? first : first + md_subtreesize(first) - 1;
    const bool thermal = plat::text_eq(kind, "THERMAL") || plat::text_eq(kind, "BOTH");
    const bool fluid = plat::text_eq(kind, "FLUID") || plat::text_eq(kind, "BOTH");
    std::vector<int> expected;
    bool node_error = false;
    for (int node = 1; node <= kNT + kNF && !node_error; ++node) {
      const int m = NDSSMD(node);
      if (m < first || m > last) continue;
      if (node <= kNT ? !thermal : !fluid) continue;
      if (node <= kNT && inclx == 0 && gar_thermalnodestatuses(node) == "X") continue;
      int e = 0;
      const bool hit = NDOFZL(modref, kNM, kNT, node, 0, "PRNDTB", zlabel, e);
      if (e != 0) {
        node_error = true;
      } else if (hit) {
        expected.push_back(node);
      }
    }
    if (node_error) {
      ASSERT_EQ(ierr, 1) << zlabel;
      ++refused;
    } else if (static_cast<int>(expected.size()) > room) {
      ASSERT_EQ(ierr, 1) << zlabel;
      ASSERT_EQ(got, std::vector<int>(expected.begin(), expected.begin() + room)) << zlabel;
      ++full;
    } else {
      ASSERT_EQ(ierr, 0) << zlabel;
      ASSERT_EQ(got, expected) << "'" << zlabel << "' " << modref << " " << kind;
      if (!got.empty()) ++selected_any;
      // Asked again: the remembered list.
      std::vector<int> again(static_cast<std::size_t>(room) + 1, -9);
      int ierr2 = -1, count2 = -1;
      LSCHND(modref, room, kind, inclx, "PRNDTB", subref, zlabel, ierr2, plat::Vec1<int>(again.data(), room),
             count2);
      ASSERT_EQ(ierr2, 0) << zlabel;
      ASSERT_EQ(std::vector<int>(again.begin(), again.begin() + count2), got) << zlabel;
    }
  }
  // The generator reaches both outcomes often enough to mean something.
  EXPECT_GT(selected_any, 100);
  EXPECT_GT(refused, 100);
  EXPECT_GT(full, 20);
}

TEST_F(RandomText, EntityListsStayConsistent) {
  std::mt19937 rng(777001u);
  const auto conductor = [](int code) { return code >= 42 && code <= 47; };
  int with_sort = 0, with_codes = 0;
  for (int trial = 0; trial < 4000; ++trial) {
    GLOI.MLEVEL = trial % 16 == 0 ? 0 : 3;
    const std::string zents = random_text(rng, kEntityTokens, kEntitySeparators, kEntityNoise, 6);
    const int room = static_cast<int>(rng() % 12);
    const int nseen = rng() % 3 == 0 ? 48 : 400;
    const int len = rng() % 10 == 0 ? static_cast<int>(zents.size()) + 5 : static_cast<int>(zents.size());
    std::vector<int> list(static_cast<std::size_t>(room) + 4, -5), seen(static_cast<std::size_t>(nseen) + 4, -5);
    int condflag = -1, nodeflag = -1, n = -1, sort = -99, ierr = -1;
    LSDNTT(room, nseen, 48, "PRNDTB", zents, len, plat::Vec1<int>(list.data(), room), condflag,
           plat::Vec1<int>(seen.data(), nseen), nodeflag, n, sort, ierr);
    ASSERT_GE(n, 0) << zents;
    ASSERT_LE(n, room) << zents;
    for (std::size_t k = static_cast<std::size_t>(room); k < list.size(); ++k) ASSERT_EQ(list[k], -5) << zents;
    for (std::size_t k = static_cast<std::size_t>(nseen); k < seen.size(); ++k) ASSERT_EQ(seen[k], -5) << zents;
    const std::vector<int> codes(list.begin(), list.begin() + n);
    if (!codes.empty()) ++with_codes;

    bool any_node = false, any_conductor = false;
    for (const int code : codes) {
      ASSERT_GE(code, 1) << zents;
      ASSERT_FALSE(code >= 37 && code <= 41) << zents;
      ASSERT_FALSE(code >= 48 && code <= 100) << zents;  // G expands, status letters are not accepted
      if (code > 100) {
        int kind = 0, column = 0;
        plat::Text<18> name;
        SPRNAM(code, kind, column, name);
        ASSERT_GT(kind, 0) << zents << " code " << code;
      }
      ASSERT_EQ(std::count(codes.begin(), codes.end(), code), 1) << zents;
      (conductor(code) ? any_conductor : any_node) = true;
    }
    ASSERT_FALSE(any_node && any_conductor) << zents;
    ASSERT_EQ(condflag, any_conductor ? 1 : 0) << zents;
    ASSERT_EQ(nodeflag, any_node ? 1 : 0) << zents;
    for (int code = 1; code <= nseen; ++code) {
      if (code == 48) continue;  // G's own mark
      const bool listed = std::find(codes.begin(), codes.end(), code) != codes.end();
      ASSERT_EQ(seen[static_cast<std::size_t>(code - 1)], listed ? 1 : 0) << zents << " code " << code;
    }
    if (sort != 0) {
      ++with_sort;
      const int key = std::abs(sort);
      ASSERT_NE(ENTRIC(key), 3) << zents;
      ASSERT_FALSE(key >= 37 && key <= 41) << zents;
      ASSERT_TRUE(key <= 48 || (key > 100 && key < 300)) << zents;  // G itself is accepted as a key
    }
    ASSERT_TRUE(ierr >= 0 && ierr <= 7) << zents;
  }
  EXPECT_GT(with_codes, 1000);
  EXPECT_GT(with_sort, 100);
}

}  // namespace
}  // namespace refs_test
