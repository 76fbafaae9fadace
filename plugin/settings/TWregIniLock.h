#pragma once

#include <string>
#include <string_view>

#include "platform/FileLock.h"

// The name under which every pass over the same INI file takes turns, here and
// in the host: the path in lower case with every character outside "0".."9"
// and "a".."z" replaced by "_".
std::string IniLockName(std::string_view iniPath);

// Holds the INI lock of a file from construction to destruction; the
// constructor throws std::runtime_error when the lock cannot be had.
class TWregIniLock {
 public:
  explicit TWregIniLock(std::string_view iniPath);
  ~TWregIniLock() { lock_.Leave(); }
  TWregIniLock(const TWregIniLock&) = delete;
  TWregIniLock& operator=(const TWregIniLock&) = delete;

 private:
  platform::FileLock lock_;
};
