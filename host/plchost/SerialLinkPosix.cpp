#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "SerialLink.h"

namespace plchost {

namespace {

// How long a write may wait for the port to take bytes.
constexpr int kWriteWaitMs = 5000;

speed_t SpeedOf(int baud) {
  switch (baud) {
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
    default:
      return B0;
  }
}

int Poll(int fd, short events, int timeoutMs) {
  pollfd entry{fd, events, 0};
  int ready;
  do {
    ready = poll(&entry, 1, timeoutMs);
  } while (ready < 0 && errno == EINTR);
  return ready;
}

class TSerialLink final : public IChannelLink {
 public:
  explicit TSerialLink(int fd) : FFd(fd) {}
  ~TSerialLink() override { close(FFd); }

  int Receive(uint8_t* buffer, size_t capacity, uint32_t timeoutMs, std::string& error) override {
    const int ready = Poll(FFd, POLLIN, static_cast<int>(timeoutMs));
    if (ready == 0) return 0;
    const ssize_t received = ready > 0 ? read(FFd, buffer, capacity) : -1;
    if (received > 0) return static_cast<int>(received);
    if (received < 0 && (errno == EAGAIN || errno == EINTR)) return 0;
    error = received == 0 ? "the serial port was closed" : std::strerror(errno);
    return -1;
  }

  bool Send(const uint8_t* data, size_t length) override {
    while (length > 0) {
      const ssize_t written = write(FFd, data, length);
      if (written > 0) {
        data += written;
        length -= static_cast<size_t>(written);
      } else if (written < 0 && (errno == EAGAIN || errno == EINTR)) {
        if (Poll(FFd, POLLOUT, kWriteWaitMs) <= 0) return false;
      } else {
        return false;
      }
    }
    return true;
  }

 private:
  int FFd;
};

bool SetUp(int fd, speed_t speed, TParity parity, std::string& error) {
  termios mode{};
  if (tcgetattr(fd, &mode) != 0) {
    error = std::strerror(errno);
    return false;
  }
  cfmakeraw(&mode);
  mode.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS);
  mode.c_cflag |= CS8 | CLOCAL | CREAD;
  if (parity != TParity::None) mode.c_cflag |= PARENB;
  if (parity == TParity::Odd) mode.c_cflag |= PARODD;
  mode.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  mode.c_cc[VMIN] = 0;
  mode.c_cc[VTIME] = 0;
  cfsetispeed(&mode, speed);
  cfsetospeed(&mode, speed);
  if (tcsetattr(fd, TCSANOW, &mode) != 0) {
    error = std::strerror(errno);
    return false;
  }
  tcflush(fd, TCIOFLUSH);
  return true;
}

}  // namespace

std::unique_ptr<IChannelLink> OpenSerialLink(const std::string& device, int baud, TParity parity,
                                             std::string& error) {
  const speed_t speed = SpeedOf(baud);
  if (speed == B0) {
    error = "the speed " + std::to_string(baud) + " baud is not supported";
    return nullptr;
  }
  const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = device + ": " + std::strerror(errno);
    return nullptr;
  }
  if (!SetUp(fd, speed, parity, error)) {
    error = device + ": " + error;
    close(fd);
    return nullptr;
  }
  return std::make_unique<TSerialLink>(fd);
}

}  // namespace plchost
