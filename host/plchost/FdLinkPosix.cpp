#include "FdLinkPosix.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace plchost {

namespace {

// How long a send may wait for the peer or the port to take bytes.
constexpr int kSendWaitMs = 5000;

class TDescriptorLink final : public IChannelLink {
 public:
  TDescriptorLink(int fd, bool isSocket, const char* closedText)
      : FFd(fd), FIsSocket(isSocket), FClosedText(closedText) {}
  ~TDescriptorLink() override { close(FFd); }

  int Receive(uint8_t* buffer, size_t capacity, uint32_t timeoutMs, std::string& error) override {
    const int ready = PollDescriptor(FFd, POLLIN, static_cast<int>(timeoutMs));
    if (ready == 0) return 0;
    const ssize_t received = ready > 0 ? read(FFd, buffer, capacity) : -1;
    if (received > 0) return static_cast<int>(received);
    if (received < 0 && (errno == EAGAIN || errno == EINTR)) return 0;
    error = received == 0 ? FClosedText : std::strerror(errno);
    return -1;
  }

  bool Send(const uint8_t* data, size_t length) override {
    while (length > 0) {
      const ssize_t sent =
          FIsSocket ? send(FFd, data, length, MSG_NOSIGNAL) : write(FFd, data, length);
      if (sent > 0) {
        data += sent;
        length -= static_cast<size_t>(sent);
      } else if (sent < 0 && (errno == EAGAIN || errno == EINTR)) {
        if (PollDescriptor(FFd, POLLOUT, kSendWaitMs) <= 0) return false;
      } else {
        return false;
      }
    }
    return true;
  }

 private:
  int FFd;
  bool FIsSocket;
  const char* FClosedText;
};

}  // namespace

int PollDescriptor(int fd, short events, int timeoutMs) {
  pollfd entry{fd, events, 0};
  int ready;
  do {
    ready = poll(&entry, 1, timeoutMs);
  } while (ready < 0 && errno == EINTR);
  return ready;
}

std::unique_ptr<IChannelLink> MakeDescriptorLink(int fd, bool isSocket, const char* closedText) {
  return std::make_unique<TDescriptorLink>(fd, isSocket, closedText);
}

}  // namespace plchost
