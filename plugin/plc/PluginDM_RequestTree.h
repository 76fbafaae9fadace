#pragma once

#include <cstdint>
#include <string>

#include "plc/PluginDM_Settings.h"
#include "threads/Thread_ObjectList.h"

// The request list builder: turns the request tree text of the settings into
// the request list (TRequestItem objects, see PluginDM_RequestItems.h).

// What the builder needs from the request engine that owns the list.
class TRequestListEngine {
 public:
  // Switches the scheduler timer off.
  virtual void SwitchTimerOff() = 0;
  // Keeps the minimal-interval setting (not used further).
  virtual void SetMinInterval(int32_t interval) = 0;
  // Restarts the schedule keeping the PLC link.
  virtual void ResetKeepLink() = 0;

 protected:
  ~TRequestListEngine() = default;
};

struct TRequestListBuild {
  // None: the list is only emptied.
  const TDataSourceCfg* Settings = nullptr;
  // The engine that owns the list, or none for a temporary list (parser items).
  TRequestListEngine* Engine = nullptr;
  // For an engine: the module is not unloading and its state flag 0 or 1 is
  // set. Otherwise the engine's list is only emptied and its timer left off.
  bool ModuleActive = false;
  // Receives a warning for each value brought within the engine's limits.
  TSettingsLog Log;
};

// Empties `list` and fills it from the settings' request tree; finally resets
// the engine's schedule (keeping its link). A failure (a malformed tree, an
// allocation) propagates after the requests built before it were appended;
// the reset is then skipped.
void BuildRequestList(const TRequestListBuild& build, TThreadObjectList& list);
