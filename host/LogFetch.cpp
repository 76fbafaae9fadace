#include "LogFetch.h"

#include <algorithm>

#include "CallRecord.h"

namespace host {

namespace {

constexpr int kFetchAttempts = 8;
constexpr int32_t kMaxLogText = 256 * 1024 * 1024;

TLogLine ReadLine(const std::string& line) {
  TLogLine result;
  const int level = static_cast<unsigned char>(line[0]) - 1;
  if (level >= 0 && level <= 2) {
    result.Level = static_cast<TLogLevel>(level);
    result.Text = line.substr(1);
  } else {
    result.Text = line;
  }
  return result;
}

}  // namespace

std::string FetchLogText(TGetLogEx getLog, uintptr_t instance, int32_t firstCapacity) {
  std::string buffer(static_cast<size_t>(std::max(firstCapacity, 1)), '\0');
  for (int attempt = 0; attempt < kFetchAttempts; ++attempt) {
    TPluginCallRec record = MakeCallRecord(instance);
    SetSlotText(record.InData, buffer.data(), static_cast<int32_t>(buffer.size()));
    const int32_t copied = getLog(&record);
    if (copied > 0) return buffer.substr(0, std::min(buffer.size(), static_cast<size_t>(copied)));
    if (record.OutData.Kind != kSlotCount) return {};
    const uintptr_t pending = record.OutData.Ptr;
    if (pending <= buffer.size() || pending > kMaxLogText) return {};
    buffer.assign(pending, '\0');
  }
  return {};
}

std::vector<TLogLine> SplitLogText(const std::string& text) {
  std::vector<TLogLine> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    if (end > start) lines.push_back(ReadLine(text.substr(start, end - start)));
    start = end + 2;
  }
  return lines;
}

}  // namespace host
