// Whole runs with a parameter-case file: the base case and the cases in file
// order, "!INITIAL" restores from the snapshot, "!FINAL" goes on, the
// options, per-case listings and CSV tables, and every way the file can make
// the run fail. Each run ends its process, so each runs in a child process.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "casedata/status_flag.h"
#include "child_run.h"
#include "core/control_constants.h"
#include "core/global_records.h"
#include "executive/run_driver.h"
#include "model/generated_program.h"
#include "modeldata/global_arrays.h"
#include "modeldata/node_lists.h"
#include "output/node_tables.h"
#include "parameters/parameter_cases.h"
#include "platform/units.h"
#include "support/state_test.h"
#include "support/test_env.h"
#include "support/test_model.h"
#include "thermal/crank_nicolson.h"
#include "tools/acd_writer.h"
#include "tools/mdb_writer.h"

namespace {

constexpr const char* kName = "PARMOD                  ";

using runtest::in_child;
using runtest::lines_of;
using runtest::Outcome;

int count_of(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

// Two thermal nodes joined by one GL conductor; temperatures 10 and 20.
void write_database() {
  mdbw::Database db;
  db.name = "PARMOD";
  auto& m = db.add_model("PARMOD", 0);
  std::vector<double> cc = {2, 0};
  for (int i = 0; i < 25; ++i) cc.push_back(0.0);
  cc[2 + 3] = 100;   // NLOOP
  cc[2 + 5] = 60;    // LENGTH
  cc[2 + 14] = 132;  // WIDTH
  cc[2 + 23] = 1;    // PRGFBK
  for (int i = 0; i < 49; ++i) cc.push_back(0.0);
  const std::vector<double> z = {0.0, 0.0};
  m.ints(1, {1, 2})
      .reals(2, {10.0, 20.0})
      .reals(3, {1.0, 1.0})
      .reals(4, z)
      .reals(5, z)
      .reals(6, z)
      .reals(7, z)
      .reals(8, z)
      .reals(9, z)
      .reals(10, z)
      .reals(11, z)
      .texts(12, 24, {"ONE", "TWO"})
      .texts(13, 1, {"D", "B"})
      .reals(14, {1.5})
      .texts(18, 1, {"A"})
      .control_constants(cc)
      .ints(69, {1, 2})
      .reals(72, z)
      .reals(73, z)
      .reals(74, z)
      .reals(96, z)
      .reals(97, z)
      .reals(98, z);
  db.write("PARMOD.MDB");
}

[[noreturn]] void run_model() {
  static constexpr int flags[41] = {2, 1, 0,  0, 0, 0,   0,    0, 0, 0, 2, 0, 49, 25, 16, 0, 92, 0, 0, 0, 0,
                                    0, 0, 64, 2, 1, 133, 1000, 1, 0, 0, 0, 0, 0,  0,  1,  0, 0,  0, 0, 0};
  for (int i = 1; i <= 41; ++i) FLAGS(i) = flags[i - 1];
  SVMNAM(kName);
  for (int i = 1; i <= 5; ++i) SPRSIZ(i) = i == 1 ? 1 : (i == 2 ? 3 : 0);
  MAINA(kName, 24);
  SUCCES();
}

// The user's blocks: INITIAL and EXECUTION note themselves and the
// temperature of node 1 on standard error; EXECUTION then raises it by 1 and
// makes one output point.
void note_blocks() {
  auto& m = tna_test::model;
  m.initial = [] { std::fputs("[I]", stderr); };
  m.execution = [] {
    std::fprintf(stderr, "[E %s %g]", std::string(GLOC.PARNAM.trimmed()).c_str(), gar_thermalnodetemps(1));
    gar_thermalnodetemps(1) += 1.0;
    GLOC.OUTIME = "ALL";
    OUTPUT();
  };
}

class ParameterRunTest : public tna_test::StateTest {
 protected:
  void SetUp() override {
    write_database();
    acdw::write_empty_case("PARMOD.acd");
  }
  void cases(const std::string& text) { std::ofstream("PARMOD.PAR", std::ios::binary) << text; }
  Outcome run() {
    return in_child([] {
      note_blocks();
      run_model();
    });
  }
  tna_test::ScratchDir dir{"parrun"};
};

constexpr const char* kReadFailure = " *** PROGRAM FAILS IN READING PARAMETERS FILE ***";

std::string banner(int number, const std::string& type, const std::string& title) {
  char no[8];
  std::snprintf(no, sizeof no, "%5d", number);
  std::string t = type, n = title;
  t.resize(8, ' ');
  n.resize(24, ' ');
  return " ########################################\n"
         " #                                      #\n"
         " # Parameter Case No.: " +
         std::string(no) +
         "            #\n"
         " # Type: " +
         t +
         "                       #\n"
         " # Title: " +
         n +
         "      #\n"
         " #                                      #\n"
         " ########################################\n"
         "\n"
         "\n";
}

TEST_F(ParameterRunTest, BaseCaseThenEveryCaseInFileOrder) {
  cases(
      "# cases of the test\n"
      "\n"
      "$PARAMETERS\n"
      "!INITIAL = 'Hot case'\n"
      "CHANGE T1 = 50\n"
      "  # between the statements\n"
      "!FINAL = 'Cold step'   # goes on from the hot case\n"
      "SCALE T1 * 2\n"
      "!INITIAL\n");
  const Outcome o = run();
  EXPECT_EQ(o.status, 0) << o.out;
  // The third case restores the snapshot: node 1 is back at 10.
  EXPECT_EQ(o.err, "[I][E ORIGINAL 10][I][E Hot case 50][E Cold step 102][I][E  10]");
  EXPECT_NE(o.out.find(banner(1, "!INITIAL", "Hot case") + " CHANGE  T1=50\n"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find(banner(2, "!FINAL", "Cold step") + " SCALE   T1*2\n"), std::string::npos);
  EXPECT_NE(o.out.find(banner(3, "!INITIAL", "")), std::string::npos);
  EXPECT_EQ(o.out.find("PROGRAM FAILS"), std::string::npos);
  EXPECT_FALSE(dir.exists("PARMOD.COM"));
  EXPECT_TRUE(dir.exists("PARMOD.PAR"));
}

TEST_F(ParameterRunTest, PerCaseListingsAndCsvTables) {
  cases(
      "$PARAMETERS, OUTPUT = MULTIPLE, CSV_OUTPUT=MULTIPLE, CSV_ENTITIES=(T1)\n"
      "!FINAL='Two words'\n"
      "CHANGE T1 = 40\n");
  const Outcome o = run();
  EXPECT_EQ(o.status, 0) << o.out;
  EXPECT_EQ(o.err, "[I][E ORIGINAL 10][E Two words 40]");
  // Everything of a case goes to its own listing.
  const std::string base = dir.read("PARMOD_PAR0000_ORIGINAL.out");
  const std::string case1 = dir.read("PARMOD_PAR0001_Two-words.out");
  EXPECT_EQ(base.find("Parameter Case No."), std::string::npos);
  EXPECT_NE(case1.find(banner(1, "!FINAL", "Two words") + " CHANGE  T1=40\n"), std::string::npos) << case1;
  EXPECT_EQ(o.out.find("Parameter Case No."), std::string::npos);
  // One table per case: heading, then the row of the output point.
  const auto t0 = lines_of(dir.read("PARMOD_PAR0000_ORIGINAL.csv"));
  const auto t1 = lines_of(dir.read("PARMOD_PAR0001_Two-words.csv"));
  ASSERT_EQ(t0.size(), 4u);
  ASSERT_EQ(t1.size(), 4u);
  EXPECT_EQ(t0[2].substr(0, 46), "Parameter case number,Parameter case name,Time");
  EXPECT_EQ(t0[2], t1[2]);
  // Node 1 after EXECUTION raised it by 1.
  EXPECT_EQ(t0[3], "0,ORIGINAL, 0.0000E+00, 1.100000E+01");
  EXPECT_EQ(t1[3], "1,Two words, 0.0000E+00, 4.100000E+01");
}

// A case name reaches file names only through the stem, which keeps letters,
// digits, ".", "_", "+" and "-" and no run of points: with a folder named
// like the case's stem present, every file of the case still lands in the run
// folder, and the name itself is unchanged in the banner and the table.
TEST_F(ParameterRunTest, CaseNamesNeverLeadOutOfTheRunFolder) {
  namespace fs = std::filesystem;
  auto entries = [&] {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  };
  fs::create_directory("run");
  const std::vector<std::string> before = entries();
  fs::current_path("run");
  write_database();
  acdw::write_empty_case("PARMOD.acd");
  fs::create_directory("PARMOD_PAR0001_x");
  cases(
      "$PARAMETERS,PARMONLY,OUTPUT=MULTIPLE,CSV_OUTPUT=MULTIPLE,CSV_ENTITIES=(T1),GFF_ENTITIES='NODES',"
      "TMD_ENTITIES='NODES'\n"
      "!FINAL='x/../../escape'\n");
  const Outcome o = run();
  fs::current_path("..");
  EXPECT_EQ(o.status, 0) << o.out;
  EXPECT_EQ(o.err, "[E x/../../escape 10]");
  EXPECT_EQ(entries(), before);
  const std::string stem = "run/PARMOD_PAR0001_x-------escape";
  for (const char* ext : {".out", ".csv", ".GFF", ".TMD"}) EXPECT_TRUE(dir.exists(stem + ext)) << ext;
  EXPECT_NE(dir.read(stem + ".out").find(banner(1, "!FINAL", "x/../../escape")), std::string::npos);
  const auto t = lines_of(dir.read(stem + ".csv"));
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[3], "1,x/../../escape, 0.0000E+00, 1.100000E+01");
}

// PARWRT writes the GFF line, then the TMD slice, then the CSV row: a result
// file that cannot be opened ends the run before the writers after it. Only
// the chosen block writes; any other block name is ignored.
TEST_F(ParameterRunTest, ResultFilesAreWrittenGffThenTmdThenCsv) {
  namespace fs = std::filesystem;
  cases("$PARAMETERS,PARMONLY,CSV_ENTITIES=(T1),GFF_ENTITIES='NODES',TMD_ENTITIES='NODES'\n!FINAL='A'\n");
  const std::string stem = "PARMOD_PAR0001_A";
  auto run_writing = [&] {
    return in_child([] {
      note_blocks();
      tna_test::model.execution = [] {
        for (const char* block : {"VARIABLES1", "VARIABLES2", "OUTPUT", "outputs", "EXECUTION"}) PARWRT(block);
        std::fputs("[ignored]", stderr);
        GLOC.OUTIME = "ALL";
        OUTPUT();
        std::fputs("[written]", stderr);
      };
      run_model();
    });
  };
  auto csv_rows = [&] { return lines_of(dir.read("PARMOD_PAR.csv")).size() - 3; };

  // Everything written, once.
  Outcome o = run_writing();
  EXPECT_EQ(o.status, 0) << o.out;
  EXPECT_EQ(o.err, "[ignored][written]");
  // The GFF records after its header (which holds the clock time of the run).
  auto gff_records = [&] {
    const std::string gff = dir.read(stem + ".GFF");
    const std::size_t end = gff.find("End_Header\n");
    return end == std::string::npos ? std::string() : gff.substr(end);
  };
  const std::string gff = gff_records();
  EXPECT_NE(gff.find("\"ONE\""), std::string::npos) << gff;
  EXPECT_TRUE(dir.exists(stem + ".GFF"));
  EXPECT_TRUE(dir.exists(stem + ".TMD"));
  EXPECT_EQ(csv_rows(), 1u);
  for (const char* ext : {".GFF", ".TMD"}) fs::remove(stem + ext);

  // The TMD file cannot be made: the GFF line is there, the CSV row is not.
  fs::create_directory(stem + ".TMD");
  o = run_writing();
  EXPECT_EQ(o.status, 1) << o.out;
  EXPECT_EQ(o.err.substr(0, 9), "[ignored]");  // HDF5 adds its own report
  EXPECT_EQ(o.err.find("[written]"), std::string::npos);
  EXPECT_NE(o.out.find("Failed to open file " + stem + ".TMD"), std::string::npos) << o.out;
  EXPECT_EQ(gff_records(), gff);
  EXPECT_EQ(csv_rows(), 0u);
  fs::remove(stem + ".GFF");
  fs::remove(stem + ".TMD");

  // The GFF file cannot be opened: no TMD file and no CSV row.
  fs::create_directory(stem + ".GFF");
  o = run_writing();
  EXPECT_EQ(o.status, 1) << o.out;
  EXPECT_EQ(o.err, "[ignored]");
  EXPECT_NE(o.out.find("Cannot open GFF file " + stem + ".GFF"), std::string::npos) << o.out;
  EXPECT_FALSE(dir.exists(stem + ".TMD"));
  EXPECT_EQ(csv_rows(), 0u);
}

// Node statuses changed by parameter cases, by the restore of an "!INITIAL"
// case and by user statements (which signal their change through the
// status-changed flag) reach the node lists that leave out inactive nodes,
// though the same request was answered before; the lists that include
// inactive nodes stay remembered. EXECUTION notes both lists of every case
// on standard error and prints a node table whose rows mark inactive nodes.
TEST_F(ParameterRunTest, StatusChangesReachNodeListsAndTables) {
  cases(
      "$PARAMETERS\n"
      "!FINAL = 'Off'\n"
      "CHANGE X1 = X\n"
      "!FINAL = 'On'\n"
      "CHANGE X1 = D\n"
      "!FINAL = 'User off'\n"
      "!FINAL = 'User on'\n"
      "!FINAL = 'Off again'\n"
      "CHANGE X1 = X\n"
      "!INITIAL = 'Restored'\n");
  const Outcome o = in_child([] {
    tna_test::model.execution = [] {
      const std::string name(GLOC.PARNAM.trimmed());
      // The user's statements of two cases: a status written directly, then
      // the change signalled.
      if (name == "User off" || name == "User on") {
        gar_thermalnodestatuses(1) = name == "User off" ? "X" : "D";
        stat_setstatst(1);
      }
      std::string note = "[" + name;
      for (int inclx : {0, 1}) {
        int list[2] = {0, 0}, count = 0, ierr = 0;
        LSCHND(1, 2, "THERMAL", inclx, "TEST", 1, " ", ierr, plat::Vec1<int>(list, 2), count);
        note += inclx == 0 ? ":" : " |";
        for (int k = 0; k < count; ++k) note += " " + std::to_string(list[k]);
        if (ierr != 0) note += " error";
      }
      std::fputs((note + "]").c_str(), stderr);
      PRNDTB(" ", "L", 1);
    };
    run_model();
  });
  EXPECT_EQ(o.status, 0) << o.out;
  EXPECT_EQ(o.err,
            "[ORIGINAL: 1 2 | 1 2][Off: 2 | 1 2][On: 1 2 | 1 2][User off: 2 | 1 2][User on: 1 2 | 1 2]"
            "[Off again: 2 | 1 2][Restored: 1 2 | 1 2]");
  // The rows of every table, case after case: node 1 is marked inactive
  // exactly in the cases that made it so, and both nodes are always listed.
  std::vector<std::string> rows;
  for (const std::string& l : lines_of(o.out)) {
    if (l.find("ONE") != std::string::npos || l.find("TWO") != std::string::npos)
      rows.push_back(l.substr(0, l.find_last_not_of(' ') + 1));
  }
  const std::string on1 = "            1    ONE", off1 = " X          1    ONE", row2 = "            2    TWO";
  const std::vector<std::string> expected = {on1,  row2, off1, row2, on1,  row2, off1,
                                             row2, on1,  row2, off1, row2, on1,  row2};
  EXPECT_EQ(rows, expected) << o.out;
}

TEST_F(ParameterRunTest, OneCsvTableForTheRunAndOutputsFromVariables2) {
  cases(
      "$PARAMETERS,CSV_ENTITIES=(T1),OUTPUT_FROM=VARIABLES2\n"
      "!FINAL='A'\n"
      "!FINAL='B'\n");
  const Outcome o = in_child([] {
    note_blocks();
    tna_test::model.execution = [] {
      OUTPUT();  // not the output point: nothing written
      V20001();
      V20001();
    };
    run_model();
  });
  EXPECT_EQ(o.status, 0) << o.out;
  const auto t = lines_of(dir.read("PARMOD_PAR.csv"));
  ASSERT_EQ(t.size(), 9u) << dir.read("PARMOD_PAR.csv");
  EXPECT_EQ(t[3].substr(0, 2), "0,");
  EXPECT_EQ(t[4].substr(0, 2), "0,");
  EXPECT_EQ(t[5].substr(0, 4), "1,A,");
  EXPECT_EQ(t[8].substr(0, 4), "2,B,");
}

TEST_F(ParameterRunTest, CsvWriteFailureEndsTheRunWithStatus1) {
  cases("$PARAMETERS,CSV_ENTITIES=(T1)\n");
  const Outcome o = in_child([] {
    tna_test::model.execution = [] {
      plat::io::close_unit(11);
      GLOC.OUTIME = "ALL";
      OUTPUT();
      std::fputs("[after]", stderr);
    };
    run_model();
  });
  EXPECT_EQ(o.status, 1) << o.out;
  EXPECT_EQ(o.err, "");
  EXPECT_FALSE(dir.exists("PARMOD.COM"));
}

// A batch system's time limit in the middle of a transient: the run ends at
// the next step through the close-down, and nothing it wrote is lost.
TEST_F(ParameterRunTest, TerminationSignalEndsATransientThroughTheCloseDown) {
  cases("$PARAMETERS,CSV_ENTITIES=(T1),OUTPUT_FROM=VARIABLES2\n");
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const Outcome o = runtest::in_child_while(
      [&] {
        ::close(ready[0]);
        tna_test::model.execution = [] {
          // Steps of 1 towards a time the run never reaches.
          GLOR.TIMEO = 0.0;
          GLOR.TIMEND = 1e9;
          GLOR.OUTINT = 1e9;
          GLOR.DTIMEI = GLOR.DTMIN = GLOR.DTMAX = 1.0;
          GLOR.DTPMAX = GLOR.DTROCA = 1e10;
          GLOR.RELXCA = 1e-6;
          SLCRNC();
        };
        tna_test::model.variables2 = [&] {
          if (GLOI.STEPCT == 5) {
            const char c = 1;
            if (::write(ready[1], &c, 1) != 1) ::_exit(97);
          }
        };
        run_model();
      },
      [&](pid_t pid) {
        ::close(ready[1]);
        pollfd p{ready[0], POLLIN, 0};
        char c = 0;
        if (::poll(&p, 1, 60000) == 1 && ::read(ready[0], &c, 1) == 1) ::kill(pid, SIGTERM);
        ::close(ready[0]);
      });
  EXPECT_EQ(o.signal, 0);
  EXPECT_EQ(o.status, 1) << o.out;
  // The listing says why and ends whole.
  const std::string stop = "\n\n *** RUN STOPPED BY SIGNAL SIGTERM ***\n\n\n";
  ASSERT_GE(o.out.size(), stop.size()) << o.out;
  EXPECT_EQ(o.out.substr(o.out.size() - stop.size()), stop);
  // Scratch files removed, the monitor closed with its EXIT row.
  EXPECT_FALSE(dir.exists("PARMOD.COM"));
  EXPECT_FALSE(dir.exists("PARMOD.DMP"));
  EXPECT_TRUE(dir.exists("PARMOD.PAR"));
  const auto mon = lines_of(dir.read("PARMOD.MON"));
  ASSERT_GE(mon.size(), 2u);
  EXPECT_EQ(mon.back().substr(8), ",  EXIT");
  // One CSV row per accepted step, as many as the monitor's step rows, each
  // whole.
  int steps = 0;
  for (const std::string& row : mon) steps += row.find(",   SOL,") != std::string::npos ? 1 : 0;
  const std::string csv = dir.read("PARMOD_PAR.csv");
  ASSERT_FALSE(csv.empty());
  EXPECT_EQ(csv.back(), '\n');
  const auto t = lines_of(csv);
  ASSERT_GE(t.size(), 3u + 5u) << csv;
  EXPECT_EQ(static_cast<int>(t.size()) - 3, steps);
  for (std::size_t i = 3; i < t.size(); ++i) {
    EXPECT_EQ(t[i].substr(0, 11), "0,ORIGINAL,") << t[i];
    EXPECT_EQ(t[i].size(), t[3].size()) << t[i];
  }
}

// A process killed outright (SIGKILL, a second signal) has no close-down:
// the CSV rows it wrote are on disk all the same.
TEST_F(ParameterRunTest, CsvRowsAreOnDiskAsSoonAsWritten) {
  cases("$PARAMETERS,CSV_ENTITIES=(T1),OUTPUT_FROM=VARIABLES2\n");
  const Outcome o = in_child([] {
    tna_test::model.execution = [] {
      for (int i = 0; i < 4; ++i) V20001();
      std::raise(SIGKILL);
    };
    run_model();
  });
  EXPECT_EQ(o.signal, SIGKILL);
  const std::string csv = dir.read("PARMOD_PAR.csv");
  const auto t = lines_of(csv);
  ASSERT_EQ(t.size(), 3u + 4u) << csv;
  EXPECT_EQ(t[2].substr(0, 46), "Parameter case number,Parameter case name,Time");
  EXPECT_EQ(csv.back(), '\n');
}

TEST_F(ParameterRunTest, CheckReadsEveryCaseAndRunsNothing) {
  cases(
      "$PARAMETERS,CHECK\n"
      "!INITIAL='One'\n"
      "CHANGE T1 = X\n"
      "!FINAL='Two'\n"
      "CHANGE T1 = 5\n");
  const Outcome o = run();
  EXPECT_EQ(o.status, 0) << o.out;  // the last case had no error
  EXPECT_EQ(o.err, "");
  EXPECT_NE(o.out.find(banner(1, "!INITIAL", "One")), std::string::npos);
  EXPECT_NE(o.out.find(banner(2, "!FINAL", "Two") + " CHANGE  T1=5\n"), std::string::npos);
  EXPECT_NE(o.out.find("Assigned value is not recognised as a real"), std::string::npos);
  EXPECT_FALSE(dir.exists("PARMOD_PAR0000_ORIGINAL.out"));
}

TEST_F(ParameterRunTest, ParmonlyWithAFinalCaseRunsNoInitialBlock) {
  cases("$PARAMETERS,PARMONLY\n!FINAL='Only'\nCHANGE T2 = 7\n");
  const Outcome o = run();
  EXPECT_EQ(o.status, 0) << o.out;
  EXPECT_EQ(o.err, "[E Only 10]");
}

struct FailingFile {
  std::string text;
  std::string err;      // the blocks that ran
  std::string message;  // part of the diagnostic
};

TEST_F(ParameterRunTest, FilesThatFailEndWithTheReadingBanner) {
  const std::vector<FailingFile> files = {
      {"", "", "Fortran I/O error   -1"},
      {"\n  # only comments\n\n", "", "Fortran I/O error   -1"},
      {"$PARAMETERS\n# no case\n", "[I][E ORIGINAL 10]", "Fortran I/O error   -1"},
      {"$PARAMETERS,OUTPUT=LOTS\n!FINAL\n", "", "Unrecognised OUTPUT"},
      {"PARAMETERS\n", "", "Unrecognised statement"},
      {"$PARAMETERS\nCHANGE T1 = 5\n", "[I][E ORIGINAL 10]", "Unrecognised Parameter Case type"},
      {"$PARAMETERS\n!FINALX='A'\n", "[I][E ORIGINAL 10]", "!FINALX"},
      // Text beyond column 256: the options record and the first header fail
      // as read errors; a later header ends the case read so far unrun.
      {"$PARAMETERS,PARMONLY" + std::string(250, ' ') + "X\n!FINAL\n", "", "Line longer than 256 characters"},
      {"$PARAMETERS\n!FINAL='" + std::string(260, 'A') + "'\n", "[I][E ORIGINAL 10]",
       "Line longer than 256 characters"},
      {"$PARAMETERS\n!FINAL='A'\nCHANGE T1 = 5\n!FINAL='" + std::string(260, 'B') + "'\n", "[I][E ORIGINAL 10]",
       "Line longer than 256 characters"},
      {"$PARAMETERS\n!FINAL='A'\nCHANGE T1 = 5" + std::string(250, ' ') + "0\n", "[I][E ORIGINAL 10]",
       "Line longer than 256 characters"},
      // A statement in error: the case does not run, nor any after it.
      {"$PARAMETERS\n!FINAL='A'\nCHANGE T1 = 'X'\n!FINAL='B'\n", "[I][E ORIGINAL 10]",
       "Assigned value is not recognised as a real"},
  };
  for (const auto& f : files) {
    SCOPED_TRACE(f.text);
    cases(f.text);
    const Outcome o = run();
    EXPECT_EQ(o.status, 1) << o.out;
    EXPECT_EQ(o.err, f.err);
    EXPECT_NE(o.out.find(f.message), std::string::npos) << o.out;
    EXPECT_NE(o.out.find(kReadFailure), std::string::npos) << o.out;
  }
}

TEST_F(ParameterRunTest, InitialisePrefixIsAnInitialCase) {
  cases("$PARAMETERS,PARMONLY\n!INITIALISE='X'\n");
  const Outcome o = run();
  EXPECT_EQ(o.status, 0) << o.out;
  EXPECT_EQ(o.err, "[I][E X 10]");
}

// A case name that is not quoted is reported and the case runs under the
// name it had; each case starts with line count 1 and EBUFFI words 4 to 6
// cleared, whatever the run before it left.
TEST_F(ParameterRunTest, UnquotedNameKeepsThePreviousNameAndEachCaseStartsClean) {
  cases("$PARAMETERS\n!FINAL='A'\n!FINAL=B\n");
  const Outcome o = in_child([] {
    note_blocks();
    tna_test::model.execution = [] {
      std::fprintf(stderr, "[E %s %d %d %d %d]", std::string(GLOC.PARNAM.trimmed()).c_str(), PRTINF(2), EBUFFI(4),
                   EBUFFI(5), EBUFFI(6));
      PRTINF(2) = 40;
      for (int w = 4; w <= 6; ++w) EBUFFI(w) = 9;
    };
    run_model();
  });
  EXPECT_EQ(o.status, 0) << o.out;
  EXPECT_EQ(o.err.substr(o.err.find("[E A")), "[E A 1 0 0 0][E A 1 0 0 0]");
  EXPECT_NE(o.out.find("String is not delimited with single quotes"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find(">>B<<"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find(banner(2, "!FINAL", "A")), std::string::npos) << o.out;
}

TEST_F(ParameterRunTest, The10000thCaseIsRefused) {
  std::string text = "$PARAMETERS,CHECK\n";
  for (int i = 0; i < 10000; ++i) text += "!FINAL\n";
  cases(text);
  const Outcome o = run();
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(count_of(o.out, "# Parameter Case No.:"), 9999);
  EXPECT_NE(o.out.find("Too many parameter cases in a single run"), std::string::npos);
  EXPECT_NE(o.out.find(kReadFailure), std::string::npos);
}

}  // namespace
