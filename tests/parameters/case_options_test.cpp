// The options record of the parameter-case file and the files of each case:
// the decoding table, every message, file stems, per-case listings and CSV
// table names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "parameters/case_options.h"
#include "parameters/param_records.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/listing.h"
#include "support/state_test.h"
#include "support/test_env.h"

namespace optionstest {

class OptionsTest : public tna_test::StateTest {
 protected:
  void SetUp() override {
    plat::set_exit_throws(true);
    GLOI = GloiRecord{};
    SLDINC();
    PRTINF(2) = 1;
    JOBINF.date = "10 December 2026";
    JOBINF.time = "13:46:52";
    JOBINF.jobname = "OPTJOB";
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
    reset_message_counters();
  }
  void TearDown() override {
    plat::io::close_unit(11);
    plat::io::close_unit(6);
    GLOI = GloiRecord{};
    plat::set_exit_throws(false);
  }
  std::string listing() { return tna_test::take_listing(dir_); }
  struct Msg {
    std::string text;
    int code;
  };
  std::string boxes(const std::vector<Msg>& msgs, std::string_view routine) {
    const std::string s = tna_test::printed(dir_, [&] {
      for (const Msg& m : msgs) SETERX(m.text, 3, m.code, routine);
    });
    reset_message_counters();
    return s;
  }
  tna_test::ScratchDir dir_{"opts"};
};

// Result of decoding one record, starting from the defaults of the case driver.
struct Decoded {
  int check = 0, parmonly = 0, w6 = 0, w3 = 0, w1 = 0, w4 = 0, w7 = 0, w5 = 0, ierr = -1;
  std::string csv, gff, tmd;
};

Decoded decode(std::string_view record) {
  Decoded d;
  plat::Text<256> csv, gff, tmd;
  PAROPT(plat::Text<256>(record).view(), d.check, d.parmonly, d.w6, d.w3, d.w1, d.w4, d.w7, d.w5, csv, gff, tmd,
         d.ierr);
  d.csv = plat::trimmed(csv.view());
  d.gff = plat::trimmed(gff.view());
  d.tmd = plat::trimmed(tmd.view());
  return d;
}

TEST_F(OptionsTest, DecodingTable) {
  struct Case {
    std::string record;
    Decoded want;
  };
  auto D = [](int check, int parmonly, int w6, int w3, int w1, int w4, int w7, int w5, int ierr,
              std::string csv = "", std::string gff = "", std::string tmd = "") {
    return Decoded{check, parmonly, w6, w3, w1, w4, w7, w5, ierr, std::move(csv), std::move(gff), std::move(tmd)};
  };
  const std::vector<Case> cases = {
      {"$PARAMETERS", D(0, 0, 0, 0, 0, 0, 0, 0, 0)},
      {"$PARAMETERS,PARMONLY,CHECK", D(1, 1, 0, 0, 0, 0, 0, 0, 0)},
      {"$PARAMETERS,OUTPUT_FROM=VARIABLES2,OUTPUT=MULTIPLE", D(0, 0, 1, 0, 0, 0, 0, 1, 0)},
      {"$PARAMETERS,OUTPUT=MULTIPLE,OUTPUT=SINGLE,OUTPUT_FROM=OUTPUTS", D(0, 0, 0, 0, 0, 0, 0, 0, 0)},
      {"$PARAMETERS,CSV_OUTPUT=MULTIPLE,CSV_ENTITIES=(T1,GL(3,4))", D(0, 0, 0, 1, 1, 0, 0, 0, 0, "(T1,GL(3,4))")},
      {"$PARAMETERS,GFF_ENTITIES='NODES,CONDUCTORS',TMD_ENTITIES='T, QI'",
       D(0, 0, 0, 0, 0, 1, 1, 0, 0, "", "NODES,CONDUCTORS", "T, QI")},
      {"$PARAMETERS,GFF_ENTITIES=''", D(0, 0, 0, 0, 0, 1, 0, 0, 0)},
      // Bad pieces: the code of the last one; good ones around them still count.
      {"$PARAMETERS,OUTPUT='MULTIPLE'", D(0, 0, 0, 0, 0, 0, 0, 0, 2)},
      {"$PARAMETERS,", D(0, 0, 0, 0, 0, 0, 0, 0, 7)},
      {"$PARAMETERS,CHECK,", D(1, 0, 0, 0, 0, 0, 0, 0, 7)},
      {"$PARAMETERS,CHECK,,PARMONLY", D(1, 1, 0, 0, 0, 0, 0, 0, 7)},
      {"$PARAMETERS,CSV_ENTITIES=T1,T2", D(0, 0, 0, 0, 0, 0, 0, 0, 7)},
      {"$PARAMETERS,OUTPUT_FROM=X,CSV_OUTPUT=Y", D(0, 0, 0, 0, 0, 0, 0, 0, 4)},
      // A quote at character 14 that is also the last one: an empty list.
      {"$PARAMETERS,GFF_ENTITIES='", D(0, 0, 0, 0, 0, 1, 0, 0, 0)},
      {"$PARAMETERS,TMD_ENTITIES='", D(0, 0, 0, 0, 0, 0, 1, 0, 0)},
      {"$PARAMETERS,GFF_ENTITIES=", D(0, 0, 0, 0, 0, 0, 0, 0, 3)},
      {"$PARAMETERS,CSV_ENTITIES=(", D(0, 0, 0, 0, 0, 0, 0, 0, 5)},
      {"$PARAMETERS,TMD_ENTITIES=T", D(0, 0, 0, 0, 0, 0, 0, 0, 6)},
      {"$PARAMETERSX", D(0, 0, 0, 0, 0, 0, 0, 0, 8)},
      {"PARMONLY", D(0, 0, 0, 0, 0, 0, 0, 0, 8)},
  };
  for (const Case& c : cases) {
    const Decoded d = decode(c.record);
    const Decoded& w = c.want;
    EXPECT_EQ(d.check, w.check) << c.record;
    EXPECT_EQ(d.parmonly, w.parmonly) << c.record;
    EXPECT_EQ(d.w6, w.w6) << c.record;
    EXPECT_EQ(d.w3, w.w3) << c.record;
    EXPECT_EQ(d.w1, w.w1) << c.record;
    EXPECT_EQ(d.w4, w.w4) << c.record;
    EXPECT_EQ(d.w7, w.w7) << c.record;
    EXPECT_EQ(d.w5, w.w5) << c.record;
    EXPECT_EQ(d.ierr, w.ierr) << c.record;
    EXPECT_EQ(d.csv, w.csv) << c.record;
    EXPECT_EQ(d.gff, w.gff) << c.record;
    EXPECT_EQ(d.tmd, w.tmd) << c.record;
  }
}

TEST_F(OptionsTest, EveryMessageWithItsCode) {
  const std::string rec = "$PARAMETERS record: ";
  struct Case {
    std::string record;
    std::vector<Msg> expect;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"$PARAMETERS,OUTPUT_FROM=OUTPUT",
       {{rec + "Unrecognised OUTPUT_FROM option value@Should be either OUTPUTS or VARIABLES2 (without quotes)", 1}}},
      {"$PARAMETERS,OUTPUT=ALL",
       {{rec + "Unrecognised OUTPUT option value@Should be either SINGLE or MULTIPLE (without quotes)", 2}}},
      {"$PARAMETERS,GFF_ENTITIES=NODES", {{rec + "Unrecognised GFF_ENTITIES option format@GFF_ENTITIES=NODES", 3}}},
      {"$PARAMETERS,CSV_OUTPUT=ALL",
       {{rec + "Unrecognised CSV_OUTPUT option value@Should be either SINGLE or MULTIPLE (without quotes)", 4}}},
      {"$PARAMETERS,CSV_ENTITIES=T1,T2",
       {{rec + "Unrecognised CSV_ENTITIES option format@CSV_ENTITIES=T1", 5},
        {rec + "Unrecognised option@T2", 7}}},
      {"$PARAMETERS,TMD_ENTITIES=(T)",
       {{"Invalid TMD_ENTITIES format@Parsing parameter-case options@Input is:<NL>  TMD_ENTITIES=(T)<NL>Correct "
         "format is:<NL>  TMD_ENTITIES = '...'@$PARAMETERS line in parameter-case file",
         6}}},
      {"$PARAMETERS,NOSUCH", {{rec + "Unrecognised option@NOSUCH", 7}}},
      {"$PARAMETRES,CHECK", {{rec + "Unrecognised statement@$PARAMETRES,CHECK", 8}}},
  };
  // clang-format on
  for (const Case& c : cases) {
    listing();
    reset_message_counters();
    const Decoded d = decode(c.record);
    EXPECT_EQ(d.ierr, c.expect.back().code) << c.record;
    const std::string got = listing();
    EXPECT_EQ(got, boxes(c.expect, "PAROPT")) << c.record;
  }
}

// Stem and files of one case; returns the stem.
std::string run_parfil(int parmonly, int csv_multiple, int case_number, int csv_requested, std::string_view name,
                       int output_multiple, int& ierr) {
  plat::Text<50> stem;
  PARFIL(parmonly, "THERMALMODEL  X         ", csv_multiple, case_number, csv_requested, "()", stem,
         plat::Text<24>(name).view(), output_multiple, 6, 11, ierr);
  return std::string(plat::trimmed(stem.view()));
}

TEST_F(OptionsTest, FileStems) {
  struct Case {
    int number;
    std::string name, stem;
  };
  const std::vector<Case> cases = {
      {0, "ORIGINAL", "THERMALM_PAR0000_ORIGINAL"},
      {37, "Hot case one", "THERMALM_PAR0037_Hot-case-one"},
      {9999, "", "THERMALM_PAR9999"},
      {5, " lead", "THERMALM_PAR0005_-lead"},
      {12, "ABCDEFGHIJKLMNOPQRSTUVWX", "THERMALM_PAR0012_ABCDEFGHIJKLMNOPQRSTUVWX"},
      // Only letters, digits, ".", "_", "+" and "-" reach a file name; a run
      // of points is no point at all, so no name leads into another folder.
      {1, "x/../../escape", "THERMALM_PAR0001_x-------escape"},
      {2, "..", "THERMALM_PAR0002_--"},
      {3, "v1.2_a+b-c", "THERMALM_PAR0003_v1.2_a+b-c"},
      {4, "a...b.c", "THERMALM_PAR0004_a---b.c"},
      {6, "C:\\temp\\x", "THERMALM_PAR0006_C--temp-x"},
      {7, std::string("a\0b\tc*?\"<>|'\xe9", 13), "THERMALM_PAR0007_a-b-c--------"},
      {8, "/abs", "THERMALM_PAR0008_-abs"},
  };
  for (const Case& c : cases) {
    int ierr = -1;
    EXPECT_EQ(run_parfil(0, 0, c.number, 0, c.name, 0, ierr), c.stem);
    EXPECT_EQ(ierr, 0);
  }
  EXPECT_FALSE(dir_.exists("THERMALM_PAR0000_ORIGINAL.out"));
  EXPECT_FALSE(dir_.exists("THERMALM_PAR.csv"));
}

TEST_F(OptionsTest, PerCaseListingTakesThePrintedOutput) {
  int ierr = -1;
  run_parfil(0, 0, 2, 0, "Cold", 1, ierr);
  EXPECT_EQ(ierr, 0);
  plat::io::write_line(6, " printed in case 2");
  run_parfil(0, 0, 3, 0, "Hot", 1, ierr);
  plat::io::write_line(6, " printed in case 3");
  plat::io::close_unit(6);
  EXPECT_EQ(dir_.read("THERMALM_PAR0002_Cold.out"), " printed in case 2\n");
  EXPECT_EQ(dir_.read("THERMALM_PAR0003_Hot.out"), " printed in case 3\n");
}

// Which CSV table each case opens: one per run at the base case (or at case 1
// with PARMONLY), one per case with CSV_OUTPUT=MULTIPLE; each gets its heading.
TEST_F(OptionsTest, CsvTableNames) {
  const std::string heading =
      "NORVEK 2020;  MODEL OPTJOB;  TIME 10 December 2026  13:46:52\n\nParameter case number,Parameter case "
      "name,Time\n";
  int ierr = -1;
  // One table per run, opened by the base case; later cases leave it open.
  run_parfil(0, 0, 0, 1, "ORIGINAL", 0, ierr);
  EXPECT_EQ(ierr, 0);
  plat::io::write_line(11, "row 0");
  run_parfil(0, 0, 1, 1, "A", 0, ierr);
  EXPECT_EQ(ierr, 0);
  plat::io::write_line(11, "row 1");
  plat::io::close_unit(11);
  EXPECT_EQ(dir_.read("THERMALM_PAR.csv"), heading + "row 0\nrow 1\n");
  plat::io::remove_file("THERMALM_PAR.csv");

  // With PARMONLY the table of the run is opened at case 1, and only then.
  run_parfil(1, 0, 1, 1, "A", 0, ierr);
  plat::io::write_line(11, "row 1");
  run_parfil(1, 0, 2, 1, "B", 0, ierr);
  plat::io::write_line(11, "row 2");
  plat::io::close_unit(11);
  EXPECT_EQ(dir_.read("THERMALM_PAR.csv"), heading + "row 1\nrow 2\n");

  // One table per case, the base case included.
  run_parfil(0, 1, 0, 1, "ORIGINAL", 0, ierr);
  run_parfil(0, 1, 4, 1, "Case four", 0, ierr);
  plat::io::close_unit(11);
  EXPECT_EQ(dir_.read("THERMALM_PAR0000_ORIGINAL.csv"), heading);
  EXPECT_EQ(dir_.read("THERMALM_PAR0004_Case-four.csv"), heading);
  EXPECT_EQ(listing(), "");
}

TEST_F(OptionsTest, HeadingFailureIsTheStatusOfTheCaseFiles) {
  int ierr = 0;
  plat::Text<50> stem;
  PARFIL(0, "M", 0, 0, 1, "T1", stem, "ORIGINAL", 0, 6, 11, ierr);
  EXPECT_EQ(ierr, 1);  // the list is not bracketed
  EXPECT_EQ(plat::trimmed(stem.view()), "M_PAR0000_ORIGINAL");
  const std::string got = listing();
  EXPECT_EQ(got, boxes({{"Entity list must be enclosed in brackets", 1}}, "PARHDC"));
}

TEST_F(OptionsTest, OpenFailureIsReportedBySopsq) {
  int ierr = 0;
  plat::Text<50> stem;
  PARFIL(0, "nodir/M", 0, 0, 1, "(T1)", stem, "ORIGINAL", 0, 6, 11, ierr);
  EXPECT_NE(ierr, 0);
  EXPECT_NE(listing().find("Error opening file"), std::string::npos);
}

TEST(ParamRecords, LayoutOfTheRecords) {
  EXPECT_EQ(PARNUM.size(), 7);
  EXPECT_EQ(PARCHR.csvlist.size(), 256u);
  EXPECT_EQ(PARCHR.stem.size(), 50u);
  EXPECT_EQ(PARCHR.gfflist.size(), 256u);
  EXPECT_EQ(PARCHR.tmdlist.size(), 256u);
  EXPECT_EQ(PARNUM(5), 0);
  EXPECT_TRUE(plat::is_blank(PARCHR.csvlist.view()));
}

}  // namespace optionstest
