#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ChannelLink.h"

namespace plchost {

// A TCP connection to host:port, given up after `timeoutMs`; null with the
// reason in `error` when it cannot be made.
std::unique_ptr<IChannelLink> OpenTcpLink(const std::string& host, int port, uint32_t timeoutMs,
                                          std::string& error);

}  // namespace plchost
