// The library's exported functions: every call from a host enters here. No
// exception leaves them; the caller's record is restored on every path.
#include <exception>

#include "moxShared/Private/Plugins/Exports/moxPluginExports.h"
#include "moxShared/Private/Plugins/moxCrashReport.h"
#include "moxShared/Private/Plugins/moxModuleInfo.h"
#include "moxShared/Private/Plugins/moxPluginCallRecIntf.h"
#include "moxShared/Private/Plugins/moxPluginRegistry.h"
#include "moxShared/Public/Common/moxScopeExit.h"
#include "moxShared/Public/Common/moxVarConvert.h"
#include "platform/CodePage.h"

namespace {

constexpr int32_t kRefused = -1;
constexpr int32_t kFailed = -3;

// A record a command or data call may use: present and of the right size.
bool IsUsableRecord(const TPluginCallRec* record) {
  return record != nullptr && record->Size == kCallRecSize && record->Params != 0;
}

TmoxPlugin* FindInstance(const TPluginCallRec* record) {
  TPluginRegistry* registry = TPluginRegistry::Instance();
  if (record == nullptr || registry == nullptr) return nullptr;
  return registry->Find(record->Instance);
}

// Waits, dispatching this thread's messages, until a running data call on an
// unloaded instance ends; false after 30 s.
bool WaitForDataCall(TmoxPlugin& module) {
  constexpr uint32_t kWaitMs = 30000;
  constexpr uint32_t kStepMs = 50;
  for (uint32_t waited = 0; module.Processing; waited += kStepMs) {
    if (waited >= kWaitMs) return false;
    platform::MsgWaitForAny(nullptr, 0, kStepMs);
    platform::Message message;
    while (platform::PeekMessageRemove(message)) platform::DispatchMessageTo(message);
  }
  return true;
}

}  // namespace

extern "C" {

MOX_PLUGIN_EXPORT int32_t MOX_STDCALL_EXPORT CreatePluginInstance(TPluginCallRec* record) {
  TPluginRegistry* registry = TPluginRegistry::Instance();
  if (record == nullptr || record->Instance != 0 || registry == nullptr) return kRefused;
  try {
    TPluginCallRecIntf converted(record);
    const TPluginCall call{*record, TPluginParams(converted.Params())};
    std::unique_ptr<TmoxPlugin> module = registry->ModuleClass()(&call, 0);
    module->Handle = reinterpret_cast<uintptr_t>(module.get());
    const uintptr_t handle = module->Handle;
    registry->Add(std::move(module));
    record->Instance = handle;
    return 0;
  } catch (...) {
    ReportCrash("CreatePluginInstance", std::current_exception());
    return kRefused;
  }
}

MOX_PLUGIN_EXPORT int32_t MOX_STDCALL_EXPORT FreePluginInstance(TPluginCallRec* record) {
  if (record == nullptr) return kRefused;
  TPluginRegistry* registry = TPluginRegistry::Instance();
  if (record->InData.Kind == kSlotMarker && record->InData.Ptr == kFinalReleaseMarker) {
    if (registry != nullptr) registry->RunShutdownHooks();
    return 0;
  }
  if (record->Instance == 0 || registry == nullptr) return kRefused;
  std::unique_ptr<TmoxPlugin> removed = registry->Remove(record->Instance);
  if (!removed) return kRefused;
  try {
    removed.reset();
    return 0;
  } catch (...) {
    ReportCrash("FreePluginInstance", std::current_exception());
    return kFailed;
  }
}

MOX_PLUGIN_EXPORT int32_t MOX_STDCALL_EXPORT ExecutePluginCommand(TPluginCallRec* record) {
  if (!IsUsableRecord(record)) return kRefused;
  TmoxPlugin* module = FindInstance(record);
  if (module == nullptr) return kRefused;
  const TCurrentModuleScope scope(module);
  std::string command = "CMD?";
  try {
    TPluginCallRecIntf converted(record);
    const TPluginParams params(converted.Params());
    if (params.Exists("TEMPORARY-LOAD")) {
      module->TemporaryLoad = VariantToBool(params.Get("TEMPORARY-LOAD"), module->TemporaryLoad);
    }
    const TVariant name = params.Get("COMMAND");
    if (name.IsEmptyOrNull()) return kRefused;
    command = VarToAnsi(name);
    try {
      return module->ExecuteCommand(command, *record, converted.Params());
    } catch (...) {
      ReportCrash(command, std::current_exception());
      return kFailed;
    }
  } catch (...) {
    module->LogException(command, ExceptionMessage(std::current_exception()));
    return kFailed;
  }
}

MOX_PLUGIN_EXPORT int32_t MOX_STDCALL_EXPORT ProcessData(TPluginCallRec* record) {
  if (!IsUsableRecord(record)) return kRefused;
  TmoxPlugin* module = FindInstance(record);
  if (module == nullptr) return kRefused;
  if (module->Unloaded && module->Processing && !WaitForDataCall(*module)) return kRefused;
  if (module->Unloaded || TPluginRegistry::Instance() == nullptr) return kRefused;
  const TCurrentModuleScope scope(module);
  module->Processing = true;
  const TScopeExit end([module] { module->Processing = false; });
  try {
    TPluginCallRecIntf converted(record);
    return module->ProcessDataCall(*record, converted.Params());
  } catch (...) {
    module->LogException("PROCESS", ExceptionMessage(std::current_exception()));
    return kFailed;
  }
}

MOX_PLUGIN_EXPORT int32_t MOX_STDCALL_EXPORT GetModuleInfo(TPluginCallRec* record,
                                                           TPluginModuleInfo* info, int32_t* size) {
  if (size != nullptr) *size = 0;
  TmoxPlugin* module = FindInstance(record);
  if (module == nullptr || size == nullptr) return 0;
  try {
    return FillModuleInfo(*module, info, *size) ? 1 : 0;
  } catch (...) {
    ReportCrash("GetModuleInfo", std::current_exception());
    return 0;
  }
}

MOX_PLUGIN_EXPORT int32_t MOX_STDCALL_EXPORT GetLogEx(TPluginCallRec* record) {
  if (record == nullptr) return 0;
  record->OutData.Kind = kSlotCount;
  record->OutData.Ptr = 0;
  TmoxPlugin* module = FindInstance(record);
  if (module == nullptr || module->LogList() == nullptr) return 0;
  try {
    const TLogFetch fetch = module->LogList()->Fetch(reinterpret_cast<char*>(record->InData.Ptr),
                                                     record->InData.Length);
    record->OutData.Ptr = static_cast<uintptr_t>(fetch.PendingLength);
    return fetch.Copied;
  } catch (...) {
    return 0;
  }
}

}  // extern "C"
