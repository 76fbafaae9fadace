#include "platform/Locale.h"

namespace platform {

char UserDecimalSeparator() { return '.'; }

}  // namespace platform
