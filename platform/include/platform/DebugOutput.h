#pragma once

#include <string>

#include "platform/Export.h"

namespace platform {

// Writes one line to the debugger output (the system debug channel on Windows,
// standard error elsewhere).
MOX_PLATFORM_API void OutputDebugLine(const std::string& line);

}  // namespace platform
