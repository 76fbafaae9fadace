#include "settings/TWregIniLock.h"

std::string IniLockName(std::string_view iniPath) {
  std::string name(iniPath);
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) c = '_';
  }
  return name;
}

TWregIniLock::TWregIniLock(std::string_view iniPath) : lock_(IniLockName(iniPath)) {
  lock_.Enter();
}
