#include "TreeOutput.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "ExitCodes.h"

namespace plchost {

int PrintTree(const TOptions& options) {
  const std::string& tree = options.Settings.RequestTreeText;
  if (options.OutputFile.empty()) {
    std::cout << tree << std::flush;
    return std::cout ? kExitOk : kExitFailure;
  }
  std::ofstream file(std::filesystem::u8path(options.OutputFile), std::ios::binary);
  file << tree << std::flush;
  if (!file) {
    std::fprintf(stderr, "plchost: the output file %s cannot be written\n",
                 options.OutputFile.c_str());
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace plchost
