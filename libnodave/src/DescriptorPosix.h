#pragma once

#include <cstddef>
#include <cstdint>

#include "Socket.h"

namespace nodave {

// Reading a POSIX descriptor (a socket or a tty) against a deadline.

// True once the descriptor has bytes to read (or has ended); false at the deadline.
bool WaitReadable(int fd, Clock::time_point deadline);

// Fills `data` with exactly `length` bytes unless the deadline passes or the
// descriptor ends first.
ReceiveStatus ReadAll(int fd, uint8_t* data, size_t length, Clock::time_point deadline);

}  // namespace nodave
