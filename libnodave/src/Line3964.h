#pragma once

#include "MpiLink.h"

namespace nodave {

// MPI telegrams in 3964R blocks (the serial PC adapter's protocols). Each side gets the
// line with STX and DLE before its block; when both ask at once the adapter goes first.
// A damaged block is refused with NAK and sent again, a few times and within the call's
// deadline.
class Line3964 : public MpiLink {
 public:
  // With `requestAfterConnect` the PC asks for the line right after the connection
  // stands, so its first data block goes without another handshake.
  explicit Line3964(bool requestAfterConnect) : requestAfterConnect_(requestAfterConnect) {}

  int32_t Open(daveInterface* di, Clock::time_point deadline) const override;
  int32_t Send(daveInterface* di, const Bytes& telegram, Clock::time_point deadline) const override;
  int32_t Receive(daveInterface* di, Clock::time_point deadline, Bytes& telegram) const override;
  bool Delivered(const daveInterface* di) const override;
  int32_t AfterConnect(daveInterface* di, Clock::time_point deadline) const override;

 private:
  bool requestAfterConnect_;
};

}  // namespace nodave
