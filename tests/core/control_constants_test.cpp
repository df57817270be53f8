#include "core/control_constants.h"
#include "support/state_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The slot orders as the records are documented, written out independently
// of the library's own list.
const std::vector<std::string> kRealSlots = {
    "CSGMIN", "DAMPT",  "DTIMEI", "DTIMEU", "DTMAX",  "DTMIN",  "DTPMAX", "ENBALA", "ENBALR", "INBALA",
    "INBALR", "OUTINT", "RELXCA", "RELXCC", "STEFAN", "TIMEM",  "TIMEN",  "TIMEND", "TIMEO",  "TABS",
    "PABS",   "DAMPM",  "GRAVZ",  "PPOWER", "RELXMA", "RELXMB", "RELXMC", "DTCOUR", "RLCOUR", "FRLXCA",
    "FRLXCC", "MINFLO", "DTIMIF", "DTIMUT", "FCSGMN", "TIMENT", "TIMEOT", "DTIST",  "DTPIST", "DTINP",
    "DTPINP", "GRAVX",  "GRAVY",  "MINDP",  "ARITH",  "DTROCA", "DTROCC", "ENBNDM", "INBNDM"};
const std::vector<std::string> kIntSlots = {"LOOPCT", "MODEL",  "NCSGMN", "NLOOP",  "NRLXCC", "LENGTH", "FLLPCT",
                                            "NRLXMC", "SUMFLL", "SUMTHL", "THLPCT", "NFRLXC", "NLOOPH", "NLOOPT",
                                            "WIDTH",  "FSTEPS", "FNCSGM", "PYRO",   "MSHORT", "TRACE",  "MLEVEL",
                                            "METHOD", "NDTROC", "PRGFBK", "STEPCT"};
struct CharSlot {
  const char* name;
  std::size_t len, offset;
  const char* def;
};
// clang-format off
const CharSlot kCharSlots[] = {
    {"OPBLOK", 10, 0, ""},     {"FORMAT", 8, 10, "*"},         {"LINTYP", 6, 18, "SOLID"},
    {"MODULE", 6, 24, ""},     {"TFORM", 132, 30, "*"},        {"THEAD", 132, 162, ""},
    {"PARNAM", 24, 294, "ORIGINAL"}, {"HEADER", 132, 318, ""}, {"TFORMF", 132, 450, "*"},
    {"SOLTYP", 7, 582, ""},    {"RESULT", 80, 589, ""},        {"MFFB", 3, 669, "HEM"},
    {"TIMELA", 3, 672, "NO"},  {"OUTIME", 18, 675, "ALL"},     {"SOLVER", 6, 693, ""},
    {"QTRSOL", 3, 699, "YES"}};

const std::vector<std::string> kRealSorted = {
    "ARITH",  "CSGMIN", "DAMPM",  "DAMPT",  "DTCOUR", "DTIMEI", "DTIMEU", "DTIMIF", "DTIMUT", "DTINP",
    "DTIST",  "DTMAX",  "DTMIN",  "DTPINP", "DTPIST", "DTPMAX", "DTROCA", "DTROCC", "ENBALA", "ENBALR",
    "ENBNDM", "FCSGMN", "FRLXCA", "FRLXCC", "GRAVX",  "GRAVY",  "GRAVZ",  "INBALA", "INBALR", "INBNDM",
    "MINDP",  "MINFLO", "OUTINT", "PABS",   "PPOWER", "RELXCA", "RELXCC", "RELXMA", "RELXMB", "RELXMC",
    "RLCOUR", "STEFAN", "TABS",   "TIMEM",  "TIMEN",  "TIMEND", "TIMENT", "TIMEO",  "TIMEOT"};
const std::vector<std::string> kIntSorted = {"FLLPCT", "FNCSGM", "FSTEPS", "LENGTH", "LOOPCT", "METHOD", "MLEVEL",
                                             "MODEL",  "MSHORT", "NCSGMN", "NDTROC", "NFRLXC", "NLOOP",  "NLOOPH",
                                             "NLOOPT", "NRLXCC", "NRLXMC", "PRGFBK", "PYRO",   "STEPCT", "SUMFLL",
                                             "SUMTHL", "THLPCT", "TRACE",  "WIDTH"};
const std::vector<std::string> kCharSorted = {"FORMAT", "HEADER", "LINTYP", "MFFB",   "MODULE", "OPBLOK",
                                              "OUTIME", "PARNAM", "QTRSOL", "RESULT", "SOLTYP", "SOLVER",
                                              "TFORM",  "TFORMF", "THEAD",  "TIMELA"};

std::size_t slot_of(const std::vector<std::string>& slots, std::string_view name) {
  return static_cast<std::size_t>(std::find(slots.begin(), slots.end(), std::string(plat::trimmed(name))) -
                                  slots.begin());
}
// clang-format on

std::string pad(std::string s, std::size_t n) {
  s.resize(n, ' ');
  return s;
}

class ControlConstants : public tna_test::StateTest {
 protected:
  void SetUp() override {
    GLOR = GlorRecord{};
    GLOI = GloiRecord{};
    GLOC = GlocRecord{};
  }
};

TEST_F(ControlConstants, RecordsStartAtZeroAndFieldsSitAtTheirDocumentedOffsets) {
  const GlorRecord r;
  const GloiRecord i;
  for (std::size_t k = 0; k < 49; ++k) EXPECT_EQ(reinterpret_cast<const double*>(&r)[k], 0.0);
  for (std::size_t k = 0; k < 25; ++k) EXPECT_EQ(reinterpret_cast<const std::int32_t*>(&i)[k], 0);

  EXPECT_EQ(offsetof(GlorRecord, RELXCA), 12u * 8);
  EXPECT_EQ(offsetof(GlorRecord, INBNDM), 48u * 8);
  EXPECT_EQ(offsetof(GloiRecord, MSHORT), 18u * 4);
  EXPECT_EQ(offsetof(GloiRecord, STEPCT), 24u * 4);
  const std::size_t offsets[] = {
      offsetof(GlocRecord, OPBLOK), offsetof(GlocRecord, FORMAT), offsetof(GlocRecord, LINTYP),
      offsetof(GlocRecord, MODULE), offsetof(GlocRecord, TFORM),  offsetof(GlocRecord, THEAD),
      offsetof(GlocRecord, PARNAM), offsetof(GlocRecord, HEADER), offsetof(GlocRecord, TFORMF),
      offsetof(GlocRecord, SOLTYP), offsetof(GlocRecord, RESULT), offsetof(GlocRecord, MFFB),
      offsetof(GlocRecord, TIMELA), offsetof(GlocRecord, OUTIME), offsetof(GlocRecord, SOLVER),
      offsetof(GlocRecord, QTRSOL)};
  for (std::size_t k = 0; k < 16; ++k) EXPECT_EQ(offsets[k], kCharSlots[k].offset) << kCharSlots[k].name;
}

TEST_F(ControlConstants, NameTablesAreSortedByCharacterCode) {
  ASSERT_EQ(gcc_ctrl_const_names_real.size(), kRealSorted.size());
  for (std::size_t k = 0; k < kRealSorted.size(); ++k)
    EXPECT_EQ(gcc_ctrl_const_names_real[k].str(), pad(kRealSorted[k], 6));
  for (std::size_t k = 0; k < kIntSorted.size(); ++k)
    EXPECT_EQ(gcc_ctrl_const_names_int[k].str(), pad(kIntSorted[k], 6));
  for (std::size_t k = 0; k < kCharSorted.size(); ++k)
    EXPECT_EQ(gcc_ctrl_const_names_char[k].str(), pad(kCharSorted[k], 6));
}

TEST_F(ControlConstants, ScntrlWithTheFixedCountsFillsThe92NamesInOrder) {
  std::vector<plat::Text<18>> names(92, plat::Text<18>("?"));
  int ierr = 7;  // left alone on success
  SCNTRL(16, 25, 49, 0, 2, 0, plat::Vec1<plat::Text<18>>(names.data(), 92), ierr);
  EXPECT_EQ(ierr, 7);
  std::vector<std::string> expect = {"NODES", "NODESM"};
  expect.insert(expect.end(), kIntSlots.begin(), kIntSlots.end());
  expect.insert(expect.end(), kRealSlots.begin(), kRealSlots.end());
  for (const auto& c : kCharSlots) expect.push_back(c.name);
  ASSERT_EQ(expect.size(), 92u);
  for (std::size_t k = 0; k < 92; ++k) EXPECT_EQ(names[k].str(), pad(expect[k], 18)) << k + 1;
  EXPECT_EQ(names[0].str(), pad("NODES", 18));
  EXPECT_EQ(names[91].str(), pad("QTRSOL", 18));
}

TEST_F(ControlConstants, ScntrlRefusesAnyWrongCountAndLeavesTheNames) {
  const int good[6] = {16, 25, 49, 0, 2, 0};
  for (int which = 0; which < 6; ++which) {
    int c[6];
    std::copy(good, good + 6, c);
    c[which] += 1;
    std::vector<plat::Text<18>> names(92, plat::Text<18>("KEEP"));
    int ierr = 0;
    SCNTRL(c[0], c[1], c[2], c[3], c[4], c[5], plat::Vec1<plat::Text<18>>(names.data(), 92), ierr);
    EXPECT_EQ(ierr, 1) << "count " << which + 1;
    for (const auto& n : names) EXPECT_EQ(n.str(), pad("KEEP", 18));
  }
}

TEST_F(ControlConstants, ScntrlCutsToTheElementLengthAndNeverWritesPastTheList) {
  std::string buf(5 * 4 + 8, '#');
  int ierr = 0;
  SCNTRL(16, 25, 49, 0, 2, 0, buf.data(), 4, 5, ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(buf, "NODENODELOOPMODENCSG########");
  std::string none(8, '#');
  SCNTRL(16, 25, 49, 0, 2, 0, none.data(), 0, 92, ierr);  // element length 0: nothing stored
  EXPECT_EQ(none, std::string(8, '#'));
}

TEST_F(ControlConstants, SldincWritesEveryCharacterOfTheDefaults) {
  std::memset(static_cast<void*>(&GLOC), 'x', sizeof GLOC);
  SLDINC();
  const std::string rec(reinterpret_cast<const char*>(&GLOC), sizeof GLOC);
  for (const auto& c : kCharSlots) EXPECT_EQ(rec.substr(c.offset, c.len), pad(c.def, c.len)) << c.name;
  EXPECT_TRUE(GLOC.OUTIME == "ALL");
}

TEST_F(ControlConstants, AccessorsReadAndWriteTheRecordFields) {
  GLOR.RELXCA = 0.01f;  // a generated statement with a single-precision literal
  EXPECT_EQ(gcc_getrelxca(), 0.009999999776482582);
  const double t = 6050.247;
  gcc_settimend(t);
  EXPECT_EQ(GLOR.TIMEND, 6050.247);
  gcc_setstepct(12);
  EXPECT_EQ(GLOI.STEPCT, 12);
  GLOI.MLEVEL = 3;
  EXPECT_EQ(gcc_getmlevel(), 3);
  gcc_setmodule("SLCRNCXYZ");
  EXPECT_EQ(GLOC.MODULE.str(), "SLCRNC");
  const plat::Text<10> opblok = gcc_getopblok();
  EXPECT_EQ(opblok.size(), 10u);
  gcc_setheader("TITLE");
  EXPECT_EQ(gcc_getheader().str(), pad("TITLE", 132));
}

TEST_F(ControlConstants, RealValuesComeInAlphabeticalOrderAtTheGivenStride) {
  for (std::size_t k = 0; k < 49; ++k) reinterpret_cast<double*>(&GLOR)[k] = 100.0 + k;
  const std::int64_t stride = 3;
  std::vector<double> v(1 + 48 * stride + 2, -1.0);
  gcc_getvaluesreal(plat::Vec1<double>(v.data(), static_cast<std::int64_t>(v.size())), stride);
  for (std::size_t i = 0; i < 49; ++i)
    EXPECT_EQ(v[i * stride], 100.0 + slot_of(kRealSlots, kRealSorted[i])) << kRealSorted[i];
  EXPECT_EQ(v[0], GLOR.ARITH);
  EXPECT_EQ(v[48 * stride], GLOR.TIMEOT);
  for (std::size_t k = 0; k < v.size(); ++k) {
    if (k % stride != 0 || k > 48 * stride) {
      EXPECT_EQ(v[k], -1.0) << "element " << k + 1 << " touched";
    }
  }
}

TEST_F(ControlConstants, IntegerValuesComeInAlphabeticalOrder) {
  for (std::size_t k = 0; k < 25; ++k) reinterpret_cast<std::int32_t*>(&GLOI)[k] = static_cast<int>(k) + 1;
  std::vector<std::int32_t> v(50, -9);
  gcc_getvaluesint(plat::Vec1<std::int32_t>(v.data(), 50), 2);
  for (std::size_t i = 0; i < 25; ++i) {
    EXPECT_EQ(v[2 * i], static_cast<int>(slot_of(kIntSlots, kIntSorted[i])) + 1) << kIntSorted[i];
    EXPECT_EQ(v[2 * i + 1], -9);
  }
}

TEST_F(ControlConstants, CharacterValuesAreTheFirstEightCharactersThenBlanks) {
  SLDINC();
  GLOC.HEADER = "ABCDEFGHIJKLMNOPQRST";
  std::vector<plat::Text<132>> v(16);
  gcc_getvalueschar(plat::Vec1<plat::Text<132>>(v.data(), 16));
  auto value = [&](const char* name) {
    return v[static_cast<std::size_t>(std::find(kCharSorted.begin(), kCharSorted.end(), name) - kCharSorted.begin())]
        .str();
  };
  EXPECT_EQ(value("PARNAM"), "ORIGINAL" + std::string(124, ' '));
  EXPECT_EQ(value("MFFB"), "HEM" + std::string(129, ' '));
  EXPECT_EQ(value("HEADER"), "ABCDEFGH" + std::string(124, ' '));
  EXPECT_EQ(value("OUTIME"), pad("ALL", 132));
  EXPECT_EQ(value("OPBLOK"), std::string(132, ' '));
}

TEST_F(ControlConstants, StsoltCutsOrPadsToSevenCharacters) {
  const struct {
    const char* in;
    const char* stored;
  } cases[] = {{"THERMAL", "THERMAL"}, {" ", "       "}, {"FLUID", "FLUID  "}, {"HUMIDAIRXY", "HUMIDAI"}};
  for (const auto& c : cases) {
    STSOLT(c.in);
    EXPECT_EQ(GLOC.SOLTYP.str(), c.stored);
  }
  EXPECT_EQ(GLOC.RESULT.str(), std::string(80, ' '));  // the neighbour field is untouched
}

}  // namespace
