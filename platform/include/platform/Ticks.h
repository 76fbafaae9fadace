#pragma once

#include <cstdint>

#include "platform/Export.h"

namespace platform {

// A tick source: milliseconds since system start.
using TickFunction64 = uint64_t (*)();
using TickFunction32 = uint32_t (*)();

// The platform's 64-bit tick function, or nullptr when the system has none
// (old Windows versions: resolved by name from kernel32).
MOX_PLATFORM_API TickFunction64 FindTickCount64();

// The 32-bit tick count; wraps about every 49.7 days.
MOX_PLATFORM_API uint32_t TickCount32();

// Sleeps the calling thread; 0 gives up the rest of the time slice.
MOX_PLATFORM_API void SleepMs(uint32_t milliseconds);

}  // namespace platform
