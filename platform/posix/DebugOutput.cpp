#include "platform/DebugOutput.h"

#include <cstdio>
#include <cstdlib>

namespace platform {

// There is no debugger channel here: lines go to standard error when
// MOX_DEBUG_OUTPUT is set, so that a host's own output stays clean.
void OutputDebugLine(const std::string& line) {
  static const bool enabled = std::getenv("MOX_DEBUG_OUTPUT") != nullptr;
  if (enabled) std::fprintf(stderr, "%s\n", line.c_str());
}

}  // namespace platform
