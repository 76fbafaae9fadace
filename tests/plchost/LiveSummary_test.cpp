#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LiveSummary.h"

namespace {

plchost::TPlannedRequest Request(const std::string& name, std::vector<std::string> values,
                                 int32_t interval = 1000) {
  plchost::TPlannedRequest request;
  request.Name = name;
  request.Enabled = true;
  request.Poll = true;
  request.PollInterval = interval;
  request.Timeout = 500;
  request.Area = 5;
  request.DBNumber = 3;
  request.ValueNames = std::move(values);
  return request;
}

host::TDataRecord Record(std::vector<std::string> names) {
  host::TDataRecord record;
  record.Values.push_back({"DATA_SOURCE_ID", TVariant::OfI4(1)});
  record.Values.push_back({"AREA", TVariant::OfI4(7)});  // the link's data-block area
  record.Values.push_back({"DATABLOCK", TVariant::OfI4(3)});
  for (const std::string& name : names) record.Values.push_back({name, TVariant::OfI4(0)});
  return record;
}

TEST(PlchostLiveSummary, CountsRecordsLatencyAndMissedPollsPerRequest) {
  plchost::TLiveSummary summary({Request("Temps", {"T0", "T1"}), Request("Bare", {})},
                                {{1, "PLC"}});
  summary.NoteChannel(1, true);
  summary.NoteSent(1, 1000);
  summary.NoteSent(1, 1010);  // later pieces of the same read do not count
  summary.NoteRecord(1, Record({"T1"}), 1042);
  summary.NoteRecord(1, Record({}), 1100);      // no sends since: no latency
  summary.Tick(2500);                           // Temps due at 1042 + 1500
  summary.Tick(2600);                           // one miss
  summary.Tick(5600);                           // two more periods passed
  summary.NoteRecord(7, Record({"T0"}), 6000);  // an unknown source counts only in total

  EXPECT_EQ(summary.Records(), 3);
  const std::vector<std::string> lines = summary.Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "data source 1 PLC: channel open");
  EXPECT_NE(lines[1].find("Temps"), std::string::npos);
  EXPECT_NE(lines[1].find("records        1"), std::string::npos) << lines[1];
  EXPECT_NE(lines[1].find("missed      3"), std::string::npos) << lines[1];
  EXPECT_NE(lines[1].find("latency 42 ms"), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find("records        1"), std::string::npos) << lines[2];
  EXPECT_NE(lines[2].find("latency -"), std::string::npos) << lines[2];
}

TEST(PlchostLiveSummary, OnceRequestsAreNeverMissed) {
  plchost::TPlannedRequest once = Request("Once", {"X0"});
  once.Poll = false;
  plchost::TLiveSummary summary({once}, {{1, "PLC"}});
  summary.NoteRecord(1, Record({"X0"}), 10);
  summary.Tick(1000000);
  EXPECT_NE(summary.Lines()[1].find("missed      0"), std::string::npos) << summary.Lines()[1];
}

}  // namespace
