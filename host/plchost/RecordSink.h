#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DataRecord.h"
#include "RequestPlan.h"

namespace plchost {

// A record as the outputs take it: with the request it answers (none when no
// request of the tree names it) and the time it arrived.
struct TDeliveredRecord {
  int32_t Source = 0;
  const host::TDataRecord* Record = nullptr;
  const TPlannedRequest* Request = nullptr;
  int64_t UnixNs = 0;  // nanoseconds since 1970-01-01 UTC
};

// Where records go: the record output, an MQTT broker.
class IRecordSink {
 public:
  virtual ~IRecordSink() = default;
  virtual void Write(const TDeliveredRecord& record) = 0;
  // Lines for the live summary.
  virtual void AddSummary(std::vector<std::string>& /*lines*/) const {}
  // Messages for the user since the last call.
  virtual std::vector<std::string> TakeMessages() { return {}; }
  // The run ends: hand over what is still held, within a bounded time.
  virtual void Finish() {}
};

}  // namespace plchost
