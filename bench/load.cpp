// Speed of the model database load against reading the file's bytes.
//
// For each size (10,000, 100,000 and 300,000 nodes, or the sizes given on
// the command line after an optional layout, "one" or "sub") the spacecraft-like network of bench/spacecraft.h is
// written as a model database in two layouts:
//   - one model: every node and conductor in the main model, node numbers
//     ascending with gaps (10 x index) and the deep-space node numbered
//     999,999,999;
//   - submodels: each panel a submodel numbered from 1; the main model holds
//     the tied nodes and the deep-space node, and every conductor between
//     panels or to deep space as an inter-model link.
// The tied nodes copy node 1 through the same-node list in both layouts.
// For each file it prints the best of 15 timings of reading the whole
// file into memory and of the load (SCOMLD: reading, connection lists,
// links, node-copy list, compact lists), their ratio, and checks the
// compact lists. The last line gives the largest ratio at the largest size
// and the growth exponent of the load time between the two largest sizes
// (load time ~ N^exponent), the larger of the two layouts.
//
// This program is its own model program: it supplies the five blocks.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/spacecraft.h"
#include "bench/spacecraft_mdb.h"
#include "bench/support/clock.h"
#include "core/control_constants.h"
#include "core/diagnostics.h"
#include "core/global_records.h"
#include "model/generated_program.h"
#include "modeldata/acda_arrays_load.h"
#include "modeldata/global_arrays.h"
#include "modeldata/mdb_load.h"
#include "platform/process.h"
#include "platform/units.h"
#include "tools/acd_writer.h"
#include "tools/mdb_writer.h"

using spacecraft::Case;
using spacecraft::kModel;

namespace {

// Elapsed time; the best of several runs, so that time the machine gives
// to other programs counts as little as it can.
using bench::Clock;
using bench::seconds_since;

// Reads the whole file into memory.
double time_read(const std::string& path, std::vector<unsigned char>& buf) {
  const auto t0 = Clock::now();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return -1;
  const std::size_t got = std::fread(buf.data(), 1, buf.size(), f);
  std::fclose(f);
  const double t = seconds_since(t0);
  return got == buf.size() ? t : -1;
}

// One load; false when it did not end with status 0 and the expected lists.
bool time_load(const Case& c, double& seconds) {
  spacecraft::prepare_load(c);
  int status = 0;
  const auto t0 = Clock::now();
  try {
    SCOMLD(10, status);
  } catch (const plat::ProcessExit&) {
    return false;
  }
  seconds = seconds_since(t0);
  if (status != 0) return false;
  long long entries = 0;
  for (int i = 1; i <= FLAGS(1); ++i)
    for (int k = 2; k <= 6; k += 2) entries += gar_pcsptrsthermal(k, i);
  const int tied = FLAGS(25) > 4 ? gar_pcsthermalold(FLAGS(24) - FLAGS(25) + 4) : 0;
  return entries == c.entries && tied > 0;
}

struct Result {
  double read = 0, load = 0;
};

Result measure(const char* layout, int n, const Case& c) {
  const std::string path = std::string(kModel) + ".MDB";
  c.db.write(path);
  const std::vector<unsigned char> bytes = c.db.bytes();
  std::vector<unsigned char> buf(bytes.size());
  // As many runs at every size: the best of fewer runs at the large sizes
  // would come out slower by chance alone and inflate the growth exponent.
  const int reps = 15;
  Result r{1e30, 1e30};
  for (int k = 0; k < reps; ++k) r.read = std::min(r.read, time_read(path, buf));
  for (int k = 0; k < reps; ++k) {
    double t = 0;
    if (!time_load(c, t)) {
      std::printf("%-10s %8d nodes: the load failed\n", layout, n);
      std::exit(1);
    }
    r.load = std::min(r.load, t);
  }
  std::printf("%-10s %8d nodes  %4d models  file %7.1f MB  read %8.3f ms  load %9.3f ms  load/read %6.2f\n", layout,
              n, c.flags[25], static_cast<double>(bytes.size()) / 1e6, 1e3 * r.read, 1e3 * r.load, r.load / r.read);
  std::fflush(stdout);
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes = {10000, 100000, 300000};
  bool with_one = true, with_sub = true;
  int first = 1;
  if (argc > 1 && (std::string(argv[1]) == "one" || std::string(argv[1]) == "sub")) {
    with_one = std::string(argv[1]) == "one";
    with_sub = !with_one;
    first = 2;
  }
  if (argc > first) {
    sizes.clear();
    for (int i = first; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  }
  sizes.erase(std::remove_if(sizes.begin(), sizes.end(), [](int n) { return n < 100; }), sizes.end());
  if (sizes.empty()) return 1;
  std::sort(sizes.begin(), sizes.end());
  spacecraft::prepare_loads();
  std::vector<Result> one, sub;
  for (int n : sizes) {
    const spacecraft::Network net = spacecraft::generate(n, 12345u + static_cast<unsigned>(n));
    if (with_one) one.push_back(measure("one model", n, spacecraft::one_model(net)));
    if (with_sub) sub.push_back(measure("submodels", n, spacecraft::submodels(net)));
  }
  double ratio = 0, growth = 0;
  for (const auto* rs : {&one, &sub}) {
    if (rs->empty()) continue;
    ratio = std::max(ratio, rs->back().load / rs->back().read);
    if (sizes.size() >= 2) {
      const double nn = static_cast<double>(sizes.back()) / sizes[sizes.size() - 2];
      growth = std::max(growth, std::log((*rs)[rs->size() - 1].load / (*rs)[rs->size() - 2].load) / std::log(nn));
    }
  }
  std::printf("load/read at %d nodes %.2f, load time growth N^%.2f from %d to %d nodes\n", sizes.back(), ratio,
              growth, sizes.size() >= 2 ? sizes[sizes.size() - 2] : sizes.back(), sizes.back());
  std::remove((std::string(kModel) + ".MDB").c_str());
  std::remove((std::string(kModel) + ".acd").c_str());
  return 0;
}
