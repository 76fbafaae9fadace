// Handing one data record of 100 values to the host: the record, the list
// wrapper and the host function's call, with a host that counts the values.
#include <benchmark/benchmark.h>

#include <string>

#include "moxShared/Private/Plugins/moxParsedDataList.h"
#include "moxShared/Private/Plugins/moxPluginModule.h"
#include "moxShared/Public/Common/moxParamLstIntf.h"
#include "moxShared/Public/Common/moxParamLstWrap.h"
#include "platform/Library.h"

int64_t gValuesRead = 0;

// The host's function, as a host exports it.
extern "C" MOX_PLUGIN_BENCH_EXPORT int32_t MOX_STDCALL_EXPORT
Harvex_SendDataEx(int32_t, int32_t, int32_t, int32_t, int32_t kind, void* data, int32_t) {
  if (kind != kSendDataRecord) return 0;
  const auto* record = static_cast<const TPluginCallRec*>(data);
  ImoxParamsListA* list = *reinterpret_cast<ImoxParamsListA* const*>(record->OutData.Ptr);
  gValuesRead += list->GetCount();
  return 0;
}

namespace {

void BM_DeliverParsedData100(benchmark::State& state) {
  std::unique_ptr<TmoxPlugin> module = TmoxPlugin::Create<TmoxPlugin>(nullptr, 0);
  TmoxParamsList loadParams;
  loadParams.Add("HANDLE", TVariant::OfI8(static_cast<int64_t>(platform::ProgramModule())));
  auto* wrap = new TmoxParamsListWrap(&loadParams, true);
  ImoxParamsListA* params = wrap;
  params->AddRef();
  TPluginCallRec record{};
  module->ExecuteCommand("LOAD", record, params);
  params->Release();
  TParsedDataList list;
  for (int i = 0; i < 100; ++i) list.Add("VALUE_" + std::to_string(i), TVariant::OfR8(i * 0.5));
  list.RawText = std::string(200, 'x');
  for (auto _ : state) module->DeliverParsedData(1, 0, list);
  benchmark::DoNotOptimize(gValuesRead);
}
BENCHMARK(BM_DeliverParsedData100)->Unit(benchmark::kMicrosecond);

}  // namespace
