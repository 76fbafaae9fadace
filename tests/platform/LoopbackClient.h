#pragma once

// A TCP client of 127.0.0.1 for the listener tests: the other end of the
// connections a listener accepts. Every wait is bounded.

#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <vector>

namespace test_support {

class LoopbackClient {
 public:
  // Connects at once; Connected() tells whether it worked.
  explicit LoopbackClient(int port) {
#if defined(_WIN32)
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
#endif
    socket_ = static_cast<intptr_t>(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    connected_ =
        connect(Native(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  }
  ~LoopbackClient() {
#if defined(_WIN32)
    closesocket(Native());
    WSACleanup();
#else
    close(Native());
#endif
  }
  LoopbackClient(const LoopbackClient&) = delete;
  LoopbackClient& operator=(const LoopbackClient&) = delete;

  bool Connected() const { return connected_; }
  intptr_t Handle() const { return socket_; }

  bool Send(const std::vector<uint8_t>& bytes) const {
    return send(Native(), reinterpret_cast<const char*>(bytes.data()),
                static_cast<int>(bytes.size()), 0) == static_cast<int>(bytes.size());
  }

  // Exactly `length` bytes, unless the connection ends or timeoutMs passes
  // without a byte; what arrived is returned either way.
  std::vector<uint8_t> Receive(size_t length, int timeoutMs) const {
    std::vector<uint8_t> bytes(length);
    size_t done = 0;
    while (done < length && Readable(timeoutMs)) {
      const auto count = recv(Native(), reinterpret_cast<char*>(bytes.data() + done),
                              static_cast<int>(length - done), 0);
      if (count <= 0) break;
      done += static_cast<size_t>(count);
    }
    bytes.resize(done);
    return bytes;
  }

  // Whether the listener closed the connection within timeoutMs.
  bool ClosedByPeer(int timeoutMs) const {
    char byte;
    return Readable(timeoutMs) && recv(Native(), &byte, 1, 0) <= 0;
  }

 private:
#if defined(_WIN32)
  SOCKET Native() const { return static_cast<SOCKET>(socket_); }
  bool Readable(int timeoutMs) const {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(Native(), &set);
    timeval wait{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    return select(0, &set, nullptr, nullptr, &wait) > 0;
  }
#else
  int Native() const { return static_cast<int>(socket_); }
  bool Readable(int timeoutMs) const {
    pollfd entry{Native(), POLLIN, 0};
    return poll(&entry, 1, timeoutMs) > 0;
  }
#endif

  intptr_t socket_;
  bool connected_ = false;
};

}  // namespace test_support
