// libFuzzer target: arbitrary bytes as the model database file of a small
// fixed model, through the whole load (SCOMLD: first record, control
// constants, model tree, every section loader, skip blocks, inter-model
// links, connection lists). A fatal end of the load is caught (the harness
// turns it into a thrown plat::ProcessExit); anything else that goes wrong
// (out-of-bounds access, leak, crash, hang) is a finding.
//
// Build and run like the reader target (tools/fuzz/run-fuzz builds the
// library archive), for example:
//   clang++ <flags of run-fuzz> -fsanitize=address,fuzzer tools/fuzz/fuzz_load.cpp \
//       build-fuzz/libtna_fuzz.a -lhdf5_hl -lhdf5 -lz -o build-fuzz/fuzz_load
//   (cd $(mktemp -d) && build-fuzz/fuzz_load -timeout=10 corpus tests/data/load_corpus)
// New crashes belong in tests/data/load_corpus, which test_modeldata replays.
//
// Built with TNA_FUZZ_REPLAY_MAIN it replays the files named as arguments;
// with TNA_FUZZ_WRITE_SEEDS it writes the seed inputs into the folder named
// as its argument.
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/fuzz/load_harness.h"
#include "tools/fuzz/replay_main.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  load_harness::load_bytes(data, size);
  return 0;
}

#if defined(TNA_FUZZ_REPLAY_MAIN)
int main(int argc, char** argv) { return fuzz_replay::replay_files(argc, argv); }
#elif defined(TNA_FUZZ_WRITE_SEEDS)
int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string dir = argv[1];
  for (const auto& [name, db] : load_harness::seed_databases()) mdbw::write_bytes(dir + "/" + name, db.bytes());
  return 0;
}
#endif
