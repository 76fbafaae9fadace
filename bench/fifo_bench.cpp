// Throughput of the byte FIFO: a 4 KiB block written and read back, against a
// plain copy of the same 4 KiB.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "threads/FIFOStream.h"

namespace {

constexpr int32_t kBlock = 4096;

// The request engine's configuration.
constexpr int32_t kFifoSize = 65535;
constexpr int32_t kFifoStep = 64;

void BM_FIFOWriteRead(benchmark::State& state) {
  TFIFOStream fifo(kFifoSize, true, kFifoStep);
  std::vector<uint8_t> in(kBlock, 0x5A);
  std::vector<uint8_t> out(kBlock);
  while (state.KeepRunning()) {
    fifo.Write(in.data(), kBlock);
    fifo.Read(out.data(), kBlock);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kBlock);
}
BENCHMARK(BM_FIFOWriteRead);

void BM_Memcpy(benchmark::State& state) {
  std::vector<uint8_t> in(kBlock, 0x5A);
  std::vector<uint8_t> out(kBlock);
  while (state.KeepRunning()) {
    std::memcpy(out.data(), in.data(), kBlock);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kBlock);
}
BENCHMARK(BM_Memcpy);

}  // namespace
