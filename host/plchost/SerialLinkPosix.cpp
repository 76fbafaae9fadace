#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "FdLinkPosix.h"
#include "SerialLink.h"

namespace plchost {

namespace {

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
  return MakeDescriptorLink(fd, false, "the serial port was closed");
}

}  // namespace plchost
