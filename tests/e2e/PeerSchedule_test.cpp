// The engine's schedule against the peer: once and polling requests, reads
// the peer refuses, one request in flight, the reset after "PORT-OPEN" and a
// connection that the host loses and opens again.

#include <algorithm>

#include "E2eTestSupport.h"
#include "RequestTree.h"

namespace e2e {
namespace {

// The pause after "PORT-OPEN" before the engines connect again.
constexpr uint32_t kHoldOffMs = 15000;
// Records of reads already under way when the reset came may still arrive.
constexpr uint64_t kSettleMs = 2000;
// When the host says "PORT-OPEN" once more, well inside the pause.
constexpr uint32_t kRepeatAfterMs = 5000;

TTreeRequest Single(const char* caption, const char* name, int db, int offset, int size) {
  TTreeRequest request = Request(caption, kAreaDataBlock, db, offset, size);
  TTreeItem item = Item(name, "D16", 0);
  item.AppendCnt = false;
  request.Items = {item};
  return request;
}

size_t CountAfter(const std::vector<const TDelivered*>& records, uint64_t fromMs, uint64_t toMs) {
  return static_cast<size_t>(
      std::count_if(records.begin(), records.end(),
                    [&](const TDelivered* r) { return r->AtMs >= fromMs && r->AtMs < toMs; }));
}

TEST(PeerSchedule, OnceAndPollingRequestsAndRefusedReads) {
  E2E_REQUIRE_PEER();
  TTreeRequest once = Single("Once", "ONCE", 1, 10, 2);
  once.Poll = false;
  TTreeRequest poll = Single("Poll", "POLL", 1, 20, 2);
  poll.IntervalMs = 100;
  TTreeRequest missing = Single("Missing", "MISSING", 99, 0, 2);
  missing.Timeout = 500;
  TTreeRequest beyond = Single("Beyond", "BEYOND", 10, 60, 10);
  beyond.Timeout = 500;
  TE2eHost host(RequestTreeXml({once, poll, missing, beyond}), {1});
  ASSERT_EQ(host.Start(), 0);

  ASSERT_TRUE(host.RunUntil([&] { return host.RecordsWith(1, "POLL").size() >= 4; }))
      << host.RecordsWith(1, "POLL").size() << " polled records";

  EXPECT_EQ(host.RecordsWith(1, "ONCE").size(), 1u);
  EXPECT_TRUE(host.RecordsWith(1, "MISSING").empty());
  EXPECT_TRUE(host.RecordsWith(1, "BEYOND").empty());
  // The log says why: the block is missing, the range beyond the block.
  EXPECT_TRUE(host.RunUntil([&] {
    return host.LogHas("does not exist in the CPU") && host.LogHas("DB 99, offset 0") &&
           host.LogHas("address out of range") && host.LogHas("DB 10, offset 60");
  }));
  EXPECT_LE(host.Wire(1).MostOutstanding, 1);
}

TEST(PeerSchedule, PortOpenAndALostConnectionResumeAfterTheHoldOff) {
  E2E_REQUIRE_PEER();
  TTreeRequest poll = Single("Poll", "POLL", 2, 0, 4);
  poll.IntervalMs = 100;
  TTreeRequest once = Single("Once", "ONCE", 2, 10, 2);
  once.Poll = false;
  TE2eHost host(RequestTreeXml({poll, once}), {1, 2});
  ASSERT_EQ(host.Start(), 0);
  const auto polledFrom = [&](int32_t source, uint64_t fromMs) {
    return CountAfter(host.RecordsWith(source, "POLL"), fromMs, UINT64_MAX);
  };
  ASSERT_TRUE(host.RunUntil([&] { return polledFrom(1, 0) >= 3 && polledFrom(2, 0) >= 3; }));

  // Data source 1 loses its connection mid-poll; the host opens it again and
  // says so. Data source 2 keeps its connection.
  host.Close(1);
  ASSERT_TRUE(host.Reopen(1));
  const TWireStats before1 = host.Wire(1);
  const TWireStats before2 = host.Wire(2);
  const uint64_t openedMs = TE2eHost::NowMs();
  ASSERT_EQ(host.Event("PORT-OPEN"), 0);
  // A second "PORT-OPEN" during the pause starts it again.
  host.RunFor(kRepeatAfterMs);
  const uint64_t repeatedMs = TE2eHost::NowMs();
  ASSERT_EQ(host.Event("PORT-OPEN"), 0);

  ASSERT_TRUE(host.RunUntil(
      [&] {
        const uint64_t after = repeatedMs + kHoldOffMs;
        return polledFrom(1, after) >= 3 && polledFrom(2, after) >= 3;
      },
      kHoldOffMs + kSoonMs));
  for (int32_t source : {1, 2}) {
    EXPECT_EQ(CountAfter(host.RecordsWith(source, "POLL"), openedMs + kSettleMs,
                         repeatedMs + kHoldOffMs - kSettleMs),
              0u)
        << "data source " << source << " polled during the hold-off";
    EXPECT_GT(host.Wire(source).Connects, (source == 1 ? before1 : before2).Connects);
    EXPECT_LE(host.Wire(source).MostOutstanding, 1);
    // The reset makes the once request due again.
    EXPECT_EQ(host.RecordsWith(source, "ONCE").size(), 2u);
  }
}

}  // namespace
}  // namespace e2e
