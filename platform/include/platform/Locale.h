#pragma once

#include "platform/Export.h"

namespace platform {

// The user's decimal separator ('.' on the POSIX stand-in).
MOX_PLATFORM_API char UserDecimalSeparator();

}  // namespace platform
