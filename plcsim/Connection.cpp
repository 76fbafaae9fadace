#include "Connection.h"

#include "IsoFrame.h"
#include "IsoSession.h"

namespace plcsim {

namespace {

// Sends an answer as the fault plan wants it; an empty result to go on, or why the
// connection ends.
std::string Answer(TcpSocket& socket, Bytes& reply, FaultInjector* faults,
                   const std::string& peer) {
  const FaultOutcome outcome = faults != nullptr ? faults->OnAnswer(reply, peer) : FaultOutcome{};
  if (outcome.delayMs > 0 && !faults->Wait(outcome.delayMs)) {
    return "stopped";
  }
  if (outcome.send && !socket.WriteAll(reply.data(), reply.size())) {
    return "answer not sent";
  }
  return outcome.close ? std::string("fault close") : std::string();
}

}  // namespace

std::string ServeConnection(TcpSocket& socket, const PlcMemory& memory, uint16_t offeredPdu,
                            AcceptedRackSlot accepted, FaultInjector* faults,
                            const std::string& peer) {
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
    SessionStep step = session.OnPacket(packet, *length);
    if (!step.reply.empty()) {
      std::string ended = Answer(socket, step.reply, faults, peer);
      if (!ended.empty()) {
        return ended;
      }
    }
    if (!step.closeReason.empty()) {
      return step.closeReason;
    }
  }
}

}  // namespace plcsim
