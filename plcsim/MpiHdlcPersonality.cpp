#include "MpiHdlcPersonality.h"

namespace plcsim {
namespace {

constexpr uint8_t kFlag = 0x7E;
constexpr uint8_t kOpen = 0xFC;
constexpr uint8_t kAccept = 0xCE;
constexpr uint8_t kClose = 0xCA;
constexpr uint8_t kReady = 0x88;
constexpr uint8_t kNumberMask = 0x07;
constexpr size_t kControlFrame = 5;
constexpr size_t kDataOverhead = 7;

// CRC-16/X-25, as the Step 7 link checks its frames.
uint16_t Crc(const uint8_t* data, size_t size) {
  uint16_t crc = 0xFFFF;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 1) != 0 ? static_cast<uint16_t>(crc >> 1 ^ 0x8408) : crc >> 1;
    }
  }
  return static_cast<uint16_t>(~crc);
}

bool CrcAt(const Bytes& frame, size_t covered) {
  const uint16_t crc = Crc(frame.data() + 1, covered);
  return frame[covered + 1] == static_cast<uint8_t>(crc) &&
         frame[covered + 2] == static_cast<uint8_t>(crc >> 8);
}

void Close(Bytes& frame) {
  const uint16_t crc = Crc(frame.data() + 1, frame.size() - 1);
  frame.insert(frame.end(), {static_cast<uint8_t>(crc), static_cast<uint8_t>(crc >> 8), kFlag});
}

Bytes Control(uint8_t control) {
  Bytes frame{kFlag, control};
  Close(frame);
  return frame;
}

Bytes Data(uint8_t control, const Bytes& payload) {
  const auto length = static_cast<uint8_t>(payload.size());
  Bytes frame;
  frame.reserve(payload.size() + kDataOverhead);
  for (const uint8_t byte : {kFlag, control, length, static_cast<uint8_t>(~length)}) {
    frame.push_back(byte);
  }
  frame.insert(frame.end(), payload.begin(), payload.end());
  Close(frame);
  return frame;
}

bool IsData(uint8_t control) { return (control & 0x88) == 0; }

}  // namespace

Bytes MpiHdlcPersonality::OnBytes(const uint8_t* data, size_t size) {
  received_.insert(received_.end(), data, data + size);
  Bytes out;
  while (TakeFrame(out)) {
  }
  return out;
}

bool MpiHdlcPersonality::TakeFrame(Bytes& out) {
  while (!received_.empty() &&
         (received_[0] != kFlag || (received_.size() > 1 && received_[1] == kFlag))) {
    received_.erase(received_.begin());  // noise, or a flag before the next one
  }
  if (received_.size() < kControlFrame) {
    return false;
  }
  const uint8_t control = received_[1];
  if (received_[4] == kFlag && CrcAt(received_, 1)) {
    received_.erase(received_.begin(), received_.begin() + kControlFrame);
    OnControl(control, out);
    return true;
  }
  if (!IsData(control) || (received_[2] ^ received_[3]) != 0xFF) {
    received_.erase(received_.begin());
    return true;
  }
  const size_t length = received_[2];
  if (received_.size() < length + kDataOverhead) {
    return false;
  }
  const bool whole = received_[length + kDataOverhead - 1] == kFlag && CrcAt(received_, length + 3);
  const Bytes payload(received_.begin() + 4, received_.begin() + 4 + length);
  received_.erase(received_.begin(), received_.begin() + length + kDataOverhead);
  if (whole) {
    OnData(control, payload, out);
  }
  return true;
}

void MpiHdlcPersonality::OnControl(uint8_t control, Bytes& out) {
  if (control == kOpen) {
    session_ = true;
    sendNumber_ = 0;
    lastPcNumber_ = -1;
    lastAnswer_.clear();
    const Bytes accept = Control(kAccept);
    out.insert(out.end(), accept.begin(), accept.end());
  } else if (control == kClose) {
    session_ = false;
    const Bytes accept = Control(kAccept);
    out.insert(out.end(), accept.begin(), accept.end());
  }
  // Receive-ready frames (the PC echoing a keep-alive) need nothing.
}

void MpiHdlcPersonality::OnData(uint8_t control, const Bytes& payload, Bytes& out) {
  if (!session_) {
    return;
  }
  const int number = control >> 4 & kNumberMask;
  if (number != lastPcNumber_) {
    lastPcNumber_ = number;
    const auto next = static_cast<uint8_t>((number + 1) & kNumberMask);
    lastAnswer_ = Control(static_cast<uint8_t>(kReady | next));
    for (const Bytes& telegram : adapter_.OnTelegram(payload)) {
      const Bytes frame = Data(static_cast<uint8_t>(sendNumber_ << 4 | next), telegram);
      lastAnswer_.insert(lastAnswer_.end(), frame.begin(), frame.end());
      sendNumber_ = (sendNumber_ + 1) & kNumberMask;
    }
  }
  out.insert(out.end(), lastAnswer_.begin(), lastAnswer_.end());
}

}  // namespace plcsim
