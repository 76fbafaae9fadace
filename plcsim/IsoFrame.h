#pragma once

// ISO-on-TCP framing: TPKT packets carrying COTP (class 0) TPDUs.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace plcsim {

using Bytes = std::vector<uint8_t>;

constexpr size_t kTpktHeaderSize = 4;
// Longer packets are refused; a 960-byte PDU needs 967.
constexpr size_t kMaxPacketSize = 4096;

// The packet length a TPKT header announces, or nothing when it is not a TPKT
// header or announces a packet shorter than a TPDU or longer than kMaxPacketSize.
std::optional<size_t> PacketLength(const uint8_t* header);

enum class TpduType : uint8_t {
  kConnectRequest = 0xE0,
  kConnectConfirm = 0xD0,
  kData = 0xF0,
  kDisconnectRequest = 0x80,
  kDisconnectConfirm = 0xC0,
};

// One TPDU inside a packet; the pointers point into the packet.
struct Tpdu {
  TpduType type;
  const uint8_t* header;  // from the length indicator on
  size_t headerSize;      // length indicator included
  const uint8_t* data;
  size_t dataSize;
};

// Nothing when the header does not fit the packet.
std::optional<Tpdu> ParseTpdu(const uint8_t* packet, size_t size);

// The last (or only) fragment of an S7 PDU.
bool IsLastFragment(const Tpdu& data);

struct ConnectionConfirm {
  Bytes packet;
  size_t tpduSize;  // the largest TPDU either side sends
};

// Confirms a connection request for any TSAP: its parameters come back
// unchanged, but a TPDU size above 1024 is lowered to 1024 and a missing one
// is added as 128 (clients look for it). Nothing for a malformed request.
std::optional<ConnectionConfirm> ConfirmConnection(const Tpdu& request);

Bytes ConfirmDisconnect(const Tpdu& request);

// An S7 PDU as DT TPDUs no larger than `tpduSize`, each in its TPKT packet.
Bytes FrameData(const Bytes& pdu, size_t tpduSize);

}  // namespace plcsim
