#include "As511Line.h"

#include <chrono>
#include <string>
#include <thread>

#include "As511Frames.h"
#include "Debug.h"
#include "SerialLine.h"
#include "Transport.h"

namespace nodave {
namespace as511 {
namespace {

// A PLC gives up a transaction after this gap, and wants this pause after a refusal.
// The pause we keep is a little longer: the PLC counts from the last byte it saw, and
// a sleep may end a tick early, so a pause of exactly the gap can find it still busy.
constexpr std::chrono::milliseconds kPlcGiveUp(500);
constexpr std::chrono::milliseconds kQuietPause = kPlcGiveUp + std::chrono::milliseconds(50);
// Bytes of an earlier, broken transaction skipped while looking for the PLC's ready.
constexpr size_t kMostStaleBytes = 1024;
constexpr size_t kLargestCode = 2;  // the code byte of the opening and closing blocks
// Of one transaction: a broken one is tried once more.
constexpr int kAttempts = 2;

// What the line keeps between transactions.
struct LineState : daveTransportState {
  Clock::time_point quietFrom{};  // when the PLC has given up a broken transaction
};

const Bytes kDleAck{kDle, kAck};

void Trace(daveInterface* di, const std::string& text) {
  DebugLine(di, daveDebugExchange, "AS511: " + text);
}

// A read with its own time-out.
int32_t Read(daveInterface* di, uint8_t* data, size_t length) {
  return LineRead(di, data, length, Deadline(di));
}

int32_t ReadByte(daveInterface* di, uint8_t& byte) { return Read(di, &byte, 1); }

// Reads DLE ACK within one time-out of the opening STX. Bytes of an earlier
// transaction that came too late are skipped; doubled DLEs in them are data, not the
// start of an acknowledge.
int32_t AwaitReady(daveInterface* di) {
  const Clock::time_point deadline = Deadline(di);
  uint8_t byte = 0;
  for (size_t skipped = 0; skipped <= kMostStaleBytes; ++skipped) {
    int32_t result = LineReadByte(di, byte, deadline);
    if (result != daveResOK) {
      return result;
    }
    if (byte != kDle) {
      continue;
    }
    result = LineReadByte(di, byte, deadline);
    if (result != daveResOK) {
      return result;
    }
    if (byte == kAck) {
      return daveResOK;
    }
    if (byte == kNak) {
      Trace(di, "the PLC is not ready (DLE NAK)");
      return daveResLineErrors;
    }
  }
  return daveResLineErrors;
}

// Reads the PLC's DLE ACK, or its DLE NAK as `refused`.
int32_t AwaitAck(daveInterface* di, int32_t refused) {
  uint8_t answer[2];
  const int32_t result = Read(di, answer, sizeof answer);
  if (result != daveResOK) {
    return result;
  }
  if (answer[0] == kDle && answer[1] == kAck) {
    return daveResOK;
  }
  return answer[0] == kDle && answer[1] == kNak ? refused : daveResLineErrors;
}

// STX, acknowledged; the block up to DLE ETX, acknowledged.
int32_t ReceiveBlock(daveInterface* di, size_t expected, size_t largest, Bytes& data) {
  uint8_t byte = 0;
  int32_t result = ReadByte(di, byte);
  if (result == daveResOK && byte != kStx) {
    result = daveResLineErrors;
  }
  if (result == daveResOK) {
    result = LineWrite(di, kDleAck);
  }
  BlockReader reader(largest);
  BlockReader::Step step = BlockReader::Step::kMore;
  while (result == daveResOK && step == BlockReader::Step::kMore) {
    Bytes raw(reader.LeastStillComing(expected));
    result = Read(di, raw.data(), raw.size());
    for (size_t i = 0; result == daveResOK && i < raw.size(); ++i) {
      // Bytes after the end mark: the block was shorter than it must be.
      step = step == BlockReader::Step::kMore ? reader.Feed(raw[i]) : BlockReader::Step::kBroken;
    }
  }
  if (result == daveResOK && step == BlockReader::Step::kBroken) {
    result = daveResLineErrors;
  }
  if (result == daveResOK) {
    data = reader.Data();
    result = LineWrite(di, kDleAck);
  }
  return result;
}

int32_t Attempt(daveInterface* di, const Request& request, Bytes& answer) {
  int32_t result = LineWrite(di, Bytes{kStx});
  if (result == daveResOK) {
    result = AwaitReady(di);
  }
  Bytes code;
  if (result == daveResOK) {
    result = LineWrite(di, Bytes{request.function});
  }
  if (result == daveResOK) {
    result = ReceiveBlock(di, 1, kLargestCode, code);
  }
  if (result == daveResOK && code != Bytes{kSyn}) {
    Trace(di, "unusual opening code");
  }
  if (result == daveResOK) {
    result = LineWrite(di, RequestHeader(request.header));
  }
  if (result == daveResOK) {
    result = AwaitAck(di, daveResS5Refused);
  }
  if (result == daveResOK) {
    result = ReceiveBlock(di, request.expected, request.largest, answer);
  }
  if (result == daveResOK) {
    result = ReceiveBlock(di, 0, kLargestCode, code);
  }
  return result;
}

bool WorthRetrying(int32_t result) {
  return result == daveResLineErrors || result == daveResTimeout;
}

// Whether the PLC's pause after a broken transaction ends within one time-out.
bool PauseFits(const daveInterface* di, const LineState& line) {
  return line.quietFrom <= Deadline(di);
}

// Waits until the PLC has given up a broken transaction.
void AwaitQuiet(const LineState& line) {
  while (Clock::now() < line.quietFrom) {
    std::this_thread::sleep_until(line.quietFrom);
  }
}

}  // namespace

// A transaction always waits out the pause an earlier one left (the PLC would not
// hear it sooner); a retry only when the pause fits within one time-out.
int32_t Transact(daveInterface* di, const Request& request, Bytes& answer) {
  auto& line = StateOf<LineState>(di->state);
  Tries attempts(di, kAttempts);
  for (bool retry = false; attempts.Left() && (!retry || PauseFits(di, line)); retry = true) {
    AwaitQuiet(line);
    answer.clear();
    const int32_t result = Attempt(di, request, answer);
    if (result == daveResOK) {
      return result;
    }
    Trace(di, "function " + std::to_string(request.function) + " failed: " + daveStrerror(result));
    line.quietFrom = Clock::now() + kQuietPause;
    attempts.Failed(result);
    if (!WorthRetrying(result)) {
      break;
    }
  }
  return attempts.Failure();
}

}  // namespace as511
}  // namespace nodave
