#include "threads/Thread_Queue.h"

TThreadSafeQueue::TThreadSafeQueue() : signal_(platform::CreateManualResetEvent(false)) {}

TThreadSafeQueue::~TThreadSafeQueue() noexcept {
  Clear();  // shields every free, so the teardown always reaches the end
  platform::CloseEvent(signal_);
}

void TThreadSafeQueue::Push(TObject* item) {
  if (item == nullptr) {
    return;
  }
  {
    platform::CriticalSectionGuard guard(lock_);
    items_.push_back(item);
  }
  platform::SetEvent(signal_);
}

TObject* TThreadSafeQueue::Pop() {
  platform::CriticalSectionGuard guard(lock_);
  TObject* item = nullptr;
  if (head_ < static_cast<int32_t>(items_.size())) {
    item = items_[head_];
    items_[head_] = nullptr;
    if (++head_ > kCompactionThreshold) {
      Compact();
    }
  }
  // Cleared under the lock: a Push that finishes after this leaves it set.
  platform::ResetEvent(signal_);
  return item;
}

void TThreadSafeQueue::Compact() {
  items_.erase(items_.begin(), items_.begin() + head_);
  head_ = 0;
}

void TThreadSafeQueue::Clear() {
  platform::CriticalSectionGuard guard(lock_);
  for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
    FreeObject(*it);
  }
  items_.clear();
  head_ = 0;
  platform::ResetEvent(signal_);
}

TQueueList* TThreadSafeQueue::Lock() {
  lock_.Enter();
  return &items_;
}

void TThreadSafeQueue::Unlock() { lock_.Leave(); }
