#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "IsoFrame.h"
#include "PlcMemory.h"
#include "RackSlot.h"
#include "S7Pdu.h"

namespace plcsim {

// What to do after one packet: send `reply` (may be empty), then close when
// `closeReason` is not empty.
struct SessionStep {
  Bytes reply;
  std::string closeReason;
};

// The protocol state of one client connection: COTP connection, fragments of
// the current S7 PDU, the negotiated PDU size.
class IsoSession {
 public:
  IsoSession(const PlcMemory& memory, uint16_t offeredPdu, AcceptedRackSlot accepted = {});

  // `packet` is one whole TPKT packet whose header PacketLength accepted.
  SessionStep OnPacket(const uint8_t* packet, size_t size);

 private:
  SessionStep OnConnectRequest(const Tpdu& request);
  SessionStep OnData(const Tpdu& data);

  const PlcMemory& memory_;
  PduLimits limits_;
  AcceptedRackSlot accepted_;
  bool connected_ = false;
  size_t tpduSize_ = 0;
  Bytes fragments_;
};

}  // namespace plcsim
