// The module parameters of "GET-MODULE-PARAMETER" and "SET-MODULE-PARAMETER",
// and the module's paths derived from the host's settings.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>

#include "moxPluginModule.h"
#include "moxShared/Public/Common/moxScopeExit.h"
#include "moxShared/Public/Common/moxThreadParamsList.h"
#include "moxShared/Public/Common/moxVarConvert.h"
#include "moxTextLines.h"
#include "platform/CodePage.h"
#include "platform/Folders.h"
#include "platform/Library.h"
#include "settings/TWtransl.h"
#include "xml/pimXMLText.h"

namespace {

TVariant Wide(const std::string& text) { return TVariant::OfWide(platform::AnsiToWide(text)); }
TVariant Int(int64_t value) { return TVariant::OfI4(static_cast<int32_t>(value)); }
// Handles are 32-bit integers where pointers are; a wider handle keeps all its bits.
TVariant HandleValue(uintptr_t handle) {
  const auto value = static_cast<int64_t>(handle);
  return value <= INT32_MAX ? Int(value) : TVariant::OfI8(value);
}

// Characters that file names cannot hold become `replacement`.
std::string FileNameSafe(std::string text, char replacement) {
  for (char& c : text) {
    if (std::string_view("\"*/:<>?\\|").find(c) != std::string_view::npos) c = replacement;
  }
  return text;
}

std::string WithSeparator(std::string path) {
  if (path.empty() || (path.back() != '\\' && path.back() != '/')) path += platform::kPathSeparator;
  return path;
}

// An index of at most two digits; -1 for anything else.
int32_t SmallIndex(const std::string& text) {
  if (text.empty() || text.size() > 2) return -1;
  if (!std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); })) {
    return -1;
  }
  return std::stoi(text);
}

// The parameter name of a "Custom" key: the rest after one leading " ", ":"
// or "_"; empty for a key that is not one.
std::string CustomName(const std::string& key) {
  if (key.compare(0, 6, "Custom") != 0) return {};
  std::string rest = key.substr(6);
  if (!rest.empty() && std::string_view(" :_").find(rest[0]) != std::string_view::npos) {
    rest.erase(0, 1);
  }
  return rest;
}

}  // namespace

TVariant TmoxPlugin::GetModuleParameter(const std::string& name) {
  // Built once: each entry reads one value of the module it is given.
  using TGetter = TVariant (*)(TmoxPlugin&);
  static const std::map<std::string, TGetter> getters = {
      {"logtitle",
       [](TmoxPlugin& module) {
         const platform::CriticalSectionGuard guard(module.LogTitleLock);
         return Wide(module.LogTitle);
       }},
      {"description", [](TmoxPlugin& module) { return Wide(module.Description); }},
      {"eventssupported", [](TmoxPlugin& module) { return Wide(module.EventsSupported); }},
      {"customcommands", [](TmoxPlugin& module) { return Wide(module.FCustomCommands.AsText()); }},
      {"translatorcomponentproperties",
       [](TmoxPlugin& module) {
         std::string text;
         for (const std::string& property : module.FTranslator->ComponentProperties) {
           text += (text.empty() ? "" : "\r\n") + property;
         }
         return Wide(text);
       }},
      {"moduletype", [](TmoxPlugin& module) { return Int(module.ModuleType); }},
      {"moduleenabled", [](TmoxPlugin& module) { return Int(module.States); }},
      {"moduledllhandle", [](TmoxPlugin& module) { return HandleValue(module.FLibrary); }},
      {"moduleloadcount", [](TmoxPlugin& module) { return Int(module.LoadCount); }},
      {"moduleindex", [](TmoxPlugin& module) { return Int(module.HostContext); }},
      {"modulepluginhandle", [](TmoxPlugin& module) { return HandleValue(module.Handle); }},
      {"modulepath", [](TmoxPlugin& module) { return Wide(module.ModulePath); }},
      {"moduledatapath", [](TmoxPlugin& module) { return Wide(module.ModuleDataPath()); }},
      {"appdatapath", [](TmoxPlugin& module) { return Wide(module.AppDataPath()); }},
      {"modulename", [](TmoxPlugin& module) { return Wide(module.ModuleName); }},
      {"moduleloadforconfig", [](TmoxPlugin& module) { return Int(module.ConfigId); }},
      {"moduleconfigid", [](TmoxPlugin& module) { return Wide(module.ModuleConfigId()); }},
      {"applicationfullname", [](TmoxPlugin& module) { return Wide(module.ApplicationName); }},
      {"inifile", [](TmoxPlugin& module) { return Wide(module.IniFile); }},
      {"moduleregistryroot1", [](TmoxPlugin& module) { return Int(module.RegistryRoot1); }},
      {"moduleregistryroot2", [](TmoxPlugin& module) { return Int(module.RegistryRoot2); }},
      {"moduleregistrypath", [](TmoxPlugin& module) { return Wide(module.RegistryPath); }},
      {"inisectionprefix", [](TmoxPlugin& module) { return Wide(module.IniSectionPrefix); }},
      {"displayfullversion", [](TmoxPlugin& module) { return Wide(module.VersionText); }},
      {"parseritems", [](TmoxPlugin& module) { return Wide(module.FParserItems.Render()); }},
      {"parseritemscount", [](TmoxPlugin& module) { return Int(module.FParserItems.Count()); }},
      {"datasourceloadfor", [](TmoxPlugin& module) { return Wide(module.DataSourceLoad); }},
      {"terminatenow", [](TmoxPlugin& module) { return TVariant::OfBool(module.Unloaded); }},
      {"istemporaryload",
       [](TmoxPlugin& module) { return TVariant::OfBool(module.TemporaryLoad); }},
      {"parentapp", [](TmoxPlugin& module) { return HandleValue(module.HostModule); }},
      {"owner-form", [](TmoxPlugin& module) { return HandleValue(module.OwnerForm); }},
      {"testtransl",
       [](TmoxPlugin&) {
         return platform::ProcessHasArgument("/TESTTRANSL") ? TVariant::OfBool(true) : TVariant();
       }},
  };
  const auto getter = getters.find(MakeParamKey(name));
  if (getter != getters.end()) return getter->second(*this);
  if (name.compare(0, 6, "Custom") == 0) return GetCustomParameter(name);
  return GetIndexedParserItem(name);
}

TVariant TmoxPlugin::GetIndexedParserItem(const std::string& name) const {
  const std::string prefix = name.substr(0, 14);
  if (prefix != "ParserItemName" && prefix != "ParserItemDesc" && prefix != "ParserItemType") {
    return {};
  }
  const std::string digits = name.size() > 14 ? name.substr(14, 3) : "";
  int32_t index = -1;
  if (!digits.empty() &&
      std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); })) {
    index = std::stoi(digits);
  }
  // An index outside the list is no item at all.
  if (index < 0 || index >= FParserItems.Count()) return {};
  const TParserItem& item = FParserItems.Items(index);
  if (prefix == "ParserItemName") return Wide(item.Name);
  if (prefix == "ParserItemDesc") return Wide(item.Description);
  return Int(item.ItemType);
}

bool TmoxPlugin::SetModuleParameter(const std::string& name, const TVariant& value) {
  const std::string key = MakeParamKey(name);
  const auto text = [&] { return VarToAnsi(value); };
  if (key == "logtitle") {
    const std::string title = text();
    const platform::CriticalSectionGuard guard(LogTitleLock);
    LogTitle = title;
  } else if (key == "description") {
    Description = text();
  } else if (key == "eventssupported") {
    EventsSupported = text();
  } else if (key == "customcommands") {  // appended to those declared before
    FCustomCommands.AddFromText(text());
  } else if (key == "translatorcomponentproperties") {
    std::string entries = text();
    std::replace_if(
        entries.begin(), entries.end(), [](char c) { return c == ';' || c == '|'; }, '\n');
    for (const std::string& entry : SplitLines(entries)) {
      if (!entry.empty()) FTranslator->ComponentProperties.push_back(entry);
    }
  } else if (key == "moduletype") {
    TVariant number;
    if (ChangeVarType(number, value, VarType::I4) != kS_OK) return false;  // Null is refused
    ModuleType = static_cast<uint8_t>(number.Data().I4 & 0xFF);
  } else if (key == "parseritems") {
    FParserItems.Parse(text(), true);
  } else if (key == "owner-form") {
    OwnerForm = static_cast<platform::WindowHandle>(VariantToInt(value, 0));
  } else if (key == "subscribe-for-data") {
    SubscribeForData = VariantToBool(value, false);
  } else if (name.compare(0, 6, "Custom") == 0) {
    return SetCustomParameter(name, value);
  } else {
    return false;
  }
  return true;
}

TVariant TmoxPlugin::GetCustomParameter(const std::string& key) {
  const std::string name = CustomName(key);
  if (name.empty()) return {};
  if (!FModuleParams) FModuleParams = std::make_unique<TmoxThreadParamsList>();
  TmoxParamsList* list = FModuleParams->LockList();
  const TScopeExit unlock([this] { FModuleParams->UnlockList(); });
  if (name == "COUNT") return Int(list->Count());
  const int32_t index = SmallIndex(name);
  if (index >= 0) return index < list->Count() ? list->Items(index)->Value() : TVariant::Null();
  const TmoxParamsListItem* item = list->Find(name);
  return item != nullptr ? item->Value() : TVariant::Null();
}

bool TmoxPlugin::SetCustomParameter(const std::string& key, const TVariant& value) {
  const std::string name = CustomName(key);
  if (name.empty()) return false;
  if (!FModuleParams) FModuleParams = std::make_unique<TmoxThreadParamsList>();
  TmoxParamsList* list = FModuleParams->LockListForWrite();
  const TScopeExit unlock([this] { FModuleParams->UnlockListForWrite(); });
  const int32_t index = SmallIndex(name);
  if (name == "COUNT") {
    list->Clear();
  } else if (index >= 0) {
    if (index < list->Count()) list->Items(index)->SetItemValue(value);
  } else {
    list->SetValue(name, value, true);
  }
  return true;
}

std::string TmoxPlugin::AppDataPath() const {
  const std::vector<std::string> parts = SplitFields(RegistryPath, '\\');
  const std::string name = parts.size() > 3 ? FileNameSafe(parts[3], ' ') : "";
  const std::string base = platform::CommonAppDataFolder();
  if (base.empty()) return WithSeparator(ModulePath);
  return WithSeparator(WithSeparator(base) + name);
}

std::string TmoxPlugin::ModuleConfigId() const {
  std::string part = IniSectionPrefix.substr(0, IniSectionPrefix.find('}'));
  const size_t brace = part.find('{');
  if (brace != std::string::npos) part = part.substr(brace + 1);
  const size_t colon = part.find(':');
  if (colon != std::string::npos) part = part.substr(colon + 1);
  return part;
}

std::string TmoxPlugin::ModuleDataPath() const {
  std::string folder = FileNameSafe(
      SplitLines(Description).empty() ? std::string() : SplitLines(Description).front(), '-');
  if (folder.empty()) {
    folder = ModuleName.substr(0, ModuleName.rfind('.'));
    std::transform(folder.begin(), folder.end(), folder.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  }
  return WithSeparator(WithSeparator(AppDataPath() + ModuleConfigId()) + folder);
}
