#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "nodave.h"

namespace nodave {

// True when daveSetDebug has set any of the given flags.
bool DebugOn(int32_t flags);

// Hands one line to the interface's debug function, or to stderr where there is
// none; does nothing unless the flag is set.
void DebugLine(daveInterface* di, int32_t flag, const std::string& text);

// "what: n bytes: 03 00 ..." for the raw-traffic flags.
void DebugBytes(daveInterface* di, int32_t flag, const char* what, const uint8_t* data,
                size_t length);

}  // namespace nodave
