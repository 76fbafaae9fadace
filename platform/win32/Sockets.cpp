// Winsock beneath the TCP listener. The system itself reports ready sockets to
// the owner's window (WSAAsyncSelect) and watches them again after each accept
// and receive, so the watcher only chooses the events.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <climits>
#include <mutex>

#include "../common/SocketPrimitives.h"
#include "platform/Sockets.h"

namespace platform {
namespace {

void StartWinsock() {
  static std::once_flag started;
  std::call_once(started, [] {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  });
}

SOCKET ToSocket(intptr_t socket) { return static_cast<SOCKET>(socket); }

int PortOf(const sockaddr_storage& address) {
  if (address.ss_family == AF_INET) {
    return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
  }
  if (address.ss_family == AF_INET6) {
    return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
  }
  return 0;
}

// One call moves at most INT_MAX bytes.
int ChunkLength(size_t length) { return static_cast<int>(std::min<size_t>(length, INT_MAX)); }

bool Writable(SOCKET socket, uint32_t waitMs) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(socket, &set);
  timeval wait{static_cast<long>(waitMs / 1000), static_cast<long>(waitMs % 1000) * 1000};
  return select(0, nullptr, &set, nullptr, &wait) > 0;
}

}  // namespace

int SocketLocalPort(intptr_t socket) {
  StartWinsock();
  sockaddr_storage address{};
  int length = sizeof address;
  if (getsockname(ToSocket(socket), reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
  return PortOf(address);
}

namespace detail {

NativeSocket OpenListeningSocket(const std::string& address, int port) {
  StartWinsock();
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(static_cast<u_short>(port));
  if (port < 0 || port > 65535 || inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1) {
    return kNoSocket;
  }
  const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (socket == INVALID_SOCKET) return kNoSocket;
  // Without it Windows lets another socket bind the same port with SO_REUSEADDR
  // and take this listener's connections.
  const BOOL on = TRUE;
  setsockopt(socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on),
             sizeof on);
  if (bind(socket, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
      listen(socket, SOMAXCONN) != 0) {
    closesocket(socket);
    return kNoSocket;
  }
  return static_cast<NativeSocket>(socket);
}

NativeSocket AcceptConnection(NativeSocket listener, int& peerPort) {
  sockaddr_storage peer{};
  int length = sizeof peer;
  const SOCKET socket = accept(ToSocket(listener), reinterpret_cast<sockaddr*>(&peer), &length);
  if (socket == INVALID_SOCKET) return kNoSocket;
  u_long nonBlocking = 1;
  ioctlsocket(socket, FIONBIO, &nonBlocking);
  const BOOL on = TRUE;
  setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
  peerPort = PortOf(peer);
  return static_cast<NativeSocket>(socket);
}

ptrdiff_t ReceiveSome(NativeSocket socket, uint8_t* buffer, size_t length) {
  const int count = recv(ToSocket(socket), reinterpret_cast<char*>(buffer), ChunkLength(length), 0);
  if (count >= 0) return count;
  return WSAGetLastError() == WSAEWOULDBLOCK ? kNothingWaiting : kReceiveFailed;
}

bool SendAll(NativeSocket socket, const uint8_t* data, size_t length, uint32_t waitMs) {
  const SOCKET handle = ToSocket(socket);
  while (length > 0) {
    const int count = send(handle, reinterpret_cast<const char*>(data), ChunkLength(length), 0);
    if (count > 0) {
      data += count;
      length -= static_cast<size_t>(count);
    } else if (count == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) {
      if (!Writable(handle, waitMs)) return false;
    } else {
      return false;
    }
  }
  return true;
}

void CloseSocket(NativeSocket socket) { closesocket(ToSocket(socket)); }

struct SocketWatcher::Native {
  HWND window;
  UINT message;

  void Select(NativeSocket socket, long events) const {
    WSAAsyncSelect(ToSocket(socket), window, events == 0 ? 0 : message, events);
  }
};

SocketWatcher::SocketWatcher(WindowHandle window, uint32_t message)
    : native_(std::make_unique<Native>(Native{reinterpret_cast<HWND>(window), message})) {}

SocketWatcher::~SocketWatcher() = default;

void SocketWatcher::WatchListener(NativeSocket socket) { native_->Select(socket, FD_ACCEPT); }

void SocketWatcher::WatchClient(NativeSocket socket) {
  native_->Select(socket, FD_READ | FD_CLOSE);
}

// Accepting and receiving re-enable the system's notice by themselves.
void SocketWatcher::Resume(NativeSocket) {}

void SocketWatcher::Forget(NativeSocket socket) { native_->Select(socket, 0); }

}  // namespace detail
}  // namespace platform
