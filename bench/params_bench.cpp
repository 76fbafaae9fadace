// Parameter lists as commands and records use them: building a list of 1,000
// named values and finding each of them again.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "moxShared/Public/Common/moxParamLst.h"

namespace {

void BM_ParamsAddFind1000(benchmark::State& state) {
  std::vector<std::string> names;
  for (int i = 0; i < 1000; ++i) names.push_back("VALUE_" + std::to_string(i));
  for (auto _ : state) {
    TmoxParamsList list;
    for (int i = 0; i < 1000; ++i) list.Add(names[static_cast<size_t>(i)], TVariant::OfI4(i));
    for (const std::string& name : names) benchmark::DoNotOptimize(list.Find(name));
  }
}
BENCHMARK(BM_ParamsAddFind1000)->Unit(benchmark::kMicrosecond);

}  // namespace
