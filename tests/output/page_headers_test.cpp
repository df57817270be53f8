// Page header, solution header and edit descriptors of the listing.
#include "output/page_headers.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "modeldata/submodel_refs.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/listing.h"
#include "support/network_builder.h"
#include "support/state_test.h"
#include "support/test_env.h"

namespace {

class PageHeaders : public tna_test::StateTest {
 protected:
  void SetUp() override {
    plat::set_exit_throws(true);
    SLDINC();
    GLOR = GlorRecord{};
    GLOI = GloiRecord{};
    GLOI.WIDTH = 80;
    tna_test::set_print_job("PLATE");
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
  }
  void TearDown() override {
    plat::io::close_unit(6);
    plat::set_exit_throws(false);
    GLOI = GloiRecord{};
    GLOR = GlorRecord{};
    SLDINC();
  }
  std::vector<std::string> listing() { return tna_test::split_lines(tna_test::peek_listing(dir_)); }
  tna_test::ScratchDir dir_{"ph"};
};

TEST_F(PageHeaders, PageHeaderLinesAndCounts) {
  for (int width : {80, 132}) {
    GLOI.WIDTH = width;
    PRTINF(4) = 1;
    plat::io::close_unit(6);
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
    PRPAGE();
    const auto l = listing();
    ASSERT_EQ(l.size(), 7u);
    EXPECT_EQ(l[0], "1");
    EXPECT_EQ(l[1], " NORVEK-QVD  2020" + std::string(width - 26, ' ') + "Page     1");
    EXPECT_EQ(l[1].size(), static_cast<std::size_t>(width + 1));
    // The date fills A17 (one blank after its 16 characters).
    EXPECT_EQ(l[2], " 10 December 2026   13:46:52" + std::string(width - 51, ' ') + std::string(19, ' ') + "PLATE");
    EXPECT_EQ(l[2].size(), static_cast<std::size_t>(width + 1));
    EXPECT_EQ(PRTINF(2), 7);
    EXPECT_EQ(PRTINF(4), 2);
  }
  GLOC.HEADER = "RUN 3";
  PRPAGE();
  EXPECT_EQ(PRTINF(2), 9);
  EXPECT_EQ(PRTINF(4), 3);
}

TEST_F(PageHeaders, PageWidthOutsideLimitsIsFatal) {
  for (int width : {79, 133}) {
    GLOI.WIDTH = width;
    EXPECT_THROW(PRPAGE(), plat::ProcessExit) << width;
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
  }
}

TEST_F(PageHeaders, EditDescriptors) {
  EXPECT_EQ(LFMTR(10, 4, 4, 0.05).str(), "1P, E10. 3, 0P");
  EXPECT_EQ(LFMTR(10, 4, 4, 123.4).str(), "F10. 4        ");
  EXPECT_EQ(LFMTR(10, 4, 4, 100000.0).str(), "1P, E10. 3, 0P");
  EXPECT_EQ(LFMTR(7, 4, 1, 0.5).str(), "F 7. 4        ");
  EXPECT_EQ(LFMTR(10, 4, 4, 0.0).str(), "F10. 4        ");
}

TEST_F(PageHeaders, SteadyStateHeaderJoinsAtWidth102) {
  GLOC.SOLVER = "SSTH";
  GLOC.MODULE = "SOLVFM";
  GLOI.LOOPCT = 12;
  GLOR.ENBALA = 0.5;
  GLOR.ENBALR = 0.001;  // F7.4: 1.0E-4 <= x < 100
  PRTINF(2) = 10;
  GLOI.WIDTH = 101;
  PRHEAD();
  auto l = listing();
  ASSERT_EQ(l.size(), 5u);
  EXPECT_EQ(l[0], "");
  EXPECT_EQ(l[1], "  TIMEN =      0.00      MODULE SOLVFM      LOOPCT =    12");
  EXPECT_EQ(l[2], " ENBALA =    0.5000      ENBALR = 0.0010");
  EXPECT_EQ(PRTINF(2), 10 + 5);
  GLOI.WIDTH = 102;
  PRHEAD();
  l = listing();
  ASSERT_EQ(l.size(), 9u);
  EXPECT_EQ(l[6],
            "  TIMEN =      0.00      MODULE SOLVFM      LOOPCT =    12      ENBALA =    0.5000      "
            "ENBALR = 0.0010");
  EXPECT_EQ(PRTINF(2), 10 + 5 + 4);
}

// Transient thermal header: CSGMIN's node and its model path on a "+"
// record that lands right after " IN SUB-MODEL  "; "-CYC" in a cyclic run;
// no node text when NCSGMN is undefined.
TEST_F(PageHeaders, TransientHeaderWithNodeSuffix) {
  tna_test::Network net;
  net.node(3, 'D', 0.0).node(7, 'D', 0.0);
  net.build();
  ndssmd_reset_for_tests();
  GLOC.MODULE = "SLCRNC";
  GLOR.TIMEN = 1.5;
  GLOR.DTIMEU = 0.25;
  GLOR.CSGMIN = 0.05;
  const std::string path = "+" + std::string(44, ' ') + "MAIN" + std::string(132 - 48, ' ');
  struct Case {
    const char* solver;
    int ncsgmn;
    std::vector<std::string> lines;
    int count;
    // clang-format off
  } cases[] = {
      {"TRTH", 2,
       {"", "  TIMEN =      1.50      MODULE SLCRNC      DTIMEU =    0.2500",
        " CSGMIN = 5.000E-02  AT NODE 7 IN SUB-MODEL  ", path, "", ""},
       6},
      {"CYTH", 2,
       {"", "  TIMEN =      1.50      MODULE SLCRNC-CYC  DTIMEU =    0.2500",
        " CSGMIN = 5.000E-02  AT NODE 7 IN SUB-MODEL  ", path, "", ""},
       6},
      {"TRTH", kUndefined,
       {"", "  TIMEN =      1.50      MODULE SLCRNC      DTIMEU =    0.2500", " CSGMIN = 5.000E-02", "", ""}, 5},
  };
  // clang-format on
  for (const Case& c : cases) {
    plat::io::close_unit(6);
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
    GLOC.SOLVER = c.solver;
    GLOI.NCSGMN = c.ncsgmn;
    PRTINF(2) = 10;
    PRHEAD();
    EXPECT_EQ(listing(), c.lines) << c.solver << " " << c.ncsgmn;
    EXPECT_EQ(PRTINF(2), 10 + c.count) << c.solver << " " << c.ncsgmn;
  }
  ndssmd_reset_for_tests();
  gar_deallocate_all();
}

// One-phase fluid header of FLTMTS at a narrow width: FSTEPS on a second
// line, then the CSGMIN line with its node, the FCSGMN line with its fluid
// node, each followed by its path.
TEST_F(PageHeaders, FluidHeaderWithBothNodeSuffixes) {
  tna_test::Network net;
  net.node(7, 'D', 0.0).fluid(50, 0.0);
  net.build();
  ndssmd_reset_for_tests();
  GLOC.SOLVER = "TRFL1P";
  GLOC.MODULE = "FLTMTS";
  GLOR.TIMEN = 1.5;
  GLOR.RELXMC = 0.001;
  GLOI.FSTEPS = 12;
  GLOR.DTIMEU = 0.25;
  GLOR.DTCOUR = 0.5;
  GLOR.CSGMIN = 0.05;
  GLOI.NCSGMN = 1;
  GLOR.FCSGMN = 2.0;
  GLOI.FNCSGM = 2;
  PRTINF(2) = 10;
  PRHEAD();
  const std::vector<std::string> expect = {"",
                                           "  TIMEN =      1.50      MODULE FLTMTS      RELXMC = 1.000E-03",
                                           " FSTEPS =    12      DTIMEU =    0.2500      DTCOUR =    0.5000",
                                           " CSGMIN = 5.000E-02  AT NODE 7 IN SUB-MODEL  ",
                                           "+" + std::string(44, ' ') + "MAIN" + std::string(132 - 48, ' '),
                                           " FCSGMN =    2.0000  AT NODE 50 IN SUB-MODEL  ",
                                           "+" + std::string(45, ' ') + "MAIN" + std::string(132 - 49, ' '),
                                           "",
                                           ""};
  EXPECT_EQ(listing(), expect);
  EXPECT_EQ(PRTINF(2), 10 + 4 + 1 + 1 + 1 + 1 + 2);
  ndssmd_reset_for_tests();
  gar_deallocate_all();
}

// A path wider than the line: the names that do not fit go on a further "+"
// record from column 1. A WIDTH above the 132-character line breaks there.
TEST_F(PageHeaders, ModelPathContinuesOnAFurtherLine) {
  std::vector<plat::Text<24>> names = {
      plat::Text<24>("MAIN"), plat::Text<24>("SECOND_LEVEL_MODEL_NAME2"), plat::Text<24>("THIRD_LEVEL_MODEL_NAME_3"),
      plat::Text<24>("FOURTH_LEVEL_MODEL_NAME4"), plat::Text<24>("FIFTH_LEVEL_MODEL_NAME_5")};
  const plat::Vec1<const plat::Text<24>> v(names.data(), 5);
  for (int width : {80, 132, 200}) {
    plat::io::close_unit(6);
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
    PRTINF(2) = 10;
    LSPCNM(v, 5, 45, width);
    const auto l = listing();
    if (width == 80) {
      // MAIN: at 45, the second name at 50..73; the third would reach 98.
      ASSERT_EQ(l.size(), 3u);
      EXPECT_EQ(l[0], "+" + std::string(44, ' ') + "MAIN:SECOND_LEVEL_MODEL_NAME2:" + std::string(6, ' '));
      EXPECT_EQ(l[1], "");
      EXPECT_EQ(l[2], "+THIRD_LEVEL_MODEL_NAME_3:FOURTH_LEVEL_MODEL_NAME4:FIFTH_LEVEL_MODEL_NAME_5" +
                          std::string(132 - 74, ' '));
      EXPECT_EQ(PRTINF(2), 12);
    } else {
      // Up to the fourth name (ends at column 123); the fifth would pass 132.
      ASSERT_EQ(l.size(), 3u) << width;
      EXPECT_EQ(l[0], "+" + std::string(44, ' ') +
                          "MAIN:SECOND_LEVEL_MODEL_NAME2:THIRD_LEVEL_MODEL_NAME_3:FOURTH_LEVEL_MODEL_NAME4:" +
                          std::string(132 - 124, ' '))
          << width;
      EXPECT_EQ(l[2], "+FIFTH_LEVEL_MODEL_NAME_5" + std::string(132 - 24, ' ')) << width;
      EXPECT_EQ(PRTINF(2), 12) << width;
    }
  }
}

TEST_F(PageHeaders, BlankSolverPrintsTimeOnly) {
  GLOR.TIMEN = 2.5;
  PRHEAD();
  const auto l = listing();
  ASSERT_GE(l.size(), 2u);
  EXPECT_EQ(l[0], " ");
  EXPECT_EQ(l[1], "  TIMEN =      2.50");
  EXPECT_EQ(PRTINF(2), 1 + 4);
}

}  // namespace
