// Replays the committed inputs of the parameter-file fuzz target (its seeds
// and any crash found so far) through the target's harness: every one runs to
// an end without a crash and without a file outside its run folder; the good
// seeds run every case (status 0).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/test_env.h"
#include "tools/fuzz/array_state.h"
#include "tools/fuzz/par_harness.h"

namespace {

std::vector<std::uint8_t> bytes_of(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(ParCorpus, EveryCommittedInputEndsCleanly) {
  const std::filesystem::path corpus = tna_test::data_path("par_corpus");
  std::vector<std::filesystem::path> files;
  for (const auto& e : std::filesystem::directory_iterator(corpus))
    if (e.is_regular_file()) files.push_back(e.path());
  ASSERT_FALSE(files.empty());
  tna_test::ScratchDir dir("parcorpus");
  for (const auto& f : files) {
    const std::string name = f.filename().string();
    SCOPED_TRACE(name);
    const std::vector<std::uint8_t> in = bytes_of(f);
    const int status = par_harness::run_bytes(in.data(), in.size());
    if (name.rfind("ok_", 0) == 0) {
      EXPECT_EQ(status, 0);
    }
  }
  gar_deallocate_all();
}

// A run changes the model; the next one starts from the model as building
// it leaves it (the harness copies the arrays back from an image).
TEST(ParCorpus, EveryRunStartsFromTheBuiltModel) {
  tna_test::ScratchDir dir("parstart");
  params_test::build_param_fixture();
  const FlagsRecord built_flags = FLAGS;
  fuzz_arrays::ArrayImage built;
  built.take();

  const std::string changes =
      "$PARAMETERS,PARMONLY\n!FINAL='changes'\nCHANGE T1 = 50\nSCALE GAIN * 2\nCHANGE REALA(1,2) = 7\n"
      "OFF GL(1,2)\nCHANGE L1 = 'New label'\n";
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    EXPECT_EQ(par_harness::run_bytes(reinterpret_cast<const std::uint8_t*>(changes.data()), changes.size()), 0);
    fuzz_arrays::ArrayImage after_run;
    after_run.take();
    EXPECT_NE(after_run.bytes, built.bytes);  // the run did change the model

    par_harness::start_state();
    fuzz_arrays::ArrayImage restored;
    restored.take();
    EXPECT_EQ(restored.shapes, built.shapes);
    EXPECT_EQ(restored.bytes, built.bytes);
    EXPECT_EQ(std::memcmp(&FLAGS, &built_flags, sizeof FLAGS), 0);
  }
  gar_deallocate_all();
}

// The committed corpus holds the harness's seeds as they are written now.
TEST(ParCorpus, HoldsTheSeeds) {
  for (const auto& [name, text] : par_harness::seed_files()) {
    const std::vector<std::uint8_t> in = bytes_of(tna_test::data_path("par_corpus/" + name));
    EXPECT_EQ(std::string(in.begin(), in.end()), text) << name;
  }
}

}  // namespace
