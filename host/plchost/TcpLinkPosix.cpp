#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "TcpLink.h"

namespace plchost {

namespace {

// How long a send may wait for the peer to take bytes.
constexpr int kSendWaitMs = 5000;

int Poll(int fd, short events, int timeoutMs) {
  pollfd entry{fd, events, 0};
  int ready;
  do {
    ready = poll(&entry, 1, timeoutMs);
  } while (ready < 0 && errno == EINTR);
  return ready;
}

class TTcpLink final : public IChannelLink {
 public:
  explicit TTcpLink(int fd) : FFd(fd) {}
  ~TTcpLink() override { close(FFd); }

  int Receive(uint8_t* buffer, size_t capacity, uint32_t timeoutMs, std::string& error) override {
    const int ready = Poll(FFd, POLLIN, static_cast<int>(timeoutMs));
    if (ready == 0) return 0;
    const ssize_t received = ready > 0 ? recv(FFd, buffer, capacity, 0) : -1;
    if (received > 0) return static_cast<int>(received);
    if (received < 0 && (errno == EAGAIN || errno == EINTR)) return 0;
    error = received == 0 ? "the peer closed the connection" : std::strerror(errno);
    return -1;
  }

  bool Send(const uint8_t* data, size_t length) override {
    while (length > 0) {
      const ssize_t sent = send(FFd, data, length, MSG_NOSIGNAL);
      if (sent > 0) {
        data += sent;
        length -= static_cast<size_t>(sent);
      } else if (sent < 0 && (errno == EAGAIN || errno == EINTR)) {
        if (Poll(FFd, POLLOUT, kSendWaitMs) <= 0) return false;
      } else {
        return false;
      }
    }
    return true;
  }

 private:
  int FFd;
};

// Connects a non-blocking socket within the time-out; the socket or -1.
int Connect(const addrinfo& address, uint32_t timeoutMs, std::string& error) {
  const int fd = socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) {
    error = std::strerror(errno);
    return -1;
  }
  int result = connect(fd, address.ai_addr, address.ai_addrlen);
  if (result != 0 && errno == EINPROGRESS) {
    if (Poll(fd, POLLOUT, static_cast<int>(timeoutMs)) <= 0) {
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
  return std::make_unique<TTcpLink>(fd);
}

}  // namespace plchost
