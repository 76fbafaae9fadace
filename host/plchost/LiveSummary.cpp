#include "LiveSummary.h"

#include <cstdio>

#include "RequestMatch.h"
#include "platform/CodePage.h"

namespace plchost {

namespace {

std::string Padded(std::string text, size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

}  // namespace

TLiveSummary::TLiveSummary(const std::vector<TPlannedRequest>& requests,
                           const std::vector<TSource>& sources)
    : FRequests(requests) {
  for (const TSource& source : sources) {
    TSourceState& state = FSources[source.Id];
    state.Name = source.Name;
    for (const TPlannedRequest& request : requests) {
      TRow row;
      row.Label = platform::WideToUtf8(platform::AnsiToWide(request.Name));
      row.PeriodMs = request.Enabled && request.Poll
                         ? static_cast<uint32_t>(request.PollInterval + request.Timeout)
                         : 0;
      state.Rows.push_back(row);
    }
  }
}

void TLiveSummary::NoteSent(int32_t source, uint64_t nowMs) {
  std::lock_guard<std::mutex> guard(FSentLock);
  FFirstSentMs.emplace(source, nowMs);
}

void TLiveSummary::NoteChannel(int32_t source, bool open) {
  const auto found = FSources.find(source);
  if (found != FSources.end()) found->second.Open = open;
}

void TLiveSummary::NoteRecord(int32_t source, const host::TDataRecord& record, uint64_t atMs) {
  ++FRecords;
  int64_t latency = -1;
  {
    std::lock_guard<std::mutex> guard(FSentLock);
    const auto sent = FFirstSentMs.find(source);
    if (sent != FFirstSentMs.end()) {
      if (atMs >= sent->second) latency = static_cast<int64_t>(atMs - sent->second);
      FFirstSentMs.erase(sent);
    }
  }
  const auto found = FSources.find(source);
  const int index = MatchRequest(FRequests, record);
  if (found == FSources.end() || index < 0) return;
  TRow& row = found->second.Rows[static_cast<size_t>(index)];
  ++row.Records;
  row.LatencyMs = latency;
  if (row.PeriodMs > 0) row.DueMs = atMs + row.PeriodMs;
}

void TLiveSummary::Tick(uint64_t nowMs) {
  for (auto& entry : FSources) {
    for (TRow& row : entry.second.Rows) {
      while (row.DueMs != 0 && nowMs > row.DueMs) {
        ++row.Missed;
        row.DueMs += row.PeriodMs;
      }
    }
  }
}

std::vector<std::string> TLiveSummary::Lines() const {
  std::vector<std::string> lines;
  for (const auto& entry : FSources) {
    const TSourceState& state = entry.second;
    lines.push_back("data source " + std::to_string(entry.first) + " " + state.Name + ": channel " +
                    (state.Open ? "open" : "closed"));
    for (const TRow& row : state.Rows) {
      char counts[96];
      std::snprintf(counts, sizeof counts, "records %8lld  missed %6lld  latency %s",
                    static_cast<long long>(row.Records), static_cast<long long>(row.Missed),
                    row.LatencyMs < 0 ? "-" : (std::to_string(row.LatencyMs) + " ms").c_str());
      lines.push_back("  " + Padded(row.Label, 24) + "  " + counts);
    }
  }
  return lines;
}

}  // namespace plchost
