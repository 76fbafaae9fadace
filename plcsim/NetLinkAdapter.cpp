// The NetLink-PRO adapter: the telegrams of a serial MPI adapter in length-prefixed
// frames, exactly one answer frame per request.
#include <string>

#include "ByteOrder.h"
#include "FramedGateway.h"
#include "GatewayPersonalities.h"
#include "MpiBus.h"

namespace plcsim {
namespace {

constexpr uint8_t kAdapterCommand = 0x01;
constexpr uint8_t kConfigure = 0x03;
constexpr uint8_t kEndAdapter = 0x04;
constexpr uint8_t kListStations = 0x07;
constexpr uint8_t kControl = 0x04;
constexpr uint8_t kPdu = 0x14;
constexpr uint8_t kConnectService = 0x0D;
constexpr uint8_t kPlcReference = 0x03;
constexpr size_t kConfigurationSize = 23;
constexpr size_t kLocalAddressAt = 16;
constexpr size_t kHeader = 6;

size_t NetLinkFrameSize(const uint8_t* header) { return 2 + BigEndian16(header); }

class NetLinkAdapter final : public FramedGateway {
 public:
  explicit NetLinkAdapter(const PersonalitySettings& settings)
      : FramedGateway(settings, FrameBuffer(2, &NetLinkFrameSize)) {}

 private:
  // The telegram after the frame's length; the answer in a frame of its own.
  Bytes AnswerFrame(const Bytes& frame) override {
    const Bytes answer = Answer(Bytes(frame.begin() + 2, frame.end()));
    if (answer.empty()) {
      return {};
    }
    Bytes reply;
    Append16(reply, answer.size());
    reply.insert(reply.end(), answer.begin(), answer.end());
    return reply;
  }

  Bytes Answer(const Bytes& telegram) {
    if (telegram.size() >= 3 && telegram[0] == kAdapterCommand) {
      return AdapterCommand(telegram);
    }
    if (telegram.size() == 1) {
      return {telegram[0], kFromAdapter};  // end of the connection's traffic
    }
    if (telegram.size() < kHeader + 1 || (telegram[1] & 0x7F) != Plc()) {
      return {};  // nobody at that bus address
    }
    reference_ = telegram[5];
    if (telegram[0] == kPdu) {
      return PduAnswer(telegram);
    }
    const uint8_t function = telegram[6];
    if (telegram[3] == kConnectService && function == kMpiConnectRequest) {
      connected_ = true;
      ResetPduLimits();
      Bytes answer = Header(kControl, {kMpiConnectResponse});
      answer.insert(answer.end(), kMpiConnectResponseBody.begin(), kMpiConnectResponseBody.end());
      return answer;
    }
    if (function == kMpiConnectConfirm) {
      return Header(kControl, {kMpiConnectConfirm, 0x01});
    }
    if (function == kMpiDisconnectRequest) {
      connected_ = false;
      return Header(kControl, {kMpiDisconnectConfirm});
    }
    return {};
  }

  Bytes AdapterCommand(const Bytes& telegram) const {
    const uint8_t command = telegram[1];
    Bytes answer{kAdapterCommand, command, kFromAdapter};
    if (command == kConfigure) {
      const bool clash =
          telegram.size() >= kConfigurationSize && telegram[kLocalAddressAt] == Plc();
      const std::string text = clash ? kAdapterAddressTaken : kAdapterVersion;
      answer.insert(answer.end(), text.begin(), text.end());
    } else if (command == kListStations) {
      answer.insert(answer.end(), {0x00, 0x00, 0x1F});
      for (size_t station = 0; station < kMpiStations; ++station) {
        answer.push_back(station == Plc() ? 0x30 : 0x10);
      }
    } else if (command != kEndAdapter) {
      return {};
    }
    return answer;
  }

  // Our header for the PC: the PLC's address, the PC's and the PLC's reference.
  Bytes Header(uint8_t kind, const Bytes& rest) const {
    Bytes telegram{kind, static_cast<uint8_t>(0x80 | Plc()), 0x80, 0x0C, reference_, kPlcReference};
    telegram.insert(telegram.end(), rest.begin(), rest.end());
    return telegram;
  }

  Bytes PduAnswer(const Bytes& telegram) {
    const auto pdu = AnswerS7(telegram.data() + kHeader, telegram.size() - kHeader);
    if (!connected_ || !pdu) {
      return Header(kControl, {kMpiDisconnectRequest});
    }
    return Header(kPdu, *pdu);
  }

  bool connected_ = false;
  uint8_t reference_ = 0;
};

}  // namespace

std::unique_ptr<LinePersonality> MakeNetLinkAdapter(const PersonalitySettings& settings) {
  return std::make_unique<NetLinkAdapter>(settings);
}

}  // namespace plcsim
