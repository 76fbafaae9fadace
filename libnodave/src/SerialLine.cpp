#include "SerialLine.h"

#include <limits>

#include "Debug.h"
#include "Ports.h"
#include "SerialPort.h"
#include "Transport.h"

namespace nodave {

int32_t LineWrite(daveInterface* di, const Bytes& bytes) {
  DebugBytes(di, daveDebugRawWrite, "serial send", bytes.data(), bytes.size());
  const auto length = static_cast<int32_t>(bytes.size());
  const char* data = reinterpret_cast<const char*>(bytes.data());
  if (di->writeFn == nullptr || di->writeFn(di, data, length) != length) {
    DebugLine(di, daveDebugPrintErrors, "serial send failed");
    return daveResWriteFailed;
  }
  return daveResOK;
}

int32_t LineRead(daveInterface* di, uint8_t* data, size_t length, Clock::time_point deadline) {
  if (length == 0) {
    return daveResOK;
  }
  if (Clock::now() >= deadline || di->readFn == nullptr ||
      length > size_t{std::numeric_limits<int32_t>::max()}) {
    return daveResTimeout;
  }
  const auto wanted = static_cast<int32_t>(length);
  if (di->readFn(di, reinterpret_cast<char*>(data), wanted) != wanted) {
    return daveResTimeout;
  }
  DebugBytes(di, daveDebugRawRead, "serial received", data, length);
  return daveResOK;
}

int32_t LineReadByte(daveInterface* di, uint8_t& byte, Clock::time_point deadline) {
  return LineRead(di, &byte, 1, deadline);
}

bool Tries::Next(Clock::time_point& deadline) const {
  deadline = Deadline(di_);
  return Left();
}

void Tries::Failed(int32_t result) {
  --left_;
  if (result != daveResTimeout || failure_ == daveResTimeout) {
    failure_ = result;
  }
}

int32_t DAVE_CALL PortRead(daveInterface* di, char* buffer, int32_t length) {
  if (di == nullptr || buffer == nullptr || length <= 0 || !IsOpenPort(di->fd.rfd)) {
    return 0;
  }
  const bool read = SerialRead(di->fd.rfd, reinterpret_cast<uint8_t*>(buffer),
                               static_cast<size_t>(length), Deadline(di));
  return read ? length : 0;
}

int32_t DAVE_CALL PortWrite(daveInterface* di, const char* buffer, int32_t length) {
  if (di == nullptr || buffer == nullptr || length < 0 || !IsOpenPort(di->fd.wfd)) {
    return 0;
  }
  const bool written = SerialWrite(di->fd.wfd, reinterpret_cast<const uint8_t*>(buffer),
                                   static_cast<size_t>(length));
  return written ? length : 0;
}

}  // namespace nodave
