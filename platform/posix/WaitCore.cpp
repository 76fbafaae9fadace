#include "WaitCore.h"

#include <linux/futex.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
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
  timespec point{};
  point.tv_sec = static_cast<time_t>(seconds.count());
  point.tv_nsec = static_cast<long>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(sinceEpoch - seconds).count());
  return point;
}

// poll()'s time-out for a wait until `at`: whole milliseconds, rounded up.
int PollTimeoutMs(Clock::time_point at) {
  if (at == Clock::time_point::max()) return -1;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(at - Clock::now()).count();
  return static_cast<int>(std::clamp<decltype(left)>(left, 0, INT_MAX));
}

// Without an eventfd for its wake-ups a polling waiter looks this often.
constexpr int kPollWithoutWakeMs = 10;

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

Waiter::Sleep Waiter::MarkNotified() {
  switch (state_.exchange(kNotified)) {
    case kSleeping:
      return Sleep::kFutex;
    case kPolling:
      return Sleep::kPoll;
    default:
      return Sleep::kAwake;
  }
}

void Waiter::Wake(Sleep how) {
  if (how == Sleep::kFutex) {
    Futex(state_, FUTEX_WAKE_PRIVATE, 1, nullptr);
  } else if (how == Sleep::kPoll) {
    const uint64_t one = 1;
    while (write(wakeDescriptor_.load(), &one, sizeof one) < 0 && errno == EINTR) {
    }
  }
}

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

bool Waiter::BlockOrReadable(Clock::time_point until, int descriptor) {
  if (wakeDescriptor_.load() < 0) wakeDescriptor_.store(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
  const int wakeDescriptor = wakeDescriptor_.load();
  uint32_t idle = kIdle;
  if (!state_.compare_exchange_strong(idle, kPolling)) {  // notified meanwhile
    state_.store(kIdle);
    return false;
  }
  pollfd watched[2] = {{descriptor, POLLIN, 0}, {wakeDescriptor, POLLIN, 0}};
  const bool canWake = wakeDescriptor >= 0;
  int timeout = PollTimeoutMs(until);
  if (!canWake && (timeout < 0 || timeout > kPollWithoutWakeMs)) timeout = kPollWithoutWakeMs;
  const int ready = poll(watched, canWake ? 2 : 1, timeout);
  if (ready > 0 && canWake && (watched[1].revents & POLLIN) != 0) {
    uint64_t count = 0;
    while (read(wakeDescriptor, &count, sizeof count) < 0 && errno == EINTR) {
    }
  }
  state_.store(kIdle);
  return ready > 0 && watched[0].revents != 0;
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
  for (int i = 0; i < count_; ++i) wakes_[i].waiter->Wake(wakes_[i].how);
}

void PendingWakes::Add(Waiter& waiter, Waiter::Sleep how) {
  if (count_ < kHeld) {
    wakes_[count_++] = {&waiter, how};
  } else {
    waiter.Wake(how);  // correct under the lock too, only slower for the woken
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
    const Waiter::Sleep how = waiter->MarkNotified();
    if (how != Waiter::Sleep::kAwake) wakes.Add(*waiter, how);
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
