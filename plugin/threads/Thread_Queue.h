#pragma once

#include <cstdint>
#include <vector>

#include "platform/Sync.h"
#include "threads/Thread_Common.h"

// The storage of a TThreadSafeQueue: consumed slots at the front hold nil.
using TQueueList = std::vector<TObject*>;

// A first-in first-out queue of object references for one consumer. Items in
// the queue belong to it; Pop hands an item and its ownership to the caller.
// Signal is a manual-reset event that is set while items may be waiting.
class TThreadSafeQueue : public TObject {
 public:
  // Consumed slots tolerated at the front before they are removed in one move.
  static constexpr int32_t kCompactionThreshold = 16383;

  TThreadSafeQueue();
  ~TThreadSafeQueue() noexcept override;
  TThreadSafeQueue(const TThreadSafeQueue&) = delete;
  TThreadSafeQueue& operator=(const TThreadSafeQueue&) = delete;

  // Appends the item and sets the signal; a nil item is ignored.
  void Push(TObject* item);
  // Removes and returns the oldest item, or nil; clears the signal.
  TObject* Pop();
  // Frees every queued item, last first, and clears the signal.
  void Clear();

  // Enters the queue's (re-entrant) lock and returns its storage.
  TQueueList* Lock();
  void Unlock();

  platform::Handle Signal() const { return signal_; }

 private:
  void Compact();

  int32_t head_ = 0;  // index of the oldest live item
  TQueueList items_;
  platform::CriticalSection lock_;
  platform::Handle signal_;
};
