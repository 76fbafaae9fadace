#pragma once

#include <cstddef>
#include <cstdint>

namespace plcsim {

// Either end of a byte line the simulator serves: a TCP connection (as a serial
// device server carries a serial line) or a pseudo-terminal.
class ByteStream {
 public:
  virtual ~ByteStream() = default;
  // Waits for bytes and reads at most `size` of them; 0 once the stream has ended.
  virtual size_t ReadSome(uint8_t* buffer, size_t size) = 0;
  virtual bool WriteAll(const uint8_t* buffer, size_t size) = 0;
};

}  // namespace plcsim
