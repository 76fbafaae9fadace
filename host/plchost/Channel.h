#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Backoff.h"
#include "ChannelLink.h"

namespace plchost {

// What a channel reports, on its reader thread.
struct TChannelEvents {
  std::function<void()> Opened;
  std::function<void(std::vector<uint8_t> bytes)> Received;
  // An open connection ended.
  std::function<void(const std::string& reason)> Closed;
  // An attempt to open failed; the next one follows after `retryMs`.
  std::function<void(const std::string& reason, uint32_t retryMs)> OpenFailed;
};

// The host's channel to the PLC: a reader thread opens the link, hands on what
// arrives, and when the link fails or ends opens it again after a pause that
// grows with every failed attempt.
class TChannel {
 public:
  TChannel(TLinkOpener opener, TBackoff backoff, TChannelEvents events);
  // Stops the reader thread.
  ~TChannel();
  TChannel(const TChannel&) = delete;
  TChannel& operator=(const TChannel&) = delete;

  void Start();
  // Asks the reader thread to end, without waiting for it.
  void RequestStop();
  // Closes the link and ends the reader thread; no event follows.
  void Stop();

  // Closes the open link, if any, so that the reader opens a new one (after the
  // usual pause); any thread.
  void Reopen() { FReopen = true; }

  // Sends on the open link; any thread. 0 when sent, -1 when the channel is
  // not open or the send failed (the reader then reopens the link).
  int32_t Send(const uint8_t* data, size_t length);

 private:
  void Run();
  // Opens the link, or waits the pause after a failed attempt; false when stopping.
  bool Open();
  // Reads until the link ends or the channel stops.
  void Read(IChannelLink& link);
  void Drop(const std::string& reason);
  // Waits `ms` unless the channel is stopped meanwhile; false when stopping.
  bool Pause(uint32_t ms);

  TLinkOpener FOpener;
  TBackoff FBackoff;
  TChannelEvents FEvents;
  std::thread FThread;
  std::mutex FLock;  // guards FLink and FStopping for the condition
  std::condition_variable FWake;
  std::shared_ptr<IChannelLink> FLink;
  std::atomic<bool> FStopping{false};
  std::atomic<bool> FSendFailed{false};
  std::atomic<bool> FReopen{false};
};

}  // namespace plchost
