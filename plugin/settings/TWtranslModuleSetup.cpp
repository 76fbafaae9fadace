#include "settings/TWtranslModuleSetup.h"

#include "settings/TWtransl.h"
#include "settings/TWtranslFiles.h"

namespace {

std::string WithLngExtension(const std::string& path) {
  const size_t separator = path.find_last_of("/\\");
  const size_t dot = path.rfind('.');
  const bool hasExtension =
      dot != std::string::npos && (separator == std::string::npos || dot > separator);
  return (hasExtension ? path.substr(0, dot) : path) + ".lng";
}

}  // namespace

std::string SetUpModuleTranslator(TWtransl& translator, const std::string& hostDirectory,
                                  const std::string& pluginPath) {
  const std::string ownFile = WithLngExtension(pluginPath);
  translator.SourceLanguage = "EN";
  for (const char* property : {"MsgNoData", "MsgWriteComplete", "MsgWriteCompleteError"}) {
    translator.ComponentProperties.emplace_back(property);
  }
  if (!FileExists(ownFile)) {
    translator.LanguageFile.clear();
    return "EN";
  }
  translator.LanguageFile = hostDirectory + "plugins.lng|" + ownFile;
  return translator.ReadDefaultLanguage();
}
