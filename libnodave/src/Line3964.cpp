#include "Line3964.h"

#include <deque>

#include "Debug.h"
#include "Frame3964.h"
#include "SerialLine.h"
#include "Transport.h"

namespace nodave {
namespace {

// Tries at getting the line, and at sending one block, before giving up.
constexpr int kAttempts = 6;

struct Line3964State : daveTransportState {
  std::deque<Bytes> received;  // the adapter's blocks taken while we asked for the line
  bool granted = false;        // we hold the line: the next block goes without STX
  bool delivered = false;      // the adapter accepted the last block
};

Line3964State& LineState(daveInterface* di) { return StateOf<Line3964State>(di->state); }

int32_t WriteByte(daveInterface* di, uint8_t byte) { return LineWrite(di, Bytes{byte}); }

// The adapter sent STX: grants the line, reads its block and accepts it with DLE, or
// refuses it with NAK (daveResLineErrors).
int32_t TakeBlock(daveInterface* di, Clock::time_point deadline, Bytes& payload) {
  int32_t result = WriteByte(di, kDle);
  BlockReader reader;
  BlockReader::Step step = BlockReader::Step::kMore;
  while (result == daveResOK && step == BlockReader::Step::kMore) {
    uint8_t byte = 0;
    result = LineReadByte(di, byte, deadline);
    if (result == daveResOK) {
      step = reader.Take(byte);
    }
  }
  if (result != daveResOK) {
    return result;
  }
  if (step != BlockReader::Step::kComplete) {
    DebugLine(di, daveDebugPrintErrors, "damaged block from the adapter refused (NAK)");
    WriteByte(di, kNak);
    return daveResLineErrors;
  }
  payload = reader.Payload();
  return WriteByte(di, kDle);
}

// Asks for the line (STX) until the adapter grants it (DLE). An STX from the adapter
// means it asks at the same time and goes first: its block is taken and kept.
int32_t RequestLine(daveInterface* di, Line3964State& state, Clock::time_point deadline) {
  bool errors = false;
  for (int attempt = 0; attempt < kAttempts && Clock::now() < deadline; ++attempt) {
    int32_t result = WriteByte(di, kStx);
    if (result != daveResOK) {
      return result;
    }
    uint8_t answer = 0;
    result = LineReadByte(di, answer, deadline);
    if (result == daveResOK && answer == kDle) {
      return daveResOK;
    }
    if (result == daveResOK && answer == kStx) {
      Bytes block;
      if (TakeBlock(di, deadline, block) == daveResOK) {
        state.received.push_back(block);
      } else {
        errors = true;
      }
    } else if (result == daveResOK) {
      errors = true;  // NAK, or a byte that has no place here
    }
  }
  return errors ? daveResLineErrors : daveResTimeout;
}

}  // namespace

int32_t Line3964::Open(daveInterface* di, Clock::time_point /*deadline*/) const {
  Line3964State& state = LineState(di);
  state.received.clear();
  state.granted = false;
  return daveResOK;
}

int32_t Line3964::Send(daveInterface* di, const Bytes& telegram, Clock::time_point deadline) const {
  Line3964State& state = LineState(di);
  state.delivered = false;
  const Bytes block = FrameBlock(telegram);
  bool errors = false;
  for (int attempt = 0; attempt < kAttempts && Clock::now() < deadline; ++attempt) {
    int32_t result = state.granted ? daveResOK : RequestLine(di, state, deadline);
    state.granted = false;
    if (result == daveResOK) {
      result = LineWrite(di, block);
    }
    if (result != daveResOK) {
      return errors && result == daveResTimeout ? daveResLineErrors : result;
    }
    uint8_t answer = 0;
    result = LineReadByte(di, answer, deadline);
    if (result == daveResOK && answer == kDle) {
      state.delivered = true;
      return daveResOK;
    }
    if (result == daveResOK) {
      DebugLine(di, daveDebugPrintErrors, "block refused by the adapter, sent again");
      errors = true;
    }
  }
  return errors ? daveResLineErrors : daveResTimeout;
}

int32_t Line3964::Receive(daveInterface* di, Clock::time_point deadline, Bytes& telegram) const {
  Line3964State& state = LineState(di);
  if (!state.received.empty()) {
    telegram = state.received.front();
    state.received.pop_front();
    return daveResOK;
  }
  bool errors = false;
  int refused = 0;
  for (;;) {
    uint8_t byte = 0;
    int32_t result = LineReadByte(di, byte, deadline);
    if (result == daveResOK && byte == kStx) {
      result = TakeBlock(di, deadline, telegram);
      if (result == daveResOK) {
        return result;
      }
      if (result == daveResLineErrors && ++refused < kAttempts) {
        errors = true;
        continue;  // the adapter sends the block again
      }
    }
    if (result != daveResOK) {
      return errors && result == daveResTimeout ? daveResLineErrors : result;
    }
    // A DLE here repeats a grant or acknowledgement; anything else is noise.
    errors = errors || byte != kDle;
  }
}

bool Line3964::Delivered(const daveInterface* di) const {
  const auto* state = dynamic_cast<const Line3964State*>(di->state);
  return state != nullptr && state->delivered;
}

int32_t Line3964::AfterConnect(daveInterface* di, Clock::time_point deadline) const {
  if (!requestAfterConnect_) {
    return daveResOK;
  }
  Line3964State& state = LineState(di);
  const int32_t result = RequestLine(di, state, deadline);
  state.granted = result == daveResOK;
  return result;
}

}  // namespace nodave
