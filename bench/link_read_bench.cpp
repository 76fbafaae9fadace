// A 200-byte data block read through the plug-in's PLC link, its transport
// bridge and our libnodave, and the same read by Snap7's own client, both from
// Snap7's server on loopback. The bridge adds two loopback hops to every read,
// so about 3 times Snap7's time is the floor; the target is at most 3.5.

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Backoff.h"
#include "Channel.h"
#include "HostEvents.h"
#include "Snap7Bench.h"
#include "TcpLink.h"
#include "nodave/NoDaveDyn.h"
#include "platform/Library.h"
#include "platform/Messages.h"
#include "platform/Sync.h"
#include "platform/Ticks.h"
#include "plc/PluginDM_Link.h"
#include "threads/Thread_ProcessData.h"

namespace {

using namespace snap7_bench;

constexpr int32_t kIsoOverTcpIndex = 5;
constexpr uint32_t kBoundMs = 10000;
constexpr uint32_t kSliceMs = 50;
constexpr int32_t kReadTimeoutUs = 3000000;

// One request engine's read path without its schedule: the engine's worker
// thread runs the link, and this thread is the host thread, where the bridge's
// listener events run and where the host hands the channel's bytes on.
class TLinkRig {
 public:
  // The link loads our protocol library as it is made: the folder is set before.
  explicit TLinkRig(uint16_t port) : done_(platform::CreateManualResetEvent(false)) {
    plchost::TChannelEvents events;
    events.Opened = [this] { queue_.Push(plchost::THostEvent::Opened(0)); };
    events.Received = [this](std::vector<uint8_t> bytes) {
      queue_.Push(plchost::THostEvent::Received(0, std::move(bytes)));
    };
    channel_ = std::make_unique<plchost::TChannel>(
        [port](std::string& error) { return plchost::OpenTcpLink("127.0.0.1", port, 5000, error); },
        plchost::TBackoff(), std::move(events));
    TBridgeHooks hooks;
    hooks.SendToPort = [this](const uint8_t* data, int32_t length) {
      return channel_->Send(data, static_cast<size_t>(length));
    };
    hooks.Log = [this](TLogLevel, const std::string& text) { lastLog_ = text; };
    hooks.LinkSocket = [this] { return link_.OpenedPortHandle(); };
    const TProtocolEntry& protocol = ProtocolEntry(kIsoOverTcpIndex);
    bridge_ = std::make_unique<TTransportBridge>(protocol.Transport, std::move(hooks));
    TLinkSettings settings;
    settings.Protocol = protocol.Protocol;
    settings.Transport = protocol.Transport;
    settings.CPUSlot = 2;
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
  bool Read(std::vector<uint8_t>& buffer) {
    return OnWorker([&] {
             link_.SetIntfTimeout(kReadTimeoutUs);
             link_.ReadBytes(daveDB, kDataBlock, 0, kReadSize, buffer.data());
           }) &&
           link_.LastError() == 0;
  }
  const std::string& LastLog() const { return lastLog_; }

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
        if (event.Kind == plchost::THostEvent::TKind::Received) {
          bridge_->FromHost(event.Bytes.data(), static_cast<int32_t>(event.Bytes.size()));
        }
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
};

void BM_PluginLink(benchmark::State& state) {
  TSnap7Server server;
  // Our protocol library lies beside the program, as beside the plug-in when shipped.
  SetNoDaveLibraryFolder(platform::ProgramFolder());
  TLinkRig rig(server.Port());
  if (server.Port() == 0 || !rig.Connect()) {
    state.SkipWithError(("the link cannot connect: " + rig.LastLog()).c_str());
    return;
  }
  std::vector<uint8_t> buffer(kReadSize);
  for (auto _ : state) {
    if (!rig.Read(buffer)) {
      state.SkipWithError(("read failed: " + rig.LastLog()).c_str());
      return;
    }
  }
  if (!ReadTheBlock(buffer)) state.SkipWithError("read the wrong bytes");
  state.SetBytesProcessed(state.iterations() * kReadSize);
}
BENCHMARK(BM_PluginLink)->UseRealTime();

void BM_Snap7Client(benchmark::State& state) {
  TSnap7Server server;
  Snap7ClientReads(state, server.Port());
}
BENCHMARK(BM_Snap7Client)->UseRealTime();

}  // namespace
