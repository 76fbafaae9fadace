#pragma once

#include <stdexcept>
#include <string>

#include "moxShared/Private/Plugins/moxPluginRecords.h"
#include "platform/Library.h"

namespace host {

// The plug-in's eight exports, bound by name.
struct TPluginExports {
  TCreatePluginInstance CreatePluginInstance = nullptr;
  TFreePluginInstance FreePluginInstance = nullptr;
  TExecutePluginCommand ExecutePluginCommand = nullptr;
  TProcessData ProcessData = nullptr;
  TGetModuleInfo GetModuleInfo = nullptr;
  TGetLogEx GetLogEx = nullptr;
  TGetOptionsDialog GetOptionsDialog = nullptr;
  TShowOptionsDialog ShowOptionsDialog = nullptr;
};

// Raised when the plug-in cannot be loaded or lacks an export.
class EPluginLibrary : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A loaded plug-in library. Letting it go makes the final-release call (while
// the library is still loaded), then unloads it.
class TPluginLibrary {
 public:
  // Loads the library and binds every export; EPluginLibrary names the file
  // that cannot be loaded or the export that is missing.
  explicit TPluginLibrary(const std::string& path);
  ~TPluginLibrary();
  TPluginLibrary(const TPluginLibrary&) = delete;
  TPluginLibrary& operator=(const TPluginLibrary&) = delete;

  const TPluginExports& Exports() const { return FExports; }
  const std::string& Path() const { return FPath; }
  platform::ModuleHandle Module() const { return FModule; }

  // FreePluginInstance with the final-release marker; the result of that call.
  // Once made, the destructor does not repeat it.
  int32_t FinalRelease();

 private:
  void BindExports();
  template <typename TFunction>
  void Bind(TFunction& function, const char* name);

  std::string FPath;
  platform::ModuleHandle FModule;
  TPluginExports FExports;
  bool FReleased = false;
};

}  // namespace host
