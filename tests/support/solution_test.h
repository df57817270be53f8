// Base fixture of the solution tests (thermal and fluid-loop routines): a
// cleared run whose listing (unit 6) is on a file of a scratch directory.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "casedata/status_flag.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/listing.h"
#include "support/network_builder.h"
#include "support/state_test.h"
#include "support/test_env.h"
#include "support/test_model.h"

namespace tna_test {

constexpr double kSigma = 5.670374e-8;
constexpr double kTabs = 273.15;

// The test runs in a scratch directory named by `tag`; the listing files
// there are `<prefix>1.txt`, `<prefix>2.txt` and so on, one per
// fresh_listing(). A fixture's SetUp calls reset_run(), sets its own control
// constants and then opens the listing with fresh_listing().
class ListingTest : public StateTest {
 protected:
  explicit ListingTest(const std::string& tag, std::string prefix = "listing")
      : dir_(tag), prefix_(std::move(prefix)) {}

  // Exits throw; message counters, GLOR and GLOI cleared, with the
  // Stefan-Boltzmann constant, absolute zero and the page size set; page
  // information for unit 6; no status change; the model's blocks empty.
  void reset_run() {
    plat::set_exit_throws(true);
    reset_message_counters();
    GLOR = GlorRecord{};
    GLOI = GloiRecord{};
    GLOR.STEFAN = kSigma;
    GLOR.TABS = kTabs;
    GLOI.WIDTH = 132;
    GLOI.LENGTH = 60;
    PRTINF(1) = 60;
    PRTINF(2) = 1;
    PRTINF(3) = 6;
    PRTINF(4) = 1;
    stat_setstatst(0);
    model.reset();
  }
  void TearDown() override {
    plat::io::close_unit(6);
    plat::set_exit_throws(false);
    model.reset();
    gar_deallocate_all();
  }
  // The listing on a new file (a fatal end closes it).
  void fresh_listing() {
    plat::io::close_unit(6);
    file_ = prefix_ + std::to_string(++files_) + ".txt";
    ASSERT_EQ(plat::io::open_unit(6, file_, plat::io::Form::Formatted, "UNKNOWN"), 0);
  }
  // What the current listing file holds so far.
  std::string listing() { return peek_listing(dir_, file_); }
  double T(const Network& net, int num) { return gar_thermalnodetemps(net.index(num)); }

  ScratchDir dir_;
  std::string file_;
  int files_ = 0;

 private:
  std::string prefix_;
};

}  // namespace tna_test
