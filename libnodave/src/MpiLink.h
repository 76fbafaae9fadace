#pragma once

#include "Bytes.h"
#include "nodave.h"

namespace nodave {

// How MPI telegrams cross the serial line between the PC and its adapter: 3964R
// blocks, or the Step 7 link's numbered frames. What a link keeps (queued blocks,
// sequence numbers) lives in the interface record's state. A link times each of its
// waits on its own, with the interface's time-out, and bounds a step by its count of
// tries.
class MpiLink {
 public:
  virtual ~MpiLink() = default;

  // Starts afresh: drops what earlier exchanges left and opens the link's session.
  virtual int32_t Open(daveInterface* di) const = 0;
  virtual int32_t Send(daveInterface* di, const Bytes& telegram) const = 0;
  virtual int32_t Receive(daveInterface* di, Bytes& telegram) const = 0;
  // True when the adapter has shown that it took the last telegram sent.
  virtual bool Delivered(const daveInterface* di) const = 0;
  // Run once the connection to the PLC stands.
  virtual int32_t AfterConnect(daveInterface* /*di*/) const { return daveResOK; }
  // Ends the link's session, if it has one.
  virtual void Close(daveInterface* /*di*/) const {}
};

}  // namespace nodave
