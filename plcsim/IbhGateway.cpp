// The IBH-Link gateway with an MPI bus: it gives out connection IDs, connects them to
// the PLC's bus address, acknowledges every frame and answers S7 PDUs from memory.
#include <set>

#include "FramedGateway.h"
#include "GatewayPersonalities.h"
#include "IbhFrames.h"
#include "MpiBus.h"

namespace plcsim {
namespace {

const std::vector<uint8_t> kCommandAnswer{0x97, 0x00, 0x00, 0x00};
const std::vector<uint8_t> kPartnersAnswer{0x96, 0x00, 0x00, 0x00};
const std::vector<uint8_t> kTransportAck{0x82, 0x00, 0x00, 0x00};
const std::vector<uint8_t> kFromPlc{0x00, 0x00, 0xC2, 0x02};

constexpr uint8_t kIdCheck = 0x97;
constexpr uint8_t kListPartners = 0x96;
constexpr uint8_t kMpiFrame = 0x82;
constexpr size_t kFunctionAt = 13;  // in frames from the client
constexpr size_t kMpiHeaderOut = 15;
constexpr uint8_t kStationPresent = 0x30;
constexpr uint8_t kNobody = 0xFF;

class IbhGateway final : public FramedGateway {
 public:
  explicit IbhGateway(const PersonalitySettings& settings)
      : FramedGateway(settings, IbhFrameBuffer()) {}

 private:
  Bytes AnswerFrame(const Bytes& frame) override {
    if (frame[0] != 0x07 || frame.size() < kIbhHeader) {
      return {};  // our own frames echoed, or garbage
    }
    if (frame[6] == kIdCheck && frame.size() > kIbhHeader) {
      const uint8_t id = frame[8];
      const auto taken = static_cast<uint8_t>(connected_.count(id));
      return IbhAnswer(frame[3], kCommandAnswer, {id, taken});
    }
    if (frame[6] == kListPartners) {
      return Partners(frame[3]);
    }
    if (frame[6] == kMpiFrame && frame.size() > kFunctionAt) {
      return MpiFrame(frame);
    }
    return {};
  }

  Bytes Partners(uint8_t packet) const {
    Bytes body{0, 0, 0, 0, 0, 0x7F, 0x0A, 0x02};
    for (size_t station = 0; station < kMpiStations; ++station) {
      body.push_back(station == Plc() ? kStationPresent : kNobody);
    }
    return IbhAnswer(packet, kPartnersAnswer, body);
  }

  // A frame from the PLC's side to connection `id`: MPI header, function, data.
  Bytes FromPlc(uint8_t id, uint8_t function, const Bytes& data) const {
    Bytes body{id, id, Plc(), 0, 0, 0x22, static_cast<uint8_t>(data.size() + 1), function};
    body.insert(body.end(), data.begin(), data.end());
    return IbhAnswer(0, kFromPlc, body);
  }

  Bytes MpiFrame(const Bytes& frame) {
    const uint8_t id = frame[8];
    const uint8_t function = frame[kFunctionAt];
    if (frame[10] != Plc() || function == kMpiDataAck) {
      return {};  // nobody at that bus address; acknowledgements need no answer
    }
    Bytes reply = IbhAnswer(frame[3], kTransportAck, {id, Plc(), id, 0x01, 0x09});
    Bytes answer;
    if (function == kMpiConnectRequest) {
      connected_.insert(id);
      plcNumber_ = 0;
      ResetPduLimits();
      answer = FromPlc(id, kMpiConnectResponse, kMpiConnectResponseBody);
    } else if (function == kMpiConnectConfirm) {
      answer = FromPlc(id, kMpiConnectConfirm, {0x01});
    } else if (function == kMpiDisconnectRequest) {
      connected_.erase(id);
    } else if (function == kMpiData && frame.size() > kMpiHeaderOut) {
      answer = Data(id, frame);
    }
    reply.insert(reply.end(), answer.begin(), answer.end());
    return reply;
  }

  // The MPI acknowledgement and the PLC's answer; a disconnect for a connection that
  // is not there or a PDU that breaks the protocol.
  Bytes Data(uint8_t id, const Bytes& frame) {
    const auto pdu = AnswerS7(frame.data() + kMpiHeaderOut, frame.size() - kMpiHeaderOut);
    if (connected_.count(id) == 0 || !pdu) {
      return FromPlc(id, kMpiDisconnectRequest, {});
    }
    Bytes reply = FromPlc(id, kMpiDataAck, {0x01, frame[14]});
    Bytes data{plcNumber_++};
    data.insert(data.end(), pdu->begin(), pdu->end());
    const Bytes answer = FromPlc(id, kMpiData, data);
    reply.insert(reply.end(), answer.begin(), answer.end());
    return reply;
  }

  std::set<uint8_t> connected_;
  uint8_t plcNumber_ = 0;
};

}  // namespace

std::unique_ptr<LinePersonality> MakeIbhGateway(const PersonalitySettings& settings) {
  return std::make_unique<IbhGateway>(settings);
}

}  // namespace plcsim
