#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace plchost {

// One open connection of the channel: a TCP connection or a serial port.
// Receive runs on the channel's reader thread while Send may run on another.
class IChannelLink {
 public:
  virtual ~IChannelLink() = default;

  // Waits at most `timeoutMs` for bytes. The count received (> 0), 0 when none
  // came, -1 when the connection has ended or failed (`error` says why).
  virtual int Receive(uint8_t* buffer, size_t capacity, uint32_t timeoutMs, std::string& error) = 0;
  // Sends every byte; false when the connection failed.
  virtual bool Send(const uint8_t* data, size_t length) = 0;
};

// Opens a link; null with `error` set when it cannot.
using TLinkOpener = std::function<std::unique_ptr<IChannelLink>(std::string& error)>;

}  // namespace plchost
