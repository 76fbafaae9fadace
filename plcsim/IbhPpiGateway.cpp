// The IBH-Link gateway with a PPI bus: every PDU frame goes to the station it names;
// the gateway polls the PC once before it hands over the PLC's answer.
#include "FramedGateway.h"
#include "GatewayPersonalities.h"
#include "IbhFrames.h"

namespace plcsim {
namespace {

const std::vector<uint8_t> kFromGateway{0x82, 0x00, 0x00, 0x00};
constexpr uint8_t kPduFrame = 0x82;
constexpr size_t kPpiHeaderEnd = 13;  // FF FF address 00 length, then the PDU
constexpr size_t kAddressAt = 10;
constexpr uint8_t kPacket = 0x02;

class IbhPpiGateway final : public FramedGateway {
 public:
  explicit IbhPpiGateway(const PersonalitySettings& settings)
      : FramedGateway(settings, IbhFrameBuffer()) {}

 private:
  // PDU frames for our station get a poll and the answer; the PC's poll
  // acknowledgements (no PDU) and frames for other stations get nothing.
  Bytes AnswerFrame(const Bytes& frame) override {
    if (frame[0] != 0x07 || frame.size() <= kPpiHeaderEnd || frame[6] != kPduFrame ||
        frame[kAddressAt] != Plc()) {
      return {};
    }
    const auto pdu = AnswerS7(frame.data() + kPpiHeaderEnd, frame.size() - kPpiHeaderEnd);
    if (!pdu) {
      return {};
    }
    Bytes reply = IbhAnswer(kPacket, kFromGateway, {0xFF, 0xFF, Plc(), 0x00, 0x00});
    Bytes body{0xFF, 0xFF, Plc(), 0x00, static_cast<uint8_t>(pdu->size()), 0x00};
    body.insert(body.end(), pdu->begin(), pdu->end());
    const Bytes answer = IbhAnswer(kPacket, kFromGateway, body);
    reply.insert(reply.end(), answer.begin(), answer.end());
    return reply;
  }
};

}  // namespace

std::unique_ptr<LinePersonality> MakeIbhPpiGateway(const PersonalitySettings& settings) {
  return std::make_unique<IbhPpiGateway>(settings);
}

}  // namespace plcsim
