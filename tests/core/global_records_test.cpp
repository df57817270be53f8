#include "core/global_records.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "platform/process.h"
#include "support/state_test.h"

namespace {

class GlobalRecords : public tna_test::StateTest {
 protected:
  void SetUp() override {
    FLAGS = FlagsRecord{};
    SPRSIZ = SprsizRecord{};
    gfl_setmodelname("");
  }
  void TearDown() override { plat::set_fixed_clock(nullptr); }
};

TEST_F(GlobalRecords, ModelNameIsCutOrPaddedTo24AndTruncatedNameKeepsEightCharactersAsStored) {
  gfl_setmodelname("ABCDEFGHIJKLMNOPQRSTUVWX");  // exactly 24
  EXPECT_EQ(gfl_getmodelname().str(), "ABCDEFGHIJKLMNOPQRSTUVWX");
  gfl_setmodelname("ABCDEFGHIJKLMNOPQRSTUVWXYZ1234");  // 30: the first 24 are kept
  EXPECT_EQ(gfl_getmodelname().str(), "ABCDEFGHIJKLMNOPQRSTUVWX");
  EXPECT_EQ(gfl_gettruncatedmodelname().str(), "ABCDEFGH");

  gfl_setmodelname("SAT");
  EXPECT_EQ(gfl_getmodelname().str(), "SAT" + std::string(21, ' '));
  EXPECT_EQ(gfl_gettruncatedmodelname().str(), "SAT     ");

  // A blank inside the first eight characters is no cut.
  gfl_setmodelname("AB CDEFGHIJ");
  EXPECT_EQ(gfl_gettruncatedmodelname().str(), "AB CDEFG");
}

TEST_F(GlobalRecords, EveryGetterReadsItsOwnFlagsWord) {
  for (int w = 1; w <= 41; ++w) FLAGS(w) = 1000 + w;
  const struct {
    int (*get)();
    int word;
    // clang-format off
  } cases[] = {
      {gfl_getnumthermalnodes, 1},         {gfl_getnumlinearconds, 2},
      {gfl_getnumfluidicconds, 3},         {gfl_getnumradiativeconds, 4},
      {gfl_getnumvfacconds, 5},            {gfl_getnumrealuserconstants, 6},
      {gfl_getnumintegeruserconstants, 7}, {gfl_getnumcharuserelements, 8},
      {gfl_getnumcharuserconstants, 9},    {gfl_getnumcclocalreal, 10},
      {gfl_getnumcclocalint, 11},          {gfl_getnumccglobalreal, 13},
      {gfl_getnumccglobalint, 14},         {gfl_getnumalluserconstants, 16},
      {gfl_getnumallcontrolconstants, 17}, {gfl_getlenarrayinfolist, 18},
      {gfl_getnumallarrays, 19},           {gfl_getnumrealarrayelements, 20},
      {gfl_getnumintegerarrayelements, 21}, {gfl_getnumchararrayelements, 22},
      {gfl_getlenpcsthermalold, 24},       {gfl_getnumsubmodels, 26},
      {gfl_getlendynamiccore, 28},         {gfl_getnumfluidnodes, 32},
      {gfl_getnummassflowlinks, 33},       {gfl_getlenpcsfluid, 35},
      {gfl_getnumnodealiases, 40},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(c.get(), 1000 + c.word) << "word " << c.word;
}

TEST_F(GlobalRecords, SettersChangeOnlyWords20And21) {
  for (int w = 1; w <= 41; ++w) FLAGS(w) = w;
  gfl_setnumrealarrayelements(FLAGS(20) + 7);
  gfl_setnumintegerarrayelements(FLAGS(21) + 3);
  for (int w = 1; w <= 41; ++w) {
    const int expect = w == 20 ? 27 : w == 21 ? 24 : w;
    EXPECT_EQ(FLAGS(w), expect) << "word " << w;
  }
}

TEST_F(GlobalRecords, CompactConnectionListLengthAndNodalEntityCount) {
  EXPECT_EQ(gfl_getlenpcsthermal(), 0);
  FLAGS(1) = 130;
  FLAGS(2) = 156;
  FLAGS(3) = 5;
  FLAGS(4) = 1401;
  FLAGS(5) = 99;  // view-factor conductors have no connection list
  EXPECT_EQ(gfl_getlenpcsthermal(), 4 * (156 + 5 + 1401));
  EXPECT_EQ(gfl_getnumnodalentities(), 41);
}

TEST_F(GlobalRecords, LayoutsAreTheWordAndCharacterRecordsTheFilesCopy) {
  EXPECT_EQ(sizeof(FLAGS), 164u);
  EXPECT_EQ(sizeof(PRTINF), 24u);
  EXPECT_EQ(sizeof(JOBINF), 49u);
  EXPECT_EQ(offsetof(JobinfRecord, date), 0u);
  EXPECT_EQ(offsetof(JobinfRecord, time), 17u);
  EXPECT_EQ(offsetof(JobinfRecord, jobname), 25u);
  // One-based words map onto consecutive storage.
  FLAGS(1) = 11;
  FLAGS(41) = 99;
  EXPECT_EQ(FLAGS.w[0], 11);
  EXPECT_EQ(FLAGS.w[40], 99);
}

TEST_F(GlobalRecords, SldinaFillsJobNameDateAndTime) {
  plat::DateTime t;
  t.year = 2026;
  t.month = 5;
  t.day = 5;
  t.hour = 14;
  t.minute = 5;
  t.second = 9;
  plat::set_fixed_clock(&t);
  SLDINA("THERMALMODEL_WITH_A_LONG_NAME");
  const std::string rec(reinterpret_cast<const char*>(&JOBINF), sizeof JOBINF);
  EXPECT_EQ(rec,
            "05 May       2026"
            "14:05:09"
            "THERMALMODEL_WITH_A_LONG");

  t.month = 9;
  t.day = 30;
  t.hour = 0;
  plat::set_fixed_clock(&t);
  SLDINA("M");
  EXPECT_EQ(JOBINF.date.str(), "30 September 2026");
  EXPECT_EQ(JOBINF.time.str(), "00:05:09");
  EXPECT_EQ(JOBINF.jobname.str(), "M" + std::string(23, ' '));
}

TEST_F(GlobalRecords, UserEntityNamesAreStoredKindAfterKind) {
  SPRSIZ(1) = 4;
  SPRSIZ(2) = 3;
  SPRNOD(2, 1) = "REAL2";
  SPRNOD(1, 3) = "CHAR1";
  EXPECT_EQ(SPRNOD(2), "REAL2");
  EXPECT_EQ(SPRNOD(2 * 4 + 1), "CHAR1");
  SPRNOD(2) = "";
  SPRNOD(9) = "";
}

TEST(RunDate, DateAndTime) {
  const plat::DateTime t{2026, 5, 5, 14, 5, 9, 0};
  plat::set_fixed_clock(&t);
  EXPECT_EQ(ZDAYDT(), "05 May       2026");
  EXPECT_EQ(ZDAYTM(), "14:05:09");
  const plat::DateTime u{1999, 9, 30, 0, 0, 0, 0};
  plat::set_fixed_clock(&u);
  EXPECT_EQ(ZDAYDT(), "30 September 1999");
  EXPECT_EQ(ZDAYTM(), "00:00:00");
  plat::set_fixed_clock(nullptr);
  EXPECT_EQ(ZDAYDT().size(), 17u);
}

}  // namespace
