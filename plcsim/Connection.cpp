#include "Connection.h"

#include "IsoFrame.h"
#include "IsoSession.h"

namespace plcsim {

std::string ServeConnection(TcpSocket& socket, const PlcMemory& memory, uint16_t offeredPdu,
                            AcceptedRackSlot accepted) {
  IsoSession session(memory, offeredPdu, accepted);
  uint8_t packet[kMaxPacketSize];
  for (;;) {
    if (!socket.ReadExact(packet, kTpktHeaderSize)) {
      return "closed by the client";
    }
    const std::optional<size_t> length = PacketLength(packet);
    if (!length) {
      return "not a TPKT packet, or one of a length refused";
    }
    if (!socket.ReadExact(packet + kTpktHeaderSize, *length - kTpktHeaderSize)) {
      return "packet cut short";
    }
    const SessionStep step = session.OnPacket(packet, *length);
    if (!step.reply.empty() && !socket.WriteAll(step.reply.data(), step.reply.size())) {
      return "answer not sent";
    }
    if (!step.closeReason.empty()) {
      return step.closeReason;
    }
  }
}

}  // namespace plcsim
