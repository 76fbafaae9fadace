#pragma once

#include <memory>
#include <vector>

#include "moxShared/Private/Plugins/moxPluginModule.h"
#include "plc/PluginDM_Engine.h"
#include "plc/PluginDM_Settings.h"
#include "plc/PluginDM_TextResources.h"
#include "threads/Thread_Common.h"

class TmoxStrHolder;

// The Siemens module: the settings, one request engine per data source the
// host announces, the parser items of the request tree, received bytes routed
// to their engine, and the host events "GetMemoryTypeList" and "PORT-OPEN".
class TaPlugin : public TmoxPlugin {
 public:
  TaPlugin(const TPluginCall* call, platform::ModuleHandle library);
  ~TaPlugin() override;

  // The engine of a data source, the newest first; null when none.
  TSerialPortDM* FindEngine(int32_t id) const;
  int32_t EngineCount() const { return static_cast<int32_t>(FEngines.size()); }

  // Loads the settings and rebuilds every engine's request list.
  void ReloadSettings(bool reenableTimers);
  // Rebuilds every engine's request list from `settings`, or empties it.
  void RebuildRequestLists(const TDataSourceCfg* settings);
  void UpdateEngineTimers();

  TmoxStrHolder* Properties = nullptr;  // owned as a component
  TTextResources* Texts = nullptr;      // owned as a component
  std::unique_ptr<TDataSourceCfg> Settings;
  bool Unloading = true;

 protected:
  void DoCreate() override;

 private:
  void moxPluginLoad(const TPluginCall& call, int32_t& result);
  void moxPluginUnload(const TPluginCall& call, int32_t& result);
  void moxPluginSaveSettingsNow();
  void moxPluginLoadSettingsNow();
  void moxPluginShowOptionsDialog(const TPluginCall& call, bool& changed);
  void moxPluginChangeState(uint8_t states);
  void moxPluginBeforeGetParserItems();
  void moxPluginProcessData(const TPluginCall& call, int32_t& result);
  void moxPluginEvent(const std::string& name, const TPluginCall& call, int32_t& result);
  void FreeEngines(std::vector<TSerialPortDM*> engines);

  std::vector<std::unique_ptr<TSerialPortDM>> FEngines;
  // Bytes from the host look their engine up beside commands on other threads:
  // they hold this shared while a state change adds or removes engines under it.
  TReadWriteLock FEnginesLock;
};
