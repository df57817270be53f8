// The whole model database load on arbitrary bytes, for the load fuzz
// target and the replay of its committed corpus (tests/data/load_corpus).
//
// The generated program's sizes are those of a small fixed model: a main
// model with three thermal nodes, one GL and one GR conductor and an
// inter-model GL link to a submodel with two nodes and one GL conductor;
// user constants of the three kinds, one array. good_database() writes a
// file that loads with these sizes; the corpus holds it and broken variants.
//
// load_bytes() serves the bytes from memory as the model's database file
// (nothing is written) and runs SCOMLD with the fatal end intercepted: it
// returns the load's status (0), or the exit status of a fatal end. Anything
// else (a crash, an out-of-bounds access, a hang) is a finding. The arrays
// are allocated once and refilled with the values a fresh allocation holds
// before every load, which is what a load of a run finds.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "modeldata/acda_arrays_load.h"
#include "modeldata/global_arrays.h"
#include "modeldata/mdb_load.h"
#include "platform/process.h"
#include "platform/units.h"
#include "tools/fuzz/array_state.h"
#include "tools/mdb_writer.h"

namespace load_harness {

inline constexpr const char* kModel = "FUZZMOD";

// FLAGS of the fixed model.
inline void set_flags() {
  FLAGS = FlagsRecord{};
  const int words[41] = {5,  // 1 thermal nodes
                         3,  // 2 GL
                         0,  // 3 GF
                         1,  // 4 GR
                         0,  // 5 GV
                         1,  // 6 real user constants
                         2,  // 7 integer user constants
                         1,  // 8 character pool elements
                         1,  // 9 character user constants
                         0,    2, 0, 49, 25, 16,
                         4,   // 16 user-constant names
                         92,  // 17
                         8,   // 18 array info list
                         1,   // 19 arrays
                         3,   // 20 real array elements
                         0,    0, 0,
                         200,   // 24 linked connection list
                         4,     // 25 node-copy list bound
                         2,     // 26 models
                         133,   // 27
                         4000,  // 28 DYSTOR
                         1,    0, 0,
                         0,  // 32 fluid nodes
                         0,    0,
                         0,  // 35 fluid connection list
                         1,    0, 0, 0,
                         0,  // 40 aliases
                         0};
  for (int i = 0; i < 41; ++i) FLAGS(i + 1) = words[i];
  SPRSIZ = SprsizRecord{};
  SPRSIZ(1) = 1;
  SPRSIZ(2) = 3;
}

// The allocation the run driver makes from FLAGS.
inline void allocate() {
  int c[28] = {FLAGS(18), FLAGS(28), 18,        FLAGS(35), 4 * (FLAGS(2) + FLAGS(3) + FLAGS(4)),
               FLAGS(24), FLAGS(19), FLAGS(17), FLAGS(16), FLAGS(22),
               FLAGS(9),  FLAGS(8),  FLAGS(3),  FLAGS(32), FLAGS(21),
               FLAGS(7),  FLAGS(2),  FLAGS(33), FLAGS(40), FLAGS(4),
               FLAGS(20), FLAGS(6),  FLAGS(26), FLAGS(1),  SPRSIZ(3),
               SPRSIZ(4), SPRSIZ(5), FLAGS(5)};
  gar_allocate(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9], c[10], c[11], c[12], c[13], c[14], c[15],
               c[16], c[17], c[18], c[19], c[20], c[21], c[22], c[23], c[24], c[25], c[26], c[27]);
}

// Fills n elements at p with T(), in block copies rather than element by
// element: the fuzz build traces every comparison of a loop.
template <class T>
void refill(T* p, std::int64_t n) {
  static_assert(std::is_trivially_copyable_v<T>);
  if (n <= 0) return;
  if constexpr (std::is_arithmetic_v<T>) {
    // Zero bytes are T() for the numbers: one fill.
    std::memset(static_cast<void*>(p), 0, static_cast<std::size_t>(n) * sizeof(T));
    return;
  }
  p[0] = T();
  for (std::int64_t done = 1; done < n;) {
    const std::int64_t k = std::min(done, n - done);
    std::memcpy(p + done, p, static_cast<std::size_t>(k) * sizeof(T));
    done += k;
  }
}

// Every array of the allocation as a fresh allocation from FLAGS leaves it.
// The first call allocates; later calls refill the arrays in place with the
// values a fresh allocation holds, or allocate anew when a shape differs
// from the one the last allocation made.
inline void allocate_or_refill() {
  static std::vector<std::int64_t> made, now;
  if (made.empty() || fuzz_arrays::array_shapes(now) != made) {
    gar_deallocate_all();
    allocate();
    fuzz_arrays::array_shapes(made);
    return;
  }
#define TNA_X1(name, T, n) refill(name.data(), name.size());
#define TNA_X2(name, T, r, c) refill(name.data(), name.size());
  TNA_GAR_LIST(TNA_X1, TNA_X2)
#undef TNA_X1
#undef TNA_X2
  refill(LOCI.data(), LOCI.size());
  refill(LOCR.data(), LOCR.size());
}

// A list 68 of the main model (76 values) or a submodel (its 2 local integers).
inline std::vector<double> control_constants(bool main_model) {
  std::vector<double> v(main_model ? 76 : 2, 0.0);
  v[0] = 3;                       // NODES
  v[1] = 3;                       // NODESM
  if (main_model) v[2 + 5] = 60;  // LENGTH
  return v;
}

inline mdbw::Database good_database() {
  mdbw::Database db;
  db.name = kModel;
  auto& a = db.add_model(kModel, 0);
  a.ints(1, {1, 2, 3});
  for (int k : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 72, 73, 74, 96, 97, 98}) {
    a.reals(k, {10.0 * k, 10.0 * k + 1, 10.0 * k + 2});
  }
  a.texts(12, 24, {"N1", "N2", "N3"}).texts(13, 1, {"D", "D", "B"});
  a.reals(14, {1.5}).reals(15, {0.25}).texts(18, 1, {"A"}).texts(19, 1, {"A"});
  a.reals(22, {7.5}).texts(26, 1, {"A"}).ints(30, {0, 3, 1, 20});
  a.texts(45, 18, {"I1", "I2"}).ints(46, {4, 5}).texts(47, 18, {"R1"}).reals(48, {2.5});
  a.texts(49, 18, {"C1"}).ints(50, {1}).texts(51, 133, {std::string("abc") + '\0'});
  a.texts(52, 18, {"ARR"}).ints(55, {2, 3, 1, 0, 0, 0, 0, 0}).ints(56, {1}).reals(60, {1.0, 2.0, 3.0});
  a.id_card({0, 0, 0}, {{1, 26}});
  a.control_constants(control_constants(true));
  a.ints(69, {1, 2}).ints(70, {2, 3});
  a.same_node_list({});
  auto& b = db.add_model("SUB", 1);
  b.ints(1, {10, 20});
  for (int k : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 72, 73, 74, 96, 97, 98}) b.reals(k, {1.0 * k, 2.0 * k});
  b.texts(12, 24, {"S10", "S20"}).texts(13, 1, {"D", "D"});
  b.reals(14, {0.5}).texts(18, 1, {"A"});
  b.id_card({0, 0, 0});
  b.control_constants(control_constants(false));
  b.ints(69, {10, 20});
  return db;
}

// The seed inputs: the good file ("ok_" names) and broken variants, each of
// which must end the load with exit status 1.
inline std::vector<std::pair<std::string, mdbw::Database>> seed_databases() {
  std::vector<std::pair<std::string, mdbw::Database>> out;
  auto add = [&](const std::string& name, auto change) {
    mdbw::Database db = good_database();
    change(db);
    out.emplace_back(name, std::move(db));
  };
  add("ok_good", [](mdbw::Database&) {});
  add("truncated_in_section", [](mdbw::Database& db) { db.truncate_to = db.bytes().size() / 2; });
  add("truncated_first_record", [](mdbw::Database& db) { db.truncate_to = 50; });
  add("version_19", [](mdbw::Database& db) { db.version = 19; });
  add("version_21", [](mdbw::Database& db) { db.version = 21; });
  add("model_count_1", [](mdbw::Database& db) { db.models_field = 1; });
  add("model_count_huge", [](mdbw::Database& db) { db.models_field = 2000000000; });
  add("stored_name_other", [](mdbw::Database& db) { db.name = "OTHERMOD"; });
  add("submodel_marker_missing", [](mdbw::Database& db) { db.models[1].marker = {{0, 0, 0, 0}}; });
  add("temperatures_short", [](mdbw::Database& db) { db.models[0].reals(2, {1.0, 2.0}); });
  add("gl_values_over_capacity", [](mdbw::Database& db) { db.models[0].reals(14, {1, 2, 3, 4}); });
  add("control_constants_short", [](mdbw::Database& db) {
    auto v = control_constants(true);
    v.pop_back();
    db.models[0].control_constants(v);
  });
  add("link_node_unknown", [](mdbw::Database& db) { db.models[0].ints(30, {0, 3, 1, 99}); });
  add("link_pairs_missing", [](mdbw::Database& db) { db.models[0].lists.erase(30); });
  add("header_length_huge", [](mdbw::Database& db) { db.models[0].list(48).fault.length = 2000000000; });
  add("header_key_wrong", [](mdbw::Database& db) { db.models[0].list(46).fault.key = 47; });
  add("data_record_short", [](mdbw::Database& db) { db.models[1].list(2).fault.short_by = 3; });
  add("same_node_unknown", [](mdbw::Database& db) { db.models[0].same_node_list({{{1, 1}, {{2, 99}}}}); });
  add("same_node_length_huge", [](mdbw::Database& db) { db.models[0].ints(35, {2000000000, 0, 0, 0}); });
  add("directory_short", [](mdbw::Database& db) { db.models[1].directory_fault.short_by = 8; });
  add("id_card_missing", [](mdbw::Database& db) { db.models[1].list(66).in_directory = false; });
  return out;
}

// How a load ended: the load's status, or the exit status of a fatal end.
struct LoadEnd {
  int status = 0;
  bool fatal = false;
};

// Loads the database file of `model` in the working directory with the
// allocation made from FLAGS, the fatal end intercepted.
inline LoadEnd load_file(const std::string& model, bool refill = false) {
  JOBINF.jobname = model;
  if (refill) {
    allocate_or_refill();
  } else {
    allocate();
  }
  try {
    int status = 0;
    SCOMLD(10, status);
    return {status, false};
  } catch (const plat::ProcessExit& e) {
    return {e.status, true};
  }
}

// For the tests: writes `db` as the database of `model` and loads it.
// Returns the load's status, or the exit status of a fatal end + 100.
inline int load_database(const mdbw::Database& db, const std::string& model) {
  db.write(model + ".MDB");
  const LoadEnd end = load_file(model);
  return end.fatal ? 100 + end.status : end.status;
}

// Runs the load on `bytes` as the fixed model's database file; see above.
inline int load_bytes(const std::uint8_t* data, std::size_t size) {
  plat::set_exit_throws(true);
  // A fatal end throws at once, as plat::exit_process(1) would after closing
  // the units (closed below): one unwinding call fewer on the fatal paths.
  set_fatal_end([] { throw plat::ProcessExit{1}; });
  set_flags();
  GLOR = GlorRecord{};
  GLOI = GloiRecord{};
  reset_message_counters();
  plat::io::close_all();
  // Boxes go nowhere; a fatal end closes every unit, so unit 6 is opened anew.
  plat::io::open_discarding_unit(6, plat::io::Form::Formatted);
  const std::string file = std::string(kModel) + ".MDB";
  plat::io::serve_file_from_memory(file, data, size);
  const int result = load_file(kModel, true).status;
  acda_close();
  plat::io::close_all();
  plat::io::serve_file_from_memory(file, nullptr, 0);
  set_fatal_end(nullptr);
  return result;
}

inline int load_bytes(const std::vector<unsigned char>& bytes) { return load_bytes(bytes.data(), bytes.size()); }

}  // namespace load_harness
