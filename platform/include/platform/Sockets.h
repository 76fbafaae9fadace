#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Export.h"

namespace platform {

// The local port of a socket handle, as a socket library hands it out; 0 when the
// handle is not a bound socket.
MOX_PLATFORM_API int SocketLocalPort(intptr_t socket);

// A connection accepted by a listener. Ids are not reused, so a late event of a
// dropped client cannot be taken for another one.
using ClientId = uint32_t;

// What a listener reports. Every event runs on the thread that created the
// listener, while that thread processes its messages.
struct ListenerEvents {
  std::function<void(ClientId client)> connected;
  // What the client has sent, as far as it has arrived; never empty.
  std::function<void(ClientId client, const std::vector<uint8_t>& bytes)> received;
  // The peer closed the connection or it failed; the client is gone.
  std::function<void(ClientId client)> closed;
};

// A TCP listener with its accepted connections. A port that another socket
// listens on is refused, also by this process. Listen, Close, Send and the drop
// calls may come from any thread; the events arrive on the creating thread only.
class MOX_PLATFORM_API TcpListener {
 public:
  // Raises std::runtime_error when the creating thread gets no message window.
  explicit TcpListener(ListenerEvents events);
  // Closes every connection; no event runs once it has returned, on any thread.
  ~TcpListener();
  TcpListener(const TcpListener&) = delete;
  TcpListener& operator=(const TcpListener&) = delete;

  // Listens on address:port (port 0: one the system chooses); false when the
  // address cannot be bound or the listener already listens.
  bool Listen(const std::string& address, int port);
  // Stops listening and closes every connection; no event follows for them.
  void Close();
  bool IsListening() const;
  // The port listened on; 0 when not listening.
  int Port() const;

  // Sends every byte to one client, waiting a bounded time while it does not
  // take them; false when the client is gone or the connection fails.
  bool Send(ClientId client, const uint8_t* data, size_t length);
  // Closes one or every connection without a closed event.
  void DropClient(ClientId client);
  void DropClients();
  std::vector<ClientId> Clients() const;
  // The client's port on its own side; 0 when the client is gone.
  int PeerPort(ClientId client) const;

 private:
  struct Core;
  std::shared_ptr<Core> core_;
};

}  // namespace platform
