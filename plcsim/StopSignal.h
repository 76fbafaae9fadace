#pragma once

namespace plcsim {

// Blocks SIGINT and SIGTERM in the calling thread and in threads it starts
// later; call before starting any thread.
void BlockStopSignals();
// Waits for SIGINT or SIGTERM.
void WaitForStopSignal();

}  // namespace plcsim
