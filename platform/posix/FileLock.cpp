// The cross-process lock of the stand-in: the threads of this process take
// turns through one recursive mutex per name; the thread that holds it first
// also holds an flock on the name's lock file in the temporary folder, which
// keeps other processes out.

#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace platform {

namespace {

struct NamedLock {
  std::recursive_mutex mutex;
  int depth = 0;  // guarded by mutex
  int fd = -1;
  std::string path;
};

// File names are limited in length: a long name keeps its start and gains a hash of the whole.
std::string LockFileName(const std::string& name) {
  constexpr size_t kLongest = 180;
  if (name.size() <= kLongest) return "Optex_" + name + ".lock";
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : name) hash = (hash ^ c) * 1099511628211ull;
  return "Optex_" + name.substr(0, kLongest) + "_" + std::to_string(hash) + ".lock";
}

std::string LockFilePath(const std::string& name) {
  const char* folder = std::getenv("TMPDIR");
  return std::string(folder && *folder ? folder : "/tmp") + "/" + LockFileName(name);
}

// One entry per name for the life of the process.
std::shared_ptr<NamedLock> LockOf(const std::string& name) {
  static std::mutex guard;
  static std::map<std::string, std::shared_ptr<NamedLock>> locks;
  std::lock_guard<std::mutex> hold(guard);
  auto& lock = locks[name];
  if (!lock) {
    lock = std::make_shared<NamedLock>();
    lock->path = LockFilePath(name);
  }
  return lock;
}

int LockFile(const std::string& path) {
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);  // another user's lock file
  if (fd < 0) return -1;
  while (flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      close(fd);
      return -1;
    }
  }
  return fd;
}

}  // namespace

struct FileLock::Native {
  std::shared_ptr<NamedLock> lock;
};

FileLock::FileLock(const std::string& name) : native_(new Native{LockOf(name)}) {}

FileLock::~FileLock() { delete native_; }

void FileLock::Enter() {
  NamedLock& lock = *native_->lock;
  lock.mutex.lock();
  if (lock.depth == 0) {
    lock.fd = LockFile(lock.path);
    if (lock.fd < 0) {
      lock.mutex.unlock();
      throw std::runtime_error("cannot lock " + lock.path);
    }
  }
  ++lock.depth;
}

void FileLock::Leave() {
  NamedLock& lock = *native_->lock;
  if (--lock.depth == 0) {
    flock(lock.fd, LOCK_UN);
    close(lock.fd);
    lock.fd = -1;
  }
  lock.mutex.unlock();
}

}  // namespace platform
