#include "settings/LogDataList.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

std::string Line(const std::string& message) {
  return TLogDataList::BuildLine(TLogLevel::Warning, "Simatic", message);
}

std::string FetchAll(TLogDataList& log) {
  std::vector<char> buffer(1 << 16);
  TLogFetch fetch = log.Fetch(buffer.data(), static_cast<int32_t>(buffer.size()));
  return std::string(buffer.data(), fetch.Copied);
}

TEST(LogLine, CarriesLevelByteTitleAndOneLineMessage) {
  EXPECT_EQ(TLogDataList::BuildLine(TLogLevel::Error, "Simatic", "a\r\nb\nc"),
            std::string("\x01Simatic. a  b c"));
  EXPECT_EQ(TLogDataList::BuildLine(TLogLevel::Information, "", "x"), std::string("\x03x"));
}

TEST(LogDataList, CountsRepeatedLinesAndClosesTheRun) {
  TLogDataList log;
  for (const char* m : {"A", "A", "A", "B"}) log.AddLine(Line(m));
  EXPECT_EQ(FetchAll(log), Line("A") + " x3\r\n" + Line("B") + "\r\n");
  EXPECT_EQ(log.Count(), 0);
}

TEST(LogDataList, RepeatCountSurvivesAFetchWithATooSmallBuffer) {
  TLogDataList log;
  log.AddLine(Line("A"));
  log.AddLine(Line("A"));
  char small[4];
  TLogFetch tooSmall = log.Fetch(small, sizeof small);
  EXPECT_EQ(tooSmall.Copied, 0);
  const std::string expected = Line("A") + " x2\r\n";
  EXPECT_EQ(tooSmall.PendingLength, static_cast<int32_t>(expected.size()));
  EXPECT_EQ(FetchAll(log), expected);
}

TEST(LogDataList, CapacityZeroDropsThePendingLinesAndReportsTheirLength) {
  TLogDataList log;
  log.AddLine(Line("A"));
  TLogFetch fetch = log.Fetch(nullptr, 0);
  EXPECT_EQ(fetch.Copied, 0);
  EXPECT_EQ(fetch.PendingLength, static_cast<int32_t>(Line("A").size() + 2));
  EXPECT_EQ(log.Count(), 0);
}

TEST(LogDataList, NonsenseFromTheHostKeepsTheLines) {
  TLogDataList log;
  log.AddLine(Line("A"));
  EXPECT_EQ(log.Fetch(nullptr, 100).Copied, 0);
  char buffer[100];
  EXPECT_EQ(log.Fetch(buffer, -5).Copied, 0);
  EXPECT_EQ(log.Count(), 1);
  EXPECT_EQ(FetchAll(log), Line("A") + "\r\n");
}

TEST(LogDataList, EmptyLogCopiesNothing) {
  TLogDataList log;
  char buffer[8];
  TLogFetch fetch = log.Fetch(buffer, sizeof buffer);
  EXPECT_EQ(fetch.Copied, 0);
  EXPECT_EQ(fetch.PendingLength, 0);
}

TEST(LogDataList, DropsExactlyTheOldestLineAtTheLimit) {
  TLogDataList log(3);
  for (const char* m : {"1", "2", "3", "4"}) log.AddLine(Line(m));
  EXPECT_EQ(FetchAll(log), Line("2") + "\r\n" + Line("3") + "\r\n" + Line("4") + "\r\n");
}

TEST(LogDataList, LinesFromSeveralThreadsAreAllKept) {
  TLogDataList log;
  constexpr int kThreads = 4;
  constexpr int kLines = 500;
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([&log, t] {
      for (int i = 0; i < kLines; ++i)
        log.AddLine(Line(std::to_string(t) + ":" + std::to_string(i)));
    });
  }
  for (std::thread& w : writers) w.join();
  EXPECT_EQ(log.Count(), kThreads * kLines);
}

}  // namespace
