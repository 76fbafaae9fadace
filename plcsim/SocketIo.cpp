#include "SocketIo.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace plcsim {

namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw SocketError(what + ": " + std::strerror(errno));
}

sockaddr_in ToSocketAddress(const std::string& address, uint16_t port) {
  sockaddr_in result{};
  result.sin_family = AF_INET;
  result.sin_port = htons(port);
  if (inet_pton(AF_INET, address.c_str(), &result.sin_addr) != 1) {
    throw SocketError("not an IPv4 address: \"" + address + "\"");
  }
  return result;
}

std::string AddressText(const sockaddr_in& address) {
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
  return std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
}

int NewSocket() {
  const int handle = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (handle < 0) {
    Fail("socket");
  }
  return handle;
}

// Requests and answers are small: send each at once.
void SetNoDelay(int handle) {
  const int on = 1;
  setsockopt(handle, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

sockaddr_in LocalName(int handle) {
  sockaddr_in address{};
  socklen_t size = sizeof address;
  getsockname(handle, reinterpret_cast<sockaddr*>(&address), &size);
  return address;
}

}  // namespace

TcpSocket::~TcpSocket() { Close(); }

TcpSocket::TcpSocket(TcpSocket&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, -1);
  }
  return *this;
}

void TcpSocket::Close() {
  if (handle_ >= 0) {
    close(handle_);
    handle_ = -1;
  }
}

TcpSocket TcpSocket::Listen(const std::string& address, uint16_t port) {
  const sockaddr_in local = ToSocketAddress(address, port);
  TcpSocket listener(NewSocket());
  const int on = 1;
  setsockopt(listener.handle_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (bind(listener.handle_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    Fail("cannot bind " + AddressText(local));
  }
  if (listen(listener.handle_, SOMAXCONN) != 0) {
    Fail("listen");
  }
  return listener;
}

TcpSocket TcpSocket::Connect(const std::string& address, uint16_t port) {
  const sockaddr_in remote = ToSocketAddress(address, port);
  TcpSocket client(NewSocket());
  if (connect(client.handle_, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) != 0) {
    Fail("cannot connect to " + AddressText(remote));
  }
  SetNoDelay(client.handle_);
  return client;
}

uint16_t TcpSocket::LocalPort() const { return ntohs(LocalName(handle_).sin_port); }

std::string TcpSocket::LocalAddress() const { return AddressText(LocalName(handle_)); }

TcpSocket TcpSocket::Accept(const WakeSignal& wake, std::string* peer) {
  for (;;) {
    pollfd waits[2] = {{handle_, POLLIN, 0}, {wake.Handle(), POLLIN, 0}};
    if (poll(waits, 2, -1) < 0) {
      if (errno == EINTR) {
        continue;
      }
      Fail("poll");
    }
    if (waits[1].revents != 0) {
      return TcpSocket();
    }
    sockaddr_in remote{};
    socklen_t size = sizeof remote;
    const int handle = accept4(handle_, reinterpret_cast<sockaddr*>(&remote), &size, SOCK_CLOEXEC);
    if (handle >= 0) {
      SetNoDelay(handle);
      *peer = AddressText(remote);
      return TcpSocket(handle);
    }
    // A client that gave up before it was accepted, or a transient shortage: wait again.
    if (errno != ECONNABORTED && errno != EINTR && errno != EMFILE && errno != ENFILE) {
      Fail("accept");
    }
  }
}

bool TcpSocket::ReadExact(uint8_t* buffer, size_t size) {
  while (size > 0) {
    const ssize_t got = recv(handle_, buffer, size, 0);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      return false;
    }
    buffer += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

size_t TcpSocket::ReadSome(uint8_t* buffer, size_t size) {
  for (;;) {
    const ssize_t got = recv(handle_, buffer, size, 0);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    return got > 0 ? static_cast<size_t>(got) : 0;
  }
}

bool TcpSocket::WriteAll(const uint8_t* buffer, size_t size) {
  while (size > 0) {
    const ssize_t sent = send(handle_, buffer, size, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) {
      continue;
    }
    if (sent <= 0) {
      return false;
    }
    buffer += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

bool TcpSocket::WaitForClose() {
  uint8_t buffer[256];
  for (;;) {
    const ssize_t got = recv(handle_, buffer, sizeof buffer, 0);
    if (got == 0) {
      return true;
    }
    if (got < 0 && errno != EINTR) {
      // A reset after unread data also means the peer closed.
      return errno == ECONNRESET;
    }
  }
}

void TcpSocket::SetReceiveTimeout(std::chrono::milliseconds timeout) {
  timeval value{};
  value.tv_sec = static_cast<time_t>(timeout.count() / 1000);
  value.tv_usec = static_cast<suseconds_t>(timeout.count() % 1000 * 1000);
  setsockopt(handle_, SOL_SOCKET, SO_RCVTIMEO, &value, sizeof value);
}

void TcpSocket::Shutdown() { shutdown(handle_, SHUT_RDWR); }

WakeSignal::WakeSignal() {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) {
    Fail("pipe");
  }
  readEnd_ = ends[0];
  writeEnd_ = ends[1];
}

WakeSignal::~WakeSignal() {
  close(readEnd_);
  close(writeEnd_);
}

void WakeSignal::Raise() {
  const uint8_t byte = 1;
  // The pipe stays readable once written; one byte is enough for any number of waiters.
  [[maybe_unused]] const ssize_t written = write(writeEnd_, &byte, 1);
}

}  // namespace plcsim
