#pragma once

#include <memory>
#include <string>
#include <vector>

#include "moxShared/Public/Component/moxComponent.h"
#include "settings/TWregMapLine.h"
#include "settings/TWregStorage.h"
#include "settings/TWregValueText.h"

// The registry roots a store can use; rrNone can never be selected.
enum TRegistryRoot {
  rrHKEY_CLASSES_ROOT,
  rrHKEY_CURRENT_USER,
  rrHKEY_LOCAL_MACHINE,
  rrHKEY_USERS,
  rrHKEY_CURRENT_CONFIG,
  rrNone
};

// The settings store: copies the published properties of a settings object to
// and from the registry or an INI file, line by line as a property map says.
// A store runs one pass and is then destroyed; the caller sets the location
// and the map lines first.
class TWreg : public TComponent {
 public:
  using TComponent::TComponent;

  // Reads every mapped value that is present into the object; true when at
  // least one value was present.
  bool LoadValues(TComponent* rootObject);
  // Writes every mapped property of the object; true when at least one line
  // was written and the values could be kept.
  bool SaveValues(TComponent* rootObject);

  TRegistryRoot RegistryRoot = rrHKEY_LOCAL_MACHINE;
  TRegistryRoot SecondRegistryRoot = rrHKEY_CURRENT_USER;
  std::string RegistryPath = "\\Software\\Company name\\App name";
  // Empty: registry mode; "$CUSTOM$": custom mode; otherwise the INI file's path.
  std::string INIFile;
  std::string INIFileSectionPrefix;
  // The property map lines of the pass, in order.
  std::vector<std::string> Components;
  // The object of the running pass; cleared at its end.
  TComponent* RootObject = nullptr;

 private:
  bool RunPass(TComponent* rootObject, bool save);
  std::unique_ptr<TWregStorage> OpenStorage(bool save) const;
  bool LoadLine(const TWregMapLine& line, TWregStorage& storage);
  bool SaveLine(const TWregMapLine& line, TWregStorage& storage);
};
