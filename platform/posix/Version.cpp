#include "platform/Version.h"

namespace platform {

std::string FileVersionText(const std::string&) { return MOX_PROJECT_VERSION; }

}  // namespace platform
