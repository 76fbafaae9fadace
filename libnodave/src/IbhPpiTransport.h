#pragma once

#include "IbhTransport.h"

namespace nodave {

// The IBH-Link gateway with a PPI bus (S7-200) behind it: no connection of its own on
// the gateway; each PDU goes to the PLC's PPI address.
class IbhPpiTransport : public Transport {
 public:
  // Nothing to open: setup communication follows at once.
  int32_t Connect(daveConnection* dc) const override;
  int32_t SendPdu(daveConnection* dc, const Bytes& pdu, Clock::time_point deadline) const override;
  // Answers the gateway's polls; skips answers of other stations.
  int32_t ReceivePdu(daveConnection* dc, Clock::time_point deadline, Bytes& pdu) const override;
  uint16_t RequestedPdu() const override { return IbhTransport::kGatewayPdu; }
};

}  // namespace nodave
