#include "Mpi3964Personality.h"

namespace plcsim {
namespace {

constexpr uint8_t kStx = 0x02;
constexpr uint8_t kEtx = 0x03;
constexpr uint8_t kDle = 0x10;
constexpr uint8_t kNak = 0x15;
constexpr size_t kLongestBlock = 255;
constexpr int kTries = 6;

// Doubled payload, DLE ETX, and the XOR of all of it.
Bytes Framed(const Bytes& payload) {
  Bytes block;
  for (const uint8_t byte : payload) {
    block.push_back(byte);
    if (byte == kDle) {
      block.push_back(kDle);
    }
  }
  block.push_back(kDle);
  block.push_back(kEtx);
  uint8_t check = 0;
  for (const uint8_t byte : block) {
    check ^= byte;
  }
  block.push_back(check);
  return block;
}

}  // namespace

Bytes Mpi3964Personality::OnBytes(const uint8_t* data, size_t size) {
  Bytes out;
  for (size_t i = 0; i < size; ++i) {
    OnByte(data[i], out);
  }
  return out;
}

void Mpi3964Personality::OnByte(uint8_t byte, Bytes& out) {
  switch (state_) {
    case State::kIdle:
      if (byte == kStx) {  // a DLE here grants a line we did not ask for: nothing to send
        out.push_back(kDle);
        block_.clear();
        afterDle_ = awaitCheck_ = tooLong_ = false;
        check_ = 0;
        state_ = State::kReceiving;
      }
      return;
    case State::kReceiving:
      Receive(byte, out);
      return;
    case State::kAwaitGrant:
      if (byte == kDle) {
        const Bytes block = Framed(outgoing_.front());
        out.insert(out.end(), block.begin(), block.end());
        state_ = State::kAwaitAck;
      } else if (byte == kStx) {
        out.push_back(kStx);  // both asked: ours goes first, so ask again
      } else if (byte == kNak) {
        SendAgain(out);
      }
      return;
    case State::kAwaitAck:
      if (byte == kDle) {
        outgoing_.pop_front();
        tries_ = 0;
        NextBlock(out);
      } else if (byte == kNak || byte == kStx) {  // refused, or not taken
        SendAgain(out);
      }
      return;
  }
}

void Mpi3964Personality::Receive(uint8_t byte, Bytes& out) {
  if (awaitCheck_) {
    BlockEnded(byte, out);
    return;
  }
  if (byte == kStx && block_.empty() && !afterDle_) {
    out.push_back(kDle);  // the request repeated: grant it again
    return;
  }
  check_ ^= byte;
  if (afterDle_) {
    afterDle_ = false;
    if (byte == kEtx) {
      awaitCheck_ = true;
      return;
    }
    if (byte != kDle) {  // a lone DLE: the block is broken
      out.push_back(kNak);
      state_ = State::kIdle;
      return;
    }
  } else if (byte == kDle) {
    afterDle_ = true;
    return;
  }
  if (block_.size() < kLongestBlock) {
    block_.push_back(byte);
  } else {
    tooLong_ = true;
  }
}

void Mpi3964Personality::BlockEnded(uint8_t check, Bytes& out) {
  state_ = State::kIdle;
  if (check != check_ || tooLong_ || block_.empty()) {
    out.push_back(kNak);
    return;
  }
  out.push_back(kDle);
  for (Bytes& answer : adapter_.OnTelegram(block_)) {
    outgoing_.push_back(std::move(answer));
  }
  NextBlock(out);
}

void Mpi3964Personality::StartSending(Bytes& out) {
  out.push_back(kStx);
  state_ = State::kAwaitGrant;
}

void Mpi3964Personality::SendAgain(Bytes& out) {
  if (++tries_ >= kTries) {
    outgoing_.pop_front();
    tries_ = 0;
    NextBlock(out);
    return;
  }
  StartSending(out);
}

void Mpi3964Personality::NextBlock(Bytes& out) {
  if (outgoing_.empty()) {
    state_ = State::kIdle;
  } else {
    StartSending(out);
  }
}

}  // namespace plcsim
