#pragma once

#include "PpiFrame.h"
#include "Socket.h"
#include "nodave.h"

namespace nodave {

// Reads the next whole PPI telegram off the interface's line, asking the read
// function for exactly the bytes a telegram still needs (its first byte, then the
// rest of its header, then its body). Bytes that start no telegram, a header whose
// lengths make none, and a damaged fixed telegram are skipped, and `skipped` is set.
// daveResOK with the telegram; daveResLineErrors for a variable telegram that came
// damaged (checksum or end delimiter; it is consumed whole); daveResTimeout when the
// line went quiet or the deadline passed.
int32_t ReceivePpiTelegram(daveInterface* di, Clock::time_point deadline, PpiTelegram& telegram,
                           bool& skipped);

}  // namespace nodave
