#include "settings/LogDataList.h"

#include <algorithm>
#include <limits>

namespace {

// Closes a run of repeated lines: " x" and the total number of arrivals.
void FinishRepeats(TStringEntry& entry) {
  if (entry.Data == 0) return;
  entry.Text += " x" + std::to_string(entry.Data + 1);
  entry.Data = 0;
}

std::string JoinLines(TStringList& lines) {
  std::string text;
  for (const TStringEntry& entry : lines) {
    text += entry.Text;
    text += "\r\n";
  }
  return text;
}

}  // namespace

std::string TLogDataList::BuildLine(TLogLevel level, const std::string& title,
                                    const std::string& message) {
  std::string text = title.empty() ? message : title + ". " + message;
  std::replace(text.begin(), text.end(), '\r', ' ');
  std::replace(text.begin(), text.end(), '\n', ' ');
  return std::string(1, static_cast<char>(static_cast<int>(level) + 1)) + text;
}

void TLogDataList::AddLine(const std::string& line) {
  TWriteGuard<TThreadStringList> lines(*this);
  if (!lines->empty() && lines->back().Text == line) {
    ++lines->back().Data;
    return;
  }
  if (!lines->empty()) FinishRepeats(lines->back());
  lines->push_back({line, 0});
  if (static_cast<int64_t>(lines->size()) > maxLines_) {
    lines->erase(lines->begin(), lines->end() - std::max<int32_t>(maxLines_, 0));
  }
}

TLogFetch TLogDataList::Fetch(char* buffer, int32_t capacity) {
  TWriteGuard<TThreadStringList> lines(*this);
  if (!lines->empty()) FinishRepeats(lines->back());
  const std::string text = JoinLines(*lines);
  TLogFetch result;
  result.PendingLength =
      static_cast<int32_t>(std::min<size_t>(text.size(), std::numeric_limits<int32_t>::max()));
  if (text.empty()) return result;
  if (capacity == 0) {
    lines->clear();
    return result;
  }
  if (buffer == nullptr || capacity < 0 || static_cast<size_t>(capacity) < text.size()) {
    return result;
  }
  std::copy(text.begin(), text.end(), buffer);  // the host's text has no terminating zero
  lines->clear();
  result.Copied = result.PendingLength;
  return result;
}
