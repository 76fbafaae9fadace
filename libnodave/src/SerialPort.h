#pragma once

#include <cstddef>
#include <cstdint>

#include "Socket.h"

namespace nodave {

// A serial port as a 32-bit handle; the one file per platform behind it holds the
// system calls.

// Opens the port in raw mode: the baud rate, 8 data bits, the parity ('E', 'O' or
// 'N', either case), 1 stop bit, no flow control; pending input is dropped. Returns
// the handle (> 0), or 0 when the name, the baud rate or the parity is not usable.
int32_t SerialOpen(const char* name, int32_t baud, char parity);
void SerialClose(int32_t handle);

// Sends every byte; false when the port failed.
bool SerialWrite(int32_t handle, const uint8_t* data, size_t length);

// Fills `data` with exactly `length` bytes unless the deadline passes first.
bool SerialRead(int32_t handle, uint8_t* data, size_t length, Clock::time_point deadline);

}  // namespace nodave
