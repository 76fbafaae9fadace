#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plcsim {

// Wire and PLC memory are big-endian.
inline uint16_t BigEndian16(const uint8_t* bytes) {
  return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

inline void Append16(std::vector<uint8_t>& bytes, size_t value) {
  bytes.insert(bytes.end(), {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)});
}

}  // namespace plcsim
