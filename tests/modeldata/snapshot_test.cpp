#include "modeldata/snapshot.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <type_traits>
#include <vector>

#include "core/control_constants.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/small_model.h"
#include "support/state_test.h"
#include "support/test_env.h"

namespace {

constexpr int kUnit = 2;

// Sizes of a test model.
struct Sizes {
  int nt = 5, ngl = 4, ngr = 3, ngf = 2, ngv = 2, nf = 3, nl = 2, nm = 2;
  int narrays = 2, larrinfo = 12, nrealel = 7, nintel = 4, ncharel = 1;
  int nucn = 3, nrealuc = 1, nintuc = 1, ncharuc = 1, ncharpool = 1;
  int ncc = 92, lpcsold = 40, lpcsth = 36, lpcsfluid = 20, nalias = 2, dystor = 16;
  int nrealent = 1, nintent = 1, nchent = 1;
};

void allocate(const Sizes& s) {
  gar_deallocate_all();
  FLAGS = FlagsRecord{};
  FLAGS(1) = s.nt;
  FLAGS(10) = 0;  // local real control constants
  FLAGS(11) = 2;  // local integer control constants: NODES, NODESM
  FLAGS(13) = gcc_num_real;
  FLAGS(14) = gcc_num_int;
  FLAGS(19) = s.narrays;
  FLAGS(26) = s.nm;
  FLAGS(29) = 3;
  FLAGS(36) = 4;
  tna_test::ArraySizes c{s.larrinfo, s.dystor, 18,        s.lpcsfluid, s.lpcsth,    s.lpcsold,  s.narrays,
                         s.ncc,      s.nucn,   s.ncharel, s.ncharuc,   s.ncharpool, s.ngf,      s.nf,
                         s.nintel,   s.nintuc, s.ngl,     s.nl,        s.nalias,    s.ngr,      s.nrealel,
                         s.nrealuc,  s.nm,     s.nt,      s.nchent,    s.nintent,   s.nrealent, s.ngv};
  c.allocate();
}

// Sets or changes one element in a way that depends on its place, so that
// two arrays never look alike and a changed element never equals its old value.
template <class T>
void touch(T& v, std::int64_t k, int round) {
  if constexpr (std::is_same_v<T, double>) {
    v = v * 2.0 + 0.25 * static_cast<double>(k) + round;
  } else if constexpr (std::is_same_v<T, std::int32_t>) {
    v = v * 3 + static_cast<std::int32_t>(k) + round;
  } else {
    std::string t = std::to_string(k * 10 + round) + "R" + std::string(v.trimmed()).substr(0, 6);
    v = t.substr(0, T::size());
    if (T::size() == 1) v = std::string(1, static_cast<char>('A' + (k + round) % 26));
  }
}

// Changes every element of every global array and of the control-constant
// and job records.
void touch_everything(int round) {
#define TNA_T1(name, T, n) \
  for (std::int64_t k = 1; k <= name.size(); ++k) touch(name(k), k, round);
#define TNA_T2(name, T, r, c) \
  for (std::int64_t k = 1; k <= name.size(); ++k) touch(name.flat()(k), k, round);
  TNA_GAR_LIST(TNA_T1, TNA_T2)
#undef TNA_T1
#undef TNA_T2
  for (std::int64_t k = 1; k <= LOCI.size(); ++k) touch(LOCI.flat()(k), k, round);
  int k = 0;
#define TNA_X(U, l) touch(GLOR.U, ++k, round);
  TNA_GLOR_LIST(TNA_X)
#undef TNA_X
#define TNA_X(U, l) touch(GLOI.U, ++k, round);
  TNA_GLOI_LIST(TNA_X)
#undef TNA_X
#define TNA_X(U, l, n, d) GLOC.U = "C" + std::to_string(++k * 10 + round);
  TNA_GLOC_LIST(TNA_X)
#undef TNA_X
  JOBINF.jobname = "JOB" + std::to_string(round);
  JOBINF.date = "0" + std::to_string(round) + " January 2031";
  JOBINF.time = "1" + std::to_string(round) + ":00:00";
}

// One framed record of a file.
struct Rec {
  std::uint32_t head, tail;
  std::string bytes;
};

std::uint32_t le32(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
  return v;
}

// Splits a file into its framed records; false when the framing breaks.
bool split(const std::string& file, std::vector<Rec>& out) {
  out.clear();
  std::size_t at = 0;
  while (at < file.size()) {
    if (file.size() - at < 8) return false;
    const std::uint32_t n = le32(file, at);
    if (file.size() - at - 8 < n) return false;
    out.push_back({n, le32(file, at + 4 + n), file.substr(at + 4, n)});
    at += 8 + n;
  }
  return true;
}

std::string frame(const std::string& bytes) {
  std::string out(4, '\0');
  const std::uint32_t n = static_cast<std::uint32_t>(bytes.size());
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((n >> (8 * i)) & 0xff);
  return out + bytes + out;
}

void write_file(const std::string& name, const std::string& bytes) {
  std::ofstream(name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class Snapshot : public tna_test::StateTest {
 protected:
  void SetUp() override {
    allocate(Sizes{});
    touch_everything(1);
  }
  void TearDown() override {
    plat::io::close_unit(kUnit);
    FLAGS = FlagsRecord{};
    GLOR = GlorRecord{};
    GLOI = GloiRecord{};
    GLOC = GlocRecord{};
  }
  // The snapshot of the current state as a file of its own, read back whole.
  std::string dump(const std::string& name, int* status = nullptr) {
    EXPECT_EQ(plat::io::open_unit(kUnit, name, plat::io::Form::Unformatted, "UNKNOWN"), 0);
    int st = -1;
    DMPCOM(kUnit, st);
    if (status) *status = st;
    plat::io::close_unit(kUnit);
    return dir_.read(name);
  }
  int restore(const std::string& name) {
    EXPECT_EQ(plat::io::open_unit(kUnit, name, plat::io::Form::Unformatted, "OLD"), 0);
    int st = -1;
    RSTCOM(kUnit, st);
    return st;
  }

  tna_test::ScratchDir dir_{"snapshot"};
};

TEST_F(Snapshot, EightyFiveFramedRecordsOfTheStatedLengths) {
  int status = -1;
  const std::string file = dump("MODEL.COM", &status);
  EXPECT_EQ(status, 0);
  std::vector<Rec> recs;
  ASSERT_TRUE(split(file, recs));
  ASSERT_EQ(recs.size(), 85u);
  for (const Rec& r : recs) EXPECT_EQ(r.head, r.tail);

  struct Len {
    int record;
    std::size_t bytes;
  };
  // clang-format off
  const std::vector<Len> lens = {
      {1, 49},   {2, 702},  {3, 18 * 3 * 4}, {4, 2},       {5, 48},        {6, 5 * 4},     {7, 5 * 8},
      {23, 5},   {25, 120}, {26, 4 * 8},     {27, 4},      {34, 2 * 2 * 4}, {35, 3 * 18},  {39, 133},
      {45, 133}, {46, 92 * 18}, {47, 25 * 4}, {48, 49 * 8}, {49, 2 * 2 * 4}, {50, 0},       {51, 5 * 4},
      {52, 40 * 4}, {53, 3 * 4}, {65, 3 * 24}, {73, 3 * 4}, {80, 2 * 2 * 4}, {83, 2},       {84, 3 * 4},
      {85, 20 * 4},
  };
  // clang-format on
  for (const Len& l : lens) EXPECT_EQ(recs[l.record - 1].bytes.size(), l.bytes) << "record " << l.record;

  // Record 1: job name, date, time in that order.
  EXPECT_EQ(recs[0].bytes, JOBINF.jobname.str() + JOBINF.date.str() + JOBINF.time.str());
  // Whole records are the arrays' bytes in storage order.
  EXPECT_EQ(recs[6].bytes, std::string(reinterpret_cast<const char*>(gar_thermalnodetemps.data()), 5 * 8));
  EXPECT_EQ(recs[46].bytes, std::string(reinterpret_cast<const char*>(&GLOI), 100));
  EXPECT_EQ(recs[1].bytes, std::string(reinterpret_cast<const char*>(&GLOC), 702));
  EXPECT_EQ(recs[2].bytes, std::string(reinterpret_cast<const char*>(gar_modeldirectory.data()), 18 * 3 * 4));
}

TEST_F(Snapshot, RestoreBringsBackTheSnapshotAndOnlyIt) {
  const std::string before = dump("MODEL.COM");
  // Left alone by a restore: keep copies of their changed values.
  touch_everything(2);
  GLOI.STEPCT = 4711;
  GLOC.PARNAM = "CASE 7";
  FLAGS(29) = 9;
  FLAGS(36) = 11;
  PRTINF(4) = 12;
  const FlagsRecord flags = FLAGS;
  const std::vector<std::int32_t> pcs(gar_pcsthermal.begin(), gar_pcsthermal.end());
  const std::vector<std::int32_t> pcsptrs(gar_pcsptrsthermal.data(),
                                          gar_pcsptrsthermal.data() + gar_pcsptrsthermal.size());
  const std::vector<std::int32_t> aliases(gar_nodealiasnumbers.begin(), gar_nodealiasnumbers.end());
  const std::vector<double> mfconds(gar_massflowlinkconds.begin(), gar_massflowlinkconds.end());
  const std::vector<double> core(gar_dynamiccorereal.begin(), gar_dynamiccorereal.end());
  const std::vector<std::int32_t> pairs(gar_linearcondnodepairs.begin(), gar_linearcondnodepairs.end());

  EXPECT_EQ(restore("MODEL.COM"), 0);
  plat::io::close_unit(kUnit);
  // Everything in the snapshot is as it was ...
  EXPECT_EQ(dump("AGAIN.COM"), before);
  EXPECT_NE(GLOI.STEPCT, 4711);
  EXPECT_EQ(JOBINF.jobname, "JOB1");
  EXPECT_EQ(JOBINF.date, "01 January 2031");
  EXPECT_EQ(JOBINF.time, "11:00:00");
  EXPECT_NE(GLOC.PARNAM, "CASE 7");
  // ... and everything else keeps what it had.
  for (int w = 1; w <= 41; ++w) EXPECT_EQ(FLAGS(w), flags(w)) << w;
  EXPECT_EQ(PRTINF(4), 12);
  EXPECT_EQ(std::vector<std::int32_t>(gar_pcsthermal.begin(), gar_pcsthermal.end()), pcs);
  EXPECT_EQ(
      std::vector<std::int32_t>(gar_pcsptrsthermal.data(), gar_pcsptrsthermal.data() + gar_pcsptrsthermal.size()),
      pcsptrs);
  EXPECT_EQ(std::vector<std::int32_t>(gar_nodealiasnumbers.begin(), gar_nodealiasnumbers.end()), aliases);
  EXPECT_EQ(std::vector<double>(gar_massflowlinkconds.begin(), gar_massflowlinkconds.end()), mfconds);
  EXPECT_EQ(std::vector<double>(gar_dynamiccorereal.begin(), gar_dynamiccorereal.end()), core);
  EXPECT_EQ(std::vector<std::int32_t>(gar_linearcondnodepairs.begin(), gar_linearcondnodepairs.end()), pairs);
}

TEST_F(Snapshot, TwoRestoresGiveTheSameState) {
  const std::string before = dump("MODEL.COM");
  std::vector<Rec> recs;
  ASSERT_TRUE(split(before, recs));
  std::vector<double> temps(5);
  std::memcpy(temps.data(), recs[6].bytes.data(), 5 * 8);
  ASSERT_EQ(plat::io::open_unit(kUnit, "MODEL.COM", plat::io::Form::Unformatted, "OLD"), 0);
  // The unit stays open across the cases; each restore rewinds it.
  for (int round = 2; round <= 3; ++round) {
    touch_everything(round);
    int st = -1;
    RSTCOM(kUnit, st);
    EXPECT_EQ(st, 0);
    EXPECT_EQ(std::vector<double>(gar_thermalnodetemps.begin(), gar_thermalnodetemps.end()), temps);
  }
  plat::io::close_unit(kUnit);
  EXPECT_EQ(dump("AGAIN.COM"), before);
}

TEST_F(Snapshot, EmptyKindsGiveEmptyRecords) {
  Sizes s;
  s.nf = s.nl = s.narrays = s.larrinfo = s.nrealel = s.nintel = s.ncharel = 0;
  s.lpcsfluid = s.ngv = 0;
  allocate(s);
  touch_everything(1);
  const std::string before = dump("MODEL.COM");
  std::vector<Rec> recs;
  ASSERT_TRUE(split(before, recs));
  ASSERT_EQ(recs.size(), 85u);
  for (int r : {32, 33, 34, 40, 41, 42, 43, 44, 45, 50, 53, 60, 70, 79, 80, 83, 84, 85})
    EXPECT_TRUE(recs[r - 1].bytes.empty()) << "record " << r;
  touch_everything(2);
  EXPECT_EQ(restore("MODEL.COM"), 0);
  plat::io::close_unit(kUnit);
  EXPECT_EQ(dump("AGAIN.COM"), before);
}

TEST_F(Snapshot, ControlConstantCountsNeverRunPastTheRecords) {
  FLAGS(13) = 60;
  FLAGS(14) = 1000;
  FLAGS(11) = 7;  // more local constants than LOCI was allocated with
  std::vector<Rec> recs;
  ASSERT_TRUE(split(dump("MODEL.COM"), recs));
  ASSERT_EQ(recs.size(), 85u);
  EXPECT_EQ(recs[46].bytes.size(), 25u * 4);
  EXPECT_EQ(recs[47].bytes.size(), 49u * 8);
  EXPECT_EQ(recs[48].bytes.size(), 2u * 2 * 4);
  FLAGS(14) = -3;
  ASSERT_TRUE(split(dump("LESS.COM"), recs));
  EXPECT_EQ(recs[46].bytes.size(), 0u);
}

TEST_F(Snapshot, DamagedSnapshotsReportAndNeverOverrun) {
  const std::string good = dump("MODEL.COM");
  std::vector<Rec> recs;
  ASSERT_TRUE(split(good, recs));
  const std::vector<double> temps(gar_thermalnodetemps.begin(), gar_thermalnodetemps.end());
  const GloiRecord gloi = GLOI;

  // Cut inside record 40: records 1 to 39 come back, the rest stay as they are.
  std::size_t cut = 0;
  for (int r = 0; r < 39; ++r) cut += 8 + recs[r].bytes.size();
  write_file("CUT.COM", good.substr(0, cut + 4 + 5));
  touch_everything(2);
  const GloiRecord changed = GLOI;
  int st = restore("CUT.COM");
  plat::io::close_unit(kUnit);
  EXPECT_NE(st, 0);
  EXPECT_EQ(std::vector<double>(gar_thermalnodetemps.begin(), gar_thermalnodetemps.end()), temps);
  EXPECT_EQ(std::memcmp(&GLOI, &changed, sizeof GLOI), 0);

  // A record shorter than its array (record 7, the temperatures) is an
  // error that leaves the array alone; the records after it still come back.
  std::string shortened;
  for (std::size_t r = 0; r < recs.size(); ++r)
    shortened += frame(r == 6 ? recs[r].bytes.substr(0, 16) : recs[r].bytes);
  write_file("SHORT.COM", shortened);
  touch_everything(3);
  const std::vector<double> temps3(gar_thermalnodetemps.begin(), gar_thermalnodetemps.end());
  st = restore("SHORT.COM");
  plat::io::close_unit(kUnit);
  EXPECT_EQ(st, plat::io::kPastRecord);
  EXPECT_EQ(std::vector<double>(gar_thermalnodetemps.begin(), gar_thermalnodetemps.end()), temps3);
  EXPECT_EQ(std::memcmp(&GLOI, &gloi, sizeof GLOI), 0);

  // A broken first record stops the restore after record 2: nothing else is read.
  std::string bad_head = good;
  bad_head[0] = '\x7f';
  bad_head[3] = '\x7f';
  write_file("HEAD.COM", bad_head);
  touch_everything(4);
  const GloiRecord changed4 = GLOI;
  st = restore("HEAD.COM");
  plat::io::close_unit(kUnit);
  EXPECT_NE(st, 0);
  EXPECT_EQ(std::memcmp(&GLOI, &changed4, sizeof GLOI), 0);

  // An empty file: every record is missing.
  write_file("EMPTY.COM", "");
  EXPECT_NE(restore("EMPTY.COM"), 0);
  plat::io::close_unit(kUnit);
}

TEST_F(Snapshot, UnitNotConnected) {
  int st = 0;
  DMPCOM(kUnit, st);
  EXPECT_EQ(st, 2 * plat::io::kNotConnected);  // records 1 and 2 fail, nothing more is tried
  const std::vector<double> temps(gar_thermalnodetemps.begin(), gar_thermalnodetemps.end());
  RSTCOM(kUnit, st);
  EXPECT_EQ(st, 2 * plat::io::kNotConnected);
  EXPECT_EQ(std::vector<double>(gar_thermalnodetemps.begin(), gar_thermalnodetemps.end()), temps);
}

}  // namespace
