#pragma once

#include <cstdint>

#include "moxPluginRecords.h"

class TmoxPlugin;

// Fills the module information for a host: `size` gets the bytes needed (the
// fixed part and both texts); `info` (optional) is filled when its Size holds
// the fixed part, and its texts only when it holds everything. True when the
// whole information was written.
bool FillModuleInfo(TmoxPlugin& module, TPluginModuleInfo* info, int32_t& size);
