#include "WaitCore.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>

#include "platform/Sync.h"

namespace platform::detail {
namespace {

static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t) &&
                  std::atomic<uint32_t>::is_always_lock_free,
              "a futex word is a plain 32-bit integer");

// The futex call on an atomic word; `at` is an absolute CLOCK_MONOTONIC time
// (the steady clock's) for FUTEX_WAIT_BITSET.
void Futex(std::atomic<uint32_t>& word, int operation, uint32_t value, const timespec* at) {
  syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), operation, value, at, nullptr,
          FUTEX_BITSET_MATCH_ANY);
}

timespec ToTimespec(Clock::time_point at) {
  const auto sinceEpoch = at.time_since_epoch();
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch);
  timespec spec{};
  spec.tv_sec = static_cast<time_t>(seconds.count());
  spec.tv_nsec = static_cast<long>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(sinceEpoch - seconds).count());
  return spec;
}

// Waiters of ended threads, for threads yet to come; never destroyed.
class WaiterPool {
 public:
  Waiter* Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (free_.empty()) return new Waiter;
    Waiter* waiter = free_.back();
    free_.pop_back();
    return waiter;
  }

  void Give(Waiter* waiter) {
    std::lock_guard<std::mutex> lock(mutex_);
    free_.push_back(waiter);
  }

 private:
  std::mutex mutex_;
  std::vector<Waiter*> free_;
};

WaiterPool& Pool() {
  static auto* pool = new WaiterPool;
  return *pool;
}

// A thread's waiters, one per nesting depth of its waits.
struct ThreadWaiters {
  std::vector<Waiter*> held;
  size_t depth = 0;
  ~ThreadWaiters();
};

thread_local ThreadWaiters threadWaiters;
// Set once threadWaiters is gone: a wait during the rest of the thread's end
// leases from the pool directly.
thread_local bool threadWaitersGone = false;

ThreadWaiters::~ThreadWaiters() {
  for (Waiter* waiter : held) Pool().Give(waiter);
  threadWaitersGone = true;
}

}  // namespace

Clock::time_point DeadlineAfter(uint32_t timeoutMs) {
  if (timeoutMs == kInfinite) return Clock::time_point::max();
  return Clock::now() + std::chrono::milliseconds(timeoutMs);
}

void Waiter::Wake() { Futex(state_, FUTEX_WAKE_PRIVATE, 1, nullptr); }

void Waiter::Block(Clock::time_point until) {
  for (;;) {
    uint32_t idle = kIdle;
    if (!state_.compare_exchange_strong(idle, kSleeping)) break;  // notified meanwhile
    if (until == Clock::time_point::max()) {
      Futex(state_, FUTEX_WAIT_PRIVATE, kSleeping, nullptr);
    } else {
      const timespec at = ToTimespec(until);
      Futex(state_, FUTEX_WAIT_BITSET_PRIVATE, kSleeping, &at);
    }
    if (state_.exchange(kIdle) == kNotified || Clock::now() >= until) return;
  }
  state_.store(kIdle);
}

WaiterLease::WaiterLease() {
  if (threadWaitersGone) {
    waiter_ = Pool().Take();
  } else {
    ThreadWaiters& mine = threadWaiters;
    if (mine.depth == mine.held.size()) mine.held.push_back(Pool().Take());
    waiter_ = mine.held[mine.depth++];
  }
  waiter_->Reset();
}

WaiterLease::~WaiterLease() {
  if (threadWaitersGone) {
    Pool().Give(waiter_);
  } else {
    --threadWaiters.depth;
  }
}

PendingWakes::~PendingWakes() {
  for (int i = 0; i < count_; ++i) waiters_[i]->Wake();
}

void PendingWakes::Add(Waiter& waiter) {
  if (count_ < kHeld) {
    waiters_[count_++] = &waiter;
  } else {
    waiter.Wake();  // correct under the lock too, only slower for the woken
  }
}

void WaitSource::Attach(Waiter& waiter) {
  std::lock_guard<std::mutex> lock(mutex_);
  waiters_.push_back(&waiter);
}

void WaitSource::Detach(Waiter& waiter) {
  std::lock_guard<std::mutex> lock(mutex_);
  waiters_.erase(std::find(waiters_.begin(), waiters_.end(), &waiter));
}

void WaitSource::WakeWaiters(PendingWakes& wakes) {
  for (Waiter* waiter : waiters_) {
    if (waiter->MarkNotified()) wakes.Add(*waiter);
  }
}

void Event::Set() {
  PendingWakes wakes;
  std::lock_guard<std::mutex> lock(mutex_);
  set_ = true;
  WakeWaiters(wakes);
}

void Event::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  set_ = false;
}

bool Event::IsSet() {
  std::lock_guard<std::mutex> lock(mutex_);
  return set_;
}

}  // namespace platform::detail
