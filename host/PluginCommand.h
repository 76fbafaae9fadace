#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "moxShared/Private/Plugins/moxPluginRecords.h"
#include "moxShared/Public/Common/moxVariant.h"

namespace host {

// Named parameters of a command, in the order they go into the list.
using TCommandParams = std::vector<std::pair<std::string, TVariant>>;

struct TCommandResult {
  int32_t Code = -1;  // 0 success, -1 refused, -2 not handled, -3 exception
  TVariant Result;    // the "RESULT" item after the call; Empty without one
};

// Runs a command through ExecutePluginCommand with a record made from `base`
// (instance, host context, client, data flags) and a new parameter list
// holding "COMMAND", the parameters and, when asked, an empty "RESULT" item
// for the answer.
TCommandResult RunCommand(TExecutePluginCommand execute, const TPluginCallRec& base,
                          const std::string& command, const TCommandParams& params = {},
                          bool withResult = false);

}  // namespace host
