// Printed node tables: the exact lines of PRNDTB's tables for a model of
// three nested models, against rows written by gfortran with the same
// formats and values (tests/data/output/node_table_rows.txt, from
// tools/golden/node_table_rows.f90), and the layout, sorting, page breaks,
// user formats and every message of the node-table routines.
#include "output/node_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <fstream>
#include <limits>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "output/node_table_fixture.h"

namespace nodetable_test {
namespace {

using NodeTables = NodeTableTest;

std::vector<std::string> golden_rows() {
  std::ifstream in(tna_test::data_path("output/node_table_rows.txt"));
  std::vector<std::string> out;
  std::string l;
  while (std::getline(in, l)) out.push_back(l);
  return out;
}

// Table rows of a listing: the status mark, a blank and the node number in
// ten columns.
std::vector<std::string> rows_of(const std::vector<std::string>& lines) {
  static const std::regex row("^ [ X] +-?[0-9]+$");
  std::vector<std::string> out;
  for (const auto& l : lines)
    if (l.size() >= 13 && std::regex_match(l.substr(0, 13), row)) out.push_back(l);
  return out;
}

// User node numbers of the rows, in printed order.
std::vector<int> numbers_of(const std::vector<std::string>& rows) {
  std::vector<int> out;
  for (const auto& r : rows) out.push_back(std::stoi(r.substr(3, 10)));
  return out;
}

std::string blanks(std::size_t n) { return std::string(n, ' '); }

// A heading of `width` characters with texts placed at one-based positions.
std::string heading(int width, std::vector<std::pair<int, std::string>> texts) {
  std::string h = "          NODE  " + blanks(132 - 16);
  for (auto& [pos, t] : texts) h.replace(static_cast<std::size_t>(pos - 1), t.size(), t);
  return h.substr(0, static_cast<std::size_t>(width));
}

// Rows come per model (thermal, then fluid): MAIN 10, 20, 100; SUB1 1, 2;
// SUB2 5, 7, 200. The golden file holds each table's six thermal rows, then
// its two fluid rows.
TEST_F(NodeTables, RowsAgreeWithGfortran) {
  const auto golden = golden_rows();
  ASSERT_EQ(golden.size(), 16u);
  const int order[8] = {0, 1, 6, 2, 3, 4, 5, 7};
  const char* lists[2] = {"L, T, QS, QE, QA, QI, C", "TAG, FRG, FST, HFD, HEATFLUXDENSITY, ICOUNT, P"};
  for (int t = 0; t < 2; ++t) {
    PRNDTB(" ", lists[t], 1);
    const auto rows = rows_of(listing());
    ASSERT_EQ(rows.size(), 8u) << lists[t];
    for (int k = 0; k < 8; ++k)
      EXPECT_EQ(rows[static_cast<std::size_t>(k)], golden[static_cast<std::size_t>(8 * t + order[k])])
          << lists[t] << " row " << k;
  }
}

// One whole call, line by line: page header, solution header outside a
// solution, the two lines naming the lists, the separator, the model path,
// the table heading, thermal rows, the blank line, fluid rows.
TEST_F(NodeTables, WholeListingOfOneSubmodel) {
  GLOI.WIDTH = 80;
  PRNDTB(" ", " L , T ", -3);
  const auto l = listing();
  const std::vector<std::string> expected = {
      "1",
      " NORVEK-QVD  2020" + blanks(54) + "Page     1",
      " 10 December 2026   13:46:52" + blanks(29) + blanks(18) + "TABLES",
      "",
      "",
      "",
      "",
      " ",
      "  TIMEN =      0.00",
      "",
      "",
      " TABLE OUTPUT WITH ZENTS = 'L,T'",
      " FOR NODES OF ZLABEL = ' '",
      "",
      " " + std::string(80, '='),
      "",
      "",
      "+MAIN:SUB1:SUB2" + blanks(132 - 14),
      " ",
      " ",
      heading(80, {{17, " LABEL"}, {45, "        T"}}),
      "",
      "            5    RADIATOR                         -0.01",
      "            7                                    100.00",
      " ",
      "          200    LOOP                            -40.00",
  };
  EXPECT_EQ(l, expected);
  // 7 page lines, 4 of the solution header, 2 list lines, 3 separator
  // lines, 1 path line, 1 blank, 3 heading lines, 3 rows.
  EXPECT_EQ(PRTINF(2), 7 + 4 + 2 + 3 + 1 + 1 + 3 + 3);
  EXPECT_EQ(PRTINF(4), 2);
}

// The ZLABEL line shows the node list with its full given length.
TEST_F(NodeTables, ListLinesShowTheEntityListWithoutBlanksAndTheNodeListAsGiven) {
  GLOI.WIDTH = 80;
  const std::string zents = "L, T, QS, QE, QA, QI, C, FT, FRG, FST, HFD, HEATFLUXDENSITY, ICOUNT";
  PRNDTB("#5, 7   ", zents, -3);
  const auto l = listing();
  ASSERT_GT(l.size(), 13u);
  // At most WIDTH - 26 = 54 characters of the list.
  EXPECT_EQ(l[11], " TABLE OUTPUT WITH ZENTS = 'L,T,QS,QE,QA,QI,C,FT,FRG,FST,HFD,HEATFLUXDENSITY,ICOUN'");
  EXPECT_EQ(l[12], " FOR NODES OF ZLABEL = '#5, 7   '");
}

// Layouts derived from the entities, and the user formats.
TEST_F(NodeTables, Layouts) {
  struct Case {
    int width;
    std::vector<int> codes;
    std::string thermal_main, fluid_main, head_main, thermal_cont, fluid_cont, head_cont;
    int n1, n2, cont;
  };
  const std::string start = "(1X,A,1X,I10)";
  const std::string lt = "(1X,A,1X,I10,4X,A,4X,F10.2,4X,F10.2,4X,F10.2,4X,F10.2,4X,F10.2,4X,F10.2)";
  const std::string lf = "(1X,A,1X,I10,4X,A,4X,F10.2,4X,10X  ,4X,10X  ,4X,10X  ,4X,10X  ,4X,10X  )";
  const std::vector<Case> cases = {
      // L, T, QS, QE, QA, QI, C: 16 + 28 + 6 x 14 = 128 fits 132.
      {132,
       {1, 2, 8, 5, 4, 6, 3},
       lt,
       lf,
       heading(132, {{17, " LABEL"},
                     {45, "        T"},
                     {59, "        QS"},
                     {73, "        QE"},
                     {87, "        QA"},
                     {101, "        QI"},
                     {115, "        C"}}),
       start,
       start,
       heading(132, {}),
       7,
       0,
       0},
      // WIDTH 80: L, T, QS (72) in the main table, QE, QA, QI, C continued.
      {80,
       {1, 2, 8, 5, 4, 6, 3},
       "(1X,A,1X,I10,4X,A,4X,F10.2,4X,F10.2)",
       "(1X,A,1X,I10,4X,A,4X,F10.2,4X,10X  )",
       heading(132, {{17, " LABEL"}, {45, "        T"}, {59, "        QS"}}),
       "(1X,A,1X,I10,4X,F10.2,4X,F10.2,4X,F10.2,4X,F10.2)",
       "(1X,A,1X,I10,4X,10X  ,4X,10X  ,4X,10X  ,4X,10X  )",
       heading(132, {{17, "        QE"}, {31, "        QA"}, {45, "        QI"}, {59, "        C"}}),
       3,
       4,
       1},
      // Fluid-only texts, user entities: a long name gets width 19 and
      // ",5X)" after its value; a short one is right-justified in 10.
      {132,
       {24, 29, 36, 102, 201, 301},
       "(1X,A,1X,I10,28X , 8X , 8X ,4X,F10.2,5X,4X,I10,4X,A)",
       "(1X,A,1X,I10,4X,A,4X,A,4X,A,4X,F10.2,5X,4X,I10,4X,A)",
       heading(132, {{17, " FLUID TYPE"},
                     {45, " FRG"},
                     {53, " FST"},
                     {62, "HEATFLUXDENSITY"},
                     {81, "    ICOUNT"},
                     {95, "       TAG"}}),
       start,
       start,
       heading(132, {}),
       6,
       0,
       0},
      // Fluid-only real P; TAG no longer fits the main table.
      {132,
       {24, 29, 36, 17, 102, 201, 301},
       "(1X,A,1X,I10,28X , 8X , 8X ,4X,10X  ,4X,F10.2,5X,4X,I10)",
       "(1X,A,1X,I10,4X,A,4X,A,4X,A,4X,F10.2,4X,F10.2,5X,4X,I10)",
       heading(132, {{17, " FLUID TYPE"},
                     {45, " FRG"},
                     {53, " FST"},
                     {61, "        P"},
                     {76, "HEATFLUXDENSITY"},
                     {95, "    ICOUNT"}}),
       "(1X,A,1X,I10,4X,A)",
       "(1X,A,1X,I10,4X,A)",
       heading(132, {{18, "       TAG"}}),
       6,
       1,
       1},
  };
  for (const Case& c : cases) {
    NodeTableFormats f;
    int n1 = -1, n2 = -1, cont = -1;
    LSTBFM(plat::Vec1<const int>(c.codes.data(), static_cast<int>(c.codes.size())), static_cast<int>(c.codes.size()),
           c.width, 0, f, n1, n2, cont);
    SCOPED_TRACE(c.width);
    EXPECT_EQ(f.thermal_main.trimmed(), c.thermal_main);
    EXPECT_EQ(f.fluid_main.trimmed(), c.fluid_main);
    EXPECT_EQ(f.head_main.view(), c.head_main);
    EXPECT_EQ(f.thermal_cont.trimmed(), c.thermal_cont);
    EXPECT_EQ(f.fluid_cont.trimmed(), c.fluid_cont);
    EXPECT_EQ(f.head_cont.view(), c.head_cont);
    EXPECT_EQ(n1, c.n1);
    EXPECT_EQ(n2, c.n2);
    EXPECT_EQ(cont, c.cont);
  }
  // HFD's name field at d + 2 = 116 runs past the 132-character field and is cut.
  NodeTableFormats f;
  int n1 = 0, n2 = 0, cont = 0;
  const int codes[] = {1, 2, 8, 5, 4, 6, 101};
  LSTBFM(plat::Vec1<const int>(codes, 7), 7, 132, 0, f, n1, n2, cont);
  EXPECT_EQ(n1, 7);
  EXPECT_EQ(f.head_main.view().substr(115), "       HFD       ");
}

TEST_F(NodeTables, UserFormats) {
  const int codes[] = {2, 8, 5, 4, 6, 3, 9, 10, 11};  // T, QS, QE, QA, QI, C, A, ALP, EPS: 142 columns
  NodeTableFormats f;
  int n1 = 0, n2 = 0, cont = 0;
  GLOC.TFORM = "(I6,F12.3)";
  GLOC.THEAD = "NODE        TEMP";
  LSTBFM(plat::Vec1<const int>(codes, 9), 9, 132, 0, f, n1, n2, cont);
  EXPECT_EQ(f.thermal_main.trimmed(), "(1X,A,1X,I6,F12.3)");
  EXPECT_EQ(f.fluid_main.trimmed(),
            "(1X,A,1X,I10,4X,F10.2,4X,10X  ,4X,10X  ,4X,10X  ,4X,10X  ,4X,10X  ,4X,F10.2,4X,10X  )");
  EXPECT_EQ(f.head_main.trimmed(), "  NODE        TEMP");
  EXPECT_EQ(n1, 9);
  EXPECT_EQ(cont, 0);
  // Both user formats: nothing is derived; a format without "(" is taken whole.
  GLOC.TFORMF = "I8,2X,F9.1)";
  f = NodeTableFormats{};
  LSTBFM(plat::Vec1<const int>(codes, 9), 9, 132, 0, f, n1, n2, cont);
  EXPECT_EQ(f.thermal_main.trimmed(), "(1X,A,1X,I6,F12.3)");
  EXPECT_EQ(f.fluid_main.trimmed(), "(1X,A,1X,I8,2X,F9.1)");
  EXPECT_TRUE(f.thermal_cont.blank());
  EXPECT_EQ(n1, 9);
  // A decoder status above 2 ignores the user formats and THEAD.
  LSTBFM(plat::Vec1<const int>(codes, 9), 9, 132, 5, f, n1, n2, cont);
  EXPECT_EQ(f.thermal_main.trimmed(),
            "(1X,A,1X,I10,4X,F10.2,4X,F10.2,4X,F10.2,4X,F10.2,4X,F10.2,4X,F10.2,4X,F10.2,4X,F10.2)");
  EXPECT_EQ(n1, 8);
  EXPECT_EQ(n2, 1);
  EXPECT_EQ(cont, 1);

  // Printed: thermal rows with the user format, fluid rows with the default.
  GLOC.TFORMF = "*";
  PRNDTB(" ", "T", -1);
  const auto l = listing();
  const std::vector<std::string> tail(l.end() - 7, l.end());
  const std::vector<std::string> expected = {" ",
                                             "  NODE        TEMP" + blanks(132 - 18),
                                             "",
                                             "       10      20.500",
                                             "       20      -3.125",
                                             " ",
                                             "          100         15.00"};
  EXPECT_EQ(tail, expected);
  // A status above 2 from the decoder ("T, BOGUS") prints the default layout.
  PRNDTB(" ", "T, BOGUS", -1);
  const auto rows = rows_of(listing());
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], "           10         20.50");
}

// A row that the user's format cannot write (an I field for the label and
// the temperature) is left out, and each table says so once, naming its
// first such node; rows of the other node kind, written with the default
// format, stay.
TEST_F(NodeTables, RowsTheUserFormatCannotWriteAreReportedOncePerTable) {
  GLOC.TFORM = "(I6,I6)";
  listing();
  PRNDTB(" ", "L, T", 1);
  const auto lines = listing();
  std::string all;
  for (const auto& l : lines) all += l + "\n";
  // Only the fluid rows, whole: no thermal row and no piece of one.
  EXPECT_EQ(numbers_of(rows_of(lines)), (std::vector<int>{100, 200})) << all;
  for (const auto& l : lines) {
    EXPECT_EQ(l.find("INLET"), std::string::npos) << l;
    EXPECT_EQ(l.find("PANEL"), std::string::npos) << l;
  }
  // One warning per submodel's table, in order, each naming its first node.
  std::string flat;
  for (const auto& l : lines) {
    if (l.size() > 27 && l[0] == '@' && l[1] != '@') flat += l.substr(27) + " ";
  }
  std::string squeezed;
  for (char c : flat) {
    if (c == ' ' && (squeezed.empty() || squeezed.back() == ' ')) continue;
    squeezed.push_back(c);
  }
  int warnings = 0;
  for (const auto& l : lines) warnings += l.rfind("@@@@  WARNING", 0) == 0 ? 1 : 0;
  EXPECT_EQ(warnings, 3) << all;
  std::size_t at = 0;
  for (const char* first : {"node 10 ", "node 1 ", "node 5 "}) {
    const std::string text = std::string(
                                 "Node table row not written Printing table output with PRNDTB. The row format "
                                 "does not suit the values of ") +
                             first;
    const std::size_t found = squeezed.find(text, at);
    ASSERT_NE(found, std::string::npos) << text << "\n" << squeezed;
    at = found + text.size();
    const std::string tail = "(I/O error code 5012) Rows left out of this table: 2 Row format: (1X,A,1X,I6,I6)";
    EXPECT_EQ(squeezed.compare(at, tail.size(), tail), 0) << squeezed.substr(at);
  }
  EXPECT_NE(all.find("(LS1TAB,   1)"), std::string::npos);
}

// Sorting within thermal and within fluid nodes, by real and integer
// entities; the sort item adds no column.
TEST_F(NodeTables, SortedRows) {
  struct Case {
    const char* zents;
    int modref;
    std::vector<int> numbers;
  } cases[] = {
      {"T-DEC, T", 1, {10, 20, 100, 2, 1, 7, 5, 200}},
      {"T-INC, T", 1, {20, 10, 100, 1, 2, 5, 7, 200}},
      {"T, ICOUNT-INC", 1, {20, 10, 100, 2, 1, 7, 5, 200}},
      {"T, ICOUNT-DEC", -1, {10, 20, 100}},
      // C concerns thermal nodes only: both fluid nodes of SUB2 key 0.
      {"L, C-DEC", -3, {7, 5, 200}},
      {"T", 1, {10, 20, 100, 1, 2, 5, 7, 200}},
      // A key on conductor values has no value per node: the rows keep the
      // list order (the node number is no conductor index).
      {"GL-INC, T", 1, {10, 20, 100, 1, 2, 5, 7, 200}},
      {"M-DEC, T", -3, {5, 7, 200}},
  };
  for (const auto& c : cases) {
    PRNDTB(" ", c.zents, c.modref);
    const auto l = listing();
    EXPECT_EQ(numbers_of(rows_of(l)), c.numbers) << c.zents;
    for (const auto& line : l)
      EXPECT_TRUE(line.find("Entity index") == std::string::npos && line.find("Unrecognised") == std::string::npos)
          << c.zents << ": " << line;
  }
  PRNDTB(" ", "T-DEC, T", -2);
  const auto rows = rows_of(listing());
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], "            2    1234567.89");  // one column only
  EXPECT_EQ(FLAGS(29), 1);
  EXPECT_EQ(FLAGS(36), 1);
}

// Equal keys keep their order; a bad order moves nothing; a NaN key stays
// where it is and no key passes it, as element-by-element insertion leaves
// them. Checked against a plain insertion sort on random keys.
TEST_F(NodeTables, SortRoutines) {
  std::vector<int> list = {1, 2, 3, 4, 5};
  std::vector<double> keys = {2.0, 1.0, 2.0, 1.0, 0.5};
  int ierr = -1;
  SORTRI("INC", 5, plat::Vec1<int>(list.data(), 5), plat::Vec1<double>(keys.data(), 5), ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(list, (std::vector<int>{5, 2, 4, 1, 3}));
  EXPECT_EQ(keys, (std::vector<double>{0.5, 1.0, 1.0, 2.0, 2.0}));
  std::vector<int> ikeys = {3, 3, 9, 1, 9};
  list = {1, 2, 3, 4, 5};
  SORTII("DEC", 5, plat::Vec1<int>(list.data(), 5), plat::Vec1<int>(ikeys.data(), 5), ierr);
  EXPECT_EQ(list, (std::vector<int>{3, 5, 1, 2, 4}));
  list = {1, 2, 3, 4, 5};
  SORTII("ASC", 5, plat::Vec1<int>(list.data(), 5), plat::Vec1<int>(ikeys.data(), 5), ierr);
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(list, (std::vector<int>{1, 2, 3, 4, 5}));
  SORTRI("dec", 5, plat::Vec1<int>(list.data(), 5), plat::Vec1<double>(keys.data(), 5), ierr);
  EXPECT_EQ(ierr, 1);

  auto insertion = [](int dir, std::vector<int>& l, std::vector<double>& k) {
    for (std::size_t i = 1; i < k.size(); ++i) {
      const double key = k[i];
      const int node = l[i];
      std::size_t j = i;
      while (j > 0 && (dir > 0 ? k[j - 1] > key : k[j - 1] < key)) {
        k[j] = k[j - 1];
        l[j] = l[j - 1];
        --j;
      }
      k[j] = key;
      l[j] = node;
    }
  };
  std::mt19937 rng(7);
  for (int trial = 0; trial < 200; ++trial) {
    const int n = 1 + static_cast<int>(rng() % 40);
    std::vector<double> k(static_cast<std::size_t>(n));
    std::vector<int> l(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
      const unsigned r = rng() % 12;
      k[static_cast<std::size_t>(i)] =
          r == 0 ? std::numeric_limits<double>::quiet_NaN() : static_cast<double>(r % 5);
      l[static_cast<std::size_t>(i)] = i + 1;
    }
    const int dir = trial % 2 == 0 ? 1 : -1;
    auto k2 = k;
    auto l2 = l;
    insertion(dir, l2, k2);
    SORTRI(dir > 0 ? "INC" : "DEC", n, plat::Vec1<int>(l.data(), n), plat::Vec1<double>(k.data(), n), ierr);
    ASSERT_EQ(l, l2) << "trial " << trial;
    // The keys move with the list (NaN keys compare by their place).
    for (int i = 0; i < n; ++i) {
      const double a = k[static_cast<std::size_t>(i)], b = k2[static_cast<std::size_t>(i)];
      ASSERT_TRUE(a == b || (std::isnan(a) && std::isnan(b))) << "trial " << trial << " key " << i;
    }
  }
}

// Node lists and submodel references: a model where ZLABEL selects nothing
// prints nothing, not even its path; MODREF 2 prints SUB1 and SUB2.
TEST_F(NodeTables, SelectionAndReferences) {
  struct Case {
    const char* zlabel;
    int modref;
    std::vector<std::string> paths;
    std::vector<int> numbers;
  } cases[] = {
      {" ", 2, {"+MAIN:SUB1", "+MAIN:SUB1:SUB2"}, {1, 2, 5, 7, 200}},
      {" ", -3, {"+MAIN:SUB1:SUB2"}, {5, 7, 200}},
      {"PANEL", 1, {"+MAIN:SUB1"}, {1, 2}},
      {"#2", -2, {"+MAIN:SUB1"}, {2}},
      {"T", 1, {"+MAIN", "+MAIN:SUB1:SUB2"}, {10, 20, 100, 5}},  // INLET PLATE, OUTLET, TANK FLUID, RADIATOR
  };
  for (const auto& c : cases) {
    PRNDTB(c.zlabel, "T", c.modref);
    const auto l = listing();
    std::vector<std::string> paths;
    for (const auto& s : l)
      if (!s.empty() && s[0] == '+') paths.push_back(std::string(plat::trimmed(s)));
    EXPECT_EQ(paths, c.paths) << c.zlabel << " " << c.modref;
    EXPECT_EQ(numbers_of(rows_of(l)), c.numbers) << c.zlabel << " " << c.modref;
  }
}

// Page breaks against PRTINF: a model path that does not fit starts a page
// instead of the separator; a table heading with 7 or fewer lines left
// starts a page; a full page repeats the heading on the next.
TEST_F(NodeTables, PageBreaks) {
  PRTINF(1) = 30;
  // After the call heading the line count is 13; MAIN needs 12 lines for
  // its path (132 / 24 = 5 names a line): 17 left, separator.
  PRNDTB(" ", "T", -1);
  auto l = listing();
  EXPECT_EQ(std::count(l.begin(), l.end(), "1"), 1);
  EXPECT_EQ(PRTINF(2), 13 + 3 + 1 + 1 + 3 + 3);

  // Page length 25: MAIN (13 + 3 + 2 = 18) leaves 7 lines, so its heading
  // goes to a new page.
  PRTINF(1) = 25;
  PRNDTB(" ", "T", -1);
  l = listing();
  EXPECT_EQ(std::count(l.begin(), l.end(), "1"), 2);
  EXPECT_EQ(PRTINF(2), 7 + 3 + 3);

  // Page length 20: every model path needs 12 lines, more than are left,
  // so each model starts a page (7 lines, path, blank) and its table heading
  // follows at once (11 lines left).
  for (int i = 1; i <= kNT; ++i) gar_thermalnodelabels(i) = "";
  PRTINF(1) = 20;
  PRNDTB(" ", "T", 1);
  l = listing();
  const std::string head = heading(132, {{17, "        T"}});
  int pages = 0, heads = 0;
  for (const auto& s : l) {
    pages += s == "1";
    heads += s == head;
  }
  EXPECT_EQ(pages, 4);
  EXPECT_EQ(heads, 3);
  EXPECT_EQ(rows_of(l).size(), 8u);
}

TEST_F(NodeTables, FullPageRepeatsTheHeading) {
  // One model holding all eight nodes. Page length 26: call heading 13,
  // separator 16, path 17, blank 18, 8 lines left (more than 7): heading 21;
  // five rows fill the page; the sixth row comes after a new page and the
  // heading again, then the blank line and the two fluid rows.
  FLAGS(26) = 1;
  md_subtreesize(1) = 1;
  md_thermalnodebase(2) = kNT;
  md_fluidnodebase(2) = kNF;
  ndssmd_reset_for_tests();
  PRTINF(1) = 26;
  PRNDTB(" ", "T", 1);
  const auto l = listing();
  const std::string head = heading(132, {{17, "        T"}});
  EXPECT_EQ(std::count(l.begin(), l.end(), head), 2);
  EXPECT_EQ(std::count(l.begin(), l.end(), "1"), 2);
  const auto page2 = std::find(l.rbegin(), l.rend(), "1").base();
  const auto rows_after = rows_of(std::vector<std::string>(page2, l.end()));
  EXPECT_EQ(numbers_of(rows_after), (std::vector<int>{7, 100, 200}));
  EXPECT_EQ(numbers_of(rows_of(l)), (std::vector<int>{10, 20, 1, 2, 5, 7, 100, 200}));
  EXPECT_EQ(PRTINF(2), 7 + 3 + 3);
  EXPECT_EQ(PRTINF(4), 3);
}

// The messages of the node-table routines, each the box SETERX prints for
// its exact text, severity, code and routine.
TEST_F(NodeTables, EntityListMessages) {
  struct Case {
    const char* zents;
    const char* text;
    int code;
  } cases[] = {
      {"T-DEC", "PRNDTB: Mistake in ZENTS, no entities to output", 1},
      {" ", "PRNDTB: Mistake in ZENTS, no entities to output", 1},
      {"GL", "PRNDTB: Mistake in ZENTS, only node entities allowed", 2},
      {"G", "PRNDTB: Mistake in ZENTS, only node entities allowed", 2},
  };
  for (const auto& c : cases) {
    listing();
    reset_message_counters();
    PRNDTB(" ", c.zents, 1);
    const auto printed = listing();
    EXPECT_EQ(printed, box(c.text, 3, c.code, "PRNDTB")) << c.zents;
  }
}

TEST_F(NodeTables, OverflowWarning) {
  // Twelve columns of 14 at WIDTH 80: 4 + 4 printed, the ninth (EPS) and
  // the three after it ignored.
  const char* zents = "T, QS, QE, QA, QI, C, A, ALP, EPS, QAI, QEI, QSI";
  const std::string text =
      "Line length exceeded on continuation table.@Printing table output with PRNDTB.@Entities printed up to (but "
      "not including) EPS.<NL>Remaining 4 entities are ignored.<NL>Increase line length, integer global control "
      "constant WIDTH (maximum 132 characters).@";
  const auto expected = box(text, 2, 1, "LSTBFM");
  GLOI.WIDTH = 80;
  reset_message_counters();
  PRNDTB(" ", zents, -1);
  auto l = listing();
  ASSERT_GT(l.size(), 13 + expected.size());
  EXPECT_EQ(std::vector<std::string>(l.begin() + 13, l.begin() + 13 + static_cast<long>(expected.size())), expected);
  EXPECT_EQ(rows_of(l).size(), 6u);  // main and continuation table of MAIN
  // At WIDTH 132 the text advises two calls.
  const std::string text132 =
      "Line length exceeded on continuation table.@Printing table output with PRNDTB.@Entities printed up to (but "
      "not including) TAG.<NL>Remaining 1 entities are ignored.<NL>Line length (WIDTH) already at maximum 132 "
      "characters.<NL>Split entities over two calls to PRNDTB.@";
  const auto expected132 = box(text132, 2, 1, "LSTBFM");
  GLOI.WIDTH = 132;
  reset_message_counters();
  PRNDTB(" ", "L, T, QS, QE, QA, QI, C, FT, FRG, FST, HFD, HEATFLUXDENSITY, ICOUNT, TAG", -1);
  l = listing();
  EXPECT_EQ(std::vector<std::string>(l.begin() + 13, l.begin() + 13 + static_cast<long>(expected132.size())),
            expected132);
}

// Work-space shortages: the message, nothing printed for the model, later
// models skipped, both tops unchanged.
TEST_F(NodeTables, WorkSpaceShortages) {
  struct Case {
    int itop, rtop;
    bool single_model;
    const char* zents;
    std::string_view text;
    int code;
    // clang-format off
  } cases[] = {
      {93, 1, false, "T", gar_text_nodetable_int, 1},   // 93 + 6 + 2 > 100
      {99, 1, false, "T", gar_text_nodetable_int, 1},
      {1, 99, false, "T-DEC, T", gar_text_nodetable_real, 2},  // 3 keys, 2 words from 99
      {92, 1, true, "T, ICOUNT-INC", gar_text_nodetable_int, 3},  // the list of 8 ends at 100
  };
  // clang-format on
  for (const auto& c : cases) {
    if (c.single_model) {
      FLAGS(26) = 1;
      md_subtreesize(1) = 1;
      md_thermalnodebase(2) = kNT;
      md_fluidnodebase(2) = kNF;
      ndssmd_reset_for_tests();
      lschnd_reset_for_tests();
    }
    FLAGS(36) = c.itop;
    FLAGS(29) = c.rtop;
    const auto expected = box(c.text, 3, c.code, "LS1NTB");
    reset_message_counters();
    PRNDTB(" ", c.zents, 1);
    const auto l = listing();
    ASSERT_EQ(l.size(), 13 + expected.size()) << c.code;
    EXPECT_EQ(std::vector<std::string>(l.begin() + 13, l.end()), expected);
    EXPECT_EQ(FLAGS(36), c.itop);
    EXPECT_EQ(FLAGS(29), c.rtop);
  }
  // The limits themselves fit.
  build_model();
  FLAGS(36) = 92;
  FLAGS(29) = 98;
  PRNDTB(" ", "T-DEC, T", -1);
  EXPECT_EQ(rows_of(listing()).size(), 3u);
  EXPECT_EQ(FLAGS(36), 92);
  EXPECT_EQ(FLAGS(29), 98);
}

// References that name no model are refused by the node-list service; the
// call prints its heading and no table, and never reads outside the model
// directory.
TEST_F(NodeTables, InvalidReferences) {
  for (int modref : {0, 4, -4, INT_MIN, INT_MAX}) {
    PRNDTB(" ", "T", modref);
    const auto l = listing();
    EXPECT_TRUE(rows_of(l).empty()) << modref;
    bool refused = false;
    for (const auto& s : l) refused = refused || s.find("Invalid submodel reference") != std::string::npos;
    EXPECT_TRUE(refused) << modref;
  }
}

// Entity lists longer than the 132-character field are cut, not stopped;
// an undefined value prints as its stored number.
TEST_F(NodeTables, LongEntityListAndUndefinedValue) {
  std::string zents = "T,QI";
  zents += std::string(300, ' ');
  for (int k = 0; k < 40; ++k) zents += ",QS";
  EXPECT_NO_THROW(PRNDTB(" ", zents, -2));
  const auto rows = rows_of(listing());
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1], "            2    1234567.89          0.00          1.00");
}

}  // namespace
}  // namespace nodetable_test
