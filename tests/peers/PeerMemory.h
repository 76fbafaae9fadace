#pragma once

// What the Snap7 test peer (tests/peers/snap7_server.cpp, started by
// scripts/peers.sh) holds, so that a test can compute every byte it reads back.
//
// Each area is filled once at start and never changes: byte i of an area is
// PeerByte(area.Seed, i). The seeds are the DB number for data blocks and 20,
// 40, 60, 80, 100 for the other areas; they are chosen so that a read from a
// wrong area cannot look like a read from the right area shifted by fewer than
// ten bytes.
//
// Counters and timers are 2 bytes each on the wire. Snap7's server serves
// counter or timer number N from byte N / 2 of its buffer (not 2 * N), so
// tests read them from number 0 or compute the expected bytes from N / 2.

#include <cstddef>
#include <cstdint>

namespace peers {

// Area codes as they travel in an S7 read request.
constexpr int kS7Inputs = 0x81;
constexpr int kS7Outputs = 0x82;
constexpr int kS7Flags = 0x83;
constexpr int kS7DataBlock = 0x84;
constexpr int kS7Counters = 0x1C;
constexpr int kS7Timers = 0x1D;

struct PeerArea {
  const char* Name;  // "DB1", "PE", ... for messages
  int S7Code;        // one of the codes above
  int DBNumber;      // 0 except for data blocks
  int Size;          // in bytes
  uint8_t Seed;
};

inline constexpr PeerArea kPeerAreas[] = {
    {"DB1", kS7DataBlock, 1, 1024, 1},  {"DB2", kS7DataBlock, 2, 256, 2},
    {"DB10", kS7DataBlock, 10, 64, 10}, {"PE", kS7Inputs, 0, 256, 20},
    {"PA", kS7Outputs, 0, 256, 40},     {"MK", kS7Flags, 0, 256, 60},
    {"CT", kS7Counters, 0, 64 * 2, 80}, {"TM", kS7Timers, 0, 64 * 2, 100},
};

// Byte `index` of the area whose seed is `seed`.
inline constexpr uint8_t PeerByte(uint8_t seed, std::size_t index) {
  return static_cast<uint8_t>((index * 7 + seed) & 0xFF);
}

// The served area with this code (and DB number, for data blocks), or nullptr.
inline constexpr const PeerArea* FindPeerArea(int s7Code, int dbNumber) {
  for (const PeerArea& area : kPeerAreas) {
    if (area.S7Code == s7Code && (s7Code != kS7DataBlock || area.DBNumber == dbNumber)) {
      return &area;
    }
  }
  return nullptr;
}

}  // namespace peers
