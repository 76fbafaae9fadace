#pragma once

#include <string>

#include "platform/Export.h"

namespace platform {

// The file version of a binary as its four numbers joined by "." (5.0.0.0):
// on Windows read from the file's version resource, empty when it has none or
// cannot be read; natively, where binaries carry no such resource, the
// project's version that the build compiled in.
MOX_PLATFORM_API std::string FileVersionText(const std::string& file);

}  // namespace platform
