// Fixture of the substance-library tests: the listing (unit 6) on a file of a
// scratch folder, plain message steering (MLEVEL 0, MSHORT 0, TRACE 0), and a
// small model for the node context of warnings: the main model MAIN with
// thermal nodes 10 and 20, and submodel SUB1 holding thermal node 30 and fluid
// node 7 (internal numbers 1, 2, 3 and 4). The control constants TABS and
// PABS a test sets are restored after it; fatal diagnostics end a call with
// plat::ProcessExit, which run() catches.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "modeldata/submodel_refs.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/listing.h"
#include "support/small_model.h"
#include "support/state_test.h"
#include "support/test_env.h"

namespace prop_test {

class PropertyTest : public tna_test::StateTest {
 protected:
  void SetUp() override {
    plat::set_exit_throws(true);
    GLOI.MLEVEL = 0;
    GLOI.MSHORT = 0;
    GLOI.TRACE = 0;
    PRTINF(2) = 1;
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);

    FLAGS = FlagsRecord{};
    FLAGS(1) = 3;   // thermal nodes
    FLAGS(32) = 1;  // fluid nodes
    FLAGS(26) = 2;  // models
    tna_test::ArraySizes c;
    c.mdrows = 18;
    c.nf = 1;  // fluid nodes
    c.nm = 2;  // models
    c.nt = 3;  // thermal nodes
    c.allocate();
    md_level(1) = 0;
    md_level(2) = 1;
    md_subtreesize(1) = 2;
    md_subtreesize(2) = 1;
    tna_test::set_column(md_thermalnodebase, {0, 2, 3});
    tna_test::set_column(md_fluidnodebase, {0, 0, 1});
    gar_modelnames(1) = "MAIN";
    gar_modelnames(2) = "SUB1";
    gar_thermalnodenums(1) = 10;
    gar_thermalnodenums(2) = 20;
    gar_thermalnodenums(3) = 30;
    gar_fluidnodenums(1) = 7;
    ndssmd_reset_for_tests();
    saved_tabs_ = GLOR.TABS;
    saved_pabs_ = GLOR.PABS;
  }

  void TearDown() override {
    GLOR.TABS = saved_tabs_;
    GLOR.PABS = saved_pabs_;
    FLAGS = FlagsRecord{};
    plat::io::close_unit(6);
    plat::set_exit_throws(false);
    GLOI = GloiRecord{};
  }

  // Everything printed on the listing since the last call.
  std::string listing() { return tna_test::take_listing(dir_); }

  // What f prints on the listing, message numbers counted from 1.
  std::string printed(const std::function<void()>& f) { return tna_test::printed(dir_, f); }

  // The box SETERX prints for this message as the first one of a run.
  std::string box(const std::string& message, int severity, int code, const std::string& routine) {
    return tna_test::seterx_box(dir_, message, severity, code, routine);
  }
  // The box of a fatal diagnostic as the first message of a run.
  std::string fatal_box(const std::string& message, int code, const std::string& routine) {
    return tna_test::seterx_box(dir_, message, 4, code, routine);
  }
  // What f prints; true in `ended` when f ended the run (status 1).
  std::string run(const std::function<void()>& f, bool& ended) {
    ended = false;
    return printed([&] {
      try {
        f();
      } catch (const plat::ProcessExit& e) {
        ended = e.status == 1;
      }
    });
  }

  // The control constants TABS and PABS for one test (restored after it).
  static void offsets(double tabs, double pabs) {
    GLOR.TABS = tabs;
    GLOR.PABS = pabs;
  }

  tna_test::ScratchDir dir_{"props"};

 private:
  double saved_tabs_ = 0.0, saved_pabs_ = 0.0;
};

}  // namespace prop_test
