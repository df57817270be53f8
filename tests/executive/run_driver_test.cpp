// The run driver end to end with the test model program: set-up with the
// model database load, the blocks in order, the run files, the banners, the
// stop request and both ends of a run. Every run ends its process, so each
// runs in a child process whose standard output goes to a file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "child_run.h"
#include "core/control_constants.h"
#include "core/global_records.h"
#include "executive/run_driver.h"
#include "model/generated_program.h"
#include "modeldata/global_arrays.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/state_test.h"
#include "support/test_env.h"
#include "support/test_model.h"
#include "tools/acd_writer.h"
#include "tools/mdb_writer.h"

namespace {

constexpr const char* kName = "RUNMOD                  ";

using runtest::in_child;
using runtest::lines_of;
using runtest::Outcome;

// Control-constant values in file order: NODES, NODESM, the integers, the reals.
std::vector<double> constants(int prgfbk) {
  std::vector<double> v = {2, 0};
  for (int i = 0; i < 25; ++i) v.push_back(0.0);
  v[2 + 3] = 100;      // NLOOP
  v[2 + 5] = 60;       // LENGTH
  v[2 + 14] = 132;     // WIDTH
  v[2 + 23] = prgfbk;  // PRGFBK
  for (int i = 0; i < 49; ++i) v.push_back(0.0);
  return v;
}

// Two thermal nodes joined by one GL conductor.
void write_database(int prgfbk = 1) {
  mdbw::Database db;
  db.name = "RUNMOD";
  auto& m = db.add_model("RUNMOD", 0);
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
      .control_constants(constants(prgfbk))
      .ints(69, {1, 2})
      .reals(72, z)
      .reals(73, z)
      .reals(74, z)
      .reals(96, z)
      .reals(97, z)
      .reals(98, z);
  db.write("RUNMOD.MDB");
}

// What the entry of the generated program does.
[[noreturn]] void run_model() {
  static constexpr int flags[41] = {2, 1, 0,  0, 0, 0,   0,    0, 0, 0, 2, 0, 49, 25, 16, 0, 92, 0, 0, 0, 0,
                                    0, 0, 64, 2, 1, 133, 1000, 1, 0, 0, 0, 0, 0,  0,  1,  0, 0,  0, 0, 0};
  for (int i = 1; i <= 41; ++i) FLAGS(i) = flags[i - 1];
  SVMNAM(kName);
  for (int i = 1; i <= 5; ++i) SPRSIZ(i) = i == 1 ? 1 : (i == 2 ? 3 : 0);
  MAINA(kName, 24);
  SUCCES();
}

class RunTest : public tna_test::StateTest {
 protected:
  tna_test::ScratchDir dir{"run"};
};

constexpr const char* kBanner1 =
    "\n"
    " *** PROGRAM FAILS TO FIND OR LOAD FROM DATABASE ***\n"
    "       *** CONTACT NORVEK CENTRAL SUPPORT ***\n"
    "\n"
    "\n";

TEST_F(RunTest, MissingDatabasePrintsBanner1AndFails) {
  acdw::write_empty_case("RUNMOD.acd");
  const Outcome o = in_child(run_model);
  EXPECT_EQ(o.status, 1);  // a run that failed does not report success
  EXPECT_EQ(o.out, kBanner1);
  for (const char* f : {"RUNMOD.DMP", "RUNMOD.MON", "RUNMOD.TRA"}) EXPECT_FALSE(dir.exists(f)) << f;
}

TEST_F(RunTest, MissingDatabaseAndCaseFileStillEndWithBanner1) {
  const Outcome o = in_child(run_model);
  EXPECT_EQ(o.status, 1);
  ASSERT_GE(o.out.size(), std::string(kBanner1).size());
  EXPECT_NE(o.out.find("Cannot open ACD file"), std::string::npos) << o.out;
  EXPECT_EQ(o.out.substr(o.out.size() - std::string(kBanner1).size()), kBanner1);
  EXPECT_FALSE(dir.exists("RUNMOD.MON"));
}

TEST_F(RunTest, ModelRunsItsBlocksInOrderAndEndsWithStatus0) {
  write_database();
  acdw::write_empty_case("RUNMOD.acd");
  const Outcome o = in_child([] {
    auto& m = tna_test::model;
    auto say = [](const char* what) { std::fprintf(stderr, "[%s]", what); };
    m.initial = [=] { say("INITIAL"); };
    m.execution = [=] {
      say("EXECUTION");
      GLOC.SOLVER = "SSTH";
      GLOI.LOOPCT = 1;
      V10001();
      V20001();
      OUTPUT();
      GLOC.OUTIME = "NONE";
      OUTPUT();  // does nothing
      std::fprintf(stderr, "[STEPCT=%d]", GLOI.STEPCT);
    };
    m.variables1 = [=] { say(GLOC.OPBLOK.trimmed() == "VARIABLES1" ? "VARIABLES1" : "V1?"); };
    m.variables2 = [=] { say(GLOC.OPBLOK.trimmed() == "VARIABLES2" ? "VARIABLES2" : "V2?"); };
    m.outputs = [=] { say(GLOC.OPBLOK.trimmed() == "OUTPUTS" ? "OUTPUTS" : "O?"); };
    m.hook = [=](bool& flag) { say(flag ? "HOOK+" : "HOOK-"); };
    run_model();
  });
  EXPECT_EQ(o.status, 0) << o.out << o.err;
  EXPECT_EQ(o.err, "[HOOK+][INITIAL][EXECUTION][VARIABLES1][HOOK-][VARIABLES2][OUTPUTS][STEPCT=1]");
  EXPECT_FALSE(dir.exists("RUNMOD.DMP"));
  EXPECT_TRUE(dir.exists("RUNMOD.TRA"));
  EXPECT_FALSE(dir.exists("RUNMOD.COM"));  // no parameter-case file
  const auto mon = lines_of(dir.read("RUNMOD.MON"));
  ASSERT_EQ(mon.size(), 4u) << dir.read("RUNMOD.MON");
  EXPECT_EQ(mon[0].substr(0, 30), "RealTime,Status,MODULE,SOLVER,");
  EXPECT_EQ(mon[1].substr(8, 18), ",   SOL,,  SSTH, 0");
  EXPECT_EQ(mon[2].substr(8, 7), ",   END");
  EXPECT_EQ(mon[3].substr(8), ",  EXIT");
}

TEST_F(RunTest, StopRequestEndsTheRunAtTheFirstVariables1) {
  write_database();
  acdw::write_empty_case("RUNMOD.acd");
  { std::ofstream("RUNMOD.kill") << ""; }
  const Outcome o = in_child([] {
    tna_test::model.execution = [] { V10001(); };
    tna_test::model.variables1 = [] { std::fputs("[VARIABLES1 statements]", stderr); };
    run_model();
  });
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "");
  EXPECT_TRUE(dir.exists("RUNMOD.kill"));
  EXPECT_FALSE(dir.exists("RUNMOD.DMP"));
  const auto mon = lines_of(dir.read("RUNMOD.MON"));
  ASSERT_FALSE(mon.empty());
  EXPECT_EQ(mon.back().substr(8), ",  EXIT");
}

TEST_F(RunTest, ParameterFileGivesASnapshotThatTheCloseDownDeletes) {
  write_database();
  acdw::write_empty_case("RUNMOD.acd");
  // The base case and one case continuing from it.
  { std::ofstream("RUNMOD.PAR") << "$PARAMETERS\n!FINAL\n"; }
  const Outcome o = in_child([] {
    tna_test::model.execution = [] {
      std::fprintf(stderr, "[COM %s]", std::ifstream("RUNMOD.COM") ? "present" : "absent");
    };
    run_model();
  });
  EXPECT_EQ(o.status, 0) << o.out;
  EXPECT_EQ(o.err, "[COM present][COM present]");
  EXPECT_FALSE(dir.exists("RUNMOD.COM"));
  EXPECT_TRUE(dir.exists("RUNMOD.PAR"));
}

TEST_F(RunTest, MissingCaseFileIsFatalAfterTheMonitorOpened) {
  write_database();
  const Outcome o = in_child(run_model);
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.out.find("Initialising ACD Arrays Load"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("Initialising ACD Solution Manager"), std::string::npos) << o.out;
  EXPECT_EQ(o.out.find("PROGRAM FAILS"), std::string::npos);
  EXPECT_FALSE(dir.exists("RUNMOD.DMP"));
  const auto mon = lines_of(dir.read("RUNMOD.MON"));
  ASSERT_EQ(mon.size(), 2u);
  EXPECT_EQ(mon[1].substr(8), ",  EXIT");
}

TEST_F(RunTest, RunFileThatCannotBeOpenedGivesItsBoxThenTheBanner) {
  // A directory in the place of a run file makes its open fail with EISDIR;
  // the banner is then the one of that error number.
  struct Case {
    const char* blocked;
    bool with_par;
    bool monitor;  // the monitor was opened before the failing step
  };
  const Case cases[] = {
      {"RUNMOD.DMP", false, false},
      {"RUNMOD.TRA", false, true},
      {"RUNMOD.PAR", false, true},  // it exists, so it is opened, and that fails
      {"RUNMOD.COM", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.blocked);
    write_database();
    acdw::write_empty_case("RUNMOD.acd");
    if (c.with_par) std::ofstream("RUNMOD.PAR") << "# no cases\n";
    ASSERT_EQ(::mkdir(c.blocked, 0755), 0);
    const Outcome o = in_child([] {
      tna_test::model.execution = [] { std::fputs("[EXECUTION]", stderr); };
      run_model();
    });
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "");  // no case ran
    const std::size_t box = o.out.find("Error opening file");
    ASSERT_NE(box, std::string::npos) << o.out;
    EXPECT_NE(o.out.find(std::string("File name = \"") + c.blocked + "\""), std::string::npos) << o.out;
    ASSERT_GT(EISDIR, 6);  // a number without a banner of its own
    const std::string banner = "\n\n *** FAILURE IN NORVEK GENERATED PROGRAM ***\n\n\n";
    ASSERT_GE(o.out.size(), banner.size());
    EXPECT_EQ(o.out.substr(o.out.size() - banner.size()), banner);
    if (std::string(c.blocked) != "RUNMOD.DMP") {
      EXPECT_FALSE(dir.exists("RUNMOD.DMP"));  // deleted at close-down
    }
    EXPECT_FALSE(std::string(c.blocked) != "RUNMOD.COM" && dir.exists("RUNMOD.COM"));
    EXPECT_EQ(dir.exists("RUNMOD.MON"), c.monitor);
    if (c.monitor) {
      EXPECT_EQ(lines_of(dir.read("RUNMOD.MON")).back().substr(8), ",  EXIT");
    }
    if (c.with_par) {
      EXPECT_TRUE(dir.exists("RUNMOD.PAR"));
    }
    ::rmdir(c.blocked);
    for (const char* f : {"RUNMOD.MON", "RUNMOD.TRA", "RUNMOD.PAR", "RUNMOD.COM", "RUNMOD.DMP"}) std::remove(f);
  }
}

TEST_F(RunTest, BannersByStatus) {
  struct Case {
    int status;
    const char* text;
  };
  const Case cases[] = {
      {2, " *** PROGRAM FAILS TO FIND PARAMETERS FILE ***"},
      {3, " *** PROGRAM FAILS TO OPEN SCRATCH FILE ***"},
      {4, " *** PROGRAM FAILS IN USING SCRATCH FILE ***"},
      {5, " *** PROGRAM FAILS IN READING PARAMETERS FILE ***"},
      {6, " *** PROGRAM FAILS TO RESTORE OR CHANGE COMMONS ***"},
      {13, " *** FAILURE IN NORVEK GENERATED PROGRAM ***"},
      {-1, " *** FAILURE IN NORVEK GENERATED PROGRAM ***"},
  };
  for (const Case& c : cases) {
    const Outcome o = in_child([&] {
      print_failure_banner(c.status);
      SUCCES();
    });
    EXPECT_EQ(o.out, std::string("\n\n") + c.text + "\n\n\n") << c.status;
    EXPECT_EQ(o.status, 1) << c.status;
  }
}

TEST_F(RunTest, StopRequestFileIsNamedByTheTrimmedStem) {
  struct Case {
    const char* model;
    const char* kill;
  };
  const Case cases[] = {{"AB", "AB.kill"}, {"A B", "A B.kill"}, {"LONGMODELNAME", "LONGMODE.kill"}};
  for (const Case& c : cases) {
    const Outcome none = in_child([&] {
      gfl_setmodelname(c.model);
      CHKTRM();
      plat::exit_process(7);
    });
    EXPECT_EQ(none.status, 7) << c.model;
    { std::ofstream(c.kill) << ""; }
    const Outcome stop = in_child([&] {
      gfl_setmodelname(c.model);
      CHKTRM();
      plat::exit_process(7);
    });
    EXPECT_EQ(stop.status, 1) << c.model;
    EXPECT_EQ(stop.out, "") << c.model;
    EXPECT_TRUE(dir.exists(c.kill));
    std::remove(c.kill);
  }
}

TEST(RunSetup, PrintRecordsAfterSetUp) {
  PRTINF(2) = 40;
  EBUFFI(50) = 3;
  EBUFFC(7) = "XYZ";
  PPLLOT(200) = 9;
  SLDINB();
  EXPECT_EQ(PRTINF(1), 60);
  EXPECT_EQ(PRTINF(2), 1);
  EXPECT_EQ(PRTINF(3), 6);
  EXPECT_EQ(PRTINF(4), 1);
  EXPECT_EQ(EBUFFI(1), 6);
  EXPECT_EQ(EBUFFI(2), 3);
  EXPECT_EQ(EBUFFI(3), 4);
  EXPECT_EQ(EBUFFI(50), 0);
  EXPECT_EQ(EBUFFC(7).trimmed(), "");
  EXPECT_EQ(PPLLOT(1), 0);
  EXPECT_EQ(PPLLOT(2), 4);
  EXPECT_EQ(PPLLOT(200), 0);
}

}  // namespace
