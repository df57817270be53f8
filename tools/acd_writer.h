// Writer of analysis-case (".acd", HDF5) files for tests and examples: the
// least file a run accepts, an empty analysis case per model. The root group
// is the main model's group; every model group holds a "Mission" group with
// the integer attribute "analysisCaseType" = 0 and a "Submodels" group with
// one (empty-case) child group per child submodel.
//
//   acdw::write_empty_case("PLATE.acd");
//   acdw::write_empty_case("SAT.acd", {{"PANEL", {}}, {"BOX", {{"LID", {}}}}});
#pragma once

#include <string>
#include <vector>

namespace acdw {

// A child submodel and its own children.
struct Submodel {
  std::string name;
  std::vector<Submodel> children;
};

// Writes the file, replacing it; throws std::runtime_error when it cannot.
void write_empty_case(const std::string& path, const std::vector<Submodel>& children = {});

}  // namespace acdw
