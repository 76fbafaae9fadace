#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "plc/PluginDM_Protocols.h"
#include "settings/CfgOptionsProxy.h"
#include "settings/moxSettingsStore.h"

class TmoxStrHolder;

// The Siemens module's settings object: the options dialog's values under a
// class name of the module's own.
class TDataSourceCfg : public TProxyCodeObject {
 public:
  explicit TDataSourceCfg(TComponent* owner) : TProxyCodeObject(owner) {}

  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
};

// The numeric settings mirror spin edits and are doubles; their users take them
// truncated toward zero. Values beyond the 32-bit range give its nearest limit
// and a value that is no number gives `fallback`.
int32_t TruncateSetting(double value, int32_t fallback);

// What a request engine hands its PLC link when the engine is created. Later
// changes reach the link only through an engine created anew.
struct TLinkSettings {
  TNoDaveProtocol Protocol = daveProtoMPI3;
  TTransportPath Transport = TTransportPath::FifoCallbacks;
  int32_t MPIRemote = 0;
  int32_t MPILocal = 0;
  int32_t CPURack = 0;
  int32_t CPUSlot = 0;
};

TLinkSettings LinkSettingsOf(const TDataSourceCfg& settings);

// What the request list builder copies into an engine at every load: the
// minimal interval between data packets in milliseconds.
int32_t MinIntervalOf(const TDataSourceCfg& settings);

// The module's property map "Properties": tag 9999 (the translator leaves it
// alone), capacity 28, the dialog geometry, a comment line, then the module's
// own values, all in one place.
TmoxStrHolder* CreateSettingsMap(TComponent* owner);

constexpr char kErrorOnItemsFormation[] = "Error on items formation (%s)";
// The log text of a failed request list: `format` with "%s" replaced by the message.
std::string FormatItemsError(std::string format, const std::string& message);

// What a reload needs from the module beyond the store.
struct TSettingsReloadHooks {
  // Rebuilds the request list of every engine from the settings' request
  // tree; may throw.
  std::function<void(const TDataSourceCfg&)> RebuildRequestLists;
  // Lets every engine re-evaluate its timer.
  std::function<void()> UpdateEngineTimers;
  TSettingsLog Log;
  // The (translated) text of a failed rebuild; "%s" takes the error message.
  std::string ItemsErrorFormat = kErrorOnItemsFormation;
};

// Loads the settings through the map, rebuilds the request lists and, when
// `reenableTimers` is set, lets the engines re-evaluate their timers (also
// after a failed rebuild, which is logged as an error and goes no further).
void ReloadSettings(const TSettingsLocation& location, const TmoxStrHolder& map,
                    TDataSourceCfg& settings, bool reenableTimers,
                    const TSettingsReloadHooks& hooks);
