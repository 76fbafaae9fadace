#include "plc/PluginDM_Settings.h"

#include <cmath>
#include <exception>
#include <iterator>
#include <limits>
#include <vector>

#include "resources/SettingsMapLines.h"
#include "settings/moxStringHolder.h"

namespace {

constexpr int32_t kMapTag = 9999;
constexpr int32_t kMapCapacity = 28;

// A numeric setting as its users take it; one that is no number falls back to
// its initial value.
int32_t Truncated(const TDataSourceCfg& settings, double TProxyCodeObject::*setting) {
  static const TProxyCodeObject initial(nullptr);
  return TruncateSetting(settings.*setting, static_cast<int32_t>(initial.*setting));
}

}  // namespace

std::string FormatItemsError(std::string format, const std::string& message) {
  const size_t slot = format.find("%s");
  if (slot != std::string::npos) format.replace(slot, 2, message);
  return format;
}

const TClassInfo& TDataSourceCfg::StaticClassInfo() {
  static const TClassInfo info("TDataSourceCfg", &TProxyCodeObject::StaticClassInfo(), {});
  return info;
}

int32_t TruncateSetting(double value, int32_t fallback) {
  using Limits = std::numeric_limits<int32_t>;
  if (std::isnan(value)) return fallback;
  if (value >= static_cast<double>(Limits::max())) return Limits::max();
  if (value <= static_cast<double>(Limits::min())) return Limits::min();
  return static_cast<int32_t>(value);
}

TLinkSettings LinkSettingsOf(const TDataSourceCfg& settings) {
  const TProtocolEntry& protocol = ProtocolEntry(settings.comboProto_ItemIndex);
  TLinkSettings link;
  link.Protocol = protocol.Protocol;
  link.Transport = protocol.Transport;
  link.MPIRemote = Truncated(settings, &TProxyCodeObject::spRemoteAddress_Value);
  link.MPILocal = Truncated(settings, &TProxyCodeObject::spLocalAddress_Value);
  link.CPURack = Truncated(settings, &TProxyCodeObject::spCPURack_Value);
  link.CPUSlot = Truncated(settings, &TProxyCodeObject::spCPUSlot_Value);
  return link;
}

int32_t MinIntervalOf(const TDataSourceCfg& settings) {
  return Truncated(settings, &TProxyCodeObject::spMinInt_Value);
}

TmoxStrHolder* CreateSettingsMap(TComponent* owner) {
  auto* map = new TmoxStrHolder(owner);
  map->Name = "Properties";
  map->Tag = kMapTag;
  map->SetCapacity(kMapCapacity);
  map->SetStrings({std::begin(kSettingsMapLines), std::end(kSettingsMapLines)});
  return map;
}

void ReloadSettings(const TSettingsLocation& location, const TmoxStrHolder& map,
                    TDataSourceCfg& settings, bool reenableTimers,
                    const TSettingsReloadHooks& hooks) {
  LoadSettings(location, &map, &settings, hooks.Log);
  try {
    if (hooks.RebuildRequestLists) hooks.RebuildRequestLists(settings);
  } catch (const std::exception& error) {
    if (hooks.Log)
      hooks.Log(TLogLevel::Error, FormatItemsError(hooks.ItemsErrorFormat, error.what()));
  }
  if (reenableTimers && hooks.UpdateEngineTimers) hooks.UpdateEngineTimers();
}
