#pragma once

namespace plchost {

// Ctrl-C and SIGTERM ask the host to stop: it ends the plug-in in order and
// exits. A second one while it stops ends the process at once.
void InstallStopSignals();
bool StopRequested();

}  // namespace plchost
