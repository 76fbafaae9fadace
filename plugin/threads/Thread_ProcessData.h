#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/Sync.h"
#include "platform/Thread.h"
#include "threads/Thread_Common.h"
#include "threads/Thread_Queue.h"

// A worker thread that can be woken without work and asked to stop.
class TQueuedCommonThread : public platform::Thread {
 public:
  TQueuedCommonThread();
  ~TQueuedCommonThread() override;

  virtual void SetWakeEvent(bool value);
  // Sets or clears the stop request and wakes the worker; a thread that has not
  // run yet is started so that it can see the request.
  virtual void Stop(bool value);

  bool StopRequested() const { return stopRequested_.load(); }
  // Held by the worker for the whole of one handler call: whoever holds it
  // knows that no item is being handled meanwhile.
  platform::CriticalSection& ItemLock() { return itemLock_; }

 protected:
  platform::Handle WakeEvent() const { return wakeEvent_; }

 private:
  platform::Handle wakeEvent_;
  std::atomic<bool> stopRequested_{false};
  platform::CriticalSection itemLock_;
};

class TProcessDataThread;

// The item handler. It may set `item` to nil to keep the item (or because it is
// a marker value); otherwise the worker frees the item when the handler returns.
using TProcessDataEvent = std::function<void(TProcessDataThread& sender, TObject*& item)>;

// A worker that takes the items of its queue one at a time, in push order, and
// passes each to the handler. Exceptions of the handler are swallowed.
class TProcessDataThread : public TQueuedCommonThread {
 public:
  // Running (not suspended) threads are constructed one at a time and the
  // constructor returns once Execute has started.
  explicit TProcessDataThread(bool createSuspended);
  // Ends the worker first; items still queued are freed unhandled.
  ~TProcessDataThread() override;

  TThreadSafeQueue& WorkQueue() { return workQueue_; }
  // Safe while the worker runs (it waits until no item is being handled), but
  // not from inside the handler itself.
  void SetOnProcess(TProcessDataEvent handler);
  platform::Handle StartedEvent() const { return startedEvent_; }

 protected:
  void Execute() override;
  // Run on the worker once before the first wait and once after the loop.
  virtual void DoStart() {}
  virtual void DoStop() {}
  virtual void DoProcess(TObject*& item);
  // Stops the worker and waits until it has ended. A subclass that overrides a
  // hook calls it in its own destructor.
  void EndExecution();

 private:
  bool ShouldStop() const { return Terminated() || StopRequested(); }
  void DrainQueue();
  void HandleCurrentItem();
  void FreeCurrentItem();

  TThreadSafeQueue workQueue_;
  platform::Handle startedEvent_;
  TProcessDataEvent onProcess_;
  TObject* currentItem_ = nullptr;
};

// The owner's shutdown of its worker: asks it to stop, gives it 100 ms to end,
// then terminates it, waits for it and frees it. An item being handled is
// finished first; queued items are freed unhandled.
void StopAndFreeWorker(std::unique_ptr<TProcessDataThread>& worker);

// Dispatches the window messages pending for the calling thread, at most
// `maxCount` of them (0: no limit). A quit message stops it and is left pending.
void ProcessMessages(uint32_t maxCount);
