#pragma once

#include <string>

#include "platform/Export.h"

namespace platform {

// Writes one line to the debugger output: on Windows the system debug channel,
// when a debugger or a debug-output monitor listens; elsewhere standard error.
MOX_PLATFORM_API void OutputDebugLine(const std::string& line);

}  // namespace platform
