#pragma once

#include "Transport.h"

namespace nodave {

// ISO over TCP (RFC 1006: TPKT and COTP) on the socket given to daveNewInterface, for
// S7 CPUs and, with the "MW" TSAPs, for a CP 243.
class IsoTransport : public Transport {
 public:
  // Connection request and confirm; fills the connection's transport unit size.
  int32_t Connect(daveConnection* dc) const override;
  int32_t SendPdu(daveConnection* dc, const Bytes& pdu, Clock::time_point deadline) const override;
  int32_t ReceivePdu(daveConnection* dc, Clock::time_point deadline, Bytes& pdu) const override;
  uint16_t RequestedPdu() const override { return daveRequestedPDU; }
};

}  // namespace nodave
