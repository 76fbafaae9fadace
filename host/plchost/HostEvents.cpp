#include "HostEvents.h"

#include <stdexcept>
#include <utility>

namespace plchost {

namespace {

THostEvent Event(THostEvent::TKind kind, int32_t source) {
  THostEvent event;
  event.Kind = kind;
  event.Source = source;
  return event;
}

}  // namespace

THostEvent THostEvent::Opened(int32_t source) { return Event(TKind::Opened, source); }

THostEvent THostEvent::Received(int32_t source, std::vector<uint8_t> bytes) {
  THostEvent event = Event(TKind::Received, source);
  event.Bytes = std::move(bytes);
  return event;
}

THostEvent THostEvent::Closed(int32_t source, std::string reason) {
  THostEvent event = Event(TKind::Closed, source);
  event.Reason = std::move(reason);
  return event;
}

THostEvent THostEvent::OpenFailed(int32_t source, std::string reason, uint32_t retryMs) {
  THostEvent event = Event(TKind::OpenFailed, source);
  event.Reason = std::move(reason);
  event.RetryMs = retryMs;
  return event;
}

THostEvent THostEvent::Delivered(int32_t source, host::TDataRecord record, uint64_t atMs) {
  THostEvent event = Event(TKind::Record, source);
  event.Record = std::move(record);
  event.AtMs = atMs;
  return event;
}

THostEventQueue::THostEventQueue() : FReady(platform::CreateManualResetEvent(false)) {
  if (FReady == nullptr) throw std::runtime_error("the host's event cannot be made");
}

THostEventQueue::~THostEventQueue() { platform::CloseEvent(FReady); }

void THostEventQueue::Push(THostEvent event) {
  {
    std::lock_guard<std::mutex> guard(FLock);
    FEvents.push_back(std::move(event));
  }
  // Outside the lock, so the woken host thread does not at once block on it; at
  // worst it wakes once more to an empty queue.
  platform::SetEvent(FReady);
}

std::deque<THostEvent> THostEventQueue::TakeAll() {
  std::lock_guard<std::mutex> guard(FLock);
  platform::ResetEvent(FReady);
  return std::exchange(FEvents, {});
}

}  // namespace plchost
