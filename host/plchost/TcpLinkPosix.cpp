#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "FdLinkPosix.h"
#include "TcpLink.h"

namespace plchost {

namespace {

// Connects a non-blocking socket within the time-out; the socket or -1.
int Connect(const addrinfo& address, uint32_t timeoutMs, std::string& error) {
  const int fd = socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) {
    error = std::strerror(errno);
    return -1;
  }
  int result = connect(fd, address.ai_addr, address.ai_addrlen);
  if (result != 0 && errno == EINPROGRESS) {
    if (PollDescriptor(fd, POLLOUT, static_cast<int>(timeoutMs)) <= 0) {
      close(fd);
      error = "no answer within " + std::to_string(timeoutMs) + " ms";
      return -1;
    }
    int failure = 0;
    socklen_t size = sizeof failure;
    getsockopt(fd, SOL_SOCKET, SO_ERROR, &failure, &size);
    errno = failure;
    result = failure == 0 ? 0 : -1;
  }
  if (result != 0) {
    error = std::strerror(errno);
    close(fd);
    return -1;
  }
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
  return fd;
}

}  // namespace

std::unique_ptr<IChannelLink> OpenTcpLink(const std::string& host, int port, uint32_t timeoutMs,
                                          std::string& error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int lookup = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
  if (lookup != 0) {
    error = "unknown host " + host + " (" + gai_strerror(lookup) + ")";
    return nullptr;
  }
  int fd = -1;
  for (const addrinfo* address = found; address != nullptr && fd < 0; address = address->ai_next) {
    fd = Connect(*address, timeoutMs, error);
  }
  freeaddrinfo(found);
  if (fd < 0) return nullptr;
  return MakeDescriptorLink(fd, true, "the peer closed the connection");
}

}  // namespace plchost
