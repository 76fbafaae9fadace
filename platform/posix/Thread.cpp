// The thread object on std::thread. Priorities are stored; lowering them is
// applied to the system thread as far as an unprivileged process may.
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "ThreadMessages.h"
#include "platform/Thread.h"

namespace platform {
namespace {

// Thread ids are small numbers handed out on first use, as stable as Windows ids.
std::atomic<uint32_t> lastThreadId{0};

// The nice value for a priority: only ever lower than normal.
int NiceValueOf(ThreadPriority priority) {
  switch (priority) {
    case ThreadPriority::Idle:
      return 19;
    case ThreadPriority::Lowest:
      return 2;
    case ThreadPriority::Lower:
      return 1;
    default:
      return 0;
  }
}

}  // namespace

uint32_t CurrentThreadId() {
  thread_local const uint32_t id = ++lastThreadId;
  return id;
}

struct Thread::Native {
  std::mutex mutex;
  std::thread thread;
  pid_t systemId = 0;  // 0 while the system thread does not run

  void ApplyPriority(ThreadPriority priority) {
    std::lock_guard<std::mutex> lock(mutex);
    if (systemId != 0)
      setpriority(PRIO_PROCESS, static_cast<id_t>(systemId), NiceValueOf(priority));
  }
};

Thread::Thread() : native_(new Native), handle_(CreateManualResetEvent(false)) {}

Thread::~Thread() {
  Terminate();
  WaitFor();
  if (native_->thread.joinable()) native_->thread.join();
  CloseEvent(handle_);
  delete native_;
}

void Thread::Resume() {
  std::lock_guard<std::mutex> lock(native_->mutex);
  if (started_.load()) return;
  native_->thread = std::thread(&Thread::Run, this);
  started_.store(true);
}

bool Thread::Suspended() const { return !started_.load(); }

void Thread::WaitFor() {
  if (started_.load()) WaitForAny(&handle_, 1, kInfinite);
}

void Thread::SetPriority(ThreadPriority priority) {
  priority_.store(priority);
  native_->ApplyPriority(priority);
}

void Thread::Run(Thread* self) {
  self->threadId_.store(CurrentThreadId());
  {
    std::lock_guard<std::mutex> lock(self->native_->mutex);
    self->native_->systemId = static_cast<pid_t>(syscall(SYS_gettid));
  }
  self->native_->ApplyPriority(self->priority_.load());
  try {
    self->Execute();
  } catch (...) {
    // A failing thread ends like any other; its owner sees the handle signalled.
  }
  // As on Windows, a thread's windows are gone once its handle is signalled.
  detail::EndThreadMessages();
  {
    std::lock_guard<std::mutex> lock(self->native_->mutex);
    self->native_->systemId = 0;
  }
  SetEvent(self->handle_);
}

}  // namespace platform
