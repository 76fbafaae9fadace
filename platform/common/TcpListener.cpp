// The TCP listener: its sockets, its clients and a hidden window of the creating
// thread. The platform's watcher reports a socket that is ready by a message to
// that window; connections are accepted and data is read there, so every event
// runs on the creating thread.
#include <map>
#include <mutex>
#include <stdexcept>

#include "SocketPrimitives.h"
#include "platform/Messages.h"
#include "platform/Sockets.h"
#include "platform/Sync.h"

namespace platform {
namespace {

using detail::kNoSocket;
using detail::NativeSocket;

constexpr uint32_t kMsgSocketReady = kMsgUser + 0x0150;  // wParam: the socket
constexpr uint32_t kMsgDestroy = kMsgUser + 0x0151;      // from a destructor on another thread

// How long a send waits for a client that takes no bytes.
constexpr uint32_t kSendWaitMs = 5000;
// What one message reads at most from a client, so a busy peer cannot hold the thread.
constexpr size_t kReadLimit = 1 << 20;

}  // namespace

struct TcpListener::Core {
  struct Client {
    NativeSocket socket;
    int peerPort;
  };

  explicit Core(ListenerEvents handlers) : events(std::move(handlers)) {}
  ~Core() { Close(); }

  // Lock order: `dispatch` before `mutex`; no event runs under `mutex`.
  mutable std::mutex mutex;
  NativeSocket listener = kNoSocket;
  int port = 0;
  std::map<ClientId, Client> clients;
  ClientId lastId = 0;
  std::unique_ptr<detail::SocketWatcher> watcher;  // gone once the listener is destroyed
  WindowHandle window = 0;

  // Held while an event runs; the destructor detaches the events under it.
  std::recursive_mutex dispatch;
  ListenerEvents events;

  bool Listen(const std::string& address, int wantedPort) {
    std::lock_guard<std::mutex> lock(mutex);
    if (listener != kNoSocket || !watcher) return false;
    listener = detail::OpenListeningSocket(address, wantedPort);
    if (listener == kNoSocket) return false;
    port = SocketLocalPort(listener);
    watcher->WatchListener(listener);
    return true;
  }

  void Close() {
    std::lock_guard<std::mutex> lock(mutex);
    if (listener != kNoSocket) {
      Release(listener);
      listener = kNoSocket;
      port = 0;
    }
    DropAllLocked();
  }

  void Release(NativeSocket socket) const {
    if (watcher) watcher->Forget(socket);
    detail::CloseSocket(socket);
  }

  void DropLocked(ClientId client) {
    const auto found = clients.find(client);
    if (found == clients.end()) return;
    Release(found->second.socket);
    clients.erase(found);
  }

  void DropAllLocked() {
    for (const auto& entry : clients) Release(entry.second.socket);
    clients.clear();
  }

  ClientId ClientOf(NativeSocket socket) const {
    for (const auto& entry : clients) {
      if (entry.second.socket == socket) return entry.first;
    }
    return 0;
  }

  std::vector<ClientId> AcceptWaitingLocked() {
    std::vector<ClientId> accepted;
    int peerPort = 0;
    for (NativeSocket socket = detail::AcceptConnection(listener, peerPort); socket != kNoSocket;
         socket = detail::AcceptConnection(listener, peerPort)) {
      clients[++lastId] = {socket, peerPort};
      accepted.push_back(lastId);
      if (watcher) watcher->WatchClient(socket);
    }
    if (watcher) watcher->Resume(listener);
    return accepted;
  }

  // Reads what the client has sent; true when the connection has ended (the
  // client is dropped then).
  bool ReadLocked(ClientId client, std::vector<uint8_t>& bytes) {
    const NativeSocket socket = clients.at(client).socket;
    uint8_t chunk[4096];
    while (bytes.size() < kReadLimit) {
      const ptrdiff_t count = detail::ReceiveSome(socket, chunk, sizeof chunk);
      if (count == detail::kNothingWaiting) break;
      if (count <= 0) {
        DropLocked(client);
        return true;
      }
      bytes.insert(bytes.end(), chunk, chunk + count);
      // A short read took all there was: asking again would only find nothing.
      if (static_cast<size_t>(count) < sizeof chunk) break;
    }
    if (watcher) watcher->Resume(socket);
    return false;
  }

  void OnSocketReady(NativeSocket socket) {
    std::vector<ClientId> accepted;
    ClientId client = 0;
    std::vector<uint8_t> bytes;
    bool ended = false;
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (socket == listener && listener != kNoSocket) {
        accepted = AcceptWaitingLocked();
      } else if ((client = ClientOf(socket)) != 0) {
        ended = ReadLocked(client, bytes);
      }
    }
    std::lock_guard<std::recursive_mutex> guard(dispatch);
    for (ClientId each : accepted) {
      if (events.connected) events.connected(each);
    }
    if (!bytes.empty() && events.received) events.received(client, bytes);
    if (ended && events.closed) events.closed(client);
  }

  static intptr_t Procedure(void* context, WindowHandle window, uint32_t message, uintptr_t wParam,
                            intptr_t lParam) {
    auto* reference = static_cast<std::shared_ptr<Core>*>(context);
    if (message == kMsgNcDestroy) {
      delete reference;
    } else if (message == kMsgDestroy) {
      DestroyMessageWindow(window);
    } else if (message == kMsgSocketReady) {
      const std::shared_ptr<Core> core = *reference;  // the handler may destroy the window
      core->OnSocketReady(static_cast<NativeSocket>(wParam));
    } else {
      return DefaultWindowProc(window, message, wParam, lParam);
    }
    return 0;
  }
};

TcpListener::TcpListener(ListenerEvents events) : core_(std::make_shared<Core>(std::move(events))) {
  auto* reference = new std::shared_ptr<Core>(core_);
  core_->window = CreateMessageWindow(&Core::Procedure, reference);
  if (core_->window == 0) {
    delete reference;
    throw std::runtime_error("The listener window could not be created");
  }
  core_->watcher = std::make_unique<detail::SocketWatcher>(core_->window, kMsgSocketReady);
}

TcpListener::~TcpListener() {
  {
    std::lock_guard<std::recursive_mutex> guard(core_->dispatch);
    core_->events = {};
  }
  core_->Close();
  std::unique_ptr<detail::SocketWatcher> watcher;
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    watcher = std::move(core_->watcher);
  }
  watcher.reset();
  if (WindowOwnerThreadId(core_->window) == CurrentThreadId()) {
    DestroyMessageWindow(core_->window);
  } else {
    PostMessageTo(core_->window, kMsgDestroy, 0, 0);
  }
}

bool TcpListener::Listen(const std::string& address, int port) {
  return core_->Listen(address, port);
}

void TcpListener::Close() { core_->Close(); }

bool TcpListener::IsListening() const {
  std::lock_guard<std::mutex> lock(core_->mutex);
  return core_->listener != kNoSocket;
}

int TcpListener::Port() const {
  std::lock_guard<std::mutex> lock(core_->mutex);
  return core_->port;
}

bool TcpListener::Send(ClientId client, const uint8_t* data, size_t length) {
  std::lock_guard<std::mutex> lock(core_->mutex);
  const auto found = core_->clients.find(client);
  return found != core_->clients.end() &&
         detail::SendAll(found->second.socket, data, length, kSendWaitMs);
}

void TcpListener::DropClient(ClientId client) {
  std::lock_guard<std::mutex> lock(core_->mutex);
  core_->DropLocked(client);
}

void TcpListener::DropClients() {
  std::lock_guard<std::mutex> lock(core_->mutex);
  core_->DropAllLocked();
}

std::vector<ClientId> TcpListener::Clients() const {
  std::lock_guard<std::mutex> lock(core_->mutex);
  std::vector<ClientId> ids;
  for (const auto& entry : core_->clients) ids.push_back(entry.first);
  return ids;
}

int TcpListener::PeerPort(ClientId client) const {
  std::lock_guard<std::mutex> lock(core_->mutex);
  const auto found = core_->clients.find(client);
  return found == core_->clients.end() ? 0 : found->second.peerPort;
}

}  // namespace platform
