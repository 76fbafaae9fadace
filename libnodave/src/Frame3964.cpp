#include "Frame3964.h"

#include "MpiTelegram.h"

namespace nodave {

uint8_t BlockCheck(const Bytes& payload) {
  uint8_t check = kDle ^ kEtx;
  for (const uint8_t byte : payload) {
    if (byte != kDle) {  // a doubled DLE cancels itself
      check ^= byte;
    }
  }
  return check;
}

Bytes DleDoubled(const Bytes& data) {
  Bytes out;
  out.reserve(data.size() + 4);
  for (const uint8_t byte : data) {
    out.push_back(byte);
    if (byte == kDle) {
      out.push_back(kDle);
    }
  }
  return out;
}

Bytes FrameBlock(const Bytes& payload) {
  Bytes block = DleDoubled(payload);
  block.insert(block.end(), {kDle, kEtx, BlockCheck(payload)});
  return block;
}

void BlockReader::Keep(uint8_t byte) {
  if (payload_.size() < kMaxMpiTelegram) {
    payload_.push_back(byte);
  } else {
    tooLong_ = true;  // read on to the block's end, keeping nothing
  }
}

BlockReader::Step BlockReader::Take(uint8_t byte) {
  switch (state_) {
    case State::kData:
      if (byte == kStx && payload_.empty() && !tooLong_) {
        return Step::kMore;  // the sender's request repeated; no payload starts with STX
      }
      check_ ^= byte;
      if (byte == kDle) {
        state_ = State::kAfterDle;
      } else {
        Keep(byte);
      }
      return Step::kMore;
    case State::kAfterDle:
      check_ ^= byte;
      if (byte == kEtx) {
        state_ = State::kCheck;
        return Step::kMore;
      }
      if (byte != kDle) {
        return Step::kMalformed;
      }
      state_ = State::kData;
      Keep(byte);
      return Step::kMore;
    case State::kCheck:
      break;
  }
  if (tooLong_) {
    return Step::kTooLong;
  }
  return byte == check_ ? Step::kComplete : Step::kBadCheck;
}

}  // namespace nodave
