#include "core/char_pool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A pool of `n` elements filled from one run of characters (the rest "~").
plat::Array1<PoolElement> make_pool(int n, const std::string& chars) {
  plat::Array1<PoolElement> pool(n);
  std::string all(static_cast<std::size_t>(n) * kPoolElementLength, '~');
  all.replace(0, chars.size(), chars);
  for (int e = 1; e <= n; ++e)
    pool(e) = std::string_view(all).substr((e - 1) * kPoolElementLength, kPoolElementLength);
  return pool;
}

std::string nul(const std::string& s) { return s + std::string(1, '\0'); }

TEST(CharPool, ReadingValues) {
  // Element 1: a 129-character value and its NUL, then the first 3
  // characters of a second value that runs on into element 2 for 5 more.
  const std::string first(129, 'v');
  const plat::Array1<PoolElement> pool = make_pool(3, nul(first) + nul("ABC12345") + nul("0123456789") + nul(""));
  const int limit = 3 * kPoolElementLength;
  struct Case {
    const char* what;
    int start, limit;
    std::size_t text_len;
    int status, length;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"across the element boundary", 131, limit, 20, 0, 8, "ABC12345"},
      {"first value", 1, limit, 200, 0, 129, first},
      {"value longer than the text", 140, limit, 4, 1, 10, "0123"},
      {"empty value (a NUL at start)", 151, limit, 10, -1, 0, ""},
      {"start 0", 0, limit, 10, -1, 0, ""},
      {"start beyond the limit", 100, 99, 10, -1, 0, ""},
      {"limit beyond the pool", 1, limit + 1, 10, -1, 0, ""},
      {"no NUL up to the limit", 131, 135, 10, -1, 0, ""},
  };
  for (const Case& c : cases) {
    std::string text(c.text_len, '?');
    int length = -9, status = -9;
    DBFZPK(pool, 3, c.limit, c.start, length, text, status);
    EXPECT_EQ(status, c.status) << c.what;
    if (c.status != -1 || c.length == 0) {
      EXPECT_EQ(length, c.length) << c.what;
    }
    EXPECT_EQ(plat::trimmed(text), c.text) << c.what;
  }
}

TEST(CharPool, SearchingThePool) {
  const plat::Array1<PoolElement> pool = make_pool(2, std::string(131, 'a') + "XYZ" + std::string(100, 'b') + "Q");
  struct Case {
    const char* what;
    std::string sought;
    int start, limit, position, status;
  };
  const std::vector<Case> cases = {
      {"occurrence spanning two elements", "XYZ", 1, 266, 132, 0},
      {"within the first element", "aX", 1, 266, 131, 0},
      {"from a start after it", "XYZ", 133, 266, 0, 0},
      {"must end by the limit", "XYZ", 1, 133, 0, 0},
      {"ends exactly at the limit", "XYZ", 1, 134, 132, 0},
      {"in the limit's element", "Q", 1, 266, 235, 0},
      {"not present", "QQ", 1, 266, 0, 0},
      {"bad start", "a", 0, 266, 0, 1},
      {"start after limit", "a", 10, 9, 0, 1},
      {"limit beyond the pool", "a", 1, 267, 0, 1},
  };
  for (const Case& c : cases) {
    int position = -1, status = -1;
    SCANDX(pool, 2, c.limit, c.start, c.sought, position, status);
    EXPECT_EQ(position, c.position) << c.what;
    EXPECT_EQ(status, c.status) << c.what;
  }
  // The spanning search alone: from the end of element 1 into element 2.
  int offset = 1, found = -1;
  SCVNDX(2, pool, 266, 3, 1, kPoolElementLength, "XYZ", offset, found);
  EXPECT_EQ(found, 1);
  EXPECT_EQ(offset, 132);
  offset = 1;
  SCVNDX(2, pool, 133, 3, 1, kPoolElementLength, "XYZ", offset, found);  // would pass the limit
  EXPECT_EQ(found, 0);
  EXPECT_EQ(offset, 1);
}

TEST(CharPool, CopyingRanges) {
  const plat::Array1<PoolElement> pool = make_pool(2, std::string(130, '.') + "abcdefgh");
  struct Case {
    const char* what;
    int nelem, limit, first, last;
    std::size_t text_len;
    int status;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"across the boundary", 2, 266, 131, 138, 8, 0, "abcdefgh"},
      {"text shorter than the range", 2, 266, 131, 138, 3, 1, "abc"},
      {"range beyond the limit", 2, 200, 131, 201, 8, -1, ""},
      {"limit beyond the pool", 2, 267, 131, 138, 8, -1, ""},
      {"empty range", 2, 266, 138, 137, 8, -2, ""},
      {"first 0", 2, 266, 0, 5, 8, -2, ""},
      {"empty pool", 0, 266, 1, 5, 8, -2, ""},
      {"empty text", 2, 266, 1, 5, 0, -2, ""},
  };
  for (const Case& c : cases) {
    std::string text(c.text_len, '?');
    int status = -9;
    SCVUCA(pool, c.nelem, c.limit, c.first, c.last, text, status);
    EXPECT_EQ(status, c.status) << c.what;
    if (c.status >= 0) {
      EXPECT_EQ(text, c.text) << c.what;
    }
  }
  // The low-level copy leaves its cursor after the last character copied.
  int offset = 132, element = 1, count = 4;
  std::string text(6, '?');
  SMOVAV(pool, 2, offset, element, count, text);
  EXPECT_EQ(text, "bcde  ");
  EXPECT_EQ(element, 2);
  EXPECT_EQ(offset, 3);
  EXPECT_EQ(count, 0);
}

TEST(CharPool, WritingInPlaceAcrossTheBoundary) {
  plat::Array1<PoolElement> pool = make_pool(2, "");
  // A 3-character text written with count 5 into positions 132 to 136.
  int offset = 132, element = 1;
  SMOVVA("xyz", 5, offset, element, pool, 2);
  EXPECT_EQ(pool(1).view().substr(130), "~xy");
  EXPECT_EQ(pool(2).view().substr(0, 6), "z  ~~~");
  EXPECT_EQ(element, 2);
  EXPECT_EQ(offset, 4);
  // Past the last element nothing is written.
  offset = 132;
  element = 2;
  SMOVVA("abcdef", 6, offset, element, pool, 2);
  EXPECT_EQ(pool(2).view().substr(131), "ab");

  // Replace a value in place keeping its length: read the length, write that many.
  plat::Array1<PoolElement> values = make_pool(1, nul("OLDVALUE") + nul("NEXT"));
  std::string buf(20, ' ');
  int length = 0, status = 0;
  DBFZPK(values, 1, kPoolElementLength, 1, length, buf, status);
  ASSERT_EQ(length, 8);
  offset = 1;
  element = 1;
  SMOVVA("NEW", length, offset, element, values, 1);
  DBFZPK(values, 1, kPoolElementLength, 1, length, buf, status);
  EXPECT_EQ(plat::trimmed(buf), "NEW");
  EXPECT_EQ(length, 8);
  DBFZPK(values, 1, kPoolElementLength, 10, length, buf, status);
  EXPECT_EQ(plat::trimmed(buf), "NEXT");
}

TEST(CharPool, FillsAndCopy) {
  plat::Array1<int> ints(4, 7);
  int status = -1;
  SZEROI(0, ints, status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(ints(1), 7);
  SZEROI(3, ints, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ((std::vector<int>{ints(1), ints(2), ints(3), ints(4)}), (std::vector<int>{0, 0, 0, 7}));

  plat::Array1<double> reals(3, 2.5);
  SZEROD(-1, reals, status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(reals(1), 2.5);
  SZEROD(2, reals, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(reals(2), 0.0);
  EXPECT_EQ(reals(3), 2.5);

  plat::Array1<plat::Text<5>> texts(3, plat::Text<5>("abcde"));
  SZEROZ(0, texts.view(), status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(texts(1).view(), "abcde");
  SZEROZ(2, texts.view(), status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(texts(2).view(), "     ");
  EXPECT_EQ(texts(3).view(), "abcde");

  plat::Array1<int> src(3), dst(3, -1);
  src(1) = 4;
  src(2) = 5;
  src(3) = 6;
  SICOPY(src, 0, status, dst);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(dst(1), -1);
  SICOPY(src, 2, status, dst);
  EXPECT_EQ(status, 0);
  EXPECT_EQ((std::vector<int>{dst(1), dst(2), dst(3)}), (std::vector<int>{4, 5, -1}));
}

// A double whose two 32-bit words in memory are `first` then `second`.
double from_words(std::int32_t first, std::int32_t second) {
  std::int32_t w[2] = {first, second};
  double d;
  std::memcpy(&d, w, sizeof d);
  return d;
}

TEST(CharPool, UndefinedMarkerTestsByBits) {
  EXPECT_EQ(SKUNDF(), 2147483647);
  struct RealCase {
    const char* what;
    double value;
    bool undefined;
  };
  const std::vector<RealCase> reals = {
      {"marker in the first word, zero second word", from_words(2147483647, 0), true},
      {"marker in the first word, any second word", from_words(2147483647, -12345), true},
      {"marker in the second word only", from_words(0, 2147483647), false},
      {"the marker converted to a real number", 2147483647.0, false},
      {"zero", 0.0, false},
      {"first word one below the marker", from_words(2147483646, 0), false},
  };
  for (const RealCase& c : reals) {
    EXPECT_EQ(SDUNDF(c.value), c.undefined) << c.what;
    EXPECT_EQ(SLUNDF(c.value), c.undefined) << c.what;
    EXPECT_EQ(SUNDCK(c.value), c.undefined) << c.what;
  }
  struct IntCase {
    int value;
    bool undefined;
  };
  const std::vector<IntCase> ints = {{2147483647, true}, {2147483646, false}, {-2147483647 - 1, false}, {0, false}};
  for (const IntCase& c : ints) {
    EXPECT_EQ(SLUNDF(c.value), c.undefined) << c.value;
    EXPECT_EQ(SDUNDF(c.value), c.undefined) << c.value;
    EXPECT_EQ(SUNDCK(c.value), c.undefined) << c.value;
  }
}

}  // namespace
