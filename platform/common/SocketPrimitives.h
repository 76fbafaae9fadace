#pragma once

// The socket calls beneath the TCP listener, one implementation per platform.
// Sockets are carried as intptr_t so that both systems' handles fit.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Messages.h"

namespace platform::detail {

using NativeSocket = intptr_t;
constexpr NativeSocket kNoSocket = -1;

// Results of ReceiveSome besides a byte count (> 0) and 0 for a closed connection.
constexpr ptrdiff_t kNothingWaiting = -1;
constexpr ptrdiff_t kReceiveFailed = -2;

// A listening TCP socket at address:port that no other socket may share;
// kNoSocket when it cannot be opened or bound.
NativeSocket OpenListeningSocket(const std::string& address, int port);
// A waiting connection, non-blocking and without send delay, and the peer's
// port; kNoSocket when none is waiting.
NativeSocket AcceptConnection(NativeSocket listener, int& peerPort);
// Reads what has arrived, without waiting.
ptrdiff_t ReceiveSome(NativeSocket socket, uint8_t* buffer, size_t length);
// Sends every byte, waiting at most waitMs each time the peer takes none.
bool SendAll(NativeSocket socket, const uint8_t* data, size_t length, uint32_t waitMs);
void CloseSocket(NativeSocket socket);

// Tells a window, by `message` with wParam = the socket, that a watched socket
// has a connection or data waiting (or was closed by its peer). The message is
// not repeated until the owner has accepted from or read the socket and resumed it.
class SocketWatcher {
 public:
  SocketWatcher(WindowHandle window, uint32_t message);
  ~SocketWatcher();
  SocketWatcher(const SocketWatcher&) = delete;
  SocketWatcher& operator=(const SocketWatcher&) = delete;

  void WatchListener(NativeSocket socket);
  void WatchClient(NativeSocket socket);
  void Resume(NativeSocket socket);
  // Before the socket is closed.
  void Forget(NativeSocket socket);

 private:
  struct Native;
  std::unique_ptr<Native> native_;
};

}  // namespace platform::detail
