#pragma once

#include <stdexcept>
#include <string>

#include "Options.h"
#include "plc/PluginDM_Settings.h"

namespace plchost {

// The settings cannot be written or read, or their request tree is unusable.
class ESettings : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where the plug-in finds its settings: what the host names at "LOAD".
// `temporaryIni` is the file used when settings are given without --ini.
TSettingsLocation SettingsLocationOf(const TOptions& options, const std::string& temporaryIni);

// Reads the settings at the location through the plug-in's own property map,
// the same pass the plug-in runs at "LOAD". An INI file must exist.
void ReadSettings(const TSettingsLocation& location, TDataSourceCfg& settings);

// Reads what the INI file of the location already holds, applies the given
// values (the request tree from its file) and writes the whole set back, in
// the plug-in's own layout.
void WriteSettings(const TSettingsLocation& location, const TSettingsValues& values,
                   TDataSourceCfg& settings);

// The request tree file as the plug-in keeps text: UTF-8 (a leading byte-order
// mark dropped) turned into the system code page; other text as it is.
std::string ReadRequestTreeFile(const std::string& path);

// Request tree text as the plug-in keeps it: UTF-8 (a leading byte-order mark
// dropped) turned into the system code page; other text as it is.
std::string RequestTreeText(std::string text);

}  // namespace plchost
