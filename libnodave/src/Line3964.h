#pragma once

#include "MpiLink.h"

namespace nodave {

// MPI telegrams in 3964R blocks (the serial PC adapter's protocols). Each side gets the
// line with STX and DLE before its block; when both ask at once the adapter goes first.
// A block the adapter refuses (NAK) or leaves unanswered is sent again after a new STX;
// a damaged block from the adapter is refused, and the adapter sends it again.
class Line3964 : public MpiLink {
 public:
  // With `requestAfterConnect` the PC asks for the line right after the connection
  // stands, so its first data block goes without another handshake.
  explicit Line3964(bool requestAfterConnect) : requestAfterConnect_(requestAfterConnect) {}

  int32_t Open(daveInterface* di) const override;
  int32_t Send(daveInterface* di, const Bytes& telegram) const override;
  int32_t Receive(daveInterface* di, Bytes& telegram) const override;
  bool Delivered(const daveInterface* di) const override;
  int32_t AfterConnect(daveInterface* di) const override;

 private:
  bool requestAfterConnect_;
};

}  // namespace nodave
