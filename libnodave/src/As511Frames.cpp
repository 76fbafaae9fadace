#include "As511Frames.h"

#include "Frame3964.h"

namespace nodave {
namespace as511 {
namespace {

// System parameters: addresses of the areas, big-endian.
constexpr size_t kInputsAt = 5;
constexpr size_t kOutputsAt = 7;
constexpr size_t kFlagsAt = 9;
constexpr size_t kTimersAt = 11;
constexpr size_t kCountersAt = 13;
constexpr size_t kSystemDataAt = 15;

// Block information: the address of data word 0, then the block's 5-word header.
constexpr size_t kAddressAt = 1;
constexpr size_t kMarkerAt = 3;
constexpr uint16_t kBlockMarker = 0x7070;
constexpr size_t kTypeAt = 5;
constexpr uint8_t kTypeMask = 0x3F;
constexpr uint8_t kValid = 0x40;
constexpr size_t kNumberAt = 6;
constexpr size_t kLengthAt = 11;  // in words, the header included
constexpr uint32_t kHeaderWords = 5;

constexpr size_t kEndMarkSize = 2;  // DLE ETX

}  // namespace

Bytes RequestHeader(const Bytes& header) {
  Bytes out = DleDoubled(header);  // the same doubling as in 3964R blocks
  out.push_back(kDle);
  out.push_back(kEot);
  return out;
}

Bytes BlockInfoHeader(uint8_t dataBlock) { return Bytes{kDataBlockType, dataBlock}; }

Bytes ReadMemoryHeader(uint16_t start, uint16_t end) {
  Bytes header;
  PutU16(header, start);
  PutU16(header, end);
  return header;
}

BlockReader::Step BlockReader::Feed(uint8_t byte) {
  if (!afterDle_ && byte == kDle) {
    afterDle_ = true;
    return Step::kMore;
  }
  if (afterDle_) {
    afterDle_ = false;
    if (byte == kEtx) {
      return Step::kEnd;
    }
    if (byte != kDle) {
      return Step::kBroken;
    }
  }
  if (data_.size() >= largest_) {
    return Step::kBroken;
  }
  data_.push_back(byte);
  return Step::kMore;
}

size_t BlockReader::LeastStillComing(size_t expected) const {
  if (afterDle_) {
    return 1;
  }
  return (expected > data_.size() ? expected - data_.size() : 0) + kEndMarkSize;
}

int32_t ParseSystemParameters(const Bytes& data, S5Areas& areas) {
  if (data.size() < kSystemParametersSize) {
    return daveResS5BadAnswer;
  }
  areas.inputs = GetU16(data, kInputsAt);
  areas.outputs = GetU16(data, kOutputsAt);
  areas.flags = GetU16(data, kFlagsAt);
  areas.timers = GetU16(data, kTimersAt);
  areas.counters = GetU16(data, kCountersAt);
  areas.systemData = GetU16(data, kSystemDataAt);
  return daveResOK;
}

int32_t ParseBlockInfo(const Bytes& data, uint8_t dataBlock, S5Block& block) {
  if (data.size() < kBlockInfoSize || GetU16(data, kMarkerAt) != kBlockMarker ||
      (data[kTypeAt] & kTypeMask) != kDataBlockType || data[kNumberAt] != dataBlock) {
    return daveResS5BadAnswer;
  }
  if ((data[kTypeAt] & kValid) == 0) {
    return daveResS5BlockMissing;  // deleted, or not yet complete
  }
  const uint32_t words = GetU16(data, kLengthAt);
  if (words < kHeaderWords) {
    return daveResS5BadAnswer;
  }
  block.address = GetU16(data, kAddressAt);
  block.size = 2 * (words - kHeaderWords);
  return daveResOK;
}

int32_t CheckReadAnswer(const Bytes& data, size_t count) {
  return data.size() == kReadLeadingBytes + count ? int32_t{daveResOK}
                                                  : int32_t{daveResS5BadAnswer};
}

}  // namespace as511
}  // namespace nodave
