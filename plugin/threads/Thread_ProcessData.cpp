#include "threads/Thread_ProcessData.h"

#include "platform/Messages.h"
#include "platform/Ticks.h"

namespace {

constexpr uint32_t kShutdownPauseMs = 100;
constexpr uint32_t kMessagesPerYield = 10;

// Worker threads are constructed one at a time.
platform::CriticalSection& ConstructionLock() {
  static platform::CriticalSection lock;
  return lock;
}

// Waits at most `timeoutMs` for the thread to end.
void WaitForEnd(const platform::Thread& thread, uint32_t timeoutMs) {
  const platform::Handle handle = thread.GetHandle();
  platform::WaitForAny(&handle, 1, timeoutMs);
}

}  // namespace

// --- TQueuedCommonThread

TQueuedCommonThread::TQueuedCommonThread() : wakeEvent_(platform::CreateManualResetEvent(false)) {}

TQueuedCommonThread::~TQueuedCommonThread() { platform::CloseEvent(wakeEvent_); }

void TQueuedCommonThread::SetWakeEvent(bool value) {
  if (value) {
    platform::SetEvent(wakeEvent_);
  } else {
    platform::ResetEvent(wakeEvent_);
  }
}

void TQueuedCommonThread::Stop(bool value) {
  stopRequested_.store(value);
  SetWakeEvent(value);
  if (!Suspended()) {
    return;
  }
  try {
    SetWakeEvent(value);
    SetPriority(platform::ThreadPriority::Normal);
    if (Suspended()) {
      Resume();
    }
    platform::SleepMs(0);
  } catch (...) {
    // Starting the thread is a courtesy; the request itself is recorded.
  }
}

// --- TProcessDataThread

TProcessDataThread::TProcessDataThread(bool createSuspended)
    : startedEvent_(platform::CreateManualResetEvent(false)) {
  platform::CriticalSectionGuard guard(ConstructionLock());
  SetPriority(platform::ThreadPriority::Lower);
  if (!createSuspended) {
    Resume();
    platform::WaitForAny(&startedEvent_, 1, platform::kInfinite);
  }
}

TProcessDataThread::~TProcessDataThread() {
  EndExecution();
  platform::CloseEvent(startedEvent_);
}

void TProcessDataThread::EndExecution() {
  if (!Suspended()) {
    Stop(true);
    WaitFor();
  }
}

void TProcessDataThread::SetOnProcess(TProcessDataEvent handler) {
  platform::CriticalSectionGuard guard(ItemLock());
  onProcess_ = std::move(handler);
}

void TProcessDataThread::DoProcess(TObject*& item) { onProcess_(*this, item); }

void TProcessDataThread::Execute() {
  platform::SetEvent(startedEvent_);
  const platform::Handle handles[] = {GetHandle(), WakeEvent(), workQueue_.Signal()};
  constexpr int kQueueSignal = 2;
  try {
    DoStart();
    while (!ShouldStop()) {
      // The wake event and a failed wait only make the loop test its flags.
      if (platform::WaitForAny(handles, 3, platform::kInfinite) == kQueueSignal) {
        DrainQueue();
      }
    }
  } catch (...) {
    // An error outside the handler ends the loop; the stop hook still runs.
  }
  try {
    DoStop();
  } catch (...) {
    // Nothing is left to report to.
  }
  Terminate();
}

void TProcessDataThread::DrainQueue() {
  for (bool first = true; !ShouldStop(); first = false) {
    currentItem_ = workQueue_.Pop();
    if (currentItem_ == nullptr) {
      return;
    }
    // Between two items the worker yields once, so that producers on other
    // threads can run; after the last one its wait lets them run anyway.
    if (!first) {
      platform::SleepMs(0);
    }
    if (ShouldStop()) {
      FreeCurrentItem();
      return;
    }
    HandleCurrentItem();
  }
}

void TProcessDataThread::HandleCurrentItem() {
  {
    platform::CriticalSectionGuard guard(ItemLock());
    if (onProcess_) {
      try {
        DoProcess(currentItem_);
      } catch (...) {
        // The handler reports its own failures; the worker goes on.
      }
    }
  }
  FreeCurrentItem();
}

void TProcessDataThread::FreeCurrentItem() {
  FreeObject(currentItem_);
  currentItem_ = nullptr;
}

// --- Owner's helpers

void StopAndFreeWorker(std::unique_ptr<TProcessDataThread>& worker) {
  if (!worker) {
    return;
  }
  worker->Stop(true);
  WaitForEnd(*worker, kShutdownPauseMs);
  if (!worker->Terminated()) {
    if (worker->Suspended()) {
      worker->Resume();
    }
    worker->Terminate();
    WaitForEnd(*worker, kShutdownPauseMs);
    worker->WaitFor();
  }
  worker.reset();
}

void ProcessMessages(uint32_t maxCount) {
  uint32_t count = 0;
  platform::Message message{};
  while (platform::PeekMessageRemove(message)) {
    if (message.message == platform::kMsgQuit) {
      // Left for the thread's own message loop.
      platform::PostQuit(static_cast<int>(message.wParam));
      return;
    }
    if (message.window != 0) {
      try {
        platform::TranslateMessageFor(message);
        platform::DispatchMessageTo(message);
      } catch (...) {
        // A failing message handler must not break the caller's wait.
      }
    }
    if (++count % kMessagesPerYield == 0) {
      platform::SleepMs(0);
    }
    if (maxCount != 0 && count >= maxCount) {
      return;
    }
  }
}
