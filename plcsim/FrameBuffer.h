#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plcsim {

// Collects a byte stream and cuts it into frames whose first bytes tell their size,
// however the stream was split on its way.
class FrameBuffer {
 public:
  // The whole frame's size, given its first `headerSize` bytes.
  using SizeOf = size_t (*)(const uint8_t* header);

  FrameBuffer(size_t headerSize, SizeOf sizeOf) : headerSize_(headerSize), sizeOf_(sizeOf) {}

  void Add(const uint8_t* data, size_t size) { bytes_.insert(bytes_.end(), data, data + size); }

  // Takes the next complete frame; false while it has not all come.
  bool Next(std::vector<uint8_t>& frame) {
    if (bytes_.size() < headerSize_) {
      return false;
    }
    const size_t size = sizeOf_(bytes_.data());
    if (bytes_.size() < size) {
      return false;
    }
    frame.assign(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(size));
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(size));
    return true;
  }

 private:
  size_t headerSize_;
  SizeOf sizeOf_;
  std::vector<uint8_t> bytes_;
};

}  // namespace plcsim
