#include "core/diagnostics.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "modeldata/submodel_refs.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/listing.h"
#include "support/small_model.h"
#include "support/state_test.h"
#include "support/test_env.h"

namespace {

const std::string kBlank = "@" + std::string(26, ' ');

using tna_test::split_lines;

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Runs each case with the listing (unit 6) on a file of a scratch folder,
// the steering constants at their plain values and fresh message counters.
class Diagnostics : public tna_test::StateTest {
 protected:
  void SetUp() override {
    plat::set_exit_throws(true);
    GLOI.MLEVEL = 0;
    GLOI.MSHORT = 0;
    GLOI.TRACE = 0;
    PRTINF(2) = 1;
    reset_message_counters();
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
  }
  void TearDown() override {
    plat::io::close_unit(6);
    plat::io::close_unit(13);
    plat::set_exit_throws(false);
    GLOI = GloiRecord{};
  }
  // Everything written to the listing since the last call; the listing
  // then starts again on an empty file.
  std::string listing() { return tna_test::take_listing(dir_); }
  // Exit status of a call that must end the process.
  template <class F>
  int exit_status(F f) {
    try {
      f();
    } catch (const plat::ProcessExit& e) {
      return e.status;
    }
    return -1;
  }
  // Text rows of one box: the rows between row 5 and row 10.
  static std::vector<std::string> text_rows(const std::string& box) {
    std::vector<std::string> l = split_lines(box);
    if (l.size() < 10) return {"<short box>"};
    return std::vector<std::string>(l.begin() + 5, l.end() - 5);
  }

  tna_test::ScratchDir dir_{"diag"};
};

TEST_F(Diagnostics, MissingNloopOfSteadyStateIsTheExactBoxAndEndsWithStatusOne) {
  const std::string msg =
      "SOLVFM: Control constant NLOOP not specified@See User Manual description of SOLVFM for a list of "
      "required control constants";
  plat::Text<255> field(msg);
  const int status = exit_status([&] { SETERX(field.view(), 4, 1, "SOLVFM"); });
  EXPECT_EQ(status, 1);
  // The fatal end closed the listing; the box is complete in the file.
  EXPECT_EQ(dir_.read("listing.txt"), read_file(tna_test::data_path("diagnostics/solvfm_nloop_missing.txt")));
  EXPECT_EQ(PRTINF(2), 1 + 13);
}

TEST_F(Diagnostics, PartsLabelsNewLinesAndWrapping) {
  const std::string P = "@     Problem............: ";
  const std::string A = "@     Current action.....: ";
  const std::string I = "@     Info...............: ";
  const std::string C = "@     Context............: ";
  const std::string x45(45, 'x');
  struct Case {
    const char* what;
    std::string message;
    std::vector<std::string> rows;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"no @: Problem only", "Alpha", {P + "Alpha"}},
      {"one @: second part continues the Problem", "Alpha@Beta", {P + "Alpha", kBlank + "Beta"}},
      {"two @: own labels", "A@B@C", {P + "A", A + "B", I + "C"}},
      {"text after a fourth @ is dropped", "A@B@C@D@E", {P + "A", A + "B", I + "C", C + "D"}},
      {"an empty part prints nothing", "A@@C", {P + "A", I + "C"}},
      {"a part beginning with <NL> loses its label", "A@<NL>B@C", {P + "A", kBlank + "B", I + "C"}},
      {"two <NL> in a row give no empty line", "A<NL><NL>B", {P + "A", kBlank + "B"}},
      {"<NL> starts a new line", "A<NL>B@C", {P + "A", kBlank + "B", kBlank + "C"}},
      {"a blank message prints no text row", std::string(80, ' '), {}},
      {"44 characters print whole", std::string(20, 'a') + " " + std::string(23, 'b'),
       {P + std::string(20, 'a') + " " + std::string(23, 'b')}},
      {"45 characters are still cut at the last blank", std::string(40, 'a') + " " + "bbbb",
       {P + std::string(40, 'a') + " ", kBlank + "bbbb"}},
      {"no blank among characters 2..45: hard cut", x45 + "yyyyy", {P + x45, kBlank + "yyyyy"}},
      {"a blank in position 1 does not count", " " + x45 + "z", {P + " " + std::string(44, 'x'), kBlank + "xz"}},
      {"further blanks stay at the start of the next line", std::string(44, 'a') + "  bbbbb",
       {P + std::string(44, 'a') + " ", kBlank + " bbbbb"}},
  };
  // clang-format on
  for (const Case& c : cases) {
    reset_message_counters();
    SETERX(c.message, 1, 7, "TESTER");
    EXPECT_EQ(text_rows(listing()), c.rows) << c.what;
  }
}

TEST_F(Diagnostics, FrameRowsCounterAndCode) {
  SETERX("First", 2, 1234, "ROUT  ");
  SETERX("Second", 3, -5, "R");
  const std::vector<std::string> l = split_lines(listing());
  ASSERT_EQ(l.size(), 22u);
  EXPECT_EQ(l[1], "@" + std::string(52, '-') + " | MESSAGE    1 |-");
  EXPECT_EQ(l[3], "@@@@  WARNING" + std::string(14, ' '));
  EXPECT_EQ(l[7], "@     Reference..........: (ROUT  , ***)");  // trailing blanks of the name kept
  EXPECT_EQ(l[12], "@" + std::string(52, '-') + " | MESSAGE    2 |-");
  EXPECT_EQ(l[14], "@@@@  FAILURE" + std::string(14, ' '));
  EXPECT_EQ(l[18], "@     Reference..........: (R,  -5)");
  EXPECT_EQ(l[20], "@" + std::string(70, '-'));
  EXPECT_EQ(PRTINF(2), 1 + 22);
}

TEST_F(Diagnostics, NumberFieldsAgreeWithFortranEditDescriptors) {
  // Golden I4 (counter) and I3 (code) fields written by gfortran.
  std::istringstream in(read_file(tna_test::data_path("diagnostics/int_fields.txt")));
  std::string row;
  int checked = 0;
  while (std::getline(in, row)) {
    const auto bar = row.find(" |");
    const int value = std::stoi(row.substr(0, bar));
    const std::string i3 = row.substr(bar + 2 + 11 + 1 + 4 + 1, 3);
    SETERX("X", 1, value, "R");
    const std::vector<std::string> l = split_lines(listing());
    EXPECT_EQ(l.at(7), "@     Reference..........: (R, " + i3 + ")") << value;
    ++checked;
  }
  EXPECT_GT(checked, 20);
}

TEST_F(Diagnostics, CounterAboveFourDigitsShowsAsterisks) {
  GLOI.MLEVEL = 3;
  for (int i = 0; i < 9999; ++i) SETERX("quiet", 1, 1, "R");
  GLOI.MLEVEL = 0;
  SETERX("loud", 1, 1, "R");
  EXPECT_EQ(split_lines(listing()).at(1), "@" + std::string(52, '-') + " | MESSAGE **** |-");
}

TEST_F(Diagnostics, MlevelSuppressesButTheNumberIsUsedUp) {
  GLOI.MLEVEL = 3;
  SETERX("Warning text", 2, 1, "R");
  SETERX("Failure text", 3, 1, "R");
  EXPECT_EQ(listing(), "");
  EXPECT_EQ(PRTINF(2), 1);
  GLOI.MLEVEL = 1;
  SETERX("Diagnostic text", 1, 1, "R");  // severity 1 <= MLEVEL: not printed
  SETERX("Warning again", 2, 1, "R");
  const std::vector<std::string> l = split_lines(listing());
  ASSERT_EQ(l.size(), 11u);
  EXPECT_EQ(l[1], "@" + std::string(52, '-') + " | MESSAGE    4 |-");
  // A fatal message is printed whatever MLEVEL says.
  GLOI.MLEVEL = 3;
  EXPECT_EQ(exit_status([] { SETERX("Fatal", 4, 1, "R"); }), 1);
  const std::vector<std::string> f = split_lines(dir_.read("listing.txt"));
  ASSERT_EQ(f.size(), 11u);
  EXPECT_EQ(f[1], "@" + std::string(52, '-') + " | MESSAGE    5 |-");
}

TEST_F(Diagnostics, MlevelOutsideItsRangeIsResetToZero) {
  for (const int bad : {-1, 4, kUndefined}) {
    GLOI.MLEVEL = bad;
    SETERX("Info", 1, 1, "R");
    EXPECT_EQ(GLOI.MLEVEL, 0) << bad;
    EXPECT_EQ(split_lines(listing()).size(), 11u) << bad;
  }
}

TEST_F(Diagnostics, MshortPrintsOnlyTheProblem) {
  GLOI.MSHORT = 1;
  SETERX("Problem text@second part@third@fourth", 3, 2, "R");
  EXPECT_EQ(text_rows(listing()), std::vector<std::string>{"@     Problem............: Problem text"});
  // A single "@" does not bring the second part back either.
  SETERX("Problem text@continuation", 3, 2, "R");
  EXPECT_EQ(text_rows(listing()), std::vector<std::string>{"@     Problem............: Problem text"});
}

TEST_F(Diagnostics, SeverityOutsideOneToFourIsFatal) {
  for (const int sev : {0, 5, -3}) {
    plat::io::remove_file("listing.txt");
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
    EXPECT_EQ(exit_status([&] { SETERX("Odd severity", sev, 1, "R"); }), 1) << sev;
    EXPECT_EQ(split_lines(dir_.read("listing.txt")).at(3), "@@@@  FATAL ERROR" + std::string(10, ' ')) << sev;
  }
}

TEST_F(Diagnostics, TraceSendsBoxesToTheTraceFileOnceItIsOpen) {
  GLOI.TRACE = 1;
  // Before the trace file is open the box goes to the listing, not nowhere.
  SETERX("Early", 2, 1, "R");
  EXPECT_EQ(split_lines(listing()).size(), 11u);

  ASSERT_EQ(plat::io::open_unit(13, "run.TRA", plat::io::Form::Formatted, "UNKNOWN"), 0);
  SETERX("Traced", 2, 1, "R");
  EXPECT_EQ(exit_status([] { SETERX("Traced fatal", 4, 9, "R"); }), 1);
  EXPECT_EQ(dir_.read("listing.txt"), "");
  const std::vector<std::string> t = split_lines(dir_.read("run.TRA"));
  ASSERT_EQ(t.size(), 22u);
  EXPECT_EQ(t[5], "@     Problem............: Traced");
  EXPECT_EQ(t[11 + 3], "@@@@  FATAL ERROR" + std::string(10, ' '));
  EXPECT_EQ(t[11 + 7], "@     Reference..........: (R,   9)");
}

TEST_F(Diagnostics, FileErrorBoxHasItsOwnWidthLabelsAndCounter) {
  GLOI.MLEVEL = 3;  // never filters ERRNEW
  GLOI.MSHORT = 1;
  GLOI.TRACE = 1;
  ASSERT_EQ(plat::io::open_unit(13, "run.TRA", plat::io::Form::Formatted, "UNKNOWN"), 0);
  SETERX("uses up SETERX number 1", 2, 1, "R");
  const std::string second = std::string(52, 'w') + " tail";  // 57 characters: cut at the blank
  ERRNEW("Cannot open file@Opening unit 10@" + second + "@ctx", 1, 2, "SOPSQ ");
  ERRNEW(std::string(60, 'q'), 7, 3, "X");  // unknown type counts as 1
  const std::vector<std::string> l = split_lines(listing());
  ASSERT_EQ(l.size(), 15u + 12u);
  EXPECT_EQ(l[1], "@" + std::string(60, '-') + " | MESSAGE    1 |-");
  EXPECT_EQ(l[1].size(), 79u);
  EXPECT_EQ(l[3], "@@@@  SYSTEM ERROR" + std::string(9, ' '));
  EXPECT_EQ(l[5], "@     Problem............: Cannot open file");
  EXPECT_EQ(l[6], "@     Current action.....: Opening unit 10");
  EXPECT_EQ(l[7], "@     Comment............: " + std::string(52, 'w') + " ");
  EXPECT_EQ(l[8], kBlank + "tail");
  EXPECT_EQ(l[9], "@     Additional info....: ctx");
  EXPECT_EQ(l[11], "@     Reference..........: (SOPSQ ,   2)");
  EXPECT_EQ(l[13], "@" + std::string(78, '-'));
  EXPECT_EQ(l[15 + 1], "@" + std::string(60, '-') + " | MESSAGE    2 |-");
  EXPECT_EQ(l[15 + 3], "@@@@  SYSTEM ERROR" + std::string(9, ' '));
  EXPECT_EQ(l[15 + 5], "@     Problem............: " + std::string(53, 'q'));
  EXPECT_EQ(l[15 + 6], kBlank + std::string(7, 'q'));
  EXPECT_EQ(PRTINF(2), 1);  // the file-error box does not count lines
  for (const auto& [type, header] : std::vector<std::pair<int, std::string>>{
           {2, "@@@@  SYNTAX ERROR"}, {3, "@@@@  SEMANTIC ERROR"}, {4, "@@@@  WARNING"}}) {
    ERRNEW("m", type, 1, "R");
    EXPECT_EQ(split_lines(listing()).at(3), header + std::string(27 - header.size(), ' '));
  }
}

TEST_F(Diagnostics, UnrecoverableErrorPrintsItsTextAndEndsWithStatusOne) {
  EXPECT_EQ(exit_status([] { ERROR("SLNLEN"); }), 1);
  const std::vector<std::string> expected = {
      "",
      "",
      "",
      " @@@@ Unrecoverable error condition in module SLNLEN @@@@",
      "",
      "             @@@@ Program will terminate @@@@",
      "",
      "",
      "    @@@@ Check log file for further messages and @@@@",
      "",
      "  @@@@ Consult Norvek Program Central Support if required @@@@ ",
  };
  EXPECT_EQ(split_lines(dir_.read("listing.txt")), expected);
}

// The close-down a run driver registers as the fatal end: it records what it
// finds when it is called and returns, so the diagnostics' own exit follows.
namespace fatal_seam {
int calls = 0;
long long lines_at_call = 0;
bool on_listing_at_call = false;
void close_down() {
  ++calls;
  lines_at_call = PRTINF(2);
  on_listing_at_call = plat::io::file_name(6).find("listing.txt") != std::string::npos;
}
}  // namespace fatal_seam

TEST_F(Diagnostics, FatalPathsEndThroughTheRegisteredCloseDownOnce) {
  struct Unregister {
    ~Unregister() { set_fatal_end(nullptr); }
  } unregister;
  set_fatal_end(fatal_seam::close_down);
  struct Case {
    const char* what;
    std::function<void()> call;
    bool fatal;
    bool on_listing;  // unit 6 at the close-down: SETERX leaves the listing open, ERROR closes it first
  };
  const std::vector<Case> cases = {
      {"severity 4", [] { SETERX("Fatal@action", 4, 1, "R"); }, true, true},
      {"severity 7", [] { SETERX("Odd severity", 7, 2, "R"); }, true, true},
      {"severity 3", [] { SETERX("Failure only", 3, 3, "R"); }, false, true},
      {"ERROR", [] { ERROR("SLNLEN"); }, true, false},
  };
  for (const Case& c : cases) {
    listing();  // unit 6 on the listing file again after an exit closed it
    fatal_seam::calls = 0;
    PRTINF(2) = 1;
    EXPECT_EQ(exit_status(c.call), c.fatal ? 1 : -1) << c.what;
    EXPECT_EQ(fatal_seam::calls, c.fatal ? 1 : 0) << c.what;
    if (!c.fatal) continue;
    // The box or text was complete before the close-down started.
    EXPECT_EQ(fatal_seam::lines_at_call, PRTINF(2)) << c.what;
    EXPECT_EQ(fatal_seam::on_listing_at_call, c.on_listing) << c.what;
  }
  // Nothing registered: the same exit status without a close-down.
  set_fatal_end(nullptr);
  fatal_seam::calls = 0;
  listing();
  EXPECT_EQ(exit_status([] { SETERX("Fatal", 4, 1, "R"); }), 1);
  EXPECT_EQ(exit_status([] { fatal_end(); }), 1);
  EXPECT_EQ(fatal_seam::calls, 0);
}

// A main model with two thermal nodes and a submodel SUB1 (level 1) holding
// thermal node 30 and fluid node 7, and SUB2 below SUB1 holding node 5.
class NodeContext : public Diagnostics {
 protected:
  void SetUp() override {
    Diagnostics::SetUp();
    FLAGS = FlagsRecord{};
    FLAGS(1) = 4;   // thermal nodes
    FLAGS(32) = 1;  // fluid nodes
    FLAGS(26) = 3;  // models
    tna_test::ArraySizes c;
    c.mdrows = 18;
    c.nf = 1;  // fluid nodes
    c.nm = 3;  // models
    c.nt = 4;  // thermal nodes
    c.allocate();
    tna_test::set_column(md_level, {0, 1, 2});
    tna_test::set_column(md_subtreesize, {3, 2, 1});
    tna_test::set_column(md_thermalnodebase, {0, 2, 3, 4});
    tna_test::set_column(md_fluidnodebase, {0, 0, 1, 1});
    gar_modelnames(1) = "MAIN";
    gar_modelnames(2) = "SUB1";
    gar_modelnames(3) = "SUB2";
    const int nums[4] = {1, 2, 30, 5};
    for (int i = 1; i <= 4; ++i) gar_thermalnodenums(i) = nums[i - 1];
    gar_fluidnodenums(1) = 7;
    ndssmd_reset_for_tests();
  }
  void TearDown() override {
    ndssmd_reset_for_tests();
    gar_deallocate_all();
    FLAGS = FlagsRecord{};
    Diagnostics::TearDown();
  }
};

TEST_F(NodeContext, IdentityJoinsTheMessageOneBlankAfterItsText) {
  struct Case {
    int node;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {2, "Too hot@at Node 2 in main model"},
      {3, "Too hot@at Node 30 in model SUB1 (MAIN:SUB1)"},
      {4, "Too hot@at Node 5 in model SUB2 (MAIN:SUB1:SUB2)"},
      {5, "Too hot@at Node 7 in model SUB1 (MAIN:SUB1)"},
      {0, "Too hot@at"},
  };
  for (const Case& c : cases) {
    plat::Text<100> msg("Too hot@at");
    MESBLD(c.node, msg);
    EXPECT_EQ(msg.trimmed(), c.expected) << c.node;
  }
  // Cut at the end of the message; the text never spills over.
  plat::Text<20> small("Too hot@at");
  MESBLD(3, small);
  EXPECT_EQ(small.view(), "Too hot@at Node 30 i");
  plat::Text<11> full("Too hot@at");
  MESBLD(3, full);
  EXPECT_EQ(full.view(), "Too hot@at ");
}

TEST_F(NodeContext, LongPathEndsInDots) {
  // Eleven nested models with 24-character names: a path of 274 characters.
  gar_deallocate_all();
  FLAGS(1) = 11;
  FLAGS(32) = 0;
  FLAGS(26) = 11;
  tna_test::ArraySizes c;
  c.mdrows = 18;
  c.nm = 11;
  c.nt = 11;
  c.allocate();
  for (int m = 1; m <= 11; ++m) {
    md_level(m) = m - 1;
    md_subtreesize(m) = 12 - m;
    gar_modelnames(m) = std::string(23, static_cast<char>('A' + m - 1)) + "x";
    gar_thermalnodenums(m) = 100 + m;
  }
  for (int m = 1; m <= 12; ++m) md_thermalnodebase(m) = m - 1;
  ndssmd_reset_for_tests();
  plat::Text<400> msg("Hot");
  MESBLD(11, msg);
  const std::string_view t = msg.trimmed();
  const std::string head = "Hot Node 111 in model " + std::string(23, 'K') + "x (";
  ASSERT_EQ(t.substr(0, head.size()), head);
  const std::string_view path = t.substr(head.size(), t.size() - head.size() - 1);
  EXPECT_EQ(path.size(), 256u);
  EXPECT_EQ(path.substr(253), "...");
  EXPECT_EQ(path.substr(0, 25), std::string(23, 'A') + "x:");
  EXPECT_EQ(t.back(), ')');
}

TEST_F(NodeContext, NodeNumberAndSubmodelQueries) {
  EXPECT_EQ(NODNUM(3), 30);
  EXPECT_EQ(NODNUM(5), 7);
  EXPECT_EQ(SUBMDN(4, "ALL"), "MAIN:SUB1:SUB2");
  EXPECT_EQ(SUBMDN(4, " "), "MAIN:SUB1:SUB2");
  EXPECT_EQ(SUBMDN(4, "ROOT"), "MAIN:SUB1");
  EXPECT_EQ(SUBMDN(1, "ROOT"), "MAIN");  // the main model's own name
  EXPECT_EQ(SUBMDN(5, "SUBMODEL"), "SUB1");
  EXPECT_EQ(SUBMDN(4, "PARENT"), "SUBMDN: Invalid argument ATTRIB");
  EXPECT_EQ(SUBMDN(6, "ALL"), "SUBMDN: Invalid node number");
  EXPECT_EQ(listing(), "");
  EXPECT_EQ(NODNUM(0), 0);  // a warning box
  const std::vector<std::string> l = split_lines(listing());
  ASSERT_EQ(l.size(), 11u);
  EXPECT_EQ(l[3], "@@@@  WARNING" + std::string(14, ' '));
  EXPECT_EQ(l[5], "@     Problem............: Invalid node number - out of range");
  EXPECT_EQ(l[7], "@     Reference..........: (NODNUM,   1)");
}

}  // namespace
