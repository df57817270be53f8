// Shared pieces of the thermal solution tests (steady state and transient):
// the base fixture and the listing helpers of tests/support under the names
// the thermal tests use, and reading a file back.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "support/listing.h"
#include "support/network_builder.h"
#include "support/solution_test.h"

namespace thermal_test {

using tna_test::kSigma;
using tna_test::kTabs;

inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

using tna_test::box_text;
using tna_test::has_message;
using tna_test::has_reference;
using tna_test::ListingTest;
using tna_test::squeezed;

}  // namespace thermal_test
