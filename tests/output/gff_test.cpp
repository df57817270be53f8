// Tests of the GFF result file: the whole file of a small model against the
// golden text gfortran wrote, file restarts and their names, section
// selection and numbering, value fields, model names, the line joiner and
// every failure with its exact box.
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "gff_fixture.h"
#include "platform/format.h"

namespace gff_test {
namespace {

std::string read_data(const std::string& rel) {
  std::ifstream in(tna_test::data_path(rel), std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

const std::string kBlank(256, ' ');

std::string_view stripped(std::string_view s) {
  s = plat::trimmed(s);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
}

// Lines of a file that begin with a prefix.
std::vector<std::string> with_prefix(const std::vector<std::string>& lines, const std::string& prefix) {
  std::vector<std::string> out;
  for (const auto& l : lines)
    if (l.rfind(prefix, 0) == 0) out.push_back(l);
  return out;
}

// The record names of the header with the number each section declares.
std::vector<std::string> sections(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (std::size_t k = 0; k + 1 < lines.size(); ++k) {
    if (lines[k].rfind("Record: ", 0) != 0) continue;
    const std::string& num = lines[k + 1];
    out.push_back(lines[k].substr(8) + "=" + num.substr(31, 4));
  }
  return out;
}

// First characters (record-type digits) of the data lines after End_Header.
std::string data_digits(const std::vector<std::string>& lines) {
  std::string d;
  bool data = false;
  for (const auto& l : lines) {
    if (data && !l.empty()) d += l[0];
    if (l == "End_Header") data = true;
  }
  d.erase(std::unique(d.begin(), d.end()), d.end());
  return d;
}

TEST_F(GffTest, WholeFileOfTwoBlocksMatchesGolden) {
  GLOR.TIMEN = 0.0;
  PARGFF(kBlank, "GFFTEST_1", 1, 14);
  EXPECT_EQ(FLAGS(36), 1) << "work space given back";
  GLOR.TIMEN = 3600.0;
  gar_thermalnodetemps(1) = 21.25;
  PARGFF(kBlank, "GFFTEST_1", 1, 14);
  EXPECT_EQ(FLAGS(36), 1);
  const auto got = file_lines("GFFTEST_1.GFF");
  const auto want = tna_test::split_lines(read_data("gff/two_submodels.GFF"));
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t k = 0; k < want.size(); ++k) EXPECT_EQ(got[k], want[k]) << "line " << k + 1;
  EXPECT_FALSE(dir_.exists("GFFTEST_1.GFF2"));
  const auto printed = listing();
  EXPECT_TRUE(std::all_of(printed.begin(), printed.end(), [](const std::string& l) { return l.empty(); }));
}

TEST_F(GffTest, FilesRestartWhenTimeDoesNotAdvanceOrCaseGrows) {
  auto call = [&](double t, int c, const std::string& stem) {
    GLOR.TIMEN = t;
    PARGFF(kBlank, stem, c, 14);
  };
  // Case 1: 0, 0 (same time: GFF2), 10 (appends), 5 (earlier: GFF3).
  call(0.0, 1, "C1");
  call(0.0, 1, "C1");
  call(10.0, 1, "C1");
  call(5.0, 1, "C1");
  // Case 2 starts again at .GFF whatever its time; a lower case number appends.
  call(-100.0, 2, "C2");
  call(-200.0, 1, "C2");
  const auto times = [&](const std::string& name) {
    std::string t;
    for (const auto& l : with_prefix(file_lines(name), "1 "))
      if (l.find(" 1 10 ") != std::string::npos) t += l.substr(2, l.find(' ', 2) - 2) + ";";
    return t;
  };
  auto headers = [&](const std::string& name) {
    const auto lines = file_lines(name);
    return std::count(lines.begin(), lines.end(), std::string("End_Header"));
  };
  EXPECT_EQ(times("C1.GFF"), "0.00000;");
  EXPECT_EQ(times("C1.GFF2"), "0.00000;10.0000;");
  EXPECT_EQ(times("C1.GFF3"), "5.00000;");
  EXPECT_EQ(times("C2.GFF"), "-100.000;-200.000;");
  for (const char* n : {"C1.GFF", "C1.GFF2", "C1.GFF3", "C2.GFF"}) EXPECT_EQ(headers(n), 1) << n;
  EXPECT_FALSE(dir_.exists("C1.GFF1"));
  EXPECT_FALSE(dir_.exists("C2.GFF2"));
  // The title names the case of the file.
  EXPECT_EQ(file_lines("C2.GFF")[4], "Description: Parameter case    2 ORIGINAL");
}

TEST_F(GffTest, SelectionGivesSectionsAndNumbers) {
  struct Case {
    std::string list;
    bool fluid;
    std::vector<std::string> sections;
    std::string digits;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"", true,
       {"Thermal_Node=   1", "Thermal_Conductor=   2", "Fluid_Node=   3", "Fluid_Conductor=   4",
        "Integer_User_Constant=   5", "Real_User_Constant=   6", "Character_User_Constant=   7"},
       "1234567"},
      {"CONSTANTS", true,
       {"Integer_User_Constant=   1", "Real_User_Constant=   2", "Character_User_Constant=   3"}, "123"},
      {"NODES", true, {"Thermal_Node=   1", "Fluid_Node=   2"}, "12"},
      {"T(NODES),G", true, {"Thermal_Node=   1", "Fluid_Node=   2"}, "12"},
      {"CONDUCTORS,CONSTANTS", true,
       {"Thermal_Conductor=   1", "Fluid_Conductor=   2", "Integer_User_Constant=   3", "Real_User_Constant=   4",
        "Character_User_Constant=   5"},
       "12345"},
      {"nodes", true, {}, ""},
      {"", false,
       {"Thermal_Node=   1", "Thermal_Conductor=   2", "Integer_User_Constant=   3", "Real_User_Constant=   4",
        "Character_User_Constant=   5"},
       "12345"},
  };
  // clang-format on
  int k = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE("list \"" + c.list + "\"" + (c.fluid ? "" : " without fluid nodes"));
    gff_reset_for_tests();
    FLAGS(32) = c.fluid ? kNF : 0;
    if (!c.fluid) {
      FLAGS(33) = 0;
      tna_test::set_column(md_fluidnodebase, {0, 0, 0, 0});
    }
    ndssmd_reset_for_tests();
    const std::string stem = "S" + std::to_string(++k);
    PARGFF(c.list, stem, 1, 14);
    const auto lines = file_lines(stem + ".GFF");
    EXPECT_EQ(sections(lines), c.sections);
    EXPECT_EQ(data_digits(lines), c.digits);
  }
}

TEST_F(GffTest, ConductorPairingSequenceAndDirection) {
  PARGFF("CONDUCTORS", "P", 1, 14);
  const auto lines = file_lines("P.GFF");
  const auto th = with_prefix(lines, "1 ");
  // One line per two-way conductor from the lower node, none from the node of
  // status C (GL5 from node 4), none towards the fluid node (GL4); GF1 listed
  // as -1 from node 3 is written negated; GV1 last.
  ASSERT_EQ(th.size(), 6u);
  EXPECT_EQ(th[0], "1 0.00000 1 1 1 10 1 20 1 10.0000 1");
  EXPECT_EQ(th[1], "1 0.00000 1 1 1 10 1 20 2 0.125000 2");
  EXPECT_EQ(th[4], "1 0.00000 3 2 2 1 3 5 1 -.750000 1");
  EXPECT_EQ(th[5], "1 0.00000 4 1 1 20 3 5 1 0.333300 2");
  const auto fl = with_prefix(lines, "2 ");
  ASSERT_EQ(fl.size(), 3u);
  EXPECT_EQ(fl[0], "2 0.00000 4 3 3 100 3 200 1 2.50000 1");
  EXPECT_EQ(fl[1], "2 0.00000 1 3 3 100 3 5 1 45.0000 1");
  EXPECT_EQ(fl[2], "2 0.00000 5 3 3 100 3 200 1 0.500000E-01 1");
}

TEST_F(GffTest, SetvuFieldsAgreeWithGfortran) {
  const double vals[12] = {1.0,    -1.0,      0.1,     123456.5,  999999.5, 1234567.0,
                           1.0e-5, -2.5e-300, 3.0e100, 0.0999999, 65.4321,  -0.000123456789};
  const auto want = tna_test::split_lines(read_data("gff/setvu_fields.txt"));
  ASSERT_EQ(want.size(), 12u);
  plat::Text<26> f;
  for (int k = 0; k < 12; ++k) {
    const std::string& w = want[static_cast<std::size_t>(k)];
    const std::string g = w.substr(0, w.find('|')), e = w.substr(w.find('|') + 1);
    // gfortran's fields without their outer blanks, as the lines hold them.
    SETVU("(G12.6)", vals[k], f.ref());
    EXPECT_EQ(stripped(f.view()), plat::trimmed(g)) << vals[k];
    SETVU("(1PE12.4 )", vals[k], f.ref());
    EXPECT_EQ(stripped(f.view()), plat::trimmed(e)) << vals[k];
  }
  for (const char* fmt : {"(G12.6)", "(1PE12.4 )"}) {
    SETVU(fmt, 0.0, f.ref());
    EXPECT_EQ(f.trimmed(), "0.0");
    SETVU(fmt, -0.0, f.ref());
    EXPECT_EQ(f.trimmed(), "0.0");
    SETVU(fmt, undefined_real(), f.ref());
    EXPECT_EQ(f.trimmed(), "NULL");
  }
}

TEST_F(GffTest, SevenCharacterFormatAndTimeZero) {
  GLOC.FORMAT = "1PE12.4";
  GLOR.TIMEN = 0.0;
  PARGFF("CONSTANTS", "F", 1, 14);
  const auto lines = file_lines("F.GFF");
  // The time is formatted even at zero; zero and undefined values are not.
  EXPECT_EQ(with_prefix(lines, "2 "),
            (std::vector<std::string>{"2 0.0000E+00 1 \"GAIN\" 1.5000E+00", "2 0.0000E+00 2 \"EPSP\" NULL"}));
  EXPECT_EQ(with_prefix(lines, "3 ").back(), "3 0.0000E+00 3 \"TAG\" \"hot  loop\"");
}

TEST_F(GffTest, ModelNamesFollowTheNesting) {
  const int levels[4] = {0, 1, 2, 1};
  std::vector<std::int32_t> dir(18 * 5, 0);
  for (int m = 1; m <= 4; ++m) dir[static_cast<std::size_t>(18 * (m - 1))] = levels[m - 1];
  plat::Text<24> names[4] = {"ROOT", "SUB1 X", "SUB2", "SUB3"};
  static char full[4 * 200];
  MODNAM(200, 100, plat::Mat2<const std::int32_t>(dir.data(), 18, 5), 18, 4,
         CTextVec1(reinterpret_cast<const char*>(names), 4, 24), TextVec1(full, 4, 200));
  const CTextVec1 f(full, 4, 200);
  EXPECT_EQ(f.view(1).substr(0, 5), "ROOT ");
  EXPECT_EQ(plat::trimmed(f.view(2)), "ROOT:SUB1");
  EXPECT_EQ(plat::trimmed(f.view(3)), "ROOT:SUB1:SUB2");
  EXPECT_EQ(plat::trimmed(f.view(4)), "ROOT:SUB3");
}

TEST_F(GffTest, ModelNameFailures) {
  struct Case {
    std::vector<int> levels;
    int code;
    int named;
  };
  // A level that appeared nowhere before (2), a level jump (3), a name over
  // 200 characters (4: nine levels of 24-character names).
  const std::vector<Case> cases = {{{0, 1, -1}, 2, 3}, {{0, 2}, 3, 2}, {{0, 1, 2, 3, 4, 5, 6, 7, 8}, 4, 9}};
  for (const auto& c : cases) {
    const int nm = static_cast<int>(c.levels.size());
    std::vector<std::int32_t> dir(static_cast<std::size_t>(18 * (nm + 1)), 0);
    std::vector<plat::Text<24>> names;
    for (int m = 1; m <= nm; ++m) {
      dir[static_cast<std::size_t>(18 * (m - 1))] = c.levels[static_cast<std::size_t>(m - 1)];
      names.emplace_back(std::string(23, 'A' + m - 1) + "Z");
    }
    std::vector<char> full(static_cast<std::size_t>(200 * nm));
    const auto got = fatal([&] {
      MODNAM(200, 100, plat::Mat2<const std::int32_t>(dir.data(), 18, nm + 1), 18, nm,
             CTextVec1(reinterpret_cast<const char*>(names.data()), nm, 24), TextVec1(full.data(), nm, 200));
    });
    std::string name = names[static_cast<std::size_t>(c.named - 1)].str();
    name.resize(200, ' ');
    EXPECT_EQ(got, box("Strange model nesting in submodel : " + name, c.code, "MODNAM")) << c.code;
  }
  std::vector<std::int32_t> dir(18 * 102, 0);
  std::vector<plat::Text<24>> names(101, plat::Text<24>("M"));
  std::vector<char> full(200 * 101);
  const auto got = fatal([&] {
    MODNAM(200, 100, plat::Mat2<const std::int32_t>(dir.data(), 18, 102), 18, 101,
           CTextVec1(reinterpret_cast<const char*>(names.data()), 101, 24), TextVec1(full.data(), 101, 200));
  });
  EXPECT_EQ(got, box("Too many submodels for TOLMA output routine", 1, "MODNAM"));
}

TEST_F(GffTest, JoinerAndSelectionFlags) {
  struct Join {
    std::vector<std::string> fields;
    std::string row;
  };
  const std::vector<Join> joins = {{{"  a ", "", "b", "   ", " c d "}, "a b c d"},
                                   {{"", "x", "y"}, "  x y"},
                                   {{"", ""}, " "},
                                   {{"12345678", "9"}, "12345678 9"}};
  for (const auto& j : joins) {
    std::vector<plat::Text<10>> f(j.fields.begin(), j.fields.end());
    char row[20];
    int len = -1;
    STRSPC(CTextVec1(reinterpret_cast<const char*>(f.data()), static_cast<int>(f.size()), 10),
           static_cast<int>(f.size()), plat::TextRef(row, 20), len);
    EXPECT_EQ(std::string(row, static_cast<std::size_t>(len)), j.row);
  }
  // Reaching the buffer length is a fatal error.
  std::vector<plat::Text<10>> f = {"1234567890", "1234567890"};
  char row[20];
  int len = 0;
  const auto got = fatal(
      [&] { STRSPC(CTextVec1(reinterpret_cast<const char*>(f.data()), 2, 10), 2, plat::TextRef(row, 20), len); });
  EXPECT_EQ(got, box(" Size of output buffer too small.   Current length =     20", 1, "STRSPC"));

  const plat::Text<10> names[4] = {"", "NODES", "CONDUCTORS", "CONSTANTS"};
  struct Sel {
    std::string list;
    int length;
    std::vector<int> flags;
  };
  const std::vector<Sel> sels = {{"   ", 3, {1, 1, 1, 1}},          {"NODES,CONSTANTS", 15, {0, 1, 0, 1}},
                                 {"XNODESX", 7, {0, 1, 0, 0}},      {"CONDUCTORS", 9, {0, 0, 0, 0}},
                                 {"CONDUCTORS  ", 5, {0, 0, 0, 0}}, {"Nodes", 5, {0, 0, 0, 0}}};
  for (const auto& s : sels) {
    int flags[4] = {9, 9, 9, 9}, ierr = 7;
    GZBLKS(s.list, s.length, 4, CTextVec1(reinterpret_cast<const char*>(names), 4, 10), plat::Vec1<int>(flags, 4),
           ierr);
    EXPECT_EQ(std::vector<int>(flags, flags + 4), s.flags) << s.list;
    EXPECT_EQ(ierr, 0);
  }
}

TEST_F(GffTest, ShortWorkSpaceIsFatal) {
  // Free words are DYSTOR less the top; the writer needs one per node.
  FLAGS(36) = kDystor - (kNT + kNF) + 1;  // one word short
  const auto got = fatal([&] { PARGFF(kBlank, "W", 1, 14); });
  EXPECT_EQ(got, box(std::string(gar_text_gff), 1, "PARGFF"));
  EXPECT_FALSE(dir_.exists("W.GFF"));
  FLAGS(36) = kDystor - (kNT + kNF);  // just enough
  PARGFF(kBlank, "W", 1, 14);
  EXPECT_EQ(FLAGS(36), kDystor - (kNT + kNF));
  EXPECT_TRUE(dir_.exists("W.GFF"));
}

TEST_F(GffTest, OpenFailureIsFatalWithStatus) {
  const auto got = fatal([&] { PARGFF(kBlank, "no_such_dir/case", 1, 14); });
  // SOPSQ's own box, then the writer's fatal box with the open's status.
  const auto want = fatal([&] {
    int s = 0;
    SOPSQ("no_such_dir/case.GFF", "FORMATTED", "UNKNOWN", 14, s);
    EXPECT_EQ(s, 2);
    SETERX("Cannot open GFF file no_such_dir/case.GFF@Fortran I/O error      2", 4, 2, "PARGFF");
  });
  EXPECT_EQ(got, want);
}

TEST_F(GffTest, WriteFailuresAreReported) {
  // A full device: the header cannot be written.
  ASSERT_EQ(symlink("/dev/full", "FULL.GFF"), 0);
  const auto got = fatal([&] { PARGFF(kBlank, "FULL", 1, 14); });
  // The status is the system's error number, whatever it is on this system.
  const auto st = std::find_if(got.begin(), got.end(), [](const std::string& l) {
    return l.find("Fortran IO status =") != std::string::npos;
  });
  ASSERT_NE(st, got.end());
  const int status = std::stoi(st->substr(st->find('=') + 1));
  EXPECT_GT(status, 0);
  EXPECT_EQ(got,
            box("Error writing data for NORVEK neutral file : Fortran IO status = " + filesvc::int_field(status, 6),
                1, "GHEADB"));

  // A unit closed under the writer: the first data line fails (code 9).
  gff_reset_for_tests();
  GLOR.TIMEN = 1.0;
  PARGFF(kBlank, "GONE", 1, 14);
  plat::io::close_unit(14);
  GLOR.TIMEN = 2.0;
  const auto got2 = fatal([&] { PARGFF(kBlank, "GONE", 1, 14); });
  EXPECT_EQ(got2, box("Error writing data for NORVEK neutral file : Fortran IO status = " +
                          filesvc::int_field(plat::io::kNotConnected, 6),
                      9, "GTNODA"));
  // Nothing of the failed block reached the file.
  EXPECT_EQ(data_digits(file_lines("GONE.GFF")), "1234567");
  EXPECT_EQ(with_prefix(file_lines("GONE.GFF"), "1 ").size(), static_cast<std::size_t>(kNT));
}

TEST_F(GffTest, FieldArrayTooSmallForUserEntities) {
  SPRSIZ(5) = 400;
  static char fields[gff_field_slots * gff_field_length];
  const auto got =
      fatal([&] { GTNODA(1, 0.0, "(G12.6)", "(I10)", TextVec1(fields, gff_field_slots, gff_field_length), 14); });
  EXPECT_EQ(got, box(" Size of BUFFER in GRECDB is   326:, need  423 for thermal nodes.", 1, "GTNODA"));
  const auto got2 =
      fatal([&] { GFNODA(1, 0.0, "(G12.6)", "(I10)", TextVec1(fields, gff_field_slots, gff_field_length), 14); });
  EXPECT_EQ(got2, box(" Size of BUFFER in GRECDB is   326:, need  431 for fluid nodes.", 1, "GFNODA"));
}

TEST_F(GffTest, CharacterConstantLongerThanItsField) {
  // MAIN's value runs over both pool elements: 260 characters, one more than
  // fits between the quotes of a 255-character slot at most 253.
  std::string pool(2 * kPoolElementLength, ' ');
  std::fill(pool.begin(), pool.begin() + 260, 'x');
  pool[260] = '\0';
  gar_userconstvalueschar(1) = std::string_view(pool).substr(0, kPoolElementLength);
  gar_userconstvalueschar(2) = std::string_view(pool).substr(kPoolElementLength);
  const auto got = fatal([&] { PARGFF("CONSTANTS", "L", 1, 14); });
  EXPECT_EQ(got, box("Error writing data for NORVEK neutral file : Fortran IO status = " +
                         filesvc::int_field(plat::io::kInternalOverflow, 6),
                     5, "GCUCTS"));
  // The integer and real sections before it were written whole.
  EXPECT_EQ(data_digits(file_lines("L.GFF")), "12");
}

TEST_F(GffTest, IntegerFieldsAtTheirLimits) {
  gar_userconstvaluesint(1) = -2147483647 - 1;  // eleven characters: asterisks
  gar_userconstvaluesint(2) = -999999999;
  PARGFF("CONSTANTS", "I", 1, 14);
  EXPECT_EQ(with_prefix(file_lines("I.GFF"), "1 "),
            (std::vector<std::string>{"1 0.00000 1 \"NCYCLE\" **********", "1 0.00000 3 \"NPUMP\" -999999999"}));
}

TEST_F(GffTest, RealFormatThatDoesNotFitTheField) {
  GLOC.FORMAT = "F30.3";
  const auto got = fatal([&] { PARGFF("CONSTANTS", "R", 1, 14); });
  // The time field is the first write of the first writer.
  EXPECT_EQ(got, box("Error writing data for NORVEK neutral file : Fortran IO status = " +
                         filesvc::int_field(plat::io::kInternalOverflow, 6),
                     2, "GIUCTS"));
}

}  // namespace
}  // namespace gff_test
