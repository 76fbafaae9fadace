#pragma once

#include "Bytes.h"
#include "Socket.h"
#include "nodave.h"

namespace nodave {

// One ISO over TCP connection: the socket and the interface that traces it.
struct Link {
  int32_t socket;
  daveInterface* di;
};

// Sends one transport unit in a TPKT packet; daveResOK or daveResConnectionLost.
int32_t SendPacket(const Link& link, const Bytes& tpdu);

// Receives the next TPKT packet and returns its transport unit. A packet that is not
// a TPKT or too short to carry a transport unit drops what else has arrived, so the
// next exchange starts on a packet boundary.
int32_t ReceivePacket(const Link& link, Clock::time_point deadline, Bytes& tpdu);

}  // namespace nodave
