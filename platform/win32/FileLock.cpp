// A recursive lock shared across processes: an "optex". The owner's thread id,
// the recursion count, the number of threads that hold or want the lock and the
// spin count live in a named 16-byte shared block; threads that find the lock
// taken spin a while, then wait on a named auto-reset event that the last
// owner sets when it leaves while others wait.

#include "platform/FileLock.h"

#include <windows.h>

#include <stdexcept>

namespace platform {

namespace {

struct SharedState {
  volatile LONG spinCount;
  volatile LONG lockCount;  // owner's entries plus waiting threads
  volatile LONG threadId;   // the owner, 0 when none
  volatile LONG recurseCount;
};
static_assert(sizeof(SharedState) == 16, "the shared block is 16 bytes");

constexpr LONG kSpinCount = 4000;

}  // namespace

struct FileLock::Native {
  HANDLE event = nullptr;
  HANDLE mapping = nullptr;
  SharedState* state = nullptr;

  ~Native() {
    if (state != nullptr) UnmapViewOfFile(state);
    if (mapping != nullptr) CloseHandle(mapping);
    if (event != nullptr) CloseHandle(event);
  }

  bool TryEnter(LONG self) {
    LONG spins = state->spinCount;
    while (true) {
      if (InterlockedCompareExchange(&state->lockCount, 1, 0) == 0) {
        state->threadId = self;
        state->recurseCount = 1;
        return true;
      }
      if (state->threadId == self) {
        InterlockedIncrement(&state->lockCount);
        ++state->recurseCount;
        return true;
      }
      if (spins-- <= 0) return false;
      YieldProcessor();
    }
  }
};

FileLock::FileLock(const std::string& name) : native_(new Native) {
  native_->event = CreateEventA(nullptr, FALSE, FALSE, ("Optex_Event_" + name).c_str());
  native_->mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(SharedState), ("Optex_MMF_" + name).c_str());
  const bool created = native_->mapping != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
  if (native_->mapping != nullptr) {
    native_->state = static_cast<SharedState*>(
        MapViewOfFile(native_->mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SharedState)));
  }
  if (native_->event == nullptr || native_->state == nullptr) {
    delete native_;
    throw std::runtime_error("cannot create the lock " + name);
  }
  if (created) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    native_->state->spinCount = info.dwNumberOfProcessors > 1 ? kSpinCount : 0;
  }
}

FileLock::~FileLock() { delete native_; }

void FileLock::Enter() {
  const auto self = static_cast<LONG>(GetCurrentThreadId());
  if (native_->TryEnter(self)) return;
  SharedState* state = native_->state;
  if (InterlockedIncrement(&state->lockCount) == 1) {
    state->threadId = self;
    state->recurseCount = 1;
  } else if (state->threadId == self) {
    ++state->recurseCount;
  } else {
    WaitForSingleObject(native_->event, INFINITE);
    state->threadId = self;
    state->recurseCount = 1;
  }
}

void FileLock::Leave() {
  SharedState* state = native_->state;
  if (--state->recurseCount > 0) {
    InterlockedDecrement(&state->lockCount);
    return;
  }
  state->threadId = 0;
  if (InterlockedDecrement(&state->lockCount) > 0) SetEvent(native_->event);
}

}  // namespace platform
