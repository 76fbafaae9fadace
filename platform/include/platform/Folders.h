#pragma once

#include <string>

#include "platform/Export.h"

namespace platform {

// The folder for application data shared by all users, without a trailing
// separator; empty when the system names none.
MOX_PLATFORM_API std::string CommonAppDataFolder();

}  // namespace platform
