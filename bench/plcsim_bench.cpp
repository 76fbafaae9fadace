// plcsim against Snap7's own server, both read by Snap7's client: 200-byte
// reads from a data block, one connection, requests one after the other.
// Compare the two times: plcsim should be at least as fast.
// Needs Snap7 (scripts/snap7.sh): links plcsim_core and build/peers/libsnap7.a,
// with build/peers/node-snap7/src on the include path for snap7.h.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "PlcMemory.h"
#include "PlcServer.h"
#include "snap7.h"

namespace {

constexpr int kDataBlock = 1;
constexpr int kBlockSize = 256;
constexpr int kReadSize = 200;

std::vector<uint8_t> BlockBytes() {
  std::vector<uint8_t> bytes(kBlockSize);
  for (size_t k = 0; k < bytes.size(); ++k) {
    bytes[k] = static_cast<uint8_t>(k * 7 + 1);
  }
  return bytes;
}

// Snap7's client connected to 127.0.0.1:port; times one 200-byte read per iteration.
void ReadLoop(benchmark::State& state, uint16_t port) {
  S7Object client = Cli_Create();
  Cli_SetParam(client, p_u16_RemotePort, &port);
  if (Cli_ConnectTo(client, "127.0.0.1", 0, 2) != 0) {
    state.SkipWithError("Snap7's client cannot connect");
    Cli_Destroy(&client);
    return;
  }
  std::vector<uint8_t> buffer(kReadSize);
  const std::vector<uint8_t> expected = BlockBytes();
  for (auto _ : state) {
    if (Cli_DBRead(client, kDataBlock, 0, kReadSize, buffer.data()) != 0) {
      state.SkipWithError("read failed");
      break;
    }
  }
  if (!std::equal(buffer.begin(), buffer.end(), expected.begin())) {
    state.SkipWithError("read the wrong bytes");
  }
  state.SetBytesProcessed(state.iterations() * kReadSize);
  Cli_Disconnect(client);
  Cli_Destroy(&client);
}

void BM_Plcsim(benchmark::State& state) {
  plcsim::PlcMemory memory;
  const plcsim::BlockId block{plcsim::Area::kDataBlocks, kDataBlock};
  memory.AddBlock(block, kBlockSize, 0);
  memory.Write(block, 0, BlockBytes());
  plcsim::ServerOptions options;
  options.port = 0;
  plcsim::PlcServer server(memory, options, nullptr);
  server.Start();
  ReadLoop(state, server.Port());
}
BENCHMARK(BM_Plcsim)->UseRealTime();

// Snap7's server takes no free-port request: the first port from 11300 it can bind.
void BM_Snap7Server(benchmark::State& state) {
  std::vector<uint8_t> block = BlockBytes();
  S7Object server = Srv_Create();
  Srv_RegisterArea(server, srvAreaDB, kDataBlock, block.data(), kBlockSize);
  uint16_t port = 11300;
  for (; port < 11400; ++port) {
    Srv_SetParam(server, p_u16_LocalPort, &port);
    if (Srv_StartTo(server, "127.0.0.1") == 0) {
      break;
    }
  }
  if (port == 11400) {
    state.SkipWithError("Snap7's server found no free port");
  } else {
    ReadLoop(state, port);
  }
  Srv_Stop(server);
  Srv_Destroy(&server);
}
BENCHMARK(BM_Snap7Server)->UseRealTime();

}  // namespace
