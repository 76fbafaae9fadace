#pragma once

#include "Transport.h"

namespace nodave {

// PPI to an S7-200 on its PPI port (protocol 10): the PC is the only master on the
// line. Each S7 job goes out as a request that the PLC acknowledges with E5; its
// answer is fetched with a poll. The local address is the interface's localMPI, the
// PLC's the connection's MPIAdr. There is no connect or disconnect telegram.
class PpiTransport : public Transport {
 public:
  // Checks the addresses; setup communication follows as the whole connect.
  int32_t Connect(daveConnection* dc) const override;
  // Sends the request until the PLC acknowledges it, at most three times.
  int32_t SendPdu(daveConnection* dc, const Bytes& pdu, Clock::time_point deadline) const override;
  // Polls until the PLC hands out its answer.
  int32_t ReceivePdu(daveConnection* dc, Clock::time_point deadline, Bytes& pdu) const override;
  uint16_t RequestedPdu() const override;
  // The S7 layer's read, with the area daveV read as data block 1: an S7-200 keeps
  // its V memory there.
  int32_t ReadBytes(daveConnection* dc, int32_t area, int32_t db, int32_t start, int32_t length,
                    uint8_t* buffer) const override;
};

}  // namespace nodave
