// Decoding one record of 1,000 values, as the engine's worker does for each
// answered request (target: well below 100 µs natively).

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "plc/PluginDM_Decoder.h"
#include "plc/PluginDM_RequestTree.h"

namespace {

// A module and engine that add nothing but the standard fields.
struct BenchHost : TDecoderHost {
  explicit BenchHost(TThreadObjectList& list) : Requests(list) {}
  TThreadObjectList& RequestList() override { return Requests; }
  void SwitchTimerOff() override {}
  void UpdateTimer() override {}
  void BeginModuleWrite() override { ModuleLock.BeginWrite(); }
  void EndModuleWrite() override { ModuleLock.EndWrite(); }
  int32_t FillStandardItems(TParsedDataList& list, const std::string& packet) override {
    list.Add("FULL_DATA_PACKET", TVariant::OfAnsi(packet));
    list.Add("DATA_PACKET", TVariant::OfAnsi(packet));
    return 2;
  }
  int32_t MPILocal() override { return 0; }
  int32_t MPIRemote() override { return 2; }

  TThreadObjectList& Requests;
  TReadWriteLock ModuleLock;
};

// 1,000 values in four items: 400 words, 200 signed double words, 200 scaled
// floats, 200 bits.
std::string RecordTree() {
  return "<MODBUSRTUQUERY><Request><Size>2425</Size><Response>"
         "<Item><Name>W</Name><Count>400</Count></Item>"
         "<Item><Name>D</Name><Count>200</Count><DataType>D32</DataType>"
         "<Unsigned>0</Unsigned></Item>"
         "<Item><Name>F</Name><Count>200</Count><DataType>F32</DataType><Scale>0.5</Scale></Item>"
         "<Item><Name>B</Name><Count>200</Count><DataType>BIT</DataType></Item>"
         "</Response></Request></MODBUSRTUQUERY>";
}

void BM_DecodeThousandValues(benchmark::State& state) {
  TDataSourceCfg settings(nullptr);
  settings.lblParams_Caption = RecordTree();
  TThreadObjectList list(true);
  TRequestListBuild build;
  build.Settings = &settings;
  BuildRequestList(build, list);
  BenchHost host(list);
  TRequestParams read;
  {
    TReadGuard<TThreadObjectList> requests(list);
    read = static_cast<TRequestItem*>((*requests)[0])->Params;
  }
  std::vector<uint8_t> response(kResponseBufferSize);
  for (size_t index = 0; index < response.size(); ++index) {
    response[index] = static_cast<uint8_t>(index * 7);
  }
  const bool withListLife = state.range(0) != 0;
  for (auto _ : state) {
    if (!withListLife) state.PauseTiming();
    auto record = std::make_unique<TParsedDataList>();
    if (!withListLife) state.ResumeTiming();
    benchmark::DoNotOptimize(Decode(host, read, response.data(), response.size(), *record));
    if (!withListLife) state.PauseTiming();
    record.reset();
    if (!withListLife) state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
// 0: the decode alone; 1: with creating and freeing the record, as the worker does.
BENCHMARK(BM_DecodeThousandValues)->Arg(0)->Arg(1);

}  // namespace
