// A 200-byte data block read through the plug-in's PLC link, its transport
// bridge and our libnodave, and the same read by Snap7's own client, both from
// Snap7's server on loopback. The bridge adds two loopback hops to every read,
// so about 3 times Snap7's time is the floor; the target is at most 3.5.

#include <benchmark/benchmark.h>

#include <vector>

#include "LinkRig.h"
#include "Snap7Bench.h"
#include "platform/Library.h"

namespace {

using namespace snap7_bench;
using link_rig::TLinkRig;

constexpr int32_t kIsoOverTcpIndex = 5;

void BM_PluginLink(benchmark::State& state) {
  TSnap7Server server;
  // Our protocol library lies beside the program, as beside the plug-in when shipped.
  SetNoDaveLibraryFolder(platform::ProgramFolder());
  TLinkRig rig(server.Port(), kIsoOverTcpIndex);
  if (server.Port() == 0 || !rig.Connect()) {
    state.SkipWithError(("the link cannot connect: " + rig.LastLog()).c_str());
    return;
  }
  std::vector<uint8_t> buffer(kReadSize);
  for (auto _ : state) {
    if (!rig.Read(kDataBlock, buffer)) {
      state.SkipWithError(("read failed: " + rig.LastLog()).c_str());
      return;
    }
  }
  if (!ReadTheBlock(buffer)) state.SkipWithError("read the wrong bytes");
  state.SetBytesProcessed(state.iterations() * kReadSize);
}
BENCHMARK(BM_PluginLink)->UseRealTime();

void BM_Snap7Client(benchmark::State& state) {
  TSnap7Server server;
  Snap7ClientReads(state, server.Port());
}
BENCHMARK(BM_Snap7Client)->UseRealTime();

}  // namespace
