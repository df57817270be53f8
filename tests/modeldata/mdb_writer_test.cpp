// The test writer's files read back through the readers the way the load
// walks them: first record, model tree, names, two spare records, then per
// model the list directory, the present lists in key order, the marker and
// the skip block.
#include "tools/mdb_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <vector>

#include "core/diagnostics.h"
#include "modeldata/mdb_readers.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/state_test.h"
#include "support/test_env.h"

namespace {

constexpr int kUnit = 10;

struct ReadList {
  std::vector<int> ints;
  std::vector<double> reals;
  std::vector<std::string> texts;
};

struct ReadModel {
  int level = -1, subtree = -1;
  std::string name, subname;
  std::map<int, ReadList> lists;
};

struct ReadBack {
  std::string name;
  int models = 0, version = 0;
  std::vector<ReadModel> m;
};

// The kind of each key this test writes (the loaders know it the same way).
mdbw::Kind kind_of(int key, int& item_len) {
  item_len = key == 12 ? 24 : (key == 13 ? 1 : 18);
  if (key == 12 || key == 13 || key == 45) return mdbw::Kind::Char;
  if (key == 2 || key == 3 || key == 68) return mdbw::Kind::Real;
  return mdbw::Kind::Int;
}

ReadBack read_back(const std::string& path) {
  ReadBack rb;
  int st = 0;
  SOPSQ(path, "UNFORMATTED", "OLD", kUnit, st);
  EXPECT_EQ(st, 0);
  std::vector<unsigned char> first;
  EXPECT_EQ(plat::io::read_record(kUnit, first), 0);
  EXPECT_EQ(first.size(), 73u);
  rb.name.assign(reinterpret_cast<const char*>(first.data()), 24);
  std::memcpy(&rb.models, first.data() + 28, 4);
  std::memcpy(&rb.version, first.data() + 69, 4);
  const int nm = rb.models;
  rb.m.resize(static_cast<std::size_t>(nm));
  std::vector<int> tree(static_cast<std::size_t>(3 * nm));
  DBQRII(3 * nm, kUnit, plat::Vec1<int>(tree.data(), 3 * nm), st);
  plat::Array1<plat::Text<24>> names(nm), subnames(nm);
  DBQRZZ(nm, kUnit, names, st);
  DBQRZZ(nm, kUnit, subnames, st);
  DBQRSK(2, kUnit, st);
  for (int m = 1; m <= nm; ++m) {
    ReadModel& rm = rb.m[static_cast<std::size_t>(m - 1)];
    rm.level = tree[static_cast<std::size_t>(3 * m - 3)];
    rm.subtree = tree[static_cast<std::size_t>(3 * m - 2)];
    rm.name = std::string(names(m).trimmed());
    rm.subname = std::string(subnames(m).trimmed());
    std::vector<int> dir(580, 0);
    int count = 0;
    SCOMII(0, 580, m, kUnit, plat::Vec1<int>(dir.data(), 580), count, st);
    EXPECT_EQ(st, 0);
    EXPECT_EQ(count, 580);
    for (int key = 1; key <= 290; ++key) {
      if (dir[static_cast<std::size_t>(2 * key - 1)] == 0) continue;
      int len = 0;
      const auto kind = kind_of(key, len);
      ReadList& l = rm.lists[key];
      if (kind == mdbw::Kind::Int) {
        std::vector<int> a(1000);
        SCOMII(0, 1000, key, kUnit, plat::Vec1<int>(a.data(), 1000), count, st);
        a.resize(static_cast<std::size_t>(count));
        l.ints = a;
      } else if (kind == mdbw::Kind::Real) {
        std::vector<double> a(1000);
        SCOMDD(0, 1000, key, kUnit, plat::Vec1<double>(a.data(), 1000), count, st);
        a.resize(static_cast<std::size_t>(count));
        l.reals = a;
      } else {
        std::string buf(static_cast<std::size_t>(len) * 100, ' ');
        SCOMZZ(0, 100, key, kUnit, len, TextVec1(buf.data(), 100, static_cast<std::size_t>(len)), count, st);
        for (int i = 0; i < count; ++i)
          l.texts.emplace_back(plat::trimmed(
              std::string_view(buf).substr(static_cast<std::size_t>(i * len), static_cast<std::size_t>(len))));
      }
      EXPECT_EQ(st, 0) << "model " << m << " key " << key;
    }
    int found = 0;
    DBQRMK(kUnit, found, st);
    EXPECT_EQ(found, 1) << "marker after model " << m;
    if (m < nm) {
      const auto& card = rm.lists.at(66).ints;
      int skip = 0;
      for (int j = 1; j <= 43; ++j) {
        const int v = card[static_cast<std::size_t>(76 + 3 * j - 1)];
        if (v != 0) skip += ((v + 24) / 25) * 2 + 1;
      }
      DBQRSK(skip, kUnit, st);
      DBQRMK(kUnit, found, st);
      EXPECT_EQ(found, 1) << "marker after the skip block of model " << m;
    }
  }
  std::vector<unsigned char> rest;
  EXPECT_EQ(plat::io::read_record(kUnit, rest), plat::io::kEnd);
  plat::io::close_unit(kUnit);
  return rb;
}

class MdbWriter : public tna_test::StateTest {
 protected:
  void SetUp() override {
    db_.name = "TWOMODEL";
    auto& main = db_.add_model("TWOMODEL", 0);
    main.ints(1, {1, 2, 3}).reals(2, {10.0, 20.0, 30.0}).texts(12, 24, {"ONE", "TWO", "THREE"});
    main.texts(13, 1, {"D", "B", "D"});
    main.id_card({4, 5, 6}, {{1, 25}, {43, 26}});  // skip blocks of 3 and 5 records
    main.control_constants({1.0, 2.0});
    main.same_node_list({{{1, 3}, {{2, 1}}}});
    auto& sub = db_.add_model("SUB", 1);
    sub.subname = "SUBORIG";
    sub.ints(1, {7});
    std::vector<int> many(40);
    for (int i = 0; i < 40; ++i) many[static_cast<std::size_t>(i)] = i * i;
    sub.ints(59, many);
    sub.list(59).chunk = 6;
  }
  void TearDown() override {
    plat::set_exit_throws(false);
    plat::io::close_unit(kUnit);
  }
  mdbw::Database db_;
  tna_test::ScratchDir dir_{"mdbw"};
};

TEST_F(MdbWriter, TwoModelDatabaseReadsBackWhole) {
  db_.write("TWOMODEL.MDB");
  const ReadBack rb = read_back("TWOMODEL.MDB");
  EXPECT_EQ(rb.name, std::string("TWOMODEL") + std::string(16, ' '));
  EXPECT_EQ(rb.models, 2);
  EXPECT_EQ(rb.version, 20);
  ASSERT_EQ(rb.m.size(), 2u);
  const ReadModel& a = rb.m[0];
  EXPECT_EQ(a.level, 0);
  EXPECT_EQ(a.subtree, 2);
  EXPECT_EQ(a.name, "TWOMODEL");
  EXPECT_EQ(a.lists.at(1).ints, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(a.lists.at(2).reals, (std::vector<double>{10.0, 20.0, 30.0}));
  EXPECT_EQ(a.lists.at(12).texts, (std::vector<std::string>{"ONE", "TWO", "THREE"}));
  EXPECT_EQ(a.lists.at(13).texts, (std::vector<std::string>{"D", "B", "D"}));
  // Same-node list: length, groups, source pair, count pair, one target pair.
  EXPECT_EQ(a.lists.at(35).ints, (std::vector<int>{10, 0, 1, 0, 0, -3, 1, 0, 1, 1}));
  ASSERT_EQ(a.lists.at(66).ints.size(), 205u);
  EXPECT_EQ(a.lists.at(66).ints[69], 4);
  EXPECT_EQ(a.lists.at(66).ints[71], 6);
  EXPECT_EQ(a.lists.at(68).reals, (std::vector<double>{1.0, 2.0}));
  const ReadModel& b = rb.m[1];
  EXPECT_EQ(b.level, 1);
  EXPECT_EQ(b.subtree, 1);
  EXPECT_EQ(b.subname, "SUBORIG");
  EXPECT_EQ(b.lists.at(59).ints.size(), 40u);
  EXPECT_EQ(b.lists.at(59).ints[39], 39 * 39);
  EXPECT_EQ(b.lists.count(35), 0u);                                  // only model 1 gets the default same-node list
  EXPECT_EQ(b.lists.at(68).reals, (std::vector<double>{0.0, 0.0}));  // the default: two local integers
}

TEST_F(MdbWriter, SingleModelHasNoSkipBlock) {
  mdbw::Database one;
  one.name = "ONE";
  one.add_model("ONE", 0);
  one.write("ONE.MDB");
  const ReadBack rb = read_back("ONE.MDB");
  EXPECT_EQ(rb.models, 1);
  EXPECT_EQ(rb.m[0].lists.at(35).ints, (std::vector<int>{4, 0, 0, 0}));
}

TEST_F(MdbWriter, SubtreeSizesFollowTheLevels) {
  mdbw::Database t;
  for (auto [n, l] :
       std::vector<std::pair<const char*, int>>{{"M", 0}, {"A", 1}, {"AA", 2}, {"B", 1}, {"BA", 2}, {"BB", 2}})
    t.add_model(n, l);
  std::vector<int> sizes;
  for (int m = 1; m <= 6; ++m) sizes.push_back(t.subtree_size(m));
  EXPECT_EQ(sizes, (std::vector<int>{6, 2, 1, 3, 1, 1}));
}

TEST_F(MdbWriter, HeaderFaultsGiveTheReaderStatuses) {
  struct Case {
    const char* what;
    mdbw::ListFault fault;
    int status;
  };
  auto fault = [](std::optional<int> key, std::optional<int> type, std::optional<int> length) {
    mdbw::ListFault f;
    f.key = key;
    f.type = type;
    f.length = length;
    return f;
  };
  const Case cases[] = {
      {"wrong key", fault(3, {}, {}), 1},
      {"wrong type", fault({}, -1, {}), 1},
      {"length beyond the capacity", fault({}, {}, 9), 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<mdbw::Record> recs;
    auto l = mdbw::int_list({1, 2, 3});
    l.fault = c.fault;
    mdbw::append_list(recs, 2, l);
    mdbw::write_bytes("F.MDB", mdbw::frame(recs));
    int st = 0, count = 0;
    SOPSQ("F.MDB", "UNFORMATTED", "OLD", kUnit, st);
    std::vector<int> a(8);
    SCOMII(0, 8, 2, kUnit, plat::Vec1<int>(a.data(), 8), count, st);
    EXPECT_EQ(st, c.status);
  }
}

TEST_F(MdbWriter, ShortRecordsAndTruncationEndTheRun) {
  struct Case {
    const char* what;
    std::function<void(mdbw::Database&)> spoil;
  };
  const Case cases[] = {
      {"short data record", [](mdbw::Database& d) { d.models[0].list(2).fault.short_by = 8; }},
      {"truncated file", [](mdbw::Database& d) { d.truncate_to = d.bytes().size() - 30; }},
      {"list claiming more than its record holds", [](mdbw::Database& d) { d.models[0].list(1).fault.length = 5; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    mdbw::Database d = db_;
    c.spoil(d);
    d.write("BAD.MDB");
    plat::set_exit_throws(true);
    testing::internal::CaptureStdout();
    int exit_status = -1;
    try {
      read_back("BAD.MDB");
    } catch (const plat::ProcessExit& e) {
      exit_status = e.status;
    }
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(exit_status, 1);
    EXPECT_NE(out.find("File input error has occurred"), std::string::npos);
    plat::set_exit_throws(false);
  }
}

TEST_F(MdbWriter, FileLevelFaults) {
  db_.version = 19;
  db_.models_field = 3;
  db_.models[1].marker = std::array<std::int32_t, 4>{0, 0, 0, 0};
  db_.write("F.MDB");
  int st = 0;
  SOPSQ("F.MDB", "UNFORMATTED", "OLD", kUnit, st);
  std::vector<unsigned char> first;
  ASSERT_EQ(plat::io::read_record(kUnit, first), 0);
  int nm = 0, version = 0;
  std::memcpy(&nm, first.data() + 28, 4);
  std::memcpy(&version, first.data() + 69, 4);
  EXPECT_EQ(nm, 3);
  EXPECT_EQ(version, 19);
  // The last record is the spoiled marker of model 2.
  const auto recs = db_.records();
  EXPECT_EQ(recs.back(), mdbw::int_record({0, 0, 0, 0}));
}

}  // namespace
