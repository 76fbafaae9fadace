#pragma once

#include <cstdint>
#include <string>

#include "Options.h"

namespace plchost {

// --interval: a number with its unit ms, s, m or h ("500ms", "1s", "0.5s",
// "2m"); at least 1 ms. EUsage otherwise.
int64_t ParseInterval(const std::string& text);

// Packs the --read values into requests and puts their tree into the settings
// to write; without --protocol and --ini a --plc channel speaks ISO over TCP.
// EUsage (with the reason) when the values cannot be read together.
void PlanReads(TOptions& options);

}  // namespace plchost
