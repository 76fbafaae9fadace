#pragma once

#include <cstddef>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "RecordSink.h"

namespace plchost {

// The table view: per record its time, its request's caption and only its
// own values, aligned per request. A header names the columns when the
// request changes, when a column widens, and after every `screenRows` rows
// (0: not for that).
class TReadableTable final : public IRecordSink {
 public:
  TReadableTable(std::ostream& out, size_t screenRows);

  void Write(const TDeliveredRecord& record) override;

 private:
  std::ostream& FOut;
  const size_t FScreenRows;
  std::map<std::string, std::vector<size_t>> FWidths;  // per request: the columns' widths
  std::string FLastRequest;
  size_t FRowsSinceHeader = 0;
};

}  // namespace plchost
