#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "FrameBuffer.h"

namespace plcsim {

// The IBH-Link's frames as the gateway sees them: an 8-byte header whose third byte
// counts the body after it.
constexpr size_t kIbhHeader = 8;

inline size_t IbhFrameSize(const uint8_t* header) { return kIbhHeader + header[2]; }

inline FrameBuffer IbhFrameBuffer() { return FrameBuffer(3, &IbhFrameSize); }

// A frame from the gateway: channel FF 07, packet number, the four type bytes, body.
inline std::vector<uint8_t> IbhAnswer(uint8_t packet, const std::vector<uint8_t>& type,
                                      const std::vector<uint8_t>& body) {
  std::vector<uint8_t> frame{0xFF, 0x07, static_cast<uint8_t>(body.size()), packet};
  frame.insert(frame.end(), type.begin(), type.end());
  frame.insert(frame.end(), body.begin(), body.end());
  return frame;
}

}  // namespace plcsim
