#pragma once

#include <cstddef>
#include <cstdint>

// The few socket calls the tests' loopback peer needs; Winsock or BSD sockets.
namespace testsocket {

using Handle = intptr_t;
constexpr Handle kNone = -1;

// A listener on 127.0.0.1 at a free port.
Handle Listen(int& port);
// Waits up to timeoutMs for a client; kNone if none came.
Handle Accept(Handle listener, int timeoutMs);
// Exactly length bytes within timeoutMs; false on time-out or close.
bool ReceiveExact(Handle s, uint8_t* data, size_t length, int timeoutMs);
// Up to `size` bytes as they come: the count, 0 when none came within timeoutMs, -1
// when the peer closed.
int ReceiveSome(Handle s, uint8_t* data, size_t size, int timeoutMs);
bool SendAll(Handle s, const uint8_t* data, size_t length);
void Close(Handle s);

}  // namespace testsocket
