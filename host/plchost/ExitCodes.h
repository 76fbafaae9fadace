#pragma once

namespace plchost {

// How plchost ends.
enum TExitCode : int {
  kExitOk = 0,           // stopped by --count, --duration, Ctrl-C or SIGTERM
  kExitFailure = 1,      // the plug-in refused a command, output cannot be written
  kExitUsage = 2,        // a bad command line, an unknown protocol name
  kExitPlugin = 3,       // the plug-in or its protocol library is missing or cannot load
  kExitSettings = 4,     // the settings or the request tree are missing or malformed
  kExitUnreachable = 5,  // the channel could not be opened within --connect-timeout
  kExitNoAnswer = 6,     // connected, but no record within --answer-timeout
};

}  // namespace plchost
