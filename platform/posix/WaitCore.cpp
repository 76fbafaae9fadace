#include "WaitCore.h"

#include <algorithm>

#include "platform/Sync.h"

namespace platform::detail {

Clock::time_point DeadlineAfter(uint32_t timeoutMs) {
  if (timeoutMs == kInfinite) return Clock::time_point::max();
  return Clock::now() + std::chrono::milliseconds(timeoutMs);
}

void Waiter::Notify() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    notified_ = true;
  }
  // Outside the lock, so the woken thread does not at once block on it. The
  // waiter outlives this call: it detaches only under its source's lock, which
  // the caller holds.
  wake_.notify_one();
}

void Waiter::Block(Clock::time_point until) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (until == Clock::time_point::max()) {
    wake_.wait(lock, [this] { return notified_; });
  } else {
    wake_.wait_until(lock, until, [this] { return notified_; });
  }
  notified_ = false;
}

void WaitSource::Attach(Waiter& waiter) {
  std::lock_guard<std::mutex> lock(mutex_);
  waiters_.push_back(&waiter);
}

void WaitSource::Detach(Waiter& waiter) {
  std::lock_guard<std::mutex> lock(mutex_);
  waiters_.erase(std::find(waiters_.begin(), waiters_.end(), &waiter));
}

void WaitSource::WakeWaiters() {
  for (Waiter* waiter : waiters_) waiter->Notify();
}

void Event::Set() {
  std::lock_guard<std::mutex> lock(mutex_);
  set_ = true;
  WakeWaiters();
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
