#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "DataRecord.h"
#include "RequestPlan.h"

namespace plchost {

// Per request of every data source: records received, polls missed, and the
// latency of the last answer (from the first bytes sent after the previous
// record of the source to this record).
class TLiveSummary {
 public:
  struct TSource {
    int32_t Id = 0;
    std::string Name;
  };

  TLiveSummary(const std::vector<TPlannedRequest>& requests, const std::vector<TSource>& sources);

  // Bytes went out for a source; any thread.
  void NoteSent(int32_t source, uint64_t nowMs);
  void NoteChannel(int32_t source, bool open);
  void NoteRecord(int32_t source, const host::TDataRecord& record, uint64_t atMs);
  // Counts a polled request whose answer is overdue (its interval and its
  // time-out passed without a record) as one missed poll per period.
  void Tick(uint64_t nowMs);

  int64_t Records() const { return FRecords; }
  std::vector<std::string> Lines() const;

 private:
  struct TRow {
    std::string Label;
    int64_t Records = 0;
    int64_t Missed = 0;
    int64_t LatencyMs = -1;
    uint64_t DueMs = 0;     // 0 until the first record
    uint32_t PeriodMs = 0;  // 0: not polled
  };
  struct TSourceState {
    std::string Name;
    bool Open = false;
    std::vector<TRow> Rows;
  };

  std::vector<TPlannedRequest> FRequests;
  std::map<int32_t, TSourceState> FSources;
  int64_t FRecords = 0;
  std::mutex FSentLock;
  std::map<int32_t, uint64_t> FFirstSentMs;  // since the source's last record
};

}  // namespace plchost
