#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ReadPlan.h"
#include "plc/PluginDM_Settings.h"

namespace plchost {

// A request of the tree as the plug-in's engine will run it.
struct TPlannedRequest {
  std::string Name;
  bool Enabled = false;
  bool Poll = false;
  int32_t PollInterval = 0;  // ms
  int32_t Timeout = 0;       // ms
  uint8_t Area = 0;
  int32_t DBNumber = 0;
  // The names of the values its records carry, as the decoder names them.
  std::vector<std::string> ValueNames;
  // For a tree built from --read: the values its records show, and their
  // names (system code page); empty: every value of a record.
  std::vector<TShownValue> Shown;
};

// Builds the requests from the settings' request tree with the plug-in's own
// builder. ESettings when the tree cannot be parsed, has no "MODBUSRTUQUERY"
// element, or holds no enabled request. Values the builder brings within its
// limits are reported through `warnings`.
std::vector<TPlannedRequest> PlanRequests(const TDataSourceCfg& settings,
                                          const TSettingsLog& warnings);

}  // namespace plchost
