#include "NetLinkFrame.h"

#include "Debug.h"
#include "GatewaySocket.h"

namespace nodave {
namespace {

constexpr size_t kLengthSize = 2;

}  // namespace

Bytes NetLinkFrame(const Bytes& payload) {
  Bytes frame;
  frame.reserve(kLengthSize + payload.size());
  PutU16(frame, static_cast<uint32_t>(payload.size()));
  frame.insert(frame.end(), payload.begin(), payload.end());
  return frame;
}

int32_t ReceiveNetLinkFrame(daveInterface* di, Clock::time_point deadline, Bytes& payload) {
  Bytes length;
  int32_t result = GatewayReceive(di, kLengthSize, deadline, length);
  if (result != daveResOK) {
    return result;
  }
  payload.clear();
  result = GatewayReceive(di, GetU16(length, 0), deadline, payload);
  if (result == daveResOK && payload.size() > kNetLinkLargestPayload) {
    DebugLine(di, daveDebugPrintErrors,
              "NetLink-PRO frame of " + std::to_string(payload.size()) + " bytes refused");
    return daveResCannotEvaluatePDU;
  }
  return result;
}

}  // namespace nodave
