// Parameter-case statements and cases run on the small parameter model of
// the parameter tests, with the case file written into the scratch folder.
#pragma once

#include <fstream>
#include <string>

#include "param_fixture.h"
#include "platform/units.h"

namespace paramcases_test {

// The parameter model (its work-space tops stand where a run starts them).
inline void build_case_fixture() { params_test::build_param_fixture(); }

class CaseTest : public params_test::ParamsTest {
 protected:
  // Writes `text` as the parameter-case file and connects it to unit 3.
  void open_cases(const std::string& text) {
    plat::io::close_unit(3);
    { std::ofstream("CASES.PAR", std::ios::binary) << text; }
    ASSERT_EQ(plat::io::open_unit(3, "CASES.PAR", plat::io::Form::Formatted, "OLD"), 0);
  }
  void TearDown() override {
    plat::io::close_unit(3);
    params_test::ParamsTest::TearDown();
  }
};

}  // namespace paramcases_test
