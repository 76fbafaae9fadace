#pragma once

// Snap7 in the comparison benchmarks: its server on loopback holding one data
// block, and its own client timing 200-byte reads of it. Needs Snap7
// (scripts/snap7.sh): build/peers/libsnap7.a, and build/peers/node-snap7/src
// on the include path for snap7.h.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "snap7.h"

namespace snap7_bench {

constexpr int kDataBlock = 1;
constexpr int kBlockSize = 256;
constexpr int kReadSize = 200;

inline std::vector<uint8_t> BlockBytes() {
  std::vector<uint8_t> bytes(kBlockSize);
  for (size_t k = 0; k < bytes.size(); ++k) bytes[k] = static_cast<uint8_t>(k * 7 + 1);
  return bytes;
}

// Whether the first kReadSize bytes read are the block's.
inline bool ReadTheBlock(const std::vector<uint8_t>& read) {
  const std::vector<uint8_t> expected = BlockBytes();
  return read.size() >= kReadSize &&
         std::equal(read.begin(), read.begin() + kReadSize, expected.begin());
}

// Snap7's server with the data block, on the first port from 11300 it can bind
// (it takes no request for a free port). Port() is 0 when none was free.
class TSnap7Server {
 public:
  TSnap7Server() : block_(BlockBytes()), server_(Srv_Create()) {
    Srv_RegisterArea(server_, srvAreaDB, kDataBlock, block_.data(), kBlockSize);
    for (uint16_t port = 11300; port < 11400; ++port) {
      Srv_SetParam(server_, p_u16_LocalPort, &port);
      if (Srv_StartTo(server_, "127.0.0.1") == 0) {
        port_ = port;
        break;
      }
    }
  }
  ~TSnap7Server() {
    Srv_Stop(server_);
    Srv_Destroy(&server_);
  }
  TSnap7Server(const TSnap7Server&) = delete;
  TSnap7Server& operator=(const TSnap7Server&) = delete;

  uint16_t Port() const { return port_; }

 private:
  std::vector<uint8_t> block_;
  S7Object server_;
  uint16_t port_ = 0;
};

// Snap7's client connected to 127.0.0.1:port (rack 0, slot 2); times one
// 200-byte read of the data block per iteration.
inline void Snap7ClientReads(benchmark::State& state, uint16_t port) {
  S7Object client = Cli_Create();
  Cli_SetParam(client, p_u16_RemotePort, &port);
  if (port == 0 || Cli_ConnectTo(client, "127.0.0.1", 0, 2) != 0) {
    state.SkipWithError("Snap7's client cannot connect");
    Cli_Destroy(&client);
    return;
  }
  std::vector<uint8_t> buffer(kReadSize);
  for (auto _ : state) {
    if (Cli_DBRead(client, kDataBlock, 0, kReadSize, buffer.data()) != 0) {
      state.SkipWithError("read failed");
      break;
    }
  }
  if (!ReadTheBlock(buffer)) state.SkipWithError("read the wrong bytes");
  state.SetBytesProcessed(state.iterations() * kReadSize);
  Cli_Disconnect(client);
  Cli_Destroy(&client);
}

}  // namespace snap7_bench
