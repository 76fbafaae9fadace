#include "BusTelegrams.h"

#include <cstdlib>
#include <string>

#include "nodave.h"

namespace nodave {
namespace {

constexpr uint8_t kAddressMark = 0x80;
constexpr uint8_t kAdapterCommand = 0x01;
constexpr uint8_t kAdapterConfigure = 0x03;
constexpr uint8_t kFromPc = 0x02;
constexpr uint8_t kFromAdapter = 0x20;
constexpr size_t kErrorNumberAt = 5;  // 01 cmd 20 'E' '=' x x x x
constexpr size_t kErrorNumberDigits = 4;

// The adapter's error numbers whose cause is known.
constexpr long kNoRemoteStation = 0x031A;
constexpr long kAddressError = 0x0315;
constexpr long kWrongBaudRate = 0x0313;

// The timing parameter of byte 7, by bus speed.
uint8_t SlotTiming(int32_t speed) {
  switch (speed) {
    case daveSpeed500k:
      return 0x64;
    case daveSpeed1500k:
      return 0x96;
    default:
      return 0x14;
  }
}

}  // namespace

Bytes BusConnectBody() {
  return {0x04, 0x00, 0x80, 0x00, 0x02, 0x00, 0x02, 0x01, 0x00, 0x01, 0x00};
}

Bytes BusHeader(uint8_t kind, uint8_t address, uint8_t service, uint8_t destination,
                uint8_t source) {
  return {kind,  static_cast<uint8_t>(kAddressMark | address), kAddressMark, service, destination,
          source};
}

bool IsForeignBusTelegram(const Bytes& telegram, uint8_t address, uint8_t localAddress) {
  if (telegram.size() < kBusHeaderSize || (telegram[0] != kBusControl && telegram[0] != kBusPdu) ||
      (telegram[1] & kAddressMark) == 0 || telegram[2] != kAddressMark ||
      telegram[3] != kBusServiceOther) {
    return false;
  }
  const uint8_t station = telegram[1] & ~kAddressMark;
  return station != address && station != localAddress;
}

Bytes AdapterConfiguration(int32_t speed, int32_t localAddress) {
  return {kAdapterCommand,
          kAdapterConfigure,
          kFromPc,
          0x27,
          0x00,
          0x9F,
          0x01,
          SlotTiming(speed),
          0x00,
          0x90,
          0x01,
          0x0C,
          0x00,
          0x00,
          0x05,
          static_cast<uint8_t>(speed),
          static_cast<uint8_t>(localAddress),
          0x0F,
          0x05,
          0x01,
          0x01,
          0x03,
          0x81};
}

int32_t AdapterAnswerResult(const Bytes& answer) {
  if (answer.size() < kErrorNumberAt + kErrorNumberDigits || answer[0] != kAdapterCommand ||
      answer[2] != kFromAdapter || answer[3] != 'E' || answer[4] != '=') {
    return daveResOK;
  }
  const std::string digits(answer.begin() + kErrorNumberAt,
                           answer.begin() + kErrorNumberAt + kErrorNumberDigits);
  switch (std::strtol(digits.c_str(), nullptr, 16)) {
    case kNoRemoteStation:
      return daveResNoPlcAtAddress;
    case kAddressError:
      return daveResGatewayLocalAddress;
    case kWrongBaudRate:
      return daveResGatewayBusSpeed;
    default:
      return daveResGatewayRefused;
  }
}

}  // namespace nodave
