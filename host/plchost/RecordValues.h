#pragma once

#include <string>
#include <vector>

#include "RecordSink.h"
#include "ValueText.h"

namespace plchost {

// A value of a record with its name (UTF-8).
struct TNamedCell {
  std::string Name;
  TCell Cell;
};

// The values a record shows: those its request names for display (a tree
// built from --read), else every value but the standard fields the plug-in
// adds to each record.
std::vector<TNamedCell> ShownValues(const TDeliveredRecord& record);

// The caption of the record's request (UTF-8); "?" when no request names it.
std::string CaptionOf(const TDeliveredRecord& record);

// The data source's name the record carries (UTF-8).
std::string SourceNameOf(const TDeliveredRecord& record);

// The record's time stamp as YYYY-MM-DD hh:mm:ss.zzz; empty when it has none.
std::string TimeStampOf(const TDeliveredRecord& record);

// The area the record was read from ("DB", "I", "Q", "M", "C", "P", "AI",
// "AQ"), and its data block number for "DB" (else empty).
std::string AreaNameOf(const TDeliveredRecord& record);
std::string BlockOf(const TDeliveredRecord& record);

}  // namespace plchost
