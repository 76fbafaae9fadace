#include "Tpkt.h"

#include "Debug.h"

namespace nodave {
namespace {

constexpr uint8_t kVersion = 3;
constexpr size_t kHeaderSize = 4;
constexpr size_t kSmallestPacket = kHeaderSize + 3;  // a data unit header with no payload

}  // namespace

int32_t SendPacket(const Link& link, const Bytes& tpdu) {
  Bytes packet{kVersion, 0};
  PutU16(packet, static_cast<uint32_t>(kHeaderSize + tpdu.size()));
  packet.insert(packet.end(), tpdu.begin(), tpdu.end());
  DebugBytes(link.di, daveDebugRawWrite, "ISO-TCP send", packet.data(), packet.size());
  return SocketSendAll(link.socket, packet.data(), packet.size()) ? daveResOK
                                                                  : daveResConnectionLost;
}

int32_t ReceivePacket(const Link& link, Clock::time_point deadline, Bytes& tpdu) {
  Bytes header(kHeaderSize);
  int32_t result =
      ReceiveResult(SocketReceiveAll(link.socket, header.data(), kHeaderSize, deadline));
  if (result != daveResOK) {
    return result;
  }
  const size_t length = GetU16(header, 2);
  if (header[0] != kVersion || length < kSmallestPacket) {
    DebugBytes(link.di, daveDebugPrintErrors, "ISO-TCP not a TPKT packet", header.data(),
               header.size());
    SocketDiscardPending(link.socket);
    return header[0] != kVersion ? daveResCannotEvaluatePDU : daveResShortPacket;
  }
  tpdu.assign(length - kHeaderSize, 0);
  result = ReceiveResult(SocketReceiveAll(link.socket, tpdu.data(), tpdu.size(), deadline));
  if (result == daveResOK && DebugOn(daveDebugRawRead)) {
    header.insert(header.end(), tpdu.begin(), tpdu.end());
    DebugBytes(link.di, daveDebugRawRead, "ISO-TCP received", header.data(), header.size());
  }
  return result;
}

}  // namespace nodave
