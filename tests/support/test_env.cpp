#include "support/test_env.h"

#include <unistd.h>

#include <fstream>
#include <sstream>

namespace tna_test {

ScratchDir::ScratchDir(const std::string& tag) {
  old_ = std::filesystem::current_path();
  std::string tmpl = (std::filesystem::temp_directory_path() / ("tna_" + tag + "_XXXXXX")).string();
  char* p = ::mkdtemp(tmpl.data());
  dir_ = p ? std::filesystem::path(p) : std::filesystem::temp_directory_path();
  std::filesystem::current_path(dir_);
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  std::filesystem::current_path(old_, ec);
  std::filesystem::remove_all(dir_, ec);
}

std::string ScratchDir::read(const std::string& name) const {
  std::ifstream in(dir_ / name, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool ScratchDir::exists(const std::string& name) const { return std::filesystem::exists(dir_ / name); }

std::string data_path(const std::string& rel) { return std::string(TNA_TEST_DATA_DIR_SUPPORT) + "/" + rel; }

}  // namespace tna_test
