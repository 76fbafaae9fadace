#include <algorithm>
#include <exception>
#include <limits>

#include "nodave/NoDaveComponent.h"
#include "threads/moxTimerEx.h"

namespace {

constexpr const char* kReadError = "Error in function TNoDave.DoReadBytes: ";

// Read sizes when the connection tells nothing better, and for the IBH gateways.
constexpr int32_t kDefaultReadSize = 200;
constexpr int32_t kIBHReadSize = 220;
// What a read request and its answer need of a PDU besides the data.
constexpr int64_t kReadOverhead = 24;
// The library's results for a connection that is gone: lost (the socket or the PLC
// ended it), no longer connected, or ended by the PLC as a gateway reports.
constexpr int32_t kConnectionLost = -1026;
constexpr int32_t kLibraryNotConnected = -1028;
constexpr int32_t kConnectionEnded = -1044;

bool ConnectionGone(int32_t result) {
  return result == kConnectionLost || result == kLibraryNotConnected || result == kConnectionEnded;
}

// Bytes of one counter or timer.
constexpr int32_t kElementSize = 2;

// The library addresses counters and timers by number, two bytes each, and every
// other area by byte: a later piece of a counter or timer read starts `done / 2`
// numbers on, and the pieces hold whole elements.
bool NumberedArea(TNoDaveArea area) { return area == daveCounter || area == daveTimer; }

int32_t PieceStart(TNoDaveArea area, int32_t start, int32_t done) {
  return NumberedArea(area) ? start + done / kElementSize : start + done;
}

int32_t PieceLimit(TNoDaveArea area, int32_t limit) {
  return NumberedArea(area) ? std::max(limit - limit % kElementSize, kElementSize) : limit;
}

std::string RangeText(TNoDaveArea area, int32_t db, int32_t start, int32_t length) {
  return " (area " + std::to_string(AreaCode(area)) + ", DB " + std::to_string(db) + ", offset " +
         std::to_string(start) + ", " + std::to_string(length) + " bytes)";
}

}  // namespace

void TNoDave::ReadBytes(TNoDaveArea area, int32_t db, int32_t start, int32_t size, void* buffer) {
  if (buffer != nullptr) {
    DoReadBytes(area, db, start, size, buffer);
    return;
  }
  area_ = area;
  dbNumber_ = db;
  bufOffs_ = start;
  SetBufLen(size);
  ReadData();
}

void TNoDave::ReadData(void* buffer) {
  lastError_ = kNotConnected;
  if (!active_) return;
  DoReadBytes(area_, dbNumber_, bufOffs_, bufLen_, buffer != nullptr ? buffer : readBuffer_.data());
  if (OnRead) OnRead(*this);
}

void TNoDave::DoReadBytes(TNoDaveArea area, int32_t db, int32_t start, int32_t size, void* buffer) {
  lastError_ = kNoLibraryCall;
  if (!ReadRangeValid(start, size, buffer)) {
    cycleTime_ = 0;  // nothing was read, in no time
    return;
  }
  TmoxTimeout timer;
  timer.Start();
  auto* target = static_cast<uint8_t*>(buffer);
  const int32_t limit = PieceLimit(area, MaxReadSize());
  try {
    for (int32_t done = 0; done < size;) {
      const int32_t chunk = std::min(size - done, limit);
      const int32_t pieceStart = PieceStart(area, start, done);
      lastError_ = ReadChunk(AreaCode(area), db, pieceStart, chunk, target + done);
      if (lastError_ != 0) {
        ReportReadFailure(area, db, pieceStart, chunk);
        break;
      }
      done += chunk;
    }
  } catch (const std::exception& error) {
    lastError_ = kNoLibraryCall;
    DoError(kReadError + std::string(error.what()));
  }
  NoteReadOutcome({area, db, start, size}, lastError_ == 0);
  cycleTime_ = static_cast<uint32_t>(timer.Elapsed());
  // Behind a gateway or an adapter the host's channel stays open when the PLC
  // restarts: no later read can succeed on the ended connection, only a new connect.
  if (ConnectionGone(lastError_)) {
    const int32_t gone = lastError_;
    Disconnect();
    lastError_ = gone;
  }
}

bool TNoDave::ReadRangeValid(int32_t start, int32_t size, const void* buffer) {
  if (size <= 0) return false;
  std::string problem;
  if (buffer == nullptr) {
    problem = "no buffer to read into";
  } else if (start < 0 || start > std::numeric_limits<int32_t>::max() - size) {
    problem =
        "no such range: offset " + std::to_string(start) + ", " + std::to_string(size) + " bytes";
  }
  if (problem.empty()) return true;
  DoError(kReadError + problem);
  return false;
}

int32_t TNoDave::ReadChunk(int32_t areaCode, int32_t db, int32_t start, int32_t length,
                           uint8_t* target) {
  platform::CriticalSectionGuard guard(readLock_);
  if (link_.connection == nullptr) return kNotConnected;
  return NoDave().daveReadBytes(link_.connection, areaCode, db, start, length, target);
}

// A range that fails again and again is reported each time (the log counts the
// repeats); its recovery once, and a good read of another range is no recovery.
void TNoDave::NoteReadOutcome(const TReadRange& range, bool good) {
  bool recovered = false;
  {
    const std::lock_guard<std::mutex> guard(failedReadsLock_);
    if (good) {
      recovered = failedReads_.erase(range) > 0;
    } else {
      failedReads_.insert(range);
    }
  }
  if (recovered) {
    DoInfo("Reading from the PLC again" + RangeText(range.Area, range.DB, range.Start, range.Size));
  }
}

void TNoDave::ReportReadFailure(TNoDaveArea area, int32_t db, int32_t start, int32_t length) {
  DoError(kReadError + ErrorText(lastError_) + RangeText(area, db, start, length));
}

int32_t TNoDave::MaxReadSize() const {
  platform::CriticalSectionGuard guard(readLock_);
  if (link_.connection == nullptr) return kDefaultReadSize;
  if (protocol_ == daveProtoIBH || protocol_ == daveProtoIBH_PPI) return kIBHReadSize;
  const int64_t size = int64_t{link_.connection->maxPDUlength} - kReadOverhead;
  return size > 0 ? static_cast<int32_t>(size) : kDefaultReadSize;
}
