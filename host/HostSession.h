#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "HostSinks.h"
#include "HostWindow.h"
#include "ModuleInfo.h"
#include "PluginCommand.h"
#include "PluginLibrary.h"

namespace host {

// Where the module keeps its settings and how it talks to the host, as given
// with "LOAD".
struct TLoadOptions {
  std::string RegistryPath;
  std::string IniSectionPrefix;
  std::string IniFile;
  std::string Language;
};

// What a session connects its instance to; every member may be left empty.
struct THostLinks {
  IHostSink* Sink = nullptr;  // bytes to send, data records
  THostWindow* Window = nullptr;
  THostWindow::TLogHandler OnLog;  // log lines fetched on the window's message
  THostWindow::TReloadHandler OnReload;
};

class EHostSession : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One plug-in instance driven in the host's order: Create, Load, ModuleInfo,
// ParserItems, SetState, Event("PORT-OPEN"), ProcessData for every block
// received, Unload, Free. The library's final release follows when the
// TPluginLibrary goes.
//
// The session registers the sink of its links for its host context and, at
// Load, attaches its handlers to the window. Going, it unloads and frees a
// live instance.
class THostSession {
 public:
  THostSession(const TPluginLibrary& library, int32_t hostContext, THostLinks links = {});
  ~THostSession();
  THostSession(const THostSession&) = delete;
  THostSession& operator=(const THostSession&) = delete;

  // EHostSession when the plug-in refuses.
  void Create();
  // "LOAD" with the program's own module as "HANDLE" and the window, when
  // there is one, as "MSG-PROC-HANDLE". The command's result.
  int32_t Load(const TLoadOptions& options);
  TModuleInfo ModuleInfo();
  // "ITEMS": the parser item text; EHostSession when refused.
  std::string ParserItems();
  // "SET-STATE": the data sources (one "id;name;full name" line each) and, for
  // every state bit set in `states`, the state on or off.
  int32_t SetState(const std::string& dataSources, uint8_t states, bool on);
  int32_t Event(const std::string& eventType);
  // Bytes received on the channel of a client; -1 for a block beyond 32-bit lengths.
  int32_t ProcessData(int32_t clientId, const uint8_t* data, size_t length);
  TCommandResult Command(const std::string& command, const TCommandParams& params = {},
                         bool withResult = false);
  int32_t Unload();
  // FreePluginInstance; the instance is gone whatever the result.
  int32_t Free();

  uintptr_t Instance() const { return FInstance; }
  int32_t HostContext() const { return FHostContext; }
  // A record naming this instance, for calls the session does not wrap.
  TPluginCallRec Record(int32_t clientId = 0) const;

 private:
  const TPluginExports& FExports;
  int32_t FHostContext;
  THostLinks FLinks;
  uintptr_t FInstance = 0;
  bool FLoaded = false;
};

}  // namespace host
