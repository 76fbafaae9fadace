#pragma once

#include <cstdint>
#include <string>

#include "ChannelLink.h"
#include "Options.h"

namespace plchost {

// What opens the channel the options name; a TCP attempt is given up after
// `attemptMs`.
TLinkOpener LinkOpenerOf(const TChannelOptions& channel, uint32_t attemptMs);

// The channel for messages: "192.168.0.1:102", "/dev/ttyUSB0 38400 8O1".
std::string ChannelText(const TChannelOptions& channel);

}  // namespace plchost
