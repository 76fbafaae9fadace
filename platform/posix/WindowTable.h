#pragma once

// The process-wide table of message windows: each handle with its owner thread,
// procedure, context and the owner's queue. Handles are never reused.

#include <memory>
#include <optional>
#include <shared_mutex>
#include <unordered_map>
#include <vector>

#include "MessageQueue.h"

namespace platform::detail {

struct WindowEntry {
  WindowProc proc;
  void* context;
  uint32_t ownerThread;
  std::shared_ptr<MessageQueue> queue;

  // Runs the procedure. An exception must not cross the message system (on
  // Windows it would unwind through the system's frames), so it is dropped and
  // the message's result is 0, alike on both platforms.
  intptr_t Call(WindowHandle window, uint32_t message, uintptr_t wParam,
                intptr_t lParam) const noexcept {
    try {
      return proc(context, window, message, wParam, lParam);
    } catch (...) {
      return 0;
    }
  }
};

class WindowTable {
 public:
  WindowHandle Add(const WindowEntry& entry);
  std::optional<WindowEntry> Find(WindowHandle window);
  std::optional<WindowEntry> Remove(WindowHandle window);
  std::vector<WindowHandle> OwnedBy(uint32_t threadId);

 private:
  // Shared by the lookups, which every message and timer call makes.
  std::shared_mutex mutex_;
  WindowHandle lastHandle_ = 0;
  std::unordered_map<WindowHandle, WindowEntry> windows_;
};

// The one table of the process; never destroyed, as threads may end after main.
WindowTable& Windows();

}  // namespace platform::detail
