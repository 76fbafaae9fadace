#include "IsoSession.h"

#include <cstdio>

namespace plcsim {

namespace {

// Fragments of one PDU may not add up to more than this.
constexpr size_t kMaxPduSize = kMaxPacketSize;
constexpr size_t kDataHeaderSize = 3;

SessionStep Close(std::string reason) { return SessionStep{{}, std::move(reason)}; }

}  // namespace

IsoSession::IsoSession(const PlcMemory& memory, uint16_t offeredPdu, AcceptedRackSlot accepted)
    : memory_(memory), limits_{offeredPdu, kMinPduSize}, accepted_(accepted) {}

SessionStep IsoSession::OnPacket(const uint8_t* packet, size_t size) {
  const std::optional<Tpdu> tpdu = ParseTpdu(packet, size);
  if (!tpdu) {
    return Close("malformed COTP header");
  }
  switch (tpdu->type) {
    case TpduType::kConnectRequest:
      return OnConnectRequest(*tpdu);
    case TpduType::kData:
      return OnData(*tpdu);
    case TpduType::kDisconnectRequest:
      return SessionStep{ConfirmDisconnect(*tpdu), "disconnect request"};
    default:
      break;
  }
  char reason[40];
  std::snprintf(reason, sizeof reason, "unexpected COTP TPDU 0x%02X", tpdu->header[1]);
  return Close(reason);
}

SessionStep IsoSession::OnConnectRequest(const Tpdu& request) {
  if (connected_) {
    return Close("second connection request");
  }
  if (!CallsRackSlot(request, accepted_)) {
    return SessionStep{RefuseConnection(request), "refused: another rack or slot called"};
  }
  std::optional<ConnectionConfirm> confirm = ConfirmConnection(request);
  if (!confirm) {
    return Close("malformed connection request");
  }
  connected_ = true;
  tpduSize_ = confirm->tpduSize;
  return SessionStep{std::move(confirm->packet), {}};
}

SessionStep IsoSession::OnData(const Tpdu& data) {
  if (!connected_) {
    return Close("data before the connection request");
  }
  if (data.headerSize != kDataHeaderSize) {
    return Close("malformed DT header");
  }
  if (data.dataSize > kMaxPduSize - fragments_.size()) {
    return Close("S7 PDU longer than " + std::to_string(kMaxPduSize) + " bytes");
  }
  fragments_.insert(fragments_.end(), data.data, data.data + data.dataSize);
  if (!IsLastFragment(data) || fragments_.empty()) {
    return SessionStep{};  // more to come, or an empty acknowledgement
  }
  const std::optional<Bytes> answer =
      AnswerPdu(fragments_.data(), fragments_.size(), limits_, memory_);
  fragments_.clear();
  if (!answer) {
    return Close("malformed S7 PDU");
  }
  return SessionStep{FrameData(*answer, tpduSize_), {}};
}

}  // namespace plcsim
