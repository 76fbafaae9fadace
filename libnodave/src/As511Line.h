#pragma once

#include "Bytes.h"
#include "nodave.h"

namespace nodave {
namespace as511 {

// One AS511 transaction of a function that answers with data (all that reading
// needs): the PG opens it with STX and the function code, sends the request header,
// receives the answer data, and the PLC closes it. Every byte goes through the
// interface's read and write functions.
struct Request {
  uint8_t function = 0;
  Bytes header;         // unescaped
  size_t expected = 0;  // data bytes the answer has at least: read at once
  size_t largest = 0;   // data bytes the answer may have at most
};

// Runs the transaction. Each read in it has a time-out of its own: a gap that long
// breaks it, as it does for the PLC. A broken transaction (lost or garbled bytes, a
// PLC not ready) is tried once more, after the pause the PLC needs to give up its side
// of it, if that pause is within one time-out. The request header refused (DLE NAK)
// is daveResS5Refused at once.
int32_t Transact(daveInterface* di, const Request& request, Bytes& answer);

}  // namespace as511
}  // namespace nodave
