// Writer of model database files for tests and examples.
//
// Builds a complete file from an in-memory description: the first record, the
// model tree, the model and submodel names, two spare records, then per model
// its list directory, its keyed lists in ascending key order, the closing
// marker and (between models) the skip block driven by list 66. Lists 35
// (model 1), 66 and 68 are written with neutral defaults (zeros) when the description
// leaves them out, so a model with no lists at all is already loadable.
//
// Faults for tests: per list a wrong key, type or length in its header, or a
// data record cut short; per model a record other than the marker; per file a
// wrong version or model count, and truncation at any byte.
//
// Example, a main model with one submodel:
//   mdbw::Database db;
//   db.name = "TESTMOD";
//   auto& m = db.add_model("TESTMOD", 0);
//   m.ints(1, {1, 2}).reals(2, {20.0, 30.0}).texts(12, 24, {"A", "B"});
//   db.add_model("SUB", 1);
//   db.write("TESTMOD.MDB");
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace mdbw {

using Record = std::vector<unsigned char>;

enum class Kind { Int, Real, Char };

// Header type words written for each kind (integer and real lists take types
// of 0 or more, character lists 0 or less; 7 marks a chunked list).
constexpr int kTypeInt = 1;
constexpr int kTypeReal = 2;
constexpr int kTypeChar = -1;
constexpr int kTypeChunked = 7;

// Deliberate faults of one list.
struct ListFault {
  std::optional<int> key;     // header key written instead of the list's own
  std::optional<int> type;    // header type written instead of the kind's
  std::optional<int> length;  // header length written instead of the true one
  std::size_t short_by = 0;   // bytes cut from the end of the (last) data record
};

struct List {
  Kind kind = Kind::Int;
  std::vector<std::int32_t> ints;
  std::vector<double> reals;
  std::vector<std::string> texts;  // each blank-padded or cut to item_len
  int item_len = 1;
  int chunk = 0;             // > 0: a type-7 list in chunks of at most this many items
  bool in_directory = true;  // marked present in the section's list directory
  ListFault fault;

  std::size_t items() const;
  // The header's length word: integers, 4-byte words of reals, or characters.
  int length_word() const;
};

List int_list(std::vector<std::int32_t> v);
List real_list(std::vector<double> v);
List text_list(int item_len, std::vector<std::string> v);

struct Model {
  std::string name;            // model name (24 characters in the file)
  std::string subname;         // submodel name for the analysis-case file; the name when empty
  int level = 0;               // nesting level, 0 for the main model
  std::optional<int> subtree;  // subtree size; computed from the levels when unset
  std::map<int, List> lists;   // by key
  std::optional<std::array<std::int32_t, 4>> marker;  // record written in place of the closing marker
  ListFault directory_fault;                          // faults of the list directory (key = model number)

  Model& ints(int key, std::vector<std::int32_t> v);
  Model& reals(int key, std::vector<double> v);
  Model& texts(int key, int item_len, std::vector<std::string> v);
  List& list(int key) { return lists.at(key); }

  // List 66: the 205 ID-card integers with items 70..72 and the third value
  // of each of the 43 skip-table triples (v_j, item 76 + 3j); other items 0.
  Model& id_card(std::array<std::int32_t, 3> items70_72, const std::map<int, std::int32_t>& skip_values = {});
  // List 68: control-constant values in file order (local integer, local real,
  // global integer, global real).
  Model& control_constants(std::vector<double> v) { return reals(68, std::move(v)); }
  // List 35 (model 1): groups of a source node and its target nodes, each
  // given as (model number, node number).
  struct SameNodeGroup {
    std::pair<int, int> source;
    std::vector<std::pair<int, int>> targets;
  };
  Model& same_node_list(const std::vector<SameNodeGroup>& groups);
};

struct Database {
  std::string name;  // stored model name (24 characters)
  int version = 20;
  std::optional<int> models_field;  // model count written instead of the true one
  std::string date = "01-January-2024";
  std::string time = "12:00:00";
  std::vector<Model> models;               // depth-first order, model 1 the main model
  std::optional<std::size_t> truncate_to;  // cut the file after this many bytes

  Model& add_model(std::string model_name, int level);
  // Subtree size of model m (1-based), from the levels unless set.
  int subtree_size(int m) const;
  std::vector<Record> records() const;
  std::vector<unsigned char> bytes() const;
  // Writes the file; throws std::runtime_error when it cannot.
  void write(const std::string& path) const;
};

// A real whose first (low-address) 32-bit word holds the undefined marker
// 2147483647: how the file holds a control constant the model leaves out.
double undefined_real();

// The values of list 68 of a model: its local integer constants (NODES,
// NODESM) as given, then, for the main model, every global integer constant
// in GLOI order and every global real constant in GLOR order, each the value
// `given` holds under its name or undefined. A name that is no global
// control constant throws std::invalid_argument.
std::vector<double> control_constant_values(std::vector<double> locals, const std::map<std::string, double>& given,
                                            bool main_model = true);

// Building blocks, also for files that are not whole databases.
Record int_record(const std::vector<std::int32_t>& v);
Record real_record(const std::vector<double>& v);
Record text_record(int item_len, const std::vector<std::string>& v);
// Appends the records of one keyed list (header and data, or the chunked form).
void append_list(std::vector<Record>& out, int key, const List& list);
// Frames records (length before and after, 4-byte little-endian).
std::vector<unsigned char> frame(const std::vector<Record>& records);
// Writes bytes to a file, replacing it; throws std::runtime_error on failure.
void write_bytes(const std::string& path, const std::vector<unsigned char>& bytes);

}  // namespace mdbw
