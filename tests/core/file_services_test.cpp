#include "core/file_services.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <vector>

#include "core/diagnostics.h"
#include "platform/units.h"
#include "support/state_test.h"
#include "support/test_env.h"

namespace {

// n blank texts of len characters, viewable as a TextVec1.
struct Names {
  Names(int n, std::size_t len) : buf(static_cast<std::size_t>(n) * len, ' '), n(n), len(len) {}
  TextVec1 view() { return TextVec1(buf.data(), n, len); }
  std::string at(int k) const { return buf.substr(static_cast<std::size_t>(k - 1) * len, len); }
  std::string buf;
  int n;
  std::size_t len;
};

std::string padded(std::string s, std::size_t n) {
  s.resize(n, ' ');
  return s;
}

// ---- SFLNAM ----

TEST(Sflnam, TheExtensionTableInOrder) {
  Names names(23, 40);
  int status = 99;
  SFLNAM("ABCDEFGHIJKL", 23, names.view(), status);
  ASSERT_EQ(status, 0);
  const char* ext[23] = {".MDB", ".log", ".f  ", ".lgf", ".SCA", ".SCB", ".SCC", ".SCD",
                         ".SCE", ".DMP", ".RST", ".PAR", ".COM", ".SCF", ".D0 ", ".INP",
                         ".ELM", ".DAT", ".SCR", ".MON", ".UNF", ".TRA", ".h  "};
  for (int k = 1; k <= 23; ++k) EXPECT_EQ(names.at(k), padded(std::string("ABCDEFGH") + ext[k - 1], 40)) << k;
}

struct StemCase {
  const char* model;
  int count;
  std::size_t len;
  int status;
  const char* first;  // expected element 1 (trailing blanks ignored); nullptr: untouched
};

TEST(Sflnam, StemRulesAndStatuses) {
  // clang-format off
  const StemCase cases[] = {
      {"ABCDEFGHIJKL            ", 1, 32, 0, "ABCDEFGH.MDB"},  // twelve letters: first eight
      {"AB CDEF", 1, 32, -1, nullptr},                      // blank at 3 before a letter
      {"ABCDEFGH IJ", 1, 32, 0, "ABCDEFGH.MDB"},            // blank after the eighth: harmless
      {"ABC", 1, 32, 0, "ABC.MDB"},                         // shorter than eight
      {"ABC     ", 1, 32, 0, "ABC.MDB"},                    // trailing blanks within eight
      {"        XYZ", 1, 32, 0, ".MDB"},                    // first eight blank, not wholly blank
      {"", 1, 32, -1, nullptr},                             // wholly blank
      {"     ", 1, 32, -1, nullptr},
      {"ABCDEFGH", 1, 12, 0, "ABCDEFGH.MDB"},               // element exactly stem + 4
      {"ABCDEFGH", 1, 11, -1, nullptr},                     // element too short
      {"A", 1, 4, -1, nullptr},                             // 4-character element, non-empty stem
      {"        XYZ", 1, 4, 0, ".MDB"},                     // empty stem fits 4
      {"ABC", 24, 32, 1, nullptr},                          // more than 23
      {"AB CDEF", 24, 32, 1, nullptr},                      // count checked first
      {"ABC", 0, 32, 0, nullptr},                           // nothing asked for
      {"ABC", -3, 32, 0, nullptr},
  };
  // clang-format on
  for (const auto& c : cases) {
    Names names(24, c.len);
    int status = 99;
    SFLNAM(c.model, c.count, names.view(), status);
    EXPECT_EQ(status, c.status) << '"' << c.model << "\" count " << c.count << " len " << c.len;
    if (c.first) {
      EXPECT_EQ(names.at(1), padded(c.first, c.len)) << c.model;
    } else {
      EXPECT_EQ(names.at(1), std::string(c.len, ' ')) << "nothing built for " << c.model;
    }
  }
}

TEST(Sflnam, MonitorNameAndBlankPaddedSlots) {
  Names names(23, 40);
  int status = 0;
  SFLNAM("TWELVELETTER", 23, names.view(), status);
  EXPECT_EQ(names.at(20), padded("TWELVELE.MON", 40));
  // Slots 3, 15 and 23 keep the blanks of their extensions after the stem.
  EXPECT_EQ(names.at(15), padded("TWELVELE.D0", 40));
  // An element shorter than stem + 4 is refused; one cut exactly keeps all four.
  Names tight(23, 12);
  SFLNAM("TWELVELETTER", 23, tight.view(), status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(tight.at(23), "TWELVELE.h  ");
}

TEST(Sflnam, NeverWritesMoreElementsThanTheArrayHolds) {
  Names names(2, 20);
  int status = 0;
  SFLNAM("ABC", 5, names.view(), status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(names.buf, std::string(40, ' '));
}

// ---- messages ----

TEST(FileMessages, OpenFailureLayout) {
  struct Case {
    const char* name;
    int unit, error;
    const char* shown;
    const char* unit_field;
    const char* error_field;
  };
  // clang-format off
  const Case cases[] = {
      {"missing.dat extra", 10, 2, "missing.dat", " 10", "   2"},  // the name up to its first blank
      {"MODEL.MDB", 9, 13, "MODEL.MDB", "  9", "  13"},
      {" lead", 4, -1, "", "  4", "  -1"},                           // a leading blank shows nothing
      {"big.txt", 1000, 12345, "big.txt", "***", "****"},           // fields too narrow: asterisks
  };
  // clang-format on
  for (const auto& c : cases) {
    const std::string m = filesvc::open_message(c.name, c.unit, c.error);
    const std::string expected = std::string("Error opening file@File name = \"") + c.shown +
                                 "\",  Unit no.=" + c.unit_field + ",  Fortran I/O error =" + c.error_field +
                                 "             For an explanation: see your Fortran Manual";
    EXPECT_EQ(m, padded(expected, 220)) << c.name;
  }
  // A name longer than the message leaves the text cut at 220 characters.
  EXPECT_EQ(filesvc::open_message(std::string(300, 'x'), 1, 1).size(), 220u);
}

TEST(FileMessages, CloseFailureShowsThePartAfterTheBracket) {
  struct Case {
    const char* connected;
    const char* shown;
  };
  const Case cases[] = {
      {"DISK$USER:[RUNS.A]MODEL.MDB", "MODEL.MDB"}, {"plain.MON", "plain.MON"}, {"[X]two words", "two"}, {"", ""}};
  for (const auto& c : cases) {
    const std::string m = filesvc::close_message(c.connected, 9, 5001);
    const std::string expected = std::string("File closing error has occurred@File name = \"") + c.shown +
                                 "\",  Unit no.=  9,  Fortran I/O error =5001             For an explanation: "
                                 "see your Fortran Manual";
    EXPECT_EQ(m, padded(expected, 220)) << c.connected;
  }
}

TEST(FileMessages, FixedWidthIntegers) {
  EXPECT_EQ(filesvc::int_field(7, 3), "  7");
  EXPECT_EQ(filesvc::int_field(-1, 4), "  -1");
  EXPECT_EQ(filesvc::int_field(1000, 3), "***");
  EXPECT_EQ(filesvc::int_field(-100, 3), "***");
}

// ---- SOPSQ / SCLFIL ----

class FileServices : public tna_test::StateTest {
 protected:
  void TearDown() override {
    plat::io::close_unit(31);
    plat::io::close_unit(32);
  }
  tna_test::ScratchDir dir_{"files"};
};

TEST_F(FileServices, BlankNameOpensNothingAndPrintsNothing) {
  testing::internal::CaptureStdout();
  int status = 0;
  SOPSQ("        ", "FORMATTED", "UNKNOWN", 31, status);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(status, 1);
  EXPECT_FALSE(plat::io::is_open(31));
}

TEST_F(FileServices, MissingOldFilePrintsTheOpenBoxAndReturnsTheErrorNumber) {
  testing::internal::CaptureStdout();
  int status = 0;
  SOPSQ("nothere.MDB   ", "UNFORMATTED", "OLD", 31, status);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(status, ENOENT);
  EXPECT_FALSE(plat::io::is_open(31));
  // The printed box is the file-error box of exactly this message.
  reset_message_counters();
  testing::internal::CaptureStdout();
  ERRNEW(filesvc::open_message("nothere.MDB", 31, ENOENT), 1, 1, "SOPSQ ");
  EXPECT_EQ(out, testing::internal::GetCapturedStdout());
  EXPECT_NE(out.find("Error opening file"), std::string::npos);
  EXPECT_NE(out.find("SYSTEM ERROR"), std::string::npos);
}

TEST_F(FileServices, BadFormIsAnOpenFailure) {
  testing::internal::CaptureStdout();
  int status = 0;
  SOPSQ("x.txt", "BINARY", "UNKNOWN", 31, status);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_GT(status, 0);
  EXPECT_NE(out.find("Error opening file"), std::string::npos);
  EXPECT_FALSE(dir_.exists("x.txt"));
}

TEST_F(FileServices, UnknownOnAnExistingFileStartsAtTheBeginningAndReplaces) {
  std::ofstream("old.MON") << "line one\nline two\n";
  int status = 9;
  SOPSQ("old.MON", "FORMATTED", "UNKNOWN", 31, status);
  ASSERT_EQ(status, 0);
  EXPECT_TRUE(plat::io::blank_zero(31));  // formatted files read blanks as zeros
  ASSERT_EQ(plat::io::write_line(31, "new"), 0);
  SCLFIL("KEEP", 31, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(dir_.read("old.MON"), "new\n");
}

TEST_F(FileServices, OldFileIsReadFromItsStartAndReopeningSwitchesFiles) {
  std::ofstream("a.txt") << "A\n";
  std::ofstream("b.txt") << "B\n";
  int status = 9;
  SOPSQ("a.txt", "FORMATTED", "OLD", 31, status);
  ASSERT_EQ(status, 0);
  SOPSQ("b.txt", "FORMATTED", "OLD", 31, status);
  ASSERT_EQ(status, 0);
  std::string line;
  ASSERT_EQ(plat::io::read_line(31, line), 0);
  EXPECT_EQ(line, "B");
  SOPSQ("u.bin", "UNFORMATTED", "UNKNOWN", 32, status);
  EXPECT_EQ(status, 0);
  EXPECT_FALSE(plat::io::blank_zero(32));
}

TEST_F(FileServices, CloseKeepsOrDeletesAndIgnoresUnitsNotOpen) {
  int status = 9;
  testing::internal::CaptureStdout();
  SCLFIL("KEEP", 3, status);
  EXPECT_EQ(status, 0);
  SCLFIL("DELETE", 77, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

  SOPSQ("keep.DMP", "UNFORMATTED", "UNKNOWN", 31, status);
  SOPSQ("gone.DMP", "UNFORMATTED", "UNKNOWN", 32, status);
  SCLFIL("KEEP    ", 31, status);
  EXPECT_EQ(status, 0);
  SCLFIL("DELETE", 32, status);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(dir_.exists("keep.DMP"));
  EXPECT_FALSE(dir_.exists("gone.DMP"));
  EXPECT_FALSE(plat::io::is_open(31));
}

TEST_F(FileServices, CloseWithAnUnknownDispositionReportsAndKeepsTheUnit) {
  int status = 0;
  SOPSQ("k.txt", "FORMATTED", "UNKNOWN", 31, status);
  testing::internal::CaptureStdout();
  SCLFIL("SAVE", 31, status);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_GT(status, 0);
  EXPECT_NE(out.find("File closing error has occurred"), std::string::npos);
  EXPECT_NE(out.find("k.txt"), std::string::npos);
}

// ---- SFLXST / SMODCH / SOPEXT ----

TEST_F(FileServices, ExistenceOfAnyName) {
  std::ofstream("there.PAR") << "x";
  struct Case {
    std::vector<std::string> names;
    int count;
    int exists;
  };
  // clang-format off
  const Case cases[] = {
      {{"", "   ", ""}, 3, 0},
      {{"nope.A", "there.PAR"}, 2, 1},
      {{"nope.A", "there.PAR"}, 1, 0},     // only the first count names
      {{"there.PAR  "}, 1, 1},             // trailing blanks are not part of the name
      {{"", "there.PAR"}, 5, 1},           // count beyond the array stops at its end
      {{"nope.A"}, 0, 0},
  };
  // clang-format on
  for (const auto& c : cases) {
    Names names(static_cast<int>(c.names.size()), 256);
    for (std::size_t i = 0; i < c.names.size(); ++i) names.view()(static_cast<int>(i) + 1) = c.names[i];
    int exists = 9, status = 9;
    SFLXST(names.view(), c.count, exists, status);
    EXPECT_EQ(exists, c.exists) << c.names[0] << " count " << c.count;
    EXPECT_EQ(status, 0);
  }
}

TEST_F(FileServices, ModelDatabaseLookupAndOpen) {
  int exists = 9, status = 9;
  SMODCH("MYMODEL1XYZ", exists, status);
  EXPECT_EQ(exists, 0);
  EXPECT_EQ(status, 0);
  { std::ofstream f("MYMODEL1.MDB"); }
  SMODCH("MYMODEL1XYZ", exists, status);
  EXPECT_EQ(exists, 1);
  EXPECT_EQ(status, 0);
  SMODCH("MY MODEL", exists, status);
  EXPECT_EQ(exists, 0);
  EXPECT_EQ(status, 1);

  SOPEXT("MYMODEL1XYZ", 31, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(plat::io::file_name(31), "MYMODEL1.MDB");
  EXPECT_FALSE(plat::io::is_formatted(31));
  SOPEXT("MY MODEL", 32, status);
  EXPECT_EQ(status, -1);
  testing::internal::CaptureStdout();
  SOPEXT("OTHER", 32, status);
  EXPECT_NE(testing::internal::GetCapturedStdout().find("\"OTHER.MDB\""), std::string::npos);
  EXPECT_EQ(status, ENOENT);
}

TEST_F(FileServices, FlushMakesOutputVisibleInTheFile) {
  int status = 0;
  SOPSQ("mon.MON", "FORMATTED", "UNKNOWN", 31, status);
  plat::io::write_line(31, "row 1");
  EFLUSH(31);
  EXPECT_EQ(dir_.read("mon.MON"), "row 1\n");
  EFLUSH(55);  // a unit not open: nothing happens
}

TEST(Sfldep, CutsPadsAndLeavesAnEmptyTargetAlone) {
  struct Case {
    const char* source;
    std::size_t len;
    const char* result;
  };
  const Case cases[] = {{"abc", 5, "abc  "}, {"abcdef", 4, "abcd"}, {"", 3, "   "}, {"xy", 2, "xy"}};
  for (const auto& c : cases) {
    std::string target(c.len, '#');
    SFLDEP(c.source, plat::TextRef(target));
    EXPECT_EQ(target, c.result);
  }
  SFLDEP("abc", plat::TextRef(nullptr, 0));
}

}  // namespace
