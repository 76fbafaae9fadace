#include <cstdio>

#include "ExitCodes.h"
#include "HostRun.h"
#include "Options.h"
#include "Probe.h"
#include "TreeOutput.h"
#include "platform/Library.h"

int main() {
  // The process's own arguments, so that Windows hands them over in its code page.
  std::vector<std::string> arguments = platform::ProcessArguments();
  if (!arguments.empty()) arguments.erase(arguments.begin());
  plchost::TOptions options;
  try {
    options = plchost::ParseOptions(arguments);
  } catch (const plchost::EUsage& error) {
    std::fprintf(stderr, "plchost: %s\n(plchost --help lists the options)\n", error.what());
    return plchost::kExitUsage;
  }
  if (options.Help) {
    std::fputs(plchost::kUsage, stdout);
    return plchost::kExitOk;
  }
  if (options.PrintTree) return plchost::PrintTree(options);
  if (options.Probe) return plchost::RunProbe(options);
  return plchost::RunHost(options);
}
