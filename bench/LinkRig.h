#pragma once

// One request engine's read path without its schedule, for the read benchmarks: the
// plug-in's PLC link on its own worker thread, the transport bridge (the loopback
// listener or the byte FIFO, by protocol), and plchost's channel relaying the bytes
// to the PLC as the host does. The link loads our protocol library from the folder
// set with SetNoDaveLibraryFolder before the rig is made.

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Backoff.h"
#include "Channel.h"
#include "HostEvents.h"
#include "TcpLink.h"
#include "nodave/NoDaveDyn.h"
#include "platform/Messages.h"
#include "platform/Sync.h"
#include "platform/Ticks.h"
#include "plc/PluginDM_Link.h"
#include "threads/Thread_ProcessData.h"

namespace link_rig {

constexpr uint32_t kBoundMs = 10000;
constexpr uint32_t kSliceMs = 50;
constexpr int32_t kReadTimeoutUs = 3000000;
constexpr int32_t kPlcAddress = 2;  // the PLC's bus address behind a line or gateway

// One request engine's read path without its schedule: the engine's worker
// thread runs the link, and this thread is the host thread, where the bridge's
// listener events run and where the host hands the channel's bytes on.
class TLinkRig {
 public:
  // The link loads our protocol library as it is made: the folder is set before.
  // `protocolIndex` is the options dialog's protocol; `port` the PLC's (or its line's)
  // TCP port on loopback.
  TLinkRig(uint16_t port, int32_t protocolIndex) : done_(platform::CreateManualResetEvent(false)) {
    plchost::TChannelEvents events;
    events.Opened = [this] { queue_.Push(plchost::THostEvent::Opened(0)); };
    // As in plchost, the channel's reader hands the bytes to the bridge itself.
    events.Received = [this](std::vector<uint8_t> bytes) {
      received_ += bytes.size();
      bridge_->FromHost(bytes.data(), static_cast<int32_t>(bytes.size()));
    };
    channel_ = std::make_unique<plchost::TChannel>(
        [port](std::string& error) { return plchost::OpenTcpLink("127.0.0.1", port, 5000, error); },
        plchost::TBackoff(), std::move(events));
    TBridgeHooks hooks;
    hooks.SendToPort = [this](const uint8_t* data, int32_t length) {
      sent_ += static_cast<size_t>(length);
      return channel_->Send(data, static_cast<size_t>(length));
    };
    hooks.Log = [this](TLogLevel, const std::string& text) { lastLog_ = text; };
    hooks.LinkSocket = [this] { return link_.OpenedPortHandle(); };
    const TProtocolEntry& protocol = ProtocolEntry(protocolIndex);
    bridge_ = std::make_unique<TTransportBridge>(protocol.Transport, std::move(hooks));
    TLinkSettings settings;
    settings.Protocol = protocol.Protocol;
    settings.Transport = protocol.Transport;
    settings.CPUSlot = 2;
    settings.MPIRemote = kPlcAddress;
    SetUpLink(link_, *bridge_, settings, "bench");
    link_.OnError = [this](TNoDave&, const std::string& message) { lastLog_ = message; };
    worker_->SetOnProcess([this](TProcessDataThread&, TObject*& item) {
      item = nullptr;  // the job marker, not an object
      job_();
      platform::SetEvent(done_);
    });
    channel_->Start();
  }
  ~TLinkRig() {
    bridge_->Invalidate();
    bridge_->Close();
    if (link_.Active()) OnWorker([this] { link_.Disconnect(); });
    StopAndFreeWorker(worker_);
    channel_->Stop();
    platform::CloseEvent(done_);
  }
  TLinkRig(const TLinkRig&) = delete;
  TLinkRig& operator=(const TLinkRig&) = delete;

  // The host's channel opened, then the link connected as the engine connects it.
  bool Connect() {
    if (!Serve([this] { return opened_; })) return false;
    bridge_->SetLinkClosed(false);
    link_.SetIntfTimeout(kConnectTimeoutUs);
    return OnWorker([this] { link_.Connect(); }) && link_.Active();
  }
  // Reads buffer.size() bytes of the data block from its start.
  bool Read(int32_t dataBlock, std::vector<uint8_t>& buffer) {
    return OnWorker([&] {
             link_.SetIntfTimeout(kReadTimeoutUs);
             link_.ReadBytes(daveDB, dataBlock, 0, static_cast<int32_t>(buffer.size()),
                             buffer.data());
           }) &&
           link_.LastError() == 0;
  }
  const std::string& LastLog() const { return lastLog_; }
  // Bytes that crossed the host's channel so far, to the PLC and from it (received
  // counts on the channel's own thread, but is read only after the read it belongs
  // to ended).
  size_t BytesSent() const { return sent_; }
  size_t BytesReceived() const { return received_; }

 private:
  // Runs the job on the worker while this thread serves the host's side.
  bool OnWorker(std::function<void()> job) {
    job_ = std::move(job);
    platform::ResetEvent(done_);
    worker_->WorkQueue().Push(MarkerItem(1));
    return Serve([this] { return platform::WaitForAny(&done_, 1, 0) == 0; });
  }
  // The host loop until done() or the bound.
  bool Serve(const std::function<bool()>& done) {
    const platform::Handle handles[] = {queue_.Handle(), done_};
    const uint32_t start = platform::TickCount32();
    while (!done()) {
      if (platform::TickCount32() - start > kBoundMs) return false;
      platform::MsgWaitForAny(handles, 2, kSliceMs);
      platform::Message message;
      while (platform::PeekMessageRemove(message)) platform::DispatchMessageTo(message);
      for (plchost::THostEvent& event : queue_.TakeAll()) {
        if (event.Kind == plchost::THostEvent::TKind::Opened) opened_ = true;
      }
    }
    return true;
  }

  plchost::THostEventQueue queue_;
  std::unique_ptr<plchost::TChannel> channel_;
  TNoDaveEx link_;
  std::unique_ptr<TTransportBridge> bridge_;
  std::unique_ptr<TProcessDataThread> worker_ = std::make_unique<TProcessDataThread>(false);
  platform::Handle done_;
  std::function<void()> job_;
  std::string lastLog_;
  bool opened_ = false;
  size_t sent_ = 0;
  std::atomic<size_t> received_{0};
};

// What the timed reads of a benchmark cost, each.
struct TReadCost {
  double Seconds = 0;
  double BytesSent = 0;      // to the PLC
  double BytesReceived = 0;  // from it
};

// Times one read of buffer.size() bytes per iteration; false (the benchmark
// skipped with the link's error) when a read fails.
inline bool TimedReads(benchmark::State& state, TLinkRig& rig, int32_t dataBlock,
                       std::vector<uint8_t>& buffer, TReadCost& cost) {
  const size_t sentBefore = rig.BytesSent();
  const size_t receivedBefore = rig.BytesReceived();
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    if (!rig.Read(dataBlock, buffer)) {
      state.SkipWithError(("read failed: " + rig.LastLog()).c_str());
      return false;
    }
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  const auto reads = static_cast<double>(state.iterations());
  cost.Seconds = elapsed.count() / reads;
  cost.BytesSent = static_cast<double>(rig.BytesSent() - sentBefore) / reads;
  cost.BytesReceived = static_cast<double>(rig.BytesReceived() - receivedBefore) / reads;
  return true;
}

}  // namespace link_rig
