#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace nodave {

using Bytes = std::vector<uint8_t>;

// Big-endian fields, as every multi-byte field on the wire is.
inline void PutU16(Bytes& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

inline void PutU24(Bytes& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value >> 16));
  PutU16(out, value);
}

// The caller has checked that offset + 2 <= size.
inline uint16_t GetU16(const Bytes& in, size_t offset) {
  return static_cast<uint16_t>(in[offset] << 8 | in[offset + 1]);
}

}  // namespace nodave
