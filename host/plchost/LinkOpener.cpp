#include "LinkOpener.h"

#include "SerialLink.h"
#include "TcpLink.h"

namespace plchost {

TLinkOpener LinkOpenerOf(const TChannelOptions& channel, uint32_t attemptMs) {
  if (channel.Kind == TChannelKind::Serial) {
    return [channel](std::string& error) {
      return OpenSerialLink(channel.Device, channel.Baud, channel.Parity, error);
    };
  }
  return [channel, attemptMs](std::string& error) {
    return OpenTcpLink(channel.Host, channel.Port, attemptMs, error);
  };
}

std::string ChannelText(const TChannelOptions& channel) {
  if (channel.Kind == TChannelKind::None) return "the S7 online access point S7ONLINE";
  if (channel.Kind == TChannelKind::Serial) {
    const char parity = channel.Parity == TParity::Odd    ? 'O'
                        : channel.Parity == TParity::Even ? 'E'
                                                          : 'N';
    return channel.Device + " " + std::to_string(channel.Baud) + " 8" + parity + "1";
  }
  const bool bracketed = channel.Host.find(':') != std::string::npos;
  return (bracketed ? "[" + channel.Host + "]" : channel.Host) + ":" + std::to_string(channel.Port);
}

}  // namespace plchost
