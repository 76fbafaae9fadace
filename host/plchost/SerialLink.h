#pragma once

#include <memory>
#include <string>

#include "ChannelLink.h"
#include "Options.h"

namespace plchost {

// The serial port `device` with 8 data bits, one stop bit, the given speed and
// parity, and no flow control; null with the reason in `error` when it
// cannot be opened or set up.
std::unique_ptr<IChannelLink> OpenSerialLink(const std::string& device, int baud, TParity parity,
                                             std::string& error);

}  // namespace plchost
