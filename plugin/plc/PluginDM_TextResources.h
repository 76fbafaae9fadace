#pragma once

#include <array>
#include <string>

#include "plc/PluginDM_RequestItems.h"
#include "plc/PluginDM_Settings.h"
#include "settings/CustomTextResources.h"

// The Siemens module's translatable texts: the log line of a request tree
// that cannot be built, and the names of the memory areas by their index.
class TTextResources : public TCustomTextResources {
 public:
  explicit TTextResources(TComponent* owner);

  std::string ItemsFormationError = kErrorOnItemsFormation;
  std::array<std::string, kMemoryAreaCount> AreaNames;

  // "name==index" of every area, joined by "||": the dialog's value list.
  std::string MemoryTypeList() const;
};
