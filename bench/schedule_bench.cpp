// One and ten data sources, each polling a request with a 20 ms interval from
// the Snap7 peer through the plug-in: the intervals between the records a
// source delivers, over ten seconds. A request is due again 20 ms after its
// response, on the engine's 20 ms tick, so an interval is a little over 20 ms;
// ten engines must hold the same interval as one, and the longest must stay
// near it. Needs the peer (scripts/peers.sh sets MOX_SNAP7_ADDR).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "E2eHost.h"
#include "RequestTree.h"

namespace {

constexpr int kIntervalMs = 20;
constexpr uint32_t kSettleMs = 2000;
constexpr uint32_t kMeasureMs = 10000;

std::string PollingTree() {
  e2e::TTreeRequest request = e2e::Request("Poll", e2e::kAreaDataBlock, 1, 0, 2);
  request.IntervalMs = kIntervalMs;
  e2e::TTreeItem item = e2e::Item("VALUE", "D16", 0);
  item.AppendCnt = false;
  request.Items = {item};
  return e2e::RequestTreeXml({request});
}

struct TIntervals {
  int Records = 0;
  double MeanMs = 0;
  uint64_t LongestMs = 0;
};

TIntervals IntervalsOf(const e2e::TE2eHost& host, int32_t source, uint64_t from, uint64_t to) {
  std::vector<uint64_t> times;
  for (const e2e::TDelivered* record : host.RecordsWith(source, "VALUE")) {
    if (record->AtMs >= from && record->AtMs < to) times.push_back(record->AtMs);
  }
  TIntervals result;
  result.Records = static_cast<int>(times.size());
  for (size_t k = 1; k < times.size(); ++k) {
    result.LongestMs = std::max(result.LongestMs, times[k] - times[k - 1]);
  }
  if (times.size() > 1) {
    result.MeanMs = static_cast<double>(times.back() - times.front()) / (times.size() - 1);
  }
  return result;
}

void BM_EnginesPolling20ms(benchmark::State& state) {
  std::string peerHost;
  int peerPort = 0;
  if (!e2e::PeerAddress(peerHost, peerPort)) {
    state.SkipWithError("MOX_SNAP7_ADDR is not set: start the peer with scripts/peers.sh");
    return;
  }
  const auto engines = static_cast<int32_t>(state.range(0));
  std::vector<int32_t> sources;
  for (int32_t source = 1; source <= engines; ++source) sources.push_back(source);
  for (auto _ : state) {
    e2e::TE2eHost host(PollingTree(), sources);
    host.Start();
    host.RunFor(kSettleMs);
    const uint64_t from = e2e::TE2eHost::NowMs();
    host.RunFor(kMeasureMs);
    const uint64_t to = e2e::TE2eHost::NowMs();
    double meanSum = 0;
    uint64_t longest = 0;
    int fewest = INT32_MAX;
    for (int32_t source : sources) {
      const TIntervals intervals = IntervalsOf(host, source, from, to);
      meanSum += intervals.MeanMs;
      longest = std::max(longest, intervals.LongestMs);
      fewest = std::min(fewest, intervals.Records);
    }
    state.counters["mean_interval_ms"] = meanSum / engines;
    state.counters["longest_interval_ms"] = static_cast<double>(longest);
    state.counters["fewest_records"] = fewest;
    state.counters["records_at_20ms"] = static_cast<double>(to - from) / kIntervalMs;
  }
}
BENCHMARK(BM_EnginesPolling20ms)->Arg(1)->Arg(10)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
