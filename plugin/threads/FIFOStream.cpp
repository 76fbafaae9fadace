#include "threads/FIFOStream.h"

#include <algorithm>
#include <cstring>

namespace {

using FIFOGuard = TWriteGuard<TFIFOStream>;
using FIFOReadGuard = TReadGuard<TFIFOStream>;

int32_t CheckedSize(int32_t size) {
  if (size <= 0) {
    throw EFIFOStream("Invalid buffer size.");
  }
  return size;
}

void CheckLength(int32_t length) {
  if (length < 0) {
    throw EFIFOStream("Invalid length: negative.");
  }
}

// Checks a read or write request; false when it has nothing to move.
bool CheckTransfer(const void* buffer, int32_t length) {
  CheckLength(length);
  if (length > 0 && buffer == nullptr) {
    throw EFIFOStream("Invalid buffer: nil.");
  }
  return length > 0;
}

}  // namespace

TFIFOStream::TFIFOStream(int32_t size, bool overwrite, int32_t step)
    : store_(new uint8_t[CheckedSize(size)]), size_(size), step_(step), overwrite_(overwrite) {}

TFIFOStream::~TFIFOStream() noexcept {
  // Wait for an operation of another thread to finish before the store goes.
  FIFOGuard guard(*this);
  store_.reset();
}

int32_t TFIFOStream::Advance(int32_t position, int32_t length) const {
  const int32_t toEnd = size_ - position;
  return length < toEnd ? position + length : length - toEnd;
}

int32_t TFIFOStream::Count() {
  FIFOReadGuard guard(*this);
  return count_;
}

int32_t TFIFOStream::FreeSpace() {
  FIFOReadGuard guard(*this);
  return size_ - count_;
}

void TFIFOStream::DropOldest(int32_t count) {
  const int32_t dropped = std::min(count, count_);
  readPosition_ = Advance(readPosition_, dropped);
  count_ -= dropped;
}

void TFIFOStream::Discard(int32_t count) {
  CheckLength(count);
  FIFOGuard guard(*this);
  if (overwrite_) {
    DropOldest(count);
  }
}

void TFIFOStream::Write(const void* buffer, int32_t length) {
  if (!CheckTransfer(buffer, length)) {
    return;
  }
  FIFOGuard guard(*this);
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  if (length > size_ - count_) {
    if (!overwrite_) {
      throw EFIFOStream("Buffer over-run.");
    }
    if (length > size_) {
      // Only the last Size bytes would survive: skip the rest.
      bytes += length - size_;
      length = size_;
    }
    DropOldest(std::max(length - (size_ - count_), step_));
  }
  const int32_t first = std::min(length, size_ - writePosition_);
  std::memcpy(store_.get() + writePosition_, bytes, first);
  std::memcpy(store_.get(), bytes + first, length - first);
  writePosition_ = Advance(writePosition_, length);
  count_ += length;
}

void TFIFOStream::Read(void* buffer, int32_t length) {
  if (!CheckTransfer(buffer, length)) {
    return;
  }
  FIFOGuard guard(*this);
  if (length > count_) {
    throw EFIFOStream("Buffer under-run.");
  }
  auto* bytes = static_cast<uint8_t*>(buffer);
  const int32_t first = std::min(length, size_ - readPosition_);
  std::memcpy(bytes, store_.get() + readPosition_, first);
  std::memcpy(bytes + first, store_.get(), length - first);
  readPosition_ = Advance(readPosition_, length);
  count_ -= length;
}
