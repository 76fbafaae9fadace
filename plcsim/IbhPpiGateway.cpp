// The IBH-Link gateway with a PPI bus: every PDU frame goes to the station it names;
// the gateway polls the PC once before it hands over the PLC's answer.
#include "GatewayPersonalities.h"
#include "IbhFrames.h"
#include "S7Pdu.h"

namespace plcsim {
namespace {

const std::vector<uint8_t> kFromGateway{0x82, 0x00, 0x00, 0x00};
constexpr uint8_t kPduFrame = 0x82;
constexpr size_t kPpiHeaderEnd = 13;  // FF FF address 00 length, then the PDU
constexpr size_t kAddressAt = 10;
constexpr uint8_t kPacket = 0x02;

class IbhPpiGateway final : public LinePersonality {
 public:
  explicit IbhPpiGateway(const PersonalitySettings& settings)
      : memory_(*settings.memory), plc_(settings.plcAddress) {}

  Bytes OnBytes(const uint8_t* data, size_t size) override {
    frames_.Add(data, size);
    Bytes reply;
    Bytes frame;
    while (frames_.Next(frame)) {
      const Bytes answer = Answer(frame);
      reply.insert(reply.end(), answer.begin(), answer.end());
    }
    return reply;
  }

 private:
  // PDU frames for our station get a poll and the answer; the PC's poll
  // acknowledgements (no PDU) and frames for other stations get nothing.
  Bytes Answer(const Bytes& frame) {
    if (frame[0] != 0x07 || frame.size() <= kPpiHeaderEnd || frame[6] != kPduFrame ||
        frame[kAddressAt] != plc_) {
      return {};
    }
    const auto pdu =
        AnswerPdu(frame.data() + kPpiHeaderEnd, frame.size() - kPpiHeaderEnd, limits_, memory_);
    if (!pdu) {
      return {};
    }
    Bytes reply = IbhAnswer(kPacket, kFromGateway, {0xFF, 0xFF, plc_, 0x00, 0x00});
    Bytes body{0xFF, 0xFF, plc_, 0x00, static_cast<uint8_t>(pdu->size()), 0x00};
    body.insert(body.end(), pdu->begin(), pdu->end());
    const Bytes answer = IbhAnswer(kPacket, kFromGateway, body);
    reply.insert(reply.end(), answer.begin(), answer.end());
    return reply;
  }

  const PlcMemory& memory_;
  const uint8_t plc_;
  FrameBuffer frames_ = IbhFrameBuffer();
  PduLimits limits_{240, 240};
};

}  // namespace

std::unique_ptr<LinePersonality> MakeIbhPpiGateway(const PersonalitySettings& settings) {
  return std::make_unique<IbhPpiGateway>(settings);
}

}  // namespace plcsim
