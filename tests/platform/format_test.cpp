// Run-time format engine: gfortran golden tables, round trips, units,
// internal files, errors and a fuzz of malformed format texts.
#include "platform/format.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <deque>
#include <fstream>
#include <random>
#include <sstream>

#include "support/test_env.h"

namespace {

using plat::fmt_detail::out_item;
using plat::fmt_detail::OutItem;

int hexval(char c) { return c <= '9' ? c - '0' : (c & ~0x20) - 'A' + 10; }

std::string unhex(std::string_view h) {
  std::string s;
  for (std::size_t i = 0; i + 1 < h.size(); i += 2)
    s.push_back(static_cast<char>(hexval(h[i]) * 16 + hexval(h[i + 1])));
  return s;
}

// One line of a golden table: item tokens, {format}, and [record] groups.
struct OutCase {
  std::string line, fmt;
  std::vector<std::string> tokens, records;
};

bool parse_out_line(const std::string& line, OutCase& c) {
  c.line = line;
  const auto b = line.find(" {");
  const auto e = line.find("} [", b);
  if (b == std::string::npos || e == std::string::npos) return false;
  std::istringstream ts(line.substr(0, b));
  for (std::string t; ts >> t;) c.tokens.push_back(t);
  c.fmt = line.substr(b + 2, e - b - 2);
  std::size_t p = e + 2;
  while (p < line.size() && line[p] == '[') {
    std::size_t q = line.find("][", p + 1);
    if (q == std::string::npos) q = line.size() - 1;
    c.records.push_back(line.substr(p + 1, q - p - 1));
    p = q + 1;
  }
  return true;
}

TEST(FormatGolden, OutputMatchesGfortran) {
  std::ifstream in(tna_test::data_path("format/output.txt"));
  ASSERT_TRUE(in) << "missing golden table";
  std::string line;
  int n = 0, bad = 0;
  while (std::getline(in, line)) {
    OutCase c;
    ASSERT_TRUE(parse_out_line(line, c)) << line;
    std::deque<std::string> texts;
    std::vector<OutItem> items;
    for (const std::string& t : c.tokens) {
      const std::string_view v = std::string_view(t).substr(1);
      switch (t[0]) {
        case 'r': items.push_back(out_item(std::bit_cast<double>(std::stoull(std::string(v), nullptr, 16)))); break;
        case 'f':
          items.push_back(
              out_item(std::bit_cast<float>(static_cast<std::uint32_t>(std::stoul(std::string(v), nullptr, 16)))));
          break;
        case 'i': items.push_back(out_item(static_cast<int>(std::stol(std::string(v))))); break;
        case 'j': items.push_back(out_item(static_cast<long long>(std::stoll(std::string(v))))); break;
        case 'l': items.push_back(out_item(v == "T")); break;
        case 'a':
          texts.push_back(unhex(v));
          items.push_back(out_item(std::string_view(texts.back())));
          break;
        default: FAIL() << "bad token " << t;
      }
    }
    std::vector<std::string> got;
    const int st = plat::fmt_detail::format_records_impl(got, c.fmt, items.data(), items.size());
    ++n;
    if (st != 0 || got != c.records) {
      if (++bad <= 40) {
        std::string g;
        for (auto& r : got) g += "[" + r + "]";
        ADD_FAILURE() << c.line << "\n  got status " << st << " " << g;
      }
    }
  }
  EXPECT_EQ(bad, 0) << "of " << n << " cases";
  EXPECT_GT(n, 1000);
}

}  // namespace

namespace {

// Input table: <type> <N|Z> {<format>} [<input>] <result>.
TEST(FormatGolden, InputMatchesGfortran) {
  std::ifstream in(tna_test::data_path("format/input.txt"));
  ASSERT_TRUE(in) << "missing golden table";
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    const auto b = line.find(" {"), e = line.find("} [", b), r = line.rfind("] ");
    ASSERT_TRUE(b != std::string::npos && e != std::string::npos && r != std::string::npos) << line;
    std::istringstream head(line.substr(0, b));
    std::string type, mode;
    head >> type >> mode;
    const std::string fmt = line.substr(b + 2, e - b - 2);
    const std::string src = line.substr(e + 3, r - e - 3);
    const std::string want = line.substr(r + 2);
    const bool bz = mode == "Z";
    SCOPED_TRACE(line);
    ++n;
    if (type == "R") {
      double x = 0.0;
      const int st = plat::read_internal(src, fmt, bz, x);
      if (want == "ERR") {
        EXPECT_EQ(st, plat::io::kBadInput);
      } else {
        ASSERT_EQ(st, 0);
        const double w = std::bit_cast<double>(std::stoull(want, nullptr, 16));
        if (std::isnan(w)) EXPECT_TRUE(std::isnan(x));
        else EXPECT_EQ(std::bit_cast<std::uint64_t>(x), std::bit_cast<std::uint64_t>(w));
      }
    } else if (type == "I" || type == "J") {
      int i = 0;
      long long j = 0;
      const int st = type == "I" ? plat::read_internal(src, fmt, bz, i) : plat::read_internal(src, fmt, bz, j);
      if (want == "ERR") {
        EXPECT_EQ(st, plat::io::kBadInput);
      } else {
        ASSERT_EQ(st, 0);
        EXPECT_EQ(type == "I" ? i : j, std::stoll(want));
      }
    } else if (type == "L") {
      bool v = false;
      const int st = plat::read_internal(src, fmt, bz, v);
      if (want == "ERR") {
        EXPECT_EQ(st, plat::io::kBadInput);
      } else {
        ASSERT_EQ(st, 0);
        EXPECT_EQ(v, want == "T");
      }
    } else if (type == "A5") {
      plat::Text<5> t("#####");
      ASSERT_EQ(plat::read_internal(src, fmt, bz, t), 0);
      EXPECT_EQ(t.str(), want.substr(1, 5));
    } else {
      FAIL() << "bad type";
    }
  }
  EXPECT_GT(n, 500);
}

}  // namespace

namespace {

using plat::format_records;
using Recs = std::vector<std::string>;

TEST(FormatOutput, ItemKindsAndArrays) {
  const plat::Text<6> t("ab");
  std::string s = "str";
  const char* c = "cz";
  EXPECT_EQ(format_records("(A, A, A, A, A)", t, s, c, std::string_view("sv"), 'q'), Recs{"ab    strczsvq"});
  plat::Array1<double> a(3);
  a(1) = 1.5, a(2) = -2.25, a(3) = 1e10;
  EXPECT_EQ(format_records("(3F6.2)", a), (Recs{"  1.50 -2.25******"}));
  std::vector<int> iv{1, 2, 3, 4, 5};
  EXPECT_EQ(format_records("(2I3)", std::span<const int>(iv)), (Recs{"  1  2", "  3  4", "  5"}));
  plat::Vec1<int> view(iv.data() + 1, 2);
  EXPECT_EQ(format_records("(I2, 2I3, L2)", 7, view, true), (Recs{" 7  2  3 T"}));
  const float f = 0.1f;  // its exact value, not 0.1
  EXPECT_EQ(format_records("(F12.10)", f), Recs{"0.1000000015"});
  const long long big = -9223372036854775807LL - 1;
  EXPECT_EQ(format_records("(I21)", big), Recs{" -9223372036854775808"});
  std::size_t n = 12;
  EXPECT_EQ(format_records("(I4)", n), Recs{"  12"});
  plat::Array1<plat::Text<3>> names(2);
  names(1) = "ab", names(2) = "xyz";
  EXPECT_EQ(format_records("(2(A, '|'))", names), Recs{"ab |xyz|"});
}

TEST(FormatOutput, FormatTextForms) {
  // Without outer parentheses, with blanks inside descriptors, with text after the closing one.
  EXPECT_EQ(format_records("I3, 1X, F5.1", 4, 2.5), Recs{"  4   2.5"});
  EXPECT_EQ(format_records("  ( F10. 4 , 1 P, E10. 3, 0P )  ", 1.5, 1.5), Recs{"    1.5000 1.500E+00"});
  EXPECT_EQ(format_records("(I2)   trailing text ignored", 5), Recs{" 5"});
  EXPECT_EQ(format_records("(1X,A,1X,I10,4X,10X  ,4X,10X  )", "X", 7), Recs{" X          7"});
  EXPECT_EQ(format_records("(1PE11.4)", 0.0), Recs{" 0.0000E+00"});
  EXPECT_EQ(format_records("(i2,f4.1,a,l2,es9.2e1)", 1, 1.0, "a", false, 5.0), Recs{" 1 1.0a F  5.00E+0"});
  EXPECT_EQ(format_records("()"), Recs{""});
  // A built format: the gap written with (I3) then used as nX.
  plat::Text<3> gap;
  ASSERT_EQ(plat::write_internal(gap, "(I3)", 81), 0);
  const std::string hdr = "(1X, A17, 2X, A8, " + gap.str() + "X, A24, /)";
  const Recs r = format_records(hdr, "10-DEC-2024", "13:45:00", "                     JOB");
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].size(), 133u);
  EXPECT_EQ(r[0].substr(r[0].size() - 3), "JOB");
  EXPECT_EQ(r[1], "");
}

TEST(FormatOutput, PositioningOnlyRecordHoldsBlanks) {
  // Deliberately unlike gfortran (which writes empty records here).
  EXPECT_EQ(format_records("(1X)"), Recs{" "});
  EXPECT_EQ(format_records("(3X)"), Recs{"   "});
  EXPECT_EQ(format_records("(1X, /, 1X, 'a')"), (Recs{" ", " a"}));
  EXPECT_EQ(format_records("(1X, A)", ""), Recs{" "});
  // Trailing positioning after written characters adds nothing, as in gfortran.
  EXPECT_EQ(format_records("(1X, A, 3X)", "abc"), Recs{" abc"});
  EXPECT_EQ(format_records("(A, T20)", "abc"), Recs{"abc"});
  // T positions from the record start, after X as well.
  EXPECT_EQ(format_records("(5X, T3, A)", "ab"), Recs{"  ab"});
}

TEST(FormatOutput, ErrorsAreStatuses) {
  Recs out;
  EXPECT_EQ(plat::format_records_to(out, "(I5)", 1.5), plat::io::kItemMismatch);
  out.clear();
  EXPECT_EQ(plat::format_records_to(out, "(F5.1)", 3), plat::io::kItemMismatch);
  out.clear();
  EXPECT_EQ(plat::format_records_to(out, "(A)", true), plat::io::kItemMismatch);
  out.clear();
  EXPECT_EQ(plat::format_records_to(out, "(L2)", "T"), plat::io::kItemMismatch);
  out.clear();
  // Items left but no data descriptor: would loop for ever in a naive engine.
  EXPECT_EQ(plat::format_records_to(out, "('x', /)", 1), plat::io::kBadFormat);
  out.clear();
  EXPECT_EQ(plat::format_records_to(out, "(E10.0)", 1.0), plat::io::kBadFormat);  // scale factor out of range
  out.clear();
  EXPECT_EQ(plat::format_records_to(out, "(-4PE10.3)", 1.0), plat::io::kBadFormat);
  out.clear();
  EXPECT_EQ(plat::format_records_to(out, "(G10.0)", 1.5), plat::io::kBadFormat);
  for (const char* bad : {"(I5",    "(F10)",  "(E10)", "(I5.7 )", "(0I5)",  "(0(I5))",      "(Q5)", "('abc)", "(T0)",
                          "(+3I5)", "(3'x')", "(5:)",  "(A0)",    "(E0.3)", "(G0)",         "(L)",  "(I)",    "(B5)",
                          "((I2)",  "(2(I2)", "(F5.)", "(E9.2E)", "(TL)",   "(999999999X)", "(3H)"}) {
    out.clear();
    EXPECT_EQ(plat::format_records_to(out, bad, 1), plat::io::kBadFormat) << bad;
  }
  out.clear();
  // Enormous expansions are refused instead of running for ever.
  EXPECT_EQ(plat::format_records_to(out, "(99999(99999(99999(/))))"), plat::io::kBadFormat);
  out.clear();
  EXPECT_EQ(plat::format_records_to(out, "(1000(TR999999))"), plat::io::kBadFormat);
}

TEST(FormatOutput, FuzzedFormatsNeverCrashOrHang) {
  std::mt19937 rng(12345);
  const std::string alphabet = "()IFEDGLAXTPSBNZR/:$'\",.0123456789 -+ESN";
  const std::vector<std::string> seeds = {"(1X,A,1X,I10,4X,F10.2)", "(1P,E12.4,0P,2(I3,:,'|'))",
                                          "('x''y', T5, TL2, TR1, 3/, G12.4E3)", "(EN10.2, ES9.1, D8.2)"};
  int statuses[2] = {0, 0};
  for (int k = 0; k < 20000; ++k) {
    std::string f;
    if (k % 2 == 0) {
      const int len = static_cast<int>(rng() % 24);
      for (int i = 0; i < len; ++i) f.push_back(alphabet[rng() % alphabet.size()]);
    } else {
      f = seeds[rng() % seeds.size()];
      const int edits = 1 + static_cast<int>(rng() % 3);
      for (int e = 0; e < edits && !f.empty(); ++e) f[rng() % f.size()] = alphabet[rng() % alphabet.size()];
    }
    Recs out;
    const int st = plat::format_records_to(out, f, 1, 2.5, "txt", true, -3, 1e300);
    ++statuses[st == 0 ? 0 : 1];
    double x = 0;
    int i = 0;
    plat::Text<4> t;
    (void)plat::read_internal("12 3.5E2 abc T", f, k % 3 == 0, i, x, t);
  }
  EXPECT_GT(statuses[0], 0);
  EXPECT_GT(statuses[1], 0);
}

TEST(FormatOutput, ParsedFormatsAreCachedAndStayValid) {
  // The same text many times, interleaved with many distinct texts (cache eviction).
  for (int k = 0; k < 2000; ++k) {
    EXPECT_EQ(format_records("(I4)", k), Recs{(k < 1000 ? std::string(k < 10    ? 3
                                                                      : k < 100 ? 2
                                                                                : 1,
                                                                      ' ')
                                                        : "") +
                                              std::to_string(k)});
    const std::string f = "(I" + std::to_string(5 + k % 700) + ")";
    EXPECT_EQ(format_records(f, 1).front().size(), static_cast<std::size_t>(5 + k % 700));
  }
}

TEST(FormatInternal, WriteFitsPadsOrOverflows) {
  plat::Text<10> t("##########");
  EXPECT_EQ(plat::write_internal(t, "(I3)", 42), 0);
  EXPECT_EQ(t.str(), " 42       ");
  EXPECT_EQ(plat::write_internal(t, "(A)", "exactly10!"), 0);
  EXPECT_EQ(t.str(), "exactly10!");
  EXPECT_EQ(plat::write_internal(t, "(A, I3)", "too long", 123), plat::io::kInternalOverflow);
  EXPECT_EQ(t.str(), "too long12");  // its first characters
  EXPECT_EQ(plat::write_internal(t, "(I2, /, I2)", 1, 2), plat::io::kInternalOverflow);
  EXPECT_EQ(plat::write_internal(t, "(I2)", 1, 2), plat::io::kInternalOverflow);  // reversion: second record
  EXPECT_EQ(plat::write_internal(t, "(I5)", 1.0), plat::io::kItemMismatch);
  std::string s(4, '.');
  EXPECT_EQ(plat::write_internal(plat::TextRef(s), "(F4.1)", 2.25), 0);
  EXPECT_EQ(s, " 2.2");
  plat::Text<3> small("abc");
  EXPECT_EQ(plat::write_internal(small, "(I3", 1), plat::io::kBadFormat);
  EXPECT_EQ(small.str(), "abc");
}

TEST(FormatInternal, ReadItemsRecordsAndErrors) {
  int i = 0, j = 0;
  double x = 0;
  plat::Text<4> name;
  bool b = false;
  EXPECT_EQ(plat::read_internal("  12 1.5E2 T abcd", "(I4, F6.0, L2, 1X, A)", false, i, x, b, name), 0);
  EXPECT_EQ(i, 12);
  EXPECT_EQ(x, 150.0);
  EXPECT_TRUE(b);
  EXPECT_EQ(name.str(), "abcd");
  // Implied decimals and blanks as zeros from the flag.
  EXPECT_EQ(plat::read_internal("1 5", "(F3.1)", false, x), 0);
  EXPECT_EQ(x, 1.5);
  EXPECT_EQ(plat::read_internal("1 5", "(F3.1)", true, x), 0);
  EXPECT_EQ(x, 10.5);
  // Positioning.
  EXPECT_EQ(plat::read_internal("abcdefgh", "(T3, A2, TL4, A1, TR2, A1)", false, name, plat::Text<1>().ref(), name),
            0);
  EXPECT_EQ(plat::read_internal("1234567", "(T5, I2, TL6, I2)", false, i, j), 0);
  EXPECT_EQ(i, 56);
  EXPECT_EQ(j, 12);
  // A second record does not exist in an internal text.
  EXPECT_EQ(plat::read_internal("1", "(I1, /, I1)", false, i, j), plat::io::kEnd);
  EXPECT_EQ(plat::read_internal("12", "(I1)", false, i, j), plat::io::kEnd);
  // Errors: bad field, item mismatch, literal in an input format, bad format.
  EXPECT_EQ(plat::read_internal("1x", "(I2)", false, i), plat::io::kBadInput);
  EXPECT_EQ(plat::read_internal("1", "(F2.0)", false, i), plat::io::kItemMismatch);
  EXPECT_EQ(plat::read_internal("1", "('a', I1)", false, i), plat::io::kBadFormat);
  EXPECT_EQ(plat::read_internal("1", "(I1", false, i), plat::io::kBadFormat);
  // Values read before the failing item keep their values.
  i = 0;
  EXPECT_EQ(plat::read_internal(" 7 z", "(2I2)", false, i, j), plat::io::kBadInput);
  EXPECT_EQ(i, 7);
  // Arrays, with reversion over the last group: each reversion needs a new record.
  std::vector<int> v(3, 0);
  EXPECT_EQ(plat::read_internal(" 1 2 3", "(3I2)", false, std::span<int>(v)), 0);
  EXPECT_EQ(v, (std::vector<int>{1, 2, 3}));
  float f = 0;
  EXPECT_EQ(plat::read_internal("0.1", "(F3.0)", false, f), 0);
  EXPECT_EQ(f, 0.1f);
}

// Every finite double written with enough digits reads back to the same bits.
TEST(FormatRoundTrip, WriteThenReadGivesSameValue) {
  std::mt19937_64 rng(99);
  const char* fmts[] = {"(ES25.16E3)", "(E26.17E3)", "(1PD25.16)", "(G26.17E3)", "(EN28.16E3)"};
  for (int k = 0; k < 3000; ++k) {
    double v;
    do v = std::bit_cast<double>(rng());
    while (!std::isfinite(v));
    for (const char* f : fmts) {
      const Recs r = format_records(f, v);
      ASSERT_EQ(r.size(), 1u);
      double back = 0;
      ASSERT_EQ(plat::read_internal(r[0], f, false, back), 0) << f << " " << r[0];
      ASSERT_EQ(std::bit_cast<std::uint64_t>(back), std::bit_cast<std::uint64_t>(v)) << f << " " << r[0];
    }
  }
  for (long long i :
       {0LL, 1LL, -1LL, 2147483647LL, -2147483648LL, 9223372036854775807LL, -9223372036854775807LL - 1}) {
    const Recs r = format_records("(I21, L3, A5)", i, i < 0, "ab cd");
    long long back = 0;
    bool lb = false;
    plat::Text<5> t;
    ASSERT_EQ(plat::read_internal(r[0], "(I21, L3, A5)", false, back, lb, t), 0);
    EXPECT_EQ(back, i);
    EXPECT_EQ(lb, i < 0);
    EXPECT_EQ(t.str(), "ab cd");
  }
  // Fixed decimals read back to the value rounded to them.
  for (double v : {0.125, 2.5, -1234.5678, 1e-7, 99.995}) {
    const Recs r = format_records("(F20.6)", v);
    double back = 0;
    ASSERT_EQ(plat::read_internal(r[0], "(F20.6)", false, back), 0);
    EXPECT_NEAR(back, v, 5e-7);
  }
}

TEST(FormatUnits, WriteReadAndNonAdvancing) {
  tna_test::ScratchDir dir("fmtunit");
  constexpr int u = 41;
  ASSERT_EQ(plat::io::open_unit(u, "out.txt", plat::io::Form::Formatted, "REPLACE"), 0);
  EXPECT_EQ(plat::write_formatted(u, "(1X, 'AT NODE NUMBER', 1X, I10, 1X, 'IN SUBMODEL', / )", 17), 0);
  EXPECT_EQ(plat::write_formatted(u, "(1X)"), 0);  // a line holding one blank
  // A non-advancing write continued by the next write.
  EXPECT_EQ(plat::write_formatted_partial(u, "(/, 1X, ' TIMEN =', F10.2)", 1.5), 0);
  EXPECT_EQ(plat::write_formatted(u, "('  AT NODE ', I2, ' IN SUB-MODEL  ' )", 12), 0);
  // Pieces appended with "(A, $)" and the line ended by "(1X)", which adds nothing.
  EXPECT_EQ(plat::write_formatted(u, "(A, $)", "a,"), 0);
  EXPECT_EQ(plat::write_formatted(u, "(A, $)", "b"), 0);
  EXPECT_EQ(plat::write_formatted(u, "(1X)"), 0);
  EXPECT_EQ(plat::write_formatted(u, "(I3)", 1.0), plat::io::kItemMismatch);  // writes nothing
  EXPECT_EQ(plat::write_formatted(u, "(I3"), plat::io::kBadFormat);
  ASSERT_EQ(plat::io::close_unit(u), 0);
  EXPECT_EQ(dir.read("out.txt"),
            " AT NODE NUMBER         17 IN SUBMODEL\n\n \n\n  TIMEN =      1.50  AT NODE 12 IN SUB-MODEL  \na,b\n");
  EXPECT_EQ(plat::write_formatted(u, "(I3)", 1), plat::io::kNotConnected);

  // Reading: records, blank mode from the unit, end of file.
  {
    std::FILE* f = std::fopen("in.txt", "w");
    std::fputs("  12  3.5\n1 5\r\nname\n", f);
    std::fclose(f);
  }
  for (bool bz : {false, true}) {
    ASSERT_EQ(plat::io::open_unit(u, "in.txt", plat::io::Form::Formatted, "OLD", bz), 0);
    int i = 0;
    double x = 0;
    plat::Text<8> t;
    EXPECT_EQ(plat::read_formatted(u, "(I4, F5.0, /, F3.1)", i, x, x), 0);
    EXPECT_EQ(i, 12);
    EXPECT_EQ(x, bz ? 10.5 : 1.5);
    EXPECT_EQ(plat::read_formatted(u, "(A)", t), 0);
    EXPECT_EQ(t.str(), "name    ");
    EXPECT_EQ(plat::read_formatted(u, "(A)", t), plat::io::kEnd);
    ASSERT_EQ(plat::io::close_unit(u), 0);
  }
  int i = 0;
  EXPECT_EQ(plat::read_formatted(u, "(I3)", i), plat::io::kNotConnected);
}

}  // namespace
