#pragma once

#include <cstdint>
#include <string>

#include "threads/Thread_StringList.h"

// Log levels; a line's first byte is the level plus one.
enum class TLogLevel : int { Error = 0, Warning = 1, Information = 2 };

// What a fetch of the log text did: the bytes copied into the host's buffer
// and the length of the whole pending text (what to offer next time).
struct TLogFetch {
  int32_t Copied = 0;
  int32_t PendingLength = 0;
};

// An instance's log lines. A line that arrives again directly after itself is
// counted on the earlier entry instead of being stored twice; the list keeps at
// most MaxLines lines and drops the oldest first.
class TLogDataList : public TThreadStringList {
 public:
  static constexpr int32_t kDefaultMaxLines = 51200;

  explicit TLogDataList(int32_t maxLines = kDefaultMaxLines) : maxLines_(maxLines) {}

  // The stored form of a message: level byte, "title. " when there is a title,
  // and the message with its line breaks turned into blanks.
  static std::string BuildLine(TLogLevel level, const std::string& title,
                               const std::string& message);

  void AddLine(const std::string& line);

  // Hands the pending lines out, each closed by CR LF. Capacity 0 drops them; a
  // buffer that is too small (or that the host describes inconsistently) keeps
  // them and reports the length needed; otherwise they are copied and removed.
  TLogFetch Fetch(char* buffer, int32_t capacity);

 private:
  int32_t maxLines_;
};
