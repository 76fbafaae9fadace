#pragma once

#include "Bytes.h"

namespace nodave {

// PPI telegrams: the PROFIBUS FDL subset an S7-200 speaks on its PPI port.
//   variable length  68 LE LE 68 DA SA FC data... FCS 16   (LE counts DA to the last data byte)
//   fixed, no data   10 DA SA FC FCS 16
//   short ack        E5
// FCS is the sum of the bytes from DA to the last data byte, modulo 256.

constexpr uint8_t kPpiVariable = 0x68;
constexpr uint8_t kPpiFixed = 0x10;
constexpr uint8_t kPpiShortAck = 0xE5;
constexpr uint8_t kPpiEnd = 0x16;
constexpr int32_t kPpiLargestAddress = 126;
// The PDU length asked for: the S7 PDU of the largest answer fits one telegram.
constexpr uint16_t kPpiPduLength = 240;
// Function codes: the request carrying an S7 job (SRD low), the poll for its answer
// (SRD low; frame count bit valid, toggled for each new poll), and the answer's
// "response, data low".
constexpr uint8_t kPpiRequest = 0x6C;
constexpr uint8_t kPpiPoll = 0x5C;
constexpr uint8_t kPpiFrameCountBit = 0x20;
constexpr uint8_t kPpiRequestBit = 0x40;

uint8_t PpiChecksum(const uint8_t* data, size_t size);

// A variable-length request from `local` to `plc` carrying an S7 PDU of at most
// kPpiPduLength bytes.
Bytes PpiRequestTelegram(uint8_t plc, uint8_t local, const Bytes& pdu);
// The poll for the answer, with the given function code.
Bytes PpiPollTelegram(uint8_t plc, uint8_t local, uint8_t function);

// The size of the whole telegram that starts at bytes[0], judged from the first
// `size` bytes: 1, 6, or for the variable form 4 until its header is complete and
// then header plus body. 0 when no telegram starts there (another first byte, or a
// header whose lengths disagree or exceed the largest PDU).
size_t PpiTelegramSize(const uint8_t* bytes, size_t size);

struct PpiTelegram {
  uint8_t start = 0;  // kPpiVariable, kPpiFixed or kPpiShortAck
  uint8_t destination = 0;
  uint8_t source = 0;
  uint8_t function = 0;
  Bytes data;
};

// Checks a whole telegram (start, lengths, checksum, end) and splits it;
// daveResLineErrors when it is malformed.
int32_t ParsePpiTelegram(const Bytes& bytes, PpiTelegram& telegram);

}  // namespace nodave
