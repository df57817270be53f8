// The fixture of the parameter-case tests: the small model of param_model.h
// with the listing on a scratch file and the box oracles.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "core/char_pool.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/global_arrays.h"
#include "modeldata/node_lists.h"
#include "modeldata/submodel_refs.h"
#include "param_model.h"
#include "platform/process.h"
#include "platform/units.h"
#include "support/listing.h"
#include "support/state_test.h"
#include "support/test_env.h"

namespace params_test {

// Each test runs on the fixture with the listing (unit 6) on a scratch file,
// fresh message counters and process ends turned into exceptions.
class ParamsTest : public tna_test::StateTest {
 protected:
  void SetUp() override {
    plat::set_exit_throws(true);
    GLOR = GlorRecord{};
    GLOI = GloiRecord{};
    PRTINF(2) = 1;
    ASSERT_EQ(plat::io::open_unit(6, "listing.txt", plat::io::Form::Formatted, "UNKNOWN"), 0);
    build_param_fixture();
    reset_message_counters();
  }
  void TearDown() override {
    plat::io::close_unit(6);
    FLAGS = FlagsRecord{};
    SPRSIZ = SprsizRecord{};
    SPRNOD = SprnodRecord{};
    GLOR = GlorRecord{};
    GLOI = GloiRecord{};
    plat::set_exit_throws(false);
  }
  // Everything written to the listing since the last call.
  std::string listing() { return tna_test::take_listing(dir_); }
  // What a call prints, numbered from the first message.
  template <class F>
  std::string printed(F f) {
    return tna_test::printed(dir_, f);
  }
  // The box SETERX prints for this message as the first message of a run:
  // the oracle of a routine's exact text, severity, code and routine name.
  std::string box(std::string_view message, int severity, int code, std::string_view routine) {
    return tna_test::seterx_box(dir_, message, severity, code, routine);
  }
  // Boxes of several messages printed one after another.
  std::string boxes(const std::vector<std::tuple<std::string, int, int, std::string>>& messages) {
    return tna_test::printed(dir_, [&] {
      for (const auto& [m, s, c, r] : messages) SETERX(m, s, c, r);
    });
  }

  tna_test::ScratchDir dir_{"params"};
};

// A node list as a vector (for comparisons).
inline std::vector<int> head(const std::vector<int>& list, int count) {
  return std::vector<int>(list.begin(), list.begin() + count);
}

}  // namespace params_test
