#pragma once

#include "Bytes.h"

namespace nodave {

// Frames of the Step 7 link to an MPI adapter: 7E ctl CRC 7E for control frames and
// 7E ctl LEN ~LEN payload CRC 7E for data frames, without any byte stuffing. CRC is
// CRC-16/X-25 over everything between the opening flag and the CRC, low byte first.

constexpr uint8_t kHdlcFlag = 0x7E;
// Control bytes.
constexpr uint8_t kHdlcOpen = 0xFC;    // PC: open the session
constexpr uint8_t kHdlcAccept = 0xCE;  // adapter: accepted
constexpr uint8_t kHdlcClose = 0xCA;   // close; from the adapter: refused, try again
constexpr uint8_t kHdlcRefuse = 0xF8;  // adapter: refused, close first
constexpr uint8_t kHdlcReady = 0x88;   // receive ready; low bits: next expected number
constexpr uint8_t kHdlcReadyMask = 0xF8;
constexpr uint8_t kHdlcNumberMask = 0x07;
// Bytes read first: a whole control frame, or a data frame's head and first payload byte.
constexpr size_t kHdlcHead = 5;

uint16_t Crc16X25(const uint8_t* data, size_t size);

Bytes ControlFrame(uint8_t control);
// A data frame; the payload holds at most 255 bytes.
Bytes DataFrame(uint8_t control, const Bytes& payload);
// Data frames carry the sender's number and the next number it expects, modulo 8.
uint8_t DataControl(uint8_t sendNumber, uint8_t receiveNumber);
bool IsDataControl(uint8_t control);
uint8_t SendNumberOf(uint8_t control);
bool IsReadyControl(uint8_t control);

struct HdlcFrame {
  uint8_t control = 0;
  bool data = false;
  Bytes payload;
};

enum class HeadKind {
  kControl,  // a whole control frame
  kData,     // a data frame: `rest` more bytes follow
  kInvalid,  // neither: not a frame start
};

// Looks at the first kHdlcHead bytes of a frame (flag included).
HeadKind ClassifyHead(const uint8_t* head, size_t& rest);
// Checks a whole frame (flag to flag) and splits it; false when the CRC or the
// closing flag is wrong.
bool ParseFrame(const Bytes& frame, HdlcFrame& out);

}  // namespace nodave
