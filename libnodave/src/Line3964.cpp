#include "Line3964.h"

#include <deque>

#include "Debug.h"
#include "Frame3964.h"
#include "SerialLine.h"
#include "Transport.h"

namespace nodave {
namespace {

// Each wait on the line has a time-out of its own: for the DLE after our STX or our
// block, for the adapter's STX, and for the adapter's block from its STX on.
// Failed tries at getting the line and at sending the block, together, before a send
// gives up: a silent adapter ends it after three time-outs.
constexpr int kSendTries = 3;
// Waits for the adapter's block, ended by silence or by a damaged block refused.
constexpr int kBlockWaits = 2;

struct Line3964State : daveTransportState {
  std::deque<Bytes> received;  // the adapter's blocks taken while we asked for the line
  bool granted = false;        // we hold the line: the next block goes without STX
  bool delivered = false;      // the adapter accepted the last block
};

Line3964State& LineState(daveInterface* di) { return StateOf<Line3964State>(di->state); }

int32_t WriteByte(daveInterface* di, uint8_t byte) { return LineWrite(di, Bytes{byte}); }

// The adapter sent STX: grants the line, reads its block within one time-out and
// accepts it with DLE, or refuses it with NAK (daveResLineErrors).
int32_t TakeBlock(daveInterface* di, Bytes& payload) {
  const Clock::time_point deadline = Deadline(di);
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

// Reads by the deadline up to the next control character (STX, DLE or NAK); the bytes
// before it are noise and set `noise`.
int32_t NextControl(daveInterface* di, Clock::time_point deadline, uint8_t& control, bool& noise) {
  for (;;) {
    const int32_t result = LineReadByte(di, control, deadline);
    if (result != daveResOK || control == kStx || control == kDle || control == kNak) {
      return result;
    }
    noise = true;
  }
}

// The adapter's answer to our STX or our block by the deadline: daveResOK for DLE,
// kStx when it asks for the line itself, daveResLineErrors for NAK or for a silence
// after noise.
int32_t AwaitAnswer(daveInterface* di, Clock::time_point deadline, uint8_t& answer) {
  bool noise = false;
  const int32_t result = NextControl(di, deadline, answer, noise);
  if (result != daveResOK) {
    return AfterGarble(result, noise);
  }
  return answer == kNak ? daveResLineErrors : daveResOK;
}

// One STX, and the adapter's answer by the deadline: daveResOK when it grants the
// line. An STX from the adapter means it asks at the same time and goes first: its
// block is taken and kept, and the line is not ours yet (daveResTimeout).
int32_t AskForLine(daveInterface* di, Line3964State& state, Clock::time_point deadline) {
  int32_t result = WriteByte(di, kStx);
  uint8_t answer = 0;
  if (result == daveResOK) {
    result = AwaitAnswer(di, deadline, answer);
  }
  if (result != daveResOK || answer == kDle) {
    return result;
  }
  Bytes block;
  result = TakeBlock(di, block);
  if (result == daveResOK) {
    state.received.push_back(block);
    result = daveResTimeout;
  }
  return result;
}

// Our block on the granted line, and the adapter's DLE for it by the deadline.
int32_t SendBlock(daveInterface* di, const Bytes& block, Clock::time_point deadline) {
  int32_t result = LineWrite(di, block);
  uint8_t answer = 0;
  if (result == daveResOK) {
    result = AwaitAnswer(di, deadline, answer);
  }
  if (result == daveResOK && answer != kDle) {
    result = daveResLineErrors;
  }
  if (result == daveResLineErrors) {
    DebugLine(di, daveDebugPrintErrors, "block refused by the adapter");
  }
  return result;
}

// Reads up to the adapter's STX by the deadline and takes its block. A DLE before it
// repeats a grant or an acknowledgement; noise or NAK, followed by silence, is
// daveResLineErrors.
int32_t AwaitBlock(daveInterface* di, Clock::time_point deadline, Bytes& telegram) {
  bool noise = false;
  for (;;) {
    uint8_t control = 0;
    const int32_t result = NextControl(di, deadline, control, noise);
    if (result != daveResOK) {
      return AfterGarble(result, noise);
    }
    if (control == kStx) {
      return TakeBlock(di, telegram);
    }
    noise = noise || control == kNak;
  }
}

}  // namespace

int32_t Line3964::Open(daveInterface* di) const {
  Line3964State& state = LineState(di);
  state.received.clear();
  state.granted = false;
  return daveResOK;
}

int32_t Line3964::Send(daveInterface* di, const Bytes& telegram) const {
  Line3964State& state = LineState(di);
  state.delivered = false;
  const Bytes block = FrameBlock(telegram);
  Tries tries(di, kSendTries);
  Clock::time_point deadline;
  while (tries.Next(deadline)) {
    int32_t result = daveResOK;
    if (state.granted) {
      state.granted = false;
      result = SendBlock(di, block, deadline);
      state.delivered = result == daveResOK;
      if (state.delivered) {
        return result;
      }
    } else {
      result = AskForLine(di, state, deadline);
      state.granted = result == daveResOK;
    }
    if (result == daveResWriteFailed) {
      return result;
    }
    if (result != daveResOK) {
      tries.Failed(result);
    }
  }
  return tries.Failure();
}

int32_t Line3964::Receive(daveInterface* di, Bytes& telegram) const {
  Line3964State& state = LineState(di);
  if (!state.received.empty()) {
    telegram = state.received.front();
    state.received.pop_front();
    return daveResOK;
  }
  return Retry(di, kBlockWaits,
               [&](Clock::time_point deadline) { return AwaitBlock(di, deadline, telegram); });
}

bool Line3964::Delivered(const daveInterface* di) const {
  const auto* state = dynamic_cast<const Line3964State*>(di->state);
  return state != nullptr && state->delivered;
}

int32_t Line3964::AfterConnect(daveInterface* di) const {
  if (!requestAfterConnect_) {
    return daveResOK;
  }
  Line3964State& state = LineState(di);
  const int32_t result = Retry(
      di, kSendTries, [&](Clock::time_point deadline) { return AskForLine(di, state, deadline); });
  state.granted = result == daveResOK;
  return result;
}

}  // namespace nodave
