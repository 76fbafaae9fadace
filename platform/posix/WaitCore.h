#pragma once

// The blocking core of the stand-in: a thread that waits attaches a Waiter to
// every source it waits on (events, its message queue), so that a change wakes
// only the threads that wait on that source.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

namespace platform::detail {

using Clock = std::chrono::steady_clock;

// The time point at which a wait of timeoutMs ends (never for kInfinite).
Clock::time_point DeadlineAfter(uint32_t timeoutMs);

// What one wait blocks on: a futex word, or, for a wait that also watches a
// descriptor, poll() over that descriptor and the waiter's own eventfd. Waiters
// are never freed (a thread hands its own back to a pool when it ends), so a
// source may wake one after it has released its lock, when the wait may
// already be over: the waiter's next wait then wakes once for nothing and looks
// again.
class Waiter {
 public:
  // How MarkNotified found the waiter: awake, or asleep in one of the blocks.
  enum class Sleep { kAwake, kFutex, kPoll };

  // Drops a notification left over from an earlier wait.
  void Reset() { state_.store(kIdle); }
  Sleep MarkNotified();
  // Wakes the waiter from the block MarkNotified found it in; any thread.
  void Wake(Sleep how);
  // Returns once notified since the last Block, or at `until`.
  void Block(Clock::time_point until);
  // As Block, but also returns when `descriptor` is readable (then true), and
  // may return early for nothing.
  bool BlockOrReadable(Clock::time_point until, int descriptor);

 private:
  enum : uint32_t { kIdle, kNotified, kSleeping, kPolling };
  std::atomic<uint32_t> state_{kIdle};
  // The eventfd, made on the first BlockOrReadable; read by waking threads.
  std::atomic<int> wakeDescriptor_{-1};
};

// The calling thread's waiter for one wait. A wait inside a wait (a message
// that another thread sent, handled while waiting, that sends in turn) leases
// another, so that neither takes the other's notifications.
class WaiterLease {
 public:
  WaiterLease();
  ~WaiterLease();
  WaiterLease(const WaiterLease&) = delete;
  WaiterLease& operator=(const WaiterLease&) = delete;
  Waiter& operator*() const { return *waiter_; }

 private:
  Waiter* waiter_;
};

// The waiters a change to a source woke: marked under the source's lock, woken
// once the lock is released (this object ends after the lock guard declared
// after it), so that a woken thread does not at once block on that lock.
class PendingWakes {
 public:
  PendingWakes() = default;
  ~PendingWakes();
  PendingWakes(const PendingWakes&) = delete;
  PendingWakes& operator=(const PendingWakes&) = delete;
  void Add(Waiter& waiter, Waiter::Sleep how);

 private:
  static constexpr int kHeld = 8;  // more are woken at once
  struct Wake {
    Waiter* waiter;
    Waiter::Sleep how;
  };
  Wake wakes_[kHeld] = {};
  int count_ = 0;
};

// Something a Waiter can wait on. Subclasses guard their state with mutex_ and
// call WakeWaiters, with mutex_ held, whenever a waiter may have become ready.
class WaitSource {
 public:
  void Attach(Waiter& waiter);
  void Detach(Waiter& waiter);

 protected:
  void WakeWaiters(PendingWakes& wakes);
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
// timer. The waiter is attached to every source for the whole wait. With a
// descriptor (>= 0) the wait also wakes when it is readable, and calls
// onReadable before it polls again.
template <class Poll, class OnReadable>
int WaitUntilOrReadable(const std::vector<WaitSource*>& sources, Clock::time_point deadline,
                        int descriptor, OnReadable&& onReadable, Poll&& poll) {
  const WaiterLease waiter;
  for (WaitSource* source : sources) source->Attach(*waiter);
  int ready = -1;
  for (;;) {
    const Clock::time_point now = Clock::now();
    Clock::time_point wakeAt = deadline;
    ready = poll(now, wakeAt);
    if (ready >= 0 || now >= deadline) break;
    if (descriptor < 0) {
      (*waiter).Block(wakeAt);
    } else if ((*waiter).BlockOrReadable(wakeAt, descriptor)) {
      onReadable();
    }
  }
  for (WaitSource* source : sources) source->Detach(*waiter);
  return ready;
}

template <class Poll>
int WaitUntil(const std::vector<WaitSource*>& sources, Clock::time_point deadline, Poll&& poll) {
  return WaitUntilOrReadable(
      sources, deadline, -1, [] {}, std::forward<Poll>(poll));
}

}  // namespace platform::detail
