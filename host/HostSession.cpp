#include "HostSession.h"

#include <cstdint>
#include <utility>

#include "CallRecord.h"
#include "moxShared/Public/Common/moxVarConvert.h"
#include "platform/Library.h"

namespace host {

namespace {

// The bit of DataFlags that marks received bytes.
constexpr uint8_t kDataReceived = 0x02;

}  // namespace

THostSession::THostSession(const TPluginLibrary& library, int32_t hostContext, THostLinks links)
    : FExports(library.Exports()), FHostContext(hostContext), FLinks(std::move(links)) {
  if (FLinks.Sink != nullptr) RegisterHostSink(FHostContext, FLinks.Sink);
}

THostSession::~THostSession() {
  if (FLoaded) Unload();
  if (FInstance != 0) Free();
  if (FLinks.Sink != nullptr) UnregisterHostSink(FHostContext);
}

TPluginCallRec THostSession::Record(int32_t clientId) const {
  return MakeCallRecord(FInstance, FHostContext, clientId);
}

void THostSession::Create() {
  if (FInstance != 0) throw EHostSession("the instance exists already");
  TPluginCallRec record = Record();
  if (FExports.CreatePluginInstance(&record) != 0 || record.Instance == 0) {
    throw EHostSession("the plug-in refused to create an instance");
  }
  FInstance = record.Instance;
}

int32_t THostSession::Load(const TLoadOptions& options) {
  TCommandParams params = {
      {"HANDLE", HandleValue(platform::ProgramModule())},
      {"REGISTRY-PATH", TVariant::OfAnsi(options.RegistryPath)},
      {"INI-SECTION-PREFIX", TVariant::OfAnsi(options.IniSectionPrefix)},
      {"INI-FILE", TVariant::OfAnsi(options.IniFile)},
  };
  if (!options.Language.empty())
    params.emplace_back("LANGUAGE", TVariant::OfAnsi(options.Language));
  if (FLinks.Window != nullptr) {
    params.emplace_back("MSG-PROC-HANDLE", HandleValue(FLinks.Window->Handle()));
    FLinks.Window->Attach(FHostContext,
                          {FExports.GetLogEx, FInstance, FLinks.OnLog, FLinks.OnReload});
  }
  const int32_t result = Command("LOAD", params).Code;
  FLoaded = FLoaded || result == 0;
  return result;
}

TModuleInfo THostSession::ModuleInfo() {
  TPluginCallRec record = Record();
  return QueryModuleInfo(FExports.GetModuleInfo, record);
}

std::string THostSession::ParserItems() {
  const TCommandResult result = Command("ITEMS", {}, true);
  if (result.Code != 0) throw EHostSession("the plug-in refused the parser items");
  return VarToAnsi(result.Result);
}

int32_t THostSession::SetState(const std::string& dataSources, uint8_t states, bool on) {
  TPluginCallRec record = Record();
  record.DataFlags = states;
  return RunCommand(FExports.ExecutePluginCommand, record, "SET-STATE",
                    {{"DATA-SOURCES-IN-CFG", TVariant::OfAnsi(dataSources)},
                     {"RESULT", TVariant::OfI4(on ? 1 : 0)}})
      .Code;
}

int32_t THostSession::Event(const std::string& eventType) {
  return Command("EVENT", {{"EVENT-TYPE", TVariant::OfAnsi(eventType)}}).Code;
}

int32_t THostSession::ProcessData(int32_t clientId, const uint8_t* data, size_t length) {
  if (length > static_cast<size_t>(INT32_MAX)) return -1;
  TPluginCallRec record = Record(clientId);
  record.DataFlags = kDataReceived;
  SetSlotText(record.InData, data, static_cast<int32_t>(length));
  // Params must not be 0; an empty list does.
  THostParams params;
  record.Params = params.AsInterfaceRef();
  return FExports.ProcessData(&record);
}

TCommandResult THostSession::Command(const std::string& command, const TCommandParams& params,
                                     bool withResult) {
  return RunCommand(FExports.ExecutePluginCommand, Record(), command, params, withResult);
}

int32_t THostSession::Unload() {
  const int32_t result = Command("UNLOAD").Code;
  FLoaded = false;
  return result;
}

int32_t THostSession::Free() {
  TPluginCallRec record = Record();
  const int32_t result = FExports.FreePluginInstance(&record);
  FInstance = 0;
  if (FLinks.Window != nullptr) FLinks.Window->Detach(FHostContext);
  return result;
}

}  // namespace host
