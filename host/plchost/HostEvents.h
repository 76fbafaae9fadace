#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "DataRecord.h"
#include "platform/Sync.h"

namespace plchost {

// What the channels and the plug-in's threads hand to the host thread.
struct THostEvent {
  enum class TKind { Opened, Received, Closed, OpenFailed, Record };

  TKind Kind = TKind::Received;
  int32_t Source = 0;          // the data source (client id) it concerns
  std::vector<uint8_t> Bytes;  // Received
  std::string Reason;          // Closed, OpenFailed
  uint32_t RetryMs = 0;        // OpenFailed
  host::TDataRecord Record;    // Record
  uint64_t AtMs = 0;           // Record: when it was delivered

  static THostEvent Opened(int32_t source);
  static THostEvent Received(int32_t source, std::vector<uint8_t> bytes);
  static THostEvent Closed(int32_t source, std::string reason);
  static THostEvent OpenFailed(int32_t source, std::string reason, uint32_t retryMs);
  static THostEvent Delivered(int32_t source, host::TDataRecord record, uint64_t atMs);
};

// A queue of host events that any thread fills and the host thread empties.
// Its handle is signalled while events wait, so that the host thread can wait
// for them together with its messages.
class THostEventQueue {
 public:
  THostEventQueue();
  ~THostEventQueue();
  THostEventQueue(const THostEventQueue&) = delete;
  THostEventQueue& operator=(const THostEventQueue&) = delete;

  void Push(THostEvent event);
  // Every waiting event, oldest first.
  std::deque<THostEvent> TakeAll();
  platform::Handle Handle() const { return FReady; }

 private:
  std::mutex FLock;
  std::deque<THostEvent> FEvents;
  platform::Handle FReady;
};

}  // namespace plchost
