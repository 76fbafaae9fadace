#pragma once

#include "Bytes.h"
#include "Socket.h"
#include "nodave.h"

namespace nodave {

// Frames of the NetLink-PRO adapter: a big-endian 16-bit length, then that many bytes
// of an adapter or bus telegram.

// The longest telegram accepted: a bus header and the largest PDU a gateway carries.
constexpr size_t kNetLinkLargestPayload = 6 + 240;

Bytes NetLinkFrame(const Bytes& payload);

// Receives one frame's payload. A frame longer than kNetLinkLargestPayload is read to
// its end and refused with daveResCannotEvaluatePDU, so the next one starts in step.
int32_t ReceiveNetLinkFrame(daveInterface* di, Clock::time_point deadline, Bytes& payload);

}  // namespace nodave
