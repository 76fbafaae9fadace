#include "NetLinkTelegram.h"

#include "MpiTelegram.h"
#include "nodave.h"

namespace nodave {
namespace {

constexpr uint8_t kAddressMark = 0x80;

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

Bytes NetLinkConfiguration(int32_t speed, int32_t localAddress) {
  Bytes telegram = AdapterRequest(kAdapterConfigure);
  telegram.insert(telegram.end(), {0x27,
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
                                   0x81});
  return telegram;
}

int32_t NetLinkAnswerResult(const Bytes& answer) {
  unsigned number = 0;
  if (!AdapterErrorNumber(answer, number)) {
    return daveResOK;
  }
  switch (number) {
    case kAdapterErrorNoStation:
      return daveResNoPlcAtAddress;
    case kAdapterErrorLocalAddress:
      return daveResGatewayLocalAddress;
    case kAdapterErrorBusSpeed:
      return daveResGatewayBusSpeed;
    default:
      return daveResGatewayRefused;
  }
}

}  // namespace nodave
