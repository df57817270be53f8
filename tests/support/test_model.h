// The default model program every test executable links: the generated
// blocks with their library frames, whose user statements are hooks a test
// sets (all empty by default). Example:
//
//   tna_test::model.variables1 = [] { gar_thermalnodeheatsourcesinternal(1) = 10.0; };
//   tna_test::model.execution = [] { GLOR.RELXCA = 0.01f; GLOI.NLOOP = 100; SOLVFM(); };
//   ...
//   tna_test::model.reset();
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tna_test {

struct TestModel {
  // The user's statements of each block.
  std::function<void()> initial;
  std::function<void()> execution;
  std::function<void()> variables1;
  std::function<void()> variables2;
  std::function<void()> outputs;
  // The per-model hook; receives the flag the frame passes.
  std::function<void(bool&)> hook;
  // When on, every framed block appends its name ("INITIAL", "EXECUTION",
  // "VARIABLES1", "VARIABLES2", "OUTPUTS") here as it starts, so that a
  // test can check the order in which the library calls them.
  bool record = false;
  std::vector<std::string> calls;

  // Empties every hook and the record.
  void reset();
};

extern TestModel model;

}  // namespace tna_test
