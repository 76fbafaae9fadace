#include "platform/DebugOutput.h"

#include <windows.h>

namespace platform {

void OutputDebugLine(const std::string& line) { OutputDebugStringA((line + "\n").c_str()); }

}  // namespace platform
