#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "Options.h"
#include "RecordColumns.h"

namespace plchost {

// Writes records, one per row or line, each flushed at once.
class IRecordWriter {
 public:
  virtual ~IRecordWriter() = default;
  // One cell per column, in column order.
  virtual void Write(const std::vector<TCell>& cells) = 0;
};

// Wide (and table): a header, then aligned rows (width from the header and the first
// row). CSV: a header line, then one line per record, quoted as RFC 4180
// wants. JSON lines: one object per record, keys the column names.
std::unique_ptr<IRecordWriter> MakeRecordWriter(TOutputFormat format, std::ostream& out,
                                                const std::vector<TColumn>& columns);

// A CSV field: quoted when it holds a comma, a quote, a line break or a blank
// at either end, its quotes doubled.
std::string CsvField(const std::string& text);

// A cell as a JSON value: null for a missing value and for a number that is
// not finite, text quoted.
std::string JsonValue(const TCell& cell);

// A JSON string literal of UTF-8 text, quotes and control characters escaped.
std::string JsonString(const std::string& text);

}  // namespace plchost
