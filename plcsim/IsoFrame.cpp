#include "IsoFrame.h"

#include <algorithm>

namespace plcsim {

namespace {

constexpr uint8_t kTpktVersion = 3;
constexpr size_t kDataHeaderSize = 3;
constexpr uint8_t kEndOfPdu = 0x80;
constexpr uint8_t kTpduSizeParameter = 0xC0;
constexpr uint8_t kSmallestTpduCode = 0x07;  // 128 bytes, the size when none is named
constexpr uint8_t kLargestTpduCode = 0x0A;   // 1024 bytes
constexpr size_t kConnectHeaderSize = 7;     // length indicator to class, parameters follow

void PutTpkt(Bytes& packet, size_t at) {
  const size_t size = packet.size() - at;
  packet[at] = kTpktVersion;
  packet[at + 1] = 0;
  packet[at + 2] = static_cast<uint8_t>(size >> 8);
  packet[at + 3] = static_cast<uint8_t>(size);
}

// The parameters of a connection request with the TPDU size set to one we can
// keep, or nothing when a parameter runs past the header.
std::optional<Bytes> ConfirmedParameters(const uint8_t* parameters, size_t size,
                                         uint8_t* tpduCode) {
  Bytes result(parameters, parameters + size);
  bool named = false;
  for (size_t at = 0; at < size;) {
    if (size - at < 2 || result[at + 1] > size - at - 2) {
      return std::nullopt;
    }
    if (result[at] == kTpduSizeParameter && result[at + 1] == 1) {
      result[at + 2] = std::clamp(result[at + 2], kSmallestTpduCode, kLargestTpduCode);
      *tpduCode = result[at + 2];
      named = true;
    }
    at += 2 + result[at + 1];
  }
  if (!named) {
    *tpduCode = kSmallestTpduCode;
    result.insert(result.end(), {kTpduSizeParameter, 1, kSmallestTpduCode});
  }
  return result;
}

}  // namespace

std::optional<size_t> PacketLength(const uint8_t* header) {
  if (header[0] != kTpktVersion || header[1] != 0) {
    return std::nullopt;
  }
  const size_t length = static_cast<size_t>(header[2]) << 8 | header[3];
  if (length < kTpktHeaderSize + kDataHeaderSize || length > kMaxPacketSize) {
    return std::nullopt;
  }
  return length;
}

std::optional<Tpdu> ParseTpdu(const uint8_t* packet, size_t size) {
  if (size < kTpktHeaderSize + 2) {
    return std::nullopt;
  }
  const uint8_t* header = packet + kTpktHeaderSize;
  const size_t headerSize = size_t{header[0]} + 1;
  if (headerSize < 2 || headerSize > size - kTpktHeaderSize) {
    return std::nullopt;
  }
  const auto type = static_cast<TpduType>(header[1] & 0xF0);
  return Tpdu{type, header, headerSize, header + headerSize, size - kTpktHeaderSize - headerSize};
}

bool IsLastFragment(const Tpdu& data) {
  return data.headerSize >= kDataHeaderSize && (data.header[2] & kEndOfPdu) != 0;
}

std::optional<ConnectionConfirm> ConfirmConnection(const Tpdu& request) {
  if (request.headerSize < kConnectHeaderSize) {
    return std::nullopt;
  }
  uint8_t tpduCode = 0;
  const std::optional<Bytes> parameters = ConfirmedParameters(
      request.header + kConnectHeaderSize, request.headerSize - kConnectHeaderSize, &tpduCode);
  if (!parameters || parameters->size() > 0xFF - (kConnectHeaderSize - 1)) {
    return std::nullopt;
  }
  Bytes packet(kTpktHeaderSize);
  packet.push_back(static_cast<uint8_t>(kConnectHeaderSize - 1 + parameters->size()));
  packet.push_back(static_cast<uint8_t>(TpduType::kConnectConfirm));
  packet.insert(packet.end(), {request.header[4], request.header[5]});  // the client's reference
  packet.insert(packet.end(), {0x00, 0x01});                            // ours
  packet.push_back(request.header[6]);                                  // class and options
  packet.insert(packet.end(), parameters->begin(), parameters->end());
  PutTpkt(packet, 0);
  return ConnectionConfirm{std::move(packet), size_t{128} << (tpduCode - kSmallestTpduCode)};
}

Bytes ConfirmDisconnect(const Tpdu& request) {
  Bytes packet(kTpktHeaderSize);
  packet.push_back(5);
  packet.push_back(static_cast<uint8_t>(TpduType::kDisconnectConfirm));
  for (size_t at : {4, 5, 2, 3}) {  // the references, swapped
    packet.push_back(at < request.headerSize ? request.header[at] : 0);
  }
  PutTpkt(packet, 0);
  return packet;
}

Bytes FrameData(const Bytes& pdu, size_t tpduSize) {
  const size_t room = tpduSize - kDataHeaderSize;
  Bytes packets;
  size_t at = 0;
  do {
    const size_t piece = std::min(room, pdu.size() - at);
    const size_t start = packets.size();
    packets.resize(start + kTpktHeaderSize);
    const bool last = at + piece == pdu.size();
    packets.insert(packets.end(), {2, static_cast<uint8_t>(TpduType::kData),
                                   static_cast<uint8_t>(last ? kEndOfPdu : 0)});
    packets.insert(packets.end(), pdu.begin() + static_cast<ptrdiff_t>(at),
                   pdu.begin() + static_cast<ptrdiff_t>(at + piece));
    PutTpkt(packets, start);
    at += piece;
  } while (at < pdu.size());
  return packets;
}

}  // namespace plcsim
