#pragma once

#include "Transport.h"

namespace nodave {

// S5 PLCs over their programming port (AS511) on a serial line. No S7 here: connect
// reads the system parameters (where inputs, outputs, flags, timers and counters
// live), a read asks for a range of the PLC's memory, a data block's range after its
// block information.
class As511Transport : public Transport {
 public:
  // Reads the system parameters and keeps them for the connection's reads.
  int32_t Connect(daveConnection* dc) const override;
  // The S5 programming port carries no S7 PDUs; these are never asked.
  int32_t SendPdu(daveConnection* dc, const Bytes& pdu, Clock::time_point deadline) const override;
  int32_t ReceivePdu(daveConnection* dc, Clock::time_point deadline, Bytes& pdu) const override;
  // Also the largest read: an S5 answer has no S7 overhead.
  uint16_t RequestedPdu() const override { return kPduLength; }

  int32_t ConnectPlc(daveConnection* dc) const override;
  int32_t ReadBytes(daveConnection* dc, int32_t area, int32_t db, int32_t start, int32_t length,
                    uint8_t* buffer) const override;
  // Forgets the system parameters.
  void Disconnect(daveConnection* dc) const override;

 private:
  static constexpr uint16_t kPduLength = 240;
};

}  // namespace nodave
