#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "LinePersonality.h"
#include "PlcMemory.h"
#include "SocketIo.h"

namespace plcsim {

struct ServerOptions {
  std::string address = "127.0.0.1";
  uint16_t port = 10102;  // 0: any free port
  uint16_t pdu = 960;     // the largest PDU size agreed to
  size_t maxClients = 64;
  // Another protocol than ISO over TCP: each client is served by a personality of
  // this kind, as if the connection were its serial line or its gateway.
  const PersonalityKind* personality = nullptr;
  uint8_t plcAddress = 2;  // the PLC's bus address behind an adapter or gateway
  uint32_t baud = 0;       // a serial line's simulated speed; 0 for none
};

using LogFunction = std::function<void(const std::string&)>;

// The S7 server: accepts TCP connections and serves each client on its own thread
// from `memory`, which must outlive it, over ISO-on-TCP or as a personality.
class PlcServer {
 public:
  // `log` receives one line per event (connections, errors); it is called from
  // several threads, one at a time.
  PlcServer(const PlcMemory& memory, ServerOptions options, LogFunction log);
  ~PlcServer();
  PlcServer(const PlcServer&) = delete;
  PlcServer& operator=(const PlcServer&) = delete;

  // Raises SocketError when the address cannot be bound.
  void Start();
  // Closes the listener and every connection and waits for their threads.
  void Stop();
  // "ADDRESS:PORT" of the listener.
  std::string ListeningOn() const;
  uint16_t Port() const;

 private:
  struct Client {
    TcpSocket socket;
    std::string peer;
    std::thread thread;
    std::atomic<bool> finished{false};
  };

  void AcceptLoop();
  void Admit(TcpSocket socket, const std::string& peer);
  void Serve(Client& client);
  std::string ServeClient(TcpSocket& socket);
  void JoinFinished();
  void Log(const std::string& line);

  const PlcMemory& memory_;
  const ServerOptions options_;
  const LogFunction log_;
  std::mutex logMutex_;
  TcpSocket listener_;
  WakeSignal wake_;
  std::thread acceptThread_;
  std::mutex clientsMutex_;
  std::list<std::unique_ptr<Client>> clients_;
};

}  // namespace plcsim
