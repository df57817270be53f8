// libFuzzer target: arbitrary bytes as a model database file, read by the
// record and keyed-list readers.
//
// Input layout: the first 16 bytes are a script (one reader call per byte,
// with its key, base and capacity taken from the following script bytes); the
// rest is the file. A fatal read ends the "run" through a thrown
// plat::ProcessExit, which the target catches; anything else that goes wrong
// (out-of-bounds access, leak, crash, hang) is a finding.
//
// The file is served from memory (plat::io::serve_file_from_memory): nothing
// is written, and the target arrays are made once and refilled per input.
//
// Also built without libFuzzer as a replayer (TNA_FUZZ_REPLAY_MAIN): each
// argument is an input file run once.
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "modeldata/mdb_readers.h"
#include "platform/process.h"
#include "platform/units.h"
#include "tools/fuzz/replay_main.h"

namespace {

constexpr int kUnit = 10;
constexpr std::size_t kScript = 16;

// The name the file is served under; it exists only in memory.
constexpr const char* kFile = "FUZZ.MDB";

// Targets are sized like small model arrays; capacities may claim more than
// the arrays hold, which the readers must not believe. Made once, refilled
// for every input.
struct Targets {
  std::vector<int> ints = std::vector<int>(64);
  std::vector<double> reals = std::vector<double>(32);
  std::vector<char> texts = std::vector<char>(24 * 8);
  std::vector<int> directory = std::vector<int>(580);
  void refill() {
    std::fill(ints.begin(), ints.end(), 0);
    std::fill(reals.begin(), reals.end(), 0.0);
    std::fill(texts.begin(), texts.end(), ' ');
    std::fill(directory.begin(), directory.end(), 1);
  }
};

// Runs the readers on the file as the script says; returns when a reader fails fatally.
void run_script(const std::uint8_t* s, Targets& t) {
  auto& ints = t.ints;
  auto& reals = t.reals;
  auto& texts = t.texts;
  auto& directory = t.directory;
  for (std::size_t i = 0; i < kScript; ++i) {
    const int op = s[i] % 9;
    const int arg = s[(i + 1) % kScript];
    const int base = arg % 8 - 1;
    const int capacity = 2 * arg;  // up to 510: often more than the arrays hold
    const int key = s[(i + 2) % kScript] % 8 - 1;
    int count = 0, status = 0, found = 0;
    switch (op) {
      case 0: SCOMII(base, capacity, key, kUnit, plat::Vec1<int>(ints.data(), 64), count, status); break;
      case 1: SCOMDD(base, capacity, key, kUnit, plat::Vec1<double>(reals.data(), 32), count, status); break;
      case 2: SCOMZZ(base, capacity, key, kUnit, 1 + arg % 30, TextVec1(texts.data(), 8, 24), count, status); break;
      case 3: DBQRMK(kUnit, found, status); break;
      case 4: SCOMSK(plat::Vec1<const int>(directory.data(), 580), 2, 290, key, key + arg % 4, kUnit, status); break;
      case 5: DBQRII(arg % 65, kUnit, plat::Vec1<int>(ints.data(), 64), status); break;
      case 6: DBQRZZ(arg % 9, kUnit, TextVec1(texts.data(), 8, 24), status); break;
      case 7: DBCOPI(arg % 70 - 2, key + 2, arg % 5, capacity % 70, plat::Vec1<int>(ints.data(), 64), status); break;
      default: DBQRDD(arg % 33, kUnit, plat::Vec1<double>(reals.data(), 32), status); break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool once = [] {
    plat::set_exit_throws(true);
    return true;
  }();
  (void)once;
  if (size < kScript) return 0;
  static Targets targets;
  targets.refill();
  plat::io::serve_file_from_memory(kFile, data + kScript, size - kScript);
  // The boxes of failed reads go nowhere; the unrecoverable-error path closes
  // unit 6, so it is connected again on every input.
  plat::io::open_discarding_unit(6, plat::io::Form::Formatted);
  if (plat::io::open_unit(kUnit, kFile, plat::io::Form::Unformatted, "OLD") == 0) {
    try {
      run_script(data, targets);
    } catch (const plat::ProcessExit&) {
    }
  }
  plat::io::close_all();
  plat::io::serve_file_from_memory(kFile, nullptr, 0);
  return 0;
}

#ifdef TNA_FUZZ_REPLAY_MAIN
int main(int argc, char** argv) { return fuzz_replay::replay_files(argc, argv); }
#endif
