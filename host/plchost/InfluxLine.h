#pragma once

#include <ostream>
#include <string>

#include "RecordSink.h"

namespace plchost {

// A record as one line of the InfluxDB line protocol: the measurement is the
// request's caption, the tags the data source ("source") and the area read
// ("area", with "block" for a data block), the fields the record's values
// (integers with "i", floats, booleans, quoted strings), the time stamp the
// record's arrival in nanoseconds. Values that are missing, NaN or infinite
// have no field; empty when no field is left. No line break at the end.
std::string InfluxLine(const TDeliveredRecord& record);

// Writes each record as an InfluxDB line.
class TInfluxWriter final : public IRecordSink {
 public:
  explicit TInfluxWriter(std::ostream& out) : FOut(out) {}
  void Write(const TDeliveredRecord& record) override;

 private:
  std::ostream& FOut;
};

}  // namespace plchost
