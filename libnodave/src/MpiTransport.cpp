#include "MpiTransport.h"

#include <string>

#include "Debug.h"
#include "HdlcLine.h"
#include "Line3964.h"

namespace nodave {
namespace {

constexpr int32_t kHighestAddress = 126;
constexpr uint8_t kConfirmOk = 0x01;
// Telegrams read while waiting for one, at most: an answer comes after the PLC's
// acknowledgement, and perhaps late telegrams of an exchange that timed out.
constexpr int kMostTelegrams = 5;

// What a connection keeps: the PLC's address and reference, our next message number.
struct MpiConnectionState : daveTransportState {
  MpiPeer peer;
  uint8_t nextNumber = 0;
};

MpiConnectionState& ConnectionState(daveConnection* dc) {
  return StateOf<MpiConnectionState>(dc->state);
}

// Why no awaited telegram came: another station answered, or the adapter took our
// telegram but no PLC answered, or the line stayed silent.
int32_t NoAnswer(int32_t result, bool foreign, bool delivered) {
  if (result != daveResTimeout) {
    return result;
  }
  if (foreign) {
    return daveResWrongAddress;
  }
  return delivered ? daveResNoPlcAtAddress : daveResTimeout;
}

bool ValidAddress(int32_t address) { return address >= 0 && address <= kHighestAddress; }

}  // namespace

int32_t MpiTransport::AdapterExchange(daveInterface* di, uint8_t command, const Bytes& request,
                                      Bytes& answer) const {
  int32_t result = variant_.link.Send(di, request);
  for (int read = 0; result == daveResOK && read < kMostTelegrams; ++read) {
    result = variant_.link.Receive(di, answer);
    if (result == daveResOK && IsAdapterAnswer(answer, command)) {
      return result;
    }
  }
  return result == daveResOK ? daveResTimeout : result;
}

int32_t MpiTransport::InitAdapter(daveInterface* di) const {
  if (!ValidAddress(di->localMPI) || di->speed < daveSpeed9k || di->speed > daveSpeed93k) {
    return daveResInvalidParam;
  }
  int32_t result = variant_.link.Open(di);
  Bytes answer;
  if (result == daveResOK && variant_.identify) {
    result = AdapterExchange(di, kAdapterIdentify, AdapterRequest(kAdapterIdentify), answer);
    if (result == daveResOK) {
      result = AdapterAnswerResult(answer);
    }
  }
  if (result == daveResOK) {
    result = AdapterExchange(di, kAdapterConfigure,
                             ConfigureRequest(variant_.format, di->speed, di->localMPI), answer);
  }
  if (result == daveResOK) {
    result = AdapterAnswerResult(answer);
  }
  if (result == daveResOK && variant_.busParameters) {
    // Its answer means nothing to us; an adapter that does not answer is no fault.
    AdapterExchange(di, kAdapterBusParameters, AdapterRequest(kAdapterBusParameters), answer);
  }
  if (result != daveResOK) {
    DebugLine(di, daveDebugInitAdapter, "adapter not ready: " + std::string(daveStrerror(result)));
  }
  return result;
}

int32_t MpiTransport::AwaitFunction(daveConnection* dc, uint8_t function, Bytes& telegram,
                                    size_t& body) const {
  daveInterface* di = dc->iface;
  MpiConnectionState& state = ConnectionState(dc);
  bool foreign = false;
  int32_t result = daveResTimeout;
  for (int read = 0; read < kMostTelegrams; ++read) {
    result = variant_.link.Receive(di, telegram);
    if (result != daveResOK) {
      break;
    }
    MpiBusView view;
    if (!ParseBusTelegram(variant_.format, telegram, state.peer.plc, view)) {
      continue;  // an adapter telegram, late
    }
    if (view.function == kMpiConnectResponse && function == kMpiConnectResponse) {
      const int32_t parsed =
          ParseConnectResponse(variant_.format, telegram, state.peer.plc, state.peer.plcRef);
      foreign = foreign || parsed == daveResWrongAddress;
      if (parsed == daveResOK) {
        return parsed;
      }
      continue;
    }
    if (!view.fromPlc) {
      foreign = true;
      continue;
    }
    if (view.function == kMpiData && telegram.size() > view.body) {
      variant_.link.Send(di, DataAck(variant_.format, state.peer, telegram[view.body]));
    }
    if (view.function == kMpiDisconnectRequest) {
      variant_.link.Send(di, BusTelegram(variant_.format, state.peer, kMpiDisconnectConfirm));
      if (function == kMpiDisconnectConfirm) {
        return daveResOK;
      }
      dc->connected = 0;
      return daveResConnectionLost;
    }
    // Data without a PDU after its message number is skipped.
    if (view.function == function && (function != kMpiData || telegram.size() > view.body + 1)) {
      body = view.body;
      return daveResOK;
    }
  }
  return NoAnswer(result == daveResOK ? daveResTimeout : result, foreign,
                  variant_.link.Delivered(di));
}

int32_t MpiTransport::Connect(daveConnection* dc) const {
  if (!ValidAddress(dc->MPIAdr)) {
    return daveResInvalidParam;
  }
  daveInterface* di = dc->iface;
  MpiConnectionState& state = ConnectionState(dc);
  state = MpiConnectionState{};
  state.peer.plc = static_cast<uint8_t>(dc->MPIAdr);
  Bytes telegram;
  size_t body = 0;
  int32_t result = variant_.link.Send(di, ConnectRequest(variant_.format, state.peer.plc));
  if (result == daveResOK) {
    result = AwaitFunction(dc, kMpiConnectResponse, telegram, body);
  }
  if (result == daveResOK) {
    result = variant_.link.Send(
        di, BusTelegram(variant_.format, state.peer, kMpiConnectConfirm, {kConfirmOk}));
  }
  if (result == daveResOK) {
    result = AwaitFunction(dc, kMpiConnectConfirm, telegram, body);
  }
  if (result == daveResOK) {
    result = variant_.link.AfterConnect(di);
  }
  if (result == daveResOK) {
    DebugLine(di, daveDebugConnect,
              "MPI connection with reference " + std::to_string(state.peer.plcRef));
  }
  return result;
}

int32_t MpiTransport::SendPdu(daveConnection* dc, const Bytes& pdu,
                              Clock::time_point /*deadline*/) const {
  MpiConnectionState& state = ConnectionState(dc);
  Bytes telegram;
  const int32_t result = DataTelegram(variant_.format, state.peer, state.nextNumber, pdu, telegram);
  if (result != daveResOK) {
    return result;
  }
  state.nextNumber = NextMessageNumber(state.nextNumber);
  return variant_.link.Send(dc->iface, telegram);
}

int32_t MpiTransport::ReceivePdu(daveConnection* dc, Clock::time_point /*deadline*/,
                                 Bytes& pdu) const {
  Bytes telegram;
  size_t body = 0;
  const int32_t result = AwaitFunction(dc, kMpiData, telegram, body);
  if (result == daveResOK) {  // the message number, then the PDU
    pdu.assign(telegram.begin() + static_cast<std::ptrdiff_t>(body) + 1, telegram.end());
  }
  return result;
}

void MpiTransport::Disconnect(daveConnection* dc) const {
  MpiConnectionState& state = ConnectionState(dc);
  if (variant_.link.Send(dc->iface, BusTelegram(variant_.format, state.peer,
                                                kMpiDisconnectRequest)) == daveResOK) {
    Bytes telegram;
    size_t body = 0;
    AwaitFunction(dc, kMpiDisconnectConfirm, telegram, body);
  }
}

void MpiTransport::DisconnectAdapter(daveInterface* di) const {
  Bytes answer;
  AdapterExchange(di, kAdapterDisconnect, AdapterRequest(kAdapterDisconnect), answer);
  variant_.link.Close(di);
}

const Transport* MpiTransportFor(int32_t protocol) {
  // Codes 0 and 2 write the bus header with the PLC's address; codes 1 and 3 route by
  // connection references after the connection request.
  static const Line3964 plainLine(false);
  static const Line3964 lineRequestedAfterConnect(true);
  static const HdlcLine step7Line;
  constexpr MpiFormat kLongFormat{false, 0x27, 0x1F, 0x02, 0x14, 0x80};
  constexpr MpiFormat kShortFormat{true, 0x17, 0x0F, 0x05, 0x03, 0x80};
  constexpr MpiFormat kStep7Format{false, 0x17, 0x1F, 0x05, 0x14, 0x00};
  static const MpiTransport mpi({kLongFormat, true, false, plainLine});
  static const MpiTransport mpi2({kShortFormat, false, false, plainLine});
  static const MpiTransport mpi3({kStep7Format, false, true, step7Line});
  static const MpiTransport mpi4({kShortFormat, false, false, lineRequestedAfterConnect});
  switch (protocol) {
    case daveProtoMPI:
      return &mpi;
    case daveProtoMPI2:
      return &mpi2;
    case daveProtoMPI3:
      return &mpi3;
    case daveProtoMPI4:
      return &mpi4;
    default:
      return nullptr;
  }
}

}  // namespace nodave
