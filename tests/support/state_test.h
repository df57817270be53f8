// Base of every test fixture: each test starts, and leaves, the process as a
// program starts. The library's one reset of its process-wide state
// (plat::reset_process_state: global arrays and records, control constants,
// message counters, units, heaters, case and result files, parameter
// records, ...) and the test model's blocks are reset when the fixture is
// made and again when it is destroyed. Google Test makes a new fixture for
// every test, and its constructor runs before any SetUp, so a fixture's own
// SetUp cannot skip the reset.
#pragma once

#include <gtest/gtest.h>

namespace tna_test {

// Resets the library's process-wide state and the test model's blocks.
void reset_process();

class StateTest : public ::testing::Test {
 protected:
  StateTest() { reset_process(); }
  ~StateTest() override { reset_process(); }
};

// The same for a parameterised fixture.
template <class T>
class StateTestWithParam : public StateTest, public ::testing::WithParamInterface<T> {};

}  // namespace tna_test
