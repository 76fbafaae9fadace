#include "platform/DebugOutput.h"

#include <windows.h>

namespace platform {
namespace {

// A debug-output monitor announces itself with this event; the system hands
// debug output to it through a shared buffer.
bool MonitorListens() {
  for (const char* name : {"DBWIN_BUFFER_READY", "Global\\DBWIN_BUFFER_READY"}) {
    HANDLE ready = OpenEventA(SYNCHRONIZE, FALSE, name);
    if (ready != nullptr) {
      CloseHandle(ready);
      return true;
    }
  }
  return false;
}

}  // namespace

// The system delivers a line by raising an exception in the caller, for a
// debugger to catch or, failing that, for a monitor; with neither listening
// the line goes nowhere, so the exception is not raised at all.
void OutputDebugLine(const std::string& line) {
  if (IsDebuggerPresent() || MonitorListens()) OutputDebugStringA((line + "\n").c_str());
}

}  // namespace platform
