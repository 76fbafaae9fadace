#include "IbhTransport.h"

#include <algorithm>
#include <string>

#include "Debug.h"
#include "GatewaySocket.h"
#include "IbhFrame.h"
#include "MpiTelegram.h"

namespace nodave {
namespace {

constexpr uint8_t kFirstId = 0x14;
constexpr int kIdsToTry = 10;
// Packet numbers of the connect steps, the first data frame and the fixed ones.
constexpr uint8_t kIdCheckPacket = 1;
constexpr uint8_t kConnectPacket = 2;
constexpr uint8_t kConfirmPacket = 3;
constexpr uint8_t kFirstDataPacket = 4;
constexpr uint8_t kAckPacket = 5;
constexpr uint8_t kDisconnectPacket = 8;
constexpr uint8_t kStatusOk = 0x01;
constexpr size_t kLocalByteAt = 11;
constexpr uint8_t kConnectLocalByte = 0x01;
constexpr auto kDisconnectWait = std::chrono::milliseconds(200);

// What a connection keeps between calls.
struct IbhConnection : daveTransportState {
  IbhRoute route;
  uint8_t packet = kFirstDataPacket;
  uint8_t number = 0;      // our next MPI sequence number
  int lastPlcNumber = -1;  // the PLC's last data frame, to drop a repeated one

  uint8_t NextNumber() {
    const uint8_t current = number;
    number = static_cast<uint8_t>(number + 1);
    if (number == 0) {
      number = 1;  // 0 is used only before the first wrap
    }
    return current;
  }
};

IbhConnection& ConnectionOf(daveConnection* dc) { return StateOf<IbhConnection>(dc->state); }

void Trace(daveConnection* dc, const std::string& text) {
  DebugLine(dc->iface, daveDebugConnect, "IBH " + text);
}

// What a frame is to a connection waiting for its PLC: the gateway's transport acks
// are answered, a frame of this connection's PLC is taken, everything else skipped.
GatewayVerdict JudgePlcFrame(daveConnection* dc, const Bytes& frame, IbhPlcFrame& parsed) {
  GatewayVerdict verdict;
  const IbhKind kind = IbhKindOf(frame);
  if (kind == IbhKind::kTransportAck) {
    verdict.result = GatewaySend(dc->iface, IbhNetAck(frame));
  } else if (kind == IbhKind::kPlcFrame) {
    verdict.result = ParseIbhPlcFrame(frame, parsed);
    verdict.taken = verdict.result == daveResOK && parsed.plc == ConnectionOf(dc).route.plc;
    verdict.foreign = verdict.result == daveResOK;
  } else {
    DebugBytes(dc->iface, daveDebugPrintErrors, "IBH skipped", frame.data(), frame.size());
  }
  return verdict;
}

// A frame the PLC's side sent to this connection.
int32_t ReceivePlcFrame(daveConnection* dc, Clock::time_point deadline, IbhPlcFrame& parsed) {
  Bytes frame;
  return GatewayReceiveUntil(
      dc->iface, deadline, &ReceiveIbhFrame, frame,
      [dc, &parsed](const Bytes& received) { return JudgePlcFrame(dc, received, parsed); });
}

// Waits for the PLC's frame with `function`; a disconnect from the PLC's side is
// its refusal.
int32_t AwaitFunction(daveConnection* dc, uint8_t function, Clock::time_point deadline) {
  IbhPlcFrame parsed;
  for (;;) {
    const int32_t result = ReceivePlcFrame(dc, deadline, parsed);
    if (result != daveResOK) {
      return result;
    }
    if (parsed.function == function) {
      ConnectionOf(dc).route.gatewayId = parsed.gatewayId;
      return daveResOK;
    }
    if (parsed.function == kMpiDisconnectRequest || parsed.function == kMpiDisconnectConfirm) {
      return daveResPlcConnectionsUsedUp;
    }
  }
}

// The gateway's answer to an ID check: free, taken, or no answer at all.
int32_t CheckId(daveConnection* dc, uint8_t id, Clock::time_point deadline, bool& free) {
  const Bytes body{id, 0xFF, 0xF0, 0xF0, 0xF0, 0xF0};
  int32_t result = GatewaySend(dc->iface, IbhFrame(kIdCheckPacket, kIbhIdCheck, body));
  while (result == daveResOK) {
    Bytes frame;
    result = ReceiveIbhFrame(dc->iface, deadline, frame);
    if (result == daveResOK && IbhKindOf(frame) == IbhKind::kIdAnswer &&
        frame[3] == kIdCheckPacket) {
      free = IbhIdFree(frame);
      return daveResOK;
    }
  }
  return result;
}

int32_t FindFreeId(daveConnection* dc, Clock::time_point deadline) {
  for (int k = 0; k < kIdsToTry; ++k) {
    const auto id = static_cast<uint8_t>(kFirstId + k);
    bool free = false;
    const int32_t result = CheckId(dc, id, deadline, free);
    if (result != daveResOK) {
      return result;
    }
    if (free) {
      ConnectionOf(dc).route.ownId = id;
      Trace(dc, "connection ID " + std::to_string(id));
      return daveResOK;
    }
  }
  return daveResGatewayNoFreeId;
}

int32_t ConnectToPlc(daveConnection* dc, Clock::time_point deadline) {
  IbhRoute& route = ConnectionOf(dc).route;
  route.gatewayId = 0;
  Bytes frame = IbhMpiFrame(kConnectPacket, route, kMpiConnectRequest, ConnectBody());
  frame[kLocalByteAt] = kConnectLocalByte;  // as gateways know the connect request
  int32_t result = GatewaySend(dc->iface, frame);
  if (result == daveResOK) {
    result = AwaitFunction(dc, kMpiConnectResponse, deadline);
  }
  // The gateway answered the ID check, so silence now is the bus address's.
  return result == daveResTimeout ? daveResNoPlcAtAddress : result;
}

int32_t ConfirmConnection(daveConnection* dc, Clock::time_point deadline) {
  const int32_t result = GatewaySend(dc->iface, IbhMpiFrame(kConfirmPacket, ConnectionOf(dc).route,
                                                            kMpiConnectConfirm, {kStatusOk}));
  return result == daveResOK ? AwaitFunction(dc, kMpiConnectConfirm, deadline) : result;
}

}  // namespace

int32_t IbhTransport::Connect(daveConnection* dc) const {
  GatewayResynchronise(dc->iface);
  IbhConnection& state = ConnectionOf(dc);
  state = IbhConnection{};
  state.route.plc = static_cast<uint8_t>(dc->MPIAdr);
  const Clock::time_point deadline = Deadline(dc->iface);
  int32_t result = FindFreeId(dc, deadline);
  if (result == daveResOK) {
    result = ConnectToPlc(dc, deadline);
  }
  if (result == daveResOK) {
    result = ConfirmConnection(dc, deadline);
    if (result != daveResOK) {
      Disconnect(dc);  // the PLC accepted the connection: its ID must be given back
    }
  }
  if (result == daveResOK) {
    Trace(dc, "connected to bus address " + std::to_string(dc->MPIAdr));
  }
  return result;
}

int32_t IbhTransport::SendPdu(daveConnection* dc, const Bytes& pdu,
                              Clock::time_point /*deadline*/) const {
  if (pdu.size() + kIbhMpiHeaderOut > kIbhLargestBody) {
    return daveResInvalidLength;
  }
  GatewayResynchronise(dc->iface);
  IbhConnection& state = ConnectionOf(dc);
  Bytes data;
  data.reserve(1 + pdu.size());
  data.push_back(state.NextNumber());
  data.insert(data.end(), pdu.begin(), pdu.end());
  const uint8_t packet = state.packet++;
  return GatewaySend(dc->iface, IbhMpiFrame(packet, state.route, kMpiData, data));
}

int32_t IbhTransport::ReceivePdu(daveConnection* dc, Clock::time_point deadline, Bytes& pdu) const {
  IbhConnection& state = ConnectionOf(dc);
  IbhPlcFrame parsed;
  for (;;) {
    int32_t result = ReceivePlcFrame(dc, deadline, parsed);
    if (result != daveResOK) {
      return result;
    }
    if (parsed.function == kMpiDataAck) {
      continue;
    }
    if (parsed.function == kMpiDisconnectRequest || parsed.function == kMpiDisconnectConfirm) {
      return daveResGatewayConnectionEnded;
    }
    const Bytes ack{kStatusOk, parsed.number};
    result = GatewaySend(dc->iface, IbhMpiFrame(kAckPacket, state.route, kMpiDataAck, ack));
    if (result != daveResOK) {
      return result;
    }
    if (parsed.function != kMpiData) {
      DebugLine(dc->iface, daveDebugPrintErrors,
                "IBH skipped MPI function " + std::to_string(parsed.function));
    } else if (parsed.number == state.lastPlcNumber) {
      DebugLine(dc->iface, daveDebugPrintErrors,
                "IBH skipped a repeated frame " + std::to_string(parsed.number));
    } else {
      state.lastPlcNumber = parsed.number;
      pdu = std::move(parsed.pdu);
      return daveResOK;
    }
  }
}

void IbhTransport::Disconnect(daveConnection* dc) const {
  const Bytes frame =
      IbhMpiFrame(kDisconnectPacket, ConnectionOf(dc).route, kMpiDisconnectRequest, {});
  if (GatewaySend(dc->iface, frame) == daveResOK) {
    Bytes answer;
    ReceiveIbhFrame(dc->iface, std::min(Deadline(dc->iface), Clock::now() + kDisconnectWait),
                    answer);
  }
}

}  // namespace nodave
