#pragma once

#include "Options.h"

namespace plchost {

// --print-tree: writes the request tree built from the --read values to
// --output or standard output; returns the exit code.
int PrintTree(const TOptions& options);

}  // namespace plchost
