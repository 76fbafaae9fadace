#include "settings/TWregistry.h"

#include <optional>

#include "platform/Registry.h"
#include "settings/TWregIniStorage.h"
#include "settings/TWregRegistryStorage.h"

namespace {

const char kCustomMode[] = "$CUSTOM$";

std::optional<platform::RegistryRoot> PlatformRoot(TRegistryRoot root) {
  switch (root) {
    case rrHKEY_CLASSES_ROOT:
      return platform::RegistryRoot::ClassesRoot;
    case rrHKEY_CURRENT_USER:
      return platform::RegistryRoot::CurrentUser;
    case rrHKEY_LOCAL_MACHINE:
      return platform::RegistryRoot::LocalMachine;
    case rrHKEY_USERS:
      return platform::RegistryRoot::Users;
    case rrHKEY_CURRENT_CONFIG:
      return platform::RegistryRoot::CurrentConfig;
    case rrNone:
      break;
  }
  return std::nullopt;
}

// Clears the store's root object when a pass ends, however it ends.
struct RootObjectScope {
  RootObjectScope(TComponent*& slot, TComponent* object) : slot(slot) { slot = object; }
  ~RootObjectScope() { slot = nullptr; }
  TComponent*& slot;
};

}  // namespace

bool TWreg::LoadValues(TComponent* rootObject) { return RunPass(rootObject, false); }

bool TWreg::SaveValues(TComponent* rootObject) { return RunPass(rootObject, true); }

std::unique_ptr<TWregStorage> TWreg::OpenStorage(bool save) const {
  if (INIFile == kCustomMode) return std::make_unique<TWregCustomStorage>();
  if (!INIFile.empty() && (save || IniFileExists(INIFile))) {
    return std::make_unique<TWregIniStorage>(INIFile, INIFileSectionPrefix);
  }
  std::string basePath = RegistryPath;
  if (!basePath.empty() && basePath.back() == '\\') basePath.pop_back();
  // Without a path the values would land directly under a root key.
  if (basePath.empty() || basePath == "\\") return nullptr;
  return TWregRegistryStorage::Open(PlatformRoot(RegistryRoot), PlatformRoot(SecondRegistryRoot),
                                    basePath, save);
}

bool TWreg::RunPass(TComponent* rootObject, bool save) {
  RootObjectScope scope(RootObject, rootObject);
  if (rootObject == nullptr) return false;
  std::unique_ptr<TWregStorage> storage;
  try {
    storage = OpenStorage(save);
  } catch (const std::exception&) {
    return false;  // the INI lock could not be had: the file stays untouched
  }
  if (!storage) return false;
  bool result = false;
  for (const std::string& text : Components) {
    const auto line = ParseMapLine(text);
    if (!line) continue;
    try {
      result |= save ? SaveLine(*line, *storage) : LoadLine(*line, *storage);
    } catch (const std::exception&) {
      // A failing line is dropped; the pass goes on with the next one.
    }
  }
  try {
    if (!storage->Finish()) return false;
  } catch (const std::exception&) {
    return false;
  }
  return result;
}

bool TWreg::LoadLine(const TWregMapLine& line, TWregStorage& storage) {
  if (!storage.SelectLocation(line.SubPath)) return false;
  const TPropertyInfo* property = RootObject->ClassInfo().FindProperty(line.PropertyName);
  if (property == nullptr || !IsStoredType(property->Type)) return false;
  auto value = storage.Read(line.ValueName, property->Type);
  if (!value) return false;
  if (property->Type == TPropertyType::String) {
    value = DecodeValueText(std::get<std::string>(*value));
  }
  if (!property->Set) return true;  // read-only: left alone
  try {
    property->Set(*RootObject, *value);
  } catch (const std::exception&) {
    storage.Reject(line.ValueName);
  }
  return true;
}

bool TWreg::SaveLine(const TWregMapLine& line, TWregStorage& storage) {
  if (!storage.SelectLocation(line.SubPath)) return false;
  const TPropertyInfo* property = RootObject->ClassInfo().FindProperty(line.PropertyName);
  if (property == nullptr || !IsStoredType(property->Type)) return false;
  TPropertyValue value = property->Get(*RootObject);
  if (property->Type == TPropertyType::String) {
    value = EncodeValueText(std::get<std::string>(value));
  }
  storage.Write(line.ValueName, value);
  return true;
}
