#include "PtyLine.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace plcsim {
namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw SocketError(what + ": " + std::strerror(errno));
}

void MakeRaw(int terminal) {
  termios mode{};
  if (tcgetattr(terminal, &mode) == 0) {
    cfmakeraw(&mode);
    tcsetattr(terminal, TCSANOW, &mode);
  }
}

}  // namespace

PtyLine::PtyLine() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
    Fail("pseudo-terminal");
  }
  char name[128] = {};
  if (ptsname_r(master_, name, sizeof name) != 0) {
    Fail("pseudo-terminal name");
  }
  path_ = name;
  terminal_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (terminal_ < 0) {
    Fail("open " + path_);
  }
  MakeRaw(terminal_);
}

PtyLine::~PtyLine() {
  close(terminal_);
  close(master_);
}

size_t PtyLine::ReadSome(uint8_t* buffer, size_t size) {
  for (;;) {
    pollfd waits[2] = {{master_, POLLIN, 0}, {wake_.Handle(), POLLIN, 0}};
    if (poll(waits, 2, -1) < 0) {
      if (errno == EINTR) {
        continue;
      }
      return 0;
    }
    if (waits[1].revents != 0) {
      return 0;
    }
    const ssize_t got = read(master_, buffer, size);
    if (got > 0) {
      return static_cast<size_t>(got);
    }
    if (got < 0 && errno != EINTR && errno != EAGAIN) {
      return 0;
    }
  }
}

bool PtyLine::WriteAll(const uint8_t* buffer, size_t size) {
  while (size > 0) {
    const ssize_t written = write(master_, buffer, size);
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      return false;
    }
    buffer += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

}  // namespace plcsim
