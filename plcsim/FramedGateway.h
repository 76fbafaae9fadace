#pragma once

#include <optional>

#include "FrameBuffer.h"
#include "LinePersonality.h"
#include "S7Pdu.h"

namespace plcsim {

// What the Ethernet gateways share: the stream from the PC cut into the gateway's
// frames, each answered on its own, and the one PLC behind the gateway whose memory
// answers the S7 PDUs that reach its bus address. A gateway carries no PDU longer
// than 240 bytes, so that is all its PLC offers.
class FramedGateway : public LinePersonality {
 public:
  Bytes OnBytes(const uint8_t* data, size_t size) final;

 protected:
  FramedGateway(const PersonalitySettings& settings, FrameBuffer frames);

  // What the gateway sends back for one whole frame; empty for nothing.
  virtual Bytes AnswerFrame(const Bytes& frame) = 0;

  uint8_t Plc() const { return plc_; }
  // The PLC's answer to the PDU at `pdu`; nothing for one that breaks the protocol.
  std::optional<Bytes> AnswerS7(const uint8_t* pdu, size_t size);
  // A new connection negotiates its PDU size afresh.
  void ResetPduLimits() { limits_ = kGatewayLimits; }

 private:
  static constexpr PduLimits kGatewayLimits{kMinPduSize, kMinPduSize};

  const PlcMemory& memory_;
  const uint8_t plc_;
  FrameBuffer frames_;
  PduLimits limits_ = kGatewayLimits;
};

}  // namespace plcsim
