#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

// The root of every object that a container holds by reference. Destructors
// may raise; the containers that free objects shield each free (FreeObject).
class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = default;
  TObject& operator=(const TObject&) = default;
  virtual ~TObject() noexcept(false) = default;
};

// Small integers pushed where an object is expected (the request engine's
// connect marker is 1). No object lives in the lowest 64 KiB of the address
// space on any supported system, so such values are never freed.
TObject* MarkerItem(uintptr_t value);
bool IsMarkerItem(const TObject* item);

// Frees an object; nil and marker values are left alone and an exception
// raised by the destructor is swallowed, so that a teardown goes on.
void FreeObject(TObject* object) noexcept;

// The multi-reader/single-writer lock. Any number of threads may share it; the
// exclusive holder may take the shared or exclusive side again (each take
// matched by its release); a shared holder may take the exclusive side too and
// then waits until every other holder has left. While it waits, its shared hold
// no longer keeps other writers out, so two readers that upgrade at once cannot
// deadlock: one gets through, the other follows once the first has left.
// Waiting writers hold back new readers, so a stream of readers cannot starve
// them. Releasing a side that the calling thread does not hold raises
// std::logic_error.
class TReadWriteLock {
 public:
  TReadWriteLock() = default;
  TReadWriteLock(const TReadWriteLock&) = delete;
  TReadWriteLock& operator=(const TReadWriteLock&) = delete;

  void BeginRead();
  void EndRead();
  void BeginWrite();
  void EndWrite();

 private:
  struct ReaderEntry {
    std::thread::id thread;
    int32_t depth;
  };

  ReaderEntry* FindReader(std::thread::id thread);
  void WakeWaiters();

  std::mutex mutex_;
  std::condition_variable readerGate_;
  std::condition_variable writerGate_;
  std::vector<ReaderEntry> readers_;  // every thread with a shared hold
  std::thread::id writer_;            // default id: no writer
  int32_t writeDepth_ = 0;
  int32_t blockingReaders_ = 0;  // shared holders that keep writers out
  int32_t waitingReaders_ = 0;
  int32_t waitingWriters_ = 0;
};

// Holds the shared or the exclusive side of a TReadWriteLock for a scope.
template <bool Exclusive>
class TReadWriteSection {
 public:
  explicit TReadWriteSection(TReadWriteLock& lock) : lock_(lock) {
    Exclusive ? lock_.BeginWrite() : lock_.BeginRead();
  }
  ~TReadWriteSection() {
    try {
      Exclusive ? lock_.EndWrite() : lock_.EndRead();
    } catch (const std::logic_error&) {
      // Releasing the side this scope took cannot be refused.
    }
  }
  TReadWriteSection(const TReadWriteSection&) = delete;
  TReadWriteSection& operator=(const TReadWriteSection&) = delete;

 private:
  TReadWriteLock& lock_;
};
using TSharedSection = TReadWriteSection<false>;
using TExclusiveSection = TReadWriteSection<true>;

// A holder that guards one object with a multi-reader/single-writer lock. The
// lock is created on first use; the guarded object is not owned.
class TThreadObject : public TObject {
 public:
  // Guards `object`, or the holder itself when it is nil.
  explicit TThreadObject(TObject* object = nullptr);
  ~TThreadObject() noexcept override;
  TThreadObject(const TThreadObject&) = delete;
  TThreadObject& operator=(const TThreadObject&) = delete;

  TObject* LockRead();
  void UnlockRead();
  TObject* LockWrite();
  void UnlockWrite();
  void Unlock() { UnlockWrite(); }

 private:
  TReadWriteLock& Sync();

  std::mutex creationLock_;
  std::atomic<TReadWriteLock*> sync_{nullptr};
  TObject* object_;
};

// Scoped lock of any holder with LockRead/UnlockRead and LockWrite/UnlockWrite:
// takes the lock on construction, releases it on destruction, and gives access
// to the object the lock operation returned.
template <class Holder, bool Exclusive>
class TLockGuard {
 public:
  explicit TLockGuard(Holder& holder) : holder_(holder), object_(Take(holder)) {}
  ~TLockGuard() {
    if constexpr (Exclusive) {
      holder_.UnlockWrite();
    } else {
      holder_.UnlockRead();
    }
  }
  TLockGuard(const TLockGuard&) = delete;
  TLockGuard& operator=(const TLockGuard&) = delete;

  auto* operator->() const { return object_; }
  auto& operator*() const { return *object_; }

 private:
  static auto Take(Holder& holder) {
    if constexpr (Exclusive) {
      return holder.LockWrite();
    } else {
      return holder.LockRead();
    }
  }

  Holder& holder_;
  decltype(Take(std::declval<Holder&>())) object_;
};

template <class Holder>
using TReadGuard = TLockGuard<Holder, false>;
template <class Holder>
using TWriteGuard = TLockGuard<Holder, true>;
