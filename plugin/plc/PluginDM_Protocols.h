#pragma once

#include <array>
#include <cstdint>

#include "nodave/NoDaveTypes.h"

// How a protocol's bytes reach the host's channel: through the byte FIFO and
// the link's read and write callbacks, or through a loopback TCP listener that
// the link connects to as if it were the PLC.
enum class TTransportPath { FifoCallbacks, LoopbackListener };

// One entry of the options dialog's protocol list.
struct TProtocolEntry {
  const char* Text;
  TNoDaveProtocol Protocol;
  TTransportPath Transport;
};

constexpr int32_t kProtocolCount = 12;
// The entry that the default index selects, and every index outside the list.
constexpr int32_t kDefaultProtocolIndex = 2;

const std::array<TProtocolEntry, kProtocolCount>& ProtocolTable();

// The entry of a protocol index; an index outside 0..11 selects the default.
const TProtocolEntry& ProtocolEntry(int32_t index);
