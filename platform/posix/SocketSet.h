#pragma once

// The sockets watched for the windows of one thread: an epoll set that the
// thread's message waits watch too, so a socket that becomes ready wakes its
// owner thread itself. A socket is watched one-shot: once reported it stays
// quiet until its owner resumes it, and resuming re-arms it without a wake-up.

#include <cstdint>
#include <map>
#include <mutex>

#include "platform/Messages.h"

namespace platform::detail {

class SocketSet {
 public:
  SocketSet();
  ~SocketSet();
  SocketSet(const SocketSet&) = delete;
  SocketSet& operator=(const SocketSet&) = delete;

  // The epoll descriptor, readable while a watched socket is ready; -1 when the
  // system gave none (then nothing is reported).
  int Descriptor() const { return epoll_; }
  // Reports the socket once to the window when it is ready: registers it, or
  // re-arms it when it is registered already. Any thread.
  void Watch(int socket, WindowHandle window, uint32_t message);
  // No report for the socket from now on; before it is closed. Any thread.
  void Forget(int socket);
  static constexpr int kMostReady = 64;
  // The messages for the sockets ready now (wParam: the socket), at most
  // kMostReady at a time, without waiting; returns how many it wrote.
  int TakeReady(Message (&ready)[kMostReady]);

 private:
  struct Target {
    WindowHandle window;
    uint32_t message;
    uint32_t generation;  // tells a socket from an earlier one of the same number
  };

  static uint64_t Tag(int socket, uint32_t generation) {
    return (uint64_t{generation} << 32) | static_cast<uint32_t>(socket);
  }

  const int epoll_;
  std::mutex mutex_;
  std::map<int, Target> targets_;
  uint32_t generation_ = 0;
};

}  // namespace platform::detail
