#pragma once

#include "Options.h"

namespace plchost {

// Runs the host as the options say: prepares the settings, loads the plug-in,
// drives it in the host's order over the channel until a stop, and ends it in
// order. Messages go to standard error; returns the exit code (ExitCodes.h).
int RunHost(const TOptions& options);

}  // namespace plchost
