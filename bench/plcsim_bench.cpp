// plcsim against Snap7's own server, both read by Snap7's client: 200-byte
// reads from a data block, one connection, requests one after the other.
// Compare the two times: plcsim should be at least as fast.

#include <benchmark/benchmark.h>

#include "PlcMemory.h"
#include "PlcServer.h"
#include "Snap7Bench.h"

namespace {

using namespace snap7_bench;

void BM_Plcsim(benchmark::State& state) {
  plcsim::PlcMemory memory;
  const plcsim::BlockId block{plcsim::Area::kDataBlocks, kDataBlock};
  memory.AddBlock(block, kBlockSize, 0);
  memory.Write(block, 0, BlockBytes());
  plcsim::ServerOptions options;
  options.port = 0;
  plcsim::PlcServer server(memory, options, nullptr);
  server.Start();
  Snap7ClientReads(state, server.Port());
}
BENCHMARK(BM_Plcsim)->UseRealTime();

void BM_Snap7Server(benchmark::State& state) {
  TSnap7Server server;
  Snap7ClientReads(state, server.Port());
}
BENCHMARK(BM_Snap7Server)->UseRealTime();

}  // namespace
