#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "ByteStream.h"

namespace plcsim {

class SocketError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A TCP socket (IPv4) that closes itself. The only file of the simulator that
// talks to the BSD socket interface.
class TcpSocket : public ByteStream {
 public:
  TcpSocket() = default;
  ~TcpSocket() override;
  TcpSocket(TcpSocket&& other) noexcept;
  TcpSocket& operator=(TcpSocket&& other) noexcept;
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;

  // A listening socket on a dotted IPv4 address; port 0 picks a free port.
  static TcpSocket Listen(const std::string& address, uint16_t port);
  static TcpSocket Connect(const std::string& address, uint16_t port);

  bool IsOpen() const { return handle_ >= 0; }
  uint16_t LocalPort() const;
  std::string LocalAddress() const;

  // Waits for a client or for `wake` to be raised; an unopened socket means woken.
  TcpSocket Accept(const class WakeSignal& wake, std::string* peer);

  // False when the peer closed, the receive time-out passed or the socket failed.
  bool ReadExact(uint8_t* buffer, size_t size);
  bool WriteAll(const uint8_t* buffer, size_t size) override;
  size_t ReadSome(uint8_t* buffer, size_t size) override;
  // Drops what arrives until the peer closes; false on time-out or failure.
  bool WaitForClose();
  void SetReceiveTimeout(std::chrono::milliseconds timeout);
  // Ends both directions; a thread blocked reading this socket returns.
  void Shutdown();

 private:
  explicit TcpSocket(int handle) : handle_(handle) {}
  void Close();

  int handle_ = -1;
};

// Wakes a thread that waits in TcpSocket::Accept.
class WakeSignal {
 public:
  WakeSignal();
  ~WakeSignal();
  WakeSignal(const WakeSignal&) = delete;
  WakeSignal& operator=(const WakeSignal&) = delete;

  void Raise();
  int Handle() const { return readEnd_; }

 private:
  int readEnd_ = -1;
  int writeEnd_ = -1;
};

}  // namespace plcsim
