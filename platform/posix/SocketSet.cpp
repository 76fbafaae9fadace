#include "SocketSet.h"

#include <sys/epoll.h>
#include <unistd.h>

namespace platform::detail {

SocketSet::SocketSet() : epoll_(epoll_create1(EPOLL_CLOEXEC)) {}

SocketSet::~SocketSet() {
  if (epoll_ >= 0) close(epoll_);
}

void SocketSet::Watch(int socket, WindowHandle window, uint32_t message) {
  std::lock_guard<std::mutex> guard(mutex_);
  auto found = targets_.find(socket);
  const bool known = found != targets_.end();
  if (!known) found = targets_.emplace(socket, Target{window, message, ++generation_}).first;
  epoll_event event{};
  event.events = EPOLLIN | EPOLLONESHOT;
  event.data.u64 = Tag(socket, found->second.generation);
  epoll_ctl(epoll_, known ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, socket, &event);
}

void SocketSet::Forget(int socket) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (targets_.erase(socket) == 1) epoll_ctl(epoll_, EPOLL_CTL_DEL, socket, nullptr);
}

int SocketSet::TakeReady(Message (&ready)[kMostReady]) {
  epoll_event events[kMostReady];
  const int count = epoll_ < 0 ? 0 : epoll_wait(epoll_, events, kMostReady, 0);
  int taken = 0;
  std::lock_guard<std::mutex> guard(mutex_);
  for (int i = 0; i < count; ++i) {
    const auto socket = static_cast<int>(events[i].data.u64 & 0xFFFFFFFFu);
    const auto found = targets_.find(socket);
    if (found != targets_.end() && Tag(socket, found->second.generation) == events[i].data.u64) {
      ready[taken++] =
          Message{found->second.window, found->second.message, static_cast<uintptr_t>(socket), 0};
    }
  }
  return taken;
}

}  // namespace platform::detail
