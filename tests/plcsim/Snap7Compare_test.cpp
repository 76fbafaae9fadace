// Snap7's client reads the same memory from plcsim and from Snap7's own server
// and must see the same bytes and the same error codes. Runs when the Snap7
// peer is up (scripts/peers.sh: peers_start exports MOX_SNAP7_ADDR) and its
// client build/peers/snap7_read exists; skipped otherwise.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "../peers/PeerMemory.h"
#include "PlcsimTestSupport.h"

namespace plcsim_test {
namespace {

std::string PeerClient() {
  const std::string source = __FILE__;
  return source.substr(0, source.rfind("/tests/")) + "/build/peers/snap7_read";
}

// What snap7_read prints for one read from `address` ("HOST:PORT").
std::string ReadWithSnap7(const std::string& address, const std::string& read) {
  const std::string command = PeerClient() + " " + address + " " + read + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return "cannot run " + command;
  }
  std::string output;
  char buffer[4096];
  for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    output.append(buffer, got);
  }
  pclose(pipe);
  return output;
}

// plcsim holding the peer's memory, byte for byte.
void LoadPeerMemory(plcsim::PlcMemory& memory) {
  for (const peers::PeerArea& area : peers::kPeerAreas) {
    const plcsim::BlockId block{static_cast<plcsim::Area>(area.S7Code),
                                static_cast<uint16_t>(area.DBNumber)};
    Bytes bytes(static_cast<size_t>(area.Size));
    for (size_t k = 0; k < bytes.size(); ++k) {
      bytes[k] = peers::PeerByte(area.Seed, k);
    }
    memory.AddBlock(block, bytes.size(), 0);
    memory.Write(block, 0, bytes);
  }
}

TEST(Snap7Compare, SameBytesAndErrorsAsSnap7sServer) {
  const char* snap7 = std::getenv("MOX_SNAP7_ADDR");
  if (snap7 == nullptr || !std::ifstream(PeerClient()).good()) {
    GTEST_SKIP() << "Snap7 peer not running (source scripts/peers.sh; peers_start)";
  }
  RunningServer server("");
  LoadPeerMemory(server.Memory());
  const std::string plcsim = "127.0.0.1:" + std::to_string(server.Port());
  // AREA DB START SIZE. Counters and timers from number 0 only: Snap7's server
  // serves number N from byte N / 2. Instance data blocks (0x85) are left out:
  // Snap7's client sends them without their number.
  const char* reads[] = {
      "DB 1 0 64",  "DB 1 1000 24", "DB 1 1000 25", "DB 1 0 1024", "DB 1 1024 1", "DB 2 0 256",
      "DB 10 60 4", "DB 10 61 4",   "DB 3 0 4",     "DB 0 0 1",    "PE 0 0 256",  "PE 0 255 2",
      "PA 0 17 33", "MK 0 0 1",     "MK 0 256 1",   "CT 0 0 64",   "CT 0 0 65",   "TM 0 0 8",
      "TM 0 0 65",  "0x03 0 0 1",   "0x05 0 0 1",   "0x06 0 0 2",  "0x07 0 0 2",  "0x80 0 0 1",
      "0x86 0 0 1", "0x87 0 0 1",
  };
  for (const char* read : reads) {
    const std::string expected = ReadWithSnap7(snap7, read);
    EXPECT_EQ(ReadWithSnap7(plcsim, read), expected) << read;
    EXPECT_EQ(expected.compare(0, 7, "result "), 0) << expected;
  }
}

}  // namespace
}  // namespace plcsim_test
