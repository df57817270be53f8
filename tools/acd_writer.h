// Writer of analysis-case (".acd", HDF5) files for tests and examples.
//
// The root group is the main model's group; every model group holds a
// "Mission" group (attribute "analysisCaseType" and, by type, the times,
// period, orbital arcs or wavebands), for types 1 to 4 a "ModelData" group
// (node list with static fluxes, the five time-dependent groups with their
// "count" attributes and, for types 2 to 4, their "Nodes", "NodePairs" and
// "Values" datasets) and a "Submodels" group with one child group per child.
// Every count attribute is the length of what is written.
//
//   acdw::write_empty_case("PLATE.acd");
//   acdw::write_empty_case("SAT.acd", {{"PANEL", {}}, {"BOX", {{"LID", {}}}}});
//
//   acdw::Model root;                       // the main model's group
//   root.type = 2;
//   root.times = {0.0, 50.0};
//   root.period = 100.0;
//   root.nodes = {1, 2};                    // static loads of nodes 1 and 2
//   root.solar = {10.0, 20.0};              // the other static kinds are 0
//   root.flux[acdw::kAlbedo].nodes = {3};   // time-dependent albedo of node 3
//   root.flux[acdw::kAlbedo].rows = {{1.0}, {2.0}};   // one row per time
//   root.pairs = {{"", "", 1, 2}};          // a GR between nodes 1 and 2
//   root.conductors = {{0.1}, {0.2}};       // [time][conductor(, waveband)]
//   acdw::write_case("SAT.acd", root);
#pragma once

#include <array>
#include <string>
#include <vector>

namespace acdw {

// A child submodel and its own children (empty analysis cases).
struct Submodel {
  std::string name;
  std::vector<Submodel> children;
};

// Writes an empty analysis case (type 0 everywhere), replacing the file;
// throws std::runtime_error when it cannot.
void write_empty_case(const std::string& path, const std::vector<Submodel>& children = {});

// The time-dependent flux kinds, in the order of Model::flux.
enum FluxKind { kAlbedo = 0, kPlanet = 1, kRemainder = 2, kSolar = 3 };

// Time-dependent loads of one kind: rows[r][i] is the load of nodes[i] at
// times[r].
struct Fluxes {
  std::vector<int> nodes;
  std::vector<std::vector<double>> rows;
};

// A time-dependent radiative conductor between node I and node J; the paths
// are relative to the group's submodel (blank: that submodel).
struct NodePair {
  std::string pathI, pathJ;
  int nodeI = 0, nodeJ = 0;
};

// Orbital arc: start, startFirst, endFirst, endAll.
using Arc = std::array<double, 4>;

struct Model {
  std::string name;  // member name under the parent's "Submodels" (unused for the root)
  int type = 0;      // analysisCaseType
  // Mission.
  std::vector<double> times;      // types 2..4
  double period = 0.0;            // type 2
  std::vector<Arc> arcs;          // type 3
  std::vector<double> wavebands;  // type 4: the w + 1 limits
  // Static loads (types 1..4): one value per node, or empty for zeros.
  std::vector<int> nodes;
  std::vector<double> albedo, planet, remainder, solar;
  // Time-dependent loads and conductors (written for types 2..4; types 1
  // only get the count attributes).
  std::array<Fluxes, 4> flux;
  std::vector<NodePair> pairs;
  // conductors[r] is the row of time r: Ng values for types 2 and 3, Ng * w
  // for type 4 (waveband fastest).
  std::vector<std::vector<double>> conductors;
  std::vector<Model> children;
};

// Writes the file with `root` as the main model's group, replacing it;
// throws std::runtime_error when it cannot.
void write_case(const std::string& path, const Model& root);

}  // namespace acdw
