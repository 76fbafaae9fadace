#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>

namespace plchost {

// Records that cannot reach their destination.
class EOutput : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where records go: standard output, or a file that they are appended to. Every
// write is checked, so that no record is lost without a word: a full disk, a
// closed pipe or a file removed meanwhile raises EOutput, and a file is cut back
// to its last whole line.
class TRecordOutput {
 public:
  // An empty path is standard output; raises EOutput when the file cannot be opened.
  explicit TRecordOutput(const std::string& path);

  std::ostream& Stream() { return *FOut; }
  // Runs `write`, which writes whole lines to Stream(), and checks that they arrived.
  void Write(const std::function<void()>& write);

 private:
  void Check();

  std::string FPath;
  std::ofstream FFile;
  std::ostream* FOut;
  uintmax_t FWholeSize = 0;  // the file's size after the last whole line
};

}  // namespace plchost
