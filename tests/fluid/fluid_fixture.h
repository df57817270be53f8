// Fixture of the fluid-loop tests: a cleared run with the listing on a file
// of a scratch directory (tna_test::ListingTest), the character defaults
// and every fluid control constant set (tna_test::fluid_controls), and
// helpers to read fluid-node results by user number.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/global_records.h"
#include "fluid/fluid_network.h"
#include "modeldata/global_arrays.h"
#include "support/fluid_model.h"
#include "support/listing.h"
#include "support/solution_test.h"
#include "support/test_model.h"

namespace fluid_test {

using tna_test::count_boxes;
using tna_test::has_message;
using tna_test::has_reference;

class FluidTest : public tna_test::ListingTest {
 protected:
  FluidTest() : ListingTest("fluid") {}
  void SetUp() override {
    reset_run();
    SLDINC();
    tna_test::fluid_controls();
    JOBINF.jobname = "MAIN";
    fresh_listing();
  }
  // Builds the model and binds the view.
  void build(tna_test::FluidModel& fm, int dystor = 20000) {
    fm.build(dystor);
    net = fl_network();
  }
  // Both stack tops of the dynamic core moved off 1, so that a routine that
  // resets them to 1 instead of to their entry values shows.
  void raise_tops(int real, int integer) {
    FLAGS(FLAGS_NEXTDYNAMICCOREREAL) = real;
    FLAGS(FLAGS_NEXTDYNAMICCOREINT) = integer;
  }
  void expect_tops(int real, int integer) {
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREREAL), real);
    EXPECT_EQ(FLAGS(FLAGS_NEXTDYNAMICCOREINT), integer);
  }

  FlNetwork net;
};

}  // namespace fluid_test
