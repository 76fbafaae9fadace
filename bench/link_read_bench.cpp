// A 200-byte data block read through the plug-in's PLC link, its transport
// bridge and our libnodave, and the same read by Snap7's own client, both from
// Snap7's server on loopback. The plug-in's read is set against the floor: the
// same request and answer sizes over one plain loopback TCP connection to a
// server that answers at once. The read crosses three loopback hops (library to
// listener, host to PLC, and the host's relay between them), so about 3 is the
// floor of the ratio; the target is at most 4.

#include <benchmark/benchmark.h>

#include <vector>

#include "LinkRig.h"
#include "LoopbackFloor.h"
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
  link_rig::TReadCost cost;
  if (!link_rig::TimedReads(state, rig, kDataBlock, buffer, cost)) return;
  if (!ReadTheBlock(buffer)) state.SkipWithError("read the wrong bytes");
  state.SetBytesProcessed(state.iterations() * kReadSize);
  loopback_floor::ReportFloor(state, cost.Seconds, cost.BytesSent, cost.BytesReceived);
}
BENCHMARK(BM_PluginLink)->UseRealTime();

void BM_Snap7Client(benchmark::State& state) {
  TSnap7Server server;
  Snap7ClientReads(state, server.Port());
}
BENCHMARK(BM_Snap7Client)->UseRealTime();

}  // namespace
