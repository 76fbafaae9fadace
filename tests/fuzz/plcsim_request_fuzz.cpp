// Feeds arbitrary bytes to the simulator's ISO-on-TCP server as any client could
// send them: cut into TPKT packets as the connection reads them, each handed to
// the session (COTP, S7 header, setup communication, Read Var). Every answer must
// be whole TPKT packets; a malformed packet ends the session with a reason.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <vector>

#include "FuzzCheck.h"
#include "IsoFrame.h"
#include "IsoSession.h"

namespace {

// Every area, and data blocks 1 and 2, of the demo memory's sizes.
const plcsim::PlcMemory& Memory() {
  static plcsim::PlcMemory* memory = [] {
    using plcsim::Area;
    auto* blocks = new plcsim::PlcMemory();
    for (const Area area : {Area::kInputs, Area::kOutputs, Area::kFlags, Area::kCounters,
                            Area::kTimers, Area::kPeripheral, Area::kAnalogInputs}) {
      blocks->AddBlock({area, 0}, 256, 0x5A);
    }
    blocks->AddBlock({Area::kDataBlocks, 1}, 1024, 0x11);
    blocks->AddBlock({Area::kDataBlocks, 2}, 512, 0x22);
    return blocks;
  }();
  return *memory;
}

// The reply is a run of TPKT packets, each of the length its header announces.
void CheckPackets(const plcsim::Bytes& reply) {
  size_t at = 0;
  while (at < reply.size()) {
    Check(reply.size() - at >= plcsim::kTpktHeaderSize);
    const size_t length = static_cast<size_t>(reply[at + 2]) << 8 | reply[at + 3];
    Check(reply[at] == 3 && length >= plcsim::kTpktHeaderSize && length <= reply.size() - at);
    at += length;
  }
}

constexpr uint16_t kPduSizes[] = {240, 480, 960};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  plcsim::IsoSession session(Memory(), input.PickValueInArray(kPduSizes));
  const std::vector<uint8_t> stream = input.ConsumeRemainingBytes<uint8_t>();
  size_t at = 0;
  while (stream.size() - at >= plcsim::kTpktHeaderSize) {
    const std::optional<size_t> length = plcsim::PacketLength(stream.data() + at);
    if (!length || *length > stream.size() - at) break;
    // A copy of exactly the packet: the sanitizer sees any read beyond it.
    const std::vector<uint8_t> packet(stream.begin() + static_cast<ptrdiff_t>(at),
                                      stream.begin() + static_cast<ptrdiff_t>(at + *length));
    const plcsim::SessionStep step = session.OnPacket(packet.data(), packet.size());
    CheckPackets(step.reply);
    if (!step.closeReason.empty()) break;
    at += *length;
  }
  return 0;
}
