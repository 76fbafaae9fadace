#pragma once

#include "S7Read.h"
#include "nodave.h"

namespace nodave {

// ISO over TCP (and its CP 243 variant) on a live connection record.

// Connection request and confirm, then setup communication; fills TPDUsize and
// maxPDUlength and marks the connection connected.
int32_t ConnectIso(daveConnection* dc);

// One Read Var exchange for the item; copies item.length bytes to buffer.
int32_t ReadIso(daveConnection* dc, const ReadItem& item, uint8_t* buffer);

}  // namespace nodave
