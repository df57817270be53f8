#include "modeldata/mdb_readers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "core/diagnostics.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/state_test.h"
#include "support/test_env.h"
#include "tools/mdb_writer.h"

namespace {

using mdbw::Record;

constexpr int kUnit = 10;

class MdbReaders : public tna_test::StateTest {
 protected:
  void TearDown() override {
    plat::set_exit_throws(false);
    plat::io::close_unit(kUnit);
  }
  // Writes the records as DB.MDB and opens it on unit 10 the way the load does.
  void open(const std::vector<Record>& records, std::size_t cut_bytes = 0) {
    auto bytes = mdbw::frame(records);
    bytes.resize(bytes.size() - cut_bytes);
    mdbw::write_bytes("DB.MDB", bytes);
    int status = -9;
    SOPSQ("DB.MDB", "UNFORMATTED", "OLD", kUnit, status);
    ASSERT_EQ(status, 0);
  }
  // The next record must be the given integers (the reader left the file there).
  void expect_next(const std::vector<int>& words) {
    std::vector<int> got(words.size());
    int st = 0;
    DBQRII(static_cast<int>(words.size()), kUnit, plat::Vec1<int>(got.data(), static_cast<std::int64_t>(got.size())),
           st);
    EXPECT_EQ(got, words);
  }
  tna_test::ScratchDir dir_{"mdb"};
};

Record hdr(int key, int type, int length) { return mdbw::int_record({key, type, length, 0}); }

// ---- keyed integer and real lists ----

TEST_F(MdbReaders, ChunkedIntegerListReadsBackWholeAfterTheBase) {
  open({hdr(14, 7, 999), mdbw::int_record({3}), hdr(1, 1, 4), mdbw::int_record({1, 2, 3, 4}), hdr(2, 1, 0),
        mdbw::int_record({77}), hdr(3, 0, 2), mdbw::int_record({5, 6}), mdbw::int_record({-1, 0, 0, 0})});
  std::vector<int> a(10, -5);
  int count = -1, status = -1;
  SCOMII(2, 8, 14, kUnit, plat::Vec1<int>(a.data(), 10), count, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(count, 6);
  EXPECT_EQ(a, (std::vector<int>{-5, -5, 1, 2, 3, 4, 5, 6, -5, -5}));
  expect_next({-1, 0, 0, 0});
}

TEST_F(MdbReaders, WriterChunksReadBackWholeForIntegersAndReals) {
  std::vector<int> ints(23);
  std::vector<double> reals(17);
  for (int i = 0; i < 23; ++i) ints[static_cast<std::size_t>(i)] = 100 + i;
  for (int i = 0; i < 17; ++i) reals[static_cast<std::size_t>(i)] = 0.5 * i - 3.0;
  std::vector<Record> recs;
  auto li = mdbw::int_list(ints);
  li.chunk = 5;
  auto lr = mdbw::real_list(reals);
  lr.chunk = 4;
  mdbw::append_list(recs, 59, li);
  mdbw::append_list(recs, 60, lr);
  open(recs);
  std::vector<int> a(23);
  std::vector<double> r(17);
  int count = 0, status = -1;
  SCOMII(0, 23, 59, kUnit, plat::Vec1<int>(a.data(), 23), count, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(count, 23);
  EXPECT_EQ(a, ints);
  SCOMDD(0, 17, 60, kUnit, plat::Vec1<double>(r.data(), 17), count, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(count, 17);
  EXPECT_EQ(r, reals);
}

TEST_F(MdbReaders, KeyAndTypeRefusalsLeaveTheDataRecordUnread) {
  struct Case {
    const char* what;
    int key, type, expected_key;
    int reader;  // 0 SCOMII, 1 SCOMDD, 2 SCOMZZ
    int status;
  };
  // clang-format off
  const Case cases[] = {
      {"next key (a list missing)", 6, 1, 5, 0, 1}, {"type -1, integer", 5, -1, 5, 0, 1},
      {"type -1, real", 5, -1, 5, 1, 1},             {"type 1, character", 5, 1, 5, 2, 1},
      {"type 0, integer", 5, 0, 5, 0, 0},            {"type 0, character", 5, 0, 5, 2, 0},
      {"type -3, character", 5, -3, 5, 2, 0},        {"type 3, real", 5, 3, 5, 1, 0},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    open({hdr(c.key, c.type, 4), mdbw::int_record({1, 2, 3, 4}), mdbw::int_record({-1, 0, 0, 0})});
    int count = -1, status = -1;
    std::vector<int> ai(4);
    std::vector<double> ad(2);
    std::string az(4, ' ');
    if (c.reader == 0) SCOMII(0, 4, c.expected_key, kUnit, plat::Vec1<int>(ai.data(), 4), count, status);
    if (c.reader == 1) SCOMDD(0, 2, c.expected_key, kUnit, plat::Vec1<double>(ad.data(), 2), count, status);
    if (c.reader == 2) SCOMZZ(0, 4, c.expected_key, kUnit, 1, TextVec1(az.data(), 4, 1), count, status);
    EXPECT_EQ(status, c.status);
    if (c.status != 0) {
      expect_next({1, 2, 3, 4});
    } else {
      expect_next({-1, 0, 0, 0});
    }
  }
}

TEST_F(MdbReaders, CapacityIsExactAndNeverExceeded) {
  struct Case {
    int base, capacity;
    std::int64_t array_size;
    int status;
  };
  // Five integers: base + 5 = capacity fits; one less does not; nor does a
  // capacity beyond the array the caller actually passes.
  const Case cases[] = {{3, 8, 8, 0}, {3, 7, 8, 2}, {0, 100, 4, 2}, {-1, 8, 8, 2}, {0, 5, 5, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "base " << c.base << " capacity " << c.capacity);
    open({hdr(9, 1, 5), mdbw::int_record({1, 2, 3, 4, 5}), mdbw::int_record({-1, 0, 0, 0})});
    std::vector<int> a(static_cast<std::size_t>(c.array_size) + 2, 0);
    int count = -1, status = -1;
    // The view covers array_size elements; the guard words around it must stay 0.
    SCOMII(c.base, c.capacity, 9, kUnit, plat::Vec1<int>(a.data() + 1, c.array_size), count, status);
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(a.front(), 0);
    EXPECT_EQ(a.back(), 0);
    if (c.status == 2) {
      EXPECT_EQ(count, 0);
      expect_next({1, 2, 3, 4, 5});
    }
  }
}

TEST_F(MdbReaders, ChunkThatOverflowsStopsAfterTheChunksBefore) {
  open({hdr(14, 7, 0), mdbw::int_record({2}), hdr(1, 1, 3), mdbw::int_record({1, 2, 3}), hdr(2, 1, 3),
        mdbw::int_record({4, 5, 6})});
  std::vector<int> a(5, 0);
  int count = -1, status = -1;
  SCOMII(0, 5, 14, kUnit, plat::Vec1<int>(a.data(), 5), count, status);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(count, 3);
  expect_next({4, 5, 6});
}

TEST_F(MdbReaders, ChunkStatuses) {
  struct Case {
    const char* what;
    std::vector<Record> records;
    int status;
    int count;
  };
  // clang-format off
  const Case cases[] = {
      {"chunk keys 1, 3", {hdr(4, 7, 0), mdbw::int_record({2}), hdr(1, 1, 1), mdbw::int_record({9}), hdr(3, 1, 1),
                           mdbw::int_record({8})}, 1, 1},
      {"chunk count record missing", {hdr(4, 7, 0)}, plat::io::kEnd, 0},
      {"chunk count record empty", {hdr(4, 7, 0), Record{}}, plat::io::kPastRecord, 0},
      {"zero chunks", {hdr(4, 7, 0), mdbw::int_record({0})}, 0, 0},
      {"negative chunk count", {hdr(4, 7, 0), mdbw::int_record({-4})}, 0, 0},
      {"chunked chunk", {hdr(4, 7, 0), mdbw::int_record({1}), hdr(1, 7, 0), mdbw::int_record({1})}, 1, 0},
      {"negative length reads as empty", {hdr(4, 1, -8), mdbw::int_record({})}, 0, 0},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    open(c.records);
    std::vector<int> a(4, 0);
    int count = -1, status = -9;
    SCOMII(0, 4, 4, kUnit, plat::Vec1<int>(a.data(), 4), count, status);
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(count, c.count);
  }
}

TEST_F(MdbReaders, RealListLengthCountsWords) {
  for (int length : {6, 7}) {
    open({hdr(2, 2, length), mdbw::real_record({1.5, -2.5, 3.25, 99.0})});
    std::vector<double> a(4, 0.0);
    int count = -1, status = -1;
    SCOMDD(0, 4, 2, kUnit, plat::Vec1<double>(a.data(), 4), count, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(count, 3) << length;
    EXPECT_EQ(a, (std::vector<double>{1.5, -2.5, 3.25, 0.0}));
  }
}

TEST_F(MdbReaders, CharacterListRoundsUpToWholeItems) {
  open({hdr(12, -1, 50), mdbw::text_record(24, {"NODE ONE", "NODE TWO", "NODE THREE"}), hdr(13, 0, 0), Record{}});
  plat::Array1<plat::Text<24>> labels(5);
  int count = -1, status = -1;
  SCOMZZ(1, 5, 12, kUnit, 24, labels, count, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(labels(1), "");
  EXPECT_EQ(labels(2), "NODE ONE");
  EXPECT_EQ(labels(4), "NODE THREE");
  EXPECT_EQ(labels(5), "");
  // An empty character list: its data record is skipped, nothing stored.
  SCOMZZ(0, 5, 13, kUnit, 1, labels, count, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(labels(2), "NODE ONE");
}

TEST_F(MdbReaders, CharacterListTooLongForItsCapacity) {
  open({hdr(12, -1, 72), mdbw::text_record(24, {"A", "B", "C"})});
  plat::Array1<plat::Text<24>> labels(5);
  int count = -1, status = -1;
  SCOMZZ(3, 5, 12, kUnit, 24, labels, count, status);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(count, 3);  // the count is known before the capacity test
}

// ---- record readers ----

TEST_F(MdbReaders, MarkerRecognition) {
  struct Case {
    std::vector<int> words;
    int found, status;
  };
  const Case cases[] = {{{-1, 0, 0, 0}, 1, 0},
                        {{5, 0, 0, 0}, 0, 5},
                        {{0, 0, 0, 0}, 0, 0},
                        {{-1, 0, 0, 1}, 0, -1},
                        {{-1, 0, 0, 0, 9}, 1, 0}};
  for (const auto& c : cases) {
    open({mdbw::int_record(c.words)});
    int found = -9, status = -9;
    DBQRMK(kUnit, found, status);
    EXPECT_EQ(found, c.found);
    EXPECT_EQ(status, c.status);
  }
}

TEST_F(MdbReaders, SkipOfListsMarkedPresent) {
  // Keys 62..63 with only 63 present: exactly its two records go.
  open({hdr(63, 1, 1), mdbw::int_record({1}), mdbw::int_record({-1, 0, 0, 0})});
  std::vector<int> dir(580, 0);
  dir[2 * 63 - 1] = 1;
  dir[2 * 61 - 1] = 1;  // key 61 lies outside the range
  dir[2 * 62 - 2] = 7;  // the first word of a pair says nothing
  int status = -1;
  SCOMSK(plat::Vec1<const int>(dir.data(), 580), 2, 290, 62, 63, kUnit, status);
  EXPECT_EQ(status, 0);
  expect_next({-1, 0, 0, 0});
  // Keys beyond the directory count as absent.
  SCOMSK(plat::Vec1<const int>(dir.data(), 580), 2, 290, 289, 400, kUnit, status);
  EXPECT_EQ(status, 0);
}

TEST_F(MdbReaders, RecordReadersTakeTheLeadingItemsOfARecord) {
  open({mdbw::int_record({1, 2, 3}), mdbw::real_record({0.25, 0.5}), mdbw::text_record(3, {"ab", "cde", "fgh"}),
        mdbw::int_record({}), mdbw::int_record({4}), mdbw::int_record({5})});
  std::vector<int> i(2);
  std::vector<double> d(1);
  std::string z(6, '#');
  int st = -1;
  DBQRII(2, kUnit, plat::Vec1<int>(i.data(), 2), st);
  EXPECT_EQ(i, (std::vector<int>{1, 2}));
  DBQRDD(1, kUnit, plat::Vec1<double>(d.data(), 1), st);
  EXPECT_EQ(d[0], 0.25);
  DBQRZZ(2, kUnit, TextVec1(z.data(), 2, 3), st);
  EXPECT_EQ(z, "ab cde");
  DBQRSK(2, kUnit, st);
  EXPECT_EQ(st, 0);
  DBQRSK(0, kUnit, st);
  expect_next({5});
}

// ---- the fatal path ----

struct FatalCase {
  const char* what;
  std::vector<Record> records;
  std::function<void()> read;
  const char* routine;
  int io_status;
};

// Runs a reader that must end the run and returns the listing it printed.
std::string run_to_fatal_end(const std::function<void()>& read, int& exit_status) {
  plat::set_exit_throws(true);
  testing::internal::CaptureStdout();
  exit_status = -1;
  try {
    read();
  } catch (const plat::ProcessExit& e) {
    exit_status = e.status;
  }
  return testing::internal::GetCapturedStdout();
}

std::string expected_message(const std::string& name, int unit, int io) {
  std::string m = "File input error has occurred@File name = \"" + name +
                  "\",  Unit no.=" + filesvc::int_field(unit, 3) +
                  ",  Fortran I/O error =" + filesvc::int_field(io, 4) +
                  "             For an explanation: see your Fortran Manual";
  m.resize(200, ' ');
  return m;
}

TEST_F(MdbReaders, TruncatedFileEndsTheRunWithTheFileInputBox) {
  // The last record loses its closing length word, then half its data, then everything.
  for (std::size_t cut : {4u, 10u, 24u}) {
    SCOPED_TRACE(cut);
    open({hdr(1, 1, 4), mdbw::int_record({1, 2, 3, 4})}, cut);
    std::vector<int> a(4);
    int count = 0, status = 0, exit_status = 0;
    const std::string out =
        run_to_fatal_end([&] { SCOMII(0, 4, 1, kUnit, plat::Vec1<int>(a.data(), 4), count, status); }, exit_status);
    EXPECT_EQ(exit_status, 1);
    const int io = cut == 24 ? plat::io::kEnd : plat::io::kBadRecord;
    // The listing is the file-error box of exactly this message, then the unrecoverable-error text.
    reset_message_counters();
    int dummy = 0;
    const std::string expected = run_to_fatal_end(
        [&] {
          ERRNEW(expected_message("DB.MDB", kUnit, io), 1, 1, "DBQRII");
          ERROR("DBQRII");
        },
        dummy);
    EXPECT_EQ(out, expected);
    EXPECT_NE(out.find("File input error has occurred"), std::string::npos);
    EXPECT_NE(out.find("Unrecoverable error condition in module DBQRII"), std::string::npos);
    reset_message_counters();
  }
}

TEST_F(MdbReaders, EveryRecordReaderEndsTheRunOnAFailedRead) {
  std::vector<int> i(8);
  std::vector<double> d(8);
  std::string z(80, ' ');
  // A list header of 50 characters of 24-character items whose record holds only 48.
  const std::vector<Record> short_list = {hdr(1, -1, 50), Record(48, 'x')};
  // clang-format off
  const FatalCase cases[] = {
      {"integers past the record", short_list,
       [&] { int s; DBQRII(5, kUnit, plat::Vec1<int>(i.data(), 8), s); }, "DBQRII", plat::io::kPastRecord},
      {"texts past the record", {Record(48, 'x')},
       [&] { int s; DBQRZZ(3, kUnit, TextVec1(z.data(), 3, 24), s); }, "DBQRZZ", plat::io::kPastRecord},
      {"marker past the record", {mdbw::int_record({-1, 0, 0})},
       [&] { int f, s; DBQRMK(kUnit, f, s); }, "DBQRMK", plat::io::kPastRecord},
      {"marker at the end", {}, [&] { int f, s; DBQRMK(kUnit, f, s); }, "DBQRMK", plat::io::kEnd},
      {"skip past the end", short_list, [&] { int s; DBQRSK(3, kUnit, s); }, "DBQRSK", plat::io::kEnd},
      {"character list record short of its items", short_list,
       [&] { int c, s; SCOMZZ(0, 3, 1, kUnit, 24, TextVec1(z.data(), 3, 24), c, s); }, "DBQRZZ",
       plat::io::kPastRecord},
      {"header of a list cut short", {mdbw::int_record({1, 1})},
       [&] { int c, s; SCOMII(0, 8, 1, kUnit, plat::Vec1<int>(i.data(), 8), c, s); }, "DBQRII",
       plat::io::kPastRecord},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    open(c.records);
    int exit_status = 0;
    const std::string out = run_to_fatal_end(c.read, exit_status);
    EXPECT_EQ(exit_status, 1);
    EXPECT_NE(out.find("File input error has occurred"), std::string::npos);
    EXPECT_NE(out.find(std::string("Unrecoverable error condition in module ") + c.routine), std::string::npos);
    reset_message_counters();
    int dummy = 0;
    const std::string expected = run_to_fatal_end(
        [&] {
          ERRNEW(expected_message("DB.MDB", kUnit, c.io_status), 1, 1, c.routine);
          ERROR(c.routine);
        },
        dummy);
    EXPECT_EQ(out, expected);
    reset_message_counters();
  }
}

TEST_F(MdbReaders, RealReaderHasItsOwnMessage) {
  open({mdbw::int_record({1})});
  std::vector<double> d(1);
  int exit_status = 0;
  const std::string out = run_to_fatal_end(
      [&] {
        int s;
        DBQRDD(1, kUnit, plat::Vec1<double>(d.data(), 1), s);
      },
      exit_status);
  EXPECT_EQ(exit_status, 1);
  std::string m =
      "File input error has occurred@Reading double precision data from the model data file@Try pre-processing "
      "again@File name = \"DB.MDB\",  Unit no.= 10,  Fortran I/O error =5001<NL>For an explanation: see your "
      "Fortran Manual";
  m.resize(300, ' ');
  EXPECT_EQ(mdbr::real_read_error_message("DB.MDB", 10, 5001), m);
  EXPECT_NE(out.find("module Dbqrdd"), std::string::npos);
}

TEST(MdbMessages, NameShownAfterTheBracketUpToTheFirstBlank) {
  EXPECT_EQ(mdbr::read_error_message("[DIR.SUB]MODEL.MDB", 10, -1), expected_message("MODEL.MDB", 10, -1));
  EXPECT_EQ(mdbr::read_error_message("MODEL.MDB more", 10, 2), expected_message("MODEL.MDB", 10, 2));
  // The real reader's message keeps the directory part.
  EXPECT_NE(mdbr::real_read_error_message("[D]M.MDB", 10, 2).find("\"[D]M.MDB\""), std::string::npos);
}

// ---- block moves ----

TEST(BlockMoves, IntegerMovesClearOnlyTheVacatedPlaces) {
  struct Case {
    int ntot, n, from, to, status;
    std::vector<int> result;
  };
  const std::vector<int> start = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  // clang-format off
  const Case cases[] = {
      {10, 3, 3, 1, 0, {3, 4, 5, 0, 0, 6, 7, 8, 9, 10}},
      {10, 3, 1, 3, 0, {0, 0, 1, 2, 3, 6, 7, 8, 9, 10}},
      {10, 3, 1, 8, 0, {0, 0, 0, 4, 5, 6, 7, 1, 2, 3}},
      {10, 3, 4, 4, 0, start},
      {10, 3, 1, 9, 1, start},   // to + n - 1 = ntot + 1
      {10, 3, 9, 1, 1, start},
      {10, 0, 1, 2, -1, start},
      {0, 1, 1, 1, -1, start},
      {10, 1, 0, 1, -1, start},
      {12, 3, 9, 1, 1, start},   // ntot beyond the array the caller passes
  };
  // clang-format on
  for (const auto& c : cases) {
    std::vector<int> a = start;
    int status = 99;
    DBCOPI(c.ntot, c.n, c.from, c.to, plat::Vec1<int>(a.data(), 10), status);
    EXPECT_EQ(status, c.status) << c.from << "->" << c.to;
    EXPECT_EQ(a, c.result) << c.from << "->" << c.to;
  }
}

TEST(BlockMoves, CharacterMovesBlankTheVacatedItems) {
  plat::Array1<plat::Text<18>> names(6);
  const char* init[] = {"A", "B", "C", "D", "E", "F"};
  for (int i = 1; i <= 6; ++i) names(i) = init[i - 1];
  int status = 9;
  DBCOPZ(6, 2, 1, 5, names, status);  // park two names at the end
  EXPECT_EQ(status, 0);
  std::vector<std::string> got;
  for (int i = 1; i <= 6; ++i) got.emplace_back(names(i).trimmed());
  EXPECT_EQ(got, (std::vector<std::string>{"", "", "C", "D", "A", "B"}));
  DBCOPZ(6, 3, 3, 2, names, status);  // overlapping move down
  got.clear();
  for (int i = 1; i <= 6; ++i) got.emplace_back(names(i).trimmed());
  EXPECT_EQ(got, (std::vector<std::string>{"", "C", "D", "A", "", "B"}));
  DBCOPZ(6, 2, 5, 6, names, status);
  EXPECT_EQ(status, 1);
}

}  // namespace
