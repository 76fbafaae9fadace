#pragma once

#include "Bytes.h"
#include "Socket.h"
#include "nodave.h"

namespace nodave {

// The byte line of the serial protocols. Every byte goes through the interface
// record's read and write functions: the library's own below, which talk to a port
// that setPort opened, or the caller's (the plug-in carries the bytes over its host).

// Sends the bytes; daveResOK, or daveResWriteFailed when the write function refused.
int32_t LineWrite(daveInterface* di, const Bytes& bytes);

// Reads exactly `length` bytes; daveResTimeout when the read function gave up, or
// when the deadline had passed before it was asked.
int32_t LineRead(daveInterface* di, uint8_t* data, size_t length, Clock::time_point deadline);
int32_t LineReadByte(daveInterface* di, uint8_t& byte, Clock::time_point deadline);

// The read and write functions daveNewInterface installs. They serve only handles
// that setPort opened (and not yet closed); for any other handle they fail.
int32_t DAVE_CALL PortRead(daveInterface* di, char* buffer, int32_t length);
int32_t DAVE_CALL PortWrite(daveInterface* di, const char* buffer, int32_t length);

}  // namespace nodave
