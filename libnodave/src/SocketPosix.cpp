#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "DescriptorPosix.h"
#include "Socket.h"

namespace nodave {
namespace {

int ConnectedSocket(const addrinfo& address) {
  const int fd = socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC, address.ai_protocol);
  if (fd < 0) {
    return -1;
  }
  if (connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
    close(fd);
    return -1;
  }
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
  return fd;
}

}  // namespace

int32_t SocketConnect(int32_t port, const char* host) {
  if (host == nullptr || port <= 0 || port > 65535) {
    return 0;
  }
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host, std::to_string(port).c_str(), &hints, &found) != 0) {
    return 0;
  }
  int fd = -1;
  for (const addrinfo* address = found; address != nullptr && fd < 0; address = address->ai_next) {
    fd = ConnectedSocket(*address);
  }
  freeaddrinfo(found);
  if (fd == 0) {  // only possible with standard input closed; 0 means failure to callers
    close(fd);
  }
  return fd > 0 ? fd : 0;
}

void SocketClose(int32_t handle) { close(handle); }

bool SocketSendAll(int32_t handle, const uint8_t* data, size_t length) {
  while (length > 0) {
    const ssize_t sent = send(handle, data, length, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) {
      continue;
    }
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
  return ReadAll(handle, data, length, deadline);
}

void SocketDiscardPending(int32_t handle) {
  uint8_t scratch[512];
  while (WaitReadable(handle, Clock::now()) && recv(handle, scratch, sizeof scratch, 0) > 0) {
  }
}

}  // namespace nodave
