#include "HostSetup.h"

#include <chrono>
#include <filesystem>
#include <random>

#include "ProtocolNames.h"
#include "SettingsWriter.h"
#include "plc/PluginDM_Protocols.h"

namespace plchost {

namespace {

// The records of a tree built from --read show the values read, by their names.
void ShowReadValues(const std::vector<TReadRequest>& plan, std::vector<TPlannedRequest>& requests) {
  if (plan.size() != requests.size()) return;
  for (size_t index = 0; index < plan.size(); ++index) {
    for (const TShownValue& shown : plan[index].Shown) {
      requests[index].Shown.push_back({RequestTreeText(shown.Field), RequestTreeText(shown.Label)});
    }
  }
}

}  // namespace

TPreparedSettings PrepareSettings(const TOptions& options, const std::string& temporaryIni,
                                  const TSettingsLog& warnings) {
  TPreparedSettings prepared;
  prepared.Location = SettingsLocationOf(options, temporaryIni);
  TDataSourceCfg settings(nullptr);
  if (options.Settings.Any()) {
    WriteSettings(prepared.Location, options.Settings, settings);
  } else {
    ReadSettings(prepared.Location, settings);
  }
  prepared.Requests = PlanRequests(settings, warnings);
  ShowReadValues(options.ReadPlan, prepared.Requests);
  prepared.Protocol = settings.comboProto_ItemIndex;
  return prepared;
}

TChannelOptions ResolvedChannel(const TChannelOptions& channel, int32_t protocol) {
  constexpr int kIsoPort = 102;
  TChannelOptions resolved = channel;
  if (resolved.Port == 0) {
    const int32_t port = DefaultIPPort(ProtocolEntry(protocol).Protocol);
    resolved.Port = port > 0 ? port : kIsoPort;
  }
  return resolved;
}

std::string ChannelMismatch(int32_t protocol, TChannelKind channel) {
  const bool listed = protocol >= 0 && protocol < kProtocolCount;
  const TProtocolEntry& entry = ProtocolEntry(protocol);
  const std::string name = ProtocolShortName(listed ? protocol : kDefaultProtocolIndex);
  if (entry.Transport == TTransportPath::LoopbackListener && channel == TChannelKind::Serial) {
    return "the protocol " + name + " speaks TCP, but the channel is a serial port";
  }
  if (NeedsNoChannel(protocol) && channel != TChannelKind::None) {
    return "the protocol " + name +
           " runs through the vendor's S7onlinx.dll; the channel is not used";
  }
  if (entry.Transport == TTransportPath::FifoCallbacks && channel == TChannelKind::Tcp) {
    return "the protocol " + name +
           " is a serial protocol; a serial line carried over TCP is --serial-tcp";
  }
  return {};
}

TTemporaryFile::TTemporaryFile(const std::string& extension) {
  std::random_device entropy;
  std::mt19937_64 random(
      entropy() ^
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  const std::string name = "plchost-" + std::to_string(random()) + extension;
  FPath = (folder / name).u8string();
}

TTemporaryFile::~TTemporaryFile() {
  std::error_code error;
  std::filesystem::remove(std::filesystem::u8path(FPath), error);
}

}  // namespace plchost
