// Entity names at the start of reference texts, and quoted texts.
#include <gtest/gtest.h>

#include <string>

#include "param_fixture.h"
#include "parameters/case_texts.h"

namespace params_test {
namespace {

using TextsTest = ParamsTest;

struct EntCase {
  std::string text;
  int code;
  int matched;
  std::string name;
};

TEST_F(TextsTest, EntfndTakesTheLongestMnemonicOrALongerUserName) {
  // User entities of the fixture: real HEAT, MASS; integer COUNT; character TAG.
  // clang-format off
  const EntCase cases[] = {
      {"T12", 2, 1, "T"},
      {"QAI5", 12, 3, "QAI"},
      {"GL(3,4)", 42, 2, "GL"},
      {"G", 48, 1, "G"},
      {"HEAT", -1, 4, "HEAT"},
      {"MASS:12", -2, 4, "MASS"},
      {"COUNT", -3, 5, "COUNT"},  // integer: -(NR + 1)
      {"TAG7", -4, 3, "TAG"},     // character: -(NR + NI + 1)
      {"", 0, 0, ""},
      {"   ", 0, 0, ""},
      {"ZZZ", 0, 0, ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    plat::Text<18> name("garbage");
    int code = 99, lm = 99;
    ENTFND(c.text, name.ref(), code, lm);
    EXPECT_EQ(code, c.code) << c.text;
    EXPECT_EQ(lm, c.matched) << c.text;
    EXPECT_EQ(name.view(), plat::Text<18>(c.name).view()) << c.text;
  }
}

TEST_F(TextsTest, EntfndUserNameWinsOnlyWhenStrictlyLonger) {
  SPRNOD(1, 1) = "FOO";
  SPRNOD(2, 1) = "T";
  int code = 0, lm = 0;
  plat::Text<3> name;
  ENTFND("FOO12", name.ref(), code, lm);
  EXPECT_EQ(code, -1);
  EXPECT_EQ(lm, 3);
  ENTFND("T5", name.ref(), code, lm);  // the mnemonic T keeps it
  EXPECT_EQ(code, 2);
  EXPECT_EQ(lm, 1);
  // A name output of length 0 is allowed.
  ENTFND("FOO", plat::TextRef(), code, lm);
  EXPECT_EQ(code, -1);
  // The name output is cut to its length.
  plat::Text<2> short_name;
  ENTFND("COUNT", short_name.ref(), code, lm);
  EXPECT_EQ(code, -3);
  EXPECT_EQ(short_name.view(), "CO");
}

TEST_F(TextsTest, EntfndIgnoresNegativeCountsAndNeverReadsPastTheNameTable) {
  SPRSIZ(5) = -3;  // no real entities: the integer one becomes -1
  int code = 0, lm = 0;
  ENTFND("COUNT", plat::TextRef(), code, lm);
  EXPECT_EQ(code, -1);
  SPRSIZ(5) = 500;  // more than the table holds: the extra names are not read
  ENTFND("COUNT", plat::TextRef(), code, lm);
  EXPECT_EQ(code, -501);
}

TEST_F(TextsTest, ParzvlTakesTheTextBetweenTheQuotes) {
  struct Case {
    std::string text;
    int ierr;
    std::string value;
  } cases[] = {
      {"'a'b'", 0, "a'b"},  // quotes inside stay
      {"''", 0, ""},
      {"'X'   ", 0, "X"},  // trailing blanks ignored
      {"'LONGER THAN TEN'", 0, "LONGER THA"},
      {"'", 1, "unchanged"},
      {" 'X'", 1, "unchanged"},  // the first character must be the quote
      {"NEW", 1, "unchanged"},
      {"'open", 1, "unchanged"},
      {"", 1, "unchanged"},
  };
  for (const auto& c : cases) {
    plat::Text<10> value("unchanged");
    int ierr = -1;
    PARZVL(c.text, value.ref(), ierr);
    EXPECT_EQ(ierr, c.ierr) << c.text;
    EXPECT_EQ(value.view(), plat::Text<10>(c.value).view()) << c.text;
  }
}

TEST_F(TextsTest, ParzvlReportsAnUnquotedText) {
  plat::Text<8> value;
  int ierr = 0;
  const std::string out = printed([&] { PARZVL("NEW  ", value.ref(), ierr); });
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(out, box("String is not delimited with single quotes@>>NEW  <<", 3, 1, "PARZVL"));
  // A long text is cut with its message field at 300 characters.
  const std::string long_text(400, 'A');
  const std::string cut = printed([&] { PARZVL(long_text, value.ref(), ierr); });
  EXPECT_EQ(cut, box("String is not delimited with single quotes@>>" + std::string(255, 'A'), 3, 1, "PARZVL"));
}

}  // namespace
}  // namespace params_test
