#include "PluginLibrary.h"

#include "CallRecord.h"

namespace host {

TPluginLibrary::TPluginLibrary(const std::string& path) : FPath(path), FModule(0) {
  std::string error;
  FModule = platform::LoadModule(path, &error);
  if (FModule == 0) {
    throw EPluginLibrary("cannot load the plug-in " + path + (error.empty() ? "" : ": " + error));
  }
  try {
    BindExports();
  } catch (...) {
    platform::UnloadModule(FModule);
    throw;
  }
}

TPluginLibrary::~TPluginLibrary() {
  FinalRelease();
  platform::UnloadModule(FModule);
}

template <typename TFunction>
void TPluginLibrary::Bind(TFunction& function, const char* name) {
  function = reinterpret_cast<TFunction>(platform::FindExport(FModule, name));
  if (function == nullptr) {
    throw EPluginLibrary("the plug-in " + FPath + " has no export " + name);
  }
}

void TPluginLibrary::BindExports() {
  Bind(FExports.CreatePluginInstance, "CreatePluginInstance");
  Bind(FExports.FreePluginInstance, "FreePluginInstance");
  Bind(FExports.ExecutePluginCommand, "ExecutePluginCommand");
  Bind(FExports.ProcessData, "ProcessData");
  Bind(FExports.GetModuleInfo, "GetModuleInfo");
  Bind(FExports.GetLogEx, "GetLogEx");
  Bind(FExports.GetOptionsDialog, "GetOptionsDialog");
  Bind(FExports.ShowOptionsDialog, "ShowOptionsDialog");
}

int32_t TPluginLibrary::FinalRelease() {
  if (FReleased) return 0;
  FReleased = true;
  TPluginCallRec record = MakeCallRecord(0);
  record.InData.Kind = kSlotMarker;
  record.InData.Ptr = kFinalReleaseMarker;
  return FExports.FreePluginInstance(&record);
}

}  // namespace host
