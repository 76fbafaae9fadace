#include "Channel.h"

#include <utility>

namespace plchost {

namespace {

constexpr size_t kReceiveBufferSize = 4096;
// How often a waiting read looks whether the channel stops or reopens: each look
// wakes the reader thread, for every data source of the host.
constexpr uint32_t kReadSliceMs = 500;

}  // namespace

TChannel::TChannel(TLinkOpener opener, TBackoff backoff, TChannelEvents events)
    : FOpener(std::move(opener)), FBackoff(backoff), FEvents(std::move(events)) {}

TChannel::~TChannel() { Stop(); }

void TChannel::Start() {
  if (!FThread.joinable()) FThread = std::thread(&TChannel::Run, this);
}

void TChannel::RequestStop() {
  {
    std::lock_guard<std::mutex> guard(FLock);
    FStopping = true;
  }
  FWake.notify_all();
}

void TChannel::Stop() {
  RequestStop();
  if (FThread.joinable()) FThread.join();
  std::lock_guard<std::mutex> guard(FLock);
  FLink.reset();
}

int32_t TChannel::Send(const uint8_t* data, size_t length) {
  std::lock_guard<std::mutex> guard(FLock);
  if (!FLink || FStopping) return -1;
  if (FLink->Send(data, length)) return 0;
  FSendFailed = true;
  return -1;
}

void TChannel::Run() {
  while (Open()) {
    std::shared_ptr<IChannelLink> link;
    {
      std::lock_guard<std::mutex> guard(FLock);
      link = FLink;
    }
    if (FEvents.Opened) FEvents.Opened();
    Read(*link);
  }
}

bool TChannel::Open() {
  while (!FStopping) {
    std::string error;
    std::unique_ptr<IChannelLink> link = FOpener(error);
    if (link) {
      FSendFailed = false;
      FReopen = false;
      std::lock_guard<std::mutex> guard(FLock);
      FLink = std::move(link);
      return !FStopping;
    }
    const uint32_t pause = FBackoff.Next();
    if (FEvents.OpenFailed) FEvents.OpenFailed(error, pause);
    if (!Pause(pause)) return false;
  }
  return false;
}

void TChannel::Read(IChannelLink& link) {
  std::vector<uint8_t> buffer(kReceiveBufferSize);
  while (!FStopping) {
    std::string error;
    const int received = link.Receive(buffer.data(), buffer.size(), kReadSliceMs, error);
    if (received < 0 || FSendFailed || FReopen) {
      Drop(received < 0 ? error : FSendFailed ? "sending failed" : "reopened");
      return;
    }
    if (received == 0) continue;
    // Only a link that carries bytes counts as working: a peer that accepts
    // and drops at once gets ever longer pauses.
    FBackoff.Reset();
    if (FEvents.Received) {
      FEvents.Received(std::vector<uint8_t>(buffer.begin(), buffer.begin() + received));
    }
  }
}

void TChannel::Drop(const std::string& reason) {
  {
    std::lock_guard<std::mutex> guard(FLock);
    FLink.reset();
  }
  if (!FStopping && FEvents.Closed) FEvents.Closed(reason);
  // A peer that accepts and drops at once must not be hammered.
  Pause(FBackoff.Next());
}

bool TChannel::Pause(uint32_t ms) {
  std::unique_lock<std::mutex> guard(FLock);
  return !FWake.wait_for(guard, std::chrono::milliseconds(ms), [this] { return FStopping.load(); });
}

}  // namespace plchost
