// The host commands of the module's command table.
#include <exception>

#include "moxPluginModule.h"
#include "moxShared/Public/Common/moxScopeExit.h"
#include "moxShared/Public/Common/moxVarConvert.h"
#include "moxTextLines.h"

namespace {

// Runs a hook whose failure the command ignores.
template <typename THook>
void CallIgnoringFailure(THook&& hook) noexcept {
  try {
    hook();
  } catch (...) {
    // The command goes on: an unload must not be stopped by a module's hook.
  }
}

int32_t IdOfLine(const std::string& field) {
  if (field.empty()) return -1;
  size_t used = 0;
  try {
    const long long id = std::stoll(field, &used);
    if (used != field.size() || id < INT32_MIN || id > INT32_MAX) return -1;
    return static_cast<int32_t>(id);
  } catch (const std::exception&) {
    return -1;
  }
}

}  // namespace

int32_t TmoxPlugin::DoLoad(const TPluginCall& call) {
  if (++LoadCount != 1) return 0;
  const TPluginParams& params = call.Params;
  LoadThreadId = platform::CurrentThreadId();
  HostContext = call.Record.HostContext;
  RegistryPath = params.Text("REGISTRY-PATH");
  IniSectionPrefix = params.Text("INI-SECTION-PREFIX");
  if (params.Has("HANDLE")) {
    HostModule = static_cast<platform::ModuleHandle>(VariantToInt(params.Get("HANDLE"), 0));
  }
  ApplicationName = params.Text("APPLICATION-NAME");
  if (HostModule == 0 && !ApplicationName.empty()) {
    HostModule = platform::LoadedModuleByName(ApplicationName);
  }
  ConfigId = 0;
  if ((Capabilities & (1u << 2)) != 0 && params.Has("CONFIG-ID")) {
    ConfigId = static_cast<int32_t>(VariantToInt(params.Get("CONFIG-ID"), 0));
  }
  IniFile = params.Text("INI-FILE");
  if (HostModule != 0) BindHostFunctions();
  Unloaded = false;
  if (FLogList->Count() > 0) NotifyLogWindow();
  int32_t hookResult = 0;
  if (OnLoad) OnLoad(*this, call, hookResult);
  return 0;
}

int32_t TmoxPlugin::DoUnload(const TPluginCall& call) {
  const int32_t count = --LoadCount;
  if (count < 0) {
    LoadCount = 0;
    return 0;
  }
  if (count > 0) return 0;
  Unloaded = true;
  States = 0;
  const std::string iniFile = call.Params.Text("INI-FILE");
  if (iniFile != IniFile) {
    IniFile = iniFile;
    if (OnSaveSettingsNow) CallIgnoringFailure([&] { OnSaveSettingsNow(*this); });
  }
  if (OnUnload) {
    CallIgnoringFailure([&] {
      int32_t hookResult = 0;
      OnUnload(*this, call, hookResult);
    });
  }
  HostModule = 0;
  MsgWindow = 0;
  return 0;
}

int32_t TmoxPlugin::DoSetState(const TPluginCall& call) {
  int32_t result = -1;
  const TPluginParams& params = call.Params;
  if (params.Exists("DATA-SOURCES-IN-CFG")) {
    DataSources.clear();
    for (const std::string& line : SplitLines(params.Text("DATA-SOURCES-IN-CFG"))) {
      try {
        const std::vector<std::string> fields = SplitFields(line, ';');
        const int32_t id = IdOfLine(fields[0]);
        if (id == -1) continue;
        DataSources.push_back(
            {line, id, fields.size() > 1 ? fields[1] : "", fields.size() > 2 ? fields[2] : ""});
      } catch (const std::exception& e) {
        result = -3;
        LogException("SETSTATE", e.what());
      }
    }
    if (params.Exists("DATA-SOURCE-LOAD")) DataSourceLoad = params.Text("DATA-SOURCE-LOAD");
  }
  if (params.Exists("RESULT")) {
    const bool on = VariantEqualsInt(params.Get("RESULT"), 1);
    const uint8_t flags = call.Record.DataFlags;
    if (on) {
      States |= flags;
    } else {
      States &= static_cast<uint8_t>(~flags);
    }
    if (OnChangeState) OnChangeState(*this, call.Record.DataFlags);
    result = 0;
  }
  return result;
}

int32_t TmoxPlugin::DoSetItems(const TPluginCall& call) {
  const TVariant items = call.Params.Get("ITEMS");
  if (items.Type() != VarType::BStr && items.Type() != VarType::AnsiStr) return -1;
  FParserItems.Parse(VarToAnsi(items), true);
  if (OnParserItemsSet) OnParserItemsSet(*this);
  return 0;
}

int32_t TmoxPlugin::DoItems(const TPluginCall& call) {
  if (!call.Params.Exists("RESULT")) return -1;
  if (OnBeforeGetParserItems) OnBeforeGetParserItems(*this);
  FParserItemsText = FParserItems.Render();
  call.Params.Answer("RESULT", AnsiAnswer(FParserItemsText));
  return 0;
}

// "SAVE-SETTINGS-NOW" saves into the file the host names; "LOAD-SETTINGS-NOW"
// loads from it and then saves into the instance's own file.
int32_t TmoxPlugin::DoSettingsNow(const std::string& command, const TPluginCall& call) {
  const std::string ownFile = IniFile;
  const TScopeExit restore([&] { IniFile = ownFile; });
  IniFile = call.Params.Text("INI-FILE");
  if (command == "LOAD-SETTINGS-NOW") {
    if (OnLoadSettingsNow) OnLoadSettingsNow(*this);
    IniFile = ownFile;
  }
  const bool save =
      !call.Params.Exists("NO-SAVE") || VariantEqualsInt(call.Params.Get("NO-SAVE"), 1);
  if (OnSaveSettingsNow && save) OnSaveSettingsNow(*this);
  return -2;
}

// The hook starts from -1 (refused) and sets what it handled; a module
// without a hook takes every event.
int32_t TmoxPlugin::DoEvent(const TPluginCall& call) {
  if (!call.Params.Exists("EVENT-TYPE")) return -1;
  if (!OnEvent) return 0;
  int32_t result = -1;
  OnEvent(*this, call.Params.Text("EVENT-TYPE"), call, result);
  return result;
}

int32_t TmoxPlugin::DoOtherCommand(const std::string& command, const TPluginCall& call) {
  if (!OnCommand) return -2;
  int32_t result = -2;
  OnCommand(*this, command, call, result);
  return result;
}
