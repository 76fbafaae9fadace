#include "LineServer.h"

namespace plcsim {
namespace {

constexpr size_t kChunk = 512;

}  // namespace

std::string ServeLine(ByteStream& line, LinePersonality& personality, LinePacing& pacing) {
  uint8_t buffer[kChunk];
  for (;;) {
    const size_t got = line.ReadSome(buffer, sizeof buffer);
    if (got == 0) {
      return "closed by the client";
    }
    pacing.Received(got);
    const Bytes reply = personality.OnBytes(buffer, got);
    if (!reply.empty() && !pacing.Send(line, reply.data(), reply.size())) {
      return "answer not sent";
    }
  }
}

}  // namespace plcsim
