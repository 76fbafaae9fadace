#pragma once

#include "Bytes.h"

namespace nodave {

// Blocks of the 3964R procedure as the serial MPI adapters use it: after the STX/DLE
// handshake the sender sends the payload with every DLE doubled, then DLE ETX and a
// block check character; the receiver answers DLE (accepted) or NAK.

constexpr uint8_t kStx = 0x02;
constexpr uint8_t kEtx = 0x03;
constexpr uint8_t kDle = 0x10;
constexpr uint8_t kNak = 0x15;

// `data` with every DLE doubled, so that only a single DLE introduces a control code.
Bytes DleDoubled(const Bytes& data);
// XOR of every byte sent after the handshake (doubled DLEs included) up to DLE ETX.
uint8_t BlockCheck(const Bytes& payload);
// The bytes sent after the handshake: doubled payload, DLE ETX, block check.
Bytes FrameBlock(const Bytes& payload);

// Takes a received block byte by byte, undoing the doubling. STX bytes before the
// first payload byte are the sender's request repeated, and skipped.
class BlockReader {
 public:
  enum class Step {
    kMore,       // give the next byte
    kComplete,   // the payload is whole and its check is right
    kBadCheck,   // the block check does not match
    kMalformed,  // a DLE followed by neither DLE nor ETX
    kTooLong,    // more payload than a telegram holds (the block was read to its end)
  };

  Step Take(uint8_t byte);
  const Bytes& Payload() const { return payload_; }

 private:
  enum class State { kData, kAfterDle, kCheck };

  void Keep(uint8_t byte);

  State state_ = State::kData;
  uint8_t check_ = 0;
  bool tooLong_ = false;
  Bytes payload_;
};

}  // namespace nodave
