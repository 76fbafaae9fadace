#pragma once

#include <filesystem>
#include <string>

namespace plchost_test {

// A folder of its own in the temporary folder, removed with its content.
class TTestFolder {
 public:
  TTestFolder();
  ~TTestFolder();
  TTestFolder(const TTestFolder&) = delete;
  TTestFolder& operator=(const TTestFolder&) = delete;

  // The path of a file in the folder.
  std::string File(const std::string& name) const;
  // Writes the bytes into a file of the folder; its path.
  std::string Write(const std::string& name, const std::string& content) const;
  std::string Read(const std::string& name) const;

 private:
  std::filesystem::path FPath;
};

}  // namespace plchost_test
