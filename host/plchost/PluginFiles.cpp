#include "PluginFiles.h"

#include <filesystem>

#include "nodave/NoDaveDyn.h"
#include "platform/Library.h"

namespace plchost {

#if defined(_WIN32)
const char* const kPluginFileName = "simatic.dll";
#else
const char* const kPluginFileName = "simatic.so";
#endif

namespace {

namespace fs = std::filesystem;

bool IsFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

}  // namespace

std::string PluginPathOf(const std::string& given) {
  if (!given.empty()) return given;
  const fs::path program = fs::u8path(platform::ModuleFileName(platform::ProgramModule()));
  return (program.parent_path() / kPluginFileName).u8string();
}

void CheckPluginFiles(const std::string& pluginPath) {
  const fs::path plugin = fs::u8path(pluginPath);
  if (!IsFile(plugin)) throw EPluginFiles("the plug-in " + pluginPath + " does not exist");
  const fs::path library = plugin.parent_path() / kNoDaveLibraryName;
  if (!IsFile(library)) {
    throw EPluginFiles("the protocol library " + library.u8string() +
                       " does not exist; it must sit beside the plug-in");
  }
}

}  // namespace plchost
