// libFuzzer target: arbitrary bytes as the parameter file of a small fixed
// model, through a whole parameter-case run (PARAMX: options record, case
// headers, statements, references, values and expressions, snapshot
// restores, case files and the GFF, TMD and CSV result writers). A run end
// is caught (the harness turns it into a thrown plat::ProcessExit); anything
// else that goes wrong (out-of-bounds access, leak, crash, hang, a file
// written outside the run folder) is a finding.
//
// Build and run through tools/fuzz/run-fuzz, for example:
//   tools/fuzz/run-fuzz 60
// New crashes belong in tests/data/par_corpus, which test_parameters replays.
//
// Built with TNA_FUZZ_REPLAY_MAIN it replays the files named as arguments;
// with TNA_FUZZ_WRITE_SEEDS it writes the seed inputs into the folder named
// as its argument.
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/fuzz/par_harness.h"
#include "tools/fuzz/replay_main.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  par_harness::run_bytes(data, size);
  return 0;
}

#if defined(TNA_FUZZ_REPLAY_MAIN)
int main(int argc, char** argv) { return fuzz_replay::replay_files(argc, argv); }
#elif defined(TNA_FUZZ_WRITE_SEEDS)
int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string dir = argv[1];
  for (const auto& [name, text] : par_harness::seed_files())
    std::ofstream(dir + "/" + name, std::ios::binary) << text;
  return 0;
}
#endif
