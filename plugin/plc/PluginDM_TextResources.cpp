#include "plc/PluginDM_TextResources.h"

TTextResources::TTextResources(TComponent* owner) : TCustomTextResources(owner) {
  RegisterText(ItemsFormationError);
  for (size_t i = 0; i < AreaNames.size(); ++i) {
    AreaNames[i] = MemoryAreaName(static_cast<int32_t>(i));
    RegisterText(AreaNames[i]);
  }
}

std::string TTextResources::MemoryTypeList() const {
  std::string list;
  for (size_t i = 0; i < AreaNames.size(); ++i) {
    if (i > 0) list += "||";
    list += AreaNames[i] + "==" + std::to_string(i);
  }
  return list;
}
