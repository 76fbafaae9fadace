#include "settings/moxSettingsStore.h"

#include <exception>

#include "settings/moxStringHolder.h"

namespace {

bool RunPass(TSettingsOperation operation, const TSettingsLocation& location,
             const TmoxStrHolder& map, TComponent* settings) {
  TWreg store;
  store.RegistryRoot = location.RegistryRoot1;
  store.SecondRegistryRoot = location.RegistryRoot2;
  store.RegistryPath = location.RegistryPath;
  store.INIFileSectionPrefix = location.IniSectionPrefix;
  store.INIFile = location.IniFile;
  store.Components = map.Strings();
  return operation == TSettingsOperation::Load ? store.LoadValues(settings)
                                               : store.SaveValues(settings);
}

}  // namespace

bool OpenSettingsStore(TSettingsOperation operation, const TSettingsLocation& location,
                       const TmoxStrHolder* map, TComponent* settings, const TSettingsLog& log) {
  if (map == nullptr || settings == nullptr) return false;
  std::string failure;
  try {
    return RunPass(operation, location, *map, settings);
  } catch (const std::exception& error) {
    failure = error.what();
  } catch (...) {
    failure = "unknown exception";  // nothing may escape towards the host
  }
  const char* name = operation == TSettingsOperation::Load ? "LoadSettings" : "SaveSettings";
  if (log) log(TLogLevel::Error, std::string("{") + name + "} " + failure);
  return false;
}
