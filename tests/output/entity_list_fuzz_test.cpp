// Random entity lists and node lists: every request is decoded, reported
// and written without reading or writing outside its buffers (run under the
// sanitizers), and every flag stays 0 or 1.
#include <random>

#include "output/tmd_file.h"
#include "output/tmd_selection.h"
#include "tmd_fixture.h"

namespace tmd_test {
namespace {

std::string random_list(std::mt19937& rng) {
  static const char* pieces[] = {
      "NODES", "CONDUCTORS",   "CONSTANTS", "(",   ")", ",",  " ",     "\t", "T", "QI", "GL", "M",  "GP", "GV",
      "HFD",   "HEATFLUXDENS", "ICOUNT",    "TAG", "L", "FT", "nodes", "X",  "",  "((", "))", ",,", "ZY", "VDT"};
  std::string s;
  const int n = static_cast<int>(rng() % 14);
  for (int k = 0; k < n; ++k) s += pieces[rng() % (sizeof(pieces) / sizeof(pieces[0]))];
  if (rng() % 8 == 0) s.resize(256, ' ');
  return s;
}

TEST_F(TmdTest, RandomEntityListsAreDecodedWithinTheirBuffers) {
  std::mt19937 rng(11);
  for (int trial = 0; trial < 400; ++trial) {
    const std::string list = random_list(rng);
    int wantn = -1, wantc = -1, wantk = -1;
    std::vector<int> nodeflags(45, 0), condflags(6, 0);
    GFFPARSEENTITYLIST(list, "DMPTMD", plat::Vec1<const plat::Text<18>>(SPRNOD.t, 6), 2, 3, 1, 1, 2, wantn, wantc,
                       wantk, plat::Vec1<int>(nodeflags.data(), 45), plat::Vec1<int>(condflags.data(), 6));
    for (int v : {wantn, wantc, wantk}) ASSERT_TRUE(v == 0 || v == 1) << list;
    for (int v : nodeflags) ASSERT_TRUE(v == 0 || v == 1) << list;
    for (int v : condflags) ASSERT_TRUE(v == 0 || v == 1) << list;
  }
  listing();
}

TEST_F(TmdTest, RandomRequestsWriteConsistentFiles) {
  std::mt19937 rng(5);
  const char* labels[] = {" ", "#10", "#SUB2:1", "PANEL", "#101,100,20", "#1-300", "#"};
  for (int trial = 0; trial < 40; ++trial) {
    const std::string list = random_list(rng);
    const char* zlabel = labels[rng() % 7];
    const int modref = static_cast<int>(rng() % 7) - 3;
    const std::string base = "F" + std::to_string(trial);
    GLOR.TIMEN = 0.0;
    DMPTMD(zlabel, list, modref == 0 ? 1 : modref, base);
    GLOR.TIMEN = 1.0;
    DMPTMD(zlabel, list, modref == 0 ? 1 : modref, base);
    tmd_requests_reset_for_tests();
    File f(base + ".TMD");
    ASSERT_GE(f.id, 0) << list;
    EXPECT_EQ(reals(f.id, "/AnalysisSet1/DataGroup1/times"), (std::vector<double>{0.0, 1.0})) << list;
  }
  listing();
}

}  // namespace
}  // namespace tmd_test
