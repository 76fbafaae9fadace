#pragma once

#include "Transport.h"

namespace nodave {

// The NetLink-PRO adapter: the telegrams of a serial MPI adapter, each in a
// length-prefixed frame over the socket given to daveNewInterface.
class NetLinkTransport : public Transport {
 public:
  // Sends the bus parameters (speed, local address); an error answer is refused.
  int32_t InitAdapter(daveInterface* di) const override;
  // Connect request to the PLC's bus address and its confirm.
  int32_t Connect(daveConnection* dc) const override;
  int32_t SendPdu(daveConnection* dc, const Bytes& pdu, Clock::time_point deadline) const override;
  // The one answer frame; telegrams of other stations are skipped.
  int32_t ReceivePdu(daveConnection* dc, Clock::time_point deadline, Bytes& pdu) const override;
  void Disconnect(daveConnection* dc) const override;
  void DisconnectAdapter(daveInterface* di) const override;
  // Bus frames carry no more, whatever the PLC could take.
  uint16_t RequestedPdu() const override { return 240; }
};

}  // namespace nodave
