#pragma once

#include "Bytes.h"
#include "Socket.h"
#include "nodave.h"

namespace nodave {

// The socket of the Ethernet gateways (IBH-Link, NetLink-PRO): the one given to
// daveNewInterface, traced like the other transports.

// Sends one frame; daveResOK or daveResConnectionLost.
int32_t GatewaySend(daveInterface* di, const Bytes& frame);

// Appends exactly `length` received bytes to `frame`; daveResTimeout when the deadline
// passes first, daveResConnectionLost when the gateway closed the connection.
int32_t GatewayReceive(daveInterface* di, size_t length, Clock::time_point deadline, Bytes& frame);

// Drops what has arrived and not been read: acknowledgements and answers of an earlier,
// failed exchange, so the next one starts on a frame boundary.
void GatewayResynchronise(daveInterface* di);

// What a receive loop ends with when the deadline passes: daveResWrongAddress when only
// frames for another station came, daveResTimeout otherwise.
inline int32_t TimedOut(bool sawForeign) {
  return sawForeign ? daveResWrongAddress : daveResTimeout;
}

}  // namespace nodave
