// 200-byte reads per second through our protocol library, one connection, requests
// one after the other: ISO over TCP against plcsim, and each Ethernet gateway that
// plcsim plays, all served in-process on this machine. Each read is set against the
// loopback floor: the bytes it moved each way in one plain TCP exchange.

#include <benchmark/benchmark.h>

#include <chrono>

#include "Description.h"
#include "LoopbackFloor.h"
#include "MemoryLoader.h"
#include "PlcServer.h"
#include "nodave.h"

namespace {

constexpr int32_t kReadSize = 200;

void BM_Read200(benchmark::State& state, const char* personality, int32_t protocol) {
  plcsim::PlcMemory memory;
  plcsim::LoadMemory(plcsim::ParseDescription(plcsim::kDefaultDescription), memory);
  plcsim::ServerOptions options;
  options.port = 0;
  options.personality = personality != nullptr ? plcsim::FindPersonality(personality) : nullptr;
  plcsim::PlcServer server(memory, options, nullptr);
  server.Start();
  const int32_t socket = openSocket(server.Port(), "127.0.0.1");
  daveInterface* di =
      daveNewInterface(daveOSserialType{socket, socket}, "IF1", 0, protocol, daveSpeed187k);
  daveConnection* dc = daveNewConnection(di, 2, 0, 2);
  uint8_t buffer[kReadSize];
  if (daveInitAdapter(di) != daveResOK || daveConnectPLC(dc) != daveResOK) {
    state.SkipWithError("connect failed");
  } else {
    const loopback_floor::TSocketBytes before = loopback_floor::SocketBytes(socket);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
      if (daveReadBytes(dc, daveDB, 2, 0, kReadSize, buffer) != daveResOK) {
        state.SkipWithError("read failed");
        break;
      }
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    const loopback_floor::TSocketBytes after = loopback_floor::SocketBytes(socket);
    const auto reads = static_cast<double>(state.iterations());
    loopback_floor::ReportFloor(state, elapsed.count() / reads,
                                static_cast<double>(after.Sent - before.Sent) / reads,
                                static_cast<double>(after.Received - before.Received) / reads);
  }
  state.counters["reads/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  daveDisconnectPLC(dc);
  daveFree(dc);
  daveDisconnectAdapter(di);
  daveFree(di);
  closeSocket(socket);
}

BENCHMARK_CAPTURE(BM_Read200, iso_over_tcp, nullptr, daveProtoISOTCP)->UseRealTime();
BENCHMARK_CAPTURE(BM_Read200, ibh, "ibh", daveProtoIBH)->UseRealTime();
BENCHMARK_CAPTURE(BM_Read200, ibhppi, "ibhppi", daveProtoIBH_PPI)->UseRealTime();
BENCHMARK_CAPTURE(BM_Read200, nlpro, "nlpro", daveProtoNLPro)->UseRealTime();

}  // namespace
