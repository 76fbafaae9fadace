#pragma once

#include <functional>

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

// What a receive loop makes of one frame from the gateway.
struct GatewayVerdict {
  int32_t result = daveResOK;  // anything else ends the loop with it
  bool taken = false;          // the frame waited for: the loop ends with `result`
  bool foreign = false;        // for another station: skipped, but remembered
};

// Receives frames into `frame` with `receive` and hands each to `judge` until one is
// taken or fails. When the deadline passes first, the result is daveResWrongAddress if
// only frames for another station came, daveResTimeout otherwise.
int32_t GatewayReceiveUntil(daveInterface* di, Clock::time_point deadline,
                            int32_t (*receive)(daveInterface*, Clock::time_point, Bytes&),
                            Bytes& frame, const std::function<GatewayVerdict(const Bytes&)>& judge);

}  // namespace nodave
