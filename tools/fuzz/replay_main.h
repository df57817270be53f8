// The replayer of a fuzz target built without libFuzzer
// (TNA_FUZZ_REPLAY_MAIN): each argument is an input file run once through
// LLVMFuzzerTestOneInput. Included once, after the target's entry point.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fuzz_replay {

inline int replay_files(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::ifstream f(argv[i], std::ios::binary);
    const std::vector<std::uint8_t> in((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(in.data(), in.size());
  }
  return 0;
}

}  // namespace fuzz_replay
