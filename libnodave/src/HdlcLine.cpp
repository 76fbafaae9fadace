#include "HdlcLine.h"

#include <algorithm>
#include <deque>

#include "Debug.h"
#include "HdlcFrame.h"
#include "SerialLine.h"
#include "Transport.h"

namespace nodave {
namespace {

constexpr int kOpenAttempts = 3;
constexpr int kRepeats = 3;  // our last frame sent again while its answer is missing
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

}  // namespace

int32_t HdlcLine::Open(daveInterface* di, Clock::time_point deadline) const {
  HdlcState& state = LineState(di);
  state = HdlcState{};
  bool refused = false;
  for (int attempt = 0; attempt < kOpenAttempts && Clock::now() < deadline; ++attempt) {
    int32_t result = LineWrite(di, ControlFrame(kHdlcOpen));
    uint8_t answer = 0;
    if (result == daveResOK) {
      result = ReadControl(di, state, deadline, answer);
    }
    if (result == daveResWriteFailed) {
      return result;
    }
    if (result != daveResOK) {
      continue;
    }
    if (answer == kHdlcAccept) {
      return daveResOK;
    }
    if (IsReadyControl(answer)) {  // still in a session: go on from its numbers
      state.sendNumber = state.receiveNumber = answer & kHdlcNumberMask;
      return daveResOK;
    }
    if (answer == kHdlcRefuse) {  // close first, then open again
      LineWrite(di, ControlFrame(kHdlcClose));
      ReadControl(di, state, deadline, answer);
    }
    refused = refused || answer == kHdlcRefuse || answer == kHdlcClose;
  }
  return refused ? daveResAdapterRefused : daveResTimeout;
}

int32_t HdlcLine::Send(daveInterface* di, const Bytes& telegram,
                       Clock::time_point /*deadline*/) const {
  HdlcState& state = LineState(di);
  state.lastSent = DataFrame(DataControl(state.sendNumber, state.receiveNumber), telegram);
  state.sendNumber = (state.sendNumber + 1) & kHdlcNumberMask;
  state.heard = false;
  return LineWrite(di, state.lastSent);
}

int32_t HdlcLine::Receive(daveInterface* di, Clock::time_point deadline, Bytes& telegram) const {
  HdlcState& state = LineState(di);
  bool errors = false;
  int repeats = 0;
  for (;;) {
    HdlcFrame frame;
    const int32_t result = ReadFrame(di, state, deadline, frame);
    if (result == daveResLineErrors) {
      errors = true;
      continue;
    }
    if (result != daveResOK) {
      if (result != daveResTimeout || Clock::now() >= deadline || state.lastSent.empty() ||
          repeats == kRepeats) {
        return errors && result == daveResTimeout ? daveResLineErrors : result;
      }
      ++repeats;
      LineWrite(di, state.lastSent);
      continue;
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

bool HdlcLine::Delivered(const daveInterface* di) const {
  const auto* state = dynamic_cast<const HdlcState*>(di->state);
  return state != nullptr && state->heard;
}

void HdlcLine::Close(daveInterface* di, Clock::time_point deadline) const {
  HdlcState& state = LineState(di);
  if (LineWrite(di, ControlFrame(kHdlcClose)) == daveResOK) {
    uint8_t answer = 0;
    ReadControl(di, state, deadline, answer);
  }
  state = HdlcState{};
}

}  // namespace nodave
