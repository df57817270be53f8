// CSV result tables: heading and rows of node, constant, array and conductor
// items on a small two-submodel model, undefined values, failing items and
// write errors.
//
//   model  thermal index: user number       fluid index: number
//   MAIN   1: 1 "PLATE A", 2: 2, 3: 3, 4: 4   7: 10
//   SUB1   5: 3, 6: 4                         8: 20
//
// T(i) = 10 i (node 2 undefined), C(i) = 100 + i; fluid T 1.5, -0.5 and P
// 1e5, 2e5. GL 1 (3,4) and 2 (3,SUB1:4) of MAIN, GL 3 and 4 (3,4) of SUB1
// (parallel); GV 1 (SUB1:3,SUB1:4) of SUB1; link 1 from fluid 10 to fluid 20
// of MAIN. User constants MAIN: GAIN 2.5, NCOUNT 7, MODE "FAST"; SUB1: GAIN
// -0.5, UNDEF (undefined integer). Real array TAB(3,2) of MAIN, values 0.5 k.
// User entities HEAT (real), ICOUNT (integer), TAG (character).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "modeldata/node_lists.h"
#include "modeldata/submodel_refs.h"
#include "parameters/csv_columns.h"
#include "parameters/csv_conductors.h"
#include "parameters/csv_tables.h"
#include "platform/format.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/listing.h"
#include "support/small_model.h"
#include "support/state_test.h"
#include "support/test_env.h"

namespace csvtest {

constexpr int kNT = 6, kNF = 2, kNM = 2, kDystor = 200, kCsv = 11;

inline double undefined_real() {
  double x = 0.0;
  const std::int32_t w[2] = {2147483647, 0};
  std::memcpy(&x, w, sizeof x);
  return x;
}

inline void build_model() {
  gar_deallocate_all();
  FLAGS = FlagsRecord{};
  FLAGS(1) = kNT;
  FLAGS(2) = 4;   // GL
  FLAGS(5) = 1;   // GV
  FLAGS(11) = 2;  // local integer constants
  FLAGS(19) = 1;  // arrays
  FLAGS(26) = kNM;
  FLAGS(28) = kDystor;
  FLAGS(29) = 1;
  FLAGS(32) = kNF;
  FLAGS(33) = 1;  // links
  FLAGS(36) = 1;
  tna_test::ArraySizes c;
  c.larrinfo = 6;  // array descriptor list
  c.dystor = kDystor;
  c.mdrows = 18;
  c.lpcsfluid = 12;  // fluid connection list
  c.lpcsth = 16;     // compact thermal list
  c.narrays = 1;     // arrays
  c.nucn = 5;        // user-constant names
  c.ncharuc = 1;     // character user constants
  c.ncharpool = 1;   // character pool elements
  c.nf = kNF;
  c.nintuc = 2;   // integer user constants
  c.ngl = 4;      // GL
  c.nl = 1;       // links
  c.nrealel = 6;  // real array elements
  c.nrealuc = 2;  // real user constants
  c.nm = kNM;
  c.nt = kNT;
  c.nchent = 1;    // character user entities
  c.nintent = 1;   // integer user entities
  c.nrealent = 1;  // real user entities
  c.ngv = 1;       // GV
  c.allocate();
  tna_test::set_column(md_level, {0, 1});
  tna_test::set_column(md_subtreesize, {2, 1});
  for (int m = 1; m <= kNM; ++m) {
    gar_modelstatuses(m) = "A";
  }
  tna_test::set_column(md_thermalnodebase, {0, 4, 6});
  tna_test::set_column(md_linearcondbase, {0, 2, 4});
  tna_test::set_column(md_vfaccondbase, {0, 0, 1});
  tna_test::set_column(md_realuserconstbase, {0, 1, 2});
  tna_test::set_column(md_intuserconstbase, {0, 1, 2});
  tna_test::set_column(md_charuserconstbase, {0, 1, 1});
  tna_test::set_column(md_realnamebase, {0, 3, 5});
  tna_test::set_column(md_intnamebase, {1, 4, 5});
  tna_test::set_column(md_charnamebase, {2, 5, 5});
  tna_test::set_column(md_arraybase, {0, 1, 1});
  tna_test::set_column(md_charelementbase, {0, 1, 1});
  tna_test::set_column(md_fluidnodebase, {0, 1, 2});
  tna_test::set_column(md_massflowlinkbase, {0, 1, 1});
  gar_modelnames(1) = "MAIN";
  gar_modelnames(2) = "SUB1";
  for (int m = 1; m <= kNM; ++m) gar_submodelnames(m) = gar_modelnames(m);

  const int tnums[kNT] = {1, 2, 3, 4, 3, 4};
  for (int i = 1; i <= kNT; ++i) {
    gar_thermalnodenums(i) = tnums[i - 1];
    gar_thermalnodestatuses(i) = "D";
    gar_thermalnodetemps(i) = 10.0 * i;
    gar_thermalnodecapacitances(i) = 100.0 + i;
    gar_thermalnodeuserentityvalsreal(i, 1) = 0.25 * i;
    gar_thermalnodeuserentityvalsint(i, 1) = 1000 + i;
    gar_thermalnodeuserentityvalschar(i, 1) = "T" + std::to_string(i);
  }
  gar_thermalnodetemps(2) = undefined_real();
  gar_thermalnodelabels(1) = "PLATE A";
  gar_thermalnodeuserentityvalsint(3, 1) = 2147483647;
  const int fnums[kNF] = {10, 20};
  for (int j = 1; j <= kNF; ++j) {
    gar_fluidnodenums(j) = fnums[j - 1];
    gar_fluidnodestatuses(j) = "F";
    gar_fluidnodetemps(j) = j == 1 ? 1.5 : -0.5;
    gar_fluidnodepressures(j) = 1.0e5 * j;
    gar_fluidnodeuserentityvalsreal(j, 1) = 7.0 * j;
    gar_fluidnodeuserentityvalsint(j, 1) = 2000 + j;
    gar_fluidnodeuserentityvalschar(j, 1) = "F" + std::to_string(j);
  }
  gar_fluidnodelabels(1) = "TANK";

  // GL conductors and the compact thermal lists (neighbour, conductor).
  const double gl[4] = {0.25, 0.5, 1.5, 2.5};
  for (int k = 1; k <= 4; ++k) gar_linearconds(k) = gl[k - 1];
  const int pcs[16] = {4, 1, 6, 2, 3, 1, 6, 3, 6, 4, 3, 2, 5, 3, 5, 4};
  for (int w = 1; w <= 16; ++w) gar_pcsthermal(w) = pcs[w - 1];
  const int start[kNT + 1] = {0, 0, 0, 1, 5, 7, 11}, count[kNT + 1] = {0, 0, 0, 2, 1, 2, 3};
  for (int n = 1; n <= kNT; ++n) {
    gar_pcsptrsthermal(1, n) = start[n];
    gar_pcsptrsthermal(2, n) = count[n];
  }
  gar_vfacconds(1) = 0.75;
  gar_vfaccondnodepairs(1) = 5;
  gar_vfaccondnodepairs(2) = 6;
  // Link 1 from fluid 1 to fluid 2, listed at both ends.
  gar_massflowlinkcondnodepairs(1) = 1;
  gar_massflowlinkcondnodepairs(2) = 2;
  gar_massflowlinkflowrates(1) = 0.125;
  gar_massflowlinkfittinglosses(1) = 4.0;
  const int fl[12] = {2, 1, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0};
  for (int w = 1; w <= 12; ++w) gar_pcsfluid(w) = fl[w - 1];
  gar_pcsptrsfluid(1) = 1;
  gar_pcsptrsfluid(2) = 7;

  // User constants.
  const char* names[5] = {"GAIN", "NCOUNT", "MODE", "GAIN", "UNDEF"};
  for (int k = 1; k <= 5; ++k) gar_userconstnames(k) = names[k - 1];
  gar_userconstvaluesreal(1) = 2.5;
  gar_userconstvaluesreal(2) = -0.5;
  gar_userconstvaluesint(1) = 7;
  gar_userconstvaluesint(2) = 2147483647;
  gar_userconstpointerschar(1) = 1;
  std::string pool = "FAST";
  pool.push_back('\0');
  gar_userconstvalueschar(1) = pool;
  LOCI(1, 1) = 4;
  LOCI(2, 1) = 3;
  LOCI(1, 2) = 2;
  LOCI(2, 2) = 1;

  // Real array TAB(3,2).
  gar_arraynames(1) = "TAB";
  gar_arrayinfopointers(1) = 1;
  const int info[6] = {2, 6, 1, 2, 3, 2};
  for (int w = 1; w <= 6; ++w) gar_arrayinfolist(w) = info[w - 1];
  for (int k = 1; k <= 6; ++k) gar_arrayvaluesreal(k) = 0.5 * k;

  tna_test::set_user_entities({"HEAT"}, {"ICOUNT"}, {"TAG"});
  ndssmd_reset_for_tests();
  lschnd_reset_for_tests();
}

class CsvTest : public tna_test::StateTest {
 protected:
  void SetUp() override {
    plat::set_exit_throws(true);
    GLOI = GloiRecord{};
    GLOR = GlorRecord{};
    SLDINC();
    GLOI.MODEL = 1;
    GLOR.TIMEN = 1000.0;
    GLOC.PARNAM = "Hot case";
    tna_test::set_print_job("CSVJOB");
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
    ASSERT_EQ(plat::io::open_unit(kCsv, "table.csv", plat::io::Form::Formatted, "UNKNOWN"), 0);
    build_model();
    reset_message_counters();
  }
  void TearDown() override {
    plat::io::close_unit(kCsv);
    plat::io::close_unit(6);
    FLAGS = FlagsRecord{};
    SPRSIZ = SprsizRecord{};
    GLOI = GloiRecord{};
    GLOR = GlorRecord{};
    SLDINC();
    plat::set_exit_throws(false);
  }
  std::string listing() { return tna_test::take_listing(dir_); }
  // The boxes SETERX prints for these messages as the first ones of a run.
  struct Msg {
    std::string text;
    int code;
    std::string routine;
  };
  std::string boxes(const std::vector<Msg>& msgs) {
    const std::string s = tna_test::printed(dir_, [&] {
      for (const Msg& m : msgs) SETERX(m.text, 3, m.code, m.routine);
    });
    reset_message_counters();
    return s;
  }
  std::string table() {
    plat::io::close_unit(kCsv);
    return dir_.read("table.csv");
  }
  void check_top() { EXPECT_EQ(FLAGS(36), 1) << "work space given back"; }

  tna_test::ScratchDir dir_{"csv"};
};

// The listing printed so far must equal the boxes of these messages (read first).
#define EXPECT_BOXES(msgs) \
  do { \
    const std::string got_ = listing(); \
    EXPECT_EQ(got_, boxes(msgs)); \
  } while (0)

std::string golden(const std::string& name) {
  std::ifstream f(tna_test::data_path("params/" + name), std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

constexpr std::string_view kList =
    "(T3,T2,T:SUB1:4,P:*,C:'PLATE',L1,FT10,HEAT4,ICOUNT3,TAG:SUB1:3,GAIN,SUB1:GAIN,NCOUNT,SUB1:UNDEF,MODE,TIMEN,"
    "PARNAM,NODES,SUB1:NODES,TAB(*,2),TAB(2,1),GL(*),GL:SUB1:(3,4,2),GL(3,SUB1:4),GV(*),M(*),GP(*))";

// Heading and two rows of every kind of item, against the committed table.
TEST_F(CsvTest, HeadingAndRowsOfEveryItemKind) {
  int ierr = -1;
  PARHDC(kList, 1, kCsv, ierr);
  EXPECT_EQ(ierr, 0);
  check_top();
  PARCSV(kList, 3, 1, kCsv, ierr);
  EXPECT_EQ(ierr, 0);
  check_top();
  // Values change between rows; the base case writes 0 and a blank name an empty field.
  gar_thermalnodetemps(3) = -0.5;
  gar_linearconds(4) = undefined_real();
  GLOR.TIMEN = 0.0;
  GLOC.PARNAM = "";
  PARCSV(kList, 0, 1, kCsv, ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(listing(), "");
  EXPECT_EQ(table(), golden("csv_table.csv"));
}

TEST_F(CsvTest, EmptyListsAndEmptyItemsGiveTheFixedColumnsOnly) {
  int ierr = -1;
  PARHDC("(,T1,,)", 1, kCsv, ierr);
  EXPECT_EQ(ierr, 0);
  PARCSV("()", 1234, 1, kCsv, ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(table(),
            "NORVEK 2020;  MODEL CSVJOB;  TIME 10 December 2026  13:46:52\n\n"
            "Parameter case number,Parameter case name,Time,T1\n"
            "1234,Hot case, 1.0000E+03\n");
}

// A header item that fails ends the header line; a row item that fails
// leaves that row short and the next row is whole.
TEST_F(CsvTest, FailingItemsCutTheHeaderAndTheRowShort) {
  int ierr = -1;
  PARHDC("(T1,ENBNDM,T3)", 1, kCsv, ierr);
  EXPECT_EQ(ierr, 3);
  EXPECT_BOXES((std::vector<Msg>{{"Unrecognised entity reference@ENBNDM", 4, "PRHCST"},
                                 {"Error processing CSV_ENTITIES at @ENBNDM", 3, "PARHDC"}}));
  // The status letter D is a fluid-only code for the heading, an invalid one for a row.
  PARCSV("(T1,D10,T3)", 5, 1, kCsv, ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_BOXES((std::vector<Msg>{{"Invalid or unrecognised entity type@D10", 2, "PRCNOD"}}));
  PARCSV("(T1,T3)", 6, 1, kCsv, ierr);
  EXPECT_EQ(table(),
            "NORVEK 2020;  MODEL CSVJOB;  TIME 10 December 2026  13:46:52\n\n"
            "Parameter case number,Parameter case name,Time,T1\n"
            "5,Hot case, 1.0000E+03, 1.000000E+01\n"
            "6,Hot case, 1.0000E+03, 1.000000E+01, 3.000000E+01\n");
  check_top();
}

// Messages of the item writers, each with its text, code and routine.
TEST_F(CsvTest, ItemWriterMessages) {
  struct Case {
    std::string list;
    bool header;
    std::vector<Msg> expect;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"(NOSUB:GAIN)", true,
       {{"Unrecognised submodel name@NOSUB:GAIN", 1, "PRHCST"},
        {"Error processing CSV_ENTITIES at @NOSUB:GAIN", 3, "PARHDC"}}},
      {"(INBNDM)", false, {{"Unrecognised constant name - INBNDM", 1, "PRCCCT"}}},
      {"(NOARR(1))", true,
       {{"Unrecognised array name@NOARR(1)", 3, "PRHARR"}, {"Error processing CSV_ENTITIES at @NOARR(1)", 3, "PARHDC"}}},
      {"(NOSUB:TAB(1,1))", false, {{"Unrecognised submodel name@NOSUB:TAB(1,1)", 1, "PRCARR"}}},
      {"(T(1,2))", true,
       {{"Invalid entity type - not a conductor", 1, "PRHCND"},
        {"No matching conductors found@T(1,2)", 2, "PRHCND"},
        {"Error processing CSV_ENTITIES at @T(1,2)", 3, "PARHDC"}}},
      {"(T(1,2))", false, {{"Invalid entity type - not a conductor@T(1,2)", 1, "PRCCND"}}},
      {"(GL(3,4,2))", true,
       {{"No matching conductors found@GL(3,4,2)", 2, "PRHCND"},
        {"Error processing CSV_ENTITIES at @GL(3,4,2)", 3, "PARHDC"}}},
      {"(GL(3,4,2))", false, {{"No matching conductors found@GL(3,4,2)", 3, "PRCCND"}}},
  };
  // clang-format on
  for (const Case& c : cases) {
    listing();
    reset_message_counters();
    int ierr = 0;
    if (c.header) {
      PARHDC(c.list, 1, kCsv, ierr);
      EXPECT_EQ(ierr, 3) << c.list;
    } else {
      PARCSV(c.list, 1, 1, kCsv, ierr);
      EXPECT_EQ(ierr, 0) << c.list;
    }
    const std::string got = listing();
    EXPECT_EQ(got, boxes(c.expect)) << c.list;
    check_top();
  }
}

// A name field holds 18 characters: a longer name names no constant or
// array, even when its first 18 characters are another one's whole name.
TEST_F(CsvTest, NamesLongerThanANameFieldNameNothing) {
  gar_userconstnames(1) = "GAINABCDEFGHIJKLMN";
  gar_arraynames(1) = "TABABCDEFGHIJKLMNO";
  int ierr = -1;
  PARHDC("(GAINABCDEFGHIJKLMN,TABABCDEFGHIJKLMNO(1,2))", 1, kCsv, ierr);
  EXPECT_EQ(ierr, 0);
  PARCSV("(GAINABCDEFGHIJKLMN,TABABCDEFGHIJKLMNO(1,2))", 1, 1, kCsv, ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(listing(), "");

  struct Case {
    std::string list;
    bool header;
    std::vector<Msg> expect;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"(GAINABCDEFGHIJKLMNX)", true,
       {{"Unrecognised entity reference@GAINABCDEFGHIJKLMNX", 4, "PRHCST"},
        {"Error processing CSV_ENTITIES at @GAINABCDEFGHIJKLMNX", 3, "PARHDC"}}},
      {"(GAINABCDEFGHIJKLMNX)", false, {{"Unrecognised constant name - GAINABCDEFGHIJKLMNX", 1, "PRCCCT"}}},
      {"(NLOOPXXXXXXXXXXXXXXX)", false, {{"Unrecognised constant name - NLOOPXXXXXXXXXXXXXXX", 1, "PRCCCT"}}},
      {"(TABABCDEFGHIJKLMNOX(1,2))", true,
       {{"Unrecognised array name@TABABCDEFGHIJKLMNOX(1,2)", 3, "PRHARR"},
        {"Error processing CSV_ENTITIES at @TABABCDEFGHIJKLMNOX(1,2)", 3, "PARHDC"}}},
      {"(TABABCDEFGHIJKLMNOX(1,2))", false, {{"Unrecognised array name@TABABCDEFGHIJKLMNOX(1,2)", 3, "PRCARR"}}},
  };
  // clang-format on
  for (const Case& c : cases) {
    listing();
    reset_message_counters();
    if (c.header) {
      PARHDC(c.list, 1, kCsv, ierr);
      EXPECT_EQ(ierr, 3) << c.list;
    } else {
      PARCSV(c.list, 1, 1, kCsv, ierr);
      EXPECT_EQ(ierr, 0) << c.list;
    }
    const std::string got = listing();
    EXPECT_EQ(got, boxes(c.expect)) << c.list;
    check_top();
  }
  EXPECT_NE(table().find("\"TABABCDEFGHIJKLMNO(1,2)\"\n1,Hot case, 1.0000E+03, 2.500000E+00, 2.000000E+00\n"),
            std::string::npos);
}

// GV over a model without view-factor conductors: one message per pair searched.
TEST_F(CsvTest, ViewFactorSearchInAModelWithoutAny) {
  int ierr = 0;
  PARHDC("(GV(1,2))", 1, kCsv, ierr);
  EXPECT_EQ(ierr, 3);
  EXPECT_BOXES((std::vector<Msg>{{"Error searching node pair list@Contact Central Support", 3, "PRHGGV"},
                                 {"No matching conductors found@GV(1,2)", 2, "PRHCND"},
                                 {"Error processing CSV_ENTITIES at @GV(1,2)", 3, "PARHDC"}}));
}

TEST_F(CsvTest, ListsWithoutBracketsAreRefused) {
  int ierr = 0;
  PARHDC("T1,T2", 1, kCsv, ierr);
  EXPECT_EQ(ierr, 1);
  EXPECT_BOXES((std::vector<Msg>{{"Entity list must be enclosed in brackets", 1, "PARHDC"}}));
  PARCSV("(T1,T2", 1, 1, kCsv, ierr);
  EXPECT_EQ(ierr, 1);
  EXPECT_BOXES((std::vector<Msg>{{"Entity list must be enclosed in brackets@(T1,T2", 1, "PARCSV"}}));
  // The heading lines are written whatever the list; a refused row writes nothing.
  EXPECT_EQ(table(), "NORVEK 2020;  MODEL CSVJOB;  TIME 10 December 2026  13:46:52\n\n");
}

TEST_F(CsvTest, WriteErrorsAreReportedWithTheirStatus) {
  plat::io::close_unit(kCsv);
  const std::string code = "      5003";
  int ierr = 0;
  PARCSV("(T1)", 1, 1, kCsv, ierr);
  EXPECT_EQ(ierr, 2);
  EXPECT_BOXES(
      (std::vector<Msg>{{"Error writing to csv file@Fortran I/O error code" + code + " returned", 2, "PARCSV"}}));
  PARHDC("(T1)", 1, kCsv, ierr);
  EXPECT_EQ(ierr, 2);
  EXPECT_BOXES(
      (std::vector<Msg>{{"Error writing to csv file@Fortran I/O error code" + code + " returned", 2, "PARHDC"}}));
  // Field writers use the long form.
  PRCCCR(1.0, kCsv, ierr);
  EXPECT_EQ(ierr, 1);
  EXPECT_BOXES(
      (std::vector<Msg>{{"Error writing to csv file@Fortran I/O error code" + code +
                             " returned. Possible causes are network error, disc full, or record being written "
                             "is too long.",
                         1, "PRCCCR"}}));
}

TEST_F(CsvTest, WorkSpaceShortage) {
  FLAGS(36) = kDystor - kNT - kNF;  // one word short of the node list
  int ierr = 0;
  PRHNOD("T", "1", 1, kCsv, ierr);
  EXPECT_EQ(ierr, 1);
  EXPECT_BOXES((std::vector<Msg>{{"Insufficient dynamic core@Increase DYSTOR", 1, "PRHNOD"}}));
  PRCNOD(2, "1", "T1", 1, kCsv, ierr);
  EXPECT_EQ(ierr, 1);
  EXPECT_BOXES((std::vector<Msg>{
      {"Insufficient dynamic core@Increase DYSTOR - another         1locations required", 1, "PRCNOD"}}));
  EXPECT_EQ(FLAGS(36), kDystor - kNT - kNF);
}

// An empty stored text (its delimiter right at its start) is a value like any
// other: written as two adjacent double quotes, and skipped by its length 0.
TEST_F(CsvTest, EmptyCharacterValuesAreWrittenAsEmptyTexts) {
  std::string stored;
  stored.push_back('\0');
  gar_userconstvalueschar(1) = stored;  // MODE holds the empty text
  int ierr = -1;
  PRCCST("MODE", 1, kCsv, ierr);
  EXPECT_EQ(ierr, 0);

  // A character array of three texts "AB", "" and "CD", as its pool holds them.
  std::string texts = "AB";
  texts.push_back('\0');
  texts.push_back('\0');
  texts += "CD";
  texts.push_back('\0');
  PoolElement pool[1];
  pool[0] = texts;
  const PoolView view(pool, 1);
  const int all[6] = {1, 3, 1, 1, 1, 1};
  PRCZA2(3, 1, 1, plat::Vec1<const int>(all, 6), 1, 1, view, kCsv, ierr);
  EXPECT_EQ(ierr, 0);
  PRCZA1(2, 1, 1, view, kCsv, ierr);
  EXPECT_EQ(ierr, 0);
  PRCZA1(3, 1, 1, view, kCsv, ierr);
  EXPECT_EQ(ierr, 0);
  plat::write_formatted(kCsv, "(1X)");
  EXPECT_EQ(listing(), "");
  EXPECT_EQ(table(), ",\"\",\"AB\",\"\",\"CD\",\"\",\"CD\"\n");
}

}  // namespace csvtest
