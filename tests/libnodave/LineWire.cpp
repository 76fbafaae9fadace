#include "LineWire.h"

#include <algorithm>
#include <thread>

void LineWire::Attach(daveInterface* di) {
  di->readFn = &LineWire::Read;
  di->writeFn = &LineWire::Write;
  di->userData = this;
}

int32_t DAVE_CALL LineWire::Read(daveInterface* di, char* buffer, int32_t length) {
  auto& wire = *static_cast<LineWire*>(di->userData);
  if (length <= 0 || wire.pending_.size() < static_cast<size_t>(length)) {
    if (wire.silenceLasts) {
      std::this_thread::sleep_for(std::chrono::microseconds(di->timeout));
    }
    return 0;
  }
  std::this_thread::sleep_for(wire.byteGap * length);
  std::copy_n(wire.pending_.begin(), length, buffer);
  wire.pending_.erase(wire.pending_.begin(), wire.pending_.begin() + length);
  return length;
}

int32_t DAVE_CALL LineWire::Write(daveInterface* di, const char* buffer, int32_t length) {
  auto& wire = *static_cast<LineWire*>(di->userData);
  Bytes bytes(buffer, buffer + length);
  wire.writes_.push_back(bytes);
  if (wire.toPlc) {
    wire.toPlc(bytes);
  }
  Bytes answer = wire.farEnd_.OnBytes(bytes.data(), bytes.size());
  if (wire.fromPlc) {
    wire.fromPlc(answer);
  }
  wire.pending_.insert(wire.pending_.end(), answer.begin(), answer.end());
  return length;
}
