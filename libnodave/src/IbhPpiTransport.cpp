#include "IbhPpiTransport.h"

#include "Debug.h"
#include "GatewaySocket.h"
#include "IbhFrame.h"

namespace nodave {
namespace {

constexpr uint8_t kPpiPacket = 2;  // every PDU frame carries this number
constexpr uint8_t kAnyStation = 0xFF;
constexpr size_t kAddressAt = 10;
constexpr size_t kPduAt = 14;       // in answers
constexpr size_t kLargestPoll = 5;  // body bytes of the gateway's polls
constexpr size_t kSmallestAnswer = 7;
constexpr uint8_t kS7ProtocolId = 0x32;

struct IbhPpiConnection : daveTransportState {
  uint8_t ackNumber = 0;  // of our next poll acknowledgement
};

// Body of the frames to the PLC: any station, PPI address, 00, PDU length.
Bytes PpiHeader(const daveConnection* dc, size_t pduLength) {
  return {kAnyStation, kAnyStation, static_cast<uint8_t>(dc->MPIAdr), 0,
          static_cast<uint8_t>(pduLength)};
}

// An answer names its station like our frames do; one naming another is not ours.
bool ForAnotherStation(const daveConnection* dc, const Bytes& frame) {
  return frame[8] == kAnyStation && frame[9] == kAnyStation &&
         frame[kAddressAt] != static_cast<uint8_t>(dc->MPIAdr);
}

// Polls from the gateway are acknowledged, the answer of our station is taken (its PDU
// into `pdu`), answers of other stations and anything else are skipped.
GatewayVerdict JudgeFrame(daveConnection* dc, const Bytes& frame, Bytes& pdu) {
  GatewayVerdict verdict;
  const size_t body = frame.size() - kIbhHeaderSize;
  const bool fromGateway = frame[4] == kIbhMpiFrame && frame[5] == 0;
  if (fromGateway && body <= kLargestPoll) {
    uint8_t& number = StateOf<IbhPpiConnection>(dc->state).ackNumber;
    verdict.result = GatewaySend(dc->iface, IbhFrame(number++, kIbhMpiFrame, PpiHeader(dc, 0)));
  } else if (fromGateway && body >= kSmallestAnswer && frame[kPduAt] == kS7ProtocolId) {
    verdict.foreign = ForAnotherStation(dc, frame);
    verdict.taken = !verdict.foreign;
    if (verdict.taken) {
      pdu.assign(frame.begin() + kPduAt, frame.end());
    }
  } else {
    DebugBytes(dc->iface, daveDebugPrintErrors, "IBH PPI skipped", frame.data(), frame.size());
  }
  return verdict;
}

}  // namespace

int32_t IbhPpiTransport::Connect(daveConnection* dc) const {
  GatewayResynchronise(dc->iface);
  StateOf<IbhPpiConnection>(dc->state) = IbhPpiConnection{};
  return daveResOK;
}

int32_t IbhPpiTransport::SendPdu(daveConnection* dc, const Bytes& pdu,
                                 Clock::time_point /*deadline*/) const {
  Bytes body = PpiHeader(dc, pdu.size());
  if (pdu.size() + body.size() > kIbhLargestBody) {
    return daveResInvalidLength;
  }
  GatewayResynchronise(dc->iface);
  body.insert(body.end(), pdu.begin(), pdu.end());
  return GatewaySend(dc->iface, IbhFrame(kPpiPacket, kIbhMpiFrame, body));
}

int32_t IbhPpiTransport::ReceivePdu(daveConnection* dc, Clock::time_point deadline,
                                    Bytes& pdu) const {
  Bytes frame;
  return GatewayReceiveUntil(
      dc->iface, deadline, &ReceiveIbhFrame, frame,
      [dc, &pdu](const Bytes& received) { return JudgeFrame(dc, received, pdu); });
}

}  // namespace nodave
