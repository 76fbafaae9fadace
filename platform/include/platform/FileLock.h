#pragma once

#include <string>

#include "platform/Export.h"

namespace platform {

// A recursive lock shared by every thread and process that uses the same name
// (recursion is counted per thread). On Windows it is built from a named event
// "Optex_Event_" + name and a named 16-byte shared block "Optex_MMF_" + name,
// so that other programs using that scheme take part; natively from a lock file
// in the temporary folder, locked with flock, plus an in-process recursive lock.
// The constructor and Enter throw std::runtime_error when the lock cannot be had.
class MOX_PLATFORM_API FileLock {
 public:
  explicit FileLock(const std::string& name);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  void Enter();
  void Leave();

 private:
  struct Native;
  Native* native_;
};

// Scoped Enter/Leave.
class FileLockGuard {
 public:
  explicit FileLockGuard(FileLock& lock) : lock_(lock) { lock_.Enter(); }
  ~FileLockGuard() { lock_.Leave(); }
  FileLockGuard(const FileLockGuard&) = delete;
  FileLockGuard& operator=(const FileLockGuard&) = delete;

 private:
  FileLock& lock_;
};

}  // namespace platform
