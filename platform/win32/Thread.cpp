// The thread object on a system thread created suspended, so that its handle can
// be waited on from the start.
#include <windows.h>

#include <stdexcept>

#include "platform/Thread.h"

namespace platform {
namespace {

int SystemPriorityOf(ThreadPriority priority) {
  switch (priority) {
    case ThreadPriority::Idle:
      return THREAD_PRIORITY_IDLE;
    case ThreadPriority::Lowest:
      return THREAD_PRIORITY_LOWEST;
    case ThreadPriority::Lower:
      return THREAD_PRIORITY_BELOW_NORMAL;
    case ThreadPriority::Higher:
      return THREAD_PRIORITY_ABOVE_NORMAL;
    case ThreadPriority::Highest:
      return THREAD_PRIORITY_HIGHEST;
    case ThreadPriority::TimeCritical:
      return THREAD_PRIORITY_TIME_CRITICAL;
    default:
      return THREAD_PRIORITY_NORMAL;
  }
}

}  // namespace

uint32_t CurrentThreadId() { return GetCurrentThreadId(); }

struct Thread::Native {
  // Set when the object is destroyed before it ever ran: the system thread then
  // ends without calling Execute.
  std::atomic<bool> cancelled{false};

  static DWORD WINAPI Start(LPVOID self) {
    Run(static_cast<Thread*>(self));
    return 0;
  }
};

Thread::Thread() : native_(new Native), handle_(nullptr) {
  handle_ = CreateThread(nullptr, 0, &Native::Start, this, CREATE_SUSPENDED, nullptr);
  if (handle_ == nullptr) {
    delete native_;
    throw std::runtime_error("The system refused to create a thread");
  }
}

Thread::~Thread() {
  if (started_.exchange(true)) {
    Terminate();
  } else {
    native_->cancelled.store(true);
    ResumeThread(handle_);
  }
  WaitForSingleObject(handle_, INFINITE);
  CloseHandle(handle_);
  delete native_;
}

void Thread::Resume() {
  if (!started_.exchange(true)) ResumeThread(handle_);
}

bool Thread::Suspended() const { return !started_.load(); }

void Thread::WaitFor() {
  if (started_.load()) WaitForSingleObject(handle_, INFINITE);
}

void Thread::SetPriority(ThreadPriority priority) {
  priority_.store(priority);
  SetThreadPriority(handle_, SystemPriorityOf(priority));
}

void Thread::Run(Thread* self) {
  if (self->native_->cancelled.load()) return;
  self->threadId_.store(GetCurrentThreadId());
  try {
    self->Execute();
  } catch (...) {
    // A failing thread ends like any other; its owner sees the handle signalled.
  }
}

}  // namespace platform
