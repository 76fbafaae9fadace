#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "DescriptorPosix.h"
#include "SerialPort.h"

namespace nodave {
namespace {

// The termios speed of a baud rate, or B0 for one a serial port does not run at.
speed_t SpeedOf(int32_t baud) {
  switch (baud) {
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
    default:
      return B0;
  }
}

// The parity bits of 'E', 'O' or 'N'; false for any other character.
bool ParityFlags(char parity, tcflag_t& flags) {
  switch (parity) {
    case 'E':
    case 'e':
      flags = PARENB;
      return true;
    case 'O':
    case 'o':
      flags = PARENB | PARODD;
      return true;
    case 'N':
    case 'n':
      flags = 0;
      return true;
    default:
      return false;
  }
}

bool Configure(int fd, speed_t speed, tcflag_t parity) {
  termios mode{};
  if (tcgetattr(fd, &mode) != 0) {
    return false;
  }
  cfmakeraw(&mode);
  mode.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS);
  mode.c_cflag |= CS8 | CLOCAL | CREAD | parity;
  mode.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
  mode.c_cc[VMIN] = 1;
  mode.c_cc[VTIME] = 0;
  return cfsetispeed(&mode, speed) == 0 && cfsetospeed(&mode, speed) == 0 &&
         tcsetattr(fd, TCSANOW, &mode) == 0 && tcflush(fd, TCIFLUSH) == 0;
}

}  // namespace

int32_t SerialOpen(const char* name, int32_t baud, char parity) {
  const speed_t speed = SpeedOf(baud);
  tcflag_t parityFlags = 0;
  if (speed == B0 || !ParityFlags(parity, parityFlags)) {
    return 0;
  }
  const int fd = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    return 0;
  }
  if (fd == 0 || !Configure(fd, speed, parityFlags)) {  // 0 means failure to callers
    close(fd);
    return 0;
  }
  return fd;
}

void SerialClose(int32_t handle) { close(handle); }

bool SerialWrite(int32_t handle, const uint8_t* data, size_t length) {
  while (length > 0) {
    const ssize_t written = write(handle, data, length);
    if (written < 0 && (errno == EINTR || errno == EAGAIN)) {
      continue;
    }
    if (written <= 0) {
      return false;
    }
    data += written;
    length -= static_cast<size_t>(written);
  }
  return true;
}

bool SerialRead(int32_t handle, uint8_t* data, size_t length, Clock::time_point deadline) {
  return ReadAll(handle, data, length, deadline) == ReceiveStatus::kOk;
}

}  // namespace nodave
