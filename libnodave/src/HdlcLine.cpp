#include "HdlcLine.h"

#include <algorithm>
#include <deque>

#include "Debug.h"
#include "HdlcFrame.h"
#include "SerialLine.h"
#include "Transport.h"

namespace nodave {
namespace {

// The session's opening, and our last data frame while its answer is missing, go out
// at most this often, each waiting one time-out for the answer: a silent adapter ends
// a step after three time-outs.
constexpr int kTransmissions = 3;
constexpr int kNoNumber = -1;

struct HdlcState : daveTransportState {
  uint8_t sendNumber = 0;          // of our next data frame
  uint8_t receiveNumber = 0;       // of the adapter's next data frame
  int lastPeerNumber = kNoNumber;  // of the adapter's last data frame, to drop repeats
  Bytes lastSent;                  // our last data frame
  uint8_t lastReady = 0;           // the receive-ready frame just seen, 0 for none
  bool heard = false;              // the adapter acknowledged our last data frame
  std::deque<uint8_t> ahead;       // bytes read while looking for a frame start
};

HdlcState& LineState(daveInterface* di) { return StateOf<HdlcState>(di->state); }

int32_t ReadBytes(daveInterface* di, HdlcState& state, uint8_t* out, size_t length,
                  Clock::time_point deadline) {
  size_t taken = 0;
  for (; taken < length && !state.ahead.empty(); ++taken) {
    out[taken] = state.ahead.front();
    state.ahead.pop_front();
  }
  return LineRead(di, out + taken, length - taken, deadline);
}

// The next frame: daveResOK, daveResLineErrors for a damaged one (dropped), or the
// read's failure. Bytes before a flag are skipped; so are repeated flags.
int32_t ReadFrame(daveInterface* di, HdlcState& state, Clock::time_point deadline,
                  HdlcFrame& frame) {
  uint8_t head[kHdlcHead] = {};
  do {
    const int32_t result = ReadBytes(di, state, head, 1, deadline);
    if (result != daveResOK) {
      return result;
    }
  } while (head[0] != kHdlcFlag);
  int32_t result = ReadBytes(di, state, head + 1, kHdlcHead - 1, deadline);
  while (result == daveResOK && head[1] == kHdlcFlag) {
    std::copy(head + 2, head + kHdlcHead, head + 1);
    result = ReadBytes(di, state, head + kHdlcHead - 1, 1, deadline);
  }
  if (result != daveResOK) {
    return result;
  }
  size_t rest = 0;
  const HeadKind kind = ClassifyHead(head, rest);
  if (kind == HeadKind::kInvalid) {
    state.ahead.insert(state.ahead.begin(), head + 1, head + kHdlcHead);  // look again
    return daveResLineErrors;
  }
  Bytes whole(head, head + kHdlcHead);
  whole.resize(kHdlcHead + rest);
  result = ReadBytes(di, state, whole.data() + kHdlcHead, rest, deadline);
  if (result != daveResOK) {
    return result;
  }
  if (!ParseFrame(whole, frame)) {
    DebugLine(di, daveDebugPrintErrors, "damaged frame from the adapter dropped");
    return daveResLineErrors;
  }
  return daveResOK;
}

// True when the frame's number says the adapter has our last data frame.
bool AcknowledgesLast(const HdlcState& state, uint8_t control) {
  return (control & kHdlcNumberMask) == state.sendNumber;
}

// A control frame within the session: the keep-alive is echoed, the rest skipped.
void TakeControl(daveInterface* di, HdlcState& state, uint8_t control) {
  if (!IsReadyControl(control)) {
    state.lastReady = 0;
    return;
  }
  state.heard = state.heard || AcknowledgesLast(state, control);
  if (control == state.lastReady) {
    LineWrite(di, ControlFrame(control));
    state.lastReady = 0;
    return;
  }
  state.lastReady = control;
}

// The adapter's answer to a control frame of ours; data frames are left over from
// before and skipped.
int32_t ReadControl(daveInterface* di, HdlcState& state, Clock::time_point deadline,
                    uint8_t& control) {
  for (;;) {
    HdlcFrame frame;
    const int32_t result = ReadFrame(di, state, deadline, frame);
    if (result == daveResOK && !frame.data) {
      control = frame.control;
      return result;
    }
    if (result != daveResOK && result != daveResLineErrors) {
      return result;
    }
  }
}

// One opening (FC) and the adapter's answer by the deadline. A refusal is answered
// with a close, as the adapter wants it before the next opening.
int32_t OpenOnce(daveInterface* di, HdlcState& state, Clock::time_point deadline) {
  int32_t result = LineWrite(di, ControlFrame(kHdlcOpen));
  uint8_t answer = 0;
  if (result == daveResOK) {
    result = ReadControl(di, state, deadline, answer);
  }
  if (result != daveResOK || answer == kHdlcAccept) {
    return result;
  }
  if (IsReadyControl(answer)) {  // still in a session: go on from its numbers
    state.sendNumber = state.receiveNumber = answer & kHdlcNumberMask;
    return daveResOK;
  }
  if (answer == kHdlcRefuse) {
    LineWrite(di, ControlFrame(kHdlcClose));
    ReadControl(di, state, Deadline(di), answer);
    return daveResAdapterRefused;
  }
  return answer == kHdlcClose ? daveResAdapterRefused : daveResTimeout;
}

// Reads frames by the deadline up to the adapter's next new data frame. Control
// frames are taken as TakeControl says; repeated and damaged frames are dropped.
int32_t AwaitData(daveInterface* di, HdlcState& state, Clock::time_point deadline,
                  Bytes& telegram) {
  bool damaged = false;
  for (;;) {
    HdlcFrame frame;
    const int32_t result = ReadFrame(di, state, deadline, frame);
    if (result == daveResLineErrors) {
      damaged = true;
      continue;
    }
    if (result != daveResOK) {
      return AfterGarble(result, damaged);
    }
    if (!frame.data) {
      TakeControl(di, state, frame.control);
      continue;
    }
    state.lastReady = 0;
    state.heard = state.heard || AcknowledgesLast(state, frame.control);
    const uint8_t number = SendNumberOf(frame.control);
    if (number == state.lastPeerNumber) {
      continue;  // the adapter repeated its frame
    }
    state.lastPeerNumber = number;
    state.receiveNumber = (number + 1) & kHdlcNumberMask;
    telegram = frame.payload;
    return daveResOK;
  }
}

}  // namespace

int32_t HdlcLine::Open(daveInterface* di) const {
  HdlcState& state = LineState(di);
  state = HdlcState{};
  return Retry(di, kTransmissions,
               [&](Clock::time_point deadline) { return OpenOnce(di, state, deadline); });
}

int32_t HdlcLine::Send(daveInterface* di, const Bytes& telegram) const {
  HdlcState& state = LineState(di);
  state.lastSent = DataFrame(DataControl(state.sendNumber, state.receiveNumber), telegram);
  state.sendNumber = (state.sendNumber + 1) & kHdlcNumberMask;
  state.heard = false;
  return LineWrite(di, state.lastSent);
}

int32_t HdlcLine::Receive(daveInterface* di, Bytes& telegram) const {
  HdlcState& state = LineState(di);
  Tries waits(di, kTransmissions);  // the first for the frame Send sent
  Clock::time_point deadline;
  for (bool repeat = false; waits.Next(deadline); repeat = true) {
    if (repeat && LineWrite(di, state.lastSent) != daveResOK) {
      return daveResWriteFailed;
    }
    const int32_t result = AwaitData(di, state, deadline, telegram);
    if (result != daveResTimeout && result != daveResLineErrors) {
      return result;
    }
    waits.Failed(result);
    if (state.lastSent.empty()) {
      break;  // nothing of ours to repeat
    }
  }
  return waits.Failure();
}

bool HdlcLine::Delivered(const daveInterface* di) const {
  const auto* state = dynamic_cast<const HdlcState*>(di->state);
  return state != nullptr && state->heard;
}

void HdlcLine::Close(daveInterface* di) const {
  HdlcState& state = LineState(di);
  if (LineWrite(di, ControlFrame(kHdlcClose)) == daveResOK) {
    uint8_t answer = 0;
    ReadControl(di, state, Deadline(di), answer);
  }
  state = HdlcState{};
}

}  // namespace nodave
