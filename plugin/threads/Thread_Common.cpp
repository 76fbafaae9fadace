#include "threads/Thread_Common.h"

#include <algorithm>
#include <stdexcept>

namespace {

constexpr uintptr_t kMarkerLimit = 0x10000;

}  // namespace

TObject* MarkerItem(uintptr_t value) {
  if (value == 0 || value >= kMarkerLimit) {
    throw std::invalid_argument("A marker item must be a value from 1 to 65535.");
  }
  // NOLINTNEXTLINE(performance-no-int-to-ptr): a marker is never dereferenced
  return reinterpret_cast<TObject*>(value);
}

bool IsMarkerItem(const TObject* item) {
  const auto value = reinterpret_cast<uintptr_t>(item);
  return value != 0 && value < kMarkerLimit;
}

void FreeObject(TObject* object) noexcept {
  if (object == nullptr || IsMarkerItem(object)) {
    return;
  }
  try {
    delete object;
  } catch (...) {
    // A failing destructor must not stop the caller's teardown.
  }
}

// --- TReadWriteLock

TReadWriteLock::ReaderEntry* TReadWriteLock::FindReader(std::thread::id thread) {
  auto found = std::find_if(readers_.begin(), readers_.end(),
                            [thread](const ReaderEntry& entry) { return entry.thread == thread; });
  return found == readers_.end() ? nullptr : &*found;
}

void TReadWriteLock::WakeWaiters() {
  if (waitingWriters_ > 0) {
    writerGate_.notify_all();
  } else if (waitingReaders_ > 0) {
    readerGate_.notify_all();
  }
}

void TReadWriteLock::BeginRead() {
  std::unique_lock<std::mutex> guard(mutex_);
  const auto self = std::this_thread::get_id();
  if (ReaderEntry* entry = FindReader(self)) {
    ++entry->depth;
    return;
  }
  if (writer_ != self) {
    ++waitingReaders_;
    readerGate_.wait(guard,
                     [this] { return writer_ == std::thread::id() && waitingWriters_ == 0; });
    --waitingReaders_;
    ++blockingReaders_;
  }
  // The writer's own shared hold blocks nobody while it writes; EndWrite counts it.
  readers_.push_back({self, 1});
}

void TReadWriteLock::EndRead() {
  std::lock_guard<std::mutex> guard(mutex_);
  const auto self = std::this_thread::get_id();
  ReaderEntry* entry = FindReader(self);
  if (entry == nullptr) {
    throw std::logic_error("The shared lock is released by a thread that does not hold it.");
  }
  if (--entry->depth > 0) {
    return;
  }
  *entry = readers_.back();
  readers_.pop_back();
  if (writer_ != self && --blockingReaders_ == 0) {
    WakeWaiters();
  }
}

void TReadWriteLock::BeginWrite() {
  std::unique_lock<std::mutex> guard(mutex_);
  const auto self = std::this_thread::get_id();
  if (writer_ == self) {
    ++writeDepth_;
    return;
  }
  // An upgrading reader stops keeping writers out while it waits: another
  // upgrading reader may then get through first instead of both waiting forever.
  const bool upgrading = FindReader(self) != nullptr;
  if (upgrading && --blockingReaders_ == 0 && waitingWriters_ > 0) {
    writerGate_.notify_all();
  }
  ++waitingWriters_;
  writerGate_.wait(guard, [this] { return writer_ == std::thread::id() && blockingReaders_ == 0; });
  --waitingWriters_;
  writer_ = self;
  writeDepth_ = 1;
}

void TReadWriteLock::EndWrite() {
  std::lock_guard<std::mutex> guard(mutex_);
  const auto self = std::this_thread::get_id();
  if (writer_ != self) {
    throw std::logic_error("The exclusive lock is released by a thread that does not hold it.");
  }
  if (--writeDepth_ > 0) {
    return;
  }
  writer_ = std::thread::id();
  if (FindReader(self) != nullptr) {
    ++blockingReaders_;  // still a reader: it keeps writers out again
  }
  WakeWaiters();
}

// --- TThreadObject

TThreadObject::TThreadObject(TObject* object) : object_(object != nullptr ? object : this) {}

TThreadObject::~TThreadObject() noexcept { delete sync_.load(); }

TReadWriteLock& TThreadObject::Sync() {
  TReadWriteLock* sync = sync_.load(std::memory_order_acquire);
  if (sync == nullptr) {
    std::lock_guard<std::mutex> guard(creationLock_);
    sync = sync_.load(std::memory_order_relaxed);
    if (sync == nullptr) {
      sync = new TReadWriteLock();
      sync_.store(sync, std::memory_order_release);
    }
  }
  return *sync;
}

TObject* TThreadObject::LockRead() {
  Sync().BeginRead();
  return object_;
}

void TThreadObject::UnlockRead() { Sync().EndRead(); }

TObject* TThreadObject::LockWrite() {
  Sync().BeginWrite();
  return object_;
}

void TThreadObject::UnlockWrite() { Sync().EndWrite(); }
