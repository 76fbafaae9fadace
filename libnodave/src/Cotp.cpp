#include "Cotp.h"

#include <algorithm>

namespace nodave {
namespace {

constexpr uint8_t kConnectRequest = 0xE0;
constexpr uint8_t kConnectConfirm = 0xD0;
constexpr uint8_t kDisconnectRequest = 0x80;
constexpr uint8_t kData = 0xF0;
constexpr uint8_t kEndOfPdu = 0x80;
constexpr uint8_t kTpduSizeParameter = 0xC0;
constexpr uint8_t kCallingTsap = 0xC1;
constexpr uint8_t kCalledTsap = 0xC2;
constexpr uint8_t kAsked1024 = 0x0A;
constexpr uint8_t kSmallestSizeCode = 0x07;  // 128 bytes
constexpr uint8_t kLargestSizeCode = 0x0D;   // 8192 bytes
constexpr int32_t kDefaultTpduSize = 128;    // when the confirm names none
constexpr size_t kConnectHeaderSize = 7;     // LI, code, two references, class
constexpr size_t kDataHeaderSize = 3;        // LI, code, number and end mark

uint8_t Code(const Bytes& tpdu) { return tpdu[1] & 0xF0; }

// Bytes of the transport unit header (LI counts the ones after itself), or 0 when
// the unit is shorter than its own header says.
size_t HeaderSize(const Bytes& tpdu) {
  if (tpdu.size() < 2) {
    return 0;
  }
  const size_t size = size_t{tpdu[0]} + 1;
  return size >= 2 && size <= tpdu.size() ? size : 0;
}

// Walks the parameters of a connect confirm for the transport unit size.
int32_t GrantedTpduSize(const Bytes& tpdu, size_t headerSize, int32_t& tpduSize) {
  tpduSize = kDefaultTpduSize;
  size_t at = kConnectHeaderSize;
  while (at < headerSize) {
    if (at + 2 > headerSize || at + 2 + tpdu[at + 1] > headerSize) {
      return daveResCannotEvaluatePDU;
    }
    if (tpdu[at] == kTpduSizeParameter) {
      const uint8_t code = tpdu[at + 2];
      if (tpdu[at + 1] != 1 || code < kSmallestSizeCode || code > kLargestSizeCode) {
        return daveResCannotEvaluatePDU;
      }
      tpduSize = 1 << code;
    }
    at += 2 + size_t{tpdu[at + 1]};
  }
  return daveResOK;
}

}  // namespace

Bytes ConnectRequest(uint16_t localTsap, uint16_t remoteTsap) {
  Bytes tpdu{0, kConnectRequest, 0, 0, 0, 1, 0};
  tpdu.insert(tpdu.end(), {kCallingTsap, 2});
  PutU16(tpdu, localTsap);
  tpdu.insert(tpdu.end(), {kCalledTsap, 2});
  PutU16(tpdu, remoteTsap);
  tpdu.insert(tpdu.end(), {kTpduSizeParameter, 1, kAsked1024});
  tpdu[0] = static_cast<uint8_t>(tpdu.size() - 1);
  return tpdu;
}

int32_t ParseConnectConfirm(const Bytes& tpdu, int32_t& tpduSize) {
  const size_t headerSize = HeaderSize(tpdu);
  if (headerSize == 0) {
    return daveResShortPacket;
  }
  if (Code(tpdu) == kDisconnectRequest) {
    return daveResConnectionRefused;
  }
  if (Code(tpdu) != kConnectConfirm) {
    return daveResCannotEvaluatePDU;
  }
  if (headerSize < kConnectHeaderSize) {
    return daveResShortPacket;
  }
  return GrantedTpduSize(tpdu, headerSize, tpduSize);
}

int32_t SendPdu(const Link& link, const Bytes& pdu, int32_t tpduSize) {
  const size_t room = static_cast<size_t>(tpduSize) - kDataHeaderSize;
  size_t sent = 0;
  do {
    const size_t piece = std::min(room, pdu.size() - sent);
    const bool last = sent + piece == pdu.size();
    Bytes tpdu;
    tpdu.reserve(kDataHeaderSize + piece);
    tpdu.push_back(2);
    tpdu.push_back(kData);
    tpdu.push_back(last ? kEndOfPdu : 0);
    tpdu.insert(tpdu.end(), pdu.begin() + sent, pdu.begin() + sent + piece);
    const int32_t result = SendPacket(link, tpdu);
    if (result != daveResOK) {
      return result;
    }
    sent += piece;
  } while (sent < pdu.size());
  return daveResOK;
}

int32_t ReceivePdu(const Link& link, Clock::time_point deadline, Bytes& pdu) {
  pdu.clear();
  bool tooLong = false;
  for (;;) {
    Bytes tpdu;
    const int32_t result = ReceivePacket(link, deadline, tpdu);
    if (result != daveResOK) {
      return result;
    }
    const size_t headerSize = HeaderSize(tpdu);
    if (headerSize == 0) {
      return daveResShortPacket;
    }
    if (Code(tpdu) == kDisconnectRequest) {
      return daveResConnectionLost;
    }
    if (Code(tpdu) != kData || headerSize < kDataHeaderSize) {
      return daveResCannotEvaluatePDU;
    }
    // Keep reading to the last data unit even when too long, so the next answer starts
    // on its own first unit.
    tooLong = tooLong || pdu.size() + tpdu.size() - headerSize > kMaxPduSize;
    if (!tooLong) {
      pdu.insert(pdu.end(), tpdu.begin() + headerSize, tpdu.end());
    }
    const bool last = (tpdu[2] & kEndOfPdu) != 0;
    const bool nothingYet = pdu.empty() && !tooLong;  // some PLCs send an empty unit first
    if (last && !nothingYet) {
      break;
    }
  }
  return tooLong ? daveResCannotEvaluatePDU : daveResOK;
}

}  // namespace nodave
