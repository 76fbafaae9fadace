#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "ByteStream.h"

namespace plcsim {

// The time bytes take on a serial line of a given speed, 11 bits a character (start,
// 8 data, parity, stop), in both directions. With a speed of 0 bytes pass at once.
class LinePacing {
 public:
  explicit LinePacing(uint32_t baud);

  // Waits until `count` bytes that reached the simulator now would have arrived
  // over the line.
  void Received(size_t count);
  // Writes the bytes at the line's pace; false when the stream failed.
  bool Send(ByteStream& stream, const uint8_t* data, size_t size);

 private:
  using Clock = std::chrono::steady_clock;

  Clock::duration byteTime_{};
  Clock::time_point receiveFree_;
  Clock::time_point sendFree_;
};

}  // namespace plcsim
