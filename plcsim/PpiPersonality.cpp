#include "PpiPersonality.h"

#include "S7Pdu.h"

namespace plcsim {
namespace {

constexpr uint8_t kVariable = 0x68;
constexpr uint8_t kFixed = 0x10;
constexpr uint8_t kShortAck = 0xE5;
constexpr uint8_t kEnd = 0x16;
constexpr uint8_t kResponseDataLow = 0x08;
constexpr uint8_t kRequestBit = 0x40;
constexpr uint8_t kServiceMask = 0x0F;
constexpr uint8_t kSendAndRequestLow = 0x0C;
constexpr uint8_t kSendAndRequestHigh = 0x0D;
constexpr size_t kHeaderSize = 4;  // 68 LE LE 68
constexpr size_t kFixedSize = 6;   // 10 DA SA FC FCS 16
constexpr size_t kAddressing = 3;  // DA SA FC
constexpr uint16_t kPduSize = 240;
constexpr size_t kLargestLength = kAddressing + kPduSize;

uint8_t Checksum(const uint8_t* data, size_t size) {
  unsigned sum = 0;
  for (size_t i = 0; i < size; ++i) {
    sum += data[i];
  }
  return static_cast<uint8_t>(sum);
}

// A telegram taken apart: DA SA FC and the data between FC and FCS.
struct Telegram {
  uint8_t destination;
  uint8_t source;
  uint8_t function;
  const uint8_t* data;
  size_t dataSize;
};

class PpiPersonality : public LinePersonality {
 public:
  explicit PpiPersonality(const PersonalitySettings& settings)
      : memory_(*settings.memory), address_(settings.plcAddress) {}

  Bytes OnBytes(const uint8_t* data, size_t size) override {
    received_.insert(received_.end(), data, data + size);
    Bytes reply;
    size_t at = 0;
    while (at < received_.size()) {
      const size_t length = TelegramSize(at);
      if (length == 0) {
        ++at;  // starts no telegram
        continue;
      }
      if (at + length > received_.size()) {
        break;  // the rest has not come yet
      }
      Telegram telegram{};
      if (!Parse(at, length, telegram)) {
        ++at;  // damaged, or not a telegram after all: look again from the next byte
        continue;
      }
      at += length;
      const Bytes answer = Answer(telegram);
      reply.insert(reply.end(), answer.begin(), answer.end());
    }
    received_.erase(received_.begin(), received_.begin() + static_cast<ptrdiff_t>(at));
    return reply;
  }

 private:
  // The size of the telegram starting at `at`; 0 for none. A header not yet complete
  // counts as its own size.
  size_t TelegramSize(size_t at) const {
    const uint8_t* bytes = received_.data() + at;
    const size_t available = received_.size() - at;
    if (bytes[0] == kFixed) {
      return kFixedSize;
    }
    if (bytes[0] != kVariable) {
      return 0;
    }
    if (available < kHeaderSize) {
      return kHeaderSize;
    }
    const size_t length = bytes[1];
    if (bytes[2] != bytes[1] || bytes[3] != kVariable || length < kAddressing ||
        length > kLargestLength) {
      return 0;
    }
    return kHeaderSize + length + 2;
  }

  bool Parse(size_t at, size_t size, Telegram& telegram) const {
    const uint8_t* bytes = received_.data() + at;
    const size_t body = bytes[0] == kFixed ? 1 : kHeaderSize;
    const size_t length = size - body - 2;
    if (bytes[body + length] != Checksum(bytes + body, length) ||
        bytes[body + length + 1] != kEnd) {
      return false;
    }
    telegram = Telegram{bytes[body], bytes[body + 1], bytes[body + 2], bytes + body + kAddressing,
                        length - kAddressing};
    return true;
  }

  Bytes Answer(const Telegram& telegram) {
    const uint8_t service = telegram.function & kServiceMask;
    if (telegram.destination != address_ || (telegram.function & kRequestBit) == 0 ||
        (service != kSendAndRequestLow && service != kSendAndRequestHigh)) {
      return {};
    }
    if (telegram.dataSize == 0) {  // a poll
      return !stored_.empty() && telegram.source == storedFor_ ? stored_ : Bytes{kShortAck};
    }
    const auto pdu = AnswerPdu(telegram.data, telegram.dataSize, limits_, memory_);
    if (!pdu || pdu->size() > kPduSize) {
      return {};  // not an S7 job: not accepted
    }
    stored_ = Variable(telegram.source, *pdu);
    storedFor_ = telegram.source;
    return {kShortAck};
  }

  Bytes Variable(uint8_t destination, const Bytes& pdu) const {
    const auto length = static_cast<uint8_t>(kAddressing + pdu.size());
    Bytes telegram{kVariable, length, length, kVariable, destination, address_, kResponseDataLow};
    telegram.insert(telegram.end(), pdu.begin(), pdu.end());
    telegram.push_back(Checksum(telegram.data() + kHeaderSize, length));
    telegram.push_back(kEnd);
    return telegram;
  }

  const PlcMemory& memory_;
  const uint8_t address_;
  PduLimits limits_{kPduSize, kPduSize};
  Bytes received_;
  Bytes stored_;  // the answer kept for the master's polls
  uint8_t storedFor_ = 0;
};

}  // namespace

std::unique_ptr<LinePersonality> MakePpiPersonality(const PersonalitySettings& settings) {
  return std::make_unique<PpiPersonality>(settings);
}

}  // namespace plcsim
