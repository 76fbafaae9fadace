#include "HdlcFrame.h"

namespace nodave {
namespace {

constexpr uint16_t kCrcInitial = 0xFFFF;
constexpr uint16_t kCrcPolynomial = 0x8408;  // 0x1021 reflected
constexpr uint8_t kDataFlagBit = 0x80;
constexpr size_t kControlFrameSize = 5;
constexpr size_t kDataOverhead = 7;  // flag, ctl, LEN, ~LEN, CRC, flag
constexpr size_t kMaxPayload = 0xFF;

void AppendCrc(Bytes& frame) {
  const uint16_t crc = Crc16X25(frame.data() + 1, frame.size() - 1);
  frame.push_back(static_cast<uint8_t>(crc));
  frame.push_back(static_cast<uint8_t>(crc >> 8));
  frame.push_back(kHdlcFlag);
}

bool CrcMatches(const uint8_t* covered, size_t size) {
  const uint16_t crc = Crc16X25(covered, size);
  return covered[size] == static_cast<uint8_t>(crc) &&
         covered[size + 1] == static_cast<uint8_t>(crc >> 8);
}

}  // namespace

uint16_t Crc16X25(const uint8_t* data, size_t size) {
  uint16_t crc = kCrcInitial;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 1) != 0 ? static_cast<uint16_t>(crc >> 1 ^ kCrcPolynomial) : crc >> 1;
    }
  }
  return static_cast<uint16_t>(~crc);
}

Bytes ControlFrame(uint8_t control) {
  Bytes frame{kHdlcFlag, control};
  AppendCrc(frame);
  return frame;
}

Bytes DataFrame(uint8_t control, const Bytes& payload) {
  const auto length = static_cast<uint8_t>(payload.size());
  Bytes frame;
  frame.reserve(payload.size() + kDataOverhead);
  for (const uint8_t byte : {kHdlcFlag, control, length, static_cast<uint8_t>(~length)}) {
    frame.push_back(byte);
  }
  frame.insert(frame.end(), payload.begin(), payload.end());
  AppendCrc(frame);
  return frame;
}

uint8_t DataControl(uint8_t sendNumber, uint8_t receiveNumber) {
  return static_cast<uint8_t>((sendNumber & kHdlcNumberMask) << 4 |
                              (receiveNumber & kHdlcNumberMask));
}

bool IsDataControl(uint8_t control) { return (control & (kDataFlagBit | 0x08)) == 0; }

uint8_t SendNumberOf(uint8_t control) { return control >> 4 & kHdlcNumberMask; }

bool IsReadyControl(uint8_t control) { return (control & kHdlcReadyMask) == kHdlcReady; }

HeadKind ClassifyHead(const uint8_t* head, size_t& rest) {
  rest = 0;
  if (head[0] != kHdlcFlag) {
    return HeadKind::kInvalid;
  }
  if (head[4] == kHdlcFlag && CrcMatches(head + 1, 1)) {
    return HeadKind::kControl;
  }
  if (IsDataControl(head[1]) && (head[2] ^ head[3]) == 0xFF) {
    rest = size_t{head[2]} + kDataOverhead - kHdlcHead;
    return HeadKind::kData;
  }
  return HeadKind::kInvalid;
}

bool ParseFrame(const Bytes& frame, HdlcFrame& out) {
  if (frame.size() == kControlFrameSize) {
    if (frame[0] != kHdlcFlag || frame[4] != kHdlcFlag || !CrcMatches(frame.data() + 1, 1)) {
      return false;
    }
    out = HdlcFrame{frame[1], false, {}};
    return true;
  }
  if (frame.size() < kDataOverhead || frame.size() - kDataOverhead > kMaxPayload) {
    return false;
  }
  const size_t length = frame.size() - kDataOverhead;
  if (frame[0] != kHdlcFlag || frame.back() != kHdlcFlag || frame[2] != length ||
      (frame[2] ^ frame[3]) != 0xFF || !CrcMatches(frame.data() + 1, length + 3)) {
    return false;
  }
  out = HdlcFrame{frame[1], true, Bytes(frame.begin() + 4, frame.begin() + 4 + length)};
  return true;
}

}  // namespace nodave
