#pragma once

#include <cstdint>

#include "platform/Export.h"

namespace platform {

// A waitable kernel object: a manual-reset event or a thread (signalled when it ends).
using Handle = void*;

constexpr uint32_t kInfinite = 0xFFFFFFFFu;
constexpr int kWaitTimeout = -1;
constexpr int kWaitFailed = -2;

MOX_PLATFORM_API Handle CreateManualResetEvent(bool initiallySet);
MOX_PLATFORM_API void SetEvent(Handle event);
MOX_PLATFORM_API void ResetEvent(Handle event);
// Closes an event; thread handles are closed by their Thread object.
MOX_PLATFORM_API void CloseEvent(Handle event);

// Waits until one of the handles is signalled. Returns the lowest signalled
// index, kWaitTimeout, or kWaitFailed (null, closed or repeated handle, count
// out of 1..64).
MOX_PLATFORM_API int WaitForAny(const Handle* handles, int count, uint32_t timeoutMs);

// As WaitForAny (count 0..63), but also returns `count` when a posted message or
// a due window timer is waiting for the calling thread. Messages that other
// threads send to the caller are handled during the wait.
MOX_PLATFORM_API int MsgWaitForAny(const Handle* handles, int count, uint32_t timeoutMs);

MOX_PLATFORM_API uint32_t CurrentThreadId();

// A re-entrant lock: the owning thread may enter again, each Enter matched by a Leave.
class MOX_PLATFORM_API CriticalSection {
 public:
  CriticalSection();
  ~CriticalSection();
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void Enter();
  bool TryEnter();
  void Leave();

 private:
  alignas(8) unsigned char storage_[64];
};

// Scoped Enter/Leave, the C++ form of "release in a finally block".
class CriticalSectionGuard {
 public:
  explicit CriticalSectionGuard(CriticalSection& lock) : lock_(lock) { lock_.Enter(); }
  ~CriticalSectionGuard() { lock_.Leave(); }
  CriticalSectionGuard(const CriticalSectionGuard&) = delete;
  CriticalSectionGuard& operator=(const CriticalSectionGuard&) = delete;

 private:
  CriticalSection& lock_;
};

}  // namespace platform
