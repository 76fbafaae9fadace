#include "TestSocket.h"

#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
using socklen_t = int;
constexpr int kSendFlags = 0;
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
constexpr int kSendFlags = MSG_NOSIGNAL;  // a closed peer is a result, not a signal
#endif

namespace testsocket {
namespace {

#if defined(_WIN32)
void StartSockets() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  (void)started;
}

bool Ready(Handle s, int timeoutMs) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(static_cast<SOCKET>(s), &set);
  timeval wait{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  return select(0, &set, nullptr, nullptr, &wait) > 0;
}
#else
void StartSockets() {}

bool Ready(Handle s, int timeoutMs) {
  pollfd entry{static_cast<int>(s), POLLIN, 0};
  return poll(&entry, 1, timeoutMs) > 0;
}
#endif

}  // namespace

Handle Listen(int& port) {
  StartSockets();
  const Handle s = static_cast<Handle>(socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (bind(s, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(s, 4) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    Close(s);
    return kNone;
  }
  port = ntohs(address.sin_port);
  return s;
}

Handle Accept(Handle listener, int timeoutMs) {
  if (!Ready(listener, timeoutMs)) {
    return kNone;
  }
  return static_cast<Handle>(accept(listener, nullptr, nullptr));
}

bool ReceiveExact(Handle s, uint8_t* data, size_t length, int timeoutMs) {
  while (length > 0) {
    if (!Ready(s, timeoutMs)) {
      return false;
    }
    const auto received = recv(s, reinterpret_cast<char*>(data), static_cast<int>(length), 0);
    if (received <= 0) {
      return false;
    }
    data += received;
    length -= static_cast<size_t>(received);
  }
  return true;
}

int ReceiveSome(Handle s, uint8_t* data, size_t size, int timeoutMs) {
  if (!Ready(s, timeoutMs)) {
    return 0;
  }
  const auto received = recv(s, reinterpret_cast<char*>(data), static_cast<int>(size), 0);
  return received > 0 ? static_cast<int>(received) : -1;
}

bool SendAll(Handle s, const uint8_t* data, size_t length) {
  while (length > 0) {
    const auto sent =
        send(s, reinterpret_cast<const char*>(data), static_cast<int>(length), kSendFlags);
    if (sent <= 0) {
      return false;
    }
    data += sent;
    length -= static_cast<size_t>(sent);
  }
  return true;
}

void Close(Handle s) {
#if defined(_WIN32)
  closesocket(static_cast<SOCKET>(s));
#else
  close(static_cast<int>(s));
#endif
}

}  // namespace testsocket
