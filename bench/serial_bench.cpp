// Time per 200-byte read through the plug-in's read path for the serial protocols
// (the link, the byte FIFO and its callbacks, plchost's channel) from plcsim playing
// an S7-200 on its PPI port or an MPI PC adapter with a PLC behind it, the serial
// line's speed simulated. Each read is set against the line's own limit: the bytes
// that crossed the line, 11 bits each, at its baud rate (counter "ratio"); the target
// is at most 1.5 at 19200 baud.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "Description.h"
#include "LinkRig.h"
#include "LoopbackFloor.h"
#include "MemoryLoader.h"
#include "PlcServer.h"
#include "platform/Library.h"

namespace {

using link_rig::TLinkRig;

constexpr int32_t kMpiIndex = 0;   // "MPI protocol", the serial PC adapter (3964R)
constexpr int32_t kPpiIndex = 4;   // "PPI protocol"
constexpr int32_t kDataBlock = 1;  // also an S7-200's V memory
constexpr size_t kReadSize = 200;
constexpr double kBitsPerCharacter = 11;

const char* PersonalityOf(int32_t protocolIndex) {
  return protocolIndex == kPpiIndex ? "ppi" : "mpi";
}

void BM_SerialRead(benchmark::State& state) {
  const auto protocolIndex = static_cast<int32_t>(state.range(0));
  const auto baud = static_cast<uint32_t>(state.range(1));
  plcsim::PlcMemory memory;
  plcsim::LoadMemory(plcsim::ParseDescription(plcsim::kDefaultDescription), memory);
  plcsim::ServerOptions options;
  options.port = 0;
  options.personality = plcsim::FindPersonality(PersonalityOf(protocolIndex));
  options.baud = baud;
  plcsim::PlcServer server(memory, options, nullptr);
  server.Start();
  SetNoDaveLibraryFolder(platform::ProgramFolder());
  TLinkRig rig(server.Port(), protocolIndex);
  if (!rig.Connect()) {
    state.SkipWithError(("the link cannot connect: " + rig.LastLog()).c_str());
    return;
  }
  std::vector<uint8_t> buffer(kReadSize);
  link_rig::TReadCost cost;
  if (!link_rig::TimedReads(state, rig, kDataBlock, buffer, cost)) return;
  const double wireBytes = cost.BytesSent + cost.BytesReceived;
  const double lineSeconds = wireBytes * kBitsPerCharacter / baud;
  state.counters["wire_bytes"] = wireBytes;
  state.counters["line_ms"] = lineSeconds * 1000;
  state.counters["ratio"] = cost.Seconds / lineSeconds;
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kReadSize));
  loopback_floor::ReportFloor(state, cost.Seconds, cost.BytesSent, cost.BytesReceived);
}
BENCHMARK(BM_SerialRead)
    ->ArgNames({"protocol", "baud"})
    ->ArgsProduct({{kPpiIndex, kMpiIndex}, {9600, 19200, 187500}})
    ->Iterations(8)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
