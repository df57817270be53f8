// The unit layer's unformatted records against a file that gfortran wrote
// (tools/golden/records.f90): same bytes when written, same values and
// statuses when read back.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/text.h"
#include "platform/units.h"
#include "support/test_env.h"

namespace {

constexpr int kUnit = 31;

std::vector<double> long_record() {
  std::vector<double> v(1000);
  for (int i = 1; i <= 1000; ++i) v[i - 1] = i * 0.5 - 100.0;
  return v;
}

TEST(RecordsGfortran, WrittenBytesEqualGfortranFile) {
  tna_test::ScratchDir dir("recgf");
  ASSERT_EQ(plat::io::open_unit(kUnit, "ours.bin", plat::io::Form::Unformatted, "REPLACE"), 0);
  plat::io::RecordOut r;
  r.put<std::int32_t>(1).put<std::int32_t>(-2).put<std::int32_t>(2147483647);
  ASSERT_EQ(r.write(kUnit), 0);
  r.clear();
  r.put(1.5).put(-2.25).put(3.141592653589793);
  ASSERT_EQ(r.write(kUnit), 0);
  r.clear();
  plat::Text<24> name("GFORTRAN RECORD FIXTURE");
  r.put_text(name.view());
  ASSERT_EQ(r.write(kUnit), 0);
  ASSERT_EQ(plat::io::write_record(kUnit, nullptr, 0), 0);
  const auto v = long_record();
  ASSERT_EQ(plat::io::write_record(kUnit, v.data(), v.size() * sizeof(double)), 0);
  r.clear();
  r.put<std::int32_t>(42).put(6.5).put_text("ABCDEFGH");
  ASSERT_EQ(r.write(kUnit), 0);
  ASSERT_EQ(plat::io::close_unit(kUnit), 0);

  const std::string ours = dir.read("ours.bin");
  tna_test::ScratchDir other("recgf2");
  std::string theirs;
  {
    std::FILE* f = std::fopen(tna_test::data_path("records/gfortran_records.bin").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    char buf[4096];
    std::size_t k;
    while ((k = std::fread(buf, 1, sizeof buf, f)) > 0) theirs.append(buf, k);
    std::fclose(f);
  }
  ASSERT_EQ(ours.size(), theirs.size());
  EXPECT_TRUE(ours == theirs);
}

TEST(RecordsGfortran, ReadsGfortranFileWithStatuses) {
  ASSERT_EQ(plat::io::open_unit(kUnit, tna_test::data_path("records/gfortran_records.bin"),
                                plat::io::Form::Unformatted, "OLD"),
            0);
  std::vector<unsigned char> rec;
  // Integers; then one item more than the record holds.
  ASSERT_EQ(plat::io::read_record(kUnit, rec), 0);
  {
    plat::io::RecordIn in(rec);
    std::int32_t a = 0, b = 0, c = 0, d = 77;
    ASSERT_EQ(in.get(a), 0);
    ASSERT_EQ(in.get(b), 0);
    ASSERT_EQ(in.get(c), 0);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, -2);
    EXPECT_EQ(c, 2147483647);
    EXPECT_EQ(in.get(d), plat::io::kPastRecord);
    EXPECT_EQ(d, 77);
  }
  ASSERT_EQ(plat::io::read_record(kUnit, rec), 0);
  {
    plat::io::RecordIn in(rec);
    double x = 0, y = 0, z = 0;
    ASSERT_EQ(in.get(x), 0);
    ASSERT_EQ(in.get(y), 0);
    ASSERT_EQ(in.get(z), 0);
    EXPECT_EQ(x, 1.5);
    EXPECT_EQ(y, -2.25);
    EXPECT_EQ(z, 3.141592653589793);
  }
  ASSERT_EQ(plat::io::read_record(kUnit, rec), 0);
  {
    plat::io::RecordIn in(rec);
    plat::Text<24> t;
    ASSERT_EQ(in.get_bytes(t.data(), 24), 0);
    EXPECT_EQ(t.str(), "GFORTRAN RECORD FIXTURE ");
    EXPECT_EQ(in.remaining(), 0u);
  }
  // The empty record: any item is past its end.
  ASSERT_EQ(plat::io::read_record(kUnit, rec), 0);
  EXPECT_TRUE(rec.empty());
  {
    plat::io::RecordIn in(rec);
    std::int32_t a = 0;
    EXPECT_EQ(in.get(a), plat::io::kPastRecord);
  }
  ASSERT_EQ(plat::io::read_record(kUnit, rec), 0);
  ASSERT_EQ(rec.size(), 8000u);
  {
    plat::io::RecordIn in(rec);
    const auto v = long_record();
    std::vector<double> got(1000);
    ASSERT_EQ(in.get_bytes(got.data(), 8000), 0);
    EXPECT_EQ(got, v);
  }
  // Skipping works on the last record too; then end of file, and again.
  ASSERT_EQ(plat::io::skip_record(kUnit), 0);
  EXPECT_EQ(plat::io::read_record(kUnit, rec), plat::io::kEnd);
  EXPECT_EQ(plat::io::read_record(kUnit, rec), plat::io::kEnd);
  // Rewound, the mixed last record reads back after skipping five.
  ASSERT_EQ(plat::io::rewind_unit(kUnit), 0);
  for (int k = 0; k < 5; ++k) ASSERT_EQ(plat::io::skip_record(kUnit), 0);
  ASSERT_EQ(plat::io::read_record(kUnit, rec), 0);
  {
    plat::io::RecordIn in(rec);
    std::int32_t i = 0;
    double x = 0;
    char s[9] = {};
    ASSERT_EQ(in.get(i), 0);
    ASSERT_EQ(in.get(x), 0);
    ASSERT_EQ(in.get_bytes(s, 8), 0);
    EXPECT_EQ(i, 42);
    EXPECT_EQ(x, 6.5);
    EXPECT_STREQ(s, "ABCDEFGH");
  }
  EXPECT_EQ(plat::io::skip_record(kUnit), plat::io::kEnd);
  ASSERT_EQ(plat::io::close_unit(kUnit), 0);
}

}  // namespace
