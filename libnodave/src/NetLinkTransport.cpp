#include "NetLinkTransport.h"

#include <algorithm>
#include <string>

#include "Debug.h"
#include "GatewaySocket.h"
#include "MpiTelegram.h"
#include "NetLinkFrame.h"
#include "NetLinkTelegram.h"

namespace nodave {
namespace {

constexpr uint8_t kConfirmStatus = 0x07;
constexpr size_t kPlcReferenceAt = 5;
constexpr size_t kFunctionAt = 6;
constexpr auto kCloseWait = std::chrono::milliseconds(200);
const Bytes kEndConnection{0x02};
const Bytes kEndAdapter{0x01, 0x04, 0x02};

struct NetLinkConnection : daveTransportState {
  uint8_t plcReference = 0;
};

uint8_t PlcAddress(const daveConnection* dc) { return static_cast<uint8_t>(dc->MPIAdr); }

uint8_t PlcReference(daveConnection* dc) {
  return StateOf<NetLinkConnection>(dc->state).plcReference;
}

Bytes Telegram(const daveConnection* dc, uint8_t kind, uint8_t service, uint8_t destination,
               const Bytes& data) {
  Bytes telegram = BusHeader(kind, PlcAddress(dc), service, destination, kBusLocalReference);
  telegram.insert(telegram.end(), data.begin(), data.end());
  return telegram;
}

int32_t Send(daveInterface* di, const Bytes& payload) {
  return GatewaySend(di, NetLinkFrame(payload));
}

// What a telegram is to this connection: telegrams of other stations are skipped, an
// adapter's error answer and a disconnect from the PLC are refusals.
GatewayVerdict JudgeTelegram(daveConnection* dc, const Bytes& payload) {
  daveInterface* di = dc->iface;
  const int32_t result = NetLinkAnswerResult(payload);
  if (result != daveResOK) {
    return {result};
  }
  if (payload.size() < kBusHeaderSize) {
    return {daveResShortPacket};
  }
  if (!IsForeignBusTelegram(payload, PlcAddress(dc), static_cast<uint8_t>(di->localMPI))) {
    const uint8_t function = payload.size() > kFunctionAt ? payload[kFunctionAt] : 0;
    const bool disconnect = payload[0] == kBusControl && (function == kMpiDisconnectRequest ||
                                                          function == kMpiDisconnectConfirm);
    return {disconnect ? daveResPlcConnectionsUsedUp : daveResOK, true};
  }
  DebugBytes(di, daveDebugPrintErrors, "NetLink-PRO skipped", payload.data(), payload.size());
  return {daveResOK, false, true};
}

// The next telegram for this connection.
int32_t ReceiveTelegram(daveConnection* dc, Clock::time_point deadline, Bytes& payload) {
  return GatewayReceiveUntil(dc->iface, deadline, &ReceiveNetLinkFrame, payload,
                             [dc](const Bytes& received) { return JudgeTelegram(dc, received); });
}

// Sends a telegram and waits for the adapter's one answer frame.
int32_t Request(daveConnection* dc, const Bytes& telegram, Clock::time_point deadline,
                Bytes& answer) {
  const int32_t result = Send(dc->iface, telegram);
  return result == daveResOK ? ReceiveTelegram(dc, deadline, answer) : result;
}

// Sends and reads one answer without looking at it, not waiting long.
void CloseRequest(daveInterface* di, const Bytes& payload) {
  if (Send(di, payload) == daveResOK) {
    Bytes answer;
    ReceiveNetLinkFrame(di, std::min(Deadline(di), Clock::now() + kCloseWait), answer);
  }
}

}  // namespace

int32_t NetLinkTransport::InitAdapter(daveInterface* di) const {
  GatewayResynchronise(di);
  int32_t result = Send(di, NetLinkConfiguration(di->speed, di->localMPI));
  Bytes answer;
  if (result == daveResOK) {
    result = ReceiveNetLinkFrame(di, Deadline(di), answer);
  }
  if (result == daveResOK) {
    result = NetLinkAnswerResult(answer);
  }
  if (result != daveResOK) {
    DebugLine(di, daveDebugPrintErrors,
              "NetLink-PRO adapter init failed: " + std::string(daveStrerror(result)));
  }
  return result;
}

int32_t NetLinkTransport::Connect(daveConnection* dc) const {
  GatewayResynchronise(dc->iface);
  const Clock::time_point deadline = Deadline(dc->iface);
  Bytes connect = Telegram(dc, kBusControl, kBusServiceConnect, 0, {kMpiConnectRequest});
  const Bytes body = ConnectBody();
  connect.insert(connect.end(), body.begin(), body.end());
  Bytes answer;
  int32_t result = Request(dc, connect, deadline, answer);
  if (result == daveResTimeout) {
    result = daveResNoPlcAtAddress;  // the adapter answered its configuration
  }
  if (result != daveResOK) {
    return result;
  }
  const uint8_t reference = answer[kPlcReferenceAt];
  StateOf<NetLinkConnection>(dc->state).plcReference = reference;
  DebugLine(dc->iface, daveDebugConnect,
            "NetLink-PRO connected, PLC reference " + std::to_string(reference));
  const Bytes confirm =
      Telegram(dc, kBusControl, kBusServiceOther, reference, {kMpiConnectConfirm, kConfirmStatus});
  return Request(dc, confirm, deadline, answer);
}

int32_t NetLinkTransport::SendPdu(daveConnection* dc, const Bytes& pdu,
                                  Clock::time_point /*deadline*/) const {
  if (pdu.size() + kBusHeaderSize > kNetLinkLargestPayload) {
    return daveResInvalidLength;
  }
  GatewayResynchronise(dc->iface);
  return Send(dc->iface, Telegram(dc, kBusPdu, kBusServiceOther, PlcReference(dc), pdu));
}

int32_t NetLinkTransport::ReceivePdu(daveConnection* dc, Clock::time_point deadline,
                                     Bytes& pdu) const {
  Bytes answer;
  const int32_t result = ReceiveTelegram(dc, deadline, answer);
  if (result == daveResPlcConnectionsUsedUp) {
    return daveResGatewayConnectionEnded;  // connected before, so the PLC ended it now
  }
  if (result == daveResOK) {
    pdu.assign(answer.begin() + kBusHeaderSize, answer.end());
  }
  return result;
}

void NetLinkTransport::Disconnect(daveConnection* dc) const {
  CloseRequest(dc->iface, kEndConnection);
  CloseRequest(dc->iface, Telegram(dc, kBusControl, kBusServiceOther, PlcReference(dc),
                                   {kMpiDisconnectRequest}));
}

void NetLinkTransport::DisconnectAdapter(daveInterface* di) const { CloseRequest(di, kEndAdapter); }

}  // namespace nodave
