#include "platform/units.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/process.h"
#include "support/test_env.h"

using namespace plat::io;

namespace {

void write_file(const std::string& name, const std::string& bytes) {
  std::ofstream(name, std::ios::binary) << bytes;
}

TEST(Units, OldStatusNeedsTheFileAndUnknownCreatesIt) {
  tna_test::ScratchDir d("units");
  EXPECT_EQ(open_unit(20, "missing.txt   ", Form::Formatted, "OLD"), ENOENT);
  EXPECT_FALSE(is_open(20));
  EXPECT_EQ(open_unit(20, "made.txt   ", Form::Formatted, "UNKNOWN"), 0);
  EXPECT_EQ(file_name(20), "made.txt");
  EXPECT_EQ(write_line(20, "abc"), 0);
  EXPECT_EQ(close_unit(20), 0);
  EXPECT_EQ(d.read("made.txt"), "abc\n");
  EXPECT_EQ(open_unit(20, "x", Form::Formatted, "SIDEWAYS"), kBadSpecifier);
  EXPECT_EQ(open_unit(20, "made.txt", Form::Formatted, "NEW"), EEXIST);
}

TEST(Units, UnknownOnAnExistingFileIsPositionedAtItsStartAndWritingReplacesIt) {
  tna_test::ScratchDir d("units");
  write_file("old.txt", "first line\nsecond line\nthird\n");
  ASSERT_EQ(open_unit(21, "old.txt", Form::Formatted, "UNKNOWN"), 0);
  EXPECT_EQ(write_line(21, "new"), 0);
  EXPECT_EQ(close_unit(21), 0);
  EXPECT_EQ(d.read("old.txt"), "new\n");
}

TEST(Units, ClosingAnUnopenedUnitIsNoErrorAndDeleteRemovesTheFile) {
  tna_test::ScratchDir d("units");
  EXPECT_EQ(close_unit(77), 0);
  ASSERT_EQ(open_unit(22, "gone.bin", Form::Unformatted, "UNKNOWN"), 0);
  EXPECT_EQ(close_unit(22, true), 0);
  EXPECT_FALSE(d.exists("gone.bin"));
  bool ex = true;
  EXPECT_EQ(inquire_exists("gone.bin  ", ex), 0);
  EXPECT_FALSE(ex);
  write_file("here", "");
  EXPECT_EQ(inquire_exists("here", ex), 0);
  EXPECT_TRUE(ex);
}

TEST(Units, ReadsLinesWithLfOrCrLfEndsAndReportsEndOfFile) {
  tna_test::ScratchDir d("units");
  write_file("in.txt", "one\r\ntwo\n\nlast-no-newline");
  ASSERT_EQ(open_unit(23, "in.txt", Form::Formatted, "OLD", true), 0);
  EXPECT_TRUE(blank_zero(23));
  std::string l;
  EXPECT_EQ(read_line(23, l), 0);
  EXPECT_EQ(l, "one");
  EXPECT_EQ(read_line(23, l), 0);
  EXPECT_EQ(l, "two");
  EXPECT_EQ(read_line(23, l), 0);
  EXPECT_EQ(l, "");
  EXPECT_EQ(read_line(23, l), 0);
  EXPECT_EQ(l, "last-no-newline");
  EXPECT_EQ(read_line(23, l), kEnd);
  EXPECT_EQ(rewind_unit(23), 0);
  EXPECT_EQ(read_line(23, l), 0);
  EXPECT_EQ(l, "one");
  close_unit(23);
}

TEST(Units, NonAdvancingWritesJoinOneRecord) {
  tna_test::ScratchDir d("units");
  ASSERT_EQ(open_unit(24, "na.txt", Form::Formatted, "UNKNOWN"), 0);
  write_partial(24, "ab");
  write_partial(24, "cd");
  write_line(24, "ef");
  write_partial(24, "tail");
  close_unit(24);
  EXPECT_EQ(d.read("na.txt"), "abcdef\ntail\n");
}

TEST(Units, UnitSixIsStandardOutputAndCanBeReconnected) {
  tna_test::ScratchDir d("units");
  testing::internal::CaptureStdout();
  write_line(6, "to stdout");
  ASSERT_EQ(open_unit(6, "case.out", Form::Formatted, "UNKNOWN"), 0);
  write_line(6, "to file");
  close_unit(6);
  write_line(6, "back");
  flush_unit(6);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "to stdout\nback\n");
  EXPECT_EQ(d.read("case.out"), "to file\n");
}

TEST(Units, FormMismatchAndUnconnectedUnitsAreErrors) {
  tna_test::ScratchDir d("units");
  EXPECT_EQ(write_line(31, "x"), kNotConnected);
  ASSERT_EQ(open_unit(31, "u.bin", Form::Unformatted, "UNKNOWN"), 0);
  EXPECT_EQ(write_line(31, "x"), kWrongForm);
  std::string l;
  EXPECT_EQ(read_line(31, l), kWrongForm);
  close_unit(31, true);
}

// Records written by the unit layer, byte for byte as a sequential
// unformatted file with 4-byte little-endian length markers holds them.
TEST(Records, FramingIsLengthBeforeAndAfter) {
  tna_test::ScratchDir d("rec");
  ASSERT_EQ(open_unit(10, "r.bin", Form::Unformatted, "UNKNOWN"), 0);
  RecordOut r;
  r.put<std::int32_t>(7).put<double>(1.5).put_text("AB");
  EXPECT_EQ(r.write(10), 0);
  EXPECT_EQ(write_record(10, nullptr, 0), 0);
  close_unit(10);
  const std::string b = d.read("r.bin");
  ASSERT_EQ(b.size(), 4u + 14u + 4u + 8u);
  EXPECT_EQ(b.substr(0, 4), std::string("\x0e\0\0\0", 4));
  EXPECT_EQ(b.substr(18, 4), std::string("\x0e\0\0\0", 4));
  EXPECT_EQ(b.substr(22, 8), std::string(8, '\0'));
}

TEST(Records, ReadingFewerItemsIsAllowedMoreIsPastTheRecord) {
  tna_test::ScratchDir d("rec");
  ASSERT_EQ(open_unit(10, "r.bin", Form::Unformatted, "UNKNOWN"), 0);
  RecordOut r;
  r.put<std::int32_t>(1).put<std::int32_t>(2);
  r.write(10);
  RecordOut s;
  s.put<std::int32_t>(3);
  s.write(10);
  ASSERT_EQ(rewind_unit(10), 0);
  std::vector<unsigned char> rec;
  ASSERT_EQ(read_record(10, rec), 0);
  RecordIn in(rec);
  std::int32_t a = 0;
  EXPECT_EQ(in.get(a), 0);
  EXPECT_EQ(a, 1);
  ASSERT_EQ(read_record(10, rec), 0);  // the rest of record 1 is skipped
  RecordIn in2(rec);
  double dd = 0;
  EXPECT_EQ(in2.get(dd), kPastRecord);
  EXPECT_EQ(in2.get(a), 0);
  EXPECT_EQ(a, 3);
  EXPECT_EQ(read_record(10, rec), kEnd);
  close_unit(10);
}

TEST(Records, CorruptFramingIsReportedNotTrusted) {
  tna_test::ScratchDir d("rec");
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"length beyond the file", std::string("\xff\xff\xff\x0f", 4) + "abc"},
      {"trailing marker differs", std::string("\x02\0\0\0ab\x03\0\0\0", 10)},
      {"file ends inside the first marker", std::string("\x02\0", 2)},
      {"file ends before the trailing marker", std::string("\x02\0\0\0ab", 6)},
      {"negative length", std::string("\xfe\xff\xff\xff", 4) + std::string(8, 'x')},
  };
  for (const auto& c : cases) {
    write_file("bad.bin", c.bytes);
    ASSERT_EQ(open_unit(10, "bad.bin", Form::Unformatted, "OLD"), 0) << c.what;
    std::vector<unsigned char> rec;
    EXPECT_EQ(read_record(10, rec), kBadRecord) << c.what;
    close_unit(10);
  }
}

TEST(Records, ReadIntoTakesTheFirstBytesAndLeavesTheCallersArrayAloneOnFailure) {
  tna_test::ScratchDir d("rec");
  ASSERT_EQ(open_unit(10, "r.bin", Form::Unformatted, "UNKNOWN"), 0);
  RecordOut r;
  r.put<std::int32_t>(1).put<std::int32_t>(2).put<std::int32_t>(3);
  r.write(10);
  RecordOut s;
  s.put<std::int32_t>(4);
  s.write(10);
  ASSERT_EQ(rewind_unit(10), 0);
  std::int32_t a[3] = {-1, -1, -1};
  std::size_t len = 0;
  ASSERT_EQ(read_record_into(10, a, 8, len), 0);  // two of three items; the rest is passed over
  EXPECT_EQ(len, 12u);
  EXPECT_EQ(a[0], 1);
  EXPECT_EQ(a[1], 2);
  EXPECT_EQ(a[2], -1);
  ASSERT_EQ(read_record_into(10, a, 8, len), 0);  // record 2 is too short: len tells, a stays
  EXPECT_EQ(len, 4u);
  EXPECT_EQ(a[0], 1);
  EXPECT_EQ(read_record_into(10, a, 4, len), kEnd);
  close_unit(10);
  // Corrupt framing: read_record's status, the array untouched.
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"length beyond the file", std::string("\xff\xff\xff\x0f", 4) + "abc"},
      {"trailing marker differs", std::string("\x04\0\0\0abcd\x03\0\0\0", 12)},
      {"file ends before the trailing marker", std::string("\x04\0\0\0abcd", 8)},
  };
  for (const auto& c : cases) {
    write_file("bad.bin", c.bytes);
    ASSERT_EQ(open_unit(10, "bad.bin", Form::Unformatted, "OLD"), 0) << c.what;
    std::int32_t b = 77;
    EXPECT_EQ(read_record_into(10, &b, 4, len), kBadRecord) << c.what;
    EXPECT_EQ(b, 77) << c.what;
    close_unit(10);
  }
}

TEST(Records, TheFileSizeThatChecksLengthsFollowsWritesOnTheUnit) {
  // Records are checked against the file's size; a unit that writes after
  // reading (the file cut and extended) must check against the new size.
  tna_test::ScratchDir d("rec");
  ASSERT_EQ(open_unit(10, "r.bin", Form::Unformatted, "UNKNOWN"), 0);
  std::vector<unsigned char> rec;
  ASSERT_EQ(write_record(10, "AA", 2), 0);
  ASSERT_EQ(write_record(10, "BB", 2), 0);
  ASSERT_EQ(rewind_unit(10), 0);
  ASSERT_EQ(read_record(10, rec), 0);
  ASSERT_EQ(write_record(10, "CCCCCCCCCCCC", 12), 0);  // replaces BB, longer
  ASSERT_EQ(rewind_unit(10), 0);
  ASSERT_EQ(read_record(10, rec), 0);
  ASSERT_EQ(read_record(10, rec), 0);
  EXPECT_EQ(std::string(rec.begin(), rec.end()), "CCCCCCCCCCCC");
  ASSERT_EQ(write_record(10, "DDDDDDDDDDDDDDDDDDDD", 20), 0);
  ASSERT_EQ(rewind_unit(10), 0);
  std::size_t len = 0;
  char buf[20];
  ASSERT_EQ(read_record_into(10, buf, 2, len), 0);
  ASSERT_EQ(read_record_into(10, buf, 2, len), 0);
  ASSERT_EQ(read_record_into(10, buf, 20, len), 0);
  EXPECT_EQ(std::string(buf, 20), std::string(20, 'D'));
  close_unit(10);
}

// Records of every size around the 64 KiB that unformatted reading takes
// from the file at a time, read by each kind of read in turn: every byte
// and every boundary must come out as written, and a write after reading
// must cut the file where the reading got to.
TEST(Records, RecordsAcrossAndBeyondTheReadWindowReadBackExactly) {
  tna_test::ScratchDir d("rec");
  const std::size_t sizes[] = {10, 70000, 5, 65530, 200000, 3, 65536, 0, 131071, 7};
  auto record = [](std::size_t k, std::size_t n) {
    std::vector<unsigned char> r(n);
    for (std::size_t i = 0; i < n; ++i) r[i] = static_cast<unsigned char>((i * 131 + k * 17) % 251);
    return r;
  };
  ASSERT_EQ(open_unit(10, "w.bin", Form::Unformatted, "UNKNOWN"), 0);
  for (std::size_t k = 0; k < std::size(sizes); ++k) {
    const auto r = record(k, sizes[k]);
    ASSERT_EQ(write_record(10, r.data(), r.size()), 0);
  }
  ASSERT_EQ(rewind_unit(10), 0);
  std::vector<unsigned char> got, buf;
  for (std::size_t k = 0; k < std::size(sizes); ++k) {
    const auto want = record(k, sizes[k]);
    switch (k % 3) {
      case 0:
        ASSERT_EQ(read_record(10, got), 0) << k;
        EXPECT_EQ(got, want) << k;
        break;
      case 1: {
        // The first half of the record, straight into the caller's array.
        std::size_t len = 0;
        buf.assign(sizes[k] / 2 + 1, 0xEE);
        ASSERT_EQ(read_record_into(10, buf.data(), sizes[k] / 2, len), 0) << k;
        EXPECT_EQ(len, sizes[k]);
        EXPECT_TRUE(std::equal(want.begin(), want.begin() + sizes[k] / 2, buf.begin())) << k;
        EXPECT_EQ(buf.back(), 0xEE) << k;
        break;
      }
      default:
        ASSERT_EQ(skip_record(10), 0) << k;
    }
  }
  ASSERT_EQ(read_record(10, got), kEnd);
  // Read four records again, then write: the fifth and later are replaced.
  ASSERT_EQ(rewind_unit(10), 0);
  for (int k = 0; k < 4; ++k) ASSERT_EQ(skip_record(10), 0);
  ASSERT_EQ(write_record(10, "XYZ", 3), 0);
  ASSERT_EQ(rewind_unit(10), 0);
  for (int k = 0; k < 4; ++k) {
    ASSERT_EQ(read_record(10, got), 0);
    EXPECT_EQ(got, record(k, sizes[k]));
  }
  ASSERT_EQ(read_record(10, got), 0);
  EXPECT_EQ(std::string(got.begin(), got.end()), "XYZ");
  EXPECT_EQ(read_record(10, got), kEnd);
  close_unit(10);
  std::size_t bytes = 3 + 8;
  for (int k = 0; k < 4; ++k) bytes += sizes[k] + 8;
  EXPECT_EQ(std::filesystem::file_size("w.bin"), bytes);
}

// What a fixed sequence of reads sees of a unit: every status, length and byte.
std::string reads_of(int unit, Form form) {
  std::string seen;
  auto note = [&](int st, const std::string& what) { seen += std::to_string(st) + ":" + what + "|"; };
  if (form == Form::Formatted) {
    std::string l;
    for (int i = 0; i < 4; ++i) {
      const int st = read_line(unit, l);
      note(st, l);
    }
    note(rewind_unit(unit), "");
    const int st = read_line(unit, l);
    note(st, l);
    return seen;
  }
  std::vector<unsigned char> rec;
  char buf[6] = {'-', '-', '-', '-', '-', '-'};
  std::size_t len = 0;
  for (int pass = 0; pass < 2; ++pass) {
    int st = read_record_into(unit, buf, 6, len);
    note(st, std::to_string(len) + std::string(buf, 6));
    st = skip_record(unit);
    note(st, "");
    st = read_record(unit, rec);
    note(st, std::string(rec.begin(), rec.end()));
    note(rewind_unit(unit), "");
  }
  return seen;
}

// A file served from memory reads exactly as the same bytes on disk, sound
// or broken: what the fuzz harnesses find through it is what a run finds.
TEST(Units, AFileServedFromMemoryReadsAsTheSameFileOnDisk) {
  tna_test::ScratchDir d("units");
  const std::string two = std::string("\x03\0\0\0abc\x03\0\0\0\x08\0\0\0ABCDEFGH\x08\0\0\0", 24);
  struct Case {
    const char* what;
    Form form;
    std::string bytes;
  } cases[] = {
      {"two records", Form::Unformatted, two + std::string("\x01\0\0\0z\x01\0\0\0", 9)},
      {"empty", Form::Unformatted, ""},
      {"length beyond the file", Form::Unformatted, two + std::string("\xff\xff\xff\x0f", 4) + "abc"},
      {"trailing marker differs", Form::Unformatted, std::string("\x06\0\0\0abcdef\x05\0\0\0", 14)},
      {"ends inside a marker", Form::Unformatted, two + std::string("\x02\0", 2)},
      {"negative length", Form::Unformatted, std::string("\xfe\xff\xff\xff", 4) + std::string(8, 'x')},
      {"lines", Form::Formatted, "one\r\ntwo\n\nlast"},
  };
  for (const auto& c : cases) {
    write_file("disk.bin", c.bytes);
    serve_file_from_memory("mem.bin  ", c.bytes.data(), c.bytes.size());
    ASSERT_EQ(open_unit(10, "disk.bin", c.form, "OLD"), 0) << c.what;
    ASSERT_EQ(open_unit(11, "mem.bin", c.form, "OLD"), 0) << c.what;
    EXPECT_EQ(reads_of(11, c.form), reads_of(10, c.form)) << c.what;
    EXPECT_EQ(file_name(11), "mem.bin") << c.what;
    close_unit(10);
    close_unit(11);
  }
  EXPECT_FALSE(d.exists("mem.bin"));
  serve_file_from_memory("mem.bin", nullptr, 0);
}

// A served name stands for an existing read-only file until it is removed;
// removing it never touches a file of that name on disk.
TEST(Units, AFileServedFromMemoryIsAnExistingReadOnlyFile) {
  tna_test::ScratchDir d("units");
  const std::string bytes("\x01\0\0\0q\x01\0\0\0", 9);
  write_file("both.bin", "on disk");
  serve_file_from_memory("both.bin", bytes.data(), bytes.size());
  bool ex = false;
  EXPECT_EQ(inquire_exists("both.bin ", ex), 0);
  EXPECT_TRUE(ex);
  EXPECT_EQ(open_unit(12, "both.bin", Form::Unformatted, "NEW"), EEXIST);
  EXPECT_EQ(open_unit(12, "both.bin", Form::Unformatted, "REPLACE"), EACCES);
  ASSERT_EQ(open_unit(12, "both.bin", Form::Unformatted, "UNKNOWN"), 0);
  std::vector<unsigned char> rec;
  ASSERT_EQ(read_record(12, rec), 0);
  EXPECT_EQ(std::string(rec.begin(), rec.end()), "q");
  EXPECT_EQ(write_record(12, "x", 1), EBADF);
  EXPECT_EQ(close_unit(12, true), 0);  // stops serving it
  EXPECT_EQ(d.read("both.bin"), "on disk");
  ASSERT_EQ(open_unit(12, "both.bin", Form::Formatted, "OLD"), 0);  // the file on disk again
  std::string l;
  EXPECT_EQ(read_line(12, l), 0);
  EXPECT_EQ(l, "on disk");
  close_unit(12);

  serve_file_from_memory("gone.bin", bytes.data(), bytes.size());
  EXPECT_EQ(remove_file("gone.bin"), 0);
  EXPECT_EQ(inquire_exists("gone.bin", ex), 0);
  EXPECT_FALSE(ex);
  EXPECT_EQ(open_unit(12, "gone.bin", Form::Unformatted, "OLD"), ENOENT);
  serve_file_from_memory("kept.bin", bytes.data(), bytes.size());
  serve_file_from_memory("kept.bin", nullptr, 0);
  EXPECT_EQ(open_unit(12, "kept.bin", Form::Unformatted, "OLD"), ENOENT);
}

TEST(Units, ADiscardingUnitTakesEveryWriteAndReadsNothing) {
  tna_test::ScratchDir d("units");
  ASSERT_EQ(open_discarding_unit(13, Form::Formatted), 0);
  EXPECT_TRUE(is_open(13));
  EXPECT_EQ(file_name(13), "");
  EXPECT_EQ(write_line(13, "a line"), 0);
  EXPECT_EQ(write_partial(13, "part"), 0);
  EXPECT_EQ(end_line(13), 0);
  std::string l = "x";
  EXPECT_EQ(read_line(13, l), kEnd);
  EXPECT_EQ(write_line(13, "after a read"), 0);
  EXPECT_EQ(rewind_unit(13), 0);
  EXPECT_EQ(close_unit(13, true), 0);
  ASSERT_EQ(open_discarding_unit(13, Form::Unformatted), 0);
  EXPECT_EQ(write_record(13, "abc", 3), 0);
  EXPECT_EQ(write_line(13, "x"), kWrongForm);
  std::vector<unsigned char> rec;
  EXPECT_EQ(read_record(13, rec), kEnd);
  close_all();
  EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::current_path()));
}

TEST(Process, ExitCanBeObservedWithoutEndingTheTest) {
  plat::set_exit_throws(true);
  try {
    plat::exit_process(3);
    FAIL();
  } catch (const plat::ProcessExit& e) {
    EXPECT_EQ(e.status, 3);
  }
  testing::internal::CaptureStderr();
  try {
    plat::consistency_stop("Sdblkx 1");
  } catch (const plat::ProcessExit& e) {
    EXPECT_EQ(e.status, 1);
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "STOP Sdblkx 1\n");
  plat::set_exit_throws(false);
}

TEST(Process, ExitProcessEndsWithItsStatusAndClosesUnits) {
  EXPECT_EXIT(
      {
        open_unit(40, "/tmp/tna_exit_probe.txt", Form::Formatted, "UNKNOWN");
        write_partial(40, "kept");
        plat::exit_process(1);
      },
      testing::ExitedWithCode(1), "");
  std::ifstream in("/tmp/tna_exit_probe.txt");
  std::string s;
  std::getline(in, s);
  EXPECT_EQ(s, "kept");
  std::remove("/tmp/tna_exit_probe.txt");
}

TEST(Process, TheClockSeamFixesDateAndTime) {
  plat::DateTime fixed;
  fixed.year = 2001;
  fixed.month = 2;
  fixed.day = 3;
  fixed.hour = 4;
  plat::set_fixed_clock(&fixed);
  EXPECT_EQ(plat::now().year, 2001);
  EXPECT_EQ(plat::now().hour, 4);
  plat::set_fixed_clock(nullptr);
  EXPECT_GE(plat::now().year, 2024);
}

}  // namespace
