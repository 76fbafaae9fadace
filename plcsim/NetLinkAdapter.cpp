// The NetLink-PRO adapter: the telegrams of a serial MPI adapter in length-prefixed
// frames, exactly one answer frame per request.
#include <string>

#include "ByteOrder.h"
#include "FrameBuffer.h"
#include "GatewayPersonalities.h"
#include "S7Pdu.h"

namespace plcsim {
namespace {

constexpr uint8_t kAdapterCommand = 0x01;
constexpr uint8_t kConfigure = 0x03;
constexpr uint8_t kEndAdapter = 0x04;
constexpr uint8_t kListStations = 0x07;
constexpr uint8_t kFromAdapter = 0x20;
constexpr uint8_t kControl = 0x04;
constexpr uint8_t kPdu = 0x14;
constexpr uint8_t kConnectService = 0x0D;
constexpr uint8_t kConnectRequest = 0xE0;
constexpr uint8_t kConnectResponse = 0xD0;
constexpr uint8_t kConnectConfirm = 0x05;
constexpr uint8_t kDisconnect = 0x80;
constexpr uint8_t kDisconnectConfirm = 0xC0;
constexpr uint8_t kPlcReference = 0x03;
constexpr size_t kConfigurationSize = 23;
constexpr size_t kLocalAddressAt = 16;
constexpr size_t kHeader = 6;
constexpr size_t kStations = 127;
const char kVersion[] = "V00.83";
const std::vector<uint8_t> kConnectBody{0x04, 0x00, 0x80, 0x00, 0x02, 0x00,
                                        0x02, 0x01, 0x00, 0x01, 0x00};

size_t NetLinkFrameSize(const uint8_t* header) { return 2 + BigEndian16(header); }

class NetLinkAdapter final : public LinePersonality {
 public:
  explicit NetLinkAdapter(const PersonalitySettings& settings)
      : memory_(*settings.memory), plc_(settings.plcAddress) {}

  Bytes OnBytes(const uint8_t* data, size_t size) override {
    frames_.Add(data, size);
    Bytes reply;
    Bytes frame;
    while (frames_.Next(frame)) {
      const Bytes answer = Answer(Bytes(frame.begin() + 2, frame.end()));
      if (!answer.empty()) {
        Append16(reply, answer.size());
        reply.insert(reply.end(), answer.begin(), answer.end());
      }
    }
    return reply;
  }

 private:
  Bytes Answer(const Bytes& telegram) {
    if (telegram.size() >= 3 && telegram[0] == kAdapterCommand) {
      return AdapterCommand(telegram);
    }
    if (telegram.size() == 1) {
      return {telegram[0], kFromAdapter};  // end of the connection's traffic
    }
    if (telegram.size() < kHeader + 1 || (telegram[1] & 0x7F) != plc_) {
      return {};  // nobody at that bus address
    }
    reference_ = telegram[5];
    if (telegram[0] == kPdu) {
      return PduAnswer(telegram);
    }
    const uint8_t function = telegram[6];
    if (telegram[3] == kConnectService && function == kConnectRequest) {
      connected_ = true;
      limits_ = PduLimits{240, 240};
      Bytes answer = Header(kControl, {kConnectResponse});
      answer.insert(answer.end(), kConnectBody.begin(), kConnectBody.end());
      return answer;
    }
    if (function == kConnectConfirm) {
      return Header(kControl, {kConnectConfirm, 0x01});
    }
    if (function == kDisconnect) {
      connected_ = false;
      return Header(kControl, {kDisconnectConfirm});
    }
    return {};
  }

  Bytes AdapterCommand(const Bytes& telegram) const {
    const uint8_t command = telegram[1];
    Bytes answer{kAdapterCommand, command, kFromAdapter};
    if (command == kConfigure) {
      const bool clash = telegram.size() >= kConfigurationSize && telegram[kLocalAddressAt] == plc_;
      const std::string text = clash ? "E=0315" : kVersion;  // the PLC has that address
      answer.insert(answer.end(), text.begin(), text.end());
    } else if (command == kListStations) {
      answer.insert(answer.end(), {0x00, 0x00, 0x1F});
      for (size_t station = 0; station < kStations; ++station) {
        answer.push_back(station == plc_ ? 0x30 : 0x10);
      }
    } else if (command != kEndAdapter) {
      return {};
    }
    return answer;
  }

  // Our header for the PC: the PLC's address, the PC's and the PLC's reference.
  Bytes Header(uint8_t kind, const Bytes& rest) const {
    Bytes telegram{kind, static_cast<uint8_t>(0x80 | plc_), 0x80, 0x0C, reference_, kPlcReference};
    telegram.insert(telegram.end(), rest.begin(), rest.end());
    return telegram;
  }

  Bytes PduAnswer(const Bytes& telegram) {
    const auto pdu =
        AnswerPdu(telegram.data() + kHeader, telegram.size() - kHeader, limits_, memory_);
    if (!connected_ || !pdu) {
      return Header(kControl, {kDisconnect});
    }
    return Header(kPdu, *pdu);
  }

  const PlcMemory& memory_;
  const uint8_t plc_;
  FrameBuffer frames_{2, &NetLinkFrameSize};
  bool connected_ = false;
  uint8_t reference_ = 0;
  PduLimits limits_{240, 240};
};

}  // namespace

std::unique_ptr<LinePersonality> MakeNetLinkAdapter(const PersonalitySettings& settings) {
  return std::make_unique<NetLinkAdapter>(settings);
}

}  // namespace plcsim
