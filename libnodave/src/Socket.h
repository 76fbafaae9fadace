#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "nodave.h"

namespace nodave {

using Clock = std::chrono::steady_clock;

// A TCP client socket as a 32-bit handle; the one file per platform behind it
// holds the system calls.

// Connects to host:port; returns the handle (> 0) or 0.
int32_t SocketConnect(int32_t port, const char* host);
void SocketClose(int32_t handle);

// Sends every byte; false when the connection failed.
bool SocketSendAll(int32_t handle, const uint8_t* data, size_t length);

enum class ReceiveStatus { kOk, kTimeout, kClosed };

// Fills `data` with exactly `length` bytes unless the deadline passes or the
// connection ends first.
ReceiveStatus SocketReceiveAll(int32_t handle, uint8_t* data, size_t length,
                               Clock::time_point deadline);

// The result code of a receive: daveResOK, daveResTimeout or daveResConnectionLost.
inline int32_t ReceiveResult(ReceiveStatus status) {
  switch (status) {
    case ReceiveStatus::kOk:
      return daveResOK;
    case ReceiveStatus::kTimeout:
      return daveResTimeout;
    case ReceiveStatus::kClosed:
      break;
  }
  return daveResConnectionLost;
}

// Reads and drops whatever has already arrived, without waiting.
void SocketDiscardPending(int32_t handle);

}  // namespace nodave
