#include "IbhFrame.h"

#include "GatewaySocket.h"

namespace nodave {
namespace {

constexpr uint8_t kToGateway = 0x07;
constexpr uint8_t kChannelB = 0xFF;
constexpr size_t kLengthAt = 2;
constexpr size_t kPacketAt = 3;
constexpr size_t kStartSize = 3;  // channel bytes and length: enough to know the rest
constexpr uint8_t kFromPlcType = 0xC2;
constexpr uint8_t kFromPlcSubtype = 0x02;
constexpr size_t kMpiLengthIn = 14;  // bytes after it to the frame's end
constexpr size_t kFunctionIn = 15;
constexpr size_t kNumberIn = 16;
constexpr size_t kNetAckSize = 13;
constexpr uint8_t kNetAckBody = 5;

bool HeaderIs(const Bytes& frame, uint8_t b4, uint8_t b5, uint8_t b6, uint8_t b7) {
  return frame.size() >= kIbhHeaderSize && frame[4] == b4 && frame[5] == b5 && frame[6] == b6 &&
         frame[7] == b7;
}

}  // namespace

IbhKind IbhKindOf(const Bytes& frame) {
  if (HeaderIs(frame, 0, 0, kFromPlcType, kFromPlcSubtype)) {
    return IbhKind::kPlcFrame;
  }
  if (HeaderIs(frame, kIbhMpiFrame, 0, 0, 0) && frame[kLengthAt] != 0 && frame[kPacketAt] != 0) {
    return IbhKind::kTransportAck;
  }
  if (HeaderIs(frame, kIbhIdCheck, 0, 0, 0)) {
    return IbhKind::kIdAnswer;
  }
  return IbhKind::kOther;
}

Bytes IbhFrame(uint8_t packet, uint8_t type, const Bytes& body) {
  Bytes frame{kToGateway, kChannelB, static_cast<uint8_t>(body.size()), packet, 0, 0, type, 0};
  frame.insert(frame.end(), body.begin(), body.end());
  return frame;
}

Bytes IbhMpiFrame(uint8_t packet, const IbhRoute& route, uint8_t function, const Bytes& data) {
  Bytes body{route.ownId, route.gatewayId, route.plc, 0, static_cast<uint8_t>(data.size() + 1),
             function};
  body.insert(body.end(), data.begin(), data.end());
  return IbhFrame(packet, kIbhMpiFrame, body);
}

int32_t ParseIbhPlcFrame(const Bytes& frame, IbhPlcFrame& parsed) {
  if (frame.size() <= kFunctionIn) {
    return daveResShortPacket;
  }
  if (size_t{frame[kMpiLengthIn]} != frame.size() - kFunctionIn) {
    return daveResCannotEvaluatePDU;
  }
  parsed.gatewayId = frame[9];
  parsed.plc = frame[10];
  parsed.function = frame[kFunctionIn];
  parsed.number = frame.size() > kNumberIn ? frame[kNumberIn] : 0;
  const size_t pduAt = kIbhHeaderSize + kIbhMpiHeaderIn;
  parsed.pdu.assign(frame.size() > pduAt ? frame.begin() + pduAt : frame.end(), frame.end());
  return daveResOK;
}

bool IbhIdFree(const Bytes& frame) { return frame.size() >= kIbhHeaderSize + 2 && frame[9] == 0; }

Bytes IbhNetAck(const Bytes& transportAck) {
  if (transportAck.size() < kNetAckSize) {
    return {};
  }
  Bytes ack(transportAck.begin(), transportAck.begin() + kNetAckSize);
  ack[kLengthAt] = kNetAckBody;
  ack[11] = 0x01;
  ack[12] = 0x09;
  return ack;
}

int32_t ReceiveIbhFrame(daveInterface* di, Clock::time_point deadline, Bytes& frame) {
  frame.clear();
  int32_t result = GatewayReceive(di, kStartSize, deadline, frame);
  if (result == daveResOK) {
    result = GatewayReceive(di, kIbhHeaderSize - kStartSize + frame[kLengthAt], deadline, frame);
  }
  return result;
}

}  // namespace nodave
