#include "platform/Folders.h"

#include <windows.h>
// windows.h first: shlobj.h needs its types.
#include <shlobj.h>

#include <cstdlib>

#include "platform/Registry.h"

namespace platform {

// The shell's folder, else what the shell once stored in the registry, else
// the folder of common program files.
std::string CommonAppDataFolder() {
  char path[MAX_PATH] = {};
  if (SHGetSpecialFolderPathA(nullptr, path, CSIDL_COMMON_APPDATA, FALSE) && path[0] != '\0') {
    return path;
  }
  RegistryKey key;
  if (key.Open(RegistryRoot::LocalMachine,
               "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", false)) {
    const std::optional<RegistryValue> value = key.Query("Common AppData");
    if (value && value->Type == RegistryType::String && !value->Data.empty()) return value->Data;
  }
  const char* common = std::getenv("CommonProgramFiles");
  return common != nullptr ? common : "";
}

}  // namespace platform
