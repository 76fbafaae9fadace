#include "MpiAdapter.h"

#include <string>

#include "MpiBus.h"

namespace plcsim {
namespace {

constexpr uint8_t kAdapterTelegram = 0x01;
constexpr uint8_t kToAdapter = 0x02;
constexpr uint8_t kIdentify = 0x0D;
constexpr uint8_t kConfigure = 0x03;
constexpr uint8_t kAdapterDisconnect = 0x04;
constexpr size_t kConfigureSize = 23;
constexpr size_t kSpeedAt = 15;
constexpr size_t kLocalAt = 16;
constexpr size_t kHighestAt = 17;
constexpr uint8_t kHighestSpeedCode = 6;
constexpr uint8_t kHighestAddress = 126;
constexpr char kBadSpeed[] = "E=0313";

constexpr uint8_t kLongStart = 0x04;
constexpr uint8_t kShortStart = 0x00;
constexpr uint8_t kStationFlag = 0x80;
constexpr uint8_t kServiceLow = 0x0C;
constexpr size_t kLongHeader = 6;
constexpr size_t kShortHeader = 4;
constexpr size_t kShortRequestStation = 17;  // the PLC's address in a short E0
constexpr uint8_t kLongPlcRef = 0x12;
constexpr uint8_t kShortPlcRef = 0x03;  // what clients of the short form expect

constexpr uint8_t kOk = 0x01;

const Bytes kShortResponseHead = {0x04, 0x00, 0x80, 0x01, 0x06, 0x00, 0x02, 0x00, 0x01, 0x02};
const Bytes kShortResponseTail = {0x01, 0x00, 0x01, 0x00};

Bytes AdapterAnswer(uint8_t command, const std::string& text) {
  Bytes answer;
  answer.reserve(text.size() + 3);
  for (const uint8_t byte : {kAdapterTelegram, command, kFromAdapter}) {
    answer.push_back(byte);
  }
  answer.insert(answer.end(), text.begin(), text.end());
  return answer;
}

}  // namespace

MpiAdapter::MpiAdapter(const PersonalitySettings& settings, bool shortHeader)
    : memory_(*settings.memory), plc_(settings.plcAddress), shortHeader_(shortHeader) {}

std::vector<Bytes> MpiAdapter::OnTelegram(const Bytes& telegram) {
  if (telegram.size() >= 3 && telegram[0] == kAdapterTelegram && telegram[2] == kToAdapter) {
    return OnAdapterTelegram(telegram);
  }
  return configured_ ? OnBusTelegram(telegram) : std::vector<Bytes>{};
}

std::vector<Bytes> MpiAdapter::OnAdapterTelegram(const Bytes& telegram) {
  const uint8_t command = telegram[1];
  switch (command) {
    case kIdentify:
      return {AdapterAnswer(command, kAdapterVersion)};
    case kConfigure: {
      if (telegram.size() < kConfigureSize || telegram[kSpeedAt] > kHighestSpeedCode) {
        return {AdapterAnswer(command, kBadSpeed)};
      }
      const uint8_t local = telegram[kLocalAt];
      if (local > telegram[kHighestAt] || local > kHighestAddress || local == plc_) {
        return {AdapterAnswer(command, kAdapterAddressTaken)};
      }
      configured_ = true;
      return {AdapterAnswer(command, kAdapterVersion)};
    }
    case kAdapterDisconnect:
      configured_ = false;
      connected_ = false;
      return {AdapterAnswer(command, "")};
    default:
      return {AdapterAnswer(command, "")};
  }
}

bool MpiAdapter::ForOurPlc(const Bytes& telegram) const {
  if (!shortHeader_) {
    return (telegram[1] & ~kStationFlag) == plc_;
  }
  if (telegram[kShortHeader] == kMpiConnectRequest) {
    return telegram.size() > kShortRequestStation && telegram[kShortRequestStation] == plc_;
  }
  return connected_ && telegram[2] == kShortPlcRef;  // routed by our reference
}

std::vector<Bytes> MpiAdapter::OnBusTelegram(const Bytes& telegram) {
  const size_t header = shortHeader_ ? kShortHeader : kLongHeader;
  const uint8_t start = shortHeader_ ? kShortStart : kLongStart;
  if (telegram.size() <= header || telegram[0] != start || !ForOurPlc(telegram)) {
    return {};
  }
  return OnFunction(telegram[header], telegram[header - 1], telegram, header + 1);
}

std::vector<Bytes> MpiAdapter::OnFunction(uint8_t function, uint8_t sourceRef,
                                          const Bytes& telegram, size_t body) {
  if (function == kMpiConnectRequest) {
    pcRef_ = sourceRef;
    connected_ = true;
    plcNumber_ = 0;
    limits_ = PduLimits{kMinPduSize, kMinPduSize};
    return {ConnectResponse()};
  }
  if (!connected_) {
    return {};
  }
  switch (function) {
    case kMpiConnectConfirm:
      return {FromPlc(kMpiConnectConfirm, {kOk})};
    case kMpiDisconnectRequest:
      connected_ = false;
      return {FromPlc(kMpiDisconnectConfirm, {})};
    case kMpiData: {
      if (telegram.size() <= body) {
        return {};
      }
      std::vector<Bytes> answers{FromPlc(kMpiDataAck, {kOk, telegram[body]})};
      const auto reply =
          AnswerPdu(telegram.data() + body + 1, telegram.size() - body - 1, limits_, memory_);
      if (reply) {
        Bytes data{plcNumber_};
        data.insert(data.end(), reply->begin(), reply->end());
        answers.push_back(FromPlc(kMpiData, data));
        plcNumber_ = plcNumber_ == 0xFF ? 1 : plcNumber_ + 1;
      }
      return answers;
    }
    default:
      return {};  // acknowledgements of our data, and what we do not know
  }
}

Bytes MpiAdapter::FromPlc(uint8_t function, const Bytes& body) const {
  Bytes telegram;
  if (shortHeader_) {
    telegram = {kShortStart, kServiceLow, pcRef_, kShortPlcRef};
  } else {
    telegram = {kLongStart,   static_cast<uint8_t>(kStationFlag | plc_),
                kStationFlag, kServiceLow,
                pcRef_,       kLongPlcRef};
  }
  telegram.push_back(function);
  telegram.insert(telegram.end(), body.begin(), body.end());
  return telegram;
}

Bytes MpiAdapter::ConnectResponse() const {
  if (!shortHeader_) {
    return FromPlc(kMpiConnectResponse, kMpiConnectResponseBody);
  }
  Bytes body = kShortResponseHead;
  body.push_back(plc_);
  body.insert(body.end(), kShortResponseTail.begin(), kShortResponseTail.end());
  return FromPlc(kMpiConnectResponse, body);
}

}  // namespace plcsim
