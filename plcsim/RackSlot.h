#pragma once

// Which CPU a connection request calls: a real CPU answers only requests whose
// called TSAP names its own rack and slot, and refuses others.

#include "IsoFrame.h"

namespace plcsim {

// The rack and slot the simulator answers to; -1: any.
struct AcceptedRackSlot {
  int rack = -1;
  int slot = -1;
};

// Whether a connection request calls the accepted rack and slot: the second
// byte of its called TSAP (parameter C2) is rack * 32 + slot. A request
// without a two-byte called TSAP calls them only when any is accepted.
bool CallsRackSlot(const Tpdu& request, const AcceptedRackSlot& accepted);

// The disconnect request that refuses a connection request (reason: address unknown).
Bytes RefuseConnection(const Tpdu& request);

}  // namespace plcsim
