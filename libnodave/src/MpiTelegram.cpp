#include "MpiTelegram.h"

#include <cstdlib>
#include <iterator>
#include <string>

namespace nodave {
namespace {

constexpr uint8_t kAdapterTelegram = 0x01;
constexpr uint8_t kToAdapter = 0x02;
constexpr uint8_t kFromAdapter = 0x20;
constexpr size_t kAdapterHeader = 3;  // 01 cmd dir

constexpr uint8_t kLongHeaderStart = 0x04;
constexpr uint8_t kShortHeaderStart = 0x00;
constexpr uint8_t kStationFlag = 0x80;
constexpr uint8_t kServiceHigh = 0x0D;  // the connection request
constexpr uint8_t kServiceLow = 0x0C;   // every other telegram
constexpr size_t kLongHeader = 6;
constexpr size_t kShortHeader = 4;
constexpr size_t kShortResponseStation = 15;  // the PLC's address in a short D0
constexpr uint8_t kAckOk = 0x01;

// Configuration fields after 01 03 02 that every variant sends alike.
constexpr uint8_t kSlotTime[] = {0x9F, 0x01};
constexpr uint8_t kIdleTime2[] = {0x90, 0x01};
constexpr uint8_t kReadyTime[] = {0x14, 0x00};
constexpr uint8_t kQuietTime = 0x00;
constexpr uint8_t kGapFactor = 0x05;
constexpr uint8_t kConfigTail[] = {0x01, 0x01, 0x03, 0x80};  // MPI bus, flags
// The idle time follows the bus speed.
constexpr uint8_t kIdleTimeDefault = 0x3C;
constexpr uint8_t kIdleTime500k = 0x64;
constexpr uint8_t kIdleTime1500k = 0x96;

// Connection request bodies after E0: PG connection, rack/slot byte 0; the short
// form routes by an address block that names the PLC.
constexpr uint8_t kLongConnectBody[] = {0x04, 0x00, 0x80, 0x00, 0x02, 0x00,
                                        0x02, 0x01, 0x00, 0x01, 0x00};
constexpr uint8_t kShortConnectHead[] = {0x04, 0x00, 0x80, 0x00, 0x02, 0x01,
                                         0x06, 0x01, 0x00, 0x00, 0x01, 0x02};
constexpr uint8_t kShortConnectTail[] = {0x01, 0x00};

constexpr size_t kErrorDigits = 4;  // 01 cmd 20 'E' '=' x x x x

template <size_t N>
void Append(Bytes& out, const uint8_t (&bytes)[N]) {
  out.insert(out.end(), bytes, bytes + N);
}

uint8_t IdleTime(int32_t speed) {
  if (speed == daveSpeed500k) {
    return kIdleTime500k;
  }
  return speed == daveSpeed1500k ? kIdleTime1500k : kIdleTimeDefault;
}

Bytes Header(const MpiFormat& format, uint8_t plc, uint8_t station, uint8_t service,
             uint8_t destRef) {
  if (format.shortHeader) {
    return {kShortHeaderStart, service, destRef, format.localRef};
  }
  return {kLongHeaderStart, static_cast<uint8_t>(kStationFlag | plc), station, service, destRef,
          format.localRef};
}

int32_t AdapterError(const Bytes& answer) {
  unsigned number = 0;
  if (!AdapterErrorNumber(answer, number)) {
    return daveResAdapterVariant;
  }
  switch (number) {
    case kAdapterErrorNoStation:
      return daveResNoPlcAtAddress;
    case kAdapterErrorBusSpeed:
      return daveResBusSpeedRefused;
    case kAdapterErrorVersion:
      return daveResAdapterVariant;
    case kAdapterErrorLocalAddress:
    default:
      return daveResAdapterRefused;
  }
}

}  // namespace

Bytes AdapterRequest(uint8_t command) { return {kAdapterTelegram, command, kToAdapter}; }

Bytes ConfigureRequest(const MpiFormat& format, int32_t speed, int32_t localMpi) {
  Bytes telegram = AdapterRequest(kAdapterConfigure);
  telegram.insert(telegram.end(), {format.rotationTime, 0x00});
  Append(telegram, kSlotTime);
  telegram.insert(telegram.end(), {IdleTime(speed), 0x00});
  Append(telegram, kIdleTime2);
  Append(telegram, kReadyTime);
  telegram.insert(telegram.end(),
                  {kQuietTime, kGapFactor, static_cast<uint8_t>(speed),
                   static_cast<uint8_t>(localMpi), format.highestStation, format.retryLimit});
  Append(telegram, kConfigTail);
  return telegram;
}

bool IsAdapterAnswer(const Bytes& telegram, uint8_t command) {
  return telegram.size() >= kAdapterHeader && telegram[0] == kAdapterTelegram &&
         telegram[1] == command && telegram[2] == kFromAdapter;
}

bool AdapterErrorNumber(const Bytes& answer, unsigned& number) {
  const size_t digits = kAdapterHeader + 2;
  if (answer.size() < digits + kErrorDigits || answer[0] != kAdapterTelegram ||
      answer[2] != kFromAdapter || answer[kAdapterHeader] != 'E' ||
      answer[kAdapterHeader + 1] != '=') {
    return false;
  }
  const std::string hex(answer.begin() + digits, answer.begin() + digits + kErrorDigits);
  char* end = nullptr;
  number = static_cast<unsigned>(std::strtoul(hex.c_str(), &end, 16));
  return end == hex.c_str() + kErrorDigits;
}

int32_t AdapterAnswerResult(const Bytes& answer) {
  if (answer.size() > kAdapterHeader && answer[kAdapterHeader] == 'V') {
    return daveResOK;
  }
  if (answer.size() > kAdapterHeader + 1 && answer[kAdapterHeader] == 'E' &&
      answer[kAdapterHeader + 1] == '=') {
    return AdapterError(answer);
  }
  return daveResAdapterVariant;
}

Bytes ConnectBody() { return Bytes(std::begin(kLongConnectBody), std::end(kLongConnectBody)); }

Bytes ConnectRequest(const MpiFormat& format, uint8_t plc) {
  Bytes telegram = Header(format, plc, format.requestStation, kServiceHigh, 0);
  telegram.push_back(kMpiConnectRequest);
  if (format.shortHeader) {
    Append(telegram, kShortConnectHead);
    telegram.push_back(plc);
    Append(telegram, kShortConnectTail);
  } else {
    Append(telegram, kLongConnectBody);
  }
  return telegram;
}

Bytes BusTelegram(const MpiFormat& format, const MpiPeer& peer, uint8_t function,
                  const Bytes& body) {
  const uint8_t station = function == kMpiDisconnectRequest ? format.requestStation : kStationFlag;
  Bytes telegram = Header(format, peer.plc, station, kServiceLow, peer.plcRef);
  telegram.push_back(function);
  telegram.insert(telegram.end(), body.begin(), body.end());
  return telegram;
}

int32_t DataTelegram(const MpiFormat& format, const MpiPeer& peer, uint8_t number, const Bytes& pdu,
                     Bytes& telegram) {
  telegram = BusTelegram(format, peer, kMpiData, {number});
  if (telegram.size() + pdu.size() > kMaxMpiTelegram) {
    return daveResInvalidLength;
  }
  telegram.insert(telegram.end(), pdu.begin(), pdu.end());
  return daveResOK;
}

Bytes DataAck(const MpiFormat& format, const MpiPeer& peer, uint8_t number) {
  return BusTelegram(format, peer, kMpiDataAck, {kAckOk, number});
}

bool ParseBusTelegram(const MpiFormat& format, const Bytes& telegram, uint8_t plc,
                      MpiBusView& view) {
  const size_t header = format.shortHeader ? kShortHeader : kLongHeader;
  if (telegram.size() <= header) {
    return false;
  }
  if (format.shortHeader) {
    if (telegram[0] != kShortHeaderStart) {
      return false;
    }
    view.fromPlc = true;
    view.destRef = telegram[2];
    view.sourceRef = telegram[3];
  } else {
    if (telegram[0] != kLongHeaderStart || (telegram[1] & kStationFlag) == 0) {
      return false;
    }
    view.fromPlc = (telegram[1] & ~kStationFlag) == plc;
    view.destRef = telegram[4];
    view.sourceRef = telegram[5];
  }
  view.function = telegram[header];
  view.body = header + 1;
  return true;
}

int32_t ParseConnectResponse(const MpiFormat& format, const Bytes& telegram, uint8_t plc,
                             uint8_t& plcRef) {
  MpiBusView view;
  if (!ParseBusTelegram(format, telegram, plc, view) || view.function != kMpiConnectResponse) {
    return daveResCannotEvaluatePDU;
  }
  const bool otherStation = format.shortHeader ? telegram.size() > kShortResponseStation &&
                                                     telegram[kShortResponseStation] != plc
                                               : !view.fromPlc;
  if (otherStation) {
    return daveResWrongAddress;
  }
  plcRef = view.sourceRef;
  return daveResOK;
}

uint8_t NextMessageNumber(uint8_t number) { return number == 0xFF ? 1 : number + 1; }

}  // namespace nodave
