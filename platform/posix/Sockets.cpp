// BSD sockets beneath the TCP listener. A watched socket belongs to the socket
// set of its window's thread, whose message waits wake when it is ready; it is
// watched again once the owner has accepted from or read it.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "../common/SocketPrimitives.h"
#include "WindowTable.h"
#include "platform/Sockets.h"

namespace platform {

int SocketLocalPort(intptr_t socket) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (socket < 0 ||
      getsockname(static_cast<int>(socket), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return 0;
  }
  if (address.ss_family == AF_INET) return ntohs(reinterpret_cast<sockaddr_in&>(address).sin_port);
  if (address.ss_family == AF_INET6) {
    return ntohs(reinterpret_cast<sockaddr_in6&>(address).sin6_port);
  }
  return 0;
}

namespace detail {

NativeSocket OpenListeningSocket(const std::string& address, int port) {
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(static_cast<uint16_t>(port));
  if (port < 0 || port > 65535 || inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1) {
    return kNoSocket;
  }
  const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (socket < 0) return kNoSocket;
  // Here the option only lets a port in TIME_WAIT be bound again: a port that
  // another socket listens on is still refused.
  const int on = 1;
  setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (bind(socket, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
      listen(socket, SOMAXCONN) != 0) {
    close(socket);
    return kNoSocket;
  }
  return socket;
}

NativeSocket AcceptConnection(NativeSocket listener, int& peerPort) {
  sockaddr_in peer{};
  socklen_t length = sizeof peer;
  const int socket = accept4(static_cast<int>(listener), reinterpret_cast<sockaddr*>(&peer),
                             &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (socket < 0) return kNoSocket;
  const int on = 1;
  setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  peerPort = ntohs(peer.sin_port);
  return socket;
}

ptrdiff_t ReceiveSome(NativeSocket socket, uint8_t* buffer, size_t length) {
  for (;;) {
    const ssize_t count = recv(static_cast<int>(socket), buffer, length, 0);
    if (count >= 0) return count;
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK ? kNothingWaiting : kReceiveFailed;
  }
}

bool SendAll(NativeSocket socket, const uint8_t* data, size_t length, uint32_t waitMs) {
  const int handle = static_cast<int>(socket);
  while (length > 0) {
    const ssize_t count = send(handle, data, length, MSG_NOSIGNAL);
    if (count > 0) {
      data += count;
      length -= static_cast<size_t>(count);
    } else if (count < 0 && errno == EINTR) {
      continue;
    } else if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd writable{handle, POLLOUT, 0};
      if (poll(&writable, 1, static_cast<int>(waitMs)) <= 0) return false;
    } else {
      return false;
    }
  }
  return true;
}

void CloseSocket(NativeSocket socket) { close(static_cast<int>(socket)); }

// The watcher reports to the socket set of the window's thread.
struct SocketWatcher::Native {
  Native(WindowHandle owner, uint32_t ready) : window(owner), message(ready) {
    if (const auto entry = Windows().Find(owner)) queue = entry->queue;
  }

  const WindowHandle window;
  const uint32_t message;
  std::shared_ptr<MessageQueue> queue;  // null for a window that did not exist
};

SocketWatcher::SocketWatcher(WindowHandle window, uint32_t message)
    : native_(std::make_unique<Native>(window, message)) {}

SocketWatcher::~SocketWatcher() = default;

void SocketWatcher::WatchListener(NativeSocket socket) { Resume(socket); }

void SocketWatcher::WatchClient(NativeSocket socket) { Resume(socket); }

void SocketWatcher::Resume(NativeSocket socket) {
  if (native_->queue) {
    native_->queue->Sockets().Watch(static_cast<int>(socket), native_->window, native_->message);
  }
}

void SocketWatcher::Forget(NativeSocket socket) {
  if (native_->queue) native_->queue->Sockets().Forget(static_cast<int>(socket));
}

}  // namespace detail
}  // namespace platform
