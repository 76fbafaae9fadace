#include "DescriptorPosix.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace nodave {
namespace {

// Milliseconds until the deadline, for poll; 0 once it has passed.
int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

bool WaitReadable(int fd, Clock::time_point deadline) {
  pollfd entry{fd, POLLIN, 0};
  int ready;
  do {
    ready = poll(&entry, 1, MillisecondsLeft(deadline));
  } while (ready < 0 && errno == EINTR);
  return ready > 0;
}

ReceiveStatus ReadAll(int fd, uint8_t* data, size_t length, Clock::time_point deadline) {
  while (length > 0) {
    if (!WaitReadable(fd, deadline)) {
      return ReceiveStatus::kTimeout;
    }
    const ssize_t received = read(fd, data, length);
    if (received < 0 && (errno == EINTR || errno == EAGAIN)) {
      continue;
    }
    if (received <= 0) {
      return ReceiveStatus::kClosed;
    }
    data += received;
    length -= static_cast<size_t>(received);
  }
  return ReceiveStatus::kOk;
}

}  // namespace nodave
