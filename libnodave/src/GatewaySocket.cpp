#include "GatewaySocket.h"

#include "Debug.h"

namespace nodave {

int32_t GatewaySend(daveInterface* di, const Bytes& frame) {
  DebugBytes(di, daveDebugRawWrite, "gateway send", frame.data(), frame.size());
  return SocketSendAll(di->fd.wfd, frame.data(), frame.size()) ? daveResOK : daveResConnectionLost;
}

int32_t GatewayReceive(daveInterface* di, size_t length, Clock::time_point deadline, Bytes& frame) {
  const size_t start = frame.size();
  frame.resize(start + length);
  const int32_t result =
      ReceiveResult(SocketReceiveAll(di->fd.rfd, frame.data() + start, length, deadline));
  if (result != daveResOK) {
    DebugBytes(di, daveDebugPrintErrors, "gateway frame cut short", frame.data(), start);
    frame.resize(start);
  }
  return result;
}

void GatewayResynchronise(daveInterface* di) { SocketDiscardPending(di->fd.rfd); }

}  // namespace nodave
