#include "LinePacing.h"

#include <algorithm>
#include <thread>

namespace plcsim {
namespace {

constexpr int64_t kBitsPerCharacter = 11;

}  // namespace

LinePacing::LinePacing(uint32_t baud) {
  if (baud > 0) {
    byteTime_ = std::chrono::duration_cast<Clock::duration>(
        std::chrono::nanoseconds(kBitsPerCharacter * 1000000000 / baud));
  }
}

void LinePacing::Received(size_t count) {
  if (byteTime_ == Clock::duration::zero()) {
    return;
  }
  receiveFree_ = std::max(receiveFree_, Clock::now()) + byteTime_ * static_cast<int64_t>(count);
  std::this_thread::sleep_until(receiveFree_);
}

bool LinePacing::Send(ByteStream& stream, const uint8_t* data, size_t size) {
  if (byteTime_ == Clock::duration::zero()) {
    return stream.WriteAll(data, size);
  }
  sendFree_ = std::max(sendFree_, Clock::now());
  for (size_t k = 0; k < size; ++k) {
    sendFree_ += byteTime_;
    std::this_thread::sleep_until(sendFree_);
    if (!stream.WriteAll(data + k, 1)) {
      return false;
    }
  }
  return true;
}

}  // namespace plcsim
