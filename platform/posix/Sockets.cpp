// BSD sockets beneath the TCP listener. One thread of the process waits with
// epoll on every watched socket and posts each ready one to its owner's window;
// it watches that socket again once the owner has accepted from or read it.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "../common/SocketPrimitives.h"
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

// One epoll set and one thread serve the watchers of every listener in the
// process. A socket is watched one-shot: once reported it stays quiet until its
// owner resumes it, and resuming re-arms it without waking the thread.
class Poller {
 public:
  // The process's poller, made on first use; it ends with its last user.
  static std::shared_ptr<Poller> Shared() {
    static std::mutex lock;
    static std::weak_ptr<Poller> shared;
    std::lock_guard<std::mutex> guard(lock);
    std::shared_ptr<Poller> poller = shared.lock();
    if (!poller) {
      poller = std::make_shared<Poller>();
      shared = poller;
    }
    return poller;
  }

  Poller() : epoll_(epoll_create1(EPOLL_CLOEXEC)), stop_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    epoll_event stop{};
    stop.events = EPOLLIN;
    stop.data.u64 = kStopTag;
    if (epoll_ >= 0 && stop_ >= 0 && epoll_ctl(epoll_, EPOLL_CTL_ADD, stop_, &stop) == 0) {
      thread_ = std::thread(&Poller::Run, this);
    }
  }

  ~Poller() {
    if (thread_.joinable()) {
      const uint64_t one = 1;
      while (write(stop_, &one, sizeof one) < 0 && errno == EINTR) {
      }
      thread_.join();
    }
    for (int handle : {epoll_, stop_}) {
      if (handle >= 0) close(handle);
    }
  }
  Poller(const Poller&) = delete;
  Poller& operator=(const Poller&) = delete;

  // Reports the socket once to the window when it is ready: registers it, or
  // re-arms it when it is registered already.
  void Watch(int socket, WindowHandle window, uint32_t message) {
    std::lock_guard<std::mutex> guard(mutex_);
    auto found = targets_.find(socket);
    const bool known = found != targets_.end();
    if (!known) found = targets_.emplace(socket, Target{window, message, ++generation_}).first;
    epoll_event event{};
    event.events = EPOLLIN | EPOLLONESHOT;
    event.data.u64 = Tag(socket, found->second.generation);
    epoll_ctl(epoll_, known ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, socket, &event);
  }

  // No report for the socket from now on; before it is closed.
  void Forget(int socket) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (targets_.erase(socket) == 1) epoll_ctl(epoll_, EPOLL_CTL_DEL, socket, nullptr);
  }

 private:
  struct Target {
    WindowHandle window;
    uint32_t message;
    uint32_t generation;  // tells a socket from an earlier one of the same number
  };
  static constexpr uint64_t kStopTag = ~uint64_t{0};
  static constexpr int kEventsPerWait = 64;

  static uint64_t Tag(int socket, uint32_t generation) {
    return (uint64_t{generation} << 32) | static_cast<uint32_t>(socket);
  }

  void Run() {
    epoll_event events[kEventsPerWait];
    for (;;) {
      const int count = epoll_wait(epoll_, events, kEventsPerWait, -1);
      if (count < 0 && errno == EINTR) continue;
      if (count < 0) return;
      std::lock_guard<std::mutex> guard(mutex_);
      for (int i = 0; i < count; ++i) {
        if (events[i].data.u64 == kStopTag) return;
        const auto socket = static_cast<int>(events[i].data.u64 & 0xFFFFFFFFu);
        const auto found = targets_.find(socket);
        if (found != targets_.end() &&
            Tag(socket, found->second.generation) == events[i].data.u64) {
          PostMessageTo(found->second.window, found->second.message, static_cast<uintptr_t>(socket),
                        0);
        }
      }
    }
  }

  const int epoll_;
  const int stop_;
  std::mutex mutex_;
  std::map<int, Target> targets_;
  uint32_t generation_ = 0;
  std::thread thread_;
};

struct SocketWatcher::Native {
  Native(WindowHandle owner, uint32_t ready) : window(owner), message(ready) {}

  const WindowHandle window;
  const uint32_t message;
  const std::shared_ptr<Poller> poller = Poller::Shared();
};

SocketWatcher::SocketWatcher(WindowHandle window, uint32_t message)
    : native_(std::make_unique<Native>(window, message)) {}

SocketWatcher::~SocketWatcher() = default;

void SocketWatcher::WatchListener(NativeSocket socket) { Resume(socket); }

void SocketWatcher::WatchClient(NativeSocket socket) { Resume(socket); }

void SocketWatcher::Resume(NativeSocket socket) {
  native_->poller->Watch(static_cast<int>(socket), native_->window, native_->message);
}

void SocketWatcher::Forget(NativeSocket socket) {
  native_->poller->Forget(static_cast<int>(socket));
}

}  // namespace detail
}  // namespace platform
