#pragma once

#include "MpiLink.h"

namespace nodave {

// MPI telegrams in the Step 7 link's frames ("MPI protocol (Step 7 version)"). The PC
// opens a session (FC, answered CE), then numbers its data frames HDLC-style: its own
// send number in the high nibble, the adapter's next expected frame in the low one,
// both counting from 0 modulo 8. The adapter's repeated frames are dropped; when an
// answer does not come within a time-out the last frame is sent again (the adapter
// answers a repeat with its answer again). Receive-ready frames are skipped, except
// that one seen twice in a row (the adapter's keep-alive) is echoed.
class HdlcLine : public MpiLink {
 public:
  int32_t Open(daveInterface* di) const override;
  int32_t Send(daveInterface* di, const Bytes& telegram) const override;
  int32_t Receive(daveInterface* di, Bytes& telegram) const override;
  bool Delivered(const daveInterface* di) const override;
  void Close(daveInterface* di) const override;
};

}  // namespace nodave
