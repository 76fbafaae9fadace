#pragma once

#include "Transport.h"

namespace nodave {

// S7 online: the S7 connection runs through the vendor's access DLL on the handle
// that openS7online gave to daveNewInterface, in request blocks of the S7
// connection services. The interface's read and write functions are not used.
class S7onlineTransport : public Transport {
 public:
  // The open and connect blocks; the connect carries the PLC's address, rack and slot.
  int32_t Connect(daveConnection* dc) const override;
  // Sends the PDU and waits for the DLL's confirmation.
  int32_t SendPdu(daveConnection* dc, const Bytes& pdu, Clock::time_point deadline) const override;
  // Offers a receive segment and waits for a PDU in it. An offer that a time-out
  // left with the DLL serves a late answer, which the S7 layer skips.
  int32_t ReceivePdu(daveConnection* dc, Clock::time_point deadline, Bytes& pdu) const override;
  void Disconnect(daveConnection* dc) const override;
  uint16_t RequestedPdu() const override { return kRequestedPdu; }

  static constexpr uint16_t kRequestedPdu = 480;
};

}  // namespace nodave
