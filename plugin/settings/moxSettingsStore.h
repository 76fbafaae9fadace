#pragma once

#include <functional>
#include <string>

#include "settings/LogDataList.h"
#include "settings/TWregistry.h"

class TComponent;
class TmoxStrHolder;

// Where a module keeps its settings: the roots it tries and what the host
// named at "LOAD" ("REGISTRY-PATH", "INI-SECTION-PREFIX", "INI-FILE").
struct TSettingsLocation {
  TRegistryRoot RegistryRoot1 = rrHKEY_LOCAL_MACHINE;
  TRegistryRoot RegistryRoot2 = rrHKEY_CURRENT_USER;
  std::string RegistryPath;
  std::string IniSectionPrefix;
  std::string IniFile;
};

enum class TSettingsOperation { Load = 0, Save = 1 };

// Receives the log line of a pass that failed with an exception.
using TSettingsLog = std::function<void(TLogLevel, const std::string&)>;

// Runs one pass of a fresh settings store over the settings object, with the
// map's lines and the given location. Returns the pass's result; false at once
// without a map or a settings object. An exception of the pass is logged as
// "{LoadSettings} " or "{SaveSettings} " and its message, and gives false.
bool OpenSettingsStore(TSettingsOperation operation, const TSettingsLocation& location,
                       const TmoxStrHolder* map, TComponent* settings, const TSettingsLog& log);

inline bool LoadSettings(const TSettingsLocation& location, const TmoxStrHolder* map,
                         TComponent* settings, const TSettingsLog& log) {
  return OpenSettingsStore(TSettingsOperation::Load, location, map, settings, log);
}

inline bool SaveSettings(const TSettingsLocation& location, const TmoxStrHolder* map,
                         TComponent* settings, const TSettingsLog& log) {
  return OpenSettingsStore(TSettingsOperation::Save, location, map, settings, log);
}
