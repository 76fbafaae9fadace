#pragma once

#include <cstdint>
#include <string>

#include "PlcMemory.h"
#include "RackSlot.h"
#include "SocketIo.h"

namespace plcsim {

// Serves one client until it closes, breaks the protocol or its socket is shut
// down; returns why the connection ended.
std::string ServeConnection(TcpSocket& socket, const PlcMemory& memory, uint16_t offeredPdu,
                            AcceptedRackSlot accepted = {});

}  // namespace plcsim
