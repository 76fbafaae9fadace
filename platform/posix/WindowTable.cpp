#include "WindowTable.h"

namespace platform::detail {

WindowHandle WindowTable::Add(const WindowEntry& entry) {
  std::lock_guard<std::shared_mutex> lock(mutex_);
  const WindowHandle window = ++lastHandle_;
  windows_.emplace(window, entry);
  return window;
}

std::optional<WindowEntry> WindowTable::Find(WindowHandle window) {
  std::shared_lock<std::shared_mutex> lock(mutex_);
  const auto found = windows_.find(window);
  if (found == windows_.end()) return std::nullopt;
  return found->second;
}

std::optional<WindowEntry> WindowTable::Remove(WindowHandle window) {
  std::lock_guard<std::shared_mutex> lock(mutex_);
  const auto found = windows_.find(window);
  if (found == windows_.end()) return std::nullopt;
  WindowEntry entry = std::move(found->second);
  windows_.erase(found);
  return entry;
}

std::vector<WindowHandle> WindowTable::OwnedBy(uint32_t threadId) {
  std::shared_lock<std::shared_mutex> lock(mutex_);
  std::vector<WindowHandle> owned;
  for (const auto& [window, entry] : windows_) {
    if (entry.ownerThread == threadId) owned.push_back(window);
  }
  return owned;
}

WindowTable& Windows() {
  static auto* table = new WindowTable;
  return *table;
}

}  // namespace platform::detail
