#pragma once

#include "S7Read.h"
#include "nodave.h"

namespace nodave {

// The S7 layer of every protocol: a connection's PDUs go through its interface's
// transport.

// The transport's connect, then setup communication; fills maxPDUlength and marks
// the connection connected.
int32_t ConnectS7(daveConnection* dc);

// One Read Var exchange for the item; copies item.length bytes to buffer.
int32_t ReadS7(daveConnection* dc, const ReadItem& item, uint8_t* buffer);

}  // namespace nodave
