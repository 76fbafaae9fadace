// Manual-reset events and waits on several of them.
#include <algorithm>
#include <cstdint>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>

#include "EventHandles.h"

namespace platform {
namespace detail {
namespace {

class HandleTable {
 public:
  Handle Add(std::shared_ptr<Event> event) {
    std::lock_guard<std::shared_mutex> lock(mutex_);
    // A handle is an opaque number, never dereferenced.
    const auto handle = reinterpret_cast<Handle>(++lastId_);  // NOLINT(performance-no-int-to-ptr)
    events_.emplace(handle, std::move(event));
    return handle;
  }

  std::shared_ptr<Event> Find(Handle handle) {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    const auto found = events_.find(handle);
    return found == events_.end() ? nullptr : found->second;
  }

  void Remove(Handle handle) {
    std::lock_guard<std::shared_mutex> lock(mutex_);
    events_.erase(handle);
  }

 private:
  // Shared by the lookups, which every wait and every SetEvent makes.
  std::shared_mutex mutex_;
  uintptr_t lastId_ = 0;
  std::unordered_map<Handle, std::shared_ptr<Event>> events_;
};

// Never destroyed: threads may still close their handles while the process exits.
HandleTable& Handles() {
  static auto* table = new HandleTable;
  return *table;
}

}  // namespace

bool ResolveHandles(const Handle* handles, int count, int minCount, int maxCount,
                    EventList& events) {
  if (count < minCount || count > maxCount || (count > 0 && handles == nullptr)) return false;
  if (std::find(handles, handles + count, nullptr) != handles + count) return false;
  for (int i = 0; i < count; ++i) {
    if (std::find(handles, handles + i, handles[i]) != handles + i) return false;
    std::shared_ptr<Event> event = Handles().Find(handles[i]);
    if (!event) return false;
    events.push_back(std::move(event));
  }
  return true;
}

int FirstSet(const EventList& events) {
  for (size_t i = 0; i < events.size(); ++i) {
    if (events[i]->IsSet()) return static_cast<int>(i);
  }
  return -1;
}

std::vector<WaitSource*> SourcesOf(const EventList& events) {
  std::vector<WaitSource*> sources;
  for (const auto& event : events) sources.push_back(event.get());
  return sources;
}

}  // namespace detail

Handle CreateManualResetEvent(bool initiallySet) {
  return detail::Handles().Add(std::make_shared<detail::Event>(initiallySet));
}

void SetEvent(Handle event) {
  if (auto found = detail::Handles().Find(event)) found->Set();
}

void ResetEvent(Handle event) {
  if (auto found = detail::Handles().Find(event)) found->Reset();
}

void CloseEvent(Handle event) { detail::Handles().Remove(event); }

int WaitForAny(const Handle* handles, int count, uint32_t timeoutMs) {
  detail::EventList events;
  if (!detail::ResolveHandles(handles, count, 1, 64, events)) return kWaitFailed;
  const int ready = detail::WaitUntil(detail::SourcesOf(events), detail::DeadlineAfter(timeoutMs),
                                      [&](auto, auto&) { return detail::FirstSet(events); });
  return ready >= 0 ? ready : kWaitTimeout;
}

}  // namespace platform
