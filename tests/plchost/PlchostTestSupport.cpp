#include "PlchostTestSupport.h"

#include <fstream>
#include <random>
#include <sstream>

namespace plchost_test {

namespace fs = std::filesystem;

TTestFolder::TTestFolder() {
  std::random_device entropy;
  FPath = fs::temp_directory_path() / ("plchost-test-" + std::to_string(entropy()));
  fs::create_directories(FPath);
}

TTestFolder::~TTestFolder() {
  std::error_code error;
  fs::remove_all(FPath, error);
}

std::string TTestFolder::File(const std::string& name) const { return (FPath / name).string(); }

std::string TTestFolder::Write(const std::string& name, const std::string& content) const {
  std::ofstream(FPath / name, std::ios::binary) << content;
  return File(name);
}

std::string TTestFolder::Read(const std::string& name) const {
  std::ifstream file(FPath / name, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

}  // namespace plchost_test
