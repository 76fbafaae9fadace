#include "platform/Folders.h"

#include <cstdlib>

namespace platform {

// The first folder of the XDG data search path.
std::string CommonAppDataFolder() {
  const char* dirs = std::getenv("XDG_DATA_DIRS");
  std::string first = dirs != nullptr ? dirs : "";
  first = first.substr(0, first.find(':'));
  return first.empty() ? "/usr/local/share" : first;
}

}  // namespace platform
