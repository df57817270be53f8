// Helpers shared by the tests: a scratch directory per test and exit capture.
#pragma once

#include <filesystem>
#include <string>

namespace tna_test {

// Creates a fresh empty directory under the system temp folder and makes it the
// working directory for the lifetime of the object.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& tag = "t");
  ~ScratchDir();
  const std::filesystem::path& path() const { return dir_; }
  std::string read(const std::string& name) const;  // whole file as bytes
  bool exists(const std::string& name) const;

 private:
  std::filesystem::path dir_, old_;
};

// Path of a committed test data file.
std::string data_path(const std::string& rel);

}  // namespace tna_test
