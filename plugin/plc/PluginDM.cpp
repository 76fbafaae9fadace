#include "plc/PluginDM.h"
#include "moxShared/Public/Common/moxScopeExit.h"

#include <algorithm>
#include <exception>
#include <iterator>

#include "moxShared/Private/Plugins/moxPluginRegistry.h"
#include "moxShared/Private/Plugins/moxTextLines.h"
#include "nodave/NoDaveDyn.h"
#include "plc/PluginDM_ParserItems.h"
#include "settings/TWtransl.h"
#include "settings/moxStringHolder.h"
#include "xml/pimXMLText.h"

namespace {

// The library makes Siemens modules.
const bool kRegistered = RegisterPluginModuleClass(&TmoxPlugin::Create<TaPlugin>);

constexpr uint8_t kDataReceived = 0x02;

}  // namespace

TaPlugin::TaPlugin(const TPluginCall* call, platform::ModuleHandle library)
    : TmoxPlugin(call, library) {}

TaPlugin::~TaPlugin() {
  BeginDestruction();  // an engine's read that fails as it goes is not logged
  FEngines.clear();
  Settings.reset();
}

void TaPlugin::DoCreate() {
  ModuleVersion = 5.0f;
  Description = "Siemens Simatic S5,S7";
  LogTitle = "Simatic";
  ModuleType = 0x03;
  EventsSupported = "PORT-OPEN";
  Properties = CreateSettingsMap(this);
  OnShowOptionsDialog = [this](TmoxPlugin&, const TPluginCall& call, bool& changed) {
    moxPluginShowOptionsDialog(call, changed);
  };
  OnEvent = [this](TmoxPlugin&, const std::string& name, const TPluginCall& call, int32_t& result) {
    moxPluginEvent(name, call, result);
  };
  OnLoad = [this](TmoxPlugin&, const TPluginCall& call, int32_t& result) {
    moxPluginLoad(call, result);
  };
  OnUnload = [this](TmoxPlugin&, const TPluginCall& call, int32_t& result) {
    moxPluginUnload(call, result);
  };
  OnSaveSettingsNow = [this](TmoxPlugin&) { moxPluginSaveSettingsNow(); };
  OnLoadSettingsNow = [this](TmoxPlugin&) { moxPluginLoadSettingsNow(); };
  OnChangeState = [this](TmoxPlugin&, uint8_t states) { moxPluginChangeState(states); };
  OnProcessData = [this](TmoxPlugin&, const TPluginCall& call, int32_t& result) {
    moxPluginProcessData(call, result);
  };
  OnBeforeGetParserItems = [this](TmoxPlugin&) { moxPluginBeforeGetParserItems(); };
  Texts = new TTextResources(this);
  Translator()->Translate(Language.empty() ? "NONE" : Language, Texts);
  Unloading = true;
  Translator()->ComponentProperties.emplace_back("Filter");
  SetNoDaveLibraryFolder(ModulePath);
}

TSerialPortDM* TaPlugin::FindEngine(int32_t id) const {
  for (auto engine = FEngines.rbegin(); engine != FEngines.rend(); ++engine) {
    if ((*engine)->DataSourceId == id) return engine->get();
  }
  return nullptr;
}

void TaPlugin::ReloadSettings(bool reenableTimers) {
  if (!Settings) return;
  TSettingsReloadHooks hooks;
  hooks.RebuildRequestLists = [this](const TDataSourceCfg& settings) {
    RebuildRequestLists(&settings);
  };
  hooks.UpdateEngineTimers = [this] { UpdateEngineTimers(); };
  hooks.Log = [this](TLogLevel level, const std::string& line) { Log(level, line); };
  hooks.ItemsErrorFormat = Texts->ItemsFormationError;
  SettingsBusy = true;
  const TScopeExit end([this] { SettingsBusy = false; });
  ::ReloadSettings(SettingsLocation(), *Properties, *Settings, reenableTimers, hooks);
}

void TaPlugin::RebuildRequestLists(const TDataSourceCfg* settings) {
  for (const std::unique_ptr<TSerialPortDM>& engine : FEngines) {
    TRequestListBuild build;
    build.Settings = settings;
    build.Engine = engine.get();
    build.ModuleActive = !Unloading && (State(0) || State(1));
    build.Log = [this](TLogLevel level, const std::string& line) { Log(level, line); };
    // A tree that cannot be read stops here: the engines after this one keep
    // their lists, and the settings load logs the failure once.
    BuildRequestList(build, engine->RequestList());
  }
}

void TaPlugin::UpdateEngineTimers() {
  for (const std::unique_ptr<TSerialPortDM>& engine : FEngines) engine->UpdateTimer();
}

void TaPlugin::moxPluginLoad(const TPluginCall&, int32_t&) {
  Settings = std::make_unique<TDataSourceCfg>(nullptr);
  Unloading = false;
  ReloadSettings(false);
}

void TaPlugin::moxPluginUnload(const TPluginCall&, int32_t&) {
  Unloading = true;
  RebuildRequestLists(nullptr);
  Settings.reset();
}

void TaPlugin::moxPluginSaveSettingsNow() {
  if (Settings) SaveSettings(Properties, Settings.get());
}

void TaPlugin::moxPluginLoadSettingsNow() {
  if (Settings) ReloadSettings(true);
}

void TaPlugin::moxPluginShowOptionsDialog(const TPluginCall&, bool& changed) { changed = true; }

void TaPlugin::moxPluginChangeState(uint8_t) {
  std::vector<TSerialPortDM*> leftOver;
  for (const std::unique_ptr<TSerialPortDM>& engine : FEngines) leftOver.push_back(engine.get());
  if (States != 0 && Settings) {
    for (const TConfigDataSource& source : DataSources) {
      if (!DataSourceLoad.empty() && !pimxml::SameTextNoCase(DataSourceLoad, source.Line)) {
        continue;
      }
      TSerialPortDM* existing = FindEngine(source.Id);
      if (existing != nullptr) {
        leftOver.erase(std::remove(leftOver.begin(), leftOver.end(), existing), leftOver.end());
        continue;
      }
      auto engine = std::make_unique<TSerialPortDM>(*this, *Settings);
      engine->DataSourceId = source.Id;
      engine->DataSourceName = source.Name;
      engine->DataSourceFullName = source.FullName;
      TExclusiveSection guard(FEnginesLock);
      FEngines.push_back(std::move(engine));
    }
  }
  FreeEngines(leftOver);
  ReloadSettings(true);
}

void TaPlugin::FreeEngines(std::vector<TSerialPortDM*> engines) {
  std::vector<std::unique_ptr<TSerialPortDM>> freed;
  {
    TExclusiveSection guard(FEnginesLock);
    const auto kept = std::stable_partition(
        FEngines.begin(), FEngines.end(), [&](const std::unique_ptr<TSerialPortDM>& engine) {
          return std::find(engines.begin(), engines.end(), engine.get()) == engines.end();
        });
    std::move(kept, FEngines.end(), std::back_inserter(freed));
    FEngines.erase(kept, FEngines.end());
  }
  // Freed outside the lock: an engine takes a while to stop its worker, and
  // bytes for the other engines need not wait for that.
  freed.clear();
}

void TaPlugin::moxPluginBeforeGetParserItems() {
  ParserItems().Clear();
  AddStandardParserItems(false);
  AddPlcParserItems(ParserItems(), Settings.get());
}

void TaPlugin::moxPluginProcessData(const TPluginCall& call, int32_t& result) {
  result = -1;
  if (!Settings) return;
  result = 0;
  if (Unloading) return;
  TSharedSection engines(FEnginesLock);
  TSerialPortDM* engine = FindEngine(call.Record.ClientId);
  if (engine == nullptr || (call.Record.DataFlags & kDataReceived) == 0 || !State(1)) return;
  const TPluginDataSlot& input = call.Record.InData;
  const bool isList = input.Kind == kSlotListObject || input.Kind == kSlotListUnchecked ||
                      input.Kind == kSlotListInterface;
  if (input.Ptr == 0 || isList) return;
  try {
    engine->ReceiveFromHost(reinterpret_cast<const uint8_t*>(input.Ptr), input.Length);
  } catch (...) {
    // Received bytes never fail the host's call.
  }
}

void TaPlugin::moxPluginEvent(const std::string& name, const TPluginCall& call, int32_t& result) {
  if (pimxml::SameTextNoCase(name, "GetMemoryTypeList")) {
    result = -1;
    call.Params.Answer("RESULT", AnsiAnswer(Texts->MemoryTypeList()));
    result = 0;
    return;
  }
  if (!State(0)) return;
  result = 0;
  if (name != "PORT-OPEN") return;
  for (auto engine = FEngines.rbegin(); engine != FEngines.rend(); ++engine) {
    (*engine)->PendingReset = 2;
    (*engine)->UpdateTimer();
  }
}
