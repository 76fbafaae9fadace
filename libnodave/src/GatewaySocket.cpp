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

int32_t GatewayReceiveUntil(daveInterface* di, Clock::time_point deadline,
                            int32_t (*receive)(daveInterface*, Clock::time_point, Bytes&),
                            Bytes& frame,
                            const std::function<GatewayVerdict(const Bytes&)>& judge) {
  bool sawForeign = false;
  for (;;) {
    const int32_t result = receive(di, deadline, frame);
    if (result == daveResTimeout) {
      return sawForeign ? daveResWrongAddress : daveResTimeout;
    }
    if (result != daveResOK) {
      return result;
    }
    const GatewayVerdict verdict = judge(frame);
    if (verdict.taken || verdict.result != daveResOK) {
      return verdict.result;
    }
    sawForeign = sawForeign || verdict.foreign;
  }
}

}  // namespace nodave
