#pragma once

// Feeds a fuzzer's bytes to a gateway transport's receive path: they wait on the far
// end of a socket pair, closed behind them, and the transport receives PDUs (and
// answers acknowledgements and polls) until it reports an error.

#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "S7Pdu.h"
#include "Transport.h"
#include "nodave.h"

inline void FeedReceivePath(const uint8_t* data, size_t size, int32_t protocol) {
  constexpr size_t kLargestInput = 65536;  // the socket buffer takes it all at once
  int pair[2];
  if (size > kLargestInput || socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0) {
    return;
  }
  if (write(pair[1], data, size) == static_cast<ssize_t>(size)) {
    shutdown(pair[1], SHUT_WR);
    daveInterface* di =
        daveNewInterface(daveOSserialType{pair[0], pair[0]}, "fuzz", 0, protocol, daveSpeed187k);
    daveConnection* dc = daveNewConnection(di, 2, 0, 2);
    const nodave::Transport* transport = nodave::TransportFor(protocol);
    const auto deadline = nodave::Clock::now() + std::chrono::milliseconds(100);
    nodave::Bytes pdu;
    while (transport->ReceivePdu(dc, deadline, pdu) == daveResOK) {
      nodave::Answer answer;
      nodave::ParseAnswer(pdu, answer);
    }
    daveFree(dc);
    daveFree(di);
  }
  close(pair[0]);
  close(pair[1]);
}
