#include "StopSignal.h"

#include <csignal>
#include <cstdlib>

namespace plchost {

namespace {

volatile std::sig_atomic_t gStopRequested = 0;

// The exit code of a process ended by the second signal.
constexpr int kForcedExit = 130;

extern "C" void OnStopSignal(int signal) {
  if (gStopRequested != 0) std::_Exit(kForcedExit);
  gStopRequested = 1;
  std::signal(signal, OnStopSignal);
}

}  // namespace

void InstallStopSignals() {
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
#ifdef SIGPIPE
  // A closed pipe on the output is a write error that plchost reports, not an end
  // without a word.
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

bool StopRequested() { return gStopRequested != 0; }

}  // namespace plchost
