#pragma once

#include "Transport.h"

namespace nodave {

// The IBH-Link gateway with an MPI bus behind it: a connection of the gateway to the
// PLC's bus address, carried over the socket given to daveNewInterface.
class IbhTransport : public Transport {
 public:
  // Finds a free connection ID on the gateway, connects to the PLC's bus address and
  // confirms the connection.
  int32_t Connect(daveConnection* dc) const override;
  int32_t SendPdu(daveConnection* dc, const Bytes& pdu, Clock::time_point deadline) const override;
  // Acknowledges the PLC's data frame; skips acknowledgements and frames of other
  // stations on the way.
  int32_t ReceivePdu(daveConnection* dc, Clock::time_point deadline, Bytes& pdu) const override;
  void Disconnect(daveConnection* dc) const override;
  uint16_t RequestedPdu() const override { return kGatewayPdu; }

  // The body length is one byte, so answers are never longer than this.
  static constexpr uint16_t kGatewayPdu = 240;
};

}  // namespace nodave
