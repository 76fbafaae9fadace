#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "moxParserItems.h"
#include "moxPluginCustomCmd.h"
#include "moxPluginParams.h"
#include "moxPluginRecords.h"
#include "moxShared/Public/Common/moxVariant.h"
#include "moxShared/Public/Component/moxComponent.h"
#include "platform/Library.h"
#include "platform/Messages.h"
#include "platform/Sync.h"
#include "settings/LogDataList.h"
#include "settings/moxSettingsStore.h"
#include "threads/Thread_Common.h"

class TComponent;
class TmoxStrHolder;
class TmoxThreadParamsList;
class TParsedDataList;
class TWtransl;

// One host call as a module's handlers see it: the caller's (converted) record
// and its parameter list.
struct TPluginCall {
  TPluginCallRec& Record;
  TPluginParams Params;
};

// One data source the host announced with "SET-STATE": "Id;Name;FullName".
struct TConfigDataSource {
  std::string Line;
  int32_t Id = 0;
  std::string Name;
  std::string FullName;
};

// Raised when a module is used against its contract (a nested command).
class EPluginAssertion : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// The event names of "EVENT-TYPE" and "EventsSupported", in their fixed order.
extern const std::array<const char*, 13> kPluginEventNames;

// The base of a plug-in module: one object per data source the host
// configures. It keeps what the host said at "LOAD", the module's
// self-description and state, runs the host's commands, and carries bytes,
// data records and log lines back to the host. A concrete module takes part
// through the hooks, which it assigns in DoCreate.
class TmoxPlugin : public TComponent {
 public:
  using TRecordHook = std::function<void(TmoxPlugin&, const TPluginCall&, int32_t& result)>;
  using TNotifyHook = std::function<void(TmoxPlugin&)>;

  // Steps of construction that need no virtual call; Create finishes it.
  TmoxPlugin(const TPluginCall* call, platform::ModuleHandle library);
  ~TmoxPlugin() override;

  // Makes a module of class T: constructs it, lets it take part (DoCreate),
  // then translates its texts.
  template <class T>
  static std::unique_ptr<TmoxPlugin> Create(const TPluginCall* call,
                                            platform::ModuleHandle library) {
    std::unique_ptr<TmoxPlugin> module(new T(call, library));
    module->AfterConstruction();
    return module;
  }

  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  // The dispatch of a host command (exact, case-sensitive names).
  int32_t ExecuteCommand(const std::string& command, TPluginCallRec& record,
                         ImoxParamsListA* params);
  // What ProcessData does with a converted record.
  int32_t ProcessDataCall(TPluginCallRec& record, ImoxParamsListA* params);

  // A host's "LANGUAGE": a new language has the module's texts translated anew.
  void ApplyLanguage(const TPluginParams& params);

  bool State(int index) const { return index >= 0 && index < 8 && ((States >> index) & 1) != 0; }

  // Where the settings live, from the location fields.
  TSettingsLocation SettingsLocation() const;
  // Settings: one pass of a store configured from the location fields.
  bool OpenSettingsStore(TSettingsOperation operation, const TmoxStrHolder* map,
                         const std::string* iniFile, TComponent* settings);
  bool LoadSettings(const TmoxStrHolder* map, TComponent* settings) {
    return OpenSettingsStore(TSettingsOperation::Load, map, nullptr, settings);
  }
  bool SaveSettings(const TmoxStrHolder* map, TComponent* settings) {
    return OpenSettingsStore(TSettingsOperation::Save, map, nullptr, settings);
  }

  // Module parameters ("GET-MODULE-PARAMETER", "SET-MODULE-PARAMETER").
  TVariant GetModuleParameter(const std::string& name);
  bool SetModuleParameter(const std::string& name, const TVariant& value);
  std::string AppDataPath() const;
  std::string ModuleDataPath() const;
  std::string ModuleConfigId() const;

  // Parser items.
  TParserItemList& ParserItems() { return FParserItems; }
  void AddStandardParserItems(bool withClientId) { FParserItems.AddStandard(withClientId); }

  TmoxPluginCustomCmdList& CustomCommands() { return FCustomCommands; }

  // Host delivery: bytes to transmit on the host's channel (-1 without the
  // host function) and parsed data records.
  int32_t SendToPort(int32_t hostContext, int32_t clientId, int32_t length, const void* data,
                     int32_t extra);
  void DeliverParsedData(int32_t clientId, int32_t length, TParsedDataList& list);
  // Appends the standard fields of a data record; returns how many.
  int32_t FillStandardItems(TParsedDataList& list, const std::string& fullPacket,
                            const std::string& dataPacket, int32_t dataSourceId, int32_t clientId,
                            const std::string& nameWithClient, const std::string& fullName,
                            const std::string& nameWithoutClient);
  void BeginModuleWrite() { FModuleWriteLock.BeginWrite(); }
  void EndModuleWrite() { FModuleWriteLock.EndWrite(); }

  // The log: lines for the host, fetched with GetLogEx.
  void Log(TLogLevel level, const std::string& message) noexcept;
  // An exception caught at a boundary: "{name} message" as an error line and
  // to the debugger output.
  void LogException(const std::string& name, const std::string& message) noexcept;
  void NotifyLogWindow() noexcept;
  // Posts a message to the host's window (wParam: HostContext), or sends it
  // with a time-out when posting fails; nothing without a window.
  void NotifyHostWindow(uint32_t message) noexcept;
  TLogDataList* LogList() { return FLogList.get(); }

  // Identity and host binding.
  uintptr_t Handle = 0;
  // Read by engine threads when they log or deliver, written by commands.
  std::atomic<int32_t> HostContext{0};
  platform::ModuleHandle HostModule = 0;
  std::string ApplicationName;
  std::atomic<platform::WindowHandle> MsgWindow{0};
  platform::WindowHandle OwnerForm = 0;
  uint32_t LoadThreadId = 0;

  // Settings location.
  uint8_t RegistryRoot1 = 2;
  uint8_t RegistryRoot2 = 1;
  std::string RegistryPath;
  std::string IniSectionPrefix;
  std::string IniFile;
  int32_t ConfigId = 0;

  // Self-description.
  std::string Description;
  std::string LogTitle;  // once the instance runs, under LogTitleLock
  platform::CriticalSection LogTitleLock;
  std::string EventsSupported;
  uint8_t ModuleType = 0;
  uint8_t Capabilities = 0;  // member 2: "LOAD" reads "CONFIG-ID"
  uint8_t InfoFlag = 1;
  float ModuleVersion = 4.0f;
  std::string VersionText;
  std::string ModulePath;  // with a trailing separator
  std::string ModuleName;
  bool SubscribeForData = false;

  // Data sources.
  std::vector<TConfigDataSource> DataSources;
  std::string DataSourceLoad;

  // State.
  std::atomic<int32_t> LoadCount{0};
  std::atomic<bool> Unloaded{false};
  std::atomic<bool> Processing{false};
  bool TemporaryLoad = false;
  std::atomic<uint8_t> States{0};  // bit i: state i on (engine threads read it)
  std::string Language;
  bool Translated = false;
  std::atomic<bool> SettingsBusy{false};
  // Set while the options-dialog export runs the module's handler.
  bool DialogRunning = false;
  uint8_t DialogCallFlags = 0;

  // Published, translatable texts.
  std::string MsgNoData = "No data for processing";
  std::string MsgWriteComplete = "Data have been processed successfully";
  std::string MsgWriteCompleteError = "Data have been processed with errors";

  // Hooks.
  TRecordHook OnLoad;
  TRecordHook OnUnload;
  std::function<void(TmoxPlugin&, uint8_t states)> OnChangeState;
  TNotifyHook OnBeforeGetParserItems;
  TNotifyHook OnParserItemsSet;
  TNotifyHook OnSaveSettingsNow;
  TNotifyHook OnLoadSettingsNow;
  std::function<void(TmoxPlugin&, const TPluginCall&, bool& result)> OnShowOptionsDialog;
  TRecordHook OnProcessData;
  std::function<void(TmoxPlugin&, const std::string& eventType, const TPluginCall&,
                     int32_t& result)>
      OnEvent;
  std::function<void(TmoxPlugin&, const std::string& command, const TPluginCall&, int32_t& result)>
      OnCommand;
  TNotifyHook OnLanguageChanged;

  // The library module handle given at construction.
  platform::ModuleHandle LibraryHandle() const { return FLibrary; }
  TWtransl* Translator() const { return FTranslator.get(); }

 protected:
  // Where a concrete module takes part: assigns its hooks and description.
  virtual void DoCreate() {}
  // Translates the module's texts once into Language.
  void Translate();
  // From here on Log does nothing: a concrete module calls it first in its
  // destructor, before its own parts (engines that may still log) go away.
  void BeginDestruction() { FDestroying = true; }

 private:
  void AfterConstruction();
  void SetUpIdentity();
  void SetUpTranslation();
  void TakeWindowHandles(const TPluginParams& params);
  int32_t SelectCommand(const std::string& command, const TPluginCall& call);
  int32_t DoLoad(const TPluginCall& call);
  int32_t DoUnload(const TPluginCall& call);
  int32_t DoSetState(const TPluginCall& call);
  int32_t DoSetItems(const TPluginCall& call);
  int32_t DoItems(const TPluginCall& call);
  int32_t DoSettingsNow(const std::string& command, const TPluginCall& call);
  int32_t DoEvent(const TPluginCall& call);
  int32_t DoOtherCommand(const std::string& command, const TPluginCall& call);
  int32_t RunDataHook(const TPluginCall& call, bool reportOutcome);
  void BindHostFunctions();
  TVariant GetIndexedParserItem(const std::string& name) const;
  TVariant GetCustomParameter(const std::string& name);
  bool SetCustomParameter(const std::string& name, const TVariant& value);

  platform::ModuleHandle FLibrary;
  platform::CriticalSection FCommandLock;
  std::atomic<int32_t> FCommandDepth{0};
  TReadWriteLock FModuleWriteLock;
  std::atomic<bool> FDestroying{false};
  TParserItemList FParserItems;
  std::string FParserItemsText;
  TmoxPluginCustomCmdList FCustomCommands;
  std::unique_ptr<TmoxThreadParamsList> FModuleParams;
  std::unique_ptr<TLogDataList> FLogList;
  std::unique_ptr<TWtransl> FTranslator;

  // The host functions bound at "LOAD"; only Harvex_SendDataEx is called,
  // from engine threads too.
  void* FHostSendNotify = nullptr;
  std::atomic<THarvexSendDataEx> FHostSendDataEx{nullptr};
  void* FHostDataSourceData = nullptr;
  void* FHostDataSourceState = nullptr;
  void* FHostManageDynForm = nullptr;
};

// Makes the module of the library's module class.
using TmoxPluginClass = std::unique_ptr<TmoxPlugin> (*)(const TPluginCall* call,
                                                        platform::ModuleHandle library);
