// Speed of writing TMD time slices, and the size of the file they make.
//
// The spacecraft-like network of bench/spacecraft.h (10,000 nodes, or the
// sizes given on the command line) is written as a one-model database and
// loaded; then DMPTMD writes SLICES time slices of every node, conductor and
// constant ("NODES, CONDUCTORS, CONSTANTS") to one file, the temperatures
// changing between slices as in a transient. For each size it prints the
// wall-clock time of one slice (the best of a few files, each over the same
// slices, so that time the machine gives to other programs counts as little
// as it can), the time of the file's creation with its first slice, the
// time of its close, and the size of the closed file per slice.
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
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
#include "modeldata/global_arrays.h"
#include "modeldata/mdb_load.h"
#include "modeldata/node_lists.h"
#include "modeldata/submodel_refs.h"
#include "output/tmd_requests.h"
#include "platform/process.h"

namespace {

using bench::Clock;
using bench::seconds_since;
using spacecraft::Case;
using spacecraft::kModel;

constexpr int kSlices = 40;
constexpr int kFiles = 3;

bool load(const Case& c) {
  spacecraft::prepare_load(c);
  int status = 0;
  try {
    SCOMLD(10, status);
  } catch (const plat::ProcessExit&) {
    return false;
  }
  ndssmd_reset_for_tests();  // the node lookups of the previous size
  lschnd_reset_for_tests();
  return status == 0;
}

struct Result {
  double slice = 1e30, first = 1e30, close = 1e30;
  long long bytes = 0;
};

// One file of kSlices slices; the time of the first slice (with the file's
// creation) and of each later one.
void write_file(int n, Result& r) {
  tmd_requests_reset_for_tests();
  std::remove("SCTMD.TMD");
  double later = 0.0;
  for (int s = 0; s < kSlices; ++s) {
    GLOR.TIMEN = 60.0 * s;
    for (int i = 1; i <= n; ++i)
      gar_thermalnodetemps(i) = 20.0 + 10.0 * std::sin(1e-3 * i + 0.1 * s) + 1e-4 * ((i * 7919 + s * 104729) % 1000);
    const auto t0 = Clock::now();
    DMPTMD(" ", "NODES, CONDUCTORS, CONSTANTS", 1, "SCTMD");
    const double t = seconds_since(t0);
    if (s == 0) r.first = std::min(r.first, t);
    else later += t;
  }
  r.slice = std::min(r.slice, later / (kSlices - 1));
  const auto t0 = Clock::now();
  tmd_requests_reset_for_tests();  // closes the file
  r.close = std::min(r.close, seconds_since(t0));
  struct stat st {};
  if (stat("SCTMD.TMD", &st) == 0) r.bytes = static_cast<long long>(st.st_size);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes = {10000};
  if (argc > 1) {
    sizes.clear();
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  }
  sizes.erase(std::remove_if(sizes.begin(), sizes.end(), [](int n) { return n < 100; }), sizes.end());
  if (sizes.empty()) return 1;
  spacecraft::prepare_loads();
  for (int n : sizes) {
    const spacecraft::Network net = spacecraft::generate(n, 12345u + static_cast<unsigned>(n));
    const Case c = spacecraft::one_model(net);
    c.db.write(std::string(kModel) + ".MDB");
    if (!load(c)) {
      std::printf("%8d nodes: the load failed\n", n);
      return 1;
    }
    SLDINC();
    GLOI.MODEL = 1;
    GLOR.TABS = 273.15;
    GLOR.STEFAN = 5.670374e-8;
    JOBINF.date = "10 December 2026";
    JOBINF.time = "12:00:00";
    Result r;
    try {
      for (int f = 0; f < kFiles; ++f) write_file(n, r);
    } catch (const plat::ProcessExit&) {
      std::printf("%8d nodes: a TMD write failed\n", n);
      return 1;
    }
    std::printf(
        "%8d nodes  %6zu GL  %6zu GR  slice %8.3f ms  creation and first slice %8.3f ms  close %8.3f ms"
        "  file %7.2f MB  (%6.1f kB per slice)\n",
        n, net.gl.size(), net.gr.size(), 1e3 * r.slice, 1e3 * r.first, 1e3 * r.close,
        static_cast<double>(r.bytes) / 1e6,
        static_cast<double>(r.bytes) / 1e3 / kSlices);
    std::fflush(stdout);
  }
  std::remove("SCTMD.TMD");
  std::remove((std::string(kModel) + ".MDB").c_str());
  std::remove((std::string(kModel) + ".acd").c_str());
  return 0;
}
