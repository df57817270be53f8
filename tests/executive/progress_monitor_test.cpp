// Progress monitor: header, row selection for steady-state and transient
// sequences, number forms (against a gfortran golden table), the EXIT row and
// the consistency stop on a wrong block name.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "child_run.h"
#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/global_records.h"
#include "executive/progress_monitor.h"
#include "platform/process.h"
#include "support/state_test.h"
#include "support/test_env.h"

namespace {

constexpr const char* kThermalHeader =
    "RealTime,Status,MODULE,SOLVER,                 TIMEN,                TIMEND,                DTIMEU,    "
    "STEPCT,    LOOPCT,     NLOOP,                RELXCC,                RELXCA,                ENBNDM,      "
    "          INBNDM,                ENBALA,                INBALA,                ENBALR,                "
    "INBALR";
constexpr const char* kFluidHeader =
    "RealTime,Status,MODULE,SOLVER,                 TIMEN,                TIMEND,                DTIMEU,    "
    "STEPCT,    LOOPCT,     NLOOP,    SUMTHL,    NLOOPT,    SUMFLL,    NLOOPH,                RELXCC,      "
    "          RELXCA,                FRLXCC,                FRLXCA,                RELXMC,                "
    "RELXMA,                ENBNDM,                INBNDM,                ENBALA,                INBALA,     "
    "           ENBALR,                INBALR";

using runtest::lines_of;

class MonitorTest : public tna_test::StateTest {
 protected:
  void SetUp() override {
    plat::set_exit_throws(true);
    plat::DateTime t;
    t.year = 2024, t.month = 5, t.day = 17, t.hour = 9, t.minute = 5, t.second = 7;
    plat::set_fixed_clock(&t);
    GLOR = GlorRecord();
    GLOI = GloiRecord();
    GLOC = GlocRecord();
    FLAGS(32) = 0;
  }
  void TearDown() override {
    plat::set_fixed_clock(nullptr);
    plat::set_exit_throws(false);
    FLAGS(32) = 0;
    GLOR = GlorRecord();
    GLOI = GloiRecord();
    GLOC = GlocRecord();
  }
  // Calls the monitor from the named block.
  static void from(const char* block) {
    GLOC.OPBLOK = block;
    PRMUPD();
    GLOC.OPBLOK = "";
  }
  tna_test::ScratchDir dir{"mon"};
};

TEST(MonitorFields, MatchGfortranGoldenTable) {
  std::ifstream in(tna_test::data_path("run/monitor_fields.txt"));
  ASSERT_TRUE(in) << "golden table missing";
  int reals = 0, ints = 0;
  for (std::string line; std::getline(in, line);) {
    const std::size_t bar = line.find('|');
    const std::string field = line.substr(bar + 1, line.rfind('|') - bar - 1);
    if (line[0] == 'R') {
      const std::uint64_t bits = std::stoull(line.substr(2, 16), nullptr, 16);
      double v;
      std::memcpy(&v, &bits, sizeof v);
      EXPECT_EQ(prm::real_field(v), field) << line;
      ++reals;
    } else {
      const int v = static_cast<int>(std::stoll(line.substr(2, bar - 3)));
      EXPECT_EQ(prm::int_field(v), field) << line;
      ++ints;
    }
  }
  EXPECT_GT(reals, 0);
  EXPECT_GT(ints, 0);
}

TEST(MonitorFields, UndefinedRealIsWrittenAsZero) {
  double undefined = 0.0;
  std::int32_t marker = 2147483647;
  std::memcpy(&undefined, &marker, sizeof marker);
  ASSERT_TRUE(SDUNDF(undefined));
  EXPECT_EQ(prm::real_field(undefined), " 0.000000000000000E+00");
  EXPECT_EQ(prm::int_field(2147483647), "2147483647");
}

TEST(MonitorFields, NonFiniteValuesAsGfortranWritesThem) {
  // gfortran's ES22.15 output of these values.
  struct Case {
    double v;
    const char* field;
  };
  const Case cases[] = {
      {std::numeric_limits<double>::infinity(), "              Infinity"},
      {-std::numeric_limits<double>::infinity(), "             -Infinity"},
      {std::numeric_limits<double>::quiet_NaN(), "                   NaN"},
      {-std::numeric_limits<double>::quiet_NaN(), "                   NaN"},
  };
  for (const auto& c : cases) EXPECT_EQ(prm::real_field(c.v), c.field) << c.v;
}

TEST_F(MonitorTest, SteadyStateRowsPerIterationAndEndRow) {
  prm_open("PLATE.MON");
  GLOI.PRGFBK = 1;
  GLOC.MODULE = "SOLVFM";
  GLOC.SOLVER = "SSTH";
  GLOI.NLOOP = 100;
  GLOR.RELXCA = 0.01f;
  GLOR.RELXCC = 0.5;
  for (int pass = 1; pass <= 3; ++pass) {
    GLOI.LOOPCT = pass;
    from("VARIABLES1");
  }
  GLOI.LOOPCT = 0;  // a zero count is no multiple
  from("VARIABLES1");
  GLOI.LOOPCT = 3;
  GLOI.STEPCT = 7;
  from("VARIABLES2");
  prm_close();

  const auto l = lines_of(dir.read("PLATE.MON"));
  ASSERT_EQ(l.size(), 6u);
  EXPECT_EQ(l[0], kThermalHeader);
  EXPECT_EQ(l[1],
            "09:05:07,   SOL,SOLVFM,  SSTH, 0.000000000000000E+00, 0.000000000000000E+00, 0.000000000000000E+00,"
            "         0,         1,       100, 5.000000000000000E-01, 9.999999776482582E-03,"
            " 0.000000000000000E+00, 0.000000000000000E+00, 0.000000000000000E+00, 0.000000000000000E+00,"
            " 0.000000000000000E+00, 0.000000000000000E+00");
  EXPECT_NE(l[2].find(",         0,         2,       100,"), std::string::npos) << l[2];
  EXPECT_EQ(l[4].substr(0, 30), "09:05:07,   END,SOLVFM,  SSTH,");
  EXPECT_NE(l[4].find(",         7,         3,       100,"), std::string::npos) << l[4];
  EXPECT_EQ(l[5], "09:05:07,  EXIT");
}

TEST_F(MonitorTest, TransientRowsEveryTenthStepAndAtTheEnd) {
  prm_open("PLATE.MON");
  GLOI.PRGFBK = 10;
  GLOC.MODULE = "SLCRNC";
  GLOC.SOLVER = "TRTH";
  GLOR.TIMEND = 100.0;
  GLOR.DTIMEU = 4.0;
  for (int step = 1; step <= 25; ++step) {
    GLOI.LOOPCT = 10;  // VARIABLES1 passes of a transient write nothing
    from("VARIABLES1");
    GLOI.STEPCT = step;
    GLOR.TIMEN = 4.0 * step;
    from("VARIABLES2");
  }
  prm_close();
  const auto l = lines_of(dir.read("PLATE.MON"));
  ASSERT_EQ(l.size(), 5u);
  EXPECT_EQ(l[1].substr(0, 30), "09:05:07,   SOL,SLCRNC,  TRTH,");
  EXPECT_NE(l[1].find(" 4.000000000000000E+01, 1.000000000000000E+02, 4.000000000000000E+00,        10,"),
            std::string::npos)
      << l[1];
  EXPECT_NE(l[2].find(",        20,"), std::string::npos) << l[2];
  EXPECT_EQ(l[3].substr(0, 30), "09:05:07,   END,SLCRNC,  TRTH,");
  EXPECT_NE(l[3].find(" 1.000000000000000E+02, 1.000000000000000E+02,"), std::string::npos) << l[3];
  EXPECT_EQ(l[4], "09:05:07,  EXIT");
}

TEST_F(MonitorTest, OffWithZeroIntervalAndUndefinedIntervalStillEnds) {
  prm_open("A.MON");
  GLOC.SOLVER = "SSTH";
  GLOI.LOOPCT = 1;
  from("VARIABLES1");
  from("VARIABLES2");
  prm_close();
  auto l = lines_of(dir.read("A.MON"));
  ASSERT_EQ(l.size(), 2u);
  EXPECT_EQ(l[1], "09:05:07,  EXIT");

  prm_open("B.MON");
  GLOI.PRGFBK = 2147483647;
  GLOC.SOLVER = "TRTH";
  GLOI.STEPCT = 50;
  GLOR.TIMEN = 1.0;
  GLOR.TIMEND = 2.0;
  from("VARIABLES2");  // no SOL row
  GLOR.TIMEN = 2.0;
  from("VARIABLES2");  // END row
  prm_close();
  l = lines_of(dir.read("B.MON"));
  ASSERT_EQ(l.size(), 3u);
  EXPECT_EQ(l[1].substr(0, 16), "09:05:07,   END,");
}

TEST_F(MonitorTest, BlankTextFieldsLeaveEmptyFieldsAndUndefinedValues) {
  prm_open("C.MON");
  GLOI.PRGFBK = 1;
  GLOC.SOLVER = "SS";
  GLOI.LOOPCT = 1;
  GLOI.NLOOP = 2147483647;
  std::int32_t marker = 2147483647;
  std::memcpy(&GLOR.RELXCC, &marker, sizeof marker);
  from("VARIABLES1");
  prm_close();
  const auto l = lines_of(dir.read("C.MON"));
  ASSERT_EQ(l.size(), 3u);
  EXPECT_EQ(l[1].substr(0, 26), "09:05:07,   SOL,,    SS, 0");
  EXPECT_NE(l[1].find(",2147483647, 0.000000000000000E+00,"), std::string::npos) << l[1];
}

TEST_F(MonitorTest, FluidModelHasFluidColumnsAndCountsFluidPasses) {
  FLAGS(32) = 3;
  prm_open("F.MON");
  GLOI.PRGFBK = 5;
  GLOC.MODULE = "FLTNTS";
  GLOC.SOLVER = "SSFL";
  GLOI.LOOPCT = 3;
  GLOI.SUMFLL = 10;
  GLOI.SUMTHL = 7;
  from("VARIABLES1");  // SUMFLL is a multiple of 5
  GLOI.SUMFLL = 11;
  from("VARIABLES1");  // nothing is a multiple of 5
  GLOI.SUMTHL = 15;
  from("VARIABLES1");  // SUMTHL is
  prm_close();
  const auto l = lines_of(dir.read("F.MON"));
  ASSERT_EQ(l.size(), 4u);
  EXPECT_EQ(l[0], kFluidHeader);
  EXPECT_NE(l[1].find(",         3,         0,         7,         0,        10,         0,"), std::string::npos)
      << l[1];
  EXPECT_NE(l[2].find(",        15,         0,        11,         0,"), std::string::npos) << l[2];
  // 4 text + 3 real + 7 integer + 12 real fields
  EXPECT_EQ(std::count(l[1].begin(), l[1].end(), ','), 25);
}

TEST_F(MonitorTest, CloseWithoutOpenWritesNothing) {
  prm_close();
  EXPECT_FALSE(dir.exists("PLATE.MON"));
}

TEST(MonitorDeath, WrongBlockIsAConsistencyStop) {
  EXPECT_EXIT(
      {
        GLOI.PRGFBK = 1;
        GLOC.OPBLOK = "OUTPUTS";
        PRMUPD();
      },
      ::testing::ExitedWithCode(1), "STOP prm_Update");
}

TEST(MonitorDeath, UnopenableFileEndsTheRunWithStatus1) {
  // The file-error box goes to the listing (standard output).
  EXPECT_EXIT(prm_open("no/such/dir/X.MON"), ::testing::ExitedWithCode(1), "");
}

}  // namespace
