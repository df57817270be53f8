#include "modeldata/global_arrays.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "platform/process.h"
#include "platform/units.h"
#include "support/state_test.h"
#include "support/test_env.h"
#include "tools/fuzz/load_harness.h"

namespace {

// FLAGS of a model with 130 thermal nodes, 156 GL and 1401 GR conductors, one
// real user constant, no submodel and a dynamic core of 1003377 words.
const int kExampleFlags[41] = {130, 156, 0,  1401, 0, 1, 0,  0, 0, 0,    2,    0, 49,  25,
                               16,  1,   92, 0,    0, 0, 0,  0, 0, 7030, 2,    1, 133, 1003377,
                               1,   0,   0,  0,    0, 0, 22, 1, 0, 0,    2802, 0, 0};

// The allocation the run driver makes from the stored sizes.
void allocate_from_flags() { load_harness::allocate(); }

class GlobalArrays : public tna_test::StateTest {
 protected:
  void SetUp() override {
    FLAGS = FlagsRecord{};
    for (int w = 1; w <= 41; ++w) FLAGS(w) = kExampleFlags[w - 1];
    SPRSIZ = SprsizRecord{};
    SPRSIZ(1) = 1;
    SPRSIZ(2) = 3;
    plat::set_exit_throws(true);
  }
  void TearDown() override { plat::set_exit_throws(false); }
};

// Runs f, which must end the process; returns the exit status and the error output.
template <class F>
std::pair<int, std::string> expect_end(F&& f) {
  ::testing::internal::CaptureStderr();
  int status = -1;
  try {
    f();
  } catch (const plat::ProcessExit& e) {
    status = e.status;
  }
  return {status, ::testing::internal::GetCapturedStderr()};
}

TEST_F(GlobalArrays, ExampleModelGetsTheExtentsItsSizesImply) {
  allocate_from_flags();
  EXPECT_EQ(gar_modeldirectory.rows(), 18);
  EXPECT_EQ(gar_modeldirectory.cols(), 2);
  EXPECT_EQ(gar_pcsthermal.size(), 4 * (156 + 1401));
  EXPECT_EQ(gar_pcsthermalold.size(), 7030);
  EXPECT_EQ(gar_pcsptrsthermalold.size(), 130);
  EXPECT_EQ(gar_pcsptrsthermal.rows(), 6);
  EXPECT_EQ(gar_pcsptrsthermal.cols(), 130);
  EXPECT_EQ(gar_pcsfluid.size(), 22);
  EXPECT_EQ(gar_pcsptrsfluid.size(), 0);
  EXPECT_EQ(gar_dynamiccorereal.size(), 1003377);
  EXPECT_EQ(gar_dynamiccoreint.size(), 1003377);
  EXPECT_EQ(gar_controlconstnames.size(), 92);
  EXPECT_EQ(gar_userconstnames.size(), 1);
  EXPECT_EQ(gar_userconstvaluesreal.size(), 1);
  EXPECT_EQ(gar_userconstvaluesint.size(), 0);
  EXPECT_EQ(gar_thermalnodetemps.size(), 130);
  EXPECT_EQ(gar_thermalnodelabels.size(), 130);
  EXPECT_EQ(gar_linearconds.size(), 156);
  EXPECT_EQ(gar_linearcondnodepairs.size(), 2 * 156);
  EXPECT_EQ(gar_radiativecondnodepairs.size(), 2 * 1401);
  EXPECT_EQ(gar_fluidiccondnodepairs.size(), 0);
  EXPECT_EQ(gar_modelnames.size(), 1);
  EXPECT_EQ(gar_thermalnodeuserentityvalsreal.rows(), 130);
  EXPECT_EQ(gar_thermalnodeuserentityvalsreal.cols(), 0);
  EXPECT_EQ(gar_massflowlinkphasesepflags.rows(), 2);
  EXPECT_EQ(LOCI.rows(), 2);
  EXPECT_EQ(LOCI.cols(), 1);
  EXPECT_EQ(LOCR.size(), 0);
  // Arrays of a kind the model lacks are allocated with no elements.
  EXPECT_TRUE(gar_allocated(&gar_fluidnodetemps));
  EXPECT_EQ(gar_fluidnodetemps.size(), 0);
  EXPECT_TRUE(gar_allocated(&gar_massflowlinkphasesepvapquals));
  // Generated statements index the arrays one-based.
  gar_thermalnodetemps(130) = 20.5;
  EXPECT_EQ(gar_thermalnodetemps.data()[129], 20.5);
}

TEST_F(GlobalArrays, ModelDirectorySlotsNameTheRowsOfTheDirectory) {
  allocate_from_flags();
  md_thermalnodebase(2) = 130;
  EXPECT_EQ(gar_modeldirectory(3, 2), 130);
  gar_modeldirectory(md_subtreesize, 1) = 1;
  EXPECT_EQ(md_subtreesize(1), 1);
  EXPECT_EQ(int(md_nodealiasbase), 18);
}

TEST_F(GlobalArrays, SecondAllocationEndsTheRunNamingTheFirstArray) {
  allocate_from_flags();
  const auto [status, err] = expect_end(allocate_from_flags);
  EXPECT_EQ(status, 1);
  EXPECT_NE(err.find("Attempting to allocate already allocated variable 'gar_thermalnodenums'"), std::string::npos)
      << err;
}

TEST_F(GlobalArrays, ByteSizeOverflowEndsTheRun) {
  int z[28] = {};
  z[2] = INT_MAX;       // directory rows
  z[22] = INT_MAX - 1;  // models: (INT_MAX) x (INT_MAX) integers overflow 64 bits
  const auto [status, err] = expect_end([&] {
    gar_allocate(z[0], z[1], z[2], z[3], z[4], z[5], z[6], z[7], z[8], z[9], z[10], z[11], z[12], z[13], z[14],
                 z[15], z[16], z[17], z[18], z[19], z[20], z[21], z[22], z[23], z[24], z[25], z[26], z[27]);
  });
  EXPECT_EQ(status, 1);
  EXPECT_NE(err.find("Integer overflow when calculating the amount of memory to allocate"), std::string::npos)
      << err;
}

TEST_F(GlobalArrays, NodePairArraysAreFreedOnceAndASecondFreeEndsTheRun) {
  allocate_from_flags();
  gar_deallocate(gar_linearcondnodepairs);
  gar_deallocate(gar_radiativecondnodepairs);
  gar_deallocate(gar_fluidiccondnodepairs);
  EXPECT_FALSE(gar_allocated(&gar_linearcondnodepairs));
  EXPECT_EQ(gar_linearcondnodepairs.size(), 0);
  EXPECT_TRUE(gar_allocated(&gar_vfaccondnodepairs));
  const auto [status, err] = expect_end([] { gar_deallocate(gar_radiativecondnodepairs); });
  EXPECT_EQ(status, 1);
  EXPECT_NE(err.find("Attempt to DEALLOCATE unallocated 'gar_radiativecondnodepairs'"), std::string::npos) << err;
}

TEST_F(GlobalArrays, ShortageTextsCarryTheCountInNineColumns) {
  EXPECT_EQ(gar_worktext("SOLCYC", 1),
            "SOLCYC: Insufficient work space@An extra         1 words needed, increase DYSTOR on $EXECUTION "
            "record, see User Manual description of $EXECUTION block");
  EXPECT_EQ(gar_worktext("SLCRNC", 123456, gar_dystor_line),
            "SLCRNC: Insufficient work space@An extra    123456 words needed; increase DYSTOR on $EXECUTION "
            "line. See User Manual description of $EXECUTION block");
  EXPECT_EQ(gar_paramcoretext(42),
            "Insufficient dynamic core@Increase DYSTOR - another        42locations required");
  EXPECT_EQ(gar_eventcoretext("SLFRWD"),
            "SLFRWD: Insufficient dynamic core@Increase DYSTOR setting on $EXECUTION statement");
  EXPECT_EQ(gar_count9(999999999), "999999999");
  EXPECT_EQ(gar_count9(1000000000), "*********");
}

TEST_F(GlobalArrays, IntegerReservationMayReachDystorRealReservationKeepsOneWord) {
  FLAGS(28) = 100;
  FLAGS(29) = FLAGS(36) = 1;
  EXPECT_TRUE(gar_intfits(100));
  EXPECT_FALSE(gar_intfits(101));
  EXPECT_TRUE(gar_realfits(99));
  EXPECT_FALSE(gar_realfits(100));
  // Real new top exactly at DYSTOR: short by one word.
  EXPECT_EQ(gar_shortfall(1, 100), 1);
  EXPECT_EQ(gar_shortfall(103, 50), 3);
  {
    gar_CoreGuard g;
    ASSERT_TRUE(g.reserve("TEST", 1, 0, 99));  // integer top reaches 100
    EXPECT_EQ(g.int_first(), 1);
    EXPECT_EQ(FLAGS(36), 100);
    EXPECT_EQ(FLAGS(29), 1);
  }
  EXPECT_EQ(FLAGS(36), 1);
}

// A work-space layout: blocks carved one after another from the first word,
// each a view of its own words, zero-length blocks taking none.
TEST_F(GlobalArrays, CarverLaysBlocksOutOneAfterAnother) {
  gar_dynamiccorereal.allocate(10);
  gar_Carver<double> carve(gar_dynamiccorereal, 3);
  const plat::Vec1<double> a = carve.take(2), none = carve.take(0), b = carve.take(4);
  EXPECT_EQ(a.data(), &gar_dynamiccorereal(3));
  EXPECT_EQ(a.size(), 2);
  EXPECT_EQ(none.size(), 0);
  EXPECT_EQ(b.data(), &gar_dynamiccorereal(5));
  EXPECT_EQ(b.size(), 4);
  EXPECT_EQ(carve.next(), 9);
  b(4) = 7.0;
  EXPECT_EQ(gar_dynamiccorereal(8), 7.0);
}

TEST_F(GlobalArrays, RealReservationOneWordShortIsFatalAndLeavesTheTops) {
  allocate_from_flags();
  FLAGS(28) = 100;
  tna_test::ScratchDir dir("gar");
  ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "REPLACE"), 0);
  int status = -1;
  {
    gar_CoreGuard outer;
    outer.take_real(10);
    try {
      gar_CoreGuard g;
      g.reserve("SLCRNC", 3, 89, 5, gar_dystor_line);  // real top 11 + 89 = 100 = DYSTOR
      ADD_FAILURE() << "the shortage must be fatal";
    } catch (const plat::ProcessExit& e) {
      status = e.status;
    }
    EXPECT_EQ(FLAGS(29), 11);
    EXPECT_EQ(FLAGS(36), 1);
  }
  plat::io::close_unit(6);
  EXPECT_EQ(status, 1);
  const std::string listing = dir.read("listing.txt");
  EXPECT_NE(listing.find("Insufficient work space"), std::string::npos) << listing;
  EXPECT_NE(listing.find("An extra " + gar_count9(1) + " words needed;"), std::string::npos) << listing;
  EXPECT_EQ(FLAGS(29), 1);
}

// A borrowing routine with several return paths.
int borrow(int depth, bool early) {
  gar_CoreGuard g;
  if (!g.reserve("NEST", 1, 5, 3)) return -1;
  if (early) return g.real_first();
  if (depth > 0) borrow(depth - 1, depth == 2);
  return g.int_first();
}

TEST_F(GlobalArrays, TopsAreBackAtTheirEntryValuesOnEveryReturnPath) {
  allocate_from_flags();
  FLAGS(29) = 7;
  FLAGS(36) = 9;
  EXPECT_EQ(borrow(0, true), 7);
  EXPECT_EQ(FLAGS(29), 7);
  EXPECT_EQ(FLAGS(36), 9);
  EXPECT_EQ(borrow(3, false), 9);
  EXPECT_EQ(FLAGS(29), 7);
  EXPECT_EQ(FLAGS(36), 9);
  {
    gar_CoreGuard a;
    ASSERT_TRUE(a.reserve("A", 1, 10, 4));
    gar_CoreGuard b;
    ASSERT_TRUE(b.reserve("B", 1, 2, 2));
    EXPECT_EQ(b.real_first(), 17);  // nested reservations follow the outer one
    EXPECT_EQ(b.int_first(), 13);
    EXPECT_EQ(FLAGS(29), 19);
  }
  EXPECT_EQ(FLAGS(29), 7);
  EXPECT_EQ(FLAGS(36), 9);
}

}  // namespace
