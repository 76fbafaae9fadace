#pragma once

#include "Bytes.h"
#include "nodave.h"

namespace nodave {
namespace as511 {

// The S5 programming port's byte protocol (AS511): control characters, the doubling
// of DLE inside data, the request headers of the functions we use and their answers.

constexpr uint8_t kStx = 0x02;
constexpr uint8_t kEtx = 0x03;
constexpr uint8_t kEot = 0x04;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kDle = 0x10;
constexpr uint8_t kNak = 0x15;
constexpr uint8_t kSyn = 0x16;  // the PLC's "ready" code opening a transaction

// Function codes.
constexpr uint8_t kReadMemory = 0x04;
constexpr uint8_t kSystemParameters = 0x18;
constexpr uint8_t kBlockInfo = 0x1A;

constexpr uint8_t kDataBlockType = 0x01;
// Bytes before the data in a read-memory answer; their meaning is not known.
constexpr size_t kReadLeadingBytes = 5;
// The PLC's answer to SYS_PAR carries the area addresses in its first 17 bytes.
constexpr size_t kSystemParametersSize = 17;
constexpr size_t kBlockInfoSize = 13;

// A request header as sent: escaped, closed by DLE EOT.
Bytes RequestHeader(const Bytes& header);

Bytes BlockInfoHeader(uint8_t dataBlock);
// Start and end address, both inclusive.
Bytes ReadMemoryHeader(uint16_t start, uint16_t end);

// Undoes the doubling of a data block the PLC sends, byte by byte, up to its DLE ETX.
class BlockReader {
 public:
  enum class Step { kMore, kEnd, kBroken };

  // kBroken for a DLE followed by anything but DLE or ETX, or for data beyond `largest`.
  explicit BlockReader(size_t largest) : largest_(largest) {}
  Step Feed(uint8_t byte);
  const Bytes& Data() const { return data_; }
  // The fewest bytes still to come for a block of `expected` data bytes: never more
  // than the PLC sends, so a read of them does not wait for bytes that never come.
  size_t LeastStillComing(size_t expected) const;

 private:
  size_t largest_;
  Bytes data_;
  bool afterDle_ = false;
};

// Where an S5 keeps its areas, from the system parameters.
struct S5Areas {
  uint16_t inputs = 0;   // process input image
  uint16_t outputs = 0;  // process output image
  uint16_t flags = 0;
  uint16_t timers = 0;    // two bytes per timer
  uint16_t counters = 0;  // two bytes per counter
  uint16_t systemData = 0;
};

int32_t ParseSystemParameters(const Bytes& data, S5Areas& areas);

// A data block in the PLC's memory: the address of its data word 0 and its data bytes.
struct S5Block {
  uint16_t address = 0;
  uint32_t size = 0;
};

// Checks the block information against the data block asked for.
int32_t ParseBlockInfo(const Bytes& data, uint8_t dataBlock, S5Block& block);

// Checks a read-memory answer for `count` bytes; its data start at kReadLeadingBytes.
int32_t CheckReadAnswer(const Bytes& data, size_t count);

}  // namespace as511
}  // namespace nodave
