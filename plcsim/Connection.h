#pragma once

#include <cstdint>
#include <string>

#include "Faults.h"
#include "PlcMemory.h"
#include "RackSlot.h"
#include "SocketIo.h"

namespace plcsim {

// Serves one client until it closes, breaks the protocol or its socket is shut
// down; returns why the connection ended. Only connections calling the `accepted`
// rack and slot are served; `faults` may alter or withhold each answer to `peer`;
// none serves every answer as it is.
std::string ServeConnection(TcpSocket& socket, const PlcMemory& memory, uint16_t offeredPdu,
                            AcceptedRackSlot accepted = {}, FaultInjector* faults = nullptr,
                            const std::string& peer = {});

}  // namespace plcsim
