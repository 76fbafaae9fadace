// Manual-reset events and waits on several handles, with or without messages.
#include <windows.h>

#include <algorithm>

#include "platform/Sync.h"

namespace platform {
namespace {

// Null or repeated handles and counts out of range fail before the system sees them.
bool ValidHandles(const Handle* handles, int count, int minCount, int maxCount) {
  if (count < minCount || count > maxCount || (count > 0 && handles == nullptr)) return false;
  for (int i = 0; i < count; ++i) {
    if (handles[i] == nullptr || std::find(handles, handles + i, handles[i]) != handles + i) {
      return false;
    }
  }
  return true;
}

int WaitResult(DWORD result, int count) {
  if (result < WAIT_OBJECT_0 + static_cast<DWORD>(count)) return static_cast<int>(result);
  return result == WAIT_TIMEOUT ? kWaitTimeout : kWaitFailed;
}

// True when a posted message or a due timer is waiting; peeking also handles the
// messages that other threads are sending to this one.
bool InputWaiting() {
  MSG message;
  return PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) != FALSE;
}

}  // namespace

Handle CreateManualResetEvent(bool initiallySet) {
  return CreateEventW(nullptr, TRUE, initiallySet ? TRUE : FALSE, nullptr);
}

void SetEvent(Handle event) { ::SetEvent(event); }

void ResetEvent(Handle event) { ::ResetEvent(event); }

void CloseEvent(Handle event) { CloseHandle(event); }

int WaitForAny(const Handle* handles, int count, uint32_t timeoutMs) {
  if (!ValidHandles(handles, count, 1, MAXIMUM_WAIT_OBJECTS)) return kWaitFailed;
  return WaitResult(WaitForMultipleObjects(count, handles, FALSE, timeoutMs), count);
}

int MsgWaitForAny(const Handle* handles, int count, uint32_t timeoutMs) {
  if (!ValidHandles(handles, count, 0, MAXIMUM_WAIT_OBJECTS - 1)) return kWaitFailed;
  const DWORD start = GetTickCount();
  for (;;) {
    DWORD remaining = INFINITE;
    if (timeoutMs != kInfinite) {
      const DWORD elapsed = GetTickCount() - start;
      remaining = elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
    }
    const DWORD result =
        MsgWaitForMultipleObjectsEx(count, handles, remaining, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (result != WAIT_OBJECT_0 + static_cast<DWORD>(count)) return WaitResult(result, count);
    if (InputWaiting()) return count;
  }
}

}  // namespace platform
