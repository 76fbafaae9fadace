#pragma once

// The blocking core of the stand-in: a thread that waits attaches one Waiter to
// every source it waits on (events, its message queue), so that a change wakes
// only the threads that wait on that source.
//
// A later wait that also wakes on a readable file descriptor replaces
// Waiter::Block with a poll() over the descriptor and a wake-up pipe; the
// sources and the wait loop stay as they are.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

namespace platform::detail {

using Clock = std::chrono::steady_clock;

// The time point at which a wait of timeoutMs ends (never for kInfinite).
Clock::time_point DeadlineAfter(uint32_t timeoutMs);

class Waiter {
 public:
  void Notify();
  // Returns once notified since the last Block, or at `until`.
  void Block(Clock::time_point until);

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool notified_ = false;
};

// Something a Waiter can wait on. Subclasses guard their state with mutex_ and
// call WakeWaiters, with mutex_ held, whenever a waiter may have become ready.
class WaitSource {
 public:
  void Attach(Waiter& waiter);
  void Detach(Waiter& waiter);

 protected:
  void WakeWaiters();
  std::mutex mutex_;

 private:
  std::vector<Waiter*> waiters_;
};

// A manual-reset event.
class Event : public WaitSource {
 public:
  explicit Event(bool initiallySet) : set_(initiallySet) {}
  void Set();
  void Reset();
  bool IsSet();

 private:
  bool set_;
};

// Waits until poll(now, wakeAt) returns a ready index (>= 0) or the deadline
// passes (then -1). poll may bring wakeAt forward, for instance to the next due
// timer. The waiter is attached to every source for the whole wait.
template <class Poll>
int WaitUntil(const std::vector<WaitSource*>& sources, Clock::time_point deadline, Poll&& poll) {
  Waiter waiter;
  for (WaitSource* source : sources) source->Attach(waiter);
  int ready = -1;
  for (;;) {
    const Clock::time_point now = Clock::now();
    Clock::time_point wakeAt = deadline;
    ready = poll(now, wakeAt);
    if (ready >= 0 || now >= deadline) break;
    waiter.Block(wakeAt);
  }
  for (WaitSource* source : sources) source->Detach(waiter);
  return ready;
}

}  // namespace platform::detail
