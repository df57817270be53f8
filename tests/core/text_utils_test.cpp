#include "core/text_utils.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/process.h"
#include "support/test_env.h"

namespace {

// Exit status and standard-error text of a call that must end the process.
template <class F>
std::pair<int, std::string> stopped(F f) {
  plat::set_exit_throws(true);
  testing::internal::CaptureStderr();
  int status = -1;
  try {
    f();
  } catch (const plat::ProcessExit& e) {
    status = e.status;
  }
  const std::string err = testing::internal::GetCapturedStderr();
  plat::set_exit_throws(false);
  return {status, err};
}

TEST(TextUtils, UsedLength) {
  struct Case {
    std::string text;
    int expected;
  };
  const std::vector<Case> cases = {
      {std::string(100, ' '), 0},
      {"", 0},
      {std::string(7, ' ') + "\t" + std::string(20, ' '), 8},  // a tab is not a blank
      {"A" + std::string(255, ' '), 1},
      {std::string(300, 'x'), 300},
      {"  a b  ", 5},
  };
  for (const Case& c : cases) {
    int n = -1;
    SLNLEN(c.text, n);
    EXPECT_EQ(n, c.expected) << '"' << c.text << '"';
    EXPECT_EQ(STRLNA(c.text), c.expected);
  }
  // The scan takes eight blanks at a time: the last non-blank at every place
  // of texts of up to three words, at every offset into a buffer.
  const std::string buffer(40, ' ');
  for (std::size_t offset = 0; offset < 8; ++offset) {
    for (std::size_t size = 0; size <= 24; ++size) {
      for (std::size_t used = 0; used <= size; ++used) {
        std::string padded = buffer;
        if (used > 0) padded[offset + used - 1] = 'x';
        if (used > 2) padded[offset] = 'y';
        int n = -1;
        SLNLEN(std::string_view(padded).substr(offset, size), n);
        EXPECT_EQ(n, static_cast<int>(used)) << offset << ' ' << size;
      }
    }
  }
}

TEST(TextUtils, BlankRemovalOutsideQuotes) {
  struct Case {
    std::string text;
    int quote_in;
    std::string out;
    int count, quote_out;
  };
  const std::vector<Case> cases = {
      {"A 'b '", 0, "A'b '", 5, 0},
      {" X\t= 1 ", 0, "X=1", 3, 0},
      // A line ending inside quotes: its trailing blanks count as kept.
      {"N = 'ab c    ", 0, "N='ab c", 7 + 4, 1},
      // The next line continues inside the quoted text.
      {"  d e' f", 1, "  d e'f", 7, 0},
      {std::string(10, ' '), 1, "", 10, 1},
  };
  for (const Case& c : cases) {
    plat::Text<20> out;
    int quote = c.quote_in, count = -1;
    SDBLKX(c.text, quote, out, count);
    EXPECT_EQ(out.trimmed(), c.out) << c.text;
    EXPECT_EQ(count, c.count) << c.text;
    EXPECT_EQ(quote, c.quote_out) << c.text;
    quote = c.quote_in;
    plat::Text<20> out2;
    SDBLNK(c.text, quote, out2);
    EXPECT_EQ(out2, out);
  }
}

TEST(TextUtils, BlankRemovalOverflowIsAConsistencyStopWithFailureStatus) {
  auto [status1, err1] = stopped([] {
    plat::Text<3> out;
    int quote = 0, count = 0;
    SDBLKX("a b c d", quote, out, count);
  });
  EXPECT_EQ(status1, 1);
  EXPECT_EQ(err1, "STOP Sdblkx 1\n");
  auto [status2, err2] = stopped([] {
    plat::Text<5> out;
    int quote = 0, count = 0;
    SDBLKX("'abc    ", quote, out, count);  // 4 kept + 4 trailing blanks > 5
  });
  EXPECT_EQ(status2, 1);
  EXPECT_EQ(err2, "STOP Sdblkx 2\n");
  // The fluid-state check strips into 24 characters.
  auto [status3, err3] = stopped([] {
    plat::Text<40> d(std::string(25, 'P'));
    int flag = 0;
    STCHEK(d, flag);
  });
  EXPECT_EQ(status3, 1);
  EXPECT_EQ(err3, "STOP Sdblkx 1\n");
}

TEST(TextUtils, BlankAndCommentRemoval) {
  struct Case {
    std::string text;
    int quote_in;
    std::string out;
    int count, quote_out;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"A = 1 # comment", 0, "A=1", 3, 0},
      {"   # whole line", 0, "", 0, 0},
      {"#x", 0, "", 0, 0},
      {"X = 'a # b' # c", 0, "X='a # b'", 9, 0},
      {"S = 'open  ", 0, "S='open", 11, 1},  // still quoted: count is the input's length
      {"more' # gone", 1, "more'", 5, 0},
      {"\tB\t=\t2", 0, "B=2", 3, 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    plat::Text<40> out;
    int quote = c.quote_in, count = -1;
    SDBLKH(c.text, quote, out, count);
    EXPECT_EQ(out.trimmed(), c.out) << c.text;
    EXPECT_EQ(count, c.count) << c.text;
    EXPECT_EQ(quote, c.quote_out) << c.text;
  }
  // An output shorter than the input is never written past its end.
  plat::Text<2> small;
  int quote = 0, count = 0;
  SDBLKH("abcdef", quote, small, count);
  EXPECT_EQ(small.view(), "ab");
}

TEST(TextUtils, SqueezeAndLeftTrim) {
  struct Case {
    std::string text;
    int limit;
    std::string expected;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"    #12", 1, "#"},      // a "#" in the first position stays
      {"12#34", 11, "12"},      // from the second position on it ends the text
      {" a b\tc ", 0, "abc"},   // limit 0: everything
      {" a b c", 2, "ab"},
      {"  ", 5, ""},
      {"# 1, 2", 0, "#1,2"},
  };
  // clang-format on
  for (const Case& c : cases) {
    plat::Text<11> r;
    CCHAR(c.text, c.limit, r);
    EXPECT_EQ(r.trimmed(), c.expected) << c.text << " / " << c.limit;
  }
  plat::Text<4> shortr;
  CCHAR("abcdefg", 0, shortr);  // never more than the result holds
  EXPECT_EQ(shortr.view(), "abcd");

  plat::Text<6> t;
  LTRIM(" \t ab c", t);
  EXPECT_EQ(t.view(), "ab c  ");
  LTRIM(" \t \t", t);
  EXPECT_EQ(t.view(), "      ");
}

TEST(TextUtils, SearchesOutsideQuotesAndBrackets) {
  struct Case {
    std::string text, sought;
    int quotes_only, quotes_and_brackets;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"NAME='A=B'", "=", 5, 5},
      {"'A=B'", "=", 0, 0},
      {"a',',", ",", 5, 0},      // SBQNDX: one character after a closing quote is not searched
      {"a',',x", ",", 5, 5},
      {"F(1,2),X", ",", 4, 7},   // the comma inside the brackets is skipped
      {"G(A(1,2),3),Y", ",", 6, 12},
      {"F(1,2", ",", 4, 0},      // an unclosed bracket hides the rest
      {"ab'cd'", "b'c", 0, 0},   // a match running into quoted text is not found
      {"ab'cd'", "b'", 2, 2},    // one ending on the opening quote is
      {"x='a'", "=", 2, 2},
      {"abc", "z", 0, 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    int p = -1;
    SQNDEX(c.text, c.sought, p);
    EXPECT_EQ(p, c.quotes_only) << "SQNDEX " << c.text;
    SBQNDX(c.text, c.sought, p);
    EXPECT_EQ(p, c.quotes_and_brackets) << "SBQNDX " << c.text;
  }
}

TEST(TextUtils, IntegerToTextAgreesWithFortranI11) {
  // Golden I11 fields written by gfortran (tools/golden/int_fields.f90).
  std::ifstream in(tna_test::data_path("diagnostics/int_fields.txt"));
  std::string row;
  int checked = 0;
  while (std::getline(in, row)) {
    const auto bar = row.find(" |");
    const int value = std::stoi(row.substr(0, bar));
    const std::string i11 = row.substr(bar + 2, 11);
    const std::string digits = i11.substr(i11.find_first_not_of(' '));

    std::string expected_itoc = digits;
    if (expected_itoc.size() < 10) expected_itoc.resize(10, ' ');
    EXPECT_EQ(ITOC(value), expected_itoc) << value;

    plat::Text<11> r;
    int len = -1;
    ILCHAR(value, len, r);
    EXPECT_EQ(r.trimmed(), digits) << value;
    EXPECT_EQ(len, static_cast<int>(digits.size())) << value;

    int status = -1;
    SCHNUM(value, len, status, r);
    if (value > 0) {
      EXPECT_EQ(r.trimmed(), digits);
      EXPECT_EQ(status, 0);
    } else {
      EXPECT_EQ(r.trimmed(), "0") << value;
      EXPECT_EQ(len, 1);
      EXPECT_EQ(status, value < 0 ? 1 : 0) << value;
    }
    ++checked;
  }
  EXPECT_GT(checked, 20);
}

TEST(TextUtils, IntegerToTextEdges) {
  EXPECT_EQ(ITOC(0), "0         ");
  EXPECT_EQ(ITOC(-42), "-42       ");
  EXPECT_EQ(ITOC(2147483647), "2147483647");
  // Eleven characters are needed below -999,999,999: none is dropped.
  EXPECT_EQ(ITOC(-999999999), "-999999999");
  EXPECT_EQ(ITOC(-1000000000), "-1000000000");
  EXPECT_EQ(ITOC(-2147483647 - 1), "-2147483648");

  plat::Text<3> r;
  int len = 0, status = 0;
  ILCHAR(123456, len, r);  // cut to the result, full count
  EXPECT_EQ(r.view(), "123");
  EXPECT_EQ(len, 6);
  SCHNUM(-1, len, status, r);
  EXPECT_EQ(r.view(), "0  ");
  EXPECT_EQ(len, 1);
  EXPECT_EQ(status, 1);
}

TEST(TextUtils, TextToInteger) {
  struct Case {
    std::string text;
    int count, flag, value;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"0042", 4, 1, 42},
      {"4a2", 3, 0, -1},
      {"42xx", 2, 1, 42},
      {"-42", 3, 0, -1},     // no sign
      {" 42", 3, 0, -1},     // no blank
      {"42", 0, 0, -1},
      {"42", 3, 0, -1},      // beyond the text: not a digit
      {"4294967297", 10, 1, 1},  // 32-bit wrap-around
  };
  // clang-format on
  for (const Case& c : cases) {
    int flag = -1, value = -7;
    IINTCH(c.text, c.count, flag);
    EXPECT_EQ(flag, c.flag) << c.text;
    IINTC2(c.text, c.count, flag, value);
    EXPECT_EQ(flag, c.flag) << c.text;
    if (c.flag == 1) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

TEST(TextUtils, Tokens) {
  struct Step {
    std::string token;
    int length, position;
  };
  struct Case {
    std::string line, delimiters;
    std::vector<Step> steps;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"A,B", ",", {{"A", 1, 2}, {"B", 1, 4}}},
      {"T(1),QI", ",(", {{"T", 1, 2}, {"1)", 2, 5}, {"QI", 2, 8}}},
      {",,X", ",", {{"", 0, 1}, {"", 0, 2}, {"X", 1, 4}}},
      {"AB CD", ", ", {{"AB", 2, 3}, {"CD", 2, 6}}},  // the blank of the delimiters counts
      {"LONGTOKEN,Z", ",", {{"LON", 9, 10}, {"Z", 1, 12}}},  // length is the full length
  };
  // clang-format on
  for (const Case& c : cases) {
    int pos = 0;
    for (const Step& s : c.steps) {
      plat::Text<3> tok;
      int len = -1;
      GETTOKEN(c.line, c.delimiters, pos, tok, len);
      EXPECT_EQ(tok.trimmed(), s.token) << c.line;
      EXPECT_EQ(len, s.length) << c.line;
      EXPECT_EQ(pos, s.position) << c.line;
    }
    EXPECT_GT(pos, static_cast<int>(c.line.size()));
  }
}

TEST(TextUtils, UpperCase) {
  plat::Text<12> r;
  SLTOU("node_1 abc", r);
  EXPECT_EQ(r.view(), "NODE_1 ABC  ");
  plat::Text<40> r40;
  SLTOU("abcdefghijklmnopqrstuvwxyz0123456789wxyz", r40);
  EXPECT_EQ(r40.view(), "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123" + std::string(10, ' '));
}

TEST(TextUtils, StateDescriptorCheck) {
  struct Case {
    std::string in, out;
    int flag;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"VQ & P", "P&VQ", 1}, {"vq & p", "vq & p", 0}, {"P&T", "P&T", 1},   {"T & P", "P&T", 1},
      {"FE&P", "P&FE", 1},   {"T&VQ", "T&VQ", 1},     {"VQ&T", "T&VQ", 1}, {"P&X", "P&X", 0},
      {"'P&T'", "'P&T'", 0}, {"", "", 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    plat::Text<8> d(c.in);
    int flag = -1;
    STCHEK(d, flag);
    EXPECT_EQ(d.trimmed(), c.out) << c.in;
    EXPECT_EQ(flag, c.flag) << c.in;
  }
}

}  // namespace
