#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "moxShared/Private/Plugins/moxPluginRecords.h"

namespace host {

// Levels of the log lines.
enum class TLogLevel : int { Error = 0, Warning = 1, Information = 2, Unknown = -1 };

struct TLogLine {
  TLogLevel Level = TLogLevel::Unknown;
  std::string Text;  // the line without its level byte
};

// Fetches the instance's pending log text through GetLogEx. A call with a
// buffer of capacity 0 would drop the lines, so the first call offers
// `firstCapacity` bytes (at least 1); when the text does not fit, the reported
// size is offered next, a few times at most should lines keep arriving.
std::string FetchLogText(TGetLogEx getLog, uintptr_t instance, int32_t firstCapacity = 4096);

// Splits log text into lines (each ended by CR LF) and reads their level
// byte: the level plus one. Empty lines are skipped.
std::vector<TLogLine> SplitLogText(const std::string& text);

}  // namespace host
