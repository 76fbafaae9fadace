#include "SettingsWriter.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "platform/CodePage.h"
#include "settings/moxStringHolder.h"

namespace plchost {

namespace {

std::unique_ptr<TmoxStrHolder> SettingsMap() {
  return std::unique_ptr<TmoxStrHolder>(CreateSettingsMap(nullptr));
}

// A store pass that fails reports through the log; it becomes an error here.
TSettingsLog FailureLog(std::string& failure) {
  return [&failure](TLogLevel level, const std::string& line) {
    if (level == TLogLevel::Error && failure.empty()) failure = line;
  };
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(std::filesystem::u8path(path), error);
}

void Apply(const TSettingsValues& values, TDataSourceCfg& settings) {
  if (values.Protocol) settings.comboProto_ItemIndex = *values.Protocol;
  if (values.CPURack) settings.spCPURack_Value = *values.CPURack;
  if (values.CPUSlot) settings.spCPUSlot_Value = *values.CPUSlot;
  if (values.LocalAddress) settings.spLocalAddress_Value = *values.LocalAddress;
  if (values.RemoteAddress) settings.spRemoteAddress_Value = *values.RemoteAddress;
  if (values.MinInterval) settings.spMinInt_Value = *values.MinInterval;
  if (!values.RequestTreeFile.empty()) {
    settings.lblParams_Caption = ReadRequestTreeFile(values.RequestTreeFile);
  }
  if (!values.RequestTreeText.empty()) {
    settings.lblParams_Caption = RequestTreeText(values.RequestTreeText);
  }
}

}  // namespace

TSettingsLocation SettingsLocationOf(const TOptions& options, const std::string& temporaryIni) {
  TSettingsLocation location;
  location.IniSectionPrefix = options.IniSectionPrefix;
  if (!options.RegistryPath.empty()) {
    location.RegistryPath = options.RegistryPath;
  } else {
    location.IniFile = options.IniFile.empty() ? temporaryIni : options.IniFile;
  }
  return location;
}

void ReadSettings(const TSettingsLocation& location, TDataSourceCfg& settings) {
  if (!location.IniFile.empty() && !FileExists(location.IniFile)) {
    throw ESettings("the settings file " + location.IniFile + " does not exist");
  }
  std::string failure;
  const auto map = SettingsMap();
  const bool found = LoadSettings(location, map.get(), &settings, FailureLog(failure));
  if (!failure.empty()) throw ESettings("the settings cannot be read: " + failure);
  if (!found) {
    throw ESettings("no settings found at " + (location.IniFile.empty()
                                                   ? "registry key " + location.RegistryPath
                                                   : location.IniFile));
  }
}

void WriteSettings(const TSettingsLocation& location, const TSettingsValues& values,
                   TDataSourceCfg& settings) {
  std::string failure;
  const auto map = SettingsMap();
  if (FileExists(location.IniFile))
    LoadSettings(location, map.get(), &settings, FailureLog(failure));
  Apply(values, settings);
  const bool saved = SaveSettings(location, map.get(), &settings, FailureLog(failure));
  if (!saved || !failure.empty() || !FileExists(location.IniFile)) {
    throw ESettings("the settings file " + location.IniFile + " cannot be written" +
                    (failure.empty() ? std::string() : ": " + failure));
  }
}

std::string ReadRequestTreeFile(const std::string& path) {
  std::ifstream file(std::filesystem::u8path(path), std::ios::binary);
  if (!file) throw ESettings("the request tree " + path + " cannot be read");
  std::ostringstream content;
  content << file.rdbuf();
  return RequestTreeText(content.str());
}

std::string RequestTreeText(std::string text) {
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  const bool utf8 = platform::WideToUtf8(platform::Utf8ToWide(text)) == text;
  if (utf8) text = platform::WideToAnsi(platform::Utf8ToWide(text));
  return text;
}

}  // namespace plchost
