#pragma once

// The transport bridge of a request engine: joins the PLC link's byte transport
// to the host's channel. Serial protocols run through the link's read and write
// callbacks and a byte FIFO; TCP protocols through a loopback listener that the
// link connects to as if it were the PLC. It also carries the library's debug
// trace into the plug-in log when the host runs with "/debugnodave".

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "nodave/NoDaveComponent.h"
#include "nodave/NoDaveRecords.h"
#include "platform/Library.h"
#include "platform/Sockets.h"
#include "plc/PluginDM_LoopbackPorts.h"
#include "plc/PluginDM_Protocols.h"
#include "settings/LogDataList.h"
#include "threads/FIFOStream.h"

// What the bridge needs from its engine.
struct TBridgeHooks {
  // Hands bytes to the host's channel; negative when the host refuses them.
  std::function<int32_t(const uint8_t* data, int32_t length)> SendToPort;
  std::function<void(TLogLevel level, const std::string& text)> Log;
  // The handle of the link's own socket, 0 while it has none. Called on the
  // engine's creating thread while the worker thread connects the link.
  std::function<int32_t()> LinkSocket;
  // The host process's arguments, the program name first.
  std::function<std::vector<std::string>()> Arguments = &platform::ProcessArguments;
};

class TTransportBridge {
 public:
  static constexpr uint32_t kValidStamp = 0x0122FE66;
  static constexpr int32_t kFifoCapacity = 65535;
  static constexpr int32_t kFifoDiscardStep = 64;
  static constexpr TNoDaveDebugOptions kAllDebugFlags = 0xFFFF;

  // On the thread whose messages carry the listener's events (the engine's
  // creating thread). Takes a loopback port; on the loopback path the listener
  // listens on it.
  TTransportBridge(TTransportPath path, TBridgeHooks hooks,
                   TLoopbackPorts& ports = LoopbackPorts());
  // Invalidate and Close when the engine has not run them; gives the port back.
  ~TTransportBridge();
  TTransportBridge(const TTransportBridge&) = delete;
  TTransportBridge& operator=(const TTransportBridge&) = delete;

  // The link's side of the transport: its port, port handle, debug flags,
  // callbacks and user data. After the link's Protocol is set.
  void ConfigureLink(TNoDave& link);

  // Engine destruction, first step: callbacks do nothing from now on.
  void Invalidate();
  // Before the worker stops: the listener closes, a waiting read gives up.
  void Close();

  // Bytes the host received on its channel for this engine: to the link's
  // loopback connection when listening, else into the FIFO.
  void FromHost(const uint8_t* data, int32_t length);

  // While true, bytes from the listener are not forwarded to the host.
  bool LinkClosed() const { return linkClosed_.load(); }
  void SetLinkClosed(bool value) { linkClosed_.store(value); }
  // Closes every connection of the listener (a reset with reconnect).
  void DropClients();

  uint32_t ValidityStamp() const { return validityStamp_.load(); }
  bool Closing() const { return closing_.load(); }
  int32_t ListenPort() const { return listenPort_; }
  bool DebugLink() const { return debugLink_; }
  bool Listening() const { return listener_ && listener_->IsListening(); }
  // Whether the link has a transport to connect through: false on the loopback
  // path when no loopback port was free for the listener.
  bool HasTransport() const { return !listener_ || listenPort_ != 0; }
  // Why a link without a transport cannot connect.
  static std::string NoPortText();
  TFIFOStream& Fifo() { return fifo_; }

  // The library's transport and debug functions; the interface's user data is the bridge.
  static int32_t NODAVE_CALL ReadCallback(TDaveInterfaceRecord* intf, uint8_t* buffer,
                                          int32_t length);
  static int32_t NODAVE_CALL WriteCallback(TDaveInterfaceRecord* intf, const uint8_t* buffer,
                                           int32_t length);
  static void NODAVE_CALL DebugCallback(TDaveInterfaceRecord* intf, int32_t level, const char* text,
                                        int32_t count);

 private:
  // The bridge of an interface while it is valid; null otherwise.
  static TTransportBridge* FromInterface(const TDaveInterfaceRecord* intf);
  static bool HasDebugSwitch(const std::vector<std::string>& arguments);

  void ClaimPort(TLoopbackPorts& ports);
  bool ReadFifo(uint8_t* buffer, int32_t length, int32_t timeoutMs);
  void ClientDataAvailable(platform::ClientId client, const std::vector<uint8_t>& bytes);
  void ClientClosed(platform::ClientId client);
  // Whether a connection is the link's own; every other one is closed.
  bool AcceptAsLink(platform::ClientId client);
  void Refuse(platform::ClientId client);
  void Log(TLogLevel level, const std::string& text) const;

  const TBridgeHooks hooks_;
  TLoopbackPorts& ports_;
  std::atomic<uint32_t> validityStamp_{kValidStamp};
  std::atomic<bool> closing_{false};
  std::atomic<bool> linkClosed_{true};
  TFIFOStream fifo_{kFifoCapacity, true, kFifoDiscardStep};
  // Wakes a waiting read when bytes arrive or the bridge closes.
  std::mutex fifoWaitLock_;
  std::condition_variable fifoChanged_;
  std::unique_ptr<platform::TcpListener> listener_;  // loopback path only
  std::atomic<platform::ClientId> linkClient_{0};    // the link's connection once known
  int32_t listenPort_ = 0;
  bool debugLink_ = false;
};
