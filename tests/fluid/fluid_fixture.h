// Fixture of the fluid-loop tests: a cleared run with the listing on a file
// of a scratch directory (thermal_test::ListingTest), the character defaults
// and every fluid control constant set (tna_test::fluid_controls), and
// helpers to read fluid-node results by user number.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/control_constants.h"
#include "core/global_records.h"
#include "fluid/fluid_network.h"
#include "modeldata/global_arrays.h"
#include "support/fluid_model.h"
#include "support/test_model.h"
#include "thermal/thermal_test_fixture.h"

namespace fluid_test {

using thermal_test::has_message;
using thermal_test::has_reference;

// Number of diagnostic boxes on a listing.
inline std::size_t boxes_in(const std::string& out) {
  std::size_t n = 0;
  for (std::size_t at = out.find("@@@@  "); at != std::string::npos; at = out.find("@@@@  ", at + 1)) ++n;
  return n;
}

class FluidTest : public thermal_test::ListingTest {
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

  FlNetwork net;
};

}  // namespace fluid_test
