#include "plc/PluginDM_Bridge.h"

#include <algorithm>
#include <cctype>
#include <chrono>

namespace {

constexpr const char* kLoopbackAddress = "127.0.0.1";
constexpr const char* kDebugSwitch = "/debugnodave";

// The link uses this handle instead of opening a port: its bytes run through
// the callbacks.
constexpr int32_t kCallbackPortHandle = 1;

bool EqualsIgnoringCase(const std::string& left, const std::string& right) {
  return left.size() == right.size() &&
         std::equal(left.begin(), left.end(), right.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

}  // namespace

TTransportBridge::TTransportBridge(TTransportPath path, TBridgeHooks hooks, TLoopbackPorts& ports)
    : hooks_(std::move(hooks)), ports_(ports) {
  if (path == TTransportPath::LoopbackListener) {
    platform::ListenerEvents events;
    events.received = [this](platform::ClientId client, const std::vector<uint8_t>& bytes) {
      ClientDataAvailable(client, bytes);
    };
    events.closed = [this](platform::ClientId client) { ClientClosed(client); };
    listener_ = std::make_unique<platform::TcpListener>(std::move(events));
  }
  ClaimPort(ports);
}

TTransportBridge::~TTransportBridge() {
  Invalidate();
  Close();
  listener_.reset();
  ports_.Release(listenPort_);
}

void TTransportBridge::ClaimPort(TLoopbackPorts& ports) {
  const TLoopbackPorts::TClaim claim = ports.Claim(
      [this](int32_t port) { return !listener_ || listener_->Listen(kLoopbackAddress, port); });
  listenPort_ = claim.Port;
  debugLink_ = claim.FirstOfProcess && HasDebugSwitch(hooks_.Arguments());
}

std::string TTransportBridge::NoPortText() {
  return "no free loopback port in " + std::to_string(kFirstLoopbackPort) + ".." +
         std::to_string(kLastLoopbackPort) +
         " (every TCP data source of a process listens on one of its own; other programs may "
         "hold some)";
}

bool TTransportBridge::HasDebugSwitch(const std::vector<std::string>& arguments) {
  return arguments.size() > 1 &&
         std::any_of(arguments.begin() + 1, arguments.end(), [](const std::string& argument) {
           return EqualsIgnoringCase(argument, kDebugSwitch);
         });
}

void TTransportBridge::ConfigureLink(TNoDave& link) {
  link.SetIPPort(listenPort_);
  link.PortHandle = listener_ ? 0 : kCallbackPortHandle;
  if (debugLink_) link.SetDebug(kAllDebugFlags);
  link.ReadFunc = &ReadCallback;
  link.WriteFunc = &WriteCallback;
  link.DebugFunc = debugLink_ ? &DebugCallback : nullptr;
  link.UserData = this;
}

void TTransportBridge::Invalidate() { validityStamp_.store(0); }

void TTransportBridge::Close() {
  if (listener_) listener_->Close();
  {
    std::lock_guard<std::mutex> guard(fifoWaitLock_);
    closing_.store(true);
  }
  fifoChanged_.notify_all();
}

void TTransportBridge::FromHost(const uint8_t* data, int32_t length) {
  if (data == nullptr || length <= 0) return;
  if (Listening()) {
    // Only the link's connection gets the bytes; without it they are dropped.
    const platform::ClientId client = linkClient_.load();
    if (client != 0) listener_->Send(client, data, static_cast<size_t>(length));
    return;
  }
  fifo_.Write(data, length);
  { std::lock_guard<std::mutex> guard(fifoWaitLock_); }
  fifoChanged_.notify_all();
}

void TTransportBridge::DropClients() {
  linkClient_.store(0);
  if (listener_) listener_->DropClients();
}

// Callbacks --------------------------------------------------------------------

TTransportBridge* TTransportBridge::FromInterface(const TDaveInterfaceRecord* intf) {
  auto* bridge = intf == nullptr ? nullptr : static_cast<TTransportBridge*>(intf->userData);
  return bridge != nullptr && bridge->ValidityStamp() == kValidStamp ? bridge : nullptr;
}

int32_t NODAVE_CALL TTransportBridge::ReadCallback(TDaveInterfaceRecord* intf, uint8_t* buffer,
                                                   int32_t length) {
  TTransportBridge* bridge = FromInterface(intf);
  if (bridge == nullptr || buffer == nullptr || length <= 0) return 0;
  return bridge->ReadFifo(buffer, length, intf->timeout / 1000) ? length : 0;
}

int32_t NODAVE_CALL TTransportBridge::WriteCallback(TDaveInterfaceRecord* intf,
                                                    const uint8_t* buffer, int32_t length) {
  TTransportBridge* bridge = FromInterface(intf);
  if (bridge == nullptr || buffer == nullptr || length <= 0 || !bridge->hooks_.SendToPort) {
    return 0;
  }
  return bridge->hooks_.SendToPort(buffer, length) >= 0 ? length : 0;
}

void NODAVE_CALL TTransportBridge::DebugCallback(TDaveInterfaceRecord* intf, int32_t,
                                                 const char* text, int32_t count) {
  TTransportBridge* bridge = FromInterface(intf);
  if (bridge == nullptr || text == nullptr || count <= 0) return;
  std::string line(text, static_cast<size_t>(count));
  line.erase(line.find_last_not_of("\r\n ") + 1);
  if (!line.empty()) bridge->Log(TLogLevel::Information, line);
}

bool TTransportBridge::ReadFifo(uint8_t* buffer, int32_t length, int32_t timeoutMs) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
  {
    std::unique_lock<std::mutex> lock(fifoWaitLock_);
    fifoChanged_.wait_until(lock, deadline,
                            [&] { return closing_.load() || fifo_.Count() >= length; });
  }
  if (fifo_.Count() < length) return false;
  fifo_.Read(buffer, length);
  return true;
}

// Listener events ------------------------------------------------------------------

void TTransportBridge::ClientDataAvailable(platform::ClientId client,
                                           const std::vector<uint8_t>& bytes) {
  if (ValidityStamp() != kValidStamp) return;
  if (client != linkClient_.load() && !AcceptAsLink(client)) return;
  if (!LinkClosed() && hooks_.SendToPort) {
    hooks_.SendToPort(bytes.data(), static_cast<int32_t>(bytes.size()));
  }
}

void TTransportBridge::ClientClosed(platform::ClientId client) {
  platform::ClientId expected = client;
  linkClient_.compare_exchange_strong(expected, 0);
}

bool TTransportBridge::AcceptAsLink(platform::ClientId client) {
  const int32_t linkSocket = hooks_.LinkSocket ? hooks_.LinkSocket() : 0;
  const int linkPort = linkSocket > 0 ? platform::SocketLocalPort(linkSocket) : 0;
  if (linkPort == 0 || listener_->PeerPort(client) != linkPort) {
    Refuse(client);
    return false;
  }
  // The link has one connection: any other one is not the link's.
  linkClient_.store(client);
  for (platform::ClientId other : listener_->Clients()) {
    if (other != client) Refuse(other);
  }
  return true;
}

void TTransportBridge::Refuse(platform::ClientId client) {
  const int peerPort = listener_->PeerPort(client);
  listener_->DropClient(client);
  Log(TLogLevel::Warning, "Loopback connection from port " + std::to_string(peerPort) +
                              " refused: it is not the PLC link's connection");
}

void TTransportBridge::Log(TLogLevel level, const std::string& text) const {
  if (hooks_.Log) hooks_.Log(level, text);
}
