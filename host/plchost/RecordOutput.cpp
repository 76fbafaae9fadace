#include "RecordOutput.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>

namespace plchost {

namespace {

namespace fs = std::filesystem;

bool IsRegularFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

}  // namespace

TRecordOutput::TRecordOutput(const std::string& path) : FPath(path), FOut(&std::cout) {
  if (FPath.empty()) return;
  FFile.open(fs::u8path(FPath), std::ios::binary | std::ios::app);
  if (!FFile) throw EOutput("the output file " + FPath + " cannot be written");
  FOut = &FFile;
  if (IsRegularFile(fs::u8path(FPath))) FWholeSize = fs::file_size(fs::u8path(FPath));
}

void TRecordOutput::Write(const std::function<void()>& write) {
  errno = 0;
  write();
  FOut->flush();
  Check();
}

void TRecordOutput::Check() {
  const int cause = errno;
  if (FPath.empty()) {
    if (!*FOut) {
      throw EOutput("records cannot be written to standard output" +
                    (cause != 0 ? ": " + std::string(std::strerror(cause)) : std::string()));
    }
    return;
  }
  // One look at the file per record in the common case: its size answers whether
  // it is still there and a regular file.
  const fs::path path = fs::u8path(FPath);
  std::error_code error;
  const std::uintmax_t size = fs::file_size(path, error);
  const bool regular = !error;
  if (!regular && !fs::exists(path, error)) {
    throw EOutput("the output file " + FPath + " was removed");
  }
  if (!*FOut) {
    // Cut a line that arrived in part, so that the file holds whole records only.
    if (regular) fs::resize_file(path, FWholeSize, error);
    throw EOutput("records cannot be written to " + FPath +
                  (cause != 0 ? ": " + std::string(std::strerror(cause)) : std::string()));
  }
  if (regular) FWholeSize = size;
}

}  // namespace plchost
