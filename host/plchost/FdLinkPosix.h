#pragma once

#include <memory>

#include "ChannelLink.h"

namespace plchost {

// Waits at most `timeoutMs` for `events` on a descriptor, as poll() does,
// again when a signal interrupts it.
int PollDescriptor(int fd, short events, int timeoutMs);

// A link over an open descriptor, closed with the link: a TCP socket (sent to
// without raising SIGPIPE) or a serial port. `closedText` says why a read that
// finds the end of the stream ends the link.
std::unique_ptr<IChannelLink> MakeDescriptorLink(int fd, bool isSocket, const char* closedText);

}  // namespace plchost
