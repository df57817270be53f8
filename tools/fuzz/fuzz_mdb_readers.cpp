// libFuzzer target: arbitrary bytes as a model database file, read by the
// record and keyed-list readers.
//
// Input layout: the first 16 bytes are a script (one reader call per byte,
// with its key, base and capacity taken from the following script bytes); the
// rest is the file. A fatal read ends the "run" through a thrown
// plat::ProcessExit, which the target catches; anything else that goes wrong
// (out-of-bounds access, leak, crash, hang) is a finding.
//
// Also built without libFuzzer as a replayer (TNA_FUZZ_REPLAY_MAIN): each
// argument is an input file run once.
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "modeldata/mdb_readers.h"
#include "platform/process.h"
#include "platform/units.h"

namespace {

constexpr int kUnit = 10;
constexpr std::size_t kScript = 16;

// In the working directory, which the run script makes a fresh scratch directory.
std::string scratch_name() {
  static const std::string name = "tna_fuzz_" + std::to_string(::getpid()) + ".MDB";
  return name;
}

void write_file(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// Runs the readers on the file as the script says; returns when a reader fails fatally.
void run_script(const std::uint8_t* s) {
  // Targets are sized like small model arrays; capacities may claim more than
  // the arrays hold, which the readers must not believe.
  std::vector<int> ints(64, 0);
  std::vector<double> reals(32, 0.0);
  std::vector<char> texts(24 * 8, ' ');
  std::vector<int> directory(580, 1);
  for (std::size_t i = 0; i < kScript; ++i) {
    const int op = s[i] % 9;
    const int arg = s[(i + 1) % kScript];
    const int base = arg % 8 - 1;
    const int capacity = 2 * arg;  // up to 510: often more than the arrays hold
    const int key = s[(i + 2) % kScript] % 8 - 1;
    int count = 0, status = 0, found = 0;
    switch (op) {
      case 0:
        SCOMII(base, capacity, key, kUnit, plat::Vec1<int>(ints.data(), 64), count, status);
        break;
      case 1:
        SCOMDD(base, capacity, key, kUnit, plat::Vec1<double>(reals.data(), 32), count, status);
        break;
      case 2:
        SCOMZZ(base, capacity, key, kUnit, 1 + arg % 30, TextVec1(texts.data(), 8, 24), count, status);
        break;
      case 3:
        DBQRMK(kUnit, found, status);
        break;
      case 4:
        SCOMSK(plat::Vec1<const int>(directory.data(), 580), 2, 290, key, key + arg % 4, kUnit, status);
        break;
      case 5:
        DBQRII(arg % 65, kUnit, plat::Vec1<int>(ints.data(), 64), status);
        break;
      case 6:
        DBQRZZ(arg % 9, kUnit, TextVec1(texts.data(), 8, 24), status);
        break;
      case 7:
        DBCOPI(arg % 70 - 2, key + 2, arg % 5, capacity % 70, plat::Vec1<int>(ints.data(), 64), status);
        break;
      default:
        DBQRDD(arg % 33, kUnit, plat::Vec1<double>(reals.data(), 32), status);
        break;
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
  write_file(scratch_name(), data + kScript, size - kScript);
  // The boxes of failed reads go nowhere; the unrecoverable-error path closes
  // unit 6, so it is connected again on every input.
  plat::io::open_unit(6, "/dev/null", plat::io::Form::Formatted, "UNKNOWN");
  if (plat::io::open_unit(kUnit, scratch_name(), plat::io::Form::Unformatted, "OLD") != 0) return 0;
  try {
    run_script(data);
  } catch (const plat::ProcessExit&) {
  }
  plat::io::close_all();
  return 0;
}

#ifdef TNA_FUZZ_REPLAY_MAIN
int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::ifstream f(argv[i], std::ios::binary);
    const std::vector<std::uint8_t> in((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(in.data(), in.size());
  }
  plat::io::remove_file(scratch_name());
  return 0;
}
#endif
