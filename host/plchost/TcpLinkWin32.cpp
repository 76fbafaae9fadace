#include <winsock2.h>
#include <ws2tcpip.h>

#include "TcpLink.h"

namespace plchost {

namespace {

// How long a send may wait for the peer to take bytes.
constexpr long kSendWaitMs = 5000;

std::string WinsockErrorText(int code) {
  switch (code) {
    case WSAECONNREFUSED:
      return "connection refused";
    case WSAETIMEDOUT:
      return "connection timed out";
    case WSAECONNRESET:
      return "connection reset by the peer";
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
      return "no route to the host";
    default:
      return "Winsock error " + std::to_string(code);
  }
}

// Winsock is started once for the process and stays.
bool StartWinsock() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

// Waits until the socket is readable (or, with `write`, writable); > 0 ready,
// 0 time-out, < 0 failure.
int Wait(SOCKET socket, bool write, long timeoutMs) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(socket, &set);
  fd_set failed;
  FD_ZERO(&failed);
  FD_SET(socket, &failed);
  timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  const int ready = select(0, write ? nullptr : &set, write ? &set : nullptr, &failed, &timeout);
  if (ready > 0 && FD_ISSET(socket, &failed)) return -1;
  return ready;
}

class TTcpLink final : public IChannelLink {
 public:
  explicit TTcpLink(SOCKET socket) : FSocket(socket) {}
  ~TTcpLink() override { closesocket(FSocket); }

  int Receive(uint8_t* buffer, size_t capacity, uint32_t timeoutMs, std::string& error) override {
    const int ready = Wait(FSocket, false, static_cast<long>(timeoutMs));
    if (ready == 0) return 0;
    const int received =
        ready > 0 ? recv(FSocket, reinterpret_cast<char*>(buffer), static_cast<int>(capacity), 0)
                  : SOCKET_ERROR;
    if (received > 0) return received;
    if (received == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) return 0;
    error = received == 0 ? "the peer closed the connection" : WinsockErrorText(WSAGetLastError());
    return -1;
  }

  bool Send(const uint8_t* data, size_t length) override {
    while (length > 0) {
      const int sent =
          send(FSocket, reinterpret_cast<const char*>(data), static_cast<int>(length), 0);
      if (sent > 0) {
        data += sent;
        length -= static_cast<size_t>(sent);
      } else if (sent == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) {
        if (Wait(FSocket, true, kSendWaitMs) <= 0) return false;
      } else {
        return false;
      }
    }
    return true;
  }

 private:
  SOCKET FSocket;
};

SOCKET Connect(const addrinfo& address, uint32_t timeoutMs, std::string& error) {
  SOCKET socket = ::socket(address.ai_family, address.ai_socktype, address.ai_protocol);
  if (socket == INVALID_SOCKET) {
    error = WinsockErrorText(WSAGetLastError());
    return INVALID_SOCKET;
  }
  u_long nonBlocking = 1;
  ioctlsocket(socket, FIONBIO, &nonBlocking);
  if (connect(socket, address.ai_addr, static_cast<int>(address.ai_addrlen)) != 0) {
    const int code = WSAGetLastError();
    const int ready =
        code == WSAEWOULDBLOCK ? Wait(socket, true, static_cast<long>(timeoutMs)) : -1;
    if (ready <= 0) {
      int failure = code;
      int size = sizeof failure;
      if (code == WSAEWOULDBLOCK) {
        getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&failure), &size);
      }
      error = ready == 0 ? "no answer within " + std::to_string(timeoutMs) + " ms"
                         : WinsockErrorText(failure);
      closesocket(socket);
      return INVALID_SOCKET;
    }
  }
  const BOOL on = TRUE;
  setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
  setsockopt(socket, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&on), sizeof on);
  return socket;
}

}  // namespace

std::unique_ptr<IChannelLink> OpenTcpLink(const std::string& host, int port, uint32_t timeoutMs,
                                          std::string& error) {
  if (!StartWinsock()) {
    error = "Winsock cannot be started";
    return nullptr;
  }
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
    error = "unknown host " + host;
    return nullptr;
  }
  SOCKET socket = INVALID_SOCKET;
  for (const addrinfo* address = found; address != nullptr && socket == INVALID_SOCKET;
       address = address->ai_next) {
    socket = Connect(*address, timeoutMs, error);
  }
  freeaddrinfo(found);
  if (socket == INVALID_SOCKET) return nullptr;
  return std::make_unique<TTcpLink>(socket);
}

}  // namespace plchost
