#include "E2eHost.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "Backoff.h"
#include "SettingsWriter.h"
#include "TcpLink.h"
#include "platform/Messages.h"
#include "platform/Sync.h"

namespace e2e {

namespace {

constexpr int32_t kHostContext = 7;
constexpr uint8_t kStates = 0x03;
constexpr int32_t kIsoOverTcp = 5;
constexpr uint32_t kLoopSliceMs = 50;
constexpr uint32_t kConnectMs = 5000;

// The pieces of an ISO-on-TCP frame that tell what it carries.
constexpr uint8_t kTpktVersion = 0x03;
constexpr uint8_t kCotpConnectRequest = 0xE0;
constexpr uint8_t kCotpData = 0xF0;
constexpr uint8_t kS7Protocol = 0x32;
constexpr uint8_t kS7Job = 0x01;

std::string SourceLine(int32_t source) {
  return std::to_string(source) + ";PLC" + std::to_string(source) + ";Peer PLC " +
         std::to_string(source);
}

// What a frame the plug-in sends is: a connection request, an S7 job, or other.
enum class TFrame { Connect, Job, Other };

TFrame FrameOf(const uint8_t* data, size_t length) {
  if (length < 7 || data[0] != kTpktVersion) return TFrame::Other;
  if (data[5] == kCotpConnectRequest) return TFrame::Connect;
  if (data[5] == kCotpData && length > 8 && data[7] == kS7Protocol && data[8] == kS7Job) {
    return TFrame::Job;
  }
  return TFrame::Other;
}

}  // namespace

bool PeerAddress(std::string& host, int& port) {
  const char* address = std::getenv("MOX_SNAP7_ADDR");
  if (address == nullptr) return false;
  const std::string text = address;
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  host = text.substr(0, colon);
  port = std::atoi(text.c_str() + colon + 1);
  return port > 0;
}

TE2eHost::TE2eHost(const std::string& requestTree, const std::vector<int32_t>& sources)
    : FSources(sources) {
  if (!PeerAddress(FPeerHost, FPeerPort)) throw std::runtime_error("MOX_SNAP7_ADDR is not set");
  plchost::TTemporaryFile tree(".xml");
  std::ofstream(tree.Path(), std::ios::binary) << requestTree;
  TSettingsLocation location;
  location.IniFile = FIni.Path();
  plchost::TSettingsValues values;
  values.Protocol = kIsoOverTcp;
  values.CPURack = 0;
  values.CPUSlot = 2;
  values.RequestTreeFile = tree.Path();
  TDataSourceCfg settings(nullptr);
  plchost::WriteSettings(location, values, settings);

  FLibrary = std::make_unique<host::TPluginLibrary>(MOX_PLUGIN_PATH);
  FWindow = std::make_unique<host::THostWindow>();
  host::THostLinks links;
  links.Sink = this;
  links.Window = FWindow.get();
  links.OnLog = [this](const std::vector<host::TLogLine>& lines) {
    for (const host::TLogLine& line : lines) FLog.push_back(line.Text);
  };
  FSession = std::make_unique<host::THostSession>(*FLibrary, kHostContext, links);
  FSession->Create();
  host::TLoadOptions load;
  load.IniFile = location.IniFile;
  if (FSession->Load(load) != 0) throw std::runtime_error("the plug-in refused LOAD");
  for (int32_t source : FSources) OpenChannel(source);
  if (!RunUntil([this] {
        for (int32_t source : FSources) {
          if (!FOpen[source]) return false;
        }
        return true;
      })) {
    throw std::runtime_error("the peer at " + FPeerHost + " does not accept connections");
  }
}

TE2eHost::~TE2eHost() {
  {
    std::lock_guard<std::mutex> guard(FWireLock);
    for (auto& channel : FChannels) channel.second->Stop();
  }
  FSession->Unload();
  Pump();
  FSession->Free();
  FSession.reset();
  FWindow.reset();
  FLibrary.reset();
}

int32_t TE2eHost::Start() {
  std::string lines;
  for (int32_t source : FSources) lines += (lines.empty() ? "" : "\r\n") + SourceLine(source);
  return FSession->SetState(lines, kStates, true);
}

int32_t TE2eHost::Event(const std::string& eventType) { return FSession->Event(eventType); }

bool TE2eHost::RunUntil(const std::function<bool()>& done, uint32_t boundMs) {
  const uint64_t end = NowMs() + boundMs;
  const platform::Handle ready = FQueue.Handle();
  while (!done()) {
    const uint64_t now = NowMs();
    if (now >= end) return false;
    platform::MsgWaitForAny(&ready, 1,
                            static_cast<uint32_t>(std::min<uint64_t>(end - now, kLoopSliceMs)));
    Pump();
    for (plchost::THostEvent& event : FQueue.TakeAll()) Handle(event);
  }
  return true;
}

void TE2eHost::RunFor(uint32_t ms) {
  RunUntil([] { return false; }, ms);
}

void TE2eHost::Close(int32_t source) {
  std::lock_guard<std::mutex> guard(FWireLock);
  FChannels.at(source)->Stop();
  FOpen[source] = false;
}

bool TE2eHost::Reopen(int32_t source) {
  OpenChannel(source);
  return RunUntil([this, source] { return FOpen[source]; });
}

std::vector<const TDelivered*> TE2eHost::RecordsWith(int32_t source,
                                                     const std::string& name) const {
  std::vector<const TDelivered*> found;
  for (const TDelivered& delivered : FRecords) {
    if (delivered.Source == source && delivered.Record.Find(name) != nullptr) {
      found.push_back(&delivered);
    }
  }
  return found;
}

bool TE2eHost::LogHas(const std::string& text) const {
  for (const std::string& line : FLog) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

TWireStats TE2eHost::Wire(int32_t source) const {
  std::lock_guard<std::mutex> guard(FWireLock);
  const auto found = FWire.find(source);
  return found == FWire.end() ? TWireStats() : found->second;
}

uint64_t TE2eHost::NowMs() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

int32_t TE2eHost::SendBytes(int32_t clientId, const uint8_t* data, size_t length) {
  std::lock_guard<std::mutex> guard(FWireLock);
  const auto channel = FChannels.find(clientId);
  if (channel == FChannels.end()) return -1;
  TWireStats& wire = FWire[clientId];
  switch (FrameOf(data, length)) {
    case TFrame::Connect:
      ++wire.Connects;
      wire.Outstanding = 0;
      break;
    case TFrame::Job:
      ++wire.Jobs;
      wire.MostOutstanding = std::max(wire.MostOutstanding, ++wire.Outstanding);
      break;
    case TFrame::Other:
      break;
  }
  return channel->second->Send(data, length);
}

void TE2eHost::DeliverRecord(int32_t clientId, const host::TDataRecord& record) {
  FQueue.Push(plchost::THostEvent::Delivered(clientId, record, NowMs()));
}

void TE2eHost::OpenChannel(int32_t source) {
  plchost::TChannelEvents events;
  events.Opened = [this, source] { FQueue.Push(plchost::THostEvent::Opened(source)); };
  events.Received = [this, source](std::vector<uint8_t> bytes) {
    FQueue.Push(plchost::THostEvent::Received(source, std::move(bytes)));
  };
  const std::string host = FPeerHost;
  const int port = FPeerPort;
  auto opener = [host, port](std::string& error) {
    return plchost::OpenTcpLink(host, port, kConnectMs, error);
  };
  auto channel =
      std::make_unique<plchost::TChannel>(opener, plchost::TBackoff(), std::move(events));
  channel->Start();
  std::lock_guard<std::mutex> guard(FWireLock);
  FChannels[source] = std::move(channel);
}

void TE2eHost::Pump() {
  platform::Message message;
  while (platform::PeekMessageRemove(message)) {
    platform::TranslateMessageFor(message);
    platform::DispatchMessageTo(message);
  }
}

void TE2eHost::Handle(plchost::THostEvent& event) {
  switch (event.Kind) {
    case plchost::THostEvent::TKind::Opened:
      FOpen[event.Source] = true;
      break;
    case plchost::THostEvent::TKind::Received: {
      {
        std::lock_guard<std::mutex> guard(FWireLock);
        FWire[event.Source].Outstanding = 0;
      }
      FSession->ProcessData(event.Source, event.Bytes.data(), event.Bytes.size());
      break;
    }
    case plchost::THostEvent::TKind::Record:
      FRecords.push_back({event.Source, std::move(event.Record), event.AtMs});
      break;
    default:
      break;
  }
}

}  // namespace e2e
