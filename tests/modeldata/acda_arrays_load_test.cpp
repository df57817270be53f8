// User arrays from the analysis-case file: counting over every model group,
// the walk over submodel groups, index words of 2- and 3-dimensional tables
// and their entry into the array information list.
#include "modeldata/acda_arrays_load.h"

#include <gtest/gtest.h>
#include <hdf5.h>
#include <hdf5_hl.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "acd_fixture.h"
#include "core/diagnostics.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/units.h"
#include "support/listing.h"
#include "support/state_test.h"
#include "support/test_env.h"

namespace {

using tna_test::box_text;

acd_fixture::Faults values_announced(int n) {
  acd_fixture::Faults f;
  f.announced_values = n;
  return f;
}
acd_fixture::Faults arrays_announced(int n) {
  acd_fixture::Faults f;
  f.announced_arrays = n;
  return f;
}
acd_fixture::Faults without_values() {
  acd_fixture::Faults f;
  f.data = false;
  return f;
}
acd_fixture::Faults without_records() {
  acd_fixture::Faults f;
  f.information = false;
  return f;
}
acd_fixture::Faults without_member(const char* member) {
  acd_fixture::Faults f;
  f.missing_member = member;
  return f;
}

using acd_fixture::record;
using acd_fixture::write_arrays;

class AcdaArrays : public tna_test::StateTest {
 protected:
  void SetUp() override {
    plat::set_exit_throws(true);
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
  }
  void TearDown() override {
    acda_close();
    plat::io::close_all();
    plat::set_exit_throws(false);
  }
  // Main model with a 2-D table and a plain array; submodel SUB with a 3-D
  // table; a group GHOST that no model database announces.
  void write_file() {
    hid_t f = H5Fcreate("ACDMOD.acd", H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT);
    std::vector<double> main_values(14);
    for (int i = 0; i < 14; ++i) main_values[static_cast<std::size_t>(i)] = 1.0 + i;
    write_arrays(f, {record("TAB2", 4, 11, 2, 2, 3, 0), record("PLAIN", 2, 3, 0, 0, 0, 0)}, main_values, 12);
    hid_t subs = H5Gcreate2(f, "Submodels", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT);
    hid_t sub = H5Gcreate2(subs, "SUB", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT);
    write_arrays(sub, {record("TAB3", 4, 9, 3, 2, 1, 2)}, std::vector<double>(9, 0.5), 19);
    H5Gcreate2(sub, "Submodels", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT);
    hid_t ghost = H5Gcreate2(subs, "GHOST", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT);
    write_arrays(ghost, {record("G", 2, 2, 0, 0, 0, 0)}, {7.0, 8.0}, 0);
    H5Fclose(f);
  }
  tna_test::ScratchDir dir_{"acda"};
};

TEST_F(AcdaArrays, CountsWalkIndexWordsAndPositions) {
  write_file();
  acda_open("ACDMOD                  ", 24);
  int nint = -1, nreal = -1;
  acda_getnumberofarrayvalues(nint, nreal);
  // Every group counts, GHOST included.
  EXPECT_EQ(nint, 12 + 19);
  EXPECT_EQ(nreal, 14 + 9 + 2);

  acda_movenextsubmodel("ACDMOD", 0, 24);
  int narr = 0, nr = 0, ni = 0;
  std::vector<double> reals;
  std::vector<std::int32_t> ints;
  acda_getarraydata(narr, nr, ni, reals, ints);
  EXPECT_EQ(narr, 2);
  EXPECT_EQ(nr, 14);
  EXPECT_EQ(ni, 12);
  EXPECT_EQ(reals.back(), 14.0);
  EXPECT_EQ(ints, (std::vector<std::int32_t>{2, 1, 2, 2, 2, 7, 3, 9, 1, 3, 9, 4}));

  // The model's own names: PLAIN with descriptor pointer 0, TAB2 with 2;
  // it holds 5 integer and 7 real values of its own.
  std::vector<plat::Text<18>> names = {"PLAIN", "TAB2"};
  std::vector<std::int32_t> pointers = {0, 2}, info(10, -1);
  acda_updatearraypointers(2, 5, 7, plat::Vec1<const std::int32_t>(pointers.data(), 2),
                           plat::Vec1<std::int32_t>(info.data(), 10), CTextVec1(names.data()->data(), 2, 18), 0, 0,
                           2, 18);
  // TAB2 (first in the file): index words at 6.., reals at 8..; PLAIN: reals after TAB2's 11.
  EXPECT_EQ(info, (std::vector<std::int32_t>{3, 19, 12, 6, 11, 8, -1, -1, -1, -1}));

  acda_movenextsubmodel("SUB", 1, 24);
  acda_getarraydata(narr, nr, ni, reals, ints);
  EXPECT_EQ(narr, 1);
  EXPECT_EQ(ints, (std::vector<std::int32_t>{3, 1, 2, 3, 12, 1, 7, 2, 8, 1, 1, 7, 2, 8, 3, 2, 5, 2, 7}));
  EXPECT_EQ(reals, std::vector<double>(9, 0.5));
  acda_updatearraypointers(0, 0, 0, {}, {}, CTextVec1(), 0, 0, 0, 18);

  // A submodel without a group has no data; back at the root the main model's arrays return.
  acda_movenextsubmodel("NOSUCH", 1, 24);
  acda_getarraydata(narr, nr, ni, reals, ints);
  EXPECT_EQ(narr, 0);
  EXPECT_TRUE(reals.empty());
  acda_movenextsubmodel("ACDMOD", 0, 24);
  acda_getarraydata(narr, nr, ni, reals, ints);
  EXPECT_EQ(narr, 2);
  acda_close();
  EXPECT_EQ(dir_.read("listing.txt"), "");
}

TEST_F(AcdaArrays, MissingFilePrintsTheBoxAndFindsNoData) {
  acda_open("NOFILE", 24);
  int nint = -1, nreal = -1;
  acda_getnumberofarrayvalues(nint, nreal);
  EXPECT_EQ(nint, 0);
  EXPECT_EQ(nreal, 0);
  acda_movenextsubmodel("NOFILE", 0, 24);
  int narr = -1, nr = -1, ni = -1;
  std::vector<double> reals;
  std::vector<std::int32_t> ints;
  acda_getarraydata(narr, nr, ni, reals, ints);
  EXPECT_EQ(narr, 0);
  acda_close();
  const std::string l = tna_test::close_listing(dir_);
  EXPECT_NE(l.find("Problem............: Cannot open ACD file"), std::string::npos) << l;
  EXPECT_NE(l.find("Comment............: ACD file name: NOFILE.acd"), std::string::npos) << l;
  EXPECT_NE(l.find("((acda)OpenFile,   2)"), std::string::npos) << l;
}

// The file is the whole trimmed name plus ".acd", not a name cut to the
// 24 characters of a submodel name; a name over 500 characters is reported
// and cut.
TEST_F(AcdaArrays, FileNamesLongerThanAModelName) {
  const std::string name = "A_MODEL_NAME_OF_THIRTY_CHARS__";
  hid_t f = H5Fcreate((name + ".acd").c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT);
  write_arrays(f, {record("PLAIN", 2, 3, 0, 0, 0, 0)}, {1.0, 2.0, 3.0}, 0);
  H5Fclose(f);
  acda_open(name + "   ", static_cast<int>(name.size()) + 3);
  int nint = -1, nreal = -1;
  acda_getnumberofarrayvalues(nint, nreal);
  EXPECT_EQ(nreal, 3);
  EXPECT_EQ(nint, 0);
  acda_close();
  EXPECT_EQ(dir_.read("listing.txt"), "");

  const std::string longname(600, 'L');
  acda_open(longname, 600);
  acda_getnumberofarrayvalues(nint, nreal);
  EXPECT_EQ(nreal, 0);
  acda_close();
  plat::io::close_unit(6);
  std::string l;
  for (char c : dir_.read("listing.txt")) {
    if (c != ' ' && c != '\n' && c != '@') l.push_back(c);
  }
  const auto too_long = l.find("Problem............:ACDfilenametoolong");
  const auto cannot_open = l.find("Problem............:CannotopenACDfile");
  ASSERT_NE(too_long, std::string::npos) << l;
  ASSERT_NE(cannot_open, std::string::npos) << l;
  EXPECT_LT(too_long, cannot_open);
  EXPECT_NE(l.find("Currentaction.....:InitialisingACDArraysLoad"), std::string::npos) << l;
  EXPECT_NE(l.find("Maximumfilenamelength:500"), std::string::npos) << l;
  EXPECT_NE(l.find("Suppliedfilename:" + std::string(100, 'L')), std::string::npos) << l;
  EXPECT_NE(l.find("((acda)OpenFile,1)"), std::string::npos) << l;
  EXPECT_NE(l.find("((acda)OpenFile,2)"), std::string::npos) << l;
}

// A count attribute that holds many values instead of one is not read into
// the one integer it stands for: it counts as absent, and the array whose
// values it should have counted ends the run.
TEST_F(AcdaArrays, CountAttributeWithManyValuesCountsAsAbsent) {
  hid_t f = H5Fcreate("ACDMOD.acd", H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT);
  write_arrays(f, {record("PLAIN", 2, 3, 0, 0, 0, 0)}, {1.0, 2.0, 3.0}, 0);
  const std::vector<int> many(4096, 5);
  ASSERT_GE(H5Adelete_by_name(f, "ModelData/Arrays", "numberOfArrayValues", H5P_DEFAULT), 0);
  ASSERT_GE(H5LTset_attribute_int(f, "ModelData/Arrays", "numberOfArrayValues", many.data(), many.size()), 0);
  H5Fclose(f);
  acda_open("ACDMOD", 6);
  int nint = -1, nreal = -1;
  acda_getnumberofarrayvalues(nint, nreal);
  EXPECT_EQ(nreal, 0);
  acda_movenextsubmodel("ACDMOD", 0, 24);
  int narr = 0;
  std::vector<double> reals;
  std::vector<std::int32_t> ints;
  EXPECT_THROW(acda_getarraydata(narr, nreal, nint, reals, ints), plat::ProcessExit);
  acda_close();
  const std::string l = box_text(tna_test::close_listing(dir_));
  EXPECT_NE(l.find("Array PLAIN: values 1 to 3 lie beyond the 0 of numberOfArrayValues"), std::string::npos) << l;
}

// What the loader is told of the arrays must be in the file: a value, an
// index word, a record or a member that is missing ends the run with the
// message of the analysis-case files, naming the array and the file, instead
// of leaving zeros in the array.
TEST_F(AcdaArrays, ShortOrMissingArrayDataEndsTheRun) {
  using acd_fixture::Faults;
  struct Case {
    const char* what;
    std::vector<acd_fixture::ArrayRecord> records;
    std::vector<double> values;
    int index_words;
    Faults faults;
    std::vector<std::string> message;  // pieces of the box, in order
    int code;
  };
  const std::string file = "ACD file: ACDMOD.acd";
  const std::string data = "Object: /ModelData/Arrays/ArrayData";
  const std::string arrays = "Object: /ModelData/Arrays";
  // clang-format off
  const Case cases[] = {
      {"two values stored, five announced", {record("G", 2, 5, 0, 0, 0, 0)}, {7.0, 8.0}, 0, values_announced(5),
       {"Invalid ACD data", "Array G: values 3 to 5 are not in the file: the dataset holds 2", data, file}, 5},
      {"values beyond the announced count",
       {record("P", 2, 2, 0, 0, 0, 0), record("Q", 2, 3, 0, 0, 0, 0)},
       {1, 2, 3, 4, 5},
       0,
       values_announced(3),
       {"Invalid ACD data", "Array Q: values 4 to 5 lie beyond the 3 of numberOfArrayValues", arrays, file},
       5},
      {"no ArrayData", {record("G", 2, 2, 0, 0, 0, 0)}, {7.0, 8.0}, 0, without_values(),
       {"Array G: values 1 to 2 are not in the file: the dataset is missing", data, file}, 5},
      {"announced values that no array takes", {record("G", 2, 2, 0, 0, 0, 0)}, {7.0, 8.0}, 0,
       values_announced(5), {"Invalid ACD data", "numberOfArrayValues 5 but the dataset holds 2", data, file}, 5},
      {"too few index words", {record("TAB2", 4, 11, 2, 2, 3, 0)}, std::vector<double>(11, 1.0), 10, {},
       {"Array TAB2: index words 1 to 12 lie beyond the 10 of numberOfArrayIndexValues", arrays, file}, 5},
      {"a table larger than its size", {record("TAB2", 4, 9, 2, 2, 3, 0)}, std::vector<double>(9, 1.0), 12, {},
       {"Array TAB2: a table of 2 x 3 needs 11 values, size is 9", arrays, file}, 5},
      {"a table without rows", {record("TAB3", 4, 9, 3, 2, 0, 2)}, std::vector<double>(9, 1.0), 19, {},
       {"Array TAB3: table dimensions 2 x 0 x 2 are not all positive", arrays, file}, 5},
      {"a negative size", {record("N", 2, -1, 0, 0, 0, 0)}, {}, 0, {},
       {"Array N: size -1 is below 0", arrays, file}, 5},
      {"no member size", {record("G", 2, 2, 0, 0, 0, 0)}, {7.0, 8.0}, 0, without_member("size"),
       {"Cannot read ACD dataset", "Dataset: /ModelData/Arrays/ArrayInformation.size", file}, 1},
      {"no records", {record("G", 2, 2, 0, 0, 0, 0)}, {7.0, 8.0}, 0, without_records(),
       {"Cannot read ACD dataset", "Dataset: /ModelData/Arrays/ArrayInformation", file}, 1},
      {"fewer records than arrays", {record("G", 2, 2, 0, 0, 0, 0)}, {7.0, 8.0}, 0, arrays_announced(2),
       {"Cannot read ACD dataset", "Dataset: /ModelData/Arrays/ArrayInformation " + file}, 1},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    hid_t f = H5Fcreate("ACDMOD.acd", H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT);
    write_arrays(f, c.records, c.values, c.index_words, c.faults);
    H5Fclose(f);
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
    acda_open("ACDMOD", 6);
    acda_movenextsubmodel("ACDMOD", 0, 24);
    int narr = 0, nreal = 0, nint = 0;
    std::vector<double> reals;
    std::vector<std::int32_t> ints;
    EXPECT_THROW(acda_getarraydata(narr, nreal, nint, reals, ints), plat::ProcessExit);
    acda_close();
    const std::string listing = tna_test::close_listing(dir_);
    const std::string box = box_text(listing);
    std::size_t at = 0;
    for (const std::string& piece : c.message) {
      const std::size_t found = box.find(piece, at);
      EXPECT_NE(found, std::string::npos) << piece << "\n" << box;
      if (found != std::string::npos) at = found + piece.size();
    }
    EXPECT_NE(listing.find("@@@@  FATAL ERROR"), std::string::npos);
    char ref[40];
    std::snprintf(ref, sizeof ref, "((acda)GetArrayData,%4d)", c.code);
    EXPECT_NE(listing.find(ref), std::string::npos) << listing;
  }
}

// The loader reads quietly but leaves HDF5's own error report as it found
// it, for the other users of the library.
TEST_F(AcdaArrays, LeavesHdf5ErrorReportAsItFoundIt) {
  H5E_auto2_t func = nullptr;
  void* data = nullptr;
  ASSERT_GE(H5Eget_auto2(H5E_DEFAULT, &func, &data), 0);
  ASSERT_NE(func, nullptr);
  auto expect_unchanged = [&](const char* after) {
    H5E_auto2_t now = nullptr;
    void* now_data = nullptr;
    ASSERT_GE(H5Eget_auto2(H5E_DEFAULT, &now, &now_data), 0);
    EXPECT_EQ(now, func) << after;
    EXPECT_EQ(now_data, data) << after;
  };
  write_file();
  acda_open("ACDMOD", 6);
  expect_unchanged("acda_open");
  int nint = 0, nreal = 0, narr = 0;
  acda_getnumberofarrayvalues(nint, nreal);
  expect_unchanged("acda_getnumberofarrayvalues");
  acda_movenextsubmodel("ACDMOD", 0, 24);
  acda_movenextsubmodel("NOSUCH", 1, 24);
  expect_unchanged("acda_movenextsubmodel");
  std::vector<double> reals;
  std::vector<std::int32_t> ints;
  acda_getarraydata(narr, nreal, nint, reals, ints);
  expect_unchanged("acda_getarraydata");
  acda_close();
  expect_unchanged("acda_close");
  acda_open("NOFILE", 6);
  acda_close();
  expect_unchanged("a failed acda_open");

  testing::internal::CaptureStderr();
  const hid_t f = H5Fopen("NOFILE.acd", H5F_ACC_RDONLY, H5P_DEFAULT);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_LT(f, 0);
  EXPECT_NE(err.find("HDF5-DIAG"), std::string::npos) << err;
}

}  // namespace
