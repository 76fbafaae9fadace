#pragma once

#include <stdexcept>
#include <string>

namespace plchost {

// The plug-in or its protocol library is missing.
class EPluginFiles : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The file name of the plug-in on this system: simatic.dll or simatic.so.
extern const char* const kPluginFileName;

// The plug-in's path: the one given, or the plug-in beside the program.
std::string PluginPathOf(const std::string& given);

// Checks that the plug-in exists and that the protocol library it loads sits
// beside it; EPluginFiles names the file that is missing.
void CheckPluginFiles(const std::string& pluginPath);

}  // namespace plchost
