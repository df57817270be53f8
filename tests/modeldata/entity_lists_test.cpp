#include "modeldata/entity_lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fixture.h"

namespace refs_test {
namespace {

using EntityLists = RefsTest;

struct Decoded {
  std::vector<int> codes;
  int nodeflag = -1, condflag = -1, sort = -99, ierr = -1;
  std::vector<int> seen;
};

// Decodes as the printed node table does: room 48 + user entities, 400
// seen-flags, highest table code 48.
Decoded decode(const std::string& zents, int room = 48 + 4, int nseen = 400) {
  Decoded d;
  std::vector<int> list(static_cast<std::size_t>(room), -5);
  d.seen.assign(static_cast<std::size_t>(nseen), -5);
  int n = -1;
  LSDNTT(room, nseen, 48, "PRNDTB", zents, static_cast<int>(zents.size()), plat::Vec1<int>(list.data(), room),
         d.condflag, plat::Vec1<int>(d.seen.data(), nseen), d.nodeflag, n, d.sort, d.ierr);
  d.codes.assign(list.begin(), list.begin() + std::max(n, 0));
  return d;
}

TEST_F(EntityLists, DecodesCodesFlagsAndSortKey) {
  struct Case {
    std::string zents;
    std::vector<int> codes;
    int nodeflag, condflag, sort, ierr;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"L,T,QS,QE,QA,QI,C", {1, 2, 8, 5, 4, 6, 3}, 1, 0, 0, 0},
      {"T-DEC,L", {1}, 1, 0, -2, 0},
      {"L,T-INC", {1}, 1, 0, 2, 0},
      {"T-INC-DEC", {}, 0, 0, 2, 0},  // "-INC" wins when both appear
      {"G", {42, 43, 44, 45, 46, 47}, 0, 1, 0, 0},
      {"GL,G", {42, 43, 44, 45, 46, 47}, 0, 1, 0, 3},
      {"GV,M,GP", {45, 46, 47}, 0, 1, 0, 0},
      {"T,GL", {2}, 1, 0, 0, 1},
      {"GL,T", {42}, 0, 1, 0, 1},
      {"GL,ZW", {42}, 0, 1, 0, 2},  // inside the conductor window, then refused as 37..41
      {"L-INC", {}, 0, 0, 0, 4},
      {"T,T", {2}, 1, 0, 0, 1},
      {"ZW", {}, 0, 0, 0, 2},
      {"ZZB,ZZC,ZX,ZY", {}, 0, 0, 0, 2},
      {"T,ZW,C", {2, 3}, 1, 0, 0, 0},  // a later added code resets the status
      {"HEAT,ICOUNT,TAG", {101, 201, 301}, 1, 0, 0, 0},
      {"HEAT-INC,T", {2}, 1, 0, 101, 0},
      {"TAG-DEC", {}, 0, 0, 0, 4},
      {"FT-INC", {}, 0, 0, 0, 4},
      {"XYZ", {}, 0, 0, 0, 5},
      {"t", {}, 0, 0, 0, 5},  // case as written
      {"D,S", {}, 0, 0, 0, 5},  // status letters lie above the highest accepted code
      {"T,", {2}, 1, 0, 0, 0},  // a final comma ends the list
      {",T", {2}, 1, 0, 0, 0},
      {"T,,", {2}, 1, 0, 0, 6},
      {"T-INC,GL", {42}, 0, 1, 2, 0},            // an earlier key is checked only when another arrives
      {"T,GL-INC", {2}, 1, 0, 0, 1},
      {"GL-INC,T-INC", {}, 0, 0, 2, 0},
      {"T-INC,GL,GR-DEC", {42}, 0, 1, 0, 3},     // node key while conductors are named: refused
      {"T,QS-INC,C-DEC", {2}, 1, 0, -3, 0},
      {"T-DEC-INC", {}, 0, 0, 0, 5},             // the text before "-INC" is "T-DEC"
      {"-INC", {}, 0, 0, 0, 5},
      {"", {}, 0, 0, 0, 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    const Decoded d = decode(c.zents);
    EXPECT_EQ(d.codes, c.codes) << c.zents;
    EXPECT_EQ(d.nodeflag, c.nodeflag) << c.zents;
    EXPECT_EQ(d.condflag, c.condflag) << c.zents;
    EXPECT_EQ(d.sort, c.sort) << c.zents;
    EXPECT_EQ(d.ierr, c.ierr) << c.zents;
    for (int code = 1; code <= 400; ++code) {
      if (code == 48) continue;  // G's own flag is checked below
      const bool named = std::find(c.codes.begin(), c.codes.end(), code) != c.codes.end();
      EXPECT_EQ(d.seen[static_cast<std::size_t>(code - 1)], named ? 1 : 0) << c.zents << " code " << code;
    }
  }
  EXPECT_EQ(decode("G").seen[47], 1);
  EXPECT_EQ(decode("GL").seen[47], 0);
}

TEST_F(EntityLists, MessagesOfEachFault) {
  const std::string mistake = "PRNDTB: Mistake in ZENTS, ";
  auto pad = [](std::string s, std::size_t n) {
    s.resize(n, ' ');
    return s;
  };
  struct Case {
    std::string zents, message;
    int severity, code;
    std::string routine;
  };
  const std::vector<Case> cases = {
      {"T,GL", pad(mistake + "mixed node & conductor entities", 100), 3, 1, "LSDNTT"},
      {"ZW", pad("Mistake in ZENTS, invalid entity reference@PRNDTB: Decoding ZENTS@Entity = ZW", 100), 3, 2,
       "LSDNTT"},
      {"T-INC,GL,GR-DEC", pad(mistake + "mixed node & conductor entities", 100), 3, 3, "LSDNTT"},
      {"L-INC", pad(mistake + "invalid sequence identifier@Entity=L-INC", 100), 3, 4, "LSDNTT"},
      {"XYZ", pad(mistake + "invalid entity reference@Entity=XYZ", 100), 3, 5, "LSDNTT"},
      {",T", pad(mistake + "invalid entity reference@Entity=", 100), 3, 6, "LSDNTT"},
      {"T,T", pad(mistake + "repeated entity reference", 60), 2, 1, "LSNTID"},
  };
  for (const Case& c : cases) {
    const std::string out = printed([&] { decode(c.zents); });
    EXPECT_EQ(out, box(c.message, c.severity, c.code, c.routine)) << c.zents;
  }
  // "G" after one of its codes: status 3 without a message.
  EXPECT_EQ(printed([&] { decode("GL,G"); }), "");
}

TEST_F(EntityLists, UserEntityNamesNeedUserEntities) {
  SPRSIZ(3) = SPRSIZ(4) = SPRSIZ(5) = 0;
  const Decoded d = decode("HEAT");
  EXPECT_TRUE(d.codes.empty());
  EXPECT_EQ(d.ierr, 5);
}

TEST_F(EntityLists, CodesBeyondTheCallersRoomAreRefused) {
  // "G" with the list nearly or wholly full: codes already named need no
  // room, and the codes appended before the room ran out still count as
  // conductor entities (a node sort key is then refused).
  struct Room {
    std::string zents;
    int room;
    std::vector<int> codes;
    int condflag, sort, ierr, seen_g;
  };
  const std::vector<Room> rooms = {
      {"G", 3, {42, 43, 44}, 1, 0, 7, 0},
      {"G,T-INC", 3, {42, 43, 44}, 1, 0, 1, 0},
      {"GL,GR,GF,GV,M,GP,G", 6, {42, 43, 44, 45, 46, 47}, 1, 0, 3, 1},
      {"GL,GR,GF,GV,M,G", 6, {42, 43, 44, 45, 46, 47}, 1, 0, 3, 1},
      {"GL,GR,GF,GV,M,G", 5, {42, 43, 44, 45, 46}, 1, 0, 7, 0},
  };
  for (const Room& r : rooms) {
    const Decoded d = decode(r.zents, r.room);
    EXPECT_EQ(d.codes, r.codes) << r.zents << " room " << r.room;
    EXPECT_EQ(d.condflag, r.condflag) << r.zents << " room " << r.room;
    EXPECT_EQ(d.nodeflag, 0) << r.zents << " room " << r.room;
    EXPECT_EQ(d.sort, r.sort) << r.zents << " room " << r.room;
    EXPECT_EQ(d.ierr, r.ierr) << r.zents << " room " << r.room;
    EXPECT_EQ(d.seen[47], r.seen_g) << r.zents << " room " << r.room;
  }
  Decoded d;
  // Seen-flags for table codes only: a user code cannot be marked.
  d = decode("T,HEAT", 52, 48);
  EXPECT_EQ(d.codes, (std::vector<int>{2}));
  EXPECT_EQ(d.ierr, 7);
  // A length beyond the text reads only the text.
  std::vector<int> list(10, 0), seen(400, 0);
  int cond = 0, node = 0, n = 0, sort = 0, ierr = 0;
  LSDNTT(10, 400, 48, "R", "T,C", 500, plat::Vec1<int>(list.data(), 10), cond, plat::Vec1<int>(seen.data(), 400),
         node, n, sort, ierr);
  EXPECT_EQ(n, 2);
  LSDNTT(10, 400, 48, "R", "T,C", 1, plat::Vec1<int>(list.data(), 10), cond, plat::Vec1<int>(seen.data(), 400), node,
         n, sort, ierr);
  EXPECT_EQ(n, 1);
}

TEST_F(EntityLists, FillEveryStepth) {
  std::vector<int> a(8, 0);
  int ierr = -1;
  ACONI(2, 7, 9, plat::Vec1<int>(a.data(), 8), ierr);
  EXPECT_EQ(a, (std::vector<int>{9, 0, 9, 0, 9, 0, 9, 0}));
  EXPECT_EQ(ierr, 0);
  ACONI(1, 100, 4, plat::Vec1<int>(a.data(), 8), ierr);  // never past the array
  EXPECT_EQ(a, std::vector<int>(8, 4));
  ACONI(0, 8, 1, plat::Vec1<int>(a.data(), 8), ierr);
  EXPECT_EQ(a, std::vector<int>(8, 4));
}

}  // namespace
}  // namespace refs_test

namespace refs_test {
namespace {

TEST_F(EntityLists, RandomTextIsHandledSafely) {
  GLOI.MLEVEL = 3;
  const std::vector<std::string> words = {"T",      "L",    "G",    "GL", "GR", "QS", "C", "ZW", "HEAT", "TAG",
                                          "ICOUNT", "-INC", "-DEC", ",",  ",",  "",   "X", "FT", "D"};
  unsigned state = 777u;
  auto next = [&] {
    state = state * 1103515245u + 12345u;
    return (state >> 16) & 0x7fff;
  };
  for (int trial = 0; trial < 3000; ++trial) {
    std::string z;
    const int len = static_cast<int>(next() % 12);
    for (int k = 0; k < len; ++k) z += words[next() % words.size()];
    const int room = static_cast<int>(next() % 10) + 1;
    const Decoded d = decode(z, room, next() % 2 ? 400 : 48);
    ASSERT_LE(static_cast<int>(d.codes.size()), room) << z;
    std::vector<int> sorted = d.codes;
    std::sort(sorted.begin(), sorted.end());
    ASSERT_TRUE(std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end()) << z;  // no code twice
    for (const int code : d.codes) ASSERT_FALSE(code >= 37 && code <= 41) << z;
    ASSERT_FALSE(d.nodeflag == 1 && d.condflag == 1) << z;
  }
}

}  // namespace
}  // namespace refs_test
