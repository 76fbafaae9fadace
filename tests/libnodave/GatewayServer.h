#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <thread>
#include <vector>

#include "LinePersonality.h"
#include "TestSocket.h"

// A loopback TCP peer that serves every client on a thread of its own with a fresh
// simulator personality (a gateway), as the simulator's server does, and can spoil
// the gateway's answers on their way back. Every wait is bounded.
class GatewayServer {
 public:
  using Bytes = std::vector<uint8_t>;
  // Sees each answer before it is sent and may change it (to nothing, too); false
  // drops the client's connection after sending what is left of it.
  using Fault = std::function<bool(Bytes& answer)>;

  GatewayServer(plcsim::PersonalityFactory make, const plcsim::PlcMemory& memory);
  ~GatewayServer();
  GatewayServer(const GatewayServer&) = delete;
  GatewayServer& operator=(const GatewayServer&) = delete;

  int Port() const { return port_; }
  // Applies to the answers of every client from now on; an empty one sends them as
  // they are.
  void SetFault(Fault fault);
  // Everything the clients sent, in order of arrival, once every client has closed
  // its connection (waiting a few seconds at most).
  Bytes Received();

 private:
  void Accept();
  void Serve(testsocket::Handle client);
  bool Pass(Bytes& answer);

  plcsim::PersonalityFactory make_;
  const plcsim::PlcMemory& memory_;
  int port_ = 0;
  testsocket::Handle listener_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable closed_;
  int serving_ = 0;
  Fault fault_;
  Bytes received_;
  std::list<std::thread> clients_;
  std::thread acceptor_;
};
