#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "TestSocket.h"

using Bytes = std::vector<uint8_t>;

// A loopback TCP peer on its own thread that plays the PLC from a script: each step
// receives one TPKT packet from the client and answers with whatever bytes it
// returns (any number of packets, garbage, nothing), optionally closing afterwards.
// Every wait is bounded, so a broken client fails a test instead of hanging it.
class ScriptServer {
 public:
  struct Reply {
    Bytes bytes;
    bool close = false;
  };
  using Step = std::function<Reply(const Bytes& packet)>;

  explicit ScriptServer(std::vector<Step> steps);
  ~ScriptServer();
  ScriptServer(const ScriptServer&) = delete;
  ScriptServer& operator=(const ScriptServer&) = delete;

  int Port() const { return port_; }
  // Waits for the script to end (the client closing, or a bounded wait).
  void Finish();
  // The packets received so far, whole TPKT packets.
  std::vector<Bytes> Received();

 private:
  void Run();
  bool ReceivePacket(testsocket::Handle client, Bytes& packet);

  std::vector<Step> steps_;
  int port_ = 0;
  testsocket::Handle listener_;
  std::mutex mutex_;
  std::vector<Bytes> received_;
  std::thread thread_;
};
