#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <climits>
#include <mutex>
#include <string>

#include "Socket.h"

namespace nodave {
namespace {

void StartWinsock() {
  static std::once_flag started;
  std::call_once(started, [] {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  });
}

SOCKET ToSocket(int32_t handle) { return static_cast<SOCKET>(static_cast<uint32_t>(handle)); }

SOCKET ConnectedSocket(const addrinfo& address) {
  const SOCKET s = socket(address.ai_family, address.ai_socktype, address.ai_protocol);
  if (s == INVALID_SOCKET) {
    return INVALID_SOCKET;
  }
  if (connect(s, address.ai_addr, static_cast<int>(address.ai_addrlen)) != 0) {
    closesocket(s);
    return INVALID_SOCKET;
  }
  const BOOL on = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
  setsockopt(s, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&on), sizeof on);
  return s;
}

bool Readable(SOCKET s, Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::microseconds>(deadline - Clock::now());
  const long long micros = std::max<long long>(left.count(), 0);
  timeval wait{static_cast<long>(micros / 1000000), static_cast<long>(micros % 1000000)};
  fd_set readSet;
  FD_ZERO(&readSet);
  FD_SET(s, &readSet);
  return select(0, &readSet, nullptr, nullptr, &wait) > 0;
}

// One send or receive call moves at most INT_MAX bytes.
int ChunkLength(size_t length) { return static_cast<int>(std::min<size_t>(length, INT_MAX)); }

}  // namespace

int32_t SocketConnect(int32_t port, const char* host) {
  if (host == nullptr || port <= 0 || port > 65535) {
    return 0;
  }
  StartWinsock();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host, std::to_string(port).c_str(), &hints, &found) != 0) {
    return 0;
  }
  SOCKET s = INVALID_SOCKET;
  for (const addrinfo* address = found; address != nullptr && s == INVALID_SOCKET;
       address = address->ai_next) {
    s = ConnectedSocket(*address);
  }
  freeaddrinfo(found);
  // Socket handles are small numbers that fit 32 bits; anything else is refused.
  if (s == INVALID_SOCKET || s == 0 || s > static_cast<SOCKET>(INT32_MAX)) {
    if (s != INVALID_SOCKET) {
      closesocket(s);
    }
    return 0;
  }
  return static_cast<int32_t>(s);
}

void SocketClose(int32_t handle) { closesocket(ToSocket(handle)); }

bool SocketSendAll(int32_t handle, const uint8_t* data, size_t length) {
  while (length > 0) {
    const int sent =
        send(ToSocket(handle), reinterpret_cast<const char*>(data), ChunkLength(length), 0);
    if (sent <= 0) {
      return false;
    }
    data += sent;
    length -= static_cast<size_t>(sent);
  }
  return true;
}

ReceiveStatus SocketReceiveAll(int32_t handle, uint8_t* data, size_t length,
                               Clock::time_point deadline) {
  const SOCKET s = ToSocket(handle);
  while (length > 0) {
    if (!Readable(s, deadline)) {
      return ReceiveStatus::kTimeout;
    }
    const int received = recv(s, reinterpret_cast<char*>(data), ChunkLength(length), 0);
    if (received <= 0) {
      return ReceiveStatus::kClosed;
    }
    data += received;
    length -= static_cast<size_t>(received);
  }
  return ReceiveStatus::kOk;
}

void SocketDiscardPending(int32_t handle) {
  const SOCKET s = ToSocket(handle);
  char scratch[512];
  while (Readable(s, Clock::now()) && recv(s, scratch, sizeof scratch, 0) > 0) {
  }
}

}  // namespace nodave
