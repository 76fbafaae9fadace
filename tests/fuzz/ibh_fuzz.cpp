// IBH-Link frames from the fuzzer: the frame parsers, and the receive paths of both
// IBH transports (MPI and PPI) with their acknowledgements and polls.
#include <cstddef>
#include <cstdint>

#include "GatewayFuzz.h"
#include "IbhFrame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const nodave::Bytes frame(data, data + size);
  nodave::IbhPlcFrame parsed;
  if (nodave::IbhKindOf(frame) == nodave::IbhKind::kPlcFrame) {
    nodave::ParseIbhPlcFrame(frame, parsed);
  }
  nodave::IbhNetAck(frame);
  nodave::IbhIdFree(frame);
  FeedReceivePath(data, size, daveProtoIBH);
  FeedReceivePath(data, size, daveProtoIBH_PPI);
  return 0;
}
