#pragma once

#include <atomic>
#include <cstdint>

#include "platform/Export.h"
#include "platform/Sync.h"

namespace platform {

enum class ThreadPriority { Idle, Lowest, Lower, Normal, Higher, Highest, TimeCritical };

// The platform's thread object. A thread is created suspended; the first Resume
// starts Execute on a new system thread. The object never frees itself.
class MOX_PLATFORM_API Thread {
 public:
  Thread();
  // Ends a running thread first: Terminate, then WaitFor. A subclass whose Execute
  // uses the subclass's own members ends the thread in its own destructor, as
  // those members are gone by the time this one runs.
  virtual ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  void Resume();
  bool Suspended() const;
  void Terminate() { terminated_.store(true); }
  bool Terminated() const { return terminated_.load(); }
  // Waits until Execute has returned (at once when the thread never started).
  void WaitFor();
  // Signalled once Execute has returned; usable with WaitForAny.
  Handle GetHandle() const { return handle_; }
  // 0 until the thread has started.
  uint32_t ThreadId() const { return threadId_.load(); }
  void SetPriority(ThreadPriority priority);
  ThreadPriority Priority() const { return priority_.load(); }

 protected:
  virtual void Execute() = 0;

 private:
  struct Native;
  static void Run(Thread* self);

  Native* native_;
  Handle handle_;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> started_{false};
  std::atomic<uint32_t> threadId_{0};
  std::atomic<ThreadPriority> priority_{ThreadPriority::Normal};
};

}  // namespace platform
