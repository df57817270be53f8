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

using plat::fmt_detail::OutItem;
using plat::fmt_detail::out_item;

int hexval(char c) { return c <= '9' ? c - '0' : (c & ~0x20) - 'A' + 10; }

std::string unhex(std::string_view h) {
  std::string s;
  for (std::size_t i = 0; i + 1 < h.size(); i += 2) s.push_back(static_cast<char>(hexval(h[i]) * 16 + hexval(h[i + 1])));
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
        case 'f': items.push_back(out_item(std::bit_cast<float>(static_cast<std::uint32_t>(std::stoul(std::string(v), nullptr, 16))))); break;
        case 'i': items.push_back(out_item(static_cast<int>(std::stol(std::string(v))))); break;
        case 'j': items.push_back(out_item(static_cast<long long>(std::stoll(std::string(v))))); break;
        case 'l': items.push_back(out_item(v == "T")); break;
        case 'a': texts.push_back(unhex(v)); items.push_back(out_item(std::string_view(texts.back()))); break;
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
