// Replays the committed fuzz inputs (seeds and the crashes found so far)
// through the fuzz target's harness: every one must end cleanly.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/process.h"
#include "support/test_env.h"

// The harness itself, so that the replay runs exactly what the fuzzer runs.
#include "tools/fuzz/fuzz_mdb_readers.cpp"

namespace {

TEST(MdbCorpus, EveryCommittedInputEndsCleanly) {
  const std::filesystem::path corpus = tna_test::data_path("mdb_corpus");
  std::vector<std::filesystem::path> files;
  for (const auto& e : std::filesystem::directory_iterator(corpus))
    if (e.is_regular_file()) files.push_back(e.path());
  ASSERT_FALSE(files.empty());
  tna_test::ScratchDir dir("corpus");
  for (const auto& f : files) {
    SCOPED_TRACE(f.filename().string());
    std::ifstream in(f, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
  }
  plat::set_exit_throws(false);
}

}  // namespace
