#pragma once

// How a request engine sets up its PLC link: the link talks to the engine's
// transport bridge, never to the PLC itself, with the data source's protocol
// and addresses. The bridge is made first: it chooses what the link connects to.

#include <string>

#include "nodave/NoDaveComponent.h"
#include "plc/PluginDM_Bridge.h"
#include "plc/PluginDM_Settings.h"

// Microseconds the link waits for the PLC while it connects, and by default.
constexpr int32_t kConnectTimeoutUs = 10000000;
constexpr int32_t kDefaultIntfTimeoutUs = 3000000;
// The access point an S7 online link opens: the one the vendor's programming
// software uses, set up in "Set PG/PC interface".
constexpr char kS7onlineAccessPoint[] = "S7ONLINE";

// The link stays inactive; `intfName` names its interface in the library's trace.
void SetUpLink(TNoDaveEx& link, TTransportBridge& bridge, const TLinkSettings& settings,
               const std::string& intfName);
