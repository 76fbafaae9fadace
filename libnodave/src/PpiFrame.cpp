#include "PpiFrame.h"

#include "nodave.h"

namespace nodave {
namespace {

constexpr size_t kHeaderSize = 4;   // 68 LE LE 68
constexpr size_t kAddressing = 3;   // DA SA FC, counted by LE
constexpr size_t kTrailerSize = 2;  // FCS 16
constexpr size_t kFixedSize = 6;    // 10 DA SA FC FCS 16
constexpr size_t kLargestBody = kAddressing + kPpiPduLength;

// Appends DA SA FC data, then FCS and the end delimiter.
void AppendBody(Bytes& telegram, uint8_t destination, uint8_t source, uint8_t function,
                const Bytes& data) {
  const size_t from = telegram.size();
  telegram.insert(telegram.end(), {destination, source, function});
  telegram.insert(telegram.end(), data.begin(), data.end());
  telegram.push_back(PpiChecksum(telegram.data() + from, telegram.size() - from));
  telegram.push_back(kPpiEnd);
}

// Checks FCS and end delimiter after `length` bytes from `at`, and takes DA SA FC.
int32_t ParseBody(const Bytes& bytes, size_t at, size_t length, PpiTelegram& telegram) {
  if (bytes[at + length] != PpiChecksum(bytes.data() + at, length) ||
      bytes[at + length + 1] != kPpiEnd) {
    return daveResLineErrors;
  }
  telegram.destination = bytes[at];
  telegram.source = bytes[at + 1];
  telegram.function = bytes[at + 2];
  telegram.data.assign(bytes.begin() + static_cast<ptrdiff_t>(at + kAddressing),
                       bytes.begin() + static_cast<ptrdiff_t>(at + length));
  return daveResOK;
}

}  // namespace

uint8_t PpiChecksum(const uint8_t* data, size_t size) {
  uint8_t sum = 0;
  for (size_t i = 0; i < size; ++i) {
    sum = static_cast<uint8_t>(sum + data[i]);
  }
  return sum;
}

Bytes PpiRequestTelegram(uint8_t plc, uint8_t local, const Bytes& pdu) {
  const auto length = static_cast<uint8_t>(kAddressing + pdu.size());
  Bytes telegram{kPpiVariable, length, length, kPpiVariable};
  AppendBody(telegram, plc, local, kPpiRequest, pdu);
  return telegram;
}

Bytes PpiPollTelegram(uint8_t plc, uint8_t local, uint8_t function) {
  Bytes telegram{kPpiFixed};
  AppendBody(telegram, plc, local, function, {});
  return telegram;
}

size_t PpiTelegramSize(const uint8_t* bytes, size_t size) {
  if (size == 0) {
    return 0;
  }
  switch (bytes[0]) {
    case kPpiShortAck:
      return 1;
    case kPpiFixed:
      return kFixedSize;
    case kPpiVariable:
      break;
    default:
      return 0;
  }
  if (size < kHeaderSize) {
    return kHeaderSize;
  }
  const size_t length = bytes[1];
  if (bytes[2] != length || bytes[3] != kPpiVariable || length < kAddressing ||
      length > kLargestBody) {
    return 0;
  }
  return kHeaderSize + length + kTrailerSize;
}

int32_t ParsePpiTelegram(const Bytes& bytes, PpiTelegram& telegram) {
  const size_t size = PpiTelegramSize(bytes.data(), bytes.size());
  if (size == 0 || size != bytes.size()) {
    return daveResLineErrors;
  }
  telegram = PpiTelegram{};
  telegram.start = bytes[0];
  switch (bytes[0]) {
    case kPpiShortAck:
      return daveResOK;
    case kPpiFixed:
      return ParseBody(bytes, 1, kAddressing, telegram);
    default:
      return ParseBody(bytes, kHeaderSize, size - kHeaderSize - kTrailerSize, telegram);
  }
}

}  // namespace nodave
