#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Options.h"
#include "RequestPlan.h"
#include "settings/moxSettingsStore.h"

namespace plchost {

// The settings the plug-in will load and the requests they hold.
struct TPreparedSettings {
  TSettingsLocation Location;
  std::vector<TPlannedRequest> Requests;
  int32_t Protocol = 0;
};

// Writes the settings given on the command line (into --ini, or else into
// `temporaryIni`), or reads those that stand at --ini or --registry, and
// plans their requests. ESettings when they are unusable.
TPreparedSettings PrepareSettings(const TOptions& options, const std::string& temporaryIni,
                                  const TSettingsLog& warnings);

// The channel with a TCP port left open set to the protocol's own (102 for ISO over
// TCP, 1099 for the IBH-Link, 7777 for the NetLink-PRO; 102 for the others).
TChannelOptions ResolvedChannel(const TChannelOptions& channel, int32_t protocol);

// A warning when the protocol's bytes do not suit the channel; empty when they do.
std::string ChannelMismatch(int32_t protocol, TChannelKind channel);

// A file in the temporary folder, removed when the object goes.
class TTemporaryFile {
 public:
  explicit TTemporaryFile(const std::string& extension);
  ~TTemporaryFile();
  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;

  const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
};

}  // namespace plchost
